#include "util/numbers.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/run_time_error.h"

namespace marvane {

float ToSingleChecked(double v) {
  if (!std::isfinite(v)) RaiseOverflow();
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) RaiseOverflow();
  return f;
}

double LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const size_t expDigitsStart = j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    if (j > expDigitsStart) end = j;
  }

  // from_chars takes no "+" and ignores the locale, which Qt sets from the user's.
  std::string_view number = text.substr(start, end - start);
  bool negative = false;
  if (number.front() == '+' || number.front() == '-') {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  double value = 0.0;
  auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Decide between too large and too small with a wider type.
    long double wide = 0.0L;
    std::from_chars(number.data(), number.data() + number.size(), wide);
    value = (wide > 1.0L || std::isinf(wide)) ? DBL_MAX : 0.0;
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

std::string WholeNumberText(int64_t n) { return std::to_string(n); }

std::string SingleText(float v) {
  if (v == 0.0f) return "0";
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  // to_chars, unlike printf, ignores the locale. Find the fewest significant digits
  // that read back as the same float, then write them in plain decimals unless the
  // number is very large or very small.
  char buffer[64];
  for (int digits = 1; digits <= 7; ++digits) {
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(v),
                                   std::chars_format::scientific, digits - 1);
    float back = 0.0f;
    std::from_chars(buffer, end, back);
    if (back != v && digits < 7) continue;
    const char* e = std::find(buffer, end, 'e');
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+'), end, exponent);
    if (exponent < -5 || exponent >= 7) return std::string(buffer, end);
    auto [fixedEnd, fixedEc] =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(v),
                      std::chars_format::fixed, std::max(0, digits - 1 - exponent));
    std::string text(buffer, fixedEnd);
    // Seven digits may end in zeros ("2.121320"): a bound shows without them.
    if (text.find('.') != std::string::npos) {
      text.erase(text.find_last_not_of('0') + 1);
      if (text.back() == '.') text.pop_back();
    }
    return text;
  }
  return {};
}

namespace {
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::optional<double> ReadDecimalNumber(const std::string& text) {
  size_t i = 0;
  const size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && IsDecimalDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDecimalDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponentDigits = 0;
    while (i < n && IsDecimalDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != n) return std::nullopt;
  // The grammar is the leading-number reader's own, so it reads the whole text.
  return LeadingNumber(text);
}

std::optional<double> ReadWholeNumber(const std::string& text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return std::nullopt;
  for (; i < text.size(); ++i)
    if (!IsDecimalDigit(text[i])) return std::nullopt;
  return LeadingNumber(text);
}

}  // namespace marvane
