// Filters whose method is our own: spin (radial) blur, lens blur, polar
// coordinates and radial zoom. Samples use the fixed-point bilinear sampler
// with edges clamped and combine by the alpha-weighted box rule.
#include <cmath>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Acc {
  uint32_t a = 0, b = 0, g = 0, r = 0, n = 0;
  void add(Pixel p) {
    uint32_t al = alphaOf(p);
    a += al, b += al * blueOf(p), g += al * greenOf(p), r += al * redOf(p), ++n;
  }
  Pixel average() const { return n ? boxAverage(a, b, g, r, n) : kTransparent; }
};

int fixed(double v) { return int(std::floor(v * 256.0)); }

}  // namespace

// Radial blur: spins the picture about the centre. Each pixel averages
// samples along its circle through an arc of "strength" degrees centred on
// it, one sample per pixel of arc length (3 to 64 samples).
TESSEL_FILTER(filterRadialBlur) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  double cx = values.slider[0], cy = values.slider[1], span = values.slider[2] * kPi / 180.0;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 32, progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      double dx = x - cx, dy = y - cy, radius = std::hypot(dx, dy), base = std::atan2(dy, dx);
      int n = clampTo(int(radius * span) + 1, 3, 64);
      Acc acc;
      for (int k = 0; k < n; ++k) {
        double a = base + span * (double(k) / (n - 1) - 0.5);
        acc.add(sampleFixed(s, fixed(cx + radius * std::cos(a)), fixed(cy + radius * std::sin(a)), false));
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
  std::vector<int> ox, oy;
  for (int j = -radius; j <= radius; ++j)
    for (int i = -radius; i <= radius; ++i)
      if (i * i + j * j <= radius * radius + radius) ox.push_back(i), oy.push_back(j);
  uint64_t weight[256];
  for (int l = 0; l < 256; ++l) weight[l] = 64 + uint64_t(64.0 * highlight * std::pow(l / 255.0, 4));
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * long(ox.size()), progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      uint64_t wsum = 0, sb = 0, sg = 0, sr = 0;
      uint32_t sa = 0;
      for (size_t k = 0; k < ox.size(); ++k) {
        Pixel p = s.at(clampTo(x + ox[k], 0, w - 1), clampTo(y + oy[k], 0, h - 1));
        uint32_t a = alphaOf(p);
        uint64_t wa = weight[lumaOf(p)] * a;
        sa += a, wsum += wa, sb += wa * blueOf(p), sg += wa * greenOf(p), sr += wa * redOf(p);
      }
      uint32_t alpha = sa / uint32_t(ox.size());
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
// amount / 200 of the distance, one sample per pixel of length (2 to 64).
TESSEL_FILTER(filterRadialZoom) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  double cx = values.slider[0], cy = values.slider[1], part = clampTo(values.slider[2], 0, 200) / 200.0;
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 32, progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      double dx = cx - x, dy = cy - y, len = std::hypot(dx, dy) * part;
      int n = clampTo(int(len) + 1, 2, 64);
      Acc acc;
      for (int k = 0; k < n; ++k) {
        double t = part * k / (n - 1);
        acc.add(sampleFixed(s, fixed(x + dx * t), fixed(y + dy * t), false));
      }
      d[x] = acc.average();
    }
  });
  return true;
}

}  // namespace tessel
