#include "console/output_files.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "console/settings.h"
#include "platform/picture_files.h"
#include "platform/ui.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using testing::FolderListing;
using testing::ReadFileBytes;
using testing::ScopedCurrentFolder;
using testing::TempFolder;
using testing::WriteFileBytes;
using Kind = RecordingUi::Event::Kind;

// A picture whose every pixel differs, so that a swapped or cut picture shows.
Picture Pattern(int32_t width, int32_t height, int32_t seed) {
  Picture p(width, height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) p.PSet(x, y, (seed * 7919 + x * 131 + y * 65537) & 0xFFFFFF);
  return p;
}

Picture Load(const std::string& path) { return LoadPictureFile(path, 0xFFFFFF); }

// --- IsGoodFileName -------------------------------------------------------------------

TEST(IsGoodFileName, FoldersNeedTheDirectoryBitFilesAnswerEitherWayTheRestIsNotGood) {
  TempFolder dir;
  WriteFileBytes(dir / "file.txt", "x");
  std::filesystem::create_directory(dir / "Output1");
  ScopedCurrentFolder keep;
  std::filesystem::current_path(dir.Path());
  struct Case {
    std::string path;
    bool asFolder, asFile;
  } cases[] = {
      {dir.Path(), true, false},
      {"", true, false},  // the current folder
      {dir / "file.txt", true, true},
      {dir / "Output", false, false},
      {dir / "file.txt/sub", false, false},
      {dir.Path() + "/" + std::string(5000, 'n'), false, false},
      {dir.Path() + std::string("\0/x", 3), false, false},
      // Names are not patterns.
      {dir / "Output*", false, false},
      {dir / "Output?", false, false}};
  for (const auto& c : cases) {
    // Other bits alongside change nothing.
    EXPECT_EQ(IsGoodFileName(c.path, kDirectoryAttribute | 2 | 4), c.asFolder) << c.path.substr(0, 80);
    EXPECT_EQ(IsGoodFileName(c.path, 2 | 4), c.asFile) << c.path.substr(0, 80);
  }
}

// --- SaveFinal ------------------------------------------------------------------------

struct SaveFinalCase : ::testing::Test {
  TempFolder dir;
  RecordingUi ui;
  SettingsMirror mirror;
  Picture thumbnail = Pattern(5, 4, 1);
  Picture finalImage = Pattern(20, 16, 2);

  void SetUp() override {
    std::filesystem::create_directory(dir / "Output");
    mirror.StartFolder = dir.Path();
    SetDefaultSettings(mirror);
    mirror.SaveFileName = mirror.DefaultSaveFile;
  }
};

// The small size saves the thumbnail, both sizes the full picture; an old file is
// overwritten without a question.
TEST_F(SaveFinalCase, SavesThePictureOfTheChosenSizeOverAnyOldFile) {
  WriteFileBytes(dir / "Output/Final.bmp", "old");
  SaveFinal(ui, mirror, 4, thumbnail, finalImage);
  EXPECT_EQ(Load(dir / "Output/Final.bmp"), thumbnail);
  SaveFinal(ui, mirror, 1, thumbnail, finalImage);
  EXPECT_EQ(Load(dir / "Output/Final.bmp"), finalImage);
  EXPECT_TRUE(ui.Events().empty());
}

TEST_F(SaveFinalCase, AMissingFolderBeepsSaysSoAndWritesNothing) {
  mirror.SaveFileName = dir / "Gone/Final.bmp";
  SaveFinal(ui, mirror, 4, thumbnail, finalImage);
  const auto events = ui.Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, Kind::Beep);
  EXPECT_EQ(events[1].kind, Kind::Message);
  EXPECT_EQ(events[1].text, "The given filename is invalid; file was not saved.");
  EXPECT_EQ(events[1].title, "");

  ui.Clear();
  SaveFinal(ui, mirror, 1, thumbnail, finalImage);
  EXPECT_EQ(ui.BeepCount(), 1);
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir / "Gone"));
}

TEST_F(SaveFinalCase, ANameWithoutAFolderGoesToTheCurrentFolder) {
  ScopedCurrentFolder keep;
  std::filesystem::current_path(dir / "Output");
  mirror.SaveFileName = "Bare.bmp";
  SaveFinal(ui, mirror, 4, thumbnail, finalImage);
  EXPECT_TRUE(ui.Events().empty());
  EXPECT_EQ(Load(dir / "Output/Bare.bmp"), thumbnail);
}

