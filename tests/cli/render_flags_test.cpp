// marvane-render's flags, messages and exit statuses, and that an error writes nothing:
// an output file already there keeps its bytes and no other file appears.
#include <sys/resource.h>

#include <ostream>
#include <string>
#include <vector>

#include "cli/render_fixture.h"

namespace marvane::testing {
namespace {

struct BadCase {
  std::string name;
  std::vector<std::string> args;  // after --tile tile.bmp -o out.bmp
  int status;
  std::string message;  // the whole first line of stderr
};

std::ostream& operator<<(std::ostream& out, const BadCase& c) { return out << c.name; }

class RefusedArguments : public RenderTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(RefusedArguments, NameWhatIsWrongAndWriteNothing) {
  const BadCase& c = GetParam();
  Tile(40, 40);
  WriteFileBytes(dir / "out.bmp", kKnownBytes);
  const std::string before = FolderListing(dir.Path());
  std::vector<std::string> args = {"--tile", "tile.bmp", "-o", "out.bmp"};
  args.insert(args.end(), c.args.begin(), c.args.end());

  const RenderRun r = Run(args);
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message);
  if (c.status == 2) {
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
  }
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Bytes("out.bmp"), kKnownBytes);
  EXPECT_EQ(FolderListing(dir.Path()), before);
}

const std::string kP = "marvane-render: ";

std::vector<BadCase> UsageCases() {
  return {
      {"UnknownFlag", {"--bogus"}, 2, kP + "The following argument was not expected: --bogus"},
      {"StrayArgument", {"extra"}, 2, kP + "The following argument was not expected: extra"},
      {"FlagTwice", {"--pieces", "6", "--pieces", "7"}, 2, kP + "--pieces: At Most 1 required but received 2"},
      {"MissingValue", {"--pieces"}, 2, kP + "--pieces: 1 required N missing"},
      {"Letters", {"--pieces", "abc"}, 2, kP + "--pieces: \"abc\" is not a number"},
      {"Empty", {"--smallest-radius", ""}, 2, kP + "--smallest-radius: \"\" is not a number"},
      {"TrailingLetters", {"--fade-width", "12abc"}, 2, kP + "--fade-width: \"12abc\" is not a number"},
      {"LeadingBlank", {"--fade-width", " 12"}, 2, kP + "--fade-width: \" 12\" is not a number"},
      {"NotANumber", {"--pieces", "NaN"}, 2, kP + "--pieces: \"NaN\" is not a number"},
      {"Infinity", {"--pieces", "inf"}, 2, kP + "--pieces: \"inf\" is not a number"},
      {"HalfAnExponent", {"--pieces", "1e"}, 2, kP + "--pieces: \"1e\" is not a number"},
      {"Hexadecimal", {"--pieces", "0x10"}, 2, kP + "--pieces: \"0x10\" is not a number"},
      {"SliderFraction", {"--spectrum-shift", "12.5"}, 2,
       kP + "--spectrum-shift: \"12.5\" is not a whole number"},
      {"SliderExponent", {"--center-tone", "1e2"}, 2, kP + "--center-tone: \"1e2\" is not a whole number"},
      {"RotationNotAnItem", {"--rotate", "90"}, 2, kP + "--rotate: \"90\" is not one of -45, 0 and 45"},
      {"RotationSpelledOtherwise", {"--rotate", "+45"}, 2, kP + "--rotate: \"+45\" is not one of -45, 0 and 45"},
      {"UnknownQuadrant", {"--quadrants", "ur,up"}, 2,
       kP + "--quadrants: \"up\" is not a quadrant (use ur, ul, ll and lr, separated by commas, or none)"},
      {"BoardWithoutX", {"--board", "793"}, 2, kP + "--board: \"793\" is not WIDTHxHEIGHT in pixels (as 793x573)"},
      {"BoardNegative", {"--board", "-5x10"}, 2,
       kP + "--board: \"-5x10\" is not WIDTHxHEIGHT in pixels (as 793x573)"},
      {"SeedFraction", {"--seed", "1.5"}, 2, kP + "--seed: \"1.5\" is not a whole number"},
      {"TileColourTwoParts", {"--tile-color", "1,2"}, 2, kP + "--tile-color: \"1,2\" is not three numbers R,G,B"},
      {"TileColourLetters", {"--tile-color", "1,x,3"}, 2,
       kP + "--tile-color: \"1,x,3\" is not three numbers R,G,B"},
      {"ThreadsWord", {"--threads", "all"}, 2, kP + "--threads: \"all\" is not a whole number"},
      {"EmptyKeep", {"--keep", ""}, 2, kP + "--keep: the name is empty"},
  };
}

