#include "engine/sampling.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "engine/geometry.h"
#include "platform/picture.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"

using namespace marvane;

static int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

TEST(Sampling, WrapCoordFoldsSpotIsBilinearAndAreaColorModAveragesAGridOfSpotsOnTheBoard) {
  const struct { double x; int m; float folded; } folds[] = {
      {0, 10, 0}, {10, 10, 0}, {-10, 10, 0}, {-0.25, 10, 9.75f}, {23.5, 10, 3.5f}, {-23.5, 10, 6.5f},
      {9.999, 10, 9.999f}, {-1e6 - 0.5, 7, 5.5f}, {-16777215, 10, 5}};
  for (const auto& r : folds) EXPECT_EQ(WrapCoord(r.x, r.m), r.folded) << r.x << " mod " << r.m;
  const struct { double x; int m; const char* error; } faults[] = {  // folds that could never end
      {-1, 0, kInvalidCallText}, {-16777216, 10, kInvalidCallText}, {5, 0, kDivisionByZeroText}};
  for (const auto& f : faults)
    EXPECT_THAT([&] { WrapCoord(f.x, f.m); }, testing::ThrowsMessage<RunTimeError>(testing::StrEq(f.error))) << f.x;
  Picture ramp(10, 4, 0);  // red is the column x 20, green the row x 50; Point reads -1 beyond
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x) ramp.PSet(x, y, Rgb(x * 20, y * 50, 7));
  const struct { double x, y; int w; float red, green; int32_t value; } rows[] = {
      {3, 2, 10, 60, 100, Rgb(60, 100, 7)}, {1.0004, 0, 10, 20, 0, Rgb(20, 0, 7)}, {9.5, 0, 10, 90, 0, Rgb(90, 0, 7)},
      {2.25, 1.5, 10, 45, 75, Rgb(45, 75, 7)}, {5, 0, 5, 0, 0, Rgb(0, 0, 7)}, {12, 0, 20, -1, 0, 0},
      {-1, -1, 10, 180, 150, Rgb(180, 150, 7)}, {5e9, 0, 10, 0, 0, 0}};
  RecordingUi ui;
  ui.SetBusyPointer(true);  // the error trap gives the default pointer back
  for (const auto& r : rows) {
    const Chroma c = Spot(ui, ramp, r.x, r.y, r.w, 4);
    EXPECT_EQ(std::tuple(c.Red, c.Green, c.Value), std::tuple(r.red, r.green, r.value)) << r.x << ", " << r.y;
  }
  EXPECT_EQ(std::tuple(ui.Busy(), ui.Messages().size(), ui.Messages().at(0).title + ": " + ui.Messages().at(0).text),
            std::tuple(false, 1u, "Spot: Overflow"));
  Picture p(8, 20, Rgb(0, 0, 255)), across(20, 8, Rgb(0, 0, 255));  // for AreaColorMod: blue, with red 200 and
  for (int y = 0; y < 20; ++y) p.PSet(5, y, Rgb(200, y * 10, 0)), across.PSet(y, 5, Rgb(200, y * 10, 0));  // green 10 y
  const BoardConstants board{8, 20, 0, 5, 0, 19}, corner{8, 20, 0, 3, 0, 3};  // the board ends at column 5
  // 1 x 9 at (5, 10): Spots Int(sqrt(1)) + 1 = 2 apart down the centre column, at 6.5 to 14.5; 9 x 1 across the
  // picture turned on its side, along the centre row.
  for (const Chroma& c : {AreaColorMod(ui, p, board, 5, 10, 1, 9, 8, 20),
                          AreaColorMod(ui, across, BoardConstants{20, 8, 0, 19, 0, 5}, 10, 5, 9, 1, 20, 8)}) {
    EXPECT_EQ(std::tuple(c.Red, c.Blue, c.Value >> 8 & 0xFF), std::tuple(200.0f, 0.0f, 99));
    EXPECT_NEAR(c.Green, (1 * 65 + 2 * 85 + 2 * 105 + 2 * 125) / 7.0, 1e-4);  // weights: edge distances, at most 2
  }
  // 2.49 is one Spot at the folded centre (4.25, 11); 2.5 has spacing 2, one sample at (4.75, 11) here.
  EXPECT_EQ(AreaColorMod(ui, p, board, 12.25, 11, 2.49, 2.49, 8, 20).Red, 50.0f);
  EXPECT_EQ(AreaColorMod(ui, p, board, 5, 11.25, 2.5, 2.5, 8, 20).Red, 150.0f);
  // Samples folded off the board are skipped: only (2, 1) of (2 or 5, 1 or 4) is on 0..3, and around (6, 6) none.
  EXPECT_EQ(AreaColorMod(ui, p, corner, 3, 2, 5, 5, 8, 20).Value, Rgb(0, 0, 255));
  EXPECT_EQ(AreaColorMod(ui, p, corner, 6, 6, 3, 3, 8, 20).Value, 0);
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
