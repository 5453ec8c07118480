// Filters whose method is our own: spin (radial) blur, lens blur, polar
// coordinates and radial zoom. Samples are bilinear with edges clamped and
// combine by the alpha-weighted box rule.
#include <cmath>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

constexpr double kPi = 3.14159265358979323846;


int fixed(double v) { return int(std::floor(v * 256.0)); }

// Bilinear accumulation for the blurs of our own: the four neighbours'
// alpha and alpha-weighted channels with weights out of 65536, summed
// without a division per sample. Edges are clamped.
struct BilinearSums {
  uint64_t a = 0, b = 0, g = 0, r = 0;
  int n = 0;
  void add(const Image32& img, int fx, int fy) {
    int w = img.width(), h = img.height();
    int x0 = fx >> 8, y0 = fy >> 8, tx = fx & 255, ty = fy & 255;
    if (x0 < 0) x0 = 0, tx = 0;
    if (x0 >= w - 1) x0 = w - 1, tx = 0;
    if (y0 < 0) y0 = 0, ty = 0;
    if (y0 >= h - 1) y0 = h - 1, ty = 0;
    int x1 = tx ? x0 + 1 : x0, y1 = ty ? y0 + 1 : y0;
    const Pixel* top = img.row(y0);
    const Pixel* bottom = img.row(y1);
    take(top[x0], uint32_t((256 - tx) * (256 - ty)));
    take(top[x1], uint32_t(tx * (256 - ty)));
    take(bottom[x0], uint32_t((256 - tx) * ty));
    take(bottom[x1], uint32_t(tx * ty));
    ++n;
  }
  void take(Pixel p, uint32_t weight) {
    uint64_t wa = uint64_t(weight) * alphaOf(p);
    a += wa, b += wa * blueOf(p), g += wa * greenOf(p), r += wa * redOf(p);
  }
  Pixel average() const {
    uint64_t alpha = n ? a / (65536u * uint64_t(n)) : 0;
    if (alpha == 0) return kTransparent;
    return makePixel(uint32_t(alpha), uint32_t(r / a), uint32_t(g / a), uint32_t(b / a));
  }
};

}  // namespace

// Radial blur: spins the picture about the centre. Each pixel averages
// samples along its circle through an arc of "strength" degrees centred on
// it, about one sample per pixel of arc length (3 to 24 samples); the sample
// points are stepped by a fixed rotation, so no trigonometry runs per pixel.
TESSEL_FILTER(filterRadialBlur) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  constexpr int kMaxSamples = 24;
  double cx = values.slider[0], cy = values.slider[1], span = values.slider[2] * kPi / 180.0;
  double stepCos[kMaxSamples + 1], stepSin[kMaxSamples + 1];
  for (int n = 2; n <= kMaxSamples; ++n) stepCos[n] = std::cos(span / (n - 1)), stepSin[n] = std::sin(span / (n - 1));
  double startCos = std::cos(-span / 2), startSin = std::sin(-span / 2);
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * kMaxSamples, progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      double dx = x - cx, dy = y - cy;
      int n = clampTo(int(std::hypot(dx, dy) * span) + 1, 3, kMaxSamples);
      double vx = dx * startCos - dy * startSin, vy = dx * startSin + dy * startCos;
      BilinearSums acc;
      for (int k = 0; k < n; ++k) {
        acc.add(s, fixed(cx + vx), fixed(cy + vy));
        double nx = vx * stepCos[n] - vy * stepSin[n];
        vy = vx * stepSin[n] + vy * stepCos[n];
        vx = nx;
      }
      d[x] = acc.average();
    }
  });
  return true;
}

