#include "cli/render_sequential.h"

#include <algorithm>

#include "cli/render_failure.h"
#include "cli/render_values.h"
#include "engine/geometry.h"
#include "platform/ui.h"
#include "run/create_final.h"
#include "run/grid_layout.h"
#include "run/headless_host.h"
#include "run/pipeline.h"
#include "run/tile_image.h"

namespace marvane {

namespace {

const char* StageName(int32_t stage) {
  switch (stage) {
    case kSquaringStage: return "squaring the tile";
    case kTileGridStage: return "building the tile grid";
    case kFinalImageStage: return "final image";
    default: return "finishing";
  }
}

// Watches the pipeline's ticks: times each stage, shows the progress line, and cancels
// the job as soon as a trap has shown an error. A tick whose error leaves the state as
// it was would otherwise fail the same way at every tick, for ever.
class TickWatch {
 public:
  TickWatch(HeadlessHost& host, const AppState& s, const RecordingUi& ui, StageTimes& times,
            ProgressLine& progress)
      : s_(s), times_(times) {
    host.beforeTick = [this, &host, &ui, &progress](int) {
      Note();
      if (!ui.Messages().empty()) return false;
      progress.Show(StageName(s_.JobState), host.fraction);
      return true;
    };
  }
  // Counts the stage that is running from now on.
  void Begin() {
    stage_ = s_.JobState;
    since_ = RenderClock::now();
  }
  // The job has ended: the stage it was in ends too.
  void End() { Note(), stage_ = kNoJob; }

 private:
  void Note() {
    if (s_.JobState == stage_) return;
    if (double* t = TimeOf(stage_)) *t += MillisecondsSince(since_);
    stage_ = s_.JobState;
    since_ = RenderClock::now();
  }
  double* TimeOf(int32_t stage) {
    switch (stage) {
      case kSquaringStage: return &times_.square;
      case kTileGridStage: return &times_.grid;
      case kFinalImageStage: return &times_.final;
      default: return nullptr;
    }
  }

  const AppState& s_;
  StageTimes& times_;
  int32_t stage_ = kNoJob;
  RenderClock::time_point since_ = RenderClock::now();
};

void FailOnMessage(const RecordingUi& ui) {
  if (!ui.Messages().empty()) throw BadInput(ui.FirstMessage());
}

// A new tile, as the console's tile button takes it: loaded onto the first work
// surface, squared, and the grid built, in one job of the pipeline.
void TakeTile(const RenderOptions& o, Pipeline& pipeline, AppState& s, RecordingUi& ui, TickWatch& watch) {
  watch.Begin();
  const bool squared = TakeNewTile(pipeline, s, ui, TilePathOf(o));
  watch.End();
  const auto messages = ui.Messages();
  if (!messages.empty()) {
    const auto& m = messages.front();
    if (m.title == "Load Size Image") throw BadInput("--tile: " + m.text);
    if (m.title == kTileSizeTitle) throw BadInput(TileSizeFailure(o.tile, s.settings.PicRight, s.settings.PicBottom));
    throw BadInput(ui.FirstMessage());
  }
  if (!squared || s.JobState != kNoJob || s.settings.NeedToRedrawGrid)
    throw BadInput("--tile " + o.tile + ": the tile grid was not built");
}

// The loaded tile and grid where start-up puts them: the tile on the console, the grid
// on the first work surface, the tile's measures from the tile.
void PlaceTileAndGrid(const RenderOptions& o, const RenderTile& tile, AppState& s) {
  SettingsMirror& m = s.settings;
  m.TileFileName = o.tile;
  m.PicRight = tile.square.Width() - 1;
  m.PicBottom = tile.square.Height() - 1;
  m.NeedToRedrawGrid = false;
  s.TileImage = tile.square;
  s.TileGrid = tile.grid;
  s.engine.TileColor = tile.colour;
  s.SquareLast = m.PicBottom;
  s.SquareSide = s.SquareLast + 1;
  s.TileWidth = m.PicRight + 1;
  s.TileHeight = m.PicBottom + 1;
}

}  // namespace

void SetUpRenderState(const RenderJob& job, AppState& s) {
  s.SaveSquaredTile = false;
  s.SaveFinalPicture = false;
  s.RandomSeed = job.seed;
  s.GivenTileColor = job.tileColour;
  s.settings = job.settings;
  s.console = job.console;
  const BoardConstants& b = job.board;
  s.engine.board = b;
  // The first surface holds the loaded tile while it is squared: on a board smaller than
  // a tile can be it is made large enough for any tile (the tile-grid stage gives it the
  // board's size again). The third only ever holds the squared tile.
  s.TileGrid.Resize(std::max(b.BoardWidth, kMostTileSide), std::max(b.BoardHeight, kMostTileSide));
  s.SquareCopy.Resize(kMostTileSide, kMostTileSide);
  s.FinalImage.Resize(b.BoardWidth, b.BoardHeight);
  s.Thumbnail.Resize(ThumbnailSide(b.BoardWidth), ThumbnailSide(b.BoardHeight));
  EngineValuesFromConsole(s.console, s.engine);
  SetPartsAndLayout(s);
  s.SmallImageOnly = s.console.OutputOption[kSmallImageOnlyOption];
}

Chroma RenderSequential(const RenderOptions& o, const RenderTile* loaded, AppState& s, RecordingUi& ui,
                      StageTimes& times, ProgressLine& progress) {
  HeadlessHost host;
  Pipeline pipeline(s, host, ui);
  host.Attach(pipeline);
  TickWatch watch(host, s, ui, times, progress);
  if (loaded) {
    PlaceTileAndGrid(o, *loaded, s);
  } else {
    const RenderClock::time_point loadStart = RenderClock::now();
    TakeTile(o, pipeline, s, ui, watch);
    times.load = MillisecondsSince(loadStart) - times.square - times.grid;
    progress.Clear();
  }
  const Chroma mean = s.engine.TileColor;
  watch.Begin();
  CreateFinalClick(pipeline, s, ui);
  watch.End();
  FailOnMessage(ui);
  if (s.JobState != kNoJob || s.FinalRunActive) throw BadInput("the final image was not finished");
  return mean;
}

}  // namespace marvane
