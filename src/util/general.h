#pragma once
// Small general helpers: a ratio that never divides by zero, removing every occurrence
// of a text from another, and file endings in small letters.
#include <optional>
#include <string>
#include <vector>

namespace marvane {

// a / b rounded to a 32-bit float, or 1 when b is 0: a grey's normalised components
// all come out as 1 through this.
inline float GetProp(double a, double b) {
  if (b == 0.0) return 1.0f;
  return static_cast<float>(a / b);
}

// Removes every occurrence of `pattern` from `text`, searching again from the start
// after each removal, so that occurrences formed by joining the pieces go too
// ("ab" from "aabb" leaves ""). Case counts. A missing text gives "". Lengths count
// UTF-16 code units, as the console's texts do.
std::u16string Remove(const std::u16string& pattern, const std::optional<std::u16string>& text);
// The same for 8-bit text (help-file lines, ASCII captions).
std::string Remove(const std::string& pattern, const std::string& text);

// `text` with the letters A to Z made small and every other byte as it was, whatever
// the locale: how file endings are compared.
inline std::string AsciiLower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

// The parts of `text` between the separators (one part more than there are separators).
inline std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == separator) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

}  // namespace marvane
