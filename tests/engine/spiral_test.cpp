#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "colour/spectrum.h"
#include "engine/engine_state.h"
#include "engine/final_colour.h"
#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"

using namespace marvane;

static int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

TEST(SpiralGeometry, TheBoardTheRingsThePiecesTheAnglesAndTheCentreBrightness) {
  const struct { int w, h, cx, cy; float outer, diagonal; } boards[] = {
      {640, 480, 320, 240, 400, 800}, {793, 573, 396, 286, 495.625f, 978.354736f},  // 396.5 and 286.5 go down
      {643, 5, 322, 2, 401.875f, 643.019470f}, {0, 0, 0, 0, 0, 0}};  // 321.5 goes up, and an empty surface
  for (const auto& r : boards) {
    BoardConstants b;
    SetBoardConstants(Picture(r.w, r.h), b);
    EXPECT_EQ(std::tuple(b.BoardWidth, b.BoardHeight, b.BoardLeft, b.BoardRight, b.BoardTop, b.BoardBottom, b.CenterX,
                         b.CenterY, b.OuterRadius, b.BoardDiagonal, b.HalfDiagonal),
              std::tuple(r.w, r.h, 0, r.w - 1, 0, r.h - 1, r.cx, r.cy, r.outer, r.diagonal, r.diagonal / 2)) << r.w;
  }
  const struct { int n; double q; float width; int cell; } rows[] = {
      {6, 0.36625038, 418.879059f, 418}, {12, 0.59583293, 209.439529f, 209}, {50, 0.88198416, 50.265488f, 50},
      {99, 0.93851553, 25.3866100f, 25}};
  SpiralConstants s;
  for (const auto& r : rows) {
    SetSpiralGeometry(r.n, 15, 400.0f, s);
    EXPECT_NEAR(s.RingRatio, r.q, 5e-9) << r.n;
    EXPECT_EQ(std::tuple(s.OuterPieceWidth, GridTileFloorOf(s.OuterPieceWidth)), std::tuple(r.width, r.cell));
  }
  SetSpiralGeometry(50, 15, 400.0f, s);
  EXPECT_NEAR(s.InvLogRatio, 7.96298, 5e-6);
  EXPECT_EQ(std::tuple(s.PartsPerRadian, s.InnerRadiusReal, s.InvRadialSpan, s.LogInnerRadius, s.OuterPixelAngle),
            std::tuple(7.9577465f, 15.0, 1.0 / 385, std::log(15.0), std::atan(1.0 / 400)));
  EXPECT_THROW(SetSpiralGeometry(12, 400, 400.0f, s), RunTimeError);  // R0 may reach the outer radius on 640 x 480
  const double q = 1.5707965, h = 3.141593, e = std::atan(1.0), angles[][3] = {
      {1, 0, 0}, {0, 1, q}, {-1, 0, h}, {0, -1, -q}, {0, 0, q}, {1, 1, e}, {-1, -1, h + e}, {-1, 1, h - e}};
  for (const auto& r : angles) EXPECT_DOUBLE_EQ(AngleOf(r[0], r[1]), r[2]) << r[0] << ", " << r[1];
  EXPECT_NEAR(LightFactor(0, 1), 0.72747f, 1e-6);  // the brightness factor of the centre colour
  EXPECT_EQ(LightFactor(18.539, 1), 0.99999994f);  // not quite 1: 0.013 a is a float
  EXPECT_NEAR(LightFactor(100, 2), 2 * 3.39677f, 2e-5);
}

// The kernel works out one arctangent for the four pixels (+-dx, +-dy): the angle it
// gives must be AngleOf's to the bit at every pixel of a board, which holds only because
// the library's atan is odd to the bit. Boards odd and even each way, wide and tall.
TEST(SpiralGeometry, OneArctangentServesTheFourMirrorPixelsToTheBit) {
  int64_t differ = 0;
  for (const auto& [w, h] : {std::pair{793, 573}, {640, 480}, {1001, 301}, {120, 2000}}) {
    BoardConstants b;
    SetBoardConstants(w, h, b);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const double dx = static_cast<float>(x - b.CenterX), dy = static_cast<float>(y - b.CenterY);
        const double plain = AngleOf(dx, dy), mirrored = AngleOf(dx, dy, MirrorAtan(dx, dy));
        if (std::memcmp(&plain, &mirrored, sizeof plain) != 0 && differ++ == 0)
          ADD_FAILURE() << w << "x" << h << " at " << x << "," << y << ": " << plain << " != " << mirrored;
      }
  }
  EXPECT_EQ(differ, 0);
}

// The colour one visit of the final-image scan gives board pixel (x, y), as the ticks, the
// fast path, the preview and the loop's frames ask the kernel for it; none where the scan
// leaves the background.
std::optional<int32_t> ScanColourAt(Ui& ui, const Picture& grid, const EngineState& st, int32_t tone, int32_t x,
                                    int32_t y) {
  FinalPixelKernel kernel(ui, grid, st, ReadySpectrum(), tone);
  int32_t value = 0;
  return kernel.ScanColour(x, y, value) ? std::optional<int32_t>(value) : std::nullopt;
}

