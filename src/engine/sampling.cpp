#include "engine/sampling.h"

#include <cmath>

#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

namespace {

// Below this a float still holds every whole number, so adding a whole period to a
// negative float is exact and folding can be done in one step.
constexpr double kExactFloatLimit = 16777216.0;  // 2^24

// WrapCoord for a whole number: the common case of reading a pixel.
inline int32_t WrapWhole(int32_t i, int32_t m) {
  const int32_t r = i % m;
  return r < 0 ? r + m : r;
}

}  // namespace

float WrapCoord(double xIn, int32_t m) {
  float x = ToSingle(xIn);
  if (x <= 0.0f) {
    if (m <= 0 || x <= -kExactFloatLimit) RaiseInvalidCall();
    // Adding m until x is above 0, in one step: every sum is exact in this range.
    double y = x + (IntDown(-static_cast<double>(x) / m) + 1.0) * m;
    while (y <= 0.0) y += m;
    while (y - m > 0.0) y -= m;
    x = ToSingle(y);
  }
  if (m == 0) RaiseDivisionByZero();
  const double whole = IntDown(x);
  const int32_t wholeLong = IntDownToLong(x);
  const double fraction = static_cast<double>(x) - whole;
  return ToSingle(fraction + (wholeLong % m));
}

double Round3(double v) {
  const double r = IntDown((v + 0.0005) * 1000.0) * 0.001;
  return std::isfinite(r) ? r : 0.0;
}

namespace {

// The weighted sum of one component: each partial sum is rounded to a float.
inline float Accumulate(float sum, float component, float weight) {
  return ToSingle(sum + static_cast<double>(component) * weight);
}

inline Chroma PixelAt(const Picture& surface, int32_t p, int32_t q, int32_t width, int32_t height) {
  Chroma c;
  c.Value = surface.Point(WrapWhole(p, width), WrapWhole(q, height));
  SetColors(c);
  return c;
}

Chroma SpotBody(const Picture& surface, double x, double y, int32_t width, int32_t height) {
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

  Chroma result;
  auto add = [&](int32_t p, int32_t q, float wa, float wb) {
    const float w = ToSingle(static_cast<double>(wa) * wb);
    const Chroma c = PixelAt(surface, p, q, width, height);
    result.Red = Accumulate(result.Red, c.Red, w);
    result.Green = Accumulate(result.Green, c.Green, w);
    result.Blue = Accumulate(result.Blue, c.Blue, w);
  };
  if (ax0 > 0 && ay0 > 0) add(i, j, ax0, ay0);
  if (ax0 > 0 && ay1 > 0) add(i, j + 1, ax0, ay1);
  if (ax1 > 0 && ay0 > 0) add(i + 1, j, ax1, ay0);
  if (ax1 > 0 && ay1 > 0) add(i + 1, j + 1, ax1, ay1);
  SetValue(result);
  return result;
}

}  // namespace

Chroma Spot(Ui& ui, const Picture& surface, double x, double y, int32_t width, int32_t height) {
  Chroma result;
  WithErrorTrap(ui, "Spot", [&] { result = SpotBody(surface, x, y, width, height); });
  return result;
}

namespace {

// The weight of a sample by its distance to the nearer edge of the area, capped at the
// spacing.
inline float EdgeWeight(float p, double centre, float lo, float hi, float spacing) {
  float e = p > centre ? ToSingle(static_cast<double>(hi) - p) : ToSingle(static_cast<double>(p) - lo);
  if (e > spacing) e = spacing;
  return e;
}

Chroma AreaBody(Ui& ui, const Picture& surface, const BoardConstants& board, double x, double y,
                double sizeX, double sizeY, int32_t width, int32_t height) {
  if (sizeX < 2.5 && sizeY < 2.5)
    return Spot(ui, surface, WrapCoord(x, width), WrapCoord(y, height), width, height);

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
  float sumRed = 0, sumGreen = 0, sumBlue = 0, total = 0;
  for (float px = pxStart; px <= x1; px = next(px)) {
    const float wx = WrapCoord(px, width);
    if (wx < board.BoardLeft || wx > board.BoardRight) continue;
    const float ex = EdgeWeight(px, x, x0, x1, d);
    for (float py = pyStart; py <= y1; py = next(py)) {
      const float wy = WrapCoord(py, height);
      if (wy < board.BoardTop || wy > board.BoardBottom) continue;
      const float ey = EdgeWeight(py, y, y0, y1, d);
      const Chroma c = Spot(ui, surface, wx, wy, width, height);
      float w = ToSingle(static_cast<double>(ex) * ey);
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

Chroma AreaColorMod(Ui& ui, const Picture& surface, const BoardConstants& board, double x, double y,
                    double sizeX, double sizeY, int32_t width, int32_t height) {
  Chroma result;
  WithErrorTrap(ui, "AreaColorMod",
                [&] { result = AreaBody(ui, surface, board, x, y, sizeX, sizeY, width, height); });
  return result;
}

}  // namespace marvane
