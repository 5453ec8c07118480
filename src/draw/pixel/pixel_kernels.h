#pragma once
// The arithmetic of single pixels shared by the per-pixel operations and the
// row loops of the fast dab path, so that both write the same bytes.
#include <algorithm>
#include <cstdint>

#include "image/pixel.h"

namespace tessel {

// Source over with opacity alpha; keepAlpha leaves the destination alpha as it was.
inline void overPixel(Pixel* p, Pixel q, int alpha, bool keepAlpha) {
  Pixel dst = *p;
  if (alpha == 255) {
    *p = withAlpha(q, keepAlpha ? int(alphaOf(dst)) : 255);
    return;
  }
  float s = float(alpha) * kInv255, d = float(alphaOf(dst)) * kInv255;
  float a = s + d - s * d;
  if (a <= 0.0f) return;   // nothing over nothing stays nothing
  Pixel out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    float v = (s * float((q >> shift) & 0xFF) + d * (1.0f - s) * float((dst >> shift) & 0xFF)) / a;
    out |= Pixel(std::min(roundAddHalf(v), 255)) << shift;
  }
  *p = withAlpha(out, keepAlpha ? int(alphaOf(dst)) : roundAddHalf(255.0f * a));
}

// A stroke buffer pixel laid over the backup's; keepAlpha keeps the backup's alpha.
inline Pixel commitOverPixel(Pixel buf, Pixel bak, bool keepAlpha) {
  float s = float(alphaOf(buf)) * kInv255, b = float(alphaOf(bak)) * kInv255;
  float a = s + b - s * b;
  int o = roundAddHalf(255.0f * a);
  if (o == 0) return kTransparent;
  Pixel c = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    float kept = b * (1.0f - s) * float((bak >> shift) & 0xFF);
    float v = (kept + s * float((buf >> shift) & 0xFF)) / a;
    c |= Pixel(std::min(roundAddHalf(v), 255)) << shift;
  }
  return withAlpha(c, keepAlpha ? int(alphaOf(bak)) : o);
}

// The finger's carried pixel k laid into *p with strength fa; k takes the result.
// alphaMask: the pixel keeps its own alpha.
inline void smudgePixel(Pixel& k, Pixel* p, float fa, bool alphaMask) {
  float d = float(alphaOf(*p)) * kInv255, e = float(alphaOf(k)) * kInv255;
  float area = d + (e - d) * fa;
  int alpha = roundAddHalf(255.0f * area);
  // Nothing with colour met here; under the alpha mask the pixel keeps its own.
  if (alpha == 0 && alphaMask) {
    k = *p;
    return;
  }
  Pixel out = 0xFFFFFFu;
  if (alpha != 0) {
    out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      float carried = e * fa * float((k >> shift) & 0xFF);
      float v = (carried + d * (1.0f - fa) * float((*p >> shift) & 0xFF)) / area;
      out |= Pixel(std::min(roundAddHalf(v), 255)) << shift;
    }
  }
  *p = withAlpha(out, alphaMask ? int(alphaOf(*p)) : alpha);
  k = *p;
}

// One channel brightened or darkened with strength a (0..255).
inline int dodgeChannel(int c, int a) {
  return a == 255 ? 255 : std::min(255, (255 * c + (255 - a) / 2) / (255 - a));
}
inline int burnChannel(int c, int a) {
  if (a == 255) return 0;
  int t = (255 * (255 - c) + (255 - a) / 2) / (255 - a);
  return t > 255 ? 0 : 255 - t;
}

// Every result of dodgeChannel or burnChannel, indexed [a][c].
struct ChannelTable {
  uint8_t at[256][256];
};
const ChannelTable& dodgeTable();
const ChannelTable& burnTable();

}  // namespace tessel
