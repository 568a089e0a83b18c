// The help file: any bytes parsed into topics as the help window reads them.
#include "console/help_file.h"
#include "fuzz_support.h"

void marvane::fuzz::FuzzOne(std::string_view text) {
  const HelpFile help = ParseHelpText(text);
  for (int32_t t = 0; t <= help.NumTopics(); ++t) Require(help.Title(t).find('{') == std::string::npos, "no { in a title");
  Require(ReadHelpText(Scratch(kHelpFileName, text)).HelpText == help.HelpText, "the file reads as its bytes parse");
}
