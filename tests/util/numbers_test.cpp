#include "util/numbers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "platform/run_time_error.h"

namespace marvane {
namespace {

TEST(RoundToLong, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundToLong(2.5), 2);
  EXPECT_EQ(RoundToLong(3.5), 4);
  EXPECT_EQ(RoundToLong(-2.5), -2);
  EXPECT_EQ(RoundToLong(-3.5), -4);
  EXPECT_EQ(RoundToLong(7.5), 8);
  EXPECT_EQ(RoundToLong(8.5), 8);
  EXPECT_EQ(RoundToLong(99.4), 99);
  EXPECT_EQ(RoundToLong(99.6), 100);
  EXPECT_EQ(RoundToLong(-0.0), 0);
}

TEST(RoundToLong, OverflowIsARunTimeError) {
  EXPECT_EQ(RoundToLong(2147483647.4), 2147483647);
  EXPECT_EQ(RoundToLong(-2147483648.5), -2147483648);  // the half goes to the even side
  EXPECT_THROW(RoundToLong(2147483647.5), RunTimeError);
  EXPECT_THROW(RoundToLong(-2147483649.0), RunTimeError);
  EXPECT_THROW(RoundToLong(1e308), RunTimeError);
  EXPECT_THROW(RoundToLong(NAN), RunTimeError);
  EXPECT_THROW(RoundToLong(INFINITY), RunTimeError);
  try {
    RoundToLong(1e10);
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.what(), "Overflow");
  }
}

TEST(RoundToInteger, SixteenBitRange) {
  EXPECT_EQ(RoundToInteger(103.5), 104);
  EXPECT_EQ(RoundToInteger(102.5), 102);
  EXPECT_EQ(RoundToInteger(32767.0), 32767);
  EXPECT_EQ(RoundToInteger(-32768.0), -32768);
  EXPECT_THROW(RoundToInteger(32767.5), RunTimeError);  // rounds to 32768
  EXPECT_EQ(RoundToInteger(32766.5), 32766);
  EXPECT_THROW(RoundToInteger(-32769.0), RunTimeError);
}

TEST(IntDown, RoundsTowardMinusInfinity) {
  EXPECT_EQ(IntDown(2.9), 2.0);
  EXPECT_EQ(IntDown(-0.25), -1.0);
  EXPECT_EQ(IntDown(-3.0), -3.0);
  EXPECT_EQ(IntDownToLong(-0.5), -1);
  EXPECT_THROW(IntDownToLong(3e9), RunTimeError);
  EXPECT_THROW(IntDownToLong(NAN), RunTimeError);
}

TEST(ToSingle, RoundsToTheNearestFloat) {
  // 0.1 is not a float; its nearest float is 0.100000001490116...
  EXPECT_EQ(ToSingle(0.1), 0.1f);
  EXPECT_NE(static_cast<double>(ToSingle(0.1)), 0.1);
  // 2^24 + 1 lies halfway between two floats and goes to the even one.
  EXPECT_EQ(ToSingle(16777217.0), 16777216.0f);
  EXPECT_THROW(ToSingleChecked(1e39), RunTimeError);
  EXPECT_THROW(ToSingleChecked(-INFINITY), RunTimeError);
  EXPECT_EQ(ToSingleChecked(60.0), 60.0f);
}

TEST(LeadingNumber, ReadsTheNumericPrefix) {
  EXPECT_EQ(LeadingNumber("12"), 12.0);
  EXPECT_EQ(LeadingNumber("  12abc"), 12.0);
  EXPECT_EQ(LeadingNumber("\t-54"), -54.0);
  EXPECT_EQ(LeadingNumber("+7.5"), 7.5);
  EXPECT_EQ(LeadingNumber("60.5"), 60.5);
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_EQ(LeadingNumber("5."), 5.0);
  EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
  EXPECT_EQ(LeadingNumber("12:5"), 12.0);
  EXPECT_EQ(LeadingNumber("1 2"), 1.0);
  EXPECT_EQ(LeadingNumber("2e3"), 2000.0);
  EXPECT_EQ(LeadingNumber("2E-1x"), 0.2);
  EXPECT_EQ(LeadingNumber("2e"), 2.0);
  EXPECT_EQ(LeadingNumber("2e+"), 2.0);
  EXPECT_EQ(LeadingNumber("-1"), -1.0);
}

TEST(LeadingNumber, NothingNumericGivesZero) {
  EXPECT_EQ(LeadingNumber(""), 0.0);
  EXPECT_EQ(LeadingNumber("   "), 0.0);
  EXPECT_EQ(LeadingNumber("abc"), 0.0);
  EXPECT_EQ(LeadingNumber("True"), 0.0);
  EXPECT_EQ(LeadingNumber("-"), 0.0);
  EXPECT_EQ(LeadingNumber("."), 0.0);
  EXPECT_EQ(LeadingNumber("NaN"), 0.0);
  EXPECT_EQ(LeadingNumber("inf"), 0.0);
  EXPECT_EQ(LeadingNumber("-inf"), 0.0);
  EXPECT_EQ(LeadingNumber("e5"), 0.0);
}

TEST(LeadingNumber, AbsurdMagnitudesStayFinite) {
  EXPECT_EQ(LeadingNumber("1e308"), 1e308);
  EXPECT_EQ(LeadingNumber("-1e308"), -1e308);
  EXPECT_EQ(LeadingNumber("1e999"), DBL_MAX);
  EXPECT_EQ(LeadingNumber("-1e999"), -DBL_MAX);
  EXPECT_EQ(LeadingNumber("1e-999"), 0.0);
  EXPECT_EQ(LeadingNumber(std::string(50, '9')), 1e50);
  const std::string thousand = "7" + std::string(999, '0');
  EXPECT_EQ(LeadingNumber(thousand), DBL_MAX);
  EXPECT_TRUE(std::signbit(LeadingNumber("-0")));
  EXPECT_EQ(LeadingNumber("-0"), 0.0);
}

TEST(WholeNumberText, PlainDigits) {
  EXPECT_EQ(WholeNumberText(0), "0");
  EXPECT_EQ(WholeNumberText(-54), "-54");
  EXPECT_EQ(WholeNumberText(2147483647), "2147483647");
  EXPECT_EQ(WholeNumberText(-2147483648LL), "-2147483648");
}

TEST(SingleText, ShortestTextOfAtMostSevenDigits) {
  EXPECT_EQ(SingleText(353.55339f), "353.5534");  // half the diagonal of 500 x 500
  EXPECT_EQ(SingleText(400.0f), "400");
  EXPECT_EQ(SingleText(489.17737f), "489.1774");
  EXPECT_EQ(SingleText(0.25f), "0.25");
  EXPECT_EQ(SingleText(0.1f), "0.1");
  EXPECT_EQ(SingleText(-0.0f), "0");
  EXPECT_EQ(SingleText(3.0f), "3");
  EXPECT_EQ(SingleText(-1.5f), "-1.5");
  EXPECT_EQ(SingleText(12345678.0f), "1.234568e+07");
  EXPECT_EQ(SingleText(0.000125f), "0.000125");
  // Half the diagonal of a 3 x 3 board needs all seven digits, the last of them a 0.
  EXPECT_EQ(SingleText(static_cast<float>(std::sqrt(18.0) / 2)), "2.12132");
}

}  // namespace
}  // namespace marvane
