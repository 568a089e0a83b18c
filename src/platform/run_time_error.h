#pragma once
// A run-time error: the program has no error codes. An error leaves the procedure in
// which it happens and travels up to the nearest procedure with an error trap, which
// shows its text (see util/error_trap.h).
#include <stdexcept>
#include <string>

namespace marvane {

class RunTimeError : public std::runtime_error {
 public:
  explicit RunTimeError(const std::string& text) : std::runtime_error(text) {}
};

// The texts of the errors that the arithmetic itself raises.
inline constexpr const char* kOverflowText = "Overflow";
inline constexpr const char* kDivisionByZeroText = "Division by zero";
inline constexpr const char* kInvalidCallText = "Invalid procedure call or argument";

[[noreturn]] inline void RaiseOverflow() { throw RunTimeError(kOverflowText); }
[[noreturn]] inline void RaiseDivisionByZero() { throw RunTimeError(kDivisionByZeroText); }
[[noreturn]] inline void RaiseInvalidCall() { throw RunTimeError(kInvalidCallText); }

}  // namespace marvane
