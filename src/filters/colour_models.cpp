#include "filters/colour_models.h"

#include <algorithm>

namespace tessel {

namespace {

constexpr double kOver255 = 0.00392156862745098;
constexpr double kOver60 = 0.016666668;

// Out-of-range input must not leave the byte range.
int clampByte(int v) { return std::clamp(v, 0, 255); }
// Lightness 100 must give 255, but l + s - l*s can land one ulp under 1.
// The nudge is far below the spacing of the exact results (percentages and
// whole degrees), so it only absorbs rounding noise.
int toByte(double unit) { return clampByte(int(unit * 255 + 1e-9)); }

Rgb clamped(int r, int g, int b) { return {clampByte(r), clampByte(g), clampByte(b)}; }

int wrapHue(int h) {
  if (h < 0) return h + 360;
  if (h >= 360) return h - 360;
  return h;
}

}  // namespace

Hsv rgbToHsv(const Rgb& c) {
  int v = std::max({c.r, c.g, c.b});
  int d = v - std::min({c.r, c.g, c.b});
  int s = v == 0 ? 0 : d * 255 / v;
  if (s == 0) return {0, 0, v};
  int h;
  // Each product is divided on its own before the difference is taken.
  if (c.r == v)
    h = c.g * 60 / d - c.b * 60 / d;
  else if (c.g == v)
    h = c.b * 60 / d - c.r * 60 / d + 120;
  else
    h = c.r * 60 / d - c.g * 60 / d + 240;
  return {wrapHue(h), s, v};
}

Rgb hsvToRgb(const Hsv& c) {
  const int v = c.v, s = c.s;
  if (s == 0) return clamped(v, v, v);
  int f = (6 * c.h) % 360;
  int sector = c.h / 60;
  int p = (255 - s) * v / 255;
  int q = (255 - s * f / 360) * v / 255;
  int t = (255 - s * (360 - f) / 360) * v / 255;
  switch (sector) {
    case 0: return clamped(v, t, p);
    case 1: return clamped(q, v, p);
    case 2: return clamped(p, v, t);
    case 3: return clamped(p, q, v);
    case 4: return clamped(t, p, v);
    case 5: return clamped(v, p, q);
    default: return clamped(p, p, p);
  }
}

Rgb hsvPercentToRgb(const Hsv& c) {
  double v = c.v * 0.01;
  if (c.s == 0) {
    int k = toByte(v);
    return {k, k, k};
  }
  double s = c.s * 0.01;
  int f = (6 * c.h) % 360;
  double p = (1 - s) * v;
  double t = v * (1 - s * (1 - f / 360.0));
  double q = v * (1 - s * f / 360.0);
  double r = p, g = p, b = p;
  switch (c.h / 60) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    case 5: r = v, g = p, b = q; break;
    default: break;
  }
  return {toByte(r), toByte(g), toByte(b)};
}

Hls rgbToHls(const Rgb& c) {
  int maxc = std::max({c.r, c.g, c.b});
  int minc = std::min({c.r, c.g, c.b});
  double mx = maxc * kOver255, mn = minc * kOver255;
  int l = int((mn + mx) * 50);
  if (maxc == minc) return {0, l, 0};
  double d = mx - mn;
  int s = l > 50 ? int(d / (2 - mx - mn) * 100) : int(d / (mx + mn) * 100);
  double h;
  if (c.r == maxc)
    h = (c.g - c.b) * kOver255 / d * 60;
  else if (c.g == maxc)
    h = ((c.b - c.r) * kOver255 / d + 2) * 60;
  else
    h = ((c.r - c.g) * kOver255 / d + 4) * 60;
  return {wrapHue(int(h)), l, s};
}

namespace {

double hlsValue(double m1, double m2, int h) {
  h = wrapHue(h);
  if (h < 60) return m1 + (m2 - m1) * h * kOver60;
  if (h < 180) return m2;
  if (h < 240) return m1 + (m2 - m1) * (240 - h) * kOver60;
  return m1;
}

}  // namespace

Rgb hlsToRgb(const Hls& c) {
  double l = c.l * 0.01, s = c.s * 0.01;
  if (s == 0) {
    int k = toByte(l);
    return {k, k, k};
  }
  double m2 = l > 0.5 ? l + s - l * s : l * (1 + s);
  double m1 = 2 * l - m2;
  return {toByte(hlsValue(m1, m2, c.h + 120)), toByte(hlsValue(m1, m2, c.h)),
          toByte(hlsValue(m1, m2, c.h - 120))};
}

std::vector<uint32_t> hlsSwatches() {
  std::vector<uint32_t> out;
  out.reserve(kHlsSwatchRows * kHlsSwatchColumns);
  for (int r = 0; r < kHlsSwatchRows; ++r) {
    out.push_back(packRgb(hlsToRgb({12 * r, 50, 100})));
    out.push_back(packRgb(hlsToRgb({12 * r + 180, 50, 100})));
  }
  return out;
}

std::vector<uint32_t> hsvVividSwatches() {
  std::vector<uint32_t> out;
  out.reserve(kHsvSwatchRows * kHsvSwatchColumns);
  for (int k = 0; k < kHsvSwatchRows; ++k) {
    for (int j = 0; j < kHsvSwatchColumns; ++j) {
      int n = 100 - 13 * j;
      Hsv c = n >= 10 ? Hsv{30 * k, n, 100} : Hsv{30 * k, 205 - 15 * j, 70};
      out.push_back(packRgb(hsvPercentToRgb(c)));
    }
  }
  return out;
}

std::vector<uint32_t> hsvPaleSwatches() {
  std::vector<uint32_t> out;
  out.reserve(kHsvSwatchRows * kHsvSwatchColumns);
  for (int k = 0; k < kHsvSwatchRows; ++k) {
    for (int j = 0; j < kHsvSwatchColumns; ++j) {
      int n = 100 - 7 * j;
      Hsv c = n >= 52 ? Hsv{30 * k, 35, n} : Hsv{30 * k, 15, 163 - 9 * j};
      out.push_back(packRgb(hsvPercentToRgb(c)));
    }
  }
  return out;
}

}  // namespace tessel
