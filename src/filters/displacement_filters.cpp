// Block, displacement, noise and channel-shift filters.
#include <cmath>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {

std::mt19937& filterRandom(const FilterContext& context) {
  // Without the engine's generator a fixed private one keeps results defined.
  static thread_local std::mt19937 fallback;
  return context.random ? *context.random : fallback;
}

TESSEL_FILTER(filterMosaic) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int size = clampTo(values.slider[0], 1, 256), w = s.width(), h = s.height();   // sums stay in 32 bits
  int blockRows = (r.h + size - 1) / size;
  if (progress) progress->setRange((r.h + size / 2 + 1) / size);
  forRows(0, blockRows, r.w * size, progress, [&](int by) {
    int y0 = r.y + by * size;
    for (int x0 = r.x; x0 < r.right(); x0 += size) {
      uint32_t sa = 0, sb = 0, sg = 0, sr = 0;
      for (int y = y0; y < y0 + size; ++y) {
        const Pixel* row = s.row(clampTo(y, 0, h - 1));
        for (int x = x0; x < x0 + size; ++x) {
          Pixel p = row[clampTo(x, 0, w - 1)];
          uint32_t a = alphaOf(p);
          sa += a, sb += a * blueOf(p), sg += a * greenOf(p), sr += a * redOf(p);
        }
      }
      Pixel out = boxAverage(sa, sb, sg, sr, uint32_t(size * size));
      for (int y = y0; y < std::min(y0 + size, r.bottom()); ++y) {
        Pixel* d = dst.row(y);
        for (int x = x0; x < std::min(x0 + size, r.right()); ++x) d[x] = out;
      }
    }
  });
  return true;
}

TESSEL_FILTER(filterOffset) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int dx = ((values.slider[0] % r.w) + r.w) % r.w, dy = ((values.slider[1] % r.h) + r.h) % r.h;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w, progress, [&](int y) {
    const Pixel* row = s.row(r.y + (y - r.y - dy + r.h) % r.h);
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) d[x] = row[r.x + (x - r.x - dx + r.w) % r.w];
  });
  return true;
}

// Works in place: one draw per opaque pixel, or one per channel (B, G, R) in colour.
TESSEL_FILTER(filterNoise) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  std::mt19937& rng = filterRandom(context);
  int a = clampTo(values.slider[0], 0, 65535);
  uint32_t span = uint32_t(2 * a + 1);
  bool colour = values.check[0] != 0;
  if (progress) progress->setRange(r.h);
  for (int y = r.y; y < r.bottom(); ++y) {
    const Pixel* s = src.row(y);
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      Pixel p = s[x];
      if (!alphaOf(p)) {
        d[x] = p;
        continue;
      }
      int n = int(rng() % span) - a;
      Pixel out = p & 0xFF000000u;
      for (int sh = 0; sh <= 16; sh += 8) {
        if (colour && sh) n = int(rng() % span) - a;
        out |= uint32_t(clamp255(int((p >> sh) & 255) + n)) << sh;
      }
      d[x] = out;
    }
    if (progress) progress->step();
  }
  return true;
}

TESSEL_FILTER(filterDiffuse) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  std::mt19937& rng = filterRandom(context);
  int a = std::max(1, values.slider[0]), w = s.width(), h = s.height();
  if (progress) progress->setRange(r.h);
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      int r1 = int(rng() % uint32_t(a)), r2 = int(rng() % uint32_t(a));
      d[x] = s.at(clampTo(x + r1 - a / 2, 0, w - 1), clampTo(y + r2 - a / 2, 0, h - 1));
    }
    if (progress) progress->step();
  }
  return true;
}

TESSEL_FILTER(filterWave) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  double k = values.slider[0] * 0.017453292519943295, m = values.slider[1];
  int dir = clampTo(values.list[0], 0, 2);
  bool wrap = values.check[0] != 0;
  bool shiftY = dir != 2, shiftX = dir != 1;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 8, progress, [&](int y) {
    Pixel* d = dst.row(y);
    double along = shiftX ? m * std::sin(k * y) : 0;
    for (int x = r.x; x < r.right(); ++x) {
      double sx = shiftX ? x + along : x;
      double sy = shiftY ? y + m * std::sin(k * x) : y;
      d[x] = sampleFixed(s, int(sx * 256), int(sy * 256), wrap);
    }
  });
  return true;
}

TESSEL_FILTER(filterRgbShift) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int b = values.slider[0], dir = clampTo(values.list[0], 0, 2), w = s.width(), h = s.height();
  int rdx = b, rdy = dir == 0 ? 0 : b, bdx = dir == 1 ? 0 : -b, bdy = dir == 0 ? 0 : (dir == 1 ? -b : b);
  if (dir == 1) rdx = 0;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 3, progress, [&](int y) {
    const Pixel* row = s.row(y);
    const Pixel* rr = s.row(clampTo(y + rdy, 0, h - 1));
    const Pixel* br = s.row(clampTo(y + bdy, 0, h - 1));
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      Pixel p = row[x];
      if (!alphaOf(p)) {
        d[x] = kTransparent;
        continue;
      }
      Pixel red = rr[clampTo(x + rdx, 0, w - 1)], blue = br[clampTo(x + bdx, 0, w - 1)];
      d[x] = (p & 0xFF00FF00u) | (red & 0x00FF0000u) | (blue & 0xFFu);
    }
  });
  return true;
}

}  // namespace tessel