// Lens blur: a flat disc kernel of the given radius, as a camera lens
// defocuses; bright pixels weigh more (weight 64 + 64 x highlight x
// (luma/255)^4, in integers so flat areas stay exactly flat) so highlights
// bloom into discs. Alpha is the plain disc mean.
TESSEL_FILTER(filterLensBlur) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int radius = clampTo(values.slider[0], 1, 64), w = s.width(), h = s.height();
  int highlight = clampTo(values.slider[1], 0, 100);
  std::vector<int> half;   // the disc's half width on each row offset -radius ... radius
  int taps = 0;
  for (int j = -radius; j <= radius; ++j) {
    int hw = 0;
    while ((hw + 1) * (hw + 1) + j * j <= radius * radius + radius) ++hw;
    half.push_back(hw);
    taps += 2 * hw + 1;
  }
  uint64_t weight[256];
  for (int l = 0; l < 256; ++l) weight[l] = 64 + uint64_t(64.0 * highlight * std::pow(l / 255.0, 4));
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * long(taps), progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      uint64_t wsum = 0, sb = 0, sg = 0, sr = 0;
      uint32_t sa = 0;
      bool inside = x - radius >= 0 && x + radius < w;
      for (int j = -radius; j <= radius; ++j) {
        const Pixel* row = s.row(clampTo(y + j, 0, h - 1));
        int hw = half[size_t(j + radius)];
        for (int i = -hw; i <= hw; ++i) {
          Pixel p = row[inside ? x + i : clampTo(x + i, 0, w - 1)];
          uint32_t a = alphaOf(p);
          uint64_t wa = weight[lumaOf(p)] * a;
          sa += a, wsum += wa, sb += wa * blueOf(p), sg += wa * greenOf(p), sr += wa * redOf(p);
        }
      }
      uint32_t alpha = sa / uint32_t(taps);
      d[x] = alpha == 0 ? kTransparent : makePixel(alpha, uint32_t(sr / wsum), uint32_t(sg / wsum), uint32_t(sb / wsum));
    }
  });
  return true;
}

// Polar coordinates within the rectangle. Rectangular to polar: the
// rectangle's rows become rings around its centre (top row at the centre,
// bottom row on the inscribed ellipse) and its columns become angles,
// clockwise from straight up. Polar to rectangular is the inverse mapping.
// Outside the ellipse the background is transparent, the nearest edge colour
// (the bottom row stretched) or the pixel as it was.
TESSEL_FILTER(filterPolar) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  bool toPolar = values.list[0] == 0;
  int background = clampTo(values.list[1], 0, 2);
  double hw = r.w / 2.0, hh = r.h / 2.0, cx = r.x + hw, cy = r.y + hh;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 16, progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      double sx, sy;
      if (toPolar) {
        double u = (x + 0.5 - cx) / hw, v = (y + 0.5 - cy) / hh, rho = std::hypot(u, v);
        double theta = std::atan2(u, -v);
        if (theta < 0) theta += 2 * kPi;
        if (rho > 1.0) {
          if (background == 0) {
            d[x] = kTransparent;
            continue;
          }
          if (background == 2) {
            d[x] = s.at(x, y);
            continue;
          }
          rho = 1.0;
        }
        sx = r.x + theta / (2 * kPi) * r.w - 0.5;
        sy = r.y + rho * r.h - 0.5;
        sy = std::min(sy, double(r.bottom() - 1));
      } else {
        double theta = (x + 0.5 - r.x) / r.w * 2 * kPi, rho = (y + 0.5 - r.y) / r.h;
        sx = cx + rho * std::sin(theta) * hw - 0.5;
        sy = cy - rho * std::cos(theta) * hh - 0.5;
      }
      sx = std::min(std::max(sx, double(r.x)), double(r.right() - 1));
      sy = std::min(std::max(sy, double(r.y)), double(r.bottom() - 1));
      d[x] = sampleFixed(s, fixed(sx), fixed(sy), false);
    }
  });
  return true;
}

// Radial (zoom): streaks radiating from the centre. Each pixel averages
// samples on the segment from itself towards the centre, covering
// amount / 200 of the distance, about one sample per pixel of length (2 to 24).
TESSEL_FILTER(filterRadialZoom) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  double cx = values.slider[0], cy = values.slider[1], part = clampTo(values.slider[2], 0, 200) / 200.0;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 24, progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      double dx = (cx - x) * part, dy = (cy - y) * part;
      int n = clampTo(int(std::hypot(dx, dy)) + 1, 2, 24);
      double sx = dx / (n - 1), sy = dy / (n - 1);
      BilinearSums acc;
      for (int k = 0; k < n; ++k) acc.add(s, fixed(x + sx * k), fixed(y + sy * k));
      d[x] = acc.average();
    }
  });
  return true;
}

}  // namespace tessel
