#include "gui/console_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "console/console_model.h"
#include "console/output_files.h"
#include "console/validation.h"
#include "gui/desktop.h"
#include "gui/file_dialogs.h"
#include "gui/focus_widgets.h"
#include "gui/loop_dialog.h"
#include "gui/picture_view.h"
#include "gui/scale_bars.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "run/create_final.h"
#include "run/tile_image.h"
#include "util/error_trap.h"
#include "util/general.h"
#include "util/numbers.h"

namespace marvane {

namespace {

// The border of the two picture boxes: 2 pixels on each side, so that a 248-pixel tile
// fills a 252-pixel box.
constexpr int kPictureBoxBorder = 2;
// The background of the two read-only file names.
const QColor kLightGrey(0xE0, 0xE0, 0xE0);

QString Text(const std::string& s) { return QString::fromStdString(s); }

QLabel* MakeLabel(const char* name, const QString& caption, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QSlider* MakeSlider(const char* name, int low, int high, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(name);
  slider->setRange(low, high);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval((high - low) / 10);
  slider->setPageStep((high - low) / 10);
  slider->setMinimumWidth(170);
  return slider;
}

QLineEdit* MakeFileName(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setReadOnly(true);
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, kLightGrey);
  edit->setPalette(palette);
  edit->setMinimumWidth(340);
  return edit;
}

FieldEdit* MakeField(const char* name, QWidget* parent) {
  auto* edit = new FieldEdit(parent);
  edit->setObjectName(name);
  edit->setFixedWidth(60);
  return edit;
}

void SetIfChanged(QLineEdit& edit, const std::string& text) {
  const QString value = Text(text);
  if (edit.text() != value) edit.setText(value);
}

}  // namespace

FileDialogRequest TileFileRequest(const std::string& initialName) {
  return {FileDialogRequest::Kind::Open, "Filename for tile image", "Image files (*.bmp *.jpg *.tif *.gif)",
          initialName, "bmp"};
}

FileDialogRequest SaveFileRequest(const std::string& initialName) {
  return {FileDialogRequest::Kind::Save, "Filename for final image", "Bitmaps (*.bmp)", initialName, "bmp"};
}

ConsoleForm::ConsoleForm(Desktop& desktop) : QWidget(nullptr, Qt::Window), desktop_(desktop) {
  setObjectName("ConsoleForm");
  setWindowTitle(kConsoleCaption);
  BuildControls();
  LayOut();
  ShowModel();
  BindToModel();
}

void ConsoleForm::BuildControls() {
  AppState& s = desktop_.State();

  TileFileLabel = MakeLabel("TileFileLabel", "Image file for tiling:", this);
  TileFile = MakeFileName("TileFile", this);
  ChangeTileFile = new QPushButton("Change tile image", this);
  ChangeTileFile->setObjectName("ChangeTileFile");
  SaveFileLabel = MakeLabel("SaveFileLabel", "Final output file:", this);
  SaveFile = MakeFileName("SaveFile", this);
  ChangeSaveFile = new QPushButton("Change filename for save", this);
  ChangeSaveFile->setObjectName("ChangeSaveFile");

  NumPiecesLabel = MakeLabel("NumPiecesLabel", "Number of equal radial parts: ", this);
  NumPieces = MakeField("NumPieces", this);
  SmallestRadiusLabel = MakeLabel("SmallestRadiusLabel", "Smallest radius (pixels): ", this);
  SmallestRadius = MakeField("SmallestRadius", this);
  FadeWidthLabel = MakeLabel("FadeWidthLabel", "Width of \"fade\" band (pixels): ", this);
  FadeWidth = MakeField("FadeWidth", this);
  RotateLabel = MakeLabel("RotateLabel", "Rotate tile:", this);
  Turn45 = new FocusListWidget(this);
  Turn45->setObjectName("Turn45");
  Turn45->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const char* item : kTurn45Items) Turn45->addItem(QString::fromUtf8(item));
  Turn45->setFixedSize(120, Turn45->sizeHintForRow(0) * 3 + 2 * Turn45->frameWidth() + 2);

  TileImageLabel = MakeLabel("TileImageLabel", "Image for tiling", this);
  TileImage = new PictureView(s.TileImage, kPictureBoxBorder, this);
  TileImage->setObjectName("TileImage");

