// Start-up and the job pipeline, tick by tick, the renderer's parallel final stage, and the
// preview's copies of the desktop's pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <random>
#include <thread>
#include <tuple>

#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "run/create_final.h"
#include "run/final_stage_parallel.h"
#include "run/headless_host.h"
#include "run/poster.h"
#include "run/preview.h"
#include "run/startup.h"
#include "run/tile_image.h"
#include "run/thread_runner.h"
#include "run/tile_square.h"
#include "support/picture_checks.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using namespace marvane::testing;
using std::tuple;

// A colour ramp with a bright diagonal, so that squaring and sampling show.
Picture Tile(int w, int h) {
  Picture p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.PSet(x, y, x * 255 / w + 256 * (y * 255 / h) + 65536 * ((x + y) % 17 ? 60 : 250));
  return p;
}

// The program started with `ini` as its settings and the last run's grid on a w x h board (0:
// the desktop's). The host records JobState, ScanX, ScanY and SliceCount, and the progress
// shown, before each tick.
struct Session {
  TempFolder folder;
  AppState s;
  RecordingUi ui;
  HeadlessHost host;
  Pipeline pipeline{s, host, ui};
  std::vector<tuple<int32_t, int32_t, int32_t, float>> snaps;
  std::vector<double> shown;
  int cancelAt = 2000;  // CANCEL is pressed before this tick; no job here needs as many

  Session() {
    host.Attach(pipeline);
    host.beforeTick = [this](int done) {
      snaps.emplace_back(s.JobState, s.ScanX, s.ScanY, s.SliceCount);
      shown.push_back(host.fraction);
      return done < cancelAt;
    };
  }
  bool Start(const std::string& ini = "", int w = 640, int h = 480) {
    WriteFileBytes(folder / "Tesklet.INI", ini);
    if (w > 0) s.TileGrid = Picture(w, h);
    SavePictureFile(Tile(w > 0 ? w : 793, w > 0 ? h : 573), folder / "TileGrid.bmp");
    s.RandomSeed = 7;
    StartUpHost windows;
    return Main(s, ui, windows, folder.Path(), folder / "Tesklet.INI");
  }
  bool Take(const Picture& tile) {
    SavePictureFile(tile, folder / "Rose.bmp");
    return TakeNewTile(pipeline, s, ui, folder / "Rose.bmp");
  }
  tuple<std::string, std::string> Message(size_t i) const { const auto m = ui.Messages().at(i); return {m.title, m.text}; }
};

// On a 640 x 480 board N = 50 makes the outer piece 2 pi 400 / 50 = 50.27 wide: the grid
// cell is T = 50 and repeats every 51 pixels.
constexpr const char* kFiftyParts = "[Numbers]\nNumRadialPieces=50\n";

// 495.625 x 6.283186 / 12 = 259.5 on the desktop's board: the grid cell is 259, its
// period 260, its half 130 (129.5 to even). The default tile does not exist: passed over.
TEST(StartUp, AFirstStartOpensWithTheDefaultsOnTheDesktopBoard) {
  Session run;
  ASSERT_TRUE(run.Start("", 0));
  const ConsoleModel& c = run.s.console;
  const AppState& s = run.s;
  EXPECT_EQ(tuple(c.NumPieces, c.SmallestRadius, c.FadeWidth, c.TileFile, c.SaveFile),
            tuple("12", "15", "60", run.folder / "Tiles/Basic.bmp", run.folder / "Output/Final.bmp"));
  EXPECT_EQ((std::vector{c.Turn45ListIndex, c.SpecStart, c.Cline, c.Lighten, c.LightStart}),
            (std::vector{0, 104, -54, -29, 95}));
  EXPECT_EQ((std::vector{s.engine.board.BoardWidth, s.Thumbnail.Width(), s.Thumbnail.Height(), s.TileImage.Width(),
                         s.SquareSide, s.engine.GridTileSize, s.GridPeriod, s.GridHalf, s.engine.EngineSmallestRadius}),
            (std::vector{793, 199, 144, 248, 248, 259, 260, 130, 15}));
  EXPECT_EQ(tuple(s.engine.SpectrumShift, s.engine.BrightnessShift, s.SmallImageOnly, s.engine.TileColor.Level),
            tuple(-0.54f, -0.29f, true, 1));
  EXPECT_EQ(FolderListing(run.folder.Path()), "Output\nTesklet.INI\nTileGrid.bmp\nTiles\n");
  EXPECT_TRUE(run.Start("", 0) && run.ui.Messages().empty());  // and again, with the folders there
}

