#pragma once
// What the user sees and hears, on Qt: message boxes with only an OK button, the
// system beep, and the hourglass pointer over the whole program.
#include <string>

#include "platform/ui.h"

namespace marvane {

// The title of a message box that names no procedure.
inline constexpr const char* kProgramTitle = "Marvane";

class QtUi : public Ui {
 public:
  ~QtUi() override;
  void ShowMessage(const std::string& text, const std::string& title) override;
  void Beep() override;
  void SetBusyPointer(bool busy) override;

 private:
  bool busy_ = false;
};

}  // namespace marvane
