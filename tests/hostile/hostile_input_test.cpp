// Hostile input: bad tile files, writers killed while they write, a file cut short while it loads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <random>
#include <sstream>
#include <thread>

#include "cli/render_sequential.h"
#include "hostile/hostile_files.h"
#include "platform/picture_files.h"
#include "platform/ui.h"
#include "run/headless_host.h"
#include "run/pipeline.h"
#include "run/tile_image.h"
#include "support/picture_checks.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

class RefusedTile : public ::testing::TestWithParam<std::string> {};

// Refused with the loader's reason, nothing written or changed, in less than 100 MB.
TEST_P(RefusedTile, ByTheRendererAndTheTileChange) {
  HostileFile hostile;
  for (const HostileFile& h : HostileFiles()) hostile = h.caseName == GetParam() ? h : hostile;
  TempFolder folder;
  const std::string path = folder / hostile.fileName;
  const std::string reason = "Cannot read the picture file \"" + path + "\": " + hostile.reason;
  hostile.make(path);
  ::chmod(folder.Path().c_str(), 0755);  // so that the ordinary user reaches the file
  const std::string bytes = std::filesystem::is_regular_file(path) ? ReadFileBytes(path) : "";
  const std::string listing = FolderListing(folder.Path());
  RenderOptions o;
  o.tile = path, o.output = folder / "Final.bmp", o.boardWidth = 160, o.boardHeight = 120;
  AppState s;
  SetUpRenderState(CheckedRenderJob(o), s);
  RecordingUi ui;
  HeadlessHost host;
  Pipeline pipeline(s, host, ui);
  const auto state = [&s] { return std::make_tuple(s.settings, s.console, s.JobState); };
  const Picture grid = s.TileGrid, tile = s.TileImage;
  const auto before = state();
  rusage start{}, end{};
  ::getrusage(RUSAGE_SELF, &start);
  std::ostringstream err;
  // Root reads every file: an ordinary user's place (nobody's) is taken, with root saved to come back to.
  const bool asNobody = hostile.unreadable && ::getuid() == 0;
  ASSERT_TRUE(!asNobody || (::setresgid(65534, 65534, 0) == 0 && ::setresuid(65534, 65534, 0) == 0));
  EXPECT_EQ(RunRender(o, err, false), 1);
  EXPECT_FALSE(TakeNewTile(pipeline, s, ui, path));
  ASSERT_TRUE(!asNobody || (::setresuid(0, 0, 0) == 0 && ::setresgid(0, 0, 0) == 0));
  ::getrusage(RUSAGE_SELF, &end);
  EXPECT_LT(end.ru_maxrss - start.ru_maxrss, 100 * 1024);
  EXPECT_EQ(err.str(), "marvane-render: --tile: " + reason + "\n");
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].title + ": " + ui.Messages()[0].text, "Load Size Image: " + reason);
  EXPECT_TRUE(state() == before && !ui.Busy()) << "the tile change left its mark";
  EXPECT_TRUE(test::SamePicture(s.TileGrid, grid));
  EXPECT_TRUE(test::SamePicture(s.TileImage, tile));
  EXPECT_EQ(FolderListing(folder.Path()), listing);
  EXPECT_EQ(bytes.empty() ? "" : ReadFileBytes(path), bytes) << "the file itself was changed";
}

INSTANTIATE_TEST_SUITE_P(Matrix, RefusedTile, ::testing::ValuesIn([] {
                           std::vector<std::string> names;
                           for (const HostileFile& h : HostileFiles()) names.push_back(h.caseName);
                           return names;
                         }()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(KilledWriter, LeavesTheOldOrTheNewFileWhole) {
  TempFolder folder;
  const std::string ini = folder / "Tesklet.INI", picture = folder / "Final.bmp";
  const std::function<void(bool)> saves[] = {
      [&](bool second) {
        SettingsMirror mirror;
        ConsoleModel console;
        console.Cline = second;
        SaveSettings(mirror, console, ini);
      },
      // Large enough that a save takes a while, and of other sizes, so that a file cut short shows.
      [&](bool second) { SavePictureFile(second ? Picture(300, 400, 0xFF00) : Picture(400, 300, 1), picture); }};
  std::mt19937 random(97531);
  for (int writer = 0; writer < 2; ++writer) {
    const std::string& path = writer == 0 ? ini : picture;
    saves[writer](true);
    const std::string second = ReadFileBytes(path);
    saves[writer](false);
    const std::string first = ReadFileBytes(path);
    ASSERT_NE(first, second);
    for (int kill = 0; kill < 30; ++kill) {
      const pid_t pid = ::fork();
      if (pid == 0)
        for (bool next = true;; next = !next) saves[writer](next);
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 10000));
      ::kill(pid, SIGKILL);
      int status = 0;
      ::waitpid(pid, &status, 0);
      ASSERT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, SIGKILL) << "the writer stopped on its own";
      const std::string now = ReadFileBytes(path);
      ASSERT_TRUE(now == first || now == second) << path << " after kill " << kill << ": " << now.size() << " bytes";
    }
  }
}

// Another program cuts the file to its header and writes it again: a read through a memory map ends with SIGBUS.
// (A read may also meet bytes not yet written back, so only the picture's size is sure.)
TEST(ShrinkingFile, LoadsOrIsRefusedInWordsWhileAnotherProgramCutsItShort) {
  TempFolder folder;
  const std::string path = folder / "tile.bmp";
  SavePictureFile(Picture(1000, 800, 0x203040), path);
  const std::string bytes = ReadFileBytes(path);
  const pid_t cutter = ::fork();
  if (cutter == 0) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    while (::ftruncate(fd, 60) == 0 && ::pwrite(fd, bytes.data(), bytes.size(), 0) > 0) {
    }
    ::_exit(2);
  }
  std::string report;
  for (const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
       report.empty() && std::chrono::steady_clock::now() < end;) {
    try {
      const Picture loaded = LoadPictureFile(path, 0);
      report = loaded.Width() == 1000 && loaded.Height() == 800 ? "" : "a load gave another size";
    } catch (const std::exception& e) {
      report = std::string(e.what()).rfind("Cannot read the picture file", 0) == 0 ? "" : e.what();
    }
  }
  ::kill(cutter, SIGKILL);
  ::waitpid(cutter, nullptr, 0);
  EXPECT_EQ(report, "");
}

}  // namespace
}  // namespace marvane::testing
