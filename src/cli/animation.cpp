#include "cli/animation.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <system_error>

#include "cli/render_failure.h"
#include "cli/terminal_line.h"
#include "platform/animation_files.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "platform/video_encoder.h"
#include "util/numbers.h"

namespace marvane {

namespace {

using Clock = std::chrono::steady_clock;

// The bar on a terminal: frames done, frames a second, the time left.
class FrameProgress {
 public:
  FrameProgress(std::ostream& err, bool enabled) : line_(err, enabled) {}
  bool Show(int32_t done, int32_t total) {
    if (!line_.Enabled()) return true;
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    constexpr int kWidth = 24;
    const int filled = static_cast<int>(static_cast<int64_t>(kWidth) * done / std::max(total, 1));
    std::ostringstream text;
    text << kRenderProgramName << ": [" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kWidth - filled), '.') << "] " << done << "/" << total << " frames";
    if (done > 0 && seconds > 0) {
      const double rate = done / seconds;
      text << ", " << std::fixed << std::setprecision(1) << rate << " frames/s, "
           << std::llround((total - done) / rate) << " s left";
    }
    line_.Write(text.str());
    return true;
  }
  void Clear() { line_.Clear(); }

 private:
  TerminalLine line_;
  Clock::time_point start_ = Clock::now();
};

LoopSpec SpecOf(const RenderOptions& o, const AnimationValues& a) {
  LoopSpec spec;
  const std::string mode = o.animate.value_or("zoom");
  spec.mode = mode == "hue" ? LoopMode::Hue : mode == "both" ? LoopMode::Both : LoopMode::Zoom;
  spec.frames = a.frames;
  spec.fps = a.fps;
  spec.quality = a.quality;
  spec.first = a.first;
  spec.end = a.end;
  spec.output = OutputPathOf(o);
  if (o.format) spec.format = VideoFormatOf("." + *o.format);
  spec.small = o.small;
  spec.pixelsPerMetre = a.pixelsPerMetre;
  return spec;
}

LoopRun RunOf(const AnimationRun& run, FrameProgress& bar, std::ostream& err) {
  LoopRun loop;
  loop.threads = run.threads;
  loop.framesAtOnce = run.framesAtOnce;
  loop.progress = [&bar](int32_t done, int32_t total) { return bar.Show(done, total); };
  if (!run.quiet) loop.warn = [&err](const std::string& text) { err << kRenderProgramName << ": warning: " << text << "\n"; };
  return loop;
}

}  // namespace

void CheckAnimationDestination(const RenderOptions& o, int32_t width, int32_t height) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const LoopOutput kind = o.format ? LoopOutput::Video : LoopOutputOf(o.output);
  if (kind == LoopOutput::Frames) {
    const fs::path folder = fs::path(o.output).parent_path();  // "frames/" -> "frames"
    const fs::path parent = folder.parent_path().empty() ? fs::path(".") : folder.parent_path();
    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec))
      throw BadInput("--output " + o.output + ": \"" + folder.string() + "\" is not a folder");
    if (!fs::is_directory(parent, ec))
      throw BadInput("--output " + o.output + ": the folder \"" + parent.string() + "\" does not exist");
    return;
  }
  CheckOutputFile(o.output);
  if (width <= 0) return;  // a join: the frames give the size
  if (kind == LoopOutput::WebP && (width > kLargestWebPSide || height > kLargestWebPSide))
    throw BadInput("--board: a WebP animation is at most " + WholeNumberText(kLargestWebPSide) +
                   " pixels a side; write the frames into a folder instead");
  if (kind == LoopOutput::Video) {
    VideoSettings v;
    v.format = o.format ? *VideoFormatOf("." + *o.format) : *VideoFormatOf(o.output);
    v.width = width;
    v.height = height;
    if (const std::string refusal = VideoSizeRefusal(v); !refusal.empty())
      throw BadInput("--board: " + refusal + "; write the frames into a folder instead");
  }
}

void RenderAnimation(const RenderOptions& o, const AnimationValues& a, const RenderInput& input, const Picture& grid,
                     RecordingUi& ui, std::ostream& err, const AnimationRun& run) {
  FrameProgress bar(err, run.progress);
  try {
    MakeLoop(SpecOf(o, a), input, grid, ui, RunOf(run, bar, err));
  } catch (const RunTimeError& e) {
    bar.Clear();
    throw BadInput(e.what());
  }
  bar.Clear();
}

void JoinAnimation(const RenderOptions& o, const AnimationValues& a, std::ostream& err, const AnimationRun& run) {
  CheckAnimationDestination(o, 0, 0);
  FrameProgress bar(err, run.progress);
  try {
    JoinLoop(*o.join, SpecOf(o, a), RunOf(run, bar, err));
  } catch (const RunTimeError& e) {
    bar.Clear();
    throw BadInput(e.what());
  }
  bar.Clear();
}

}  // namespace marvane
