// Box, motion and lens-shake blurs and the unsharp mask. All combine
// samples by the alpha-weighted box rule and treat the image edge as repeated.
#include <cmath>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"
#include "filters/gaussian_blur.h"

namespace tessel {
namespace {

struct Sums {
  uint32_t a = 0, b = 0, g = 0, r = 0;
  void add(Pixel p) {
    uint32_t al = alphaOf(p);
    a += al, b += al * blueOf(p), g += al * greenOf(p), r += al * redOf(p);
  }
  void add(const Sums& s) { a += s.a, b += s.b, g += s.g, r += s.r; }
  void sub(const Sums& s) { a -= s.a, b -= s.b, g -= s.g, r -= s.r; }
  Pixel average(uint32_t count) const { return boxAverage(a, b, g, r, count); }
};

// One band of the box blur: column sums slide down, a row window slides across.
void boxBand(Image32& dst, const Image32& src, const Rect& rc, int radius, int first, int last,
             const auto& step) {
  int w = src.width(), h = src.height();
  int c0 = std::max(0, rc.x - radius), c1 = std::min(w, rc.right() + radius);
  std::vector<Sums> col(size_t(c1 - c0));
  auto addRow = [&](int y, bool remove) {
    const Pixel* s = src.row(clampTo(y, 0, h - 1));
    for (int x = c0; x < c1; ++x) {
      Sums one;
      one.add(s[x]);
      if (remove) col[size_t(x - c0)].sub(one);
      else col[size_t(x - c0)].add(one);
    }
  };
  for (int y = first - radius; y <= first + radius; ++y) addRow(y, false);
  uint32_t count = uint32_t(2 * radius + 1) * uint32_t(2 * radius + 1);
  for (int y = first; y < last; ++y) {
    Sums win;
    for (int x = rc.x - radius; x <= rc.x + radius; ++x) win.add(col[size_t(clampTo(x, 0, w - 1) - c0)]);
    Pixel* d = dst.row(y);
    for (int x = rc.x; x < rc.right(); ++x) {
      d[x] = win.average(count);
      if (x + 1 == rc.right()) break;
      win.sub(col[size_t(clampTo(x - radius, 0, w - 1) - c0)]);
      win.add(col[size_t(clampTo(x + radius + 1, 0, w - 1) - c0)]);
    }
    if (y + 1 < last) {
      addRow(y - radius, true);
      addRow(y + radius + 1, false);
    }
    step();
  }
}

}  // namespace

TESSEL_FILTER(filterBlur) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  int radius = clampTo(values.slider[0], 1, 64);
  if (progress) progress->setRange(r.h);
  forBands(r.y, r.bottom(), r.w * 8, progress,
           [&](int first, int last, auto step) { boxBand(dst, guard.get(), r, radius, first, last, step); });
  return true;
}

TESSEL_FILTER(filterUnsharpMask) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  if (!gaussianBlur(clampTo(values.slider[0], 1, 100), dst, s, r, progress)) return false;
  int amount = values.slider[1];
  forRows(r.y, r.bottom(), r.w, nullptr, [&](int y) {
    const Pixel* sp = s.row(y);
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      Pixel p = sp[x], b = d[x];
      if (!alphaOf(p)) {
        d[x] = kTransparent;
        continue;
      }
      Pixel out = p & 0xFF000000u;
      for (int sh = 0; sh <= 16; sh += 8) {
        int c = int((p >> sh) & 255), bc = int((b >> sh) & 255);
        out |= uint32_t(clamp255(c + amount * (c - bc) / 100)) << sh;
      }
      d[x] = out;
    }
  });
  return true;
}

TESSEL_FILTER(filterMotionBlur) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int n = std::max(0, values.slider[0]);
  double phi = (values.slider[1] + 180) * 0.017453292519943295;
  std::vector<int> dx, dy;
  for (int d = 0; d <= n; ++d) {
    dx.push_back(int(d * std::cos(phi) * 256));
    dy.push_back(int(d * std::sin(phi) * 256));
  }
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * (n + 1) * 4, progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      Sums sum;
      for (int k = 0; k <= n; ++k) sum.add(sampleFixed(s, 256 * x + dx[size_t(k)], 256 * y + dy[size_t(k)], false));
      d[x] = sum.average(uint32_t(n + 1));
    }
  });
  return true;
}

TESSEL_FILTER(filterLensShake) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int a = values.slider[0], w = s.width(), h = s.height();
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 4, progress, [&](int y) {
    const Pixel* up = s.row(clampTo(y - a, 0, h - 1));
    const Pixel* dn = s.row(clampTo(y + a, 0, h - 1));
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      int xl = clampTo(x - a, 0, w - 1), xr = clampTo(x + a, 0, w - 1);
      Sums sum;
      sum.add(up[xl]), sum.add(dn[xl]), sum.add(up[xr]), sum.add(dn[xr]);
      d[x] = sum.average(4);
    }
  });
  return true;
}

}  // namespace tessel
