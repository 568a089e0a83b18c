// Reading the flags' values and gathering the console's values for a render, in process.
#include <gtest/gtest.h>

#include <cfloat>
#include <sstream>
#include <string>
#include <vector>

#include "cli/render_failure.h"
#include "cli/render_options.h"
#include "cli/render_values.h"
#include "engine/geometry.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using testing::TempFolder;
using testing::WriteFileBytes;

TEST(ReadDecimalNumber, TakesTheLeadingNumberGrammarAsTheWholeText) {
  EXPECT_EQ(ReadDecimalNumber("12"), 12.0);
  EXPECT_EQ(ReadDecimalNumber("7.5"), 7.5);
  EXPECT_EQ(ReadDecimalNumber("-3"), -3.0);
  EXPECT_EQ(ReadDecimalNumber("+4"), 4.0);
  EXPECT_EQ(ReadDecimalNumber(".5"), 0.5);
  EXPECT_EQ(ReadDecimalNumber("5."), 5.0);
  EXPECT_EQ(ReadDecimalNumber("1e3"), 1000.0);
  EXPECT_EQ(ReadDecimalNumber("25E-1"), 2.5);
  EXPECT_EQ(ReadDecimalNumber("1e999"), DBL_MAX);
  EXPECT_EQ(ReadDecimalNumber("-1e999"), -DBL_MAX);
  EXPECT_EQ(ReadDecimalNumber("1e-999"), 0.0);
  EXPECT_EQ(ReadDecimalNumber(std::string(50, '9')), 1e50);
}

TEST(ReadDecimalNumber, RefusesEverythingElse) {
  for (const char* text : {"", " ", "abc", "12abc", " 12", "12 ", "NaN", "nan", "inf", "-inf", "1e", "1e+", ".",
                           "-", "+", "1,5", "0x10", "1..2", "1.2.3", "--1", "e5"})
    EXPECT_FALSE(ReadDecimalNumber(text).has_value()) << '"' << text << '"';
}

TEST(ReadWholeNumber, TakesASignAndDigitsOnly) {
  EXPECT_EQ(ReadWholeNumber("12"), 12.0);
  EXPECT_EQ(ReadWholeNumber("-150"), -150.0);
  EXPECT_EQ(ReadWholeNumber("+0"), 0.0);
  for (const char* text : {"", "-", "1.0", "1e2", "12a", " 1", "0x1"})
    EXPECT_FALSE(ReadWholeNumber(text).has_value()) << text;
}

// --- the command line --------------------------------------------------------------------

ParsedCommandLine Parse(std::vector<std::string> args, std::string* err = nullptr) {
  args.insert(args.begin(), "marvane-render");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, errors;
  ParsedCommandLine parsed = ParseRenderCommandLine(static_cast<int>(argv.size()), argv.data(), out, errors);
  if (err) *err = errors.str();
  return parsed;
}

TEST(ParseRenderCommandLine, DefaultsAreTheDesktopsOutputBoardAndAllQuadrants) {
  const ParsedCommandLine p = Parse({"--tile", "t.bmp"});
  ASSERT_TRUE(p.options);
  const RenderOptions& o = *p.options;
  EXPECT_EQ(o.output, "Final.bmp");
  EXPECT_EQ(o.boardWidth, 793);
  EXPECT_EQ(o.boardHeight, 573);
  EXPECT_EQ(o.quadrants, (std::array<bool, 4>{true, true, true, true}));
  EXPECT_FALSE(o.small || o.sequential || o.quiet);
  EXPECT_FALSE(o.pieces || o.smallestRadius || o.fadeWidth || o.turn45ListIndex || o.spectrumShift ||
               o.centerTone || o.brightnessShift || o.centerBrightness || o.seed || o.tileColor || o.grid ||
               o.keep || o.threads || o.settings);
}

TEST(ParseRenderCommandLine, ReadsEveryFlag) {
  const ParsedCommandLine p =
      Parse({"--tile", "t.bmp", "-o", "o.png", "--settings", "s.ini", "--pieces", "7.5", "--smallest-radius", "9",
             "--fade-width", "1e1", "--rotate", "45", "--spectrum-shift", "-54", "--center-tone", "0",
             "--brightness-shift=-29", "--center-brightness", "95", "--quadrants", "lr,ul", "--small", "--board",
             "640X480", "--seed", "42", "--tile-color", "1.5,2,255", "--grid", "g.bmp", "--keep", "k", "--threads",
             "3", "--sequential", "-q"});
  ASSERT_TRUE(p.options);
  const RenderOptions& o = *p.options;
  EXPECT_EQ(o.tile, "t.bmp");
  EXPECT_EQ(o.output, "o.png");
  EXPECT_EQ(o.settings, "s.ini");
  EXPECT_EQ(o.pieces, 7.5);
  EXPECT_EQ(o.smallestRadius, 9);
  EXPECT_EQ(o.fadeWidth, 10);
  EXPECT_EQ(o.turn45ListIndex, 2);
  EXPECT_EQ(o.spectrumShift, -54);
  EXPECT_EQ(o.centerTone, 0);
  EXPECT_EQ(o.brightnessShift, -29);
  EXPECT_EQ(o.centerBrightness, 95);
  EXPECT_EQ(o.quadrants, (std::array<bool, 4>{false, true, false, true}));
  EXPECT_TRUE(o.small && o.sequential && o.quiet);
  EXPECT_EQ(o.boardWidth, 640);
  EXPECT_EQ(o.boardHeight, 480);
  EXPECT_EQ(o.seed, "42");
  EXPECT_EQ(o.tileColor, (std::array<double, 3>{1.5, 2, 255}));
  EXPECT_EQ(o.grid, "g.bmp");
  EXPECT_EQ(o.keep, "k");
  EXPECT_EQ(o.threads, 3);
  EXPECT_EQ(Parse({"--tile", "t", "--rotate", "-45"}).options->turn45ListIndex, 0);
  EXPECT_EQ(Parse({"--tile", "t", "--rotate", "0"}).options->turn45ListIndex, 1);
}

