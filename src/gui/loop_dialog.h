#pragma once
// The "Make loop" dialog that the console's "Make loop..." button opens: which loop to
// make of the console's values (a zoom, a colour cycle or both; how many frames, how
// many a second) and the file it goes to, whose ending gives the format. OK checks the
// choice and stays open, after the beep and a message, while it cannot be made.
#include <QDialog>
#include <string>

#include "run/loop.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace marvane {

class FileDialogs;
class Ui;
struct FileDialogRequest;

inline constexpr const char* kLoopDialogCaption = "Make loop";

// What the dialog asks; the desktop keeps the last choice for the next time.
struct LoopChoice {
  LoopMode mode = LoopMode::Zoom;
  int32_t frames = kDefaultFrames;
  int32_t fps = static_cast<int32_t>(kDefaultFps);
  std::string file;
};

// What the save dialog of "Browse..." asks, given the name it starts from.
FileDialogRequest LoopFileRequest(const std::string& initialName);

// Why a loop cannot be made as chosen (the text of the message), or an empty text: a
// file with a loop's ending (.webp, .mp4, .webm, .gif) in a folder that is there, that
// is not itself a folder, and a GIF at most kMostGifFps frames a second.
std::string LoopChoiceProblem(const LoopChoice& choice);

class LoopDialog : public QDialog {
  Q_OBJECT
 public:
  // `sizeText` says which picture the frames are of.
  LoopDialog(Ui& ui, FileDialogs& dialogs, const LoopChoice& start, const QString& sizeText, QWidget* parent);

  LoopChoice Choice() const;

 public slots:
  void accept() override;

 private:
  void Browse_Click();

  Ui& ui_;
  FileDialogs& dialogs_;
  QComboBox* LoopKind;
  QSpinBox* Frames;
  QSpinBox* FramesPerSecond;
  QLineEdit* LoopFile;
  QPushButton* Browse;
  QLabel* FrameSize;
  QDialogButtonBox* Buttons;
};

}  // namespace marvane
