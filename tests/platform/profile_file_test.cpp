#include "platform/profile_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using testing::FolderListing;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

std::string Get(const std::string& path, const char* section, const char* key,
                const char* def = "DEF") {
  return GetProfileString(path, section, key, def);
}

// Each case works on one settings file in a folder of its own.
class ProfileFileCase : public ::testing::Test {
 protected:
  TempFolder dir;
  const std::string ini = dir / "Tesklet.INI";
};
using ProfileFileReading = ProfileFileCase;
using ProfileFileWriting = ProfileFileCase;
using ProfileFileSaving = ProfileFileCase;

// --- reading ------------------------------------------------------------------------

TEST_F(ProfileFileReading, MissingFileSectionOrKeyGivesTheDefaultAPresentButEmptyValueIsEmpty) {
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth", "60"), "60");

  WriteFileBytes(ini, "[FileNames]\nSaveFile=/x.bmp\n");
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth", "60"), "60");

  WriteFileBytes(ini, "[Numbers]\nCline=-5\n");
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth", "60"), "60");
  EXPECT_EQ(Get(ini, "Numbers", "Cline", "60"), "-5");
  WriteFileBytes(ini, "[Numbers]\nFadeWidth=\nCline=   \t\n");
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth"), "");
  EXPECT_EQ(Get(ini, "Numbers", "Cline"), "");
}

TEST_F(ProfileFileReading, NamesMatchWithoutLetterCaseOrSurroundingBlanksAndCrlfLinesReadLikeLfLines) {
  WriteFileBytes(ini, "  [ numbers ]  \n FadeWidth = 60 \n\tCLINE\t=\t-54\t\n");
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth"), "60");
  EXPECT_EQ(Get(ini, "NUMBERS", "fadewidth"), "60");
  EXPECT_EQ(Get(ini, "Numbers", "Cline"), "-54");
  // Blanks inside a name are part of it.
  EXPECT_EQ(Get(ini, "Num bers", "FadeWidth"), "DEF");
  EXPECT_EQ(Get(ini, "Numbers", "Fade Width"), "DEF");
  WriteFileBytes(ini, "[FileNames]\r\nSaveFile=/o/Final.bmp\r\n[Numbers]\r\nFadeWidth=60\r\n");
  EXPECT_EQ(Get(ini, "FileNames", "SaveFile"), "/o/Final.bmp");
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth"), "60");
}

TEST_F(ProfileFileReading, AKeyOnlyCountsInItsOwnSectionAndTheFirstSectionAndKeyOfANameWin) {
  WriteFileBytes(ini, "FadeWidth=1\n[Flags]\nFadeWidth=2\n[Numbers]\nCline=3\n[Other]\nSpecStart=4\n");
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth"), "DEF");
  EXPECT_EQ(Get(ini, "Numbers", "SpecStart"), "DEF");
  EXPECT_EQ(Get(ini, "Flags", "FadeWidth"), "2");
  WriteFileBytes(ini, "[Numbers]\nCline=-5\ncline=7\n[numbers]\nCline=9\nExtra=3\n");
  EXPECT_EQ(Get(ini, "Numbers", "Cline"), "-5");
  EXPECT_EQ(Get(ini, "Numbers", "Extra"), "DEF");
}

TEST_F(ProfileFileReading, CommentsAndLinesWithoutEqualsAreNotKeys) {
  WriteFileBytes(ini,
                 "[Numbers]\n;Cline=1\n# Cline=2\nCline\n[Cline=3\nLighten 5\nLighten=6\n"
                 "; [Flags]\nNeedToRedrawGrid=-1\n");
  EXPECT_EQ(Get(ini, "Numbers", "Cline"), "DEF");
  EXPECT_EQ(Get(ini, "Numbers", "Lighten"), "6");
  // A commented-out section line opens nothing.
  EXPECT_EQ(Get(ini, "Flags", "NeedToRedrawGrid"), "DEF");
  EXPECT_EQ(Get(ini, "Numbers", "NeedToRedrawGrid"), "-1");
}

TEST_F(ProfileFileReading, ValueIsTrimmedUnquotedAndEndsAtTheFirstNul) {
  using namespace std::string_literals;
  WriteFileBytes(ini,
                 "[FileNames]\n"
                 "SaveFile = \"/home/a b/Final.bmp\" \n"
                 "TileFile='/t.bmp'\n"
                 "Odd=\"/x.bmp'\n"
                 "Inner=a=b \"c\"\n"
                 "Nul=12\0zz\n"s);
  EXPECT_EQ(Get(ini, "FileNames", "SaveFile"), "/home/a b/Final.bmp");
  EXPECT_EQ(Get(ini, "FileNames", "TileFile"), "/t.bmp");
  EXPECT_EQ(Get(ini, "FileNames", "Odd"), "\"/x.bmp'");
  EXPECT_EQ(Get(ini, "FileNames", "Inner"), "a=b \"c\"");
  EXPECT_EQ(Get(ini, "FileNames", "Nul"), "12");
}

