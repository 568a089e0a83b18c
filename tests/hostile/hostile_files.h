#pragma once
// The hostile tile files, each with the reason the loader must give for refusing it.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace marvane::testing {

struct HostileFile {
  std::string caseName;  // for the test's name
  std::string fileName;  // the name it is given in the folder
  std::function<void(const std::string& path)> make;  // makes it at the path
  // What the refusal must say, after "Cannot read the picture file "...": ".
  std::string reason;
  // A file that only an ordinary user cannot read: root reads every file, so the test
  // takes the ordinary user's place for it.
  bool unreadable = false;
};
inline void PrintTo(const HostileFile& file, std::ostream* out) { *out << file.caseName; }

std::vector<HostileFile> HostileFiles();

// A good 40 x 30 PNG file's bytes, which the loader takes whatever its name.
std::string GoodPngBytes();

}  // namespace marvane::testing