// The rotation list's index runs from -1 (no item) to 2, each slider over its range; the
// fast-path cases below start with every bound.
TEST(StartUp, ASettingOutsideItsControlEndsStartUp) {
  for (const char* out : {"Turn45=-2", "Turn45=3", "Cline=-151", "Cline=151", "SpecStart=-1", "SpecStart=427",
                          "Lighten=-101", "Lighten=101", "LightStart=-101", "LightStart=101"}) {
    Session run;
    EXPECT_FALSE(run.Start(std::string("[Numbers]\n") + out + "\n", 64, 48)) << out;
    EXPECT_EQ(tuple(run.ui.Messages().size(), run.Message(0)), tuple(1u, tuple("Main", "Invalid property value")));
  }
}

// (255, 128, 0) is the spectrum's entry 40. A LightStart of 100 gives e^1.3 - 0.27253 =
// 3.3968, which scales the white floor 75 past 255: the centre is white.
TEST(CreateFinal, PreparesTheColoursTheStrideAndTheScanFromTheConsole) {
  Session run;
  ASSERT_TRUE(run.Start());
  AppState& s = run.s;
  s.engine.TileColor.Value = 255 + 256 * 128;
  s.console.LightStart = 100, s.console.Cline = -150, s.console.FadeWidth = "33";
  s.console.SmallestRadius = "20.5";  // never validated: still used, rounded to 20
  s.settings.NeedToRedrawGrid = true;
  EXPECT_EQ(PrepareFinalImage(s, run.ui), kTileGridStage);
  EXPECT_EQ(tuple(s.engine.CenterColor.Value, s.Thumbnail.Point(0, 0), s.engine.TileHueOffset, s.engine.SpectrumShift),
            tuple(0xFFFFFF, 0xFFFFFF, -40.0f, -1.5f));
  EXPECT_EQ(tuple(s.engine.EngineSmallestRadius, s.engine.spiral.InnerRadiusReal, s.engine.EngineFadeWidth),
            tuple(20, 20.0, 33.0f));
  EXPECT_EQ(tuple(s.ScaleDivisor, s.ScaleFactor, s.FinalRunActive, s.ScanX, s.ScanY), tuple(4, 0.25f, true, 320, 240));
  s.console.SelectOutputOption(kBothLargeAndSmallOption);
  s.settings.NeedToRedrawGrid = false;
  EXPECT_EQ(PrepareFinalImage(s, run.ui), kFinalImageStage);
  EXPECT_EQ(tuple(s.ScaleDivisor, s.ScaleFactor), tuple(1, 1.0f));
}

