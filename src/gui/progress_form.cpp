#include "gui/progress_form.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace marvane {

namespace {

constexpr int kBarSteps = 1000;

}  // namespace

ProgressForm::ProgressForm() : QDialog(nullptr) {
  setObjectName("ProgressForm");
  setWindowTitle(kProgressCaption);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  LabelInfo = new QLabel("Processing...", this);
  LabelInfo->setObjectName("LabelInfo");
  LabelInfo->setTextFormat(Qt::PlainText);
  LabelInfo->setMinimumWidth(260);

  StageProgress = new QProgressBar(this);
  StageProgress->setObjectName("StageProgress");
  StageProgress->setRange(0, kBarSteps);
  StageProgress->setValue(0);
  StageProgress->setTextVisible(true);
  StageProgress->setFormat("%p%");

  CancelIt = new QPushButton("CANCEL", this);
  CancelIt->setObjectName("CancelIt");
  CancelIt->setAutoDefault(false);
  connect(CancelIt, &QPushButton::clicked, this, &ProgressForm::CancelRequested);

  Kick = new QTimer(this);
  Kick->setObjectName("Kick");
  Kick->setTimerType(Qt::PreciseTimer);
  connect(Kick, &QTimer::timeout, this, &ProgressForm::Kick_Timer);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LabelInfo);
  layout->addWidget(StageProgress);
  layout->addWidget(CancelIt, 0, Qt::AlignHCenter);
  setFixedSize(sizeHint());
}

void ProgressForm::SetLabel(const QString& text) { LabelInfo->setText(text); }

void ProgressForm::SetFraction(double done) {
  const double clamped = std::isnan(done) ? 0.0 : std::clamp(done, 0.0, 1.0);
  StageProgress->setValue(static_cast<int>(std::lround(clamped * kBarSteps)));
}

void ProgressForm::SetKickInterval(int intervalMs) {
  if (intervalMs <= 0) {
    Kick->stop();
    return;
  }
  Kick->start(intervalMs);
}

bool ProgressForm::Ticking() const { return Kick->isActive(); }

void ProgressForm::reject() { emit CancelRequested(); }

void ProgressForm::closeEvent(QCloseEvent* event) {
  // The window goes only when the pipeline's clean-up has run and unloads it.
  event->ignore();
  emit CancelRequested();
}

}  // namespace marvane
