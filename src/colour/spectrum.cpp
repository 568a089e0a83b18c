#include "colour/spectrum.h"

#include <algorithm>
#include <atomic>
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

// Which search finds a hue, from which of its normalised components are 0 and which 1
// (the others lie between): an entry straight away, or a bisection of SpecMidNorm over
// one of six stretches of the spectrum by one component.
struct HueSearch {
  int16_t entry = 0;    // the answer, where no search is needed
  int component = -1;   // 0 red, 1 green, 2 blue: the key of the search; -1 for none
  int stretch = 0;      // 0 to 5, which stretch
  int lo = 0, hi = 0;
  bool falling = false;
};

constexpr HueSearch ChooseSearch(bool redZero, bool redOne, bool greenZero, bool greenOne, bool blueZero) {
  constexpr bool kRising = false, kFalling = true;
  auto search = [](int component, int stretch, int lo, int hi, bool falling) {
    return HueSearch{0, component, stretch, lo, hi, falling};
  };
  auto entry = [](int16_t e) { return HueSearch{e, -1, 0, 0, 0, false}; };
  if (!redZero) {
    if (!greenZero) {
      if (!blueZero) return entry(0);  // a grey: every normalised component is 1
      if (greenOne) return search(0, 0, 103, 183, kFalling);
      return search(1, 1, 0, 103, kRising);
    }
    if (redOne) {
      if (blueZero) return entry(0);
      return search(2, 2, 359, 426, kFalling);
    }
    return search(0, 3, 287, 359, kRising);
  }
  if (greenOne) {
    if (blueZero) return entry(183);
    return search(2, 4, 183, 240, kRising);
  }
  if (greenZero) return entry(287);
  return search(1, 5, 240, 287, kFalling);
}

// The spectrum index of the hue whose normalised components are r, g and b.
int16_t MatchNorms(const SpectrumTables& s, float r, float g, float b) {
  const HueSearch h = ChooseSearch(r == 0.0f, r == 1.0f, g == 0.0f, g == 1.0f, b == 0.0f);
  if (h.component < 0) return h.entry;
  const float keys[3] = {r, g, b};
  return SearchMidNorm(s, h.lo, h.hi, keys[h.component], h.falling);
}

// MatchWhole's answers, remembered as they are found. For whole components the key of
// the search is (c - low) / spread, so the answer is a function of three small whole
// numbers: the stretch searched, the spread (1 to 255) and c - low (0 to spread). Every
// spectrum is built from the same colours, so one table serves them all. A slot holds
// the answer's place in its stretch plus 1 (no stretch is longer than 254 entries), 0
// while it is not yet known: a byte, so that the table stays small enough to sit in the
// processor's cache beside the pictures. The slots are atomic so that every thread may
// fill them; two threads finding the same answer store the same byte.
class WholeMatches {
 public:
  int16_t Get(const SpectrumTables& s, const HueSearch& h, int32_t above, int32_t spread) {
    std::atomic<uint8_t>& slot = answers_[h.stretch][spread * (spread + 1) / 2 + above];
    uint8_t known = slot.load(std::memory_order_relaxed);
    if (known == 0) {
      const float key = ToSingle(static_cast<double>(above) / spread);
      known = static_cast<uint8_t>(SearchMidNorm(s, h.lo, h.hi, key, h.falling) - h.lo + 1);
      slot.store(known, std::memory_order_relaxed);
    }
    return static_cast<int16_t>(h.lo + known - 1);
  }

 private:
  // Rows of 1 to 256 slots, one for each spread from 0 to 255.
  static constexpr size_t kSlots = 256 * 257 / 2;
  std::atomic<uint8_t> answers_[6][kSlots]{};
};

constinit WholeMatches wholeMatches;

}  // namespace

int16_t Match(const SpectrumTables& s, ChromaExtended& x) {
  if (x.Level == 0) x.Level = 1;
  SetExtended(x);
  return MatchNorms(s, x.NormRed, x.NormGreen, x.NormBlue);
}

int16_t MatchWhole(const SpectrumTables& s, int32_t red, int32_t green, int32_t blue) {
  // The normalised components of whole ones: 0 for the smallest, 1 for the largest (all
  // 1 for a grey), and (c - min) / spread, rounded to a float, for one in between;
  // SetZZProps gives exactly these, since its differences and spread are whole too. The
  // key of the search is one of them, and (c - min) / spread gives 0 and 1 as well.
  const int32_t low = std::min({red, green, blue}), high = std::max({red, green, blue});
  const int32_t spread = high - low;
  if (spread == 0) return MatchNorms(s, 1.0f, 1.0f, 1.0f);
  // Which components are the lowest and the highest vary from pixel to pixel, so the
  // search is looked up by them rather than chosen by branches the processor would guess
  // wrong half the time.
  static constexpr auto kSearches = [] {
    std::array<HueSearch, 32> searches{};
    for (int i = 0; i < 32; ++i) searches[i] = ChooseSearch(i & 1, i & 2, i & 4, i & 8, i & 16);
    return searches;
  }();
  const HueSearch& h = kSearches[(red == low) | (red == high) << 1 | (green == low) << 2 | (green == high) << 3 |
                                 (blue == low) << 4];
  if (h.component < 0) return h.entry;
  const int32_t components[3] = {red, green, blue};
  if (low < 0 || high > 255) {
    // Not bytes: searched every time, as the table holds only bytes.
    return SearchMidNorm(s, h.lo, h.hi, ToSingle(static_cast<double>(components[h.component] - low) / spread),
                         h.falling);
  }
  return wholeMatches.Get(s, h, components[h.component] - low, spread);
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
