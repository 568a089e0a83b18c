#include "colour/chroma.h"

#include <cmath>

#include "util/general.h"
#include "util/numbers.h"

namespace marvane {

void ResetSetChroma(Chroma& c) {
  c.ValueSet = false;
  c.ColorsSet = false;
}

Chroma BlendChroma(const Chroma& a, const Chroma& b, double t) {
  Chroma out;
  auto blend = [t](float from, float to) {
    const float d = ToSingle(static_cast<double>(to) - from);
    return ToSingle(from + d * t);
  };
  out.Red = blend(a.Red, b.Red);
  out.Green = blend(a.Green, b.Green);
  out.Blue = blend(a.Blue, b.Blue);
  SetValue(out);
  return out;
}

Chroma AssignChroma(double v) {
  Chroma c;
  c.Value = RoundToLong(v);
  c.ColorsSet = false;
  SetColors(c);
  return c;
}

void KQJ(ChromaExtended& x) {
  const float r = x.Red, g = x.Green, b = x.Blue;
  if (r > g) {
    if (r > b) {
      if (b >= g) {
        x.MaxIdx = kRedIdx, x.MidIdx = kBlueIdx, x.MinIdx = kGreenIdx;
      } else {
        x.MaxIdx = kRedIdx, x.MidIdx = kGreenIdx, x.MinIdx = kBlueIdx;
      }
    } else {
      x.MaxIdx = kBlueIdx, x.MidIdx = kRedIdx, x.MinIdx = kGreenIdx;
    }
  } else if (g > b) {
    if (b >= r) {
      x.MaxIdx = kGreenIdx, x.MidIdx = kBlueIdx, x.MinIdx = kRedIdx;
    } else {
      x.MaxIdx = kGreenIdx, x.MidIdx = kRedIdx, x.MinIdx = kBlueIdx;
    }
  } else {
    x.MaxIdx = kBlueIdx, x.MidIdx = kGreenIdx, x.MinIdx = kRedIdx;
  }
  const float components[3] = {r, g, b};
  x.MinVal = components[x.MinIdx];
  x.MaxVal = components[x.MaxIdx];
  x.Spread = ToSingle(static_cast<double>(x.MaxVal) - x.MinVal);
}

void SetZZProps(ChromaExtended& x) {
  KQJ(x);
  x.NormRed = GetProp(ToSingle(static_cast<double>(x.Red) - x.MinVal), x.Spread);
  x.NormGreen = GetProp(ToSingle(static_cast<double>(x.Green) - x.MinVal), x.Spread);
  x.NormBlue = GetProp(ToSingle(static_cast<double>(x.Blue) - x.MinVal), x.Spread);
}

void SetExtended(ChromaExtended& x) {
  if (!x.ColorsSet) SetColors(x);
  if (!x.ValueSet) SetValue(x);
  if (!x.ExtendedSet) {
    if (x.Level == 1) SetZZProps(x);
    x.ExtendedSet = true;
  }
}

void ResetChromaExtended(ChromaExtended& x) {
  ResetSetChroma(x);
  x.ExtendedSet = false;
}

}  // namespace marvane
