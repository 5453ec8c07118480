#include "draw/fill/gradient_rows.h"

#include <algorithm>
#include <cmath>

#include "draw/pixel/pixel_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TESSEL_AVX2_ROOTS 1
#endif

namespace tessel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEntriesPerRadian = 81.32817591995852;   // 511 / 2 pi, as the pixel path has it
constexpr int64_t kCoordLimit = int64_t(1) << 24;
constexpr int64_t kSideLimit = int64_t(1) << 26;             // squares of two sum below 2^53
constexpr double kIndexLimit = double(int64_t(1) << 30);
// The arc tangent below is within 5e-10 of the true angle; the library's is
// within an ulp. Indices whose value lies this close to an integer are taken
// from the library instead.
constexpr double kAngularMargin = 1e-6;

// atan2(y, x) for integers not both zero. The argument is brought to
// |u| <= tan(pi/8); the Taylor series then stops at u^19, and the first term
// left out, u^21 / 21, is below 5e-10 (the series alternates).
double nearAtan2(double y, double x) {
  const double ax = std::fabs(x), ay = std::fabs(y);
  const double lo = std::min(ax, ay), hi = std::max(ax, ay);
  const bool upper = lo > 0.41421356237309503 * hi;
  const double u = upper ? (lo - hi) / (lo + hi) : lo / hi;
  const double u2 = u * u;
  double p = 1.0 / 19;
  for (int k = 8; k >= 0; --k) p = p * u2 + ((k & 1) ? -1.0 : 1.0) / (2 * k + 1);
  double a = (upper ? kPi / 4 : 0.0) + u * p;
  if (ay > ax) a = kPi / 2 - a;
  if (x < 0) a = kPi - a;
  return y < 0 ? -a : a;
}

int64_t absOf(int64_t v) { return v < 0 ? -v : v; }

// The largest distance from the start to a pixel of the image, per axis.
int64_t farthest(int64_t start, int size) { return std::max(absOf(start), absOf(int64_t(size) - 1 - start)); }

void overKeepAlphaPlain(Pixel* row, const int32_t* idx, int n, const GradientTable& table,
                        bool keepAlpha) {
  for (int x = 0; x < n; ++x) {
    if (idx[x] < 0) continue;
    const Pixel v = table[size_t(idx[x])];
    overPixel(row + x, v, int(alphaOf(v)), keepAlpha);
  }
}

// The index policy beyond the last entry, for indices that are never negative.
int32_t beyond(int32_t i, Beyond b) {
  if (i <= 511) return i;
  return b == Beyond::Leave ? -1 : b == Beyond::Wrap ? (i & 0x1FF) : 511;
}

void rootIndicesPlain(const int32_t* a, const int32_t* b, int n, double length, Beyond policy,
                      int32_t* out) {
  for (int i = 0; i < n; ++i) {
    const int64_t d = int64_t(a[i]) * a[i] + int64_t(b[i]) * b[i];
    out[i] = beyond(int32_t(std::sqrt(double(d)) * 511 / length), policy);
  }
}

#if defined(TESSEL_AVX2_ROOTS)
#define TESSEL_AVX2 __attribute__((target("avx2")))

TESSEL_AVX2 __m256d squaresOf(__m128i a, __m128i b) {
  const __m256d da = _mm256_cvtepi32_pd(a), db = _mm256_cvtepi32_pd(b);
  return _mm256_add_pd(_mm256_mul_pd(da, da), _mm256_mul_pd(db, db));   // exact below 2^53
}

TESSEL_AVX2 __m256i beyondEight(__m256i i, Beyond policy) {
  const __m256i last = _mm256_set1_epi32(511);
  switch (policy) {
    case Beyond::Wrap: return _mm256_and_si256(i, last);
    case Beyond::Clamp: return _mm256_min_epi32(i, last);
    case Beyond::Leave: return _mm256_or_si256(i, _mm256_cmpgt_epi32(i, last));   // -1 beyond
  }
  return i;
}

