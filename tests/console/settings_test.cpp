#include "console/settings.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/config_location.h"
#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using testing::ReadFileBytes;
using testing::ScopedEnv;
using testing::TempFolder;
using testing::WriteFileBytes;

// A mirror as start-up leaves it: defaults for `startFolder`, then the file read.
SettingsMirror ReadFrom(const std::string& iniPath, const std::string& startFolder = "/start") {
  SettingsMirror mirror;
  mirror.StartFolder = startFolder;
  SetDefaultSettings(mirror);
  ReadSettings(mirror, iniPath);
  return mirror;
}

// The console as start-up fills it from `m`.
ConsoleModel ConsoleFrom(const SettingsMirror& m) {
  ConsoleModel c;
  c.TileFile = m.TileFileName;
  c.SaveFile = m.SaveFileName;
  c.Turn45ListIndex = m.IniTurn45;
  c.Cline = m.IniCline;
  c.SpecStart = m.IniSpecStart;
  c.Lighten = m.IniLighten;
  c.LightStart = m.IniLightStart;
  c.FadeWidth = std::to_string(m.IniFadeWidth);
  c.NumPieces = std::to_string(m.IniNumRadialPieces);
  c.SmallestRadius = std::to_string(m.IniSmallestRadius);
  return c;
}

// What a save of the opening values writes, with `startFolder` as start folder.
std::string OpeningFile(const std::string& startFolder) {
  return "[FileNames]\nSaveFile=" + startFolder + "/Output/Final.bmp\nTileFile=" + startFolder +
         "/Tiles/Basic.bmp\n\n[Numbers]\nTurn45=0\nNumRadialPieces=12\nSmallestRadius=15\n"
         "FadeWidth=60\nLighten=-29\nLightStart=95\nCline=-54\nSpecStart=104\nPicRight=247\n"
         "PicBottom=247\n\n[Flags]\nNeedToRedrawGrid=0\n";
}

// The file a save of `m` writes where there was none.
std::string FreshSave(SettingsMirror m) {
  TempFolder dir;
  SaveSettings(m, ConsoleFrom(m), dir / "Tesklet.INI");
  return ReadFileBytes(dir / "Tesklet.INI");
}

// --- reading ------------------------------------------------------------------------

TEST(SettingsReading, WithoutAFileEverySettingHasItsDefaultAndASaveWritesAllThirteenKeysInOrder) {
  TempFolder dir;
  EXPECT_EQ(FreshSave(ReadFrom(dir / "Tesklet.INI", "/home/u/work")), OpeningFile("/home/u/work"));
  // The root as start folder gives paths with two slashes.
  EXPECT_EQ(ReadFrom(dir / "Tesklet.INI", "/").TileFileName, "//Tiles/Basic.bmp");
}

// A missing key keeps its default; a present but empty or non-numeric one reads as 0;
// numbers are their leading number rounded half to even.
TEST(SettingsReading, MissingKeysDefaultEmptyOnesAreZeroNumbersRoundHalfToEven) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  WriteFileBytes(ini,
                 "[FileNames]\nSaveFile=\n[Numbers]\nFadeWidth=60.5\nSmallestRadius=61.5\n"
                 "Cline=abc\nPicRight=  \nNumRadialPieces= 12abc\nLighten=-2.9e1\n"
                 "PicBottom=+0299.49\nLightStart=-54.5\n");
  const SettingsMirror m = ReadFrom(ini);
  EXPECT_EQ(m.TileFileName, "/start/Tiles/Basic.bmp");
  EXPECT_EQ(m.IniSpecStart, 104);
  EXPECT_EQ(m.SaveFileName, "");
  EXPECT_EQ(m.IniCline, 0);
  EXPECT_EQ(m.PicRight, 0);
  EXPECT_EQ(m.IniFadeWidth, 60);
  EXPECT_EQ(m.IniSmallestRadius, 62);
  EXPECT_EQ(m.IniLightStart, -54);
  EXPECT_EQ(m.IniNumRadialPieces, 12);
  EXPECT_EQ(m.IniLighten, -29);
  EXPECT_EQ(m.PicBottom, 299);
}

