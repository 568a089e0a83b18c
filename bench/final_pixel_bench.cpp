// The innermost work of the program: mapping, sampling and colouring every pixel of
// the desktop's 793 x 573 board, all four quadrants, full size, on one thread, pixel by
// pixel as the desktop's ticks draw them (no ring shared between mirror pixels).
#include <benchmark/benchmark.h>

#include "colour/spectrum.h"
#include "engine/engine_state.h"
#include "engine/final_colour.h"
#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/ui.h"

namespace marvane {
namespace {

// The settings a first start opens with.
EngineState DefaultState(const SpectrumTables& spectrum, Ui& ui) {
  EngineState st;
  SetBoardConstants(793, 573, st.board);
  st.EngineNumPieces = 12;
  st.EngineSmallestRadius = 15;
  st.EngineFadeWidth = 60;
  st.SpectrumShift = -0.54f;
  st.BrightnessShift = -0.29f;
  SetSpiralGeometry(st);
  st.GridTileSize = GridTileFloorOf(st.spiral.OuterPieceWidth);
  const float f = LightFactor(95, 1);
  st.CenterColor = SpecColor(ui, spectrum, 104, f, f > 1 ? 1.0f : f);
  st.TileHueOffset = -40;
  return st;
}

// A colourful synthetic grid: smooth ramps with a checker, repeating every cell.
Picture SyntheticGrid(int32_t w, int32_t h, int32_t period) {
  Picture p(w, h, 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int32_t cx = x % period, cy = y % period;
      const int32_t r = 255 * cx / period;
      const int32_t g = 255 * cy / period;
      const int32_t b = ((cx / 8 + cy / 8) % 2) ? 220 : 40;
      p.PSet(x, y, r + 256 * g + 65536 * b);
    }
  return p;
}

void BM_FinalImageFullBoard(benchmark::State& state) {
  RecordingUi ui;
  const SpectrumTables& spectrum = ReadySpectrum();
  const EngineState st = DefaultState(spectrum, ui);
  const Picture grid = SyntheticGrid(793, 573, st.GridTileSize + 1);
  Picture finalImage(793, 573, st.CenterColor.Value);
  Picture thumbnail(198, 143, st.CenterColor.Value);
  for (auto _ : state) {
    FinalPixelKernel kernel(ui, grid, st, spectrum, 104);
    for (int32_t x = 0; x < 793; ++x)
      for (int32_t y = 0; y < 573; ++y) {
        int32_t value = 0;
        if (!kernel.ScanColour(x, y, value)) continue;
        finalImage.PSet(x, y, value);
        thumbnail.PSet(ThumbnailCoordinate(x), ThumbnailCoordinate(y), value);
      }
    benchmark::DoNotOptimize(finalImage.Pixels().data());
  }
  state.SetItemsProcessed(state.iterations() * 793 * 573);
  state.counters["ns_per_pixel"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 793 * 573,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FinalImageFullBoard)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace marvane

BENCHMARK_MAIN();
