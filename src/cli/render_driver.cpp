#include "cli/render_driver.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <new>
#include <sstream>
#include <system_error>

#include "cli/animation.h"
#include "cli/render_failure.h"
#include "cli/render_values.h"
#include "platform/staged_files.h"
#include "cli/terminal_line.h"
#include "engine/final_colour.h"
#include "engine/geometry.h"
#include "engine/load_size_image.h"
#include "engine/tile_colour.h"
#include "platform/picture_files.h"
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

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void FailOnMessage(const RecordingUi& ui) {
  if (!ui.Messages().empty()) throw BadInput(ui.FirstMessage());
}

// The progress line, on a terminal only, and only once a stage has run for a moment.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool enabled) : line_(err, enabled) {}

  void Start() { start_ = Clock::now(); }
  void Show(const char* stage, double fraction) {
    if (!line_.Enabled() || MillisecondsSince(start_) < 500) return;
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    line_.Write(std::string(kRenderProgramName) + ": " + stage + " " + std::to_string(percent) + "%");
  }
  void Clear() { line_.Clear(); }

 private:
  TerminalLine line_;
  Clock::time_point start_ = Clock::now();
};

struct StageTimes {
  double load = 0, square = 0, grid = 0, final = 0, save = 0;
  double& Of(int32_t stage) {
    static double ignored;
    switch (stage) {
      case kSquaringStage: return square;
      case kTileGridStage: return grid;
      case kFinalImageStage: return final;
      default: return ignored;
    }
  }
};

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
    since_ = Clock::now();
  }
  // The job has ended: the stage it was in ends too.
  void End() {
    times_.Of(stage_) += MillisecondsSince(since_);
    stage_ = kNoJob;
  }

 private:
  void Note() {
    if (s_.JobState == stage_) return;
    times_.Of(stage_) += MillisecondsSince(since_);
    stage_ = s_.JobState;
    since_ = Clock::now();
  }

  const AppState& s_;
  StageTimes& times_;
  int32_t stage_ = kNoJob;
  Clock::time_point since_ = Clock::now();
};

// The output's folder must be there, and the names must not be folders: found before
// any work, so that a mistyped name costs nothing.
void CheckDestinations(const RenderOptions& o, const AppState& s) {
  namespace fs = std::filesystem;
  std::error_code ec;
  CheckTileSource(o.tile);
  const Picture& picture = o.small ? s.Thumbnail : s.FinalImage;
  if (o.animate) return CheckAnimationDestination(o, picture.Width(), picture.Height());
  CheckOutputFile(o.output);
  if (o.keep) {
    const fs::path keep(*o.keep);
    if (fs::exists(keep, ec)) {
      if (!fs::is_directory(keep, ec)) throw BadInput("--keep " + *o.keep + ": not a folder");
    } else {
      const fs::path parent = keep.parent_path().empty() ? fs::path(".") : keep.parent_path();
      if (!fs::is_directory(parent, ec))
        throw BadInput("--keep " + *o.keep + ": the folder \"" + parent.string() + "\" does not exist");
    }
  }
}

bool WithinTileLimits(int32_t lastX, int32_t lastY) {
  return lastX >= 9 && lastX <= 299 && lastY >= 9 && lastY <= 299;
}

std::string TileSizeFailure(const std::string& tile, int32_t lastX, int32_t lastY) {
  return "--tile " + tile + ": " + WholeNumberText(lastX + 1) + " x " + WholeNumberText(lastY + 1) +
         " pixels: " + kTileSizeText;
}

