#pragma once
#include <cstdint>
#include <vector>

#include "image/geometry.h"

namespace tessel {

class Image32;
struct BrushShape;

// A grey brush texture: one byte per pixel, rows top first.
struct Texture {
  uint16_t width = 0;
  uint16_t height = 0;
  std::vector<uint8_t> bytes;   // width * height

  bool usable() const { return width > 0 && height > 0 && bytes.size() >= size_t(width) * height; }
};

enum MaskMode : uint32_t {
  kMaskNone = 0,
  kMaskTransparent = 1,   // paint only where the reference is opaque
  kMaskOpaque = 2,        // paint only where the reference is fully transparent
  kMaskAlpha = 3,         // change colour only, keep alpha
};

enum ColourMaskMode : uint32_t { kColourMaskOff = 0, kColourMaskProtect = 1, kColourMaskOnly = 2 };

// What every pixel operation of a stroke reads: the drawing conditions and the
// tool's sizes, opacities and flags.
struct BrushContext {
  const Image32* reference = nullptr;   // mask tests read this image
  const BrushShape* shape = nullptr;
  const Texture* texture = nullptr;     // null when textures are off
  uint32_t maskMode = kMaskNone;
  uint32_t colourMaskMode = kColourMaskOff;
  int32_t colourMaskCount = 1;
  uint32_t maskColours[5] = {};         // 0x00RRGGBB
  int32_t maxSize = 1, minSize = 1;     // pixels at pressure 1 and 0
  int32_t maxOpacity = 255, minOpacity = 255;
  int32_t smoothing = 1;                // earlier samples averaged with the newest
  int32_t pixelOp = 1;                  // PixelOp of the sub-pixel rasteriser
  double spacing = 0.15;                // dab distance as a fraction of the size
  double pickUpRate = 0.0, refillRate = 0.0;
  uint16_t antiAlias = 1, curve = 0, watercolour = 0;
  uint32_t colour = 0;                  // 0x00RRGGBB

  // True when colour (alpha ignored) is one of the listed mask colours.
  bool isMaskColour(Pixel colour) const;
};

}  // namespace tessel
