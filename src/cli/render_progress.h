#pragma once
// What the renderer shows while it works: the progress line on a terminal, and the time
// each stage took for the summary.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>

#include "cli/render_options.h"
#include "cli/terminal_line.h"

namespace marvane {

using RenderClock = std::chrono::steady_clock;

inline double MillisecondsSince(RenderClock::time_point start) {
  return std::chrono::duration<double, std::milli>(RenderClock::now() - start).count();
}

// The progress line, on a terminal only, and only once a stage has run for a moment.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool enabled) : line_(err, enabled) {}

  void Start() { start_ = RenderClock::now(); }
  void Show(const char* stage, double fraction) {
    if (!line_.Enabled() || MillisecondsSince(start_) < 500) return;
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    line_.Write(std::string(kRenderProgramName) + ": " + stage + " " + std::to_string(percent) + "%");
  }
  // "rows 12288 of 65536 (18%), 2 min 40 s left": the time left from the rate so far.
  void ShowRows(int64_t done, int64_t total) {
    const double elapsed = MillisecondsSince(start_);
    if (!line_.Enabled() || elapsed < 500) return;
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    std::string text = std::string(kRenderProgramName) + ": rows " + std::to_string(done) + " of " +
                       std::to_string(total) + " (" + std::to_string(percent) + "%)";
    if (done > 0 && done < total) text += ", " + DurationText(elapsed / 1000 * static_cast<double>(total - done) / done) + " left";
    line_.Write(text);
  }
  // "1 h 5 min", "2 min 40 s", "9 s": a time to the second, in its two largest units.
  static std::string DurationText(double seconds) {
    const int64_t s = std::llround(std::max(seconds, 0.0));
    if (s >= 3600) return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
    if (s >= 60) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s) + " s";
  }
  void Clear() { line_.Clear(); }

 private:
  TerminalLine line_;
  RenderClock::time_point start_ = RenderClock::now();
};

// The milliseconds of each stage.
struct StageTimes {
  double load = 0, square = 0, grid = 0, final = 0, save = 0;
};

}  // namespace marvane
