#include "console/help_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane {
namespace {

using testing::TempFolder;
using testing::WriteFileBytes;

TEST(ParseHelpText, TopicsTitlesAndLinesAreKeptAsWritten) {
  const HelpFile help = ParseHelpText(
      "Written for the maintainers\r\n"
      "{Getting started}\r\n"
      "First line\r\n"
      "\r\n"
      "  indented <b>not markup</b>\r\n"
      "{{Sliders{\r\n"
      "{Empty topic\r\n"
      "{Last}\r\n"
      "a\r\nb\r\nc\r\nd\r\n");
  ASSERT_EQ(help.NumTopics(), 4);
  // Topic 0 holds what comes before the first title; it has no title of its own.
  EXPECT_EQ(help.Title(0), "");
  EXPECT_EQ(help.HelpText[0][1], "Written for the maintainers");
  // Only the opening braces go; the closing one stays.
  EXPECT_EQ(help.Title(1), "Getting started}");
  EXPECT_EQ(help.TopicLineCount(1), 3);
  EXPECT_EQ(help.TopicText(1), "First line\r\n\r\n  indented <b>not markup</b>\r\n");
  EXPECT_EQ(help.Title(2), "Sliders");
  EXPECT_EQ(help.TopicLineCount(2), 0);
  EXPECT_EQ(help.TopicText(3), "");
  // The last topic is the longest and is read to its end.
  EXPECT_EQ(help.TopicLineCount(4), 4);
  EXPECT_EQ(help.TopicText(4), "a\r\nb\r\nc\r\nd\r\n");
}

TEST(ParseHelpText, EveryKindOfLineEndEndsALineAndAMissingLastOneLosesNothing) {
  const HelpFile help = ParseHelpText("{A\nunix\r\nwindows\rold mac\n\n{B\r\nlast words");
  ASSERT_EQ(help.NumTopics(), 2);
  EXPECT_EQ(help.TopicText(1), "unix\r\nwindows\r\nold mac\r\n\r\n");
  EXPECT_EQ(help.TopicText(2), "last words\r\n");
  // A file that ends with its line end has no extra empty line.
  EXPECT_EQ(ParseHelpText("{A\r\nx\r\n").TopicLineCount(1), 1);
}

TEST(ParseHelpText, ABraceOnlyAtTheStartOpensATopicAndWithoutOneThereAreNone) {
  const HelpFile help = ParseHelpText(" {not a title\n{Title\nmid { line\n");
  ASSERT_EQ(help.NumTopics(), 1);
  EXPECT_EQ(help.HelpText[0][1], " {not a title");
  EXPECT_EQ(help.TopicText(1), "mid { line\r\n");
  EXPECT_EQ(ParseHelpText("").NumTopics(), 0);
  const HelpFile untitled = ParseHelpText("just\nsome text\n");
  EXPECT_EQ(untitled.NumTopics(), 0);
  EXPECT_EQ(untitled.TopicText(1), "");
}

TEST(ParseHelpText, MoreTopicsThanTheWindowListsAreAllCounted) {
  std::string text;
  for (int t = 1; t <= 30; ++t) text += "{Topic " + std::to_string(t) + "\nbody\n";
  const HelpFile help = ParseHelpText(text);
  EXPECT_EQ(help.NumTopics(), 30);
  EXPECT_EQ(help.Title(27), "Topic 27");
  EXPECT_EQ(TooManyTopicsText(30), "The help file has 30 topics, but only 26 can be listed.");
}

TEST(ParseHelpText, ArbitraryBytesKeepEveryByteButTheLineEnds) {
  std::mt19937 random(7);
  std::string bytes(200000, '\0');
  for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
  // Without braces every byte but the line ends lands in a line.
  for (char& b : bytes)
    if (b == '{') b = '}';
  const HelpFile help = ParseHelpText(bytes);
  EXPECT_EQ(help.NumTopics(), 0);
  size_t kept = 0, ends = 0;
  for (const auto& line : help.HelpText[0]) kept += line.size();
  for (char b : bytes) ends += b == '\n' || b == '\r';
  EXPECT_EQ(kept, bytes.size() - ends);
}

TEST(ReadHelpText, ReadsFromDiskAndRefusesMissingFoldersAndGiantFilesByName) {
  TempFolder dir;
  const auto refusal = [](const std::string& path) -> std::string {
    try {
      ReadHelpText(path);
    } catch (const RunTimeError& e) {
      return e.what();
    }
    return "no error";
  };
  const std::string missing = refusal(dir / "HelpTxt.txt");
  EXPECT_NE(missing.find("HelpTxt.txt"), std::string::npos) << missing;
  EXPECT_NE(missing.find("does not exist"), std::string::npos) << missing;

  std::filesystem::create_directory(dir / "Folder");
  EXPECT_NE(refusal(dir / "Folder").find("folder"), std::string::npos);

  // A sparse giant: refused from its size, without reading a byte of it.
  WriteFileBytes(dir / "Giant.txt", "{x\n");
  std::filesystem::resize_file(dir / "Giant.txt", 4ull * 1024 * 1024 * 1024);
  const std::string giant = refusal(dir / "Giant.txt");
  EXPECT_NE(giant.find("4294967296 bytes"), std::string::npos) << giant;

  // The largest file allowed is read from disk.
  WriteFileBytes(dir / "Edge.txt", "{One\r\nline\r\n{Two\r\n" + std::string(kLargestHelpFile - 24, 'x'));
  EXPECT_EQ(refusal(dir / "Edge.txt"), "no error");
  EXPECT_EQ(ReadHelpText(dir / "Edge.txt").TopicText(1), "line\r\n");
}

}  // namespace
}  // namespace marvane
