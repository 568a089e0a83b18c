#include "engine/final_colour.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "colour/spectrum.h"
#include "engine/engine_state.h"
#include "engine/geometry.h"
#include "engine/sampling.h"
#include "platform/picture.h"
#include "platform/run_time_error.h"
#include "util/numbers.h"
#include "util/per_pixel.h"

namespace marvane {

void SetSpiralGeometry(EngineState& state) {
  SetSpiralGeometry(state.EngineNumPieces, state.EngineSmallestRadius, state.board.OuterRadius,
                    state.spiral);
}

namespace {

// The white level and spread of a colour relative to its entry's. The entry's own are
// the tables' SpecMin and SpecSpread: bringing SpecColor(entry, 1, 1) up to date derives
// them from the same packed colour by the same steps that built the tables.
SpectrumPlace WithEntryScales(const SpectrumTables& spectrum, SpectrumPlace place, float minVal, float spread) {
  const float entryMin = spectrum.SpecMin[static_cast<size_t>(place.entry)];
  const float entrySpread = spectrum.SpecSpread[static_cast<size_t>(place.entry)];
  place.white = entryMin > 0 ? ToSingle(static_cast<double>(minVal) / entryMin) : 0.0f;
  place.spread = entrySpread > 0 ? ToSingle(static_cast<double>(spread) / entrySpread) : 0.0f;
  return place;
}

SpectrumPlace PlaceOf(const SpectrumTables& spectrum, ChromaExtended a) {
  SpectrumPlace place;
  place.entry = Match(spectrum, a);
  return WithEntryScales(spectrum, place, a.MinVal, a.Spread);
}

}  // namespace

SpectrumPlace PlaceOnSpectrum(const SpectrumTables& spectrum, int32_t packed) {
  if (packed < 0 || packed > 0xFFFFFF) {
    // Not three bytes: the components come out of the division as they may.
    Chroma c;
    c.Value = packed;
    c.ValueSet = true;
    return PlaceOf(spectrum, ExtendedFrom(c));
  }
  const int32_t red = packed & 0xFF, green = (packed >> 8) & 0xFF, blue = packed >> 16;
  SpectrumPlace place;
  place.entry = MatchWhole(spectrum, red, green, blue);
  const float low = static_cast<float>(std::min({red, green, blue}));
  const float spread = static_cast<float>(std::max({red, green, blue})) - low;
  return WithEntryScales(spectrum, place, low, spread);
}

SpectrumPlace SpectrumPlaceMemo::Get(int32_t packed) {
  // Only colours of three bytes are remembered; -1 marks an empty slot.
  if (packed < 0 || packed > 0xFFFFFF) return PlaceOnSpectrum(spectrum_, packed);
  // Fibonacci hashing: neighbouring colours land far apart.
  Slot& slot = slots_[(static_cast<uint32_t>(packed) * 2654435761u) >> (32 - kBits)];
  if (slot.packed != packed) {
    slot.place = PlaceOnSpectrum(spectrum_, packed);
    slot.packed = packed;
  }
  return slot.place;
}

FinalPixelKernel::~FinalPixelKernel() = default;

FinalPixelKernel::FinalPixelKernel(Ui& ui, const Picture* grid, std::unique_ptr<RememberedPixels> source,
                                   const EngineState& state, const SpectrumTables& spectrum, int32_t specStart,
                                   FrameShift shift)
    : ui_(ui),
      grid_(grid),
      source_(std::move(source)),
      state_(state),
      spectrum_(spectrum),
      specStart_(specStart),
      centerX_(state.board.CenterX),
      centerY_(state.board.CenterY),
      passThrough_(state.SpectrumShift == 0 && state.BrightnessShift == 0 && specStart == 0),
      shift_(shift),
      offset_(state.GridTileSize * 0.5) {}

FinalPixelKernel::FinalPixelKernel(Ui& ui, const Picture& grid, const EngineState& state,
                                   const SpectrumTables& spectrum, int32_t specStart, FrameShift shift)
    : FinalPixelKernel(ui, &grid, nullptr, state, spectrum, specStart, shift) {}

FinalPixelKernel::FinalPixelKernel(Ui& ui, const PixelSource& grid, const EngineState& state,
                                   const SpectrumTables& spectrum, int32_t specStart, FrameShift shift)
    : FinalPixelKernel(ui, nullptr, std::make_unique<RememberedPixels>(grid), state, spectrum, specStart, shift) {}

MARVANE_PER_PIXEL FinalPixelKernel::Ring FinalPixelKernel::RingOf(float dx, float dy) const {
  const SpiralConstants& sp = state_.spiral;
  Ring ring;
  // (-dx)^2 is dx^2 exactly, so the four pixels (+-dx, +-dy) get the same distance.
  ring.r = ToSingle(std::sqrt(static_cast<double>(dy) * dy + static_cast<double>(dx) * dx));
  ring.drawn = ToSingle(sp.InnerRadiusReal + 1.0) < ring.r;
  ring.coloured = !(ToSingle(sp.InnerRadiusReal) > ring.r);
  if (ring.drawn) {
    // The ring coordinate: 0 at the smallest radius, up by 1 per ring outward; its
    // fraction becomes the sample's place across the grid cell.
    float u = ToSingle(NaturalLog(ring.r) - sp.LogInnerRadius);
    u = ToSingle(u * sp.InvLogRatio);
    float v = ToSingle(static_cast<double>(u) - IntDown(u));
    if (shift_.ringPhase != 0) {
      // A frame of the zoom: the fraction of u - ringPhase, taken from the still's
      // fraction. A whole ring's shift gives back exactly the fraction it started from
      // (v - 1 + 1 is v for every float fraction), so the loop's last step lands on its
      // first frame to the bit; where the shifted place is 0 it is taken as 1, the same
      // seam seen from the ring inside, which is what a whole ring makes of a still's 1.
      double w = static_cast<double>(v) - shift_.ringPhase;
      if (w <= 0) w += 1.0;
      v = ToSingle(w);
    }
    ring.across = ToSingle(static_cast<double>(sp.OuterPieceWidth) * v);
    // One board pixel's footprint in tile pixels.
    const float s = ToSingle(std::atan(Divide(1.0, ring.r)) / sp.OuterPixelAngle);
    ring.footprint = ToSingle(static_cast<double>(s) * (state_.GridTileSize + 1.0) / state_.board.OuterRadius);
    ring.mirrorAtan = MirrorAtan(dx, dy);
  }
  if (ring.coloured && !passThrough_) {
    ring.rho = ToSingle(ring.r - sp.InnerRadiusReal);
    ring.fraction = ToSingle(ring.rho * sp.InvRadialSpan);
    ring.brightness = static_cast<double>(ring.fraction) * state_.BrightnessShift;
    ring.hueShift = static_cast<long double>(spectrum_.SpecLast) * state_.SpectrumShift * ring.fraction;
    ring.inFade = ring.rho < state_.EngineFadeWidth;
    if (ring.inFade) {
      // A raised-cosine ramp from the centre colour at the smallest radius to the full
      // colour at the band's outer edge.
      const float t = ToSingle(static_cast<double>(ring.rho) / state_.EngineFadeWidth);
      ring.fade = ToSingle(std::sin(t * kHalfTurn - kQuarterTurn) * 0.5 + 0.5);
    }
  }
  return ring;
}

MARVANE_INLINE double FinalPixelKernel::PlaceAcross(const Ring& ring, float dx, float dy) const {
  const SpiralConstants& sp = state_.spiral;
  // theta runs clockwise from straight up; the place along the ring follows it.
  const float theta = ToSingle(AngleOf(dx, dy, ring.mirrorAtan) + kQuarterTurn);
  float p = ToSingle(static_cast<double>(sp.PartsPerRadian) * theta);
  p = ToSingle(static_cast<double>(p) - IntDown(p));
  p = ToSingle(static_cast<double>(p) * sp.OuterPieceWidth);
  return p + offset_;
}

template <class Surface, class Rings>
MARVANE_INLINE void FinalPixelKernel::SampleFrom(const Surface& grid, const Rings& rings, int count, const double* x,
                                                 Chroma* samples) {
  const int32_t t = state_.GridTileSize;
  for (int k = 0; k < count; ++k) {
    const Ring& ring = rings[k];
    if (ring.footprint < 2.5f) {
      // Less than two and a half tile pixels: one bilinear read, which is what
      // AreaColorMod does here. An error in it is thrown before anything is kept, so on
      // one the read is simply made again through AreaColorMod, whose traps report it as
      // they always do.
      try {
        samples[k] = SpotUntrapped(grid, WrapCoord(x[k], t), WrapCoord(ring.across + offset_, t), t, t);
        continue;
      } catch (const RunTimeError&) {
      }
    }
    samples[k] = AreaColorMod(ui_, grid, state_.board, x[k], ring.across + offset_, ring.footprint, ring.footprint, t, t);
  }
}

template <class Rings>
MARVANE_INLINE void FinalPixelKernel::SampleAll(const Rings& rings, int count, const float* dx, const float* dy,
                                                Chroma* samples) {
  double x[kLanes];
  for (int k = 0; k < count; ++k) x[k] = PlaceAcross(rings[k], dx[k], dy[k]);
  if (source_ != nullptr)
    SampleFrom(*source_, rings, count, x, samples);
  else
    SampleFrom(*grid_, rings, count, x, samples);
}

MARVANE_INLINE SpectrumPlace FinalPixelKernel::PlaceOfSample(const Chroma& baseColor) {
  // The input's white level and spread relative to its own spectrum entry carry over to
  // the shifted entry. A sample's components are those of its packed colour unless they
  // were set apart from it, so its place is looked up by that colour.
  if (!baseColor.ColorsSet && !memo_) memo_ = std::make_unique<SpectrumPlaceMemo>(spectrum_);
  return baseColor.ColorsSet ? PlaceOf(spectrum_, ExtendedFrom(baseColor)) : memo_->Get(baseColor.Value);
}

MARVANE_INLINE Chroma FinalPixelKernel::SpectrumColourAt(int32_t k, const SpectrumPlace& place) {
  // An index beyond 16 bits is SpecColor's "Overflow", reported by its trap.
  return k >= INT16_MIN && k <= INT16_MAX ? SpecColorPartAt(spectrum_, static_cast<int16_t>(k), place.white, place.spread)
                                          : SpecColorPart(ui_, spectrum_, k, place.white, place.spread);
}

template <class Rings>
MARVANE_INLINE void FinalPixelKernel::PaintAll(const Rings& rings, int count, const Chroma* samples,
                                               int32_t* colours) {
  // Only for a ring that is drawn, and so coloured.
  if (passThrough_ && shift_.hue == 0) {
    // No colour setting in play: the tile's colours pass through, fade band and all.
    for (int k = 0; k < count; ++k) colours[k] = samples[k].Value;
    return;
  }
  SpectrumPlace places[kLanes];
  for (int k = 0; k < count; ++k) places[k] = PlaceOfSample(samples[k]);
  int32_t index[kLanes];
  for (int k = 0; k < count; ++k) {
    // A frame's hue joins the sum last: adding 0 leaves the still's index as it was.
    // Without colour settings, a frame of a colour cycle still has to turn the tile's
    // colours; it turns each one along the spectrum from its own entry, keeping its
    // white level and spread, and adds nothing else (no fade, no brightness), so that
    // the cycle starts from the still picture and every frame after it differs from its
    // neighbours by the turn alone.
    index[k] = passThrough_
                   ? RoundExtendedToLong(places[k].entry + shift_.hue)
                   : RoundExtendedToLong(rings[k].hueShift + places[k].entry + specStart_ + state_.TileHueOffset +
                                         shift_.hue);
  }
  Chroma c[kLanes];
  for (int k = 0; k < count; ++k) c[k] = SpectrumColourAt(index[k], places[k]);
  if (passThrough_) {
    for (int k = 0; k < count; ++k) colours[k] = c[k].Value;
    return;
  }
  for (int k = 0; k < count; ++k) {
    const Ring& ring = rings[k];
    const double m = ring.brightness;
    auto shade = [&](float component) {
      if (state_.BrightnessShift < 0) return ToSingle(component * (m + 1.0));
      return ToSingle((255.0 - component) * m + component);
    };
    c[k].Red = shade(c[k].Red);
    c[k].Green = shade(c[k].Green);
    c[k].Blue = shade(c[k].Blue);
    SetValue(c[k]);
    colours[k] = ring.inFade ? BlendChroma(static_cast<const Chroma&>(state_.CenterColor), c[k], ring.fade).Value
                             : c[k].Value;
  }
}

namespace {

// The ring of each lane: one for all (the four mirror pixels), or one each. The first
// keeps the ring's terms in registers across the lanes.
struct OneRing {
  const FinalPixelKernel::Ring& ring;
  const FinalPixelKernel::Ring& operator[](int) const { return ring; }
};
struct RingEach {
  const FinalPixelKernel::Ring* const* rings;
  const FinalPixelKernel::Ring& operator[](int k) const { return *rings[k]; }
};

}  // namespace

MARVANE_PER_PIXEL void FinalPixelKernel::ScanColours(const Ring& ring, int count, const float* dx, const float* dy,
                                                     int32_t* colours) {
  Chroma samples[kLanes];
  SampleAll(OneRing{ring}, count, dx, dy, samples);
  PaintAll(OneRing{ring}, count, samples, colours);
}

MARVANE_PER_PIXEL void FinalPixelKernel::ScanColours(const Ring* const* rings, int count, const float* dx,
                                                     const float* dy, int32_t* colours) {
  Chroma samples[kLanes];
  SampleAll(RingEach{rings}, count, dx, dy, samples);
  PaintAll(RingEach{rings}, count, samples, colours);
}

MARVANE_PER_PIXEL bool FinalPixelKernel::ScanColour(int32_t x, int32_t y, int32_t& value) {
  const float dx = Dx(x), dy = Dy(y);
  const Ring ring = RingOf(dx, dy);
  if (!ring.drawn) return false;
  ScanColours(ring, 1, &dx, &dy, &value);
  return true;
}

float LightFactor(double a, double b) {
  const float x = ToSingle(0.013 * a);
  return ToSingle(b * (std::exp(static_cast<double>(x)) - 0.27253));
}

}  // namespace marvane
