// marvane-render run in process as its main() runs it (and as itself), in a temporary current folder.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "cli/render_failure.h"
#include "cli/poster.h"
#include "cli/render_fixture.h"

namespace marvane::testing {
namespace {

// What the user gave is checked against its range (which the board may set), then rounded half to even.
TEST_F(RenderTest, FlagsOverrideTheSettingsFileWhichOverridesTheDefaults) {
  WriteFileBytes("s.ini", "[Numbers]\nTurn45=-1\nNumRadialPieces=20\nSmallestRadius=9\nFadeWidth=25.5\nLighten=40\n"
                          "LightStart=-10\nCline=33\nSpecStart=-1\n");
  WriteFileBytes("cline.ini", "[Numbers]\nCline=200\n");
  const std::pair<const char*, const char*> cases[] = {
      {"", "12 15 60 0 -54 104 -29 95 1111 full Final.bmp 793x573"},
      // 489.1773 lies within half the diagonal, 489.1774; 7.5 and 8.5 round to 8.
      {"-o o.png --pieces 750e-2 --smallest-radius +8.5 --fade-width 489.1773 --rotate 45 --spectrum-shift -150 "
       "--center-tone +0 --brightness-shift=100 --center-brightness -100 --quadrants lr,ul --small "
       "--seed 18446744073709551615 --tile-color 1.5,2,255",
       "8 8 489 2 -150 0 100 -100 0101 small o.png 793x573 seed 18446744073709551615 colour 1.5,2,255"},
      {"--rotate 0 --quadrants none --seed 9007199254740993 --pieces 99 --board 1x16384",
       "99 15 60 1 -54 104 -29 95 0000 full Final.bmp 1x16384 seed 9007199254740993"},
      {"--rotate -45 --quadrants '' --seed -0 --board 640X480", "12 15 60 0 -54 104 -29 95 0000 full Final.bmp 640x480 seed 0"},
      // Named by its key; Turn45 -1 is no item selected, as the desktop may save it.
      {"--settings s.ini", "--settings s.ini: SpecStart -1: Value must be between 0 and 426!"},
      {"--settings s.ini --center-tone 7 --pieces 13", "13 9 26 -1 33 7 40 -10 1111 full Final.bmp 793x573"},
      {"--settings cline.ini --spectrum-shift 20", "12 15 60 0 20 104 -29 95 1111 full Final.bmp 793x573"},
      {"--pieces 99.4", "--pieces: Value must be between 6 and 99!"},
      {"--fade-width 489.18", "--fade-width: Value must be between 3 and 489.1774!"},
      {"--board 64x48 --smallest-radius 40.1", "--smallest-radius: Value must be between 3 and 40!"}};
  for (const auto& [args, expected] : cases) {
    std::ostringstream err, d;
    const ParsedCommandLine p = Parse("--tile t.bmp " + std::string(args), err);
    try {
      const RenderJob job = CheckedRenderJob(*p.options);
      const ConsoleModel& c = job.console;
      d << c.NumPieces << " " << c.SmallestRadius << " " << c.FadeWidth << " " << c.Turn45ListIndex << " " << c.Cline
        << " " << c.SpecStart << " " << c.Lighten << " " << c.LightStart << " " << c.FillInQuadrant[0]
        << c.FillInQuadrant[1] << c.FillInQuadrant[2] << c.FillInQuadrant[3] << (c.OutputOption[0] ? " small " : " full ")
        << c.SaveFile << " " << job.board.BoardWidth << "x" << job.board.BoardHeight;
      if (p.options->seed) d << " seed " << job.seed;
      if (const auto& t = job.tileColour) d << " colour " << t->Red << "," << t->Green << "," << t->Blue;
    } catch (const RenderFailure& f) {
      d << f.what();
    }
    EXPECT_EQ(d.str(), expected) << args;
  }
}

// The first line of stderr names what was wrong; nothing is written, an old output keeps its bytes.
TEST_F(RenderTest, ARefusalNamesWhatIsWrongAndWritesNothing) {
  Tile(40, 40);
  Tile(9, 50, "thin.bmp");
  SavePictureFile(Picture(4096, 1024), "widest.png");
  SavePictureFile(Picture(4097, 1024), "wider.png");
  std::filesystem::create_directory("afolder");
  WriteFileBytes("turn.ini", "[Numbers]\nTurn45=3\n");
  WriteFileBytes("out.bmp", "not a picture");
  const std::string before = FolderListing(".");
  const struct {
    std::string args;
    const char* line;  // the status, then how the first line of stderr starts
    rlim_t mostBytes = RLIM_INFINITY;  // a file may take
  } cases[] = {
      {"--bogus", "2 The following argument was not expected: --bogus"},
      {"--quadrants ur,up", "2 --quadrants: \"up\" is not a quadrant (use ur, ul, ll and lr, separated by commas"},
      {"--keep ''", "2 --keep: the name is empty"},
      {"-o x --format jpg", "2 --format: \"jpg\" is not one of bmp, png and tiff"},
      {"-o x --format gif", "2 --format gif: only for a loop"},
      {"-o x.tif --format bmp", "2 --format bmp: the name \"x.tif\" asks for another format"},
      {"-o x.bmp --format png", "2 --format png: the name \"x.bmp\" asks for another format"},
      {"-o x.png --format tiff", "2 --format tiff: the name \"x.png\" asks for another format"},
      {"--pieces 5", "1 --pieces: Value must be between 6 and 99!"},
      {"--board 40x30 --print-size 2x1in", "2 --print-size: give the board in pixels or as a print size, not both"},
      {"--print-size 70x50", "2 --print-size: \"70x50\" is not WIDTHxHEIGHT with a unit cm, mm or in (as 70x50cm)"},
      {"--print-size 70cm", "2 --print-size: \"70cm\" is not WIDTHxHEIGHT with a unit cm, mm or in"},
      {"--print-size 70x50ft", "2 --print-size: \"70x50ft\" is not WIDTHxHEIGHT with a unit cm, mm or in"},
      {"--print-size -1x5in", "2 --print-size: \"-1x5in\" is not WIDTHxHEIGHT with a unit cm, mm or in"},
      {"--print-size 2x1in --dpi 100001", "1 --dpi: Value must be between 1 and 100000!"},
      // 5 / 2.54 x 96 = 188.98; 200 / 2.54 x 300 = 23622.05, 100 / 2.54 x 300 = 11811.02.
      {"--print-size 0x5cm", "1 --print-size 0x5cm: 0 x 189 pixels at 96 dpi: Value must be between 1 and 65536!"},
      {"--print-size 600x100cm --dpi 300",
       "1 --print-size 600x100cm: 70866 x 11811 pixels at 300 dpi: Value must be between 1 and 65536!"},
      {"--tile none.bmp", "1 --tile: Cannot read the picture file \"none.bmp\": the file does not exist."},
      {"--tile thin.bmp --grid tile.bmp", "1 --tile thin.bmp: 9 x 50 pixels: Each dimension of the tile image must be"},
      // The most pixels of a tile file are loaded for the size message; one column more is not.
      {"--tile widest.png", "1 --tile widest.png: 4096 x 1024 pixels: Each dimension of the tile image must be"},
      {"--tile wider.png", "1 --tile: Cannot read the picture file \"wider.png\": the picture is 4097 x 1024 pixels"},
      {"--grid none.bmp", "1 --grid: Cannot read the picture file \"none.bmp\": the file does not exist."},
      {"-o no/such/folder.bmp", "1 --output no/such/folder.bmp: the folder \"no/such\" does not exist"},
      {"-o afolder", "1 --output afolder: it is a folder."},
      {"--keep out.bmp", "1 --keep out.bmp: not a folder"},
      {"--keep no/keep", "1 --keep no/keep: the folder \"no\" does not exist"},
      {"--settings none.ini", "1 --settings none.ini: the file does not exist"},
      {"--settings afolder", "1 --settings afolder: not a file"},
      {"--settings turn.ini", "1 --settings turn.ini: Turn45 3: Value must be between -1 and 2!"},
      // Grid cells of no pixels: the first trap ends the render (the desktop shows it at every tick).
      {"--board 1x200 --smallest-radius 3 --fade-width 3 -q", "1 AreaColorMod: Division by zero"},
      {"--board 1x200 --smallest-radius 3 --fade-width 3 --sequential", "1 AreaColorMod: Division by zero"},
      // 80 x 60: the small picture takes 954 bytes, the square 4854, the grid 14454.
      {"--board 80x60 --small --keep kept", "1 Cannot save the picture file \"out.bmp\"", 900},
      {"--board 80x60 --small --keep kept", "1 Cannot save the picture file \"kept/grid.bmp\"", 12000},
      // The full-size picture, drawn as a poster, takes 14454 bytes.
      {"--board 80x60", "1 Cannot save the picture file \"out.bmp\"", 12000}};
  for (const auto& [a, line, mostBytes] : cases) {
    const ScopedFileSizeLimit full(mostBytes);
    const auto [status, err] =
        Render((a.find("--tile") ? "--tile tile.bmp " : "") + a + (a.find("-o ") ? " -o out.bmp" : ""));
    EXPECT_EQ((std::to_string(status) + " " + err).rfind(std::string(line).insert(2, "marvane-render: "), 0), 0u) << err;
    EXPECT_EQ(err.find("run with --help") != std::string::npos, status == 2) << err;
    EXPECT_EQ(ReadFileBytes("out.bmp") + FolderListing("."), "not a picture" + before) << a;
  }
}

// Bad usage when not written as the flag's numbers are, bad input beyond the range however far.
TEST_F(RenderTest, AbsurdValuesInEveryFlagAndTheSettingsFileAreRefusedClearlyOrRendered) {
  Tile(40, 30);
  const std::string values[] = {"''", "+", "12x5", "1ex", "1e", "-0", "NaN", "inf", "1e308", "-1e308", "1e999",
                                std::string(50, '9'), std::string(1000, '9')};
  const std::pair<std::string, std::string> flags[] = {
      {"--pieces", "2222212211111"},         {"--smallest-radius", "2222212211111"}, {"--fade-width", "2222212211111"},
      {"--spectrum-shift", "2222202222211"}, {"--center-tone", "2222202222211"},     {"--seed", "2222202222211"},
      {"--brightness-shift", "2222202222211"}, {"--center-brightness", "2222202222211"},
      {"--threads", "2222212222211"},        {"--rotate", "2222222222222"},          {"--board", "2222222222211"},
      {"--tile-color", "2222202211111"},     {"--dpi", "2222212211111"},             {"--print-size", "2222222222211"},
      {"--settings", "0000000011111"}};  // in the file, as "Cline="
  for (const auto& [flag, statuses] : flags)
    for (size_t v = 0; v < std::size(values); ++v) {
      WriteFileBytes("s.ini", "[Numbers]\nCline=" + (v ? values[v] : ""));
      const bool board = flag == "--board" || flag == "--print-size";
      const std::string value =
          flag == "--settings"
              ? "s.ini"
              : values[v] + (flag == "--board" ? "x60" : flag == "--print-size" ? "x5cm" : flag == "--tile-color" ? ",0,0" : "");
      const auto [status, err] = Render((board ? "--tile tile.bmp " : "--tile tile.bmp --board 80x60 ") + flag + " " + value);
      EXPECT_EQ(status, statuses[v] - '0') << flag << " \"" << values[v] << "\"\n" << err;
      EXPECT_EQ(std::filesystem::remove("Final.bmp"), status == 0) << flag << " \"" << values[v] << "\"";
      EXPECT_EQ(err.rfind("marvane-render: " + flag, 0) == 0, status != 0) << err;
    }
}

// With -v the summary names the seed the clock gave; the output's ending chooses its format.
TEST_F(RenderTest, TheProgramPrintsNothingUnlessAskedAndItsSeedRepeatsTheRender) {
  Tile(40, 40);
  const auto program = [](const std::string& args) {
    TempFolder streams;
    const int status = std::system(
        ("'" MARVANE_RENDER_PROGRAM "' " + args + " >" + streams / "out" + " 2>" + streams / "err").c_str());
    return std::make_tuple(WEXITSTATUS(status), ReadFileBytes(streams / "out"), ReadFileBytes(streams / "err"));
  };
  EXPECT_EQ(program("--tile tile.bmp --board 64x48 -o plain.bmp"), std::make_tuple(0, "", ""));
  EXPECT_EQ(std::get<0>(program("--bogus")), 2);
  const auto [status, out, err] = program("--tile tile.bmp --board 64x48 --threads 2 -v");
  ASSERT_EQ(std::tie(status, out), std::make_tuple(0, "")) << err;
  for (const char* part : {"marvane-render: board 64x48, N 12, R0 15, grid cell T 20\n", "(sampled, --seed ",
                           "load ", "square ", "grid ", "final ", "(fast path, 2 threads)", "wrote Final.bmp (64x48)"})
    EXPECT_NE(err.find(part), std::string::npos) << part << " is missing from:\n" << err;
  const std::string seed = err.substr(err.find("--seed ") + 7, err.find(')', err.find("--seed ")) - err.find("--seed ") - 7);
  for (const char* name : {"a.bmp", "a.png", "a.tif"})
    ASSERT_EQ(Render("--tile tile.bmp --board 64x48 -o " + std::string(name) + " --seed " + seed).first, 0);
  EXPECT_TRUE(ReadFileBytes("a.bmp") == ReadFileBytes("Final.bmp"));
  EXPECT_EQ(ReadFileBytes("a.png").substr(1, 3) + ReadFileBytes("a.tif").substr(0, 4), std::string("PNGII*\0", 7));
  for (const char* other : {"a.png", "a.tif"}) EXPECT_TRUE(test::SamePicture(LoadPictureFile(other, 0), LoadPictureFile("a.bmp", 0)));
}

// The pixels a metre a picture file records across and down, read from its own bytes: a BMP's header at 38, a
// PNG's pHYs chunk (1: in metres); a TIFF's tags through Qt's reader.
std::string ResolutionOf(const std::string& name) {
  const std::string b = ReadFileBytes(name);
  const auto number = [&b](size_t at, bool bigEndian) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t{static_cast<unsigned char>(b.at(at + (bigEndian ? 3 - i : i)))} << 8 * i;
    return std::to_string(v);
  };
  if (b.starts_with("BM")) return number(38, false) + " " + number(42, false);
  if (const size_t at = b.find("pHYs"); at != std::string::npos && b.at(at + 12) == 1)
    return number(at + 4, true) + " " + number(at + 8, true);
  const QImage image(QString::fromStdString(name));
  return std::to_string(image.dotsPerMeterX()) + " " + std::to_string(image.dotsPerMeterY());
}

// N dpi is N / 0.0254 pixels a metre, to the nearest; a print size's side is its inches times the dpi, to the nearest.
TEST_F(RenderTest, PicturesRecordTheirDpiAndAPrintSizeMakesTheBoard) {
  Tile(40, 30);
  const struct {
    std::string args, expected;
    std::string read = "";  // the file read, when not -o's
  } cases[] = {
      {"--board 40x30 -o a.bmp", "40x30 3780 3780"},  // 96 / 0.0254 = 3779.5, as ever
      {"--board 40x30 --dpi 300 -o a.bmp", "40x30 11811 11811"},  // 11811.02
      {"--board 40x30 --dpi 300 -o a.png", "40x30 11811 11811"},
      {"--board 40x30 --dpi 300 -o a.tif", "40x30 11811 11811"},
      {"--board 40x30 --dpi 72.5 -o a.png", "40x30 2854 2854"},  // 2854.33
      {"--board 40x30 --dpi 1 -o a.bmp", "40x30 39 39"},  // 39.37
      {"--board 40x30 --dpi 100000 -o a.png", "40x30 3937008 3937008"},  // 3937007.87
      {"--board 40x30 --dpi 300 --keep k -o a.bmp", "10x8 11811 11811", "k/small.bmp"},
      {"--board 40x30 --dpi 300 --animate zoom --frames 2 -o f/", "40x30 11811 11811", "f/frame-0001.png"},
      {"--print-size 2x1in --dpi 50 -o a.png", "100x50 1969 1969"},  // 1968.5039
      {"--print-size 3x2CM --dpi 72 -o a.bmp", "85x57 2835 2835"},  // 85.04 x 56.69; 2834.65
      {"--print-size 20x15mm --dpi 100 -o a.tif", "79x59 3937 3937"},  // 78.74 x 59.06; 3937.01
      {"--print-size 2.54x1.27cm -o a.bmp", "96x48 3780 3780"}};
  for (const auto& [args, expected, read] : cases) {
    const std::string name = read.empty() ? args.substr(args.rfind(' ') + 1) : read;
    const auto [status, err] = Render("--tile tile.bmp " + args);
    ASSERT_EQ(status, 0) << args << "\n" << err;
    const Picture written = LoadPictureFile(name, 0);
    EXPECT_EQ(std::to_string(written.Width()) + "x" + std::to_string(written.Height()) + " " + ResolutionOf(name), expected)
        << args;
  }
}

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t h = 0xcbf29ce484222325u;
  for (const char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  return h;
}

// --sequential runs the desktop's slice-by-slice pipeline. Both give the bytes the program gave before its
// per-pixel arithmetic was rewritten for speed (their FNV-1a digests, from a build of that time).
TEST_F(RenderTest, TheFastPathAndSequentialGiveTheSameBytesAsEver) {
  const std::tuple<int, int, std::string, uint64_t> cases[] = {
      {40, 40, "--board 64x48 --threads 1", 0x4d042a5a454bb865},
      {60, 30, "--board 64x48 --rotate -45 --small --quadrants ur,lr --spectrum-shift 150 --center-tone 0 --threads 5",
       0xf82ad3aa1d4d6dd},
      {300, 200, "--board 320x240 --fade-width 3 --smallest-radius 3 --pieces 99 --threads 3", 0x85671b1ed8a19c2}};
  for (const auto& [w, h, args, digest] : cases) {
    Tile(w, h);
    ASSERT_EQ(Render("--tile tile.bmp --seed 7 -o fast.bmp " + args).first, 0);
    const std::string said = Render("--tile tile.bmp --seed 7 -o sequential.bmp --sequential -v " + args).second;
    ASSERT_NE(said.find("(sequential)"), std::string::npos) << said;  // so that two modes are compared
    EXPECT_EQ(Fnv1a(ReadFileBytes("fast.bmp")), digest) << args;
    EXPECT_TRUE(ReadFileBytes("fast.bmp") == ReadFileBytes("sequential.bmp")) << args;
  }
}

// Nothing goes beside the tile (where the desktop saves "-Square.bmp"); a loaded grid keeps the tile as loaded.
TEST_F(RenderTest, KeepWritesTheIntermediatePicturesAndASavedGridGivesTheSameRender) {
  std::filesystem::create_directory("tiles");
  Tile(60, 30, "tiles/wide.bmp");
  const std::string common = "--tile tiles/wide.bmp --board 101x77 --tile-color 90,150,30 --rotate 45 --pieces 9 ";
  ASSERT_EQ(Render(common + "--keep kept -o built.bmp").first, 0);
  ASSERT_EQ(Render(common + "--grid kept/grid.bmp --keep loaded -o loaded.bmp --sequential").first, 0);
  ASSERT_EQ(Render(common + "--grid kept/grid.bmp --keep small --small -o small.bmp").first, 0);
  EXPECT_EQ(FolderListing("tiles") + FolderListing("kept"), "wide.bmp\ngrid.bmp\nsmall.bmp\nsquare.bmp\n");
  const Picture square = LoadPictureFile("kept/square.bmp", 0), grid = LoadPictureFile("kept/grid.bmp", 0);
  EXPECT_EQ(std::make_tuple(square.Width(), square.Height(), grid.Width(), grid.Height()), std::make_tuple(60, 60, 101, 77));
  EXPECT_EQ(square.Point(7, 10), ColourfulTile(60, 30).Point(7, 5));  // the square's row 2y is the tile's row y
  EXPECT_TRUE(ReadFileBytes("built.bmp") == ReadFileBytes("loaded.bmp"));
  EXPECT_TRUE(test::SamePicture(LoadPictureFile("loaded/square.bmp", 0), ColourfulTile(60, 30)));
  // The full pass leaves the last of sixteen board pixels in each small pixel, the small pass the one it visits.
  EXPECT_TRUE(ReadFileBytes("small.bmp") == ReadFileBytes("small/small.bmp"));
  EXPECT_FALSE(ReadFileBytes("kept/small.bmp") == ReadFileBytes("small.bmp"));
  // A board smaller than the tile squares and samples the whole tile, as a large board does.
  Tile(300, 120, "tiles/large.bmp");
  for (const char* board : {"793x573", "121x91", "256x64"})
    ASSERT_EQ(Render("--tile tiles/large.bmp --seed 4 -v -q --board " + std::string(board) + " --keep " + board +
                     " -o " + board + ".png").first, 0);
  for (const char* board : {"121x91", "256x64"})
    EXPECT_TRUE(ReadFileBytes(board + std::string("/square.bmp")) == ReadFileBytes("793x573/square.bmp")) << board;
}

// Posters: a still drawn a band at a time, split into bands and joined again.

namespace fs = std::filesystem;

// Bands made apart (by --rows, by --shard, in any order) and joined give the pixels of
// the picture drawn whole, whichever format the join writes; the bands are complete
// files named by their rows and their board.
TEST_F(RenderTest, BandsJoinedGiveThePictureDrawnWhole) {
  Tile(60, 40);
  const std::string common = "--tile tile.bmp --seed 3 --board 90x67 --rotate 45 --dpi 150 ";
  ASSERT_EQ(Render(common + "-o whole.bmp").first, 0);
  const Picture whole = LoadPictureFile("whole.bmp", 0);
  ASSERT_EQ(Render(common + "--shard 2/3 -o bands/").first, 0);  // rows 44 to 66
  ASSERT_EQ(Render(common + "--rows 0:1 -o bands/").first, 0);
  ASSERT_EQ(Render(common + "--rows 1:44 -o bands/").first, 0);
  EXPECT_EQ(FolderListing("bands"), "rows-000000-000001-of-90x67.png\nrows-000001-000044-of-90x67.png\n"
                                    "rows-000044-000067-of-90x67.png\n");
  const Picture band = LoadPictureFile("bands/rows-000001-000044-of-90x67.png", 0);
  ASSERT_EQ(std::tuple(band.Width(), band.Height()), std::tuple(90, 43));
  EXPECT_EQ(band.Point(17, 0), whole.Point(17, 1));
  for (const char* joined : {"joined.png", "joined.tif"}) {
    const auto [status, err] = Render("--join bands -o " + std::string(joined));
    ASSERT_EQ(status, 0) << err;
    EXPECT_TRUE(test::SamePicture(LoadPictureFile(joined, 0), whole)) << joined;
    EXPECT_EQ(ResolutionOf(joined), "5906 5906") << joined;  // the bands' 150 dpi
  }
}

// A join that cannot make the whole picture says why and writes nothing.
TEST_F(RenderTest, BandsThatDoNotMakeABoardAreRefused) {
  Tile(40, 40);
  const std::string common = "--tile tile.bmp --seed 3 --board 50x40 -q ";
  ASSERT_EQ(Render(common + "--rows 0:20 -o b/").first, 0);
  ASSERT_EQ(Render(common + "--rows 20:40 -o b/").first, 0);
  ASSERT_EQ(Render(common + "--animate zoom --frames 2 -o frames/").first, 0);
  ASSERT_EQ(Render(common + "--rows 0:10 -o short/").first, 0);
  const auto copy = [](const std::string& folder, const std::vector<std::string>& names) {
    fs::create_directory(folder);
    for (const std::string& name : names) fs::copy_file("b/" + name, folder + "/" + name);
  };
  const std::string top = "rows-000000-000020-of-50x40.png", bottom = "rows-000020-000040-of-50x40.png";
  copy("gap", {top});
  copy("overlap", {top, bottom});
  fs::copy_file("b/" + bottom, "overlap/rows-000010-000030-of-50x40.png");
  copy("other", {top});
  fs::copy_file("b/" + bottom, "other/rows-000020-000040-of-51x40.png");
  copy("lies", {top});
  fs::copy_file("short/rows-000000-000010-of-50x40.png", "lies/" + bottom);
  copy("cut", {top});
  WriteFileBytes("cut/" + bottom, ReadFileBytes("b/" + bottom).substr(0, 300));
  const std::pair<std::string, std::string> cases[] = {
      {"--join gap -o p.png", "1 --join gap: rows 20 to 39 are missing"},
      {"--join overlap -o p.png", "1 --join overlap: rows-000000-000020-of-50x40.png and rows-000010-000030-of-50x40.png overlap"},
      {"--join other -o p.png", "1 --join other: rows-000020-000040-of-51x40.png is a band of another board"},
      {"--join lies -o p.png", "1 --join lies: rows-000020-000040-of-50x40.png holds 50 x 10 pixels, where its name says 50 x 20"},
      {"--join cut -o p.tif", "1 Cannot read the band \"cut/rows-000020-000040-of-50x40.png\": it is damaged or cut short"},
      {"--join frames -o p.png", "1 --join frames: no bands of a poster (rows-FIRST-END-of-WxH.png) in it; it holds a loop's frames"},
      {"--join b -o p.bmp", "2 --join: bands are joined into a PNG, a TIFF or a Deep Zoom view"},
      {"--join b -o p.webp", "1 --join b: no frames in it"},
      {common + "--rows 0:41 -o b/", "1 --rows: the board's rows run from 0 to 39, so FIRST:END must have 0 <= FIRST < END <= 40"},
      {common + "--rows 5:5 -o b/", "1 --rows: the board's rows run from 0 to 39"},
      {common + "--shard 0/41 -o b/", "1 --shard N: 41: between 1 and the board's 40 rows"},
      {common + "--rows 0:4 -o b.png", "2 --rows: a band goes into a folder as a PNG: end -o's name with /"},
      {common + "--rows 0:4 --small -o b/", "2 --rows: a band is of the full-size picture; leave out --small"},
      {common + "--rows 0:4 --shard 0/2 -o b/", "2 --shard: a shard is a band of rows already; leave out --rows"},
      {common + "--small -o v.dzi", "2 --small: a Deep Zoom view (-o NAME.dzi) is of the full-size picture"},
      {"--tile tile.bmp --board 16385x4 --small", "1 --small: only for boards up to 16384 x 16384"},
      {"--tile tile.bmp --board 4x16385 --keep k", "1 --keep: only for boards up to 16384 x 16384"},
      {"--tile tile.bmp --board 16385x4 --grid g.bmp", "1 --grid: only for boards up to 16384 x 16384"},
      {"--tile tile.bmp --board 16385x4 --sequential", "1 --sequential: only for boards up to 16384 x 16384"},
      {"--tile tile.bmp --board 65537x4", "1 --board: Value must be between 1 and 65536!"},
      {"--tile tile.bmp --board 65536x65536 -o big.bmp", "1 --output big.bmp: a BMP holds at most 4 GB"}};
  const std::string before = FolderListing(".");
  for (const auto& [args, line] : cases) {
    const auto [status, err] = Render(args);
    EXPECT_EQ((std::to_string(status) + " " + err).rfind(std::string(line).insert(2, "marvane-render: "), 0), 0u) << err;
    EXPECT_EQ(FolderListing("."), before) << args;
  }
}

TEST(ProgressLineTest, TimeLeftIsSaidInItsTwoLargestUnits) {
  const std::pair<double, const char*> cases[] = {{0.4, "0 s"}, {59.5, "1 min 0 s"}, {160, "2 min 40 s"},
                                                   {3899, "1 h 4 min"}, {-3, "0 s"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(ProgressLine::DurationText(seconds), text) << seconds;
}

}  // namespace
}  // namespace marvane::testing