TESSEL_AVX2 void rootIndicesAvx2(const int32_t* a, const int32_t* b, int n, double length,
                                 Beyond policy, int32_t* out) {
  const __m256d scale = _mm256_set1_pd(511.0), len = _mm256_set1_pd(length);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m128i lo[2], hi[2];
    for (int h = 0; h < 2; ++h) {
      lo[h] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 4 * h));
      hi[h] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 4 * h));
    }
    __m128i idx[2];
    for (int h = 0; h < 2; ++h) {
      __m256d v = _mm256_sqrt_pd(squaresOf(lo[h], hi[h]));
      idx[h] = _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_mul_pd(v, scale), len));
    }
    const __m256i both = _mm256_set_m128i(idx[1], idx[0]);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), beyondEight(both, policy));
  }
  rootIndicesPlain(a + i, b + i, n - i, length, policy, out + i);
}

// The Taylor polynomial of nearAtan2 on four lanes.
TESSEL_AVX2 __m256d atanSeries(__m256d u) {
  const __m256d u2 = _mm256_mul_pd(u, u);
  __m256d p = _mm256_set1_pd(1.0 / 19);
  for (int k = 8; k >= 0; --k)
    p = _mm256_add_pd(_mm256_mul_pd(p, u2), _mm256_set1_pd(((k & 1) ? -1.0 : 1.0) / (2 * k + 1)));
  return _mm256_mul_pd(u, p);
}

// nearAtan2(y, x) on four lanes of x, then the angular index where the value
// lies clear of every integer, else -2 (left to the caller).
TESSEL_AVX2 __m128i angularFour(__m256d x, double y, double theta0) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  const __m256d ax = _mm256_andnot_pd(sign, x), ay = _mm256_set1_pd(std::fabs(y));
  const __m256d lo = _mm256_min_pd(ax, ay), hi = _mm256_max_pd(ax, ay);
  const __m256d upper = _mm256_cmp_pd(lo, _mm256_mul_pd(_mm256_set1_pd(0.41421356237309503), hi), _CMP_GT_OQ);
  const __m256d num = _mm256_blendv_pd(lo, _mm256_sub_pd(lo, hi), upper);
  const __m256d den = _mm256_blendv_pd(hi, _mm256_add_pd(lo, hi), upper);
  __m256d a = _mm256_add_pd(_mm256_and_pd(upper, _mm256_set1_pd(kPi / 4)),
                            atanSeries(_mm256_div_pd(num, den)));
  a = _mm256_blendv_pd(a, _mm256_sub_pd(_mm256_set1_pd(kPi / 2), a), _mm256_cmp_pd(ay, ax, _CMP_GT_OQ));
  a = _mm256_blendv_pd(a, _mm256_sub_pd(_mm256_set1_pd(kPi), a), _mm256_cmp_pd(x, _mm256_setzero_pd(), _CMP_LT_OQ));
  if (y < 0) a = _mm256_xor_pd(a, sign);
  a = _mm256_add_pd(_mm256_sub_pd(a, _mm256_set1_pd(theta0)), _mm256_set1_pd(kPi));
  const __m256d v = _mm256_sub_pd(_mm256_mul_pd(a, _mm256_set1_pd(kEntriesPerRadian)), _mm256_set1_pd(0.8));
  const __m256d margin = _mm256_set1_pd(kAngularMargin);
  const __m128i below = _mm256_cvttpd_epi32(_mm256_sub_pd(v, margin));
  const __m128i above = _mm256_cvttpd_epi32(_mm256_add_pd(v, margin));
  const __m128i clear = _mm_cmpeq_epi32(below, above);
  const __m128i idx = _mm_and_si128(below, _mm_set1_epi32(0x1FF));
  return _mm_or_si128(_mm_and_si128(clear, idx), _mm_andnot_si128(clear, _mm_set1_epi32(-2)));
}

TESSEL_AVX2 int angularRowAvx2(double px0, double y, int n, double theta0, int32_t* out) {
  const __m256d step = _mm256_set1_pd(4.0);
  __m256d x = _mm256_add_pd(_mm256_set1_pd(px0), _mm256_set_pd(3, 2, 1, 0));
  int i = 0;
  for (; i + 4 <= n; i += 4, x = _mm256_add_pd(x, step))
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), angularFour(x, y, theta0));
  return i;
}

