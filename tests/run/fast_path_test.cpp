// The renderer's fast path against the pipeline's own final stage: the same state,
// once through "Create Final Image" and the ticks, once through PrepareFinalImage and
// RunFinalStageParallel, must give the same full-size picture and the same thumbnail,
// byte for byte, and leave the stage as the ticks leave it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "run/app_state.h"
#include "run/create_final.h"
#include "run/final_stage_parallel.h"
#include "run/grid_layout.h"
#include "run/headless_host.h"
#include "run/pipeline.h"
#include "run/tile_image.h"
#include "support/temp_folder.h"
#include "util/numbers.h"

namespace marvane {
namespace {

using testing::TempFolder;

// A tile whose every pixel differs, with hard edges, so that any shift in sampling or
// colouring shows.
Picture ColourfulTile(int w, int h) {
  Picture p(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int r = x * 255 / w, g = y * 255 / h, b = ((x / 5 + y / 3) % 2) ? 230 : 25;
      p.PSet(x, y, r + 256 * g + 65536 * b);
    }
  return p;
}

struct Case {
  std::string name;
  int boardW = 64, boardH = 48;
  int tileW = 40, tileH = 40;
  int turn45 = 0;
  int cline = -54, specStart = 104, lighten = -29, lightStart = 95;
  std::string pieces = "12", radius = "15", fade = "60";
  std::array<bool, 4> quadrants = {true, true, true, true};
  bool small = false;
};

std::ostream& operator<<(std::ostream& out, const Case& c) { return out << c.name; }

// A state on a board of the case's size with its console values, the tile taken and
// the grid built as the tile button does it, ready for "Create Final Image".
class Prepared {
 public:
  explicit Prepared(const Case& c) : pipeline_(s, host_, ui) {
    host_.Attach(pipeline_);
    s.SaveSquaredTile = false;
    s.SaveFinalPicture = false;
    s.RandomSeed = 20260;
    s.settings.StartFolder = folder_.Path();
    s.Workspace1 = Picture(c.boardW, c.boardH);
    SetBoardConstants(s.Workspace1, s.engine.board);
    s.Workspace3 = Picture(c.boardW, c.boardH);
    s.FinalImage = Picture(c.boardW, c.boardH);
    s.Thumbnail = Picture(ThumbnailSide(c.boardW), ThumbnailSide(c.boardH));
    ConsoleModel& m = s.console;
    m.NumPieces = c.pieces;
    m.SmallestRadius = c.radius;
    m.FadeWidth = c.fade;
    m.Turn45ListIndex = c.turn45;
    m.Cline = c.cline;
    m.SpecStart = c.specStart;
    m.Lighten = c.lighten;
    m.LightStart = c.lightStart;
    m.FillInQuadrant = c.quadrants;
    m.SelectOutputOption(c.small ? kSmallImageOnlyOption : kBothLargeAndSmallOption);
    m.SaveFile = folder_ / "Final.bmp";
    EngineState& e = s.engine;
    e.EngineSmallestRadius = RoundToLong(LeadingNumber(m.SmallestRadius));
    e.EngineFadeWidth = ToSingle(LeadingNumber(m.FadeWidth));
    e.EngineNumPieces = RoundToLong(LeadingNumber(m.NumPieces));
    SetSpiralGeometry(e);
    SetGridLayout(s);
    const std::string tile = folder_ / "Tile.bmp";
    SavePictureFile(ColourfulTile(c.tileW, c.tileH), tile);
    took = TakeNewTile(pipeline_, s, ui, tile);
  }

  // The desktop's way: the handler and the pipeline's ticks.
  void RunSequential() { CreateFinalClick(pipeline_, s, ui); }

  AppState s;
  RecordingUi ui;
  bool took = false;

