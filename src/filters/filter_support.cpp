#include "filters/filter_support.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessel {

Rect filterArea(const Image32& dst, const Image32& src, const Rect& rect) {
  if (!dst.valid() || !src.valid()) return {};
  if (dst.width() != src.width() || dst.height() != src.height()) return {};
  return rect.intersected(dst.bounds());
}

void copyArea(Image32& dst, const Image32& src, const Rect& rect) {
  if (&dst == &src) return;
  for (int y = rect.y; y < rect.bottom(); ++y)
    std::memcpy(dst.row(y) + rect.x, src.row(y) + rect.x, size_t(rect.w) * sizeof(Pixel));
}

SeparateSource::SeparateSource(const Image32& dst, const Image32& src) {
  if (&dst != &src) {
    use_ = &src;
    return;
  }
  if (!copy_.create(src.width(), src.height())) return;
  copy_.copyFrom(src);
  use_ = &copy_;
}

Pixel listColour(int item, const FilterContext& context) {
  if (item == 1) return 0xFF000000u;
  if (item == 2) return 0xFFFFFFFFu;
  return (context.foreground & 0xFFFFFFu) | 0xFF000000u;
}

std::vector<uint8_t> pixelCircle(int n) {
  std::vector<uint8_t> m(size_t(n) * size_t(n), 0);
  if (n <= 1) {
    if (n == 1) m[0] = 255;
    return m;
  }
  auto span = [&](int row, int from, int to) {
    if (row < 0 || row >= n) return;
    for (int c = std::max(0, from); c <= std::min(n - 1, to); ++c) m[size_t(row) * size_t(n) + size_t(c)] = 255;
  };
  int b = n / 2 - (n % 2 == 0 ? 1 : 0), c = n - 1, d = 3 - 2 * b, i = 0, j = 0, count = b;
  while (j <= count) {
    span(i, b, n / 2 + j);
    span(b, i, c);
    span(n / 2 + j, i, c);
    span(c, b, n / 2 + j);
    if (d < 0) {
      d += 4 * j + 6;
    } else {
      d += 4 * j + 10 - 4 * count;
      c -= 1, i += 1, count -= 1;
    }
    b -= 1, j += 1;
  }
  return m;
}

// PixelOverPlain: colour q over p with the given opacity (single-precision fractions).
Pixel overPlain(Pixel p, Pixel q, int opacity) {
  if (opacity <= 0) return p;
  if (opacity >= 255) return (q & 0xFFFFFFu) | 0xFF000000u;
  float s = float(opacity) * kInv255, d = float(alphaOf(p)) * kInv255;
  float a = s + d - s * d;
  Pixel out = uint32_t(roundAddHalf(255.0f * a)) << 24;
  for (int sh = 0; sh <= 16; sh += 8) {
    float qc = float((q >> sh) & 255), pc = float((p >> sh) & 255);
    out |= uint32_t(clamp255(roundAddHalf((s * qc + d * (1 - s) * pc) / a))) << sh;
  }
  return out;
}

std::vector<uint8_t> stampMask(int n, bool brush) {
  if (!brush) return pixelCircle(n);
  std::vector<uint8_t> m(size_t(n) * size_t(n), 0);
  double c = n / 2 - 0.5;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      double d = std::sqrt((i - c) * (i - c) + (j - c) * (j - c));
      if (d < c) m[size_t(j * n + i)] = uint8_t(32 - int(d * 32 / c));
    }
  return m;
}


}  // namespace tessel

namespace tessel {
namespace {
FilterUnits detectUnits() {
#if defined(TESSEL_WIDE_FILTERS)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl"))
    return FilterUnits::Avx512;
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2")) return FilterUnits::Avx2;
#endif
  return FilterUnits::Plain;
}

std::atomic<int>& unitLimit() {
  static std::atomic<int> limit{int(FilterUnits::Avx512)};
  return limit;
}
}  // namespace

FilterUnits filterUnits() {
  static const FilterUnits best = detectUnits();
  return FilterUnits(std::min(int(best), unitLimit().load(std::memory_order_relaxed)));
}

void limitFilterUnits(FilterUnits most) { unitLimit().store(int(most), std::memory_order_relaxed); }

}  // namespace tessel
