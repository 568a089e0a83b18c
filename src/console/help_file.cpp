#include "console/help_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/run_time_error.h"
#include "util/general.h"

namespace marvane {

namespace {

[[noreturn]] void CannotRead(const std::string& path, const std::string& why) {
  throw RunTimeError("Cannot read the help file \"" + path + "\": " + why);
}

}  // namespace

std::string HelpFile::Title(int32_t t) const {
  if (t < 0 || t > NumTopics()) return {};
  return HelpText[t][0];
}

std::string HelpFile::TopicText(int32_t t) const {
  if (t < 0 || t > NumTopics()) return {};
  std::string text;
  for (size_t n = 1; n < HelpText[t].size(); ++n) text += HelpText[t][n] + "\r\n";
  return text;
}

HelpFile ParseHelpText(std::string_view bytes) {
  HelpFile help;
  help.HelpText.emplace_back(1);  // topic 0, untitled
  const auto takeLine = [&help](std::string_view line) {
    if (!line.empty() && line.front() == '{')
      help.HelpText.push_back({Remove("{", std::string(line))});
    else
      help.HelpText.back().emplace_back(line);
  };
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n' && bytes[i] != '\r') continue;
    takeLine(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) takeLine(bytes.substr(start));
  return help;
}

HelpFile ReadHelpText(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) CannotRead(path, "the file does not exist.");
  if (std::filesystem::is_directory(status)) CannotRead(path, "it is a folder, not a file.");
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) CannotRead(path, ec.message() + ".");
  if (size > kLargestHelpFile)
    CannotRead(path, "it holds " + std::to_string(size) + " bytes, more than a help file's " +
                         std::to_string(kLargestHelpFile) + ".");
  std::ifstream in(path, std::ios::binary);
  if (!in) CannotRead(path, "the file cannot be opened.");
  std::string bytes;
  bytes.reserve(static_cast<size_t>(size));
  // Read no more than the limit even if the file grows while we read it.
  std::istreambuf_iterator<char> it(in), end;
  for (; it != end && bytes.size() <= kLargestHelpFile; ++it) bytes.push_back(*it);
  if (in.bad()) CannotRead(path, "reading it failed.");
  if (bytes.size() > kLargestHelpFile) CannotRead(path, "it grew beyond a help file's size while it was read.");
  return ParseHelpText(bytes);
}

std::string TooManyTopicsText(int32_t numTopics) {
  return "The help file has " + std::to_string(numTopics) + " topics, but only " +
         std::to_string(kHelpTopicLabels) + " can be listed.";
}

}  // namespace marvane