// A 248 x 200 tile's square is 248 x 248 = 61504 items, column by column: 24 ticks of 2501 =
// 10 x 248 + 21, ending at 242 x 248 + 8, and one of 1480. The grid's 52 x 52 samples (247 / 51
// tile pixels apart) take two more, 48 columns and 5 in the first; the next tick closes.
TEST(TileChange, AWideTileIsSquaredSavedAndMadeIntoTheGrid) {
  Session run;
  ASSERT_TRUE(run.Start(kFiftyParts) && run.Take(Tile(248, 200)));
  const AppState& s = run.s;
  ASSERT_EQ(run.snaps.size(), 28u);
  EXPECT_EQ(tuple(run.snaps[1], run.snaps[24]), tuple(tuple(1, 10, 21, 2501.0f), tuple(1, 242, 8, 2501.0f)));
  EXPECT_EQ(tuple(run.shown[1], run.shown[24]), tuple(2501 / 61504.0, 60024 / 61504.0));  // items done of 248 x 248
  EXPECT_EQ(tuple(run.snaps[25], run.snaps[26]), tuple(tuple(2, 0, 0, -1.0f), tuple(2, 48, -20, 2501.0f)));
  EXPECT_EQ(tuple(std::get<0>(run.snaps[27]), s.ScanX, s.settings.NeedToRedrawGrid, run.host.label),
            tuple(0, 52, false, "Creating Tile Grid..."));
  const std::string squared = run.folder / "Rose-Square.bmp";
  EXPECT_EQ(tuple(s.settings.TileFileName, s.console.TileFile, s.settings.PicRight, s.settings.PicBottom, s.SquareMode,
                  s.SquareScale),
            tuple(squared, squared, 247, 247, 0, 1.24f));
  EXPECT_TRUE(test::SamePicture(LoadPictureFile(squared, 0), s.TileImage));
  EXPECT_EQ(tuple(s.engine.GridTileSize, s.GridPeriod, s.GridHalf, s.GridSampleStep, s.GridSampleSize,
                  s.GridCellStart, s.GridCellEnd), tuple(50, 51, 25, 4.8431373f, 4.8431373f, 2.4215686f, 53.421569f));
}

// Row Y of a wide tile's square samples the tile's row Y / 2, column X of a tall one's
// column X / 2: the even rows or columns are the tile's own.
TEST(TileChange, TheShortSideIsStretched) {
  for (const auto& [w, h] : {tuple(60, 30), tuple(30, 60)}) {
    Session run;
    ASSERT_TRUE(run.Start(kFiftyParts, 101, 77) && run.Take(Tile(w, h)));
    EXPECT_EQ(tuple(run.s.SquareSide, run.s.SquareScale, run.s.SquareScaleInv), tuple(60, 2.0f, 0.5f));
    const Picture saved = LoadPictureFile(run.folder / "Rose-Square.bmp", 0), tile = Tile(w, h);
    EXPECT_EQ(std::count(saved.Pixels().begin(), saved.Pixels().end(), 0), 0);  // every pixel drawn
    for (int a = 0; a < 60; a += 7)
      for (int b = 0; b < 30; b += 4)
        EXPECT_EQ(w > h ? saved.Point(a, 2 * b) : saved.Point(2 * b, a), w > h ? tile.Point(a, b) : tile.Point(b, a));
    // Squared at once, as the renderer squares it, the tile is the job's square.
    RecordingUi ui;
    EXPECT_TRUE(test::SamePicture(SquareTile(ui, tile, TileSquaringOf(w, h)), saved));
  }
}

// Sides of 10 to 300 pixels are taken. A 10-pixel tile with T = 50 is sampled every 9 / 51
// pixels, over one pixel.
TEST(TileChange, SidesOf10To300PixelsAreTaken) {
  Session run;
  ASSERT_TRUE(run.Start(kFiftyParts));
  for (const auto& [w, h] : {tuple(9, 300), tuple(300, 9), tuple(301, 10), tuple(10, 301), tuple(300, 300), tuple(10, 10)})
    EXPECT_EQ(run.Take(Tile(w, h)), w + h == 600 || w + h == 20) << w << "x" << h;
  EXPECT_EQ(tuple(run.ui.Messages().size(), run.ui.BeepCount(), run.s.GridSampleStep, run.s.GridSampleSize),
            tuple(4u, 4, 9 / 51.0f, 1.0f));
}

