#include "engine/load_size_image.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/picture.h"
#include "platform/picture_checks.h"
#include "platform/ui.h"
#include "util/numbers.h"

namespace marvane {
namespace {

int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }
int32_t TileColour(int x, int y) { return Rgb((x * 9) & 255, (y * 13) & 255, (x + y) & 255); }

class LoadSizeImageTest : public ::testing::Test {
 protected:
  // Writes a width x height PNG of TileColour and returns its path.
  std::string WriteTile(const QString& name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int32_t c = TileColour(x, y);
        image.setPixel(x, y, qRgb(c & 255, (c >> 8) & 255, (c >> 16) & 255));
      }
    EXPECT_TRUE(image.save(folder_.Path(name), "png"));
    return folder_.StdPath(name);
  }
  std::string WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile file(folder_.Path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return folder_.StdPath(name);
  }

  test::TempFolder folder_;
  RecordingUi ui_;
};

TEST_F(LoadSizeImageTest, LaysThePictureAtTheTopLeftAndReportsItsLastColumnAndRow) {
  const std::string file = WriteTile("tile.png", 60, 30);
  Picture surface(100, 80, 0x203040);
  surface.FillBox(0, 0, 99, 79, 0x777777);  // an old drawing, to be erased
  int32_t lastX = -5;
  int32_t lastY = -5;
  ASSERT_TRUE(LoadSizeImage(ui_, surface, file, lastX, lastY));
  EXPECT_EQ(lastX, 59);
  EXPECT_EQ(lastY, 29);
  EXPECT_TRUE(test::PixelsMatch(surface, 100, 80, [](int x, int y) {
    return x < 60 && y < 30 ? TileColour(x, y) : 0x203040;
  }));
  EXPECT_EQ(surface.BackColor(), 0x203040);
  EXPECT_TRUE(ui_.Events().empty());
}

TEST_F(LoadSizeImageTest, ASurfaceWithoutPixelsTakesThePicturesSize) {
  const std::string file = WriteTile("tile.png", 17, 23);
  Picture surface;
  int32_t lastX = 0;
  int32_t lastY = 0;
  ASSERT_TRUE(LoadSizeImage(ui_, surface, file, lastX, lastY));
  EXPECT_EQ(lastX, 16);
  EXPECT_EQ(lastY, 22);
  EXPECT_TRUE(test::PixelsMatch(surface, 17, 23, TileColour));
}

TEST_F(LoadSizeImageTest, APictureLargerThanTheSurfaceIsClippedButMeasuredWhole) {
  const std::string file = WriteTile("big.png", 50, 40);
  Picture surface(20, 10, 0);
  int32_t lastX = 0;
  int32_t lastY = 0;
  ASSERT_TRUE(LoadSizeImage(ui_, surface, file, lastX, lastY));
  EXPECT_EQ(lastX, 49);
  EXPECT_EQ(lastY, 39);
  EXPECT_TRUE(test::PixelsMatch(surface, 20, 10, TileColour));
}

TEST_F(LoadSizeImageTest, TransparentPartsShowTheSurfacesBackground) {
  QImage image(4, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgba(200, 100, 50, 255));
  image.setPixel(1, 0, qRgba(200, 100, 50, 0));
  image.setPixel(2, 0, qRgba(200, 100, 50, 128));
  image.setPixel(3, 0, qRgba(0, 0, 0, 51));
  ASSERT_TRUE(image.save(folder_.Path("holes.png"), "png"));
  for (const int32_t back : {0x00FF00, 0xFFFFFF}) {
    Picture surface(4, 1, back);
    int32_t lastX = 0;
    int32_t lastY = 0;
    ASSERT_TRUE(LoadSizeImage(ui_, surface, folder_.StdPath("holes.png"), lastX, lastY));
    EXPECT_EQ(surface.Point(0, 0), Rgb(200, 100, 50));
    EXPECT_EQ(surface.Point(1, 0), back);
    EXPECT_EQ(surface.Point(2, 0), test::Over(Rgb(200, 100, 50), 128, back));
    EXPECT_EQ(surface.Point(3, 0), test::Over(0, 51, back));
  }
}

