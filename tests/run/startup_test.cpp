#include "run/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "console/settings.h"
#include "platform/picture_files.h"
#include "platform/ui.h"
#include "pipeline_fixture.h"

namespace marvane::testing {
namespace {

class RecordingStartUpHost : public StartUpHost {
 public:
  void ShowSplash() override { ++splashes; }
  void ConsoleFilled() override { ++filled; }
  void CenterConsole() override { centred = true; }
  int splashes = 0, filled = 0;
  bool centred = false;
};

class StartUpTest : public ::testing::Test {
 protected:
  std::string Ini() const { return folder / "config/Tesklet.INI"; }
  void WriteIni(const std::string& text) {
    std::filesystem::create_directories(folder / "config");
    WriteFileBytes(Ini(), text);
  }
  void PutGrid() { SavePictureFile(MakeTile(793, 573), TileGridPath(folder.Path())); }
  bool Start() { return Main(s, ui, host, folder.Path(), Ini()); }

  TempFolder folder;
  AppState s;
  RecordingUi ui;
  RecordingStartUpHost host;
};

TEST_F(StartUpTest, AFirstStartWithAGridOpensWithTheDefaults) {
  PutGrid();
  s.RandomSeed = 3;
  ASSERT_TRUE(Start());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder / "Tiles"));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "Output"));
  const ConsoleModel& c = s.console;
  EXPECT_EQ(c.NumPieces, "12");
  EXPECT_EQ(c.SmallestRadius, "15");
  EXPECT_EQ(c.FadeWidth, "60");
  EXPECT_EQ(c.Turn45ListIndex, 0);
  EXPECT_EQ(c.SpecStart, 104);
  EXPECT_EQ(c.Cline, -54);
  EXPECT_EQ(c.Lighten, -29);
  EXPECT_EQ(c.LightStart, 95);
  EXPECT_EQ(c.TileFile, folder / "Tiles/Basic.bmp");
  EXPECT_EQ(c.SaveFile, folder / "Output/Final.bmp");
  // The desktop board and what follows from it.
  EXPECT_EQ(s.engine.board.BoardWidth, 793);
  EXPECT_EQ(s.engine.board.CenterY, 286);
  EXPECT_EQ(s.Thumbnail.Width(), 199);
  EXPECT_EQ(s.Thumbnail.Height(), 144);
  EXPECT_EQ(s.TileImage.Width(), 248);
  // 495.625 x 6.283186 / 12 = 259.5, so the cell is 259 and half of it 130 (129.5 to even).
  EXPECT_EQ(s.engine.GridTileSize, 259);
  EXPECT_EQ(s.GridPeriod, 260);
  EXPECT_EQ(s.GridHalf, 130);
  EXPECT_EQ(s.engine.EngineSmallestRadius, 15);
  EXPECT_EQ(s.engine.SpectrumShift, -0.54f);
  EXPECT_EQ(s.engine.BrightnessShift, -0.29f);
  EXPECT_EQ(s.SquareSide, 248);
  EXPECT_TRUE(s.SmallImageOnly);
  EXPECT_EQ(s.engine.TileColor.Level, 1);
  EXPECT_NE(s.engine.TileColor.Value, 0);
  EXPECT_TRUE(host.centred);
  EXPECT_EQ(host.filled, 1);
  EXPECT_GE(host.splashes, 2);
}

TEST_F(StartUpTest, ASecondStartInTheSameFolderShowsNothing) {
  PutGrid();
  ASSERT_TRUE(Start());
  AppState again;
  EXPECT_TRUE(Main(again, ui, host, folder.Path(), Ini()));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(StartUpTest, AMissingTileIsPassedOverSilently) {
  PutGrid();
  WriteIni("[FileNames]\nTileFile=" + (folder / "gone.bmp") + "\n");
  ASSERT_TRUE(Start());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(s.console.TileFile, folder / "gone.bmp");
}

TEST_F(StartUpTest, TheSettingsTileIsShownOnTheConsole) {
  PutGrid();
  SavePictureFile(MakeTile(248, 248), folder / "mine.bmp");
  WriteIni("[FileNames]\nTileFile=" + (folder / "mine.bmp") + "\n");
  ASSERT_TRUE(Start());
  EXPECT_EQ(s.TileImage, MakeTile(248, 248));
}

TEST_F(StartUpTest, NoTileGridEndsStartUpWithOneMessage) {
  EXPECT_FALSE(Start());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "Main");
  EXPECT_NE(ui.Messages()[0].text.find("TileGrid.bmp"), std::string::npos);
  // The steps after loading the grid did not run.
  EXPECT_EQ(s.engine.spiral.OuterPieceWidth, 0.0f);
  EXPECT_EQ(s.engine.GridTileSize, 0);
  EXPECT_EQ(s.engine.TileColor.Level, 0);
  EXPECT_FALSE(host.centred);
}

