// The fast path against --sequential, the desktop's slice-by-slice pipeline, through the
// real program: the same arguments must give the same file, byte for byte.
#include <ostream>
#include <string>
#include <vector>

#include "cli/render_fixture.h"

namespace marvane::testing {
namespace {

struct IdentityCase {
  std::string name;
  int tileW, tileH;
  std::vector<std::string> args;
};

std::ostream& operator<<(std::ostream& out, const IdentityCase& c) { return out << c.name; }

class FastPathEqualsSequential : public RenderTest,
                                 public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(FastPathEqualsSequential, ByteForByte) {
  const IdentityCase& c = GetParam();
  const std::string tile = Tile(c.tileW, c.tileH);
  std::vector<std::string> common = {"--tile", tile, "--seed", "77", "-q"};
  common.insert(common.end(), c.args.begin(), c.args.end());

  std::vector<std::string> fast = common, seq = common;
  fast.insert(fast.end(), {"-o", "fast.bmp", "--threads", "3"});
  seq.insert(seq.end(), {"-o", "seq.bmp", "--sequential"});
  const RenderRun a = Run(fast);
  ASSERT_EQ(a.status, 0) << a.err;
  const RenderRun b = Run(seq);
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(a.err, "");
  const std::string fastBytes = Bytes("fast.bmp");
  EXPECT_TRUE(fastBytes == Bytes("seq.bmp"));
  // A real picture, not an empty one.
  EXPECT_GT(fastBytes.size(), 54u);
}

std::vector<IdentityCase> Cases() {
  return {
      {"SquareTileAllQuadrants", 40, 40, {"--board", "64x48"}},
      {"SquareTileSmall", 40, 40, {"--board", "64x48", "--small"}},
      {"WideTileRotateMinus45", 60, 30, {"--board", "64x48", "--rotate", "-45"}},
      {"TallTileNoRotationOddBoard", 30, 60, {"--board", "101x77", "--rotate", "0"}},
      {"SmallestTileRotate45ShiftsUp",
       10,
       10,
       {"--board", "101x77", "--rotate", "45", "--spectrum-shift", "150", "--brightness-shift", "100",
        "--center-tone", "0", "--center-brightness", "100"}},
      {"ShiftsDownSmall",
       20,
       12,
       {"--board", "103x77", "--small", "--spectrum-shift", "-150", "--brightness-shift", "-100",
        "--center-tone", "426", "--center-brightness", "-100"}},
      {"NoColourSetting",
       40,
       40,
       {"--board", "65x49", "--spectrum-shift", "0", "--brightness-shift", "0", "--center-tone", "0"}},
      {"NarrowFadeAndRadius", 40, 40, {"--board", "64x48", "--fade-width", "3", "--smallest-radius", "3"}},
      {"WideFade", 40, 40, {"--board", "64x48", "--fade-width", "40", "--smallest-radius", "20"}},
      {"NinetyNinePieces", 50, 50, {"--board", "101x77", "--pieces", "99"}},
      {"NoQuadrant", 40, 40, {"--board", "64x48", "--quadrants", ""}},
      {"NoQuadrantSmall", 40, 40, {"--board", "64x48", "--quadrants", "none", "--small"}},
      {"OneQuadrant", 40, 40, {"--board", "101x77", "--quadrants", "ll"}},
      {"TwoQuadrantsSmall", 40, 40, {"--board", "101x77", "--quadrants", "ur,lr", "--small"}},
      {"FractionalPiecesRounded", 40, 40, {"--board", "64x48", "--pieces", "7.5"}},
      {"LargestTileDefaultBoard", 300, 300, {}},
      {"LargestTileDefaultBoardSmall", 300, 200, {"--small"}},
  };
}

INSTANTIATE_TEST_SUITE_P(Renders, FastPathEqualsSequential, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<IdentityCase>& info) { return info.param.name; });

TEST_F(RenderTest, PngAndTiffOutputsHoldTheSamePictureAsTheBmp) {
  const std::string tile = Tile(40, 30);
  for (const char* name : {"out.bmp", "out.png", "out.tif"}) {
    const RenderRun r = Run({"--tile", tile, "--seed", "5", "--board", "64x48", "-q", "-o", name});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  EXPECT_EQ(Bytes("out.png").substr(1, 3), "PNG");
  EXPECT_EQ(Bytes("out.bmp").substr(0, 2), "BM");
  EXPECT_TRUE(Load("out.png") == Load("out.bmp"));
  EXPECT_TRUE(Load("out.tif") == Load("out.bmp"));
}

TEST_F(RenderTest, TheThreadCountDoesNotChangeTheBytes) {
  const std::string tile = Tile(30, 50);
  for (const char* threads : {"1", "2", "5"}) {
    const RenderRun r = Run({"--tile", tile, "--seed", "5", "--board", "101x77", "-q", "--threads", threads,
                             "-o", std::string("t") + threads + ".bmp"});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  EXPECT_TRUE(Bytes("t1.bmp") == Bytes("t2.bmp"));
  EXPECT_TRUE(Bytes("t1.bmp") == Bytes("t5.bmp"));
}

}  // namespace
}  // namespace marvane::testing
