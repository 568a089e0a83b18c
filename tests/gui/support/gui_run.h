#pragma once
// The desktop's tests (one QtTest program) each start it in a folder of the shipped files and a
// config folder of their own; the Ui records, a timer answers file dialogs, ticks come every ms.
#include <QtTest>
#include <QtWidgets>

#include "gui/desktop.h"
#include "gui/file_dialogs.h"
#include "gui/progress_form.h"
#include "platform/config_location.h"
#include "platform/ui.h"
#include "support/temp_folder.h"

namespace marvane::guitest {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }
inline QImage Shipped(const char* name) { return Rgb(QImage(QString(MARVANE_BUILD_SHARE_DIR "/") + name)); }

struct GuiRun {
  GuiRun() {
    std::filesystem::create_directories(start / "Tiles");
    for (const char* name : {"Tiles/Basic.bmp", "HelpTxt.txt", "TileGrid.bmp"})
      std::filesystem::copy_file(std::string(MARVANE_BUILD_SHARE_DIR "/") + name, start / name);
  }
  std::string operator/(const std::string& name) const { return start / name; }
  bool Start() {  // a fresh Desktop, as a second start in the same folder finds things
    desktop = std::make_unique<Desktop>(ui, fileDialogs);
    desktop->OverrideKickInterval(1);
    desktop->SetProgramEnd([this] { ++programEnds; });
    return desktop->Start(start.Path(), SettingsFilePath());
  }
  bool ActivateConsole() {  // so that the focus moves as it would for a user
    console().activateWindow();
    QApplication::setActiveWindow(&console());
    return QTest::qWaitForWindowActive(&console());
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
  // Answers the next file dialog with `file` (nullopt: cancels it), noting how it was set up.
  void Answer(std::optional<std::string> file) {
    QTimer::singleShot(0, [this, file] {
      auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      asked << d->windowTitle() + " | " + d->nameFilters().join(';') + " | " + d->defaultSuffix() + " | " +
                   (d->fileMode() == QFileDialog::ExistingFile ? "an existing file in " : "any file in ") +
                   d->directory().path() + " | " + d->selectedFiles().value(0);
      if (file) d->selectFile(Q(*file));
      file ? static_cast<QDialog*>(d)->accept() : d->reject();
    });
  }
  QStringList Said() const {  // the beeps and message boxes so far
    QStringList said;
    for (const auto& e : ui.Events())
      if (e.kind != RecordingUi::Event::Kind::Pointer)
        said << (e.kind == RecordingUi::Event::Kind::Beep ? QString("beep") : Q(e.title + ": " + e.text));
    return said;
  }

  RecordingUi ui;
  QtFileDialogs fileDialogs;
  QStringList asked;
  int programEnds = 0;
  testing::TempFolder start, config;
  testing::ScopedEnv configEnv{"XDG_CONFIG_HOME", config.Path()};
  std::unique_ptr<Desktop> desktop;
};

struct JobWatch : QObject {
  explicit JobWatch(GuiRun& run) {
    connect(run.desktop.get(), &Desktop::Ticked, this, [this, &run] {
      ProgressForm* progress = run.desktop->Progress();
      ticks << (progress ? progress->findChild<QLabel*>("LabelInfo")->text() : "");
      if (!ticks.back().isEmpty() && !labels.contains(ticks.back())) labels << ticks.back();
      if (onTick) onTick(progress);
    });
  }
  QStringList ticks, labels;  // the progress window's label after each tick ("" once unloaded); each once
  std::function<void(ProgressForm*)> onTick;
};

class GuiTest : public QObject {
  Q_OBJECT
 private slots:
  void TheConsoleOpensOnTheShippedFilesBehindTheSplash();
  void TypedValuesAreCheckedWhenTheBoxIsLeft();
  void TheHelpWindowListsShowsAndHighlightsTheTopics();
  void JobsAreCancelledAndANewTileSquaredAndLaidOutOrRefused();
  void TheFinalPictureIsTheRenderersAndTheNextStartKeepsItsValues();
  void TheFinalImageWindowShowsTheWholePicture();
  void TheLivePreviewFollowsTheConsoleWithTheSmallPicturesBytes();
  void TheLoopDialogMakesTheRenderersWebPAndCancelWritesNothing();
};

}  // namespace marvane::guitest
