#pragma once
// One line on the terminal that is written over in place, as a progress line is, and
// wiped when it is no longer wanted (at the latest when it goes). A line that is not
// enabled (no terminal, or --quiet) writes nothing.
#include <ostream>
#include <string>

namespace marvane {

class TerminalLine {
 public:
  TerminalLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
  ~TerminalLine() { Clear(); }
  TerminalLine(const TerminalLine&) = delete;
  TerminalLine& operator=(const TerminalLine&) = delete;

  bool Enabled() const { return enabled_; }
  void Write(const std::string& text) {
    if (!enabled_) return;
    err_ << "\r" << text << "\033[K" << std::flush;
    shown_ = true;
  }
  void Clear() {
    if (shown_) err_ << "\r\033[K" << std::flush;
    shown_ = false;
  }

 private:
  std::ostream& err_;
  bool enabled_;
  bool shown_ = false;
};

}  // namespace marvane
