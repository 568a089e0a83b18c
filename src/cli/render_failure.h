#pragma once
// Why a render stopped: the text names what was wrong, the status is the exit status
// (kExitBadInput or kExitBadUsage).
#include <stdexcept>
#include <string>

namespace marvane {

// The exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBadInput = 1;
inline constexpr int kExitBadUsage = 2;

class RenderFailure : public std::runtime_error {
 public:
  RenderFailure(int status, const std::string& text) : std::runtime_error(text), status_(status) {}
  int Status() const { return status_; }

 private:
  int status_;
};

// A render refused for what the user gave it: exit status 1 (kExitBadInput).
inline RenderFailure BadInput(const std::string& text) { return RenderFailure(kExitBadInput, text); }

}  // namespace marvane
