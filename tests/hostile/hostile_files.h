#pragma once
// The hostile tile files, each with the reason the loader must give for refusing it.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace marvane::testing {

struct HostileFile {
  std::string caseName;                               // for the test's name
  std::string fileName;                               // the name it is given in the folder
  std::function<void(const std::string& path)> make;  // makes it at the path
  std::string reason;  // what the refusal says after "Cannot read the picture file "...": "
  // Only an ordinary user cannot read it (root reads every file): the test takes that user's place.
  bool unreadable = false;
};
inline void PrintTo(const HostileFile& file, std::ostream* out) { *out << file.caseName; }

std::vector<HostileFile> HostileFiles();

std::string GoodPngBytes();  // a good 40 x 30 PNG file, which the loader takes whatever its name

}  // namespace marvane::testing
