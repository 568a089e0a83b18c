// The job pipeline and the renderer on the desktop's 793 x 573 board with its default
// settings: one tick of each stage (the desktop runs one every 100 ms, so a tick should
// stay well under 10 ms), the final stage on 1, 2 and 4 threads (their ratio is the
// fast path's speed-up), the whole render sequential and on the fast path, renders of
// 4096 x 4096 and 8192 x 8192, and writing a large picture as PNG and BMP.
//
// The ticks are taken from a real run: the state at the start of a tick is kept and
// the tick is run again on a copy of it, so each figure is one tick exactly as the
// desktop's timer would run it.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "cli/render_driver.h"
#include "cli/render_sequential.h"
#include "cli/render_options.h"
#include "platform/picture.h"
#include "platform/picture_files.h"
#include "platform/ui.h"
#include "run/app_state.h"
#include "run/create_final.h"
#include "run/final_stage_parallel.h"
#include "run/headless_host.h"
#include "run/pipeline.h"
#include "run/poster.h"
#include "run/preview.h"
#include "run/render_input.h"
#include "run/tile_grid.h"
#include "run/tile_image.h"

namespace marvane {
namespace {

// A 248 x 200 tile (a wide tile: 25 squaring ticks), colourful
// enough that sampling and matching do real work.
std::string BenchTile() {
  static const std::string path = [] {
    const std::string folder = (std::filesystem::temp_directory_path() / "marvane-bench").string();
    std::filesystem::create_directories(folder);
    Picture tile(248, 200, 0);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 248; ++x)
        tile.PSet(x, y, (x * 255 / 248) + 256 * (y * 255 / 200) + 65536 * (((x / 9 + y / 7) % 2) ? 220 : 40));
    const std::string file = folder + "/tile.bmp";
    SavePictureFile(tile, file);
    return file;
  }();
  return path;
}

std::string BenchFolder() { return std::filesystem::path(BenchTile()).parent_path().string(); }

RenderOptions DefaultOptions() {
  RenderOptions o;
  o.tile = BenchTile();
  o.output = BenchFolder() + "/Final.bmp";
  o.seed = "1";
  o.quiet = true;
  return o;
}

// The state at the start of chosen ticks of one sequential default render.
struct TickStarts {
  std::optional<AppState> squaring;   // the second squaring tick
  std::optional<AppState> gridSetUp;  // the grid's first tick, which sets it up and fills the board
  std::optional<AppState> grid;       // a tick half way through the grid
  std::optional<AppState> final;      // a tick half way through the final picture
  std::optional<AppState> ready;      // the tile squared and the grid built
};

const TickStarts& Starts() {
  static const TickStarts starts = [] {
    TickStarts t;
    AppState s;
    SetUpRenderState(CheckedRenderJob(DefaultOptions()), s);
    RecordingUi ui;
    HeadlessHost host;
    Pipeline pipeline(s, host, ui);
    host.Attach(pipeline);
    host.beforeTick = [&](int) {
      const BoardConstants& b = s.engine.board;
      if (s.JobState == kSquaringStage && s.ScanX > 0 && !t.squaring) t.squaring = s;
      if (s.JobState == kTileGridStage && s.SliceCount < 0 && !t.gridSetUp) t.gridSetUp = s;
      if (s.JobState == kTileGridStage && s.SliceCount >= 0 && !t.grid &&
          s.GridCellX > (s.GridCellStart + s.GridCellEnd) / 2)
        t.grid = s;
      if (s.JobState == kFinalImageStage && !t.final && s.ScanX >= b.CenterX + (b.BoardRight - b.CenterX) / 2)
        t.final = s;
      return true;
    };
    TakeNewTile(pipeline, s, ui, BenchTile());
    t.ready = s;
    CreateFinalClick(pipeline, s, ui);
    return t;
  }();
  return starts;
}

void RunOneTick(benchmark::State& state, const std::optional<AppState>& start) {
  if (!start) {
    state.SkipWithError("no such tick in the default render");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    AppState s = *start;
    RecordingUi ui;
    HeadlessHost host;
    Pipeline pipeline(s, host, ui);
    state.ResumeTiming();
    pipeline.KickTimer();
    benchmark::DoNotOptimize(s.ScanX);
  }
}

void BM_TickSquaring(benchmark::State& state) { RunOneTick(state, Starts().squaring); }
void BM_TickTileGridSetUp(benchmark::State& state) { RunOneTick(state, Starts().gridSetUp); }
void BM_TickTileGrid(benchmark::State& state) { RunOneTick(state, Starts().grid); }
void BM_TickFinalImage(benchmark::State& state) { RunOneTick(state, Starts().final); }
BENCHMARK(BM_TickSquaring)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickTileGridSetUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickTileGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickFinalImage)->Unit(benchmark::kMillisecond);

