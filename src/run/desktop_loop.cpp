#include "run/desktop_loop.h"

#include <exception>
#include <memory>

#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "run/headless_host.h"
#include "run/pipeline.h"

namespace marvane {

namespace {

// The handler whose trap the loop's errors are shown under.
constexpr const char* kMakeLoopProcedure = "MakeLoop_Click";

DesktopLoopOutcome Failure(const RecordingUi& ui) {
  const auto messages = ui.Messages();
  if (messages.empty()) return {};
  return {false, messages.front().title, messages.front().text};
}

}  // namespace

DesktopLoopRequest MakeDesktopLoopRequest(const AppState& s, const LoopSpec& spec) {
  std::shared_ptr<const Picture> square, grid;
  DesktopLoopRequest r{MakePreviewRequest(s, square, grid), spec};
  // The preview always draws the small picture; a loop is of the one the console asks for.
  r.values.console.OutputOption = s.console.OutputOption;
  r.spec.small = s.console.OutputOption[kSmallImageOnlyOption];
  r.spec.first = 0;
  r.spec.end = spec.frames;
  return r;
}

DesktopLoopOutcome MakeDesktopLoop(const DesktopLoopRequest& r,
                                   const std::function<bool(LoopStep, double)>& progress, int32_t threads) {
  AppState s;
  SetUpSnapshotState(r.values, !r.spec.small, s);
  RecordingUi ui;
  HeadlessHost host;
  Pipeline pipeline(s, host, ui);
  host.Attach(pipeline);
  try {
    if (r.values.grid) {
      s.TileGrid = *r.values.grid;
      s.settings.NeedToRedrawGrid = false;
    } else if (!BuildSnapshotGrid(s, pipeline, ui, *r.values.square, threads,
                                  [&progress](double done) { return progress(LoopStep::TileGrid, done); })) {
      return Failure(ui);
    }
    if (PrepareSnapshotFinal(s, ui) != kFinalImageStage || !ui.Messages().empty()) return Failure(ui);
    LoopRun run;
    run.threads = threads;
    run.progress = [&progress](int32_t done, int32_t total) {
      return progress(LoopStep::Frames, static_cast<double>(done) / total);
    };
    DesktopLoopOutcome outcome;
    outcome.written = MakeLoop(r.spec, s, ui, run);
    return outcome;
  } catch (const RunTimeError& e) {
    return {false, kMakeLoopProcedure, e.what()};
  } catch (const std::exception& e) {
    // What the system refuses (a thread, memory) ends the loop all the same.
    return {false, kMakeLoopProcedure, e.what()};
  }
}

}  // namespace marvane
