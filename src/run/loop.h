#pragma once
// Seamless loops. The spiral's rings shrink by one fixed ratio, so a zoom outward by one
// whole ring shows the same picture again; the spectrum is a circle of 427 colours, so
// a turn by all of them does too. A loop of N frames shows frame i with the ring
// coordinate moved by i/N of a ring ("zoom"), every spectrum index turned by 427 i/N
// entries ("hue"), or both; frame N would be frame 0 again, so the loop has no seam.
// Frame 0 is the still picture of the same values, byte for byte.
//
// The tile grid is built once; each frame is one final-image stage over it with its own
// shift and centre colour. Frames are drawn one per core, each on its own thread, with
// the threads shared out within frames when there are more cores than frames.
//
// Outputs, by the name's ending, each complete or absent (OutputFile):
// - NAME.webp: an animated WebP, lossless unless a quality is given. Its frames are held
//   (encoded) until the file is put together, as the format asks.
// - NAME.mp4 (H.264), NAME.webm (VP9) and NAME.gif: made by the ffmpeg program, the
//   frames handed to it in order as they are drawn through a buffer of a few frames, so
//   that memory does not grow with the number of frames.
// - FOLDER/: one PNG a frame, frame-0000.png, frame-0001.png, ... (four digits hold every
//   frame up to kMostFrames and sort in frame order). All are put in place at the end; a
//   failed run removes what it wrote and the folder if it made it, and leaves frames of
//   other runs alone, so that several machines can fill one folder and a join makes
//   one loop of it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/final_colour.h"
#include "platform/picture_files.h"
#include "platform/video_encoder.h"
#include "run/render_input.h"

namespace marvane {

class RecordingUi;

// The most frames of a loop. A loop shows one ring's zoom or one turn of the spectrum:
// 3600 frames are two and a half minutes of it at 24 frames a second, far slower than
// anyone watches a loop, and already some 2.5 GB as a lossless WebP of the desktop's
// board, near the 4 GB that one WebP file can hold. It also keeps frame numbers within
// four digits.
inline constexpr int32_t kMostFrames = 3600;
inline constexpr int32_t kDefaultFrames = 48;
inline constexpr int32_t kMostFps = 60;
inline constexpr double kDefaultFps = 24;

enum class LoopMode { Zoom, Hue, Both };

// What a loop's name asks for: a frame folder ends in "/", the rest go by their ending.
enum class LoopOutput { WebP, Video, Frames, Unknown };
LoopOutput LoopOutputOf(const std::string& name);

struct LoopSpec {
  LoopMode mode = LoopMode::Zoom;
  int32_t frames = kDefaultFrames;
  double fps = kDefaultFps;
  std::optional<double> quality;  // 0 to 100; none: WebP lossless, video at its default
  int32_t first = 0, end = kDefaultFrames;  // the frames to make: first to end - 1
  std::string output;             // NAME.webp, NAME.mp4, NAME.webm, NAME.gif or FOLDER/
  std::optional<VideoFormat> format;  // a video whose name says no format (a pipe, /dev/stdout)
  bool small = false;             // frames of the small picture instead of the full-size one
  int32_t pixelsPerMetre = kScreenPixelsPerMetre;  // the resolution PNG frames record
};

struct LoopRun {
  int32_t threads = 0;       // every thread in use; 0: one per core
  int32_t framesAtOnce = 0;  // frames drawn side by side; 0: decided from the cores
  // Called on the calling thread as frames are done (done, total); false stops the loop,
  // and nothing is written.
  std::function<bool(int32_t, int32_t)> progress;
  // A warning worth a line (a video larger than phones play); may be empty.
  std::function<void(const std::string&)> warn;
};

// What `spec` writes: its format if it names one, else what its name asks for.
LoopOutput LoopOutputOf(const LoopSpec& spec);

// Frame i of `frames` for `mode`. The hue turn of frame `frames` is 0, a whole turn: 427
// is odd, so adding it could round a half of an index the other way and spoil the
// loop's last step; the ring phase reaches 1 and lands on frame 0 by its own arithmetic
// (FinalPixelKernel::RingOf).
FrameShift FrameShiftOf(LoopMode mode, int32_t i, int32_t frames);

// "frame-0007.png" for frame 7.
std::string FrameFileName(int32_t i);

// How long frame i of a loop at `fps` frames a second shows, in whole milliseconds:
// the differences of the rounded times at which frames start, so that the loop lasts
// its exact length (at 24 frames a second: 42, 41, 42, 42, 41, 42, ...).
int32_t FrameDurationMs(int32_t i, double fps);

// Draws and writes frames spec.first to spec.end - 1 of `input` over the tile grid `grid`. Engine errors are reported to `ui` and end the
// loop with nothing written (the caller reads them). Raises RunTimeError when a file
// cannot be written; nothing is written then either. Returns false when run.progress
// asked to stop.
bool MakeLoop(const LoopSpec& spec, const RenderInput& input, const Picture& grid, RecordingUi& ui,
              const LoopRun& run);

// The frames frame-0000.png, frame-0001.png, ... of `folder` as one loop `spec.output`
// (WebP or video; spec.frames and spec.first/end are ignored). Raises RunTimeError naming
// what is wrong (no frames, a missing one, one of another size, one that is no
// picture); nothing is written then.
bool JoinLoop(const std::string& folder, const LoopSpec& spec, const LoopRun& run);

}  // namespace marvane
