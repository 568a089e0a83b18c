#include "run/tile_grid.h"

#include <algorithm>
#include <cmath>

#include "engine/sampling.h"
#include "platform/run_time_error.h"
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

TileGridReader::TileGridReader(Ui& ui, const TileGridInput& in, int32_t width, int32_t height, int32_t background)
    : ui_(ui),
      in_(in),
      cells_(TileGridCells(in)),
      width_(std::min(width, in.board.BoardWidth)),
      height_(std::min(height, in.board.BoardHeight)),
      background_(background) {
  // As TileGridSample and AreaColorMod take an unturned sample of under 2.5 pixels:
  // x and the upturned y, each folded into the squared tile, then one Spot.
  byAxes_ = in.turn45 == 1 && in.sampleSize < 2.5 && in.squareLast > 0;
  if (!byAxes_) return;
  const size_t n = cells_.size();
  columnAxes_.resize(n), rowAxes_.resize(n), columnSound_.assign(n, 0), rowSound_.assign(n, 0);
  for (size_t k = 0; k < n; ++k) {
    const float x = ToSingle(static_cast<double>(cells_[k]) * in.sampleStep);
    const float y2 = ToSingle(in.squareLast - static_cast<double>(ToSingle(static_cast<double>(cells_[k]) * in.sampleStep)));
    try {
      columnAxes_[k] = SpotAxisOf(WrapCoord(x, in.squareLast));
      columnSound_[k] = 1;
    } catch (const RunTimeError&) {
    }
    try {
      rowAxes_[k] = SpotAxisOf(WrapCoord(y2, in.squareLast));
      rowSound_[k] = 1;
    } catch (const RunTimeError&) {
    }
  }
}

int32_t TileGridReader::CellOf(int64_t place) const {
  // The cell pixels c that write at `place` are those at or before it, whole periods
  // apart from it, and below the count; the last of them stays.
  const int64_t n = std::ssize(cells_), period = in_.period;
  const int64_t last = std::min(place, n - 1);
  const int64_t first = place % period;
  if (first > last) return -1;
  return static_cast<int32_t>(first + (last - first) / period * period);
}

int32_t TileGridReader::Point(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
  if (in_.period <= 0 || cells_.empty()) return background_;
  // A column is written from its cell pixel's own column on, a row from half a cell
  // before its cell pixel's row.
  const int32_t cx = CellOf(x), cy = CellOf(static_cast<int64_t>(y) + in_.half);
  if (cx < 0 || cy < 0) return background_;
  const size_t i = static_cast<size_t>(cx), j = static_cast<size_t>(cy);
  if (byAxes_ && columnSound_[i] && rowSound_[j])
    return SpotOfAxes(*in_.square, columnAxes_[i], rowAxes_[j], in_.squareLast, in_.squareLast).Value;
  return TileGridSample(ui_, in_, cells_[i], cells_[j]).Value;
}

}  // namespace marvane
