#include "platform/config_location.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/temp_folder.h"

namespace marvane {
namespace {

using testing::ScopedEnv;

// An absolute XDG_CONFIG_HOME comes first; otherwise the .config folder in the home
// folder serves. A relative value would depend on the current folder, which the file
// dialogs move.
TEST(SettingsFilePath, AnAbsoluteXdgConfigHomeElseTheHomeConfigFolder) {
  const struct {
    const char* home;
    std::optional<std::string> xdg;
    const char* path;
  } cases[] = {{"/home/someone", "/var/cfg", "/var/cfg/Tesklet.INI"},
               {"/home/someone", "/var/cfg//", "/var/cfg/Tesklet.INI"},
               {"/home/someone/", std::nullopt, "/home/someone/.config/Tesklet.INI"},
               {"/home/someone/", "", "/home/someone/.config/Tesklet.INI"},
               {"/home/someone/", "cfg", "/home/someone/.config/Tesklet.INI"},
               {"/", std::nullopt, "/.config/Tesklet.INI"}};
  for (const auto& c : cases) {
    ScopedEnv home("HOME", c.home);
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(SettingsFilePath(), c.path) << c.home << " " << c.xdg.value_or("(unset)");
  }
}

}  // namespace
}  // namespace marvane
