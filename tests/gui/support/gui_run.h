#pragma once
// One start of the desktop program for a test: its own start folder and configuration
// folder (XDG_CONFIG_HOME), a Ui that records instead of showing boxes, file dialogs
// answered by a script, ticks every millisecond, and the program's end recorded
// instead of quitting. Nothing ever waits for a person.
#include <QString>
#include <QTest>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/desktop.h"
#include "gui/file_dialogs.h"
#include "platform/picture.h"
#include "platform/ui.h"
#include "support/temp_folder.h"

namespace marvane::guitest {

// Answers the dialogs in order from `answers` (nullopt: the user cancels; none left:
// cancel too) and keeps every request it was given.
class ScriptedFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> Ask(const FileDialogRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<FileDialogRequest> requests;
};

// A picture whose every pixel differs from its neighbours in every channel.
Picture PatternPicture(int32_t width, int32_t height, int32_t seed);

class GuiRun {
 public:
  GuiRun();
  ~GuiRun();
  GuiRun(const GuiRun&) = delete;
  GuiRun& operator=(const GuiRun&) = delete;

  std::string StartFolder() const { return start_.Path(); }
  std::string operator/(const std::string& name) const { return start_ / name; }
  // The settings file of this run's configuration folder.
  std::string IniPath() const;

  // Files a start folder holds: the tile grid of the last run (board-sized), the tile,
  // the help text.
  void WriteTileGrid(int32_t seed = 1);
  void WriteTile(const std::string& relativePath, int32_t width, int32_t height, int32_t seed = 2);
  void WriteHelp(const std::string& text);

  // Starts the program (a fresh Desktop; one left from an earlier start is closed down
  // first, as a second start in the same folder would find things).
  bool Start();
  Desktop& desktop() { return *desktop_; }
  AppState& state() { return desktop_->State(); }
  QWidget& console();

  // A console control by name; fails the test when there is none.
  template <typename T>
  T* Control(const char* name) {
    T* control = console().findChild<T*>(name);
    if (!control) qFatal("no console control named %s", name);
    return control;
  }

  // Makes the console the active window so that focus moves as it would for a user.
  bool ActivateConsole();

  RecordingUi ui;
  ScriptedFileDialogs dialogs;
  int programEnds = 0;

 private:
  testing::TempFolder start_;
  testing::TempFolder config_;
  testing::ScopedEnv configEnv_;
  std::unique_ptr<Desktop> desktop_;
};

// What the windows showed after each tick of a job.
struct TickRecord {
  int32_t jobState = 0;   // the stage the next tick works on
  QString label;          // the progress window's label ("" once it is unloaded)
  int bar = -1;           // its progress bar, 0 to 1000 (-1 once it is unloaded)
  bool progressVisible = false;
  bool consoleVisible = false;
  bool finalImageVisible = false;
};

// Watches the ticks of the jobs of one run; `onTick` may act in between (click
// CANCEL, close the window).
class JobWatch : public QObject {
 public:
  explicit JobWatch(GuiRun& run);
  std::vector<TickRecord> ticks;
  std::function<void(const TickRecord&)> onTick;
  // The labels shown, each once, in order.
  QStringList Labels() const;
};

// The messages the Ui was asked to show, as "title: text" lines.
QStringList MessageLines(const RecordingUi& ui);

}  // namespace marvane::guitest
