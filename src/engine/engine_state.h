#pragma once
// The engine's share of the application state: the board and spiral constants, the
// grid cell size and the working copies of the console's values that the mapping and
// colouring of a final-image pixel read.
#include <cstdint>

#include "colour/chroma.h"
#include "engine/geometry.h"

namespace marvane {

struct EngineState {
  BoardConstants board;
  SpiralConstants spiral;
  int32_t GridTileSize = 0;        // side T of a tile-grid cell, the floor of OuterPieceWidth
  int16_t EngineTurn45 = 0;        // 0 "Rotate -45°", 1 "No Rotation", 2 "Rotate 45°"
  int32_t EngineNumPieces = 0;     // N
  int32_t EngineSmallestRadius = 0;  // R0
  float EngineFadeWidth = 0.0f;
  float SpectrumShift = 0.0f;      // Cline x 0.01
  float BrightnessShift = 0.0f;    // Lighten x 0.01
  float TileHueOffset = 0.0f;      // minus the spectrum index of TileColor
  ChromaExtended CenterColor;      // the colour at the inner edge of the fade band
  ChromaExtended TileColor;        // the tile's mean colour
};

// Recomputes the spiral constants from the state's N, R0 and outer radius.
void SetSpiralGeometry(EngineState& state);

}  // namespace marvane
