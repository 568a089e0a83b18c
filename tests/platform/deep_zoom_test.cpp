// Deep Zoom pictures written a band of rows at a time: the pyramid read back tile by tile
// against a pyramid made here from the whole picture, the descriptor and the page, and a
// set that is complete or absent.
#include "platform/deep_zoom.h"

#include <QImage>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

namespace fs = std::filesystem;
using Colour = std::function<int32_t(int32_t x, int32_t y)>;

const std::string kViewer = MARVANE_VIEWER_DIR;

// Every pixel its own: a tile read from the wrong place, or a mean of the wrong block,
// shows.
int32_t Noise(int32_t x, int32_t y) {
  uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return static_cast<int32_t>((h ^ h >> 15) & 0xFFFFFF);
}

// Feeds the picture top down in bands of `band` rows, the last band shorter.
std::unique_ptr<DeepZoomWriter> Write(const std::string& dzi, int32_t width, int32_t height, const Colour& colour,
                                      int32_t band, const DeepZoomOptions& options) {
  auto writer = OpenDeepZoom(dzi, width, height, kViewer, options);
  std::vector<int32_t> rows;
  for (int32_t top = 0; top < height; top += band) {
    const int32_t count = std::min(band, height - top);
    rows.resize(static_cast<size_t>(count) * width);
    for (int32_t y = 0; y < count; ++y)
      for (int32_t x = 0; x < width; ++x) rows[static_cast<size_t>(y) * width + x] = colour(x, top + y);
    writer->WriteRows(rows.data(), count);
  }
  return writer;
}

struct Level {
  int32_t width, height;
  std::vector<int32_t> pixels;
  int32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The pyramid from the whole picture at once: each level's pixel the rounded mean of the
// block of up to 2 x 2 pixels above it, level 0 last.
std::vector<Level> Pyramid(int32_t width, int32_t height, const Colour& colour) {
  std::vector<Level> levels{{width, height, {}}};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) levels[0].pixels.push_back(colour(x, y));
  while (levels.back().width > 1 || levels.back().height > 1) {
    const Level& up = levels.back();
    Level down{(up.width + 1) / 2, (up.height + 1) / 2, {}};
    for (int32_t y = 0; y < down.height; ++y)
      for (int32_t x = 0; x < down.width; ++x) {
        int32_t packed = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          int sum = 0, n = 0;
          for (int32_t yy = 2 * y; yy < std::min(2 * y + 2, up.height); ++yy)
            for (int32_t xx = 2 * x; xx < std::min(2 * x + 2, up.width); ++xx, ++n) sum += up.At(xx, yy) >> shift & 255;
          packed |= ((sum + n / 2) / n) << shift;
        }
        down.pixels.push_back(packed);
      }
    levels.push_back(std::move(down));
  }
  return levels;
}

int32_t Packed(QRgb rgb) { return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16; }

// Whether every tile of the level in `folder` holds the level's pixels from 254 C - 1 to
// 254 C + 255 across (clipped to the level) and the same down, within `tolerance`.
::testing::AssertionResult TilesMatch(const std::string& folder, const Level& level, const std::string& ending, int tolerance) {
  std::set<std::string> expected, found;
  for (const auto& entry : fs::directory_iterator(folder)) found.insert(entry.path().filename().string());
  for (int32_t row = 0; row * 254 < level.height; ++row)
    for (int32_t column = 0; column * 254 < level.width; ++column) {
      const std::string name = std::to_string(column) + "_" + std::to_string(row) + "." + ending;
      expected.insert(name);
      const int32_t x0 = std::max(0, column * 254 - 1), y0 = std::max(0, row * 254 - 1);
      const int32_t x1 = std::min(level.width, column * 254 + 255), y1 = std::min(level.height, row * 254 + 255);
      const QImage tile(QString::fromStdString(folder + "/" + name));
      if (tile.width() != x1 - x0 || tile.height() != y1 - y0)
        return ::testing::AssertionFailure() << folder << "/" << name << " is " << tile.width() << " x " << tile.height()
                                  << ", not " << x1 - x0 << " x " << y1 - y0;
      for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
          for (int shift = 0; shift < 24; shift += 8) {
            const int got = Packed(tile.pixel(x - x0, y - y0)) >> shift & 255, want = level.At(x, y) >> shift & 255;
            if (std::abs(got - want) > tolerance)
              return ::testing::AssertionFailure() << folder << "/" << name << " at (" << x << ", " << y << "): " << got
                                        << " in channel " << shift / 8 << ", not " << want;
          }
    }
  if (found != expected) return ::testing::AssertionFailure() << folder << " holds " << found.size() << " tiles, not " << expected.size();
  return ::testing::AssertionSuccess();
}

