#include "gui/desktop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include "gui/console_form.h"
#include "gui/help_form.h"
#include "gui/loop_job.h"
#include "gui/preview_form.h"
#include "gui/progress_form.h"
#include "gui/splash.h"
#include "gui/work_surface_form.h"

namespace marvane {

Desktop::Desktop(Ui& ui, FileDialogs& dialogs)
    : ui_(ui),
      dialogs_(dialogs),
      pipeline_(state_, *this, ui_),
      // Queued, so that it also ends a program whose start-up failed before the event
      // loop began.
      programEnd_([] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); }) {}

Desktop::~Desktop() {
  // A loop still being made stops here, and writes nothing.
  delete loop_;
  delete preview_;
  delete help_;
  delete splash_;
  delete progress_;
  delete finalImage_;
  delete workspace3_;
  delete workspace1_;
  delete console_;
}

bool Desktop::Start(const std::string& startFolder, const std::string& iniPath) {
  iniPath_ = iniPath;
  const bool completed = Main(state_, ui_, *this, startFolder, iniPath);
  // The console shows whatever start-up got as far as filling in.
  ConsoleChanged();
  PicturesChanged();
  // Start-up that failed before it brought up any window leaves nothing to close.
  if (!console_ && !splash_) EndProgram();
  if (completed && state_.console.LivePreview) SetLivePreview(true);
  return completed;
}

std::string Desktop::HelpFilePath() const { return state_.settings.StartFolder + "/" + kHelpFileName; }

ConsoleForm& Desktop::Console() {
  if (!console_) console_ = new ConsoleForm(*this);
  return *console_;
}

WorkSurfaceForm& Desktop::Workspace1() {
  if (!workspace1_) workspace1_ = new WorkSurfaceForm("Workspace1Form", kWorkspace1Caption, state_.TileGrid);
  return *workspace1_;
}

WorkSurfaceForm& Desktop::Workspace3() {
  if (!workspace3_) workspace3_ = new WorkSurfaceForm("Workspace3Form", kWorkspace3Caption, state_.SquareCopy);
  return *workspace3_;
}

WorkSurfaceForm& Desktop::FinalImage() {
  if (!finalImage_) finalImage_ = new WorkSurfaceForm("FinalImageForm", kFinalImageCaption, state_.FinalImage);
  return *finalImage_;
}

HelpForm& Desktop::Help() {
  if (!help_) help_ = new HelpForm(ui_, HelpFilePath());
  return *help_;
}

ProgressForm* Desktop::Progress() const { return progress_; }

Splash* Desktop::SplashWindow() const { return splash_; }

ProgressForm& Desktop::LoadProgress() {
  if (!progress_) {
    progress_ = new ProgressForm;
    connect(progress_, &ProgressForm::Kick_Timer, this, &Desktop::Kick);
    connect(progress_, &ProgressForm::CancelRequested, this, &Desktop::CancelRequested);
  }
  return *progress_;
}

QWidget& Desktop::Window(Form form) {
  switch (form) {
    case Form::Console: return Console();
    case Form::Workspace1: return Workspace1();
    case Form::Workspace3: return Workspace3();
    case Form::FinalImage: return FinalImage();
    case Form::Progress: return LoadProgress();
  }
  return Console();
}

bool Desktop::Loaded(Form form) const {
  switch (form) {
    case Form::Console: return console_ != nullptr;
    case Form::Workspace1: return workspace1_ != nullptr;
    case Form::Workspace3: return workspace3_ != nullptr;
    case Form::FinalImage: return finalImage_ != nullptr;
    case Form::Progress: return progress_ != nullptr;
  }
  return false;
}

void Desktop::ShowHelp() {
  HelpForm& help = Help();
  help.show();
  help.raise();
  help.activateWindow();
}

PreviewForm* Desktop::Preview() const { return preview_; }

void Desktop::SetLivePreview(bool on) {
  state_.console.LivePreview = on;
  ConsoleChanged();
  if (!on) {
    if (preview_) {
      preview_->Stop();
      preview_->hide();
    }
    return;
  }
  if (!preview_) {
    preview_ = new PreviewForm(*this);
    connect(preview_, &PreviewForm::Closed, this, [this] { SetLivePreview(false); });
    // Beside the console, on its right where the screen has room, else on its left;
    // on a screen too small for either, in its top right corner, over the console's
    // pictures rather than its controls.
    if (console_) {
      const QRect console = console_->frameGeometry();
      const QScreen* screen = console_->screen() ? console_->screen() : QGuiApplication::primaryScreen();
      const QRect area = screen ? screen->availableGeometry() : QRect();
      const int width = preview_->frameGeometry().width();
      QPoint place(console.right() + 8, console.top());
      if (area.isValid() && place.x() + width > area.right() + 1) {
        place.setX(console.left() - 8 - width);
        if (place.x() < area.left()) place = QPoint(area.right() + 1 - width, area.top());
      }
      preview_->move(place);
    }
  }
  preview_->SetPaused(Progress() != nullptr);
  // Where the system gives a new window the focus anyway, the console takes it back.
  const bool consoleActive = console_ && console_->isActiveWindow();
  preview_->show();
  preview_->raise();
  if (consoleActive) console_->activateWindow();
  preview_->Request();
}

