// scripts/start.sh gives the start folder what it lacks of the shipped files, never
// replaces what the user has there, and starts the program in it, or says why it cannot.
// (The install check runs the installed launcher without a display.)
#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

TEST(StartScript, FillsInTheStartFolderAndStartsTheProgramThere) {
  // A stand-in build: the real shipped files, and a "marvane" that writes down the folder
  // it was started in and its arguments instead of opening windows.
  TempFolder build, home;
  std::filesystem::create_directories(build / "share/Tiles");
  for (const char* name : {"Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
    std::filesystem::copy_file(MARVANE_BUILD_SHARE_DIR "/" + std::string(name), build / "share/" + name);
  WriteFileBytes(build / "marvane", "#!/bin/sh\npwd > ../started\nfor a; do printf '%s\\n' \"$a\" >> ../started; done\n");
  std::filesystem::permissions(build / "marvane", std::filesystem::perms::owner_all);
  const auto start = [&](const std::string& folder) {
    return std::system(("env -i PATH=\"$PATH\" DISPLAY=:7 HOME='" + home.Path() + "' " + MARVANE_SOURCE_DIR +
                        "/scripts/start.sh '" + build.Path() + "' --first 'second arg' 2>'" + home / "said'")
                           .c_str()) == 0 && std::filesystem::is_directory(folder + "/Output");
  };
  const std::string folder = home / "Marvane";
  std::filesystem::create_directories(folder);
  WriteFileBytes(folder + "/HelpTxt.txt", "my own notes");
  ASSERT_TRUE(start(folder)) << ReadFileBytes(home / "said");
  EXPECT_EQ(ReadFileBytes(folder + "/HelpTxt.txt"), "my own notes");
  for (const char* name : {"Tiles/Basic.bmp", "TileGrid.bmp"})
    EXPECT_EQ(ReadFileBytes(folder + "/" + name), ReadFileBytes(MARVANE_BUILD_SHARE_DIR "/" + std::string(name)));
  // Nothing more: no copy is left half made.
  EXPECT_EQ(FolderListing(folder) + FolderListing(folder + "/Tiles"), "HelpTxt.txt\nOutput\nTileGrid.bmp\nTiles\nBasic.bmp\n");
  EXPECT_EQ(ReadFileBytes(home / "started"), std::filesystem::canonical(folder).string() + "\n--first\nsecond arg\n");
  // A file where the start folder should be is refused, and left as it is.
  std::filesystem::remove_all(folder);
  WriteFileBytes(folder, "not a folder");
  EXPECT_FALSE(start(folder));
  EXPECT_NE(ReadFileBytes(home / "said").find("is a file"), std::string::npos) << ReadFileBytes(home / "said");
  EXPECT_EQ(ReadFileBytes(folder), "not a folder");
}

}  // namespace
}  // namespace marvane::testing
