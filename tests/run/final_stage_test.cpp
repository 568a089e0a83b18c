#include <filesystem>

#include "colour/spectrum.h"
#include "engine/final_colour.h"
#include "pipeline_fixture.h"

namespace marvane::testing {
namespace {

// A final image over a ready tile grid on a 640 x 480 board.
class FinalStageTest : public PipelineTest {
 protected:
  void SetUp() override {
    SetUpBoard(640, 480);
    s.Workspace1 = MakeTile(640, 480);
    s.engine.TileColor.Value = Rgb(200, 120, 40);
    s.engine.TileColor.ValueSet = true;
    s.engine.TileColor.Level = 1;
    s.engine.EngineNumPieces = 12;
    SetSpiralGeometry(s.engine);
    s.engine.GridTileSize = GridTileFloorOf(s.engine.spiral.OuterPieceWidth);
    s.settings.NeedToRedrawGrid = false;
  }
  void Create() { CreateFinalClick(pipeline, s, ui); }
};

TEST_F(FinalStageTest, ASmallPassVisitsEveryFourthPixelInTwoTicks) {
  // x = 320, 324, ..., 636 and y = 240, ..., 476: 80 x 60 = 4800 scan positions.
  RecordTicks();
  Create();
  ASSERT_GE(snaps.size(), 3u);
  EXPECT_EQ(snaps[0].job, kFinalImageStage);
  EXPECT_EQ(snaps[1].job, kFinalImageStage);
  EXPECT_EQ((snaps[1].scanX - 320) / 4 * 60 + (snaps[1].scanY - 240) / 4, 2501);
  EXPECT_EQ(snaps[2].job, kNoJob);
  EXPECT_EQ(host.ticks, 3);
  EXPECT_FALSE(s.FinalRunActive);
  // Saved as the small picture.
  const Picture saved = LoadPictureFile(s.settings.SaveFileName, 0);
  EXPECT_EQ(saved.Width(), 160);
  EXPECT_EQ(saved.Height(), 120);
  EXPECT_EQ(saved, s.Thumbnail);
}

TEST_F(FinalStageTest, OnlyTheTickedQuadrantsAreDrawn) {
  s.console.FillInQuadrant = {false, true, false, false};  // upper left only
  Create();
  const int32_t back = s.engine.CenterColor.Value;
  EXPECT_NE(s.Thumbnail.Point(20, 20), back);   // upper left
  EXPECT_EQ(s.Thumbnail.Point(140, 20), back);  // upper right
  EXPECT_EQ(s.Thumbnail.Point(20, 100), back);  // lower left
  EXPECT_EQ(s.Thumbnail.Point(140, 100), back); // lower right
  // The full-size picture is never touched by a small pass.
  for (int v : s.FinalImage.Pixels()) ASSERT_EQ(v, back);
}

TEST_F(FinalStageTest, WithNoQuadrantTheScanStillRunsAndSaves) {
  s.console.FillInQuadrant = {false, false, false, false};
  Create();
  const Picture saved = LoadPictureFile(s.settings.SaveFileName, 0);
  for (int v : saved.Pixels()) ASSERT_EQ(v, s.engine.CenterColor.Value);
}

TEST_F(FinalStageTest, AFullPassDrawsEveryPixelOutsideTheInnerDisc) {
  s.console.FillInQuadrant = {true, true, true, true};
  s.console.SelectOutputOption(kBothLargeAndSmallOption);
  Create();
  const Picture saved = LoadPictureFile(s.settings.SaveFileName, 0);
  ASSERT_EQ(saved.Width(), 640);
  EXPECT_EQ(saved, s.FinalImage);
  RecordingUi quiet;
  Picture expected(640, 480, s.engine.CenterColor.Value), thumb(160, 120);
  for (int y = 0; y < 480; y += 9)
    for (int x = 0; x < 640; x += 7) {
      DrawFinalPixel(quiet, s.Workspace1, s.engine, s.spectrum, s.console.SpecStart, 1.0f, x, y,
                     expected, thumb);
      ASSERT_EQ(saved.Point(x, y), expected.Point(x, y)) << x << "," << y;
    }
  // The inner disc (r <= R0 + 1 = 16) keeps the centre colour.
  EXPECT_EQ(saved.Point(320, 240), s.engine.CenterColor.Value);
  EXPECT_EQ(saved.Point(336, 240), s.engine.CenterColor.Value);
}

TEST_F(FinalStageTest, AMissingOutputFolderGivesTheMessageAndWritesNothing) {
  s.console.SaveFile = folder / "nowhere/Final.bmp";
  Create();
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "The given filename is invalid; file was not saved.");
  EXPECT_EQ(ui.BeepCount(), 1);
  EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
}

TEST_F(FinalStageTest, CancellingLeavesThePartlyDrawnPictureAndSavesNothing) {
  s.settings.NeedToRedrawGrid = false;
  CancelBeforeTick(1);
  Create();
  EXPECT_FALSE(std::filesystem::exists(s.settings.SaveFileName));
  EXPECT_FALSE(s.settings.NeedToRedrawGrid);
  EXPECT_FALSE(s.FinalRunActive);
  // Only "Upper Left" is ticked. The first tick covered scan columns 320 to 484, that
  // is thumbnail columns 0 to 41 of the upper left quarter.
  EXPECT_NE(s.Thumbnail.Point(30, 30), s.engine.CenterColor.Value);
  EXPECT_EQ(s.Thumbnail.Point(60, 30), s.engine.CenterColor.Value);
}

}  // namespace
}  // namespace marvane::testing