// Table entries laid over eight pixels at once where all are opaque entries.
TESSEL_AVX2 int overKeepAlphaAvx2(Pixel* row, const int32_t* idx, int n, const GradientTable& table,
                                  bool keepAlpha) {
  const __m256i alphaBits = _mm256_set1_epi32(int(0xFF000000u)), zero = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i k = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(idx + i));
    const __m256i skip = _mm256_cmpgt_epi32(zero, k);
    const __m256i q = _mm256_i32gather_epi32(reinterpret_cast<const int*>(table.data()),
                                             _mm256_andnot_si256(skip, k), 4);
    const __m256i full = _mm256_cmpeq_epi32(_mm256_and_si256(q, alphaBits), alphaBits);
    if (_mm256_movemask_epi8(_mm256_or_si256(skip, full)) != -1) {
      overKeepAlphaPlain(row + i, idx + i, 8, table, keepAlpha);   // some entry is not opaque
      continue;
    }
    const __m256i dst = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i));
    __m256i out = q;
    if (keepAlpha) {
      const __m256i dstAlpha = _mm256_and_si256(dst, alphaBits);
      out = _mm256_or_si256(_mm256_andnot_si256(alphaBits, q), dstAlpha);
      const __m256i clear = _mm256_cmpeq_epi32(dstAlpha, zero);
      out = _mm256_blendv_epi8(out, _mm256_set1_epi32(int(kTransparent)), clear);
    }
    out = _mm256_blendv_epi8(out, dst, skip);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), out);
  }
  return i;
}

bool hasAvx2() {
  static const bool yes = __builtin_cpu_supports("avx2");
  return yes;
}
#else
bool hasAvx2() { return false; }
#endif

void rootIndices(const int32_t* a, const int32_t* b, int n, double length, Beyond policy,
                 int32_t* out) {
#if defined(TESSEL_AVX2_ROOTS)
  if (hasAvx2()) return rootIndicesAvx2(a, b, n, length, policy, out);
#endif
  rootIndicesPlain(a, b, n, length, policy, out);
}

}  // namespace

void overKeepAlphaRow(Pixel* row, const int32_t* idx, int n, const GradientTable& table,
                      bool keepAlpha) {
  int x = 0;
#if defined(TESSEL_AVX2_ROOTS)
  if (hasAvx2()) x = overKeepAlphaAvx2(row, idx, n, table, keepAlpha);
#endif
  overKeepAlphaPlain(row + x, idx + x, n - x, table, keepAlpha);
}

GradientRows::GradientRows(const GradientRequest& req, int width, int height)
    : ix_(req), width_(width),
      beyond_(ix_.shift_ ? Beyond::Leave : ix_.wrap_ ? Beyond::Wrap : Beyond::Clamp) {
  for (int64_t v : {ix_.ax_, ix_.ay_, ix_.dx_, ix_.dy_})
    if (absOf(v) > kCoordLimit) return;
  if (width <= 0 || height <= 0 || width > (1 << 16) || height > (1 << 16)) return;
  const int64_t px = farthest(ix_.ax_, width), py = farthest(ix_.ay_, height);
  const double length = ix_.length_;
  offsets_.resize(size_t(width));
  for (int x = 0; x < width; ++x) offsets_[size_t(x)] = int32_t(absOf(x - ix_.ax_));
  switch (ix_.geometry_) {
    case GradientGeometry::Linear: fast_ = true; break;
    case GradientGeometry::Radial:
      fast_ = length > 0 && std::sqrt(double(px * px + py * py)) * 511 / length < kIndexLimit;
      break;
    case GradientGeometry::Box: {
      const int64_t w = absOf(ix_.dx_), h = absOf(ix_.dy_);
      const int64_t by = h != 0 ? py : 0;
      const __int128 bx = w == 0 ? 0 : std::max<__int128>(px, h != 0 ? __int128(w) * by / h : 0);
      const __int128 byMax = w == 0 ? __int128(by) : std::max<__int128>(by, __int128(h) * bx / w);
      if (bx > kSideLimit || byMax > kSideLimit || length <= 0) return;
      fast_ = std::sqrt(double(bx * bx + byMax * byMax)) * 511 / length < kIndexLimit;
      if (fast_ && w != 0) {
        across_.resize(size_t(width));
        for (int x = 0; x < width; ++x) across_[size_t(x)] = int32_t(h * absOf(x - ix_.ax_) / w);
      }
      break;
    }
    case GradientGeometry::Angular: {
      fast_ = true;
      // sqrt rounds monotonically, so "sqrt(d) > length" is "d > farSquare_".
      int64_t t = int64_t(length * length);
      while (std::sqrt(double(t + 1)) <= length) ++t;
      while (t > 0 && std::sqrt(double(t)) > length) --t;
      farSquare_ = t;
      break;
    }
  }
}

