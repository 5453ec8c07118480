// Filters that read another layer: alpha from a reference layer and the
// outline filters.
#include <cmath>
#include <vector>

#include "document/layer_list.h"
#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

// The chosen layer's image; the source copy when it is the target layer
// itself (the destination may already be changing). Null when missing or of
// another size.
const Image32* referenceImage(const FilterContext& context, int index, const Image32& src) {
  if (!context.layers || index == context.currentLayer) return &src;
  const Layer* layer = context.layers->atIndex(index);
  if (!layer || !layer->image().valid()) return nullptr;
  if (layer->image().width() != src.width() || layer->image().height() != src.height()) return nullptr;
  return &layer->image();
}

// Source-over of s onto d; a source alpha of 0 leaves d.
Pixel sourceOver(Pixel d, Pixel s) {
  if (!alphaOf(s)) return d;
  float sa = float(alphaOf(s)) / 255.0f, da = float(alphaOf(d)) / 255.0f;
  float o = sa + da - sa * da;
  int alpha = roundAddHalf(o * 255.0f);
  if (alpha == 0) return kTransparent;
  float inv = 1.0f / o;
  Pixel out = uint32_t(alpha) << 24;
  for (int sh = 0; sh <= 16; sh += 8) {
    float sc = float((s >> sh) & 255), dc = float((d >> sh) & 255);
    out |= uint32_t(clamp255(roundAddHalf((sa * sc + da * (1 - sa) * dc) * inv))) << sh;
  }
  return out;
}

int newAlpha(int op, int a, Pixel ref) {
  int ar = alphaOf(ref);
  switch (op) {
    case 0: return ar ? a : 0;
    case 1: return ar ? 0 : a;
    case 2: return ar;
    case 3: return std::min(a + ar, 255);
    case 4: return std::max(a - ar, 0);
    case 5: return a * ar / 255;
    case 6: return lumaOf(ref);
    default: return 255 - lumaOf(ref);
  }
}

Pixel applyAlpha(Pixel p, int alpha) { return alpha ? (p & 0xFFFFFFu) | uint32_t(alpha) << 24 : kTransparent; }

// Stamps the outline brush along the silhouette edge of the reference,
// outside (on transparent pixels) or inside (on opaque ones).
bool outlineParts(const FilterValues& values, const FilterContext& context, Image32& dst, const Image32& src,
                  const Rect& rect, Progress* progress, bool inside) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32* ref = referenceImage(context, values.list[1], guard.get());
  if (!ref) return false;
  copyArea(dst, guard.get(), r);
  int n = clampTo(values.slider[0], 1, 100);
  std::vector<uint8_t> mask = stampMask(n, values.list[0] == 1);
  Pixel colour = context.foreground & 0xFFFFFFu;
  // "Marked" pixels are those the stamp may paint: transparent outside, opaque
  // inside. Beyond the rectangle everything counts as marked, so its edge seeds nothing.
  auto marked = [&](int x, int y) {
    if (!r.contains(x, y)) return true;
    return (alphaOf(ref->at(x, y)) != 0) == inside;
  };
  if (progress) progress->setRange(r.h);
  for (int y = r.y; y < r.bottom(); ++y) {
    for (int x = r.x; x < r.right(); ++x) {
      if (!marked(x, y)) continue;
      if (marked(x - 1, y) && marked(x + 1, y) && marked(x, y - 1) && marked(x, y + 1)) continue;
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
          int px = x - n / 2 + i, py = y - n / 2 + j;
          uint8_t m = mask[size_t(j * n + i)];
          if (m && r.contains(px, py) && marked(px, py)) dst.set(px, py, overPlain(dst.at(px, py), colour, m));
        }
    }
    if (progress) progress->step();
  }
  return true;
}

}  // namespace

TESSEL_FILTER(filterSetAlpha) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  const Image32* ref = referenceImage(context, values.list[0], src);
  if (!ref) return false;
  int op = clampTo(values.list[1], 0, 7);
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w, progress, [&](int y) {
    const Pixel* s = src.row(y);
    const Pixel* f = ref->row(y);
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) d[x] = applyAlpha(s[x], newAlpha(op, alphaOf(s[x]), f[x]));
  });
  return true;
}

TESSEL_FILTER(filterOutlineOutside) { return outlineParts(values, context, dst, src, rect, progress, false); }

TESSEL_FILTER(filterOutlineInside) { return outlineParts(values, context, dst, src, rect, progress, true); }

// Grows the reference's silhouette by one pixel per pass in the outline
// colour, then either cuts the silhouette out or puts the picture back on top.
TESSEL_FILTER(filterOutline) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  const Image32* ref = referenceImage(context, values.list[1], s);
  if (!ref) return false;
  Image32 work;
  if (!work.create(r.w, r.h)) return false;
  Pixel colour = listColour(values.list[0], context) & 0xFFFFFFu;
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      Pixel p = ref->at(r.x + x, r.y + y);
      work.set(x, y, alphaOf(p) ? (p & 0xFF000000u) | colour : p);
      dst.set(r.x + x, r.y + y, p);
    }
  int passes = clampTo(values.slider[0], 1, 100);
  if (progress) progress->setRange(passes);
  static const int kNx[4] = {-1, 1, 0, 0}, kNy[4] = {0, 0, -1, 1};
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < r.h; ++y)
      for (int x = 0; x < r.w; ++x) {
        int a = alphaOf(dst.at(r.x + x, r.y + y));
        if (!a) continue;
        for (int k = 0; k < 4; ++k) {
          int nx = x + kNx[k], ny = y + kNy[k];
          if (nx >= 0 && ny >= 0 && nx < r.w && ny < r.h) work.set(nx, ny, overPlain(work.at(nx, ny), colour, a));
        }
      }
    for (int y = 0; y < r.h; ++y)
      for (int x = 0; x < r.w; ++x) dst.set(r.x + x, r.y + y, work.at(x, y));
    if (progress) progress->step();
  }
  bool cutOut = values.check[0] != 0;
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      Pixel d = dst.at(x, y);
      dst.set(x, y, cutOut ? applyAlpha(d, std::max(alphaOf(d) - alphaOf(ref->at(x, y)), 0)) : sourceOver(d, s.at(x, y)));
    }
  return true;
}

}  // namespace tessel