  SpectrumShiftLabel = MakeLabel("SpectrumShiftLabel", "-     Spectrum shift     +", this);
  Cline = MakeSlider("Cline", kClineMin, kClineMax, this);
  SpecStartLabel = MakeLabel("SpecStartLabel", "Color tone at center", this);
  SpecStart = MakeSlider("SpecStart", kSpecStartMin, kSpecStartMax, this);
  BrightnessShiftLabel = MakeLabel("BrightnessShiftLabel", "-    Brightness shift    +", this);
  Lighten = MakeSlider("Lighten", kLightenMin, kLightenMax, this);
  LightStartLabel = MakeLabel("LightStartLabel", "Brightness at center", this);
  LightStart = MakeSlider("LightStart", kLightStartMin, kLightStartMax, this);
  for (QLabel* caption : {SpectrumShiftLabel, SpecStartLabel, BrightnessShiftLabel, LightStartLabel})
    caption->setAlignment(Qt::AlignHCenter);
  GrayBar = new QLabel(this);
  GrayBar->setObjectName("GrayBar");
  GrayBar->setPixmap(QPixmap::fromImage(GrayBarImage()));
  GrayBar->setFixedSize(kScaleBarWidth, kScaleBarHeight);
  SpecBar = new QLabel(this);
  SpecBar->setObjectName("SpecBar");
  SpecBar->setPixmap(QPixmap::fromImage(SpecBarImage()));
  SpecBar->setFixedSize(kScaleBarWidth, kScaleBarHeight);

  FillInQuadrantLabel = MakeLabel("FillInQuadrantLabel", "Fill in these quadrants:", this);
  for (int i = 0; i < 4; ++i) {
    FillInQuadrant[i] = new QCheckBox(kFillInQuadrantCaptions[i], this);
    FillInQuadrant[i]->setObjectName(QString("FillInQuadrant%1").arg(i));
  }
  OutputImage = new QGroupBox("Output image:", this);
  OutputImage->setObjectName("OutputImage");
  for (int i = 0; i < 2; ++i) {
    OutputOption[i] = new QRadioButton(kOutputOptionCaptions[i], OutputImage);
    OutputOption[i]->setObjectName(QString("OutputOption%1").arg(i));
  }

  ThumbnailLabel = MakeLabel("ThumbnailLabel", "Small version of output image", this);
  Thumbnail = new PictureView(s.Thumbnail, kPictureBoxBorder, this);
  Thumbnail->setObjectName("Thumbnail");

  CreateFinal = new QPushButton("Create Final Image", this);
  CreateFinal->setObjectName("CreateFinal");
  HelpMe = new QPushButton("HELP", this);
  HelpMe->setObjectName("HelpMe");
  LivePreview = new QCheckBox("Live preview", this);
  LivePreview->setObjectName("LivePreview");
  MakeLoop = new QPushButton("Make loop...", this);
  MakeLoop->setObjectName("MakeLoop");
}

