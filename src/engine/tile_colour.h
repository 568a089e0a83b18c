#pragma once
// The tile's mean colour, estimated from random pixels.
#include <cstdint>
#include <optional>

#include "colour/chroma.h"

namespace marvane {

class Picture;
class Ui;

// A uniform generator of numbers in [0, 1) with 24 random bits each (the resolution of
// a float). Given the same seed it gives the same numbers on every machine, so a run
// with a seed can be repeated exactly.
class TileRandom {
 public:
  explicit TileRandom(uint64_t seed) : state_(seed) {}
  // Seeded from the clock.
  static TileRandom FromClock();
  float Next();

 private:
  uint64_t state_;
};

// Sets tileColor's colour part to the mean of (picRight x picBottom) x 0.05 + 1 pixels of
// `surface` picked at random within (0..picRight, 0..picBottom), its Level to 1 and its
// ExtendedSet to false. The generator is seeded afresh from `seed`, or from the clock
// when there is none. Errors are shown titled "GetTileColor" and leave tileColor as it
// was.
void GetTileColor(Ui& ui, const Picture& surface, int32_t picRight, int32_t picBottom,
                  std::optional<uint64_t> seed, ChromaExtended& tileColor);

// Stores a mean colour that is given rather than sampled, leaving tileColor exactly as
// GetTileColor leaves it: the colour part with these components and their Value, Level
// 1, ExtendedSet false.
void SetGivenTileColor(const Chroma& colour, ChromaExtended& tileColor);

}  // namespace marvane
