#include "platform/animation_files.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>

#include "platform/run_time_error.h"

namespace marvane {
namespace {

[[noreturn]] void CannotSave(const std::string& path, const std::string& why) {
  throw RunTimeError("Cannot save the animation \"" + path + "\": " + why);
}

struct PictureFree {
  void operator()(WebPPicture* p) const { WebPPictureFree(p); }
};
struct MuxDelete {
  void operator()(WebPMux* m) const { WebPMuxDelete(m); }
};

}  // namespace

std::string EncodeWebPFrame(const Picture& picture, std::optional<double> quality) {
  WebPConfig config;
  if (!WebPConfigInit(&config)) throw RunTimeError("The WebP encoder does not match its header.");
  if (quality) {
    WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, static_cast<float>(*quality));
  } else {
    // The fastest lossless level: a spiral's smooth colours gain little from the slower
    // ones (a tenth smaller at five times the time).
    WebPConfigLosslessPreset(&config, 0);
  }
  WebPPicture frame;
  if (!WebPPictureInit(&frame)) throw RunTimeError("The WebP encoder does not match its header.");
  frame.use_argb = 1;
  frame.width = picture.Width();
  frame.height = picture.Height();
  const std::unique_ptr<WebPPicture, PictureFree> owned(&frame);
  // A packed colour is red, green and blue in its three low bytes, in that order in
  // memory: the layout libwebp calls RGBX.
  if (!WebPPictureImportRGBX(&frame, reinterpret_cast<const uint8_t*>(picture.Pixels().data()),
                             picture.Width() * 4))
    throw RunTimeError("There is not enough memory to encode a frame of " + std::to_string(picture.Width()) + " x " +
                       std::to_string(picture.Height()) + " pixels.");
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  frame.writer = WebPMemoryWrite;
  frame.custom_ptr = &writer;
  const bool encoded = WebPEncode(&config, &frame) != 0;
  std::string bytes = encoded ? std::string(reinterpret_cast<const char*>(writer.mem), writer.size) : std::string();
  WebPMemoryWriterClear(&writer);
  if (!encoded)
    throw RunTimeError("A frame of " + std::to_string(picture.Width()) + " x " + std::to_string(picture.Height()) +
                       " pixels could not be encoded as WebP (error " + std::to_string(frame.error_code) + ").");
  return bytes;
}

std::unique_ptr<OutputFile> WriteWebPAnimationFile(const std::vector<std::string>& frames,
                                                   const std::vector<int32_t>& durationsMs, const std::string& path) {
  if (frames.empty() || frames.size() != durationsMs.size()) CannotSave(path, "there are no frames to save.");
  // Refused names (a folder, a missing folder) are found before the frames are joined.
  auto out = std::make_unique<OutputFile>(
      path, [path](const std::string& why) { return "Cannot save the animation \"" + path + "\": " + why; });

  const std::unique_ptr<WebPMux, MuxDelete> mux(WebPMuxNew());
  if (!mux) CannotSave(path, "there is not enough memory.");
  // Loop for ever; the background shows nowhere, every frame covering the whole canvas.
  const WebPMuxAnimParams loop = {0xFFFFFFFFu, 0};
  if (WebPMuxSetAnimationParams(mux.get(), &loop) != WEBP_MUX_OK) CannotSave(path, "there is not enough memory.");
  for (size_t i = 0; i < frames.size(); ++i) {
    WebPMuxFrameInfo frame = {};
    frame.bitstream.bytes = reinterpret_cast<const uint8_t*>(frames[i].data());
    frame.bitstream.size = frames[i].size();
    frame.duration = durationsMs[i];
    frame.id = WEBP_CHUNK_ANMF;
    frame.dispose_method = WEBP_MUX_DISPOSE_NONE;
    frame.blend_method = WEBP_MUX_NO_BLEND;
    const WebPMuxError pushed = WebPMuxPushFrame(mux.get(), &frame, 0);  // the strings outlive the mux
    if (pushed != WEBP_MUX_OK)
      CannotSave(path, "frame " + std::to_string(i) + " is not a WebP frame (error " + std::to_string(pushed) + ").");
  }
  WebPData assembled;
  WebPDataInit(&assembled);
  const WebPMuxError made = WebPMuxAssemble(mux.get(), &assembled);
  const std::unique_ptr<WebPData, void (*)(WebPData*)> ownedData(&assembled, WebPDataClear);
  if (made != WEBP_MUX_OK)
    CannotSave(path, made == WEBP_MUX_MEMORY_ERROR ? std::string("there is not enough memory.")
                                                   : "the frames do not form one animation (error " +
                                                         std::to_string(made) + ").");

  if (!out->Write(assembled.bytes, assembled.size)) out->Finish();  // raises with the system's reason
  out->Finish();
  return out;
}

}  // namespace marvane
