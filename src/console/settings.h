#pragma once
// The settings kept between runs in "Tesklet.INI": fourteen keys in three sections,
// read once at start-up into the settings mirror and written back when the console
// closes.
//
// The file reads as follows (the defaults shown):
//
//   [FileNames]
//   SaveFile=<StartFolder>/Output/Final.bmp
//   TileFile=<StartFolder>/Tiles/Basic.bmp
//
//   [Numbers]
//   Turn45=0
//   NumRadialPieces=12
//   SmallestRadius=15
//   FadeWidth=60
//   Lighten=-29
//   LightStart=95
//   Cline=-54
//   SpecStart=104
//   PicRight=247
//   PicBottom=247
//
//   [Flags]
//   NeedToRedrawGrid=0
//   LivePreview=0
//
// A number is read as the leading number of its text, rounded half to even: so a key
// that is present but empty or not a number reads as 0, and only a missing key (or
// section, or file) gives its default. NeedToRedrawGrid is True for any non-zero
// number ("-1" is written for True); the word True reads as False. LivePreview, the
// console's "Live preview" box, reads and writes the same way; it came later, so a
// file without it (or a reader that does not know it) simply has the preview off.
//
// Paths use "/" where the program's folders are joined ("<StartFolder>/Output/...").
// When the start folder is the root, the defaults begin with two slashes, which every
// file function accepts.
#include <cstdint>
#include <string>

#include "console/console_model.h"

namespace marvane {

// The start folder and the values read from and written to the settings file.
struct SettingsMirror {
  // The current folder when the program starts, without a trailing "/" (but "/" itself
  // for the root).
  std::string StartFolder;
  std::string SaveFileName;
  std::string TileFileName;
  int32_t IniTurn45 = 0;
  int32_t IniCline = 0;
  int32_t IniSpecStart = 0;
  int32_t IniLighten = 0;
  int32_t IniLightStart = 0;
  int32_t IniSmallestRadius = 0;
  int32_t IniFadeWidth = 0;
  int32_t IniNumRadialPieces = 0;
  // Last pixel column and row of the tile picture.
  int32_t PicRight = 0;
  int32_t PicBottom = 0;
  // The saved tile grid no longer fits the settings.
  bool NeedToRedrawGrid = false;
  // The "Live preview" box was ticked.
  bool LivePreview = false;

  std::string DefaultSaveFile;
  std::string DefaultTileFile;
  int32_t DefaultTurn45 = 0;
  int32_t DefaultCline = 0;
  int32_t DefaultSpecStart = 0;
  int32_t DefaultLighten = 0;
  int32_t DefaultLightStart = 0;
  int32_t DefaultSmallestRadius = 0;
  int32_t DefaultFadeWidth = 0;
  int32_t DefaultNumRadialPieces = 0;
  int32_t DefaultPicRight = 0;
  int32_t DefaultPicBottom = 0;
  bool DefaultNeedToRedrawGrid = false;

  bool operator==(const SettingsMirror&) const = default;
};

// Fills the Default* values; needs StartFolder.
void SetDefaultSettings(SettingsMirror& mirror);

// Reads every key of the file at `iniPath` into the mirror, in the file's key order;
// needs the defaults. A number too large for 32 bits raises "Overflow", leaving the
// keys before it read.
void ReadSettings(SettingsMirror& mirror, const std::string& iniPath);

// Takes the current values from the console into the mirror and writes all fourteen
// keys into the file at `iniPath`, keeping the rest of the file as it was. The keys are
// written together in one atomic replacement of the file, so an error part-way
// ("Overflow" from a typed number, a file that cannot be written) leaves the file as
// it was; the error goes to the caller.
void SaveSettings(SettingsMirror& mirror, const ConsoleModel& console, const std::string& iniPath);

}  // namespace marvane
