#pragma once
// The desktop's "Make loop...": the seamless loop (run/loop.h) of the values now on the
// console, made on another thread from a snapshot of them, the live preview's
// (run/preview.h): the sliders, the rotation list and the quadrant boxes as they stand,
// the three number boxes as last accepted, the tile's mean colour as the desktop holds
// it. The console's "Output image" choice picks the frames' size: the small picture or
// the full-size one.
//
// The tile grid is the desktop's own while it fits the values (it is not marked for
// redrawing and the rotation list shows the rotation it was built with). Then the file
// is the one
//   marvane-render --animate MODE --grid TileGrid.bmp --tile-color R,G,B ...
// makes with the console's values, where TileGrid.bmp holds the desktop's grid and R,G,B
// its tile colour. When the grid does not fit (a new number of parts or rotation since
// the last "Create Final Image"), the loop builds the grid the next "Create Final Image"
// would build, from the squared tile, on its own thread, as the live preview does, and
// leaves the desktop's grid alone: the loop's frame 0 is always the picture "Create
// Final Image" would make now.
#include <cstdint>
#include <functional>
#include <string>

#include "run/app_state.h"
#include "run/loop.h"
#include "run/preview.h"

namespace marvane {

struct DesktopLoopRequest {
  PreviewRequest values;  // the number boxes as accepted; the output choice kept
  LoopSpec spec;          // every frame, of the size the console's output choice asks
};

// Takes what the loop needs from the desktop's state (on the thread that owns it):
// `spec`'s mode, frames, frames a second, quality and file, and the rest from `s`.
DesktopLoopRequest MakeDesktopLoopRequest(const AppState& s, const LoopSpec& spec);

// What the loop is doing, for its progress window.
enum class LoopStep { TileGrid, Frames };

// How a loop ended: written, stopped (nothing written), or stopped by an error, shown
// as the desktop's traps show one (title and text); nothing is written then either.
struct DesktopLoopOutcome {
  bool written = false;
  std::string title, text;  // the error; empty when there was none
};

// Makes the loop of `request`, writing spec.output complete or not at all. `progress`
// (step, fraction done) is called from this thread while frames are made and from any
// of the grid's threads while a grid is built; false stops the loop. `threads`: 0 means
// one per core.
DesktopLoopOutcome MakeDesktopLoop(const DesktopLoopRequest& request,
                                   const std::function<bool(LoopStep, double)>& progress, int32_t threads = 0);

}  // namespace marvane
