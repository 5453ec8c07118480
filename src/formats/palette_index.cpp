#include "formats/palette_index.h"

#include <cstring>

namespace tessel {

bool collectPalette(const Image32& image, std::vector<uint32_t>& palette) {
  palette.clear();
  image.collectColours(palette, 257);
  if (palette.size() > 256) {
    palette.clear();
    return false;
  }
  for (uint32_t& c : palette) c &= 0x00FFFFFFu;
  return true;
}

ColourIndex::ColourIndex(const std::vector<uint32_t>& palette) {
  std::memset(keys_, 0xFF, sizeof keys_);
  std::memset(values_, 0, sizeof values_);
  for (size_t i = 0; i < palette.size() && i < 256; ++i) {
    const uint32_t key = palette[i] & 0x00FFFFFFu;
    size_t slot = (key * 2654435761u) >> 22;
    while (keys_[slot] != 0xFFFFFFFFu && keys_[slot] != key) slot = (slot + 1) & (kSlots - 1);
    if (keys_[slot] == key) continue;   // the first equal entry wins
    keys_[slot] = key;
    values_[slot] = uint8_t(i);
  }
}

uint8_t ColourIndex::operator()(uint32_t colour) const {
  const uint32_t key = colour & 0x00FFFFFFu;
  size_t slot = (key * 2654435761u) >> 22;
  while (keys_[slot] != 0xFFFFFFFFu) {
    if (keys_[slot] == key) return values_[slot];
    slot = (slot + 1) & (kSlots - 1);
  }
  return 0;
}

}  // namespace tessel