std::vector<BadCase> RangeCases() {
  return {
      {"TooFewPieces", {"--pieces", "5"}, 1, kP + "--pieces: Value must be between 6 and 99!"},
      {"HalfAPieceTooFew", {"--pieces", "5.5"}, 1, kP + "--pieces: Value must be between 6 and 99!"},
      {"JustTooManyPieces", {"--pieces", "99.6"}, 1, kP + "--pieces: Value must be between 6 and 99!"},
      {"ABitTooManyPieces", {"--pieces", "99.4"}, 1, kP + "--pieces: Value must be between 6 and 99!"},
      {"FiftyDigits", {"--pieces", std::string(50, '9')}, 1, kP + "--pieces: Value must be between 6 and 99!"},
      {"BeyondDoubles", {"--smallest-radius", "1e999"}, 1,
       kP + "--smallest-radius: Value must be between 3 and 489.1774!"},
      {"BelowDoubles", {"--smallest-radius", "-1e999"}, 1,
       kP + "--smallest-radius: Value must be between 3 and 489.1774!"},
      {"TinyIsZero", {"--fade-width", "1e-999"}, 1, kP + "--fade-width: Value must be between 3 and 489.1774!"},
      {"RadiusBeyondHalfDiagonal", {"--smallest-radius", "490"}, 1,
       kP + "--smallest-radius: Value must be between 3 and 489.1774!"},
      {"HalfDiagonalFollowsTheBoard", {"--board", "64x48", "--fade-width", "41"}, 1,
       kP + "--fade-width: Value must be between 3 and 40!"},
      {"RadiusOnASmallBoard", {"--board", "20x20", "--smallest-radius", "15"}, 1,
       kP + "--smallest-radius: Value must be between 3 and 14.14214!"},
      {"SpectrumShift", {"--spectrum-shift", "-151"}, 1, kP + "--spectrum-shift: Value must be between -150 and 150!"},
      {"CenterTone", {"--center-tone", "427"}, 1, kP + "--center-tone: Value must be between 0 and 426!"},
      {"BrightnessShift", {"--brightness-shift", "101"}, 1,
       kP + "--brightness-shift: Value must be between -100 and 100!"},
      {"CenterBrightness", {"--center-brightness", "-101"}, 1,
       kP + "--center-brightness: Value must be between -100 and 100!"},
      {"SliderFiftyDigits", {"--center-tone", "-" + std::string(50, '9')}, 1,
       kP + "--center-tone: Value must be between 0 and 426!"},
      {"BoardZero", {"--board", "0x10"}, 1, kP + "--board: Value must be between 1 and 16384!"},
      {"BoardHuge", {"--board", "16385x10"}, 1, kP + "--board: Value must be between 1 and 16384!"},
      {"SeedTooLarge", {"--seed", "18446744073709551616"}, 1,
       kP + "--seed: Value must be between 0 and 18446744073709551615!"},
      {"SeedNegative", {"--seed", "-1"}, 1, kP + "--seed: Value must be between 0 and 18446744073709551615!"},
      {"NoThreads", {"--threads", "0"}, 1, kP + "--threads: Value must be between 1 and 1024!"},
      {"TileColourAbove", {"--tile-color", "0,255.5,0"}, 1, kP + "--tile-color: Value must be between 0 and 255!"},
  };
}

std::vector<BadCase> RepeatedCases() {
  return {
      {"TileTwice", {"--tile", "other.bmp"}, 2, kP + "--tile: At Most 1 required but received 2"},
      {"OutputTwice", {"-o", "x.bmp"}, 2, kP + "--output: At Most 1 required but received 2"},
  };
}

INSTANTIATE_TEST_SUITE_P(Usage, RefusedArguments, ::testing::ValuesIn(UsageCases()),
                         [](const ::testing::TestParamInfo<BadCase>& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Range, RefusedArguments, ::testing::ValuesIn(RangeCases()),
                         [](const ::testing::TestParamInfo<BadCase>& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Repeated, RefusedArguments, ::testing::ValuesIn(RepeatedCases()),
                         [](const ::testing::TestParamInfo<BadCase>& info) { return info.param.name; });

// --- bad input: files ------------------------------------------------------------------

class BadFiles : public RenderTest {
 protected:
  void SetUp() override {
    Tile(40, 40);
    WriteFileBytes(dir / "out.bmp", kKnownBytes);
    before_ = FolderListing(dir.Path());
  }
  // Runs, expects status 1 and `line` as the first line of stderr, and nothing written.
  void ExpectRefused(const std::vector<std::string>& args, const std::string& line) {
    const RenderRun r = Run(args);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), line);
    EXPECT_EQ(Bytes("out.bmp"), kKnownBytes);
    EXPECT_EQ(FolderListing(dir.Path()), before_);
  }
  std::string before_;
};

