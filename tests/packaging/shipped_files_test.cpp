// What the build ships under share/ and how the programs find it: the default tile, the
// tile grid, the splash picture, the icon and the user guide.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "console/help_file.h"
#include "platform/share_files.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

std::string Share(const std::string& name) { return MARVANE_BUILD_SHARE_DIR "/" + name; }

size_t Colours(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y) & 0xFFFFFFu);
  return colours.size();
}

// The mean brightness of a part of a picture, 0 to 255.
int Brightness(const QImage& image, const QRect& part) {
  return image.copy(part).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0).value();
}

TEST(ShippedPictures, AreTwentyFourBitBmpsOfTheirFixedSizes) {
  // The settings' default tile ends at column and row 247; the grid is the desktop's board.
  for (const auto& [name, shape] : {std::pair{"Tiles/Basic.bmp", "248x248x24"}, {"TileGrid.bmp", "793x573x24"},
                                    {"splash.bmp", "475x355x24"}}) {
    const std::string b = ReadFileBytes(Share(name));
    const auto at = [&b](size_t i) { return std::to_string(uint8_t(b[i]) | uint8_t(b[i + 1]) << 8); };
    EXPECT_EQ(b.substr(0, 2) + " " + at(18) + "x" + at(22) + "x" + at(28), std::string("BM ") + shape) << name;
  }
}

// Gradients in many vivid hues on a dark ground with bright highlights (a flat or
// posterised picture has a handful of colours). The engine repeats a tile of side S every
// S - 1 pixels, column 246 followed by column 0: a tile whose last column and row match
// its first runs on without a seam.
TEST(DefaultTile, IsColourfulAndRepeatsWithoutSeams) {
  const QImage tile(QString::fromStdString(Share("Tiles/Basic.bmp")));
  int vivid = 0, dark = 0, light = 0, seam = 0;
  std::set<int> hues;
  for (int y = 0; y < 248; ++y)
    for (int x = 0; x < 248; ++x) {
      const QColor c = tile.pixelColor(x, y);
      if (c.hsvSaturation() > 200 && c.value() > 150) ++vivid, hues.insert(c.hsvHue() / 30);
      dark += c.value() < 50;
      light += c.value() > 230;
    }
  for (int i = 0; i < 248; ++i)
    for (const auto& [a, b] : {std::pair{tile.pixel(247, i), tile.pixel(0, i)}, {tile.pixel(i, 247), tile.pixel(i, 0)}})
      seam = std::max({seam, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
  EXPECT_TRUE(Colours(tile) > 500 && hues.size() >= 6) << Colours(tile) << " colours, " << hues.size() << " hues";
  EXPECT_TRUE(vivid > 248 * 248 / 3 && dark > 248 * 248 / 20 && light > 248 * 248 / 100) << vivid << dark << light;
  EXPECT_LE(seam, 2);
}

// Rendered spirals: the splash bright at its centre (the default centre brightness is
// high) above a title band that darkens its bottom; the icon round on a transparent ground.
TEST(SplashAndIcon, AreRenderedSpirals) {
  const QImage splash(QString::fromStdString(Share("splash.bmp")));
  EXPECT_GT(Colours(splash), 5000u);
  EXPECT_GT(Brightness(splash, QRect(227, 167, 21, 21)), 200);
  EXPECT_LT(Brightness(splash, QRect(0, 340, 40, 15)), 110);
  const QImage icon(QString::fromStdString(Share("marvane.png")));
  ASSERT_EQ(icon.size(), QSize(256, 256));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)) + qAlpha(icon.pixel(255, 255)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(128, 128)), 255);
  EXPECT_GT(Colours(icon), 2000u);
}

// The build's copy of the guide, listed whole by the help window (26 titles at most),
// every topic with text, in plain ASCII lines that fit its text area.
TEST(HelpGuide, ListsWholeInTheHelpWindow) {
  const std::string guide = ReadFileBytes(MARVANE_SOURCE_DIR "/data/HelpTxt.txt");
  EXPECT_EQ(ReadFileBytes(Share("HelpTxt.txt")), guide);
  const HelpFile help = ParseHelpText(guide);
  EXPECT_TRUE(help.NumTopics() >= 20 && help.NumTopics() <= kHelpTopicLabels) << help.NumTopics();
  for (int32_t t = 1; t <= help.NumTopics(); ++t)
    EXPECT_NE(help.TopicText(t).find_first_not_of(" \r\n"), std::string::npos) << help.Title(t);
  std::istringstream lines(guide);
  for (std::string line; std::getline(lines, line);)
    EXPECT_TRUE(line.size() <= 76 && std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
        << line;
}

// This program, deep in the build tree, finds the build's share/, which is compiled in.
TEST(ShareFiles, FindsTheShippedFilesAndNothingElse) {
  for (const char* name : {"splash.bmp", "Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
    EXPECT_TRUE(std::filesystem::equivalent(FindShareFile(name), Share(name))) << name;
  for (const char* name : {"no-such-file.bmp", "", "Tiles"}) EXPECT_EQ(FindShareFile(name), "") << name;
}

}  // namespace
}  // namespace marvane::testing
