#pragma once
// The job pipeline: every long computation runs in slices of at most 2501 work items,
// one slice per tick of the progress window's timer. A job is a short run of stages:
// squaring the tile (1), building the tile grid (2), drawing the final picture (3).
// LaunchAction starts a job and waits, through the host, until the progress window has
// gone; KickTimer does one tick and moves the job on; FormUnload is the clean-up every
// closing of the progress window goes through.
#include <cstdint>
#include <functional>

#include "colour/chroma.h"
#include "run/app_state.h"
#include "run/job_host.h"

namespace marvane {

class FinalPixelKernel;
class Ui;

class Pipeline {
 public:
  Pipeline(AppState& state, JobHost& host, Ui& ui) : s_(state), host_(host), ui_(ui) {}

  // Starts a job at `action` (1, 2 or 3; anything else shows the window, whose first
  // tick closes it) and returns when the progress window is gone. The three numbers are
  // rounded to whole numbers; the extents matter only to the squaring stage.
  void LaunchAction(double action, double lastX, double lastY);

  // One tick of the progress window's timer. An error ends the tick with a message
  // titled "Kick_Timer"; the state stays as the error left it and the next tick goes
  // on from there.
  void KickTimer();

  // The progress window's CANCEL button, or any other closing of it.
  void CancelIt();

  // The clean-up of the progress window: stops the timer, ends the job, saves a
  // finished (or cancelled) squared tile, and gives the screen back to the console.
  void FormUnload();

  // Saves the squared tile once the squaring stage has ended and makes it the tile
  // file. Errors go to the caller.
  void SaveNewTile();

  // Whether the progress window is loaded (a job or its closing tick is pending).
  bool ProgressLoaded() const { return progressLoaded_; }

  // The stages' work items, for the tick and for tests that step a stage by hand.
  void SquaringTick();
  void TileGridTick();
  void FinalImageTick();

 private:
  void TileGridSetUp();
  void GridComplete();
  void FinalImageItem(FinalPixelKernel& kernel);
  void UnloadProgress();
  void ReportProgress();

  AppState& s_;
  JobHost& host_;
  Ui& ui_;
  bool progressLoaded_ = false;
};

}  // namespace marvane
