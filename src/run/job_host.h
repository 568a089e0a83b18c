#pragma once
// What the job pipeline asks of the windows around it. The desktop program implements
// it on its Qt windows and a real 100 ms timer; the headless renderer and the tests
// implement it by running ticks back to back.
#include <string>

namespace marvane {

enum class Form { Console, Workspace1, Workspace3, FinalImage, Progress };

class JobHost {
 public:
  virtual ~JobHost() = default;

  // Show a window (bringing it up if it is not), hide it, or change only its
  // visibility, as the pipeline moves between stages.
  virtual void ShowForm(Form form) = 0;
  virtual void HideForm(Form form) = 0;
  virtual void SetFormVisible(Form form, bool visible) = 0;

  // The progress window's label, and how much of the running stage is done (0 to 1).
  virtual void SetProgressLabel(const std::string& text) = 0;
  virtual void SetProgressFraction(double done) { (void)done; }

  // Starts the progress window's timer at `intervalMs` (loading the window), or stops
  // it with 0.
  virtual void SetTimerInterval(int intervalMs) = 0;

  // Shows the progress window modally: ticks are delivered to Pipeline::KickTimer until
  // the pipeline unloads the window, and only then does this return. Hiding the window
  // for a moment between two stages does not end the wait.
  virtual void RunProgressModal() = 0;

  // The pipeline has run its clean-up and the progress window goes: the modal wait ends.
  virtual void CloseProgress() = 0;

  // The console's controls changed under the pipeline's hands (the tile file's name);
  // a desktop console shows the model again.
  virtual void ConsoleChanged() {}

  // A picture changed and its window may repaint.
  virtual void PicturesChanged() {}
};

}  // namespace marvane
