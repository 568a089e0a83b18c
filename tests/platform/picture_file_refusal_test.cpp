// Every kind of bad file is refused with a run-time error that names the file and says
// what is wrong, and never with a crash, a part picture or a picture of another size.
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/picture_checks.h"
#include "platform/picture_file_makers.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"

namespace marvane {
namespace {

using test::PatternColour;

constexpr const char* kDamaged = "the picture in it is damaged or incomplete.";
constexpr const char* kNotOurs = "it is not a BMP, JPG, TIF, GIF or PNG picture.";

// The text of the run-time error that loading `path` raises, or nothing when it loads.
std::optional<std::string> LoadError(const std::string& path) {
  try {
    LoadPictureFile(path, 0xFFFFFF);
  } catch (const RunTimeError& e) {
    return e.what();
  }
  return std::nullopt;
}

std::string Expected(const std::string& path, const std::string& why) {
  return "Cannot read the picture file \"" + path + "\": " + why;
}

class PictureFileRefusal : public ::testing::Test {
 protected:
  std::string Write(const QString& name, const QByteArray& bytes) {
    test::WriteFileBytes(folder_.Path(name), bytes);
    return folder_.StdPath(name);
  }
  // Whether every shorter copy of `whole` is refused as damaged, and `whole` loads.
  // Copies shorter than the format's signature are not recognisable and are refused
  // as not being one of our formats.
  void ExpectEveryTruncationRefused(const QByteArray& whole, qsizetype signatureLength) {
    const std::string path = folder_.StdPath("cut");
    for (qsizetype length = 1; length < whole.size(); ++length) {
      test::WriteFileBytes(folder_.Path("cut"), whole.left(length));
      const auto error = LoadError(path);
      ASSERT_TRUE(error.has_value()) << "the first " << length << " of " << whole.size() << " bytes loaded";
      ASSERT_EQ(*error, Expected(path, length < signatureLength ? kNotOurs : kDamaged)) << length << " bytes";
    }
    test::WriteFileBytes(folder_.Path("cut"), whole);
    EXPECT_EQ(LoadError(path), std::nullopt);
  }
  QByteArray QtBytes(const QImage& image, const char* format, const std::function<void(QImageWriter&)>& options = {}) {
    const QString path = folder_.Path(QString("qt.") + format);
    test::WriteWithQt(image, path, format, options);
    return test::ReadFileBytes(path);
  }

