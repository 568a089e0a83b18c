#include "platform/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/output_file.h"
#include "platform/run_time_error.h"

namespace marvane {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// ASCII only: the answer must not depend on the user's locale.
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// The name of the section that `line` opens, if it opens one.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = TrimLeft(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return line.substr(1, close - 1);
}

struct KeyLine {
  std::string_view key;
  std::string_view value;  // raw: everything after the first "="
};

std::optional<KeyLine> KeyOf(std::string_view line) {
  line = TrimLeft(line);
  if (line.empty() || line.front() == ';' || line.front() == '#' || line.front() == '[')
    return std::nullopt;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return KeyLine{line.substr(0, eq), line.substr(eq + 1)};
}

// Cuts to the longest value a read gives back, without leaving half of a UTF-8
// character at the end.
std::string CutToMaxLength(std::string_view s) {
  if (s.size() <= kProfileValueMaxLength) return std::string(s);
  size_t cut = kProfileValueMaxLength;
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  size_t lead = cut;
  // Back over at most three continuation bytes: lead never comes near the text's start.
  static_assert(kProfileValueMaxLength > 3);
  while (cut - lead < 3 && (byte(lead) & 0xC0) == 0x80) --lead;
  if (lead < cut) {
    const unsigned char b = byte(lead);
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (lead + length > cut) cut = lead;
  }
  return std::string(s.substr(0, cut));
}

