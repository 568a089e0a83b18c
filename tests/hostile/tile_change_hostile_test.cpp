// Hostile tile files through the desktop's tile change (the steps after the file
// dialog): each is refused with its reason titled "Load Size Image", and afterwards the
// settings, the console and every picture are as they were, no file has appeared or
// changed, and the attempt took less than 100 MB.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>

#include "hostile/child_run.h"
#include "engine/load_size_image.h"
#include "hostile/hostile_files.h"
#include "run/pipeline_fixture.h"
#include "run/tile_image.h"

namespace marvane::testing {
namespace {

constexpr long kMemoryBudgetKilobytes = 100 * 1024;

// What a tile change may touch, taken whole so that a difference shows by name.
struct TileState {
  SettingsMirror settings;
  ConsoleModel console;
  Picture workspace1, workspace3, tileImage, finalImage, thumbnail;
  int32_t tileWidth, tileHeight, squareLast, squareSide, squareMode, jobState;
  std::string startFolderListing, tilesListing;

  explicit TileState(const AppState& s, const std::string& tilesFolder)
      : settings(s.settings), console(s.console), workspace1(s.Workspace1), workspace3(s.Workspace3),
        tileImage(s.TileImage), finalImage(s.FinalImage), thumbnail(s.Thumbnail), tileWidth(s.TileWidth),
        tileHeight(s.TileHeight), squareLast(s.SquareLast), squareSide(s.SquareSide), squareMode(s.SquareMode),
        jobState(s.JobState), startFolderListing(FolderListing(s.settings.StartFolder)),
        tilesListing(FolderListing(tilesFolder)) {}

  std::string DifferencesFrom(const TileState& o) const {
    std::ostringstream d;
    if (!(settings == o.settings)) d << "settings changed; ";
    if (!(console == o.console)) d << "console changed; ";
    if (!(workspace1 == o.workspace1)) d << "Workspace1 changed; ";
    if (!(workspace3 == o.workspace3)) d << "Workspace3 changed; ";
    if (!(tileImage == o.tileImage)) d << "TileImage changed; ";
    if (!(finalImage == o.finalImage)) d << "FinalImage changed; ";
    if (!(thumbnail == o.thumbnail)) d << "Thumbnail changed; ";
    if (tileWidth != o.tileWidth || tileHeight != o.tileHeight || squareLast != o.squareLast ||
        squareSide != o.squareSide || squareMode != o.squareMode)
      d << "tile measures changed; ";
    if (jobState != o.jobState) d << "a job was left running; ";
    if (startFolderListing != o.startFolderListing) d << "start folder now holds:\n" << startFolderListing;
    if (tilesListing != o.tilesListing) d << "tiles folder now holds:\n" << tilesListing;
    return d.str();
  }
};

class TileChangeHostileTest : public PipelineTest, public ::testing::WithParamInterface<HostileFile> {
 protected:
  // The desktop after start-up with a good 40 x 30 tile taken and squared, the grid built.
  void SetUp() override {
    SetUpBoard(160, 120);
    tiles = folder / "Tiles";
    std::filesystem::create_directory(tiles);
    const std::string good = tiles + "/Good.png";
    WriteFileBytes(good, GoodPngBytes());
    ASSERT_TRUE(TakeNewTile(pipeline, s, ui, good)) << (ui.Messages().empty() ? "" : ui.Messages()[0].text);
    ASSERT_EQ(s.JobState, kNoJob);
    ui.Clear();
  }

