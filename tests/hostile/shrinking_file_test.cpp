// A picture file that another program cuts short and writes again while we load it:
// each load gives the whole picture or refuses the file in words, and never brings the
// program down (a file read through a memory map would end it with SIGBUS as soon as
// the decoder touched a page beyond the new end).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>

#include "hostile/child_run.h"
#include "platform/picture.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane::testing {
namespace {

constexpr auto kHowLong = std::chrono::milliseconds(1500);

TEST(ShrinkingFile, LoadsWholeOrRefusesWhileAnotherProgramCutsItShort) {
  TempFolder folder;
  const std::string path = folder / "tile.bmp";
  Picture original(1000, 800, 0x203040);
  for (int y = 0; y < 800; y += 3) original.FillBox(0, y, 999, y, 0x00FFAA);
  SavePictureFile(original, path);
  const std::string bytes = ReadFileBytes(path);

  // The other program: cuts the file to its header, then writes the rest back, again
  // and again, in place (as an editor saving over it would).
  const pid_t cutter = ::fork();
  ASSERT_GE(cutter, 0);
  if (cutter == 0) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    for (;;) {
      if (::ftruncate(fd, 60) != 0) ::_exit(2);
      if (::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) ::_exit(3);
    }
  }

  const ChildRun run = RunInChild([&] {
    std::ostringstream report;
    int whole = 0, refused = 0;
    const auto end = std::chrono::steady_clock::now() + kHowLong;
    while (std::chrono::steady_clock::now() < end) {
      try {
        const Picture loaded = LoadPictureFile(path, 0);
        if (loaded == original)
          ++whole;
        else
          report << "a load gave a picture that is not the file's; ";
      } catch (const RunTimeError& e) {
        ++refused;
        if (std::string(e.what()).rfind("Cannot read the picture file", 0) != 0) report << "unclear refusal: " << e.what() << "; ";
      }
    }
    if (whole + refused == 0) report << "no load finished; ";
    return report.str();
  });
  ::kill(cutter, SIGKILL);
  ::waitpid(cutter, nullptr, 0);

  ASSERT_TRUE(run.exited) << "the loading program was ended by signal " << run.signal;
  EXPECT_EQ(run.report, "");
}

}  // namespace
}  // namespace marvane::testing
