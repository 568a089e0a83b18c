// Every format and variant we read loads with its true size and its true pixels. The
// files are written by the tests themselves into a temporary folder, most byte for
// byte (picture_file_makers.h), some by Qt's writers where Qt writes the variant.
#include <QColor>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/picture_checks.h"
#include "platform/picture_file_makers.h"
#include "platform/picture_files.h"

namespace marvane {
namespace {

using test::Packed;
using test::PatternColour;
using test::PixelsMatch;

constexpr int32_t kGreen = 0x00FF00;
constexpr int32_t kMauve = 0x804060;

int32_t PatternPacked(int x, int y) { return Packed(PatternColour(x, y)); }

class PictureFileLoading : public ::testing::Test {
 protected:
  Picture Load(const QString& name, const QByteArray& bytes, int32_t backColor = kGreen) {
    test::WriteFileBytes(folder_.Path(name), bytes);
    return LoadPictureFile(folder_.StdPath(name), backColor);
  }
  test::TempFolder folder_;
};

// The 16-bit-to-8-bit rounding a reader should apply: the nearest 8-bit level.
int To8(int v16) { return static_cast<int>(std::lround(v16 / 257.0)); }

// ---------------------------------------------------------------- BMP

std::vector<uint32_t> Indices(int width, int height, int modulus) {
  std::vector<uint32_t> out;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out.push_back(static_cast<uint32_t>((x * 5 + y * 3 + x * y) % modulus));
  return out;
}

std::vector<QRgb> Palette(int n) {
  std::vector<QRgb> out;
  for (int i = 0; i < n; ++i) out.push_back(qRgb((i * 97 + 13) & 255, (i * 31 + 200) & 255, (255 - i * 11) & 255));
  return out;
}

TEST_F(PictureFileLoading, BmpEveryDepthBottomUpAndTopDownGivesItsColours) {
  // 13 pixels wide: not whole bytes or words of pixels, so row padding shows.
  for (const bool topDown : {false, true}) {
    for (const int bits : {1, 4, 8, 24, 32}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, top-down " << topDown);
      test::BmpSpec spec;
      spec.width = 13;
      spec.height = 6;
      spec.bitsPerPixel = bits;
      spec.topDown = topDown;
      if (bits <= 8) {
        spec.palette = Palette(1 << bits);
        spec.pixels = Indices(13, 6, 1 << bits);
      } else {
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 13; ++x) spec.pixels.push_back(PatternColour(x, y));
      }
      // In a plain 32-bit BMP the fourth byte is unused, and writers leave it 0: that
      // must not read as "fully transparent".
      spec.unusedByte = 0;
      EXPECT_TRUE(PixelsMatch(Load("depth.bmp", test::MakeBmp(spec)), 13, 6, [&](int x, int y) {
        const uint32_t v = spec.pixels[static_cast<size_t>(y * 13 + x)];
        return bits <= 8 ? Packed(spec.palette[v]) : Packed(v);
      }));
    }
  }
}

TEST_F(PictureFileLoading, BmpAlphaMaskIsLaidOverTheBackground) {
  test::BmpSpec spec;
  spec.width = 6;
  spec.height = 3;
  spec.bitsPerPixel = 32;
  spec.alphaMask = true;
  const int alphas[] = {0, 1, 90, 128, 254, 255};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) {
      const QRgb c = PatternColour(x, y);
      spec.pixels.push_back(qRgba(qRed(c), qGreen(c), qBlue(c), alphas[x]));
    }
  EXPECT_TRUE(PixelsMatch(Load("alpha.bmp", test::MakeBmp(spec), kMauve), 6, 3, [&](int x, int y) {
    return test::Over(PatternPacked(x, y), alphas[x], kMauve);
  }));
}

TEST_F(PictureFileLoading, BmpRunLengthCodedGivesItsColours) {
  const std::vector<QRgb> palette = Palette(8);
  std::vector<uint8_t> indices;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 11; ++x) indices.push_back(static_cast<uint8_t>(x < 4 ? y % 8 : (x + y) % 8));
  EXPECT_TRUE(PixelsMatch(Load("rle.bmp", test::MakeRunLengthBmp(11, 5, palette, indices)), 11, 5,
                          [&](int x, int y) { return Packed(palette[indices[static_cast<size_t>(y * 11 + x)]]); }));
}