TEST(FinalColour, DrawnWhereTheSpiralPutsEachPixelRecolouredAlongTheSpectrumAndInBrightnessAndFaded) {
  // 640 x 1000: centre (320, 500) and outer radius 400; N = 49 gives cells of 51, and R0 is 90.
  EngineState st;
  SetBoardConstants(640, 1000, st.board);
  st.EngineNumPieces = 49, st.EngineSmallestRadius = 90, st.GridTileSize = 51;
  SetSpiralGeometry(st);
  Picture cell(51, 51);
  for (int y = 0; y < 51; ++y)
    for (int x = 0; x < 51; ++x) cell.PSet(x, y, Rgb(x, y, 9));  // red is the column, green the row
  // Ring coordinates 0.172, 0.822, 6.232 at r = 92, 100, 200: 8.80, 42.17, 11.87 across (+ 25.5, folded). A quarter,
  // half, three quarter and nearly full turn clockwise from up: 12.82, 25.65, 38.47, 47.29 along (+ 25.5, folded).
  const int cells[][3] = {{420, 500, Rgb(38, 17, 9)}, {320, 600, Rgb(0, 17, 9)}, {120, 500, Rgb(13, 37, 9)},
                          {319, 400, Rgb(22, 17, 9)}, {412, 500, Rgb(38, 34, 9)}, {411, 500, -1}};  // R0 + 1: left
  RecordingUi ui;
  for (const auto& r : cells)
    EXPECT_EQ(ScanColourAt(ui, cell, st, 0, r[0], r[1]).value_or(-1), r[2]) << r[0] << ", " << r[1];
  // A tile grid of one colour samples that colour everywhere, so what follows is the colouring alone.
  st.CenterColor = ExtendedFrom(Chroma{75, 75, 255, Rgb(75, 75, 255)});
  const Picture plain(51, 51, Rgb(255, 165, 75));  // spectrum entry 40
  const struct { int r, tone; float hue, shift, light, fade; int32_t colour; } rows[] = {  // straight below the centre
      {150, 0, 0, 0, 0, 300, Rgb(255, 165, 75)},    // no colour setting: passed through, fade band and all
      {200, 5, -5, 0, 0, 3, Rgb(255, 165, 75)},     // tone and hue offset cancel
      {245, 0, 0, 0.1f, 0, 3, Rgb(255, 196, 75)},   // f = 0.5: 426 x 0.1 x 0.5 = 21.3 on, entry 61
      {245, 0, 0, 0, -0.5f, 3, Rgb(191, 124, 56)},  // m = -0.25: each component x 0.75
      {245, 0, 0, 0, 0.5f, 3, Rgb(255, 188, 120)},  // m = 0.25: a quarter of the way to white
      {400, 0, 0, 0, -1, 3, 0}, {400, 0, 0, 0, 1, 3, Rgb(255, 255, 255)},  // f = 1: black and white
      {100, 5, -5, 0, 0, 20, Rgb(165, 120, 165)},   // halfway through the band: half of each
      {92, 5, -5, 0, 0, 60, Rgb(75, 75, 255)},      // a ramp of 0.0027: the centre colour
      {91, 0, 0, 0.5f, 0, 3, -1}};                  // at R0 + 1 and inside, the scan draws nothing
  for (const auto& r : rows) {
    st.TileHueOffset = r.hue, st.SpectrumShift = r.shift, st.BrightnessShift = r.light, st.EngineFadeWidth = r.fade;
    EXPECT_EQ(ScanColourAt(ui, plain, st, r.tone, 320, 500 + r.r).value_or(-1), r.colour) << r.r;
  }
  // A hue beyond 16 bits names no entry: SpecColor's trap reports it, and black is painted.
  ASSERT_TRUE(ui.Messages().empty());
  st.TileHueOffset = 100000, st.SpectrumShift = 0, st.BrightnessShift = 0, st.EngineFadeWidth = 3;
  EXPECT_EQ(ScanColourAt(ui, plain, st, 1, 320, 745), 0);  // tone 1: coloured
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(std::tuple(ui.Messages()[0].title, ui.Messages()[0].text), std::tuple("SpecColor", "Overflow"));
}

// The painting finds a sample's place on the spectrum from its whole components, and
// remembers it. The record's own route must agree for every colour: Match on the fully
// derived record, and the entry's white level and spread derived again through
// SpecColor. The place depends on the order and the ratio of the components, which
// every colour with a zero component covers, and on the smallest one's size: random
// colours cover that.
TEST(FinalColour, ASamplesPlaceOnTheSpectrumIsTheDerivedRecordsForEveryColour) {
  const SpectrumTables& spectrum = ReadySpectrum();
  RecordingUi ui;
  auto derived = [&](int32_t packed) {
    ChromaExtended a = ExtendedFrom(AssignChroma(packed));
    SpectrumPlace p;
    p.entry = Match(spectrum, a);
    ChromaExtended b = SpecColor(ui, spectrum, p.entry, 1, 1);
    b.ExtendedSet = false;
    SetExtended(b);
    p.white = b.MinVal > 0 ? static_cast<float>(a.MinVal / static_cast<double>(b.MinVal)) : 0;
    p.spread = b.Spread > 0 ? static_cast<float>(a.Spread / static_cast<double>(b.Spread)) : 0;
    return std::tuple(p.entry, p.white, p.spread);
  };
  std::vector<int32_t> colours;
  for (int32_t i = 0; i < 65536; ++i) colours.insert(colours.end(), {i << 8, (i & 0xFF) | (i >> 8) << 16, i});
  uint32_t random = 12345;
  for (int i = 0; i < 200000; ++i) colours.push_back(static_cast<int32_t>((random = random * 1664525u + 1013904223u) >> 8));
  SpectrumPlaceMemo memo(spectrum);
  int wrong = 0;
  for (int pass = 0; pass < 2; ++pass)  // the second pass meets colours the memo holds
    for (const int32_t c : colours) {
      const auto want = derived(c);
      const SpectrumPlace plain = PlaceOnSpectrum(spectrum, c), kept = memo.Get(c);
      if (std::tuple(plain.entry, plain.white, plain.spread) != want ||
          std::tuple(kept.entry, kept.white, kept.spread) != want) {
        if (++wrong <= 5) ADD_FAILURE() << "colour " << c;
      }
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(ui.Messages().empty());
}
