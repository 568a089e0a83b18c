#pragma once
// The row writers of each format, behind OpenRowWriter, and what they share: the count of
// rows that have come, and the failures that give the file up.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/output_file.h"
#include "platform/row_writers.h"

namespace marvane {

class CountedRowWriter : public RowWriter {
 protected:
  CountedRowWriter(OutputFile& out, int32_t width, int32_t height) : out_(out), width_(width), height_(height) {}

  // Counts in a band of `count` rows, refusing one that runs past the picture's last row,
  // or any band after a failure gave the file up.
  void TakeRows(int32_t count);
  // Refuses to complete a picture whose rows have not all come.
  void CheckAllRows();
  // Give the file up and raise, as OutputFile's Fail and FailWriting do; every call after
  // is refused.
  [[noreturn]] void Fail(const std::string& reason);
  [[noreturn]] void FailWriting(const std::string& why);
  // A write that OutputFile refused: its reason is the system's.
  [[noreturn]] void FailOutput() { FailWriting(out_.WriteError()); }

  OutputFile& out_;
  const int32_t width_, height_;
  int32_t rowsDone_ = 0;

 private:
  bool failed_ = false;
};

// BMP keeps its sizes in 32 bits: false for a picture of more than 4 GB.
bool FitsInBmp(int32_t width, int32_t height);

std::unique_ptr<RowWriter> OpenBmpWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre);
std::unique_ptr<RowWriter> OpenPngWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre);
std::unique_ptr<RowWriter> OpenTiffWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre);

}  // namespace marvane
