#pragma once
#include <random>

#include "image/image32.h"

namespace tessel::testing {

// Random pixels; about a quarter fully transparent (half of those stored
// the canonical way, half with stray colour bits) and some partly so.
inline void fillRandom(Image32& image, uint32_t seed) {
  std::mt19937 random(seed);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      uint32_t p = random();
      switch (random() % 8) {
        case 0: p = kTransparent; break;
        case 1: p &= 0x00FFFFFFu; break;
        case 2: p = (p & 0x00FFFFFFu) | 0xFF000000u; break;
        default: break;
      }
      image.set(x, y, p);
    }
}

inline bool samePixels(const Image32& a, const Image32& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

}  // namespace tessel::testing
