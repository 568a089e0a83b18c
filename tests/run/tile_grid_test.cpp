#include "pipeline_fixture.h"

namespace marvane::testing {
namespace {

// A 640 x 480 board with N = 50: the outer piece is 50.265488 wide, so the cell side T
// is 50 and the grid repeats every 51 pixels.
class TileGridTest : public PipelineTest {
 protected:
  void SetUp() override {
    SetUpBoard(640, 480);
    s.console.NumPieces = "50";
    s.console.Turn45ListIndex = 1;  // no rotation
    s.TileImage = MakeTile(248, 248);
    s.SquareLast = 247;
    s.SquareSide = 248;
    s.engine.TileColor.Value = Rgb(1, 2, 3);
    s.settings.NeedToRedrawGrid = true;
  }
};

TEST_F(TileGridTest, LayoutForFiftyParts) {
  RecordTicks();
  pipeline.LaunchAction(2, 639, 479);
  EXPECT_EQ(s.engine.GridTileSize, 50);
  EXPECT_EQ(s.GridTileFloor, 50);
  EXPECT_EQ(s.GridPeriod, 51);
  EXPECT_EQ(s.GridHalf, 25);
  EXPECT_EQ(s.GridSampleStep, 4.8431373f);  // 247 / 51
  EXPECT_EQ(s.GridSampleSize, s.GridSampleStep);
  EXPECT_EQ(s.GridCellStart, 2.4215686f);
  EXPECT_EQ(s.GridCellEnd, 53.421569f);
}

TEST_F(TileGridTest, FiftyTwoSquaredCellsInTwoTicks) {
  RecordTicks();
  pipeline.LaunchAction(2, 639, 479);
  // After the first tick 2501 cells are done: 48 full columns of 52 and 5 cells.
  ASSERT_GE(snaps.size(), 3u);
  EXPECT_EQ(snaps[1].job, kTileGridStage);
  EXPECT_EQ(snaps[1].scanX, 2501 / 52);
  EXPECT_EQ(snaps[1].scanY, -25 + 2501 % 52);
  // The second tick does the last 203 and ends the job; the third closes the window.
  EXPECT_EQ(snaps[2].job, kNoJob);
  EXPECT_EQ(host.ticks, 3);
  EXPECT_FALSE(s.settings.NeedToRedrawGrid);
  EXPECT_EQ(host.label, "Creating Tile Grid...");
}

TEST_F(TileGridTest, TheGridRepeatsEveryPeriodButForTheOverwrittenFirstCopies) {
  pipeline.LaunchAction(2, 639, 479);
  const Picture& g = s.Workspace1;
  // The cell's last column and row land one period on from the first, overwriting the
  // first ones' copies there: away from those, the pattern repeats every 51 pixels.
  for (int y = 0; y + 51 < 480; y += 3)
    for (int x = 0; x + 51 < 640; x += 5) {
      if (x % 51 == 0 || (y + 25) % 51 == 0) continue;
      ASSERT_EQ(g.Point(x, y), g.Point(x + 51, y)) << x << "," << y;
      ASSERT_EQ(g.Point(x, y), g.Point(x, y + 51)) << x << "," << y;
    }
  // Nothing keeps the fill colour: every pixel was drawn.
  for (int v : g.Pixels()) ASSERT_NE(v, Rgb(1, 2, 3));
}

TEST_F(TileGridTest, NoRotationSamplesTheTileUpsideDown) {
  // A tile whose top half is red and bottom half blue.
  Picture tile(248, 248, Rgb(255, 0, 0));
  tile.FillBox(0, 124, 247, 247, Rgb(0, 0, 255));
  s.TileImage = tile;
  pipeline.LaunchAction(2, 639, 479);
  // The first cell row (ScanY = -25) is drawn from y = 26 on; its top rows come from
  // near the tile's bottom edge.
  EXPECT_EQ(s.Workspace1.Point(10, 27), Rgb(0, 0, 255));
  EXPECT_EQ(s.Workspace1.Point(10, 26 + 45), Rgb(255, 0, 0));
}

TEST_F(TileGridTest, ASmallTileWithLargeCellsAveragesSinglePixels) {
  s.TileImage = MakeTile(40, 40);
  s.SquareLast = 39;
  s.SquareSide = 40;
  pipeline.LaunchAction(2, 639, 479);
  EXPECT_EQ(s.GridSampleStep, 0.7647059f);  // 39 / 51
  EXPECT_EQ(s.GridSampleSize, 1.0f);
}

TEST_F(TileGridTest, CellCountsFollowTheFloatArithmetic) {
  // T = 49 (640 wide, N = 51) gives P = 50 and 51 x 51 cells; T = 99 (631 wide,
  // N = 25) gives 101 x 101.
  struct Case {
    int width;
    const char* pieces;
    int cell, cells;
  };
  for (const Case& c : {Case{640, "51", 49, 51}, Case{631, "25", 99, 101}}) {
    SetUpBoard(c.width, 480);
    s.console.NumPieces = c.pieces;
    s.console.Turn45ListIndex = 1;
    s.settings.NeedToRedrawGrid = true;
    int gridTicks = 0;
    host.beforeTick = [&](int done) {
      gridTicks += s.JobState == kTileGridStage;
      return done < kTickLimit;
    };
    pipeline.LaunchAction(2, c.width - 1, 479);
    EXPECT_EQ(s.engine.GridTileSize, c.cell) << c.pieces;
    EXPECT_EQ(s.ScanX, c.cells) << c.pieces;  // the columns done when the grid completed
    EXPECT_EQ(gridTicks, (c.cells * c.cells + 2500) / 2501) << c.pieces;
  }
}

TEST_F(TileGridTest, RotationsTurnTheSamplePoint) {
  Picture plain, left, right;
  for (int turn : {1, 0, 2}) {
    s.console.Turn45ListIndex = turn;
    pipeline.LaunchAction(2, 639, 479);
    (turn == 1 ? plain : turn == 0 ? left : right) = s.Workspace1;
  }
  EXPECT_NE(plain, left);
  EXPECT_NE(plain, right);
  EXPECT_NE(left, right);
  EXPECT_EQ(s.engine.EngineTurn45, 2);
}

TEST_F(TileGridTest, WithAFinalRunTheJobGoesOnToTheFinalImage) {
  s.FinalRunActive = true;
  s.SmallImageOnly = true;
  s.ScaleDivisor = 4;
  s.ScaleFactor = 0.25f;
  RecordTicks();
  pipeline.LaunchAction(2, 639, 479);
  ASSERT_GE(snaps.size(), 3u);
  EXPECT_EQ(snaps[2].job, kFinalImageStage);
  EXPECT_EQ(snaps[2].scanX, 320);
  EXPECT_EQ(snaps[2].scanY, 240);
  // The switch shows the console for a small picture and hides the final window.
  const auto& log = host.log;
  auto at = std::find(log.begin(), log.end(), "label Creating final image...");
  ASSERT_NE(at, log.end());
  EXPECT_NE(std::find(at, log.end(), "hide FinalImage"), log.end());
  EXPECT_NE(std::find(at, log.end(), "show Console"), log.end());
}

TEST_F(TileGridTest, CancellingKeepsTheRedrawFlag) {
  CancelBeforeTick(1);
  pipeline.LaunchAction(2, 639, 479);
  EXPECT_TRUE(s.settings.NeedToRedrawGrid);
  EXPECT_EQ(s.JobState, kNoJob);
}

}  // namespace
}  // namespace marvane::testing
