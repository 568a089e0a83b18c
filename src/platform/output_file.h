#pragma once
// Every file the programs write goes through OutputFile, which decides from what stands
// at the name how the bytes get there:
//
// - A missing name or a regular file: the bytes go to a private file beside it, which
//   takes the name's place only once it is complete (written, flushed to the disk,
//   renamed over the name). A file is thus complete or absent, and the file that was
//   there before stays as it was until then; a regular file that is replaced keeps its
//   permission bits.
// - A symbolic link, or a chain of them: followed as the system follows it, and the
//   file at its end is written as above, so the link stays a link and its target gets
//   the new bytes. A dangling link gives its target's name to the new file, in its
//   target's folder. A chain that loops, or runs longer than the system allows, is
//   refused.
// - A pipe, a character device (/dev/null, a terminal) or a socket: the bytes are written
//   straight into it, as one stream; nothing is created, renamed or removed beside it.
//   A link into a process's table of open files (/dev/stdout, /dev/fd/N,
//   /proc/self/fd/N) names an open descriptor, not a file: it is written as a stream
//   too, our own descriptor shared rather than the file behind it reopened.
// - Anything else (a folder, a block device) is refused and left untouched.
//
// Failures raise RunTimeError with the text that the caller's `message` makes of the
// reason ("it is a folder", "writing it failed (No space left on device)").
#include <cstddef>
#include <functional>
#include <string>

namespace marvane {

// What stands at an output name.
enum class OutputKind {
  File,    // missing or a regular file, perhaps at the end of links: written whole, then renamed
  Stream,  // a pipe, character device, socket or open descriptor: written straight
};

// Where the bytes for a name will go, worked out without opening or creating anything.
struct OutputPlace {
  OutputKind kind = OutputKind::File;
  std::string path;    // the name at the end of any links (the name itself when there are none)
  std::string refusal; // why nothing may be written there; empty when it may
};

// Follows `path` as OutputFile will. Never blocks, creates or changes anything.
OutputPlace InspectOutput(const std::string& path);

class OutputFile {
 public:
  using Message = std::function<std::string(const std::string& reason)>;

  // Opens `path` for writing as described above. A pipe with no reader yet is waited
  // for, as any program writing into a named pipe waits.
  OutputFile(const std::string& path, Message message);
  // Whatever was not committed is removed (a stream is only closed).
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Adds bytes. False when they could not be written; Fail() then says why.
  bool Write(const void* bytes, size_t count);
  // Writes out what is buffered and, for a file, makes it durable and closes it; the
  // name is not touched yet. Raises on a failure (the private file is then removed).
  void Finish();
  // Finish() if it has not been, then puts the file in place of its name. Raises on a
  // failure, leaving the name as it was.
  void Commit();
  // Raises the message for `reason`, after giving up what was written.
  [[noreturn]] void Fail(const std::string& reason);
  // Fail() for bytes the system would not take, `why` in its words ("No space left on
  // device"): for a writer that writes the private file itself, in the words Finish() uses.
  [[noreturn]] void FailWriting(const std::string& why);
  // Why the last Write failed, in the system's words.
  const std::string& WriteError() const { return writeError_; }

  OutputKind Kind() const { return kind_; }
  // For another program that writes the bytes itself: the private file's name (a file,
  // written by name) and the open descriptor (a stream, written through it).
  const std::string& TemporaryPath() const { return temporary_; }
  int Descriptor() const { return fd_; }

 private:
  bool Flush();
  void Discard();

  Message message_;
  OutputKind kind_ = OutputKind::File;
  std::string target_;     // the name that gets the file (after links)
  std::string temporary_;  // the private file beside it, until it is committed
  int fd_ = -1;
  bool finished_ = false;
  bool committed_ = false;
  std::string buffer_;
  std::string writeError_;
};

// Writes all of `count` bytes to `fd`, through interruptions and short writes, with
// SIGPIPE held back; 0, or the system's error number (ENOSPC for a write of nothing).
int WriteAll(int fd, const char* at, size_t count);

// The private name of a file being written for `target`: hidden, in the same folder,
// and of a form no person's file has (".NAME.marvane-part-PID-N").
std::string TemporaryNameFor(const std::string& target);

// Removes the private files that writes of `target` by processes no longer running left
// behind (a program killed half-way through a save). Nothing else is touched.
void RemoveLeftoverTemporaries(const std::string& target);

}  // namespace marvane
