// Start-up as the user meets it: the console's controls when the program opens, the
// windows behind it, and the ways start-up ends early or passes over a missing file.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include "colour/spectrum_data.h"
#include "gui/picture_view.h"
#include "gui/work_surface_form.h"
#include "gui/support/gui_run.h"
#include "support/temp_folder.h"

namespace marvane::guitest {

namespace {

QString Caption(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  if (auto* box = qobject_cast<QGroupBox*>(w)) return box->title();
  return {};
}

bool IsLightGrey(const QColor& c) {
  return c.red() == c.green() && c.green() == c.blue() && c.red() >= 192 && c.red() < 255;
}

void WriteSettings(const GuiRun& run, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(run.IniPath()).parent_path());
  testing::WriteFileBytes(run.IniPath(), text);
}

}  // namespace

class OpeningTest : public QObject {
  Q_OBJECT

 private slots:
  void TheConsoleOpensWithTheDefaultsWhenThereIsNoSettingsFile();
  void TheCaptionsAndRangesAreTheConsoles();
  void TheScaleBarsShowTheGreyRampAndTheSpectrum();
  void TheWorkSurfacesAreLoadedAndHidden();
  void AMissingTileFileIsPassedOverSilently();
  void WithoutTheTileGridStartUpStopsWithOneMessage();
  void ASettingOutsideItsControlsRangeStopsStartUp();
  void AnUnreadableSettingEndsTheProgramBeforeAnyWindowComesUp();
};

void OpeningTest::TheConsoleOpensWithTheDefaultsWhenThereIsNoSettingsFile() {
  GuiRun run;
  run.WriteTileGrid();
  run.WriteTile("Tiles/Basic.bmp", 248, 248, 5);
  QVERIFY(!std::filesystem::exists(run.IniPath()));
  QVERIFY(run.Start());
  QCOMPARE(MessageLines(run.ui), QStringList());

  QWidget& console = run.console();
  QCOMPARE(console.windowTitle(), QString("Marvane -- Control Console"));
  QVERIFY(console.isVisible());
  QVERIFY(!(console.windowState() & Qt::WindowMinimized));

  auto* tileFile = run.Control<QLineEdit>("TileFile");
  auto* saveFile = run.Control<QLineEdit>("SaveFile");
  QCOMPARE(tileFile->text().toStdString(), run / "Tiles/Basic.bmp");
  QCOMPARE(saveFile->text().toStdString(), run / "Output/Final.bmp");
  for (QLineEdit* name : {tileFile, saveFile}) {
    QVERIFY(name->isReadOnly());
    QVERIFY2(IsLightGrey(name->palette().color(QPalette::Base)),
             qPrintable(name->palette().color(QPalette::Base).name()));
  }
  QCOMPARE(run.Control<QLineEdit>("NumPieces")->text(), QString("12"));
  QCOMPARE(run.Control<QLineEdit>("SmallestRadius")->text(), QString("15"));
  QCOMPARE(run.Control<QLineEdit>("FadeWidth")->text(), QString("60"));
  QCOMPARE(run.Control<QListWidget>("Turn45")->currentRow(), 0);
  QCOMPARE(run.Control<QSlider>("Cline")->value(), -54);
  QCOMPARE(run.Control<QSlider>("SpecStart")->value(), 104);
  QCOMPARE(run.Control<QSlider>("Lighten")->value(), -29);
  QCOMPARE(run.Control<QSlider>("LightStart")->value(), 95);

  // Only "Upper Left" is ticked, and "Small image only" is chosen.
  const bool ticked[] = {false, true, false, false};
  for (int i = 0; i < 4; ++i)
    QCOMPARE(run.Control<QCheckBox>(qPrintable(QString("FillInQuadrant%1").arg(i)))->isChecked(), ticked[i]);
  QVERIFY(run.Control<QRadioButton>("OutputOption0")->isChecked());
  QVERIFY(!run.Control<QRadioButton>("OutputOption1")->isChecked());

  // The tile box is the 248-pixel tile and its border: 252 x 252, showing the tile.
  auto* tileImage = run.Control<PictureView>("TileImage");
  QCOMPARE(tileImage->size(), QSize(252, 252));
  const QImage shown = tileImage->grab().toImage();
  const Picture tile = PatternPicture(248, 248, 5);
  for (const QPoint p : {QPoint(0, 0), QPoint(247, 0), QPoint(100, 200), QPoint(247, 247)}) {
    const QRgb c = shown.pixel(p + QPoint(2, 2));
    QCOMPARE(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16), tile.Point(p.x(), p.y()));
  }
  // The small picture is a quarter of the 793 x 573 board each way, rounded up.
  QCOMPARE(run.state().Thumbnail.Width(), 199);
  QCOMPARE(run.state().Thumbnail.Height(), 144);
  QCOMPARE(run.Control<PictureView>("Thumbnail")->size(), QSize(203, 148));

  QVERIFY(std::filesystem::is_directory(run / "Tiles"));
  QVERIFY(std::filesystem::is_directory(run / "Output"));

  // The console is centred on the screen.
  const QRect screen = console.screen()->geometry();
  const QRect frame = console.frameGeometry();
  QVERIFY2(std::abs(frame.center().x() - screen.center().x()) <= 1, qPrintable(QString::number(frame.x())));
  QVERIFY2(std::abs(frame.center().y() - screen.center().y()) <= 1, qPrintable(QString::number(frame.y())));

  // A second start in the same folder shows nothing either.
  QVERIFY(run.Start());
  QCOMPARE(MessageLines(run.ui), QStringList());
  QVERIFY(run.console().isVisible());
}

