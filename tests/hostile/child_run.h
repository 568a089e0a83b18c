#pragma once
// Runs a piece of a test, or a program, in a child process, so that a crash is seen as
// one rather than ending the test program, the memory it took is measured on its own,
// and it can run as an ordinary user where root would read every file.
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace marvane::testing {

// The user id that an ordinary user's run takes when the tests run as root.
inline constexpr uid_t kNobody = 65534;

struct ChildRun {
  bool exited = false;   // ended by exit, not by a signal
  int status = -1;       // its exit status
  int signal = 0;        // the signal that ended it
  long peakKilobytes = 0;  // how far its resident memory rose above where it started
  std::string report;    // what the child's work returned, or its stderr for a program
};

inline std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) text.append(buffer, static_cast<size_t>(n));
    else if (n == 0 || errno != EINTR) break;
  }
  return text;
}

inline void WaitFor(pid_t pid, ChildRun& run, rusage* usage) {
  int wstatus = 0;
  while (::wait4(pid, &wstatus, 0, usage) < 0 && errno == EINTR) {
  }
  run.exited = WIFEXITED(wstatus);
  run.status = run.exited ? WEXITSTATUS(wstatus) : -1;
  run.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
}

inline void BecomeOrdinaryUser() {
  if (::getuid() != 0) return;
  if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(121);
}

// A copy of `program` that an ordinary user can run wherever the checkout lives: a build
// under /root (mode 700) cannot be reached by that user, so root's runs use copies in a
// world-readable folder of their own, made once and removed when the tests end.
inline std::string ReachableByOrdinaryUser(const std::string& program) {
  if (::getuid() != 0) return program;
  struct Copies {
    std::filesystem::path folder;
    std::map<std::string, std::string> made;
    ~Copies() {
      std::error_code ec;
      if (!folder.empty()) std::filesystem::remove_all(folder, ec);
    }
  };
  static Copies copies;
  if (copies.folder.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "marvane-programs-XXXXXX").string();
    if (!::mkdtemp(pattern.data()) || ::chmod(pattern.c_str(), 0755) != 0) std::abort();
    copies.folder = pattern;
  }
  auto& copy = copies.made[program];
  if (copy.empty()) {
    const auto target = copies.folder / std::filesystem::path(program).filename();
    std::filesystem::copy_file(program, target, std::filesystem::copy_options::overwrite_existing);
    ::chmod(target.c_str(), 0755);
    copy = target.string();
  }
  return copy;
}

// Runs `work` in a forked copy of this process. Its text result comes back as the
// report; the peak is measured inside the child, from its own high-water mark before
// and after the work, so what the test program held before does not count.
inline ChildRun RunInChild(const std::function<std::string()>& work, bool asOrdinaryUser = false) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) std::abort();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    if (asOrdinaryUser) BecomeOrdinaryUser();
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    const std::string report = work();
    ::getrusage(RUSAGE_SELF, &after);
    const std::string message = std::to_string(after.ru_maxrss - before.ru_maxrss) + "\n" + report;
    size_t sent = 0;
    while (sent < message.size()) {
      const ssize_t n = ::write(pipeFds[1], message.data() + sent, message.size() - sent);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  const std::string message = ReadAll(pipeFds[0]);
  ::close(pipeFds[0]);
  ChildRun run;
  WaitFor(pid, run, nullptr);
  const size_t newline = message.find('\n');
  if (newline != std::string::npos) {
    run.peakKilobytes = std::strtol(message.substr(0, newline).c_str(), nullptr, 10);
    run.report = message.substr(newline + 1);
  }
  return run;
}

// Runs `program` with `args` in `folder`, stdin empty and stdout dropped, through the
// peak-memory runner; the report is what it printed on stderr, the peak its own peak
// resident memory.
inline ChildRun RunProgram(const std::string& programPath, const std::vector<std::string>& args,
                           const std::string& folder, bool asOrdinaryUser = false) {
  const std::string program = asOrdinaryUser ? ReachableByOrdinaryUser(programPath) : programPath;
  const std::string runner =
      asOrdinaryUser ? ReachableByOrdinaryUser(MARVANE_PEAK_MEMORY_RUNNER) : MARVANE_PEAK_MEMORY_RUNNER;
  int errFds[2], peakFds[2];
  if (::pipe(errFds) != 0 || ::pipe(peakFds) != 0) std::abort();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(errFds[0]);
    ::close(peakFds[0]);
    const int nul = ::open("/dev/null", O_RDWR);
    ::dup2(nul, 0);
    ::dup2(nul, 1);
    ::dup2(errFds[1], 2);
    ::dup2(peakFds[1], 3);
    if (asOrdinaryUser) BecomeOrdinaryUser();
    if (::chdir(folder.c_str()) != 0) ::_exit(122);
    std::vector<char*> argv{const_cast<char*>(runner.c_str()), const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(runner.c_str(), argv.data());
    ::_exit(123);
  }
  ::close(errFds[1]);
  ::close(peakFds[1]);
  ChildRun run;
  run.report = ReadAll(errFds[0]);
  ::close(errFds[0]);
  const std::string peak = ReadAll(peakFds[0]);
  ::close(peakFds[0]);
  WaitFor(pid, run, nullptr);
  run.peakKilobytes = peak.empty() ? -1 : std::strtol(peak.c_str(), nullptr, 10);
  // The runner ends as the program ended; 128 and up means a signal.
  if (run.exited && run.status > 128) {
    run.signal = run.status - 128;
    run.exited = false;
  }
  return run;
}

}  // namespace marvane::testing
