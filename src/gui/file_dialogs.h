#pragma once
// The open and save dialogs of the console, behind a small seam so that a script can
// answer them in place of a person.
#include <optional>
#include <string>

namespace marvane {

struct FileDialogRequest {
  enum class Kind { Open, Save };
  Kind kind = Kind::Open;
  std::string title;          // the dialog's caption
  std::string filter;         // "Description (*.a *.b)", the one filter offered
  std::string initialName;    // the name the dialog starts with
  std::string defaultSuffix;  // added to a name typed without an extension
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen file's full path, or nothing when the dialog was cancelled. An open
  // dialog accepts only a file that exists; a save dialog asks before it lets an
  // existing file be chosen.
  virtual std::optional<std::string> Ask(const FileDialogRequest& request) = 0;
};

class QtFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> Ask(const FileDialogRequest& request) override;
};

}  // namespace marvane
