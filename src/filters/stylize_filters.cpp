// Filters whose method is our own: crystallize, halftone, random dots,
// scratches, glow and one-pixel line correction.
#include <cmath>
#include <vector>

#include "filters/colour_models.h"
#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {

namespace {
// Alpha-weighted mean colour of every crystal (the box rule over its pixels).
std::vector<Pixel> cellAverages(const Image32& s, const Rect& r, const std::vector<int>& owner, size_t cells) {
  std::vector<uint64_t> sums(cells * 5, 0);
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      Pixel p = s.at(r.x + x, r.y + y);
      uint64_t* a = &sums[size_t(owner[size_t(y) * size_t(r.w) + size_t(x)]) * 5];
      uint64_t al = alphaOf(p);
      a[0] += al, a[1] += al * blueOf(p), a[2] += al * greenOf(p), a[3] += al * redOf(p), a[4] += 1;
    }
  std::vector<Pixel> colour(cells, kTransparent);
  for (size_t k = 0; k < cells; ++k) {
    const uint64_t* a = &sums[k * 5];
    if (a[4] && a[0] / a[4])
      colour[k] = makePixel(uint32_t(a[0] / a[4]), uint32_t(a[3] / a[0]), uint32_t(a[2] / a[0]), uint32_t(a[1] / a[0]));
  }
  return colour;
}
}  // namespace

// Crystallize: the rectangle is covered by a grid of size x size cells, each
// with one seed at a random point inside it (two draws per cell, row by row).
// Every pixel joins its nearest seed (Voronoi cells); a cell takes the source
// colour at its seed, or with "average" the alpha-weighted mean of its pixels.
TESSEL_FILTER(filterCrystallize) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  std::mt19937& rng = filterRandom(context);
  int size = std::max(2, values.slider[0]);
  bool average = values.check[0] != 0;
  int gw = (r.w + size - 1) / size, gh = (r.h + size - 1) / size;
  std::vector<int> sx(size_t(gw) * size_t(gh)), sy(sx.size());
  for (int j = 0; j < gh; ++j)
    for (int i = 0; i < gw; ++i) {
      size_t k = size_t(j) * size_t(gw) + size_t(i);
      sx[k] = std::min(r.right() - 1, r.x + i * size + int(rng() % uint32_t(size)));
      sy[k] = std::min(r.bottom() - 1, r.y + j * size + int(rng() % uint32_t(size)));
    }
  // Owner cell of every pixel; seeds of a jittered grid lie within two cells.
  std::vector<int> owner(size_t(r.w) * size_t(r.h));
  forRows(0, r.h, r.w * 25, nullptr, [&](int y) {
    int cj = y / size;
    for (int x = 0; x < r.w; ++x) {
      int ci = x / size, best = -1;
      long long bestD = 0;
      for (int j = std::max(0, cj - 2); j <= std::min(gh - 1, cj + 2); ++j)
        for (int i = std::max(0, ci - 2); i <= std::min(gw - 1, ci + 2); ++i) {
          int k = j * gw + i;
          long long dx = sx[size_t(k)] - (r.x + x), dy = sy[size_t(k)] - (r.y + y);
          long long d = dx * dx + dy * dy;
          if (best < 0 || d < bestD) best = k, bestD = d;
        }
      owner[size_t(y) * size_t(r.w) + size_t(x)] = best;
    }
  });
  std::vector<Pixel> colour = average ? cellAverages(s, r, owner, sx.size()) : std::vector<Pixel>(sx.size());
  if (!average)
    for (size_t k = 0; k < colour.size(); ++k) colour[k] = s.at(sx[k], sy[k]);
  if (progress) progress->setRange(r.h);
  for (int y = 0; y < r.h; ++y) {
    Pixel* d = dst.row(r.y + y) + r.x;
    for (int x = 0; x < r.w; ++x) d[x] = colour[size_t(owner[size_t(y) * size_t(r.w) + size_t(x)])];
    if (progress) progress->step();
  }
  return true;
}