void ConsoleForm::LayOut() {
  auto* files = new QGroupBox("Files", this);
  auto* fileGrid = new QGridLayout(files);
  fileGrid->addWidget(TileFileLabel, 0, 0, 1, 2);
  fileGrid->addWidget(TileFile, 1, 0);
  fileGrid->addWidget(ChangeTileFile, 1, 1);
  fileGrid->addWidget(SaveFileLabel, 2, 0, 1, 2);
  fileGrid->addWidget(SaveFile, 3, 0);
  fileGrid->addWidget(ChangeSaveFile, 3, 1);

  auto* spiral = new QGroupBox("Spiral", this);
  auto* spiralGrid = new QGridLayout(spiral);
  spiralGrid->addWidget(NumPiecesLabel, 0, 0);
  spiralGrid->addWidget(NumPieces, 0, 1);
  spiralGrid->addWidget(SmallestRadiusLabel, 1, 0);
  spiralGrid->addWidget(SmallestRadius, 1, 1);
  spiralGrid->addWidget(FadeWidthLabel, 2, 0);
  spiralGrid->addWidget(FadeWidth, 2, 1);
  spiralGrid->addWidget(RotateLabel, 3, 0, Qt::AlignTop);
  spiralGrid->addWidget(Turn45, 3, 1);
  spiralGrid->setRowStretch(4, 1);

  auto* colours = new QGroupBox("Colours", this);
  auto* colourGrid = new QGridLayout(colours);
  colourGrid->addWidget(SpectrumShiftLabel, 0, 0);
  colourGrid->addWidget(Cline, 1, 0);
  colourGrid->addWidget(SpecStartLabel, 2, 0);
  colourGrid->addWidget(SpecStart, 3, 0);
  colourGrid->addWidget(SpecBar, 0, 1, 4, 1, Qt::AlignVCenter);
  colourGrid->addWidget(BrightnessShiftLabel, 4, 0);
  colourGrid->addWidget(Lighten, 5, 0);
  colourGrid->addWidget(LightStartLabel, 6, 0);
  colourGrid->addWidget(LightStart, 7, 0);
  colourGrid->addWidget(GrayBar, 4, 1, 4, 1, Qt::AlignVCenter);

  auto* quadrants = new QGroupBox("Quadrants and output", this);
  auto* quadrantGrid = new QGridLayout(quadrants);
  quadrantGrid->addWidget(FillInQuadrantLabel, 0, 0, 1, 2);
  // Laid out as the quadrants lie on the picture.
  quadrantGrid->addWidget(FillInQuadrant[1], 1, 0);
  quadrantGrid->addWidget(FillInQuadrant[0], 1, 1);
  quadrantGrid->addWidget(FillInQuadrant[2], 2, 0);
  quadrantGrid->addWidget(FillInQuadrant[3], 2, 1);
  auto* options = new QVBoxLayout(OutputImage);
  options->addWidget(OutputOption[0]);
  options->addWidget(OutputOption[1]);
  quadrantGrid->addWidget(OutputImage, 0, 2, 3, 1);

  auto* pictures = new QGroupBox("Pictures", this);
  auto* pictureColumn = new QVBoxLayout(pictures);
  pictureColumn->addWidget(TileImageLabel);
  pictureColumn->addWidget(TileImage, 0, Qt::AlignLeft);
  pictureColumn->addSpacing(8);
  pictureColumn->addWidget(ThumbnailLabel);
  pictureColumn->addWidget(Thumbnail, 0, Qt::AlignLeft);
  pictureColumn->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(CreateFinal);
  buttons->addStretch(1);
  buttons->addWidget(MakeLoop);
  buttons->addSpacing(8);
  buttons->addWidget(LivePreview);
  buttons->addSpacing(8);
  buttons->addWidget(HelpMe);

  auto* grid = new QGridLayout(this);
  grid->addWidget(files, 0, 0, 1, 2);
  grid->addWidget(spiral, 1, 0);
  grid->addWidget(colours, 1, 1);
  grid->addWidget(quadrants, 2, 0, 1, 2);
  grid->addLayout(buttons, 3, 0, 1, 2);
  grid->addWidget(pictures, 0, 2, 4, 1);
  // The window fits its contents, and follows the picture boxes when they change size.
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

void ConsoleForm::BindToModel() {
  ConsoleModel& c = desktop_.State().console;
  Desktop& d = desktop_;
  connect(NumPieces, &QLineEdit::textChanged, this, [&c](const QString& t) { c.NumPieces = t.toStdString(); });
  connect(SmallestRadius, &QLineEdit::textChanged, this,
          [&c](const QString& t) { c.SmallestRadius = t.toStdString(); });
  connect(FadeWidth, &QLineEdit::textChanged, this, [&c](const QString& t) { c.FadeWidth = t.toStdString(); });
  // The list, the sliders (while they are dragged too) and the boxes change the preview
  // at once; the number boxes only once a value is accepted, in their handlers.
  connect(Turn45, &QListWidget::currentRowChanged, this, [&c, &d](int row) {
    c.Turn45ListIndex = row;
    d.PreviewValuesChanged();
  });
  for (auto [slider, value] : {std::pair{Cline, &c.Cline}, {SpecStart, &c.SpecStart}, {Lighten, &c.Lighten},
                               {LightStart, &c.LightStart}})
    connect(slider, &QSlider::valueChanged, this, [value, &d](int v) {
      *value = v;
      d.PreviewValuesChanged();
    });
  for (int i = 0; i < 4; ++i)
    connect(FillInQuadrant[i], &QCheckBox::toggled, this, [&c, &d, i](bool on) {
      c.FillInQuadrant[i] = on;
      d.PreviewValuesChanged();
    });
  connect(LivePreview, &QCheckBox::toggled, this, [&d](bool on) { d.SetLivePreview(on); });
  for (int i = 0; i < 2; ++i)
    connect(OutputOption[i], &QRadioButton::toggled, this, [&c, i](bool on) {
      if (on) c.SelectOutputOption(i);
    });

  connect(ChangeTileFile, &QPushButton::clicked, this, &ConsoleForm::ChangeTileFile_Click);
  connect(ChangeSaveFile, &QPushButton::clicked, this, &ConsoleForm::ChangeSaveFile_Click);
  connect(CreateFinal, &QPushButton::clicked, this, &ConsoleForm::CreateFinal_Click);
  connect(HelpMe, &QPushButton::clicked, this, &ConsoleForm::HelpMe_Click);
  connect(MakeLoop, &QPushButton::clicked, this, &ConsoleForm::MakeLoop_Click);
  connect(NumPieces, &FieldEdit::LostFocus, this, &ConsoleForm::NumPieces_LostFocus);
  connect(SmallestRadius, &FieldEdit::LostFocus, this, &ConsoleForm::SmallestRadius_LostFocus);
  connect(FadeWidth, &FieldEdit::LostFocus, this, &ConsoleForm::FadeWidth_LostFocus);
  connect(Turn45, &FocusListWidget::LostFocus, this, &ConsoleForm::Turn45_LostFocus);
}

void ConsoleForm::ShowModel() {
  const ConsoleModel& c = desktop_.State().console;
  const QSignalBlocker blockers[] = {
      QSignalBlocker(NumPieces), QSignalBlocker(SmallestRadius), QSignalBlocker(FadeWidth),
      QSignalBlocker(Turn45), QSignalBlocker(Cline), QSignalBlocker(SpecStart), QSignalBlocker(Lighten),
      QSignalBlocker(LightStart), QSignalBlocker(FillInQuadrant[0]), QSignalBlocker(FillInQuadrant[1]),
      QSignalBlocker(FillInQuadrant[2]), QSignalBlocker(FillInQuadrant[3]), QSignalBlocker(OutputOption[0]),
      QSignalBlocker(OutputOption[1]), QSignalBlocker(LivePreview)};
  SetIfChanged(*TileFile, c.TileFile);
  SetIfChanged(*SaveFile, c.SaveFile);
  SetIfChanged(*NumPieces, c.NumPieces);
  SetIfChanged(*SmallestRadius, c.SmallestRadius);
  SetIfChanged(*FadeWidth, c.FadeWidth);
  if (Turn45->currentRow() != c.Turn45ListIndex) {
    Turn45->setCurrentRow(c.Turn45ListIndex);
    if (c.Turn45ListIndex < 0) Turn45->clearSelection();
  }
  Cline->setValue(c.Cline);
  SpecStart->setValue(c.SpecStart);
  Lighten->setValue(c.Lighten);
  LightStart->setValue(c.LightStart);
  for (int i = 0; i < 4; ++i) FillInQuadrant[i]->setChecked(c.FillInQuadrant[i]);
  for (int i = 0; i < 2; ++i) OutputOption[i]->setChecked(c.OutputOption[i]);
  LivePreview->setChecked(c.LivePreview);
  // One loop at a time: its progress window says how far it is.
  MakeLoop->setEnabled(!desktop_.Loop());
}

void ConsoleForm::ShowPictures() {
  TileImage->Refresh();
  Thumbnail->Refresh();
  // A box that changed size takes its place in the window at once, not at the next
  // layout pass, so that the window is measured right when it is centred.
  layout()->activate();
}

std::string ConsoleForm::DisplayName(const QLabel& label) {
  return QString::fromStdU16String(Remove(u":", label.text().toStdU16String())).toStdString();
}

std::optional<int32_t> ConsoleForm::CheckField(const char* controlName, const QLabel& label) {
  AppState& s = desktop_.State();
  std::optional<int32_t> value;
  const bool accepted =
      CheckValue(desktop_.GetUi(), s.console, s.engine.board.HalfDiagonal, controlName, DisplayName(label), value);
  ShowModel();
  if (!accepted) return std::nullopt;
  return value;
}

void ConsoleForm::NumPieces_LostFocus() {
  WithErrorTrap(desktop_.GetUi(), "NumPieces_LostFocus", [&] {
    AppState& s = desktop_.State();
    const auto value = CheckField(kNumPiecesName, *NumPiecesLabel);
    if (value && *value != s.engine.EngineNumPieces) {
      s.engine.EngineNumPieces = *value;
      s.settings.NeedToRedrawGrid = true;
    }
  });
  desktop_.PreviewValuesChanged();
}

void ConsoleForm::SmallestRadius_LostFocus() {
  WithErrorTrap(desktop_.GetUi(), "SmallestRadius_LostFocus", [&] {
    if (const auto value = CheckField(kSmallestRadiusName, *SmallestRadiusLabel))
      desktop_.State().engine.EngineSmallestRadius = *value;
  });
  desktop_.PreviewValuesChanged();
}

void ConsoleForm::FadeWidth_LostFocus() {
  WithErrorTrap(desktop_.GetUi(), "FadeWidth_LostFocus", [&] {
    if (const auto value = CheckField(kFadeWidthName, *FadeWidthLabel))
      desktop_.State().engine.EngineFadeWidth = ToSingle(*value);
  });
  desktop_.PreviewValuesChanged();
}

void ConsoleForm::Turn45_LostFocus() {
  WithErrorTrap(desktop_.GetUi(), "Turn45_LostFocus", [&] {
    AppState& s = desktop_.State();
    if (s.console.Turn45ListIndex != s.engine.EngineTurn45) {
      s.engine.EngineTurn45 = RoundToInteger(s.console.Turn45ListIndex);
      s.settings.NeedToRedrawGrid = true;
    }
  });
  desktop_.PreviewValuesChanged();
}

void ConsoleForm::ChangeTileFile_Click() {
  WithErrorTrap(desktop_.GetUi(), "ChangeTileFile_Click", [&] {
    AppState& s = desktop_.State();
    const auto chosen = desktop_.Dialogs().Ask(TileFileRequest(s.console.TileFile));
    // A cancelled dialog, and any failure of the steps that follow it, end the handler
    // quietly; the loader and the squaring report their own failures.
    if (!chosen) return;
    try {
      TakeNewTile(desktop_.GetPipeline(), s, desktop_.GetUi(), *chosen);
    } catch (const RunTimeError&) {
    }
    ShowModel();
    desktop_.PicturesChanged();
  });
  desktop_.PreviewValuesChanged();
}

void ConsoleForm::ChangeSaveFile_Click() {
  WithErrorTrap(desktop_.GetUi(), "ChangeSaveFile_Click", [&] {
    AppState& s = desktop_.State();
    const auto chosen = desktop_.Dialogs().Ask(SaveFileRequest(s.console.SaveFile));
    if (!chosen) return;
    try {
      s.console.SaveFile = *chosen;
      ShowModel();
      s.settings.SaveFileName = s.console.SaveFile;
      // What is on screen is saved at once under the new name.
      if (s.console.OutputOption[kBothLargeAndSmallOption])
        SaveFinalImageForm(desktop_.GetUi(), s.settings, s.FinalImage);
      else
        SavePictureFile(s.Thumbnail, s.settings.SaveFileName);
    } catch (const RunTimeError&) {
    }
  });
}

void ConsoleForm::CreateFinal_Click() {
  CreateFinalClick(desktop_.GetPipeline(), desktop_.State(), desktop_.GetUi());
  ShowModel();
  desktop_.PicturesChanged();
}

void ConsoleForm::HelpMe_Click() {
  WithErrorTrap(desktop_.GetUi(), "HelpMe_Click", [&] { desktop_.ShowHelp(); });
}

void ConsoleForm::MakeLoop_Click() {
  WithErrorTrap(desktop_.GetUi(), "MakeLoop_Click", [&] {
    const AppState& s = desktop_.State();
    const Picture& frame = s.console.OutputOption[kSmallImageOnlyOption] ? s.Thumbnail : s.FinalImage;
    const QString size = QString("%1 x %2 pixels (%3)")
                             .arg(frame.Width())
                             .arg(frame.Height())
                             .arg(s.console.OutputOption[kSmallImageOnlyOption] ? kOutputOptionCaptions[0]
                                                                                : kOutputOptionCaptions[1]);
    LoopDialog dialog(desktop_.GetUi(), desktop_.Dialogs(), desktop_.LastLoopChoice(), size, this);
    if (dialog.exec() != QDialog::Accepted) return;
    desktop_.LastLoopChoice() = dialog.Choice();
    desktop_.StartLoop(dialog.Choice());
  });
}

void ConsoleForm::closeEvent(QCloseEvent* event) {
  AppState& s = desktop_.State();
  FinalActions(desktop_.GetUi(), s.settings, s.console, s.TileGrid, desktop_.IniPath());
  event->accept();
  desktop_.EndProgram();
}

}  // namespace marvane
