// The per-pixel operations, the gate they share, and the commit of stroke buffers.
#include <algorithm>

#include "draw/brush_engine.h"
#include "image/image32.h"

namespace tessel {

namespace {

constexpr float kInv255 = 1.0f / 255.0f;

int rnd(float v) { return int(v + 0.5f); }
int channel(Pixel p, int shift) { return int((p >> shift) & 0xFF); }

Pixel withAlpha(Pixel colour, int alpha) {
  return alpha == 0 ? kTransparent : (colour & 0xFFFFFFu) | (Pixel(alpha) << 24);
}

// Source over with opacity alpha; keepAlpha leaves the destination alpha as it was.
void overPixel(Pixel* p, Pixel q, int alpha, bool keepAlpha) {
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
    float v = (s * float(channel(q, shift)) + d * (1.0f - s) * float(channel(dst, shift))) / a;
    out |= Pixel(std::min(rnd(v), 255)) << shift;
  }
  *p = withAlpha(out, keepAlpha ? int(alphaOf(dst)) : rnd(255.0f * a));
}

void opReplace(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  if (Pixel* p = e.gate(img, x, y, a)) *p = withAlpha(v, a);
}

void opOver(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  if (Pixel* p = e.gate(img, x, y, a)) overPixel(p, v, a, false);
}

void opOverKeepAlpha(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  if (Pixel* p = e.gate(img, x, y, a)) overPixel(p, v, a, e.context().maskMode == kMaskAlpha);
}

void opMax(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = e.gate(img, x, y, a);
  if (p && a >= int(alphaOf(*p))) *p = withAlpha(v, a);
}

void opSpray(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  uint32_t o = alphaOf(v);
  if (o == 0) return;
  if ((e.random()() & 15) != 0) return;
  uint32_t r = uint32_t(e.random()());
  opMax(e, img, x, y, (v & 0xFFFFFFu) | ((1 + r % o) << 24));
}

void opDodge(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = e.gate(img, x, y, a);
  if (!p) return;
  Pixel out = *p & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    int c = channel(*p, shift);
    int r = a == 255 ? 255 : std::min(255, (255 * c + (255 - a) / 2) / (255 - a));
    out |= Pixel(r) << shift;
  }
  *p = out;
}

void opBurn(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = e.gate(img, x, y, a);
  if (!p) return;
  Pixel out = *p & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    int c = channel(*p, shift), r = 0;
    if (a != 255) {
      int t = (255 * (255 - c) + (255 - a) / 2) / (255 - a);
      r = t > 255 ? 0 : 255 - t;
    }
    out |= Pixel(r) << shift;
  }
  *p = out;
}

// Mean of the 3 x 3 neighbourhood; an edge row or column is replaced by the centre one.
void opBlur(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = e.gate(img, x, y, a);
  if (!p) return;
  const BrushContext& c = e.context();
  int64_t sum[3] = {}, sumA = 0;
  int n = 0;
  for (int dy = -1; dy <= 1; ++dy) {
    int yy = (y + dy < 0 || y + dy >= img.height()) ? y : y + dy;
    for (int dx = -1; dx <= 1; ++dx) {
      int xx = (x + dx < 0 || x + dx >= img.width()) ? x : x + dx;
      Pixel q = img.at(xx, yy);
      int qa = int(alphaOf(q));
      if (c.maskMode == kMaskTransparent && qa == 0) continue;
      if (c.colourMaskMode == kColourMaskProtect && qa > 0 && c.isMaskColour(q)) continue;
      ++n;
      sumA += qa;
      for (int i = 0; i < 3; ++i) sum[i] += int64_t(channel(q, i * 8)) * qa;
    }
  }
  if (n == 0) return;
  int newA = int(double(sumA) / n + 0.5);
  if (newA == 0 && c.maskMode == kMaskAlpha) return;   // no colour to take; alpha stays
  Pixel out = 0xFFFFFFu;
  if (newA != 0) {
    out = 0;
    for (int i = 0; i < 3; ++i)
      out |= Pixel(std::min(255, int(double(sum[i]) / double(sumA) + 0.5))) << (i * 8);
  }
  int keptA = c.maskMode == kMaskAlpha ? int(alphaOf(*p)) : newA;
  *p = withAlpha(out, keptA);
}

void opErase(BrushEngine& e, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = e.gate(img, x, y, a);
  if (!p) return;
  int left = int(alphaOf(*p)) - a;
  *p = left <= 0 ? kTransparent : withAlpha(*p, left);
}

