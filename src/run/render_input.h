#pragma once
// What a picture depends on, apart from any job's progress, made in one place from the
// console's values: the engine's values (the board, the spiral for the number of parts,
// the grid cell, the rotation, the two shifts, the tile's colour and hue offset, the
// centre colour), the spectrum, the centre tone, the quadrants and the stride. The
// renderer, the live preview and the loops make their pictures from it with the plain
// stages (square the tile, make the tile grid, draw the final stage); the desktop's job
// runs the same stages a slice at a time on its own state.
#include <array>
#include <cstdint>
#include <functional>

#include "colour/spectrum.h"
#include "console/console_model.h"
#include "engine/engine_state.h"
#include "platform/picture.h"
#include "run/final_stage_parallel.h"
#include "run/tile_grid.h"

namespace marvane {

class Ui;

struct RenderInput {
  EngineState engine;
  const SpectrumTables* spectrum = nullptr;  // the process's ready tables
  int32_t specStart = 0;                     // the "Color tone at center" slider
  int32_t lightStart = 0;                    // the "Brightness at center" slider
  std::array<bool, 4> ticked{};              // the quadrant boxes
  bool smallOnly = false;                    // "Small image only"
  int32_t divisor = 1;                       // the stride: 4 for the small picture only, else 1
};

// The engine's working copies of the console's values: the rotation, the two shifts
// (slider x 0.01), and the leading numbers of the smallest-radius and fade-width boxes.
// A number beyond its type is "Overflow".
void EngineValuesFromConsole(const ConsoleModel& console, EngineState& engine);

// The centre colour for the spectrum index `index` (the "Color tone at center" slider's
// value, or that plus a frame's hue turn), at the "Brightness at center" level
// `lightStart`: the unlimited factor scales the white level, the one limited to 1 the
// spread.
ChromaExtended CenterColorAt(Ui& ui, const SpectrumTables& spectrum, int32_t lightStart, double index);

// What "Create Final Image" works out once the engine holds the console's values and the
// tile's colour: the centre colour, the tile's hue offset (matching rounds the colour's
// copy) and the spiral. Errors of the engine's traps are shown on `ui`.
void PrepareColours(Ui& ui, const SpectrumTables& spectrum, const ConsoleModel& console, EngineState& engine);

// The engine's values for `console` on `board` with the tile's colour: the number boxes'
// and sliders' values, the number of parts from its box (the leading number, rounded),
// the spiral for it and the grid cell. Raises RunTimeError ("Overflow") for a number
// beyond its type, and for a spiral that cannot be (no parts, a radius of 0).
EngineState EngineForConsole(const ConsoleModel& console, const BoardConstants& board,
                             const ChromaExtended& tileColour);

// The input for `console` on `board` with the tile's mean colour `tileColour`: the
// number of parts from its box (the leading number, rounded), the grid cell for its
// spiral, then the colours. Raises RunTimeError ("Overflow") for a number beyond its
// type; the engine's traps show theirs on `ui`.
RenderInput MakeRenderInput(Ui& ui, const ConsoleModel& console, const BoardConstants& board,
                            const ChromaExtended& tileColour);

// The tile grid's input for the engine's board, rotation and grid cell, sampling the
// squared tile on `square` (whose last row and column are `squareLast`).
TileGridInput TileGridInputFor(const EngineState& engine, const Picture& square, int32_t squareLast);

// The squared tile as the grid samples it: on a surface as large as any tile, as the
// desktop's third work surface holds it.
Picture GridSquareSurface(const Picture& squared);

// How much of the tile grid to make. The final stage reads the grid only at places
// folded into one cell, [0, T) along each axis for a cell side T (every read wraps
// modulo T, and none is made for a T below 1), so the T x T corner at the top left of
// the board (or as much of it as the board holds) gives it the very colours the whole
// board does, for a fraction of the memory and the time.
enum class GridExtent { WholeBoard, FinalStageCorner };

// The tile grid of `input` from the squared tile: the board filled with the tile's
// colour (matching it to the spectrum derives its record but keeps its packed value),
// the samples taken on `threads` threads (0: one per core). `keepGoing`, when given, is
// asked between pieces of work from any of the threads, with the fraction done (0 to
// 1); false stops the building and gives an empty picture.
Picture MakeTileGridPicture(Ui& ui, const RenderInput& input, const Picture& squared, int32_t squareLast,
                            int32_t threads, const std::function<bool(double)>& keepGoing = {},
                            GridExtent extent = GridExtent::WholeBoard);

// The final stage's input over `grid`, with a frame's shift (none for the still).
FinalStageInput FinalStageInputFor(const RenderInput& input, const Picture& grid, FrameShift shift = {});

// The small picture's side for a board's: a quarter, rounded up, so that every board
// pixel's quarter has a place (640 x 480 gives 160 x 120, 793 x 573 199 x 144).
int32_t ThumbnailSide(int32_t boardSide);

// The blank pictures the final stage draws on: the full-size picture and the small one
// (a quarter of each side, rounded up), both of the centre colour.
Picture BlankFinalImage(const RenderInput& input);
Picture BlankThumbnail(const RenderInput& input);

}  // namespace marvane
