// The desktop program: start-up in the current folder, then the console's events until
// the console closes.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "gui/desktop.h"
#include "gui/file_dialogs.h"
#include "gui/qt_ui.h"
#include "platform/config_location.h"
#include "version.h"

namespace {

// The manual page is made from this text, so it says everything a user needs to start.
constexpr const char* kHelp =
    "Usage: marvane [QT-OPTIONS]\n"
    "Turns one small picture, the tile, into a large spiral picture: the desktop program,\n"
    "with its console of settings, preview and final picture windows.\n"
    "\n"
    "It works in the folder it is started in, the start folder: it reads TileGrid.bmp and\n"
    "HelpTxt.txt there, takes tiles from Tiles/ and writes pictures into Output/. The\n"
    "launcher marvane-start prepares that folder and starts the program in it; the\n"
    "headless renderer marvane-render makes the same pictures without a window.\n"
    "\n"
    "Options:\n"
    "  -h, --help       Print this help and exit\n"
    "      --version    Print the version and exit\n"
    "\n"
    "Any other option goes to Qt, as -platform NAME or -display DISPLAY.\n"
    "\n"
    "Files:\n"
    "  ~/.config/Tesklet.INI  The settings, written when the console closes (in\n"
    "                         $XDG_CONFIG_HOME instead, when that is set)\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before Qt starts, so they need no display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("marvane %s\n", marvane::kMarvaneVersion);
      return 0;
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(marvane::kProgramTitle);
  QApplication::setApplicationVersion(marvane::kMarvaneVersion);
  // The program ends when its console closes, not when its last window goes out of
  // sight: the work surfaces come and go while a job runs.
  QApplication::setQuitOnLastWindowClosed(false);

  std::error_code ec;
  const std::string startFolder = std::filesystem::current_path(ec).string();

  marvane::QtUi ui;
  marvane::QtFileDialogs dialogs;
  marvane::Desktop desktop(ui, dialogs);
  desktop.Start(startFolder, marvane::SettingsFilePath());
  return app.exec();
}
