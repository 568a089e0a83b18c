#pragma once
// The error trap that every procedure with one shares: on a run-time error the mouse
// pointer goes back to the default, a message box with only an OK button shows the
// error's text titled with the procedure's name, and the procedure is left at once
// with its result as it stood.
#include <exception>
#include <string>
#include <utility>

#include "platform/run_time_error.h"
#include "platform/ui.h"

namespace marvane {

// Reports a caught run-time error the way every trap does.
inline void ReportTrappedError(Ui& ui, const std::string& procedure, const std::string& text) {
  ui.SetBusyPointer(false);
  ui.ShowMessage(text, procedure);
}

// Runs `body` under a trap titled `procedure`. Returns true when it ran to its end,
// false when a run-time error left it (and was shown). Setting the trap costs nothing
// until an error is thrown (the title becomes a string only then), so the engine sets
// one for every pixel it samples.
template <typename Body>
bool WithErrorTrap(Ui& ui, const char* procedure, Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const RunTimeError& e) {
    ReportTrappedError(ui, procedure, e.what());
    return false;
  }
}

}  // namespace marvane
