#pragma once
// --sequential: the desktop's own job, tick by tick, on an application state set up as
// the desktop's is from the same checked values. It gives the bytes of the fast path,
// and stands as the check that it does.
#include "cli/render_driver.h"
#include "cli/render_progress.h"
#include "run/app_state.h"

namespace marvane {

// The desktop's state for `job` before its tile is taken: the pipeline's file writing
// off, the seed or the given tile colour, the board-sized surfaces (the first made large
// enough to hold any tile while it is squared), the console's values and the engine's
// copies of them with the spiral and the grid layout, as start-up makes them.
void SetUpRenderState(const RenderJob& job, AppState& s);

// The tile taken by the tile button's job (or, with --grid, the loaded tile and grid put
// where start-up puts them), then "Create Final Image", every stage through the
// pipeline's ticks. The pictures are left in `s`. Raises RenderFailure.
// `loaded` is the tile and grid that --grid loaded, else null. Returns the tile's mean
// colour as sampled or given (the spectrum match of "Create Final Image" rounds its copy).
Chroma RenderSequential(const RenderOptions& options, const RenderTile* loaded, AppState& s, RecordingUi& ui,
                      StageTimes& times, ProgressLine& progress);

}  // namespace marvane
