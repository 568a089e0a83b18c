// The desktop program: start-up in the current folder, then the console's events until
// the console closes.
#include <QApplication>
#include <filesystem>
#include <system_error>

#include "gui/desktop.h"
#include "gui/file_dialogs.h"
#include "gui/qt_ui.h"
#include "platform/config_location.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(marvane::kProgramTitle);
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
