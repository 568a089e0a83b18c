#include "console/output_files.h"

#include <filesystem>
#include <system_error>

#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "util/error_trap.h"

namespace marvane {

namespace {

void ChangeCurrentFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::current_path(folder, ec);
  if (ec)
    throw RunTimeError("The folder \"" + folder + "\" could not be made the current folder (" +
                       ec.message() + ").");
}

}  // namespace

bool IsGoodFileName(const std::string& path, int32_t attributes) {
  if (path.find('\0') != std::string::npos) return false;
  std::error_code ec;
  const auto status = std::filesystem::status(path.empty() ? std::string(".") : path, ec);
  if (ec || !std::filesystem::exists(status)) return false;
  if (std::filesystem::is_directory(status)) return (attributes & kDirectoryAttribute) != 0;
  return true;
}

void SaveFinal(Ui& ui, const SettingsMirror& mirror, int32_t scaleDivisor, const Picture& thumbnail,
               const Picture& finalImage) {
  WithErrorTrap(ui, "SaveFinal", [&] {
    const std::string& name = mirror.SaveFileName;
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash);
    if (!IsGoodFileName(folder, kDirectoryAttribute)) {
      ui.Beep();
      ui.ShowMessage(kInvalidFileNameText, "");
    } else if (scaleDivisor != 1) {
      SavePictureFile(thumbnail, name);
    } else {
      SaveFinalImageForm(ui, mirror, finalImage);
    }
  });
}

void SaveFinalImageForm(Ui& ui, const SettingsMirror& mirror, const Picture& finalImage) {
  WithErrorTrap(ui, "SaveFinalImageForm",
                [&] { SavePictureFile(finalImage, mirror.SaveFileName); });
}

void FinalActions(Ui& ui, SettingsMirror& mirror, const ConsoleModel& console,
                  const Picture& workspace1, const std::string& iniPath) {
  WithErrorTrap(ui, "FinalActions", [&] {
    SavePictureFile(workspace1, mirror.StartFolder + "/TileGrid.bmp");
    SaveSettings(mirror, console, iniPath);
    ChangeCurrentFolder(mirror.StartFolder);
  });
}

}  // namespace marvane