TEST_F(ProfileFileReading, ValuesAndDefaultsAreCutTo4094BytesNeverSplittingAUtf8Character) {
  const std::string longPath = "/" + std::string(4999, 'p');
  WriteFileBytes(ini, "[FileNames]\nSaveFile=" + longPath + "\n");
  EXPECT_EQ(Get(ini, "FileNames", "SaveFile"), longPath.substr(0, 4094));
  EXPECT_EQ(GetProfileString(ini, "FileNames", "TileFile", longPath), longPath.substr(0, 4094));
  // Exactly 4094 stays whole.
  WriteFileBytes(ini, "[FileNames]\nSaveFile=" + std::string(4094, 'q') + "\n");
  EXPECT_EQ(Get(ini, "FileNames", "SaveFile"), std::string(4094, 'q'));
  // "é" is two bytes, at 4093 and 4094 (0-based): the limit falls between them.
  WriteFileBytes(ini, "[A]\nK=" + std::string(4093, 'a') + "\xC3\xA9" + "bbb\n");
  EXPECT_EQ(Get(ini, "A", "K"), std::string(4093, 'a'));
  // "€" is three bytes and fits exactly.
  WriteFileBytes(ini, "[A]\nK=" + std::string(4091, 'a') + "\xE2\x82\xAC" + "bbb\n");
  EXPECT_EQ(Get(ini, "A", "K"), std::string(4091, 'a') + "\xE2\x82\xAC");
}

TEST_F(ProfileFileReading, GarbageAndHugeLinesNeverStopTheReading) {
  std::mt19937 random(20240611);
  std::string garbage(256 * 1024, '\0');
  for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
  WriteFileBytes(ini, garbage);
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth", "60"), "60");

  // A real section after the noise, a 1 MB line and a 1 MB value are still read.
  WriteFileBytes(ini, garbage + "\n[Numbers]\n" + std::string(1 << 20, 'x') +
                          "\nFadeWidth=61\nBig=" + std::string(1 << 20, 'v') + "\n");
  EXPECT_EQ(Get(ini, "Numbers", "FadeWidth"), "61");
  EXPECT_EQ(Get(ini, "Numbers", "Big"), std::string(4094, 'v'));
}

TEST_F(ProfileFileReading, WhatIsNotASmallRegularFileGivesTheDefaults) {
  // A folder of that name.
  std::filesystem::create_directory(dir / "Folder.INI");
  EXPECT_EQ(Get(dir / "Folder.INI", "Numbers", "FadeWidth"), "DEF");

  // A pipe with no writer would block a plain open for ever.
  ASSERT_EQ(::mkfifo((dir / "Pipe.INI").c_str(), 0600), 0);
  EXPECT_EQ(Get(dir / "Pipe.INI", "Numbers", "FadeWidth"), "DEF");

  // A file beyond the size limit, even one that starts with the key.
  const std::string big = dir / "Big.INI";
  WriteFileBytes(big, "[Numbers]\nFadeWidth=61\n");
  std::filesystem::resize_file(big, kProfileFileMaxBytes + 1);
  EXPECT_EQ(Get(big, "Numbers", "FadeWidth"), "DEF");

  // A path under a regular file.
  WriteFileBytes(dir / "plain.txt", "x");
  EXPECT_EQ(Get(dir / "plain.txt/sub/Tesklet.INI", "Numbers", "FadeWidth"), "DEF");
}

// --- writing ------------------------------------------------------------------------

TEST_F(ProfileFileWriting, AFreshFileGetsSectionsAndKeysInWritingOrder) {
  WriteProfileString(ini, "FileNames", "SaveFile", "/s/Output/Final.bmp");
  WriteProfileString(ini, "FileNames", "TileFile", "/s/Tiles/Basic.bmp");
  WriteProfileString(ini, "Numbers", "Turn45", "-1");
  WriteProfileString(ini, "Numbers", "Cline", "-54");
  WriteProfileString(ini, "Flags", "NeedToRedrawGrid", "0");
  EXPECT_EQ(ReadFileBytes(ini),
            "[FileNames]\n"
            "SaveFile=/s/Output/Final.bmp\n"
            "TileFile=/s/Tiles/Basic.bmp\n"
            "\n"
            "[Numbers]\n"
            "Turn45=-1\n"
            "Cline=-54\n"
            "\n"
            "[Flags]\n"
            "NeedToRedrawGrid=0\n");
}

