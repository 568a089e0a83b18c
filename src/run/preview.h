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
#include "run/render_input.h"

namespace marvane {

class RecordingUi;
class Ui;

// Everything one preview is made from. Plain values, and the two pictures it shares
// with earlier requests, which nobody changes once made.
struct PreviewRequest {
  ConsoleModel console;   // the number boxes hold the accepted numbers; no file names
  EngineState engine;
  int32_t SquareLast = 0;
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

// The input of a request's picture: its console's values on its board, with its tile's
// colour, and the output choice `smallOnly`. Raises RunTimeError for a number beyond its
// type; the engine's traps show theirs on `ui`.
RenderInput RequestInput(const PreviewRequest& r, Ui& ui);

// The tile grid a request's picture is drawn on: the desktop's when it fits, else the
// corner of it that the final stage reads, built from the squared tile on `threads`
// threads (0: one per core). `keepGoing` is asked from
// any of the grid's threads with the fraction done; false stops the building and gives
// an empty picture, as an error shown on `ui` does.
Picture RequestGrid(const PreviewRequest& r, const RenderInput& input, RecordingUi& ui, int32_t threads,
                    const std::function<bool(double)>& keepGoing);

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
