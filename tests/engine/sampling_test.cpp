#include "engine/sampling.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"

namespace marvane {
namespace {

int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

TEST(WrapCoord, FoldsIntoOnePeriodKeepingTheFraction) {
  EXPECT_EQ(WrapCoord(0, 10), 0.0f);
  EXPECT_EQ(WrapCoord(10, 10), 0.0f);
  EXPECT_EQ(WrapCoord(-10, 10), 0.0f);
  EXPECT_EQ(WrapCoord(-0.25, 10), 9.75f);
  EXPECT_EQ(WrapCoord(23.5, 10), 3.5f);
  EXPECT_EQ(WrapCoord(-23.5, 10), 6.5f);
  EXPECT_EQ(WrapCoord(9.999, 10), 9.999f);
  EXPECT_EQ(WrapCoord(-1e6 - 0.5, 7), static_cast<float>(-1e6 - 0.5 + 142858 * 7.0));
}

TEST(WrapCoord, ImpossibleFoldsAreErrorsNotHangs) {
  EXPECT_THROW(WrapCoord(-1, 0), RunTimeError);
  EXPECT_THROW(WrapCoord(-1, -5), RunTimeError);
  EXPECT_THROW(WrapCoord(5, 0), RunTimeError);
  EXPECT_THROW(WrapCoord(-1e30, 10), RunTimeError);
  EXPECT_THROW(WrapCoord(1e30, 10), RunTimeError);
  EXPECT_THROW(WrapCoord(NAN, 10), RunTimeError);
}

TEST(Round3, ThousandthsHalvesUp) {
  EXPECT_DOUBLE_EQ(Round3(2.4996), 2.5);
  EXPECT_DOUBLE_EQ(Round3(1.0004), 1.0);
  EXPECT_DOUBLE_EQ(Round3(-0.0004), 0.0);
  EXPECT_DOUBLE_EQ(Round3(-0.0006), -0.001);
  EXPECT_EQ(Round3(1e306), 0.0);  // the arithmetic overflows
  EXPECT_EQ(Round3(NAN), 0.0);
}

// A 10 x 4 picture whose red is the column x 20 and green the row x 50.
Picture Ramp() {
  Picture p(10, 4, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x) p.PSet(x, y, Rgb(x * 20, y * 50, 7));
  return p;
}

TEST(Spot, WholeCoordinatesReadOnePixel) {
  RecordingUi ui;
  const Picture p = Ramp();
  Chroma c = Spot(ui, p, 3, 2, 10, 4);
  EXPECT_EQ(c.Value, Rgb(60, 100, 7));
  EXPECT_EQ(c.Red, 60.0f);
  EXPECT_TRUE(c.ValueSet);
  EXPECT_FALSE(c.ColorsSet);
  // 1.0004 rounds to 1.000: one column only, nothing of column 2.
  EXPECT_EQ(Spot(ui, p, 1.0004, 0, 10, 4).Red, 20.0f);
  EXPECT_TRUE(ui.Events().empty());
}

TEST(Spot, BilinearBetweenNeighbours) {
  RecordingUi ui;
  const Picture p = Ramp();
  Chroma c = Spot(ui, p, 2.25, 1.5, 10, 4);
  EXPECT_EQ(c.Red, 45.0f);    // 0.75 x 40 + 0.25 x 60
  EXPECT_EQ(c.Green, 75.0f);  // halfway between rows 1 and 2
  EXPECT_EQ(c.Blue, 7.0f);
}

// The second weight is the exact fraction of the coordinate, never the fraction of a
// float rounded after adding 1.
TEST(Spot, SecondWeightIsTheExactFraction) {
  RecordingUi ui;
  // 0.1 is the float 0.100000001490116 and its own fraction; the first weight is the
  // float nearest 0.9. Reds 91 and 106 give 81.9 + 10.6 = 92.5 to the float, a tie that
  // goes to the even level 92 (a weight rounded through 1.1 gives 92.5000076, level 93).
  Picture tie(2, 1, 0);
  tie.PSet(0, 0, Rgb(91, 0, 0));
  tie.PSet(1, 0, Rgb(106, 0, 0));
  const Chroma c = Spot(ui, tie, 0.1, 0, 2, 1);
  EXPECT_EQ(c.Red, 92.5f);
  EXPECT_EQ(c.Value, Rgb(92, 0, 0));
  // 255.075 is the float 16716595 / 65536 = 255.0749969482421875; with red 0 at 255 and
  // red 1 at 0 (wrapped), the red is the second weight itself, across and down.
  Picture row(256, 1, 0), column(1, 256, 0);
  row.PSet(0, 0, Rgb(1, 0, 0));
  column.PSet(0, 0, Rgb(1, 0, 0));
  EXPECT_EQ(Spot(ui, row, 255.075, 0, 256, 1).Red, 0.0749969482421875f);
  EXPECT_EQ(Spot(ui, column, 0, 255.075, 1, 256).Red, 0.0749969482421875f);
}

TEST(Spot, WrapsAtThePeriod) {
  RecordingUi ui;
  const Picture p = Ramp();
  // Half of the last column (180) and half of column 0 (0).
  Chroma c = Spot(ui, p, 9.5, 0, 10, 4);
  EXPECT_EQ(c.Red, 90.0f);
  // A period smaller than the picture wraps inside it.
  EXPECT_EQ(Spot(ui, p, 5, 0, 5, 4).Red, 0.0f);
  EXPECT_EQ(Spot(ui, p, -1, -1, 10, 4).Value, Rgb(180, 150, 7));
}

TEST(Spot, ReadsBeyondTheSurfaceAsMinusOne) {
  // A period larger than the surface reads Point's -1 there: red -1, packed as 0.
  RecordingUi ui;
  const Picture p = Ramp();
  Chroma c = Spot(ui, p, 12, 0, 20, 4);
  EXPECT_EQ(c.Red, -1.0f);
  EXPECT_EQ(c.Value, 0);
}

TEST(Spot, ErrorsAreTrappedAndGiveBlack) {
  RecordingUi ui;
  const Picture p = Ramp();
  Chroma c = Spot(ui, p, 5e9, 0, 10, 4);
  EXPECT_EQ(c.Value, 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "Spot");
  EXPECT_EQ(ui.Messages()[0].text, "Overflow");
}

BoardConstants BoardOf(int w, int h) {
  BoardConstants b;
  SetBoardConstants(w, h, b);
  return b;
}

TEST(AreaColorMod, SmallAreasAreOneSpot) {
  RecordingUi ui;
  const Picture p = Ramp();
  const BoardConstants board = BoardOf(10, 4);
  const Chroma a = AreaColorMod(ui, p, board, 12.25, 1.5, 2.49, 2.49, 10, 4);
  const Chroma s = Spot(ui, p, 2.25, 1.5, 10, 4);
  EXPECT_EQ(a.Value, s.Value);
  EXPECT_EQ(a.Red, s.Red);
}

TEST(AreaColorMod, ANarrowTallAreaReadsTheCentreColumnOnly) {
  // sizeX 1, sizeY 9: spacing Int(sqrt(1)) + 1 = 2; one column at the centre (x = 5)
  // and rows at 6.5, 8.5, 10.5, 12.5, 14.5 with edge weights 1, 2, 2, 2, 0.
  RecordingUi ui;
  Picture p(8, 20, Rgb(0, 0, 255));
  for (int y = 0; y < 20; ++y) p.PSet(5, y, Rgb(200, y * 10, 0));
  const BoardConstants board = BoardOf(8, 20);
  const Chroma c = AreaColorMod(ui, p, board, 5, 10, 1, 9, 8, 20);
  EXPECT_EQ(c.Red, 200.0f);
  EXPECT_EQ(c.Blue, 0.0f);
  // (1 x 65 + 2 x 85 + 2 x 105 + 2 x 125) / 7 = 99.2857...
  EXPECT_NEAR(c.Green, 695.0 / 7, 1e-4);
  EXPECT_EQ((c.Value >> 8) & 0xFF, 99);
}

TEST(AreaColorMod, AUniformPictureAveragesToItsColour) {
  RecordingUi ui;
  Picture p(40, 40, Rgb(12, 34, 56));
  const BoardConstants board = BoardOf(40, 40);
  for (double size : {2.5, 3.0, 7.3, 15.0, 39.0}) {
    const Chroma c = AreaColorMod(ui, p, board, 17.3, 4.1, size, size, 40, 40);
    EXPECT_EQ(c.Value, Rgb(12, 34, 56)) << size;
  }
}

TEST(AreaColorMod, SamplesOutsideTheBoardAreSkipped) {
  RecordingUi ui;
  Picture p(10, 10, Rgb(255, 255, 255));
  const BoardConstants board = BoardOf(4, 4);  // only 0..3 counts
  // Columns at 6.5 and 8.5 wrap to themselves, beyond BoardRight: nothing is taken.
  EXPECT_EQ(AreaColorMod(ui, p, board, 7, 7, 3, 3, 10, 10).Value, 0);
  // An area over the board's corner takes only the samples inside.
  EXPECT_EQ(AreaColorMod(ui, p, board, 2, 2, 3, 3, 10, 10).Value, Rgb(255, 255, 255));
}

TEST(AreaColorMod, SpacingTwoFromTwoAndAHalf) {
  // At 2.5 the area is averaged on a grid of spacing 2: columns x - 1.25 + 1 and
  // x - 1.25 + 3 (beyond the area's end, so one column), the same for rows.
  RecordingUi ui;
  const Picture p = Ramp();
  const BoardConstants board = BoardOf(10, 4);
  const Chroma c = AreaColorMod(ui, p, board, 5, 1.25, 2.5, 2.5, 10, 4);
  // One sample at (4.75, 1.0): 0.25 x 80 + 0.75 x 100 = 95 red, row 1 green.
  EXPECT_EQ(c.Red, 95.0f);
  EXPECT_EQ(c.Green, 50.0f);
}

}  // namespace
}  // namespace marvane
