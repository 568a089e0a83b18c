// What stands at an output name decides how a picture reaches it: a file is replaced
// whole, a link is written through, a pipe, socket or device gets a stream, and a folder or a
// block device is refused. The same names are saved by the renderer and by the
// desktop's SaveFinal.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "cli/render_fixture.h"
#include "console/output_files.h"
#include "platform/ui.h"

namespace marvane::testing {
namespace {

std::string KindOf(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return "missing";
  if (S_ISLNK(st.st_mode)) return "link";
  if (S_ISREG(st.st_mode)) return "file";
  if (S_ISFIFO(st.st_mode)) return "pipe";
  if (S_ISSOCK(st.st_mode)) return "socket";
  if (S_ISCHR(st.st_mode)) return "char device";
  if (S_ISBLK(st.st_mode)) return "block device";
  return S_ISDIR(st.st_mode) ? "folder" : "other";
}

// A device node in the temporary folder with the numbers of /dev/null (1,3), /dev/full
// (1,7) or the first loop disk (block 7,0); false where this system forbids making or
// opening one (no CAP_MKNOD, a folder mounted nodev).
bool MakeDevice(const std::string& path, mode_t type, unsigned minor) {
  if (::mknod(path.c_str(), type | 0666, type == S_IFBLK ? makedev(7, 0) : makedev(1, minor)) != 0) return false;
  if (type == S_IFBLK) return true;  // never opened
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd >= 0) ::close(fd);
  return fd >= 0;
}

// Points descriptor `fd` of this process at `path` while it lives.
class Redirect {
 public:
  Redirect(int fd, const std::string& path, int flags) : fd_(fd), saved_(::dup(fd)) {
    const int file = ::open(path.c_str(), flags, 0644);
    ::dup2(file, fd);
    ::close(file);
  }
  ~Redirect() {
    ::dup2(saved_, fd_);
    ::close(saved_);
  }

 private:
  int fd_, saved_;
};

// A socket listening at `path`, as a program downstream would have it.
int Listen(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0) return -1;
  return fd;
}

// Reads a named pipe, or one connection to a listening socket, to its end on another
// thread, as a program downstream would.
class PipeReader {
 public:
  explicit PipeReader(const std::string& path)
      : thread_([this, path] { bytes_ = ReadFileBytes(path); }) {}
  explicit PipeReader(int listening)
      : thread_([this, listening] {
          const int fd = ::accept(listening, nullptr, nullptr);
          char buffer[4096];
          for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes_.append(buffer, static_cast<size_t>(n));
          ::close(fd);
        }) {}
  std::string Bytes() {
    thread_.join();
    return bytes_;
  }

 private:
  std::string bytes_;
  std::thread thread_;
};

class OutputKindsTest : public RenderTest {
 protected:
  static constexpr const char* kValues = "--board 64x48 --seed 1 --tile-color 90,140,200 -q";
  std::pair<int, std::string> RenderTo(const std::string& name, const std::string& more = "") {
    return Render(std::string(kValues) + " --tile tile.bmp -o " + name + more);
  }
};

