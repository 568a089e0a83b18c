#include "platform/config_location.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace marvane {
namespace {

using testing::ScopedEnv;

TEST(SettingsFilePath, XdgConfigHomeComesFirst) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/var/cfg");
    EXPECT_EQ(SettingsFilePath(), "/var/cfg/Tesklet.INI");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/var/cfg//");
    EXPECT_EQ(SettingsFilePath(), "/var/cfg/Tesklet.INI");
  }
}

TEST(SettingsFilePath, WithoutAnAbsoluteXdgConfigHomeTheHomeConfigFolderServes) {
  ScopedEnv home("HOME", "/home/someone/");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/Tesklet.INI");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "");
    EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/Tesklet.INI");
  }
  {
    // A relative value would depend on the current folder, which the file dialogs move.
    ScopedEnv xdg("XDG_CONFIG_HOME", "cfg");
    EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/Tesklet.INI");
  }
}

TEST(SettingsFilePath, RootAsHomeGivesNoDoubleSlash) {
  ScopedEnv home("HOME", "/");
  ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(SettingsFilePath(), "/.config/Tesklet.INI");
}

}  // namespace
}  // namespace marvane