void OpeningTest::TheCaptionsAndRangesAreTheConsoles() {
  GuiRun run;
  run.WriteTileGrid();
  QVERIFY(run.Start());
  const std::pair<const char*, const char*> captions[] = {
      {"TileFileLabel", "Image file for tiling:"},
      {"ChangeTileFile", "Change tile image"},
      {"SaveFileLabel", "Final output file:"},
      {"ChangeSaveFile", "Change filename for save"},
      {"NumPiecesLabel", "Number of equal radial parts: "},
      {"SmallestRadiusLabel", "Smallest radius (pixels): "},
      {"FadeWidthLabel", "Width of \"fade\" band (pixels): "},
      {"RotateLabel", "Rotate tile:"},
      {"TileImageLabel", "Image for tiling"},
      {"SpectrumShiftLabel", "-     Spectrum shift     +"},
      {"SpecStartLabel", "Color tone at center"},
      {"BrightnessShiftLabel", "-    Brightness shift    +"},
      {"LightStartLabel", "Brightness at center"},
      {"FillInQuadrantLabel", "Fill in these quadrants:"},
      {"FillInQuadrant0", "Upper Right"},
      {"FillInQuadrant1", "Upper Left"},
      {"FillInQuadrant2", "Lower Left"},
      {"FillInQuadrant3", "Lower Right"},
      {"OutputImage", "Output image:"},
      {"OutputOption0", "Small image only"},
      {"OutputOption1", "Both large and small"},
      {"ThumbnailLabel", "Small version of output image"},
      {"CreateFinal", "Create Final Image"},
      {"HelpMe", "HELP"},
  };
  for (const auto& [name, caption] : captions)
    QCOMPARE(Caption(run.Control<QWidget>(name)), QString::fromUtf8(caption));

  auto* turn = run.Control<QListWidget>("Turn45");
  QCOMPARE(turn->count(), 3);
  QCOMPARE(turn->item(0)->text(), QString::fromUtf8("Rotate -45°"));
  QCOMPARE(turn->item(1)->text(), QString::fromUtf8("No Rotation"));
  QCOMPARE(turn->item(2)->text(), QString::fromUtf8("Rotate 45°"));

  const std::tuple<const char*, int, int> ranges[] = {
      {"Cline", -150, 150}, {"SpecStart", 0, 426}, {"Lighten", -100, 100}, {"LightStart", -100, 100}};
  for (const auto& [name, low, high] : ranges) {
    auto* slider = run.Control<QSlider>(name);
    QCOMPARE(slider->minimum(), low);
    QCOMPARE(slider->maximum(), high);
  }
}

void OpeningTest::TheScaleBarsShowTheGreyRampAndTheSpectrum() {
  GuiRun run;
  run.WriteTileGrid();
  QVERIFY(run.Start());
  const QImage grey = run.Control<QLabel>("GrayBar")->pixmap().toImage();
  const QImage specBar = run.Control<QLabel>("SpecBar")->pixmap().toImage();
  QCOMPARE(grey.size(), QSize(140, 26));
  QCOMPARE(specBar.size(), QSize(140, 26));

  // Black at the left edge, white at the right, growing lighter all the way across.
  QCOMPARE(grey.pixel(0, 13), qRgb(0, 0, 0));
  QCOMPARE(grey.pixel(139, 13), qRgb(255, 255, 255));
  for (int x = 1; x < 140; ++x) {
    const QRgb left = grey.pixel(x - 1, 13), here = grey.pixel(x, 13);
    QCOMPARE(qRed(here), qGreen(here));
    QVERIFY(qRed(here) > qRed(left));
  }
  // The spectrum from its first colour to its last: red at both ends, green and blue
  // on the way. Every column is one colour from top to bottom.
  const auto rgb = [](const SpectrumRgb& c) { return qRgb(c.red, c.green, c.blue); };
  QCOMPARE(specBar.pixel(0, 0), rgb(kSpectrumRgb.front()));
  QCOMPARE(specBar.pixel(139, 25), rgb(kSpectrumRgb.back()));
  bool greenest = false, bluest = false;
  for (int x = 0; x < 140; ++x) {
    const QRgb c = specBar.pixel(x, 0);
    QCOMPARE(specBar.pixel(x, 25), c);
    greenest |= qGreen(c) > qRed(c) + 100 && qGreen(c) > qBlue(c) + 100;
    bluest |= qBlue(c) > qRed(c) + 100 && qBlue(c) > qGreen(c) + 100;
  }
  QVERIFY(greenest);
  QVERIFY(bluest);
  QVERIFY(qRed(specBar.pixel(0, 0)) > 200 && qGreen(specBar.pixel(0, 0)) < 128);
}

