// What the build ships under share/ and how the programs find it: the default tile, the
// tile grid, the splash picture, the icon and the user guide.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <set>

#include "console/help_file.h"
#include "platform/share_files.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

std::string Share(const std::string& name) { return MARVANE_BUILD_SHARE_DIR "/" + name; }
QImage Picture(const char* name) { return QImage(QString::fromStdString(Share(name))); }

size_t Colours(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  return colours.size();
}

TEST(ShippedFiles, HaveTheirFixedShapesAndAreFoundFromAnywhereInTheBuildTree) {
  // 24-bit BMPs: the settings' default tile ends at column and row 247, the grid is the
  // desktop's board, the splash has its fixed size.
  for (const auto& [name, shape] : {std::pair{"Tiles/Basic.bmp", "BM 248x248x24"}, {"TileGrid.bmp", "BM 793x573x24"},
                                    {"splash.bmp", "BM 475x355x24"}}) {
    const std::string b = ReadFileBytes(Share(name));
    const auto at = [&b](size_t i) { return std::to_string(uint8_t(b[i]) | uint8_t(b[i + 1]) << 8); };
    EXPECT_EQ(b.substr(0, 2) + " " + at(18) + "x" + at(22) + "x" + at(28), shape) << name;
    EXPECT_TRUE(std::filesystem::equivalent(FindShareFile(name), Share(name))) << name;
  }
  for (const char* name : {"no-such-file.bmp", "", "Tiles"}) EXPECT_EQ(FindShareFile(name), "") << name;
  // The guide: the build's copy, listed whole by the help window, every topic with text.
  EXPECT_EQ(ReadFileBytes(Share("HelpTxt.txt")), ReadFileBytes(MARVANE_SOURCE_DIR "/data/HelpTxt.txt"));
  const HelpFile help = ReadHelpText(Share("HelpTxt.txt"));
  EXPECT_TRUE(help.NumTopics() > 0 && help.NumTopics() <= kHelpTopicLabels) << help.NumTopics();
  for (int32_t t = 1; t <= help.NumTopics(); ++t) EXPECT_GT(help.TopicLineCount(t), 0) << help.Title(t);
}

// Gradients in many vivid hues on a dark ground with bright highlights (a flat or
// posterised picture has a handful of colours). The engine repeats a tile of side S every
// S - 1 pixels, column 246 followed by column 0: a tile whose last column and row match
// its first runs on without a seam.
TEST(DefaultTile, IsColourfulAndRepeatsWithoutSeams) {
  const QImage tile = Picture("Tiles/Basic.bmp");
  int vivid = 0, dark = 0, light = 0, seam = 0;
  std::set<int> hues;
  for (int y = 0; y < 248; ++y)
    for (int x = 0; x < 248; ++x) {
      const QColor c = tile.pixelColor(x, y);
      if (c.hsvSaturation() > 200 && c.value() > 150) ++vivid, hues.insert(c.hsvHue() / 30);
      dark += c.value() < 50;
      light += c.value() > 230;
      if (x == 0 || y == 0) {
        const QRgb a = tile.pixel(x, y), b = tile.pixel(x ? x : 247, y ? y : 247);
        seam = std::max({seam, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
      }
    }
  EXPECT_TRUE(Colours(tile) > 500 && hues.size() >= 6) << Colours(tile) << " colours, " << hues.size() << " hues";
  EXPECT_TRUE(vivid > 248 * 248 / 3 && dark > 248 * 248 / 20 && light > 248 * 248 / 100) << vivid << " " << dark;
  EXPECT_LE(seam, 2);
}

// Rendered spirals: the splash bright at its centre (the default centre brightness is
// high) above a title band that darkens its bottom, the icon round on a transparent ground.
TEST(SplashAndIcon, AreRenderedSpirals) {
  const QImage splash = Picture("splash.bmp"), icon = Picture("marvane.png");
  const auto brightness = [&splash](const QRect& part) {  // the mean, 0 to 255
    return splash.copy(part).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0).value();
  };
  EXPECT_TRUE(Colours(splash) > 5000 && brightness({227, 167, 21, 21}) > 200 && brightness({0, 340, 40, 15}) < 110);
  ASSERT_EQ(icon.size(), QSize(256, 256));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)) + qAlpha(icon.pixel(255, 255)), 0);
  EXPECT_TRUE(qAlpha(icon.pixel(128, 128)) == 255 && Colours(icon) > 2000);
}

}  // namespace
}  // namespace marvane::testing
