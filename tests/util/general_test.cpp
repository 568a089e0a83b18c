#include "util/general.h"

#include <gtest/gtest.h>

#include "platform/ui.h"
#include "util/error_trap.h"

namespace marvane {
namespace {

TEST(GetProp, ZeroDivisorGivesOne) {
  EXPECT_EQ(GetProp(3, 0), 1.0f);
  EXPECT_EQ(GetProp(0, 0), 1.0f);
  EXPECT_EQ(GetProp(1, 4), 0.25f);
  EXPECT_EQ(GetProp(3, 180), 3.0f / 180.0f);  // rounded to a float
}

TEST(Remove, RemovesEveryOccurrence) {
  EXPECT_EQ(Remove(":", "12:5"), "125");
  EXPECT_EQ(Remove(":", "::"), "");
  EXPECT_EQ(Remove("{", "{Getting started}"), "Getting started}");
  EXPECT_EQ(Remove(":", "Smallest radius (pixels): "), "Smallest radius (pixels) ");
}

TEST(Remove, OccurrencesFormedByJoiningGoToo) {
  EXPECT_EQ(Remove("ab", "aabb"), "");
  EXPECT_EQ(Remove("aa", "aaa"), "a");
}

TEST(Remove, CaseAndEmptyTexts) {
  EXPECT_EQ(Remove("A", "abc"), "abc");
  EXPECT_EQ(Remove("", "abc"), "abc");
  EXPECT_EQ(Remove("x", ""), "");
  EXPECT_EQ(Remove(u"x", std::nullopt), u"");
  EXPECT_EQ(Remove(u"°", std::optional<std::u16string>(u"Rotate 45°")), u"Rotate 45");
}

TEST(ErrorTrap, ShowsTheTextTitledWithTheProcedureAndRestoresThePointer) {
  RecordingUi ui;
  ui.SetBusyPointer(true);
  int stepsRun = 0;
  const bool finished = WithErrorTrap(ui, "SetBoardConstants", [&] {
    ++stepsRun;
    RaiseDivisionByZero();
    ++stepsRun;
  });
  EXPECT_FALSE(finished);
  EXPECT_EQ(stepsRun, 1);
  EXPECT_FALSE(ui.Busy());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Division by zero");
  EXPECT_EQ(ui.Messages()[0].title, "SetBoardConstants");
}

TEST(ErrorTrap, QuietWhenNothingFails) {
  RecordingUi ui;
  EXPECT_TRUE(WithErrorTrap(ui, "Main", [] {}));
  EXPECT_TRUE(ui.Events().empty());
}

}  // namespace
}  // namespace marvane
