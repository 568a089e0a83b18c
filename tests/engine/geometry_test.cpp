#include "engine/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine_state.h"
#include "platform/picture.h"
#include "platform/run_time_error.h"

namespace marvane {
namespace {

TEST(BoardConstants, SixHundredFortyByFourEighty) {
  BoardConstants b;
  SetBoardConstants(Picture(640, 480), b);
  EXPECT_EQ(b.BoardWidth, 640);
  EXPECT_EQ(b.BoardHeight, 480);
  EXPECT_EQ(b.BoardLeft, 0);
  EXPECT_EQ(b.BoardTop, 0);
  EXPECT_EQ(b.BoardRight, 639);
  EXPECT_EQ(b.BoardBottom, 479);
  EXPECT_EQ(b.CenterX, 320);
  EXPECT_EQ(b.CenterY, 240);
  EXPECT_EQ(b.OuterRadius, 400.0f);
  EXPECT_EQ(b.BoardDiagonal, 800.0f);
  EXPECT_EQ(b.HalfDiagonal, 400.0f);
}

TEST(BoardConstants, TheDesktopBoardHasOddSides) {
  BoardConstants b;
  SetBoardConstants(Picture(793, 573), b);
  EXPECT_EQ(b.CenterX, 396);  // 396.5 goes to the even neighbour
  EXPECT_EQ(b.CenterY, 286);  // 286.5 likewise
  EXPECT_EQ(b.OuterRadius, 495.625f);
  EXPECT_EQ(b.HalfDiagonal, 489.17737f);
  EXPECT_EQ(b.HalfDiagonal, static_cast<float>(std::sqrt(793.0 * 793 + 573.0 * 573) / 2));
}

TEST(BoardConstants, CentreRoundsHalvesToEven) {
  BoardConstants b;
  SetBoardConstants(641, 3, b);
  EXPECT_EQ(b.CenterX, 320);
  EXPECT_EQ(b.CenterY, 2);
  SetBoardConstants(643, 5, b);
  EXPECT_EQ(b.CenterX, 322);
  EXPECT_EQ(b.CenterY, 2);
}

TEST(BoardConstants, AnEmptySurface) {
  BoardConstants b;
  SetBoardConstants(Picture(), b);
  EXPECT_EQ(b.BoardWidth, 0);
  EXPECT_EQ(b.BoardRight, -1);
  EXPECT_EQ(b.OuterRadius, 0.0f);
}

TEST(GrowthRatio, SampleValues) {
  EXPECT_NEAR(GrowthRatio(6), 0.36625038, 5e-9);
  EXPECT_NEAR(GrowthRatio(12), 0.59583293, 5e-9);
  EXPECT_NEAR(GrowthRatio(50), 0.88198416, 5e-9);
  EXPECT_NEAR(GrowthRatio(99), 0.93851553, 5e-9);
}

TEST(GrowthRatio, EveryPieceIsACurvedSquare) {
  // The depth of a ring, r (1 - q), equals the arc of one part at the ring's
  // geometric-mean radius, 6.283186 r sqrt(q) / n.
  for (int n = 6; n <= 99; ++n) {
    const double q = GrowthRatio(n);
    EXPECT_NEAR(1 - q, kFullTurn * std::sqrt(q) / n, 1e-12) << n;
    EXPECT_LT(q, 1.0);
    if (n > 6) {
      EXPECT_GT(q, GrowthRatio(n - 1));
    }
  }
}

TEST(SpiralGeometry, ConstantsForFiftyParts) {
  SpiralConstants s;
  SetSpiralGeometry(50, 15, 400.0f, s);
  EXPECT_NEAR(s.InvLogRatio, 7.96298, 5e-6);
  EXPECT_NEAR(s.InvLogRatio, 50 / kFullTurn, 0.01);
  EXPECT_EQ(s.OuterPieceWidth, 50.265488f);
  EXPECT_EQ(s.PartsPerRadian, static_cast<float>(50 * 0.1591549255425512));
  EXPECT_EQ(s.InnerRadiusReal, 15.0);
  EXPECT_EQ(s.InvRadialSpan, 1.0 / 385);
  EXPECT_EQ(s.LogInnerRadius, std::log(15.0));
  EXPECT_EQ(s.OuterPixelAngle, std::atan(1.0 / 400));
  EXPECT_EQ(GridTileFloorOf(s.OuterPieceWidth), 50);
}

TEST(SpiralGeometry, OuterPieceWidthAcrossTheRange) {
  SpiralConstants s;
  SetSpiralGeometry(6, 15, 400.0f, s);
  EXPECT_NEAR(s.OuterPieceWidth, 418.879, 0.001);
  EXPECT_EQ(GridTileFloorOf(s.OuterPieceWidth), 418);
  SetSpiralGeometry(99, 15, 400.0f, s);
  EXPECT_NEAR(s.OuterPieceWidth, 25.3866, 0.0001);
  EXPECT_EQ(GridTileFloorOf(s.OuterPieceWidth), 25);
  EXPECT_EQ(GridTileFloorOf(49.9f), 49);
  EXPECT_EQ(GridTileFloorOf(50.27f), 50);
}

TEST(SpiralGeometry, FaultsAreRunTimeErrors) {
  SpiralConstants s;
  // On a 640 x 480 board the half diagonal equals the outer radius, so validation
  // lets R0 = 400 through: the radial span is then zero.
  try {
    SetSpiralGeometry(12, 400, 400.0f, s);
    FAIL() << "no error";
  } catch (const RunTimeError& e) {
    EXPECT_STREQ(e.what(), "Division by zero");
  }
  EXPECT_THROW(SetSpiralGeometry(0, 15, 400.0f, s), RunTimeError);
  EXPECT_THROW(SetSpiralGeometry(12, 0, 400.0f, s), RunTimeError);
  EXPECT_THROW(SetSpiralGeometry(12, 15, 0.0f, s), RunTimeError);
}

TEST(SpiralGeometry, StateOverloadReadsTheEngineValues) {
  EngineState st;
  SetBoardConstants(640, 480, st.board);
  st.EngineNumPieces = 50;
  st.EngineSmallestRadius = 15;
  SetSpiralGeometry(st);
  EXPECT_EQ(st.spiral.OuterPieceWidth, 50.265488f);
}

TEST(AngleOf, Axes) {
  EXPECT_EQ(AngleOf(1, 0), 0.0);
  EXPECT_EQ(AngleOf(0, 1), 1.5707965);
  EXPECT_EQ(AngleOf(-1, 0), 3.141593);
  EXPECT_EQ(AngleOf(0, -1), -1.5707965);
  EXPECT_EQ(AngleOf(0, 0), 1.5707965);
}

TEST(AngleOf, RangeAndDiagonals) {
  EXPECT_NEAR(AngleOf(1, 1), std::atan(1.0), 1e-15);
  EXPECT_NEAR(AngleOf(-1, -1), std::atan(1.0) + 3.141593, 1e-15);
  for (int deg = 0; deg < 360; deg += 5) {
    const double a = deg * M_PI / 180;
    const double v = AngleOf(std::cos(a), std::sin(a));
    EXPECT_GE(v, -1.5707965);
    EXPECT_LE(v, kHalfTurn + M_PI / 2);  // the engine's half turn is a little above pi
  }
}

}  // namespace
}  // namespace marvane
