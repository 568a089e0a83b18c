#include "tools/default_tile.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "colour/spectrum_data.h"

namespace marvane {

namespace {

struct Rgb {
  double red = 0, green = 0, blue = 0;
};

Rgb Scaled(const Rgb& c, double k) { return {c.red * k, c.green * k, c.blue * k}; }

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t,
          a.blue + (b.blue - a.blue) * t};
}

// A spectrum colour with its white floor taken away and its spread stretched to the
// full range: the purest form of that hue. Recolouring keeps a pixel's white level and
// spread relative to its own spectrum entry, so pure hues stay vivid on the spiral.
Rgb PureHue(int index) {
  const SpectrumRgb& s = kSpectrumRgb[static_cast<size_t>(index % kSpectrumSize)];
  const double lo = std::min({s.red, s.green, s.blue});
  const double hi = std::max({s.red, s.green, s.blue});
  const double k = hi > lo ? 255.0 / (hi - lo) : 0.0;
  return {(s.red - lo) * k, (s.green - lo) * k, (s.blue - lo) * k};
}

// Hues picked along the spectrum (red 0, yellow 105, green 180, blue 285, back to red).
constexpr int kRed = 0;
constexpr int kOrange = 30;
constexpr int kGold = 75;
constexpr int kLime = 150;
constexpr int kTeal = 215;
constexpr int kBlue = 280;
constexpr int kViolet = 315;
constexpr int kMagenta = 370;

// A coordinate in periods, as its offset from the nearest whole period, in [-0.5, 0.5):
// a motif drawn around a whole period runs on across the tile's edges.
double Fold(double t) { return t - std::floor(t + 0.5); }

// The colour at (u, v), both in periods of the tile (0..1 is one repeat).
Rgb TileColourAt(double u, double v) {
  constexpr double pi = std::numbers::pi;
  const Rgb ink{10, 6, 24};

  // The ground: a deep violet that glows a little toward the rosette.
  const double cx = Fold(u - 0.5), cy = Fold(v - 0.5);
  const double rc = std::hypot(cx, cy);
  Rgb colour = Scaled(PureHue(kViolet), 0.14 + 0.10 * std::max(0.0, 1.0 - rc / 0.62));

  // The corner target: rings of warm hues around the point where four tiles meet.
  const double kx = Fold(u), ky = Fold(v);
  const double rk = std::hypot(kx, ky);
  if (rk < 0.285) {
    static const int ringHues[] = {kGold, kRed, kOrange, kMagenta, kGold, kBlue};
    const double band = rk / 0.0475;
    const int ring = std::min(5, static_cast<int>(band));
    const double across = band - ring;
    if (across > 0.82 && ring < 5)
      colour = ink;
    else
      colour = Scaled(PureHue(ringHues[ring]), 0.72 + 0.28 * std::sin(across * pi));
  } else if (rk < 0.30) {
    colour = ink;
  }

  // The edge diamonds: small lime jewels between two corner targets.
  for (const auto& [mx, my] : {std::pair{0.5, 0.0}, std::pair{0.0, 0.5}}) {
    const double dx = Fold(u - mx), dy = Fold(v - my);
    const double d = std::abs(dx) + std::abs(dy);
    if (d < 0.085) colour = Scaled(PureHue(kLime), 0.65 + 0.35 * (1.0 - d / 0.085));
    else if (d < 0.10) colour = ink;
  }

  // The rosette: eight petals in two alternating colour families.
  const double theta = std::atan2(cy, cx);
  const double petalShape = std::pow(std::abs(std::cos(4.0 * theta)), 0.6);
  const double reach = 0.41 * (0.50 + 0.50 * petalShape);
  if (rc < reach) {
    const int petal = static_cast<int>(std::floor((theta + pi / 8.0) / (pi / 4.0)) + 8) % 2;
    const double along = rc / reach;
    const Rgb base = PureHue(petal ? kTeal : kMagenta);
    const Rgb tip = PureHue(petal ? kBlue : kOrange);
    colour = Scaled(Mix(base, tip, along), 0.55 + 0.45 * std::sin(std::min(1.0, along * 1.15) * pi * 0.5));
    // A bright vein down the middle of each petal.
    if (std::abs(std::sin(4.0 * theta)) * rc < 0.012 && along > 0.35 && along < 0.85)
      colour = Mix(colour, Rgb{255, 255, 235}, 0.65);
  }
  if (rc < reach + 0.014 && rc >= reach) colour = ink;

  // The heart of the rosette: a gold ring round a red disc with a white spark.
  if (rc < 0.135) colour = ink;
  if (rc < 0.12) colour = PureHue(kGold);
  if (rc < 0.085) colour = ink;
  if (rc < 0.075) colour = Scaled(PureHue(kRed), 0.75 + 0.25 * (1.0 - rc / 0.075));
  if (rc < 0.03) colour = Rgb{255, 250, 230};
  return colour;
}

int32_t Pack(const Rgb& c) {
  auto byte = [](double v) { return static_cast<int32_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
  return byte(c.red) + 256 * byte(c.green) + 65536 * byte(c.blue);
}

}  // namespace

Picture DrawDefaultTile(int32_t side) {
  Picture tile(side, side, 0);
  // The engine folds a squared tile of side S into a period of S - 1 pixels.
  const double period = side > 1 ? side - 1 : 1;
  constexpr int kSamples = 4;
  for (int32_t y = 0; y < side; ++y) {
    for (int32_t x = 0; x < side; ++x) {
      Rgb sum;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double u = (x + (sx + 0.5) / kSamples - 0.5) / period;
          const double v = (y + (sy + 0.5) / kSamples - 0.5) / period;
          const Rgb c = TileColourAt(u, v);
          sum.red += c.red;
          sum.green += c.green;
          sum.blue += c.blue;
        }
      }
      tile.PSet(x, y, Pack(Scaled(sum, 1.0 / (kSamples * kSamples))));
    }
  }
  return tile;
}

}  // namespace marvane
