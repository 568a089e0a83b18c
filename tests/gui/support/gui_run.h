#pragma once
// One start of the desktop program per test, in a start folder made of the shipped files
// (as the launcher prepares it) and a configuration folder of its own: a Ui that records,
// file dialogs answered by a script, ticks every millisecond, and the program's end
// counted instead of quitting. The desktop's tests are the slots of one QtTest program.
#include <QtTest>
#include <QtWidgets>
#include <deque>

#include "gui/desktop.h"
#include "gui/file_dialogs.h"
#include "gui/progress_form.h"
#include "platform/config_location.h"
#include "platform/ui.h"
#include "support/temp_folder.h"

namespace marvane::guitest {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
// A file the build made under share/, read by Qt and not by the program.
inline QImage Shipped(const char* name) {
  return QImage(QString(MARVANE_BUILD_SHARE_DIR "/") + name).convertToFormat(QImage::Format_RGB32);
}

// What a console control holds, as the user reads it.
inline QString Shown(QWidget* w) {
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* s = qobject_cast<QSlider*>(w)) return QString("%1 in %2..%3").arg(s->value()).arg(s->minimum()).arg(s->maximum());
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text() + (b->isChecked() ? " [x]" : "");
  auto* l = qobject_cast<QListWidget*>(w);
  return QString("%1 of %2|%3|%4").arg(l->currentRow()).arg(l->item(0)->text(), l->item(1)->text(), l->item(2)->text());
}

struct ScriptedFileDialogs : FileDialogs {  // answers in order; nullopt or none left: cancelled
  std::optional<std::string> Ask(const FileDialogRequest& request) override {
    requests.push_back(request);
    const std::optional<std::string> answer = answers.empty() ? std::nullopt : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<FileDialogRequest> requests;
};

struct GuiRun {
  GuiRun() {
    std::filesystem::create_directories(start / "Tiles");
    for (const char* name : {"Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
      std::filesystem::copy_file(std::string(MARVANE_BUILD_SHARE_DIR "/") + name, start / name);
  }
  std::string operator/(const std::string& name) const { return start / name; }
  bool Start() {  // a fresh Desktop, as a second start in the same folder finds things
    desktop.reset();
    desktop = std::make_unique<Desktop>(ui, dialogs);
    desktop->OverrideKickInterval(1);
    desktop->SetProgramEnd([this] { ++programEnds; });
    return desktop->Start(start.Path(), SettingsFilePath());
  }
  AppState& state() { return desktop->State(); }
  QWidget& console() { return desktop->Window(Form::Console); }
  template <typename T = QWidget>
  T* Control(const char* name) {
    if (T* control = console().findChild<T*>(name)) return control;
    qFatal("no console control named %s", name);
  }
  void Click(const char* name) { QTest::mouseClick(Control<QAbstractButton>(name), Qt::LeftButton); }
  void Type(const char* name, const QString& text) {  // over what the box held; it keeps the focus
    QTest::mouseClick(Control(name), Qt::LeftButton);
    QTest::keyClick(Control(name), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Control(name), text);
  }
  void ClickRow(int row) {
    auto* list = Control<QListWidget>("Turn45");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }
  bool ActivateConsole() {  // so that the focus moves as it would for a user
    console().show();
    QApplication::setActiveWindow(&console());
    return QTest::qWaitForWindowActive(&console());
  }
  QStringList Said() const {  // the beeps and message boxes so far
    QStringList said;
    for (const auto& e : ui.Events())
      if (e.kind != RecordingUi::Event::Kind::Pointer)
        said << (e.kind == RecordingUi::Event::Kind::Beep ? QString("beep") : Q(e.title + ": " + e.text));
    return said;
  }

  RecordingUi ui;
  ScriptedFileDialogs dialogs;
  int programEnds = 0;
  testing::TempFolder start, config;
  testing::ScopedEnv configEnv{"XDG_CONFIG_HOME", config.Path()};
  std::unique_ptr<Desktop> desktop;
};

// What the windows showed after each tick of a job; `onTick` may act in between.
struct Tick {
  QString label;  // the progress window's ("" once it is unloaded) and its bar, 0 to 1000
  int bar;
  bool modal, console, finalImage;
};
struct JobWatch : QObject {
  explicit JobWatch(GuiRun& run) {
    connect(run.desktop.get(), &Desktop::Ticked, this, [this, &run] {
      ProgressForm* progress = run.desktop->Progress();
      ticks.push_back({progress ? progress->findChild<QLabel*>("LabelInfo")->text() : "",
                       progress ? progress->findChild<QProgressBar*>()->value() : -1,
                       progress && progress->isVisible() && progress->isModal(), run.console().isVisible(),
                       run.desktop->Window(Form::FinalImage).isVisible()});
      if (onTick) onTick();
    });
  }
  QStringList Labels() const {  // each once, in order
    QStringList labels;
    for (const Tick& t : ticks)
      if (!t.label.isEmpty() && (labels.isEmpty() || labels.back() != t.label)) labels << t.label;
    return labels;
  }
  std::vector<Tick> ticks;
  std::function<void()> onTick;
};

class GuiTest : public QObject {
  Q_OBJECT
 private slots:
  void TheConsoleOpensOnTheShippedFilesBehindTheSplash();
  void AFailedStartUpLeavesTheWindowsMinimisedOrEndsTheProgram();
  void TypedValuesAreCheckedWhenTheBoxIsLeft();
  void TheHelpWindowListsShowsAndHighlightsTheTopics();
  void ANewTileIsSquaredAndLaidOutInOneJobOrRefused();
  void EveryWayOfClosingTheProgressWindowCancels();
  void TheFinalPictureIsTheRenderersAndTheNextStartKeepsItsValues();
  void TheMessageBoxThePointerAndTheFileDialogs();
  void TheFinalImageWindowShowsTheWholePicture();
};

}  // namespace marvane::guitest
