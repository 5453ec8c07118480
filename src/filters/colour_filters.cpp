// Per-pixel colour filters: each builds what it can as a 256-entry table and
// then makes one pass over the rectangle. Transparent pixels stay as they are.
#include <cmath>

#include "filters/colour_models.h"
#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

// Applies f to every pixel with non-zero alpha; the rest is copied.
template <class F>
bool mapPixels(Image32& dst, const Image32& src, const Rect& rect, Progress* progress, F f) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w, progress, [&](int y) {
    const Pixel* s = src.row(y) + r.x;
    Pixel* d = dst.row(y) + r.x;
    for (int x = 0; x < r.w; ++x) d[x] = alphaOf(s[x]) ? f(s[x]) : s[x];
  });
  return true;
}

// Same, but every pixel goes through f, whatever its alpha.
template <class F>
bool mapAllPixels(Image32& dst, const Image32& src, const Rect& rect, Progress* progress, F f) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w, progress, [&](int y) {
    const Pixel* s = src.row(y) + r.x;
    Pixel* d = dst.row(y) + r.x;
    for (int x = 0; x < r.w; ++x) d[x] = f(s[x]);
  });
  return true;
}

struct Table {
  uint8_t t[256];
  Pixel apply(Pixel p) const {
    return (p & 0xFF000000u) | (uint32_t(t[redOf(p)]) << 16) | (uint32_t(t[greenOf(p)]) << 8) | t[blueOf(p)];
  }
};

bool applyTable(const Table& table, Image32& dst, const Image32& src, const Rect& rect, Progress* progress) {
  return mapPixels(dst, src, rect, progress, [&](Pixel p) { return table.apply(p); });
}

Pixel grey(Pixel p, int v) { return (p & 0xFF000000u) | uint32_t(v) * 0x010101u; }

}  // namespace

TESSEL_FILTER(filterBrightnessContrast) {
  (void)context;
  int b = values.slider[0], c = values.slider[1];
  Table t;
  for (int i = 0; i < 256; ++i) t.t[i] = uint8_t(clamp255(int(i + c * 0.01 * (i - 127.5))));
  return mapPixels(dst, src, rect, progress, [&](Pixel p) {
    Pixel q = t.apply(p);
    int r = redOf(q), g = greenOf(q), bl = blueOf(q);
    int y = ((77 * r + 150 * g + 29 * bl) >> 8) + b;
    int cr = ((128 * r - 107 * g - 21 * bl) >> 8) + 128;
    int cb = ((128 * bl - 85 * g - 43 * r) >> 8) + 128;
    int nr = clamp255(y + ((359 * cr - 45952) >> 8));
    int ng = clamp255(y - ((183 * cr + 88 * cb - 34688) >> 8));
    int nb = clamp255(y + ((454 * cb - 58112) >> 8));
    return makePixel(alphaOf(p), nr, ng, nb);
  });
}

TESSEL_FILTER(filterGamma) {
  (void)context;
  int g = values.slider[0] > 0 ? values.slider[0] : 1;
  double e = 1.0 / (g * 0.01);
  Table t;
  for (int i = 0; i < 256; ++i) t.t[i] = uint8_t(clamp255(int(255.0 * std::pow(i * double(kInv255), e))));
  return applyTable(t, dst, src, rect, progress);
}

TESSEL_FILTER(filterLevels) {
  (void)context;
  int lo = values.slider[0], hi = values.slider[2];
  int outLo = values.slider[3], outHi = values.slider[4];
  Table t;
  if (hi <= lo) {
    // No input range: a hard step instead of a division by zero.
    for (int i = 0; i < 256; ++i) t.t[i] = uint8_t(clamp255(i <= lo ? outLo : outHi));
  } else {
    int mid = clampTo(values.slider[1], lo, hi);
    double m = 1.0 / (2.0 - 2.0 * (mid - lo) / double(hi - lo));
    for (int i = 0; i < 256; ++i) {
      int o = clampTo(i, lo, hi);
      double u0 = (hi - lo) * std::pow(double(o - lo) / double(hi - lo), m);
      int u = clampTo(int(u0) + lo, lo, hi);
      t.t[i] = uint8_t(clamp255((u - lo) * (outHi - outLo) / (hi - lo) + outLo));
    }
  }
  return applyTable(t, dst, src, rect, progress);
}

TESSEL_FILTER(filterRgbAdjust) {
  (void)context;
  int dr = values.slider[0], dg = values.slider[1], db = values.slider[2];
  return mapPixels(dst, src, rect, progress, [&](Pixel p) {
    return makePixel(alphaOf(p), clamp255(redOf(p) + dr), clamp255(greenOf(p) + dg), clamp255(blueOf(p) + db));
  });
}


TESSEL_FILTER(filterHsvAdjust) {
  (void)context;
  int dh = values.slider[0], ds = values.slider[1], dv = values.slider[2];
  return mapPixels(dst, src, rect, progress, [&](Pixel p) {
    Hsv c = rgbToHsv({redOf(p), greenOf(p), blueOf(p)});
    c.h += dh;
    if (c.h < 0) c.h += 360;
    else if (c.h >= 360) c.h -= 360;
    Rgb out = hsvToRgb({c.h, clamp255(c.s + ds), clamp255(c.v + dv)});
    return makePixel(alphaOf(p), uint32_t(out.r), uint32_t(out.g), uint32_t(out.b));
  });
}

