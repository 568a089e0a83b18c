// The files marvane-render reads and writes: only those it is told to, the kept
// intermediate pictures, the settings file, a saved tile grid, and the tile colour.
#include <string>
#include <vector>

#include "cli/render_fixture.h"
#include "run/create_final.h"

namespace marvane::testing {
namespace {

TEST_F(RenderTest, NeverASquaredTileBesideTheUsersTile) {
  // A wide and a tall tile are squared; the desktop would save "-Square.bmp" beside them.
  Tile(60, 30, "tiles/wide.bmp");
  Tile(30, 60, "tiles/tall.bmp");
  const std::string tiles = dir / "tiles";
  const std::string before = FolderListing(tiles);
  for (const char* tile : {"tiles/wide.bmp", "tiles/tall.bmp"})
    for (const char* mode : {"--small", "--sequential"}) {
      const RenderRun r = Run({"--tile", tile, "--board", "64x48", "-q", mode, "-o", "out.bmp"});
      ASSERT_EQ(r.status, 0) << r.err;
    }
  EXPECT_EQ(FolderListing(tiles), before);
  EXPECT_EQ(FolderListing(dir.Path()), "out.bmp\ntiles\n");
}

TEST_F(RenderTest, KeepWritesTheSquareTheGridAndTheSmallPicture) {
  Tile(60, 30);
  const RenderRun r = Run({"--tile", "tile.bmp", "--board", "101x77", "--seed", "4", "-q", "--keep", "kept", "-o",
                           "out.bmp"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FolderListing(dir / "kept"), "grid.bmp\nsmall.bmp\nsquare.bmp\n");
  const Picture square = Load("kept/square.bmp");
  EXPECT_EQ(square.Width(), 60);  // the longer side
  EXPECT_EQ(square.Height(), 60);
  const Picture grid = Load("kept/grid.bmp");
  EXPECT_EQ(grid.Width(), 101);
  EXPECT_EQ(grid.Height(), 77);
  const Picture small = Load("kept/small.bmp");
  EXPECT_EQ(small.Width(), ThumbnailSide(101));
  EXPECT_EQ(small.Height(), ThumbnailSide(77));
  // The squared tile stretches the height: row 2y of the square reads row y of the tile.
  const Picture tile = ColourfulTile(60, 30);
  EXPECT_EQ(square.Point(7, 10), tile.Point(7, 5));
  // With --small the output is the kept small picture.
  const RenderRun s = Run({"--tile", "tile.bmp", "--board", "101x77", "--seed", "4", "-q", "--keep", "kept2",
                           "--small", "-o", "small.bmp"});
  ASSERT_EQ(s.status, 0) << s.err;
  EXPECT_TRUE(Bytes("small.bmp") == Bytes("kept2/small.bmp"));
  // The full pass leaves the last of sixteen board pixels in each small pixel, the small
  // pass the one it visits: not the same picture.
  EXPECT_FALSE(Bytes("kept/small.bmp") == Bytes("kept2/small.bmp"));
}

TEST_F(RenderTest, AKeptSquareTileIsTheTileAsLoaded) {
  Tile(40, 40);
  ASSERT_EQ(Run({"--tile", "tile.bmp", "--board", "64x48", "-q", "--keep", "."}).status, 0);
  EXPECT_TRUE(Load("square.bmp") == ColourfulTile(40, 40));
}

TEST_F(RenderTest, TheSeedRepeatsARenderAndAGivenColourNeedsNone) {
  Tile(50, 40);
  const std::vector<std::string> base = {"--tile", "tile.bmp", "--board", "64x48", "-q"};
  auto run = [&](std::vector<std::string> extra, const std::string& out) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"-o", out});
    const RenderRun r = Run(args);
    EXPECT_EQ(r.status, 0) << r.err;
  };
  run({"--seed", "1"}, "a.bmp");
  run({"--seed", "1"}, "b.bmp");
  EXPECT_TRUE(Bytes("a.bmp") == Bytes("b.bmp"));
  run({"--tile-color", "120,30.25,200", "--seed", "1"}, "c.bmp");
  run({"--tile-color", "120,30.25,200", "--seed", "2"}, "d.bmp");
  EXPECT_TRUE(Bytes("c.bmp") == Bytes("d.bmp"));
  // The given colour is not the sampled one: the hue offset differs.
  EXPECT_FALSE(Bytes("a.bmp") == Bytes("c.bmp"));
  // Without a seed the summary names the one the clock gave, and it repeats the render.
  const RenderRun r = Run({"--tile", "tile.bmp", "--board", "64x48", "-o", "e.bmp", "-v"});
  ASSERT_EQ(r.status, 0);
  const size_t at = r.err.find("--seed ");
  ASSERT_NE(at, std::string::npos) << r.err;
  const std::string seed = r.err.substr(at + 7, r.err.find(')', at) - at - 7);
  run({"--seed", seed}, "f.bmp");
  EXPECT_TRUE(Bytes("e.bmp") == Bytes("f.bmp"));
}

