#pragma once
// Squaring the tile as a plain function of the tile: its shorter side stretched to the
// longer one. The renderer squares a tile whole; the desktop's squaring job takes the
// same pixels a slice at a time.
#include <cstdint>

#include "colour/chroma.h"
#include "engine/sampling.h"
#include "platform/picture.h"
#include "util/numbers.h"

namespace marvane {

class Ui;

inline constexpr const char* kTileSizeText =
    "Each dimension of the tile image must be between 10 and 300 pixels.";
inline constexpr const char* kTileSizeTitle = "Change Tile Image";
// The longest side a tile may have, and so the squared tile.
inline constexpr int32_t kMostTileSide = 300;

// Whether a tile whose last column and row are these may be squared: 10 to 300 pixels a side.
bool WithinTileLimits(int32_t lastX, int32_t lastY);

// How a tile is squared: its shorter side is stretched to the longer one.
struct TileSquaring {
  int32_t width = 0, height = 0;  // the tile's
  int32_t last = 0;               // the squared tile's last row and column
  int32_t mode = 0;               // 0 square already, 1 wider than tall, 2 taller than wide
  float scale = 0, scaleInv = 0;  // the stretch and its reciprocal (modes 1 and 2)
};
TileSquaring TileSquaringOf(int32_t width, int32_t height);

// The squared tile's pixel (x, y) of a stretched tile (mode 1 or 2), sampled from the tile
// on `surface`: a wider tile's height is stretched, a taller one's width.
inline Chroma SquaredTilePixel(Ui& ui, const Picture& surface, const TileSquaring& sq, int32_t x, int32_t y) {
  const int32_t side = sq.last + 1;
  if (sq.mode == 1) return Spot(ui, surface, x, ToSingle(y * static_cast<double>(sq.scaleInv)), side, sq.height);
  return Spot(ui, surface, ToSingle(x * static_cast<double>(sq.scaleInv)), y, sq.width, side);
}

// The whole squared tile, from the tile on `surface`, as the squaring job leaves it.
Picture SquareTile(Ui& ui, const Picture& surface, const TileSquaring& sq);

}  // namespace marvane
