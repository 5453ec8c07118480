// Box, Gaussian, motion and lens-shake blurs and the unsharp mask. All combine
// samples by the alpha-weighted box rule and treat the image edge as repeated.
#include <cmath>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

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

// One Gaussian pass over the rows first ... last-1 of out (row oy of out is
// image row oy + outTop); taps run along x (horizontal) or y.
struct GaussPass {
  const Image32* in;
  int inTop;         // image row of in's row 0
  int inRows;        // rows of in that hold valid data (from inTop)
  int inLeft;        // image column of in's column 0
  int imgW, imgH;
  Image32* out;
  int outTop, outLeft;
  int x0, x1;        // image columns to compute
  bool horizontal;
  std::vector<double> weight;   // index d + 3r
  int radius;
};

Pixel gaussPixel(const GaussPass& g, int x, int y) {
  double wsum = 0, sb = 0, sg = 0, sr = 0;
  int sa = 0;
  int taps = 3 * g.radius;
  for (int d = -taps; d <= taps; ++d) {
    int sx = x, sy = y;
    if (g.horizontal) sx = clampTo(x + d, 0, g.imgW - 1);
    else sy = clampTo(y + d, 0, g.imgH - 1);
    Pixel p = g.in->at(sx - g.inLeft, sy - g.inTop);
    int a = alphaOf(p);
    double wa = g.weight[size_t(d + taps)] * a;
    wsum += wa;
    sb += wa * blueOf(p), sg += wa * greenOf(p), sr += wa * redOf(p);
    sa += a;
  }
  if (sa < 6 * g.radius + 1 || wsum == 0) return kTransparent;   // alpha would be 0
  return makePixel(uint32_t(sa / (6 * g.radius + 1)), uint32_t(sr / wsum), uint32_t(sg / wsum), uint32_t(sb / wsum));
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

// Gaussian blur with integer exponents: weight e^k, k = -d^2 / (2 r^2)
// truncated, over 6r + 1 taps; horizontal pass into a scratch image covering
// the rows the vertical pass needs, then the vertical pass.
static bool gaussianBlur(int radius, Image32& dst, const Image32& src, const Rect& r, Progress* progress) {
  int w = src.width(), h = src.height(), taps = 3 * radius;
  std::vector<double> weight;
  for (int d = -taps; d <= taps; ++d) weight.push_back(std::exp(double(-(d * d) / (2 * radius * radius))));
  int top = std::max(0, r.y - taps), bottom = std::min(h, r.bottom() + taps);
  Image32 scratch;
  if (!scratch.create(r.w, bottom - top)) return false;
  if (progress) progress->setRange((bottom - top) + r.h);
  GaussPass hp{&src, 0, h, 0, w, h, &scratch, top, r.x, r.x, r.right(), true, weight, radius};
  forRows(top, bottom, r.w * (2 * taps + 1), progress, [&](int y) {
    Pixel* o = scratch.row(y - top);
    for (int x = r.x; x < r.right(); ++x) o[x - r.x] = gaussPixel(hp, x, y);
  });
  GaussPass vp{&scratch, top, bottom - top, r.x, w, h, &dst, 0, 0, r.x, r.right(), false, weight, radius};
  forRows(r.y, r.bottom(), r.w * (2 * taps + 1), progress, [&](int y) {
    Pixel* o = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) o[x] = gaussPixel(vp, x, y);
  });
  return true;
}

TESSEL_FILTER(filterGaussianBlur) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  return gaussianBlur(clampTo(values.slider[0], 1, 100), dst, guard.get(), r, progress);
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
