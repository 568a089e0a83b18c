// The user guide HelpTxt.txt: the help window can list it, it covers what the console
// shows, and it quotes the program's messages as the program really words them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "console/console_model.h"
#include "console/help_file.h"
#include "console/output_files.h"
#include "console/validation.h"
#include "packaging/shipped_files.h"
#include "run/startup.h"
#include "run/tile_image.h"

namespace marvane::testing {
namespace {

struct Topic {
  std::string title;
  std::vector<std::string> lines;
};

// Read the way the help window reads the file, written afresh from the file format: a
// line that starts with "{" opens a topic titled by the line without its "{"s; lines
// before the first topic belong to no listed topic.
std::vector<Topic> ReadTopics(const std::string& bytes) {
  std::vector<Topic> topics;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (!line.empty() && line[0] == '{') {
      std::string title;
      for (char c : line)
        if (c != '{') title += c;
      topics.push_back({title, {}});
    } else if (!topics.empty()) {
      topics.back().lines.push_back(line);
    }
  }
  return topics;
}

std::string Guide() { return FileBytes(SourceDir() + "/data/HelpTxt.txt"); }

bool HasText(const Topic& t) {
  for (const auto& line : t.lines)
    if (line.find_first_not_of(' ') != std::string::npos) return true;
  return false;
}

TEST(HelpGuide, ListsBetweenOneAndTwentySixTopicsEachWithUniqueTitleAndText) {
  const auto topics = ReadTopics(Guide());
  ASSERT_GE(topics.size(), 1u);
  // The help window has 26 title labels; a 27th topic stops the file being listed.
  EXPECT_LE(topics.size(), static_cast<size_t>(kHelpTopicLabels));
  std::set<std::string> titles;
  for (const auto& t : topics) {
    EXPECT_FALSE(t.title.empty());
    EXPECT_TRUE(titles.insert(t.title).second) << "two topics titled " << t.title;
    EXPECT_TRUE(HasText(t)) << "topic " << t.title << " has no text";
  }
}

TEST(HelpGuide, ReadsTheSameThroughTheProgramsOwnReader) {
  const auto topics = ReadTopics(Guide());
  const HelpFile help = ReadHelpText(BuildShare("HelpTxt.txt"));
  ASSERT_EQ(help.NumTopics(), static_cast<int32_t>(topics.size()));
  for (int32_t t = 1; t <= help.NumTopics(); ++t) {
    EXPECT_EQ(help.Title(t), topics[static_cast<size_t>(t - 1)].title);
    EXPECT_EQ(help.TopicLineCount(t), static_cast<int32_t>(topics[static_cast<size_t>(t - 1)].lines.size()));
  }
}

TEST(HelpGuide, BuildCarriesTheGuideUnchanged) {
  EXPECT_EQ(FileBytes(BuildShare("HelpTxt.txt")), Guide());
}

// The file is 8-bit text shown in a fixed window: plain ASCII reads the same in any
// code page, and short lines never run off the text area.
TEST(HelpGuide, IsPlainAsciiInLinesThatFitTheWindow) {
  const std::string guide = Guide();
  for (unsigned char c : guide)
    ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << static_cast<int>(c);
  for (const auto& t : ReadTopics(guide))
    for (const auto& line : t.lines) EXPECT_LE(line.size(), 76u) << t.title << ": " << line;
}

TEST(HelpGuide, NamesEveryControlTheConsoleShows) {
  const std::string guide = Guide();
  std::vector<std::string> captions = {
      "Image file for tiling:", "Change tile image", "Final output file:",
      "Change filename for save", "Number of equal radial parts:", "Smallest radius (pixels):",
      "Width of \"fade\" band (pixels):", "Rotate tile:", "No Rotation", "Image for tiling",
      "Spectrum shift", "Color tone at center", "Brightness shift", "Brightness at center",
      "Fill in these quadrants:", "Output image:", "Small version of output image",
      "Create Final Image", "HELP", "CANCEL", "Close"};
  for (const char* c : kFillInQuadrantCaptions) captions.emplace_back(c);
  for (const char* c : kOutputOptionCaptions) captions.emplace_back(c);
  for (const auto& caption : captions)
    EXPECT_NE(guide.find(caption), std::string::npos) << "the guide never names \"" << caption << "\"";
}

TEST(HelpGuide, QuotesTheMessagesAsTheProgramWordsThem) {
  // The guide breaks long lines, so compare with the line ends taken as blanks.
  std::string guide = Guide();
  for (char& c : guide)
    if (c == '\n') c = ' ';
  auto squeezed = [](std::string s) {
    std::string out;
    for (char c : s)
      if (!(c == ' ' && !out.empty() && out.back() == ' ')) out += c;
    return out;
  };
  guide = squeezed(guide);
  for (const std::string& message :
       {std::string(kTileSizeText), std::string(kTileSizeTitle), std::string(kInvalidFileNameText),
        std::string(kInvalidPropertyValueText), RangeMessage(kFewestPieces, kMostPieces)})
    EXPECT_NE(guide.find(message), std::string::npos) << "the guide does not quote \"" << message << "\"";
  for (const char* title : {"Main", "FinalActions", "ReadHelpFile", "Load Size Image", "Kick_Timer",
                            "SaveFinal", "SaveFinalImageForm"})
    EXPECT_NE(guide.find(std::string("\"") + title + "\""), std::string::npos)
        << "the guide does not explain messages titled " << title;
}

}  // namespace
}  // namespace marvane::testing
