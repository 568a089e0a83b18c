#include "cli/render_driver.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <new>
#include <system_error>

#include "cli/animation.h"
#include "cli/poster.h"
#include "cli/render_failure.h"
#include "cli/render_progress.h"
#include "cli/render_sequential.h"
#include "cli/render_values.h"
#include "engine/geometry.h"
#include "engine/load_size_image.h"
#include "engine/tile_colour.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "platform/staged_files.h"
#include "platform/ui.h"
#include "run/render_input.h"
#include "run/tile_square.h"
#include "util/numbers.h"

namespace marvane {

namespace {

void FailOnMessage(const RecordingUi& ui) {
  if (!ui.Messages().empty()) throw BadInput(ui.FirstMessage());
}

uint64_t ClockSeed() {
  return static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

// The output's folder must be there, and the names must not be folders: found before
// any work, so that a mistyped name costs nothing.
std::optional<PosterPlan> CheckDestinations(const RenderOptions& o, const RenderJob& job) {
  namespace fs = std::filesystem;
  std::error_code ec;
  CheckTileSource(o.tile);
  const BoardConstants& b = job.board;
  if (o.animate) {
    CheckAnimationDestination(o, o.small ? ThumbnailSide(b.BoardWidth) : b.BoardWidth,
                              o.small ? ThumbnailSide(b.BoardHeight) : b.BoardHeight);
    return std::nullopt;
  }
  if (DrawnAsPoster(o)) return CheckedPosterPlan(o, b.BoardWidth, b.BoardHeight);
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
  return std::nullopt;
}

// The tile's mean colour: the given one, or sampled from the tile's area on `surface`.
ChromaExtended TileColourOf(const RenderJob& job, RecordingUi& ui, const Picture& surface, int32_t right,
                            int32_t bottom) {
  ChromaExtended colour;
  if (job.tileColour)
    SetGivenTileColor(*job.tileColour, colour);
  else
    GetTileColor(ui, surface, right, bottom, job.seed, colour);
  FailOnMessage(ui);
  return colour;
}

// The tile and a saved grid, as start-up loads "TileGrid.bmp": the tile only gives its
// measures (and the console's picture); the mean colour comes from the grid.
RenderTile LoadTileAndGrid(const RenderOptions& o, const RenderJob& job, RecordingUi& ui) {
  RenderTile t;
  try {
    t.square = LoadPictureFile(TilePathOf(o), Picture::kDefaultBackColor, kMostTileFilePixels);
  } catch (const RunTimeError& e) {
    throw BadInput(std::string("--tile: ") + e.what());
  }
  const int32_t right = t.square.Width() - 1, bottom = t.square.Height() - 1;
  if (!WithinTileLimits(right, bottom)) throw BadInput(TileSizeFailure(o.tile, right, bottom));
  t.squareLast = bottom;
  t.grid.Resize(job.board.BoardWidth, job.board.BoardHeight);
  try {
    t.grid.SetPicture(LoadPictureFile(*o.grid, t.grid.BackColor()));
  } catch (const RunTimeError& e) {
    throw BadInput(std::string("--grid: ") + e.what());
  }
  t.colour = TileColourOf(job, ui, t.grid, right, bottom);
  return t;
}

std::string Dimensions(const Picture& p) {
  return WholeNumberText(p.Width()) + "x" + WholeNumberText(p.Height());
}

// The pictures a render writes: the one asked for, and --keep's.
struct RenderPictures {
  Picture finalImage, thumbnail;
  const Picture& Output(const RenderOptions& o) const { return o.small ? thumbnail : finalImage; }
};

void WriteFiles(const RenderOptions& o, const RenderPictures& p, const RenderTile& tile, int32_t pixelsPerMetre) {
  StagedFiles files;
  try {
    files.Add(WritePictureFile(p.Output(o), OutputPathOf(o), OutputFormatOf(o), pixelsPerMetre));
    if (o.keep) {
      const std::string& dir = *o.keep;
      files.MakeFolder(dir);
      for (const auto& [picture, name] : {std::pair{&tile.square, "/square.bmp"}, {&tile.grid, "/grid.bmp"},
                                          {&p.thumbnail, "/small.bmp"}})
        files.Add(WritePictureFile(*picture, dir + name, "bmp", pixelsPerMetre));
    }
    files.Commit();
  } catch (const RunTimeError& e) {
    throw BadInput(e.what());
  }
}

struct SummaryValues {
  const EngineState* engine = nullptr;
  Chroma mean;  // as sampled or given: the spectrum match rounds its copy
  std::string colourSource;
  int32_t threads = 0;
};

void PrintSummary(std::ostream& err, const RenderOptions& o, const SummaryValues& v, const StageTimes& t,
                  const std::string& written) {
  const EngineState& e = *v.engine;
  const BoardConstants& b = e.board;
  const auto ms = [](double d) { return WholeNumberText(static_cast<int64_t>(std::llround(d))) + " ms"; };
  const char* p = kRenderProgramName;
  err << p << ": board " << b.BoardWidth << "x" << b.BoardHeight << ", N " << e.EngineNumPieces << ", R0 "
      << e.EngineSmallestRadius << ", grid cell T " << e.GridTileSize << "\n";
  err << p << ": tile colour " << SingleText(v.mean.Red) << "," << SingleText(v.mean.Green) << ","
      << SingleText(v.mean.Blue) << " (" << v.colourSource << "), spectrum index " << SingleText(-e.TileHueOffset)
      << "\n";
  err << p << ": load " << ms(t.load);
  if (!o.grid) err << ", square " << ms(t.square) << ", grid " << ms(t.grid);
  err << ", final " << ms(t.final) << " ("
      << (o.sequential ? std::string("sequential") : "fast path, " + WholeNumberText(v.threads) + " threads")
      << "), save " << ms(t.save) << "\n";
  err << p << ": wrote " << written;
  if (o.keep) err << " and square.bmp, grid.bmp, small.bmp in " << *o.keep;
  err << "\n";
}

// The still on every core: the small picture only when it is written.
RenderPictures DrawStill(const RenderOptions& o, const RenderInput& input, const Picture& grid, RecordingUi& ui,
                         int32_t threads, ProgressLine& progress) {
  RenderPictures p;
  p.finalImage = BlankFinalImage(input);
  p.thumbnail = BlankThumbnail(input);
  ParallelFinalOptions parallel;
  parallel.threads = threads;
  parallel.progress = [&](double done) {
    progress.Show("final image", done);
    return true;
  };
  // Without the small picture the colours go straight into the full-size one: the same
  // colours, only not replayed onto a picture nobody writes.
  const bool small = o.small || o.keep;
  try {
    DrawFinalStage(FinalStageInputFor(input, grid), ui, parallel, p.finalImage, small ? &p.thumbnail : nullptr);
  } catch (const RunTimeError& e) {
    throw BadInput(std::string("Kick_Timer: ") + e.what());
  }
  FailOnMessage(ui);
  return p;
}

// The loop of --animate: every frame over the one grid.
void MakeAnimation(const RenderOptions& o, const AnimationValues& animation, const RenderInput& input,
                   const Picture& grid, RecordingUi& ui, std::ostream& err, const AnimationRun& run) {
  const RenderClock::time_point start = RenderClock::now();
  RenderAnimation(o, animation, input, grid, ui, err, run);
  if (o.verbose && !o.quiet)
    err << kRenderProgramName << ": wrote " << o.output << " (frames " << animation.first << " to "
        << animation.end - 1 << " of " << animation.frames << ", " << MillisecondsSince(start) / 1000.0 << " s)\n";
}

void Render(const RenderOptions& o, std::ostream& err, bool terminal) {
  StageTimes times;
  AnimationRun run;
  run.threads = CheckedThreads(o);
  run.progress = terminal && !o.quiet;
  run.quiet = o.quiet;
  if (o.join && JoinsPosterBands(o)) return JoinBands(o, err, run.progress);
  AnimationValues animation;
  if (o.animate || o.join) animation = CheckedAnimation(o);
  if (o.join) return JoinAnimation(o, animation, err, run);
  const RenderJob job = CheckedRenderJob(o);
  const std::optional<PosterPlan> poster = CheckDestinations(o, job);
  SummaryValues summary;
  summary.colourSource = job.tileColour ? "given"
                                        : (o.grid ? "sampled from the grid, " : "sampled, ") +
                                              ("--seed " + std::to_string(job.seed));
  summary.threads = ThreadsToUse(run.threads);

  RecordingUi ui;
  ProgressLine progress(err, terminal && !o.quiet);
  RenderTile tile;
  const RenderClock::time_point loadStart = RenderClock::now();
  if (o.grid || !o.sequential) {
    tile = MakeRenderTile(o, job, ui, &times);
    times.load = MillisecondsSince(loadStart) - times.square;
  }
  summary.mean = tile.colour;

  RenderPictures pictures;
  std::optional<RenderInput> input;
  AppState s;
  if (o.sequential) {
    SetUpRenderState(job, s);
    summary.mean = RenderSequential(o, o.grid ? &tile : nullptr, s, ui, times, progress);
    summary.engine = &s.engine;
    if (!o.grid) tile.square = s.TileImage, tile.grid = s.TileGrid;
    pictures.finalImage = std::move(s.FinalImage), pictures.thumbnail = std::move(s.Thumbnail);
  } else {
    try {
      input = MakeRenderInput(ui, job.console, job.board, tile.colour);
    } catch (const RunTimeError& e) {
      throw BadInput(std::string("CreateFinal_Click: ") + e.what());
    }
    FailOnMessage(ui);
    summary.engine = &input->engine;
    if (poster) {
      RenderPoster(o, *poster, *input, tile, ui, summary.threads, progress, times, job.pixelsPerMetre);
      if (o.verbose && !o.quiet)
        PrintSummary(err, o, summary, times,
                     poster->path + " (" + WholeNumberText(job.board.BoardWidth) + "x" +
                         WholeNumberText(poster->end - poster->first) +
                         (poster->band ? ", rows " + WholeNumberText(poster->first) + " to " +
                                             WholeNumberText(poster->end - 1) + ")"
                                       : ")"));
      return;
    }
    if (!o.grid) {
      const RenderClock::time_point gridStart = RenderClock::now();
      // Only --keep writes the grid out; the final stage needs just its corner.
      tile.grid = MakeTileGridPicture(ui, *input, tile.square, tile.squareLast, run.threads, {},
                                      o.keep ? GridExtent::WholeBoard : GridExtent::FinalStageCorner);
      FailOnMessage(ui);
      times.grid = MillisecondsSince(gridStart);
    }
    if (o.animate) return MakeAnimation(o, animation, *input, tile.grid, ui, err, run);
    const RenderClock::time_point drawStart = RenderClock::now();
    pictures = DrawStill(o, *input, tile.grid, ui, summary.threads, progress);
    times.final = MillisecondsSince(drawStart);
  }
  progress.Clear();

  const RenderClock::time_point saveStart = RenderClock::now();
  WriteFiles(o, pictures, tile, job.pixelsPerMetre);
  times.save = MillisecondsSince(saveStart);
  if (o.verbose && !o.quiet)
    PrintSummary(err, o, summary, times, o.output + " (" + Dimensions(pictures.Output(o)) + ")");
}

}  // namespace

RenderJob CheckedRenderJob(const RenderOptions& o) {
  RenderJob job;
  job.seed = o.seed ? CheckedSeed(*o.seed) : ClockSeed();
  if (o.tileColor) job.tileColour = CheckedTileColor(o);
  int32_t width = 0, height = 0;
  CheckBoard(o, width, height);
  if (width > kLargestWholeBoardSide || height > kLargestWholeBoardSide) {
    // Beyond it the picture is only ever drawn a band at a time.
    const std::string why = ": only for boards up to " + WholeNumberText(kLargestWholeBoardSide) + " x " +
                            WholeNumberText(kLargestWholeBoardSide) + "; a larger poster is drawn a band at a time";
    for (const auto& [given, flag] : {std::pair{o.small, "--small"}, {o.keep.has_value(), "--keep"},
                                      {o.grid.has_value(), "--grid"}, {o.sequential, "--sequential"},
                                      {o.animate.has_value(), "--animate"}})
      if (given) throw BadInput(std::string(flag) + why);
  }
  job.pixelsPerMetre = CheckedPixelsPerMetre(o);
  SetBoardConstants(width, height, job.board);
  FillConsole(o, job.board, job.settings, job.console);
  // The number boxes as the engine takes them, and the spiral they make.
  try {
    EngineForConsole(job.console, job.board, ChromaExtended());
  } catch (const RunTimeError& ex) {
    throw BadInput(ex.what());
  }
  return job;
}

RenderTile MakeRenderTile(const RenderOptions& o, const RenderJob& job, RecordingUi& ui, StageTimes* times) {
  if (o.grid) return LoadTileAndGrid(o, job, ui);
  // A new tile, as the console's tile button takes it: loaded and squared.
  Picture surface;
  int32_t right = 0, bottom = 0;
  if (!LoadSizeImage(ui, surface, TilePathOf(o), right, bottom)) throw BadInput("--tile: " + ui.Messages().front().text);
  if (!WithinTileLimits(right, bottom)) throw BadInput(TileSizeFailure(o.tile, right, bottom));
  RenderTile t;
  t.colour = TileColourOf(job, ui, surface, right, bottom);
  const RenderClock::time_point squareStart = RenderClock::now();
  const TileSquaring sq = TileSquaringOf(right + 1, bottom + 1);
  t.square = SquareTile(ui, surface, sq);
  t.squareLast = sq.last;
  if (times) times->square = MillisecondsSince(squareStart);
  FailOnMessage(ui);
  return t;
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
    const auto [width, height] = AskedBoard(options);
    err << kRenderProgramName << ": not enough memory for a board of " << width << "x" << height << "\n";
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
