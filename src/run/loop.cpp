#include "run/loop.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/animation_files.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "platform/staged_files.h"
#include "platform/ui.h"
#include "run/render_input.h"
#include "run/final_stage_parallel.h"
#include "run/thread_runner.h"
#include "util/general.h"
#include "util/numbers.h"

namespace marvane {

namespace {

// Frames handed on in frame order although they are finished in any: a frame waits for
// its turn to be made until fewer than `window` frames lie between it and the next one
// to hand on, so at most that many are held at once.
class InOrder {
 public:
  InOrder(int32_t first, int32_t window, std::function<void(const Picture&)> put)
      : next_(first), window_(window), put_(std::move(put)) {}

  // False when the loop has stopped meanwhile.
  bool WaitForTurn(int32_t i, const std::atomic<bool>& stop) {
    std::unique_lock lock(mutex_);
    while (i >= next_ + window_ && !broken_ && !stop) changed_.wait_for(lock, std::chrono::milliseconds(50));
    return !broken_ && !stop;
  }

  void Done(int32_t i, Picture frame) {
    std::lock_guard lock(mutex_);
    ready_.emplace(i, std::move(frame));
    try {
      for (auto it = ready_.find(next_); it != ready_.end(); it = ready_.find(next_)) {
        put_(it->second);
        ready_.erase(it);
        ++next_;
      }
    } catch (...) {
      broken_ = true;
      changed_.notify_all();
      throw;
    }
    changed_.notify_all();
  }