TEST(SettingsReading, NeedToRedrawGridIsTrueForAnyNonZeroNumberOnly) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  const std::pair<const char*, bool> cases[] = {
      {"-1", true}, {"1", true}, {"0.5", true}, {"0", false},
      {"", false},  {"True", false}, {"False", false}};
  for (const auto& [text, expected] : cases) {
    WriteFileBytes(ini, std::string("[Flags]\nNeedToRedrawGrid=") + text + "\n");
    EXPECT_EQ(ReadFrom(ini).NeedToRedrawGrid, expected) << "\"" << text << "\"";
  }
  // A missing key reads as False even when the default is True: the word has no number.
  WriteFileBytes(ini, "[Flags]\n");
  SettingsMirror m;
  SetDefaultSettings(m);
  m.DefaultNeedToRedrawGrid = true;
  ReadSettings(m, ini);
  EXPECT_FALSE(m.NeedToRedrawGrid);
}

TEST(SettingsReading, ANumberBeyond32BitsIsAnOverflowAfterTheKeysBeforeIt) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  WriteFileBytes(ini, "[Numbers]\nNumRadialPieces=20\nSmallestRadius=3e9\nFadeWidth=70\n");
  SettingsMirror m;
  m.StartFolder = "/start";
  SetDefaultSettings(m);
  m.IniFadeWidth = 5;
  EXPECT_THROW(ReadSettings(m, ini), RunTimeError);
  EXPECT_EQ(m.IniNumRadialPieces, 20);
  EXPECT_EQ(m.IniFadeWidth, 5);
}

TEST(SettingsReading, NamesMatchWithoutCaseOrBlanksButOnlyInTheirSection) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  WriteFileBytes(ini,
                 "[ numbers ]\r\n FadeWidth = 61 \r\n\r\n[FLAGS]\r\nCline=7\r\n"
                 "needtoredrawgrid=-1\r\n");
  const SettingsMirror m = ReadFrom(ini);
  EXPECT_EQ(m.IniFadeWidth, 61);
  EXPECT_EQ(m.IniCline, -54);
  EXPECT_TRUE(m.NeedToRedrawGrid);
}

TEST(SettingsReading, AGarbageFileGivesTheDefaults) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  std::mt19937 random(7);
  std::string garbage(512 * 1024, '\0');
  for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
  // Lines of a megabyte too.
  WriteFileBytes(ini, garbage + std::string(1 << 20, '=') + "\n" + std::string(1 << 20, '['));
  EXPECT_EQ(FreshSave(ReadFrom(ini, "/s")), OpeningFile("/s"));
}

// --- saving ---------------------------------------------------------------------------