 private:
  TempFolder folder_;
  HeadlessHost host_;
  Pipeline pipeline_;
};

int CountOf(const Picture& p, int32_t colour) {
  int n = 0;
  for (int32_t v : p.Pixels()) n += v == colour;
  return n;
}

class FastPathMatchesTheTicks : public ::testing::TestWithParam<Case> {};

TEST_P(FastPathMatchesTheTicks, ByteForByte) {
  const Case& c = GetParam();
  Prepared prepared(c);
  ASSERT_TRUE(prepared.took);
  ASSERT_TRUE(prepared.ui.Messages().empty()) << prepared.ui.Messages().front().text;
  AppState fast = prepared.s;  // the same state, before the final stage

  prepared.RunSequential();
  const AppState& seq = prepared.s;
  ASSERT_TRUE(prepared.ui.Messages().empty()) << prepared.ui.Messages().front().text;
  ASSERT_EQ(seq.JobState, kNoJob);

  RecordingUi ui;
  ASSERT_EQ(PrepareFinalImage(fast, ui), kFinalImageStage);
  ParallelFinalOptions options;
  options.threads = 3;  // more bands in flight than this machine may have cores
  ASSERT_TRUE(RunFinalStageParallel(fast, ui, options));
  EXPECT_TRUE(ui.Messages().empty());

  EXPECT_TRUE(fast.FinalImage == seq.FinalImage);
  EXPECT_TRUE(fast.Thumbnail == seq.Thumbnail);
  EXPECT_EQ(fast.JobState, seq.JobState);
  EXPECT_EQ(fast.FinalRunActive, seq.FinalRunActive);
  EXPECT_EQ(fast.ScanX, seq.ScanX);
  EXPECT_EQ(fast.ScanY, seq.ScanY);

  // The comparison means something: the pass drew (or, with no quadrant, did not).
  const int32_t centre = seq.engine.CenterColor.Value;
  const Picture& drawn = c.small ? seq.Thumbnail : seq.FinalImage;
  const int ticked = c.quadrants[0] + c.quadrants[1] + c.quadrants[2] + c.quadrants[3];
  const int total = static_cast<int>(drawn.Pixels().size());
  if (ticked > 0) {
    // Each quadrant is a quarter of the picture, less the centre's disc.
    EXPECT_GT(total - CountOf(drawn, centre), ticked * total / 8);
  } else {
    EXPECT_EQ(CountOf(drawn, centre), static_cast<int>(drawn.Pixels().size()));
  }
  if (c.small) {
    EXPECT_EQ(CountOf(seq.FinalImage, centre), static_cast<int>(seq.FinalImage.Pixels().size()));
  }
}

Case Make(std::string name, std::function<void(Case&)> change) {
  Case c;
  c.name = std::move(name);
  change(c);
  return c;
}

const std::array<bool, 4> kOnlyUpperRight = {true, false, false, false};
const std::array<bool, 4> kOnlyUpperLeft = {false, true, false, false};
const std::array<bool, 4> kOnlyLowerLeft = {false, false, true, false};
const std::array<bool, 4> kOnlyLowerRight = {false, false, false, true};
const std::array<bool, 4> kNone = {false, false, false, false};

std::vector<Case> Cases() {
  return {
      Make("SquareTileFull", [](Case&) {}),
      Make("SquareTileSmall", [](Case& c) { c.small = true; }),
      Make("WideTileSmall", [](Case& c) { c.tileW = 60, c.tileH = 30, c.small = true; }),
      Make("WideTileFull", [](Case& c) { c.tileW = 60, c.tileH = 30; }),
      Make("TallTileNoRotationOddBoard",
           [](Case& c) { c.tileW = 30, c.tileH = 60, c.turn45 = 1, c.boardW = 101, c.boardH = 77; }),
      Make("TallTileOddBoardSmall",
           [](Case& c) { c.tileW = 30, c.tileH = 60, c.boardW = 101, c.boardH = 77, c.small = true; }),
      // 103 x 77: the centre column 52 leaves column 51 unvisited.
      Make("SmallestTileRotate45Lightening",
           [](Case& c) {
             c.tileW = c.tileH = 10, c.turn45 = 2, c.cline = 150, c.lighten = 100, c.specStart = 0,
             c.boardW = 103, c.boardH = 77;
           }),
      Make("NoColourSettingPassesThrough",
           [](Case& c) { c.cline = 0, c.lighten = 0, c.specStart = 0, c.boardW = 65, c.boardH = 49; }),
      Make("DarkeningNegativeShiftSmall",
           [](Case& c) {
             c.cline = -150, c.lighten = -100, c.lightStart = -100, c.specStart = 426, c.small = true,
             c.boardW = 65, c.boardH = 49;
           }),
      Make("NoRotationItemSelected", [](Case& c) { c.turn45 = -1; }),
      Make("NarrowestFadeAndSmallestRadius", [](Case& c) { c.fade = "3", c.radius = "3"; }),
      Make("WidestFade", [](Case& c) { c.fade = "40", c.radius = "20"; }),
      Make("SixPieces", [](Case& c) { c.pieces = "6"; }),
      Make("NinetyNinePieces", [](Case& c) { c.pieces = "99", c.boardW = 101, c.boardH = 77; }),
      Make("NoQuadrant", [](Case& c) { c.quadrants = kNone; }),
      Make("NoQuadrantSmall", [](Case& c) { c.quadrants = kNone, c.small = true; }),
      Make("UpperRightOnly", [](Case& c) { c.quadrants = kOnlyUpperRight, c.boardW = 101, c.boardH = 77; }),
      Make("UpperLeftOnlySmall",
           [](Case& c) { c.quadrants = kOnlyUpperLeft, c.boardW = 101, c.boardH = 77, c.small = true; }),
      Make("LowerLeftOnly", [](Case& c) { c.quadrants = kOnlyLowerLeft; }),
      Make("LowerRightOnlySmall", [](Case& c) { c.quadrants = kOnlyLowerRight, c.small = true; }),
      Make("LeftHalfOddBoardSmall",
           [](Case& c) {
             c.quadrants = {false, true, true, false}, c.boardW = 101, c.boardH = 77, c.small = true;
           }),
      Make("LargestTileDefaultBoard",
           [](Case& c) { c.tileW = c.tileH = 300, c.boardW = 793, c.boardH = 573; }),
      Make("LargestTileDefaultBoardSmall",
           [](Case& c) { c.tileW = 300, c.tileH = 290, c.boardW = 793, c.boardH = 573, c.small = true; }),
  };
}

INSTANTIATE_TEST_SUITE_P(Settings, FastPathMatchesTheTicks, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

// --- the fast path on its own ---------------------------------------------------------

class FastPath : public ::testing::Test {
 protected:
  // A state prepared for the final stage: the tile taken, PrepareFinalImage done.
  AppState PreparedState(const Case& c) {
    Prepared prepared(c);
    EXPECT_TRUE(prepared.took);
    AppState s = prepared.s;
    EXPECT_EQ(PrepareFinalImage(s, ui), kFinalImageStage);
    return s;
  }
  RecordingUi ui;
};

TEST_F(FastPath, EveryThreadCountGivesTheSamePictures) {
  const AppState start = PreparedState(Make("odd", [](Case& c) { c.boardW = 101, c.boardH = 77; }));
  std::vector<AppState> results;
  for (int threads : {1, 2, 7, 64}) {
    AppState s = start;
    ParallelFinalOptions options;
    options.threads = threads;
    ASSERT_TRUE(RunFinalStageParallel(s, ui, options));
    results.push_back(s);
  }
  for (size_t i = 1; i < results.size(); ++i) {
    EXPECT_TRUE(results[i].FinalImage == results[0].FinalImage) << i;
    EXPECT_TRUE(results[i].Thumbnail == results[0].Thumbnail) << i;
  }
  EXPECT_FALSE(results[0].FinalImage == start.FinalImage);
}

TEST_F(FastPath, ProgressRunsUpToTheWholeAndCanStopTheStage) {
  const AppState start = PreparedState(Make("default board", [](Case& c) { c.boardW = 793, c.boardH = 573; }));
  {
    AppState s = start;
    std::vector<double> seen;
    ParallelFinalOptions options;
    options.progressIntervalMs = 1;
    options.progress = [&](double done) {
      seen.push_back(done);
      return true;
    };
    ASSERT_TRUE(RunFinalStageParallel(s, ui, options));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 1.0);
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1], seen[i]);
  }
  {
    // Stopped: nothing is drawn and the stage is not ended.
    AppState s = start;
    ParallelFinalOptions options;
    options.progressIntervalMs = 1;
    options.progress = [](double) { return false; };
    EXPECT_FALSE(RunFinalStageParallel(s, ui, options));
    EXPECT_TRUE(s.FinalImage == start.FinalImage);
    EXPECT_TRUE(s.Thumbnail == start.Thumbnail);
    EXPECT_TRUE(s.FinalRunActive);
  }
}

