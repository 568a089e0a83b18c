#include "engine/final_colour.h"

#include <gtest/gtest.h>

#include "colour/spectrum.h"
#include "engine/engine_state.h"
#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/ui.h"

namespace marvane {
namespace {

int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

TEST(LightFactor, SliderValues) {
  EXPECT_NEAR(LightFactor(0, 1), 0.72747f, 1e-6);
  EXPECT_EQ(LightFactor(18.539, 1), 0.99999994f);  // not quite 1: 0.013 a is a float
  EXPECT_NEAR(LightFactor(100, 1), 3.39677f, 1e-5);
  EXPECT_NEAR(LightFactor(-100, 1), 0.0, 0.003);
  EXPECT_EQ(LightFactor(0, 0), 0.0f);
}

// A 640 x 1000 board (CenterX 320, CenterY 500, outer radius 400) with R0 = 10 and a
// tile grid of one colour; the spectrum entry 40 is (255, 165, 75).
class PaintFinalPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetBoardConstants(640, 1000, st.board);
    st.EngineNumPieces = 12;
    st.EngineSmallestRadius = 10;
    SetSpiralGeometry(st);
    st.GridTileSize = GridTileFloorOf(st.spiral.OuterPieceWidth);
    st.EngineFadeWidth = 3;
    base.Value = spectrum.SpecColors[40];
    base.ValueSet = true;
    finalImage = Picture(640, 1000, kUntouched);
    thumbnail = Picture(160, 250, kUntouched);
  }

  // Paints the pixel at distance r to the right of the centre and returns its colour.
  int32_t PaintAt(int r, int specStart, float fraction = 1.0f) {
    out = Chroma{};
    out.Value = kUntouched;
    PaintFinalPixel(ui, st, spectrum, specStart, fraction, 320 + r, 500, base, out, finalImage,
                    thumbnail);
    return out.Value;
  }

  static constexpr int32_t kUntouched = 0x010203;
  const SpectrumTables& spectrum = ReadySpectrum();
  EngineState st;
  Chroma base;
  Chroma out;
  Picture finalImage;
  Picture thumbnail;
  RecordingUi ui;
};

TEST_F(PaintFinalPixelTest, NoColourSettingPassesTheSampleThrough) {
  st.EngineFadeWidth = 300;  // even inside the fade band
  st.CenterColor.Value = 0;
  EXPECT_EQ(PaintAt(50, 0), spectrum.SpecColors[40]);
  EXPECT_EQ(finalImage.Point(370, 500), spectrum.SpecColors[40]);
  EXPECT_EQ(thumbnail.Point(370 / 4, 125), spectrum.SpecColors[40]);
}

TEST_F(PaintFinalPixelTest, ToneAndHueOffsetCancelToTheSameEntry) {
  st.TileHueOffset = -5;
  EXPECT_EQ(PaintAt(100, 5), spectrum.SpecColors[40]);
}

TEST_F(PaintFinalPixelTest, SpectrumShiftMovesAlongTheSpectrumWithTheRadius) {
  // At r = 205 the radial fraction is 195 / 390 = 0.5; 426 x 0.1 x 0.5 = 21.3, so the
  // hue moves from 40 to 61, (255, 196, 75).
  st.SpectrumShift = 0.1f;
  EXPECT_EQ(PaintAt(205, 0), spectrum.SpecColors[61]);
  EXPECT_EQ(spectrum.SpecColors[61], Rgb(255, 196, 75));
}

TEST_F(PaintFinalPixelTest, DarkeningAndLightening) {
  st.BrightnessShift = -0.5f;  // m = -0.25: each component x 0.75
  EXPECT_EQ(PaintAt(205, 0), Rgb(191, 124, 56));
  st.BrightnessShift = 0.5f;   // m = 0.25: a quarter of the way to white
  EXPECT_EQ(PaintAt(205, 0), Rgb(255, 188, 120));
}

TEST_F(PaintFinalPixelTest, FullShiftAtTheOuterRadiusGivesBlackOrWhite) {
  st.BrightnessShift = -1.0f;
  EXPECT_EQ(PaintAt(400, 0), 0);
  st.BrightnessShift = 1.0f;
  EXPECT_EQ(PaintAt(400, 0), Rgb(255, 255, 255));
}

TEST_F(PaintFinalPixelTest, BeyondTheOuterRadiusComponentsAreClamped) {
  // r = 595: f = 1.5; lightening pushes every component past 255, darkening below 0.
  st.BrightnessShift = 1.0f;
  EXPECT_EQ(PaintAt(595, 0), Rgb(255, 255, 255));
  EXPECT_GT(out.Blue, 255.0f);
  st.BrightnessShift = -1.0f;
  EXPECT_EQ(PaintAt(595, 0), 0);
  EXPECT_LT(out.Red, 0.0f);
}