  test::TempFolder folder_;
};

test::BmpSpec PatternBmp(int width, int height, int bits) {
  test::BmpSpec spec;
  spec.width = width;
  spec.height = height;
  spec.bitsPerPixel = bits;
  if (bits <= 8)
    for (int i = 0; i < (1 << bits); ++i) spec.palette.push_back(qRgb(i, 255 - i, i / 2));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      spec.pixels.push_back(bits <= 8 ? static_cast<uint32_t>((x + y) % (1 << bits)) : PatternColour(x, y));
  return spec;
}

test::TiffPage TiffPattern(int width, int height) {
  test::TiffPage page;
  page.width = width;
  page.height = height;
  for (int i = 0; i < width * height * 3; ++i) page.samples.push_back(static_cast<uint16_t>(i * 7 % 256));
  return page;
}

// ---------------------------------------------------------------- not a picture file

TEST_F(PictureFileRefusal, MissingEmptyFolderDeviceTextAndNoiseAreRefusedByName) {
  ASSERT_TRUE(QDir(folder_.Root()).mkdir("tile.bmp"));
  QByteArray noise;
  uint32_t seed = 2024;
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    noise.append(static_cast<char>(seed >> 24));
  }
  noise[0] = 'x';  // make sure the noise does not start like a picture by chance
  const std::pair<std::string, std::string> cases[] = {
      {folder_.StdPath("nowhere.bmp"), "the file does not exist."},
      {folder_.StdPath("no-folder/tile.bmp"), "the file does not exist."},
      {"", "no file name was given."},
      {folder_.StdPath("tile.bmp"), "it is a folder, not a picture file."},
      {Write("empty.jpg", {}), "the file is empty."},
      {"/dev/zero", "it is not an ordinary file."},
      {Write("notes.jpg", "These are my notes, not a picture.\n"), kNotOurs},
      {Write("noise.gif", noise), kNotOurs}};
  for (const auto& [path, why] : cases) EXPECT_EQ(LoadError(path), Expected(path, why));
}

TEST_F(PictureFileRefusal, UnreadableFile) {
  const std::string path = Write("locked.bmp", test::MakeBmp(PatternBmp(4, 4, 24)));
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  QFile probe(QString::fromStdString(path));
  if (probe.open(QIODevice::ReadOnly)) {
    chmod(path.c_str(), 0600);
    GTEST_SKIP() << "this test runs with rights that read any file (as root does), so a file "
                    "without read permission cannot be made here";
  }
  EXPECT_EQ(LoadError(path), Expected(path, "this program is not allowed to read it."));
  chmod(path.c_str(), 0600);
}

TEST_F(PictureFileRefusal, PicturesInFormatsWeDoNotReadAreNotOurs) {
  // Qt can read these, but the program offers BMP, JPG, TIF, GIF and PNG only.
  const QImage image = test::PatternImage(8, 8);
  for (const char* format : {"webp", "ico", "ppm", "xpm"}) {
    SCOPED_TRACE(format);
    const std::string path = Write(QString("other.") + format, QtBytes(image, format));
    EXPECT_EQ(LoadError(path), Expected(path, kNotOurs));
  }
}

TEST_F(PictureFileRefusal, AFormatWithoutItsReaderIsNamed) {
  // Qt reads TIFF through a plugin from a separate package. A program without it says
  // so. The check runs in a fresh process of this test program (which runs this test
  // from its start), so that no plugin is loaded yet when the search path is emptied.
  const std::string path = Write("page.tif", test::MakeTiff({TiffPattern(3, 3)}));
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        QCoreApplication::setLibraryPaths({folder_.Path("no-plugins")});
        const auto error = LoadError(path);
        const std::string expected = Expected(path, "it is a TIF picture, and the reader for TIF pictures is not installed.");
        if (error != expected) std::cerr << "got: " << error.value_or("no error") << "\n";
        std::exit(error == expected ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  // This test environment must have it: the loading tests need it.
  EXPECT_TRUE(QImageReader::supportedImageFormats().contains("tiff"))
      << "Qt's TIFF reader is missing: install qt6-image-formats-plugins";
}

// ---------------------------------------------------------------- declared size

TEST_F(PictureFileRefusal, SidesBeyondTheLargestAreRefusedHugeOnesFromTheHeader) {
  // Headers only, with no pixel data behind them: a reader that believed them would
  // set aside gigabytes before noticing.
  const std::string tooBig = ", and this program reads pictures of at most 16384 pixels on a side.";
  QByteArray bmp = test::MakeBmp(PatternBmp(2, 2, 24));
  bmp.truncate(54);
  const auto setLe32 = [](QByteArray& b, int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  setLe32(bmp, 18, 30000);
  setLe32(bmp, 22, 30000);
  const std::string bmpPath = Write("huge.bmp", bmp);
  EXPECT_EQ(LoadError(bmpPath), Expected(bmpPath, "the picture is 30000 x 30000 pixels" + tooBig));

  const QByteArray jpeg = test::WithJpegFrameSize(QtBytes(test::PatternImage(8, 8), "jpeg"), 60000, 60000);
  const std::string jpegPath = Write("huge.jpg", jpeg);
  EXPECT_EQ(LoadError(jpegPath), Expected(jpegPath, "the picture is 60000 x 60000 pixels" + tooBig));

  test::GifFrame frame{0, 0, 1, 1, {0}, -1};
  const std::string gifPath = Write("tall.gif", test::MakeGif(1, 16385, {qRgb(1, 2, 3), qRgb(4, 5, 6)}, {frame}));
  EXPECT_EQ(LoadError(gifPath), Expected(gifPath, "the picture is 1 x 16385 pixels" + tooBig));

  test::TiffPage page = TiffPattern(2, 2);
  page.width = 20000;  // the strip stays four bytes long
  const std::string tiffPath = Write("wide.tif", test::MakeTiff({page}));
  EXPECT_EQ(LoadError(tiffPath), Expected(tiffPath, "the picture is 20000 x 2 pixels" + tooBig));

  // One more than the largest side, in a whole file.
  QImage wide(kLargestPictureSide + 1, 1, QImage::Format_RGB32);
  wide.fill(qRgb(9, 9, 9));
  const std::string pngPath = Write("wide.png", QtBytes(wide, "png"));
  EXPECT_EQ(LoadError(pngPath), Expected(pngPath, "the picture is 16385 x 1 pixels" + tooBig));
}

TEST_F(PictureFileRefusal, FrameLargerThanItsGifScreenIsNotReadBeyondTheDeclaredSize) {
  // The header promises 4 x 4; the frame holds 40 x 40. Whatever Qt makes of it, the
  // program gets a 4 x 4 picture or a refusal, never a bigger picture.
  test::GifFrame frame{0, 0, 40, 40, std::vector<uint8_t>(1600, 1), -1};
  const std::string path = Write("spill.gif", test::MakeGif(4, 4, {qRgb(0, 0, 0), qRgb(250, 0, 0)}, {frame}));
  try {
    const Picture p = LoadPictureFile(path, 0xFFFFFF);
    EXPECT_EQ(p.Width(), 4);
    EXPECT_EQ(p.Height(), 4);
  } catch (const RunTimeError& e) {
    EXPECT_EQ(std::string(e.what()), Expected(path, kDamaged));
  }
}

// ---------------------------------------------------------------- files that end early

TEST_F(PictureFileRefusal, TruncatedBmpAtEveryLength) {
  ExpectEveryTruncationRefused(test::MakeBmp(PatternBmp(7, 5, 24)), 2);
  ExpectEveryTruncationRefused(test::MakeBmp(PatternBmp(9, 3, 4)), 2);
  test::BmpSpec topDown = PatternBmp(5, 4, 32);
  topDown.topDown = true;
  ExpectEveryTruncationRefused(test::MakeBmp(topDown), 2);
  std::vector<uint8_t> indices;
  for (int i = 0; i < 60; ++i) indices.push_back(static_cast<uint8_t>(i / 7 % 3));
  ExpectEveryTruncationRefused(test::MakeRunLengthBmp(12, 5, {qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(3, 3, 3)}, indices), 2);
}

TEST_F(PictureFileRefusal, TruncatedPngJpegAndTiffAtEveryLength) {
  const QImage image = test::PatternImage(16, 16);
  ExpectEveryTruncationRefused(QtBytes(test::PatternImage(9, 6), "png"), 8);
  ExpectEveryTruncationRefused(QtBytes(image, "jpeg"), 3);
  ExpectEveryTruncationRefused(QtBytes(image, "jpeg", [](QImageWriter& w) { w.setProgressiveScanWrite(true); }), 3);
  // TIFF pixels after the directory (as built here) and before it (as Qt writes).
  ExpectEveryTruncationRefused(test::MakeTiff({TiffPattern(6, 5)}), 4);
  ExpectEveryTruncationRefused(QtBytes(test::PatternImage(6, 5), "tiff"), 4);
}

TEST_F(PictureFileRefusal, TruncatedGifIsRefusedUntilItsFirstFrameIsWhole) {
  const std::vector<QRgb> palette = {qRgb(10, 0, 0), qRgb(0, 20, 0), qRgb(0, 0, 30), qRgb(40, 40, 40)};
  test::GifFrame first{0, 0, 8, 6, {}, 3};
  for (int i = 0; i < 48; ++i) first.indices.push_back(static_cast<uint8_t>(i * 5 % 4));
  const QByteArray one = test::MakeGif(8, 6, palette, {first});
  // Only the trailer comes after the first frame's data.
  ExpectEveryTruncationRefused(one.left(one.size() - 1), 6);

  // With a second frame, a file cut anywhere after the first frame still shows it.
  const test::GifFrame second{0, 0, 8, 6, std::vector<uint8_t>(48, 2), -1};
  const QByteArray two = test::MakeGif(8, 6, palette, {first, second});
  for (qsizetype length = one.size() - 1; length <= two.size(); ++length) {
    const std::string path = Write("two.gif", two.left(length));
    const Picture p = LoadPictureFile(path, 0x00FF00);
    ASSERT_TRUE(test::PixelsMatch(p, 8, 6, [&](int x, int y) {
      const uint8_t i = first.indices[static_cast<size_t>(y * 8 + x)];
      return i == 3 ? 0x00FF00 : test::Packed(palette[i]);
    })) << length << " bytes";
  }
}

// ---------------------------------------------------------------- damaged files

TEST_F(PictureFileRefusal, DamagedFilesGivePicturesOfTheirSizeOrErrors) {
  // Bytes changed at random in real files of every format. Each load must end in a
  // picture no larger than allowed or in a run-time error with our wording; a crash,
  // any other exception, or an error in other words fails.
  const QImage image = test::PatternImage(12, 9);
  const std::vector<QByteArray> samples = {
      test::MakeBmp(PatternBmp(12, 9, 8)), QtBytes(image, "bmp"), QtBytes(image, "png"), QtBytes(image, "jpeg"),
      test::MakeTiff({TiffPattern(12, 9)}), QtBytes(image, "tiff"),
      test::MakeGif(12, 9, {qRgb(1, 2, 3), qRgb(4, 5, 6)}, {{0, 0, 12, 9, std::vector<uint8_t>(108, 1), 0}}),
  };
  const std::string path = folder_.StdPath("damaged");
  const std::string prefix = "Cannot read the picture file \"" + path + "\": ";
  uint32_t seed = 7;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  int refused = 0;
  int loaded = 0;
  for (const QByteArray& sample : samples) {
    for (int round = 0; round < 150; ++round) {
      QByteArray bytes = sample;
      const uint32_t changes = 1 + next() % 4;
      for (uint32_t c = 0; c < changes; ++c)
        bytes[static_cast<qsizetype>(next() % static_cast<uint32_t>(bytes.size()))] = static_cast<char>(next());
      test::WriteFileBytes(QString::fromStdString(path), bytes);
      try {
        const Picture p = LoadPictureFile(path, 0);
        ASSERT_GE(p.Width(), 1);
        ASSERT_GE(p.Height(), 1);
        ASSERT_LE(p.Width(), kLargestPictureSide);
        ASSERT_LE(p.Height(), kLargestPictureSide);
        ++loaded;
      } catch (const RunTimeError& e) {
        ASSERT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << e.what();
        ++refused;
      }
    }
  }
  // Changed bytes in pixel data still load; changed headers are mostly refused.
  EXPECT_GT(refused, 0);
  EXPECT_GT(loaded, 0);
}

}  // namespace
}  // namespace marvane
