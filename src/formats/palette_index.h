#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image32.h"

namespace tessel {

// The palette of the BMP, PNG and GIF writers: the image's distinct colours
// (0x00RRGGBB) in memory order, bottom row first. False when there are more
// than 256.
bool collectPalette(const Image32& image, std::vector<uint32_t>& palette);

// 24-bit colour to palette index, for at most 256 colours.
class ColourIndex {
 public:
  explicit ColourIndex(const std::vector<uint32_t>& palette);
  // The index of the first entry equal to colour (alpha ignored), 0 when absent.
  uint8_t operator()(uint32_t colour) const;

 private:
  static constexpr size_t kSlots = 1024;
  uint32_t keys_[kSlots];
  uint8_t values_[kSlots];
};

// 0x00BBGGRR (red in the low byte, as the options dialogs give it) to 0x00RRGGBB.
constexpr uint32_t swapRedBlue(uint32_t c) {
  return (c & 0x0000FF00u) | (c & 0xFFu) << 16 | (c >> 16 & 0xFFu);
}

}  // namespace tessel
