// The settings file: where it lives, what a look-up finds, what a change touches, how it is saved.
#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/config_location.h"
#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using namespace std::string_literals;
using namespace testing;
using Lines = std::vector<std::array<std::string, 3>>;  // section, key, value

const std::string kLong = "/" + std::string(4999, 'p');

// An absolute XDG_CONFIG_HOME, else the home folder's .config: a relative one would
// follow the current folder, which the file dialogs move.
TEST(SettingsFilePath, IsInAnAbsoluteXdgConfigHomeElseInTheHomeConfigFolder) {
  const std::array<std::optional<std::string>, 3> cases[] = {
      {"/h", "/var/cfg//", "/var/cfg/Tesklet.INI"}, {"/h/", std::nullopt, "/h/.config/Tesklet.INI"},
      {"/h/", "", "/h/.config/Tesklet.INI"}, {"/h", "cfg", "/h/.config/Tesklet.INI"}, {"/", {}, "/.config/Tesklet.INI"}};
  for (const auto& [home, xdg, path] : cases) {
    const ScopedEnv homeEnv("HOME", home), xdgEnv("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(SettingsFilePath(), *path) << *home << " " << xdg.value_or("(unset)");
  }
}

TEST(ProfileFileReading, TheFirstMatchingKeyOfTheFirstMatchingSectionGivesItsValue) {
  const std::pair<std::string, Lines> cases[] = {  // "DEF" where the default is expected
      {"[F]\nX=/x.bmp\n[N]\nA=-5\nB=\nC=  \t\n", {{"N", "D", "DEF"}, {"G", "X", "DEF"}, {"N", "A", "-5"}, {"N", "B", ""}, {"N", "C", ""}}},
      // Names match without letter case or blanks around them, not without those inside.
      {"  [ numbers ]  \r\n FadeWidth = 60 \r\n\tCLINE\t=\t-54\t\r\n",
       {{"NUMBERS", "fadewidth", "60"}, {"Numbers", "Cline", "-54"}, {"Num bers", "FadeWidth", "DEF"}, {"Numbers", "Fade Width", "DEF"}}},
      {"X=1\n[G]\nX=2\n[N]\nA=-5\na=7\n[n]\nA=9\nE=3\n", {{"N", "X", "DEF"}, {"G", "X", "2"}, {"N", "A", "-5"}, {"N", "E", "DEF"}}},
      {"[N]\n;A=1\n# A=2\nA\n[A=3\nB 5\nB=6\n; [G]\nX=-1\n", {{"N", "A", "DEF"}, {"N", "B", "6"}, {"G", "X", "DEF"}, {"N", "X", "-1"}}},
      // Blanks and one pair of matching quotes around a value go; a NUL ends it.
      {"[F]\nA = \"/a b/F.bmp\" \nB='/t.bmp'\nC=\"/x.bmp'\nD=a=b \"c\"\nE=12\0zz\nG=\"\"\nH=\"\n"s,
       {{"F", "A", "/a b/F.bmp"}, {"F", "B", "/t.bmp"}, {"F", "C", "\"/x.bmp'"}, {"F", "D", "a=b \"c\""}, {"F", "E", "12"},
        {"F", "G", ""}, {"F", "H", "\""}}},
      // At most 4094 bytes, never half a UTF-8 character: an "é" across the limit goes,
      // a "€" ending at it stays.
      {"[A]\nL=" + kLong + "\nE=" + std::string(4093, 'a') + "\xC3\xA9z\nF=" + std::string(4091, 'a') + "\xE2\x82\xACz\n",
       {{"A", "L", kLong.substr(0, 4094)}, {"A", "E", std::string(4093, 'a')}, {"A", "F", std::string(4091, 'a') + "\xE2\x82\xAC"}}},
  };
  for (const auto& [text, lookUps] : cases)
    for (const auto& [section, key, value] : lookUps)
      EXPECT_EQ(ProfileFile::FromText(text).GetString(section, key, "DEF"), value) << section << "/" << key;
  EXPECT_EQ(ProfileFile::FromText("").GetString("A", "B", kLong), kLong.substr(0, 4094));
}

TEST(ProfileFileWriting, AChangeRewritesOrAddsOneLineAndKeepsEveryOtherByte) {
  // The same changes to each file, one by one on disk and all at once in a document. A value
  // ends at its first CR, LF or NUL.
  const Lines writes = {{"FileNames", "SaveFile", "/F.bmp\r\n[X]"}, {"FileNames", "TileFile", kLong + "\0x"s},
                        {"Numbers", "Cline", "-54\nExtra=1"}};
  const std::string fileNames = "[FileNames]\nSaveFile=/F.bmp\nTileFile=" + kLong + "\n";
  const std::array<std::string, 2> cases[] = {  // before, after
      {"", fileNames + "\n[Numbers]\nCline=-54\n"},
      // The changed line takes the caller's spelling; every other line stays as typed.
      {"[ numbers ]\n ; fade\n cline = 60 \nOdd = as typed\nno equals\n\n" + fileNames,
       "[ numbers ]\n ; fade\nCline=-54\nOdd = as typed\nno equals\n\n" + fileNames},
      // A new key goes after its section's last key, or its section's line.
      {"[FileNames]\nA=1", "[FileNames]\nA=1\nSaveFile=/F.bmp\nTileFile=" + kLong + "\n\n[Numbers]\nCline=-54\n"},
      {"[Numbers]\nX=1\n; flags\n\n[FileNames]\n; none yet\n",
       "[Numbers]\nX=1\nCline=-54\n; flags\n\n" + fileNames + "; none yet\n"},
      // A new section goes at the end after a blank line, in the first line's ending.
      {"[Other]\nX=y", "[Other]\nX=y\n\n" + fileNames + "\n[Numbers]\nCline=-54\n"},
      {"[Numbers]\r\nCline=1\n\r\n", "[Numbers]\r\nCline=-54\n\r\n[FileNames]\r\nSaveFile=/F.bmp\r\nTileFile=" + kLong + "\r\n"},
  };
  const TempFolder dir;
  // What a save killed half-way left goes at the next save; a person's own files stay.
  WriteFileBytes(dir / ".Tesklet.INI.marvane-part-999999999-0", "cut");  // beyond any process number
  const std::string running = ".Tesklet.INI.marvane-part-" + std::to_string(::getppid()) + "-0";
  WriteFileBytes(dir / running, "being written");  // by a process still running: it stays
  WriteFileBytes(dir / "Tesklet.INI.backup", "mine");
  for (const auto& [before, after] : cases) {
    WriteFileBytes(dir / "Tesklet.INI", before);
    ProfileFile atOnce = ProfileFile::FromText(before);
    for (const auto& [section, key, value] : writes) {
      WriteProfileString(dir / "Tesklet.INI", section, key, value);
      atOnce.WriteString(section, key, value);
    }
    EXPECT_EQ(ReadFileBytes(dir / "Tesklet.INI"), after);
    EXPECT_EQ(atOnce.Text(), after);
  }
  EXPECT_EQ(FolderListing(dir.Path()), running + "\nTesklet.INI\nTesklet.INI.backup\n");  // none of ours stays
}

std::string WriteError(const std::string& path, const std::string& value = "2") {
  try {
    WriteProfileString(path, "Numbers", "Cline", value);
  } catch (const RunTimeError& e) {
    return e.what();
  }
  return "written";
}

// What is not a small regular file reads as empty and is never replaced.
TEST(ProfileFileOnDisk, OnlyASmallRegularFileIsReadAndAFileIsReplacedWholeOrNotAtAll) {
  const TempFolder dir;
  std::filesystem::create_directory(dir / "Folder.INI");
  ASSERT_EQ(::mkfifo((dir / "Pipe.INI").c_str(), 0600), 0);  // a plain open would wait for a writer
  for (const auto& [name, size] : {std::pair{"Largest.INI", kProfileFileMaxBytes}, {"Big.INI", kProfileFileMaxBytes + 1}}) {
    WriteFileBytes(dir / name, "[Numbers]\nCline=1\n");
    std::filesystem::resize_file(dir / name, size);
  }
  EXPECT_EQ(GetProfileString(dir / "Largest.INI", "Numbers", "Cline", "DEF"), "1");
  for (const auto& [name, why] : {std::pair{"Folder.INI", "not a regular file"}, {"Pipe.INI", "not a regular file"},
                                  {"Big.INI", "larger than a settings file can be"}}) {
    EXPECT_EQ(GetProfileString(dir / name, "Numbers", "Cline", "DEF"), "DEF") << name;
    EXPECT_EQ(WriteError(dir / name), "Cannot save the settings file \"" + dir / name +
                                          "\": what is there cannot be read whole (" + why + "), so it was left as it is.");
  }
  // A file whose reading fails part-way (this process's memory file fails at its first byte) is not replaced either.
  EXPECT_EQ(WriteError("/proc/self/mem"), "Cannot save the settings file \"/proc/self/mem\": what is there cannot be "
                                          "read whole (Input/output error), so it was left as it is.");
  EXPECT_EQ(WriteError(dir / "new/folder/Tesklet.INI"), "written");
  EXPECT_EQ(ReadFileBytes(dir / "new/folder/Tesklet.INI"), "[Numbers]\nCline=2\n");
  // Where no folder can be made, or on a full disk, the file stays as it was.
  const std::string kept = "; a file of that name that was there before is unchanged.";
  EXPECT_TRUE(WriteError(dir / "Big.INI/Tesklet.INI").ends_with("INI\": the folder \"" + dir / "Big.INI" + "\" does not exist."));
  const ScopedFileSizeLimit full(16);
  EXPECT_TRUE(WriteError(dir / "Largest.INI", "/a/rather/long/path/Final.bmp").ends_with(")" + kept));
  EXPECT_EQ(ReadFileBytes(dir / "Largest.INI").substr(0, 18), "[Numbers]\nCline=1\n");
  EXPECT_EQ(FolderListing(dir.Path()), "Big.INI\nFolder.INI\nLargest.INI\nPipe.INI\nnew\n");
}

}  // namespace
}  // namespace marvane
