#include "cli/animation.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <system_error>
#include <vector>

#include "cli/render_failure.h"
#include "cli/staged_files.h"
#include "cli/terminal_line.h"
#include "platform/animation_files.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "run/create_final.h"
#include "run/final_stage_parallel.h"
#include "util/numbers.h"

namespace marvane {

namespace {

using Clock = std::chrono::steady_clock;

// The largest side libwebp encodes.
constexpr int32_t kLargestWebPSide = 16383;

RenderFailure BadInput(const std::string& text) { return RenderFailure(kExitBadInput, text); }

bool IsFolderName(const std::string& name) { return !name.empty() && name.back() == '/'; }

// The bar on a terminal: frames done, frames a second, the time left.
class FrameProgress {
 public:
  FrameProgress(std::ostream& err, bool enabled, int32_t total) : line_(err, enabled), total_(total) {}
  void Show(int32_t done) {
    if (!line_.Enabled()) return;
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    constexpr int kWidth = 24;
    const int filled = static_cast<int>(static_cast<int64_t>(kWidth) * done / std::max(total_, 1));
    std::ostringstream text;
    text << kRenderProgramName << ": [" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kWidth - filled), '.') << "] " << done << "/" << total_ << " frames";
    if (done > 0 && seconds > 0) {
      const double rate = done / seconds;
      text << ", " << std::fixed << std::setprecision(1) << rate << " frames/s, "
           << std::llround((total_ - done) / rate) << " s left";
    }
    line_.Write(text.str());
  }
  void Clear() { line_.Clear(); }

 private:
  TerminalLine line_;
  int32_t total_;
  Clock::time_point start_ = Clock::now();
};

// Calls work(k, threadsPerFrame) for k = 0..count-1, `framesAtOnce` at a time, each on
// its own thread, while this thread keeps the progress bar. The first exception stops
// the others before their next frame and is raised again here.
void ForEachFrame(int32_t count, const AnimationRun& run, std::ostream& err,
                  const std::function<void(int32_t, int32_t)>& work) {
  // Each frame allocates and frees buffers of some megabytes (its picture, the WebP
  // encoder's planes). By default the C library takes those from the system and gives
  // them back at once, and every frame then pays to have fresh pages zeroed: a third
  // of the default loop's time. Kept in the heap instead, they are reused.
  ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
  const int32_t threads = run.threads > 0 ? run.threads : AvailableCores();
  const int32_t atOnce = std::max(1, std::min(count, run.framesAtOnce > 0 ? run.framesAtOnce : threads));
  const int32_t threadsPerFrame = std::max(1, threads / atOnce);
  std::atomic<int32_t> done{0};
  FrameProgress bar(err, run.progress, count);
  ForEachItem(
      atOnce, count,
      [&](int64_t k) {
        work(static_cast<int32_t>(k), threadsPerFrame);
        ++done;
      },
      [&] { bar.Show(done); });
  bar.Clear();
}

}  // namespace

FrameShift FrameShiftOf(const std::string& mode, int32_t i, int32_t frames) {
  FrameShift shift;
  if (mode == "zoom" || mode == "both") shift.ringPhase = static_cast<double>(i) / frames;
  if (mode == "hue" || mode == "both")
    shift.hue = static_cast<long double>(kSpectrumSize) * (i % frames) / frames;
  return shift;
}

std::string FrameFileName(int32_t i) {
  std::string digits = WholeNumberText(i);
  return "frame-" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits + ".png";
}

int32_t FrameDurationMs(int32_t i, double fps) {
  const auto startOf = [fps](int32_t k) { return std::llround(1000.0 * k / fps); };
  return static_cast<int32_t>(startOf(i + 1) - startOf(i));
}

void CheckAnimationDestination(const RenderOptions& o) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (IsFolderName(o.output)) {
    const fs::path folder = fs::path(o.output).parent_path();  // "frames/" -> "frames"
    const fs::path parent = folder.parent_path().empty() ? fs::path(".") : folder.parent_path();
    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec))
      throw BadInput("--output " + o.output + ": \"" + folder.string() + "\" is not a folder");
    if (!fs::is_directory(parent, ec))
      throw BadInput("--output " + o.output + ": the folder \"" + parent.string() + "\" does not exist");
    return;
  }
  CheckOutputFile(o.output);
}

