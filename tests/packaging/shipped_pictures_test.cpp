// The pictures the build makes for a fresh start folder and for the desktop: the
// default tile, the tile grid that goes with it, the splash picture and the icon.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "packaging/shipped_files.h"
#include "platform/picture_files.h"
#include "platform/ui.h"
#include "run/app_state.h"
#include "run/headless_host.h"
#include "run/pipeline.h"
#include "run/startup.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

QImage LoadShipped(const std::string& name) {
  QImage image(QString::fromStdString(BuildShare(name)));
  EXPECT_FALSE(image.isNull()) << name << " is missing or not a picture";
  return image;
}

// The largest difference of one channel between two pixels.
int ChannelGap(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                   std::abs(qBlue(a) - qBlue(b))});
}

TEST(DefaultTile, IsA248PixelSquareBmpAtTheSettingsDefaultSize) {
  const BmpHeader h = ReadBmpHeader(FileBytes(BuildShare("Tiles/Basic.bmp")));
  ASSERT_TRUE(h.valid);
  // The settings assume a tile whose last column and last row are 247.
  EXPECT_EQ(h.width, 248);
  EXPECT_EQ(std::abs(h.height), 248);
  EXPECT_EQ(h.bitsPerPixel, 24);
  EXPECT_EQ(h.compression, 0u);
}

TEST(DefaultTile, IsColourfulWithStrongContrast) {
  const QImage tile = LoadShipped("Tiles/Basic.bmp");
  ASSERT_EQ(tile.size(), QSize(248, 248));
  // Gradients and anti-aliased edges give hundreds of colours; a flat or posterised
  // picture has a handful.
  EXPECT_GT(DistinctColours(tile), 500u);
  int vivid = 0, dark = 0, light = 0;
  std::set<int> hues;
  for (int y = 0; y < tile.height(); ++y)
    for (int x = 0; x < tile.width(); ++x) {
      const QColor c = tile.pixelColor(x, y);
      if (c.hsvSaturation() > 200 && c.value() > 150) {
        ++vivid;
        hues.insert(c.hsvHue() / 30);
      }
      dark += c.value() < 50;
      light += c.value() > 230;
    }
  const int all = tile.width() * tile.height();
  EXPECT_GT(vivid, all / 3) << "too few vivid pixels";
  EXPECT_GE(hues.size(), 6u) << "the vivid pixels cover too few hues";
  EXPECT_GT(dark, all / 20) << "no dark ground for the colours to stand on";
  EXPECT_GT(light, all / 100) << "no bright highlights";
}

// The engine folds a squared tile of side S into a period of S - 1 pixels: column 247
// is never read, and column 246 is followed by column 0. A tile whose column 247
// matches its column 0 (and row 247 its row 0) therefore runs on without a seam.
TEST(DefaultTile, RepeatsWithoutSeamsAtThePeriodTheEngineUses) {
  const QImage tile = LoadShipped("Tiles/Basic.bmp");
  ASSERT_EQ(tile.size(), QSize(248, 248));
  int worst = 0;
  for (int i = 0; i < 248; ++i) {
    worst = std::max(worst, ChannelGap(tile.pixel(247, i), tile.pixel(0, i)));
    worst = std::max(worst, ChannelGap(tile.pixel(i, 247), tile.pixel(i, 0)));
  }
  EXPECT_LE(worst, 2);
}

// What the desktop program keeps in TileGrid.bmp after it built the grid for the default
// tile with the default settings: built here through the desktop's own pipeline and
// compared with the file the renderer made.
TEST(DefaultTileGrid, IsTheGridTheDesktopBuildsForTheDefaultTileAndSettings) {
  TempFolder start;
  std::filesystem::create_directories(start / "Tiles");
  std::filesystem::copy_file(BuildShare("Tiles/Basic.bmp"), start / "Tiles/Basic.bmp");
  // Start-up needs a tile grid to load; a black one, so nothing of the shipped grid
  // can come through to the comparison.
  SavePictureFile(Picture(kDesignBoardWidth, kDesignBoardHeight, 0), start / "TileGrid.bmp");

  AppState s;
  RecordingUi ui;
  HeadlessHost host;
  Pipeline pipeline(s, host, ui);
  host.Attach(pipeline);
  StartUpHost windows;
  ASSERT_TRUE(Main(s, ui, windows, start.Path(), start / "no-settings.INI"));
  s.settings.NeedToRedrawGrid = true;
  pipeline.LaunchAction(kTileGridStage, s.engine.board.BoardRight, s.engine.board.BoardBottom);
  ASSERT_TRUE(ui.Messages().empty()) << ui.Messages().front().title << ": " << ui.Messages().front().text;
  ASSERT_FALSE(s.settings.NeedToRedrawGrid) << "the grid stage did not finish";

  const QImage shipped = LoadShipped("TileGrid.bmp");
  ASSERT_EQ(shipped.width(), s.Workspace1.Width());
  ASSERT_EQ(shipped.height(), s.Workspace1.Height());
  int differing = 0;
  for (int y = 0; y < shipped.height(); ++y)
    for (int x = 0; x < shipped.width(); ++x) {
      const QRgb p = shipped.pixel(x, y);
      differing += s.Workspace1.Point(x, y) != qRed(p) + 256 * qGreen(p) + 65536 * qBlue(p);
    }
  EXPECT_EQ(differing, 0);
}

TEST(Splash, IsA475By355TwentyFourBitBmp) {
  const BmpHeader h = ReadBmpHeader(FileBytes(BuildShare("splash.bmp")));
  ASSERT_TRUE(h.valid);
  EXPECT_EQ(h.width, 475);
  EXPECT_EQ(std::abs(h.height), 355);
  EXPECT_EQ(h.bitsPerPixel, 24);
  const QImage splash = LoadShipped("splash.bmp");
  EXPECT_GT(DistinctColours(splash), 5000u);
}

// A rendered spiral is bright at its centre (the default centre brightness is high) and
// the title band darkens the bottom; a flat or blank picture has neither.
TEST(Splash, ShowsABrightCentreAboveADarkTitleBand) {
  const QImage splash = LoadShipped("splash.bmp");
  ASSERT_EQ(splash.size(), QSize(475, 355));
  auto meanValue = [&splash](QRect box) {
    double sum = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x) sum += splash.pixelColor(x, y).value();
    return sum / (box.width() * box.height());
  };
  const double centre = meanValue(QRect(227, 167, 21, 21));
  const double bandCorner = meanValue(QRect(0, 340, 40, 15));
  EXPECT_GT(centre, 200);
  EXPECT_LT(bandCorner, 110);
}

TEST(Icon, IsA256PixelRoundPictureOnATransparentGround) {
  const QImage icon = LoadShipped("marvane.png");
  ASSERT_EQ(icon.size(), QSize(256, 256));
  ASSERT_TRUE(icon.hasAlphaChannel());
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(255, 255)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(128, 128)), 255);
  EXPECT_GT(DistinctColours(icon), 2000u);
}

}  // namespace
}  // namespace marvane::testing
