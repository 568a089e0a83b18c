// What the build ships under share/, which the desktop's tests start from: files of their
// formats and sizes, and pictures drawn as they should be.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <set>

#include "platform/share_files.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

std::string Share(const std::string& name) { return MARVANE_BUILD_SHARE_DIR "/" + name; }
size_t Colours(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  return colours.size();
}

TEST(ShippedFiles, HaveTheirFormatsAndSizes) {
  for (const auto& [name, shape] : {std::pair{"Tiles/Basic.bmp", "BM 248x248x24"}, {"TileGrid.bmp", "BM 793x573x24"},
                                    {"splash.bmp", "BM 475x355x24"}}) {
    const std::string b = ReadFileBytes(Share(name));
    const auto at = [&b](size_t i) { return std::to_string(uint8_t(b[i]) | uint8_t(b[i + 1]) << 8); };
    EXPECT_EQ(b.substr(0, 2) + " " + at(18) + "x" + at(22) + "x" + at(28), shape) << name;
  }
  EXPECT_EQ(ReadFileBytes(Share("HelpTxt.txt")), ReadFileBytes(MARVANE_SOURCE_DIR "/data/HelpTxt.txt"));
  EXPECT_EQ(ReadFileBytes(FindShareFile("splash.bmp")), ReadFileBytes(Share("splash.bmp")));
  for (const char* name : {"no-such-file.bmp", "", "Tiles"}) EXPECT_EQ(FindShareFile(name), "") << name;
}

// Gradients in many vivid hues on a dark ground with highlights; and as the engine repeats a
// tile of side S every S - 1 pixels, a last column and row that match the first: no seam.
TEST(DefaultTile, IsColourfulAndRepeatsWithoutSeams) {
  const QImage tile(QString::fromStdString(Share("Tiles/Basic.bmp")));
  int vivid = 0, dark = 0, light = 0, seam = 0;
  std::set<int> hues;
  for (int y = 0; y < 248; ++y)
    for (int x = 0; x < 248; ++x) {
      const QColor c = tile.pixelColor(x, y), across = tile.pixelColor(x ? x : 247, y ? y : 247);
      if (c.hsvSaturation() > 200 && c.value() > 150) ++vivid, hues.insert(c.hsvHue() / 30);
      dark += c.value() < 50;
      light += c.value() > 230;
      seam = std::max({seam, std::abs(c.red() - across.red()), std::abs(c.green() - across.green()),
                       std::abs(c.blue() - across.blue())});
    }
  EXPECT_TRUE(Colours(tile) > 500 && hues.size() >= 6) << Colours(tile) << " colours, " << hues.size() << " hues";
  EXPECT_TRUE(vivid > 248 * 248 / 3 && dark > 248 * 248 / 20 && light > 248 * 248 / 100) << vivid << " " << dark;
  EXPECT_LE(seam, 2);
}

// Rendered spirals: the splash bright at its centre (the default centre brightness is
// high) above a title band that darkens its bottom, the icon round on a transparent ground.
TEST(SplashAndIcon, AreRenderedSpirals) {
  const QImage splash(QString::fromStdString(Share("splash.bmp"))), icon(QString::fromStdString(Share("marvane.png")));
  const auto brightness = [&splash](const QRect& part) {  // the mean, 0 to 255
    return splash.copy(part).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0).value();
  };
  EXPECT_TRUE(Colours(splash) > 5000 && brightness({227, 167, 21, 21}) > 200 && brightness({0, 340, 40, 15}) < 110);
  EXPECT_TRUE(icon.size() == QSize(256, 256) && Colours(icon) > 2000);
  EXPECT_TRUE(qAlpha(icon.pixel(0, 0)) + qAlpha(icon.pixel(255, 255)) == 0 && qAlpha(icon.pixel(128, 128)) == 255);
}

}  // namespace
}  // namespace marvane::testing
