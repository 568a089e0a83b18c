#include "platform/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/run_time_error.h"

namespace marvane {

namespace {

// As many links as the system follows in one name before it calls the chain a loop.
constexpr int kMostLinks = 40;
// Bytes gathered before they are handed to the system: the picture writers give rows,
// often a few kilobytes each.
constexpr size_t kBufferBytes = size_t{256} << 10;

std::string SystemReason(int error) { return std::strerror(error); }

// The folder part of a name, as the system reads it ("." for a bare name).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process whose table of open descriptors `folder` is ("/proc/PID/fd" or
// "/proc/PID/task/TID/fd"), or -1 when it is none.
long TableOwner(std::string_view folder) {
  constexpr std::string_view kProc = "/proc/", kFd = "/fd";
  if (folder.substr(0, kProc.size()) != kProc || folder.size() < kProc.size() + kFd.size() ||
      folder.substr(folder.size() - kFd.size()) != kFd)
    return -1;
  std::string_view middle = folder.substr(kProc.size(), folder.size() - kProc.size() - kFd.size());
  const std::string_view pid = middle.substr(0, middle.find('/'));
  if (!AllDigits(pid)) return -1;
  middle.remove_prefix(pid.size());
  constexpr std::string_view kTask = "/task/";
  if (!middle.empty() && (middle.substr(0, kTask.size()) != kTask || !AllDigits(middle.substr(kTask.size()))))
    return -1;
  return std::stol(std::string(pid));
}

// A link inside a process's table of open descriptors (/proc/PID/fd/N, which
// /dev/stdout and /dev/fd/N lead to). Its target is no file name ("pipe:[1234]" and
// the like), and reopening it would not share the descriptor's position. Gives N for
// our own process's table, -1 for another's, and nothing for any other link.
std::optional<int> DescriptorOf(const std::string& link) {
  char folder[PATH_MAX];
  if (::realpath(FolderOf(link).c_str(), folder) == nullptr) return std::nullopt;
  const long owner = TableOwner(folder);
  if (owner < 0) return std::nullopt;
  const std::string name = BaseNameOf(link);
  return owner == ::getpid() && AllDigits(name) ? std::stoi(name) : -1;
}


int ConnectToSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

int WriteAll(int fd, const char* at, size_t count) {
  // A pipe whose reader has gone raises SIGPIPE, which would end the program without
  // a word and leave its other private files behind: the signal is held back on this
  // thread while we write, and one that was raised is taken off again.
  sigset_t pipe, old;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipe, &old);
  int error = 0;
  while (count > 0) {
    const ssize_t n = ::write(fd, at, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      break;
    }
    at += n;
    count -= static_cast<size_t>(n);
  }
  if (error == EPIPE) {
    const timespec now{0, 0};
    while (::sigtimedwait(&pipe, nullptr, &now) == SIGPIPE) {
    }
  }
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return error;
}

OutputPlace InspectOutput(const std::string& path) {
  OutputPlace place;
  place.path = path;
  if (path.empty()) {
    place.refusal = "no file name was given.";
    return place;
  }
  if (path.back() == '/') {
    place.refusal = "it is the name of a folder, not of a file.";
    return place;
  }
  for (int links = 0;; ++links) {
    struct stat st {};
    if (::lstat(place.path.c_str(), &st) != 0) {
      const int error = errno;
      struct stat folder {};
      if ((error == ENOENT || error == ENOTDIR) &&
          (::stat(FolderOf(place.path).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)))
        place.refusal = "the folder \"" + FolderOf(place.path) + "\" does not exist.";
      else if (error != ENOENT)
        place.refusal = "it cannot be looked at (" + SystemReason(error) + ").";
      return place;  // missing: a new file
    }
    if (S_ISLNK(st.st_mode)) {
      if (DescriptorOf(place.path)) {
        place.kind = OutputKind::Stream;
        return place;
      }
      if (links == kMostLinks) {
        place.refusal = "it is a symbolic link whose chain of links never ends (" + SystemReason(ELOOP) + ").";
        return place;
      }
      std::string target(PATH_MAX, '\0');
      const ssize_t n = ::readlink(place.path.c_str(), target.data(), target.size());
      if (n < 0) {
        place.refusal = "its link cannot be read (" + SystemReason(errno) + ").";
        return place;
      }
      target.resize(static_cast<size_t>(n));
      place.path = target.front() == '/' ? target : FolderOf(place.path) + "/" + target;
      continue;
    }
    if (S_ISREG(st.st_mode)) return place;
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode)) {
      place.kind = OutputKind::Stream;
      return place;
    }
    place.refusal = S_ISDIR(st.st_mode)
                        ? "it is a folder."
                        : "it is a block device; pictures are written to files, pipes and character devices only.";
    return place;
  }
}

