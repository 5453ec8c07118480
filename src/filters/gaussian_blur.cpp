// Gaussian blur with integer exponents: weight e^k, k = -d^2 / (2 r^2)
// truncated, over 6r + 1 taps; a horizontal pass into a scratch image that
// covers the rows the vertical pass needs, then the vertical pass.
//
// The double sums are the contract, so every output pixel adds its taps in
// tap order exactly as the one-pixel-at-a-time formula does; speed comes from
// doing pixels side by side (one per vector lane) on channel planes of
// doubles whose edges are already repeated, small enough to stay in cache.
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"
#include "filters/gaussian_blur.h"

// The vector code is inlined into each unit's function; no vector crosses a call.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace tessel {
namespace {

// One row of outputs into byte planes A, B, G, R, outPlane apart, from
// planes of doubles `plane` apart: tap t of output x is tap[t][x].
struct GaussRow {
  const double* const* tap;
  ptrdiff_t plane;
  const double* weight;
  int taps;
  int count;   // outputs, written in whole steps of kGroup
  uint8_t* out;
  ptrdiff_t outPlane;
};

constexpr int kGroup = 16;   // two of the widest vectors: outputs are rounded up to this

using F64x2 = double __attribute__((vector_size(16)));
using I64x2 = int64_t __attribute__((vector_size(16)));
using I32x2 = int32_t __attribute__((vector_size(8)));
using U8x2 = uint8_t __attribute__((vector_size(2)));
using F64x4 = double __attribute__((vector_size(32)));
using I64x4 = int64_t __attribute__((vector_size(32)));
using I32x4 = int32_t __attribute__((vector_size(16)));
using U8x4 = uint8_t __attribute__((vector_size(4)));
using F64x8 = double __attribute__((vector_size(64)));
using I64x8 = int64_t __attribute__((vector_size(64)));
using I32x8 = int32_t __attribute__((vector_size(32)));
using U8x8 = uint8_t __attribute__((vector_size(8)));

template <class FV, class I64V, class I32V, class U8V>
struct Unit {
  using F = FV;
  using I64 = I64V;
  using I32 = I32V;
  using U8 = U8V;
};
using PlainUnit = Unit<F64x2, I64x2, I32x2, U8x2>;
using Avx2Unit = Unit<F64x4, I64x4, I32x4, U8x4>;
using Avx512Unit = Unit<F64x8, I64x8, I32x8, U8x8>;

template <class V>
void store(uint8_t* out, const V& v) {
  std::memcpy(out, &v, sizeof v);
}

// The per-pixel formula, one pixel per lane: W = sum of w A, S = sum of w A
// ch, both in tap order; alpha = (sum of A) / taps, channel = S / W. Two
// vectors side by side keep the adders busy.
template <class U>
void gaussRowBody(const GaussRow& g) {
  using F = typename U::F;
  using I32 = typename U::I32;
  constexpr int lanes = int(sizeof(F) / sizeof(double));
  static_assert(kGroup % (2 * lanes) == 0);
  auto in = [&g](int t, int x, int c) {
    F v;
    std::memcpy(&v, g.tap[t] + c * g.plane + x, sizeof v);
    return v;
  };
  const double divisor = g.taps;
  F one = {};
  one += 1;
  I32 zero = {}, full = zero + 255;
  for (int x = 0; x < g.count; x += 2 * lanes) {
    F w[2] = {}, sb[2] = {}, sg[2] = {}, sr[2] = {}, sa[2] = {};
    for (int t = 0; t < g.taps; ++t) {
      for (int k = 0; k < 2; ++k) {
        int xk = x + k * lanes;
        F a = in(t, xk, 0);
        F wa = g.weight[t] * a;
        w[k] += wa;
        sb[k] += wa * in(t, xk, 1);
        sg[k] += wa * in(t, xk, 2);
        sr[k] += wa * in(t, xk, 3);
        sa[k] += a;   // whole numbers: exact
      }
    }
    for (int k = 0; k < 2; ++k) {
      typename U::I64 clear = (sa[k] < divisor) | (w[k] == 0);
      F safe = clear ? one : w[k];
      I32 none = __builtin_convertvector(clear, I32);
      auto channel = [&](const F& sum, I32 blank) {
        return __builtin_convertvector(none ? blank : __builtin_convertvector(sum, I32), typename U::U8);
      };
      uint8_t* o = g.out + x + k * lanes;
      store(o, channel(sa[k] / divisor, zero));
      store(o + g.outPlane, channel(sb[k] / safe, full));
      store(o + 2 * g.outPlane, channel(sg[k] / safe, full));
      store(o + 3 * g.outPlane, channel(sr[k] / safe, full));
    }
  }
}

void gaussRowPlain(const GaussRow& g) { gaussRowBody<PlainUnit>(g); }
#if defined(TESSEL_WIDE_FILTERS)
TESSEL_FOR_AVX2 __attribute__((flatten)) void gaussRowAvx2(const GaussRow& g) { gaussRowBody<Avx2Unit>(g); }
TESSEL_FOR_AVX512 __attribute__((flatten)) void gaussRowAvx512(const GaussRow& g) { gaussRowBody<Avx512Unit>(g); }
#endif

void gaussRow(const GaussRow& g) {
#if defined(TESSEL_WIDE_FILTERS)
  switch (filterUnits()) {
    case FilterUnits::Avx512: return gaussRowAvx512(g);
    case FilterUnits::Avx2: return gaussRowAvx2(g);
    case FilterUnits::Plain: break;
  }
#endif
  gaussRowPlain(g);
}

template <class T>
std::unique_ptr<T[]> buffer(size_t n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[n]);
}

