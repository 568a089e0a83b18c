#pragma once
// marvane-render's work. The flags are checked first, every one, into one RenderJob;
// then the job runs: the tile loaded and squared and the tile grid built (or a saved grid
// loaded), the render's input made from the console's values, the picture or the loop
// drawn on every core, and the files written, all or none.
//
// The order and the values are the desktop's: start-up's values (defaults, settings
// file, then the flags in the console's place), a new tile as the tile button takes it,
// then "Create Final Image". With --grid the grid is loaded instead, as start-up loads
// "TileGrid.bmp", and the tile's mean colour is estimated from it; the tile is then not
// squared, and --keep's square.bmp is the tile as loaded, as the console shows it after
// start-up. --sequential runs the desktop's own job instead, tick by tick, to the same
// bytes (cli/render_sequential.h).
#include <cstdint>
#include <iosfwd>
#include <optional>

#include "cli/render_options.h"
#include "cli/render_progress.h"
#include "colour/chroma.h"
#include "console/console_model.h"
#include "console/settings.h"
#include "engine/geometry.h"
#include "platform/picture.h"

namespace marvane {

class RecordingUi;

// What to render, checked: the board, the console's values (defaults, the settings file,
// the flags), the seed (the clock's when none is given, so that a render can be
// repeated) and the tile colour given instead of sampling the tile.
struct RenderJob {
  BoardConstants board;
  SettingsMirror settings;
  ConsoleModel console;
  uint64_t seed = 0;
  std::optional<Chroma> tileColour;
  int32_t pixelsPerMetre = 0;  // the resolution the pictures record
};

// Checks every value of `options` that shapes the picture, before any work: the board and
// the resolution, the seed, the tile colour, the console's values against their ranges,
// and the number boxes' numbers as the engine takes them (a number beyond its type is
// "Overflow").
// Raises RenderFailure. The benchmarks start from here too.
RenderJob CheckedRenderJob(const RenderOptions& options);

// The tile's stages: the squared tile (with --grid the tile as loaded), the tile's mean
// colour as sampled or given, and the tile grid (built once the render's input is made,
// or loaded with --grid).
struct RenderTile {
  Picture square;
  int32_t squareLast = 0;
  Picture grid;
  ChromaExtended colour;
};

// The tile for `job`: loaded, its colour sampled and squared; with --grid the tile and
// the saved grid loaded and the colour sampled from the grid. Raises RenderFailure with
// the reason, naming the flag. `times`, when given, takes the squaring's.
RenderTile MakeRenderTile(const RenderOptions& options, const RenderJob& job, RecordingUi& ui,
                          StageTimes* times = nullptr);

// The whole render. Prints the summary (when verbose) and every error on `err`, the
// progress line only when `terminal` says `err` is one. Returns the exit status; on any
// error no file has been written or changed.
int RunRender(const RenderOptions& options, std::ostream& err, bool terminal);

// The command: argv read, then RunRender. Returns the exit status.
int RenderMain(int argc, const char* const* argv);

}  // namespace marvane
