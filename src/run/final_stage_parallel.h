#pragma once
// The final-image stage on every core, as the renderer, the live preview and the loops
// draw it. It gives the same pictures, byte for byte, as the pipeline's slice-by-slice
// final stage (stage 3) would from the same values.
//
// Why that holds: a board pixel's colour depends only on (x, y) and on values that do
// not change during the stage (the tile grid, the spiral, the colours, SpecStart), so
// the colours can be computed in any order, each pixel once, by any thread. What does
// depend on order is the thumbnail, where up to sixteen board pixels land on one pixel
// and the last one drawn stays; so the drawing itself is replayed in the scan order of
// the sequential stage (x from CenterX, y fastest, quadrants 3, 0, 2, 1, only those
// ticked), writing the precomputed colours: each thumbnail column on its own, so the
// columns share out over every core. A pixel the scan visits twice
// (the quadrants overlap by a column or row on some odd boards) gets the same colour
// both times.
#include <cstdint>
#include <functional>

#include "engine/final_colour.h"
#include "engine/engine_state.h"
#include "engine/sampling.h"
#include "platform/picture.h"
#include "run/thread_runner.h"

namespace marvane {

class Ui;

struct ParallelFinalOptions {
  // Threads computing colours; 0 means one per core.
  int32_t threads = 0;
  // Called on the calling thread about every `progressIntervalMs` with the fraction of
  // rows done (0 to 1); returning false stops the stage at the next band of rows.
  std::function<bool(double)> progress;
  int32_t progressIntervalMs = 100;
};

// What the final-image stage reads (see run/render_input.h), apart so that frames of a
// loop can each be drawn with their own colours and shift over one grid.
struct FinalStageInput {
  const Picture* grid = nullptr;     // the tile grid,
  const PixelSource* gridSource = nullptr;  // or, when given, the grid worked out as it is read
  const EngineState* engine = nullptr;
  const SpectrumTables* spectrum = nullptr;
  int32_t specStart = 0;             // the "Color tone at center" slider
  std::array<bool, 4> ticked{};      // the quadrant boxes
  int32_t divisor = 1;               // the stride: 4 for the small picture only, else 1
  FrameShift shift;                  // none for the still picture
};
// Draws the stage's pictures from `input`: `finalImage` in a full pass (divisor 1), and
// `thumbnail` unless it is null. Both must have been erased to the centre colour.
// Returns false when `progress` asked to stop. `ui` must take reports from several
// threads at once (RecordingUi does): the engine's own traps report there as they would
// in a tick, once for each pixel computed (so once where the scan visits a pixel
// twice), in no fixed order. A run-time error that a tick's trap would catch stops every
// thread and is raised again here, with the pictures untouched, unless there is no
// thumbnail: the colours then go straight into `finalImage`, which a stop or an error
// leaves part drawn.
bool DrawFinalStage(const FinalStageInput& input, Ui& ui, const ParallelFinalOptions& options,
                    Picture& finalImage, Picture* thumbnail);

// The full-size picture's rows [firstRow, endRow) alone, into `rows` (the board's
// width a row, firstRow's row first), which must hold the centre colour: what a poster
// is drawn with a band at a time. Every pixel gets the colour the full picture gives it,
// since a pixel's colour depends on nothing but its place. The stride is taken as 1 (a
// band is never of the small picture). Returns false when `progress` asked to stop;
// errors as DrawFinalStage's without a thumbnail.
bool DrawFinalRows(const FinalStageInput& input, Ui& ui, const ParallelFinalOptions& options, int32_t firstRow,
                   int32_t endRow, int32_t* rows);

}  // namespace marvane