// ---------------------------------------------------------------- JPEG

// A smooth picture, as photographs mostly are: JPEG keeps it within a few levels.
QImage SmoothImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(40 + 4 * x, 30 + 5 * y, 200 - 2 * x - 2 * y));
  return image;
}

// Quality 100 has quantisation steps of 1; what is left is the colour conversion and
// the halved colour resolution, a few levels on a smooth picture. 6 leaves room for
// both and still catches swapped channels, mirrored rows or a wrong conversion.
constexpr int kJpegTolerance = 6;

// The frame-header marker of a JPEG: 0xC0 baseline, 0xC2 progressive.
int JpegFrameMarker(const QByteArray& jpeg) {
  qsizetype pos = 2;
  while (pos + 4 <= jpeg.size()) {
    const auto marker = static_cast<uint8_t>(jpeg[pos + 1]);
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) return marker;
    pos += 2 + ((static_cast<uint8_t>(jpeg[pos + 2]) << 8) | static_cast<uint8_t>(jpeg[pos + 3]));
  }
  return -1;
}

TEST_F(PictureFileLoading, JpegBaselineAndProgressiveLoadWithinTolerance) {
  const QImage image = SmoothImage(40, 32);
  for (const bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    const QString path = folder_.Path(progressive ? "p.jpg" : "b.jpg");
    test::WriteWithQt(image, path, "jpeg", [&](QImageWriter& w) {
      w.setQuality(100);
      w.setProgressiveScanWrite(progressive);
    });
    ASSERT_EQ(JpegFrameMarker(test::ReadFileBytes(path)), progressive ? 0xC2 : 0xC0);
    EXPECT_TRUE(PixelsMatch(LoadPictureFile(path.toStdString(), kGreen), 40, 32,
                            [&](int x, int y) { return Packed(image.pixel(x, y)); }, kJpegTolerance));
  }
}

// Flat 8 x 8 blocks decode exactly, so these files are checked to the level.
std::array<uint8_t, 4> BlockValues(int bx, int by) {
  return {static_cast<uint8_t>(30 + 60 * bx), static_cast<uint8_t>(250 - 70 * by), static_cast<uint8_t>(90 + 40 * (bx + by)),
          static_cast<uint8_t>(255 - 50 * by)};
}

TEST_F(PictureFileLoading, JpegGreyAndColourFlatBlocksDecodeExactlyAndOddSizesAreCropped) {
  // 19 x 10 pixels: the right and bottom blocks are only partly inside the picture.
  const Picture grey = Load("g.jpg", test::MakeFlatBlockJpeg(19, 10, 1, BlockValues));
  EXPECT_TRUE(PixelsMatch(grey, 19, 10, [](int x, int y) {
    const int v = BlockValues(x / 8, y / 8)[0];
    return Packed(v, v, v);
  }));
  const Picture rgb = Load("rgb.jpg", test::MakeFlatBlockJpeg(19, 10, 3, BlockValues));
  EXPECT_TRUE(PixelsMatch(rgb, 19, 10, [](int x, int y) {
    const auto v = BlockValues(x / 8, y / 8);
    return Packed(v[0], v[1], v[2]);
  }));
}

TEST_F(PictureFileLoading, JpegCmykIsConvertedToRgb) {
  // Adobe's writers store CMYK inverted (255 is no ink), so a stored C', M', Y', K'
  // shows as red = C' x K' / 255 and so on. Within 1 for the rounding of that product.
  const Picture p = Load("cmyk.jpg", test::MakeFlatBlockJpeg(24, 16, 4, BlockValues));
  EXPECT_TRUE(PixelsMatch(p, 24, 16, [](int x, int y) {
    const auto v = BlockValues(x / 8, y / 8);
    auto ink = [&](int c) { return static_cast<int>(std::lround(c * v[3] / 255.0)); };
    return Packed(ink(v[0]), ink(v[1]), ink(v[2]));
  }, 1));
}

// ---------------------------------------------------------------- TIFF