 private:
  int32_t next_;
  int32_t window_;
  std::function<void(const Picture&)> put_;
  std::map<int32_t, Picture> ready_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool broken_ = false;
};

// Calls work(k, threadsPerFrame) for k = 0..count-1, `framesAtOnce` at a time, each on
// its own thread, while this thread reports progress. False when the progress asked to
// stop; the first exception stops the others and is raised again here.
bool ForEachFrame(int32_t count, const LoopRun& run, std::atomic<bool>& stop,
                  const std::function<void(int32_t, int32_t)>& work) {
  // Each frame allocates and frees buffers of some megabytes (its picture, the encoder's
  // planes). By default the C library takes those from the system and gives them back
  // at once, and every frame then pays to have fresh pages zeroed: a third of the
  // default loop's time. Kept in the heap instead, they are reused.
  ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
  const int32_t threads = ThreadsToUse(run.threads);
  const int32_t atOnce = std::max(1, std::min(count, run.framesAtOnce > 0 ? run.framesAtOnce : threads));
  const int32_t threadsPerFrame = std::max(1, threads / atOnce);
  std::atomic<int32_t> done{0};
  ForEachItem(
      atOnce, count,
      [&](int64_t k) {
        if (stop) return;
        work(static_cast<int32_t>(k), threadsPerFrame);
        ++done;
      },
      [&] {
        if (run.progress && !stop && !run.progress(done, count)) stop = true;
      });
  return !stop;
}

// Frame i of the loop of `in` over `grid`, drawn on `threads` threads.
Picture DrawFrame(const LoopSpec& spec, const RenderInput& in, const Picture& grid, RecordingUi& ui, int32_t i,
                  int32_t threads) {
  FinalStageInput input = FinalStageInputFor(in, grid, FrameShiftOf(spec.mode, i, spec.frames));
  // The centre colour turns with the rest; frame 0 keeps the still's own.
  EngineState engine = in.engine;
  if (input.shift.hue != 0)
    engine.CenterColor =
        CenterColorAt(ui, *in.spectrum, in.lightStart, in.specStart + static_cast<double>(input.shift.hue));
  input.engine = &engine;
  const BoardConstants& b = in.engine.board;
  Picture frame = spec.small ? Picture(ThumbnailSide(b.BoardWidth), ThumbnailSide(b.BoardHeight), engine.CenterColor.Value)
                             : Picture(b.BoardWidth, b.BoardHeight, engine.CenterColor.Value);
  Picture unused;
  ParallelFinalOptions options;
  options.threads = threads;
  DrawFinalStage(input, ui, options, spec.small ? unused : frame, spec.small ? &frame : nullptr);
  // An engine error (a trap's message) ends the loop as it ends a still.
  if (!ui.Messages().empty()) throw RunTimeError(ui.FirstMessage());
  return frame;
}

std::unique_ptr<OutputFile> OpenVideo(const std::string& path) {
  // A run that was killed leaves its private file beside the name; the next one clears it.
  RemoveLeftoverTemporaries(path);
  return std::make_unique<OutputFile>(
      path, [path](const std::string& why) { return "Cannot save the video \"" + path + "\": " + why; });
}

VideoSettings VideoSettingsFor(const LoopSpec& spec, int32_t width, int32_t height, int32_t frames) {
  VideoSettings v;
  v.format = spec.format ? *spec.format : *VideoFormatOf(spec.output);
  v.width = width;
  v.height = height;
  v.fps = spec.fps;
  v.frames = frames;
  v.quality = spec.quality;
  return v;
}

// The frames of `count`, made by `make(k)` on any thread, into the video `spec.output`.
bool StreamVideo(const LoopSpec& spec, int32_t width, int32_t height, int32_t count, const LoopRun& run,
                 const std::function<Picture(int32_t, int32_t)>& make) {
  const VideoSettings settings = VideoSettingsFor(spec, width, height, count);
  if (const std::string refusal = VideoSizeRefusal(settings); !refusal.empty())
    throw RunTimeError("Cannot save the video \"" + spec.output + "\": " + refusal + ".");
  if (const std::string warning = VideoSizeWarning(settings); !warning.empty() && run.warn) run.warn(warning);
  const std::unique_ptr<OutputFile> out = OpenVideo(spec.output);
  VideoEncoder encoder(settings, *out);
  const int32_t threads = ThreadsToUse(run.threads);
  InOrder inOrder(0, 2 * threads, [&encoder](const Picture& frame) { encoder.Add(frame); });
  std::atomic<bool> stop{false};
  if (!ForEachFrame(count, run, stop, [&](int32_t k, int32_t threadsPerFrame) {
        if (inOrder.WaitForTurn(k, stop)) inOrder.Done(k, make(k, threadsPerFrame));
      }))
    return false;
  encoder.Finish();
  out->Commit();
  return true;
}

}  // namespace

LoopOutput LoopOutputOf(const std::string& name) {
  if (!name.empty() && name.back() == '/') return LoopOutput::Frames;
  if (AsciiLower(name).ends_with(".webp")) return LoopOutput::WebP;
  if (VideoFormatOf(name)) return LoopOutput::Video;
  return LoopOutput::Unknown;
}

LoopOutput LoopOutputOf(const LoopSpec& spec) {
  return spec.format ? LoopOutput::Video : LoopOutputOf(spec.output);
}

FrameShift FrameShiftOf(LoopMode mode, int32_t i, int32_t frames) {
  FrameShift shift;
  if (mode == LoopMode::Zoom || mode == LoopMode::Both) shift.ringPhase = static_cast<double>(i) / frames;
  if (mode == LoopMode::Hue || mode == LoopMode::Both)
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

bool MakeLoop(const LoopSpec& spec, const RenderInput& in, const Picture& grid, RecordingUi& ui,
              const LoopRun& run) {
  const LoopOutput kind = LoopOutputOf(spec);
  const BoardConstants& b = in.engine.board;
  const int32_t width = spec.small ? ThumbnailSide(b.BoardWidth) : b.BoardWidth;
  const int32_t height = spec.small ? ThumbnailSide(b.BoardHeight) : b.BoardHeight;
  const int32_t count = spec.end - spec.first;
  if (kind == LoopOutput::Video)
    return StreamVideo(spec, width, height, count, run, [&](int32_t k, int32_t threads) {
      return DrawFrame(spec, in, grid, ui, spec.first + k, threads);
    });

  StagedFiles files;
  const bool toFolder = kind == LoopOutput::Frames;
  const std::string folder = toFolder ? spec.output.substr(0, spec.output.size() - 1) : std::string();
  if (toFolder) files.MakeFolder(folder);
  std::vector<std::string> encoded(toFolder ? 0 : static_cast<size_t>(count));
  std::atomic<bool> stop{false};
  if (!ForEachFrame(count, run, stop, [&](int32_t k, int32_t threads) {
        const int32_t i = spec.first + k;
        const Picture frame = DrawFrame(spec, in, grid, ui, i, threads);
        if (toFolder)
          files.Add(WritePictureFile(frame, folder + "/" + FrameFileName(i), {}, spec.pixelsPerMetre));
        else
          encoded[static_cast<size_t>(k)] = EncodeWebPFrame(frame, spec.quality);
      }))
    return false;
  if (!toFolder) {
    std::vector<int32_t> durations;
    for (int32_t i = spec.first; i < spec.end; ++i) durations.push_back(FrameDurationMs(i, spec.fps));
    files.Add(WriteWebPAnimationFile(encoded, durations, spec.output));
  }
  files.Commit();
  return true;
}

namespace {

// The frames of a folder by number: frame-DDDD.png; other files are not frames.
std::vector<std::string> FramesIn(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(folder, ec))
    throw RunTimeError("--join " + folder + (fs::exists(folder, ec) ? ": not a folder" : ": the folder does not exist"));
  std::map<int32_t, std::string> found;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != 14 || name.rfind("frame-", 0) != 0 || name.substr(10) != ".png") continue;
    if (!std::all_of(name.begin() + 6, name.begin() + 10, [](char c) { return c >= '0' && c <= '9'; })) continue;
    found[std::stoi(name.substr(6, 4))] = it->path().string();
  }
  if (ec) throw RunTimeError("--join " + folder + ": the folder cannot be read (" + ec.message() + ")");
  if (found.empty())
    throw RunTimeError("--join " + folder + ": no frames in it (" + FrameFileName(0) + ", " + FrameFileName(1) + ", ...)");
  std::vector<std::string> frames;
  for (int32_t i = 0; i < static_cast<int32_t>(found.size()); ++i) {
    if (!found.count(i)) throw RunTimeError("--join " + folder + ": " + FrameFileName(i) + " is missing");
    frames.push_back(found[i]);
  }
  return frames;
}

