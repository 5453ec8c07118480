// Clouds: fractal value noise. A random lattice (values and a permutation
// drawn from the generator) is interpolated smoothly; octaves start at the
// "detail" frequency in cycles per pixel, each doubling the frequency and
// scaling its weight by "sharpness". The normalised sum is stretched about
// its middle by contrast / 100 and maps from the first colour to the second.
// The difference variant replaces each opaque pixel's colour by its distance
// from the black-white clouds and keeps its alpha.
#include <cmath>
#include <cstdint>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

struct CloudParams {
  double frequency, persistence, contrast;
  Pixel from, to;
  bool difference;
};

class ValueNoise {
 public:
  explicit ValueNoise(std::mt19937& rng) {
    for (int i = 0; i < 256; ++i) value_[i] = double(rng()) * (1.0 / 4294967296.0);
    for (int i = 0; i < 256; ++i) perm_[i] = uint8_t(i);
    for (int i = 255; i > 0; --i) std::swap(perm_[i], perm_[rng() % uint32_t(i + 1)]);
  }
  double at(double x, double y) const {
    double fx = std::floor(x), fy = std::floor(y);
    int ix = int(int64_t(fx) & 255), iy = int(int64_t(fy) & 255);
    double tx = smooth(x - fx), ty = smooth(y - fy);
    double a = lattice(ix, iy), b = lattice(ix + 1, iy), c = lattice(ix, iy + 1), d = lattice(ix + 1, iy + 1);
    double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
  }

 private:
  static double smooth(double t) { return t * t * (3 - 2 * t); }
  double lattice(int x, int y) const { return value_[perm_[(perm_[x & 255] + y) & 255]]; }
  double value_[256];
  uint8_t perm_[256];
};

bool clouds(const CloudParams& cp, const FilterContext& context, Image32& dst, const Image32& src, const Rect& rect,
            Progress* progress) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  std::mt19937& rng = filterRandom(context);
  ValueNoise noise(rng);
  double offset[16][2];
  for (auto& o : offset) o[0] = rng() % 4096u, o[1] = rng() % 4096u;
  int octaves = 1;
  double total = 1;
  for (double f = cp.frequency, a = 1; octaves < 16 && f * 2 <= 0.5; f *= 2, ++octaves) total += (a *= cp.persistence);
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * octaves * 8, progress, [&](int y) {
    const Pixel* s = src.row(y);
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      double sum = 0, f = cp.frequency, a = 1;
      for (int o = 0; o < octaves; ++o, f *= 2, a *= cp.persistence)
        sum += a * noise.at(x * f + offset[o][0], y * f + offset[o][1]);
      double v = 0.5 + (sum / total - 0.5) * cp.contrast;
      v = std::min(1.0, std::max(0.0, v));
      Pixel out = 0xFF000000u;
      for (int sh = 0; sh <= 16; sh += 8) {
        int c0 = int((cp.from >> sh) & 255), c1 = int((cp.to >> sh) & 255);
        out |= uint32_t(c0 + int((c1 - c0) * v)) << sh;
      }
      if (cp.difference) {
        Pixel p = s[x];
        if (alphaOf(p)) {
          Pixel q = p & 0xFF000000u;
          for (int sh = 0; sh <= 16; sh += 8) q |= uint32_t(std::abs(int((p >> sh) & 255) - int((out >> sh) & 255))) << sh;
          out = q;
        } else {
          out = p;
        }
      }
      d[x] = out;
    }
  });
  return true;
}

Pixel pairColour(int list, const FilterContext& context, bool first) {
  if (list == 1) return (first ? context.foreground : context.background) & 0xFFFFFFu;
  return first ? 0x000000u : 0xFFFFFFu;
}

}  // namespace

TESSEL_FILTER(filterClouds) {
  (void)src;
  CloudParams cp{values.slider[0] * 0.0025, values.slider[1] * 0.01, (values.slider[2] * 5 + 50) / 100.0,
                 pairColour(values.list[0], context, true), pairColour(values.list[0], context, false), false};
  if (cp.frequency <= 0) cp.frequency = 0.0025;
  return clouds(cp, context, dst, src, rect, progress);
}

TESSEL_FILTER(filterCloudsBlackWhite) {
  (void)values;
  CloudParams cp{0.02, 0.6, 1.5, 0x000000u, 0xFFFFFFu, false};
  return clouds(cp, context, dst, src, rect, progress);
}

TESSEL_FILTER(filterCloudsForegroundBackground) {
  (void)values;
  CloudParams cp{0.02, 0.6, 1.5, context.foreground & 0xFFFFFFu, context.background & 0xFFFFFFu, false};
  return clouds(cp, context, dst, src, rect, progress);
}

TESSEL_FILTER(filterCloudsDifference) {
  (void)values;
  CloudParams cp{0.02, 0.6, 1.5, 0x000000u, 0xFFFFFFu, true};
  return clouds(cp, context, dst, src, rect, progress);
}

}  // namespace tessel