void opOverPlain(BrushEngine&, Image32& img, int x, int y, Pixel v) {
  Pixel* p = img.pixelAddress(x, y);
  if (p && alphaOf(v) != 0) overPixel(p, v, int(alphaOf(v)), false);
}

void opSet(BrushEngine&, Image32& img, int x, int y, Pixel v) {
  if (Pixel* p = img.pixelAddress(x, y)) *p = v;
}

using PixelOpFn = void (*)(BrushEngine&, Image32&, int, int, Pixel);
constexpr PixelOpFn kPixelOps[kPixelOpCount] = {
    opReplace, opOver, opOverKeepAlpha, opMax,      opSpray, opDodge,
    opBurn,    opBlur, opErase,         opOverPlain, opSet,
};

}  // namespace

Pixel* BrushEngine::gate(Image32& image, int x, int y, int& alpha) const {
  Pixel* p = image.pixelAddress(x, y);
  if (!p) return nullptr;
  const BrushContext& c = context_;
  if (c.reference) {
    Pixel ref = c.reference->getPixel(x, y);
    int ra = int(alphaOf(ref));
    if (c.maskMode == kMaskTransparent && ra == 0) return nullptr;
    if (c.maskMode == kMaskOpaque && ra > 0) return nullptr;
    if (c.colourMaskMode == kColourMaskProtect && ra > 0 && c.isMaskColour(ref)) return nullptr;
    if (c.colourMaskMode == kColourMaskOnly && !(ra > 0 && c.isMaskColour(ref))) return nullptr;
  }
  if (const Texture* t = c.texture; t && t->usable()) {
    alpha = alpha * t->bytes[size_t(x % t->width) + size_t(t->width) * size_t(y % t->height)] / 255;
    if (alpha == 0) return nullptr;
  }
  return p;
}

void BrushEngine::applyPixelOp(int op, Image32& image, int x, int y, Pixel value) {
  if (op >= 0 && op < kPixelOpCount) kPixelOps[op](*this, image, x, y, value);
}

namespace {

// The rectangle clipped to every image it touches.
Rect clipTo(const Rect& r, const Image32& a, const Image32& b) {
  return r.intersected(a.bounds()).intersected(b.bounds());
}

}  // namespace

void commitOver(Image32& layer, const Image32& buffer, const Image32& backup, const Rect& rect,
                uint32_t maskMode) {
  Rect r = clipTo(clipTo(rect, layer, buffer), backup, backup);
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* out = layer.row(y);
    const Pixel* buf = buffer.row(y);
    const Pixel* bak = backup.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      float s = float(alphaOf(buf[x])) * kInv255, b = float(alphaOf(bak[x])) * kInv255;
      float a = s + b - s * b;
      int o = rnd(255.0f * a);
      if (o == 0) {
        out[x] = kTransparent;
        continue;
      }
      Pixel c = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        float v = (b * (1.0f - s) * float(channel(bak[x], shift)) +
                   s * float(channel(buf[x], shift))) / a;
        c |= Pixel(std::min(rnd(v), 255)) << shift;
      }
      out[x] = withAlpha(c, maskMode == kMaskAlpha ? int(alphaOf(bak[x])) : o);
    }
  }
}

void commitErase(Image32& layer, const Image32& buffer, const Image32& backup, const Rect& rect,
                 uint32_t maskMode) {
  if (maskMode == kMaskAlpha) return;
  Rect r = clipTo(clipTo(rect, layer, buffer), backup, backup);
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* out = layer.row(y);
    const Pixel* buf = buffer.row(y);
    const Pixel* bak = backup.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      int ba = int(alphaOf(buf[x])), ka = int(alphaOf(bak[x]));
      out[x] = ba < ka ? withAlpha(bak[x], ka - ba) : kTransparent;
    }
  }
}

void commitReplace(Image32& layer, const Image32& buffer, const Rect& rect, uint32_t maskMode) {
  Rect r = clipTo(rect, layer, buffer);
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* out = layer.row(y);
    const Pixel* buf = buffer.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      if (alphaOf(buf[x]) == 0) continue;
      if (maskMode != kMaskAlpha) out[x] = buf[x];
      else if (alphaOf(out[x]) > 0) out[x] = (out[x] & 0xFF000000u) | (buf[x] & 0xFFFFFFu);
    }
  }
}

void commitStroke(bool eraser, Image32& layer, const Image32& buffer, const Image32& backup,
                  const Rect& rect, uint32_t maskMode) {
  if (eraser) commitErase(layer, buffer, backup, rect, maskMode);
  else commitOver(layer, buffer, backup, rect, maskMode);
}

}  // namespace tessel
