#pragma once
// Seamless loops. The spiral's rings shrink by one fixed ratio, so a zoom outward by one
// whole ring shows the same picture again; the spectrum is a circle of 427 colours, so
// a turn by all of them does too. An animation of N frames shows frame i with the ring
// coordinate moved by i/N of a ring ("zoom"), every spectrum index turned by 427 i/N
// entries ("hue"), or both; frame N would be frame 0 again, so the loop has no seam.
// Frame 0 is the still picture of the same values, byte for byte.
//
// The tile grid is built once; each frame is one final-image stage over it with its
// own shift and centre colour. Frames are drawn one per core, each on its own thread
// (faster than one frame at a time on every core: the frames need no thumbnail replay
// and no joining of threads between them, and the encoding of each frame runs on its
// thread too), with the threads shared out within frames when there are more cores
// than frames.
//
// Outputs, all written or none: NAME.webp, an animated WebP (lossless, or lossy with
// --quality), and FOLDER/, one PNG a frame named frame-0000.png, frame-0001.png, ...
// (four digits hold every frame up to kMostFrames and sort in frame order). Each frame
// file is staged under a private name and all are renamed into place at the end; a
// failed run removes what it staged and the folder if it made it, and leaves frames of
// other runs in an existing folder alone, so that two machines may fill one folder with
// --frame-range and --join make one loop of it.
#include <cstdint>
#include <iosfwd>
#include <string>

#include "cli/render_options.h"
#include "cli/render_values.h"
#include "engine/final_colour.h"
#include "run/app_state.h"

namespace marvane {

class RecordingUi;

// Frame i of `frames` for --animate `mode` (zoom, hue or both). The hue turn of frame
// `frames` is 0, a whole turn: 427 is odd, so adding it could round a half of an index
// the other way and spoil the loop's last step; the ring phase reaches 1 and lands on
// frame 0 by its own arithmetic (FinalPixelKernel::RingOf).
FrameShift FrameShiftOf(const std::string& mode, int32_t i, int32_t frames);

// "frame-0007.png" for frame 7.
std::string FrameFileName(int32_t i);

// How long frame i of a loop at `fps` frames a second shows, in whole milliseconds:
// the differences of the rounded times at which frames start, so that the loop lasts
// its exact length (at 24 frames a second: 42, 41, 42, 42, 41, 42, ...).
int32_t FrameDurationMs(int32_t i, double fps);

// Checks the animation's output name before any work: a frame folder's parent and a
// file's folder must be there, a file name must not be a folder. Raises RenderFailure.
void CheckAnimationDestination(const RenderOptions& options);

struct AnimationRun {
  int32_t threads = 0;        // every thread in use; 0: one per core
  int32_t framesAtOnce = 0;   // frames drawn side by side; 0: decided from the cores
  bool progress = false;      // show the progress bar on `err`
};

// Draws and writes frames values.first to values.end - 1 of a state that
// PrepareFinalImage prepared, with the tile grid built. Engine errors are reported to
// `ui`; the caller checks it. Raises RenderFailure or RunTimeError; nothing is written
// then.
void RenderAnimation(const RenderOptions& options, const AnimationValues& values, AppState& s, RecordingUi& ui,
                     std::ostream& err, const AnimationRun& run);

// --join: the frames frame-0000.png, frame-0001.png, ... of a folder, as one animated
// WebP. Raises RenderFailure naming what is wrong (no frames, a missing one, one of
// another size, one that is no picture); nothing is written then.
void JoinAnimation(const RenderOptions& options, const AnimationValues& values, std::ostream& err,
                   const AnimationRun& run);

}  // namespace marvane
