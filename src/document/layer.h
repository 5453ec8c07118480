#pragma once
#include <cstdint>
#include <string>

#include "image/image32.h"
#include "image/tiled_image.h"
#include "image/pixel.h"

namespace tessel {

constexpr int kMaxLayers = 100;
constexpr int kLayerNameBytes = 32;   // NUL-terminated code page 936 text, at most 31 bytes
constexpr uint8_t kLayerVisible = 0x01;
constexpr uint8_t kLayerFillReference = 0x02;
constexpr uint8_t kFullOpacity = 128;

// A layer's pixels are flat while it is worked on and parked in tiles while it
// is idle, so that idle layers cost only what is painted on them.
struct Layer {
  // The flat pixels, made from the tiles first when the layer is parked. The
  // mutable form drops the tiles: the flat pixels are then the only copy.
  // An empty image when memory for it ran out.
  Image32& image();
  const Image32& image() const;
  bool parked() const { return !flat_.valid() && tiles_.valid(); }
  // Flat pixels to tiles (tiles still equal to the ones kept are shared); the
  // flat buffer goes. False when memory ran out: the layer stays flat.
  bool park();
  // Parks the layer with tiles of pixels (the layer's flat buffer goes);
  // false when memory ran out, the layer then unchanged. The bytes of pixels
  // in `transparent` are taken as transparent without being read.
  bool parkFrom(const Image32& pixels, std::span<const ByteRange> transparent = {});
  // Takes tiles (valid ones) as the layer's pixels, parked; the flat buffer goes.
  void adoptTiles(TiledImage&& tiles);
  // Tiles to flat pixels; false when memory ran out.
  bool unpark() const;
  // Frees the flat copy of a layer whose tiles hold its pixels.
  void releaseFlatCopy() const {
    if (tilesCurrent_) flat_.destroy();
  }
  // The tiles, when they hold the pixels (parked, or unparked for reading only).
  const TiledImage* tiles() const { return tilesCurrent_ ? &tiles_ : nullptr; }
  int width() const { return flat_.valid() ? flat_.width() : tiles_.width(); }
  int height() const { return flat_.valid() ? flat_.height() : tiles_.height(); }
  bool hasPixels() const { return flat_.valid() || tiles_.valid(); }
  // A new layer's pixels: w x h transparent, parked (no flat buffer).
  bool resetTransparent(int width, int height);
  // The pixels of other, sharing its tiles when it has them.
  bool copyPixelsFrom(const Layer& other);
  Pixel pixel(int x, int y) const { return flat_.valid() ? flat_.at(x, y) : tiles_.pixel(x, y); }
  // As Image32::getPixel: 0xFFFFFFFF outside.
  Pixel pixelOrWhite(int x, int y) const {
    return x >= 0 && y >= 0 && x < width() && y < height() ? pixel(x, y) : 0xFFFFFFFFu;
  }
  // Memory the pixels hold now.
  size_t pixelBytes() const { return flat_.byteSize() + (tilesCurrent_ ? tiles_.paintedBytes() : 0); }

  char name[kLayerNameBytes] = {};
  // The four attribute bytes, in the order documents and undo records keep them.
  uint8_t blendMode = 0;
  uint8_t opacity = kFullOpacity;
  uint8_t maskMode = 0;
  uint8_t flags = kLayerVisible;

  bool visible() const { return (flags & kLayerVisible) != 0; }
  bool fillReference() const { return (flags & kLayerFillReference) != 0; }
  // Stores up to 31 bytes of raw code page 936 text.
  void setNameBytes(const char* text);
  void copyAttributesFrom(const Layer& other);

 private:
  mutable Image32 flat_;
  mutable TiledImage tiles_;
  mutable bool tilesCurrent_ = false;   // tiles_ hold the pixels (flat_ may be a copy)
};

// Opacity shown as a percentage and back.
constexpr uint8_t opacityFromPercent(int percent) {
  return uint8_t(roundAddHalf(float(percent) * 1.28f));
}
constexpr int percentFromOpacity(int opacity) { return roundAddHalf(float(opacity) * 0.78125f); }

// Layer names live as code page 936 bytes; the user interface speaks UTF-8.
std::string layerNameToUtf8(const char* gbk);
// Converts and cuts to 31 bytes without splitting a double-byte character.
// Characters that code page 936 cannot hold become '?'.
void layerNameFromUtf8(const std::string& utf8, char out[kLayerNameBytes]);

}  // namespace tessel
