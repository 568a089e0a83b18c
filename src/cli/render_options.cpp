#include "cli/render_options.h"

#include <CLI/CLI.hpp>

#include <ostream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "run/loop.h"
#include "util/general.h"
#include "util/numbers.h"
#include "version.h"

namespace marvane {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bad usage: one line naming the flag and what is wrong with its value.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

double DecimalFlag(const std::string& flag, const std::string& text) {
  const std::optional<double> v = ReadDecimalNumber(text);
  if (!v) throw UsageError(flag + ": " + Quoted(text) + " is not a number");
  return *v;
}

double WholeFlag(const std::string& flag, const std::string& text) {
  const std::optional<double> v = ReadWholeNumber(text);
  if (!v) throw UsageError(flag + ": " + Quoted(text) + " is not a whole number");
  return *v;
}

std::array<bool, 4> QuadrantsFlag(const std::string& text) {
  std::array<bool, 4> ticked = {false, false, false, false};
  if (text.empty() || text == "none") return ticked;
  // The console's check boxes by index: Upper Right, Upper Left, Lower Left, Lower Right.
  static constexpr const char* kNames[4] = {"ur", "ul", "ll", "lr"};
  for (const std::string& name : SplitAt(text, ',')) {
    bool known = false;
    for (int q = 0; q < 4; ++q) {
      if (name == kNames[q]) {
        ticked[q] = true;
        known = true;
      }
    }
    if (!known)
      throw UsageError("--quadrants: " + Quoted(name) +
                       " is not a quadrant (use ur, ul, ll and lr, separated by commas, or none)");
  }
  return ticked;
}

int32_t RotateFlag(const std::string& text) {
  if (text == "-45") return 0;
  if (text == "0") return 1;
  if (text == "45") return 2;
  throw UsageError("--rotate: " + Quoted(text) + " is not one of -45, 0 and 45");
}

void BoardFlag(const std::string& text, double& width, double& height) {
  size_t x = text.find_first_of("xX");
  const auto bad = [&] {
    return UsageError("--board: " + Quoted(text) + " is not WIDTHxHEIGHT in pixels (as 793x573)");
  };
  if (x == std::string::npos) throw bad();
  const std::string w = text.substr(0, x), h = text.substr(x + 1);
  // Sides are unsigned digits: a sign would read as a typo of the separator.
  for (const std::string* side : {&w, &h}) {
    if (side->empty()) throw bad();
    for (char c : *side)
      if (!IsDigit(c)) throw bad();
  }
  width = *ReadWholeNumber(w);
  height = *ReadWholeNumber(h);
}

// Sides are unsigned decimals, as 29.7x21cm; the unit's letter case does not matter.
PrintSize PrintSizeFlag(const std::string& text) {
  const auto bad = [&] {
    return UsageError("--print-size: " + Quoted(text) + " is not WIDTHxHEIGHT with a unit cm, mm or in (as 70x50cm)");
  };
  static constexpr std::pair<const char*, double> kUnits[] = {{"cm", 2.54}, {"mm", 25.4}, {"in", 1}};
  PrintSize size;
  size.text = text;
  std::string sides;
  for (const auto& [unit, unitsAnInch] : kUnits)
    if (AsciiLower(text).ends_with(unit)) sides = text.substr(0, text.size() - 2), size.unitsAnInch = unitsAnInch;
  const size_t x = sides.find_first_of("xX");
  if (x == std::string::npos) throw bad();
  const std::string w = sides.substr(0, x), h = sides.substr(x + 1);
  for (const std::string* side : {&w, &h})
    if (side->find_first_not_of("0123456789.") != std::string::npos || !ReadDecimalNumber(*side)) throw bad();
  size.width = *ReadDecimalNumber(w);
  size.height = *ReadDecimalNumber(h);
  return size;
}

std::array<double, 3> TileColorFlag(const std::string& text) {
  const std::vector<std::string> parts = SplitAt(text, ',');
  if (parts.size() != 3)
    throw UsageError("--tile-color: " + Quoted(text) + " is not three numbers R,G,B");
  std::array<double, 3> rgb{};
  for (int i = 0; i < 3; ++i) {
    const std::optional<double> v = ReadDecimalNumber(parts[static_cast<size_t>(i)]);
    if (!v) throw UsageError("--tile-color: " + Quoted(text) + " is not three numbers R,G,B");
    rgb[static_cast<size_t>(i)] = *v;
  }
  return rgb;
}

std::array<double, 2> ShardFlag(const std::string& text) {
  const std::vector<std::string> parts = SplitAt(text, '/');
  std::optional<double> k, n;
  if (parts.size() == 2) k = ReadWholeNumber(parts[0]), n = ReadWholeNumber(parts[1]);
  if (!k || !n) throw UsageError("--shard: " + Quoted(text) + " is not K/N, shard K (from 0) of N (as 0/4)");
  return {*k, *n};
}

// FIRST:END, as --frame-range and --rows take them; `unit` names what is counted, with
// an example ("frames (as 0:24)").
std::array<double, 2> FirstEndFlag(const std::string& flag, const std::string& text, const char* unit) {
  const std::vector<std::string> parts = SplitAt(text, ':');
  std::optional<double> first, end;
  if (parts.size() == 2) first = ReadWholeNumber(parts[0]), end = ReadWholeNumber(parts[1]);
  if (!first || !end) throw UsageError(flag + ": " + Quoted(text) + " is not FIRST:END in " + unit);
  return {*first, *end};
}

// A still's format by the name's ending ("" when it has none): the ending the picture
// writer reads ("bmp", "png", "tiff"), or the ending itself when it is none of those.
std::string FormatOfEnding(const std::string& name) {
  const size_t slash = name.rfind('/');
  const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  const std::string ending = AsciiLower(file.substr(dot + 1));
  return ending == "tif" ? "tiff" : ending;
}

// --format names the format where the output's name cannot: standard output, a pipe or
// device such as /dev/null, a name without an ending. A name with an ending must agree.
void CheckFormat(const RenderOptions& o) {
  const bool loop = o.animate || (o.join && !JoinsPosterBands(o));
  if (o.format) {
    const std::string& f = *o.format;
    const bool still = f == "bmp" || f == "png" || f == "tiff", video = f == "mp4" || f == "webm" || f == "gif";
    if (!still && !video)
      throw UsageError("--format: " + Quoted(f) + " is not one of bmp, png and tiff (mp4, webm and gif for a loop)");
    if (loop != video)
      throw UsageError("--format " + f + (loop ? ": a loop into a stream is mp4, webm or gif" : ": only for a loop"));
    const std::string ending = FormatOfEnding(o.output);
    if (o.output != kStandardStream && !ending.empty() && ending != f)
      throw UsageError("--format " + f + ": the name " + Quoted(o.output) +
                       " asks for another format; change its ending or leave --format out");
  }
  if (o.output == kStandardStream && loop && !o.format)
    throw UsageError("--output -: name the loop's format with --format mp4, webm or gif (a WebP is put together whole, "
                     "so it cannot stream)");
  if (o.keep && *o.keep == kStandardStream) throw UsageError("--keep: names a folder, not standard output");
}

// A band of a poster (--rows, or --shard of a still) is of the full-size picture and
// goes into a folder as a PNG.
void CheckPosterFlags(const RenderOptions& o) {
  if (!o.animate && !o.join && FormatOfEnding(o.output) == "dzi")
    for (const auto& [given, name] : {std::pair{o.small, "--small"}, {o.keep.has_value(), "--keep"}, {o.sequential, "--sequential"}})
      if (given) throw UsageError(std::string(name) + ": a Deep Zoom view (-o NAME.dzi) is of the full-size picture, drawn as a poster");
  if (o.rows && (o.animate || o.join)) throw UsageError("--rows: only for a still picture (a band of its rows)");
  if (o.rows && o.shard) throw UsageError("--shard: a shard is a band of rows already; leave out --rows");
  if (!o.rows && !(o.shard && !o.animate)) return;
  const std::string flag = o.rows ? "--rows" : "--shard";
  if (o.join) throw UsageError(flag + ": only with --animate, or for a still picture");
  for (const auto& [given, name] : {std::pair{o.small, "--small"}, {o.keep.has_value(), "--keep"}, {o.sequential, "--sequential"}})
    if (given) throw UsageError(flag + ": a band is of the full-size picture; leave out " + name);
  if (o.output.empty() || o.output.back() != '/' || o.format)
    throw UsageError(flag + ": a band goes into a folder as a PNG: end -o's name with /");
}

// What goes with what: the animation's flags with --animate (or, for the speed and
// quality, --join), and the outputs they write.
void CheckAnimationFlags(const RenderOptions& o, bool outputGiven) {
  const LoopOutput kind = o.format ? LoopOutput::Video : LoopOutputOf(o.output);
  const bool folder = kind == LoopOutput::Frames;
  if (o.animate && *o.animate != "zoom" && *o.animate != "hue" && *o.animate != "both")
    throw UsageError("--animate: " + Quoted(*o.animate) + " is not one of zoom, hue and both");
  if (o.join && o.animate) throw UsageError("--join: joins frames already made; leave out --animate");
  if (!o.animate) {
    if (o.frames) throw UsageError("--frames: only with --animate");
    if (o.frameRange) throw UsageError("--frame-range: only with --animate");
    if (!o.join && (o.fps || o.quality)) throw UsageError(std::string(o.fps ? "--fps" : "--quality") + ": only with --animate or --join");
  }
  if (!o.animate && !(o.join && !JoinsPosterBands(o))) return;
  if (o.animate && o.sequential) throw UsageError("--sequential: only for a still picture");
  if (o.animate && o.keep) throw UsageError("--keep: only for a still picture");
  const std::string flag = o.join ? "--join" : "--animate";
  if (!outputGiven) throw UsageError(flag + ": name the output with -o (NAME.webp, .mp4, .webm, .gif, or FOLDER/ for frames)");
  if (o.join && (folder || kind == LoopOutput::Unknown))
    throw UsageError("--join: -o names the loop to write, NAME.webp, .mp4, .webm or .gif");
  if (o.shard && o.frameRange) throw UsageError("--shard: a shard is a range of frames already; leave out --frame-range");
  for (const auto& [given, name] : {std::pair{o.frameRange.has_value(), "--frame-range"}, {o.shard.has_value(), "--shard"}})
    if (given && !folder) throw UsageError(std::string(name) + ": the frames go into a folder: end -o's name with /");
  if (kind == LoopOutput::Unknown)
    throw UsageError("--output " + o.output + ": a loop is written as NAME.webp, .mp4, .webm or .gif, or as frames into FOLDER/");
  if (o.quality && folder) throw UsageError("--quality: only for a .webp, .mp4, .webm or .gif loop; frames are lossless PNG");
  if (o.dpi && !folder)
    throw UsageError("--dpi: a .webp, .mp4, .webm or .gif loop records no resolution; PNG frames into FOLDER/ do");
}

}  // namespace

