#include "run/tile_square.h"

namespace marvane {

bool WithinTileLimits(int32_t lastX, int32_t lastY) {
  return lastX >= 9 && lastX <= kMostTileSide - 1 && lastY >= 9 && lastY <= kMostTileSide - 1;
}

TileSquaring TileSquaringOf(int32_t width, int32_t height) {
  TileSquaring sq;
  sq.width = width;
  sq.height = height;
  if (width == height) {
    sq.last = height - 1;
    return sq;
  }
  const bool taller = width < height;
  sq.last = (taller ? height : width) - 1;
  sq.scale = ToSingle(Divide(sq.last + 1, taller ? width : height));
  sq.scaleInv = ToSingle(Divide(1.0, sq.scale));
  sq.mode = taller ? 2 : 1;
  return sq;
}

Picture SquareTile(Ui& ui, const Picture& surface, const TileSquaring& sq) {
  const int32_t side = sq.last + 1;
  Picture square(side, side);
  if (sq.mode == 0) {
    square.SetPicture(surface);
    return square;
  }
  // Every pixel is sampled once, so none needs clearing first; the job's order (columns
  // or rows first) changes nothing.
  for (int32_t x = 0; x <= sq.last; ++x)
    for (int32_t y = 0; y <= sq.last; ++y) square.PSet(x, y, SquaredTilePixel(ui, surface, sq, x, y).Value);
  return square;
}

}  // namespace marvane
