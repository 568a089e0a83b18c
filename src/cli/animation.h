#pragma once
// The renderer's loops (run/loop.h): the flags turned into what to make, checked before
// any work, and the progress bar on the terminal.
#include <cstdint>
#include <iosfwd>
#include <string>

#include "cli/render_options.h"
#include "cli/render_values.h"
#include "run/render_input.h"
#include "run/loop.h"

namespace marvane {

class RecordingUi;

// Checks the loop's output name before any work: a known ending (.webp, .mp4, .webm,
// .gif) or a frame folder FOLDER/; a frame folder's parent and a file's folder must be
// there, a file name must not be a folder; a picture too large for the format is
// refused. Raises RenderFailure.
void CheckAnimationDestination(const RenderOptions& options, int32_t width, int32_t height);

struct AnimationRun {
  int32_t threads = 0;        // every thread in use; 0: one per core
  int32_t framesAtOnce = 0;   // frames drawn side by side; 0: decided from the cores
  bool progress = false;      // show the progress bar on `err`
  bool quiet = false;         // no warnings either
};

// Draws and writes frames values.first to values.end - 1 of `input` over the tile grid
// `grid`. Raises RenderFailure or RunTimeError; nothing is written then.
void RenderAnimation(const RenderOptions& options, const AnimationValues& values, const RenderInput& input,
                     const Picture& grid, RecordingUi& ui, std::ostream& err, const AnimationRun& run);

// --join: the frames frame-0000.png, frame-0001.png, ... of a folder as one loop. Raises
// RenderFailure naming what is wrong; nothing is written then.
void JoinAnimation(const RenderOptions& options, const AnimationValues& values, std::ostream& err,
                   const AnimationRun& run);

}  // namespace marvane