void RenderAnimation(const RenderOptions& o, const AnimationValues& a, AppState& s, RecordingUi& ui,
                     std::ostream& err, const AnimationRun& run) {
  const bool toFolder = IsFolderName(o.output);
  const FinalStageInput still = FinalStageInputOf(s);
  const int32_t width = o.small ? s.Thumbnail.Width() : s.FinalImage.Width();
  const int32_t height = o.small ? s.Thumbnail.Height() : s.FinalImage.Height();
  if (!toFolder && (width > kLargestWebPSide || height > kLargestWebPSide))
    throw BadInput("--board: a WebP animation is at most " + WholeNumberText(kLargestWebPSide) +
                   " pixels a side; write the frames into a folder instead");
  const std::string mode = *o.animate;
  const int32_t count = a.end - a.first;

  StagedFiles files;
  const std::string folder = toFolder ? o.output.substr(0, o.output.size() - 1) : std::string();
  try {
    if (toFolder) files.MakeFolder(folder);
  } catch (const RunTimeError& e) {
    throw BadInput(e.what());
  }
  std::vector<std::string> encoded(toFolder ? 0 : static_cast<size_t>(count));
  ForEachFrame(count, run, err, [&](int32_t k, int32_t threadsPerFrame) {
    const int32_t i = a.first + k;
    FinalStageInput input = still;
    input.shift = FrameShiftOf(mode, i, a.frames);
    // The centre colour turns with the rest; frame 0 keeps the still's own.
    EngineState engine = s.engine;
    if (input.shift.hue != 0)
      engine.CenterColor = CenterColorAt(ui, s, s.console.SpecStart + static_cast<double>(input.shift.hue));
    input.engine = &engine;
    Picture frame(width, height, engine.CenterColor.Value);
    Picture unused;
    ParallelFinalOptions options;
    options.threads = threadsPerFrame;
    DrawFinalStage(input, ui, options, o.small ? unused : frame, o.small ? &frame : nullptr);
    // An engine error (a trap's message) ends the animation as it ends a still.
    if (const auto messages = ui.Messages(); !messages.empty()) {
      const auto& m = messages.front();
      throw BadInput(m.title.empty() ? m.text : m.title + ": " + m.text);
    }
    if (toFolder)
      files.Add(WritePictureFile(frame, folder + "/" + FrameFileName(i)));
    else
      encoded[static_cast<size_t>(k)] = EncodeWebPFrame(frame, a.quality);
  });
  try {
    if (!toFolder) {
      std::vector<int32_t> durations;
      for (int32_t i = a.first; i < a.end; ++i) durations.push_back(FrameDurationMs(i, a.fps));
      files.Add(WriteWebPAnimationFile(encoded, durations, o.output));
    }
    files.Commit();
  } catch (const RunTimeError& e) {
    throw BadInput(e.what());
  }
}

void JoinAnimation(const RenderOptions& o, const AnimationValues& a, std::ostream& err, const AnimationRun& run) {
  namespace fs = std::filesystem;
  const std::string& folder = *o.join;
  std::error_code ec;
  if (!fs::is_directory(folder, ec))
    throw BadInput("--join " + folder + (fs::exists(folder, ec) ? ": not a folder" : ": the folder does not exist"));
  CheckAnimationDestination(o);
  // frame-DDDD.png, by number; other files are not frames.
  std::map<int32_t, std::string> found;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != 14 || name.rfind("frame-", 0) != 0 || name.substr(10) != ".png") continue;
    if (!std::all_of(name.begin() + 6, name.begin() + 10, [](char c) { return c >= '0' && c <= '9'; })) continue;
    found[std::stoi(name.substr(6, 4))] = it->path().string();
  }
  if (ec) throw BadInput("--join " + folder + ": the folder cannot be read (" + ec.message() + ")");
  if (found.empty()) throw BadInput("--join " + folder + ": no frames in it (" + FrameFileName(0) + ", " + FrameFileName(1) + ", ...)");
  const int32_t count = static_cast<int32_t>(found.size());
  for (int32_t i = 0; i < count; ++i)
    if (!found.count(i)) throw BadInput("--join " + folder + ": " + FrameFileName(i) + " is missing");

  std::vector<std::string> encoded(static_cast<size_t>(count));
  std::mutex mutex;
  int32_t firstWidth = -1, firstHeight = -1;
  ForEachFrame(count, run, err, [&](int32_t i, int32_t) {
    Picture frame;
    try {
      frame = LoadPictureFile(found[i], 0);
    } catch (const RunTimeError& e) {
      throw BadInput("--join: " + std::string(e.what()));
    }
    if (frame.Width() > kLargestWebPSide || frame.Height() > kLargestWebPSide)
      throw BadInput("--join " + folder + ": " + FrameFileName(i) + " is larger than the " +
                     WholeNumberText(kLargestWebPSide) + " pixels a side of a WebP animation");
    {
      // Every frame must have the size of the first one looked at.
      const std::lock_guard lock(mutex);
      if (firstWidth < 0) firstWidth = frame.Width(), firstHeight = frame.Height();
      if (frame.Width() != firstWidth || frame.Height() != firstHeight)
        throw BadInput("--join " + folder + ": the frames are not all one size (" + FrameFileName(i) + " is " +
                       WholeNumberText(frame.Width()) + "x" + WholeNumberText(frame.Height()) + ", another " +
                       WholeNumberText(firstWidth) + "x" + WholeNumberText(firstHeight) + ")");
    }
    encoded[static_cast<size_t>(i)] = EncodeWebPFrame(frame, a.quality);
  });
  std::vector<int32_t> durations;
  for (int32_t i = 0; i < count; ++i) durations.push_back(FrameDurationMs(i, a.fps));
  StagedFiles files;
  try {
    files.Add(WriteWebPAnimationFile(encoded, durations, o.output));
    files.Commit();
  } catch (const RunTimeError& e) {
    throw BadInput(e.what());
  }
}

}  // namespace marvane
