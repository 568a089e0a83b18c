#pragma once
// Runs the real marvane-render program in a folder, as a user would, and keeps what it
// printed and how it ended.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/temp_folder.h"

extern char** environ;

namespace marvane::testing {

struct RenderRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;  // what it printed on stdout
  std::string err;  // and on stderr
};

// Runs marvane-render with `args` in `folder` (its current folder), stdout and stderr
// into files of a private folder, and waits for it.
inline RenderRun RunRender(const std::string& folder, const std::vector<std::string>& args) {
  TempFolder streams;
  const std::string outPath = streams / "stdout", errPath = streams / "stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  const std::string program = MARVANE_RENDER_PROGRAM;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  RenderRun run;
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  run.out = ReadFileBytes(outPath);
  run.err = ReadFileBytes(errPath);
  return run;
}

}  // namespace marvane::testing
