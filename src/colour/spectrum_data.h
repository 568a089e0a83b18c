#pragma once
#include <array>
#include <cstdint>

namespace marvane {

inline constexpr int kSpectrumSize = 427;

struct SpectrumRgb {
  uint8_t red, green, blue;
};

extern const std::array<SpectrumRgb, kSpectrumSize> kSpectrumRgb;

}  // namespace marvane
