#pragma once
// A JobHost without windows: the progress window's "modal wait" runs ticks back to
// back until the pipeline closes the window. The renderer's sequential mode and the
// tests drive the pipeline through it, and it keeps a log of what the windows were
// asked to do.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "run/job_host.h"
#include "run/pipeline.h"

namespace marvane {

class HeadlessHost : public JobHost {
 public:
  void Attach(Pipeline& pipeline) { pipeline_ = &pipeline; }

  void ShowForm(Form form) override {
    visible_[form] = true;
    log.push_back("show " + Name(form));
  }
  void HideForm(Form form) override {
    visible_[form] = false;
    log.push_back("hide " + Name(form));
  }
  void SetFormVisible(Form form, bool visible) override {
    visible_[form] = visible;
    log.push_back((visible ? "visible " : "invisible ") + Name(form));
  }
  void SetProgressLabel(const std::string& text) override {
    label = text;
    log.push_back("label " + text);
  }
  void SetProgressFraction(double done) override { fraction = done; }
  void SetTimerInterval(int intervalMs) override { timerInterval = intervalMs; }
  void RunProgressModal() override {
    ++modalRuns;
    while (pipeline_ && pipeline_->ProgressLoaded()) {
      if (beforeTick && !beforeTick(ticks)) {
        pipeline_->CancelIt();
        break;
      }
      ++ticks;
      pipeline_->KickTimer();
    }
  }
  void CloseProgress() override { log.push_back("close Progress"); }
  void ConsoleChanged() override { ++consoleChanges; }

  bool Visible(Form form) const {
    auto it = visible_.find(form);
    return it != visible_.end() && it->second;
  }

  static std::string Name(Form form) {
    switch (form) {
      case Form::Console: return "Console";
      case Form::Workspace1: return "Workspace1";
      case Form::Workspace3: return "Workspace3";
      case Form::FinalImage: return "FinalImage";
      case Form::Progress: return "Progress";
    }
    return "?";
  }

  // Called before every tick with the number of ticks run so far; returning false
  // cancels the job as the CANCEL button would.
  std::function<bool(int)> beforeTick;

  std::vector<std::string> log;
  std::string label;
  double fraction = 0;
  int timerInterval = 0;
  int ticks = 0;
  int modalRuns = 0;
  int consoleChanges = 0;

 private:
  Pipeline* pipeline_ = nullptr;
  std::map<Form, bool> visible_;
};

}  // namespace marvane
