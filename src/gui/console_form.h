#pragma once
// The console "Marvane -- Control Console": the program's main window. It holds every
// setting of a run, shows the squared tile and the small version of the output, and
// starts the work. Its controls are bound to the console model in the application
// state: what the user types, picks and ticks goes into the model at once, and
// ShowModel puts the model back on screen when the program changed it.
#include <QWidget>
#include <array>
#include <optional>
#include <string>

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace marvane {

class Desktop;
class FieldEdit;
class FocusListWidget;
class PictureView;
struct FileDialogRequest;

inline constexpr const char* kConsoleCaption = "Marvane -- Control Console";

// What the two file dialogs ask, given the name they start from.
FileDialogRequest TileFileRequest(const std::string& initialName);
FileDialogRequest SaveFileRequest(const std::string& initialName);

class ConsoleForm : public QWidget {
  Q_OBJECT
 public:
  explicit ConsoleForm(Desktop& desktop);

  // Puts the console model's values into the controls.
  void ShowModel();
  // Follows the sizes of the squared tile and the small picture and repaints them.
  void ShowPictures();

  // The event handlers.
  void ChangeTileFile_Click();
  void ChangeSaveFile_Click();
  void CreateFinal_Click();
  void NumPieces_LostFocus();
  void SmallestRadius_LostFocus();
  void FadeWidth_LostFocus();
  void Turn45_LostFocus();
  void HelpMe_Click();
  void MakeLoop_Click();

 protected:
  // Form_Unload: the tile grid and the settings are saved, and the program ends.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void LayOut();
  void BindToModel();
  // A field's label caption without its ":", which titles its range message.
  static std::string DisplayName(const QLabel& label);
  // Checks a typed field; the accepted whole number, or nothing.
  std::optional<int32_t> CheckField(const char* controlName, const QLabel& label);

  Desktop& desktop_;

  QLabel* TileFileLabel;
  QLineEdit* TileFile;
  QPushButton* ChangeTileFile;
  QLabel* SaveFileLabel;
  QLineEdit* SaveFile;
  QPushButton* ChangeSaveFile;
  QLabel* NumPiecesLabel;
  FieldEdit* NumPieces;
  QLabel* SmallestRadiusLabel;
  FieldEdit* SmallestRadius;
  QLabel* FadeWidthLabel;
  FieldEdit* FadeWidth;
  QLabel* RotateLabel;
  FocusListWidget* Turn45;
  QLabel* TileImageLabel;
  PictureView* TileImage;
  QLabel* SpectrumShiftLabel;
  QSlider* Cline;
  QLabel* SpecStartLabel;
  QSlider* SpecStart;
  QLabel* BrightnessShiftLabel;
  QSlider* Lighten;
  QLabel* LightStartLabel;
  QSlider* LightStart;
  QLabel* GrayBar;
  QLabel* SpecBar;
  QLabel* FillInQuadrantLabel;
  std::array<QCheckBox*, 4> FillInQuadrant{};
  QGroupBox* OutputImage;
  std::array<QRadioButton*, 2> OutputOption{};
  QLabel* ThumbnailLabel;
  PictureView* Thumbnail;
  QPushButton* CreateFinal;
  QPushButton* HelpMe;
  QCheckBox* LivePreview;
  QPushButton* MakeLoop;
};

}  // namespace marvane