// Frames must all have the size of the first one looked at.
class SameSize {
 public:
  explicit SameSize(std::string folder) : folder_(std::move(folder)) {}
  void Check(const Picture& frame, int32_t i) {
    const std::lock_guard lock(mutex_);
    if (width_ < 0) width_ = frame.Width(), height_ = frame.Height();
    if (frame.Width() != width_ || frame.Height() != height_)
      throw RunTimeError("--join " + folder_ + ": the frames are not all one size (" + FrameFileName(i) + " is " +
                         WholeNumberText(frame.Width()) + "x" + WholeNumberText(frame.Height()) + ", another " +
                         WholeNumberText(width_) + "x" + WholeNumberText(height_) + ")");
  }

 private:
  std::string folder_;
  std::mutex mutex_;
  int32_t width_ = -1, height_ = -1;
};

Picture LoadFrame(const std::string& path) {
  try {
    return LoadPictureFile(path, 0);
  } catch (const RunTimeError& e) {
    throw RunTimeError("--join: " + std::string(e.what()));
  }
}

}  // namespace

bool JoinLoop(const std::string& folder, const LoopSpec& spec, const LoopRun& run) {
  const std::vector<std::string> frames = FramesIn(folder);
  const int32_t count = static_cast<int32_t>(frames.size());
  SameSize sizes(folder);
  if (LoopOutputOf(spec) == LoopOutput::Video) {
    // The first frame gives the size before anything is started.
    const Picture first = LoadFrame(frames[0]);
    return StreamVideo(spec, first.Width(), first.Height(), count, run, [&](int32_t k, int32_t) {
      Picture frame = k == 0 ? first : LoadFrame(frames[static_cast<size_t>(k)]);
      sizes.Check(frame, k);
      return frame;
    });
  }
  std::vector<std::string> encoded(static_cast<size_t>(count));
  std::atomic<bool> stop{false};
  if (!ForEachFrame(count, run, stop, [&](int32_t k, int32_t) {
        const Picture frame = LoadFrame(frames[static_cast<size_t>(k)]);
        if (frame.Width() > kLargestWebPSide || frame.Height() > kLargestWebPSide)
          throw RunTimeError("--join " + folder + ": " + FrameFileName(k) + " is larger than the " +
                             WholeNumberText(kLargestWebPSide) + " pixels a side of a WebP animation");
        sizes.Check(frame, k);
        encoded[static_cast<size_t>(k)] = EncodeWebPFrame(frame, spec.quality);
      }))
    return false;
  std::vector<int32_t> durations;
  for (int32_t i = 0; i < count; ++i) durations.push_back(FrameDurationMs(i, spec.fps));
  StagedFiles files;
  files.Add(WriteWebPAnimationFile(encoded, durations, spec.output));
  files.Commit();
  return true;
}

}  // namespace marvane
