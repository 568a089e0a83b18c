#include "gui/loop_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>
#include <system_error>

#include "gui/file_dialogs.h"
#include "platform/ui.h"
#include "platform/video_encoder.h"
#include "util/numbers.h"

namespace marvane {

namespace {

// The kinds in the order the list shows them.
constexpr LoopMode kLoopModes[] = {LoopMode::Zoom, LoopMode::Hue, LoopMode::Both};
constexpr const char* kLoopModeCaptions[] = {"Zoom", "Colour cycle", "Both"};

QSpinBox* MakeSpin(const char* name, int low, int high, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(low, high);
  return spin;
}

}  // namespace

FileDialogRequest LoopFileRequest(const std::string& initialName) {
  return {FileDialogRequest::Kind::Save, "Filename for loop", "Loops (*.webp *.mp4 *.webm *.gif)", initialName,
          "webp"};
}

std::string LoopChoiceProblem(const LoopChoice& c) {
  namespace fs = std::filesystem;
  if (c.file.empty()) return "Choose the file for the loop.";
  const LoopOutput kind = LoopOutputOf(c.file);
  if (kind != LoopOutput::WebP && kind != LoopOutput::Video)
    return "A loop is saved as .webp, .mp4, .webm or .gif: \"" + c.file + "\"";
  if (VideoFormatOf(c.file) == VideoFormat::Gif && c.fps > kMostGifFps)
    return "A GIF shows at most " + WholeNumberText(kMostGifFps) + " frames a second.";
  std::error_code ec;
  const fs::path path(c.file);
  if (fs::is_directory(path, ec)) return "\"" + c.file + "\" is a folder.";
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  if (!fs::is_directory(folder, ec)) return "The folder \"" + folder.string() + "\" does not exist.";
  return {};
}

LoopDialog::LoopDialog(Ui& ui, FileDialogs& dialogs, const LoopChoice& start, const QString& sizeText,
                       QWidget* parent)
    : QDialog(parent), ui_(ui), dialogs_(dialogs) {
  setObjectName("LoopDialog");
  setWindowTitle(kLoopDialogCaption);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  LoopKind = new QComboBox(this);
  LoopKind->setObjectName("LoopKind");
  for (const char* caption : kLoopModeCaptions) LoopKind->addItem(caption);
  for (int i = 0; i < 3; ++i)
    if (kLoopModes[i] == start.mode) LoopKind->setCurrentIndex(i);
  Frames = MakeSpin("Frames", 1, kMostFrames, this);
  Frames->setValue(start.frames);
  FramesPerSecond = MakeSpin("FramesPerSecond", 1, kMostFps, this);
  FramesPerSecond->setValue(start.fps);
  LoopFile = new QLineEdit(QString::fromStdString(start.file), this);
  LoopFile->setObjectName("LoopFile");
  LoopFile->setMinimumWidth(320);
  Browse = new QPushButton("Browse...", this);
  Browse->setObjectName("Browse");
  Browse->setAutoDefault(false);
  FrameSize = new QLabel(sizeText, this);
  FrameSize->setObjectName("FrameSize");
  FrameSize->setTextFormat(Qt::PlainText);
  Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  Buttons->setObjectName("Buttons");

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(LoopFile, 1);
  fileRow->addWidget(Browse);
  auto* form = new QFormLayout(this);
  form->addRow("Loop:", LoopKind);
  form->addRow("Frames:", Frames);
  form->addRow("Frames a second:", FramesPerSecond);
  form->addRow("File (.webp, .mp4, .webm or .gif):", fileRow);
  form->addRow("Frames of:", FrameSize);
  form->addRow(Buttons);
  setFixedSize(sizeHint());

  connect(Browse, &QPushButton::clicked, this, &LoopDialog::Browse_Click);
  connect(Buttons, &QDialogButtonBox::accepted, this, &LoopDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &LoopDialog::reject);
}

LoopChoice LoopDialog::Choice() const {
  LoopChoice c;
  c.mode = kLoopModes[std::max(0, LoopKind->currentIndex())];
  c.frames = Frames->value();
  c.fps = FramesPerSecond->value();
  c.file = LoopFile->text().trimmed().toStdString();
  return c;
}

void LoopDialog::accept() {
  if (const std::string problem = LoopChoiceProblem(Choice()); !problem.empty()) {
    ui_.Beep();
    ui_.ShowMessage(problem, kLoopDialogCaption);
    return;
  }
  QDialog::accept();
}

void LoopDialog::Browse_Click() {
  // A cancelled dialog changes nothing.
  if (const auto chosen = dialogs_.Ask(LoopFileRequest(Choice().file))) LoopFile->setText(QString::fromStdString(*chosen));
}

}  // namespace marvane
