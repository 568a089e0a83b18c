// The settings file: any bytes as "Tesklet.INI", read as start-up reads it, then a key
// written into it as the console's closing writes them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "console/settings.h"
#include "fuzz_support.h"
#include "platform/profile_file.h"
#include "platform/run_time_error.h"

using namespace marvane;
using marvane::fuzz::Require;
using marvane::fuzz::Scratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string ini = Scratch() / "Tesklet.INI";
  fuzz::WriteBytes(ini, bytes);

  SettingsMirror mirror;
  mirror.StartFolder = "/start";
  SetDefaultSettings(mirror);
  try {
    ReadSettings(mirror, ini);
  } catch (const RunTimeError&) {
    // "Overflow" for a number beyond 32 bits: the one error reading may raise.
  }
  Require(mirror.SaveFileName.size() <= kProfileValueMaxLength, "a path keeps at most 4094 bytes");
  Require(mirror.TileFileName.size() <= kProfileValueMaxLength, "a path keeps at most 4094 bytes");

  // A document keeps every byte it was given, and a key written into it is found again
  // with the value written, whatever else the file holds.
  ProfileFile document = ProfileFile::FromText(bytes);
  Require(document.Text() == bytes, "an unchanged document gives back its bytes");
  document.WriteString("Numbers", "FadeWidth", "61");
  document.WriteString("Flags", "NeedToRedrawGrid", "-1");
  const std::string text = document.Text();
  const ProfileFile again = ProfileFile::FromText(text);
  Require(again.GetString("Numbers", "FadeWidth", "missing") == "61", "a written key reads back");
  Require(again.GetString("Flags", "NeedToRedrawGrid", "missing") == "-1", "a written key reads back");

  // The same through the file: read for update, changed, saved atomically, read again.
  try {
    ProfileFile onDisk = ProfileFile::ReadForUpdate(ini);
    onDisk.WriteString("Numbers", "FadeWidth", "61");
    onDisk.Save(ini);
    Require(GetProfileString(ini, "Numbers", "FadeWidth", "missing") == "61", "a saved key reads back");
  } catch (const RunTimeError&) {
    // Refusing to rewrite a file it could not read whole is allowed; losing it is not.
  }
  return 0;
}