TEST_F(PictureFileLoading, TiffFromQtUncompressedAndLzwAreExact) {
  const QImage image = test::PatternImage(9, 7);
  for (const int compression : {0, 1}) {  // Qt's names: 0 none, 1 LZW
    SCOPED_TRACE(compression);
    const QString path = folder_.Path(compression ? "lzw.tif" : "plain.tif");
    test::WriteWithQt(image, path, "tiff", [&](QImageWriter& w) { w.setCompression(compression); });
    ASSERT_EQ(test::TiffCompression(test::ReadFileBytes(path)), compression ? 5 : 1);
    EXPECT_TRUE(PixelsMatch(LoadPictureFile(path.toStdString(), kGreen), 9, 7, PatternPacked));
  }
}

test::TiffPage PatternPage(int width, int height, int samples = 3, int bits = 8) {
  test::TiffPage page;
  page.width = width;
  page.height = height;
  page.samplesPerPixel = samples;
  page.bitsPerSample = bits;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const QRgb c = PatternColour(x, y);
      const int channels[] = {qRed(c), qGreen(c), qBlue(c)};
      for (int s = 0; s < samples; ++s) page.samples.push_back(static_cast<uint16_t>(channels[s % 3]));
    }
  return page;
}

TEST_F(PictureFileLoading, TiffByteOrdersAndDeflateAreExact) {
  for (const bool bigEndian : {false, true}) {
    for (const bool deflate : {false, true}) {
      SCOPED_TRACE(testing::Message() << "big-endian " << bigEndian << ", deflate " << deflate);
      test::TiffPage page = PatternPage(10, 6);
      page.deflate = deflate;
      const QByteArray bytes = test::MakeTiff({page}, bigEndian);
      ASSERT_EQ(test::TiffCompression(bytes), deflate ? 8 : 1);
      EXPECT_TRUE(PixelsMatch(Load("page.tif", bytes), 10, 6, PatternPacked));
    }
  }
}

TEST_F(PictureFileLoading, TiffGreyIsGrey) {
  test::TiffPage page;
  page.width = 5;
  page.height = 4;
  page.samplesPerPixel = 1;
  for (int i = 0; i < 20; ++i) page.samples.push_back(static_cast<uint16_t>(i * 13));
  EXPECT_TRUE(PixelsMatch(Load("grey.tif", test::MakeTiff({page})), 5, 4, [](int x, int y) {
    const int v = (y * 5 + x) * 13;
    return Packed(v, v, v);
  }));
}

// 16-bit values on both sides of every rounding edge: 257 k + 128 is just below
// k + 1/2 and rounds down, 257 k + 129 just above and rounds up.
uint16_t Sample16(int x, int y, int s) {
  const int k = (x * 37 + y * 11 + s * 71) % 255;
  return static_cast<uint16_t>(257 * k + ((x + s) % 3 == 0 ? 128 : (x + s) % 3 == 1 ? 129 : 0));
}

int32_t Rounded16(int x, int y) {
  return Packed(To8(Sample16(x, y, 0)), To8(Sample16(x, y, 1)), To8(Sample16(x, y, 2)));
}

TEST_F(PictureFileLoading, Tiff16BitsPerChannelRoundsToNearest8BitLevel) {
  test::TiffPage page;
  page.width = 12;
  page.height = 5;
  page.bitsPerSample = 16;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 12; ++x)
      for (int s = 0; s < 3; ++s) page.samples.push_back(Sample16(x, y, s));
  EXPECT_TRUE(PixelsMatch(Load("deep.tif", test::MakeTiff({page})), 12, 5, Rounded16));
  // And as Qt's TIFF and PNG writers lay 16-bit pictures out.
  QImage deep(12, 5, QImage::Format_RGBX64);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 12; ++x)
      deep.setPixelColor(x, y, QColor::fromRgba64(Sample16(x, y, 0), Sample16(x, y, 1), Sample16(x, y, 2)));
  for (const char* format : {"tiff", "png"}) {
    SCOPED_TRACE(format);
    const QString path = folder_.Path(QString("qt-deep.") + format);
    test::WriteWithQt(deep, path, format);
    EXPECT_TRUE(PixelsMatch(LoadPictureFile(path.toStdString(), kGreen), 12, 5, Rounded16));
  }
}

