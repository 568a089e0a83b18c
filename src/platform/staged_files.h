#pragma once
// The renderer's files are all written or none is: each file is written complete under
// a private name beside its target (OutputFile), and only when every one of them is
// complete are they put in place. Whatever is left uncommitted is removed. A pipe or
// device among the targets gets its bytes as soon as they are made: a stream cannot be
// held back.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/output_file.h"

namespace marvane {

class StagedFiles {
 public:
  StagedFiles() = default;
  ~StagedFiles();
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  // Keeps a finished file (WritePictureFile, WriteWebPAnimationFile) until Commit. May be
  // called from several threads at once.
  void Add(std::unique_ptr<OutputFile> file);
  // Makes a folder that a staged file goes into, remembering it so that it is removed
  // again when nothing is committed. An existing folder is left as it is.
  void MakeFolder(const std::string& path);
  // Puts every staged file in place. Raises RunTimeError on a failure.
  void Commit();

 private:
  std::vector<std::unique_ptr<OutputFile>> staged_;
  std::vector<std::string> madeFolders_;
  std::mutex mutex_;  // guards staged_
  bool committed_ = false;
};

}  // namespace marvane