std::string ValueText(std::string_view raw) {
  const size_t nul = raw.find('\0');
  if (nul != std::string_view::npos) raw = raw.substr(0, nul);
  raw = Trim(raw);
  if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
    raw = raw.substr(1, raw.size() - 2);
  return CutToMaxLength(raw);
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

[[noreturn]] void RaiseNotRead(const std::string& path, const std::string& reason) {
  throw RunTimeError("Cannot save the settings file " + Quoted(path) +
                     ": what is there cannot be read whole (" + reason +
                     "), so it was left as it is.");
}

[[noreturn]] void RaiseNotWritten(const std::string& path, const std::string& reason) {
  throw RunTimeError("Cannot save the settings file " + Quoted(path) + ": writing it failed (" +
                     reason + "); a file of that name that was there before is unchanged.");
}

enum class Outcome { Read, Missing, Failed };

struct FileText {
  Outcome outcome = Outcome::Missing;
  std::string text;
  std::string reason;  // why it failed
};

// Reads a whole regular file without ever blocking on a pipe or a device, and without
// loading more than the size limit.
FileText ReadWholeFile(const std::string& path) {
  FileText result;
  if (path.empty() || path.find('\0') != std::string::npos) {
    result.outcome = Outcome::Failed;
    result.reason = "not a valid file name";
    return result;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    result.outcome = (error == ENOENT || error == ENOTDIR) ? Outcome::Missing : Outcome::Failed;
    result.reason = std::strerror(error);
    return result;
  }
  struct stat info {};
  result.outcome = Outcome::Failed;
  if (::fstat(fd, &info) != 0) {
    result.reason = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    result.reason = "not a regular file";
  } else if (static_cast<std::uintmax_t>(info.st_size) > kProfileFileMaxBytes) {
    result.reason = "larger than a settings file can be";
  } else {
    result.text.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    bool failed = false;
    // The file may grow while it is read: one byte beyond the limit is enough to know.
    for (;;) {
      if (done == result.text.size()) {
        if (result.text.size() > kProfileFileMaxBytes) break;
        result.text.resize(std::min<size_t>(result.text.size() + 65536, kProfileFileMaxBytes + 1));
      }
      const ssize_t n = ::read(fd, result.text.data() + done, result.text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        result.reason = std::strerror(errno);
        failed = true;
        break;
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    result.text.resize(done);
    if (!failed && done > kProfileFileMaxBytes) {
      result.reason = "larger than a settings file can be";
    } else if (!failed) {
      result.outcome = Outcome::Read;
    }
  }
  ::close(fd);
  if (result.outcome != Outcome::Read) result.text.clear();
  return result;
}

}  // namespace

ProfileFile ProfileFile::FromText(std::string_view text) {
  ProfileFile file;
  bool endingSeen = false;
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    Line line;
    if (lf == std::string_view::npos) {
      line.text = std::string(text);
      text = {};
    } else {
      const bool crlf = lf > 0 && text[lf - 1] == '\r';
      line.text = std::string(text.substr(0, crlf ? lf - 1 : lf));
      line.ending = crlf ? "\r\n" : "\n";
      text.remove_prefix(lf + 1);
      if (!endingSeen) file.newline_ = line.ending;
      endingSeen = true;
    }
    file.lines_.push_back(std::move(line));
  }
  return file;
}

ProfileFile ProfileFile::Read(const std::string& path) {
  const FileText file = ReadWholeFile(path);
  return FromText(file.outcome == Outcome::Read ? file.text : std::string());
}

ProfileFile ProfileFile::ReadForUpdate(const std::string& path) {
  const FileText file = ReadWholeFile(path);
  if (file.outcome == Outcome::Failed) RaiseNotRead(path, file.reason);
  return FromText(file.text);
}

ProfileFile::Place ProfileFile::Locate(std::string_view section, std::string_view key) const {
  Place place;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionOf(lines_[i].text);
    if (place.section >= 0) {
      if (name) break;
      const auto entry = KeyOf(lines_[i].text);
      if (!entry) continue;
      place.lastKey = static_cast<std::ptrdiff_t>(i);
      if (place.key < 0 && SameName(entry->key, key)) place.key = place.lastKey;
    } else if (name && SameName(*name, section)) {
      place.section = static_cast<std::ptrdiff_t>(i);
    }
  }
  return place;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultText) const {
  const Place place = Locate(section, key);
  if (place.key < 0) return CutToMaxLength(defaultText);
  return ValueText(KeyOf(lines_[static_cast<size_t>(place.key)].text)->value);
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
  std::string keyLine = std::string(key) + "=" + std::string(value);
  const Place place = Locate(section, key);
  if (place.key >= 0) {
    lines_[static_cast<size_t>(place.key)].text = std::move(keyLine);
    return;
  }
  if (place.section >= 0) {
    const size_t after = static_cast<size_t>(place.lastKey >= 0 ? place.lastKey : place.section);
    if (lines_[after].ending.empty()) lines_[after].ending = newline_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after) + 1,
                  Line{std::move(keyLine), newline_});
    return;
  }
  if (!lines_.empty()) {
    if (lines_.back().ending.empty()) lines_.back().ending = newline_;
    if (!Trim(lines_.back().text).empty()) lines_.push_back(Line{"", newline_});
  }
  lines_.push_back(Line{"[" + std::string(section) + "]", newline_});
  lines_.push_back(Line{std::move(keyLine), newline_});
}

std::string ProfileFile::Text() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += line.ending;
  }
  return text;
}

void ProfileFile::Save(const std::string& path) const {
  if (path.empty() || path.find('\0') != std::string::npos)
    RaiseNotWritten(path, "not a valid file name");
  // The per-user configuration folder may not exist yet on a fresh account. When it
  // cannot be made, the write below says why.
  std::error_code ignored;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ignored);

  // What a save that was killed half-way left beside the file goes first; only our own
  // private names are touched.
  RemoveLeftoverTemporaries(path);
  OutputFile file(path, [&path](const std::string& why) { return "Cannot save the settings file " + Quoted(path) + ": " + why; });
  const std::string text = Text();
  if (!file.Write(text.data(), text.size())) file.Finish();  // raises with the system's reason
  file.Commit();
}

std::string GetProfileString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view defaultText) {
  return ProfileFile::Read(path).GetString(section, key, defaultText);
}

void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  ProfileFile file = ProfileFile::ReadForUpdate(path);
  file.WriteString(section, key, value);
  file.Save(path);
}

}  // namespace marvane
