#pragma once
// Writing the program's pictures: the output picture at the end of a final-image run,
// and the tile grid and the settings when the console closes. The pictures and the
// state come in as arguments; what the user sees goes through the Ui seam.
#include <cstdint>
#include <string>

#include "console/console_model.h"
#include "console/settings.h"
#include "platform/picture.h"
#include "platform/ui.h"

namespace marvane {

// The directory-lookup attribute bit that lets folders answer as well as files.
inline constexpr int32_t kDirectoryAttribute = 16;

inline constexpr const char* kInvalidFileNameText =
    "The given filename is invalid; file was not saved.";

// Whether `path` names something that exists: a file, or with kDirectoryAttribute in
// `attributes` a folder too (other attribute bits change nothing here). The name is
// taken as it is: "*" and "?" are ordinary characters in a file name, not patterns.
// An empty path names the current folder. A path the system cannot look up (too long,
// holding a NUL, behind a folder we may not enter) gives False, with no message.
bool IsGoodFileName(const std::string& path, int32_t attributes);

// Saves the output picture under mirror.SaveFileName: the small picture `thumbnail`
// when `scaleDivisor` is not 1, else the full-size `finalImage` through
// SaveFinalImageForm. When the folder part of the name (everything before its last
// "/") does not exist, it beeps, says kInvalidFileNameText under the program's own
// title and writes nothing. A failure to write is shown titled "SaveFinal".
void SaveFinal(Ui& ui, const SettingsMirror& mirror, int32_t scaleDivisor, const Picture& thumbnail,
               const Picture& finalImage);

// Saves the full-size picture under mirror.SaveFileName; a failure is shown titled
// "SaveFinalImageForm".
void SaveFinalImageForm(Ui& ui, const SettingsMirror& mirror, const Picture& finalImage);

// The work done when the console closes: saves `workspace1` (the tile grid) as
// "TileGrid.bmp" in the start folder, then the settings into `iniPath`, then makes the
// start folder the current folder again, as the file dialogs may have moved it. The
// first failure is shown titled "FinalActions" and the steps after it are skipped: a
// tile grid that cannot be saved means the settings are not written either.
void FinalActions(Ui& ui, SettingsMirror& mirror, const ConsoleModel& console,
                  const Picture& workspace1, const std::string& iniPath);

}  // namespace marvane
