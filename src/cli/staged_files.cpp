#include "cli/staged_files.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/picture_files.h"
#include "platform/run_time_error.h"

namespace marvane {

namespace {

// The target's ending from its last "." in the file name part ("" when it has none),
// which decides the format SavePictureFile writes.
std::string Ending(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

}  // namespace

StagedFiles::~StagedFiles() {
  std::error_code ec;
  if (!committed_) {
    for (const auto& [temp, target] : staged_) std::filesystem::remove(temp, ec);
    for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it)
      std::filesystem::remove(*it, ec);  // only when empty
  }
}

void StagedFiles::Stage(const Picture& picture, const std::string& path) {
  StageWith(path, [&picture](const std::string& temp) { SavePictureFile(picture, temp); });
}

void StagedFiles::StageWith(const std::string& path, const std::function<void(const std::string&)>& write) {
  const std::filesystem::path target(path);
  const std::string temp =
      (target.parent_path() / ("." + target.filename().string() + ".marvane-render-" +
                               std::to_string(::getpid()) + "-" + std::to_string(names_++) +
                               Ending(path)))
          .string();
  try {
    write(temp);
  } catch (const RunTimeError& e) {
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    // The message names the private file; the user asked for `path`.
    std::string text = e.what();
    for (size_t at = text.find(temp); at != std::string::npos; at = text.find(temp, at + path.size()))
      text.replace(at, temp.size(), path);
    throw RunTimeError(text);
  }
  const std::lock_guard lock(mutex_);
  staged_.emplace_back(temp, path);
}

void StagedFiles::MakeFolder(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return;
  if (!std::filesystem::create_directory(path, ec) || ec)
    throw RunTimeError("The folder \"" + path + "\" cannot be made (" +
                       (ec ? ec.message() : std::string("it exists and is not a folder")) + ").");
  madeFolders_.push_back(path);
}

void StagedFiles::Commit() {
  for (const auto& [temp, target] : staged_) {
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec)
      throw RunTimeError("The file \"" + target + "\" cannot be written (" + ec.message() + ").");
  }
  committed_ = true;
}

}  // namespace marvane
