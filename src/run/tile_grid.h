#pragma once
// The tile grid as plain functions of what it depends on: the squared tile shrunk to one
// grid cell (turned by 45 degrees when asked) and repeated over the board with a fixed
// period. The pipeline's ticks take its samples a slice at a time; the renderer, the
// preview and the loop build it whole, on every core, to the same grid.
#include <cstdint>
#include <functional>
#include <vector>

#include "colour/chroma.h"
#include "engine/geometry.h"
#include "engine/sampling.h"
#include "platform/picture.h"

namespace marvane {

class Ui;

struct TileGridInput {
  const Picture* square = nullptr;  // the squared tile's copy, sampled
  BoardConstants board;
  int32_t squareLast = 0;           // the squared tile's last row and column
  int16_t turn45 = 1;               // 0 "Rotate -45°", 1 "No Rotation", 2 "Rotate 45°"
  float sampleStep = 0, sampleSize = 0;  // tile pixels for one cell pixel, and the area averaged
  float cellStart = 0, cellEnd = 0;      // the cell coordinates the samples run through
  int32_t period = 0, half = 0;          // the grid's period on the board, and half a cell
};

// The grid's colour for the cell pixel at (cellX, cellY), in grid-cell units.
Chroma TileGridSample(Ui& ui, const TileGridInput& in, float cellX, float cellY);

// The cell coordinates, as the ticks walk them: from cellStart up by 1 (each sum rounded
// to a float) while not beyond cellEnd.
std::vector<float> TileGridCells(const TileGridInput& in);

// The whole grid at once on `grid` (already filled with the background), as the ticks
// leave it, over the part of the board that `grid` covers from its top left corner (the
// whole board, or less). `forEach(n, work)` calls work(first, end) over ranges covering
// 0..n-1, each once, on any threads.
using ParallelRanges = std::function<void(int64_t n, const std::function<void(int64_t, int64_t)>& work)>;
void MakeTileGrid(Ui& ui, const TileGridInput& in, const std::vector<float>& cells, Picture& grid,
                  const ParallelRanges& forEach);

// The grid of MakeTileGrid on a `width` x `height` picture, worked out where it is read
// instead of held: a poster's grid cell can be larger than the memory a picture of it
// would need. Which cell pixel a grid pixel shows is decided along each axis on its own
// (the last cell column that writes its column, the last cell row that writes its row),
// so a pixel's colour is one sample of the squared tile, the same sample MakeTileGrid
// writes there; where no cell pixel writes, the background.
class TileGridReader final : public PixelSource {
 public:
  TileGridReader(Ui& ui, const TileGridInput& in, int32_t width, int32_t height, int32_t background);
  int32_t Point(int32_t x, int32_t y) const override;

 private:
  int32_t CellOf(int64_t place) const;

  Ui& ui_;
  TileGridInput in_;
  std::vector<float> cells_;
  int32_t width_, height_, background_;
  // Where the tile is not turned and a sample covers under two and a half tile pixels,
  // a sample is one bilinear read of the squared tile, whose two axes follow the cell
  // column and the cell row alone: they are worked out once for each. A column or row
  // whose axis raises an error keeps the sample's own path, which reports it.
  bool byAxes_ = false;
  std::vector<SpotAxis> columnAxes_, rowAxes_;
  std::vector<uint8_t> columnSound_, rowSound_;
};

}  // namespace marvane