TEST(SettingsSaving, TheMirrorIsRefreshedFromTheConsoleAndTheNextStartReadsIt) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  SettingsMirror m = ReadFrom(ini, "/work");
  m.SaveFileName = "/out/x.bmp";
  m.TileFileName = "/" + std::string(4999, 't');
  m.PicRight = 99;
  m.NeedToRedrawGrid = true;
  ConsoleModel c;
  // The text boxes' texts are not the names that count.
  c.SaveFile = "/ignored/a.bmp";
  c.TileFile = "/ignored/b.bmp";
  c.Turn45ListIndex = kNoListIndex;
  c.Cline = 150;
  c.SpecStart = 426;
  c.Lighten = -100;
  c.FadeWidth = "60.5";
  c.NumPieces = "7.5";
  c.SmallestRadius = "abc";
  SaveSettings(m, c, ini);
  EXPECT_EQ(m.IniTurn45, -1);
  EXPECT_EQ(m.IniNumRadialPieces, 8);
  EXPECT_EQ(m.IniSmallestRadius, 0);
  const std::string text = ReadFileBytes(ini);
  for (const char* line : {"Turn45=-1\n", "FadeWidth=60\n", "PicRight=99\n", "NeedToRedrawGrid=-1\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  const SettingsMirror next = ReadFrom(ini, "/elsewhere");
  EXPECT_EQ(next.TileFileName, m.TileFileName.substr(0, 4094));
  EXPECT_EQ(next.SaveFileName, "/out/x.bmp");
  EXPECT_EQ(next.IniTurn45, -1);
  EXPECT_EQ(next.IniCline, 150);
  EXPECT_EQ(next.IniSpecStart, 426);
  EXPECT_EQ(next.IniLighten, -100);
  EXPECT_EQ(next.IniNumRadialPieces, 8);
  EXPECT_TRUE(next.NeedToRedrawGrid);
}

TEST(SettingsSaving, CommentsUnknownKeysAndOrderSurviveASave) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  WriteFileBytes(ini,
                 "; Settings of my spiral pictures\n"
                 "[Mine]\n"
                 "Colour=blue\n"
                 "\n"
                 "[numbers]\n"
                 "; how many parts\n"
                 " numradialpieces = 30 \n"
                 "Legacy=1\n"
                 "[FileNames]\n"
                 "TileFile=/t.bmp\n");
  SettingsMirror m = ReadFrom(ini, "/w");
  EXPECT_EQ(m.IniNumRadialPieces, 30);
  SaveSettings(m, ConsoleFrom(m), ini);
  EXPECT_EQ(ReadFileBytes(ini),
            "; Settings of my spiral pictures\n"
            "[Mine]\n"
            "Colour=blue\n"
            "\n"
            "[numbers]\n"
            "; how many parts\n"
            "NumRadialPieces=30\n"
            "Legacy=1\n"
            "Turn45=0\n"
            "SmallestRadius=15\n"
            "FadeWidth=60\n"
            "Lighten=-29\n"
            "LightStart=95\n"
            "Cline=-54\n"
            "SpecStart=104\n"
            "PicRight=247\n"
            "PicBottom=247\n"
            "[FileNames]\n"
            "TileFile=/t.bmp\n"
            "SaveFile=/w/Output/Final.bmp\n"
            "\n"
            "[Flags]\n"
            "NeedToRedrawGrid=0\n");
}

TEST(SettingsSaving, AFailedSaveLeavesTheOldFileByteForByte) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  const std::string old = "; mine\n[Numbers]\nCline=1\n";
  WriteFileBytes(ini, old);
  SettingsMirror m = ReadFrom(ini);

  // A typed number beyond 32 bits fails after the names were set: nothing is written.
  ConsoleModel c = ConsoleFrom(m);
  c.FadeWidth = "1e12";
  EXPECT_THROW(SaveSettings(m, c, ini), RunTimeError);
  EXPECT_EQ(ReadFileBytes(ini), old);

  // A disk that fills up under the save.
  {
    testing::ScopedFileSizeLimit full(20);
    EXPECT_THROW(SaveSettings(m, ConsoleFrom(m), ini), RunTimeError);
  }
  EXPECT_EQ(ReadFileBytes(ini), old);
  EXPECT_EQ(testing::FolderListing(dir.Path()), "Tesklet.INI\n");

  // Nothing can be written under a file: the error names the place.
  WriteFileBytes(dir / "file.txt", "x");
  const std::string under = dir / "file.txt/sub/Tesklet.INI";
  try {
    SaveSettings(m, ConsoleFrom(m), under);
    FAIL() << "nothing can be written under a file";
  } catch (const RunTimeError& e) {
    EXPECT_NE(std::string(e.what()).find(under), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(dir / "file.txt"), "x");
}

TEST(SettingsSaving, TheDefaultLocationFollowsXdgConfigHomeAndItsFolderIsCreated) {
  TempFolder dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", dir / "new/config");
  SettingsMirror m = ReadFrom(SettingsFilePath());
  ConsoleModel c = ConsoleFrom(m);
  c.SpecStart = 300;
  SaveSettings(m, c, SettingsFilePath());
  EXPECT_EQ(ReadFrom(dir / "new/config/Tesklet.INI").IniSpecStart, 300);
}

}  // namespace
}  // namespace marvane
