#pragma once
// The renderer's files are all written or none is: each picture is first saved under
// a private name beside its target, and only when every one of them is complete are
// they renamed into place. Whatever is left uncommitted is removed.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/picture.h"

namespace marvane {

class StagedFiles {
 public:
  StagedFiles() = default;
  ~StagedFiles();
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // Saves `picture` beside `path` under a private name with the same ending (so the
  // same format: BMP, PNG or TIFF). Raises RunTimeError naming `path` when it cannot.
  void Stage(const Picture& picture, const std::string& path);
  // The same for any file: `write` saves it under the private name it is given. Stage
  // and StageWith may be called from several threads at once.
  void StageWith(const std::string& path, const std::function<void(const std::string&)>& write);
  // Makes a folder that a staged file goes into, remembering it so that it is removed
  // again when nothing is committed. An existing folder is left as it is.
  void MakeFolder(const std::string& path);
  // Renames every staged file into place. Raises RunTimeError on a failure.
  void Commit();

 private:
  std::vector<std::pair<std::string, std::string>> staged_;  // private name, target
  std::vector<std::string> madeFolders_;
  std::mutex mutex_;           // guards staged_
  std::atomic<size_t> names_{0};
  bool committed_ = false;
};

}  // namespace marvane
