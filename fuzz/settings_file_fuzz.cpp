// The settings file: any bytes read as start-up reads them, and kept by a document.
#include "console/settings.h"
#include "fuzz_support.h"
#include "platform/profile_file.h"

void marvane::fuzz::FuzzOne(std::string_view text) {
  SettingsMirror mirror;
  try {
    ReadSettings(mirror, Scratch("Tesklet.INI", text));
  } catch (const RunTimeError&) {  // "Overflow", for a number beyond 32 bits
  }
  Require(ProfileFile::FromText(text).Text() == text, "an unchanged document gives back its bytes");
}