TEST_F(ProfileFileWriting, ChangingAKeyRewritesOnlyItsOwnLine) {
  const std::string before =
      "; my settings\n"
      "\n"
      "[ numbers ]\n"
      "  ; the fade band\n"
      " fadewidth = 60 \n"
      "Unknown = kept as typed\n"
      "no equals here\n"
      "\n"
      "\n"
      "[Mine]\n"
      "FadeWidth=1\n";
  WriteFileBytes(ini, before);
  WriteProfileString(ini, "Numbers", "FadeWidth", "75");
  EXPECT_EQ(ReadFileBytes(ini),
            "; my settings\n"
            "\n"
            "[ numbers ]\n"
            "  ; the fade band\n"
            "FadeWidth=75\n"
            "Unknown = kept as typed\n"
            "no equals here\n"
            "\n"
            "\n"
            "[Mine]\n"
            "FadeWidth=1\n");
}

TEST_F(ProfileFileWriting, ANewKeyFollowsTheLastKeyOfItsSection) {
  WriteFileBytes(ini,
                 "[Numbers]\nCline=-54\n; about the flags\n\n[Flags]\nNeedToRedrawGrid=0\n"
                 "[Empty]\n; nothing yet\n");
  WriteProfileString(ini, "Numbers", "Lighten", "-29");
  WriteProfileString(ini, "Empty", "First", "1");
  EXPECT_EQ(ReadFileBytes(ini),
            "[Numbers]\nCline=-54\nLighten=-29\n; about the flags\n\n[Flags]\nNeedToRedrawGrid=0\n"
            "[Empty]\nFirst=1\n; nothing yet\n");
}

TEST_F(ProfileFileWriting, ANewSectionGoesAtTheEndAfterOneBlankLine) {
  // No line break at the end of the last line.
  WriteFileBytes(ini, "[Other]\nX=y");
  WriteProfileString(ini, "Flags", "NeedToRedrawGrid", "-1");
  EXPECT_EQ(ReadFileBytes(ini), "[Other]\nX=y\n\n[Flags]\nNeedToRedrawGrid=-1\n");

  // A file that already ends with a blank line gets no second one.
  WriteFileBytes(ini, "[Other]\nX=y\n\n");
  WriteProfileString(ini, "Flags", "NeedToRedrawGrid", "-1");
  EXPECT_EQ(ReadFileBytes(ini), "[Other]\nX=y\n\n[Flags]\nNeedToRedrawGrid=-1\n");
}

TEST_F(ProfileFileWriting, ACrlfFileKeepsItsLineEndings) {
  WriteFileBytes(ini, "[Numbers]\r\nCline=1\r\n");
  WriteProfileString(ini, "Numbers", "Cline", "2");
  WriteProfileString(ini, "Numbers", "Lighten", "3");
  WriteProfileString(ini, "Flags", "NeedToRedrawGrid", "0");
  EXPECT_EQ(ReadFileBytes(ini),
            "[Numbers]\r\nCline=2\r\nLighten=3\r\n\r\n[Flags]\r\nNeedToRedrawGrid=0\r\n");
}

TEST_F(ProfileFileWriting, AValueIsOneLineAndLongValuesAreWrittenWhole) {
  WriteProfileString(ini, "FileNames", "TileFile", "/a\nExtra=1");
  WriteProfileString(ini, "FileNames", "SaveFile", "/b\r\n[Flags]");
  EXPECT_EQ(ReadFileBytes(ini), "[FileNames]\nTileFile=/a\nSaveFile=/b\n");

  const std::string longPath = "/" + std::string(4999, 'p');
  WriteProfileString(ini, "FileNames", "SaveFile", longPath);
  EXPECT_NE(ReadFileBytes(ini).find("SaveFile=" + longPath + "\n"), std::string::npos);
  EXPECT_EQ(Get(ini, "FileNames", "SaveFile"), longPath.substr(0, 4094));
}

