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

TEST(CheckValue, NumPiecesAcceptsItsInclusiveRangeRoundingHalvesToEven) {
  struct Case {
    const char* typed;
    int32_t stored;
  } cases[] = {{"6", 6}, {"99", 99}, {"98.6", 99}, {"6.5", 6}, {"7.5", 8}, {"8.5", 8},
               {"12abc", 12}, {"  20", 20}, {"1.2e1", 12}};
  for (const auto& c : cases) {
    RecordingUi ui;
    const Check r = CheckTyped(ui, kNumPiecesName, c.typed);
    EXPECT_TRUE(r.result) << c.typed;
    EXPECT_EQ(r.value, c.stored) << c.typed;
    EXPECT_EQ(r.text, std::to_string(c.stored)) << c.typed;
    EXPECT_TRUE(ui.Events().empty()) << c.typed;
  }
}

// The typed number is held to the range before it is rounded: 99.4 lies above 99 and is
// clamped (with the message) although it would round into the range.
TEST(CheckValue, NumPiecesOutsideItsRangeIsClampedWithBeepAndMessage) {
  struct Case {
    const char* typed;
    int32_t bound;
  } cases[] = {{"5", 6}, {"5.5", 6}, {"99.4", 99}, {"99.6", 99}, {"100", 99}, {"-3", 6}, {"", 6},
               {"abc", 6}, {"1e300", 99}};
  for (const auto& c : cases) {
    RecordingUi ui;
    const Check r = CheckTyped(ui, kNumPiecesName, c.typed);
    EXPECT_FALSE(r.result) << c.typed;
    // The bound is still handed out and shown: callers decide not to store it.
    EXPECT_EQ(r.value, c.bound) << c.typed;
    EXPECT_EQ(r.text, std::to_string(c.bound)) << c.typed;
    ExpectRangeMessage(ui, "6 and 99", kPiecesTitle);
  }
}

TEST(CheckValue, RadiusAndFadeWidthRunUpToHalfTheBoardDiagonal) {
  // A 500 x 500 board's half diagonal is 353.55339..., shown with seven digits.
  RecordingUi empty;
  const Check radius = CheckTyped(empty, kSmallestRadiusName, "");
  EXPECT_FALSE(radius.result);
  EXPECT_EQ(radius.value, 3);
  EXPECT_EQ(radius.text, "3");
  ExpectRangeMessage(empty, "3 and 353.5534", kRadiusTitle);

  RecordingUi above;
  const Check fade = CheckTyped(above, kFadeWidthName, "400");
  EXPECT_FALSE(fade.result);
  EXPECT_EQ(fade.value, 354);  // 353.55 to the nearest whole number
  EXPECT_EQ(fade.text, "354");
  ExpectRangeMessage(above, "3 and 353.5534", kRadiusTitle);

  RecordingUi inside;
  const Check edge = CheckTyped(inside, kFadeWidthName, "353.5");
  EXPECT_TRUE(edge.result);
  EXPECT_EQ(edge.value, 354);
  EXPECT_TRUE(inside.Events().empty());
}

TEST(CheckValue, TheUpperBoundFollowsTheBoardOfTheMoment) {
  // The desktop's 793 x 573 board: the diagonal is 978.35..., its half 489.177...
  RecordingUi ui;
  const float half = HalfDiagonalOf(793, 573);
  const Check r = CheckTyped(ui, kSmallestRadiusName, "1000", half);
  EXPECT_EQ(r.value, 489);
  ExpectRangeMessage(ui, "3 and 489.1774", kRadiusTitle);
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

TEST(Constrain, ClampsToTheNearerBoundAndSaysWhichRange) {
  RecordingUi ui;
  double x = 2.0;
  EXPECT_FALSE(Constrain(ui, x, 6, 99, "N"));
  EXPECT_EQ(x, 6.0);
  x = 1e9;
  EXPECT_FALSE(Constrain(ui, x, int32_t{3}, 353.5534f, "R"));
  EXPECT_EQ(x, static_cast<double>(353.5534f));
  x = 3.0;
  EXPECT_TRUE(Constrain(ui, x, int32_t{3}, 353.5534f, "R"));
  EXPECT_EQ(x, 3.0);
  const auto messages = ui.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, "Value must be between 6 and 99!");
  EXPECT_EQ(messages[1].text, "Value must be between 3 and 353.5534!");
  EXPECT_EQ(messages[1].title, "R");
  EXPECT_EQ(ui.BeepCount(), 2);
}

}  // namespace
}  // namespace marvane
