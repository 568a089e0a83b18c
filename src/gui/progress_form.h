#pragma once
// The progress window shown while a job runs: it names the running stage, shows how
// much of it is done, offers CANCEL, and its timer Kick drives the job, one slice a
// tick. However it is closed (CANCEL, the title bar, Escape), it asks for the same
// clean-up through CancelRequested; it does not close itself.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace marvane {

inline constexpr const char* kProgressCaption = "Image Calculations";

class ProgressForm : public QDialog {
  Q_OBJECT
 public:
  ProgressForm();

  void SetLabel(const QString& text);
  // How much of the running stage is done, 0 to 1.
  void SetFraction(double done);
  // Ticks every `intervalMs` milliseconds from now on; 0 stops the ticks.
  void SetKickInterval(int intervalMs);
  bool Ticking() const;

 signals:
  void Kick_Timer();
  void CancelRequested();

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* LabelInfo;
  QProgressBar* StageProgress;
  QPushButton* CancelIt;
  QTimer* Kick;
};

}  // namespace marvane