TEST_F(BadFiles, ATileThatIsMissingOrNotAPicture) {
  ExpectRefused({"--tile", "nowhere.bmp", "-o", "out.bmp"},
                kP + "--tile: Cannot read the picture file \"nowhere.bmp\": the file does not exist.");
  WriteFileBytes(dir / "text.bmp", "hello");
  before_ = FolderListing(dir.Path());
  const RenderRun r = Run({"--tile", "text.bmp", "-o", "out.bmp"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind(kP + "--tile: Cannot read the picture file \"text.bmp\"", 0), 0u) << r.err;
  EXPECT_EQ(Bytes("out.bmp"), kKnownBytes);
  EXPECT_EQ(FolderListing(dir.Path()), before_);
}

TEST_F(BadFiles, ATileOutsideTheSizeLimits) {
  Tile(9, 50, "thin.bmp");
  Tile(301, 50, "long.bmp");
  before_ = FolderListing(dir.Path());
  ExpectRefused({"--tile", "thin.bmp", "-o", "out.bmp"},
                kP + "--tile thin.bmp: 9 x 50 pixels: Each dimension of the tile image must be between 10 and "
                     "300 pixels.");
  ExpectRefused({"--tile", "long.bmp", "-o", "out.bmp", "--sequential"},
                kP + "--tile long.bmp: 301 x 50 pixels: Each dimension of the tile image must be between 10 "
                     "and 300 pixels.");
  // With a saved grid the tile is still checked.
  SavePictureFile(Picture(64, 48, 0x123456), dir / "grid.bmp");
  before_ = FolderListing(dir.Path());
  ExpectRefused({"--tile", "thin.bmp", "-o", "out.bmp", "--grid", "grid.bmp"},
                kP + "--tile thin.bmp: 9 x 50 pixels: Each dimension of the tile image must be between 10 and "
                     "300 pixels.");
}

TEST_F(BadFiles, OutputsThatCannotBeWritten) {
  ExpectRefused({"--tile", "tile.bmp", "-o", "no/such/folder.bmp"},
                kP + "--output no/such/folder.bmp: the folder \"no/such\" does not exist");
  std::filesystem::create_directory(dir / "afolder");
  before_ = FolderListing(dir.Path());
  ExpectRefused({"--tile", "tile.bmp", "-o", "afolder"}, kP + "--output afolder: is a folder");
  ExpectRefused({"--tile", "tile.bmp", "-o", "out.bmp", "--keep", "out.bmp"}, kP + "--keep out.bmp: not a folder");
  ExpectRefused({"--tile", "tile.bmp", "-o", "out.bmp", "--keep", "no/keep"},
                kP + "--keep no/keep: the folder \"no\" does not exist");
}

TEST_F(BadFiles, AFullDiskLeavesTheOldOutputAndNoTraces) {
  // The program inherits a limit on the size of the files it writes: its picture cannot
  // be written whole. Neither the old output nor the folder may change.
  {
    ScopedFileSizeLimit limit(2000);
    const RenderRun r = Run({"--tile", "tile.bmp", "-o", "out.bmp", "--board", "64x48", "--keep", "kept"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(kP + "Cannot save the picture file \"out.bmp\"", 0), 0u) << r.err;
  }
  EXPECT_EQ(Bytes("out.bmp"), kKnownBytes);
  EXPECT_EQ(FolderListing(dir.Path()), before_);
  {
    // The output fits, the kept grid does not: all or nothing.
    // 80 x 60: the small picture takes 954 bytes, the square 4854, the grid 14454.
    ScopedFileSizeLimit limit(12000);
    const RenderRun r =
        Run({"--tile", "tile.bmp", "-o", "out.bmp", "--board", "80x60", "--small", "--keep", "kept"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("kept/grid.bmp"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Bytes("out.bmp"), kKnownBytes);
  EXPECT_EQ(FolderListing(dir.Path()), before_);
}

TEST_F(BadFiles, SettingsFilesThatCannotBeUsed) {
  ExpectRefused({"--tile", "tile.bmp", "-o", "out.bmp", "--settings", "none.ini"},
                kP + "--settings none.ini: the file does not exist");
  WriteFileBytes(dir / "bad.ini", "[Numbers]\nCline=200\n");
  WriteFileBytes(dir / "pieces.ini", "[Numbers]\nNumRadialPieces=120.4\n");
  WriteFileBytes(dir / "turn.ini", "[Numbers]\nTurn45=3\n");
  WriteFileBytes(dir / "huge.ini", "[Numbers]\nFadeWidth=99999999999\n");
  before_ = FolderListing(dir.Path());
  ExpectRefused({"--tile", "tile.bmp", "-o", "out.bmp", "--settings", "bad.ini"},
                kP + "--settings bad.ini: Cline 200: Value must be between -150 and 150!");
  ExpectRefused({"--tile", "tile.bmp", "-o", "out.bmp", "--settings", "pieces.ini"},
                kP + "--settings pieces.ini: NumRadialPieces 120: Value must be between 6 and 99!");
  ExpectRefused({"--tile", "tile.bmp", "-o", "out.bmp", "--settings", "turn.ini"},
                kP + "--settings turn.ini: Turn45 3: Value must be between -1 and 2!");
  ExpectRefused({"--tile", "tile.bmp", "-o", "out.bmp", "--settings", "huge.ini"},
                kP + "--settings huge.ini: Overflow");
  // A flag puts the file's value out of play.
  const RenderRun r = Run({"--tile", "tile.bmp", "-o", "fine.bmp", "-q", "--settings", "bad.ini",
                           "--spectrum-shift", "20", "--board", "64x48"});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(BadFiles, ASavedGridThatCannotBeRead) {
  ExpectRefused({"--tile", "tile.bmp", "-o", "out.bmp", "--grid", "nogrid.bmp"},
                kP + "--grid: Cannot read the picture file \"nogrid.bmp\": the file does not exist.");
}

TEST_F(BadFiles, AnEngineErrorEndsTheRenderInsteadOfRepeatingForEver) {
  // A board one pixel wide has a grid cell of no pixels: every sample divides by zero
  // under AreaColorMod's trap. The desktop would show the message again and again; the
  // renderer stops at the first, in both modes.
  for (const char* mode : {"--threads", "--sequential"}) {
    std::vector<std::string> args = {"--tile", "tile.bmp", "-o", "out.bmp", "--board", "1x200",
                                     "--smallest-radius", "3", "--fade-width", "3", mode};
    if (std::string(mode) == "--threads") args.push_back("2");
    const RenderRun r = Run(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(kP + "AreaColorMod: Division by zero\n"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Bytes("out.bmp"), kKnownBytes);
  EXPECT_EQ(FolderListing(dir.Path()), before_);
}

// --- success ---------------------------------------------------------------------------

TEST_F(RenderTest, HelpListsTheFlagsAndEndsWithSuccess) {
  const RenderRun r = Run({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* flag : {"--tile", "--output", "--settings", "--pieces", "--smallest-radius", "--fade-width",
                           "--rotate", "--spectrum-shift", "--center-tone", "--brightness-shift",
                           "--center-brightness", "--quadrants", "--small", "--board", "--seed",
                           "--tile-color", "--grid", "--keep", "--threads", "--sequential", "--quiet"})
    EXPECT_NE(r.out.find(flag), std::string::npos) << flag;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(FolderListing(dir.Path()), "");
}

TEST_F(RenderTest, WithoutArgumentsTheTileIsAsked) {
  const RenderRun r = Run({});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), kP + "--tile is required");
}

TEST_F(RenderTest, TheSummaryNamesTheBoardTheSpiralTheColourAndTheStages) {
  Tile(40, 40);
  const RenderRun r = Run({"--tile", "tile.bmp", "--board", "64x48", "--seed", "3", "--tile-color", "10.5,20,30",
                           "--threads", "2", "-v"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Exists("Final.bmp"));  // the default name, in the current folder
  EXPECT_NE(r.err.find(kP + "board 64x48, N 12, R0 15, grid cell T 20\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(kP + "tile colour 10.5,20,30 (given), spectrum index "), std::string::npos) << r.err;
  for (const char* stage : {"load ", "square ", "grid ", "final ", "save "})
    EXPECT_NE(r.err.find(stage), std::string::npos) << stage;
  EXPECT_NE(r.err.find("wrote Final.bmp (64x48)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("(fast path, 2 threads)"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  // The mode is the one asked for (so the comparisons of the two modes compare two).
  const RenderRun seq = Run({"--tile", "tile.bmp", "--board", "64x48", "--seed", "3", "--sequential",
                             "--threads", "2", "-v"});
  ASSERT_EQ(seq.status, 0) << seq.err;
  EXPECT_NE(seq.err.find("(sequential)"), std::string::npos) << seq.err;
  EXPECT_EQ(seq.err.find("fast path"), std::string::npos) << seq.err;
}

TEST_F(RenderTest, ARenderPrintsNothingItWasNotAskedFor) {
  Tile(40, 40);
  for (const char* quiet : {"-q", "--threads=1"}) {
    const RenderRun r = Run({"--tile", "tile.bmp", "--board", "64x48", quiet});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "") << quiet;
    EXPECT_EQ(r.out, "") << quiet;
  }
}

}  // namespace
}  // namespace marvane::testing
