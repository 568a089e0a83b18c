#pragma once
// The tile a fresh start folder begins with, "Tiles/Basic.bmp". It is drawn here, in
// code, so that the program ships no picture it cannot rebuild.
#include <cstdint>

#include "platform/picture.h"

namespace marvane {

// The side of the default tile: the tile size the settings assume when they have none
// of their own (last column and last row 247).
inline constexpr int32_t kDefaultTileSide = 248;

// Draws the default tile, `side` x `side` pixels: a petalled rosette in the middle, a
// target of rings on the corners, small diamonds on the edge midpoints, all on a dark
// ground. The picture repeats seamlessly every side - 1 pixels, the period the
// engine folds a squared tile into, so the grid of turned tiles shows no seams.
// Every edge is anti-aliased by averaging 4 x 4 samples per pixel.
Picture DrawDefaultTile(int32_t side = kDefaultTileSide);

}  // namespace marvane
