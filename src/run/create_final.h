#pragma once
// "Create Final Image": reading the console, preparing the colours and the spiral, and
// launching the job. The desktop handler and the headless renderer share it.
#include <cstdint>

#include "run/app_state.h"
#include "run/render_input.h"

namespace marvane {

class Pipeline;
class Ui;

// Everything the handler does before it launches the job: the engine values from the
// console, the spectrum, the centre colour and the tile's hue offset, the spiral, the
// background of both output pictures, the stride, and the scan start. Returns the job
// to launch: 2 when the grid must be rebuilt first, else 3. Errors go to the caller.
int32_t PrepareFinalImage(AppState& s, Ui& ui);

// The whole handler, with its error trap titled "CreateFinal_Click".
void CreateFinalClick(Pipeline& pipeline, AppState& s, Ui& ui);

}  // namespace marvane
