#pragma once
// A loop being made (run/desktop_loop.h): a worker thread of its own, and a progress
// window ("Image Calculations", its bar and CANCEL) that shows how far it has come. The
// window is not modal: the console stays in use while the loop is made from its
// snapshot. The window's timer looks at the worker's progress every 100 ms; CANCEL, or
// closing the window, stops the loop, and nothing is written. An error is shown as the
// desktop's traps show one, its procedure's name as the title.
#include <QObject>
#include <atomic>
#include <thread>

#include "run/desktop_loop.h"

namespace marvane {

class ProgressForm;
class Ui;

inline constexpr const char* kLoopGridLabel = "Creating Tile Grid...";
inline constexpr const char* kLoopFramesLabel = "Creating loop...";
inline constexpr const char* kLoopSavingLabel = "Saving loop...";
inline constexpr const char* kLoopStoppingLabel = "Cancelling...";

class LoopJob : public QObject {
  Q_OBJECT
 public:
  // Starts the worker and shows the progress window.
  LoopJob(Ui& ui, DesktopLoopRequest request);
  // Stops the worker, if it still runs, and waits for it: nothing is written then.
  ~LoopJob() override;

  ProgressForm& Progress() const { return *progress_; }
  // Asks the worker to stop, as CANCEL does.
  void Cancel();

 signals:
  // The loop has ended: written, cancelled or failed (the error shown). The progress
  // window is gone.
  void Finished(bool written);

 private:
  void Look();

  Ui& ui_;
  ProgressForm* progress_;
  std::atomic<LoopStep> step_{LoopStep::Frames};
  std::atomic<double> fraction_{0};
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
  DesktopLoopOutcome outcome_;  // the worker's, read once done_ is set
  std::jthread worker_;
  bool ended_ = false;
};

}  // namespace marvane
