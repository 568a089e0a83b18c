#include <filesystem>

#include "engine/load_size_image.h"
#include "pipeline_fixture.h"
#include "run/tile_image.h"

namespace marvane::testing {
namespace {

class SquaringTest : public PipelineTest {
 protected:
  void SetUp() override { SetUpBoard(640, 480); }

  // Loads a w x h tile as the tile-change handler does and runs the squaring job.
  bool Take(int w, int h, const std::string& name = "Rose.bmp") {
    return TakeNewTile(pipeline, s, ui, PutTile(MakeTile(w, h), name));
  }
};

TEST_F(SquaringTest, AWideTileTakesTwentyFourFullTicksAndAShortOne) {
  // 248 x 200: the square is 248 x 248 = 61504 items, 24 x 2501 + 1480.
  RecordTicks();
  s.console.NumPieces = "50";
  ASSERT_TRUE(Take(248, 200));
  EXPECT_EQ(s.SquareLast, 247);
  ASSERT_GE(snaps.size(), 26u);
  EXPECT_EQ(snaps[0].job, kSquaringStage);
  for (int k = 1; k <= 24; ++k) {
    ASSERT_EQ(snaps[k].job, kSquaringStage) << k;
    // Column by column: 248 pixels per column.
    EXPECT_EQ(snaps[k].scanX * 248 + snaps[k].scanY, k * 2501) << k;
  }
  EXPECT_EQ(snaps[25].job, kTileGridStage);  // the 25th tick finished the square
  EXPECT_EQ(snaps[25].slice, -1.0f);
  EXPECT_EQ(s.JobState, kNoJob);
}

TEST_F(SquaringTest, TheSquaredTileIsSavedAndBecomesTheTileFile) {
  ASSERT_TRUE(Take(60, 30));
  EXPECT_EQ(s.SquareMode, 0);
  EXPECT_EQ(s.SquareSide, 60);
  EXPECT_EQ(s.SquareScale, 2.0f);
  EXPECT_EQ(s.SquareScaleInv, 0.5f);
  const std::string squared = folder / "Rose-Square.bmp";
  EXPECT_EQ(s.settings.TileFileName, squared);
  EXPECT_EQ(s.console.TileFile, squared);
  EXPECT_EQ(s.settings.PicRight, 59);
  EXPECT_EQ(s.settings.PicBottom, 59);
  const Picture saved = LoadPictureFile(squared, 0);
  EXPECT_EQ(saved.Width(), 60);
  EXPECT_EQ(saved.Height(), 60);
  EXPECT_EQ(saved, s.TileImage);
  // Row Y of the square samples source row Y x 0.5: even rows are source rows.
  const Picture tile = MakeTile(60, 30);
  for (int x = 0; x < 60; x += 7) {
    EXPECT_EQ(saved.Point(x, 0), tile.Point(x, 0));
    EXPECT_EQ(saved.Point(x, 20), tile.Point(x, 10));
  }
  // The third work surface has the squared tile for the grid.
  EXPECT_EQ(s.Workspace3.Point(5, 5), saved.Point(5, 5));
}

TEST_F(SquaringTest, ATallTileStretchesItsWidth) {
  ASSERT_TRUE(Take(30, 60));
  const Picture saved = LoadPictureFile(folder / "Rose-Square.bmp", 0);
  const Picture tile = MakeTile(30, 60);
  for (int y = 0; y < 60; y += 7) EXPECT_EQ(saved.Point(20, y), tile.Point(10, y));
}

TEST_F(SquaringTest, ASquareTileSavesNothingAndGoesStraightToTheGrid) {
  RecordTicks();
  const std::string path = PutTile(MakeTile(40, 40), "Square.bmp");
  ASSERT_TRUE(TakeNewTile(pipeline, s, ui, path));
  ASSERT_GE(snaps.size(), 2u);
  EXPECT_EQ(snaps[1].job, kTileGridStage);  // stage 1 ended in its first tick
  EXPECT_EQ(s.settings.TileFileName, path);
  EXPECT_FALSE(std::filesystem::exists(folder / "Square-Square.bmp"));
  EXPECT_EQ(s.TileImage, MakeTile(40, 40));  // copied unchanged
}

TEST_F(SquaringTest, SizeLimitsAreInclusive) {
  EXPECT_TRUE(Take(10, 10, "Small.bmp"));
  EXPECT_TRUE(Take(300, 300, "Big.bmp"));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SquaringTest, TilesOutsideTheLimitsAreRefusedWithTheMessage) {
  for (auto [w, h] : {std::pair{9, 50}, std::pair{301, 50}, std::pair{50, 9}, std::pair{50, 301}}) {
    ui.Clear();
    EXPECT_FALSE(Take(w, h, "Odd.bmp")) << w << "x" << h;
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, kTileSizeText);
    EXPECT_EQ(ui.Messages()[0].title, kTileSizeTitle);
    EXPECT_EQ(ui.BeepCount(), 1);
    EXPECT_EQ(host.modalRuns, 0);  // no job started
    // The refused tile stays loaded with its measures.
    EXPECT_EQ(s.settings.PicRight, w - 1);
    EXPECT_EQ(s.settings.PicBottom, h - 1);
  }
}

TEST_F(SquaringTest, AnUnreadableFileChangesNothing) {
  ASSERT_TRUE(Take(40, 40, "Good.bmp"));
  const AppState before = s;
  WriteFileBytes(folder / "Bad.bmp", "BM this is not a bitmap");
  EXPECT_FALSE(TakeNewTile(pipeline, s, ui, folder / "Bad.bmp"));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "Load Size Image");
  EXPECT_EQ(s.settings, before.settings);
  EXPECT_EQ(s.console, before.console);
  EXPECT_EQ(s.Workspace1, before.Workspace1);
  EXPECT_EQ(s.TileImage, before.TileImage);
}

