#include "run/render_input.h"

#include <algorithm>
#include <atomic>

#include "engine/final_colour.h"
#include "engine/geometry.h"
#include "run/thread_runner.h"
#include "run/tile_square.h"
#include "util/numbers.h"

namespace marvane {

namespace {

// Thrown from a piece of the grid's work when it is asked to stop.
struct Stopped {};

}  // namespace

void EngineValuesFromConsole(const ConsoleModel& c, EngineState& e) {
  e.EngineTurn45 = RoundToInteger(c.Turn45ListIndex);
  e.SpectrumShift = ToSingle(c.Cline * 0.01);
  e.BrightnessShift = ToSingle(c.Lighten * 0.01);
  e.EngineSmallestRadius = RoundToLong(LeadingNumber(c.SmallestRadius));
  e.EngineFadeWidth = ToSingleChecked(LeadingNumber(c.FadeWidth));
}

ChromaExtended CenterColorAt(Ui& ui, const SpectrumTables& spectrum, int32_t lightStart, double index) {
  const float f = LightFactor(lightStart, 1);
  const float light = std::min(f, 1.0f);
  return SpecColor(ui, spectrum, index, f, light);
}

void PrepareColours(Ui& ui, const SpectrumTables& spectrum, const ConsoleModel& c, EngineState& e) {
  e.CenterColor = CenterColorAt(ui, spectrum, c.LightStart, c.SpecStart);
  e.TileHueOffset = ToSingle(-static_cast<double>(Match(spectrum, e.TileColor)));
  SetSpiralGeometry(e);
}

EngineState EngineForConsole(const ConsoleModel& c, const BoardConstants& board, const ChromaExtended& tileColour) {
  EngineState e;
  e.board = board;
  e.TileColor = tileColour;
  EngineValuesFromConsole(c, e);
  e.EngineNumPieces = RoundToLong(LeadingNumber(c.NumPieces));
  SetSpiralGeometry(e);
  e.GridTileSize = GridTileFloorOf(e.spiral.OuterPieceWidth);
  return e;
}

RenderInput MakeRenderInput(Ui& ui, const ConsoleModel& c, const BoardConstants& board,
                            const ChromaExtended& tileColour) {
  RenderInput in;
  in.engine = EngineForConsole(c, board, tileColour);
  in.spectrum = &ReadySpectrum();
  PrepareColours(ui, *in.spectrum, c, in.engine);
  in.specStart = c.SpecStart;
  in.lightStart = c.LightStart;
  in.ticked = c.FillInQuadrant;
  in.smallOnly = c.OutputOption[kSmallImageOnlyOption];
  in.divisor = in.smallOnly ? 4 : 1;
  return in;
}

TileGridInput TileGridInputFor(const EngineState& e, const Picture& square, int32_t squareLast) {
  TileGridInput in;
  in.square = &square;
  in.board = e.board;
  in.squareLast = squareLast;
  in.turn45 = e.EngineTurn45;
  // A cell of T + 1 pixels takes the whole squared tile: each cell pixel stands for
  // squareLast / (T + 1) tile pixels, sampled from the middle of the first.
  in.sampleStep = ToSingle(Divide(squareLast, e.GridTileSize + 1.0));
  in.sampleSize = std::max(in.sampleStep, 1.0f);
  const float periodReal = ToSingle(e.GridTileSize + 1.0);
  in.cellStart = ToSingle(in.sampleStep / 2.0);
  in.cellEnd = ToSingle(static_cast<double>(periodReal) + in.cellStart);
  in.period = e.GridTileSize + 1;
  in.half = RoundToLong(e.GridTileSize * 0.5);
  return in;
}

Picture GridSquareSurface(const Picture& squared) {
  Picture square(std::max(kMostTileSide, squared.Width()), std::max(kMostTileSide, squared.Height()));
  square.SetPicture(squared);
  return square;
}

Picture MakeTileGridPicture(Ui& ui, const RenderInput& input, const Picture& squared, int32_t squareLast,
                            int32_t threads, const std::function<bool(double)>& keepGoing, GridExtent extent) {
  const BoardConstants& b = input.engine.board;
  const Picture square = GridSquareSurface(squared);
  const TileGridInput in = TileGridInputFor(input.engine, square, squareLast);
  const int32_t background = input.engine.TileColor.Value;
  if (extent == GridExtent::FinalStageCorner) {
    // Each pixel of the corner is worked out once where it lies, as the reader gives it.
    const int32_t cell = input.engine.GridTileSize;
    Picture grid(std::max(1, std::min(cell, b.BoardWidth)), std::max(1, std::min(cell, b.BoardHeight)), background);
    const TileGridReader reader(ui, in, grid.Width(), grid.Height(), background);
    std::atomic<int64_t> done{0};
    try {
      ForEachRange(threads, grid.Height(), [&](int64_t first, int64_t end) {
        if (keepGoing && !keepGoing(static_cast<double>(done) / grid.Height())) throw Stopped{};
        for (int64_t y = first; y < end; ++y)
          for (int32_t x = 0; x < grid.Width(); ++x)
            grid.PSet(x, static_cast<int32_t>(y), reader.Point(x, static_cast<int32_t>(y)));
        done += end - first;
      });
    } catch (const Stopped&) {
      return Picture();
    }
    return grid;
  }
  Picture grid(b.BoardWidth, b.BoardHeight, background);
  // The grid is made in two passes (the samples, then the board's rows); each counts
  // for half of the progress.
  int passes = 0;
  try {
    MakeTileGrid(ui, in, TileGridCells(in), grid, [&](int64_t n, const PieceWork& work) {
      const double before = 0.5 * passes++;
      std::atomic<int64_t> done{0};
      ForEachRange(threads, n, [&](int64_t first, int64_t end) {
        const double fraction = before + 0.5 * static_cast<double>(done) / static_cast<double>(std::max<int64_t>(n, 1));
        if (keepGoing && !keepGoing(fraction)) throw Stopped{};
        work(first, end);
        done += end - first;
      });
    });
  } catch (const Stopped&) {
    return Picture();
  }
  return grid;
}

FinalStageInput FinalStageInputFor(const RenderInput& input, const Picture& grid, FrameShift shift) {
  FinalStageInput stage;
  stage.grid = &grid;
  stage.engine = &input.engine;
  stage.spectrum = input.spectrum;
  stage.specStart = input.specStart;
  stage.ticked = input.ticked;
  stage.divisor = input.divisor;
  stage.shift = shift;
  return stage;
}

int32_t ThumbnailSide(int32_t boardSide) { return boardSide <= 0 ? 0 : (boardSide + 3) / 4; }

Picture BlankFinalImage(const RenderInput& input) {
  const BoardConstants& b = input.engine.board;
  return Picture(b.BoardWidth, b.BoardHeight, input.engine.CenterColor.Value);
}

Picture BlankThumbnail(const RenderInput& input) {
  const BoardConstants& b = input.engine.board;
  return Picture(ThumbnailSide(b.BoardWidth), ThumbnailSide(b.BoardHeight), input.engine.CenterColor.Value);
}

}  // namespace marvane
