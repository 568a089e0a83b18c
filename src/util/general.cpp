#include "util/general.h"

#include "util/numbers.h"

namespace marvane {

namespace {

// Removes the first occurrence, then searches again from the beginning.
template <typename S>
S RemoveAll(const S& pattern, S text) {
  if (text.empty() || pattern.empty()) return text;
  for (;;) {
    const auto pos = text.find(pattern);
    if (pos == S::npos) return text;
    text.erase(pos, pattern.size());
  }
}

}  // namespace

std::u16string Remove(const std::u16string& pattern, const std::optional<std::u16string>& text) {
  if (!text) return {};
  return RemoveAll(pattern, *text);
}

std::string Remove(const std::string& pattern, const std::string& text) {
  return RemoveAll(pattern, text);
}

}  // namespace marvane
