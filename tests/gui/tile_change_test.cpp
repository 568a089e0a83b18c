// Changing the tile through the console's dialog: every picture format the dialog
// offers is loaded, squared, saved as "-Square.bmp" and laid out as the new tile grid
// in one job; a tile of the wrong size, a damaged file and a cancelled dialog change
// what they should and nothing more.
#include <QImage>
#include <QImageWriter>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "gui/picture_view.h"
#include "gui/support/gui_run.h"
#include "platform/picture_file_makers.h"
#include "platform/picture_files.h"
#include "support/temp_folder.h"

namespace marvane::guitest {

namespace {

using Kind = RecordingUi::Event::Kind;

// A tile picture file of `width` x `height` in the format its name ends with.
void WriteTileFile(const std::string& path, int width, int height) {
  const std::string ending = path.substr(path.rfind('.') + 1);
  if (ending == "gif") {
    // A GIF holds a palette: eight colours in stripes.
    std::vector<QRgb> palette;
    for (int i = 0; i < 8; ++i) palette.push_back(qRgb(i * 30, 255 - i * 30, (i * 97) & 255));
    test::GifFrame frame{0, 0, width, height, {}, -1};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) frame.indices.push_back(static_cast<uint8_t>((x / 5 + y / 3) % 8));
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(test::MakeGif(width, height, palette, {frame}));
  } else if (ending == "jpg") {
    QImageWriter writer(QString::fromStdString(path), "jpg");
    QVERIFY2(writer.write(test::PatternImage(width, height)), qPrintable(writer.errorString()));
  } else {
    SavePictureFile(PatternPicture(width, height, 3), path);
  }
}

// The squared tile's name: the file's name up to its last ".", then "-Square.bmp".
std::string SquareName(const std::string& path) { return path.substr(0, path.rfind('.')) + "-Square.bmp"; }

// Clicks "Change tile image" with the dialog answering `answer`; the click returns once
// the job it started is over.
void ChooseTile(GuiRun& run, std::optional<std::string> answer) {
  run.dialogs.answers.push_back(std::move(answer));
  QTest::mouseClick(run.Control<QPushButton>("ChangeTileFile"), Qt::LeftButton);
}

}  // namespace

class TileChangeTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void TheDialogAsksForAnImageFileAndCancelledChangesNothing();
  void EveryFormatIsSquaredAndLaidOutAsTheNewGrid_data();
  void EveryFormatIsSquaredAndLaidOutAsTheNewGrid();
  void ASquareTileIsUsedAsItIs();
  void ATileOfTheWrongSizeIsRefusedWithItsMessage();
  void AFileThatIsNotAPictureChangesNothing();

 private:
  std::unique_ptr<GuiRun> run_;
};

void TileChangeTest::init() {
  run_ = std::make_unique<GuiRun>();
  run_->WriteTileGrid();
  run_->WriteTile("Tiles/Basic.bmp", 248, 248);
  QVERIFY(run_->Start());
  run_->ui.Clear();
}

void TileChangeTest::cleanup() { run_.reset(); }

void TileChangeTest::TheDialogAsksForAnImageFileAndCancelledChangesNothing() {
  const ConsoleModel console = run_->state().console;
  const SettingsMirror settings = run_->state().settings;
  const Picture grid = run_->state().Workspace1;
  ChooseTile(*run_, std::nullopt);
  QCOMPARE(run_->dialogs.requests.size(), size_t{1});
  const FileDialogRequest& request = run_->dialogs.requests[0];
  QVERIFY(request.kind == FileDialogRequest::Kind::Open);
  QCOMPARE(request.title, std::string("Filename for tile image"));
  QCOMPARE(request.filter, std::string("Image files (*.bmp *.jpg *.tif *.gif)"));
  QCOMPARE(request.initialName, *run_ / "Tiles/Basic.bmp");
  QCOMPARE(request.defaultSuffix, std::string("bmp"));
  // The dialog was cancelled: nothing shows and nothing changes.
  QVERIFY(run_->ui.Events().empty());
  QCOMPARE(run_->state().console, console);
  QCOMPARE(run_->state().settings, settings);
  QCOMPARE(run_->state().Workspace1, grid);
  QVERIFY(!run_->desktop().Progress());
}

void TileChangeTest::EveryFormatIsSquaredAndLaidOutAsTheNewGrid_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  QTest::newRow("bmp, wider than tall") << "Tiles/Rose.bmp" << 120 << 80;
  QTest::newRow("jpg, taller than wide") << "Tiles/Rose.jpg" << 90 << 130;
  QTest::newRow("tif, wider than tall") << "Tiles/Rose.tif" << 61 << 40;
  QTest::newRow("gif, taller than wide") << "Tiles/Rose.gif" << 30 << 45;
  QTest::newRow("no extension") << "Tiles/Rose" << 100 << 50;
}

