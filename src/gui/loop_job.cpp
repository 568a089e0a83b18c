#include "gui/loop_job.h"

#include "gui/progress_form.h"
#include "util/error_trap.h"

namespace marvane {

namespace {

constexpr int kLookIntervalMs = 100;

}  // namespace

LoopJob::LoopJob(Ui& ui, DesktopLoopRequest request) : ui_(ui), progress_(new ProgressForm) {
  progress_->SetLabel(request.values.grid ? kLoopFramesLabel : kLoopGridLabel);
  step_ = request.values.grid ? LoopStep::Frames : LoopStep::TileGrid;
  connect(progress_, &ProgressForm::CancelRequested, this, &LoopJob::Cancel);
  connect(progress_, &ProgressForm::Kick_Timer, this, &LoopJob::Look);
  worker_ = std::jthread([this, request = std::move(request)](std::stop_token stop) {
    outcome_ = MakeDesktopLoop(request, [this, stop](LoopStep step, double done) {
      step_ = step;
      fraction_ = done;
      return !stop_ && !stop.stop_requested();
    });
    done_ = true;
  });
  progress_->SetKickInterval(kLookIntervalMs);
  progress_->show();
  progress_->raise();
}

LoopJob::~LoopJob() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
  delete progress_;
}

void LoopJob::Cancel() {
  stop_ = true;
  progress_->SetLabel(kLoopStoppingLabel);
}

void LoopJob::Look() {
  if (ended_) return;
  if (!done_) {
    const double done = fraction_;
    // Once every frame is drawn, the file is put together.
    if (!stop_)
      progress_->SetLabel(step_ == LoopStep::TileGrid ? kLoopGridLabel : done < 1 ? kLoopFramesLabel : kLoopSavingLabel);
    progress_->SetFraction(done);
    return;
  }
  ended_ = true;
  worker_.join();
  progress_->SetKickInterval(0);
  progress_->hide();
  if (!outcome_.text.empty()) ReportTrappedError(ui_, outcome_.title, outcome_.text);
  emit Finished(outcome_.written);
}

}  // namespace marvane
