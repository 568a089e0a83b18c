// peak_memory PROGRAM ARGS...: runs PROGRAM, writes its peak resident memory in
// kilobytes to file descriptor 3, and ends as it ended (128 + the signal when one ended
// it). A process's peak counts the memory of whatever it was forked from, so a test
// program measures a program it starts through this small one instead of itself.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 125;
  const pid_t pid = ::fork();
  if (pid < 0) return 126;
  if (pid == 0) {
    ::close(3);
    ::execv(argv[1], argv + 1);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  const std::string peak = std::to_string(usage.ru_maxrss);
  if (::write(3, peak.data(), peak.size()) < 0) return 124;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
