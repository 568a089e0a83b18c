// scripts/start.sh gives the start folder the shipped files it lacks, never replaces what
// the user has there, and starts the program in that folder, or says why it cannot. (The
// install check runs the installed launcher without a display.)
#include <QProcess>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

namespace fs = std::filesystem;

// A stand-in build tree: the real shipped files, and a "marvane" that writes down the
// folder it was started in and its arguments instead of opening windows.
struct StartScript : ::testing::Test {
  void SetUp() override {
    fs::create_directories(build / "share/Tiles");
    for (const char* name : {"Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
      fs::copy_file(MARVANE_BUILD_SHARE_DIR "/" + std::string(name), build / "share/" + name);
    WriteFileBytes(build / "marvane", "#!/bin/sh\npwd > \"$RECORD\"\nfor a; do printf '%s\\n' \"$a\" >> \"$RECORD\"; done\n");
    fs::permissions(build / "marvane", fs::perms::owner_all);
  }
  // The script's status, run with these variables only: no display unless one is given.
  int Start(QStringList env, const QStringList& args = {}) {
    QProcess script;
    script.setEnvironment(env << "PATH=" + qgetenv("PATH") << QString::fromStdString("HOME=" + home.Path())
                              << QString::fromStdString("RECORD=" + record));
    script.start(MARVANE_SOURCE_DIR "/scripts/start.sh", QStringList(QString::fromStdString(build.Path())) + args);
    EXPECT_TRUE(script.waitForFinished(20000));
    said = script.readAllStandardError().toStdString();
    return script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
  }
  TempFolder build, home, scratch;
  std::string record = scratch / "started.txt", folder = home / "Marvane", said;
};

TEST_F(StartScript, FillsInTheStartFolderAndStartsTheProgramThereWithItsArguments) {
  fs::create_directories(folder);
  WriteFileBytes(folder + "/HelpTxt.txt", "my own notes");
  ASSERT_EQ(Start({"DISPLAY=:7"}, {"--first", "second arg"}), 0) << said;
  EXPECT_EQ(ReadFileBytes(folder + "/HelpTxt.txt"), "my own notes");
  for (const char* name : {"Tiles/Basic.bmp", "TileGrid.bmp"})
    EXPECT_EQ(ReadFileBytes(folder + "/" + name), ReadFileBytes(MARVANE_BUILD_SHARE_DIR "/" + std::string(name)));
  // Nothing more: no copy is left half made.
  EXPECT_EQ(FolderListing(folder) + FolderListing(folder + "/Tiles"), "HelpTxt.txt\nOutput\nTileGrid.bmp\nTiles\nBasic.bmp\n");
  EXPECT_EQ(ReadFileBytes(record), fs::canonical(folder).string() + "\n--first\nsecond arg\n");
  // MARVANE_HOME names another folder.
  ASSERT_EQ(Start({"WAYLAND_DISPLAY=wayland-0", QString::fromStdString("MARVANE_HOME=" + scratch / "my pictures")}), 0);
  EXPECT_EQ(ReadFileBytes(record), fs::canonical(scratch / "my pictures").string() + "\n");
}

TEST_F(StartScript, RefusesWithItsReasonAndStartsNothing) {
  WriteFileBytes(folder, "not a folder");
  EXPECT_NE(Start({"DISPLAY=:7"}), 0);
  EXPECT_NE(said.find("is a file"), std::string::npos) << said;
  EXPECT_EQ(ReadFileBytes(folder), "not a folder");
  fs::remove(folder);
  fs::remove(build / "marvane");
  EXPECT_NE(Start({"DISPLAY=:7"}), 0);
  EXPECT_NE(said.find("has not been built"), std::string::npos) << said;
  fs::remove_all(build / "share");
  EXPECT_NE(Start({"DISPLAY=:7"}), 0);
  EXPECT_NE(said.find("Basic.bmp"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(record));
}

}  // namespace
}  // namespace marvane::testing
