#include "platform/picture.h"

#include <gtest/gtest.h>

namespace marvane {
namespace {

TEST(Picture, PointOutsideIsMinusOneAndPSetOutsideIsDropped) {
  Picture p(3, 2, 0x123456);
  EXPECT_EQ(p.Point(0, 0), 0x123456);
  EXPECT_EQ(p.Point(2, 1), 0x123456);
  EXPECT_EQ(p.Point(3, 0), -1);
  EXPECT_EQ(p.Point(0, 2), -1);
  EXPECT_EQ(p.Point(-1, 0), -1);
  p.PSet(1, 1, 7);
  p.PSet(-1, 0, 9);
  p.PSet(3, 1, 9);
  EXPECT_EQ(p.Point(1, 1), 7);
  int nines = 0;
  for (int v : p.Pixels()) nines += v == 9;
  EXPECT_EQ(nines, 0);
  // An empty picture answers outside everywhere.
  Picture empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(empty.Point(0, 0), -1);
  empty.PSet(0, 0, 1);
  empty.FillBox(0, 0, 3, 3, 1);
  EXPECT_TRUE(empty.Pixels().empty());
}

TEST(Picture, FillBoxIncludesBothCornersAndClips) {
  Picture p(5, 4, 0);
  p.FillBox(3, 2, 1, 1, 5);  // corners in either order
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(p.Point(x, y), (x >= 1 && x <= 3 && y >= 1 && y <= 2) ? 5 : 0) << x << "," << y;
  p.FillBox(-10, -10, 100, 100, 8);
  for (int v : p.Pixels()) EXPECT_EQ(v, 8);
  p.FillBox(10, 10, 20, 20, 1);  // entirely outside: nothing happens
  for (int v : p.Pixels()) EXPECT_EQ(v, 8);
}

TEST(Picture, BackColorErasesAndSetPictureLaysAtTopLeft) {
  Picture board(4, 3, 0);
  Picture tile(2, 5, 0);
  tile.PSet(1, 0, 42);
  board.PSet(3, 2, 99);
  board.SetBackColor(0x00FF00);
  EXPECT_EQ(board.Point(3, 2), 0x00FF00);
  board.SetPicture(tile);
  EXPECT_EQ(board.Point(1, 0), 42);
  EXPECT_EQ(board.Point(0, 2), 0);         // tile's column 0, clipped at the board's height
  EXPECT_EQ(board.Point(3, 0), 0x00FF00);  // beyond the tile: background
  EXPECT_EQ(board.Width(), 4);
  EXPECT_EQ(board.Height(), 3);
}

}  // namespace
}  // namespace marvane
