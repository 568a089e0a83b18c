#pragma once
// Each fuzz program defines FuzzOne; its files go to a scratch folder, a broken promise is a finding.
#include <cstdio>
#include <cstdlib>

#include "platform/run_time_error.h"
#include "support/temp_folder.h"

namespace marvane::fuzz {

void FuzzOne(std::string_view text);

inline std::string Scratch(const std::string& name, std::string_view bytes) {
  static const testing::TempFolder folder;
  testing::WriteFileBytes(folder / name, std::string(bytes));
  return folder / name;
}

inline void Require(bool holds, const char* what) {
  if (!holds) std::fprintf(stderr, "broken promise: %s\n", what), std::abort();
}

}  // namespace marvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  marvane::fuzz::FuzzOne({reinterpret_cast<const char*>(data), size});
  return 0;
}
