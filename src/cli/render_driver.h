#pragma once
// marvane-render's work: the desktop's pipeline on an application state filled from the
// flags, with the final stage run by the fast path (or, with --sequential, by the
// pipeline's own ticks), and the pictures written by the renderer itself.
//
// The order is the desktop's: start-up's values (defaults, settings file, then the
// flags in the console's place), a new tile taken as the tile button takes it (loaded,
// squared and the grid built, in one job), then "Create Final Image". With --grid the
// grid is loaded instead, as start-up loads "TileGrid.bmp", and the tile's mean colour
// is estimated from it; the tile is then not squared, and --keep's square.bmp is the
// tile as loaded, as the console shows it after start-up. The pipeline never writes a
// file here: neither the squared tile beside the user's tile nor SaveFinal's output.
#include <iosfwd>

#include "cli/render_options.h"
#include "run/app_state.h"

namespace marvane {

// Everything before the tile: the pipeline's file writing off, the seed or the given
// tile colour, the board-sized surfaces, the console's values (checked) and the engine's
// copies of them with the spiral and the grid layout, as start-up makes them. Raises
// RenderFailure. The benchmarks start from here too.
void SetUpRenderState(const RenderOptions& options, AppState& s);

// The whole render. Prints the summary (when verbose) and every error on `err`, the
// progress line only when `terminal` says `err` is one. Returns the exit status; on any
// error no file has been written or changed.
int RunRender(const RenderOptions& options, std::ostream& err, bool terminal);

// The command: argv read, then RunRender. Returns the exit status.
int RenderMain(int argc, const char* const* argv);

}  // namespace marvane
