#pragma once
// The desktop's state: every value that its windows and its job pipeline share for the
// whole run, in one struct that is passed to whoever needs it. The renderer, the live
// preview and the loops draw without it, from a RenderInput (run/render_input.h); only
// the renderer's --sequential runs the desktop's job on one. Everything starts at 0,
// false or empty, but the two switches of the files the pipeline writes on its own,
// which start on.
#include <cstdint>
#include <optional>

#include "colour/spectrum.h"
#include "console/console_model.h"
#include "console/settings.h"
#include "engine/engine_state.h"
#include "platform/picture.h"

namespace marvane {

// The board the desktop's first work surface is designed with.
inline constexpr int32_t kDesignBoardWidth = 793;
inline constexpr int32_t kDesignBoardHeight = 573;

// What the job pipeline's JobState names.
enum JobStage : int32_t {
  kNoJob = 0,
  kSquaringStage = 1,
  kTileGridStage = 2,
  kFinalImageStage = 3,
};

// One tick does work items while SliceCount is at most this: 2501 items a tick.
inline constexpr float kLastItemOfTick = 2500.0f;

struct AppState {
  // The start folder and the settings mirror.
  SettingsMirror settings;
  // The values of the console's controls.
  ConsoleModel console;
  // The board and spiral constants and the engine's working values.
  EngineState engine;
  // The spectrum tables, built by the first "Create Final Image".
  SpectrumTables spectrum;

  bool SmallImageOnly = false;
  int32_t ScaleDivisor = 0;  // stride of the final-image stage: 4 small only, else 1
  float ScaleFactor = 0.0f;  // its reciprocal
  bool FinalRunActive = false;

  // Tile measures.
  int32_t TileWidth = 0;
  int32_t TileHeight = 0;
  int32_t SquareLast = 0;
  int32_t SquareSide = 0;
  int32_t SquareMode = 0;  // 0 square already, 1 wider than tall, 2 taller than wide
  float SquareScale = 0.0f;
  float SquareScaleInv = 0.0f;

  // Tile-grid layout (GridTileSize itself lives in `engine`, which reads it).
  int32_t GridTileFloor = 0;
  int32_t GridPeriod = 0;
  int32_t GridHalf = 0;
  float GridSampleStep = 0.0f;
  float GridPeriodReal = 0.0f;
  float GridCellStart = 0.0f;
  float GridCellEnd = 0.0f;
  float GridCellX = 0.0f;
  float GridCellY = 0.0f;
  float GridSampleSize = 0.0f;  // the area averaged for each grid pixel, at least 1

  // The job pipeline.
  JobStage JobState = kNoJob;
  int32_t ScanX = 0;
  int32_t ScanY = 0;
  int32_t ScanLastX = 0;
  int32_t ScanLastY = 0;
  float SliceCount = 0.0f;

  // The pictures that live on the windows.
  // The pictures of the first and third work surfaces: the loaded tile while it is
  // squared, then the tile grid; and a copy of the squared tile, sampled while the grid
  // is built.
  Picture TileGrid;
  Picture SquareCopy;
  Picture TileImage;   // the console's squared tile
  Picture FinalImage;  // the full-size final picture
  Picture Thumbnail;   // the console's small picture

  // The seed of the tile-colour sampling; none means the clock's.
  std::optional<uint64_t> RandomSeed;
  // A mean colour given instead of sampling the tile (the renderer's --tile-color):
  // SquareImage then stores it in TileColor as the sampling would, colour part set,
  // Level 1, ExtendedSet false.
  std::optional<Chroma> GivenTileColor;

  // The files the pipeline writes on its own. The headless renderer writes only the
  // files it is told to, so it turns both off: the squaring stage then keeps the
  // squared tile in TileImage (the tile file is still renamed in the state, as the
  // desktop's is) and the final stage ends without SaveFinal.
  bool SaveSquaredTile = true;
  bool SaveFinalPicture = true;
};

}  // namespace marvane
