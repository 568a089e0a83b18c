#include "cli/render_values.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <variant>
#include <fstream>
#include <system_error>

#include "cli/render_failure.h"
#include "platform/output_file.h"
#include "platform/picture_files.h"
#include "platform/video_encoder.h"
#include "console/validation.h"
#include "platform/profile_file.h"
#include "platform/run_time_error.h"
#include "run/tile_square.h"
#include "util/numbers.h"

namespace marvane {

namespace {

// Where a value in force came from, for the message that names it.
std::string FromFlag(const char* flag) { return flag; }
std::string FromSettings(const std::string& file, const char* key, int32_t value) {
  return "--settings " + file + ": " + key + " " + WholeNumberText(value);
}

double BoundValue(const Bound& bound) {
  return std::visit([](auto v) { return static_cast<double>(v); }, bound);
}

// Constrain's test: x above high or below low is out (both bounds are in), and its
// message.
void CheckIn(const std::string& what, double x, const Bound& low, const Bound& high) {
  if (x > BoundValue(high) || x < BoundValue(low))
    throw RenderFailure(kExitBadInput, what + ": " + RangeMessage(low, high));
}

// A value from a flag, else the settings file, else the default: checked, then made a
// whole number (halves to even), as CheckValue leaves it in its box.
struct Source {
  const char* flag;
  const char* key;
  std::optional<double> given;
  int32_t fromFile;  // the mirror's value: the file's, or the default
  bool inFile;       // the settings file holds the key
};

// Only what the user gave is checked: the program's own defaults are taken as they
// are, as the desktop takes them (on a board much smaller than the desktop's the
// default fade width may lie beyond half the diagonal, which does no harm).
bool UserGave(const Source& v) { return v.given.has_value() || v.inFile; }

std::string Describe(const Source& v, const RenderOptions& options) {
  return v.given ? FromFlag(v.flag) : FromSettings(*options.settings, v.key, v.fromFile);
}

int32_t Checked(const Source& v, const RenderOptions& options, int32_t low, int32_t high) {
  const double x = v.given ? *v.given : v.fromFile;
  if (UserGave(v)) CheckIn(Describe(v, options), x, low, high);
  return RoundToLong(x);
}

int32_t CheckedUpToHalfDiagonal(const Source& v, const RenderOptions& options, const BoardConstants& board) {
  const double x = v.given ? *v.given : v.fromFile;
  if (UserGave(v)) CheckIn(Describe(v, options), x, kSmallestRadiusFloor, board.HalfDiagonal);
  return RoundToLong(x);
}

void ReadSettingsFile(const std::string& path, SettingsMirror& mirror) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status))
    throw RenderFailure(kExitBadInput, "--settings " + path + ": the file does not exist");
  if (!std::filesystem::is_regular_file(status))
    throw RenderFailure(kExitBadInput, "--settings " + path + ": not a file");
  if (!std::ifstream(path, std::ios::binary))
    throw RenderFailure(kExitBadInput, "--settings " + path + ": the file cannot be read");
  try {
    ReadSettings(mirror, path);
  } catch (const RunTimeError& e) {
    throw RenderFailure(kExitBadInput, "--settings " + path + ": " + e.what());
  }
}

void TakeDefaults(SettingsMirror& m) {
  m.SaveFileName = m.DefaultSaveFile;
  m.TileFileName = m.DefaultTileFile;
  m.IniTurn45 = m.DefaultTurn45;
  m.IniNumRadialPieces = m.DefaultNumRadialPieces;
  m.IniSmallestRadius = m.DefaultSmallestRadius;
  m.IniFadeWidth = m.DefaultFadeWidth;
  m.IniLighten = m.DefaultLighten;
  m.IniLightStart = m.DefaultLightStart;
  m.IniCline = m.DefaultCline;
  m.IniSpecStart = m.DefaultSpecStart;
  m.PicRight = m.DefaultPicRight;
  m.PicBottom = m.DefaultPicBottom;
  m.NeedToRedrawGrid = m.DefaultNeedToRedrawGrid;
}

double CheckedDpi(const RenderOptions& o) {
  if (o.dpi) CheckIn("--dpi", *o.dpi, 1, kMostDpi);
  return o.dpi.value_or(kDefaultDpi);
}

// Past a billion the digits say nothing more (and past 2^63 they would not fit).
std::string PixelsText(double pixels) {
  return pixels <= 1e9 ? WholeNumberText(static_cast<int64_t>(pixels)) : "over 1000000000";
}