  std::string tiles;
};

TEST_P(TileChangeHostileTest, IsRefusedWithItsReasonAndChangesNothing) {
  const HostileFile& hostile = GetParam();
  const std::string path = tiles + "/" + hostile.fileName;
  hostile.make(path);
  const std::string bytesBefore = std::filesystem::is_regular_file(path) ? ReadFileBytes(path) : "";
  // The ordinary user must reach the file through the folders.
  if (hostile.unreadable) {
    ::chmod(folder.Path().c_str(), 0755);
    ::chmod(tiles.c_str(), 0755);
  }

  const ChildRun run = RunInChild(
      [&] {
        const TileState before(s, tiles);
        std::ostringstream report;
        if (TakeNewTile(pipeline, s, ui, path)) report << "the file was taken as the tile; ";
        const auto messages = ui.Messages();
        const std::string expected = "Cannot read the picture file \"" + path + "\": " + hostile.reason;
        if (messages.size() != 1 || messages[0].text != expected || messages[0].title != "Load Size Image") {
          report << "messages:";
          for (const auto& m : messages) report << " [" << m.title << "] " << m.text << ";";
          report << " expected [Load Size Image] " << expected << "; ";
        }
        if (ui.Busy()) report << "the pointer stayed busy; ";
        report << TileState(s, tiles).DifferencesFrom(before);
        return report.str();
      },
      hostile.unreadable);

  ASSERT_TRUE(run.exited) << "the tile change ended with signal " << run.signal;
  EXPECT_EQ(run.report, "");
  EXPECT_LT(run.peakKilobytes, kMemoryBudgetKilobytes);
  if (!bytesBefore.empty()) {
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(ReadFileBytes(path), bytesBefore) << "the file itself was changed";
  }
}

INSTANTIATE_TEST_SUITE_P(Matrix, TileChangeHostileTest, ::testing::ValuesIn(HostileFiles()),
                         [](const ::testing::TestParamInfo<HostileFile>& info) { return info.param.caseName; });

// PNG bytes under a .bmp name are a picture: the bytes decide, so the tile changes to
// that picture, exactly as the same file named .png would make it.
TEST_F(PipelineTest, PngBytesNamedBmpAreTakenAsThePictureTheyHold) {
  SetUpBoard(160, 120);
  const std::string asBmp = folder / "Png.bmp", asPng = folder / "Png.png";
  WriteFileBytes(asBmp, GoodPngBytes());
  WriteFileBytes(asPng, GoodPngBytes());

  ASSERT_TRUE(TakeNewTile(pipeline, s, ui, asPng));
  const Picture squaredFromPng = s.TileImage;
  ui.Clear();
  ASSERT_TRUE(TakeNewTile(pipeline, s, ui, asBmp));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(s.TileWidth, 40);
  EXPECT_EQ(s.TileHeight, 30);
  EXPECT_TRUE(s.TileImage == squaredFromPng);
}

// A picture larger than a tile is still loaded up to the most pixels of a tile file,
// and stands on the work surface under the size message; one column more and the
// loader refuses it from its header, and nothing changes. The limit is on pixels, not
// on a side: a long thin picture is cheap.
TEST_F(TileChangeHostileTest, TheMostTileFilePixelsAreLoadedForTheSizeMessageAndOneColumnMoreIsRefused) {
  const std::string widest = tiles + "/Widest.bmp", tooWide = tiles + "/TooWide.bmp";
  SavePictureFile(MakeTile(4096, 1024), widest);
  SavePictureFile(MakeTile(4097, 1024), tooWide);

  const TileState before(s, tiles);
  EXPECT_FALSE(TakeNewTile(pipeline, s, ui, tooWide));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title, "Load Size Image");
  EXPECT_NE(ui.Messages()[0].text.find("4097 x 1024 pixels"), std::string::npos) << ui.Messages()[0].text;
  EXPECT_EQ(TileState(s, tiles).DifferencesFrom(before), "");

  ui.Clear();
  EXPECT_FALSE(TakeNewTile(pipeline, s, ui, widest));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, kTileSizeText);
  EXPECT_EQ(s.settings.PicRight, 4095);
  EXPECT_EQ(s.settings.PicBottom, 1023);
  EXPECT_EQ(s.settings.TileFileName, widest);
}

}  // namespace
}  // namespace marvane::testing