// The final stage alone, from the same prepared state: the pipeline's ticks back to
// back against the fast path.
void BM_FinalStageSequential(benchmark::State& state) {
  const std::optional<AppState>& start = Starts().ready;
  for (auto _ : state) {
    state.PauseTiming();
    AppState s = *start;
    RecordingUi ui;
    HeadlessHost host;
    Pipeline pipeline(s, host, ui);
    host.Attach(pipeline);
    const int32_t action = PrepareFinalImage(s, ui);
    benchmark::DoNotOptimize(action);
    state.ResumeTiming();
    pipeline.LaunchAction(kFinalImageStage, s.engine.board.BoardRight, s.engine.board.BoardBottom);
    benchmark::DoNotOptimize(s.FinalImage.Pixels().data());
  }
}
void BM_FinalStageFastPath(benchmark::State& state) {
  const std::optional<AppState>& start = Starts().ready;
  RecordingUi ui;
  const RenderInput in = MakeRenderInput(ui, start->console, start->engine.board, start->engine.TileColor);
  for (auto _ : state) {
    state.PauseTiming();
    Picture finalImage = BlankFinalImage(in), thumbnail = BlankThumbnail(in);
    state.ResumeTiming();
    ParallelFinalOptions options;
    options.threads = static_cast<int32_t>(state.range(0));
    DrawFinalStage(FinalStageInputFor(in, start->TileGrid), ui, options, finalImage, &thumbnail);
    benchmark::DoNotOptimize(finalImage.Pixels().data());
  }
}
// Wall-clock time, with the CPU time of every thread of the process beside it: on a
// busy machine the first shows the speed-up it got, the second what the threads cost.
BENCHMARK(BM_FinalStageSequential)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FinalStageFastPath)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Arg(1)
    ->Arg(2)
    ->Arg(4);

// The full-size picture a band of rows at a time, as a poster is drawn, on two threads:
// in bands of 64 rows over the grid's corner (argument 0) or over the grid worked out
// where it is read (1), and as one band over the corner (2), as a picture up to 256 MB
// is drawn. 0 against 2 gives what drawing apart from the mirror rows costs, 1 against
// 0 what reading the grid from its place costs.
void BM_PosterBands(benchmark::State& state) {
  const std::optional<AppState>& start = Starts().ready;
  RecordingUi ui;
  const RenderInput in = MakeRenderInput(ui, start->console, start->engine.board, start->engine.TileColor);
  const Picture corner = MakeTileGridPicture(ui, in, start->TileImage, start->SquareLast, 2, {},
                                             GridExtent::FinalStageCorner);
  const Picture square = GridSquareSurface(start->TileImage);
  const TileGridReader reader(ui, TileGridInputFor(in.engine, square, start->SquareLast), corner.Width(),
                              corner.Height(), in.engine.TileColor.Value);
  FinalStageInput stage = FinalStageInputFor(in, corner);
  if (state.range(0) == 1) stage.gridSource = &reader;
  for (auto _ : state) {
    PosterOptions options;
    options.endRow = in.engine.board.BoardHeight;
    options.threads = 2;
    options.bandRows = state.range(0) == 2 ? 0 : 64;
    int64_t sum = 0;
    DrawPoster(stage, ui, options, [&](const int32_t* rows, int32_t, int32_t) { sum += rows[0]; });
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_PosterBands)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Arg(0)->Arg(1)->Arg(2);

// The whole program's work, file reading and writing included, as marvane-render does it.
void RenderWith(benchmark::State& state, RenderOptions o) {
  std::ostringstream err;
  for (auto _ : state) {
    const int status = RunRender(o, err, false);
    if (status != 0) state.SkipWithError(err.str().c_str());
  }
}

void BM_RenderDefaultSequential(benchmark::State& state) {
  RenderOptions o = DefaultOptions();
  o.sequential = true;
  RenderWith(state, o);
}
void BM_RenderDefaultFastPath(benchmark::State& state) { RenderWith(state, DefaultOptions()); }
BENCHMARK(BM_RenderDefaultSequential)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_RenderDefaultFastPath)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

