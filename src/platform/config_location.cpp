#include "platform/config_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace marvane {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir)
    home = found->pw_dir;
  return home;
}

// `folder` + "/" + `name`, without doubling a slash that the folder ends with.
std::string Join(std::string folder, const std::string& name) {
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder + "/" + name;
}

}  // namespace

std::string SettingsFilePath() {
  // The XDG rules say a relative XDG_CONFIG_HOME is to be ignored, not resolved.
  std::string folder = Environment("XDG_CONFIG_HOME");
  if (folder.empty() || folder.front() != '/') {
    const std::string home = HomeFolder();
    if (home.empty()) return kSettingsFileName;
    folder = Join(home, ".config");
  }
  return Join(folder, kSettingsFileName);
}

}  // namespace marvane
