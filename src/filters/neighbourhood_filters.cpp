// Oil paint: statistics over small neighbourhoods of the source,
// coordinates clamped to the image.
#include <algorithm>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {

namespace {
struct Region {
  int spread;
  uint32_t a, b, g, r;
};

Region regionStats(const Image32& s, int x0, int y0, int a) {
  int w = s.width(), h = s.height();
  int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
  Region out{0, 0, 0, 0, 0};
  for (int y = y0; y <= y0 + a; ++y) {
    const Pixel* row = s.row(clampTo(y, 0, h - 1));
    for (int x = x0; x <= x0 + a; ++x) {
      Pixel p = row[clampTo(x, 0, w - 1)];
      int c[3] = {blueOf(p), greenOf(p), redOf(p)};
      for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], c[k]), hi[k] = std::max(hi[k], c[k]);
      uint32_t al = alphaOf(p);
      out.a += al, out.b += al * uint32_t(c[0]), out.g += al * uint32_t(c[1]), out.r += al * uint32_t(c[2]);
    }
  }
  out.spread = (hi[0] - lo[0]) + (hi[1] - lo[1]) + (hi[2] - lo[2]);
  return out;
}
}  // namespace

TESSEL_FILTER(filterOilPaint) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int a = clampTo(values.slider[0], 1, 64);
  uint32_t count = uint32_t(a + 1) * uint32_t(a + 1);
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 4 * count, progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      // Up-left, up-right, down-right, down-left.
      const int ox[4] = {x - a, x, x, x - a}, oy[4] = {y - a, y - a, y, y};
      Region best = regionStats(s, ox[0], oy[0], a);
      for (int k = 1; k < 4; ++k) {
        Region q = regionStats(s, ox[k], oy[k], a);
        if (q.spread < best.spread) best = q;
      }
      d[x] = boxAverage(best.a, best.b, best.g, best.r, count);
    }
  });
  return true;
}

}  // namespace tessel
