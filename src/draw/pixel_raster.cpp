// The pixel rasteriser: integer lines with a stamp at every point, and the finger.
#include <algorithm>
#include <cstdlib>

#include "draw/brush_engine.h"
#include "image/image32.h"

namespace tessel {

namespace {

constexpr float kInv255 = 1.0f / 255.0f;
int rnd(float v) { return int(v + 0.5f); }

}  // namespace

void BrushEngine::pixelLine(Image32& image, int x0, int y0, int x1, int y1, Pixel colour,
                            bool skipFirst, StampKind kind, int op) {
  int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  int sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
  bool xMajor = dx >= dy;
  int major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  int err = 2 * minor - major;
  int x = x0, y = y0;
  auto step = [&] {
    if (xMajor) x += sx; else y += sy;
    if (err >= 0) {
      if (xMajor) y += sy; else x += sx;
      err -= 2 * major;
    }
    err += 2 * minor;
  };
  int i = 0;
  if (skipFirst) {
    if (major == 0) return;
    step();
    i = 1;
  }
  for (; i < major; ++i) {
    stampAt(image, x, y, colour, kind, op);
    step();
  }
  stampAt(image, x1, y1, colour, kind, op);
}

void BrushEngine::stampAt(Image32& image, int x, int y, Pixel colour, StampKind kind, int op) {
  ++dabs_;
  if (kind == StampKind::Point) {
    applyPixelOp(op, image, x, y, colour);
    return;
  }
  if (kind == StampKind::Smudge) {
    stampSmudge(image, x, y);
    return;
  }
  int n = shape_.side, left = x - n / 2, top = y - n / 2;
  // Rows and columns off the image would be rejected pixel by pixel anyway.
  int c0 = std::max(0, -left), c1 = std::min(n, image.width() - left);
  int r0 = std::max(0, -top), r1 = std::min(n, image.height() - top);
  for (int r = r0; r < r1; ++r)
    for (int c = c0; c < c1; ++c)
      if (shape_.isSet(c, r)) applyPixelOp(op, image, left + c, top + r, colour);
}

// The layer under the tip, one pixel per set tip position; opaque white off the image.
void BrushEngine::smudgePickUp(const Image32& layer, int x, int y) {
  int n = std::min(shape_.side, kMaskSide), left = x - n / 2, top = y - n / 2;
  smudgeSide_ = n;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      if (shape_.isSet(c, r)) smudgeCarry_[r * n + c] = layer.getPixel(left + c, top + r);
}

void BrushEngine::stampSmudge(Image32& image, int x, int y) {
  const BrushContext& ctx = context_;
  int n = smudgeSide_, left = x - n / 2, top = y - n / 2;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (!shape_.isSet(c, r)) continue;
      Pixel& k = smudgeCarry_[r * n + c];
      int ka = int(alphaOf(k));
      if (ctx.maskMode == kMaskTransparent && ka == 0) continue;
      if (ctx.colourMaskMode == kColourMaskProtect && ka > 0 && ctx.isMaskColour(k)) continue;
      int a = ctx.maxOpacity;
      Pixel* p = gate(image, left + c, top + r, a);
      if (!p) continue;
      float f = float(a) * kInv255, d = float(alphaOf(*p)) * kInv255, e = float(ka) * kInv255;
      float area = d + (e - d) * f;
      int alpha = rnd(255.0f * area);
      Pixel out = 0xFFFFFFu;
      if (alpha != 0) {
        out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          float v = (e * f * float((k >> shift) & 0xFF) +
                     d * (1.0f - f) * float((*p >> shift) & 0xFF)) / area;
          out |= Pixel(std::min(rnd(v), 255)) << shift;
        }
      }
      int kept = ctx.maskMode == kMaskAlpha ? int(alphaOf(*p)) : alpha;
      *p = kept == 0 ? kTransparent : (out | (Pixel(kept) << 24));
      k = *p;
    }
  }
}

}  // namespace tessel
