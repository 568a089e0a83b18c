#pragma once
// Reading the colour of a repeating picture at a real point or over a small area. The
// tile and the tile grid are sampled as endless patterns: a coordinate is folded into
// one period before a pixel is read.
#include <array>
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

// A PixelSource's pixels remembered for the places read last, for one thread: reads of
// neighbouring points share pixels. One slot for each hash of a place, holding the place
// it answers for, so a place is answered only from its own slot.
class RememberedPixels final : public PixelSource {
 public:
  explicit RememberedPixels(const PixelSource& source) : source_(source) {}
  int32_t Point(int32_t x, int32_t y) const override {
    const uint32_t hash = (static_cast<uint32_t>(x) * 2654435761u) ^ (static_cast<uint32_t>(y) * 2246822519u);
    Slot& slot = slots_[hash >> (32 - kBits)];
    if (!slot.filled || slot.x != x || slot.y != y) {
      slot.colour = source_.Point(x, y);
      slot.x = x, slot.y = y, slot.filled = true;
    }
    return slot.colour;
  }

 private:
  static constexpr int kBits = 16;
  struct Slot {
    int32_t x = 0, y = 0, colour = 0;
    bool filled = false;
  };
  const PixelSource& source_;
  mutable std::array<Slot, size_t{1} << kBits> slots_{};
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

// One axis of a bilinear read: the first pixel and the weights of it and the next. The
// two axes of a point are independent, so a caller that reads many points on a few
// columns and rows may work out each column's and row's once.
struct SpotAxis {
  int32_t first = 0;
  float weights[2] = {0, 0};
};

// The axis of the coordinate v: rounded to thousandths, the pixel at or below it and
// the weights. An axis too far out to take its neighbour is "Overflow".
MARVANE_INLINE SpotAxis SpotAxisOf(double v) {
  SpotAxis a;
  const float f = ToSingle(Round3(v));
  a.first = IntDownToLong(f);
  if (a.first == INT32_MAX) RaiseOverflow();  // first + 1 must stay a Long
  // The second weight is the exact fractional part of f. f + 1 stays a double, where it
  // is exact: rounding it to a float would drop the fraction's last bits wherever f is
  // below 1 or just below a power of two.
  a.weights[0] = ToSingle(1.0 - ToSingle(static_cast<double>(f) - a.first));
  const double f1 = f + 1.0;
  a.weights[1] = ToSingle(f1 - IntDown(f1));
  return a;
}

// The bilinear colour of the four pixels the two axes give, left column first, each
// with a positive weight.
template <class Surface>
MARVANE_INLINE Chroma SpotOfAxes(const Surface& surface, const SpotAxis& across, const SpotAxis& down, int32_t width,
                                 int32_t height) {
  using sampling_detail::Accumulate;
  using sampling_detail::WrapWhole;
  Chroma result;
  for (int a = 0; a < 2; ++a) {
    for (int b = 0; b < 2; ++b) {
      if (!(across.weights[a] > 0 && down.weights[b] > 0)) continue;
      const float w = ToSingle(static_cast<double>(across.weights[a]) * down.weights[b]);
      Chroma c;
      c.Value = surface.Point(WrapWhole(across.first + a, width), WrapWhole(down.first + b, height));
      SetColors(c);
      result.Red = Accumulate(result.Red, c.Red, w);
      result.Green = Accumulate(result.Green, c.Green, w);
      result.Blue = Accumulate(result.Blue, c.Blue, w);
    }
  }
  SetValue(result);
  return result;
}

template <class Surface>
MARVANE_INLINE Chroma SpotUntrapped(const Surface& surface, double x, double y, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) RaiseInvalidCall();
  const SpotAxis across = SpotAxisOf(x);
  return SpotOfAxes(surface, across, SpotAxisOf(y), width, height);
}

}  // namespace marvane
