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

void ExpectOpeningValues(const SettingsMirror& m, const std::string& startFolder) {
  EXPECT_EQ(m.SaveFileName, startFolder + "/Output/Final.bmp");
  EXPECT_EQ(m.TileFileName, startFolder + "/Tiles/Basic.bmp");
  EXPECT_EQ(m.IniTurn45, 0);
  EXPECT_EQ(m.IniNumRadialPieces, 12);
  EXPECT_EQ(m.IniSmallestRadius, 15);
  EXPECT_EQ(m.IniFadeWidth, 60);
  EXPECT_EQ(m.IniLighten, -29);
  EXPECT_EQ(m.IniLightStart, 95);
  EXPECT_EQ(m.IniCline, -54);
  EXPECT_EQ(m.IniSpecStart, 104);
  EXPECT_EQ(m.PicRight, 247);
  EXPECT_EQ(m.PicBottom, 247);
  EXPECT_FALSE(m.NeedToRedrawGrid);
}

// --- reading ------------------------------------------------------------------------

TEST(SettingsReading, WithoutAFileEverySettingHasItsDefault) {
  TempFolder dir;
  ExpectOpeningValues(ReadFrom(dir / "Tesklet.INI", "/home/u/work"), "/home/u/work");
}

TEST(SettingsReading, TheRootAsStartFolderGivesPathsWithTwoSlashes) {
  TempFolder dir;
  const SettingsMirror m = ReadFrom(dir / "Tesklet.INI", "/");
  EXPECT_EQ(m.SaveFileName, "//Output/Final.bmp");
  EXPECT_EQ(m.TileFileName, "//Tiles/Basic.bmp");
}

TEST(SettingsReading, AMissingSectionOrKeyGivesItsDefault) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  WriteFileBytes(ini, "[FileNames]\nTileFile=/t/mine.bmp\n[Numbers]\nCline=-20\n");
  const SettingsMirror m = ReadFrom(ini);
  EXPECT_EQ(m.TileFileName, "/t/mine.bmp");
  EXPECT_EQ(m.SaveFileName, "/start/Output/Final.bmp");
  EXPECT_EQ(m.IniCline, -20);
  EXPECT_EQ(m.IniFadeWidth, 60);
  EXPECT_EQ(m.IniSpecStart, 104);
  EXPECT_FALSE(m.NeedToRedrawGrid);
}

TEST(SettingsReading, APresentButEmptyOrNonNumericValueIsZeroNotTheDefault) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  WriteFileBytes(ini, "[FileNames]\nSaveFile=\n[Numbers]\nFadeWidth=\nCline=abc\nPicRight=  \n");
  const SettingsMirror m = ReadFrom(ini);
  EXPECT_EQ(m.SaveFileName, "");
  EXPECT_EQ(m.IniFadeWidth, 0);
  EXPECT_EQ(m.IniCline, 0);
  EXPECT_EQ(m.PicRight, 0);
}

TEST(SettingsReading, NumbersAreLeadingNumbersRoundedHalfToEven) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  WriteFileBytes(ini,
                 "[Numbers]\nFadeWidth=60.5\nSmallestRadius=61.5\nCline=-54.5\n"
                 "NumRadialPieces= 12abc\nLighten=-2.9e1\nPicBottom=+0299.49\n");
  const SettingsMirror m = ReadFrom(ini);
  EXPECT_EQ(m.IniFadeWidth, 60);
  EXPECT_EQ(m.IniSmallestRadius, 62);
  EXPECT_EQ(m.IniCline, -54);
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
  try {
    ReadSettings(m, ini);
    FAIL() << "3e9 does not fit in 32 bits";
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.what(), "Overflow");
  }
  EXPECT_EQ(m.IniNumRadialPieces, 20);
  EXPECT_EQ(m.IniFadeWidth, 5);
}

TEST(SettingsReading, ALongPathComesBackCutTo4094Characters) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  const std::string longPath = "/" + std::string(4999, 'd');
  WriteFileBytes(ini, "[FileNames]\nTileFile=" + longPath + "\n");
  EXPECT_EQ(ReadFrom(ini).TileFileName, longPath.substr(0, 4094));
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
  ExpectOpeningValues(ReadFrom(ini, "/s"), "/s");
}

TEST(SettingsReading, TheDefaultLocationFollowsXdgConfigHome) {
  TempFolder dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.Path());
  WriteFileBytes(dir / "Tesklet.INI", "[Numbers]\nSpecStart=300\n");
  EXPECT_EQ(ReadFrom(SettingsFilePath()).IniSpecStart, 300);
}

// --- saving ---------------------------------------------------------------------------

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

TEST(SettingsSaving, AFreshFileHoldsAllThirteenKeysInOrder) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  SettingsMirror m = ReadFrom(ini, "/work");
  SaveSettings(m, ConsoleFrom(m), ini);
  EXPECT_EQ(ReadFileBytes(ini),
            "[FileNames]\n"
            "SaveFile=/work/Output/Final.bmp\n"
            "TileFile=/work/Tiles/Basic.bmp\n"
            "\n"
            "[Numbers]\n"
            "Turn45=0\n"
            "NumRadialPieces=12\n"
            "SmallestRadius=15\n"
            "FadeWidth=60\n"
            "Lighten=-29\n"
            "LightStart=95\n"
            "Cline=-54\n"
            "SpecStart=104\n"
            "PicRight=247\n"
            "PicBottom=247\n"
            "\n"
            "[Flags]\n"
            "NeedToRedrawGrid=0\n");
}