std::string CurrentFolder() {
  std::error_code ec;
  const auto here = std::filesystem::current_path(ec);
  return ec ? std::string() : here.string();
}

}  // namespace

void CheckBoard(const RenderOptions& options, int32_t& width, int32_t& height) {
  const double dpi = CheckedDpi(options);
  const auto [w, h] = AskedBoard(options);
  const std::string what = !options.printSize ? "--board"
                                              : "--print-size " + options.printSize->text + ": " + PixelsText(w) +
                                                    " x " + PixelsText(h) + " pixels at " + SingleText(ToSingle(dpi)) +
                                                    " dpi";
  CheckIn(what, w, 1, kLargestBoardSide);
  CheckIn(what, h, 1, kLargestBoardSide);
  width = RoundToLong(w);
  height = RoundToLong(h);
}

std::array<double, 2> AskedBoard(const RenderOptions& o) {
  if (!o.printSize) return {o.boardWidth, o.boardHeight};
  const PrintSize& p = *o.printSize;
  const double dpi = o.dpi.value_or(kDefaultDpi);
  return {std::round(p.width * dpi / p.unitsAnInch), std::round(p.height * dpi / p.unitsAnInch)};
}

int32_t CheckedPixelsPerMetre(const RenderOptions& o) { return static_cast<int32_t>(std::lround(CheckedDpi(o) / 0.0254)); }

void FillConsole(const RenderOptions& o, const BoardConstants& board, SettingsMirror& m, ConsoleModel& c) {
  m.StartFolder = CurrentFolder();
  SetDefaultSettings(m);
  TakeDefaults(m);
  ProfileFile file = ProfileFile::FromText("");
  if (o.settings) {
    ReadSettingsFile(*o.settings, m);
    file = ProfileFile::Read(*o.settings);
  }
  // A key the file holds, whatever its value; a missing one gave the default.
  const auto in = [&](const char* key) {
    constexpr const char* kAbsent = "\1 no such key";
    return o.settings && file.GetString("Numbers", key, kAbsent) != kAbsent;
  };

  // In the console's order: the three boxes, the rotation, the four sliders.
  c.NumPieces = WholeNumberText(
      Checked({"--pieces", "NumRadialPieces", o.pieces, m.IniNumRadialPieces, in("NumRadialPieces")}, o, kFewestPieces, kMostPieces));
  c.SmallestRadius = WholeNumberText(CheckedUpToHalfDiagonal(
      {"--smallest-radius", "SmallestRadius", o.smallestRadius, m.IniSmallestRadius, in("SmallestRadius")}, o, board));
  c.FadeWidth = WholeNumberText(
      CheckedUpToHalfDiagonal({"--fade-width", "FadeWidth", o.fadeWidth, m.IniFadeWidth, in("FadeWidth")}, o, board));
  if (o.turn45ListIndex) {
    c.Turn45ListIndex = *o.turn45ListIndex;
  } else {
    // A settings file may say -1, no item selected, as the desktop writes it then.
    c.Turn45ListIndex = Checked({"--rotate", "Turn45", std::nullopt, m.IniTurn45, in("Turn45")}, o, kNoListIndex, 2);
  }
  c.Cline = Checked({"--spectrum-shift", "Cline", o.spectrumShift, m.IniCline, in("Cline")}, o, kClineMin, kClineMax);
  c.SpecStart = Checked({"--center-tone", "SpecStart", o.centerTone, m.IniSpecStart, in("SpecStart")}, o, kSpecStartMin,
                        kSpecStartMax);
  c.Lighten = Checked({"--brightness-shift", "Lighten", o.brightnessShift, m.IniLighten, in("Lighten")}, o, kLightenMin,
                      kLightenMax);
  c.LightStart = Checked({"--center-brightness", "LightStart", o.centerBrightness, m.IniLightStart, in("LightStart")}, o,
                         kLightStartMin, kLightStartMax);

  c.FillInQuadrant = o.quadrants;
  c.SelectOutputOption(o.small ? kSmallImageOnlyOption : kBothLargeAndSmallOption);
  c.TileFile = o.tile;
  c.SaveFile = o.output;
}

uint64_t CheckedSeed(const std::string& text) {
  // Digits are read exactly: a double would lose the low bits of a large seed.
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t seed = 0;
  bool tooLarge = false;
  bool nonZero = false;
  for (; i < text.size(); ++i) {
    const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
    nonZero = nonZero || digit != 0;
    if (seed > (UINT64_MAX - digit) / 10) tooLarge = true;
    if (!tooLarge) seed = seed * 10 + digit;
  }
  if (tooLarge || (negative && nonZero))
    // Beyond what a Bound holds: the same words, written out.
    throw RenderFailure(kExitBadInput,
                        "--seed: Value must be between 0 and " + std::to_string(UINT64_MAX) + "!");
  return seed;
}

