#include "engine/tile_colour.h"

#include <chrono>

#include "platform/picture.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

TileRandom TileRandom::FromClock() {
  return TileRandom(static_cast<uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

float TileRandom::Next() {
  // splitmix64: small, fast, and the same everywhere.
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

void GetTileColor(Ui& ui, const Picture& surface, int32_t picRight, int32_t picBottom,
                  std::optional<uint64_t> seed, ChromaExtended& tileColor) {
  WithErrorTrap(ui, "GetTileColor", [&] {
    TileRandom random = seed ? TileRandom(*seed) : TileRandom::FromClock();
    const int64_t area = static_cast<int64_t>(picBottom) * picRight;
    if (area > INT32_MAX || area < INT32_MIN) RaiseOverflow();
    const int32_t n = RoundToLong(static_cast<double>(area) * 0.05);
    float red = 0, green = 0, blue = 0;
    for (int64_t i = 0; i <= n; ++i) {
      const int32_t px = RoundToLong(static_cast<double>(random.Next()) * picRight);
      const int32_t py = RoundToLong(static_cast<double>(random.Next()) * picBottom);
      const Chroma c = AssignChroma(surface.Point(px, py));
      red = ToSingle(static_cast<double>(red) + c.Red);
      green = ToSingle(static_cast<double>(green) + c.Green);
      blue = ToSingle(static_cast<double>(blue) + c.Blue);
    }
    const double count = static_cast<double>(n) + 1.0;
    Chroma mean;
    mean.Red = ToSingle(Divide(red, count));
    mean.Green = ToSingle(Divide(green, count));
    mean.Blue = ToSingle(Divide(blue, count));
    SetGivenTileColor(mean, tileColor);
  });
}

void SetGivenTileColor(const Chroma& colour, ChromaExtended& tileColor) {
  Chroma mean;
  mean.Red = colour.Red;
  mean.Green = colour.Green;
  mean.Blue = colour.Blue;
  SetValue(mean);
  static_cast<Chroma&>(tileColor) = mean;
  tileColor.Level = 1;
  tileColor.ExtendedSet = false;
}

}  // namespace marvane
