#pragma once
// The renderer's stills as posters: drawn a band of rows at a time and written as each
// band is done, so a picture of any size up to 65536 x 65536 takes the memory of two
// bands and the tile grid's cell, never of the board. Every still but the small picture,
// --keep's and --sequential's is made so.
//
// A poster can be split over machines: --rows FIRST:END (or --shard K/N, an even share
// of the rows) writes one band into a folder, FOLDER/rows-FIRST-END-of-WxH.png, complete
// or absent; --join FOLDER puts the bands of a folder together into one picture, a band
// read at a time. The bands' names tell them from a loop's frames.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/render_driver.h"
#include "cli/render_options.h"
#include "cli/render_progress.h"
#include "run/render_input.h"

namespace marvane {

class RecordingUi;

// The largest board drawn whole: the largest picture file we read (a grid for --grid),
// and the largest that the small picture, --keep and the desktop's own pipeline take.
inline constexpr int32_t kLargestWholeBoardSide = 16384;

// What the still writes: the rows, and where.
struct PosterPlan {
  int32_t first = 0, end = 0;  // the rows drawn: all of them, or one band
  bool band = false;           // --rows or --shard: one band into a folder
  std::string path;            // the file (for a band, inside the folder)
  std::string format;          // "bmp", "png", "tiff" or "dzi"
};

// Whether the still is drawn as a poster: every one but the small picture, --keep's and
// --sequential's.
bool DrawnAsPoster(const RenderOptions& options);

// The rows and the output of `options` on a board of `width` x `height`, checked before
// any work: --rows within the board, --shard K/N with K below N, a band's folder, a
// picture the format can hold (BMP to 4 GB). Raises RenderFailure.
PosterPlan CheckedPosterPlan(const RenderOptions& options, int32_t width, int32_t height);

// "rows-000000-004096-of-65536x65536.png": the band of rows 0 to 4095 of that board.
std::string BandFileName(int32_t first, int32_t end, int32_t width, int32_t height);

// Draws and writes the poster of `plan` from `input`, its grid being `tile`'s (with
// --grid) or made here: the grid's corner when it takes at most kMostGridBytes, else
// worked out where it is read (several times slower where the tile is turned, each
// read being a turned sample of the tile). The bound keeps a 65536-pixel poster of 12
// pieces (a cell of 21445, 1.71 GiB) in under 2 GB with its bands and its writer.
// `times` takes the grid's and the drawing's. Raises RenderFailure or RunTimeError;
// nothing is written then.
inline constexpr int64_t kMostGridBytes = int64_t{1792} << 20;
void RenderPoster(const RenderOptions& options, const PosterPlan& plan, const RenderInput& input,
                  const RenderTile& tile, RecordingUi& ui, int32_t threads, ProgressLine& progress,
                  StageTimes& times, int32_t pixelsPerMetre);

// --join FOLDER with a picture for -o: the bands of FOLDER, which must fit together into
// one whole board, as one picture (PNG, TIFF or a Deep Zoom view), a band at a time.
// Raises RenderFailure naming what is wrong; nothing is written then.
void JoinBands(const RenderOptions& options, std::ostream& err, bool progress);

}  // namespace marvane
