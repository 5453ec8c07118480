// The per-pixel operations, the gate they share, and the commit of stroke buffers.
// The gate lives here with the operations that call it for every pixel.
#include <algorithm>

#include "draw/brush/brush_engine.h"
#include "draw/pixel/pixel_gate.h"
#include "draw/pixel/pixel_kernels.h"
#include "image/image32.h"
#include "image/pixel.h"

namespace tessel {

namespace {

int channel(Pixel p, int shift) { return int((p >> shift) & 0xFF); }

void opReplace(const PixelGate& g, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  if (Pixel* p = g.admit(img, x, y, a)) *p = withAlpha(v, a);
}

void opOver(const PixelGate& g, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  if (Pixel* p = g.admit(img, x, y, a)) overPixel(p, v, a, false);
}

void opOverKeepAlpha(const PixelGate& g, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  if (Pixel* p = g.admit(img, x, y, a)) overPixel(p, v, a, g.maskMode == kMaskAlpha);
}

void opMax(const PixelGate& g, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = g.admit(img, x, y, a);
  if (p && a >= int(alphaOf(*p))) *p = withAlpha(v, a);
}

void opSpray(const PixelGate& g, std::mt19937& rng, Image32& img, int x, int y, Pixel v) {
  uint32_t o = alphaOf(v);
  if (o == 0) return;
  if ((rng() & 15) != 0) return;
  uint32_t r = uint32_t(rng());
  opMax(g, rng, img, x, y, (v & 0xFFFFFFu) | ((1 + r % o) << 24));
}

void opDodge(const PixelGate& g, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = g.admit(img, x, y, a);
  if (!p) return;
  Pixel out = *p & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8)
    out |= Pixel(dodgeChannel(channel(*p, shift), a)) << shift;
  *p = out;
}

void opBurn(const PixelGate& g, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = g.admit(img, x, y, a);
  if (!p) return;
  Pixel out = *p & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8)
    out |= Pixel(burnChannel(channel(*p, shift), a)) << shift;
  *p = out;
}

// Mean of the 3 x 3 neighbourhood; an edge row or column is replaced by the centre one.
void opBlur(const PixelGate& c, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = c.admit(img, x, y, a);
  if (!p) return;
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
  int newA = roundAddHalf(double(sumA) / n);
  if (newA == 0 && c.maskMode == kMaskAlpha) return;   // no colour to take; alpha stays
  Pixel out = 0xFFFFFFu;
  if (newA != 0) {
    out = 0;
    for (int i = 0; i < 3; ++i)
      out |= Pixel(std::min(255, roundAddHalf(double(sum[i]) / double(sumA)))) << (i * 8);
  }
  int keptA = c.maskMode == kMaskAlpha ? int(alphaOf(*p)) : newA;
  *p = withAlpha(out, keptA);
}

void opErase(const PixelGate& g, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  int a = int(alphaOf(v));
  Pixel* p = g.admit(img, x, y, a);
  if (!p) return;
  int left = int(alphaOf(*p)) - a;
  *p = left <= 0 ? kTransparent : withAlpha(*p, left);
}

void opOverPlain(const PixelGate&, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  Pixel* p = img.pixelAddress(x, y);
  if (p && alphaOf(v) != 0) overPixel(p, v, int(alphaOf(v)), false);
}

void opSet(const PixelGate&, std::mt19937&, Image32& img, int x, int y, Pixel v) {
  if (Pixel* p = img.pixelAddress(x, y)) *p = v;
}

using PixelOpFn = void (*)(const PixelGate&, std::mt19937&, Image32&, int, int, Pixel);
constexpr PixelOpFn kPixelOps[kPixelOpCount] = {
    opReplace, opOver, opOverKeepAlpha, opMax,      opSpray, opDodge,
    opBurn,    opBlur, opErase,         opOverPlain, opSet,
};

}  // namespace

bool PixelGate::isMaskColour(Pixel colour) const {
  int n = std::clamp(colourMaskCount, 0, 5);
  for (int i = 0; i < n; ++i)
    if ((maskColours[i] & 0xFFFFFFu) == (colour & 0xFFFFFFu)) return true;
  return false;
}

Pixel* PixelGate::admit(Image32& image, int x, int y, int& alpha) const {
  Pixel* p = image.pixelAddress(x, y);
  if (!p) return nullptr;
  if (reference) {
    Pixel ref = reference->getPixel(x, y);
    int ra = int(alphaOf(ref));
    if (maskMode == kMaskTransparent && ra == 0) return nullptr;
    if (maskMode == kMaskOpaque && ra > 0) return nullptr;
    if (colourMaskMode == kColourMaskProtect && ra > 0 && isMaskColour(ref)) return nullptr;
    if (colourMaskMode == kColourMaskOnly && !(ra > 0 && isMaskColour(ref))) return nullptr;
  }
  if (const Texture* t = texture; t && t->usable()) {
    alpha = alpha * t->bytes[size_t(x % t->width) + size_t(t->width) * size_t(y % t->height)] / 255;
    if (alpha == 0) return nullptr;
  }
  return p;
}

void applyPixelOp(int op, const PixelGate& gate, std::mt19937& random, Image32& image, int x,
                  int y, Pixel value) {
  if (op >= 0 && op < kPixelOpCount) kPixelOps[op](gate, random, image, x, y, value);
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
    for (int x = r.x; x < r.right(); ++x) out[x] = commitOverPixel(buf[x], bak[x], maskMode == kMaskAlpha);
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
                  const Rect& rect, uint32_t maskMode, bool fast) {
  if (eraser) commitErase(layer, buffer, backup, rect, maskMode);
  else if (fast) commitOverFast(layer, buffer, backup, rect, maskMode);
  else commitOver(layer, buffer, backup, rect, maskMode);
}

}  // namespace tessel
