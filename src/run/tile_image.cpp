#include "run/tile_image.h"

#include "engine/load_size_image.h"
#include "engine/tile_colour.h"
#include "platform/ui.h"
#include "run/pipeline.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

bool SquareImage(Pipeline& pipeline, AppState& s, Ui& ui) {
  bool started = false;
  WithErrorTrap(ui, "SquareImage", [&] {
    const int32_t right = s.settings.PicRight, bottom = s.settings.PicBottom;
    if (right < 9 || right > kMostTileSide - 1 || bottom < 9 || bottom > kMostTileSide - 1) {
      ui.Beep();
      ui.ShowMessage(kTileSizeText, kTileSizeTitle);
      return;
    }
    if (s.GivenTileColor)
      SetGivenTileColor(*s.GivenTileColor, s.engine.TileColor);
    else
      GetTileColor(ui, s.TileGrid, right, bottom, s.RandomSeed, s.engine.TileColor);
    if (right != bottom) {
      // The shorter side is stretched to the longer one.
      const bool taller = right < bottom;
      s.SquareLast = taller ? bottom : right;
      s.SquareSide = s.SquareLast + 1;
      s.TileImage.Resize(s.SquareSide, s.SquareSide);
      s.SquareScale = ToSingle(Divide(s.SquareSide, taller ? s.TileWidth : s.TileHeight));
      s.SquareScaleInv = ToSingle(Divide(1.0, s.SquareScale));
      s.TileImage.FillBox(0, 0, s.SquareLast, s.SquareLast, 0);
      s.SquareMode = taller ? 2 : 1;
    } else {
      s.SquareLast = bottom;
      s.SquareSide = s.SquareLast + 1;
      s.TileImage.Resize(s.SquareSide, s.SquareSide);
      s.TileImage.SetPicture(s.TileGrid);
      s.SquareMode = 0;
    }
    pipeline.LaunchAction(1, s.SquareLast, s.SquareLast);
    started = true;
  });
  return started;
}

bool TakeNewTile(Pipeline& pipeline, AppState& s, Ui& ui, const std::string& file) {
  int32_t lastX = s.settings.PicRight, lastY = s.settings.PicBottom;
  // The loader reports its own failure. A file that cannot be read then changes
  // nothing at all, its name included: it never becomes the tile file.
  if (!LoadSizeImage(ui, s.TileGrid, file, lastX, lastY)) return false;
  s.console.TileFile = file;
  s.settings.TileFileName = s.console.TileFile;
  s.settings.NeedToRedrawGrid = true;
  s.settings.PicRight = lastX;
  s.settings.PicBottom = lastY;
  s.TileWidth = lastX + 1;
  s.TileHeight = lastY + 1;
  s.TileImage.Cls();
  if (!SquareImage(pipeline, s, ui)) return false;
  s.SquareCopy.SetPicture(s.TileImage);
  return true;
}

}  // namespace marvane