void GradientRows::row(int y, int32_t* out) const {
  if (!fast_) {
    for (int x = 0; x < width_; ++x) out[x] = ix_.at(x, y);
    return;
  }
  switch (ix_.geometry_) {
    case GradientGeometry::Linear: return linearRow(y, out);
    case GradientGeometry::Radial: return radialRow(y, out);
    case GradientGeometry::Box: return boxRow(y, out);
    case GradientGeometry::Angular: return angularRow(y, out);
  }
}

// The numerator grows by 511 dx per pixel: its floor quotient and remainder
// are carried along, and turned into the truncated quotient.
void GradientRows::linearRow(int y, int32_t* out) const {
  const int64_t dx = ix_.dx_, dy = ix_.dy_, py = y - ix_.ay_;
  if (dx == 0 && dy == 0) {
    std::fill_n(out, width_, 0);
    return;
  }
  const int64_t den = dx * dx + dy * dy;
  auto floorDiv = [den](int64_t n, int64_t& q, int64_t& r) {
    q = n / den, r = n % den;
    if (r < 0) r += den, --q;
  };
  int64_t q, r, qs, rs;
  floorDiv((-ix_.ax_ * dx + py * dy) * 511, q, r);
  floorDiv(dx * 511, qs, rs);
  for (int x = 0; x < width_; ++x) {
    out[x] = ix_.policy(q + (q < 0 && r != 0 ? 1 : 0));
    q += qs, r += rs;
    if (r >= den) r -= den, ++q;
  }
}

void GradientRows::radialRow(int y, int32_t* out) const {
  const std::vector<int32_t> across(static_cast<size_t>(width_), int32_t(absOf(y - ix_.ay_)));
  rootIndices(offsets_.data(), across.data(), width_, ix_.length_, beyond_, out);
}

// The row's vertical part is one division; the horizontal part's division
// depends on x alone (a table), and floor(h b / w) grows with b.
void GradientRows::boxRow(int y, int32_t* out) const {
  const int64_t w = absOf(ix_.dx_), h = absOf(ix_.dy_);
  const int32_t by = h != 0 ? int32_t(absOf(y - ix_.ay_)) : 0;
  const int32_t m = h != 0 ? int32_t(w * by / h) : 0;
  const int32_t mAcross = w != 0 ? int32_t(h * m / w) : 0;
  std::vector<int32_t> bx(static_cast<size_t>(width_), 0), b(static_cast<size_t>(width_), by);
  if (w != 0)
    for (size_t x = 0; x < size_t(width_); ++x) {
      bx[x] = std::max(offsets_[x], m);
      b[x] = std::max(by, std::max(across_[x], mAcross));
    }
  rootIndices(bx.data(), b.data(), width_, ix_.boxDiagonal_, beyond_, out);
}

void GradientRows::angularRow(int y, int32_t* out) const {
  const int64_t py = y - ix_.ay_;
  int x = 0;
#if defined(TESSEL_AVX2_ROOTS)
  if (hasAvx2()) x = angularRowAvx2(double(-ix_.ax_), double(py), width_, ix_.theta0_, out);
#endif
  for (; x < width_; ++x) {
    const double a = nearAtan2(double(py), double(x - ix_.ax_)) - ix_.theta0_ + kPi;
    const double v = a * kEntriesPerRadian - 0.8;
    const int64_t lo = int64_t(v - kAngularMargin), hi = int64_t(v + kAngularMargin);
    out[x] = lo == hi ? int32_t(lo & 0x1FF) : -2;
  }
  // The start itself has no angle of its own; near-boundary values and the
  // pixels beyond the drag length are settled one by one.
  const int64_t sx = ix_.ax_;
  if (py == 0 && sx >= 0 && sx < width_) out[sx] = -2;
  for (x = 0; x < width_; ++x) {
    const int64_t px = x - ix_.ax_;
    if (ix_.shift_ && px * px + py * py > farSquare_) out[x] = -1;
    else if (out[x] == -2) out[x] = ix_.at(x, y);
  }
}

}  // namespace tessel
