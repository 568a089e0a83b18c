#include "run/desktop_loop.h"

#include <exception>
#include <memory>

#include "platform/run_time_error.h"
#include "platform/ui.h"

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
  RecordingUi ui;
  try {
    const RenderInput input = RequestInput(r.values, ui);
    if (!ui.Messages().empty()) return Failure(ui);
    const Picture grid = RequestGrid(r.values, input, ui, threads,
                                     [&progress](double done) { return progress(LoopStep::TileGrid, done); });
    if (grid.Empty()) return Failure(ui);
    LoopRun run;
    run.threads = threads;
    run.progress = [&progress](int32_t done, int32_t total) {
      return progress(LoopStep::Frames, static_cast<double>(done) / total);
    };
    DesktopLoopOutcome outcome;
    outcome.written = MakeLoop(r.spec, input, grid, ui, run);
    return outcome;
  } catch (const RunTimeError& e) {
    return {false, kMakeLoopProcedure, e.what()};
  } catch (const std::exception& e) {
    // What the system refuses (a thread, memory) ends the loop all the same.
    return {false, kMakeLoopProcedure, e.what()};
  }
}

}  // namespace marvane