TEST(ParseRenderCommandLine, HelpIsSuccessAndBadUsageIsTwo) {
  EXPECT_EQ(Parse({"--help"}).status, kExitSuccess);
  EXPECT_FALSE(Parse({"--help"}).options);
  std::string err;
  const ParsedCommandLine p = Parse({"--tile", "t", "--nope"}, &err);
  EXPECT_FALSE(p.options);
  EXPECT_EQ(p.status, kExitBadUsage);
  EXPECT_EQ(err, "marvane-render: The following argument was not expected: --nope\n"
                 "marvane-render: run with --help for the flags\n");
}

// --- the console's values ------------------------------------------------------------------

class FillConsoleTest : public ::testing::Test {
 protected:
  FillConsoleTest() { SetBoardConstants(793, 573, board); }
  RenderOptions Options() {
    RenderOptions o;
    o.tile = "t.bmp";
    return o;
  }
  // The failure's text, or "" when the values were taken.
  std::string Fill(const RenderOptions& o) {
    try {
      FillConsole(o, board, mirror, console);
      return "";
    } catch (const RenderFailure& f) {
      EXPECT_EQ(f.Status(), kExitBadInput);
      return f.what();
    }
  }
  BoardConstants board;
  SettingsMirror mirror;
  ConsoleModel console;
};

TEST_F(FillConsoleTest, WithoutFileOrFlagsTheSettingsDefaultsAreUsed) {
  ASSERT_EQ(Fill(Options()), "");
  EXPECT_EQ(console.NumPieces, "12");
  EXPECT_EQ(console.SmallestRadius, "15");
  EXPECT_EQ(console.FadeWidth, "60");
  EXPECT_EQ(console.Turn45ListIndex, 0);
  EXPECT_EQ(console.Cline, -54);
  EXPECT_EQ(console.SpecStart, 104);
  EXPECT_EQ(console.Lighten, -29);
  EXPECT_EQ(console.LightStart, 95);
  EXPECT_EQ(console.FillInQuadrant, (std::array<bool, 4>{true, true, true, true}));
  EXPECT_EQ(console.OutputOption, (std::array<bool, 2>{false, true}));
  EXPECT_EQ(console.TileFile, "t.bmp");
  EXPECT_EQ(console.SaveFile, "Final.bmp");
}

TEST_F(FillConsoleTest, TypedNumbersAreCheckedThenRoundedHalfToEven) {
  RenderOptions o = Options();
  o.pieces = 7.5;
  o.smallestRadius = 8.5;
  o.fadeWidth = 489.1773;  // within the bound, the float 489.17737...
  o.small = true;
  ASSERT_EQ(Fill(o), "");
  EXPECT_EQ(console.NumPieces, "8");
  EXPECT_EQ(console.SmallestRadius, "8");
  EXPECT_EQ(console.FadeWidth, "489");
  EXPECT_EQ(console.OutputOption, (std::array<bool, 2>{true, false}));
  o.pieces = 99;
  ASSERT_EQ(Fill(o), "");
  EXPECT_EQ(console.NumPieces, "99");
  // The console's Constrain compares the typed number itself, before rounding: 99.4
  // lies above 99 and is held to it with the message, as the console does.
  o.pieces = 99.4;
  EXPECT_EQ(Fill(o), "--pieces: Value must be between 6 and 99!");
  o.pieces = 6;
  o.fadeWidth = 489.18;
  EXPECT_EQ(Fill(o), "--fade-width: Value must be between 3 and 489.1774!");
}

TEST_F(FillConsoleTest, AValueFromTheFileIsNamedByItsKey) {
  TempFolder dir;
  WriteFileBytes(dir / "s.ini", "[Numbers]\nSpecStart=-1\nTurn45=-1\n");
  RenderOptions o = Options();
  o.settings = dir / "s.ini";
  EXPECT_EQ(Fill(o), "--settings " + dir / "s.ini" + ": SpecStart -1: Value must be between 0 and 426!");
  o.centerTone = 0;
  EXPECT_EQ(Fill(o), "");
  EXPECT_EQ(console.Turn45ListIndex, -1);  // no item selected, as the desktop may save it
  EXPECT_EQ(console.SpecStart, 0);
}

TEST(CheckedSeed, TakesEverySixtyFourBitNumberExactly) {
  EXPECT_EQ(CheckedSeed("0"), 0u);
  EXPECT_EQ(CheckedSeed("-0"), 0u);
  EXPECT_EQ(CheckedSeed("18446744073709551615"), UINT64_MAX);
  EXPECT_EQ(CheckedSeed("9007199254740993"), 9007199254740993u);  // beyond a double's digits
  EXPECT_THROW(CheckedSeed("18446744073709551616"), RenderFailure);
  EXPECT_THROW(CheckedSeed("-1"), RenderFailure);
}

}  // namespace
}  // namespace marvane