std::string TemporaryNameFor(const std::string& target) {
  static std::atomic<unsigned> next{0};
  const std::string folder = FolderOf(target);
  return (folder == "/" ? "" : folder) + "/." + BaseNameOf(target) + ".marvane-part-" +
         std::to_string(::getpid()) + "-" + std::to_string(next++);
}

void RemoveLeftoverTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target);
  const std::string prefix = "." + BaseNameOf(target) + ".marvane-part-";
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    // ".NAME.marvane-part-PID-N": the writer's process must be gone.
    const std::string rest = name.substr(prefix.size());
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 9 || rest.find_first_not_of("0123456789-") != std::string::npos)
      continue;
    const pid_t pid = static_cast<pid_t>(std::stol(rest.substr(0, dash)));
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    std::error_code ignored;
    std::filesystem::remove(it->path(), ignored);
  }
}

OutputFile::OutputFile(const std::string& path, Message message) : message_(std::move(message)) {
  const OutputPlace place = InspectOutput(path);
  if (!place.refusal.empty()) throw RunTimeError(message_(place.refusal));
  kind_ = place.kind;
  target_ = place.path;
  if (kind_ == OutputKind::Stream) {
    const std::optional<int> descriptor = DescriptorOf(target_);
    if (descriptor && *descriptor >= 0) {
      fd_ = ::fcntl(*descriptor, F_DUPFD_CLOEXEC, 3);
    } else {
      fd_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (fd_ < 0 && errno == ENXIO) fd_ = ConnectToSocket(target_);
    }
    if (fd_ < 0) throw RunTimeError(message_("it cannot be opened for writing (" + SystemReason(errno) + ")."));
    return;
  }
  temporary_ = TemporaryNameFor(target_);
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    const int error = errno;
    temporary_.clear();
    throw RunTimeError(message_(error == EACCES || error == EPERM || error == EROFS
                                    ? "this program is not allowed to write in its folder."
                                    : "it cannot be created (" + SystemReason(error) + ")."));
  }
  // A file that is replaced keeps who may read and write it.
  struct stat old {};
  if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd_, old.st_mode & 07777);
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty() && !committed_) ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool OutputFile::Flush() {
  if (buffer_.empty()) return true;
  const int error = WriteAll(fd_, buffer_.data(), buffer_.size());
  buffer_.clear();
  if (error != 0) writeError_ = SystemReason(error);
  return error == 0;
}

bool OutputFile::Write(const void* bytes, size_t count) {
  if (fd_ < 0 || finished_) return false;
  if (!writeError_.empty()) return false;
  if (buffer_.size() + count > kBufferBytes) {
    if (!Flush()) return false;
    if (count >= kBufferBytes) {
      const int error = WriteAll(fd_, static_cast<const char*>(bytes), count);
      if (error != 0) writeError_ = SystemReason(error);
      return error == 0;
    }
  }
  buffer_.append(static_cast<const char*>(bytes), count);
  return true;
}

void OutputFile::Fail(const std::string& reason) {
  Discard();
  throw RunTimeError(message_(reason));
}

void OutputFile::FailWriting(const std::string& why) {
  Fail(kind_ == OutputKind::Stream
           ? "writing it failed (" + why + ")."
           : "writing it failed (" + why + "); a file of that name that was there before is unchanged.");
}

void OutputFile::Finish() {
  if (finished_) return;
  const auto failed = [this](const std::string& why) { FailWriting(why); };
  if (!writeError_.empty() || !Flush()) failed(writeError_);
  if (kind_ == OutputKind::File) {
    // On the disk before it takes the name: after a crash the name holds the old file
    // or the new one, never a cut one.
    if (::fdatasync(fd_) != 0) failed(SystemReason(errno));
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) failed(SystemReason(errno));
  } else {
    ::close(fd_);
    fd_ = -1;
  }
  finished_ = true;
}

void OutputFile::Commit() {
  Finish();
  if (committed_) return;
  if (kind_ == OutputKind::File && ::rename(temporary_.c_str(), target_.c_str()) != 0)
    Fail("it cannot be put in place (" + SystemReason(errno) + "); a file of that name that was there before is unchanged.");
  committed_ = true;
}

}  // namespace marvane