TEST_F(OutputKindsTest, EachKindOfNameIsWrittenAsItsKindAsksAndKeepsItsKind) {
  Tile(40, 40);
  ASSERT_EQ(RenderTo("reference.bmp").first, 0);
  const std::string picture = ReadFileBytes("reference.bmp");
  std::filesystem::create_directories("real");
  std::filesystem::create_directory("folder.bmp");
  const bool devices = MakeDevice("null.bmp", S_IFCHR, 3) && MakeDevice("full.bmp", S_IFCHR, 7) &&
                       MakeDevice("disk.bmp", S_IFBLK, 0);
  using Setup = std::function<void(const std::string&)>;
  int listening = -1;
  const auto linkTo = [](const std::string& target) {
    return [target](const std::string& name) { std::filesystem::create_symlink(target, name); };
  };
  const struct {
    const char* what;
    std::string name;
    Setup setup;
    int status;              // the renderer's
    const char* after;       // what the name is afterwards
    std::string written;     // where the picture is then ("" nowhere, "pipe" or "socket" read from it)
    const char* message;     // how the renderer's error ends
  } cases[] = {
      {"a regular file", "old.bmp", [](auto& n) { WriteFileBytes(n, "old"); }, 0, "file", "old.bmp", ""},
      {"a missing name", "new.bmp", nullptr, 0, "file", "new.bmp", ""},
      {"a chain of links", "link.bmp",
       [](auto& n) {
         WriteFileBytes("real/target.bmp", "old");
         std::filesystem::create_symlink("real/hop.bmp", n);
         std::filesystem::create_symlink("target.bmp", "real/hop.bmp");  // relative to its own folder
       },
       0, "link", "real/target.bmp", ""},
      {"a dangling link", "dangling.bmp", linkTo("real/new.bmp"), 0, "link", "real/new.bmp", ""},
      {"a dangling link into no folder", "nowhere.bmp", linkTo("gone/new.bmp"), 1, "link", "",
       "the folder \"./gone\" does not exist."},
      {"a loop of links", "loop.bmp",
       [](auto& n) {
         std::filesystem::create_symlink("loop2.bmp", n);
         std::filesystem::create_symlink(n, "loop2.bmp");
       },
       1, "link", "", "(Too many levels of symbolic links)."},
      {"a named pipe", "pipe.bmp", [](auto& n) { ASSERT_EQ(::mkfifo(n.c_str(), 0600), 0); }, 0, "pipe", "pipe", ""},
      {"a listening socket", "socket.bmp", [&listening](auto& n) { ASSERT_GE(listening = Listen(n), 0); }, 0, "socket",
       "socket", ""},
      {"a folder", "folder.bmp", nullptr, 1, "folder", "", "it is a folder."},
      {"a device", "null.bmp", nullptr, 0, "char device", "", ""},
      {"a full device", "full.bmp", nullptr, 1, "char device", "", "writing it failed (No space left on device)."},
      {"a block device", "disk.bmp", nullptr, 1, "block device", "", "character devices only."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!devices && std::string_view(c.after).ends_with("device")) continue;
    if (c.setup) c.setup(c.name);
    // The renderer, then the desktop's save of the same picture under the same name.
    for (const bool desktop : {false, true}) {
      const bool stream = c.written == "pipe" || c.written == "socket";
      if (desktop && !stream && !c.written.empty()) WriteFileBytes(c.written, "old");
      std::optional<PipeReader> reader;
      if (c.written == "pipe") reader.emplace(c.name);
      if (c.written == "socket") reader.emplace(listening);
      int status = 0;
      std::string err;
      if (desktop) {
        RecordingUi ui;
        SettingsMirror mirror;
        mirror.SaveFileName = c.name;
        SaveFinal(ui, mirror, 4, LoadPictureFile("reference.bmp", 0), Picture());
        status = ui.Messages().empty() ? 0 : 1;
        if (status != 0) err = ui.Messages().front().text;
      } else {
        std::tie(status, err) = RenderTo(c.name);
      }
      EXPECT_EQ(status, c.status) << desktop << " " << err;
      EXPECT_TRUE(err.ends_with(std::string(c.message) + (desktop || err.empty() ? "" : "\n"))) << err;
      EXPECT_EQ(KindOf(c.name), c.after) << desktop;
      if (!c.written.empty()) {
        EXPECT_EQ(reader ? reader->Bytes() : ReadFileBytes(c.written), picture) << desktop;
      }
    }
  }
  ::close(listening);
  // Nothing was left beside any target, and the block device was never touched.
  for (const auto& folder : {".", "real"})
    EXPECT_EQ(FolderListing(folder).find(".marvane-part-"), std::string::npos) << FolderListing(folder);
}

TEST_F(OutputKindsTest, StandardInputAndOutputCarryTheTileAndThePicture) {
  Tile(40, 40);
  ASSERT_EQ(RenderTo("reference.png").first, 0);
  std::pair<int, std::string> result;
  {
    const Redirect in(STDIN_FILENO, "tile.bmp", O_RDONLY);
    const Redirect out(STDOUT_FILENO, "captured", O_WRONLY | O_CREAT | O_TRUNC);
    result = Render(std::string(kValues) + " --tile - -o -");
  }
  EXPECT_EQ(result, std::make_pair(0, std::string()));
  EXPECT_EQ(ReadFileBytes("captured"), ReadFileBytes("reference.png"));  // PNG unless --format says otherwise
  // /dev/stdout is the descriptor, shared: bytes follow what was already written there.
  {
    const Redirect out(STDOUT_FILENO, "appended", O_WRONLY | O_CREAT | O_TRUNC);
    ASSERT_EQ(::write(STDOUT_FILENO, "head", 4), 4);
    result = RenderTo("/dev/stdout", " --format png");
  }
  EXPECT_EQ(result.first, 0) << result.second;
  EXPECT_EQ(ReadFileBytes("appended"), "head" + ReadFileBytes("reference.png"));
  EXPECT_EQ(KindOf("/dev/stdout"), "link");
}

}  // namespace
}  // namespace marvane::testing
