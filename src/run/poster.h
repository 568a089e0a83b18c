#pragma once
// A still drawn a band of rows at a time, each band handed on as soon as it is done and
// its memory used again for the next: a picture of any size is made in the memory of two
// bands (and the tile grid's cell). The bands give the very pixels of the picture drawn
// whole, since a pixel's colour depends on nothing but its place.
#include <cstdint>
#include <functional>

#include "run/final_stage_parallel.h"

namespace marvane {

class Ui;

struct PosterOptions {
  int32_t firstRow = 0, endRow = 0;  // the rows drawn: the whole board or one band of it
  bool bottomUp = false;             // bands from the last row up, as BMP stores them
  int32_t threads = 0;               // 0: one per core
  int32_t bandRows = 0;              // rows a band; 0: PosterBandRows
  // Called on the calling thread as the rows come on, with the rows finished so far.
  std::function<void(int64_t rowsDone)> progress;
};

// The rows a band of a picture `width` x `height` has by default: all of them up to
// 256 MB, else about 16 MB of pixels (16 to 256 rows).
int32_t PosterBandRows(int32_t width, int32_t height);

// Draws the rows of `options` from `input` (its stride is taken as 1), calling
// write(rows, first, count) for each band in order: `count` rows from row `first`, top
// row first, the board's width a row. A band is written while the next is drawn, on
// the calling thread. The writer's and the engine's errors stop the drawing and are
// raised again here.
using BandWrite = std::function<void(const int32_t* rows, int32_t first, int32_t count)>;
void DrawPoster(const FinalStageInput& input, Ui& ui, const PosterOptions& options, const BandWrite& write);

}  // namespace marvane
