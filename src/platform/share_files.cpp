#include "platform/share_files.h"

#include <filesystem>
#include <system_error>

namespace marvane {

namespace {

namespace fs = std::filesystem;

// The build sets both; a compiler run by hand without them simply has two folders fewer.
#ifndef MARVANE_SHARE_DIR
#define MARVANE_SHARE_DIR ""
#endif
#ifndef MARVANE_BUILD_SHARE_DIR
#define MARVANE_BUILD_SHARE_DIR ""
#endif

fs::path ProgramFolder() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : self.parent_path();
}

}  // namespace

std::vector<std::string> ShareFolders() {
  std::vector<fs::path> candidates;
  const fs::path here = ProgramFolder();
  if (!here.empty()) {
    candidates.push_back(here / "share");
    candidates.push_back(here.parent_path() / "share" / "marvane");
  }
  for (const char* built : {MARVANE_SHARE_DIR, MARVANE_BUILD_SHARE_DIR})
    if (*built) candidates.emplace_back(built);

  std::vector<std::string> folders;
  for (const fs::path& candidate : candidates) {
    std::error_code ec;
    if (!fs::is_directory(candidate, ec)) continue;
    const std::string folder = fs::weakly_canonical(candidate, ec).string();
    if (!ec) folders.push_back(folder);
  }
  return folders;
}

std::string FindShareFile(const std::string& name) {
  for (const std::string& folder : ShareFolders()) {
    std::error_code ec;
    const fs::path path = fs::path(folder) / name;
    if (fs::is_regular_file(path, ec)) return path.string();
  }
  return {};
}

}  // namespace marvane
