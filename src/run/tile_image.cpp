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
    if (!WithinTileLimits(right, bottom)) {
      ui.Beep();
      ui.ShowMessage(kTileSizeText, kTileSizeTitle);
      return;
    }
    if (s.GivenTileColor)
      SetGivenTileColor(*s.GivenTileColor, s.engine.TileColor);
    else
      GetTileColor(ui, s.TileGrid, right, bottom, s.RandomSeed, s.engine.TileColor);
    // The measures of the tile as picked: the extents the file gave.
    const TileSquaring sq = TileSquaringOf(right + 1, bottom + 1);
    s.SquareLast = sq.last;
    s.SquareSide = sq.last + 1;
    s.SquareMode = sq.mode;
    s.TileImage.Resize(s.SquareSide, s.SquareSide);
    if (sq.mode == 0) {
      s.TileImage.SetPicture(s.TileGrid);
    } else {
      s.SquareScale = sq.scale;
      s.SquareScaleInv = sq.scaleInv;
      s.TileImage.FillBox(0, 0, s.SquareLast, s.SquareLast, 0);
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