RenderOptions LargeOptions() {
  RenderOptions o = DefaultOptions();
  o.boardWidth = 4096;
  o.boardHeight = 4096;
  o.output = BenchFolder() + "/Large.bmp";
  return o;
}
// 8192 x 8192: run it alone (--benchmark_filter=Render8192) for its peak memory, which the
// process's high-water mark then shows.
void BM_Render8192FastPath(benchmark::State& state) {
  RenderOptions o = LargeOptions();
  o.boardWidth = o.boardHeight = 8192;
  RenderWith(state, o);
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_Render8192FastPath)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

// Writing a 2000 x 1500 final picture, as PNG and as BMP.
void SaveBig(benchmark::State& state, const std::string& name) {
  static const Picture picture = [] {
    RenderOptions o = DefaultOptions();
    o.boardWidth = 2000;
    o.boardHeight = 1500;
    o.output = BenchFolder() + "/Big.bmp";
    std::ostringstream err;
    RunRender(o, err, false);
    return LoadPictureFile(o.output, 0);
  }();
  const std::string path = BenchFolder() + "/" + name;
  for (auto _ : state) SavePictureFile(picture, path);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
void BM_SavePng2000x1500(benchmark::State& state) { SaveBig(state, "Big.png"); }
void BM_SaveBmp2000x1500(benchmark::State& state) { SaveBig(state, "Big2.bmp"); }
BENCHMARK(BM_SavePng2000x1500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBmp2000x1500)->Unit(benchmark::kMillisecond);

void BM_Render4096Sequential(benchmark::State& state) {
  RenderOptions o = LargeOptions();
  o.sequential = true;
  RenderWith(state, o);
}
void BM_Render4096FastPath(benchmark::State& state) { RenderWith(state, LargeOptions()); }
BENCHMARK(BM_Render4096Sequential)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_Render4096FastPath)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

// The live preview's render, from a request to the finished small picture, with all
// four quadrants ticked: on the grid the desktop already has, and with a grid of its own
// to build first (the number of parts alternates between 12 and 13, so every render
// builds one). The median of repetitions is the latency a slider's move waits for.
void BM_PreviewKeptGrid(benchmark::State& state) {
  std::shared_ptr<const Picture> square, grid;
  const PreviewRequest request = MakePreviewRequest(*Starts().ready, square, grid);
  PreviewRenderer renderer;
  for (auto _ : state) {
    auto result = renderer.Render(request, [] { return false; });
    if (!result || !result->message.empty() || result->gridBuilt) state.SkipWithError("no preview on the kept grid");
  }
}
void BM_PreviewNewGrid(benchmark::State& state) {
  std::shared_ptr<const Picture> square, grid;
  AppState s = *Starts().ready;
  s.settings.NeedToRedrawGrid = true;
  PreviewRequest requests[2];
  for (int i = 0; i < 2; ++i) {
    s.engine.EngineNumPieces = 12 + i;
    requests[i] = MakePreviewRequest(s, square, grid);
  }
  PreviewRenderer renderer;
  int i = 0;
  for (auto _ : state) {
    auto result = renderer.Render(requests[i++ % 2], [] { return false; });
    if (!result || !result->message.empty() || !result->gridBuilt) state.SkipWithError("no preview on a new grid");
  }
}
BENCHMARK(BM_PreviewKeptGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_PreviewNewGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
}  // namespace marvane