TEST(DeepZoomLevels, HalveRoundingUpDownToOnePixel) {
  const std::vector<std::pair<int32_t, int32_t>> expected{{1, 1},   {2, 1},    {3, 2},    {5, 3},
                                                          {10, 5},  {19, 10},  {38, 19},  {75, 38},
                                                          {150, 75}, {300, 150}, {600, 300}};
  std::vector<std::pair<int32_t, int32_t>> sizes;
  for (const DeepZoomLevelSize& s : DeepZoomLevels(600, 300)) sizes.emplace_back(s.width, s.height);
  EXPECT_EQ(sizes, expected);
  EXPECT_EQ(DeepZoomLevels(1, 1).size(), 1u);
  EXPECT_EQ(DeepZoomLevels(65536, 3).size(), 17u);
}

// 600 x 300 in bands of 7 rows: three tile columns and two tile rows at the full size,
// odd sides from level 7 down. PNG tiles, so every pixel can be compared exactly.
TEST(DeepZoomWriter, EveryTileOfEveryLevelHoldsThePyramidsPixels) {
  const testing::TempFolder folder;
  auto writer = Write(folder / "p.dzi", 600, 300, Noise, 7, {"png", 90});
  writer->Commit();
  const std::vector<Level> pyramid = Pyramid(600, 300, Noise);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder / "p_files")) names.insert(entry.path().filename().string());
  EXPECT_EQ(names.size(), pyramid.size() + 1);
  EXPECT_TRUE(names.count("viewer"));
  for (size_t i = 0; i < pyramid.size(); ++i) {
    const int number = static_cast<int>(pyramid.size() - 1 - i);
    EXPECT_TRUE(TilesMatch(folder / ("p_files/" + std::to_string(number)), pyramid[i], "png", 0)) << "level " << number;
  }
  EXPECT_EQ(testing::FolderListing(folder.Path()), "p.dzi\np.html\np_files\n");
}