// Halftone: each of R, G and B (or the luma with "grey") is printed as a
// screen of dots, cells of the given size on a grid turned by the channel's
// angle (45 degrees for all with "all 45"). The dot shape is the usual
// cosine spot: ink where (1 - (cos(pi u) + cos(pi v)) / 2) / 2 is below the
// ink amount (255 - value, read at the cell centre), u and v running -1 ... 1
// across the cell, so dots grow round from the centre and merge into a
// chequer at 50 %. Smoothness widens the soft edge. Alpha is kept.
TESSEL_FILTER(filterHalftone) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  double size = std::max(2, values.slider[0]), soft = std::max(1, values.slider[1]) * 0.02;
  bool grey = values.check[0] != 0, all45 = values.check[1] != 0;
  double angle[3], cosA[3], sinA[3];   // B, G, R
  for (int c = 0; c < 3; ++c) angle[c] = (all45 ? 45 : values.slider[2 + (2 - c)]) * 0.017453292519943295;
  if (grey) angle[0] = angle[1] = angle[2] = (all45 ? 45 : values.slider[4]) * 0.017453292519943295;
  for (int c = 0; c < 3; ++c) cosA[c] = std::cos(angle[c]), sinA[c] = std::sin(angle[c]);
  // cos(pi u) for u in -1 ... 1 in 1/512 steps; the spot needs no more.
  static const std::vector<double> cosTable = [] {
    std::vector<double> t(1025);
    for (int i = 0; i <= 1024; ++i) t[size_t(i)] = std::cos(3.14159265358979323846 * (i / 512.0 - 1));
    return t;
  }();
  auto cosPi = [&](double u) { return cosTable[size_t(clampTo(int((u + 1) * 512 + 0.5), 0, 1024))]; };
  int channels = grey ? 1 : 3;
  int w = s.width(), h = s.height();
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 24, progress, [&](int y) {
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      Pixel p = s.at(x, y);
      if (!alphaOf(p)) {
        d[x] = p;
        continue;
      }
      Pixel out = p & 0xFF000000u;
      for (int c = 0; c < channels; ++c) {
        double ca = cosA[c], sa = sinA[c];
        double u = (x + 0.5) * ca + (y + 0.5) * sa, v = -(x + 0.5) * sa + (y + 0.5) * ca;   // screen coordinates
        double fu = std::floor(u / size), fv = std::floor(v / size);
        double cu = (fu + 0.5) * size, cv = (fv + 0.5) * size;
        int px = clampTo(int(std::floor(cu * ca - cv * sa)), 0, w - 1);
        int py = clampTo(int(std::floor(cu * sa + cv * ca)), 0, h - 1);
        Pixel centre = s.at(px, py);
        int value = grey ? lumaOf(centre) : int((centre >> (8 * c)) & 255);
        int level = value;
        if (value != 0 && value != 255) {
          double ink = (255 - value) / 255.0;
          double su = (u / size - fu) * 2 - 1, sv = (v / size - fv) * 2 - 1;
          double spot = (1 - (cosPi(su) + cosPi(sv)) / 2) / 2;
          double t = (spot - ink) / soft + 0.5;   // below 0 inked, above 1 paper
          level = clamp255(int(255 * std::min(1.0, std::max(0.0, t)) + 0.5));
        }
        out |= uint32_t(level) << (8 * c);
      }
      if (grey) out = (out & 0xFF000000u) | (out & 0xFFu) * 0x010101u;
      d[x] = out;
    }
  });
  return true;
}

// Random dots: the rectangle is walked in cells of the spacing; each cell
// holds a dot with probability amount / 512, centred at a random point of
// the cell, stamped with the plain or soft brush in the foreground colour,
// random black or white, or a random fully saturated hue.
TESSEL_FILTER(filterRandomDots) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  copyArea(dst, src, r);
  std::mt19937& rng = filterRandom(context);
  int n = clampTo(values.slider[0], 1, 100), amount = clampTo(values.slider[1], 0, 512);
  int spacing = std::max(1, values.slider[2]);
  std::vector<uint8_t> mask = stampMask(n, values.list[0] == 1);
  int mode = clampTo(values.list[1], 0, 2);
  if (progress) progress->setRange((r.h + spacing - 1) / spacing);
  for (int cy = 0; cy < r.h; cy += spacing) {
    for (int cx = 0; cx < r.w; cx += spacing) {
      if (int(rng() % 512u) >= amount) continue;
      int x = r.x + cx + int(rng() % uint32_t(spacing)), y = r.y + cy + int(rng() % uint32_t(spacing));
      Pixel colour = context.foreground;
      if (mode == 1) colour = (rng() & 1) ? 0xFFFFFFu : 0u;
      if (mode == 2) {
        colour = packRgb(hsvToRgb({int(rng() % 360u), 255, 255}));
      }
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
          int px = x - n / 2 + i, py = y - n / 2 + j;
          uint8_t m = mask[size_t(j * n + i)];
          if (m && r.contains(px, py)) dst.set(px, py, overPlain(dst.at(px, py), colour, m));
        }
    }
    if (progress) progress->step();
  }
  return true;
}

// Scratches: thin straight streaks of the given length at the given angle
// (jittered by up to 5 degrees), one per 2000 pixels of the rectangle, at
// random places; each lightens or darkens the opaque pixels it crosses by a
// random amount. Transparent pixels stay.
TESSEL_FILTER(filterScratches) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  copyArea(dst, src, r);
  std::mt19937& rng = filterRandom(context);
  int length = std::max(1, values.slider[0]);
  long long count = std::max(1LL, (long long)r.w * r.h / 2000);
  if (progress) progress->setRange(1);
  for (long long k = 0; k < count; ++k) {
    double x = r.x + double(rng() % uint32_t(r.w)), y = r.y + double(rng() % uint32_t(r.h));
    double a = (values.slider[1] + int(rng() % 11u) - 5) * 0.017453292519943295;
    int shade = 40 + int(rng() % 121u);
    if (rng() & 1) shade = -shade;
    double dx = std::cos(a), dy = -std::sin(a);
    for (int i = 0; i < length; ++i) {
      int px = int(std::floor(x + dx * i + 0.5)), py = int(std::floor(y + dy * i + 0.5));
      if (!r.contains(px, py)) break;
      Pixel p = dst.at(px, py);
      if (alphaOf(p))
        dst.set(px, py, makePixel(alphaOf(p), clamp255(redOf(p) + shade), clamp255(greenOf(p) + shade),
                                  clamp255(blueOf(p) + shade)));
    }
  }
  if (progress) progress->step();
  return true;
}

