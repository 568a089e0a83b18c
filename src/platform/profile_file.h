#pragma once
// The settings file's format: a private-profile ("INI") file. A section starts with a
// line holding its name in square brackets; each key is a line "key=value".
//
// Reading:
//   - section and key names match without regard to ASCII letter case or to blanks
//     (spaces, tabs) around them, so "[ numbers ]" and " FadeWidth = 60 " are found as
//     "Numbers" and "FadeWidth";
//   - only the first section of a name counts, and in it the first key of a name; a key
//     under another section, or before any section, is not found;
//   - the value is the text after the first "=", ending at the first NUL byte, with the
//     blanks around it removed and one pair of matching quotes (" or ') around the
//     whole of it taken away; it keeps at most kProfileValueMaxLength bytes, cut back
//     to the start of a UTF-8 character that the limit would split;
//   - a missing file, section or key gives the caller's default text (cut the same
//     way); a key that is present with an empty value gives "";
//   - lines starting with ";" or "#", blank lines, and lines that are neither a
//     section nor a key are never matched.
//
// Writing changes one line, or adds one, and keeps every other byte of the file:
//   - an existing key's line becomes "key=value" (the caller's spelling of the key),
//     keeping that line's own line ending;
//   - a new key goes right after the last key of its section (after the section's
//     line when it has none);
//   - a new section goes at the end of the file, after a blank line when the file
//     does not already end with one;
//   - new lines take the file's own line ending (that of its first line; "\n" for a
//     new file), so a file edited on another system stays consistent;
//   - a value is one line: anything from its first CR, LF or NUL on is not written.
//
// Files are read whole, and only regular files up to kProfileFileMaxBytes are read: a
// device, a pipe or a giant file is never waited on or loaded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marvane {

// The longest value a read gives back, in bytes.
inline constexpr size_t kProfileValueMaxLength = 4094;
// Larger files are not settings files: reading them gives the defaults, and writing
// into them is refused rather than discarding what could not be read.
inline constexpr std::uintmax_t kProfileFileMaxBytes = 16u * 1024u * 1024u;

// A profile file held as its lines, for several look-ups or several changes at once.
// Changes made here give the same bytes as the same changes written one by one.
class ProfileFile {
 public:
  // The file as it is for reading: a file that is missing, not a regular file,
  // unreadable or too large reads as empty, so every look-up gives its default.
  static ProfileFile Read(const std::string& path);
  // The file as it is for changing it: a missing file is an empty document; one that
  // exists but cannot be read whole raises a RunTimeError, so that a save never
  // replaces what it could not read.
  static ProfileFile ReadForUpdate(const std::string& path);
  // The document that `text` holds.
  static ProfileFile FromText(std::string_view text);

  // The value of `key` in `section`, or `defaultText` when the key or section is missing.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultText) const;
  // Sets `key` in `section` to `value`, creating the section and the key if needed.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The document's bytes, as they would be saved.
  std::string Text() const;
  // Replaces the file at `path` with the document, atomically: the new text goes to a
  // temporary file in the same folder, which takes the file's place only when it is
  // complete. A missing folder is created first. Any failure raises a RunTimeError
  // with a plain message, and the old file stays as it was.
  void Save(const std::string& path) const;

 private:
  struct Line {
    std::string text;    // without its line ending
    std::string ending;  // "\n", "\r\n", or "" for a last line without one
  };
  // Where a section and a key stand; -1 when missing.
  struct Place {
    std::ptrdiff_t section = -1;  // the section's own line
    std::ptrdiff_t key = -1;      // the key's line
    std::ptrdiff_t lastKey = -1;  // the section's last key line
  };
  Place Locate(std::string_view section, std::string_view key) const;

  std::vector<Line> lines_;
  std::string newline_ = "\n";
};

// One look-up in the file at `path`: the value, or `defaultText` when the file, the
// section or the key is missing.
std::string GetProfileString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view defaultText);
// One change to the file at `path`, saved atomically; raises a RunTimeError when the
// file cannot be read whole or written, leaving it as it was.
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace marvane
