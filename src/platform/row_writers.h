#pragma once
// Pictures written a band of rows at a time, never held whole: what a poster of any size
// is saved through. The renderer draws a band of rows, hands it over, and draws the next
// over the same memory; the writer encodes each band as it comes.
//
// A writer takes the rows in the order Order() says. BMP keeps its rows from the bottom
// up, so its bands come from the bottom; every other format takes them from the top.
// Rows are packed colours (red in the lowest byte), `width` of them a row.
//
// Every writer writes into an OutputFile, so a file is complete or absent: Finish()
// completes the file's bytes, the caller's Commit() puts it in place, and a writer given
// up before that leaves nothing at the name. Failures (a full disk, a picture the format
// cannot hold) raise RunTimeError with the OutputFile's message for the reason.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/output_file.h"

namespace marvane {

enum class RowOrder { TopDown, BottomUp };

class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual RowOrder Order() const { return RowOrder::TopDown; }
  // The next `count` rows, in the writer's order: for TopDown the rows below those
  // given before, for BottomUp those above. Within the block the rows lie top row first
  // either way.
  virtual void WriteRows(const int32_t* pixels, int32_t count) = 0;
  // After the last row: completes the file. Raises when a row is missing.
  virtual void Finish() = 0;
};

// The picture of `width` x `height` as `format` ("bmp", "png" or "tiff") into
// `out`, recording `pixelsPerMetre`. Raises RunTimeError (through out's message) for a
// picture the format cannot hold: BMP keeps its sizes in 32 bits, PNG and TIFF take
// sides up to 2^31 - 1 (a TIFF past 4 GB is a BigTIFF).
std::unique_ptr<RowWriter> OpenRowWriter(OutputFile& out, std::string_view format, int32_t width, int32_t height,
                                         int32_t pixelsPerMetre);

}  // namespace marvane
