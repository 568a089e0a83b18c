#include "gui_run.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include "gui/console_form.h"
#include "gui/progress_form.h"
#include "platform/config_location.h"
#include "platform/picture_files.h"
#include "run/app_state.h"

namespace marvane::guitest {

Picture PatternPicture(int32_t width, int32_t height, int32_t seed) {
  Picture p(width, height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const int32_t r = (x * 7 + seed * 31) & 0xFF;
      const int32_t g = (y * 5 + seed * 17) & 0xFF;
      const int32_t b = ((x + y) * 3 + seed * 13) & 0xFF;
      p.PSet(x, y, r | (g << 8) | (b << 16));
    }
  return p;
}

GuiRun::GuiRun() : configEnv_("XDG_CONFIG_HOME", config_.Path()) {}

GuiRun::~GuiRun() { desktop_.reset(); }

std::string GuiRun::IniPath() const { return SettingsFilePath(); }

void GuiRun::WriteTileGrid(int32_t seed) {
  SavePictureFile(PatternPicture(kDesignBoardWidth, kDesignBoardHeight, seed), start_ / "TileGrid.bmp");
}

void GuiRun::WriteTile(const std::string& relativePath, int32_t width, int32_t height, int32_t seed) {
  const std::string path = start_ / relativePath;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  SavePictureFile(PatternPicture(width, height, seed), path);
}

void GuiRun::WriteHelp(const std::string& text) { testing::WriteFileBytes(start_ / "HelpTxt.txt", text); }

bool GuiRun::Start() {
  desktop_.reset();
  desktop_ = std::make_unique<Desktop>(ui, dialogs);
  desktop_->OverrideKickInterval(1);
  desktop_->SetProgramEnd([this] { ++programEnds; });
  return desktop_->Start(StartFolder(), IniPath());
}

QWidget& GuiRun::console() { return desktop_->Console(); }

bool GuiRun::ActivateConsole() {
  QWidget& window = console();
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  return QTest::qWaitForWindowActive(&window);
}

JobWatch::JobWatch(GuiRun& run) {
  connect(&run.desktop(), &Desktop::Ticked, this, [this, &run] {
    TickRecord record;
    record.jobState = run.state().JobState;
    if (ProgressForm* progress = run.desktop().Progress()) {
      record.label = progress->findChild<QLabel*>("LabelInfo")->text();
      record.bar = progress->findChild<QProgressBar*>("StageProgress")->value();
      record.progressVisible = progress->isVisible();
    }
    record.consoleVisible = run.console().isVisible();
    record.finalImageVisible = run.desktop().Window(Form::FinalImage).isVisible();
    ticks.push_back(record);
    if (onTick) onTick(record);
  });
}

QStringList JobWatch::Labels() const {
  QStringList labels;
  for (const auto& t : ticks)
    if (!t.label.isEmpty() && (labels.isEmpty() || labels.back() != t.label)) labels << t.label;
  return labels;
}

QStringList MessageLines(const RecordingUi& ui) {
  QStringList lines;
  for (const auto& m : ui.Messages())
    lines << QString::fromStdString(m.title) + ": " + QString::fromStdString(m.text);
  return lines;
}

}  // namespace marvane::guitest
