#pragma once
// What the renderer shows while it works: the progress line on a terminal, and the time
// each stage took for the summary.
#include <algorithm>
#include <chrono>
#include <cmath>
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
