#pragma once
// marvane-render's command line: the flags, read into a plain struct. Reading checks
// only how each value is written; whether a number lies in its range is the render's
// business (render_values.h), because some ranges follow the board and the values may
// also come from a settings file.
//
// A value that is not written as its flag expects ("abc", "", "12abc", "NaN", "inf",
// " 12", "1,5", "7.5" for a slider) is bad usage, exit status 2. A value written
// correctly but lying outside its range (however far: "1e999", fifty digits, "-1e999")
// is bad input, exit status 1, with the console's range message. Numbers are decimal:
// an optional sign, digits with at most one ".", an optional exponent; sliders, seeds,
// thread counts and board sides take whole numbers (an optional sign and digits).
#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/render_failure.h"
#include "util/numbers.h"

namespace marvane {


inline constexpr const char* kRenderProgramName = "marvane-render";

// The name of standard input as --tile, of standard output as -o.
inline constexpr const char* kStandardStream = "-";

// The default output and board: the desktop's.
inline constexpr const char* kDefaultOutputName = "Final.bmp";

// The board as a print size (--print-size 70x50cm): its sides in a unit, made pixels at
// the print resolution (render_values.h).
struct PrintSize {
  std::string text;             // as typed, for messages
  double width = 0, height = 0;
  double unitsAnInch = 1;       // 2.54 for cm, 25.4 for mm, 1 for in
};

// The flags that carry a console value, by the name the user typed them with. Each
// number is held as read (a double: 7.5 pieces is 7.5 here, rounded when it is used,
// as the console rounds what is typed into its boxes).
struct RenderOptions {
  std::string tile;                              // --tile (required but for --join)
  std::string output = kDefaultOutputName;       // -o, --output
  std::optional<std::string> format;             // --format bmp|png|tiff
  std::optional<std::string> settings;           // --settings

  std::optional<double> pieces;                  // --pieces
  std::optional<double> smallestRadius;          // --smallest-radius
  std::optional<double> fadeWidth;               // --fade-width
  std::optional<int32_t> turn45ListIndex;        // --rotate: -45 -> 0, 0 -> 1, 45 -> 2
  std::optional<double> spectrumShift;           // --spectrum-shift (slider Cline)
  std::optional<double> centerTone;              // --center-tone (slider SpecStart)
  std::optional<double> brightnessShift;         // --brightness-shift (slider Lighten)
  std::optional<double> centerBrightness;        // --center-brightness (slider LightStart)

  // --quadrants, by the console's check-box index: 0 ur, 1 ul, 2 ll, 3 lr.
  std::array<bool, 4> quadrants = {true, true, true, true};
  bool small = false;                            // --small

  double boardWidth = 793;                       // --board WxH
  double boardHeight = 573;
  std::optional<PrintSize> printSize;            // --print-size WxHUNIT, instead of --board
  std::optional<double> dpi;                     // --dpi (none: 96, the desktop's)

  std::optional<std::string> seed;               // --seed, its digits as typed
  std::optional<std::array<double, 3>> tileColor;  // --tile-color R,G,B
  std::optional<std::string> grid;               // --grid
  std::optional<std::string> keep;               // --keep

  // A seamless loop instead of a still (cli/animation.h).
  std::optional<std::string> animate;            // --animate zoom|hue|both
  std::optional<double> frames;                  // --frames (none: 48)
  std::optional<double> fps;                     // --fps (none: 24)
  std::optional<double> quality;                 // --quality (none: lossless)
  std::optional<std::array<double, 2>> frameRange;  // --frame-range A:B
  std::optional<std::array<double, 2>> shard;       // --shard K/N, of the frames or of a still's rows
  std::optional<std::array<double, 2>> rows;        // --rows FIRST:END, a band of a still
  std::optional<std::string> join;               // --join FOLDER

  std::optional<double> threads;                 // --threads (none: every core)
  bool sequential = false;                       // --sequential
  bool quiet = false;                            // -q, --quiet
  bool verbose = false;                          // -v, --verbose
};

// What reading the command line came to: either options to render with, or an exit
// status (0 after --help, 2 after bad usage) with everything already printed.
struct ParsedCommandLine {
  std::optional<RenderOptions> options;
  int status = kExitSuccess;
};

// Whether --join puts a poster's bands together (its -o names a picture: .png, .tif,
// .tiff, .bmp, .dzi, or --format bmp, png or tiff) rather than a loop's frames.
bool JoinsPosterBands(const RenderOptions& options);

// Reads argv. --help prints the usage on `out`; bad usage prints one line naming what
// was wrong on `err`, followed by a hint to --help.
ParsedCommandLine ParseRenderCommandLine(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& err);


}  // namespace marvane
