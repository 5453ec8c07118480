#pragma once
#include <cstdint>
#include <string>

#include "image/image32.h"
#include "image/pixel.h"

namespace tessel {

constexpr int kMaxLayers = 100;
constexpr int kLayerNameBytes = 32;   // NUL-terminated code page 936 text, at most 31 bytes
constexpr uint8_t kLayerVisible = 0x01;
constexpr uint8_t kLayerFillReference = 0x02;
constexpr uint8_t kFullOpacity = 128;

struct Layer {
  Image32 image;
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
