#include "platform/staged_files.h"

#include <filesystem>
#include <system_error>

#include "platform/run_time_error.h"

namespace marvane {

StagedFiles::~StagedFiles() {
  if (committed_) return;
  staged_.clear();  // each removes its private file
  std::error_code ec;
  for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it)
    std::filesystem::remove(*it, ec);  // only when empty
}

void StagedFiles::Add(std::unique_ptr<OutputFile> file) {
  const std::lock_guard lock(mutex_);
  staged_.push_back(std::move(file));
}

void StagedFiles::MakeFolder(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return;
  const bool made = std::filesystem::create_directory(path, ec);
  // Several runs may share out one loop's frames and start together: another may have
  // made the folder since the look above, and then it is theirs.
  if (!made && !ec && std::filesystem::is_directory(path, ec)) return;
  if (!made || ec)
    throw RunTimeError("The folder \"" + path + "\" cannot be made (" +
                       (ec ? ec.message() : std::string("it exists and is not a folder")) + ").");
  madeFolders_.push_back(path);
}

void StagedFiles::Commit() {
  for (const auto& file : staged_) file->Commit();
  committed_ = true;
}

}  // namespace marvane