int32_t CheckedThreads(const RenderOptions& o) {
  if (!o.threads) return 0;
  CheckIn("--threads", *o.threads, 1, kMostThreads);
  return RoundToLong(*o.threads);
}

Chroma CheckedTileColor(const RenderOptions& o) {
  Chroma c;
  if (!o.tileColor) return c;
  for (double v : *o.tileColor) CheckIn("--tile-color", v, 0, 255);
  c.Red = ToSingle((*o.tileColor)[0]);
  c.Green = ToSingle((*o.tileColor)[1]);
  c.Blue = ToSingle((*o.tileColor)[2]);
  return c;
}

AnimationValues CheckedAnimation(const RenderOptions& o) {
  AnimationValues a;
  if (o.frames) CheckIn("--frames", *o.frames, 1, kMostFrames);
  const bool gif = VideoFormatOf(o.format ? "." + *o.format : o.output) == VideoFormat::Gif;
  // GIF delays are whole hundredths, and players stretch any under two.
  if (o.fps) CheckIn("--fps", *o.fps, 1, gif ? kMostGifFps : kMostFps);
  if (o.quality) CheckIn("--quality", *o.quality, 0, 100);
  a.frames = o.frames ? RoundToLong(*o.frames) : kDefaultFrames;
  a.fps = o.fps.value_or(kDefaultFps);
  a.quality = o.quality;
  a.first = 0;
  a.end = a.frames;
  a.pixelsPerMetre = CheckedPixelsPerMetre(o);
  if (o.frameRange) {
    const auto [first, end] = *o.frameRange;
    const bool afterTheLast = first == a.frames && end == a.frames + 1;
    if (!afterTheLast && !(first >= 0 && first < end && end <= a.frames))
      throw RenderFailure(kExitBadInput, "--frame-range: frames run from 0 to " + WholeNumberText(a.frames - 1) +
                                             ", so FIRST:END must have 0 <= FIRST < END <= " +
                                             WholeNumberText(a.frames) + " (or be " + WholeNumberText(a.frames) + ":" +
                                             WholeNumberText(a.frames + 1) +
                                             ", the frame after the last, which shows the first again)");
    a.first = RoundToLong(first);
    a.end = RoundToLong(end);
  }
  if (o.shard) {
    // Shard k of n: frames k * frames / n to (k + 1) * frames / n - 1, the shares differing
    // by one frame at most; every shard has a frame.
    const auto [k, n] = *o.shard;
    CheckIn("--shard N", n, 1, a.frames);
    CheckIn("--shard K", k, 0, static_cast<int32_t>(n) - 1);
    a.first = static_cast<int32_t>(static_cast<int64_t>(k) * a.frames / static_cast<int64_t>(n));
    a.end = static_cast<int32_t>((static_cast<int64_t>(k) + 1) * a.frames / static_cast<int64_t>(n));
  }
  return a;
}

std::string TilePathOf(const RenderOptions& o) { return o.tile == kStandardStream ? "/dev/stdin" : o.tile; }

std::string OutputPathOf(const RenderOptions& o) { return o.output == kStandardStream ? "/dev/stdout" : o.output; }

std::string_view OutputFormatOf(const RenderOptions& o) {
  if (o.format) return *o.format;
  return o.output == kStandardStream ? "png" : PictureFormatForName(o.output);
}

void CheckOutputFile(const std::string& output) {
  if (output == kStandardStream) {
    if (::isatty(STDOUT_FILENO) == 1)
      throw RenderFailure(kExitBadInput, "--output -: standard output is a terminal; send it into a file or a program");
    return;
  }
  const OutputPlace place = InspectOutput(output);
  if (!place.refusal.empty()) throw RenderFailure(kExitBadInput, "--output " + output + ": " + place.refusal);
}

void CheckTileSource(const std::string& tile) {
  if (tile == kStandardStream && ::isatty(STDIN_FILENO) == 1)
    throw RenderFailure(kExitBadInput, "--tile -: standard input is a terminal; send a picture into it");
}

std::string TileSizeFailure(const std::string& tile, int32_t lastX, int32_t lastY) {
  return "--tile " + tile + ": " + WholeNumberText(lastX + 1) + " x " + WholeNumberText(lastY + 1) +
         " pixels: " + kTileSizeText;
}

}  // namespace marvane
