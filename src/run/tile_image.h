#pragma once
// Taking a new tile on the desktop: loading it onto the first work surface, checking its
// size, preparing the square and running the squaring job (which goes on to the tile
// grid).
#include <cstdint>
#include <string>

#include "run/app_state.h"
#include "run/tile_square.h"

namespace marvane {

class Pipeline;
class Ui;

// Checks the tile's size limits (10 to 300 pixels a side), estimates its mean colour,
// prepares the square in TileImage and runs job 1 through LaunchAction. False after the
// size message (beep, "Each dimension ...", titled "Change Tile Image") or an error
// (titled "SquareImage"); true once the job has run.
bool SquareImage(Pipeline& pipeline, AppState& s, Ui& ui);

// The tile-change steps after the file is chosen: `file` becomes the tile file, is
// loaded onto the first work surface, marks the grid for redrawing, and is squared
// (and the grid rebuilt) by SquareImage; the squared tile then goes to the third work
// surface. A file that cannot be loaded is reported by the loader ("Load Size Image")
// and changes nothing, not even the tile file's name. A tile of the wrong size stays
// loaded on the work surface after the size message, with its measures, and the grid
// is marked for redrawing. Returns whether the squaring job ran.
bool TakeNewTile(Pipeline& pipeline, AppState& s, Ui& ui, const std::string& file);

}  // namespace marvane
