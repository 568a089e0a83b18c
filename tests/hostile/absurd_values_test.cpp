// Absurd values in every typed field, settings key and renderer flag: empty, blanks,
// "-0", "1e308", "-1e308", "1e999", "NaN", "inf", fifty digits, a thousand characters.
// Each is held to its range with the range message, read by the number rules, or
// refused with a clear error; never converted to an integer out of range (the
// sanitizer build stops on that).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "console/console_model.h"
#include "console/settings.h"
#include "console/validation.h"
#include "engine/geometry.h"
#include "hostile/child_run.h"
#include "hostile/hostile_files.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

// How each absurd value reads as a number: where it lands, and whether it is written
// as a number at all.
enum class Reads {
  Zero,         // "", blanks, "-0", and the words NaN and inf: no leading number
  Huge,         // beyond every range
  HugeNegative,
};

struct Absurd {
  std::string name;
  std::string text;
  Reads reads;
};

const std::string kFiftyDigits = "12345678901234567890123456789012345678901234567890";
const std::string kThousandNines(1000, '9');

std::vector<Absurd> AbsurdValues() {
  return {{"Empty", "", Reads::Zero},
          {"Blanks", "   ", Reads::Zero},
          {"MinusZero", "-0", Reads::Zero},
          {"OneE308", "1e308", Reads::Huge},
          {"MinusOneE308", "-1e308", Reads::HugeNegative},
          {"OneE999", "1e999", Reads::Huge},
          {"NaN", "NaN", Reads::Zero},
          {"Inf", "inf", Reads::Zero},
          {"FiftyDigits", kFiftyDigits, Reads::Huge},
          {"ThousandCharacters", kThousandNines, Reads::Huge}};
}

// ---- The console's fields, as the user leaves them.

struct Field {
  const char* name;
  int32_t low, high;
  std::string message;
};

// On a 500 x 500 board half the diagonal is 353.5534 (a 32-bit float): the radius and
// fade width go up to it, and it is 354 as a whole number.
std::vector<Field> Fields() {
  return {{kNumPiecesName, 6, 99, "Value must be between 6 and 99!"},
          {kSmallestRadiusName, 3, 354, "Value must be between 3 and 353.5534!"},
          {kFadeWidthName, 3, 354, "Value must be between 3 and 353.5534!"}};
}

TEST(AbsurdValues, EveryConsoleFieldHoldsItsRangeWithTheMessage) {
  BoardConstants board;
  SetBoardConstants(500, 500, board);
  for (const Field& field : Fields()) {
    for (const Absurd& value : AbsurdValues()) {
      SCOPED_TRACE(std::string(field.name) + " = " + value.name);
      RecordingUi ui;
      ConsoleModel console;
      std::string& text = std::string(field.name) == kNumPiecesName ? console.NumPieces
                          : std::string(field.name) == kSmallestRadiusName ? console.SmallestRadius
                                                                           : console.FadeWidth;
      text = value.text;
      std::optional<int32_t> out;
      EXPECT_FALSE(CheckValue(ui, console, board.HalfDiagonal, field.name, "The Field", out));
      const int32_t bound = value.reads == Reads::Huge ? field.high : field.low;
      ASSERT_TRUE(out.has_value());
      EXPECT_EQ(*out, bound);
      EXPECT_EQ(text, std::to_string(bound));
      EXPECT_EQ(ui.BeepCount(), 1);
      ASSERT_EQ(ui.Messages().size(), 1u);
      EXPECT_EQ(ui.Messages()[0].text, field.message);
      EXPECT_EQ(ui.Messages()[0].title, "The Field");
    }
  }
}

// ---- The settings file, each value under each key.

const std::vector<std::string> kNumberKeys = {"Turn45", "NumRadialPieces", "SmallestRadius", "FadeWidth", "Lighten",
                                              "LightStart", "Cline", "SpecStart", "PicRight", "PicBottom"};

int32_t NumberOf(const SettingsMirror& m, const std::string& key) {
  if (key == "Turn45") return m.IniTurn45;
  if (key == "NumRadialPieces") return m.IniNumRadialPieces;
  if (key == "SmallestRadius") return m.IniSmallestRadius;
  if (key == "FadeWidth") return m.IniFadeWidth;
  if (key == "Lighten") return m.IniLighten;
  if (key == "LightStart") return m.IniLightStart;
  if (key == "Cline") return m.IniCline;
  if (key == "SpecStart") return m.IniSpecStart;
  if (key == "PicRight") return m.PicRight;
  return m.PicBottom;
}

class SettingsValueTest : public ::testing::Test {
 protected:
  SettingsMirror Read(const std::string& text, std::optional<std::string>* error) {
    WriteFileBytes(ini, text);
    SettingsMirror m;
    m.StartFolder = folder.Path();
    SetDefaultSettings(m);
    try {
      ReadSettings(m, ini);
    } catch (const RunTimeError& e) {
      *error = e.what();
    }
    return m;
  }
  TempFolder folder;
  std::string ini = folder / "Tesklet.INI";
};

