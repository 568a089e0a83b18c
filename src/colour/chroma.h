#pragma once
// The colour record. A colour is held both as three float components and as the packed
// value the drawing surfaces take (red + 256 x green + 65536 x blue); two flags say
// which side is current, so a colour can be set from either side and the other side is
// derived on demand. Records are plain values.
#include <cmath>
#include <cstdint>

#include "util/numbers.h"

namespace marvane {

struct Chroma {
  float Red = 0.0f;
  float Green = 0.0f;
  float Blue = 0.0f;
  int32_t Value = 0;
  bool ValueSet = false;   // Value agrees with the components
  bool ColorsSet = false;  // the components agree with Value
};

// Component order codes of MaxIdx, MidIdx and MinIdx.
inline constexpr uint8_t kRedIdx = 0;
inline constexpr uint8_t kGreenIdx = 1;
inline constexpr uint8_t kBlueIdx = 2;

// A Chroma followed by what the spectrum needs: the extremes, the spread, the order of
// the components and the components normalised to 0..1.
struct ChromaExtended : Chroma {
  float MinVal = 0.0f;
  float MaxVal = 0.0f;
  float Spread = 0.0f;
  uint8_t MaxIdx = 0;
  uint8_t MidIdx = 0;
  uint8_t MinIdx = 0;
  float NormRed = 0.0f;
  float NormGreen = 0.0f;
  float NormBlue = 0.0f;
  uint8_t Level = 0;          // 1 for every record the program derives
  bool ExtendedSet = false;   // MinVal to NormBlue agree with the components
};

// A component as a byte: clamped to 0..255 (NaN gives 0) as a float, then rounded to the
// nearest whole number with halves to even (254.5 -> 254, 253.5 -> 254).
// (rint rounds halves to even in the default rounding mode, which is never changed.)
inline int16_t ClampByte(double v) {
  float x = ToSingle(v);
  if (x > 255.0f) {
    x = 255.0f;
  } else if (!(x >= 0.0f)) {
    x = 0.0f;
  }
  return static_cast<int16_t>(std::rint(x));
}
// Value from the components (each clamped first, so packing cannot overflow).
inline void SetValue(Chroma& c) {
  const int32_t r = ClampByte(c.Red);
  const int32_t g = ClampByte(c.Green);
  const int32_t b = ClampByte(c.Blue);
  c.Value = (b * 256 + g) * 256 + r;
  c.ValueSet = true;
}
// SetValue, then SetColors: the components become the whole bytes that were packed,
// which is what splitting the packed value gives back, with no division.
inline void SetValueAndColors(Chroma& c) {
  const int32_t r = ClampByte(c.Red);
  const int32_t g = ClampByte(c.Green);
  const int32_t b = ClampByte(c.Blue);
  c.Value = (b * 256 + g) * 256 + r;
  c.Red = static_cast<float>(r);
  c.Green = static_cast<float>(g);
  c.Blue = static_cast<float>(b);
  c.ValueSet = true;
  c.ColorsSet = true;
}
// The three components of a packed value, with truncating division: -1 gives red -1,
// and values of 2^24 and above give a blue above 255.
inline void SplitColor(int32_t packed, float& red, float& green, float& blue) {
  if (packed >= 0) {
    // The same by bits, which a value that is not negative allows.
    red = static_cast<float>(packed & 0xFF);
    green = static_cast<float>((packed >> 8) & 0xFF);
    blue = static_cast<float>(packed >> 16);
    return;
  }
  red = static_cast<float>(packed % 256);
  green = static_cast<float>((packed / 256) % 256);
  blue = static_cast<float>(packed / 65536);
}
// Components from Value, unless they are current already.
inline void SetColors(Chroma& c) {
  if (c.ColorsSet) return;
  SplitColor(c.Value, c.Red, c.Green, c.Blue);
  c.ColorsSet = true;
  c.ValueSet = true;
}
void ResetSetChroma(Chroma& c);
// a + (b - a) x t per component, Value recomputed. A float t keeps every step in
// float; a double t forms the product and the sum in double before the final rounding.
inline Chroma BlendChroma(const Chroma& a, const Chroma& b, float t) {
  Chroma out;
  auto blend = [t](float from, float to) {
    const float d = ToSingle(static_cast<double>(to) - from);
    const float p = ToSingle(static_cast<double>(d) * t);
    return ToSingle(static_cast<double>(from) + p);
  };
  out.Red = blend(a.Red, b.Red);
  out.Green = blend(a.Green, b.Green);
  out.Blue = blend(a.Blue, b.Blue);
  SetValue(out);
  return out;
}
Chroma BlendChroma(const Chroma& a, const Chroma& b, double t);
// A record from a packed value (rounded to a 32-bit integer; "Overflow" beyond).
Chroma AssignChroma(double v);

// The order of the components, MinVal, MaxVal and Spread. Ties are settled by a fixed
// order of comparisons: for a grey, blue is largest, green middle, red smallest.
void KQJ(ChromaExtended& x);
// KQJ, then the normalised components (all 1 for a grey).
void SetZZProps(ChromaExtended& x);
// Brings the record up to date: components from Value if they are stale, Value from
// the components if it is stale, then the derived fields (only at level 1).
void SetExtended(ChromaExtended& x);
void ResetChromaExtended(ChromaExtended& x);

// A fresh extended record whose colour part is `c`, at level 1, nothing derived yet.
inline ChromaExtended ExtendedFrom(const Chroma& c) {
  ChromaExtended x;
  static_cast<Chroma&>(x) = c;
  x.Level = 1;
  return x;
}

}  // namespace marvane