TEST_F(FastPath, AnErrorInAnyPixelStopsTheStageAndIsRaisedAgain) {
  AppState s = PreparedState(Make("default", [](Case&) {}));
  // A hue that is not a number cannot be rounded: "Overflow" at the first coloured pixel,
  // which a tick's trap would catch (and the next tick meet again).
  s.engine.TileHueOffset = std::numeric_limits<float>::quiet_NaN();
  const AppState before = s;
  try {
    RunFinalStageParallel(s, ui, {});
    FAIL() << "no error";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(std::string(e.what()), kOverflowText);
  }
  EXPECT_TRUE(s.FinalImage == before.FinalImage);
  EXPECT_TRUE(s.Thumbnail == before.Thumbnail);
}

TEST_F(FastPath, TrappedSamplingErrorsAreReportedAsTheTicksReportThem) {
  // A 1-pixel-wide board has a grid cell of 0 pixels: sampling it divides by zero inside
  // AreaColorMod's trap, which shows the message and goes on with black.
  Case c = Make("thin", [](Case& k) { k.boardW = 1, k.boardH = 200, k.tileW = k.tileH = 10, k.radius = "3", k.fade = "3"; });
  Prepared prepared(c);
  ASSERT_TRUE(prepared.took);
  AppState fast = prepared.s;
  const size_t before = prepared.ui.Messages().size();  // the grid's own
  prepared.RunSequential();
  // The ticks go on past a trapped error; the pipeline finishes.
  ASSERT_EQ(prepared.s.JobState, kNoJob);
  RecordingUi fastUi;
  ASSERT_EQ(PrepareFinalImage(fast, fastUi), kFinalImageStage);
  ASSERT_TRUE(RunFinalStageParallel(fast, fastUi, {}));
  ASSERT_FALSE(fastUi.Messages().empty());
  EXPECT_EQ(fastUi.Messages().front().title, "AreaColorMod");
  // The same reports, though fewer: the scan visits every pixel of this board twice (the
  // centre column 0 is both a right and a left column), the fast path computes it once.
  EXPECT_EQ(2 * fastUi.Messages().size(), prepared.ui.Messages().size() - before);
  for (const auto& m : prepared.ui.Messages()) {
    EXPECT_EQ(m.title, "AreaColorMod");
    EXPECT_EQ(m.text, fastUi.Messages().front().text);
  }
  EXPECT_TRUE(fast.FinalImage == prepared.s.FinalImage);
  EXPECT_TRUE(fast.Thumbnail == prepared.s.Thumbnail);
}

TEST_F(FastPath, TheThumbnailKeepsTheLastWriteOfTheScan) {
  // In a full pass sixteen board pixels share a thumbnail pixel: the one the scan draws
  // last stays. For the lower right quarter that is the pixel at the largest x and y of
  // its 4 x 4 block; for the upper left quarter, drawn last at each scan position, too.
  AppState s = PreparedState(Make("default", [](Case& c) { c.boardW = 64, c.boardH = 48; }));
  ASSERT_TRUE(RunFinalStageParallel(s, ui, {}));
  const BoardConstants& b = s.engine.board;  // centre (32, 24)
  // Thumbnail pixel (12, 9) covers board x 48..51, y 36..39, all in the lower right.
  EXPECT_EQ(s.Thumbnail.Point(12, 9), s.FinalImage.Point(51, 39));
  // Thumbnail pixel (1, 1) covers x 4..7, y 4..7 in the upper left, drawn from scan
  // positions (36..39, 28..31): the last is (39, 31), which draws (7, 7).
  EXPECT_EQ(s.Thumbnail.Point(1, 1), s.FinalImage.Point(7, 7));
  EXPECT_EQ(b.CenterX, 32);
}

}  // namespace
}  // namespace marvane
