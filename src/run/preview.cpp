#include "run/preview.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>

#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "run/final_stage_parallel.h"
#include "run/render_input.h"
#include "util/numbers.h"

namespace marvane {

namespace {

// A float as the shortest text that reads back as the same float: the fade width is
// handed to the preview's "Create Final Image" as text, which reads it back exactly.
std::string ExactText(float v) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  return ec == std::errc() ? std::string(buffer, end) : "0";
}


}  // namespace

bool PreviewRequest::SamePicture(const PreviewRequest& o) const {
  // The console's values and the pictures say it all but for the tile's mean colour
  // (which the grid and the hue offset follow); the board never changes.
  return console == o.console && engine.TileColor.Value == o.engine.TileColor.Value && square == o.square &&
         grid == o.grid;
}

PreviewRequest MakePreviewRequest(const AppState& s, std::shared_ptr<const Picture>& square,
                                  std::shared_ptr<const Picture>& grid) {
  PreviewRequest r;
  r.console = s.console;
  // What does not shape the picture stays out, so that requests compare by what does.
  r.console.TileFile.clear();
  r.console.SaveFile.clear();
  r.console.SelectOutputOption(kSmallImageOnlyOption);
  r.console.LivePreview = false;
  r.engine = s.engine;
  r.console.NumPieces = WholeNumberText(s.engine.EngineNumPieces);
  r.console.SmallestRadius = WholeNumberText(s.engine.EngineSmallestRadius);
  r.console.FadeWidth = ExactText(s.engine.EngineFadeWidth);
  r.SquareLast = s.SquareLast;
  if (!square || !(*square == s.TileImage)) square = std::make_shared<const Picture>(s.TileImage);
  r.square = square;
  // The desktop's grid fits while it is not marked for redrawing and the list still
  // shows the rotation it was built with (leaving the list marks it otherwise). The
  // number of parts needs no look: a new one is marked as soon as it is accepted.
  const bool gridFits = !s.settings.NeedToRedrawGrid && s.console.Turn45ListIndex == s.engine.EngineTurn45;
  if (gridFits) {
    if (!grid || !(*grid == s.TileGrid)) grid = std::make_shared<const Picture>(s.TileGrid);
    r.grid = grid;
  }
  return r;
}

RenderInput RequestInput(const PreviewRequest& r, Ui& ui) {
  return MakeRenderInput(ui, r.console, r.engine.board, r.engine.TileColor);
}

Picture RequestGrid(const PreviewRequest& r, const RenderInput& input, RecordingUi& ui, int32_t threads,
                    const std::function<bool(double)>& keepGoing) {
  if (r.grid) return *r.grid;
  Picture grid = MakeTileGridPicture(ui, input, *r.square, r.SquareLast, threads, keepGoing, GridExtent::FinalStageCorner);
  if (!ui.Messages().empty()) return Picture();
  return grid;
}

std::optional<PreviewResult> PreviewRenderer::Render(const PreviewRequest& r, const std::function<bool()>& cancelled) {
  RecordingUi ui;
  PreviewResult result;
  const auto failed = [&]() -> std::optional<PreviewResult> {
    result.message = ui.FirstMessage();
    if (result.message.empty()) return std::nullopt;
    return result;
  };
  // Whose trap would show an error on the desktop: the ticks' while the grid is built
  // and the picture drawn, the handler's while it prepares.
  const char* where = "CreateFinal_Click";
  try {
    // "Create Final Image": the engine's values from the console, the colours, the
    // spiral and the grid's layout for the number of parts.
    const RenderInput input = RequestInput(r, ui);
    if (auto message = failed()) return message;
    where = "Kick_Timer";
    const Picture* grid = r.grid.get();
    if (!grid) {
      const GridKey key{input.engine.EngineNumPieces, r.console.Turn45ListIndex, r.engine.TileColor.Value, r.square};
      if (builtFor_ != key) {
        builtFor_.reset();
        built_ = RequestGrid(r, input, ui, threads_, [&cancelled](double) { return !cancelled(); });
        if (built_.Empty()) return failed();
        builtFor_ = key;
        result.gridBuilt = true;
      }
      grid = &built_;
    }
    if (cancelled()) return std::nullopt;
    ParallelFinalOptions options;
    options.threads = threads_;
    options.progressIntervalMs = 2;
    options.progress = [&cancelled](double) { return !cancelled(); };
    Picture unused;
    result.picture = BlankThumbnail(input);
    if (!DrawFinalStage(FinalStageInputFor(input, *grid), ui, options, unused, &result.picture)) return std::nullopt;
  } catch (const RunTimeError& e) {
    result.message = std::string(where) + ": " + e.what();
    return result;
  }
  if (auto message = failed()) return message;
  return result;
}

}  // namespace marvane