// The default: JPEG at quality 90, close to the picture on a smooth one, as the .dzi says.
TEST(DeepZoomWriter, TilesAreJpegByDefaultAndTheDescriptorSaysSo) {
  const testing::TempFolder folder;
  const Colour smooth = [](int32_t x, int32_t y) { return x | y << 8 | (x + y) / 2 << 16; };
  Write(folder / "s.dzi", 256, 200, smooth, 64, {})->Commit();
  EXPECT_TRUE(TilesMatch(folder / "s_files/8", Pyramid(256, 200, smooth)[0], "jpg", 4));

  QXmlStreamReader xml(QString::fromStdString(testing::ReadFileBytes(folder / "s.dzi")));
  std::vector<std::string> seen;
  while (xml.readNextStartElement()) {
    const QXmlStreamAttributes a = xml.attributes();
    const QString name = xml.name().toString();
    const QStringList fields = name == QLatin1String("Image")
                                   ? QStringList{xml.namespaceUri().toString(), a.value("TileSize").toString(),
                                                 a.value("Overlap").toString(), a.value("Format").toString()}
                                   : QStringList{name, a.value("Width").toString(), a.value("Height").toString()};
    seen.push_back(fields.join(' ').toStdString());
    if (xml.name() == QLatin1String("Size")) xml.skipCurrentElement();
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(seen, (std::vector<std::string>{"http://schemas.microsoft.com/deepzoom/2008 254 1 jpg", "Size 256 200"}));
}

// The page names the .dzi and finds the viewer's script and buttons beside itself, by
// names escaped for a URL.
TEST(DeepZoomWriter, ThePageNamesTheDziAndLoadsTheViewerCopiedBesideIt) {
  const testing::TempFolder folder;
  Write(folder / "my poster.dzi", 3, 2, Noise, 1, {})->Commit();
  const std::string page = testing::ReadFileBytes(folder / "my poster.html");
  EXPECT_NE(page.find("\"my%20poster.dzi\""), std::string::npos);
  const QUrl here = QUrl::fromLocalFile(QString::fromStdString(folder / "my poster.html"));
  for (const std::string attribute : {"src=\"", "prefixUrl: \""}) {
    const size_t start = page.find(attribute) + attribute.size();
    const QUrl used = here.resolved(QUrl(QString::fromStdString(page.substr(start, page.find('"', start) - start))));
    EXPECT_TRUE(fs::exists(used.toLocalFile().toStdString())) << used.toString().toStdString();
  }
  EXPECT_TRUE(fs::exists(folder / "my poster_files/viewer/images/zoomin_rest.png"));
  EXPECT_TRUE(fs::exists(folder / "my poster_files/viewer/LICENSE.txt"));
}

// Given up half-way or after Finish, the writer leaves nothing, and an earlier run's set
// stays whole until the new one is committed in its place.
TEST(DeepZoomWriter, NothingChangesAtTheTargetUntilCommit) {
  const testing::TempFolder folder;
  Write(folder / "p.dzi", 300, 10, Noise, 3, {"png", 90})->Commit();
  testing::WriteFileBytes(folder / "p_files/old.txt", "from before");
  const std::string before = testing::FolderListing(folder.Path());
  {
    auto writer = OpenDeepZoom(folder / "p.dzi", 520, 10, kViewer);
    std::vector<int32_t> rows(520 * 4, 0x123456);
    writer->WriteRows(rows.data(), 4);
  }
  {
    auto writer = Write(folder / "p.dzi", 520, 10, Noise, 3, {"png", 90});
    writer->Finish();
  }
  EXPECT_EQ(testing::FolderListing(folder.Path()), before);
  EXPECT_TRUE(fs::exists(folder / "p_files/old.txt"));
  EXPECT_FALSE(fs::exists(folder / "p_files/10"));

  Write(folder / "p.dzi", 520, 10, Noise, 3, {"png", 90})->Commit();
  EXPECT_EQ(testing::FolderListing(folder.Path()), before);
  EXPECT_FALSE(fs::exists(folder / "p_files/old.txt"));
  EXPECT_TRUE(fs::exists(folder / "p_files/10/2_0.png"));
  EXPECT_NE(testing::ReadFileBytes(folder / "p.dzi").find("Width=\"520\""), std::string::npos);
}

// Each failure names the file and leaves the folder as it was.
TEST(DeepZoomWriter, AFailureSaysWhyAndLeavesNothing) {
  const testing::TempFolder folder;
  testing::WriteFileBytes(folder / "taken_files", "");
  fs::create_directory(folder / "folder.dzi");
  const auto why = [&](const std::function<void()>& run) {
    try {
      run();
      return std::string("written");
    } catch (const RunTimeError& e) {
      return std::string(e.what());
    }
  };
  const std::string before = testing::FolderListing(folder.Path());
  const std::string target = folder / "p.dzi";
  EXPECT_EQ(why([&] { Write(target, 40, 30, Noise, 7, {})->WriteRows(nullptr, 1); }),
            "Cannot save the Deep Zoom picture \"" + target + "\": more rows were given than the picture has.");
  EXPECT_EQ(why([&] { OpenDeepZoom(target, 40, 30, kViewer)->Commit(); }),
            "Cannot save the Deep Zoom picture \"" + target + "\": only 0 of its 30 rows were given.");
  EXPECT_EQ(why([&] { OpenDeepZoom(folder / "taken.dzi", 4, 3, kViewer); }),
            "Cannot save the Deep Zoom picture \"" + folder / "taken.dzi" + "\": \"" + folder / "taken_files" +
                "\", where its tiles go, is there and is not a folder.");
  EXPECT_EQ(why([&] { OpenDeepZoom(folder / "folder.dzi", 4, 3, kViewer); }),
            "Cannot save the Deep Zoom picture \"" + folder / "folder.dzi" + "\": it is a folder.");
  EXPECT_NE(why([&] { OpenDeepZoom("/dev/null", 4, 3, kViewer); }).find("a pipe or a device cannot take"),
            std::string::npos);
  EXPECT_NE(why([&] { OpenDeepZoom(target, 4, 3, folder.Path()); }).find("openseadragon.min.js"), std::string::npos);
  {
    const testing::ScopedFileSizeLimit full(20000);  // the viewer's script is larger: the copy fails
    EXPECT_NE(why([&] { OpenDeepZoom(target, 4, 3, kViewer); }).find("the viewer cannot be copied"), std::string::npos);
  }
  auto writer = OpenDeepZoom(target, 600, 300, kViewer, {"png", 90});
  std::vector<int32_t> rows(600 * 300);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = Noise(static_cast<int32_t>(i % 600), static_cast<int32_t>(i / 600));
  {
    const testing::ScopedFileSizeLimit full(20000);  // a full tile of noise as PNG is larger
    EXPECT_EQ(why([&] { writer->WriteRows(rows.data(), 300); }),
              "Cannot save the Deep Zoom picture \"" + target + "\": the tile \"p_files/10/0_0.png\" cannot be written (" +
                  "File too large).");
  }
  writer.reset();
  EXPECT_EQ(testing::FolderListing(folder.Path()), before);
}

}  // namespace
}  // namespace marvane
