#pragma once
// The values a render is made with, gathered as the desktop gathers them and checked
// as its console checks them. The console's values come from the settings file's
// defaults, then from the file given with --settings, then from the flags, each later
// source overriding the earlier. Every value the user gave is checked against its
// control's range, from a flag or from the settings file (which can hold a number the
// console would refuse); the ranges of the radius and the fade width follow the board.
// The defaults are taken as they are, even where a small board puts them out of range.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/render_options.h"
#include "colour/chroma.h"
#include "console/console_model.h"
#include "console/settings.h"
#include "engine/geometry.h"
#include "platform/picture_files.h"
#include "run/loop.h"

namespace marvane {

// Range messages are the console's own (console/validation.h), after the flag that
// was out of range: "--pieces: Value must be between 6 and 99!".

// The largest board side: a poster's, drawn a band at a time (cli/poster.h).
inline constexpr int32_t kLargestBoardSide = 65536;
inline constexpr int32_t kMostThreads = 1024;
// --dpi, dots an inch. 100000 lies far beyond any printer or scanner, and its pixels a
// metre (3937008) far within the 32 bits a picture file holds them in.
inline constexpr double kDefaultDpi = 96;
inline constexpr int32_t kMostDpi = 100000;

// The animation's values, checked: --frames 1 to kMostFrames, --fps 1 to kMostFps,
// --quality 0 to 100, and --frame-range FIRST:END with 0 <= FIRST < END <= frames, or
// frames:frames+1, the frame after the last, which shows the first again; the resolution
// the PNG frames record.
struct AnimationValues {
  int32_t frames = kDefaultFrames;
  double fps = kDefaultFps;
  std::optional<double> quality;
  int32_t first = 0, end = kDefaultFrames;
  int32_t pixelsPerMetre = kScreenPixelsPerMetre;
};
AnimationValues CheckedAnimation(const RenderOptions& options);

// What "-" stands for: standard input as --tile, standard output as -o.
std::string TilePathOf(const RenderOptions& options);
std::string OutputPathOf(const RenderOptions& options);
// The still's format: --format, else PNG for standard output and the name's for a file.
std::string_view OutputFormatOf(const RenderOptions& options);

// Whether a still may be written at `output`, found before any work so that a mistyped
// name costs nothing: a file's folder must be there, and the name must be a file, a link
// to one, a pipe or a device (not a folder or a block device); standard output must not
// be a terminal. Raises RenderFailure (kExitBadInput).
void CheckOutputFile(const std::string& output);
// The refusal of a tile whose last column and row are these, outside 10 to 300 pixels.
std::string TileSizeFailure(const std::string& tile, int32_t lastX, int32_t lastY);

// Standard input as the tile must not be a terminal, where the render would wait for a
// person to type a picture.
void CheckTileSource(const std::string& tile);

// The board's width and height, each 1 to kLargestBoardSide: --board's, or --print-size's
// at --dpi, each side in inches times the dpi to the nearest pixel (halves up). A print
// size out of range is refused naming the pixels it comes to.
void CheckBoard(const RenderOptions& options, int32_t& width, int32_t& height);
// The board asked for, unchecked (--print-size at --dpi as it stands), for messages.
std::array<double, 2> AskedBoard(const RenderOptions& options);
// The resolution the pictures record: --dpi (1 to kMostDpi, else kDefaultDpi) as pixels a
// metre, dpi / 0.0254 to the nearest whole number (96 dpi: 3780; 300 dpi: 11811).
int32_t CheckedPixelsPerMetre(const RenderOptions& options);

// Fills the mirror (start folder, defaults, the settings file) and the console model
// for a render on `board`. Raises RenderFailure (kExitBadInput) naming the first value
// outside its range, as "--pieces: Value must be between 6 and 99!", "--settings
// FILE: NumRadialPieces 120: Value must be ...", and for a settings file that cannot be
// read.
void FillConsole(const RenderOptions& options, const BoardConstants& board, SettingsMirror& mirror,
                 ConsoleModel& console);

// --seed as a 64-bit seed (0 to 2^64 - 1).
uint64_t CheckedSeed(const std::string& text);
// --threads, 1 to kMostThreads; 0 when not given (every core).
int32_t CheckedThreads(const RenderOptions& options);
// --tile-color, each component 0 to 255, as a colour record's components.
Chroma CheckedTileColor(const RenderOptions& options);

}  // namespace marvane
