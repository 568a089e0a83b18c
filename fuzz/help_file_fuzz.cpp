// The help file: any bytes as "HelpTxt.txt", parsed into topics as the help window
// reads it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "console/help_file.h"
#include "fuzz_support.h"
#include "platform/run_time_error.h"

using namespace marvane;
using marvane::fuzz::Require;
using marvane::fuzz::Scratch;

namespace {

// The lines of the text, counted apart from the parser: a line ends at LF, CR LF or a
// lone CR, and a last line without an ending still counts.
struct LineCount {
  int64_t lines = 0;
  int64_t topicLines = 0;  // lines whose first character is "{"
};

LineCount CountLines(std::string_view bytes) {
  LineCount count;
  bool atLineStart = true;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (atLineStart) {
      ++count.lines;
      if (bytes[i] == '{') ++count.topicLines;
      atLineStart = false;
    }
    if (bytes[i] == '\n') {
      atLineStart = true;
    } else if (bytes[i] == '\r') {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      atLineStart = true;
    }
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const HelpFile help = ParseHelpText(bytes);

  const LineCount count = CountLines(bytes);
  Require(help.NumTopics() == count.topicLines, "one topic for every line that begins with {");
  int64_t stored = 0;
  for (int32_t t = 0; t <= help.NumTopics(); ++t) {
    stored += help.TopicLineCount(t) + (t > 0 ? 1 : 0);
    Require(help.Title(t).find('{') == std::string::npos, "a title has no {");
    std::string expected;
    for (int32_t n = 1; n <= help.TopicLineCount(t); ++n) expected += help.HelpText[t][n] + "\r\n";
    Require(help.TopicText(t) == expected, "a topic's text is its lines, each followed by CR LF");
  }
  Require(stored == count.lines, "every line is a title or a text line");
  Require(help.Title(-1).empty() && help.Title(help.NumTopics() + 1).empty(), "a missing topic has no title");
  Require(help.TopicText(help.NumTopics() + 1).empty(), "a missing topic has no text");

  // The same bytes through the file give the same topics.
  const std::string path = Scratch() / kHelpFileName;
  fuzz::WriteBytes(path, bytes);
  try {
    Require(ReadHelpText(path).HelpText == help.HelpText, "the file reads as its bytes parse");
  } catch (const RunTimeError&) {
    Require(false, "a small readable help file is read");
  }
  if (help.NumTopics() > kHelpTopicLabels) Require(!TooManyTopicsText(help.NumTopics()).empty(), "too many topics are named");
  return 0;
}
