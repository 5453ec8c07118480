#pragma once
// One pixel of the display compositor, written out byte by byte. The plain
// compositor runs these for every pixel; the packed loops use them for the
// pixels left over at the end of a row.
#include <algorithm>
#include <cstdint>

#include "document/blend_modes.h"
#include "image/geometry.h"

namespace tessel::display {

// Effective coverage of a source pixel at a layer opacity (0..128): 0..255.
inline int coverage(int opacity, Pixel s) { return (opacity * int(alphaOf(s))) >> 7; }

inline int byteAt(Pixel p, int shift) { return int((p >> shift) & 0xFF); }

// d + ((b - d) * k >> 8), with an arithmetic shift of the possibly negative product.
inline int mixShift(int b, int d, int k) { return d + (((b - d) * k) >> 8); }
// d + ((b - d) * k) div 255, truncating towards zero.
inline int mixDiv(int b, int d, int k) { return d + ((b - d) * k) / 255; }

inline Pixel normal(Pixel s, Pixel d, int k) {
  Pixel out = 0;
  for (int sh = 0; sh < 32; sh += 8) out |= Pixel(mixShift(byteAt(s, sh), byteAt(d, sh), k)) << sh;
  return out;
}

inline Pixel multiply(Pixel s, Pixel d, int k) {
  Pixel out = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    int sb = byteAt(s, sh), db = byteAt(d, sh);
    out |= Pixel(mixShift((sb * db) >> 8, db, k)) << sh;
  }
  return out;
}

inline Pixel add(Pixel s, Pixel d, int k) {
  Pixel out = 0;
  for (int sh = 0; sh < 32; sh += 8)
    out |= Pixel(std::min(255, byteAt(d, sh) + ((byteAt(s, sh) * k) >> 8))) << sh;
  return out;
}

inline Pixel subtract(Pixel s, Pixel d, int k) {
  Pixel out = 0;
  for (int sh = 0; sh < 32; sh += 8)
    out |= Pixel(std::max(0, byteAt(d, sh) - ((byteAt(s, sh) * k) >> 8))) << sh;
  return out;
}

// Table modes: the three colour bytes through the table; alpha is kept.
inline Pixel table(Pixel s, Pixel d, int k, const uint8_t* t) {
  Pixel out = d & 0xFF000000u;
  for (int sh = 0; sh < 24; sh += 8) {
    int sb = byteAt(s, sh), db = byteAt(d, sh);
    out |= Pixel(mixShift(t[db * 256 + sb], db, k)) << sh;
  }
  return out;
}

// Modes 17-20, given the blended colour b; alpha is kept.
inline Pixel towardsDiv(Pixel b, Pixel d, int k) {
  Pixel out = d & 0xFF000000u;
  for (int sh = 0; sh < 24; sh += 8)
    out |= Pixel(mixDiv(byteAt(b, sh), byteAt(d, sh), k)) << sh;
  return out;
}

inline Pixel hcl(int mode, Pixel s, Pixel d, int k) {
  if (alphaOf(s) == 0) return d;
  return towardsDiv(blendHcl(mode, s, d), d, k);
}

}  // namespace tessel::display
