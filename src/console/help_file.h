#pragma once
// The user guide kept in the plain-text file "HelpTxt.txt": a line that begins with "{"
// opens a topic whose title is that line with every "{" taken out; the lines after it,
// up to the next such line, are the topic's text, kept exactly. Lines before the first
// topic form topic 0, which is read but never listed.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marvane {

inline constexpr const char* kHelpFileName = "HelpTxt.txt";

// The help window lists this many titles; a file with more topics cannot be listed in
// full.
inline constexpr int32_t kHelpTopicLabels = 26;

// A help file larger than this is not a help file: it is refused before it is read, so
// that a stray giant file cannot stall the program or fill the memory.
inline constexpr std::uintmax_t kLargestHelpFile = 1024u * 1024u;

struct HelpFile {
  // HelpText[t][0] is topic t's title, HelpText[t][1..] its text lines. Topic 0 (the
  // lines before the first topic) has an empty title.
  std::vector<std::vector<std::string>> HelpText;

  int32_t NumTopics() const { return static_cast<int32_t>(HelpText.size()) - 1; }
  // The number of text lines of topic t.
  int32_t TopicLineCount(int32_t t) const { return static_cast<int32_t>(HelpText[t].size()) - 1; }
  // Topic t's title; "" for a topic the file does not have.
  std::string Title(int32_t t) const;
  // Topic t's text: every line followed by a carriage return and line feed; "" for a
  // topic the file does not have.
  std::string TopicText(int32_t t) const;
};

// Splits the file's bytes into topics. A line ends at a line feed, a carriage return
// and line feed, or a lone carriage return; the ending is not part of the line, and a
// last line without one still counts.
HelpFile ParseHelpText(std::string_view bytes);

// Reads and parses the file at `path`. A file that is missing, a folder, unreadable or
// larger than kLargestHelpFile is a run-time error naming it.
HelpFile ReadHelpText(const std::string& path);

// The error text for a file with more topics than the window can list.
std::string TooManyTopicsText(int32_t numTopics);

}  // namespace marvane
