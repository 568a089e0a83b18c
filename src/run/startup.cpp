#include "run/startup.h"

#include <filesystem>
#include <system_error>

#include "console/settings.h"
#include "engine/geometry.h"
#include "engine/load_size_image.h"
#include "engine/tile_colour.h"
#include "platform/picture_files.h"
#include "platform/run_time_error.h"
#include "platform/ui.h"
#include "run/create_final.h"
#include "run/grid_layout.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

std::string TileGridPath(const std::string& startFolder) { return startFolder + "/TileGrid.bmp"; }

namespace {

void CheckRange(int32_t v, int32_t lo, int32_t hi) {
  if (v < lo || v > hi) throw RunTimeError(kInvalidPropertyValueText);
}

void MakeFolderQuietly(const std::string& path) {
  std::error_code ignored;
  std::filesystem::create_directory(path, ignored);
}

}  // namespace

bool Main(AppState& s, Ui& ui, StartUpHost& host, const std::string& startFolder,
          const std::string& iniPath) {
  return WithErrorTrap(ui, "Main", [&] {
    SettingsMirror& m = s.settings;
    ConsoleModel& c = s.console;
    m.StartFolder = startFolder;
    SetDefaultSettings(m);
    ReadSettings(m, iniPath);
    host.ShowSplash();
    for (Form f : {Form::FinalImage, Form::Workspace3, Form::Workspace1, Form::Console}) {
      host.SetFormMinimised(f, true);
      host.ShowForm(f);
      host.ShowSplash();
    }

    CheckRange(m.IniTurn45, kNoListIndex, 2);
    c.Turn45ListIndex = m.IniTurn45;
    CheckRange(m.IniCline, kClineMin, kClineMax);
    c.Cline = m.IniCline;
    CheckRange(m.IniSpecStart, kSpecStartMin, kSpecStartMax);
    c.SpecStart = m.IniSpecStart;
    CheckRange(m.IniLighten, kLightenMin, kLightenMax);
    c.Lighten = m.IniLighten;
    CheckRange(m.IniLightStart, kLightStartMin, kLightStartMax);
    c.LightStart = m.IniLightStart;
    c.FadeWidth = WholeNumberText(m.IniFadeWidth);
    c.NumPieces = WholeNumberText(m.IniNumRadialPieces);
    c.SmallestRadius = WholeNumberText(m.IniSmallestRadius);
    c.LivePreview = m.LivePreview;

    s.TileImage.Resize(m.PicRight + 1, m.PicBottom + 1);
    if (s.TileGrid.Empty()) s.TileGrid.Resize(kDesignBoardWidth, kDesignBoardHeight);
    SetBoardConstants(s.TileGrid, s.engine.board);
    const BoardConstants& b = s.engine.board;
    s.SquareCopy.Resize(b.BoardWidth, b.BoardHeight);
    s.FinalImage.Resize(b.BoardWidth, b.BoardHeight);
    s.Thumbnail.Resize(ThumbnailSide(b.BoardWidth), ThumbnailSide(b.BoardHeight));

    MakeFolderQuietly(startFolder + "/Tiles");
    MakeFolderQuietly(startFolder + "/Output");

    c.TileFile = m.TileFileName;
    c.SaveFile = m.SaveFileName;
    host.ConsoleFilled();

    EngineState& e = s.engine;
    EngineValuesFromConsole(c, e);

    // A tile that is gone or unreadable leaves the console's picture empty, quietly.
    try {
      s.TileImage.SetPicture(LoadPictureFile(m.TileFileName, s.TileImage.BackColor(), kMostTileFilePixels));
    } catch (const RunTimeError&) {
    }
    s.TileGrid.SetPicture(LoadPictureFile(TileGridPath(startFolder), s.TileGrid.BackColor()));

    SetPartsAndLayout(s);

    host.HideForm(Form::FinalImage);
    host.HideForm(Form::Workspace3);
    host.HideForm(Form::Workspace1);

    GetTileColor(ui, s.TileGrid, m.PicRight, m.PicBottom, s.RandomSeed, e.TileColor);

    s.SquareLast = m.PicBottom;
    s.SquareSide = s.SquareLast + 1;
    s.TileWidth = m.PicRight + 1;
    s.TileHeight = m.PicBottom + 1;
    s.SmallImageOnly = c.OutputOption[kSmallImageOnlyOption];

    for (Form f : {Form::FinalImage, Form::Workspace3, Form::Workspace1, Form::Console})
      host.SetFormMinimised(f, false);
    host.CenterConsole();
    host.ShowSplash();
  });
}

}  // namespace marvane
