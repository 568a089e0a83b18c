#include "colour/spectrum.h"

#include <algorithm>
#include <cmath>

#include "platform/ui.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

void LoadValues(std::array<int32_t, kSpectrumSize>& specColors) {
  for (int i = 0; i < kSpectrumSize; ++i) {
    const SpectrumRgb& c = kSpectrumRgb[i];
    specColors[i] = c.red + 256 * c.green + 65536 * c.blue;
  }
}

void Startup(SpectrumTables& s) {
  if (s.SpectrumReady) return;
  LoadValues(s.SpecColors);
  s.SpecLast = kSpectrumSize - 1;
  ChromaExtended scratch;
  scratch.Level = 1;
  for (int i = 0; i < kSpectrumSize; ++i) {
    ResetChromaExtended(scratch);
    scratch.Value = s.SpecColors[i];
    scratch.ValueSet = true;
    SetExtended(scratch);
    s.SpecRed[i] = scratch.Red;
    s.SpecGreen[i] = scratch.Green;
    s.SpecBlue[i] = scratch.Blue;
    s.SpecSpread[i] = scratch.Spread;
    s.SpecMin[i] = scratch.MinVal;
    s.SpecNormRed[i] = scratch.NormRed;
    s.SpecNormGreen[i] = scratch.NormGreen;
    s.SpecNormBlue[i] = scratch.NormBlue;
    const float norms[3] = {scratch.NormRed, scratch.NormGreen, scratch.NormBlue};
    s.SpecMidNorm[i] = norms[scratch.MidIdx];
  }
  s.SpectrumReady = true;
}

void InitializeSpectrum(SpectrumTables& spectrum) {
  if (!spectrum.SpectrumReady) Startup(spectrum);
}

const SpectrumTables& ReadySpectrum() {
  static const SpectrumTables ready = [] {
    SpectrumTables s;
    Startup(s);
    return s;
  }();
  return ready;
}

namespace {

// (a + b) / 2 rounded to the nearest whole number, halves to even, in integers: a half
// (an odd sum) goes up exactly when the lower neighbour is odd.
int HalfwayIndex(int a, int b) {
  const int sum = a + b;
  const int half = sum >> 1;  // rounds down, negative sums too
  return half + ((sum & 1) & (half & 1));
}

// A bisection of SpecMidNorm over lo..hi for `key`, the values rising or falling over
// the stretch. It trusts that direction; where the values turn back (the last entries
// of the stretch from 183 to 240) it searches all the same.
int16_t SearchMidNorm(const SpectrumTables& s, int lo, int hi, float key, bool falling) {
  int mid = HalfwayIndex(lo, hi);
  for (;;) {
    const float v = s.SpecMidNorm[mid];
    if (v == key) return static_cast<int16_t>(mid);
    // Which end moves to mid, chosen without a branch: the comparison goes either way
    // about as often, so a branch would be mispredicted half the time.
    const bool raiseLow = (v < key) != falling;
    lo = raiseLow ? mid : lo;
    hi = raiseLow ? hi : mid;
    if (hi - lo <= 1) {
      const float toHi = ToSingle(std::fabs(static_cast<double>(s.SpecMidNorm[hi]) - key));
      const float toLo = ToSingle(std::fabs(static_cast<double>(key) - s.SpecMidNorm[lo]));
      return static_cast<int16_t>(toLo < toHi ? lo : hi);
    }
    mid = HalfwayIndex(hi, lo);
  }
}

// The spectrum index of the hue whose normalised components are r, g and b.
int16_t MatchNorms(const SpectrumTables& s, float r, float g, float b) {
  constexpr bool kRising = false, kFalling = true;
  if (r != 0.0f) {
    if (g != 0.0f) {
      if (b != 0.0f) return 0;  // a grey: every normalised component is 1
      if (g == 1.0f) return SearchMidNorm(s, 103, 183, r, kFalling);
      return SearchMidNorm(s, 0, 103, g, kRising);
    }
    if (r == 1.0f) {
      if (b == 0.0f) return 0;
      return SearchMidNorm(s, 359, 426, b, kFalling);
    }
    return SearchMidNorm(s, 287, 359, r, kRising);
  }
  if (g == 1.0f) {
    if (b == 0.0f) return 183;
    return SearchMidNorm(s, 183, 240, b, kRising);
  }
  if (g == 0.0f) return 287;
  return SearchMidNorm(s, 240, 287, g, kFalling);
}

}  // namespace

int16_t Match(const SpectrumTables& s, ChromaExtended& x) {
  if (x.Level == 0) x.Level = 1;
  SetExtended(x);
  return MatchNorms(s, x.NormRed, x.NormGreen, x.NormBlue);
}

int16_t MatchWhole(const SpectrumTables& s, int32_t red, int32_t green, int32_t blue) {
  // The normalised components of whole ones: 0 for the smallest, 1 for the largest (all
  // 1 for a grey), and (c - min) / spread, rounded to a float, for one in between;
  // SetZZProps gives exactly these, since its differences and spread are whole too.
  const int32_t low = std::min({red, green, blue}), high = std::max({red, green, blue});
  const int32_t spread = high - low;
  if (spread == 0) return MatchNorms(s, 1.0f, 1.0f, 1.0f);
  auto norm = [&](int32_t c) {
    if (c == low) return 0.0f;
    if (c == high) return 1.0f;
    return ToSingle(static_cast<double>(c - low) / spread);
  };
  return MatchNorms(s, norm(red), norm(green), norm(blue));
}

ChromaExtended SpecColor(Ui& ui, const SpectrumTables& s, double index, double whiteScale,
                         double spreadScale) {
  ChromaExtended result;
  WithErrorTrap(ui, "SpecColor", [&] {
    const int i = SpectrumEntryOf(RoundToInteger(index));
    if (whiteScale == 1.0 && spreadScale == 1.0) {
      ChromaExtended& e = result;
      e.Value = s.SpecColors[i];
      e.Red = s.SpecRed[i];
      e.Green = s.SpecGreen[i];
      e.Blue = s.SpecBlue[i];
      e.MinVal = s.SpecMin[i];
      e.Spread = s.SpecSpread[i];
      e.NormRed = s.SpecNormRed[i];
      e.NormGreen = s.SpecNormGreen[i];
      e.NormBlue = s.SpecNormBlue[i];
      e.Level = 1;
      return;
    }
    ChromaExtended n = ExtendedFrom(ScaledSpectrumEntry(s, i, whiteScale, spreadScale));
    SetExtended(n);
    result = n;
  });
  return result;
}

Chroma SpecColorPart(Ui& ui, const SpectrumTables& s, double index, double whiteScale,
                     double spreadScale) {
  Chroma result;
  WithErrorTrap(ui, "SpecColor",
                [&] { result = SpecColorPartAt(s, RoundToInteger(index), whiteScale, spreadScale); });
  return result;
}

}  // namespace marvane
