#include <QFileInfo>
#include <QString>

#include <memory>
#include <new>
#include <string_view>

#include "platform/output_file.h"
#include "platform/picture_files.h"
#include "platform/row_writers.h"

namespace marvane {

namespace {

constexpr const char* kNoMemory = "there is not enough memory for the picture.";

const char* SaveFormatFor(const QFileInfo& target) {
  const QString ending = target.suffix().toLower();
  if (ending == QLatin1String("png")) return "png";
  if (ending == QLatin1String("tif") || ending == QLatin1String("tiff")) return "tiff";
  return "bmp";
}

// Writes the picture in its format straight into `out`, a band at a time as the row
// writer makes the bytes, and finishes it.
void WritePicture(const Picture& picture, std::string_view format, int32_t pixelsPerMetre, OutputFile& out) {
  if (picture.Empty()) out.Fail("there is no picture to save.");
  try {
    const std::unique_ptr<RowWriter> writer =
        OpenRowWriter(out, format, picture.Width(), picture.Height(), pixelsPerMetre);
    writer->WriteRows(picture.Pixels().data(), picture.Height());
    writer->Finish();
  } catch (const std::bad_alloc&) {
    out.Fail(kNoMemory);
  }
}

}  // namespace

std::string_view PictureFormatForName(const std::string& path) {
  return SaveFormatFor(QFileInfo(QString::fromStdString(path)));
}

std::unique_ptr<OutputFile> WritePictureFile(const Picture& picture, const std::string& path, std::string_view format,
                                             int32_t pixelsPerMetre) {
  auto out = std::make_unique<OutputFile>(
      path, [path](const std::string& why) { return "Cannot save the picture file \"" + path + "\": " + why; });
  WritePicture(picture, format.empty() ? PictureFormatForName(path) : format, pixelsPerMetre, *out);
  return out;
}

void SavePictureFile(const Picture& picture, const std::string& path, std::string_view format) {
  WritePictureFile(picture, path, format)->Commit();
}

}  // namespace marvane
