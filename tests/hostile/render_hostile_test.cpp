// Hostile tile files given to marvane-render: each ends the program with the bad-input
// status and its reason on stderr, writes no file, leaves the tile file as it was, and
// keeps the whole program under 100 MB.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "hostile/child_run.h"
#include "hostile/hostile_files.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

constexpr long kMemoryBudgetKilobytes = 100 * 1024;
constexpr int kExitBadInput = 1;

std::vector<std::string> RenderArgs(const std::string& tile) {
  return {"--tile", tile, "-o", "Final.bmp", "--board", "160x120", "--seed", "1", "-q"};
}

class RenderHostileTest : public ::testing::TestWithParam<HostileFile> {};

TEST_P(RenderHostileTest, EndsWithBadInputAndWritesNothing) {
  const HostileFile& hostile = GetParam();
  TempFolder folder;
  const std::string tiles = folder / "Tiles";
  std::filesystem::create_directory(tiles);
  const std::string path = tiles + "/" + hostile.fileName;
  hostile.make(path);
  const std::string bytesBefore = std::filesystem::is_regular_file(path) ? ReadFileBytes(path) : "";
  // The ordinary user must reach the file, and the folder the output would go in.
  ::chmod(folder.Path().c_str(), 0777);
  ::chmod(tiles.c_str(), 0755);
  const std::string listingBefore = FolderListing(folder.Path()) + FolderListing(tiles);

  const ChildRun run = RunProgram(MARVANE_RENDER_PROGRAM, RenderArgs(path), folder.Path(), hostile.unreadable);

  ASSERT_TRUE(run.exited) << "marvane-render ended with signal " << run.signal << "\n" << run.report;
  EXPECT_EQ(run.status, kExitBadInput) << run.report;
  EXPECT_NE(run.report.find(hostile.reason), std::string::npos) << run.report;
  EXPECT_EQ(FolderListing(folder.Path()) + FolderListing(tiles), listingBefore);
  EXPECT_LT(run.peakKilobytes, kMemoryBudgetKilobytes);
  if (!bytesBefore.empty()) {
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(ReadFileBytes(path), bytesBefore) << "the tile file itself was changed";
  }
}

INSTANTIATE_TEST_SUITE_P(Matrix, RenderHostileTest, ::testing::ValuesIn(HostileFiles()),
                         [](const ::testing::TestParamInfo<HostileFile>& info) { return info.param.caseName; });

// PNG bytes named .bmp are the picture they hold: the render succeeds, and gives the
// same picture as from the file named .png.
TEST(RenderHostile, PngBytesNamedBmpRenderAsThePng) {
  TempFolder folder;
  WriteFileBytes(folder / "tile.bmp", GoodPngBytes());
  WriteFileBytes(folder / "tile.png", GoodPngBytes());
  const ChildRun asBmp = RunProgram(MARVANE_RENDER_PROGRAM,
                                    {"--tile", "tile.bmp", "-o", "a.bmp", "--board", "160x120", "--seed", "1", "-q"},
                                    folder.Path());
  const ChildRun asPng = RunProgram(MARVANE_RENDER_PROGRAM,
                                    {"--tile", "tile.png", "-o", "b.bmp", "--board", "160x120", "--seed", "1", "-q"},
                                    folder.Path());
  ASSERT_EQ(asBmp.status, 0) << asBmp.report;
  ASSERT_EQ(asPng.status, 0) << asPng.report;
  EXPECT_EQ(ReadFileBytes(folder / "a.bmp"), ReadFileBytes(folder / "b.bmp"));
}

}  // namespace
}  // namespace marvane::testing