// The squared tile is named after the tile up to its last "." (looked for back to the
// second character, folders included), followed by "-Square.bmp".
TEST(SaveNewTile, NamesTheSquaredTileAfterTheLastDot) {
  Session run;
  run.s.SaveSquaredTile = false;
  run.s.SquareLast = 9;
  for (const auto& [name, squared] :
       {tuple("/t/Rose.jpg", "/t/Rose-Square.bmp"), tuple("/t/Rose", "/t/Rose-Square.bmp"),
        tuple("/t/My.Pictures/Rose", "/t/My-Square.bmp"), tuple(".Rose", ".Rose-Square.bmp"), tuple("a.b.c", "a.b-Square.bmp")}) {
    run.s.settings.TileFileName = name, run.s.SquareMode = 1;
    run.pipeline.SaveNewTile();
    EXPECT_EQ(tuple(run.s.settings.TileFileName, run.s.console.TileFile, run.s.SquareMode, run.s.settings.PicBottom),
              tuple(squared, squared, 0, 9));
  }
}

// N = 0 makes the grid's set-up divide by zero: each tick says so and, its slice count
// still negative, sets up again at the next. The job's numbers are rounded half to even;
// CANCEL's clean-up stops the timer and gives the screen back to the console.
TEST(JobControl, AnErrorEndsOnlyItsTickAndCancellingCleansUp) {
  Session run;
  ASSERT_TRUE(run.Start(kFiftyParts, 64, 48));
  run.s.console.NumPieces = "0";
  run.s.FinalRunActive = true;
  run.cancelAt = 3;
  run.pipeline.LaunchAction(2.4, 62.5, 47.5);
  EXPECT_EQ(tuple(run.ui.Messages().size(), run.Message(2), run.snaps[2]),
            tuple(3u, tuple("Kick_Timer", "Division by zero"), tuple(2, 0, 0, -1.0f)));
  EXPECT_EQ(tuple(run.s.ScanLastX, run.s.ScanLastY, run.s.JobState, run.s.FinalRunActive, run.host.timerInterval,
                  run.pipeline.ProgressLoaded()), tuple(62, 48, 0, false, 0, false));
  for (Form f : {Form::Console, Form::Progress, Form::FinalImage, Form::Workspace3, Form::Workspace1})
    EXPECT_EQ(run.host.Visible(f), f == Form::Console) << HeadlessHost::Name(f);
}

constexpr const char* kNumberKeys[] = {"Turn45",  "NumRadialPieces", "SmallestRadius", "FadeWidth",
                                       "Lighten", "LightStart",      "Cline",          "SpecStart"};
struct Case {
  int boardW, boardH, tileW, tileH;
  std::array<int, 8> numbers;  // for kNumberKeys
  int quadrants;               // bit q ticks FillInQuadrant[q]
  bool small, redrawGrid;
  int threads;
};

std::string Name(const Case& c) {
  std::string name = "board" + std::to_string(c.boardW) + "x" + std::to_string(c.boardH) + "_tile" +
                     std::to_string(c.tileW) + "x" + std::to_string(c.tileH) + "_numbers";
  for (int v : c.numbers) name += (v < 0 ? "_m" : "_") + std::to_string(std::abs(v));
  return name + "_quadrants" + std::to_string(c.quadrants) + (c.small ? "_small" : "_full") +
         (c.redrawGrid ? "_newGrid_" : "_") + std::to_string(c.threads) + "threads";
}
void PrintTo(const Case& c, std::ostream* out) { *out << Name(c); }

// A wide matrix of small cases drawn with a fixed seed, every choice of quadrants among them.
std::vector<Case> Matrix() {
  std::mt19937 random(20260);
  const auto pick = [&random](std::initializer_list<int> values) { return values.begin()[random() % values.size()]; };
  std::vector<Case> cases;
  for (int i = 0; i < 24; ++i) {
    const int w = pick({48, 64, 65, 101, 103}), h = w == 48 ? 64 : pick({48, 49, 77});
    cases.push_back({w, h, std::min(w, pick({10, 23, 40, 60})), std::min(h, pick({10, 17, 40, 60})),
                     {pick({-1, 0, 1, 2}), pick({6, 12, 31, 99}), pick({3, 15, 20}), pick({3, 40, 60}),
                      pick({-100, -29, 0, 100}), pick({-100, 95, 100}), pick({-150, -54, 0, 150}), pick({0, 104, 426})},
                     i % 16, i % 2 == 0, i % 3 == 0, pick({1, 2, 3, 7, 64})});
  }
  return cases;
}

