#pragma once
// Why a render stopped: the text names what was wrong, the status is the exit status
// (kExitBadInput or kExitBadUsage).
#include <stdexcept>
#include <string>

namespace marvane {

class RenderFailure : public std::runtime_error {
 public:
  RenderFailure(int status, const std::string& text) : std::runtime_error(text), status_(status) {}
  int Status() const { return status_; }

 private:
  int status_;
};

}  // namespace marvane