int roundUp(int n) { return (n + kGroup - 1) / kGroup * kGroup; }

// The shared state of one blur: the horizontal pass's output, rows top ...
// bottom - 1 of the image, as byte planes of `stride` columns from r.x.
struct GaussJob {
  const Image32& src;
  Image32& dst;
  Rect r;
  int reach, taps, top, bottom, stride;
  std::vector<double> weight;
  std::unique_ptr<uint8_t[]> mid;
  ptrdiff_t midPlane;
  std::atomic<bool> failed{false};   // a band that found no memory
  const std::atomic<bool>* cancel = filterCancelFlag();   // the calling thread's, for both bands

  uint8_t* midRow(int y) { return mid.get() + ptrdiff_t(y - top) * stride; }
};

// Horizontal pass of one image row: the row as doubles with its edges
// repeated, from column r.x - reach, then the taps side by side.
void horizontalRow(GaussJob& job, double* in, int y) {
  ptrdiff_t length = job.stride + 2 * job.reach;
  const Pixel* s = job.src.row(y);
  int w = job.src.width();
  for (ptrdiff_t i = 0; i < length; ++i) {
    Pixel p = s[clampTo(job.r.x - job.reach + int(i), 0, w - 1)];
    in[i] = alphaOf(p), in[i + length] = blueOf(p), in[i + 2 * length] = greenOf(p), in[i + 3 * length] = redOf(p);
  }
  std::vector<const double*> tap(static_cast<size_t>(job.taps));
  for (int t = 0; t < job.taps; ++t) tap[size_t(t)] = in + t;
  gaussRow({tap.data(), length, job.weight.data(), job.taps, job.r.w, job.midRow(y), job.midPlane});
}

constexpr int kBlockRows = 32;   // vertical pass: output rows per block
constexpr int kStrip = kGroup;   // vertical pass: columns per strip

