#include "console/validation.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "console/console_model.h"
#include "engine/geometry.h"
#include "platform/ui.h"

namespace marvane {
namespace {

using Kind = RecordingUi::Event::Kind;

constexpr const char* kPiecesTitle = "Number of equal radial parts ";
constexpr const char* kRadiusTitle = "Smallest radius (pixels) ";

// Half the diagonal of a width x height board, as the board set-up computes it.
float HalfDiagonalOf(int32_t width, int32_t height) {
  BoardConstants board;
  SetBoardConstants(width, height, board);
  return board.HalfDiagonal;
}

struct Check {
  bool result;
  std::optional<int32_t> value;
  std::string text;
};

Check CheckTyped(RecordingUi& ui, const char* field, const std::string& typed,
                 float halfDiagonal = HalfDiagonalOf(500, 500)) {
  ConsoleModel console;
  const std::string title = std::string(field) == kNumPiecesName ? kPiecesTitle : kRadiusTitle;
  std::string* text = std::string(field) == kNumPiecesName       ? &console.NumPieces
                      : std::string(field) == kSmallestRadiusName ? &console.SmallestRadius
                                                                  : &console.FadeWidth;
  *text = typed;
  std::optional<int32_t> value;
  const bool result = CheckValue(ui, console, halfDiagonal, field, title, value);
  return {result, value, *text};
}

// Exactly one beep, then one range message naming the bounds, titled with the field.
void ExpectRangeMessage(const RecordingUi& ui, const std::string& bounds, const std::string& title) {
  const auto events = ui.Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, Kind::Beep);
  EXPECT_EQ(events[1].kind, Kind::Message);
  EXPECT_EQ(events[1].text, "Value must be between " + bounds + "!");
  EXPECT_EQ(events[1].title, title);
}

// The number of parts runs from 6 to 99; the radius and the fade width from 3 up to half
// the diagonal of the board of the moment, shown with seven digits. The typed number is
// held to the range before it is rounded (half to even): 99.4 lies above 99 and is clamped
// with the message although it would round into the range. A clamped value is still
// handed out and shown: callers decide not to store it.
TEST(CheckValue, ValuesInsideTheirRangeAreRoundedOthersClampedWithBeepAndMessage) {
  struct Case {
    const char* field;
    const char* typed;
    int32_t stored;
    const char* bounds;  // none when the value is accepted
    int32_t width = 500, height = 500;
  } cases[] = {{kNumPiecesName, "6", 6, nullptr},      {kNumPiecesName, "99", 99, nullptr},
               {kNumPiecesName, "98.6", 99, nullptr},  {kNumPiecesName, "6.5", 6, nullptr},
               {kNumPiecesName, "7.5", 8, nullptr},    {kNumPiecesName, "8.5", 8, nullptr},
               {kNumPiecesName, "12abc", 12, nullptr}, {kNumPiecesName, "  20", 20, nullptr},
               {kNumPiecesName, "1.2e1", 12, nullptr}, {kNumPiecesName, "5", 6, "6 and 99"},
               {kNumPiecesName, "5.5", 6, "6 and 99"}, {kNumPiecesName, "99.4", 99, "6 and 99"},
               {kNumPiecesName, "99.6", 99, "6 and 99"}, {kNumPiecesName, "100", 99, "6 and 99"},
               {kNumPiecesName, "-3", 6, "6 and 99"},  {kNumPiecesName, "", 6, "6 and 99"},
               {kNumPiecesName, "abc", 6, "6 and 99"}, {kNumPiecesName, "1e300", 99, "6 and 99"},
               {kSmallestRadiusName, "", 3, "3 and 353.5534"},
               {kFadeWidthName, "400", 354, "3 and 353.5534"},
               {kFadeWidthName, "353.5", 354, nullptr},
               {kSmallestRadiusName, "1000", 489, "3 and 489.1774", 793, 573}};
  for (const auto& c : cases) {
    RecordingUi ui;
    const Check r = CheckTyped(ui, c.field, c.typed, HalfDiagonalOf(c.width, c.height));
    EXPECT_EQ(r.result, c.bounds == nullptr) << c.field << " " << c.typed;
    EXPECT_EQ(r.value, c.stored) << c.field << " " << c.typed;
    EXPECT_EQ(r.text, std::to_string(c.stored)) << c.field << " " << c.typed;
    if (c.bounds)
      ExpectRangeMessage(ui, c.bounds, c.field == std::string(kNumPiecesName) ? kPiecesTitle : kRadiusTitle);
    else
      EXPECT_TRUE(ui.Events().empty()) << c.field << " " << c.typed;
  }
}

TEST(CheckValue, AnotherNameIsRefusedSilentlyAndChangesNothing) {
  RecordingUi ui;
  ConsoleModel console;
  console.NumPieces = "5";
  const ConsoleModel before = console;
  std::optional<int32_t> value = 42;
  EXPECT_FALSE(CheckValue(ui, console, 300.0f, "Cline", "Spectrum", value));
  EXPECT_FALSE(value.has_value());
  EXPECT_EQ(console, before);
  EXPECT_TRUE(ui.Events().empty());
}

TEST(CheckValue, AnErrorIsShownUnderItsOwnNameAndLeavesTheFieldAlone) {
  // With an unbounded range nothing is clamped, and a number beyond 32 bits cannot
  // become the field's whole number.
  RecordingUi ui;
  const Check r = CheckTyped(ui, kFadeWidthName, "1e12", std::numeric_limits<float>::infinity());
  EXPECT_FALSE(r.result);
  EXPECT_FALSE(r.value.has_value());
  EXPECT_EQ(r.text, "1e12");
  const auto messages = ui.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "CheckValue");
  EXPECT_EQ(messages[0].text, "Overflow");
}

}  // namespace
}  // namespace marvane
