// Finding the shipped files from a program that does not sit beside them: the build
// tree's share/ is compiled in, so a test program deep in the build tree finds it too.
#include <gtest/gtest.h>

#include <filesystem>

#include "packaging/shipped_files.h"
#include "platform/share_files.h"

namespace marvane::testing {
namespace {

TEST(ShareFiles, FindsTheBuildsShippedFilesFromAnywhereInTheBuildTree) {
  namespace fs = std::filesystem;
  for (const char* name : {"splash.bmp", "Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"}) {
    const std::string found = FindShareFile(name);
    ASSERT_FALSE(found.empty()) << name;
    EXPECT_TRUE(fs::equivalent(found, BuildShare(name))) << found;
  }
  bool listed = false;
  for (const auto& folder : ShareFolders()) listed = listed || fs::equivalent(folder, BuildShareDir());
  EXPECT_TRUE(listed);
}

TEST(ShareFiles, AnswersEmptyForWhatIsNotShipped) {
  EXPECT_EQ(FindShareFile("no-such-file.bmp"), "");
  EXPECT_EQ(FindShareFile(""), "");
  // A folder is not a file.
  EXPECT_EQ(FindShareFile("Tiles"), "");
}

}  // namespace
}  // namespace marvane::testing
