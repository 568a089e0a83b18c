#pragma once
// The desktop program: the application state, the job pipeline and the windows around
// them. Every window exists once and is created the first time anything touches it;
// the progress window is unloaded after every job. Desktop is the pipeline's JobHost
// (the windows it shows and hides, and the progress window's timer, whose ticks drive
// the job) and start-up's StartUpHost.
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "gui/loop_dialog.h"
#include "run/app_state.h"
#include "run/job_host.h"
#include "run/pipeline.h"
#include "run/startup.h"

class QEventLoop;
class QWidget;

namespace marvane {

class ConsoleForm;
class FileDialogs;
class HelpForm;
class LoopJob;
class PreviewForm;
class ProgressForm;
class Splash;
class Ui;
class WorkSurfaceForm;

inline constexpr const char* kWorkspace1Caption = "Workspace 1";
inline constexpr const char* kWorkspace3Caption = "Workspace 3";
inline constexpr const char* kFinalImageCaption = "Marvane -- Final Image";

class Desktop : public QObject, public JobHost, public StartUpHost {
  Q_OBJECT
 public:
  Desktop(Ui& ui, FileDialogs& dialogs);
  ~Desktop() override;
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Start-up in `startFolder` with the settings file at `iniPath`; returns whether it
  // ran to its end.
  bool Start(const std::string& startFolder, const std::string& iniPath);

  AppState& State() { return state_; }
  Pipeline& GetPipeline() { return pipeline_; }
  Ui& GetUi() { return ui_; }
  FileDialogs& Dialogs() { return dialogs_; }
  const std::string& IniPath() const { return iniPath_; }
  // "HelpTxt.txt" in the start folder.
  std::string HelpFilePath() const;

  // The windows, each created on first use.
  ConsoleForm& Console();
  WorkSurfaceForm& Workspace1();
  WorkSurfaceForm& Workspace3();
  WorkSurfaceForm& FinalImage();
  HelpForm& Help();
  // The progress window while it is loaded (a job runs), else null.
  ProgressForm* Progress() const;
  // The splash window while it shows, else null.
  Splash* SplashWindow() const;
  // The window that plays `form`, created if need be.
  QWidget& Window(Form form);
  // Whether the window has been created (and, for the progress window, not unloaded).
  bool Loaded(Form form) const;

  // Shows the help window without a modal wait, loading it if need be.
  void ShowHelp();

  // The live preview: ticking "Live preview" shows its window and follows the console;
  // unticking it, or closing the window, stops it. The console calls
  // PreviewValuesChanged after every change that may shape the picture.
  void SetLivePreview(bool on);
  void PreviewValuesChanged();
  // The preview window while it has been created, else null.
  PreviewForm* Preview() const;

  // "Make loop...": the loop of the console's values now, made on a thread of its own
  // while the console stays in use. StartLoop starts it; Loop is the loop being made,
  // else null. The dialog starts from the choice it last took.
  void StartLoop(const LoopChoice& choice);
  LoopJob* Loop() const;
  LoopChoice& LastLoopChoice();

  // The end of the program, once the console has closed. The desktop program quits the
  // event loop; tests put a recorder in its place.
  void SetProgramEnd(std::function<void()> end) { programEnd_ = std::move(end); }
  void EndProgram();

  // Lets ticks come every `intervalMs` instead of the interval the pipeline asks for, so
  // that a test runs a job in moments; nothing resets it.
  void OverrideKickInterval(std::optional<int> intervalMs) { kickOverride_ = intervalMs; }

  // JobHost.
  void ShowForm(Form form) override;
  void HideForm(Form form) override;
  void SetFormVisible(Form form, bool visible) override;
  void SetProgressLabel(const std::string& text) override;
  void SetProgressFraction(double done) override;
  void SetTimerInterval(int intervalMs) override;
  void RunProgressModal() override;
  void CloseProgress() override;
  void ConsoleChanged() override;
  void PicturesChanged() override;

  // StartUpHost (ShowForm and HideForm as above).
  void ShowSplash() override;
  void SetFormMinimised(Form form, bool minimised) override;
  void ConsoleFilled() override;
  void CenterConsole() override;

 signals:
  // After every tick of the progress window's timer.
  void Ticked();

 private:
  ProgressForm& LoadProgress();
  void Kick();
  void CancelRequested();

  Ui& ui_;
  FileDialogs& dialogs_;
  AppState state_;
  Pipeline pipeline_;
  std::string iniPath_;
  std::function<void()> programEnd_;
  std::optional<int> kickOverride_;

  QPointer<ConsoleForm> console_;
  QPointer<WorkSurfaceForm> workspace1_;
  QPointer<WorkSurfaceForm> workspace3_;
  QPointer<WorkSurfaceForm> finalImage_;
  QPointer<HelpForm> help_;
  QPointer<PreviewForm> preview_;
  QPointer<LoopJob> loop_;
  std::optional<LoopChoice> loopChoice_;
  QPointer<ProgressForm> progress_;
  QPointer<Splash> splash_;
  QEventLoop* modalLoop_ = nullptr;
  bool inTick_ = false;
  bool cancelAfterTick_ = false;
};

}  // namespace marvane
