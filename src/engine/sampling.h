#pragma once
// Reading the colour of a repeating picture at a real point or over a small area. The
// tile and the tile grid are sampled as endless patterns: a coordinate is folded into
// one period before a pixel is read.
#include <cmath>
#include <cstdint>

#include "colour/chroma.h"
#include "platform/picture.h"
#include "platform/run_time_error.h"
#include "util/numbers.h"
#include "util/per_pixel.h"

namespace marvane {

class Picture;
class Ui;
struct BoardConstants;

// A surface whose pixels are worked out when they are read, for a pattern too large to
// hold as a picture. Point answers as Picture::Point does: the packed colour, or -1
// outside. It may be called from several threads at once.
class PixelSource {
 public:
  virtual ~PixelSource() = default;
  virtual int32_t Point(int32_t x, int32_t y) const = 0;
};

// x folded into [0, m), keeping its fraction; 0 and every whole multiple of m give 0.
// x is taken as a float first. m must be at least 1: a smaller period is "Invalid
// procedure call or argument" (folding could never end). So is an x at or below -2^24,
// where adding one period may no longer change a float; and an x of 2^31 or more (or
// NaN) is "Overflow".
inline float WrapCoord(double x, int32_t m);

// v rounded to thousandths, halves up: Int((v + 0.0005) x 1000) x 0.001, in double.
// A result that overflows (or NaN) gives 0.
inline double Round3(double v) {
  const double r = IntDown((v + 0.0005) * 1000.0) * 0.001;
  return std::isfinite(r) ? r : 0.0;
}

// The bilinear colour of the surface at the real point (x, y), the picture repeating
// with period width x height. Coordinates are rounded to thousandths first, and only
// pixels with a positive weight are read, so a point within 0.0005 of a whole number
// reads one column or row. Errors are shown under the title "Spot" and give black.
Chroma Spot(Ui& ui, const Picture& surface, double x, double y, int32_t width, int32_t height);
Chroma Spot(Ui& ui, const PixelSource& surface, double x, double y, int32_t width, int32_t height);
// Spot without its trap: an error is thrown to the caller. The final picture's pixels
// call it directly. `Surface` is a Picture or a PixelSource.
template <class Surface>
inline Chroma SpotUntrapped(const Surface& surface, double x, double y, int32_t width, int32_t height);

// The colour of the area sizeX x sizeY centred on (x, y): one Spot at the centre when
// both sizes are under 2.5, otherwise a weighted grid of Spots spaced Int(sqrt(m)) + 1
// apart (m the smaller size), each weighing by its distance to the nearer edge of the
// area, capped at the spacing. Samples that wrap outside the board's extent are
// skipped; an area with none is black. Errors are shown under "AreaColorMod".
Chroma AreaColorMod(Ui& ui, const Picture& surface, const BoardConstants& board, double x, double y,
                    double sizeX, double sizeY, int32_t width, int32_t height);
Chroma AreaColorMod(Ui& ui, const PixelSource& surface, const BoardConstants& board, double x, double y,
                    double sizeX, double sizeY, int32_t width, int32_t height);

// These run for every pixel of the final picture, so every caller can inline them.

namespace sampling_detail {

// Below this a float still holds every whole number, so adding a whole period to a
// negative float is exact and folding can be done in one step.
inline constexpr double kExactFloatLimit = 16777216.0;  // 2^24

// WrapCoord for a whole number: the common case of reading a pixel. Most reads are
// already in one period, or one column past it (the right-hand neighbour of the last
// pixel); those need no division, and give what the remainder would.
inline int32_t WrapWhole(int32_t i, int32_t m) {
  if (i >= 0 && i < m) return i;
  if (m > 0 && i >= m && i - m < m) return i - m;
  const int32_t r = i % m;
  return r < 0 ? r + m : r;
}

// The weighted sum of one component: each partial sum is rounded to a float.
inline float Accumulate(float sum, float component, float weight) {
  return ToSingle(sum + static_cast<double>(component) * weight);
}

}  // namespace sampling_detail

MARVANE_INLINE float WrapCoord(double xIn, int32_t m) {
  float x = ToSingle(xIn);
  if (x <= 0.0f) {
    if (m <= 0 || x <= -sampling_detail::kExactFloatLimit) RaiseInvalidCall();
    // Adding m until x is above 0, in one step: every sum is exact in this range.
    double y = x + (IntDown(-static_cast<double>(x) / m) + 1.0) * m;
    while (y <= 0.0) y += m;
    while (y - m > 0.0) y -= m;
    x = ToSingle(y);
  }
  if (m == 0) RaiseDivisionByZero();
  const int32_t wholeLong = IntDownToLong(x);
  const double fraction = static_cast<double>(x) - wholeLong;
  // x is above 0 here, so the remainder is WrapWhole's.
  return ToSingle(fraction + sampling_detail::WrapWhole(wholeLong, m));
}

template <class Surface>
MARVANE_INLINE Chroma SpotUntrapped(const Surface& surface, double x, double y, int32_t width, int32_t height) {
  using sampling_detail::Accumulate;
  using sampling_detail::WrapWhole;
  if (width <= 0 || height <= 0) RaiseInvalidCall();
  const float fx = ToSingle(Round3(x));
  const float fy = ToSingle(Round3(y));
  const int32_t i = IntDownToLong(fx);
  const int32_t j = IntDownToLong(fy);
  if (i == INT32_MAX || j == INT32_MAX) RaiseOverflow();  // i + 1 must stay a Long

  // The second weights are the exact fractional parts of fx and fy. fx + 1 stays a
  // double, where it is exact: rounding it to a float would drop the fraction's last
  // bits wherever fx is below 1 or just below a power of two.
  const float ax0 = ToSingle(1.0 - ToSingle(static_cast<double>(fx) - i));
  const double fx1 = fx + 1.0;
  const float ax1 = ToSingle(fx1 - IntDown(fx1));
  const float ay0 = ToSingle(1.0 - ToSingle(static_cast<double>(fy) - j));
  const double fy1 = fy + 1.0;
  const float ay1 = ToSingle(fy1 - IntDown(fy1));

  // The four pixels around the point, left column first, each with a positive weight.
  const float across[2] = {ax0, ax1}, down[2] = {ay0, ay1};
  Chroma result;
  for (int a = 0; a < 2; ++a) {
    for (int b = 0; b < 2; ++b) {
      if (!(across[a] > 0 && down[b] > 0)) continue;
      const float w = ToSingle(static_cast<double>(across[a]) * down[b]);
      Chroma c;
      c.Value = surface.Point(WrapWhole(i + a, width), WrapWhole(j + b, height));
      SetColors(c);
      result.Red = Accumulate(result.Red, c.Red, w);
      result.Green = Accumulate(result.Green, c.Green, w);
      result.Blue = Accumulate(result.Blue, c.Blue, w);
    }
  }
  SetValue(result);
  return result;
}

}  // namespace marvane