TEST_F(RenderTest, ASavedGridGivesWhatTheBuiltGridGave) {
  Tile(60, 40);
  const std::vector<std::string> common = {"--tile", "tile.bmp", "--board", "101x77", "--tile-color", "90,150,30",
                                           "--rotate", "45", "--pieces", "9", "-q"};
  auto run = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = common;
    args.insert(args.end(), extra.begin(), extra.end());
    const RenderRun r = Run(args);
    EXPECT_EQ(r.status, 0) << r.err;
  };
  run({"--keep", "built", "-o", "built.bmp"});
  run({"--grid", "built/grid.bmp", "-o", "loaded.bmp"});
  run({"--grid", "built/grid.bmp", "-o", "loaded-seq.bmp", "--sequential"});
  EXPECT_TRUE(Bytes("built.bmp") == Bytes("loaded.bmp"));
  EXPECT_TRUE(Bytes("built.bmp") == Bytes("loaded-seq.bmp"));
  // Without a given colour it is sampled from the grid, as start-up samples TileGrid.bmp.
  const RenderRun r = Run({"--tile", "tile.bmp", "--board", "101x77", "--grid", "built/grid.bmp", "--seed", "8",
                           "-o", "sampled.bmp", "-v"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("(sampled from the grid, --seed 8)"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("square "), std::string::npos) << r.err;  // no squaring, no grid stage
}

TEST_F(RenderTest, ASettingsFileGivesTheValuesItsFlagsWouldGive) {
  Tile(40, 40);
  WriteFileBytes(dir / "Tesklet.INI",
                 "[FileNames]\nSaveFile=/nowhere/Final.bmp\nTileFile=/nowhere/Basic.bmp\n"
                 "[Numbers]\nTurn45=2\nNumRadialPieces=20\nSmallestRadius=9\nFadeWidth=25.5\n"
                 "Lighten=40\nLightStart=-10\nCline=33\nSpecStart=7\nPicRight=99\nPicBottom=99\n"
                 "[Flags]\nNeedToRedrawGrid=0\n");
  // 101 x 77: half the diagonal is 63.5, so the default fade width 60 can be given too.
  const std::vector<std::string> base = {"--tile", "tile.bmp", "--board", "101x77", "--seed", "3", "-q"};
  auto run = [&](std::vector<std::string> extra, const std::string& out) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"-o", out});
    const RenderRun r = Run(args);
    EXPECT_EQ(r.status, 0) << r.err;
  };
  run({"--settings", "Tesklet.INI"}, "file.bmp");
  // FadeWidth 25.5 reads as 26 (halves to even), as the desktop reads it.
  run({"--rotate", "45", "--pieces", "20", "--smallest-radius", "9", "--fade-width", "26", "--brightness-shift",
       "40", "--center-brightness", "-10", "--spectrum-shift", "33", "--center-tone", "7"},
      "flags.bmp");
  EXPECT_TRUE(Bytes("file.bmp") == Bytes("flags.bmp"));
  // Flags override the file; without both the defaults are the settings file's defaults.
  run({"--settings", "Tesklet.INI", "--rotate", "-45", "--pieces", "12", "--smallest-radius", "15",
       "--fade-width", "60", "--brightness-shift", "-29", "--center-brightness", "95", "--spectrum-shift", "-54",
       "--center-tone", "104"},
      "overridden.bmp");
  run({}, "defaults.bmp");
  EXPECT_TRUE(Bytes("overridden.bmp") == Bytes("defaults.bmp"));
  EXPECT_FALSE(Bytes("file.bmp") == Bytes("defaults.bmp"));
  // The settings file is only read.
  EXPECT_EQ(FolderListing(dir.Path()),
            "Tesklet.INI\ndefaults.bmp\nfile.bmp\nflags.bmp\noverridden.bmp\ntile.bmp\n");
}

TEST_F(RenderTest, AFractionalValueIsRoundedAsTheConsoleRoundsIt) {
  Tile(40, 40);
  for (const auto& [typed, whole] : std::vector<std::pair<std::string, std::string>>{
           {"7.5", "8"}, {"8.5", "8"}, {"6.5", "6"}, {"98.5", "98"}, {"1e1", "10"}}) {
    ASSERT_EQ(Run({"--tile", "tile.bmp", "--board", "64x48", "--seed", "1", "-q", "--pieces", typed, "-o", "a.bmp"})
                  .status,
              0);
    ASSERT_EQ(Run({"--tile", "tile.bmp", "--board", "64x48", "--seed", "1", "-q", "--pieces", whole, "-o", "b.bmp"})
                  .status,
              0);
    EXPECT_TRUE(Bytes("a.bmp") == Bytes("b.bmp")) << typed;
  }
}

}  // namespace
}  // namespace marvane::testing