// A new tile, as the console's tile button takes it: loaded onto the first work
// surface, squared, and the grid built, in one job of the pipeline.
void TakeTile(const RenderOptions& o, Pipeline& pipeline, AppState& s, RecordingUi& ui, TickWatch& watch,
              HeadlessHost& host, int32_t threads) {
  if (!o.sequential) {
    // The fast path builds the grid at once, on every core, when its stage comes.
    host.beforeTick = [&pipeline, &s, threads, watching = host.beforeTick](int ticks) {
      if (!watching(ticks)) return false;
      if (s.JobState == kTileGridStage && s.SliceCount < 0)
        pipeline.TileGridAtOnce([threads](int64_t n, const std::function<void(int64_t, int64_t)>& work) {
          ForEachRange(threads, n, work);
        });
      return true;
    };
  }
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

// The tile and a saved grid, as start-up loads "TileGrid.bmp": the tile only gives its
// measures (and the console's picture); the mean colour comes from the grid.
void LoadTileAndGrid(const RenderOptions& o, AppState& s, RecordingUi& ui) {
  SettingsMirror& m = s.settings;
  Picture tile;
  try {
    tile = LoadPictureFile(TilePathOf(o), Picture::kDefaultBackColor, kMostTileFilePixels);
  } catch (const RunTimeError& e) {
    throw BadInput(std::string("--tile: ") + e.what());
  }
  if (!WithinTileLimits(tile.Width() - 1, tile.Height() - 1))
    throw BadInput(TileSizeFailure(o.tile, tile.Width() - 1, tile.Height() - 1));
  m.TileFileName = o.tile;
  m.PicRight = tile.Width() - 1;
  m.PicBottom = tile.Height() - 1;
  s.TileImage.Resize(m.PicRight + 1, m.PicBottom + 1);
  s.TileImage.SetPicture(tile);
  try {
    s.TileGrid.SetPicture(LoadPictureFile(*o.grid, s.TileGrid.BackColor()));
  } catch (const RunTimeError& e) {
    throw BadInput(std::string("--grid: ") + e.what());
  }
  m.NeedToRedrawGrid = false;
  if (s.GivenTileColor)
    SetGivenTileColor(*s.GivenTileColor, s.engine.TileColor);
  else
    GetTileColor(ui, s.TileGrid, m.PicRight, m.PicBottom, s.RandomSeed, s.engine.TileColor);
  FailOnMessage(ui);
  s.SquareLast = m.PicBottom;
  s.SquareSide = s.SquareLast + 1;
  s.TileWidth = m.PicRight + 1;
  s.TileHeight = m.PicBottom + 1;
}

std::string Dimensions(const Picture& p) {
  return WholeNumberText(p.Width()) + "x" + WholeNumberText(p.Height());
}

void WriteFiles(const RenderOptions& o, const AppState& s) {
  StagedFiles files;
  try {
    files.Add(WritePictureFile(o.small ? s.Thumbnail : s.FinalImage, OutputPathOf(o), OutputFormatOf(o)));
    if (o.keep) {
      const std::string& dir = *o.keep;
      files.MakeFolder(dir);
      files.Add(WritePictureFile(s.TileImage, dir + "/square.bmp"));
      files.Add(WritePictureFile(s.TileGrid, dir + "/grid.bmp"));
      files.Add(WritePictureFile(s.Thumbnail, dir + "/small.bmp"));
    }
    files.Commit();
  } catch (const RunTimeError& e) {
    throw BadInput(e.what());
  }
}

void PrintSummary(std::ostream& err, const RenderOptions& o, const AppState& s, const Chroma& mean,
                  const StageTimes& t,
                  int32_t threads, const std::string& colourSource) {
  const EngineState& e = s.engine;
  const BoardConstants& b = e.board;
  const auto ms = [](double v) { return WholeNumberText(static_cast<int64_t>(std::llround(v))) + " ms"; };
  const char* p = kRenderProgramName;
  err << p << ": board " << b.BoardWidth << "x" << b.BoardHeight << ", N " << e.EngineNumPieces << ", R0 "
      << e.EngineSmallestRadius << ", grid cell T " << e.GridTileSize << "\n";
  err << p << ": tile colour " << SingleText(mean.Red) << "," << SingleText(mean.Green) << ","
      << SingleText(mean.Blue) << " (" << colourSource << "), spectrum index "
      << SingleText(-e.TileHueOffset) << "\n";
  err << p << ": load " << ms(t.load);
  if (!o.grid) err << ", square " << ms(t.square) << ", grid " << ms(t.grid);
  err << ", final " << ms(t.final) << " ("
      << (o.sequential ? std::string("sequential") : "fast path, " + WholeNumberText(threads) + " threads")
      << "), save " << ms(t.save) << "\n";
  err << p << ": wrote " << o.output << " (" << Dimensions(o.small ? s.Thumbnail : s.FinalImage) << ")";
  if (o.keep) err << " and square.bmp, grid.bmp, small.bmp in " << *o.keep;
  err << "\n";
}

// "Create Final Image" up to the launch of its job, for the fast path: the grid must be
// there already.
void PrepareFastPath(AppState& s, RecordingUi& ui) {
  int32_t action = kNoJob;
  try {
    action = PrepareFinalImage(s, ui);
  } catch (const RunTimeError& e) {
    throw BadInput(std::string("CreateFinal_Click: ") + e.what());
  }
  FailOnMessage(ui);
  if (action != kFinalImageStage) throw BadInput("the tile grid was not built");
}

// The still's final stage on every core.
void DrawStillFast(AppState& s, RecordingUi& ui, int32_t threads, ProgressLine& progress) {
  ParallelFinalOptions parallel;
  parallel.threads = threads;
  parallel.progress = [&](double done) {
    progress.Show(StageName(kFinalImageStage), done);
    return true;
  };
  try {
    RunFinalStageParallel(s, ui, parallel);
  } catch (const RunTimeError& e) {
    throw BadInput(std::string("Kick_Timer: ") + e.what());
  }
  FailOnMessage(ui);
}

void Render(const RenderOptions& o, std::ostream& err, bool terminal) {
  StageTimes times;
  const int32_t threads = CheckedThreads(o);
  AnimationValues animation;
  if (o.animate || o.join) animation = CheckedAnimation(o);
  AnimationRun run;
  run.threads = threads;
  run.progress = terminal && !o.quiet;
  run.quiet = o.quiet;
  if (o.join) return JoinAnimation(o, animation, err, run);
  AppState s;
  SetUpRenderState(o, s);
  CheckDestinations(o, s);
  const std::string seed = "--seed " + std::to_string(*s.RandomSeed);
  const std::string colourSource =
      s.GivenTileColor ? "given" : (o.grid ? "sampled from the grid, " : "sampled, ") + seed;

  RecordingUi ui;
  HeadlessHost host;
  Pipeline pipeline(s, host, ui);
  host.Attach(pipeline);
  ProgressLine progress(err, terminal && !o.quiet);
  TickWatch watch(host, s, ui, times, progress);

  // The tile, and the grid: built from the tile, or loaded.
  const Clock::time_point loadStart = Clock::now();
  if (o.grid) {
    LoadTileAndGrid(o, s, ui);
    times.load = MillisecondsSince(loadStart);
  } else {
    TakeTile(o, pipeline, s, ui, watch, host, threads);
    times.load = MillisecondsSince(loadStart) - times.square - times.grid;
  }
  progress.Clear();
  // As sampled (or given): the spectrum match of "Create Final Image" rounds its copy.
  const Chroma meanColour = s.engine.TileColor;

  // "Create Final Image".
  const Clock::time_point finalStart = Clock::now();
  const int32_t used = ThreadsToUse(threads);
  if (o.sequential) {
    watch.Begin();
    CreateFinalClick(pipeline, s, ui);
    watch.End();
    FailOnMessage(ui);
    if (s.JobState != kNoJob || s.FinalRunActive) throw BadInput("the final image was not finished");
  } else {
    PrepareFastPath(s, ui);
    if (o.animate) {
      progress.Clear();
      RenderAnimation(o, animation, s, ui, err, run);
      if (o.verbose && !o.quiet)
        err << kRenderProgramName << ": wrote " << o.output << " (frames " << animation.first << " to "
            << animation.end - 1 << " of " << animation.frames << ", " << MillisecondsSince(finalStart) / 1000.0
            << " s)\n";
      return;
    }
    DrawStillFast(s, ui, used, progress);
    times.final = MillisecondsSince(finalStart);
  }
  progress.Clear();

  const Clock::time_point saveStart = Clock::now();
  WriteFiles(o, s);
  times.save = MillisecondsSince(saveStart);
  if (o.verbose && !o.quiet) PrintSummary(err, o, s, meanColour, times, used, colourSource);
}

uint64_t ClockSeed() {
  return static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

}  // namespace

void SetUpRenderState(const RenderOptions& o, AppState& s) {
  s.SaveSquaredTile = false;
  s.SaveFinalPicture = false;
  // A seed is always set, so that a render can be repeated: the clock's when none is given.
  s.RandomSeed = o.seed ? CheckedSeed(*o.seed) : ClockSeed();
  if (o.tileColor) s.GivenTileColor = CheckedTileColor(o);

  int32_t width = 0, height = 0;
  CheckBoard(o, width, height);
  s.TileGrid.Resize(width, height);
  SetBoardConstants(s.TileGrid, s.engine.board);
  const BoardConstants& b = s.engine.board;
  // The first surface holds the loaded tile while it is squared: on a board smaller than
  // a tile can be it is made large enough for any tile, so the whole tile is squared and
  // tiled whatever the board (the tile-grid stage gives it the board's size again). The
  // third only ever holds the squared tile.
  if (width < kMostTileSide || height < kMostTileSide)
    s.TileGrid.Resize(std::max(width, kMostTileSide), std::max(height, kMostTileSide));
  s.SquareCopy.Resize(kMostTileSide, kMostTileSide);
  s.FinalImage.Resize(b.BoardWidth, b.BoardHeight);
  s.Thumbnail.Resize(ThumbnailSide(b.BoardWidth), ThumbnailSide(b.BoardHeight));

  FillConsole(o, b, s.settings, s.console);
  const ConsoleModel& c = s.console;
  EngineState& e = s.engine;
  try {
    e.EngineTurn45 = RoundToInteger(c.Turn45ListIndex);
    e.SpectrumShift = ToSingle(c.Cline * 0.01);
    e.BrightnessShift = ToSingle(c.Lighten * 0.01);
    e.EngineSmallestRadius = RoundToLong(LeadingNumber(c.SmallestRadius));
    e.EngineFadeWidth = ToSingleChecked(LeadingNumber(c.FadeWidth));
    SetPartsAndLayout(s);
  } catch (const RunTimeError& ex) {
    throw BadInput(ex.what());
  }
  s.SmallImageOnly = c.OutputOption[kSmallImageOnlyOption];
}

int RunRender(const RenderOptions& options, std::ostream& err, bool terminal) {
  try {
    Render(options, err, terminal);
    return kExitSuccess;
  } catch (const RenderFailure& e) {
    err << kRenderProgramName << ": " << e.what() << "\n";
    return e.Status();
  } catch (const RunTimeError& e) {
    err << kRenderProgramName << ": " << e.what() << "\n";
    return kExitBadInput;
  } catch (const std::bad_alloc&) {
    err << kRenderProgramName << ": not enough memory for a board of " << options.boardWidth << "x"
        << options.boardHeight << "\n";
    return kExitBadInput;
  } catch (const std::exception& e) {
    // What the system refuses (a thread, a folder look-up) ends the render all the same.
    err << kRenderProgramName << ": " << e.what() << "\n";
    return kExitBadInput;
  }
}

int RenderMain(int argc, const char* const* argv) {
  const ParsedCommandLine parsed = ParseRenderCommandLine(argc, argv, std::cout, std::cerr);
  if (!parsed.options) return parsed.status;
  return RunRender(*parsed.options, std::cerr, ::isatty(STDERR_FILENO) == 1);
}

}  // namespace marvane