class FastPath : public ::testing::TestWithParam<Case> {};

TEST_P(FastPath, DrawsFromTheConsolesValuesAloneThePicturesTheTicksDraw) {
  const Case& c = GetParam();
  std::string ini = "[Numbers]\n";
  for (int k = 0; k < 8; ++k) ini += kNumberKeys[k] + ("=" + std::to_string(c.numbers[k])) + "\n";
  Session run;
  ASSERT_TRUE(run.Start(ini, c.boardW, c.boardH));
  for (int q = 0; q < 4; ++q) run.s.console.FillInQuadrant[q] = (c.quadrants >> q) & 1;
  run.s.console.SelectOutputOption(c.small ? kSmallImageOnlyOption : kBothLargeAndSmallOption);
  ASSERT_TRUE(run.Take(Tile(c.tileW, c.tileH)));
  // The fast path: the input from the console, the grid from the squared tile at once.
  RecordingUi ui;
  const RenderInput in = MakeRenderInput(ui, run.s.console, run.s.engine.board, run.s.engine.TileColor);
  std::atomic<double> least{1}, most{0};  // the grid's progress: from 0, both passes, never beyond 1
  const Picture grid = MakeTileGridPicture(ui, in, run.s.TileImage, run.s.SquareLast, c.threads, [&](double f) {
    for (double m = most; f > m && !most.compare_exchange_weak(m, f);) {
    }
    for (double l = least; f < l && !least.compare_exchange_weak(l, f);) {
    }
    return true;
  });
  EXPECT_TRUE(least == 0.0 && most >= 0.5 && most <= 1.0) << least << " " << most;
  Picture finalImage = BlankFinalImage(in), thumbnail = BlankThumbnail(in);
  ASSERT_TRUE(DrawFinalStage(FinalStageInputFor(in, grid), ui, {.threads = c.threads, .progress = {}, .progressIntervalMs = 100},
                             finalImage, &thumbnail));
  // The grid's corner of one cell side (within the board) draws the same pictures.
  const Picture corner = MakeTileGridPicture(ui, in, run.s.TileImage, run.s.SquareLast, c.threads, {},
                                             GridExtent::FinalStageCorner);
  const int32_t side = in.engine.GridTileSize;
  EXPECT_EQ(tuple(corner.Width(), corner.Height()), tuple(std::min(side, c.boardW), std::min(side, c.boardH)));
  Picture fromCorner = BlankFinalImage(in), smallFromCorner = BlankThumbnail(in);
  ASSERT_TRUE(DrawFinalStage(FinalStageInputFor(in, corner), ui, {.threads = c.threads, .progress = {}, .progressIntervalMs = 100},
                             fromCorner, &smallFromCorner));
  EXPECT_TRUE(test::SamePicture(fromCorner, finalImage) && test::SamePicture(smallFromCorner, thumbnail));
  // A poster's bands, over the grid worked out where it is read, give the full picture's
  // rows: all of them or a band in the middle, from the top or from the bottom, in bands
  // of a few rows.
  if (!c.small) {
    const Picture square = GridSquareSurface(run.s.TileImage);
    const TileGridReader reader(ui, TileGridInputFor(in.engine, square, run.s.SquareLast), corner.Width(),
                                corner.Height(), in.engine.TileColor.Value);
    EXPECT_EQ(reader.Point(corner.Width(), 0), -1);
    for (int32_t y = 0; y < corner.Height(); ++y)
      for (int32_t x = 0; x < corner.Width(); ++x) ASSERT_EQ(reader.Point(x, y), corner.Point(x, y)) << x << "," << y;
    FinalStageInput stage = FinalStageInputFor(in, corner);
    stage.gridSource = c.threads % 2 == 0 ? &reader : nullptr;
    const int32_t first = c.redrawGrid ? c.boardH / 3 : 0, end = c.redrawGrid ? c.boardH - 5 : c.boardH;
    Picture bands(c.boardW, end - first, -2);
    int32_t next = c.quadrants % 2 ? end : first;
    DrawPoster(stage, ui, {.firstRow = first, .endRow = end, .bottomUp = c.quadrants % 2 == 1, .threads = c.threads,
                           .bandRows = 7, .progress = {}},
               [&](const int32_t* rows, int32_t top, int32_t count) {
                 EXPECT_EQ(top, c.quadrants % 2 ? next - count : next);
                 next = c.quadrants % 2 ? top : top + count;
                 std::copy_n(rows, static_cast<size_t>(count) * c.boardW, &bands.Pixels()[(top - first) * c.boardW]);
               });
    EXPECT_EQ(next, c.quadrants % 2 ? first : end);
    EXPECT_TRUE(std::equal(bands.Pixels().begin(), bands.Pixels().end(), finalImage.Pixels().begin() + first * c.boardW));
  }
  // The ticks, building the same grid again first when asked to.
  run.s.settings.NeedToRedrawGrid = c.redrawGrid;
  CreateFinalClick(run.pipeline, run.s, run.ui);
  const AppState& ticks = run.s;
  EXPECT_TRUE(run.ui.Messages().empty() && ui.Messages().empty());
  EXPECT_TRUE(test::SamePicture(thumbnail, ticks.Thumbnail));
  EXPECT_TRUE(test::SamePicture(grid, ticks.TileGrid));
  if (!c.small) {
    EXPECT_TRUE(test::SamePicture(finalImage, ticks.FinalImage));
  }
  EXPECT_EQ(tuple(ticks.JobState, ticks.FinalRunActive), tuple(kNoJob, false));
  // Every tick of the final stage does its full count of items, the first after the grid too.
  for (const auto& [state, x, y, items] : run.snaps)
    EXPECT_TRUE(state != kFinalImageStage || items == 0.0f) << x << "," << y << ": " << items;
  // The ticks saved the picture of the chosen size, and drew it where a quarter was ticked.
  const Picture& drawn = c.small ? ticks.Thumbnail : ticks.FinalImage;
  EXPECT_TRUE(test::SamePicture(LoadPictureFile(ticks.settings.SaveFileName, 0), drawn));
  EXPECT_EQ(std::count(drawn.Pixels().begin(), drawn.Pixels().end(), ticks.engine.CenterColor.Value) ==
                std::ssize(drawn.Pixels()), c.quadrants == 0);
}