// A number that no 32-bit key can hold is the error "Overflow", raised after the keys
// before it were read; one without a leading number reads as 0, not as the default.
TEST_F(SettingsValueTest, EveryNumberKeyReadsZeroOrRaisesOverflow) {
  for (const std::string& key : kNumberKeys) {
    for (const Absurd& value : AbsurdValues()) {
      SCOPED_TRACE(key + " = " + value.name);
      std::optional<std::string> error;
      const SettingsMirror m =
          Read("[FileNames]\nSaveFile=/elsewhere/Mine.bmp\n[Numbers]\n" + key + "=" + value.text + "\n", &error);
      EXPECT_EQ(m.SaveFileName, "/elsewhere/Mine.bmp");
      if (value.reads == Reads::Zero) {
        EXPECT_FALSE(error.has_value());
        EXPECT_EQ(NumberOf(m, key), 0);
      } else {
        EXPECT_EQ(error, std::optional<std::string>(kOverflowText));
      }
    }
  }
}

TEST_F(SettingsValueTest, TheRedrawFlagIsTrueForAnyNonZeroNumber) {
  for (const Absurd& value : AbsurdValues()) {
    SCOPED_TRACE(value.name);
    std::optional<std::string> error;
    const SettingsMirror m = Read("[Flags]\nNeedToRedrawGrid=" + value.text + "\n", &error);
    EXPECT_FALSE(error.has_value());
    EXPECT_EQ(m.NeedToRedrawGrid, value.reads != Reads::Zero);
  }
}

TEST_F(SettingsValueTest, PathsKeepWhatIsWrittenWithoutTheBlanksAround) {
  for (const Absurd& value : AbsurdValues()) {
    SCOPED_TRACE(value.name);
    std::optional<std::string> error;
    const SettingsMirror m = Read("[FileNames]\nSaveFile=" + value.text + "\nTileFile=" + value.text + "\n", &error);
    EXPECT_FALSE(error.has_value());
    const std::string kept = value.text == "   " ? "" : value.text;
    EXPECT_EQ(m.SaveFileName, kept);
    EXPECT_EQ(m.TileFileName, kept);
  }
}

// ---- The renderer's flags.

// The exit statuses: 0 rendered, 1 a value out of its range, 2 a value not written as
// its flag expects.
struct FlagStatuses {
  int zero, minusZero, blank, hugeDecimal, notANumber, hugeWhole;
};

struct Flag {
  std::string name;
  std::string before, after;  // around the value, for flags that take several parts
  FlagStatuses statuses;
};

// Decimal flags take "-0" and exponents as numbers; whole-number flags take "-0" but not
// exponents; --rotate takes only its three words.
std::vector<Flag> Flags() {
  const FlagStatuses decimal{2, 1, 2, 1, 2, 1};
  const FlagStatuses slider{2, 0, 2, 2, 2, 1};
  return {
      {"--pieces", "", "", decimal},
      {"--smallest-radius", "", "", decimal},
      {"--fade-width", "", "", decimal},
      {"--spectrum-shift", "", "", slider},
      {"--center-tone", "", "", slider},
      {"--brightness-shift", "", "", slider},
      {"--center-brightness", "", "", slider},
      {"--seed", "", "", slider},
      {"--threads", "", "", {2, 1, 2, 2, 2, 1}},
      {"--rotate", "", "", {2, 2, 2, 2, 2, 2}},
      {"--board", "", "x60", {2, 2, 2, 2, 2, 1}},
      {"--tile-color", "", ",0,0", {2, 0, 2, 1, 2, 1}},
  };
}

int ExpectedStatus(const FlagStatuses& s, const Absurd& value) {
  if (value.text.empty()) return s.zero;
  if (value.text == "   ") return s.blank;
  if (value.text == "-0") return s.minusZero;
  if (value.text == "NaN" || value.text == "inf") return s.notANumber;
  if (value.text.find('e') != std::string::npos) return s.hugeDecimal;
  return s.hugeWhole;
}

class RenderFlagTest : public ::testing::TestWithParam<Flag> {};

TEST_P(RenderFlagTest, EachAbsurdValueIsRefusedClearlyOrRendered) {
  const Flag& flag = GetParam();
  TempFolder folder;
  WriteFileBytes(folder / "tile.png", GoodPngBytes());
  for (const Absurd& value : AbsurdValues()) {
    SCOPED_TRACE(flag.name + " " + value.name);
    std::vector<std::string> args = {"--tile", "tile.png", "-o", "out.bmp", "-q"};
    if (flag.name != "--board") args.insert(args.end(), {"--board", "80x60"});
    if (flag.name != "--seed") args.insert(args.end(), {"--seed", "3"});
    args.insert(args.end(), {flag.name, flag.before + value.text + flag.after});
    const ChildRun run = RunProgram(MARVANE_RENDER_PROGRAM, args, folder.Path());
    ASSERT_TRUE(run.exited) << "signal " << run.signal << "\n" << run.report;
    const int expected = ExpectedStatus(flag.statuses, value);
    EXPECT_EQ(run.status, expected) << run.report;
    if (expected != 0) {
      EXPECT_NE(run.report.find(flag.name), std::string::npos) << "the error does not name the flag:\n" << run.report;
      EXPECT_FALSE(std::filesystem::exists(folder / "out.bmp"));
    } else {
      EXPECT_TRUE(std::filesystem::exists(folder / "out.bmp"));
    }
    if (expected == 1 && flag.name != "--seed" && flag.name != "--board") {
      EXPECT_NE(run.report.find("Value must be between"), std::string::npos) << run.report;
    }
    std::filesystem::remove(folder / "out.bmp");
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFlag, RenderFlagTest, ::testing::ValuesIn(Flags()),
                         [](const ::testing::TestParamInfo<Flag>& info) {
                           std::string name;
                           for (char c : info.param.name)
                             if (c != '-') name += c;
                           return name;
                         });

}  // namespace
}  // namespace marvane::testing