bool JoinsPosterBands(const RenderOptions& o) {
  if (!o.join) return false;
  if (o.format) return *o.format == "png" || *o.format == "tiff" || *o.format == "bmp";
  const std::string e = FormatOfEnding(o.output);
  return e == "png" || e == "tiff" || e == "bmp" || e == "dzi";
}

namespace {

using Apply = void (*)(RenderOptions& o, const std::string& flag, const std::string& value);

// One flag: its names, the word --help shows for its value, its help, and how its text
// becomes a value. A switch (no value) names the member it turns on instead.
struct Flag {
  const char* names;
  const char* value;
  const char* help;
  Apply apply = nullptr;
  bool RenderOptions::*on = nullptr;
};

// In the order --help lists them.
const Flag kFlags[] = {
    {"--tile", "FILE", "The tile picture (BMP, JPG, TIF, GIF or PNG); - reads it from standard input",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.tile = v; }},
    {"-o,--output", "FILE",
     "The picture to write: BMP, or PNG or TIFF by its ending (default Final.bmp), or NAME.dzi for a zoomable view "
     "(NAME.dzi, NAME_files/ and the page NAME.html); - writes it to standard output "
     "(PNG unless --format says otherwise); for a loop NAME.webp, NAME.mp4, NAME.webm, NAME.gif, or FOLDER/ for "
     "numbered PNG frames. A file is written whole or not at all, through any links to it; a pipe or device gets "
     "the bytes as one stream",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.output = v; }},
    {"--format", "FORMAT",
     "The format where the name has no ending (-, a pipe, /dev/null): bmp, png or tiff for a still, mp4, webm or "
     "gif for a loop",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.format = v; }},
    {"--settings", "FILE", "Start from the values of this settings file (Tesklet.INI's format)",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.settings = v; }},
    {"--pieces", "N", "Number of radial parts, 6 to 99",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.pieces = DecimalFlag(f, v); }},
    {"--smallest-radius", "R", "Smallest radius in pixels, 3 to half the board's diagonal",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.smallestRadius = DecimalFlag(f, v); }},
    {"--fade-width", "F", "Width of the fade band in pixels, 3 to half the board's diagonal",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.fadeWidth = DecimalFlag(f, v); }},
    {"--rotate", "-45|0|45", "Turn the tile: -45, 0 or 45 degrees",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.turn45ListIndex = RotateFlag(v); }},
    {"--spectrum-shift", "V", "Spectrum shift, -150 to 150",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.spectrumShift = WholeFlag(f, v); }},
    {"--center-tone", "V", "Colour tone at centre, 0 to 426",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.centerTone = WholeFlag(f, v); }},
    {"--brightness-shift", "V", "Brightness shift, -100 to 100",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.brightnessShift = WholeFlag(f, v); }},
    {"--center-brightness", "V", "Brightness at centre, -100 to 100",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.centerBrightness = WholeFlag(f, v); }},
    {"--quadrants", "LIST", "Quadrants to fill, from ur,ul,ll,lr (default all; none or an empty list for none)",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.quadrants = QuadrantsFlag(v); }},
    {"--small", "", "Write the small picture (a quarter of the board each way)", nullptr, &RenderOptions::small},
    {"--board", "WxH",
     "Board size in pixels (default 793x573, the desktop's), up to 65536x65536: a poster, drawn and written a band "
     "of rows at a time",
     [](RenderOptions& o, const std::string&, const std::string& v) { BoardFlag(v, o.boardWidth, o.boardHeight); }},
    {"--print-size", "WxHUNIT",
     "The board as a print size at --dpi, instead of --board: width and height in cm, mm or in (as 70x50cm or "
     "8.5x11in); each side in pixels is the side in inches times the dpi, to the nearest pixel",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.printSize = PrintSizeFlag(v); }},
    {"--dpi", "N",
     "Print resolution the pictures record, 1 to 100000 dots an inch (default 96, the desktop's): the picture, "
     "--keep's and PNG frames; a .webp, .mp4, .webm or .gif loop records none",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.dpi = DecimalFlag(f, v); }},
    {"--seed", "N", "Seed of the tile-colour sampling (default: the clock)",
     [](RenderOptions& o, const std::string& f, const std::string& v) {
       WholeFlag(f, v);  // the digits are kept as typed: a seed may exceed a double's exact range
       o.seed = v;
     }},
    {"--tile-color", "R,G,B", "Use this mean colour of the tile instead of sampling it",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.tileColor = TileColorFlag(v); }},
    {"--grid", "FILE", "Start from this tile grid instead of building one, as the desktop reuses TileGrid.bmp",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.grid = v; }},
    {"--keep", "DIR", "Also write DIR/square.bmp, DIR/grid.bmp and DIR/small.bmp",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.keep = v; }},
    {"--threads", "N", "Threads of the fast path (default: every core)",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.threads = WholeFlag(f, v); }},
    {"--animate", "zoom|hue|both",
     "Make a seamless loop: zoom (outward by one ring), hue (once round the spectrum) or both",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.animate = v; }},
    {"--frames", "N", "Frames of the loop, 1 to 3600 (default 48)",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.frames = WholeFlag(f, v); }},
    {"--fps", "F", "Frames a second, 1 to 60, for GIF 1 to 50 (default 24)",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.fps = DecimalFlag(f, v); }},
    {"--quality", "Q",
     "0 (smallest file) to 100 (best). WebP: lossy at this quality (default lossless); MP4 (H.264): constant-rate "
     "factor 51 at 0 to 12 at 100; WebM (VP9): 63 to 15; GIF: 2 to 256 colours a frame; default 75 for the three. "
     "MP4 and WebM pad an odd side by repeating the last column or row (793x573 becomes 794x574); they are made by "
     "the ffmpeg program",
     [](RenderOptions& o, const std::string& f, const std::string& v) { o.quality = DecimalFlag(f, v); }},
    {"--frame-range", "FIRST:END", "Only frames FIRST to END-1, into the frame folder -o FOLDER/",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.frameRange = FirstEndFlag("--frame-range", v, "frames (as 0:24)"); }},
    {"--shard", "K/N",
     "Only shard K (from 0) of N equal shares of the frames, into the frame folder -o FOLDER/, or of a still's rows, "
     "as a band into -o FOLDER/; for a job array (as --shard $SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT)",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.shard = ShardFlag(v); }},
    {"--rows", "FIRST:END",
     "Only rows FIRST to END-1 of the picture, as a band into the folder -o FOLDER/ (rows-FIRST-END-of-WxH.png), to "
     "be put together with --join",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.rows = FirstEndFlag("--rows", v, "rows (as 0:4096)"); }},
    {"--join", "FOLDER",
     "Join the frames in FOLDER into the loop -o NAME.webp, .mp4, .webm or .gif; or the bands of a poster in FOLDER into "
     "the picture -o NAME.png, NAME.tif or NAME.dzi, a band at a time",
     [](RenderOptions& o, const std::string&, const std::string& v) { o.join = v; }},
    {"--sequential", "", "Run the desktop's slice-by-slice pipeline instead of the fast path", nullptr,
     &RenderOptions::sequential},
    {"-q,--quiet", "", "Print nothing but errors: no progress line, no warning", nullptr, &RenderOptions::quiet},
    {"-v,--verbose", "", "Print a summary: the board, the tile colour and the seed it was sampled with, the times",
     nullptr, &RenderOptions::verbose},
};