// Short names keep the listing narrow; a failure prints the whole case.
INSTANTIATE_TEST_SUITE_P(RandomSettings, FastPath, ::testing::ValuesIn(Matrix()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           const Case& c = info.param;
                           return "case" + std::to_string(info.index) + "_N" + std::to_string(c.numbers[1]) +
                                  (c.small ? "_small_" : "_full_") + std::to_string(c.threads) + "threads";
                         });

// A hue that is not a number cannot be rounded: "Overflow" at the first coloured pixel,
// raised again on the calling thread with the pictures untouched. A stop asked for at the
// first look is no finished picture either, whatever is answered after: nothing is copied.
TEST(FastPathAlone, RaisesAPixelsErrorOrStopsWithThePicturesUntouched) {
  Session run;
  ASSERT_TRUE(run.Start(kFiftyParts, 101, 77) && run.Take(Tile(40, 40)));
  for (const bool stop : {false, true}) {
    RenderInput in = MakeRenderInput(run.ui, run.s.console, run.s.engine.board, run.s.engine.TileColor);
    if (!stop) in.engine.TileHueOffset = std::numeric_limits<float>::quiet_NaN();
    const Picture blankFinal = BlankFinalImage(in), blankSmall = BlankThumbnail(in);
    Picture finalImage = blankFinal, thumbnail = blankSmall;
    ParallelFinalOptions options{.threads = 3, .progress = {}, .progressIntervalMs = 100};
    if (stop) {
      options.progress = [looks = 0](double) mutable { return looks++ > 0; };
      EXPECT_FALSE(DrawFinalStage(FinalStageInputFor(in, run.s.TileGrid), run.ui, options, finalImage, &thumbnail));
    } else {
      EXPECT_THROW(DrawFinalStage(FinalStageInputFor(in, run.s.TileGrid), run.ui, options, finalImage, &thumbnail),
                   RunTimeError);
    }
    EXPECT_TRUE(test::SamePicture(thumbnail, blankSmall)) << stop;
    EXPECT_TRUE(test::SamePicture(finalImage, blankFinal)) << stop;
  }
}

