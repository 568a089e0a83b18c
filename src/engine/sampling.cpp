#include "engine/sampling.h"

#include <cmath>

#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "util/error_trap.h"
#include "util/numbers.h"
#include "util/per_pixel.h"

namespace marvane {

using sampling_detail::Accumulate;

namespace {

template <class Surface>
Chroma TrappedSpot(Ui& ui, const Surface& surface, double x, double y, int32_t width, int32_t height) {
  Chroma result;
  WithErrorTrap(ui, "Spot", [&] { result = SpotUntrapped(surface, x, y, width, height); });
  return result;
}

}  // namespace

Chroma Spot(Ui& ui, const Picture& surface, double x, double y, int32_t width, int32_t height) {
  return TrappedSpot(ui, surface, x, y, width, height);
}

Chroma Spot(Ui& ui, const PixelSource& surface, double x, double y, int32_t width, int32_t height) {
  return TrappedSpot(ui, surface, x, y, width, height);
}

namespace {

// The weight of a sample by its distance to the nearer edge of the area, capped at the
// spacing.
inline float EdgeWeight(float p, double centre, float lo, float hi, float spacing) {
  float e = p > centre ? ToSingle(static_cast<double>(hi) - p) : ToSingle(static_cast<double>(p) - lo);
  if (e > spacing) e = spacing;
  return e;
}

// Spot as the area's samples call it, built into them: an error is thrown before
// anything is kept, so on one the read is made again through Spot, whose trap reports
// it as it always does.
template <class Surface>
MARVANE_INLINE Chroma SpotHere(Ui& ui, const Surface& surface, double x, double y, int32_t width, int32_t height) {
  try {
    return SpotUntrapped(surface, x, y, width, height);
  } catch (const RunTimeError&) {
    return Spot(ui, surface, x, y, width, height);
  }
}

template <class Surface>
MARVANE_INLINE Chroma AreaBody(Ui& ui, const Surface& surface, const BoardConstants& board, double x, double y,
                double sizeX, double sizeY, int32_t width, int32_t height) {
  if (sizeX < 2.5 && sizeY < 2.5)
    return SpotHere(ui, surface, WrapCoord(x, width), WrapCoord(y, height), width, height);

  const float x0 = ToSingle(x - 0.5 * sizeX);
  const float x1 = ToSingle(static_cast<double>(x0) + sizeX);
  const float y0 = ToSingle(y - 0.5 * sizeY);
  const float y1 = ToSingle(static_cast<double>(y0) + sizeY);
  const double smaller = sizeY < sizeX ? sizeY : sizeX;
  const float d = ToSingle(IntDown(std::sqrt(smaller)) + 1.0);

  const float pxStart = sizeX < 2.5 ? ToSingle((static_cast<double>(x0) + x1) * 0.5)
                                    : ToSingle(x0 + d * 0.5);
  const float pyStart = sizeY < 2.5 ? ToSingle((static_cast<double>(y0) + y1) * 0.5)
                                    : ToSingle(y0 + d * 0.5);

  // A step that no longer moves a float would sample forever.
  auto next = [d](float p) {
    const float n = ToSingle(static_cast<double>(p) + d);
    if (!(n > p)) RaiseInvalidCall();
    return n;
  };
  // Every column visits the same rows, so what a row needs (its place folded into the
  // picture, whether it lies on the board, and its weight) is worked out at the first
  // column that reaches it and kept for the others. A fault in working it out ends the
  // area at that first column, as it would have anyway.
  struct Row {
    float wrapped = 0, weight = 0;
    bool inside = false;
  };
  constexpr int kKeptRows = 32;
  Row kept[kKeptRows];
  int keptCount = 0;
  float sumRed = 0, sumGreen = 0, sumBlue = 0, total = 0;
  for (float px = pxStart; px <= x1; px = next(px)) {
    const float wx = WrapCoord(px, width);
    if (wx < board.BoardLeft || wx > board.BoardRight) continue;
    const float ex = EdgeWeight(px, x, x0, x1, d);
    int r = 0;
    for (float py = pyStart; py <= y1; py = next(py), ++r) {
      Row row;
      if (r < keptCount) {
        row = kept[r];
      } else {
        row.wrapped = WrapCoord(py, height);
        row.inside = !(row.wrapped < board.BoardTop || row.wrapped > board.BoardBottom);
        if (row.inside) row.weight = EdgeWeight(py, y, y0, y1, d);
        if (r < kKeptRows) kept[keptCount++] = row;
      }
      if (!row.inside) continue;
      const Chroma c = SpotHere(ui, surface, wx, row.wrapped, width, height);
      float w = ToSingle(static_cast<double>(ex) * row.weight);
      if (w < 0) w = 0.001f;
      sumRed = Accumulate(sumRed, c.Red, w);
      sumGreen = Accumulate(sumGreen, c.Green, w);
      sumBlue = Accumulate(sumBlue, c.Blue, w);
      total = ToSingle(static_cast<double>(total) + w);
    }
  }
  const double g = total > 0 ? 1.0 / total : 1.0;
  Chroma result;
  result.Red = ToSingle(sumRed * g);
  result.Green = ToSingle(sumGreen * g);
  result.Blue = ToSingle(sumBlue * g);
  SetValue(result);
  return result;
}

}  // namespace

MARVANE_PER_PIXEL Chroma AreaColorMod(Ui& ui, const Picture& surface, const BoardConstants& board, double x, double y,
                    double sizeX, double sizeY, int32_t width, int32_t height) {
  Chroma result;
  WithErrorTrap(ui, "AreaColorMod",
                [&] { result = AreaBody(ui, surface, board, x, y, sizeX, sizeY, width, height); });
  return result;
}

// The same for a pattern worked out as it is read: each read costs far more than the
// arithmetic around it, so one build serves every processor.
Chroma AreaColorMod(Ui& ui, const PixelSource& surface, const BoardConstants& board, double x, double y,
                    double sizeX, double sizeY, int32_t width, int32_t height) {
  Chroma result;
  WithErrorTrap(ui, "AreaColorMod",
                [&] { result = AreaBody(ui, surface, board, x, y, sizeX, sizeY, width, height); });
  return result;
}

}  // namespace marvane
