#include <cstdint>
#include <vector>

#include "platform/picture_writers.h"

namespace marvane {

// BMP, as Qt's writer makes it of an RGB32 image (at 96 dpi, 3780 pixels a metre, unless
// another resolution is given): 24 bits a pixel, blue first, the rows from the bottom up,
// each padded with zeros to a whole number of 4 bytes. The bands come from the bottom, so
// each row goes out as it comes.
namespace {

constexpr uint64_t kBmpHeaderBytes = 14 + 40;

uint64_t BmpRowBytes(int32_t width) { return (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4; }

class BmpRowWriter : public CountedRowWriter {
 public:
  BmpRowWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre)
      : CountedRowWriter(out, width, height), row_(static_cast<size_t>(BmpRowBytes(width)), 0) {
    const uint64_t imageBytes = row_.size() * static_cast<uint64_t>(height);
    unsigned char header[kBmpHeaderBytes] = {'B', 'M'};
    const auto put32 = [&header](size_t at, uint64_t v) {
      for (int i = 0; i < 4; ++i) header[at + i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
    };
    put32(2, imageBytes + kBmpHeaderBytes);
    put32(10, kBmpHeaderBytes);  // where the pixels start
    put32(14, 40);               // the size of the information header
    put32(18, static_cast<uint64_t>(width));
    put32(22, static_cast<uint64_t>(height));
    header[26] = 1;              // one plane
    header[28] = 24;             // bits a pixel
    put32(34, imageBytes);
    put32(38, static_cast<uint64_t>(pixelsPerMetre));  // across
    put32(42, static_cast<uint64_t>(pixelsPerMetre));  // down
    if (!out_.Write(header, sizeof header)) FailOutput();
  }

  RowOrder Order() const override { return RowOrder::BottomUp; }

  void WriteRows(const int32_t* pixels, int32_t count) override {
    TakeRows(count);
    const auto width = static_cast<size_t>(width_);
    // The block lies top row first: its bottom row goes out first.
    for (int32_t r = count - 1; r >= 0; --r) {
      const int32_t* in = pixels + static_cast<size_t>(r) * width;
      unsigned char* out = row_.data();
      for (size_t x = 0; x < width; ++x) {
        const auto v = static_cast<uint32_t>(in[x]);
        *out++ = static_cast<unsigned char>(v >> 16);
        *out++ = static_cast<unsigned char>(v >> 8);
        *out++ = static_cast<unsigned char>(v);
      }
      if (!out_.Write(row_.data(), row_.size())) FailOutput();
    }
  }

  void Finish() override {
    CheckAllRows();
    out_.Finish();
  }

 private:
  std::vector<unsigned char> row_;  // one row of the file, its padding zeros kept
};

}  // namespace

bool FitsInBmp(int32_t width, int32_t height) {
  return BmpRowBytes(width) * static_cast<uint64_t>(height) + kBmpHeaderBytes <= UINT32_MAX;
}

std::unique_ptr<RowWriter> OpenBmpWriter(OutputFile& out, int32_t width, int32_t height, int32_t pixelsPerMetre) {
  if (!FitsInBmp(width, height)) out.Fail("it would be larger than the 4 GB a BMP file can hold.");
  return std::make_unique<BmpRowWriter>(out, width, height, pixelsPerMetre);
}

}  // namespace marvane
