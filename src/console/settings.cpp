#include "console/settings.h"

#include <utility>

#include "platform/profile_file.h"
#include "util/numbers.h"

namespace marvane {

namespace {

constexpr const char* kFileNames = "FileNames";
constexpr const char* kNumbers = "Numbers";
constexpr const char* kFlags = "Flags";

int32_t WholeNumberOf(const std::string& text) { return RoundToLong(LeadingNumber(text)); }

}  // namespace

void SetDefaultSettings(SettingsMirror& mirror) {
  mirror.DefaultSaveFile = mirror.StartFolder + "/Output/Final.bmp";
  mirror.DefaultTileFile = mirror.StartFolder + "/Tiles/Basic.bmp";
  mirror.DefaultTurn45 = 0;
  mirror.DefaultCline = -54;
  mirror.DefaultSpecStart = 104;
  mirror.DefaultLighten = -29;
  mirror.DefaultLightStart = 95;
  mirror.DefaultSmallestRadius = 15;
  mirror.DefaultFadeWidth = 60;
  mirror.DefaultNumRadialPieces = 12;
  mirror.DefaultPicRight = 247;
  mirror.DefaultPicBottom = 247;
  mirror.DefaultNeedToRedrawGrid = false;
}

void ReadSettings(SettingsMirror& mirror, const std::string& iniPath) {
  const ProfileFile file = ProfileFile::Read(iniPath);
  const auto number = [&file](const char* key, int32_t defaultValue) {
    return WholeNumberOf(file.GetString(kNumbers, key, WholeNumberText(defaultValue)));
  };
  mirror.SaveFileName = file.GetString(kFileNames, "SaveFile", mirror.DefaultSaveFile);
  mirror.TileFileName = file.GetString(kFileNames, "TileFile", mirror.DefaultTileFile);
  mirror.IniTurn45 = number("Turn45", mirror.DefaultTurn45);
  mirror.IniNumRadialPieces = number("NumRadialPieces", mirror.DefaultNumRadialPieces);
  mirror.IniSmallestRadius = number("SmallestRadius", mirror.DefaultSmallestRadius);
  mirror.IniFadeWidth = number("FadeWidth", mirror.DefaultFadeWidth);
  mirror.IniLighten = number("Lighten", mirror.DefaultLighten);
  mirror.IniLightStart = number("LightStart", mirror.DefaultLightStart);
  mirror.IniCline = number("Cline", mirror.DefaultCline);
  mirror.IniSpecStart = number("SpecStart", mirror.DefaultSpecStart);
  mirror.PicRight = number("PicRight", mirror.DefaultPicRight);
  mirror.PicBottom = number("PicBottom", mirror.DefaultPicBottom);
  // The default goes in as the word, which has no leading number: a missing key reads
  // as False whatever the default.
  const std::string redraw = file.GetString(kFlags, "NeedToRedrawGrid",
                                            mirror.DefaultNeedToRedrawGrid ? "True" : "False");
  mirror.NeedToRedrawGrid = LeadingNumber(redraw) != 0;
  mirror.LivePreview = LeadingNumber(file.GetString(kFlags, "LivePreview", "False")) != 0;
}

void SaveSettings(SettingsMirror& mirror, const ConsoleModel& console, const std::string& iniPath) {
  ProfileFile file = ProfileFile::ReadForUpdate(iniPath);
  file.WriteString(kFileNames, "SaveFile", mirror.SaveFileName);
  file.WriteString(kFileNames, "TileFile", mirror.TileFileName);

  mirror.IniTurn45 = console.Turn45ListIndex;
  mirror.IniCline = console.Cline;
  mirror.IniSpecStart = console.SpecStart;
  mirror.IniLighten = console.Lighten;
  mirror.IniLightStart = console.LightStart;
  mirror.IniFadeWidth = WholeNumberOf(console.FadeWidth);
  mirror.IniNumRadialPieces = WholeNumberOf(console.NumPieces);
  mirror.IniSmallestRadius = WholeNumberOf(console.SmallestRadius);
  mirror.LivePreview = console.LivePreview;

  const std::pair<const char*, int32_t> numbers[] = {
      {"Turn45", mirror.IniTurn45},
      {"NumRadialPieces", mirror.IniNumRadialPieces},
      {"SmallestRadius", mirror.IniSmallestRadius},
      {"FadeWidth", mirror.IniFadeWidth},
      {"Lighten", mirror.IniLighten},
      {"LightStart", mirror.IniLightStart},
      {"Cline", mirror.IniCline},
      {"SpecStart", mirror.IniSpecStart},
      {"PicRight", mirror.PicRight},
      {"PicBottom", mirror.PicBottom},
  };
  for (const auto& [key, value] : numbers) file.WriteString(kNumbers, key, WholeNumberText(value));
  file.WriteString(kFlags, "NeedToRedrawGrid", mirror.NeedToRedrawGrid ? "-1" : "0");
  file.WriteString(kFlags, "LivePreview", mirror.LivePreview ? "-1" : "0");
  file.Save(iniPath);
}

}  // namespace marvane