void Desktop::StartLoop(const LoopChoice& choice) {
  if (loop_) return;
  LoopSpec spec;
  spec.mode = choice.mode;
  spec.frames = choice.frames;
  spec.fps = choice.fps;
  spec.output = choice.file;
  loop_ = new LoopJob(ui_, MakeDesktopLoopRequest(state_, spec));
  connect(loop_, &LoopJob::Finished, this, [this] {
    if (loop_) loop_->deleteLater();
    loop_ = nullptr;
    ConsoleChanged();
  });
  ConsoleChanged();
}

LoopJob* Desktop::Loop() const { return loop_; }

LoopChoice& Desktop::LastLoopChoice() {
  if (!loopChoice_) {
    loopChoice_.emplace();
    loopChoice_->file = state_.settings.StartFolder + "/Output/Loop.webp";
  }
  return *loopChoice_;
}

void Desktop::PreviewValuesChanged() {
  if (preview_ && state_.console.LivePreview) preview_->Request();
}

void Desktop::EndProgram() {
  if (programEnd_) programEnd_();
}

void Desktop::ShowForm(Form form) {
  QWidget& window = Window(form);
  PicturesChanged();
  window.show();
  window.raise();
}

void Desktop::HideForm(Form form) { Window(form).hide(); }

void Desktop::SetFormVisible(Form form, bool visible) { Window(form).setVisible(visible); }

void Desktop::SetProgressLabel(const std::string& text) {
  LoadProgress().SetLabel(QString::fromStdString(text));
}

void Desktop::SetProgressFraction(double done) {
  if (progress_) progress_->SetFraction(done);
}

void Desktop::SetTimerInterval(int intervalMs) {
  if (intervalMs <= 0) {
    if (progress_) progress_->SetKickInterval(0);
    return;
  }
  LoadProgress().SetKickInterval(kickOverride_.value_or(intervalMs));
  // A job has begun: the preview waits for its end.
  if (preview_) preview_->SetPaused(true);
}

void Desktop::RunProgressModal() {
  ProgressForm& progress = LoadProgress();
  progress.setWindowModality(Qt::ApplicationModal);
  progress.show();
  progress.raise();
  progress.activateWindow();
  // Our own loop, not the dialog's: hiding the window between two stages must not end
  // the wait, only the pipeline's unloading of the window does.
  if (!pipeline_.ProgressLoaded() || modalLoop_) return;
  QEventLoop loop;
  modalLoop_ = &loop;
  loop.exec(QEventLoop::DialogExec);
  modalLoop_ = nullptr;
}

void Desktop::CloseProgress() {
  if (modalLoop_) modalLoop_->quit();
  if (ProgressForm* progress = progress_) {
    progress_ = nullptr;
    progress->SetKickInterval(0);
    progress->hide();
    // It may be this window's own timer that is ticking us here.
    progress->deleteLater();
  }
  // The job has ended, and may have changed the tile or the grid.
  if (preview_) {
    preview_->SetPaused(false);
    PreviewValuesChanged();
  }
}

void Desktop::Kick() {
  // Ticks never overlap: while a tick shows a message, the ticks that fall due wait.
  if (inTick_) return;
  inTick_ = true;
  pipeline_.KickTimer();
  inTick_ = false;
  if (cancelAfterTick_) {
    cancelAfterTick_ = false;
    pipeline_.CancelIt();
  }
  emit Ticked();
}

void Desktop::CancelRequested() {
  if (inTick_) {
    cancelAfterTick_ = true;
    return;
  }
  pipeline_.CancelIt();
}

void Desktop::ConsoleChanged() {
  if (console_) console_->ShowModel();
}

void Desktop::PicturesChanged() {
  if (console_) console_->ShowPictures();
  if (workspace1_) workspace1_->Refresh();
  if (workspace3_) workspace3_->Refresh();
  if (finalImage_) finalImage_->Refresh();
}

void Desktop::ShowSplash() {
  if (!splash_) {
    splash_ = new Splash;
    // Should start-up have ended before the console ever came up, nothing is left to
    // close: the program ends with its splash.
    connect(splash_, &Splash::Unloaded, this, [this] {
      if (!console_) EndProgram();
    });
  }
  splash_->show();
  splash_->raise();
}

void Desktop::SetFormMinimised(Form form, bool minimised) {
  QWidget& window = Window(form);
  const Qt::WindowStates state = window.windowState();
  window.setWindowState(minimised ? (state | Qt::WindowMinimized) : (state & ~Qt::WindowMinimized));
}

void Desktop::ConsoleFilled() {
  Console().ShowModel();
  Console().ShowPictures();
}

void Desktop::CenterConsole() {
  ConsoleForm& console = Console();
  const QScreen* screen = console.screen() ? console.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  const QSize size = console.frameGeometry().size();
  // Halved with the quotient truncated toward zero: a window larger than the screen
  // gets a negative position.
  console.move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

}  // namespace marvane