TEST_F(SaveFinalCase, AWriteThatFailsIsShownTitledWithTheProcedureThatTried) {
  // The folder exists, but the name itself is a folder.
  std::filesystem::create_directory(dir / "Output/Final.bmp");
  SaveFinal(ui, mirror, 4, thumbnail, finalImage);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "SaveFinal");
  EXPECT_NE(ui.Messages()[0].text.find("Final.bmp"), std::string::npos);
  EXPECT_EQ(ui.BeepCount(), 0);
  EXPECT_FALSE(ui.Busy());

  ui.Clear();
  SaveFinal(ui, mirror, 1, thumbnail, finalImage);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "SaveFinalImageForm");

  ui.Clear();
  SaveFinalImageForm(ui, mirror, finalImage);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "SaveFinalImageForm");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Output/Final.bmp"));

  // The check asks for folders as well as files, so a folder part that is a file passes
  // it and fails in the write.
  ui.Clear();
  WriteFileBytes(dir / "plain", "x");
  mirror.SaveFileName = dir / "plain/Final.bmp";
  SaveFinal(ui, mirror, 4, thumbnail, finalImage);
  EXPECT_EQ(ui.BeepCount(), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "SaveFinal");
  EXPECT_EQ(ReadFileBytes(dir / "plain"), "x");
}

// --- FinalActions ---------------------------------------------------------------------

struct FinalActionsCase : ::testing::Test {
  TempFolder dir;
  ScopedCurrentFolder keep;
  RecordingUi ui;
  SettingsMirror mirror;
  ConsoleModel console;
  Picture grid = Pattern(32, 24, 3);
  std::string ini;

  void SetUp() override {
    std::filesystem::create_directory(dir / "start");
    std::filesystem::create_directory(dir / "elsewhere");
    mirror.StartFolder = dir / "start";
    SetDefaultSettings(mirror);
    ini = dir / "config/Tesklet.INI";
    ReadSettings(mirror, ini);
    console.Turn45ListIndex = 1;
    console.FadeWidth = "44";
    // The file dialogs have moved the current folder.
    std::filesystem::current_path(dir / "elsewhere");
  }
};

TEST_F(FinalActionsCase, SavesTheTileGridAndTheSettingsAndReturnsToTheStartFolder) {
  FinalActions(ui, mirror, console, grid, ini);
  EXPECT_TRUE(ui.Events().empty());
  EXPECT_EQ(Load(dir / "start/TileGrid.bmp"), grid);
  SettingsMirror next;
  SetDefaultSettings(next);
  ReadSettings(next, ini);
  EXPECT_EQ(next.IniTurn45, 1);
  EXPECT_EQ(next.IniFadeWidth, 44);
  EXPECT_EQ(next.SaveFileName, dir / "start/Output/Final.bmp");
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir / "start"));
}

TEST_F(FinalActionsCase, ATileGridThatCannotBeSavedMeansNoSettingsEither) {
  std::filesystem::create_directory(dir / "start/TileGrid.bmp");
  FinalActions(ui, mirror, console, grid, ini);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "FinalActions");
  EXPECT_FALSE(std::filesystem::exists(ini));
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir / "elsewhere"));
}

TEST_F(FinalActionsCase, SettingsThatCannotBeWrittenAreReportedAndTheOldFileKept) {
  WriteFileBytes(dir / "file.txt", "x");
  const std::string unwritable = dir / "file.txt/sub/Tesklet.INI";
  FinalActions(ui, mirror, console, grid, unwritable);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "FinalActions");
  EXPECT_NE(ui.Messages()[0].text.find(unwritable), std::string::npos);
  EXPECT_EQ(Load(dir / "start/TileGrid.bmp"), grid);
  EXPECT_EQ(ReadFileBytes(dir / "file.txt"), "x");
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir / "elsewhere"));

  // An old settings file whose replacement fails stays as it was.
  ui.Clear();
  std::filesystem::create_directory(dir / "config");
  const std::string old = "; mine\n[Numbers]\nCline=1\n";
  WriteFileBytes(ini, old);
  console.FadeWidth = "1e12";
  FinalActions(ui, mirror, console, grid, ini);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "FinalActions");
  EXPECT_EQ(ui.Messages()[0].text, "Overflow");
  EXPECT_EQ(ReadFileBytes(ini), old);
  EXPECT_EQ(FolderListing(dir / "config"), "Tesklet.INI\n");
}

}  // namespace
}  // namespace marvane
