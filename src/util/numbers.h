#pragma once
// The number rules that every part of the program shares. The pictures depend on them
// to the last bit, so each rule has one name and one home:
//   - a fractional number becomes a whole number by rounding to the nearest, halves to
//     the even neighbour (2.5 -> 2, 3.5 -> 4); a result outside the target type is the
//     run-time error "Overflow";
//   - Int rounds down (toward minus infinity);
//   - a value marked as a 32-bit float is rounded to one at that step (ToSingle).
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "platform/run_time_error.h"

namespace marvane {

// These run for every pixel, so they live here, where every caller can inline them.
//
// rint and rintl round halves to even in the default rounding mode, which the program
// never changes; they give what nearbyint would, without saving and restoring the
// floating-point environment on every call (rintl is a single x87 instruction).
template <typename T>
inline T RoundHalfEven(double v) {
  const double r = std::rint(v);
  if (!(r >= static_cast<double>(std::numeric_limits<T>::min()) &&
        r <= static_cast<double>(std::numeric_limits<T>::max())))
    RaiseOverflow();
  return static_cast<T>(r);
}

// Nearest 32-bit integer, halves to even. NaN or out of range raises "Overflow".
inline int32_t RoundToLong(double v) { return RoundHalfEven<int32_t>(v); }
// Nearest 16-bit integer, halves to even. NaN or out of range raises "Overflow".
inline int16_t RoundToInteger(double v) { return RoundHalfEven<int16_t>(v); }
// Int: the largest whole number not above v (kept as a double).
inline double IntDown(double v) { return std::floor(v); }
// Int, then stored in a 32-bit integer ("Overflow" when it does not fit).
inline int32_t IntDownToLong(double v) {
  const double r = std::floor(v);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) RaiseOverflow();
  return static_cast<int32_t>(r);
}
// Rounds a double intermediate to a 32-bit float (nearest, ties to even): the step
// that a value marked Single takes.
inline float ToSingle(double v) { return static_cast<float>(v); }
// A conversion to a 32-bit float that may not overflow: a finite value beyond the
// float range, or an infinity, raises "Overflow"; NaN too.
float ToSingleChecked(double v);

// a / b, where a zero divisor is the run-time error "Division by zero".
inline double Divide(double a, double b) {
  if (b == 0.0) RaiseDivisionByZero();
  return a / b;
}
// The natural logarithm; zero or a negative argument is the run-time error "Invalid
// procedure call or argument".
inline double NaturalLog(double x) {
  if (!(x > 0.0)) RaiseInvalidCall();
  return std::log(x);
}
// Nearest 32-bit integer, halves to even, of a sum formed in extended precision.
inline int32_t RoundExtendedToLong(long double v) {
  const long double r = std::rintl(v);
  if (!(r >= -2147483648.0L && r <= 2147483647.0L)) RaiseOverflow();
  return static_cast<int32_t>(r);
}

// The leading number of a text, as the console's text boxes and the settings file
// read it: leading blanks (spaces and tabs) are skipped; then an optional "+" or "-",
// decimal digits with at most one ".", and an optional exponent ("e" or "E", an
// optional sign and at least one digit). Reading stops at the first character that
// cannot continue the number, so "12abc" gives 12 and "1e" gives 1. An empty or
// non-numeric text gives 0; "NaN" and "inf" are not numbers here and give 0 too.
// A number beyond the range of a double gives the largest double of its sign; one too
// small to represent gives 0. Only decimal notation is read.
double LeadingNumber(std::string_view text);

// A whole number as plain decimal digits, with a leading "-" for negatives.
std::string WholeNumberText(int64_t n);

// A 32-bit float as its shortest text with at most seven significant digits that
// reads back as the same float (353.5534 for half the diagonal of a 500 x 500 board);
// a float that needs more is shown to seven digits. Trailing zeros never show, whole
// values show without a decimal point, and -0 shows as "0".
std::string SingleText(float v);

// The forms a number takes on a command line, where nothing but the number may stand.
// A decimal number as the whole text: optional sign, digits with at most one ".", at
// least one digit, optional exponent ("e" or "E", optional sign, digits). Nothing else,
// not even blanks. Gives its value (beyond a double's range: the largest of its sign).
std::optional<double> ReadDecimalNumber(const std::string& text);
// A whole number as the whole text: optional sign and digits.
std::optional<double> ReadWholeNumber(const std::string& text);

}  // namespace marvane
