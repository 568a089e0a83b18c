#include "run/grid_layout.h"

#include "engine/geometry.h"
#include "util/numbers.h"

namespace marvane {

void SetGridLayout(AppState& s) {
  s.GridTileFloor = GridTileFloorOf(s.engine.spiral.OuterPieceWidth);
  s.engine.GridTileSize = s.GridTileFloor;
  s.GridPeriod = s.engine.GridTileSize + 1;
  s.GridHalf = RoundToLong(s.GridTileFloor * 0.5);
}

void SetPartsAndLayout(AppState& s) {
  s.engine.EngineNumPieces = RoundToLong(LeadingNumber(s.console.NumPieces));
  SetSpiralGeometry(s.engine);
  SetGridLayout(s);
}

}  // namespace marvane
