// The typed fields' range check, the settings file, the output picture and the help file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "console/help_file.h"
#include "console/output_files.h"
#include "console/validation.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "support/picture_checks.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using namespace marvane::testing;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using std::tuple;

// What the user saw and heard, in order: beeps, and messages as title and text.
std::string Shown(const RecordingUi& ui) {
  std::string shown;
  for (const auto& e : ui.Events())
    if (e.kind != RecordingUi::Event::Kind::Pointer)
      shown += e.kind == RecordingUi::Event::Kind::Beep ? "beep; " : e.title + ": " + e.text + "\n";
  return shown;
}

// The number of parts runs from 6 to 99, the radius and the fade width from 3 up to half
// the board's diagonal (353.5534 on a 500 x 500 board, 489.1774 on 793 x 573). The typed
// number is held to its range first and rounded half to even after, so 99.4 is clamped;
// a clamped value is still written back and handed out, with the bounds in the message.
// Other fields are not checked.
TEST(CheckValue, HoldsEachFieldToItsRangeRoundsAndNamesTheBoundsWhenItClamps) {
  const char *n = kNumPiecesName, *r = kSmallestRadiusName, *f = kFadeWidthName, *parts = "6 and 99";
  const float half500 = 353.55341f, half793 = 489.17737f;
  struct Case { const char *field, *typed; std::optional<int32_t> stored; const char* bounds; float halfDiagonal; };
  const Case cases[] = {{n, "6", 6, nullptr, 0},        {n, "99", 99, nullptr, 0},     {n, "6.5", 6, nullptr, 0},
                        {n, "7.5", 8, nullptr, 0},      {n, " 12abc", 12, nullptr, 0}, {n, "5.5", 6, parts, 0},
                        {n, "99.4", 99, parts, 0},      {n, "abc", 6, parts, 0},       {f, "353.5", 354, nullptr, half500},
                        {r, "", 3, "3 and 353.5534", half500},   {f, "400", 354, "3 and 353.5534", half500},
                        {r, "1000", 489, "3 and 489.1774", half793}, {"Cline", "5", std::nullopt, nullptr, 99}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " \"" + c.typed + "\"");
    RecordingUi ui;
    ConsoleModel console;
    std::string& text = c.field == n ? console.NumPieces : c.field == r ? console.SmallestRadius : console.FadeWidth;
    text = c.typed;
    std::optional<int32_t> value = 42;
    EXPECT_EQ(CheckValue(ui, console, c.halfDiagonal, c.field, "Title", value), c.stored && !c.bounds);
    EXPECT_EQ(tuple(value, text), tuple(c.stored, c.stored ? std::to_string(*c.stored) : c.typed));
    EXPECT_EQ(Shown(ui), c.bounds ? "beep; Title: Value must be between " + std::string(c.bounds) + "!\n" : "");
  }
}

// The mirror as start-up leaves it: the defaults for `startFolder`, then the file read.
SettingsMirror ReadFrom(const std::string& ini, const std::string& startFolder = "/start") {
  SettingsMirror m;
  m.StartFolder = startFolder;
  SetDefaultSettings(m);
  ReadSettings(m, ini);
  return m;
}

// The ten "Numbers" keys' values, in the file's order.
std::vector<int32_t> Numbers(const SettingsMirror& m) {
  return {m.IniTurn45,     m.IniNumRadialPieces, m.IniSmallestRadius, m.IniFadeWidth, m.IniLighten,
          m.IniLightStart, m.IniCline,           m.IniSpecStart,      m.PicRight,     m.PicBottom};
}

// Only a missing key keeps its default: a present one is its leading number rounded half
// to even, so an empty or non-numeric value reads as 0; the redraw flag is True for any
// number but 0, and a file from before the live preview has it off. A save writes all
// fourteen keys, the numbers and the preview box from the console whatever they hold,
// the rest from the mirror.
TEST(Settings, NumbersAreLeadingNumbersRoundedHalfToEvenAndASaveTakesThemFromTheConsole) {
  TempFolder dir;
  WriteFileBytes(dir / "old.INI", "[FileNames]\nSaveFile=\n[Numbers]\nTurn45=abc\nNumRadialPieces= 12abc\n"
                                  "SmallestRadius=61.5\nFadeWidth=60.5\nLighten=-2.9e1\nLightStart=-54.5\nCline=\n"
                                  "PicRight=+0299.49\n[Flags]\nNeedToRedrawGrid=0.5\n");
  SettingsMirror m = ReadFrom(dir / "old.INI");
  EXPECT_EQ(Numbers(m), (std::vector<int32_t>{0, 12, 62, 60, -29, -54, 0, 104, 299, 247}));
  EXPECT_EQ(tuple(m.SaveFileName, m.TileFileName, m.NeedToRedrawGrid, m.LivePreview),
            tuple("", "/start/Tiles/Basic.bmp", true, false));
  m.TileFileName = "/" + std::string(4999, 't');
  ConsoleModel c;
  c.SaveFile = c.TileFile = "/ignored.bmp";
  c.Turn45ListIndex = kNoListIndex, c.Cline = 150, c.SpecStart = 426, c.Lighten = -100, c.LightStart = -100;
  c.FadeWidth = "60.5", c.NumPieces = "7.5", c.SmallestRadius = "abc", c.LivePreview = true;
  SaveSettings(m, c, dir / "Tesklet.INI");
  EXPECT_EQ(ReadFileBytes(dir / "Tesklet.INI"),
            "[FileNames]\nSaveFile=\nTileFile=" + m.TileFileName + "\n\n[Numbers]\nTurn45=-1\nNumRadialPieces=8\n"
            "SmallestRadius=0\nFadeWidth=60\nLighten=-100\nLightStart=-100\nCline=150\nSpecStart=426\nPicRight=299\n"
            "PicBottom=247\n\n[Flags]\nNeedToRedrawGrid=-1\nLivePreview=-1\n");
  const SettingsMirror next = ReadFrom(dir / "Tesklet.INI");
  EXPECT_EQ(tuple(Numbers(next), next.TileFileName, next.LivePreview),
            tuple(Numbers(m), m.TileFileName.substr(0, 4094), true));
}