TEST_F(LoadSizeImageTest, AFileThatCannotBeLoadedChangesNothing) {
  QImage good(8, 8, QImage::Format_RGB32);
  good.fill(qRgb(1, 2, 3));
  ASSERT_TRUE(good.save(folder_.Path("good.png"), "png"));
  QFile goodFile(folder_.Path("good.png"));
  ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
  const QByteArray png = goodFile.readAll();
  QByteArray hugeBmp(54, '\0');
  hugeBmp[0] = 'B';
  hugeBmp[1] = 'M';
  hugeBmp[14] = 40;
  hugeBmp[18] = static_cast<char>(0x30);  // 30000 = 0x7530 wide and high
  hugeBmp[19] = static_cast<char>(0x75);
  hugeBmp[22] = static_cast<char>(0x30);
  hugeBmp[23] = static_cast<char>(0x75);
  hugeBmp[26] = 1;
  hugeBmp[28] = 24;
  ASSERT_TRUE(QDir(folder_.Root()).mkdir("folder.bmp"));

  const struct {
    std::string path;
    std::string why;
  } cases[] = {
      {folder_.StdPath("missing.bmp"), "the file does not exist."},
      {WriteBytes("empty.gif", {}), "the file is empty."},
      {WriteBytes("text.jpg", "just words"), "it is not a BMP, JPG, TIF, GIF or PNG picture."},
      {WriteBytes("cut.png", png.left(png.size() - 5)), "the picture in it is damaged or incomplete."},
      {WriteBytes("huge.bmp", hugeBmp),
       "the picture is 30000 x 30000 pixels, and this program reads pictures of at most 16384 pixels on a side."},
      {folder_.StdPath("folder.bmp"), "it is a folder, not a picture file."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Picture surface(12, 9, 0x445566);
    surface.PSet(3, 4, 0x010203);
    const Picture before = surface;
    int32_t lastX = 41;
    int32_t lastY = 42;
    ui_.Clear();
    ui_.SetBusyPointer(true);  // the trap gives the default pointer back
    EXPECT_FALSE(LoadSizeImage(ui_, surface, c.path, lastX, lastY));
    EXPECT_EQ(surface, before);
    EXPECT_EQ(surface.BackColor(), 0x445566);
    EXPECT_EQ(lastX, 41);
    EXPECT_EQ(lastY, 42);
    const auto messages = ui_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Load Size Image");
    EXPECT_EQ(messages[0].text, "Cannot read the picture file \"" + c.path + "\": " + c.why);
    EXPECT_FALSE(ui_.Busy());
  }
}

// Why the last column and row come from the pixel count. Pictures used to be measured
// in HIMETRIC (hundredths of a millimetre): the platform took pixels x 2540 / 96 and
// rounded to a whole unit, and the caller turned that back into pixels with the factor
// 0.0377992440151197, rounding halves to even, and subtracted 1.
int32_t HimetricOf(int32_t pixels, bool halvesUp) {
  const double exact = pixels * 2540.0 / 96.0;
  return halvesUp ? static_cast<int32_t>(std::floor(exact + 0.5)) : RoundToLong(exact);
}
int32_t LastIndexFromHimetric(int32_t himetric) { return RoundToLong(himetric * 0.0377992440151197) - 1; }

TEST(LoadSizeImageMeasure, HimetricRoundTripIsExactForTilesAndBoardsButNotForLargePictures) {
  // The factor is 90 / 2381, about 1.05e-4 larger than 96 / 2540, so the round trip
  // overshoots by side x 1.05e-4 pixels, plus up to half a HIMETRIC unit (0.019
  // pixels) of rounding either way. It is therefore exact while that stays under half
  // a pixel, at least up to (0.5 - 0.019) / 1.05e-4 = 4582 pixels, and a whole pixel
  // or more out from (0.5 + 0.019) / 1.05e-4 = 4943 pixels on. Whichever way the
  // platform rounded a half unit makes no difference.
  const double drift = 0.0377992440151197 * 2540.0 / 96.0 - 1.0;
  ASSERT_NEAR(drift, 1.05e-4, 1e-6);
  for (const bool halvesUp : {false, true}) {
    SCOPED_TRACE(halvesUp ? "halves up" : "halves to even");
    int firstWrong = 0;
    for (int32_t side = 1; side <= 20000; ++side) {
      const int32_t last = LastIndexFromHimetric(HimetricOf(side, halvesUp));
      if (side <= 4582) {
        ASSERT_EQ(last, side - 1) << side;
      }
      if (side >= 4943) {
        ASSERT_GT(last, side - 1) << side;
      }
      if (last != side - 1 && firstWrong == 0) firstWrong = side;
    }
    EXPECT_GT(firstWrong, 4582);
    EXPECT_LT(firstWrong, 4943);
    // At 20000 pixels the drift is 2.1 pixels.
    EXPECT_EQ(LastIndexFromHimetric(HimetricOf(20000, halvesUp)), 20000 - 1 + 2);
  }
}

TEST_F(LoadSizeImageTest, LargePicturesReportTheirTruePixelSize) {
  // 6000 pixels is beyond where the HIMETRIC round trip holds: it would say 6000.
  ASSERT_EQ(LastIndexFromHimetric(HimetricOf(6000, false)), 6000);
  const std::string file = WriteTile("long.png", 6000, 2);
  Picture surface;
  int32_t lastX = 0;
  int32_t lastY = 0;
  ASSERT_TRUE(LoadSizeImage(ui_, surface, file, lastX, lastY));
  EXPECT_EQ(lastX, 5999);
  EXPECT_EQ(lastY, 1);
}

}  // namespace
}  // namespace marvane