// Vertical pass of output rows y0 ... y1 - 1, a strip of columns at a time:
// the strip's input rows become doubles once, then every row's taps read
// them from cache. Writes the rows into dst.
void verticalBlock(GaussJob& job, double* strip, uint8_t* out, int y0, int y1) {
  int h = job.src.height(), span = y1 - y0 + 2 * job.reach;
  ptrdiff_t plane = ptrdiff_t(span) * kStrip, outPlane = ptrdiff_t(kBlockRows) * job.stride;
  std::vector<const double*> tap(static_cast<size_t>(job.taps));
  for (int sx = 0; sx < job.stride; sx += kStrip) {
    for (int j = 0; j < span; ++j) {
      const uint8_t* m = job.midRow(clampTo(y0 - job.reach + j, 0, h - 1)) + sx;
      for (int c = 0; c < 4; ++c)
        for (int i = 0; i < kStrip; ++i) strip[c * plane + j * kStrip + i] = m[c * job.midPlane + i];
    }
    for (int y = y0; y < y1; ++y) {
      for (int t = 0; t < job.taps; ++t) tap[size_t(t)] = strip + ptrdiff_t(y - y0 + t) * kStrip;
      gaussRow({tap.data(), plane, job.weight.data(), job.taps, kStrip, out + ptrdiff_t(y - y0) * job.stride + sx,
                outPlane});
    }
  }
  for (int y = y0; y < y1; ++y) {
    const uint8_t* o = out + ptrdiff_t(y - y0) * job.stride;
    Pixel* d = job.dst.row(y) + job.r.x;
    for (int i = 0; i < job.r.w; ++i)
      d[i] = makePixel(o[i], o[i + 3 * outPlane], o[i + 2 * outPlane], o[i + outPlane]);
  }
}

void horizontalBand(GaussJob& job, int first, int last, const auto& step) {
  const std::atomic<bool>* cancel = job.cancel;
  auto in = buffer<double>(size_t(4) * size_t(job.stride + 2 * job.reach));
  if (!in) return job.failed.store(true);
  for (int y = first; y < last && !filterCancelled(cancel); ++y) {
    horizontalRow(job, in.get(), y);
    step();
  }
}

void verticalBand(GaussJob& job, int first, int last, const auto& step) {
  const std::atomic<bool>* cancel = job.cancel;
  auto strip = buffer<double>(size_t(4) * size_t(kBlockRows + 2 * job.reach) * kStrip);
  auto out = buffer<uint8_t>(size_t(4) * kBlockRows * size_t(job.stride));
  if (!strip || !out) return job.failed.store(true);
  for (int y0 = first; y0 < last && !filterCancelled(cancel); y0 += kBlockRows) {
    int y1 = std::min(last, y0 + kBlockRows);
    verticalBlock(job, strip.get(), out.get(), y0, y1);
    for (int y = y0; y < y1; ++y) step();
  }
}

}  // namespace

bool gaussianBlur(int radius, Image32& dst, const Image32& src, const Rect& r, Progress* progress) {
  int h = src.height(), reach = 3 * radius;
  int top = std::max(0, r.y - reach), bottom = std::min(h, r.bottom() + reach);
  GaussJob job{src, dst, r, reach, 2 * reach + 1, top, bottom, roundUp(r.w), {}, nullptr, 0};
  for (int d = -reach; d <= reach; ++d) job.weight.push_back(std::exp(double(-(d * d) / (2 * radius * radius))));
  job.midPlane = ptrdiff_t(job.stride) * (bottom - top);
  job.mid = buffer<uint8_t>(size_t(4 * job.midPlane));
  if (!job.mid) return false;
  if (progress) progress->setRange((bottom - top) + r.h);
  long long work = (long long)r.w * job.taps;
  forBands(top, bottom, work, progress, [&](int first, int last, auto step) { horizontalBand(job, first, last, step); });
  forBands(r.y, r.bottom(), work, progress, [&](int first, int last, auto step) { verticalBand(job, first, last, step); });
  return !job.failed.load();
}

TESSEL_FILTER(filterGaussianBlur) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  return gaussianBlur(clampTo(values.slider[0], 1, 100), dst, guard.get(), r, progress);
}

}  // namespace tessel
