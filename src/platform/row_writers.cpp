#include "platform/row_writers.h"

#include "platform/picture_writers.h"

namespace marvane {

void CountedRowWriter::TakeRows(int32_t count) {
  if (failed_) Fail("its writing was given up after an earlier failure.");
  const int32_t left = height_ - rowsDone_;
  if (count < 0 || count > left)
    Fail("a band of " + std::to_string(count) + (count == 1 ? " row" : " rows") + " was given where " + std::to_string(left) +
         " of the picture's " + std::to_string(height_) + " rows were left.");
  rowsDone_ += count;
}

void CountedRowWriter::CheckAllRows() {
  if (failed_) Fail("its writing was given up after an earlier failure.");
  if (rowsDone_ != height_)
    Fail("only " + std::to_string(rowsDone_) + " of the picture's " + std::to_string(height_) + " rows were given.");
}

void CountedRowWriter::Fail(const std::string& reason) {
  failed_ = true;
  out_.Fail(reason);
}

void CountedRowWriter::FailWriting(const std::string& why) {
  failed_ = true;
  out_.FailWriting(why);
}

std::unique_ptr<RowWriter> OpenRowWriter(OutputFile& out, std::string_view format, int32_t width, int32_t height,
                                         int32_t pixelsPerMetre) {
  if (width <= 0 || height <= 0) out.Fail("there is no picture to save.");
  if (format == "bmp") return OpenBmpWriter(out, width, height, pixelsPerMetre);
  if (format == "png") return OpenPngWriter(out, width, height, pixelsPerMetre);
  if (format == "tiff") return OpenTiffWriter(out, width, height, pixelsPerMetre);
  out.Fail("\"" + std::string(format) + "\" is not a format pictures are saved in (bmp, png or tiff).");
}

}  // namespace marvane