TEST_F(StartUpTest, SettingsOutsideTheirControlsEndStartUp) {
  PutGrid();
  for (const char* line : {"Turn45=3", "Turn45=-2", "Cline=151", "SpecStart=427", "Lighten=-101",
                           "LightStart=101"}) {
    WriteIni(std::string("[Numbers]\n") + line + "\n");
    ui.Clear();
    AppState fresh;
    EXPECT_FALSE(Main(fresh, ui, host, folder.Path(), Ini())) << line;
    ASSERT_EQ(ui.Messages().size(), 1u) << line;
    EXPECT_EQ(ui.Messages()[0].title, "Main");
    EXPECT_EQ(ui.Messages()[0].text, kInvalidPropertyValueText);
  }
  WriteIni("[Numbers]\nTurn45=-1\n");  // selects no item: allowed
  ui.Clear();
  AppState fresh;
  EXPECT_TRUE(Main(fresh, ui, host, folder.Path(), Ini()));
  EXPECT_EQ(fresh.console.Turn45ListIndex, -1);
}

TEST_F(StartUpTest, StoredNumbersAreRoundedIntoTheBoxes) {
  PutGrid();
  WriteIni("[Numbers]\nFadeWidth=60.5\nSmallestRadius=61.5\nNumRadialPieces=abc\n");
  ui.Clear();
  // N = 0 cannot make a spiral: start-up stops at the geometry with its message.
  EXPECT_FALSE(Start());
  EXPECT_EQ(s.console.FadeWidth, "60");
  EXPECT_EQ(s.console.SmallestRadius, "62");
  EXPECT_EQ(s.console.NumPieces, "0");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Division by zero");
}

class CreateFinalTest : public PipelineTest {
 protected:
  void SetUp() override {
    SetUpBoard(640, 480);
    s.engine.TileColor.Value = Rgb(255, 128, 0);
    s.engine.TileColor.ValueSet = true;
    s.engine.TileColor.Level = 1;
  }
};

TEST_F(CreateFinalTest, PreparesColoursStrideAndScan) {
  s.console.LightStart = 100;
  s.console.SmallestRadius = "20.5";  // never validated: still used, rounded to 20
  s.console.FadeWidth = "33";
  s.console.Cline = -150;
  s.settings.NeedToRedrawGrid = true;
  EXPECT_EQ(PrepareFinalImage(s, ui), kTileGridStage);
  // e^1.3 - 0.27253 = 3.3968 scales the white floor 75 past 255: the centre is white.
  EXPECT_EQ(s.engine.CenterColor.Value, Rgb(255, 255, 255));
  EXPECT_EQ(s.engine.TileHueOffset, -40.0f);  // (255, 128, 0) matches entry 40
  EXPECT_EQ(s.engine.EngineSmallestRadius, 20);
  EXPECT_EQ(s.engine.EngineFadeWidth, 33.0f);
  EXPECT_EQ(s.engine.SpectrumShift, -1.5f);
  EXPECT_EQ(s.ScaleDivisor, 4);
  EXPECT_EQ(s.ScaleFactor, 0.25f);
  EXPECT_TRUE(s.FinalRunActive);
  EXPECT_EQ(s.ScanX, 320);
  EXPECT_EQ(s.ScanY, 240);
  EXPECT_EQ(s.Thumbnail.Point(0, 0), Rgb(255, 255, 255));
  EXPECT_EQ(s.engine.spiral.InnerRadiusReal, 20.0);

  s.console.SelectOutputOption(kBothLargeAndSmallOption);
  s.settings.NeedToRedrawGrid = false;
  EXPECT_EQ(PrepareFinalImage(s, ui), kFinalImageStage);
  EXPECT_EQ(s.ScaleDivisor, 1);
  EXPECT_EQ(s.ScaleFactor, 1.0f);
}

TEST_F(CreateFinalTest, ErrorsAreShownUnderTheHandlersName) {
  s.console.SmallestRadius = "400";  // equal to the outer radius of a 640 board
  CreateFinalClick(pipeline, s, ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "CreateFinal_Click");
  EXPECT_EQ(ui.Messages()[0].text, "Division by zero");
  EXPECT_EQ(host.modalRuns, 0);
  s.console.SmallestRadius = "15";
  s.console.FadeWidth = "1e999";
  ui.Clear();
  CreateFinalClick(pipeline, s, ui);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Overflow");
}

}  // namespace
}  // namespace marvane::testing
