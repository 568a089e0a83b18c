#pragma once
// Where the files the program ships live: the splash picture, the icon, and the default
// tile, help text and tile grid that a fresh start folder is given. A build tree keeps
// them in "share" beside the programs; an installed program in "../share/marvane"
// beside its own folder, wherever it was installed to.
#include <string>
#include <vector>

namespace marvane {

// The folders looked in, best first, each without a trailing "/": "share" and
// "../share/marvane" beside the running program, then the folder the program was built
// to be installed in, then the build tree's own "share" (so a program run from a copy
// elsewhere still finds them). Folders that do not exist are left out.
std::vector<std::string> ShareFolders();

// The path of the shipped file `name` (for example "splash.bmp" or "Tiles/Basic.bmp")
// in the first of ShareFolders() that has it, or the empty string when none has it.
std::string FindShareFile(const std::string& name);

}  // namespace marvane