// The name a flag's messages use: its long one.
std::string LongName(const char* names) {
  const std::string all(names);
  const size_t comma = all.rfind(',');
  return comma == std::string::npos ? all : all.substr(comma + 1);
}

// What goes with what, once every flag has its value.
void CheckTogether(const RenderOptions& o, bool tileGiven, bool outputGiven, bool boardGiven) {
  // Joining frames needs no tile.
  if (!tileGiven && !o.join) throw UsageError("--tile is required");
  if (boardGiven && o.printSize) throw UsageError("--print-size: give the board in pixels or as a print size, not both");
  if (tileGiven && o.tile.empty()) throw UsageError("--tile: the file name is empty");
  if (o.output.empty()) throw UsageError("--output: the file name is empty");
  const std::pair<const char*, const std::optional<std::string>*> names[] = {
      {"--settings", &o.settings}, {"--grid", &o.grid}, {"--keep", &o.keep}, {"--join", &o.join}};
  for (const auto& [flag, value] : names)
    if (*value && (*value)->empty()) throw UsageError(std::string(flag) + ": the name is empty");
  CheckFormat(o);
  CheckAnimationFlags(o, outputGiven);
  CheckPosterFlags(o);
}

}  // namespace

ParsedCommandLine ParseRenderCommandLine(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& err) {
  CLI::App app{
      "Renders Marvane's spiral picture from a tile without a window: the desktop's "
      "pipeline, run at full speed on every core, giving the same bytes.",
      kRenderProgramName};
  app.footer(
      "Numbers start from the settings file's defaults (or from --settings) and must lie in the "
      "console's ranges. Exit status: 0 done, 1 bad input (a value out of range, a tile that "
      "cannot be read or is not 10 to 300 pixels a side, an output that cannot be written), 2 "
      "bad usage. On any error no file is written.");
  app.set_version_flag("--version", std::string(kRenderProgramName) + " " + kMarvaneVersion,
                       "Print the version and exit");
  RenderOptions o;
  std::vector<std::string> texts(std::size(kFlags));
  std::vector<CLI::Option*> options;
  for (size_t i = 0; i < std::size(kFlags); ++i) {
    const Flag& f = kFlags[i];
    options.push_back(f.on ? app.add_flag(f.names, o.*f.on, f.help)
                           : app.add_option(f.names, texts[i], f.help)->type_name(f.value));
  }
  const auto usageError = [&err](const std::string& what) {
    err << kRenderProgramName << ": " << what << "\n" << kRenderProgramName << ": run with --help for the flags\n";
    return ParsedCommandLine{std::nullopt, kExitBadUsage};
  };
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() != 0) return usageError(e.what());
    app.exit(e, out, err);
    return {std::nullopt, kExitSuccess};
  }
  try {
    for (size_t i = 0; i < std::size(kFlags); ++i)
      if (kFlags[i].apply && options[i]->count() > 0) kFlags[i].apply(o, LongName(kFlags[i].names), texts[i]);
    const auto given = [&](const std::string& name) {
      for (size_t i = 0; i < std::size(kFlags); ++i)
        if (LongName(kFlags[i].names) == name) return options[i]->count() > 0;
      return false;
    };
    CheckTogether(o, given("--tile"), given("--output"), given("--board"));
  } catch (const UsageError& e) {
    return usageError(e.what());
  }
  return {o, kExitSuccess};
}

}  // namespace marvane
