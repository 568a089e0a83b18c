#include "pipeline_fixture.h"

namespace marvane::testing {
namespace {

class JobControlTest : public PipelineTest {
 protected:
  void SetUp() override { SetUpBoard(640, 480); }
};

TEST_F(JobControlTest, ActionZeroClosesAtTheFirstTick) {
  pipeline.LaunchAction(0, 0, 0);
  EXPECT_EQ(host.ticks, 1);
  EXPECT_EQ(host.modalRuns, 1);
  EXPECT_FALSE(pipeline.ProgressLoaded());
  EXPECT_EQ(host.timerInterval, 0);
  EXPECT_EQ(host.label, "Processing...");
}

TEST_F(JobControlTest, ArgumentsAreRoundedHalvesToEven) {
  host.beforeTick = [](int) { return false; };
  pipeline.LaunchAction(0.5, 246.5, 247.5);
  EXPECT_EQ(s.ScanLastX, 246);
  EXPECT_EQ(s.ScanLastY, 248);
}

TEST_F(JobControlTest, TheCleanUpGivesTheScreenBackToTheConsole) {
  s.FinalRunActive = true;
  pipeline.LaunchAction(0, 0, 0);
  EXPECT_FALSE(s.FinalRunActive);
  EXPECT_EQ(s.JobState, kNoJob);
  EXPECT_TRUE(host.Visible(Form::Console));
  EXPECT_FALSE(host.Visible(Form::Progress));
  EXPECT_FALSE(host.Visible(Form::FinalImage));
  EXPECT_FALSE(host.Visible(Form::Workspace3));
  EXPECT_FALSE(host.Visible(Form::Workspace1));
}

TEST_F(JobControlTest, AnErrorInATickKeepsTheStateAndTheNextTickGoesOn) {
  // N = 0 makes the grid's set-up divide by zero: every tick reports it and, with the
  // slice count still negative, tries the set-up again.
  s.console.NumPieces = "0";
  s.TileImage = MakeTile(40, 40);
  s.SquareLast = 39;
  int ticks = 0;
  host.beforeTick = [&](int done) {
    if (done > 0) {
      EXPECT_EQ(s.JobState, kTileGridStage);
      EXPECT_EQ(s.SliceCount, -1.0f);
    }
    ticks = done;
    return done < 3;
  };
  pipeline.LaunchAction(2, 639, 479);
  ASSERT_EQ(ui.Messages().size(), 3u);
  for (const auto& m : ui.Messages()) {
    EXPECT_EQ(m.title, "Kick_Timer");
    EXPECT_EQ(m.text, "Division by zero");
  }
  EXPECT_EQ(s.JobState, kNoJob);  // the cancel after them
}

TEST_F(JobControlTest, AGridWithoutAFinalRunClosesAfterTheGrid) {
  s.TileImage = MakeTile(40, 40);
  s.SquareLast = 39;
  s.FinalRunActive = false;
  s.console.NumPieces = "50";
  pipeline.LaunchAction(2, 639, 479);
  // 52 x 52 = 2704 cells in two ticks; the third finds no stage left and closes.
  EXPECT_EQ(host.ticks, 3);
  EXPECT_EQ(s.JobState, kNoJob);
  EXPECT_FALSE(pipeline.ProgressLoaded());
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(JobControlTest, EachStageShowsItsWindowsAndLabel) {
  s.console.NumPieces = "50";
  s.SmallImageOnly = false;
  host.beforeTick = [](int) { return false; };
  pipeline.LaunchAction(3, 639, 479);
  EXPECT_EQ(host.log[0], "label Processing...");
  EXPECT_NE(std::find(host.log.begin(), host.log.end(), "label Creating final image..."), host.log.end());
  EXPECT_NE(std::find(host.log.begin(), host.log.end(), "show FinalImage"), host.log.end());
  EXPECT_EQ(s.ScanX, 320);
  EXPECT_EQ(s.ScanY, 240);
}

}  // namespace
}  // namespace marvane::testing
