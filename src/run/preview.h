#pragma once
// The live preview's picture: the small picture that "Create Final Image" with "Small
// image only" would draw for the values now on the console, made on other threads from
// a snapshot. Nothing of the desktop's own state is touched: not its pipeline, not its
// grid, thumbnail or files.
//
// What the preview takes from the console:
// - the four sliders, the rotation list and the quadrant boxes as they stand, so that a
//   slider is followed while it is dragged;
// - the three number boxes as last accepted (the engine's copies their handlers keep),
//   so that a half-typed or rejected number changes nothing.
// The tile grid is the one "Create Final Image" would draw on: the desktop's own while
// it fits the values (the grid is not marked for redrawing and the rotation list shows
// the rotation it was built with), else one built here from the squared tile, the same
// way. A built grid is kept for the next preview until the number of parts, the rotation
// or the tile changes.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "colour/spectrum.h"
#include "run/app_state.h"

namespace marvane {

class Pipeline;
class RecordingUi;
class Ui;

// Everything one preview is made from. Plain values, and the two pictures it shares
// with earlier requests, which nobody changes once made.
struct PreviewRequest {
  ConsoleModel console;   // the number boxes hold the accepted numbers; no file names
  EngineState engine;
  int32_t SquareLast = 0;
  int32_t SquareSide = 0;
  int32_t TileWidth = 0;
  int32_t TileHeight = 0;
  std::shared_ptr<const Picture> square;  // the squared tile, as the console shows it
  std::shared_ptr<const Picture> grid;    // the desktop's grid when it fits; else null

  // The same picture would come out: what a newer request is compared with, so that a
  // change that shapes nothing (a rejected number, the same value again) costs nothing.
  bool SamePicture(const PreviewRequest& other) const;
};

// Takes what a preview needs from the desktop's state. `square` and `grid` are the
// caller's shared copies of the squared tile and the grid: each is made anew only when
// the desktop's picture differs from it, so that a slider's move copies no pictures.
PreviewRequest MakePreviewRequest(const AppState& s, std::shared_ptr<const Picture>& square,
                                  std::shared_ptr<const Picture>& grid);

// The outcome of one preview: the picture, or the message of the error that stopped it
// (as "title: text", as the desktop's message box would show it).
struct PreviewResult {
  Picture picture;
  std::string message;
  bool gridBuilt = false;  // this preview had to build its tile grid
};

// What the preview and the desktop's loop share, each on a state of its own:

// Sets `s` up from `r` as the desktop's state is before "Create Final Image" is clicked,
// writing no files: the console, the engine's values, the spectrum, the tile's measures
// and the small picture; the full-size picture too when `large`.
void SetUpSnapshotState(const PreviewRequest& r, bool large, AppState& s);

// The tile-grid stage as the desktop's job runs it, all at once on `threads` threads (0:
// one per core): from `square`, the squared tile, into s.TileGrid. `progress` is
// called with the fraction done, from any of the threads; false stops the building.
// Returns false when it was stopped or when the stage showed an error on `ui`, the
// pipeline's.
bool BuildSnapshotGrid(AppState& s, Pipeline& pipeline, const RecordingUi& ui, const Picture& square, int32_t threads,
                       const std::function<bool(double)>& progress);

// "Create Final Image" on a snapshot's state with its grid in place: the engine's number
// of parts, the spiral and the grid's layout, then PrepareFinalImage, whose job it
// returns (3 with the grid in place). Errors go to the caller.
int32_t PrepareSnapshotFinal(AppState& s, Ui& ui);

// Makes previews one after the other (not from two threads at once), keeping the last
// grid it built.
class PreviewRenderer {
 public:
  // `threads`: 0 means one per core.
  explicit PreviewRenderer(int32_t threads = 0) : threads_(threads) {}

  // The preview for `request`; nothing when `cancelled` turned true on the way.
  std::optional<PreviewResult> Render(const PreviewRequest& request, const std::function<bool()>& cancelled);

 private:
  struct GridKey {
    int32_t pieces = 0;
    int32_t turn45 = 0;
    int32_t tileColour = 0;
    std::shared_ptr<const Picture> square;
    bool operator==(const GridKey&) const = default;
  };

  int32_t threads_;
  std::optional<GridKey> builtFor_;
  Picture built_;
};

}  // namespace marvane
