#include "run/pipeline.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "console/output_files.h"
#include "engine/final_colour.h"
#include "engine/geometry.h"
#include "engine/sampling.h"
#include "platform/picture_files.h"
#include "platform/ui.h"
#include "run/grid_layout.h"
#include "run/render_input.h"
#include "run/tile_square.h"
#include "run/tile_grid.h"
#include "util/error_trap.h"
#include "util/numbers.h"

namespace marvane {

namespace {

constexpr int kTimerIntervalMs = 100;

}  // namespace

void Pipeline::LaunchAction(double action, double lastX, double lastY) {
  WithErrorTrap(ui_, "LaunchAction", [&] {
    s_.ScanLastX = RoundToLong(lastX);
    s_.ScanLastY = RoundToLong(lastY);
    s_.JobState = static_cast<JobStage>(RoundToLong(action));  // any number: its first tick ends the job
    if (!progressLoaded_) {
      host_.SetProgressLabel("Processing...");
      host_.SetProgressFraction(0);
    }
    host_.SetTimerInterval(kTimerIntervalMs);
    progressLoaded_ = true;
    switch (s_.JobState) {
      case kSquaringStage:
        s_.ScanX = 0;
        s_.ScanY = 0;
        host_.SetProgressLabel("Squaring tile image...");
        host_.ShowForm(Form::FinalImage);
        host_.ShowForm(Form::Workspace3);
        host_.ShowForm(Form::Workspace1);
        break;
      case kTileGridStage:
        s_.ScanX = 0;
        s_.ScanY = 0;
        s_.SliceCount = -1;
        host_.ShowForm(Form::Workspace3);
        host_.ShowForm(Form::Workspace1);
        break;
      case kFinalImageStage:
        s_.ScanX = s_.engine.board.CenterX;
        s_.ScanY = s_.engine.board.CenterY;
        host_.SetProgressLabel("Creating final image...");
        s_.SliceCount = 0;
        if (!s_.SmallImageOnly) host_.ShowForm(Form::FinalImage);
        break;
      default:
        break;
    }
    host_.RunProgressModal();
  });
}

void Pipeline::KickTimer() {
  WithErrorTrap(ui_, "Kick_Timer", [&] {
    switch (s_.JobState) {
      case kSquaringStage:
        SquaringTick();
        break;
      case kTileGridStage:
        TileGridTick();
        break;
      case kFinalImageStage:
        FinalImageTick();
        break;
      default:
        UnloadProgress();
        return;
    }
    ReportProgress();
  });
}

void Pipeline::CancelIt() { UnloadProgress(); }

void Pipeline::UnloadProgress() {
  if (!progressLoaded_) return;
  FormUnload();
  progressLoaded_ = false;
  host_.CloseProgress();
}

void Pipeline::FormUnload() {
  // An error skips the rest of the clean-up; the window goes all the same.
  WithErrorTrap(ui_, "Form_Unload", [&] {
    host_.SetTimerInterval(0);
    s_.JobState = kNoJob;
    SaveNewTile();
    s_.FinalRunActive = false;
    host_.SetFormVisible(Form::Progress, false);
    host_.SetFormVisible(Form::Console, true);
    host_.HideForm(Form::FinalImage);
    host_.HideForm(Form::Workspace3);
    host_.HideForm(Form::Workspace1);
  });
}

void Pipeline::SaveNewTile() {
  if (s_.SquareMode < 1) return;
  if (s_.JobState == kSquaringStage) return;
  // The squared tile takes the tile's name up to its last "." (looked for back to the
  // second character, folders included), followed by "-Square.bmp".
  const std::string& name = s_.settings.TileFileName;
  std::string base = name;
  for (size_t p = name.size(); p >= 2; --p) {
    if (name[p - 1] == '.') {
      base = name.substr(0, p - 1);
      break;
    }
  }
  s_.settings.TileFileName = base + "-Square.bmp";
  s_.settings.PicRight = s_.SquareLast;
  s_.settings.PicBottom = s_.SquareLast;
  if (s_.SaveSquaredTile) SavePictureFile(s_.TileImage, s_.settings.TileFileName);
  s_.console.TileFile = s_.settings.TileFileName;
  host_.ConsoleChanged();
  s_.SquareMode = 0;
}

void Pipeline::SquaringTick() {
  s_.SliceCount = 0;
  TileSquaring sq;
  sq.width = s_.TileWidth, sq.height = s_.TileHeight, sq.last = s_.SquareLast, sq.mode = s_.SquareMode;
  sq.scale = s_.SquareScale, sq.scaleInv = s_.SquareScaleInv;
  // A wider tile is stretched column by column, a taller one row by row.
  int32_t& outer = sq.mode == 2 ? s_.ScanY : s_.ScanX;
  int32_t& inner = sq.mode == 2 ? s_.ScanX : s_.ScanY;
  // The square's last column and last row are the same number.
  const int32_t last = sq.last;
  while (s_.SliceCount <= kLastItemOfTick && s_.JobState == kSquaringStage) {
    if (sq.mode == 1 || sq.mode == 2) {
      s_.TileImage.PSet(s_.ScanX, s_.ScanY, SquaredTilePixel(ui_, s_.TileGrid, sq, s_.ScanX, s_.ScanY).Value);
      s_.SliceCount += 1;
      if (++inner <= last) continue;
      inner = 0;
      if (++outer <= last) continue;
      outer = 0;
    } else {
      s_.ScanX = 0;
      s_.ScanY = 0;
    }
    s_.JobState = kTileGridStage;
    s_.SliceCount = -1;
  }
  host_.PicturesChanged();
  SaveNewTile();
}

void Pipeline::TileGridSetUp() {
  s_.engine.EngineTurn45 = RoundToInteger(s_.console.Turn45ListIndex);
  host_.SetFormVisible(Form::Console, false);
  host_.SetProgressLabel("Creating Tile Grid...");
  s_.SquareCopy.SetPicture(s_.TileImage);
  // The grid covers the board; a surface made larger to hold a whole tile shrinks to it.
  const BoardConstants& board = s_.engine.board;
  if (s_.TileGrid.Width() != board.BoardWidth || s_.TileGrid.Height() != board.BoardHeight)
    s_.TileGrid.Resize(board.BoardWidth, board.BoardHeight);
  SetPartsAndLayout(s_);
  const TileGridInput in = TileGridInputFor(s_.engine, s_.SquareCopy, s_.SquareLast);
  s_.GridSampleStep = in.sampleStep;
  s_.GridSampleSize = in.sampleSize;
  s_.GridPeriodReal = ToSingle(in.period);
  s_.GridCellStart = in.cellStart;
  s_.GridCellEnd = in.cellEnd;
  s_.GridCellX = s_.GridCellStart;
  s_.GridCellY = s_.GridCellStart;
  s_.ScanY = -s_.GridHalf;
  s_.TileGrid.FillBox(0, 0, board.BoardRight, board.BoardBottom, s_.engine.TileColor.Value);
}

void Pipeline::TileGridTick() {
  if (s_.SliceCount < 0) TileGridSetUp();
  s_.SliceCount = 0;
  const BoardConstants& board = s_.engine.board;
  const int32_t period = s_.GridPeriod;
  // Nothing the samples read changes during a tick.
  const TileGridInput input = TileGridInputFor(s_.engine, s_.SquareCopy, s_.SquareLast);
  while (s_.SliceCount <= kLastItemOfTick && s_.JobState == kTileGridStage) {
    const Chroma c = TileGridSample(ui_, input, s_.GridCellX, s_.GridCellY);
    s_.SliceCount += 1;

    // The sample is computed once per cell pixel and repeated over the whole board.
    if (period > 0) {
      int32_t firstRow = s_.ScanY;
      if (firstRow < 0) firstRow += ((-firstRow + period - 1) / period) * period;
      for (int32_t i = s_.ScanX; i <= board.BoardRight; i += period)
        for (int32_t j = firstRow; j <= board.BoardBottom; j += period) s_.TileGrid.PSet(i, j, c.Value);
    }

    s_.ScanY += 1;
    s_.GridCellY = ToSingle(s_.GridCellY + 1.0);
    if (s_.GridCellY > s_.GridCellEnd) {
      s_.GridCellY = s_.GridCellStart;
      s_.ScanY = -s_.GridHalf;
      s_.GridCellX = ToSingle(s_.GridCellX + 1.0);
      s_.ScanX += 1;
      if (s_.GridCellX > s_.GridCellEnd) GridComplete();
    }
  }
  host_.PicturesChanged();
}

void Pipeline::GridComplete() {
  s_.settings.NeedToRedrawGrid = false;
  if (!s_.FinalRunActive) {
    s_.JobState = kNoJob;
    return;
  }
  s_.JobState = kFinalImageStage;
  s_.SliceCount = 0;
  s_.ScanX = s_.engine.board.CenterX;
  s_.ScanY = s_.engine.board.CenterY;
  host_.SetFormVisible(Form::Progress, false);
  host_.SetFormVisible(Form::Console, true);
  host_.SetProgressLabel("Creating final image...");
  host_.ShowForm(Form::Workspace3);
  host_.ShowForm(Form::Workspace1);
  if (!s_.SmallImageOnly) {
    host_.ShowForm(Form::FinalImage);
    host_.HideForm(Form::Console);
  } else {
    host_.HideForm(Form::FinalImage);
    host_.ShowForm(Form::Console);
  }
  host_.SetFormVisible(Form::Progress, true);
}

void Pipeline::FinalImageItem(FinalPixelKernel& kernel) {
  const BoardConstants& b = s_.engine.board;
  // Each scan position of the lower right quarter stands for one pixel in each ticked
  // quadrant, in the order lower right, upper right, lower left, upper left. The boxes
  // are read afresh at every position.
  for (const Quadrant q : kQuadrantScanOrder) {
    if (!s_.console.FillInQuadrant[q]) continue;
    const int32_t x = IsRightQuadrant(q) ? s_.ScanX : s_.ScanX - b.CenterX;
    const int32_t y = IsLowerQuadrant(q) ? s_.ScanY : s_.ScanY - b.CenterY;
    int32_t value = 0;
    if (!kernel.ScanColour(x, y, value)) continue;
    if (s_.ScaleFactor == 1.0f) s_.FinalImage.PSet(x, y, value);
    s_.Thumbnail.PSet(ThumbnailCoordinate(x), ThumbnailCoordinate(y), value);
  }
}

void Pipeline::FinalImageTick() {
  const BoardConstants& b = s_.engine.board;
  // Nothing the kernel reads can change during a tick: the console's values change
  // only between ticks.
  FinalPixelKernel kernel(ui_, s_.TileGrid, s_.engine, s_.spectrum, s_.console.SpecStart);
  while (s_.SliceCount <= kLastItemOfTick && s_.JobState == kFinalImageStage) {
    FinalImageItem(kernel);
    s_.SliceCount += 1;
    s_.ScanY += s_.ScaleDivisor;
    if (s_.ScanY > b.BoardBottom) {
      s_.ScanY = b.CenterY;
      s_.ScanX += s_.ScaleDivisor;
      if (s_.ScanX > b.BoardRight) {
        s_.FinalRunActive = false;
        if (s_.SaveFinalPicture)
          SaveFinal(ui_, s_.settings, s_.ScaleDivisor, s_.Thumbnail, s_.FinalImage);
        s_.JobState = kNoJob;
      }
    }
  }
  s_.SliceCount = 0;
  host_.PicturesChanged();
}

void Pipeline::ReportProgress() {
  double done = 1.0;
  switch (s_.JobState) {
    case kSquaringStage: {
      const double side = static_cast<double>(s_.ScanLastX) + 1.0;
      const double items = side * (static_cast<double>(s_.ScanLastY) + 1.0);
      const double at = s_.SquareMode == 2 ? s_.ScanY * side + s_.ScanX
                                           : s_.ScanX * (s_.ScanLastY + 1.0) + s_.ScanY;
      done = items > 0 ? at / items : 0.0;
      break;
    }
    case kTileGridStage: {
      const double span = static_cast<double>(s_.GridCellEnd) - s_.GridCellStart + 1.0;
      done = s_.SliceCount < 0 || span <= 0 ? 0.0 : (s_.GridCellX - s_.GridCellStart) / span;
      break;
    }
    case kFinalImageStage: {
      const BoardConstants& b = s_.engine.board;
      const double span = static_cast<double>(b.BoardRight) - b.CenterX + 1.0;
      done = span > 0 ? (s_.ScanX - b.CenterX) / span : 0.0;
      break;
    }
    default:
      break;
  }
  host_.SetProgressFraction(std::clamp(done, 0.0, 1.0));
}

}  // namespace marvane