TEST_F(SquaringTest, CancelHalfwaySavesTheHalfSquaredTile) {
  CancelBeforeTick(12);
  ASSERT_TRUE(Take(248, 200));
  const std::string squared = folder / "Rose-Square.bmp";
  ASSERT_TRUE(std::filesystem::exists(squared));
  EXPECT_EQ(s.settings.TileFileName, squared);
  EXPECT_EQ(s.JobState, kNoJob);
  EXPECT_EQ(s.SquareMode, 0);
  const Picture saved = LoadPictureFile(squared, 0xFFFFFF);
  // 12 ticks squared 30012 pixels, column by column: columns past 121 are still black.
  EXPECT_EQ(saved.Point(247, 100), 0);
  EXPECT_EQ(saved.Point(121, 247), 0);
  EXPECT_EQ(saved.Point(120, 100), s.TileImage.Point(120, 100));
  EXPECT_NE(saved.Point(120, 100), 0);
}

TEST_F(SquaringTest, SquaredTileNamesFollowTheLastDot) {
  // No dot after the first character: the whole name is the base.
  s.settings.TileFileName = folder / "Rose";
  std::filesystem::create_directories(folder / "My.Pictures");
  s.SquareMode = 1;
  s.SquareLast = 9;
  s.TileImage = Picture(10, 10, 0);
  pipeline.SaveNewTile();
  EXPECT_EQ(s.settings.TileFileName, folder / "Rose-Square.bmp");
  // The last dot may be in a folder's name.
  s.settings.TileFileName = folder / "My.Pictures/Rose";
  s.SquareMode = 1;
  pipeline.SaveNewTile();
  EXPECT_EQ(s.settings.TileFileName, folder / "My-Square.bmp");
  EXPECT_TRUE(std::filesystem::exists(folder / "My-Square.bmp"));
}

TEST_F(SquaringTest, AFailedSaveOfTheSquaredTileIsReportedAndTriedAgain) {
  s.settings.TileFileName = folder / "missing/Rose.bmp";
  s.console.TileFile = s.settings.TileFileName;
  s.SquareMode = 1;
  s.SquareLast = 9;
  s.TileImage = Picture(10, 10, 0);
  EXPECT_THROW(pipeline.SaveNewTile(), RunTimeError);
  // The new name and measures are in place, the console still shows the old name and
  // the next call tries again.
  EXPECT_EQ(s.settings.TileFileName, folder / "missing/Rose-Square.bmp");
  EXPECT_EQ(s.settings.PicRight, 9);
  EXPECT_EQ(s.console.TileFile, folder / "missing/Rose.bmp");
  EXPECT_EQ(s.SquareMode, 1);
}

}  // namespace
}  // namespace marvane::testing