// Glow: the bright parts (luma above 255 - brightness) are kept in
// proportion to how far they pass that level, box-blurred by the blur
// radius, scaled by strength / 256 and screened onto the picture. Only
// opaque pixels change; a glow never darkens.
TESSEL_FILTER(filterGlow) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int threshold = 255 - clampTo(values.slider[0], 1, 255), radius = clampTo(values.slider[1], 1, 64);
  int strength = clampTo(values.slider[2], 0, 256);
  Rect area = Rect{r.x - radius, r.y - radius, r.w + 2 * radius, r.h + 2 * radius}.intersected(s.bounds());
  // Row sums of the bright parts over each pixel's horizontal window (B, G, R).
  std::vector<uint32_t> rowSums(size_t(area.w) * size_t(area.h) * 3);
  forRows(0, area.h, area.w * 4, nullptr, [&](int y) {
    std::vector<uint32_t> bright(size_t(area.w) * 3);
    for (int x = 0; x < area.w; ++x) {
      Pixel p = s.at(area.x + x, area.y + y);
      int l = lumaOf(p), keep = alphaOf(p) && l > threshold ? (l - threshold) * 255 / (255 - threshold) : 0;
      for (int c = 0; c < 3; ++c) bright[size_t(x) * 3 + size_t(c)] = uint32_t(int((p >> (8 * c)) & 255) * keep / 255);
    }
    uint32_t* out = &rowSums[size_t(y) * size_t(area.w) * 3];
    for (int x = 0; x < area.w; ++x)
      for (int i = std::max(0, x - radius); i <= std::min(area.w - 1, x + radius); ++i)
        for (int c = 0; c < 3; ++c) out[size_t(x) * 3 + size_t(c)] += bright[size_t(i) * 3 + size_t(c)];
  });
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 4 * radius, progress, [&](int y) {
    Pixel* d = dst.row(y);
    int y0 = std::max(area.y, y - radius), y1 = std::min(area.bottom() - 1, y + radius);
    for (int x = r.x; x < r.right(); ++x) {
      Pixel p = s.at(x, y);
      if (!alphaOf(p)) {
        d[x] = p;
        continue;
      }
      int x0 = std::max(area.x, x - radius), x1 = std::min(area.right() - 1, x + radius);
      uint32_t count = uint32_t((x1 - x0 + 1) * (y1 - y0 + 1)), sum[3] = {0, 0, 0};
      for (int j = y0; j <= y1; ++j) {
        const uint32_t* row = &rowSums[(size_t(j - area.y) * size_t(area.w) + size_t(x - area.x)) * 3];
        sum[0] += row[0], sum[1] += row[1], sum[2] += row[2];
      }
      Pixel out = p & 0xFF000000u;
      for (int c = 0; c < 3; ++c) {
        int v = int((p >> (8 * c)) & 255), g = int(sum[c] / count) * strength / 256;
        out |= uint32_t(255 - (255 - v) * (255 - g) / 255) << (8 * c);
      }
      d[x] = out;
    }
  });
  return true;
}

// One-pixel line correction: a line pixel (alpha of at least 128 and luma
// below 192) that forms an L-shaped corner, touching exactly one horizontal
// and one vertical line neighbour with the diagonal between them and the
// opposite diagonal empty, is redundant in a one-pixel line: it takes the
// colour of that empty diagonal pixel. Rows are corrected in order and each
// decision sees the corrections before it, so a staircase keeps its joins.
TESSEL_FILTER(filterLineCorrection) {
  (void)values, (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  copyArea(dst, src, r);
  auto ink = [&](int x, int y) {
    if (!r.contains(x, y)) return false;
    Pixel p = dst.at(x, y);
    return alphaOf(p) >= 128 && lumaOf(p) < 192;
  };
  if (progress) progress->setRange(r.h);
  for (int y = r.y; y < r.bottom(); ++y) {
    for (int x = r.x; x < r.right(); ++x) {
      if (!ink(x, y)) continue;
      bool left = ink(x - 1, y), right = ink(x + 1, y), up = ink(x, y - 1), down = ink(x, y + 1);
      if (left + right != 1 || up + down != 1) continue;
      int hx = left ? -1 : 1, vy = up ? -1 : 1;
      if (ink(x + hx, y + vy) || ink(x - hx, y - vy)) continue;
      dst.set(x, y, dst.at(x + hx, y + vy));
    }
    if (progress) progress->step();
  }
  return true;
}

}  // namespace tessel
