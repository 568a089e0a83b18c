#pragma once
// Where the settings file lives: in the user's own configuration folder, so that each
// user keeps their own settings and the file never sits beside the program.
#include <string>

namespace marvane {

inline constexpr const char* kSettingsFileName = "Tesklet.INI";

// "$XDG_CONFIG_HOME/Tesklet.INI" when XDG_CONFIG_HOME holds an absolute path, else
// "<home>/.config/Tesklet.INI", the home folder taken from HOME or, when that is empty,
// from the user database. With no home folder at all the file is looked for in the
// current folder. The folder itself may not exist yet: saving creates it.
std::string SettingsFilePath();

}  // namespace marvane