TEST_F(PictureFileLoading, TiffAlphaIsLaidOverTheBackground) {
  const int alphas[] = {0, 1, 64, 128, 200, 255};
  for (const int bits : {8, 16}) {
    SCOPED_TRACE(bits);
    test::TiffPage page;
    page.width = 6;
    page.height = 4;
    page.samplesPerPixel = 4;
    page.bitsPerSample = bits;
    const int scale = bits == 16 ? 257 : 1;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) {
        const QRgb c = PatternColour(x, y);
        for (int v : {qRed(c), qGreen(c), qBlue(c), alphas[x]}) page.samples.push_back(static_cast<uint16_t>(v * scale));
      }
    // libtiff hands 8-bit alpha pictures over premultiplied, which costs up to one
    // level where alpha is small; 16-bit ones come straight.
    const int tolerance = bits == 8 ? 1 : 0;
    EXPECT_TRUE(PixelsMatch(Load("alpha.tif", test::MakeTiff({page}), kMauve), 6, 4, [&](int x, int y) {
      return test::Over(PatternPacked(x, y), alphas[x], kMauve);
    }, tolerance));
  }
}

TEST_F(PictureFileLoading, TiffWithSeveralPagesGivesTheFirst) {
  test::TiffPage second = PatternPage(9, 9);
  for (auto& s : second.samples) s = static_cast<uint16_t>(255 - s);
  const Picture p = Load("pages.tif", test::MakeTiff({PatternPage(5, 4), second, PatternPage(3, 3)}));
  EXPECT_TRUE(PixelsMatch(p, 5, 4, PatternPacked));
}

// ---------------------------------------------------------------- GIF

TEST_F(PictureFileLoading, GifSmallAndLongCodeTablesGiveTheirColours) {
  // 4800 pixels of scattered indices make the code table grow through every code
  // width up to 12 bits and fill, so the coder starts its table again.
  uint32_t seed = 12345;
  for (const auto [width, height, colours] : {std::array{9, 7, 4}, std::array{80, 60, 256}}) {
    SCOPED_TRACE(colours);
    const std::vector<QRgb> palette = Palette(colours);
    test::GifFrame frame{0, 0, width, height, {}, -1};
    for (int i = 0; i < width * height; ++i) {
      seed = seed * 1103515245u + 12345u;
      frame.indices.push_back(static_cast<uint8_t>((seed >> 16) % static_cast<uint32_t>(colours)));
    }
    EXPECT_TRUE(PixelsMatch(Load("codes.gif", test::MakeGif(width, height, palette, {frame})), width, height,
                            [&](int x, int y) { return Packed(palette[frame.indices[static_cast<size_t>(y * width + x)]]); }));
  }
}

TEST_F(PictureFileLoading, GifTransparentIndexShowsTheGivenBackground) {
  const std::vector<QRgb> palette = Palette(4);
  test::GifFrame frame{0, 0, 6, 5, {}, 2};
  for (int i = 0; i < 30; ++i) frame.indices.push_back(static_cast<uint8_t>(i % 4));
  const QByteArray bytes = test::MakeGif(6, 5, palette, {frame});
  for (const int32_t back : {kGreen, kMauve}) {
    EXPECT_TRUE(PixelsMatch(Load("clear.gif", bytes, back), 6, 5, [&](int x, int y) {
      const uint8_t i = frame.indices[static_cast<size_t>(y * 6 + x)];
      return i == 2 ? back : Packed(palette[i]);
    }));
  }
}

TEST_F(PictureFileLoading, GifWithSeveralFramesGivesTheFirst) {
  const std::vector<QRgb> palette = Palette(4);
  test::GifFrame first{0, 0, 6, 5, std::vector<uint8_t>(30, 1), -1};
  first.indices[7] = 3;
  const test::GifFrame second{0, 0, 6, 5, std::vector<uint8_t>(30, 2), -1};
  const test::GifFrame third{1, 1, 2, 2, std::vector<uint8_t>(4, 0), -1};
  EXPECT_TRUE(PixelsMatch(Load("frames.gif", test::MakeGif(6, 5, palette, {first, second, third})), 6, 5,
                          [&](int x, int y) { return Packed(palette[y * 6 + x == 7 ? 3 : 1]); }));
}