void OpeningTest::TheWorkSurfacesAreLoadedAndHidden() {
  GuiRun run;
  run.WriteTileGrid(9);
  QVERIFY(run.Start());
  const std::pair<Form, const char*> surfaces[] = {
      {Form::Workspace1, "Workspace 1"}, {Form::Workspace3, "Workspace 3"}, {Form::FinalImage, "Marvane -- Final Image"}};
  for (const auto& [form, caption] : surfaces) {
    QVERIFY(run.desktop().Loaded(form));
    QWidget& window = run.desktop().Window(form);
    QCOMPARE(window.windowTitle(), QString(caption));
    QVERIFY(!window.isVisible());
    QVERIFY(!(window.windowState() & Qt::WindowMinimized));
  }
  QVERIFY(!run.desktop().Loaded(Form::Progress));
  // The first work surface holds last run's tile grid on the 793 x 573 board.
  QCOMPARE(run.state().Workspace1, PatternPicture(793, 573, 9));
  QCOMPARE(run.desktop().Workspace1().Surface().size(), QSize(793, 573));
  QCOMPARE(run.state().engine.board.BoardWidth, 793);
  QCOMPARE(run.state().engine.board.BoardHeight, 573);
}

void OpeningTest::AMissingTileFileIsPassedOverSilently() {
  GuiRun run;
  run.WriteTileGrid();
  WriteSettings(run, "[FileNames]\nTileFile=" + (run / "Tiles/Gone.bmp") + "\n");
  QVERIFY(run.Start());
  QCOMPARE(MessageLines(run.ui), QStringList());
  QCOMPARE(run.Control<QLineEdit>("TileFile")->text().toStdString(), run / "Tiles/Gone.bmp");
  // The box stays empty: only its background.
  const Picture& tile = run.state().TileImage;
  QCOMPARE(tile.Width(), 248);
  for (int32_t v : tile.Pixels()) QCOMPARE(v, Picture::kDefaultBackColor);
  // The rest of start-up ran: the spiral and the grid cell are known.
  QVERIFY(run.state().engine.spiral.OuterPieceWidth > 0);
  QVERIFY(run.state().GridPeriod > 0);
}

void OpeningTest::WithoutTheTileGridStartUpStopsWithOneMessage() {
  GuiRun run;
  QVERIFY(!run.Start());
  const auto messages = run.ui.Messages();
  QCOMPARE(messages.size(), size_t{1});
  QCOMPARE(messages[0].title, std::string("Main"));
  QVERIFY2(messages[0].text.find("TileGrid.bmp") != std::string::npos, messages[0].text.c_str());
  // The steps after the tile grid did not run: no spiral, no grid cell, and the windows
  // are as they were brought up behind the splash, minimised.
  QCOMPARE(run.state().engine.spiral.OuterPieceWidth, 0.0f);
  QCOMPARE(run.state().GridPeriod, 0);
  for (Form form : {Form::Console, Form::Workspace1, Form::Workspace3, Form::FinalImage}) {
    QWidget& window = run.desktop().Window(form);
    QVERIFY(window.isVisible());
    QVERIFY(window.windowState() & Qt::WindowMinimized);
  }
  // The console still shows what start-up had filled in.
  QCOMPARE(run.Control<QLineEdit>("NumPieces")->text(), QString("12"));
}

void OpeningTest::ASettingOutsideItsControlsRangeStopsStartUp() {
  GuiRun run;
  run.WriteTileGrid();
  WriteSettings(run, "[Numbers]\nCline=151\n");
  QVERIFY(!run.Start());
  QCOMPARE(MessageLines(run.ui), QStringList({"Main: Invalid property value"}));
  QCOMPARE(run.state().engine.spiral.OuterPieceWidth, 0.0f);
}

void OpeningTest::AnUnreadableSettingEndsTheProgramBeforeAnyWindowComesUp() {
  GuiRun run;
  run.WriteTileGrid();
  WriteSettings(run, "[Numbers]\nNumRadialPieces=1e20\n");
  QVERIFY(!run.Start());
  QCOMPARE(MessageLines(run.ui), QStringList({"Main: Overflow"}));
  // No window came up, so none is left whose closing would end the program: it ends.
  QVERIFY(!run.desktop().Loaded(Form::Console));
  QVERIFY(!run.desktop().SplashWindow());
  QCOMPARE(run.programEnds, 1);
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::OpeningTest)
#include "opening_test.moc"
