#include "engine/final_colour.h"

#include <cmath>

#include "colour/spectrum.h"
#include "engine/engine_state.h"
#include "engine/geometry.h"
#include "engine/sampling.h"
#include "platform/picture.h"
#include "util/numbers.h"

namespace marvane {

void SetSpiralGeometry(EngineState& state) {
  SetSpiralGeometry(state.EngineNumPieces, state.EngineSmallestRadius, state.board.OuterRadius,
                    state.spiral);
}

namespace {

struct Polar {
  float dx, dy, r;
};

inline Polar PolarOf(const BoardConstants& board, int32_t x, int32_t y) {
  Polar p;
  p.dx = ToSingle(static_cast<double>(x) - board.CenterX);
  p.dy = ToSingle(static_cast<double>(y) - board.CenterY);
  p.r = ToSingle(std::sqrt(static_cast<double>(p.dy) * p.dy + static_cast<double>(p.dx) * p.dx));
  return p;
}

}  // namespace

Chroma SpiralColorAt(Ui& ui, const Picture& surface, const EngineState& state, int32_t x, int32_t y,
                     double offset, int32_t width, int32_t height) {
  const BoardConstants& board = state.board;
  const SpiralConstants& sp = state.spiral;
  const Polar pos = PolarOf(board, x, y);
  // theta runs clockwise from straight up.
  const float theta = ToSingle(AngleOf(pos.dx, pos.dy) + kQuarterTurn);

  // The ring coordinate: 0 at the smallest radius, up by 1 per ring outward.
  float u = ToSingle(NaturalLog(pos.r) - sp.LogInnerRadius);
  u = ToSingle(u * sp.InvLogRatio);
  float v = ToSingle(static_cast<double>(u) - IntDown(u));

  float p = ToSingle(static_cast<double>(sp.PartsPerRadian) * theta);
  p = ToSingle(static_cast<double>(p) - IntDown(p));
  p = ToSingle(static_cast<double>(p) * sp.OuterPieceWidth);
  v = ToSingle(static_cast<double>(sp.OuterPieceWidth) * v);

  // One board pixel's footprint in tile pixels.
  float s = ToSingle(std::atan(Divide(1.0, pos.r)) / sp.OuterPixelAngle);
  s = ToSingle(static_cast<double>(s) * (state.GridTileSize + 1.0) / board.OuterRadius);

  return AreaColorMod(ui, surface, board, p + offset, v + offset, s, s, width, height);
}

void PaintFinalPixel(Ui& ui, const EngineState& state, const SpectrumTables& spectrum,
                     int32_t specStart, float fraction, int32_t x, int32_t y, const Chroma& baseColor,
                     Chroma& outColor, Picture& finalImage, Picture& thumbnail) {
  const SpiralConstants& sp = state.spiral;
  const Polar pos = PolarOf(state.board, x, y);
  if (ToSingle(sp.InnerRadiusReal) > pos.r) return;

  if (state.SpectrumShift == 0 && state.BrightnessShift == 0 && specStart == 0) {
    // No colour setting in play: the tile's colours pass through, fade band and all.
    outColor = baseColor;
  } else {
    const float rho = ToSingle(pos.r - sp.InnerRadiusReal);
    // The radial fraction: 0 at the smallest radius, 1 at the outer radius.
    const float f = ToSingle(rho * sp.InvRadialSpan);

    ChromaExtended a = ExtendedFrom(baseColor);
    const int16_t k0 = Match(spectrum, a);
    ChromaExtended b = SpecColor(ui, spectrum, k0, 1, 1);
    b.ExtendedSet = false;
    SetExtended(b);
    // The input's white level and spread relative to its own spectrum entry carry over
    // to the shifted entry.
    const float w = b.MinVal > 0 ? ToSingle(static_cast<double>(a.MinVal) / b.MinVal) : 0.0f;
    const float s = b.Spread > 0 ? ToSingle(static_cast<double>(a.Spread) / b.Spread) : 0.0f;

    const long double hue = static_cast<long double>(spectrum.SpecLast) * state.SpectrumShift * f +
                            k0 + specStart + state.TileHueOffset;
    const int32_t k = RoundExtendedToLong(hue);
    Chroma c = SpecColor(ui, spectrum, k, w, s);

    const double m = static_cast<double>(f) * state.BrightnessShift;
    auto shade = [&](float component) {
      if (state.BrightnessShift < 0) return ToSingle(component * (m + 1.0));
      return ToSingle((255.0 - component) * m + component);
    };
    c.Red = shade(c.Red);
    c.Green = shade(c.Green);
    c.Blue = shade(c.Blue);
    SetValue(c);

    if (rho < state.EngineFadeWidth) {
      // A raised-cosine ramp from the centre colour at the smallest radius to the full
      // colour at the band's outer edge.
      const float t = ToSingle(static_cast<double>(rho) / state.EngineFadeWidth);
      const float t2 = ToSingle(std::sin(t * kHalfTurn - kQuarterTurn) * 0.5 + 0.5);
      outColor = BlendChroma(static_cast<const Chroma&>(state.CenterColor), c, t2);
    } else {
      outColor = c;
    }
  }

  if (fraction == 1.0f) finalImage.PSet(x, y, outColor.Value);
  thumbnail.PSet(ThumbnailCoordinate(x), ThumbnailCoordinate(y), outColor.Value);
}

bool FinalPixelColour(Ui& ui, const Picture& surface, const EngineState& state,
                      const SpectrumTables& spectrum, int32_t specStart, int32_t x, int32_t y,
                      int32_t& value) {
  const Polar pos = PolarOf(state.board, x, y);
  if (!(ToSingle(state.spiral.InnerRadiusReal + 1.0) < pos.r)) return false;
  const int32_t t = state.GridTileSize;
  const Chroma c = SpiralColorAt(ui, surface, state, x, y, t * 0.5, t, t);
  // Painted on no picture at all: only the colour is wanted here.
  Chroma out;
  Picture none;
  PaintFinalPixel(ui, state, spectrum, specStart, 0.0f, x, y, c, out, none, none);
  value = out.Value;
  return true;
}

void DrawFinalPixel(Ui& ui, const Picture& surface, const EngineState& state,
                    const SpectrumTables& spectrum, int32_t specStart, float fraction, int32_t x,
                    int32_t y, Picture& finalImage, Picture& thumbnail) {
  int32_t value = 0;
  if (!FinalPixelColour(ui, surface, state, spectrum, specStart, x, y, value)) return;
  // Drawn as PaintFinalPixel draws: the full-size picture only in a full pass.
  if (fraction == 1.0f) finalImage.PSet(x, y, value);
  thumbnail.PSet(ThumbnailCoordinate(x), ThumbnailCoordinate(y), value);
}

float LightFactor(double a, double b) {
  const float x = ToSingle(0.013 * a);
  return ToSingle(b * (std::exp(static_cast<double>(x)) - 0.27253));
}

}  // namespace marvane