TEST_F(PictureFileLoading, GifScreenBeyondTheFirstFrameShowsTheGifBackgroundOrOurs) {
  // The picture is the size of the GIF's screen. Where the first frame does not reach,
  // the screen shows the GIF's background colour (index 0 here), or nothing at all
  // when the frame has a transparent colour, and then the given background shows.
  const std::vector<QRgb> palette = Palette(4);
  for (const int transparent : {-1, 3}) {
    SCOPED_TRACE(transparent);
    const test::GifFrame frame{1, 1, 2, 2, std::vector<uint8_t>(4, 1), transparent};
    const Picture p = Load("part.gif", test::MakeGif(5, 4, palette, {frame}), kMauve);
    EXPECT_TRUE(PixelsMatch(p, 5, 4, [&](int x, int y) {
      if (x >= 1 && x <= 2 && y >= 1 && y <= 2) return Packed(palette[1]);
      return transparent < 0 ? Packed(palette[0]) : kMauve;
    }));
  }
}

// ---------------------------------------------------------------- PNG

TEST_F(PictureFileLoading, PngTrueColourGreyAndPaletteAreExact) {
  const QImage image = test::PatternImage(11, 6);
  const struct {
    const char* name;
    QImage image;
  } cases[] = {
      {"rgb.png", image},
      {"grey.png", image.convertToFormat(QImage::Format_Grayscale8)},
      {"palette.png", image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = folder_.Path(c.name);
    test::WriteWithQt(c.image, path, "png");
    EXPECT_TRUE(PixelsMatch(LoadPictureFile(path.toStdString(), kGreen), 11, 6,
                            [&](int x, int y) { return Packed(c.image.pixel(x, y)); }));
  }
}

TEST_F(PictureFileLoading, PngAlphaIsLaidOverTheBackground) {
  const int alphas[] = {0, 1, 77, 128, 254, 255, 10};
  QImage image(7, 3, QImage::Format_ARGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) {
      const QRgb c = PatternColour(x, y);
      image.setPixel(x, y, qRgba(qRed(c), qGreen(c), qBlue(c), alphas[x]));
    }
  const QString path = folder_.Path("alpha.png");
  test::WriteWithQt(image, path, "png");
  for (const int32_t back : {kGreen, kMauve, 0x000000, 0xFFFFFF}) {
    EXPECT_TRUE(PixelsMatch(LoadPictureFile(path.toStdString(), back), 7, 3, [&](int x, int y) {
      return test::Over(PatternPacked(x, y), alphas[x], back);
    }));
  }
}

// ---------------------------------------------------------------- format by content

TEST_F(PictureFileLoading, TheBytesDecideTheFormatNotTheName) {
  const QImage image = test::PatternImage(5, 4);
  QByteArray png;
  {
    const QString path = folder_.Path("real.png");
    test::WriteWithQt(image, path, "png");
    png = test::ReadFileBytes(path);
  }
  test::BmpSpec bmp{5, 4, 24, false, {}, {}, false, 0};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) bmp.pixels.push_back(PatternColour(x, y));
  EXPECT_TRUE(PixelsMatch(Load("png-named.bmp", png), 5, 4, PatternPacked));
  EXPECT_TRUE(PixelsMatch(Load("bmp-named.jpg", test::MakeBmp(bmp)), 5, 4, PatternPacked));
  EXPECT_TRUE(PixelsMatch(Load("no-ending", png), 5, 4, PatternPacked));
  EXPECT_TRUE(PixelsMatch(Load("UPPER.GIF", test::MakeTiff({PatternPage(5, 4)})), 5, 4, PatternPacked));
}

TEST_F(PictureFileLoading, TheLargestSideWeReadLoads) {
  QImage wide(kLargestPictureSide, 1, QImage::Format_RGB32);
  wide.fill(qRgb(1, 2, 3));
  wide.setPixel(kLargestPictureSide - 1, 0, qRgb(200, 100, 50));
  const QString path = folder_.Path("wide.png");
  test::WriteWithQt(wide, path, "png");
  const Picture p = LoadPictureFile(path.toStdString(), kGreen);
  ASSERT_EQ(p.Width(), kLargestPictureSide);
  ASSERT_EQ(p.Height(), 1);
  EXPECT_EQ(p.Point(0, 0), Packed(1, 2, 3));
  EXPECT_EQ(p.Point(kLargestPictureSide - 1, 0), Packed(200, 100, 50));
}

}  // namespace
}  // namespace marvane
