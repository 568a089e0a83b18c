#include "run/tile_grid.h"

#include <algorithm>
#include <cmath>

#include "engine/sampling.h"
#include "util/numbers.h"

namespace marvane {

namespace {

// A quarter of the engine's half turn: the 45 degrees of the tile's rotation.
constexpr double kEighthTurn = 0.78539825;
// Stands for the square root of two.
constexpr double kRootTwo = 1.4142135623731;

}  // namespace

Chroma TileGridSample(Ui& ui, const TileGridInput& in, float cellX, float cellY) {
  const float x = ToSingle(static_cast<double>(cellX) * in.sampleStep);
  const float y = ToSingle(static_cast<double>(cellY) * in.sampleStep);
  // The tile's y axis is turned upside down here.
  const float y2 = ToSingle(in.squareLast - static_cast<double>(y));
  float sx = x, sy = y2;
  if (in.turn45 == 0 || in.turn45 == 2) {
    const double turn = in.turn45 == 0 ? -kEighthTurn : kEighthTurn;
    const float a = ToSingle(AngleOf(x, y2) + turn);
    float r = ToSingle(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y2) * y2));
    r = ToSingle(r * kRootTwo);
    sx = ToSingle(r * std::cos(static_cast<double>(a)));
    sy = ToSingle(r * std::sin(static_cast<double>(a)));
  }
  return AreaColorMod(ui, *in.square, in.board, sx, sy, in.sampleSize, in.sampleSize, in.squareLast, in.squareLast);
}

std::vector<float> TileGridCells(const TileGridInput& in) {
  std::vector<float> cells;
  for (float c = in.cellStart; !(c > in.cellEnd); c = ToSingle(c + 1.0)) cells.push_back(c);
  return cells;
}

void MakeTileGrid(Ui& ui, const TileGridInput& in, const std::vector<float>& cells, Picture& grid,
                  const ParallelRanges& forEach) {
  // Each cell pixel's sample is independent of the others.
  const int64_t n = std::ssize(cells);
  std::vector<int32_t> samples(static_cast<size_t>(n * n));
  forEach(n * n, [&](int64_t first, int64_t end) {
    for (int64_t k = first; k < end; ++k)
      samples[static_cast<size_t>(k)] =
          TileGridSample(ui, in, cells[static_cast<size_t>(k / n)], cells[static_cast<size_t>(k % n)]).Value;
  });

  // Cell pixel (cx, cy) is written at columns cx, cx + P, ... and rows from its first
  // row on, every P (P the period); later cell pixels overwrite earlier ones, cx in the
  // outer loop. A board pixel therefore keeps the sample of the last cx that writes its
  // column and of the last cy that writes its row, which each axis gives on its own.
  const int32_t width = std::min(grid.Width(), in.board.BoardWidth);
  const int32_t height = std::min(grid.Height(), in.board.BoardHeight);
  const int32_t period = in.period;
  if (period <= 0 || n <= 0) return;
  std::vector<int32_t> columnCell(static_cast<size_t>(width), -1);
  std::vector<int32_t> rowCell(static_cast<size_t>(height), -1);
  for (int32_t cx = 0; cx < n; ++cx)
    for (int32_t i = cx; i < width; i += period) columnCell[static_cast<size_t>(i)] = cx;
  for (int32_t cy = 0; cy < n; ++cy) {
    int32_t firstRow = cy - in.half;
    if (firstRow < 0) firstRow += ((-firstRow + period - 1) / period) * period;
    for (int32_t j = firstRow; j < height; j += period) rowCell[static_cast<size_t>(j)] = cy;
  }
  forEach(height, [&](int64_t first, int64_t end) {
    for (int64_t j = first; j < end; ++j) {
      const int32_t cy = rowCell[static_cast<size_t>(j)];
      if (cy < 0) continue;
      for (int32_t i = 0; i < width; ++i) {
        const int32_t cx = columnCell[static_cast<size_t>(i)];
        if (cx >= 0) grid.PSet(i, static_cast<int32_t>(j), samples[static_cast<size_t>(cx * n + cy)]);
      }
    }
  });
}

}  // namespace marvane
