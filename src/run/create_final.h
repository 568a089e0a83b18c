#pragma once
// "Create Final Image": reading the console, preparing the colours and the spiral, and
// launching the job. The desktop handler and the headless renderer share it.
#include <cstdint>

#include "run/app_state.h"

namespace marvane {

class Pipeline;
class Ui;

// The engine's working copies of the console: rotation, the two shifts (slider x 0.01),
// and the leading numbers of the smallest-radius and fade-width boxes. Start-up and
// "Create Final Image" both take them; a number beyond its type is "Overflow".
void EngineValuesFromConsole(AppState& s);

// The centre colour for the spectrum index `index` (the "Color tone at center" slider's
// value, or that plus a frame's hue turn), at the "Brightness at center" slider's level:
// the unlimited factor scales the white level, the one limited to 1 the spread.
ChromaExtended CenterColorAt(Ui& ui, const AppState& s, double index);

// Everything the handler does before it launches the job: the engine values from the
// console, the spectrum, the centre colour and the tile's hue offset, the spiral, the
// background of both output pictures, the stride, and the scan start. Returns the job
// to launch: 2 when the grid must be rebuilt first, else 3. Errors go to the caller.
int32_t PrepareFinalImage(AppState& s, Ui& ui);

// The whole handler, with its error trap titled "CreateFinal_Click".
void CreateFinalClick(Pipeline& pipeline, AppState& s, Ui& ui);

// The thumbnail's size for a board: a quarter of each side, rounded up, so that every
// board pixel's quarter has a place (640 x 480 gives 160 x 120, 793 x 573 199 x 144).
int32_t ThumbnailSide(int32_t boardSide);

}  // namespace marvane
