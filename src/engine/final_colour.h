#pragma once
// The final picture, pixel by pixel. A board pixel is found in the log-polar tiling and
// the tile grid is sampled there; the sample is re-coloured along the spectrum and in
// brightness, blended into the centre colour inside the fade band, and drawn on the
// full-size picture and the thumbnail.
//
// FinalPixelKernel holds that arithmetic once for every path that draws the picture:
// the desktop's ticks make one for each tick, the renderer's fast path, the preview and
// the loop's frames one for each thread. What the four pixels at (+-dx, +-dy) share is
// split off as a Ring, so that a caller may work it out once for all four: they lie at
// exactly the same distance from the centre (the ring coordinate, the sample's
// footprint, the radial fraction, the fade), and their angles come from one arctangent.
#include <array>
#include <cstdint>
#include <memory>

#include "colour/chroma.h"

namespace marvane {

class Picture;
class PixelSource;
class RememberedPixels;
class Ui;
struct EngineState;
struct SpectrumTables;

// Where a sampled colour sits on the spectrum: the entry of its hue, and its white level
// and spread relative to that entry's (0 where the entry's is 0).
struct SpectrumPlace {
  int16_t entry = 0;
  float white = 0.0f;
  float spread = 0.0f;
};
// The place of the packed colour.
SpectrumPlace PlaceOnSpectrum(const SpectrumTables& spectrum, int32_t packed);

// PlaceOnSpectrum, remembered for the colours met last: neighbouring pixels often
// sample the same colour. One slot for each hash of a packed colour; a slot holds the
// colour it answers for, so a colour is answered only from its own slot.
class SpectrumPlaceMemo {
 public:
  explicit SpectrumPlaceMemo(const SpectrumTables& spectrum) : spectrum_(spectrum) {}
  SpectrumPlace Get(int32_t packed);

 private:
  static constexpr int kBits = 12;
  struct Slot {
    int32_t packed = -1;
    SpectrumPlace place;
  };
  const SpectrumTables& spectrum_;
  std::array<Slot, size_t{1} << kBits> slots_{};
};

// How one frame of a seamless loop differs from the still picture. The rings shrink by
// one fixed ratio, so moving every piece outward by a whole ring shows the same picture
// again; the spectrum is a circle, so turning every colour by all its entries does too.
// Both zero: the still picture, computed exactly as it always was.
struct FrameShift {
  double ringPhase = 0;  // the ring coordinate u becomes u - ringPhase, 0 to 1
  long double hue = 0;   // entries added to every spectrum index before it is rounded
};

class FinalPixelKernel {
 public:
  // The values of one stage: nothing here may change while the kernel is in use.
  // `specStart` is the "Color tone at center" slider's value; `grid` the tile grid,
  // whose cells have the side state.GridTileSize.
  FinalPixelKernel(Ui& ui, const Picture& grid, const EngineState& state,
                   const SpectrumTables& spectrum, int32_t specStart, FrameShift shift = {});
  // The same over a grid worked out as it is read (a poster's, too large to hold).
  FinalPixelKernel(Ui& ui, const PixelSource& grid, const EngineState& state,
                   const SpectrumTables& spectrum, int32_t specStart, FrameShift shift = {});
  ~FinalPixelKernel();
  FinalPixelKernel(const FinalPixelKernel&) = delete;
  FinalPixelKernel& operator=(const FinalPixelKernel&) = delete;

  // The terms of one distance from the centre.
  struct Ring {
    float r = 0.0f;
    bool drawn = false;        // beyond the smallest radius plus one: the scan paints it
    bool coloured = false;     // beyond the smallest radius: the colouring applies
    float across = 0.0f;       // the ring coordinate's fraction, in tile pixels
    float footprint = 0.0f;    // one board pixel's side in tile pixels
    float rho = 0.0f;          // the distance beyond the smallest radius
    float fraction = 0.0f;     // 0 at the smallest radius, 1 at the outer radius
    double brightness = 0.0;   // the brightness shift at this radius
    long double hueShift = 0;  // the spectrum shift at this radius, in entries
    bool inFade = false;
    float fade = 0.0f;         // the blend towards the full colour inside the fade band
    double mirrorAtan = 0.0;   // MirrorAtan(dx, dy), for a ring that is drawn
  };
  // The offset (dx, dy) from the centre of board pixel (x, y), exact as floats.
  float Dx(int32_t x) const { return static_cast<float>(static_cast<double>(x) - centerX_); }
  float Dy(int32_t y) const { return static_cast<float>(static_cast<double>(y) - centerY_); }
  // The terms of (dx, dy), which (+-dx, +-dy) share.
  Ring RingOf(float dx, float dy) const;

  // The colours that one visit of the final-image scan gives `count` pixels (1 to
  // kLanes) that share `ring`, the pixels at (dx[k], dy[k]) from the centre; only for a
  // ring that is drawn. The pixels are worked out side by side, step by step: the steps
  // of one pixel wait for each other, those of different pixels do not, so the
  // processor overlaps them. Each pixel's arithmetic is the same as alone.
  static constexpr int kLanes = 4;
  void ScanColours(const Ring& ring, int count, const float* dx, const float* dy, int32_t* colours);
  // The same for pixels of rings of their own, rings[k] the ring of pixel k (each drawn):
  // a band of rows, which holds a row without its mirror, fills its lanes from two
  // distances at once.
  void ScanColours(const Ring* const* rings, int count, const float* dx, const float* dy, int32_t* colours);
  // The same for one board pixel: false for a pixel at or inside the smallest radius
  // plus one, which keeps the background.
  bool ScanColour(int32_t x, int32_t y, int32_t& value);

 private:
  // Where along the grid cell the pixel at (dx, dy) reads, in tile pixels.
  double PlaceAcross(const Ring& ring, float dx, float dy) const;
  template <class Rings>
  void SampleAll(const Rings& rings, int count, const float* dx, const float* dy, Chroma* samples);
  template <class Rings>
  void PaintAll(const Rings& rings, int count, const Chroma* samples, int32_t* colours);
  SpectrumPlace PlaceOfSample(const Chroma& baseColor);
  Chroma SpectrumColourAt(int32_t k, const SpectrumPlace& place);

  FinalPixelKernel(Ui& ui, const Picture* grid, std::unique_ptr<RememberedPixels> source, const EngineState& state,
                   const SpectrumTables& spectrum, int32_t specStart, FrameShift shift);
  template <class Surface, class Rings>
  void SampleFrom(const Surface& grid, const Rings& rings, int count, const double* x, Chroma* samples);

  Ui& ui_;
  const Picture* grid_ = nullptr;       // the grid as a picture,
  std::unique_ptr<RememberedPixels> source_;  // or as worked out when read, remembered
  const EngineState& state_;
  const SpectrumTables& spectrum_;
  int32_t specStart_;
  int32_t centerX_, centerY_;
  bool passThrough_;   // no colour setting in play
  FrameShift shift_;
  double offset_;      // half a grid cell
  std::unique_ptr<SpectrumPlaceMemo> memo_;  // made when first needed
};

// The thumbnail pixel that board coordinate c lands on.
inline int32_t ThumbnailCoordinate(int32_t c) { return c >> 2; }

// b x (e^(0.013 a) - 0.27253), the brightness factor of the "Brightness at center"
// slider (0.72747 at 0, 0.99999994 at 18.539, 3.39677 at 100).
float LightFactor(double a, double b);

}  // namespace marvane
