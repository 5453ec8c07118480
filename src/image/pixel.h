#pragma once
// Pixel arithmetic written the same way everywhere: fractions of 255 with the
// single-precision constant, rounding by adding one half and truncating.
#include "image/geometry.h"

namespace tessel {

constexpr float kInv255 = 1.0f / 255.0f;

// v + 0.5 truncated toward zero, in the precision of v.
constexpr int roundAddHalf(float v) { return int(v + 0.5f); }
constexpr int roundAddHalf(double v) { return int(v + 0.5); }

// The colour with another alpha; alpha 0 gives the stored transparent pixel.
constexpr Pixel withAlpha(Pixel colour, int alpha) {
  return alpha == 0 ? kTransparent : (colour & 0xFFFFFFu) | (Pixel(alpha) << 24);
}

}  // namespace tessel
