#include "run/preview.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>

#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "run/create_final.h"
#include "run/final_stage_parallel.h"
#include "run/grid_layout.h"
#include "run/headless_host.h"
#include "run/pipeline.h"
#include "run/tile_image.h"
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

// Thrown from a piece of the grid's work when a newer request has come.
struct Cancelled {};


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
  r.SquareSide = s.SquareSide;
  r.TileWidth = s.TileWidth;
  r.TileHeight = s.TileHeight;
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

void SetUpSnapshotState(const PreviewRequest& r, bool large, AppState& s) {
  s.console = r.console;
  s.engine = r.engine;
  s.spectrum = ReadySpectrum();
  s.SquareLast = r.SquareLast;
  s.SquareSide = r.SquareSide;
  s.TileWidth = r.TileWidth;
  s.TileHeight = r.TileHeight;
  s.SaveSquaredTile = false;
  s.SaveFinalPicture = false;
  const BoardConstants& b = s.engine.board;
  s.Thumbnail.Resize(ThumbnailSide(b.BoardWidth), ThumbnailSide(b.BoardHeight));
  if (large) s.FinalImage.Resize(b.BoardWidth, b.BoardHeight);
}

bool BuildSnapshotGrid(AppState& s, Pipeline& pipeline, const RecordingUi& ui, const Picture& square, int32_t threads,
                       const std::function<bool(double)>& progress) {
  // From the squared tile on the third work surface (the stage only ever reads the
  // tile's own square of it).
  const BoardConstants& b = s.engine.board;
  s.TileImage = square;
  s.TileGrid.Resize(b.BoardWidth, b.BoardHeight);
  s.SquareCopy.Resize(kMostTileSide, kMostTileSide);
  s.FinalRunActive = false;
  s.JobState = kTileGridStage;
  s.SliceCount = -1;
  std::atomic<int64_t> done{0};
  try {
    pipeline.TileGridAtOnce([&](int64_t n, const std::function<void(int64_t, int64_t)>& work) {
      ForEachRange(threads, n, [&](int64_t first, int64_t end) {
        if (!progress(static_cast<double>(done) / static_cast<double>(std::max<int64_t>(n, 1)))) throw Cancelled{};
        work(first, end);
        done += end - first;
      });
    });
  } catch (const Cancelled&) {
    return false;
  }
  s.settings.NeedToRedrawGrid = false;
  return ui.Messages().empty();
}

int32_t PrepareSnapshotFinal(AppState& s, Ui& ui) {
  SetPartsAndLayout(s);
  return PrepareFinalImage(s, ui);
}

std::optional<PreviewResult> PreviewRenderer::Render(const PreviewRequest& r, const std::function<bool()>& cancelled) {
  // A state of the preview's own, set up as the desktop's is when "Create Final Image"
  // is clicked with "Small image only" chosen; it writes no files.
  AppState s;
  SetUpSnapshotState(r, false, s);

  RecordingUi ui;
  HeadlessHost host;
  Pipeline pipeline(s, host, ui);
  host.Attach(pipeline);
  PreviewResult result;
  const auto failed = [&]() -> std::optional<PreviewResult> {
    result.message = ui.FirstMessage();
    if (result.message.empty()) return std::nullopt;
    return result;
  };

  // Whose trap would show an error on the desktop: the ticks' while the grid is built
  // and the picture drawn, the handler's while it prepares.
  const char* where = "Kick_Timer";
  try {
    if (r.grid) {
      s.TileGrid = *r.grid;
      s.settings.NeedToRedrawGrid = false;
    } else {
      const GridKey key{RoundToLong(LeadingNumber(r.console.NumPieces)), r.console.Turn45ListIndex,
                        r.engine.TileColor.Value, r.square};
      if (builtFor_ != key) {
        builtFor_.reset();
        if (!BuildSnapshotGrid(s, pipeline, ui, *r.square, threads_, [&cancelled](double) { return !cancelled(); }))
          return failed();
        built_ = std::move(s.TileGrid);
        builtFor_ = key;
        result.gridBuilt = true;
      }
      s.TileGrid = built_;
      s.settings.NeedToRedrawGrid = false;
    }
    if (cancelled()) return std::nullopt;

    // "Create Final Image": the engine's values from the console, the colours, the
    // spiral and the grid's layout for the number of parts.
    where = "CreateFinal_Click";
    if (PrepareSnapshotFinal(s, ui) != kFinalImageStage) return std::nullopt;
    if (auto message = failed()) return message;
    where = "Kick_Timer";
    ParallelFinalOptions options;
    options.threads = threads_;
    options.progressIntervalMs = 2;
    options.progress = [&cancelled](double) { return !cancelled(); };
    if (!RunFinalStageParallel(s, ui, options)) return std::nullopt;
  } catch (const RunTimeError& e) {
    result.message = std::string(where) + ": " + e.what();
    return result;
  }
  if (auto message = failed()) return message;
  result.picture = std::move(s.Thumbnail);
  return result;
}

}  // namespace marvane
