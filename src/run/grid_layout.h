#pragma once
#include "run/app_state.h"

namespace marvane {

// The tile-grid cell from the outer piece width: side T = its floor, period T + 1, and
// half a cell, T x 0.5 rounded halves to even (49 gives 24, 50 gives 25, 51 gives 26).
void SetGridLayout(AppState& s);

// The number of parts from the console's box (its leading number, rounded), then the
// spiral for it, then the grid's layout: what start-up, the tile-grid stage, the
// renderer and the preview all set up the same way. A number beyond its type is
// "Overflow".
void SetPartsAndLayout(AppState& s);

}  // namespace marvane