TEST_F(PaintFinalPixelTest, HalfwayThroughTheFadeBandBlendsHalfAndHalf) {
  // R0 10, band 20, r 20: t = 0.5 and the raised cosine is exactly 0.5.
  st.EngineFadeWidth = 20;
  st.CenterColor = ChromaExtended{};  // black
  st.TileHueOffset = -5;
  // (255, 165, 75) / 2 = (127.5, 82.5, 37.5), halves to even.
  EXPECT_EQ(PaintAt(20, 5), Rgb(128, 82, 38));
}

TEST_F(PaintFinalPixelTest, JustBeyondTheInnerEdgeIsNearlyTheCentreColour) {
  st.EngineFadeWidth = 60;
  st.CenterColor = SpecColor(ui, spectrum, 287, 1, 1);  // blue (75, 75, 255)
  st.TileHueOffset = -5;
  const int32_t v = PaintAt(12, 5);  // t = 2 / 60, the ramp at about 0.003
  EXPECT_NEAR(v & 0xFF, 75, 1);
  EXPECT_NEAR((v >> 8) & 0xFF, 75, 1);
  EXPECT_NEAR((v >> 16) & 0xFF, 255, 1);
}

TEST_F(PaintFinalPixelTest, InsideTheSmallestRadiusNothingIsDrawn) {
  st.SpectrumShift = 0.5f;
  EXPECT_EQ(PaintAt(9, 0), kUntouched);
  EXPECT_EQ(finalImage.Point(329, 500), kUntouched);
  EXPECT_EQ(thumbnail.Point(329 / 4, 125), kUntouched);
}

TEST_F(PaintFinalPixelTest, ASmallPassNeverTouchesTheFullPicture) {
  st.SpectrumShift = 0.1f;
  PaintAt(205, 0, 0.25f);
  EXPECT_EQ(finalImage.Point(525, 500), kUntouched);
  EXPECT_EQ(thumbnail.Point(131, 125), spectrum.SpecColors[61]);
}

// A tile grid whose red is the column and green the row within each 50-pixel cell.
class SpiralColorAtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetBoardConstants(640, 480, st.board);
    st.EngineNumPieces = 50;
    st.EngineSmallestRadius = 100;
    SetSpiralGeometry(st);
    st.GridTileSize = GridTileFloorOf(st.spiral.OuterPieceWidth);
    grid = Picture(640, 480, 0);
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) grid.PSet(x, y, Rgb(x % 50, y % 50, 9));
  }
  EngineState st;
  Picture grid;
  RecordingUi ui;
};

TEST_F(SpiralColorAtTest, StraightUpAtTheSmallestRadiusIsTheCellCentre) {
  ASSERT_EQ(st.GridTileSize, 50);
  // dx = 0, dy = -100: theta = 0 so the place along the ring is 0; r = R0 so the ring
  // coordinate is 0. Both tile coordinates are the offset, 25.
  const Chroma c = SpiralColorAt(ui, grid, st, 320, 140, 25, 50, 50);
  EXPECT_EQ(c.Value, Rgb(25, 25, 9));
}

TEST_F(SpiralColorAtTest, OneRingOutwardTheRowComesRoundAgain) {
  // Radii R0 and R0 / q land on the same ring position; at r = 113 (just short of
  // R0 / q = 113.38) the row is near the end of the cell, wrapped past the offset.
  const Chroma c = SpiralColorAt(ui, grid, st, 320, 240 - 113, 25, 50, 50);
  const int row = (c.Value >> 8) & 0xFF;
  EXPECT_GE(row, 18);
  EXPECT_LE(row, 25);
}

TEST_F(SpiralColorAtTest, AUniformGridGivesItsColourEverywhere) {
  Picture uniform(640, 480, Rgb(90, 140, 200));
  for (int y = 0; y < 480; y += 37)
    for (int x = 0; x < 640; x += 41) {
      if (x == 320 && y == 240) continue;
      EXPECT_EQ(SpiralColorAt(ui, uniform, st, x, y, 25, 50, 50).Value, Rgb(90, 140, 200)) << x << "," << y;
    }
  EXPECT_TRUE(ui.Events().empty());
}

TEST(DrawFinalPixel, LeavesTheInnerDiscAndPaintsBeyond) {
  EngineState st;
  SetBoardConstants(640, 480, st.board);
  st.EngineNumPieces = 12;
  st.EngineSmallestRadius = 15;
  SetSpiralGeometry(st);
  st.GridTileSize = GridTileFloorOf(st.spiral.OuterPieceWidth);
  Picture grid(640, 480, Rgb(10, 20, 30));
  Picture finalImage(640, 480, 5), thumbnail(160, 120, 5);
  RecordingUi ui;
  const SpectrumTables& s = ReadySpectrum();
  DrawFinalPixel(ui, grid, st, s, 0, 1.0f, 336, 240, finalImage, thumbnail);  // r = 16
  EXPECT_EQ(finalImage.Point(336, 240), 5);
  DrawFinalPixel(ui, grid, st, s, 0, 1.0f, 337, 240, finalImage, thumbnail);  // r = 17
  EXPECT_EQ(finalImage.Point(337, 240), Rgb(10, 20, 30));
  EXPECT_EQ(thumbnail.Point(84, 60), Rgb(10, 20, 30));
}

}  // namespace
}  // namespace marvane