void TileChangeTest::EveryFormatIsSquaredAndLaidOutAsTheNewGrid() {
  QFETCH(QString, name);
  QFETCH(int, width);
  QFETCH(int, height);
  const std::string file = *run_ / name.toStdString();
  WriteTileFile(file, width, height);
  const Picture oldGrid = run_->state().Workspace1;
  JobWatch watch(*run_);

  ChooseTile(*run_, file);

  QCOMPARE(MessageLines(run_->ui), QStringList());
  const int side = std::max(width, height);
  // The squared tile is saved beside the chosen one and becomes the tile file.
  const std::string square = SquareName(file);
  QVERIFY2(std::filesystem::exists(square), square.c_str());
  const Picture saved = LoadPictureFile(square, 0xFFFFFF);
  QCOMPARE(saved.Width(), side);
  QCOMPARE(saved.Height(), side);
  QCOMPARE(saved, run_->state().TileImage);
  QCOMPARE(run_->Control<QLineEdit>("TileFile")->text().toStdString(), square);
  QCOMPARE(run_->state().settings.TileFileName, square);
  QCOMPARE(run_->state().settings.PicRight, side - 1);
  QCOMPARE(run_->state().settings.PicBottom, side - 1);
  QCOMPARE(run_->Control<PictureView>("TileImage")->size(), QSize(side + 4, side + 4));

  // One job squared the tile and went on to a new grid, which repeats every period.
  QCOMPARE(watch.Labels(), QStringList({"Squaring tile image...", "Creating Tile Grid..."}));
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
  const Picture& grid = run_->state().Workspace1;
  QVERIFY(!(grid == oldGrid));
  const int32_t period = run_->state().GridPeriod;
  QVERIFY(period > 10);
  for (int32_t y = period / 2; y < period / 2 + 3; ++y)
    for (int32_t x = 3; x < period - 3; x += 7) {
      QCOMPARE(grid.Point(x + period, y), grid.Point(x, y));
      QCOMPARE(grid.Point(x, y + period), grid.Point(x, y));
    }
  // The squared tile went to the third work surface too.
  const Picture& third = run_->state().Workspace3;
  QCOMPARE(third.Point(side / 2, side / 3), saved.Point(side / 2, side / 3));

  // The job is over: its window is gone and the console is back on its own.
  QVERIFY(!run_->desktop().Progress());
  QCOMPARE(run_->state().JobState, 0);
  QVERIFY(run_->console().isVisible());
  for (Form form : {Form::Workspace1, Form::Workspace3, Form::FinalImage})
    QVERIFY(!run_->desktop().Window(form).isVisible());
}

void TileChangeTest::ASquareTileIsUsedAsItIs() {
  const std::string file = *run_ / "Tiles/Square.gif";
  WriteTileFile(file, 40, 40);
  ChooseTile(*run_, file);
  QCOMPARE(MessageLines(run_->ui), QStringList());
  QCOMPARE(run_->Control<QLineEdit>("TileFile")->text().toStdString(), file);
  QVERIFY(!std::filesystem::exists(SquareName(file)));
  QCOMPARE(run_->state().TileImage, LoadPictureFile(file, 0xFFFFFF));
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
}

void TileChangeTest::ATileOfTheWrongSizeIsRefusedWithItsMessage() {
  const std::string file = *run_ / "Tiles/Wide.bmp";
  WriteTileFile(file, 400, 20);
  JobWatch watch(*run_);
  ChooseTile(*run_, file);
  const auto events = run_->ui.Events();
  QCOMPARE(events.size(), size_t{2});
  QCOMPARE(events[0].kind, Kind::Beep);
  QCOMPARE(events[1].title, std::string("Change Tile Image"));
  QCOMPARE(events[1].text, std::string("Each dimension of the tile image must be between 10 and 300 pixels."));
  // No job ran; the file was taken, and the grid is due to be redrawn.
  QVERIFY(watch.ticks.empty());
  QVERIFY(!run_->desktop().Progress());
  QCOMPARE(run_->Control<QLineEdit>("TileFile")->text().toStdString(), file);
  QVERIFY(run_->state().settings.NeedToRedrawGrid);
  QVERIFY(!std::filesystem::exists(SquareName(file)));
}

void TileChangeTest::AFileThatIsNotAPictureChangesNothing() {
  const std::string file = *run_ / "Tiles/Broken.bmp";
  testing::WriteFileBytes(file, "BM this is not a bitmap at all");
  const Picture grid = run_->state().Workspace1;
  ChooseTile(*run_, file);
  const auto messages = run_->ui.Messages();
  QCOMPARE(messages.size(), size_t{1});
  QCOMPARE(messages[0].title, std::string("Load Size Image"));
  QVERIFY2(messages[0].text.find("Broken.bmp") != std::string::npos, messages[0].text.c_str());
  QCOMPARE(run_->Control<QLineEdit>("TileFile")->text().toStdString(), *run_ / "Tiles/Basic.bmp");
  QCOMPARE(run_->state().Workspace1, grid);
  QVERIFY(!run_->state().settings.NeedToRedrawGrid);
}

}  // namespace marvane::guitest

QTEST_MAIN(marvane::guitest::TileChangeTest)
#include "tile_change_test.moc"