TEST(SettingsSaving, TheMirrorIsRefreshedFromTheConsoleAndNamesFromItself) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  SettingsMirror m = ReadFrom(ini, "/work");
  m.SaveFileName = "/out/x.bmp";
  m.TileFileName = "/tiles/t-Square.bmp";
  m.PicRight = 99;
  m.PicBottom = 99;
  m.NeedToRedrawGrid = true;
  ConsoleModel c;
  // The text boxes' texts are not the names that count.
  c.SaveFile = "/ignored/a.bmp";
  c.TileFile = "/ignored/b.bmp";
  c.Turn45ListIndex = kNoListIndex;
  c.Cline = 150;
  c.SpecStart = 0;
  c.Lighten = -100;
  c.LightStart = 100;
  c.FadeWidth = "60.5";
  c.NumPieces = "7.5";
  c.SmallestRadius = "abc";
  SaveSettings(m, c, ini);
  EXPECT_EQ(m.IniTurn45, -1);
  EXPECT_EQ(m.IniFadeWidth, 60);
  EXPECT_EQ(m.IniNumRadialPieces, 8);
  EXPECT_EQ(m.IniSmallestRadius, 0);
  EXPECT_EQ(m.IniCline, 150);
  EXPECT_EQ(ReadFileBytes(ini),
            "[FileNames]\n"
            "SaveFile=/out/x.bmp\n"
            "TileFile=/tiles/t-Square.bmp\n"
            "\n"
            "[Numbers]\n"
            "Turn45=-1\n"
            "NumRadialPieces=8\n"
            "SmallestRadius=0\n"
            "FadeWidth=60\n"
            "Lighten=-100\n"
            "LightStart=100\n"
            "Cline=150\n"
            "SpecStart=0\n"
            "PicRight=99\n"
            "PicBottom=99\n"
            "\n"
            "[Flags]\n"
            "NeedToRedrawGrid=-1\n");
}

TEST(SettingsSaving, WhatWasSavedIsWhatTheNextStartReads) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  SettingsMirror m = ReadFrom(ini);
  m.TileFileName = "/" + std::string(4999, 't');
  m.NeedToRedrawGrid = true;
  ConsoleModel c = ConsoleFrom(m);
  c.Turn45ListIndex = 2;
  c.Cline = -150;
  c.SpecStart = 426;
  c.FadeWidth = "33";
  SaveSettings(m, c, ini);
  const SettingsMirror next = ReadFrom(ini, "/elsewhere");
  EXPECT_EQ(next.TileFileName, m.TileFileName.substr(0, 4094));
  EXPECT_EQ(next.SaveFileName, "/start/Output/Final.bmp");
  EXPECT_EQ(next.IniTurn45, 2);
  EXPECT_EQ(next.IniCline, -150);
  EXPECT_EQ(next.IniSpecStart, 426);
  EXPECT_EQ(next.IniFadeWidth, 33);
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

TEST(SettingsSaving, ASecondSaveChangesOnlyTheValues) {
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
  SettingsMirror m = ReadFrom(ini, "/w");
  SaveSettings(m, ConsoleFrom(m), ini);
  const std::string first = ReadFileBytes(ini);

  ConsoleModel c = ConsoleFrom(m);
  c.NumPieces = "24";
  c.Lighten = 10;
  m.NeedToRedrawGrid = true;
  SaveSettings(m, c, ini);
  std::string expected = first;
  expected.replace(expected.find("NumRadialPieces=12"), 18, "NumRadialPieces=24");
  expected.replace(expected.find("Lighten=-29"), 11, "Lighten=10");
  expected.replace(expected.find("NeedToRedrawGrid=0"), 18, "NeedToRedrawGrid=-1");
  EXPECT_EQ(ReadFileBytes(ini), expected);
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
}

TEST(SettingsSaving, APlaceThatCannotBeWrittenRaisesTheError) {
  TempFolder dir;
  WriteFileBytes(dir / "file.txt", "x");
  const std::string ini = dir / "file.txt/sub/Tesklet.INI";
  SettingsMirror m = ReadFrom(ini);
  try {
    SaveSettings(m, ConsoleFrom(m), ini);
    FAIL() << "nothing can be written under a file";
  } catch (const RunTimeError& e) {
    EXPECT_NE(std::string(e.what()).find(ini), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(dir / "file.txt"), "x");
}

TEST(SettingsSaving, TheDefaultLocationsFolderIsCreated) {
  TempFolder dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", dir / "new/config");
  SettingsMirror m = ReadFrom(SettingsFilePath());
  SaveSettings(m, ConsoleFrom(m), SettingsFilePath());
  EXPECT_EQ(ReadFrom(dir / "new/config/Tesklet.INI").IniSpecStart, 104);
}

}  // namespace
}  // namespace marvane