TESSEL_FILTER(filterInvert) {
  (void)values, (void)context;
  return mapPixels(dst, src, rect, progress, [](Pixel p) { return p ^ 0x00FFFFFFu; });
}

TESSEL_FILTER(filterDesaturate) {
  (void)values, (void)context;
  return mapPixels(dst, src, rect, progress, [](Pixel p) { return grey(p, lumaOf(p)); });
}

TESSEL_FILTER(filterSepia) {
  (void)values, (void)context;
  return mapPixels(dst, src, rect, progress, [](Pixel p) {
    int y = lumaOf(p);
    return makePixel(alphaOf(p), y < 226 ? y + 30 : 255, y, y >= 15 ? y - 15 : 0);
  });
}

TESSEL_FILTER(filterMapForegroundBackground) {
  (void)values;
  Pixel f = context.foreground, k = context.background;
  uint32_t lut[256];
  for (int y = 0; y < 256; ++y) {
    uint32_t c = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      int fc = (f >> shift) & 255, kc = (k >> shift) & 255;
      c |= uint32_t(fc + (kc - fc) * y / 255) << shift;
    }
    lut[y] = c;
  }
  return mapPixels(dst, src, rect, progress, [&](Pixel p) { return (p & 0xFF000000u) | lut[lumaOf(p)]; });
}

TESSEL_FILTER(filterBinarize) {
  (void)context;
  int t = values.slider[0];
  return mapPixels(dst, src, rect, progress, [&](Pixel p) { return grey(p, lumaOf(p) >= t ? 255 : 0); });
}

TESSEL_FILTER(filterPosterize) {
  (void)context;
  int n = clampTo(values.slider[0], 2, 256);
  Table t;
  // Anything the float rounding leaves uncovered at the top belongs to the top level.
  for (int i = 0; i < 256; ++i) t.t[i] = uint8_t(int(255.0 / (n - 1) * (n - 1)));
  for (int k = 0; k < n; ++k) {
    int from = int(256.0 / n * k), to = std::min(256, int(256.0 / n * (k + 1)));
    for (int i = from; i < to; ++i) t.t[i] = uint8_t(int(255.0 / (n - 1) * k));
  }
  return applyTable(t, dst, src, rect, progress);
}

TESSEL_FILTER(filterReplaceColour) {
  (void)context;
  uint32_t from = uint32_t(values.slider[0]) & 0xFFFFFFu, to = uint32_t(values.slider[1]) & 0xFFFFFFu;
  return mapPixels(dst, src, rect, progress,
                   [&](Pixel p) { return (p & 0xFFFFFFu) == from ? (p & 0xFF000000u) | to : p; });
}

TESSEL_FILTER(filterForegroundToTransparent) {
  (void)values;
  uint32_t f = context.foreground & 0xFFFFFFu;
  return mapPixels(dst, src, rect, progress, [&](Pixel p) { return (p & 0xFFFFFFu) == f ? kTransparent : p; });
}

TESSEL_FILTER(filterNonForegroundToTransparent) {
  (void)values;
  uint32_t f = context.foreground & 0xFFFFFFu;
  return mapPixels(dst, src, rect, progress, [&](Pixel p) { return (p & 0xFFFFFFu) != f ? kTransparent : p; });
}

TESSEL_FILTER(filterFillTransparentForeground) {
  (void)values;
  Pixel f = (context.foreground & 0xFFFFFFu) | 0xFF000000u;
  return mapAllPixels(dst, src, rect, progress, [&](Pixel p) { return alphaOf(p) ? p : f; });
}

TESSEL_FILTER(filterForegroundToBackground) {
  (void)values;
  uint32_t f = context.foreground & 0xFFFFFFu, k = context.background & 0xFFFFFFu;
  return mapPixels(dst, src, rect, progress,
                   [&](Pixel p) { return (p & 0xFFFFFFu) == f ? (p & 0xFF000000u) | k : p; });
}

TESSEL_FILTER(filterLightToTransparent) {
  (void)values, (void)context;
  return mapPixels(dst, src, rect, progress, [](Pixel p) { return withAlpha(p, 255 - lumaOf(p)); });
}

TESSEL_FILTER(filterDarkToTransparent) {
  (void)values, (void)context;
  return mapPixels(dst, src, rect, progress, [](Pixel p) { return withAlpha(p, lumaOf(p)); });
}

TESSEL_FILTER(filterGreyFromAlpha) {
  (void)values, (void)context;
  return mapAllPixels(dst, src, rect, progress, [](Pixel p) { return 0xFF000000u | alphaOf(p) * 0x010101u; });
}

TESSEL_FILTER(filterRemoveTransparency) {
  (void)values, (void)context;
  return mapAllPixels(dst, src, rect, progress, [](Pixel p) { return p | 0xFF000000u; });
}

TESSEL_FILTER(filterLineArt) {
  (void)values, (void)context;
  return mapPixels(dst, src, rect, progress, [](Pixel p) {
    int y = lumaOf(p);
    return withAlpha(y == 255 ? 0xFFFFFFu : 0u, 255 - y);
  });
}

}  // namespace tessel
