#pragma once
// The drawing conditions every gated pixel operation obeys, and the table of
// per-pixel operations. Strokes reach them through the brush engine; fill,
// gradient and text can call them directly on a layer with a gate of their own.
#include <cstdint>
#include <random>
#include <vector>

#include "image/geometry.h"

namespace tessel {

class Image32;

// The eleven per-pixel operations, by table index.
enum PixelOpIndex : int {
  kPixelReplace = 0,
  kPixelOver = 1,
  kPixelOverKeepAlpha = 2,
  kPixelMax = 3,
  kPixelSpray = 4,
  kPixelDodge = 5,
  kPixelBurn = 6,
  kPixelBlur = 7,
  kPixelErase = 8,
  kPixelOverPlain = 9,
  kPixelSet = 10,
};
constexpr int kPixelOpCount = 11;

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

// Mask mode, colour mask and texture, tested against a reference image.
struct PixelGate {
  const Image32* reference = nullptr;   // mask tests read this image
  const Texture* texture = nullptr;     // null when textures are off
  uint32_t maskMode = kMaskNone;
  uint32_t colourMaskMode = kColourMaskOff;
  int32_t colourMaskCount = 1;
  uint32_t maskColours[5] = {};         // 0x00RRGGBB

  // True when colour (alpha ignored) is one of the listed mask colours.
  bool isMaskColour(Pixel colour) const;
  // The pixel's address with alpha scaled by the texture, or null when the
  // pixel lies outside the image or the conditions reject it.
  Pixel* admit(Image32& image, int x, int y, int& alpha) const;
};

// True when admit() reads pixels of the reference image.
inline bool gateReadsReference(const PixelGate& g) {
  return g.reference && (g.maskMode == kMaskTransparent || g.maskMode == kMaskOpaque ||
                         g.colourMaskMode == kColourMaskProtect || g.colourMaskMode == kColourMaskOnly);
}

// True when admit() takes every pixel inside the image with its alpha as
// given, so row loops may skip it.
inline bool gateAdmitsAll(const PixelGate& g) {
  if (g.texture && g.texture->usable()) return false;
  return !gateReadsReference(g);
}

// Applies operation op (a PixelOpIndex) at (x, y) with value's colour and
// opacity; unknown operations do nothing. The spray draws from random.
void applyPixelOp(int op, const PixelGate& gate, std::mt19937& random, Image32& image, int x,
                  int y, Pixel value);

}  // namespace tessel
