// Nothing is lost when the program dies while it writes: a writer killed at random
// moments leaves the settings file or the output picture either complete as it was or
// complete as it was going to be. A write into a full or read-only place reports its
// error and leaves the old file as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "console/console_model.h"
#include "console/settings.h"
#include "hostile/child_run.h"
#include "platform/picture.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

constexpr int kKills = 40;
constexpr int kLongestWaitMicroseconds = 12000;

// Starts a child that calls `writeOld` and `writeNew` in turn until it is killed, kills
// it after a random wait, and checks the file holds one of the two whole contents.
// Repeats kKills times; the counts of each outcome are recorded with the test.
void KillWriterAtRandom(const std::string& path, const std::string& oldBytes, const std::string& newBytes,
                        const std::function<void()>& writeOld, const std::function<void()>& writeNew) {
  ASSERT_NE(oldBytes, newBytes);
  std::mt19937 random(97531);
  std::uniform_int_distribution<int> wait(0, kLongestWaitMicroseconds);
  int seenOld = 0, seenNew = 0;
  for (int i = 0; i < kKills; ++i) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      try {
        for (;;) {
          writeNew();
          writeOld();
        }
      } catch (...) {
        ::_exit(3);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(wait(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own, status " << WEXITSTATUS(status);
    const std::string now = ReadFileBytes(path);
    if (now == oldBytes)
      ++seenOld;
    else if (now == newBytes)
      ++seenNew;
    else
      FAIL() << "after kill " << i << " the file holds " << now.size() << " bytes that are neither version";
  }
  ::testing::Test::RecordProperty("old", seenOld);
  ::testing::Test::RecordProperty("new", seenNew);
}

ConsoleModel ConsoleWith(const std::string& pieces, int32_t cline) {
  ConsoleModel c;
  c.NumPieces = pieces;
  c.SmallestRadius = "15";
  c.FadeWidth = "60";
  c.Turn45ListIndex = 1;
  c.Cline = cline;
  return c;
}

class SettingsWriteTest : public ::testing::Test {
 protected:
  SettingsWriteTest() {
    mirror.StartFolder = folder.Path();
    SetDefaultSettings(mirror);
    mirror.SaveFileName = mirror.DefaultSaveFile;
    mirror.TileFileName = mirror.DefaultTileFile;
    mirror.PicRight = mirror.PicBottom = 99;
    // A file a user has written in, with a comment, which must survive too.
    WriteFileBytes(ini, "; my settings\n[Numbers]\nNumRadialPieces=20\n");
    SaveSettings(mirror, oldConsole, ini);
    oldBytes = ReadFileBytes(ini);
    SaveSettings(mirror, newConsole, ini);
    newBytes = ReadFileBytes(ini);
    SaveSettings(mirror, oldConsole, ini);
  }

  TempFolder folder;
  std::string ini = folder / "Tesklet.INI";
  SettingsMirror mirror;
  ConsoleModel oldConsole = ConsoleWith("12", -54);
  ConsoleModel newConsole = ConsoleWith("77", 120);
  std::string oldBytes, newBytes;
};

TEST_F(SettingsWriteTest, KilledWhileSavingLeavesTheOldOrTheNewFileWhole) {
  ASSERT_EQ(ReadFileBytes(ini), oldBytes);
  ASSERT_NE(oldBytes.find("; my settings"), std::string::npos);
  KillWriterAtRandom(
      ini, oldBytes, newBytes, [&] { SaveSettings(mirror, oldConsole, ini); },
      [&] { SaveSettings(mirror, newConsole, ini); });
}

TEST_F(SettingsWriteTest, AFullDiskReportsAnErrorAndKeepsTheOldFile) {
  {
    const ScopedFileSizeLimit full(64);
    EXPECT_THROW(SaveSettings(mirror, newConsole, ini), RunTimeError);
  }
  EXPECT_EQ(ReadFileBytes(ini), oldBytes);
}

TEST_F(SettingsWriteTest, AFolderThatCannotBeWrittenReportsAnErrorAndKeepsTheOldFile) {
  // Root writes everywhere, so the save runs as an ordinary user, to whom the folder
  // (and the old file in it) are read-only.
  ::chmod(ini.c_str(), 0644);
  ::chmod(folder.Path().c_str(), 0555);
  const ChildRun run = RunInChild(
      [&]() -> std::string {
        try {
          SaveSettings(mirror, newConsole, ini);
        } catch (const RunTimeError& e) {
          return std::string("refused: ") + e.what();
        }
        return "saved";
      },
      true);
  ::chmod(folder.Path().c_str(), 0700);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.report.rfind("refused: ", 0), 0u) << run.report;
  EXPECT_EQ(ReadFileBytes(ini), oldBytes);
  EXPECT_EQ(FolderListing(folder.Path()), "Tesklet.INI\n");
}

TEST_F(SettingsWriteTest, APlaceUnderARegularFileReportsAnError) {
  const std::string regular = folder / "notes.txt";
  WriteFileBytes(regular, "mine");
  EXPECT_THROW(SaveSettings(mirror, newConsole, regular + "/Tesklet.INI"), RunTimeError);
  EXPECT_EQ(ReadFileBytes(regular), "mine");
}

Picture Stripes(int w, int h, int32_t a, int32_t b) {
  Picture p(w, h, a);
  for (int y = 0; y < h; y += 2)
    for (int x = 0; x < w; ++x) p.PSet(x, y, b);
  return p;
}

class PictureWriteTest : public ::testing::Test {
 protected:
  PictureWriteTest() {
    SavePictureFile(newPicture, output);
    newBytes = ReadFileBytes(output);
    SavePictureFile(oldPicture, output);
    oldBytes = ReadFileBytes(output);
  }

  TempFolder folder;
  std::string output = folder / "Final.bmp";
  // Large enough that a write takes a while, and of different sizes, so a file cut
  // short or mixed from both shows.
  Picture oldPicture = Stripes(400, 300, 0x102030, 0xF0E0D0);
  Picture newPicture = Stripes(300, 400, 0x0000FF, 0x00FF00);
  std::string oldBytes, newBytes;
};

TEST_F(PictureWriteTest, KilledWhileSavingLeavesTheOldOrTheNewPictureWhole) {
  KillWriterAtRandom(
      output, oldBytes, newBytes, [&] { SavePictureFile(oldPicture, output); },
      [&] { SavePictureFile(newPicture, output); });
  // Whatever was left, it loads as one of the two pictures.
  const Picture left = LoadPictureFile(output, 0);
  EXPECT_TRUE(left == oldPicture || left == newPicture);
}

TEST_F(PictureWriteTest, AFullDiskReportsAnErrorAndKeepsTheOldPicture) {
  {
    const ScopedFileSizeLimit full(4096);
    EXPECT_THROW(SavePictureFile(newPicture, output), RunTimeError);
  }
  EXPECT_EQ(ReadFileBytes(output), oldBytes);
}

TEST_F(PictureWriteTest, AFolderThatCannotBeWrittenReportsAnErrorAndKeepsTheOldPicture) {
  ::chmod(output.c_str(), 0644);
  ::chmod(folder.Path().c_str(), 0555);
  const std::string listing = FolderListing(folder.Path());
  const ChildRun run = RunInChild(
      [&]() -> std::string {
        try {
          SavePictureFile(newPicture, output);
        } catch (const RunTimeError& e) {
          return std::string("refused: ") + e.what();
        }
        return "saved";
      },
      true);
  ::chmod(folder.Path().c_str(), 0700);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.report.rfind("refused: ", 0), 0u) << run.report;
  EXPECT_EQ(ReadFileBytes(output), oldBytes);
  EXPECT_EQ(FolderListing(folder.Path()), listing);
}

TEST_F(PictureWriteTest, APlaceUnderARegularFileReportsAnError) {
  const std::string regular = folder / "notes.txt";
  WriteFileBytes(regular, "mine");
  EXPECT_THROW(SavePictureFile(newPicture, regular + "/Final.bmp"), RunTimeError);
  EXPECT_EQ(ReadFileBytes(regular), "mine");
}

}  // namespace
}  // namespace marvane::testing
