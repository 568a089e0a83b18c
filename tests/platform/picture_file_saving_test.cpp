// Saving: the bytes on disk are the picture, in the format the name asks for, and a
// save that fails leaves whatever was there before exactly as it was.
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/picture_checks.h"
#include "platform/picture_file_makers.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"

namespace marvane {
namespace {

// A picture whose every pixel differs, with pure black and white in two corners.
Picture PatternPicture(int width, int height) {
  Picture p(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.PSet(x, y, test::Packed(test::PatternColour(x, y)));
  p.PSet(0, 0, 0x000000);
  p.PSet(width - 1, height - 1, 0xFFFFFF);
  return p;
}

std::optional<std::string> SaveError(const Picture& picture, const std::string& path) {
  try {
    SavePictureFile(picture, path);
  } catch (const RunTimeError& e) {
    return e.what();
  }
  return std::nullopt;
}

std::string Expected(const std::string& path, const std::string& why) {
  return "Cannot save the picture file \"" + path + "\": " + why;
}

uint32_t Le(const QByteArray& b, int at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}

class PictureFileSaving : public ::testing::Test {
 protected:
  test::TempFolder folder_;
};

TEST_F(PictureFileSaving, BmpIsTwentyFourBitsWithThePicturesPixels) {
  const Picture picture = PatternPicture(7, 5);  // 21 bytes a row, padded to 24
  const std::string path = folder_.StdPath("out.bmp");
  SavePictureFile(picture, path);
  const QByteArray b = test::ReadFileBytes(folder_.Path("out.bmp"));
  ASSERT_GE(b.size(), 54);
  EXPECT_EQ(b.left(2), QByteArray("BM"));
  EXPECT_EQ(Le(b, 2, 4), static_cast<uint32_t>(b.size()));
  EXPECT_GE(Le(b, 14, 4), 40u);  // information header size
  EXPECT_EQ(Le(b, 18, 4), 7u);
  EXPECT_EQ(Le(b, 22, 4), 5u);   // positive: bottom row first
  EXPECT_EQ(Le(b, 26, 2), 1u);   // planes
  EXPECT_EQ(Le(b, 28, 2), 24u);  // bits per pixel
  EXPECT_EQ(Le(b, 30, 4), 0u);   // no compression
  const uint32_t offset = Le(b, 10, 4);
  ASSERT_EQ(static_cast<uint32_t>(b.size()), offset + 24 * 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      const int at = static_cast<int>(offset) + (4 - y) * 24 + 3 * x;
      const int32_t stored = static_cast<uint8_t>(b[at + 2]) | static_cast<uint8_t>(b[at + 1]) << 8 |
                             static_cast<uint8_t>(b[at]) << 16;  // blue, green, red
      EXPECT_EQ(stored, picture.Point(x, y)) << x << ", " << y;
    }
  }
}

TEST_F(PictureFileSaving, TheNamesEndingChoosesTheFormatAndEveryOneReadsBackExactly) {
  const Picture picture = PatternPicture(13, 9);
  const struct {
    const char* name;
    const char* signature;
  } cases[] = {
      {"a.png", "\x89PNG"}, {"b.PNG", "\x89PNG"}, {"c.tif", "II*"}, {"d.TiFf", "II*"},
      {"e.bmp", "BM"},      {"f.BMP", "BM"},      {"g.jpg", "BM"},  {"no-ending", "BM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SavePictureFile(picture, folder_.StdPath(c.name));
    EXPECT_TRUE(test::ReadFileBytes(folder_.Path(c.name)).startsWith(c.signature));
    EXPECT_EQ(LoadPictureFile(folder_.StdPath(c.name), 0x00FF00), picture);
  }
  EXPECT_EQ(test::TiffCompression(test::ReadFileBytes(folder_.Path("c.tif"))), 5);  // LZW
}

TEST_F(PictureFileSaving, ReplacesAnOldFileLeavesNothingElseAndGivesTheUsualPermissions) {
  const std::string path = folder_.StdPath("out.png");
  test::WriteFileBytes(folder_.Path("out.png"), "an older file");
  const Picture picture = PatternPicture(6, 6);
  // A temporary file is created readable by its owner only; the saved picture must
  // not keep that, or nobody else could open it.
  const mode_t before = umask(022);
  SavePictureFile(picture, path);
  SavePictureFile(picture, folder_.StdPath("shared.bmp"));
  umask(before);
  EXPECT_EQ(LoadPictureFile(path, 0), picture);
  EXPECT_EQ(folder_.Names(), (QStringList{"out.png", "shared.bmp"}));
  struct stat info {};
  ASSERT_EQ(stat(folder_.StdPath("shared.bmp").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// ---------------------------------------------------------------- failures

TEST_F(PictureFileSaving, MissingFolderIsReported) {
  const std::string path = folder_.StdPath("no-such-folder/out.bmp");
  EXPECT_EQ(SaveError(PatternPicture(3, 3), path), Expected(path, "the folder it should go in does not exist."));
  test::WriteFileBytes(folder_.Path("plain.txt"), "text");
  const std::string underFile = folder_.StdPath("plain.txt/out.bmp");
  EXPECT_EQ(SaveError(PatternPicture(3, 3), underFile), Expected(underFile, "the folder it should go in does not exist."));
  EXPECT_EQ(folder_.Names(), QStringList{"plain.txt"});
  EXPECT_EQ(test::ReadFileBytes(folder_.Path("plain.txt")), QByteArray("text"));
}

TEST_F(PictureFileSaving, AFolderOfThatNameOrNoPictureLeaveWhatIsThere) {
  ASSERT_TRUE(QDir(folder_.Root()).mkpath("out.bmp/inside"));
  const std::string path = folder_.StdPath("out.bmp");
  EXPECT_EQ(SaveError(PatternPicture(3, 3), path), Expected(path, "it is a folder."));
  EXPECT_TRUE(QDir(folder_.Path("out.bmp/inside")).exists());
  const std::string old = folder_.StdPath("old.bmp");
  test::WriteFileBytes(folder_.Path("old.bmp"), "old picture");
  EXPECT_EQ(SaveError(Picture(), old), Expected(old, "there is no picture to save."));
  EXPECT_EQ(test::ReadFileBytes(folder_.Path("old.bmp")), QByteArray("old picture"));
}

TEST_F(PictureFileSaving, ReadOnlyFolderLeavesTheOldFile) {
  const QString locked = folder_.Path("locked");
  ASSERT_TRUE(QDir(folder_.Root()).mkdir("locked"));
  test::WriteFileBytes(locked + "/out.bmp", "old picture");
  ASSERT_EQ(chmod(locked.toStdString().c_str(), 0555), 0);
  QFile probe(locked + "/probe");
  if (probe.open(QIODevice::WriteOnly)) {
    probe.remove();
    chmod(locked.toStdString().c_str(), 0755);
    GTEST_SKIP() << "this test runs with rights that write into any folder (as root does), so a "
                    "read-only folder cannot be made here";
  }
  const std::string path = (locked + "/out.bmp").toStdString();
  EXPECT_EQ(SaveError(PatternPicture(3, 3), path), Expected(path, "this program is not allowed to write in its folder."));
  chmod(locked.toStdString().c_str(), 0755);
  EXPECT_EQ(test::ReadFileBytes(locked + "/out.bmp"), QByteArray("old picture"));
  EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"out.bmp"});
}

TEST_F(PictureFileSaving, AWriteThatFailsHalfwayLeavesTheOldFile) {
  // The system's file-size limit stops the write a few kilobytes in, as a full disk
  // would. Nothing is printed while the limit holds: the test log may be a file too.
  Picture noise(200, 150);  // far beyond the limit in every format, compressed or not
  uint32_t seed = 99;
  for (int32_t& v : noise.Pixels()) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<int32_t>(seed >> 8);
  }
  const QByteArray old("old picture, every byte");
  for (const char* name : {"out.bmp", "out.png", "out.tif"}) {
    SCOPED_TRACE(name);
    const std::string path = folder_.StdPath(name);
    test::WriteFileBytes(folder_.Path(name), old);

    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit limited = before;
    limited.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const bool limitSet = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    const std::optional<std::string> error = limitSet ? SaveError(noise, path) : std::nullopt;
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(limitSet);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, Expected(path, "writing it failed (File too large); a file of that name that was there "
                                     "before is unchanged."));
    EXPECT_EQ(test::ReadFileBytes(folder_.Path(name)), old);
  }
  EXPECT_EQ(folder_.Names(), (QStringList{"out.bmp", "out.png", "out.tif"}));
}

}  // namespace
}  // namespace marvane