TEST_F(ProfileFileWriting, ManyChangesAtOnceGiveTheSameBytesAsOneByOne) {
  const std::string start =
      "; kept\r\n[numbers]\r\n Cline = 1 \r\nodd line\r\n\r\n[FLAGS]\r\nX=1\r\n; end";
  const std::string oneByOne = dir / "a.INI";
  const std::string atOnce = dir / "b.INI";
  WriteFileBytes(oneByOne, start);
  WriteFileBytes(atOnce, start);
  const char* changes[][3] = {{"FileNames", "SaveFile", "/o.bmp"}, {"Numbers", "Cline", "7"},
                              {"Numbers", "Lighten", "-29"},      {"Flags", "NeedToRedrawGrid", "-1"},
                              {"FileNames", "TileFile", "/t.bmp"}, {"numbers", "cline", "8"}};
  ProfileFile file = ProfileFile::ReadForUpdate(atOnce);
  for (const auto& c : changes) {
    WriteProfileString(oneByOne, c[0], c[1], c[2]);
    file.WriteString(c[0], c[1], c[2]);
  }
  file.Save(atOnce);
  EXPECT_EQ(ReadFileBytes(atOnce), ReadFileBytes(oneByOne));
  EXPECT_EQ(Get(atOnce, "Numbers", "Cline"), "8");
  EXPECT_EQ(Get(atOnce, "FileNames", "TileFile"), "/t.bmp");
}

// --- saving ---------------------------------------------------------------------------

TEST_F(ProfileFileSaving, AMissingFolderIsCreatedAndNoTemporaryFileStays) {
  const std::string ini = dir / "config/deeper/Tesklet.INI";
  WriteProfileString(ini, "Numbers", "Cline", "1");
  EXPECT_EQ(ReadFileBytes(ini), "[Numbers]\nCline=1\n");
  WriteProfileString(ini, "Numbers", "Cline", "2");
  EXPECT_EQ(FolderListing(dir / "config/deeper"), "Tesklet.INI\n");
}

TEST_F(ProfileFileSaving, APlaceThatCannotHoldAFileRaisesAndCreatesNothing) {
  WriteFileBytes(dir / "plain.txt", "unchanged");
  const std::string ini = dir / "plain.txt/sub/Tesklet.INI";
  try {
    WriteProfileString(ini, "Numbers", "Cline", "1");
    FAIL() << "the write should have failed";
  } catch (const RunTimeError& e) {
    EXPECT_NE(std::string(e.what()).find(ini), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(dir / "plain.txt"), "unchanged");
  EXPECT_EQ(FolderListing(dir.Path()), "plain.txt\n");
}

TEST_F(ProfileFileSaving, AReadOnlyFolderKeepsTheOldFile) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "root writes into read-only folders; the full-disk case below covers a "
                    "failed replacement for root";
  std::filesystem::create_directory(dir / "ro");
  const std::string roIni = dir / "ro/Tesklet.INI";
  const std::string old = "; mine\n[Numbers]\nCline=1\n";
  WriteFileBytes(roIni, old);
  ASSERT_EQ(::chmod((dir / "ro").c_str(), 0555), 0);
  EXPECT_THROW(WriteProfileString(roIni, "Numbers", "Cline", "2"), RunTimeError);
  ::chmod((dir / "ro").c_str(), 0755);
  EXPECT_EQ(ReadFileBytes(roIni), old);
  EXPECT_EQ(FolderListing(dir / "ro"), "Tesklet.INI\n");
}

TEST_F(ProfileFileSaving, AFullDiskKeepsTheOldFileByteForByte) {
  const std::string old = "; mine\n[Numbers]\nCline=1\n";
  WriteFileBytes(ini, old);
  {
    testing::ScopedFileSizeLimit full(16);
    EXPECT_THROW(WriteProfileString(ini, "FileNames", "SaveFile", "/a/rather/long/path/Final.bmp"), RunTimeError);
  }
  EXPECT_EQ(ReadFileBytes(ini), old);
  EXPECT_EQ(FolderListing(dir.Path()), "Tesklet.INI\n");
}

TEST_F(ProfileFileSaving, AFileThatCannotBeReadWholeIsNeverReplaced) {
  const std::string big = dir / "Big.INI";
  WriteFileBytes(big, "[Numbers]\nCline=1\n");
  std::filesystem::resize_file(big, kProfileFileMaxBytes + 1);
  EXPECT_THROW(WriteProfileString(big, "Numbers", "Cline", "2"), RunTimeError);
  EXPECT_EQ(std::filesystem::file_size(big), kProfileFileMaxBytes + 1);
  std::ifstream in(big, std::ios::binary);
  std::string head(18, '\0');
  in.read(head.data(), 18);
  EXPECT_EQ(head, "[Numbers]\nCline=1\n");

  std::filesystem::create_directory(dir / "Folder.INI");
  EXPECT_THROW(WriteProfileString(dir / "Folder.INI", "Numbers", "Cline", "2"), RunTimeError);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Folder.INI"));
}

}  // namespace
}  // namespace marvane
