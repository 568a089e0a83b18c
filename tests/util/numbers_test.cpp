#include "util/numbers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <tuple>

#include "platform/run_time_error.h"

using namespace marvane;

TEST(Rounding, HalvesToEvenIntDownAndTheTypesRanges) {
  const struct { double v; int32_t nearest, down; } rows[] = {
      {2.5, 2, 2}, {3.5, 4, 3}, {-2.5, -2, -3}, {-3.5, -4, -4}, {99.6, 100, 99}, {-0.25, 0, -1},
      {32767, 32767, 32767}, {-32768.4, -32768, -32769}, {32766.5, 32766, 32766}};
  for (const auto& r : rows)
    EXPECT_EQ(std::tuple(RoundToLong(r.v), RoundToInteger(r.v), RoundExtendedToLong(r.v), IntDownToLong(r.v)),
              std::tuple(r.nearest, int16_t(r.nearest), r.nearest, r.down)) << r.v;
  EXPECT_EQ(std::tuple(RoundToLong(2147483647.4), RoundToLong(-2147483648.5), RoundExtendedToLong(-2147483648.5L),
                       IntDownToLong(2147483647.9), IntDownToLong(-2147483648.0), ToSingle(16777217.0),
                       ToSingleChecked(FLT_MAX)),
            std::tuple(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, 16777216.0f, FLT_MAX));  // even halves
  void (*const raising[])() = {[] { RoundToLong(2147483647.5); }, [] { RoundToInteger(32767.5); },
      [] { RoundToInteger(-32769.0); }, [] { IntDownToLong(2147483648.0); }, [] { IntDownToLong(-2147483648.5); },
      [] { RoundExtendedToLong(2147483647.5L); }, [] { RoundExtendedToLong(-2147483649.0L); },
      [] { ToSingleChecked(1e39); }, [] { ToSingleChecked(NAN); }, [] { Divide(1, 0); }, [] { NaturalLog(0); }};
  for (const auto& f : raising) EXPECT_THROW(f(), RunTimeError) << &f - raising;
}

TEST(NumberText, TheLeadingNumberOrZeroAndTheShortestTextOfASingle) {
  const struct { std::string text; double value; } rows[] = {
      {"12", 12}, {"  12abc", 12}, {"\t-54", -54}, {"+7.5", 7.5}, {".5", 0.5}, {"5.", 5}, {"1.2.3", 1.2},
      {"12:5", 12}, {"1/2", 1}, {"1 2", 1}, {"2e3", 2000}, {"2E-1x", 0.2}, {"2e", 2}, {"2e+", 2}, {"", 0},
      {"   ", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"NaN", 0}, {"inf", 0}, {"e5", 0}, {"-1e308", -1e308},
      {"1e999", DBL_MAX}, {"-1e999", -DBL_MAX}, {"1e-999", 0}, {"7" + std::string(999, '0'), DBL_MAX}};
  for (const auto& r : rows) EXPECT_EQ(LeadingNumber(r.text), r.value) << '"' << r.text << '"';
  const struct { float v; const char* text; } singles[] = {
      {353.55339f, "353.5534"}, {400, "400"}, {0.1f, "0.1"}, {-0.0f, "0"}, {-1.5f, "-1.5"}, {1234567, "1234567"},
      {12345678, "1.234568e+07"}, {0.00001f, "0.00001"}, {0.000001f, "1e-06"},
      {static_cast<float>(std::sqrt(18.0) / 2), "2.12132"}};  // seven digits, the last a 0
  for (const auto& r : singles) EXPECT_EQ(SingleText(r.v), r.text) << r.text;
}