// The small size saves the thumbnail, both sizes the full picture, over any old file; a
// name without a folder goes to the current folder. A folder that is missing, or that the
// system cannot look up, beeps and says so under the program's own title and nothing is
// written; names are not patterns.
TEST(SaveFinal, WritesThePictureOfTheChosenSizeOnlyIntoAFolderThatExists) {
  TempFolder dir;
  ScopedCurrentFolder keep;
  std::filesystem::current_path(dir.Path());
  RecordingUi ui;
  SettingsMirror mirror;
  const Picture small(5, 4, 0x123456), full(20, 16, 0x654321);
  for (const auto& [name, divisor, saved] :
       {tuple(dir / "Final.bmp", 4, small), tuple(dir / "Final.bmp", 1, full), tuple(std::string("Bare.bmp"), 4, small)}) {
    mirror.SaveFileName = name;
    SaveFinal(ui, mirror, divisor, small, full);
    EXPECT_TRUE(test::SamePicture(LoadPictureFile(name, 0), saved)) << name << " " << divisor;
  }
  for (const std::string& folder : {dir / "Gone", dir / "Fina?.bmp", dir / std::string(5000, 'n'), dir.Path() + '\0'}) {
    mirror.SaveFileName = folder + "/Final.bmp";
    for (int divisor : {4, 1}) SaveFinal(ui, mirror, divisor, small, full);
  }
  std::string refusals;
  for (int i = 0; i < 8; ++i) refusals += "beep; : The given filename is invalid; file was not saved.\n";
  EXPECT_EQ(Shown(ui), refusals);
  EXPECT_EQ(FolderListing(dir.Path()), "Bare.bmp\nFinal.bmp\n");
}

// A line ends at a line feed, a carriage return and line feed, or a lone carriage return;
// a line that starts with "{" opens a topic titled by it without its opening braces. A
// file of up to a megabyte is read; a larger one is refused from its size alone.
TEST(HelpFile, TopicsTitlesAndLinesAreKeptAsWrittenFromAFileOfUpToAMegabyte) {
  const HelpFile help = ParseHelpText("Before\r\n {not a title\n{Getting started}\r\nFirst\r\n\r\n  mid { line\r\n"
                                      "{{Sliders{\n{Last\rold mac\n\nunix\r\nno line end");
  EXPECT_EQ(tuple(help.NumTopics(), help.Title(0), help.HelpText[0][2], help.Title(1), help.Title(2), help.Title(4)),
            tuple(3, "", " {not a title", "Getting started}", "Sliders", ""));
  EXPECT_EQ(tuple(help.TopicText(1), help.TopicLineCount(2), help.TopicText(3)),
            tuple("First\r\n\r\n  mid { line\r\n", 0, "old mac\r\n\r\nunix\r\nno line end\r\n"));
  EXPECT_EQ(tuple(ParseHelpText("{A\r\nx\r\n").TopicLineCount(1), ParseHelpText("text\n").NumTopics()), tuple(1, 0));
  TempFolder dir;
  const std::string file = dir / "HelpTxt.txt";
  EXPECT_THAT([&] { ReadHelpText(file); },
              ThrowsMessage<RunTimeError>("Cannot read the help file \"" + file + "\": the file does not exist."));
  EXPECT_THAT([&] { ReadHelpText(dir.Path()); }, ThrowsMessage<RunTimeError>(HasSubstr("it is a folder")));
  WriteFileBytes(file, "{One\r\nline\r\n{Two\r\n" + std::string(kLargestHelpFile - 18, 'x'));
  EXPECT_EQ(ReadHelpText(file).TopicText(1), "line\r\n");
  std::filesystem::resize_file(file, kLargestHelpFile + 1);
  EXPECT_THAT([&] { ReadHelpText(file); }, ThrowsMessage<RunTimeError>(HasSubstr("1048577 bytes")));
  std::filesystem::resize_file(file, std::uintmax_t{4} << 30);  // sparse: refused without reading a byte
  EXPECT_THAT([&] { ReadHelpText(file); }, ThrowsMessage<RunTimeError>(HasSubstr("4294967296 bytes")));
}

}  // namespace
}  // namespace marvane
