// scripts/start.sh: the launcher that gives a fresh start folder the shipped files,
// never replaces what the user has there, and starts the program in that folder - or
// says clearly why it cannot.
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "packaging/shipped_files.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

namespace fs = std::filesystem;

struct ScriptRun {
  int status = -1;
  std::string err;
};

// A stand-in build tree: the real shipped files, and a "marvane" that writes down the
// folder it was started in and its arguments instead of opening windows.
class StartScript : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(build / "share/Tiles");
    for (const char* name : {"Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
      fs::copy_file(BuildShare(name), build / (std::string("share/") + name));
    WriteFileBytes(build / "marvane",
                   "#!/bin/sh\npwd > \"$MARVANE_TEST_RECORD\"\n"
                   "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$MARVANE_TEST_RECORD\"; done\n");
    fs::permissions(build / "marvane", fs::perms::owner_all);
  }

  // Runs the script with only the variables given here: no DISPLAY unless asked.
  ScriptRun Start(const QStringList& args, const QStringList& extraEnv = {}, const std::string& buildDir = "") {
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
    env.insert("HOME", QString::fromStdString(home.Path()));
    env.insert("MARVANE_TEST_RECORD", QString::fromStdString(record));
    for (const QString& pair : extraEnv) env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    QStringList all{QString::fromStdString(buildDir.empty() ? build.Path() : buildDir)};
    all += args;
    process.start(QString::fromStdString(SourceDir() + "/scripts/start.sh"), all);
    EXPECT_TRUE(process.waitForFinished(20000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardError().toStdString()};
  }

  std::string Started() const { return fs::exists(record) ? ReadFileBytes(record) : std::string(); }

  TempFolder build;
  TempFolder home;
  TempFolder scratch;
  std::string record = scratch / "started.txt";
};

TEST_F(StartScript, PreparesAFreshStartFolderAndStartsTheProgramThere) {
  const ScriptRun run = Start({"--first", "second arg"}, {"DISPLAY=:7"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string folder = home / "Marvane";
  for (const char* name : {"Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
    EXPECT_EQ(ReadFileBytes(folder + "/" + name), ReadFileBytes(BuildShare(name))) << name;
  EXPECT_TRUE(fs::is_directory(folder + "/Output"));
  EXPECT_EQ(Started(), fs::canonical(folder).string() + "\n--first\nsecond arg\n");
  // No temporary copies left behind.
  EXPECT_EQ(FolderListing(folder), "HelpTxt.txt\nOutput\nTileGrid.bmp\nTiles\n");
  EXPECT_EQ(FolderListing(folder + "/Tiles"), "Basic.bmp\n");
}

TEST_F(StartScript, KeepsWhatTheUserHasAndAddsOnlyWhatIsMissing) {
  const std::string folder = home / "Marvane";
  fs::create_directories(folder + "/Tiles");
  WriteFileBytes(folder + "/HelpTxt.txt", "{My own notes\nkeep me\n");
  WriteFileBytes(folder + "/TileGrid.bmp", "the grid of my last run");
  WriteFileBytes(folder + "/Tiles/Mine.bmp", "my tile");
  const ScriptRun run = Start({}, {"WAYLAND_DISPLAY=wayland-0"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(folder + "/HelpTxt.txt"), "{My own notes\nkeep me\n");
  EXPECT_EQ(ReadFileBytes(folder + "/TileGrid.bmp"), "the grid of my last run");
  EXPECT_EQ(ReadFileBytes(folder + "/Tiles/Mine.bmp"), "my tile");
  EXPECT_EQ(ReadFileBytes(folder + "/Tiles/Basic.bmp"), ReadFileBytes(BuildShare("Tiles/Basic.bmp")));
  EXPECT_FALSE(Started().empty());
}

TEST_F(StartScript, UsesTheFolderNamedByMarvaneHome) {
  const std::string elsewhere = scratch / "pictures here";
  const ScriptRun run = Start({}, {"DISPLAY=:7", "MARVANE_HOME=" + QString::fromStdString(elsewhere)});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_regular_file(elsewhere + "/TileGrid.bmp"));
  EXPECT_FALSE(fs::exists(home / "Marvane"));
  EXPECT_EQ(Started(), fs::canonical(elsewhere).string() + "\n");
}

TEST_F(StartScript, WithoutADisplayPreparesTheFolderButPointsToTheRenderer) {
  const ScriptRun run = Start({});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("./marvane render --help"), std::string::npos) << run.err;
  EXPECT_TRUE(Started().empty()) << "the program was started without a display";
  EXPECT_TRUE(fs::is_regular_file(home / "Marvane/TileGrid.bmp"));
}

TEST_F(StartScript, RefusesWithAReasonWhenItCannotPrepareTheFolder) {
  {
    // A build without its shipped files.
    TempFolder bare;
    const ScriptRun run = Start({}, {"DISPLAY=:7"}, bare.Path());
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("Basic.bmp"), std::string::npos) << run.err;
  }
  {
    // A file where the start folder should be.
    WriteFileBytes(home / "Marvane", "not a folder");
    const ScriptRun run = Start({}, {"DISPLAY=:7"});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("is a file"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(home / "Marvane"), "not a folder");
  }
  {
    // No program in the build.
    fs::remove(home / "Marvane");
    fs::remove(build / "marvane");
    const ScriptRun run = Start({}, {"DISPLAY=:7"});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("has not been built"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(Started().empty());
}

}  // namespace
}  // namespace marvane::testing