// A poster's write that fails stops the drawing: the error comes back from DrawPoster,
// and no band is handed on after it.
TEST(FastPathAlone, APostersFailedWriteEndsTheDrawing) {
  Session run;
  ASSERT_TRUE(run.Start(kFiftyParts, 101, 77) && run.Take(Tile(40, 40)));
  const RenderInput in = MakeRenderInput(run.ui, run.s.console, run.s.engine.board, run.s.engine.TileColor);
  int writes = 0;
  const auto draw = [&] {
    DrawPoster(FinalStageInputFor(in, run.s.TileGrid), run.ui,
               {.firstRow = 0, .endRow = 77, .bottomUp = false, .threads = 2, .bandRows = 5, .progress = {}},
               [&](const int32_t*, int32_t, int32_t) {
                 if (++writes == 3) throw std::runtime_error("disk full");
               });
  };
  EXPECT_THROW(draw(), std::runtime_error);
  EXPECT_EQ(writes, 3);
}

// The watcher looks once more after the last piece, even when the last piece ends while
// it is looking: a progress bar's last state is the full one.
TEST(ThreadRunner, TheWatcherLooksOnceAfterTheLastPiece) {
  std::atomic<bool> looking{false};
  std::atomic<int> done{0};
  std::vector<int> seen;
  RunOptions options;
  options.threads = 2;
  options.piece = 1;
  options.watchIntervalMs = 1;
  options.watch = [&] {
    seen.push_back(done);
    if (seen.size() == 1) {  // the pieces all end during the first look
      looking = true;
      while (done < 4) std::this_thread::yield();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  };
  RunInPieces(4, options, [&]() -> PieceWork {
    return [&](int64_t, int64_t) {
      while (!looking) std::this_thread::yield();
      ++done;
    };
  });
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(tuple(seen.front(), seen.back()), tuple(0, 4));
}

// The preview shares its copies of the squared tile and the grid between requests while
// the desktop's are the same pixel for pixel; one pixel changed makes a new copy and a
// request for a new picture.
TEST(Preview, KeepsItsCopiesOfTheTileAndGridUntilAPixelChanges) {
  AppState s;
  s.TileImage = Tile(20, 20), s.TileGrid = Tile(40, 30);
  s.console.Turn45ListIndex = s.engine.EngineTurn45;
  std::shared_ptr<const Picture> square, grid;
  for (Picture* changed : {&s.TileImage, &s.TileGrid}) {
    const PreviewRequest before = MakePreviewRequest(s, square, grid), same = MakePreviewRequest(s, square, grid);
    ASSERT_TRUE(before.square && before.grid);
    EXPECT_TRUE(same.square == before.square && same.grid == before.grid && same.SamePicture(before));
    changed->PSet(19, 19, 0);
    const PreviewRequest next = MakePreviewRequest(s, square, grid);
    EXPECT_EQ(tuple(next.square == before.square, next.grid == before.grid, next.SamePicture(before)),
              tuple(changed != &s.TileImage, changed != &s.TileGrid, false));
    EXPECT_TRUE(test::SamePicture(*next.square, s.TileImage));
    EXPECT_TRUE(test::SamePicture(*next.grid, s.TileGrid));
  }
}

}  // namespace
}  // namespace marvane
