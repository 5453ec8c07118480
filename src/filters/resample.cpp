#include "filters/resample.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "filters/row_threads.h"

namespace tessel {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Where one output index reads: the clamped source index of each tap and its
// normalised weight. Every output index has the same number of taps.
struct Taps {
  int count = 0;
  std::vector<int> index;      // output i, tap j at [i * count + j]
  std::vector<double> weight;
};

bool buildLanczosTaps(int n, int N, Taps& taps) {
  bool enlarging = n < N;
  taps.count = enlarging ? 6 : int((int64_t(N) + 6 * int64_t(n) - 1) / N);
  size_t total = size_t(N) * size_t(taps.count);
  taps.index.resize(total);
  taps.weight.resize(total);
  for (int i = 0; i < N; ++i) {
    double centre = double(n) * (i + 0.5) / N;
    int64_t first = enlarging ? int64_t(std::floor(centre - 2.5))
                              : int64_t(std::floor(double(n) * (i - 2.5) / N + 0.5));
    int* index = &taps.index[size_t(i) * taps.count];
    double* weight = &taps.weight[size_t(i) * taps.count];
    double sum = 0;
    for (int j = 0; j < taps.count; ++j) {
      int64_t s = first + j;
      double x = enlarging ? double(s) + 0.5 - centre : double(N) * (s + 0.5) / n - (i + 0.5);
      weight[j] = lanczos3(x);
      sum += weight[j];
      index[j] = int(std::clamp<int64_t>(s, 0, n - 1));
    }
    if (sum != 0)
      for (int j = 0; j < taps.count; ++j) weight[j] /= sum;
  }
  return true;
}

// Truncates toward zero and limits to 0 … 255 (NaN gives 0).
uint32_t clampChannel(double v) {
  if (!(v > 0)) return 0;
  if (v >= 255) return 255;
  return uint32_t(v);
}

// A pixel's alpha and alpha-weighted channels, as the sums take them.
struct Weighted {
  double a, r, g, b;
};

Weighted weighted(Pixel p) {
  int alpha = int(alphaOf(p));
  return {double(alpha), double(alpha * int(redOf(p))), double(alpha * int(greenOf(p))),
          double(alpha * int(blueOf(p)))};
}

// Sums of w * A and w * (A * channel) into a pixel.
Pixel fromSums(const Weighted& s) {
  uint32_t alpha = clampChannel(s.a + 0.5);
  if (alpha == 0) return kTransparent;
  return makePixel(alpha, clampChannel(s.r / s.a + 0.5), clampChannel(s.g / s.a + 0.5),
                   clampChannel(s.b / s.a + 0.5));
}

// One source row, already split into weighted values, into one output row.
void lanczosRow(const Weighted* in, Pixel* out, const Taps& taps, int outWidth) {
  const int count = taps.count;
  for (int x = 0; x < outWidth; ++x) {
    const int* index = &taps.index[size_t(x) * count];
    const double* weight = &taps.weight[size_t(x) * count];
    Weighted sum{0, 0, 0, 0};
    for (int j = 0; j < count; ++j) {
      const Weighted& v = in[index[j]];
      const double w = weight[j];
      sum.a += w * v.a, sum.r += w * v.r, sum.g += w * v.g, sum.b += w * v.b;
    }
    out[x] = fromSums(sum);
  }
}

// Output rows of the vertical pass in chunks; the horizontal rows they read
// are kept in a ring indexed by source row, so each is made about once and
// the working set stays small. Every pixel sums its taps in tap order, so the
// result is the same for any chunking or band split.
class LanczosBand {
 public:
  LanczosBand(const Image32& src, const Taps& across, const Taps& down, int W)
      : src_(src), across_(across), down_(down), width_(W) {}

  bool run(Image32& dst, int y0, int y1) {
    int capacity = 0;
    for (int y = y0; y < y1; y += kChunk) capacity = std::max(capacity, span(y, std::min(y1, y + kChunk)));
    ring_.reset(new (std::nothrow) Pixel[size_t(capacity) * size_t(width_)]);
    tags_.assign(size_t(capacity), -1);
    split_.resize(size_t(src_.width()));
    sums_.resize(size_t(width_));
    capacity_ = capacity;
    if (!ring_) return false;
    for (int y = y0; y < y1; ++y) verticalRow(dst.row(y), y);
    return true;
  }

 private:
  static constexpr int kChunk = 64;

  // Rows of the horizontal pass that output rows [y0, y1) read.
  int span(int y0, int y1) const {
    const int count = down_.count;
    int lo = down_.index[size_t(y0) * count], hi = lo;
    for (size_t k = size_t(y0) * count; k < size_t(y1) * count; ++k) {
      lo = std::min(lo, down_.index[k]);
      hi = std::max(hi, down_.index[k]);
    }
    return hi - lo + 1;
  }

  const Pixel* horizontalRow(int row) {
    size_t slot = size_t(row % capacity_);
    Pixel* out = ring_.get() + slot * size_t(width_);
    if (tags_[slot] != row) {
      const Pixel* in = src_.row(row);
      for (int x = 0; x < src_.width(); ++x) split_[size_t(x)] = weighted(in[x]);
      lanczosRow(split_.data(), out, across_, width_);
      tags_[slot] = row;
    }
    return out;
  }

  void verticalRow(Pixel* out, int y) {
    const int count = down_.count;
    std::fill(sums_.begin(), sums_.end(), Weighted{0, 0, 0, 0});
    for (int j = 0; j < count; ++j) {
      const Pixel* in = horizontalRow(down_.index[size_t(y) * count + j]);
      const double w = down_.weight[size_t(y) * count + j];
      Weighted* sum = sums_.data();
      for (int x = 0; x < width_; ++x) {
        Weighted v = weighted(in[x]);
        sum[x].a += w * v.a, sum[x].r += w * v.r, sum[x].g += w * v.g, sum[x].b += w * v.b;
      }
    }
    for (int x = 0; x < width_; ++x) out[x] = fromSums(sums_[size_t(x)]);
  }

  const Image32& src_;
  const Taps& across_;
  const Taps& down_;
  const int width_;
  int capacity_ = 1;
  std::unique_ptr<Pixel[]> ring_;
  std::vector<int> tags_;
  std::vector<Weighted> split_;
  std::vector<Weighted> sums_;
};

bool scaleLanczos(const Image32& src, Image32& dst, int W, int H, int threads) {
  Taps across, down;
  buildLanczosTaps(src.width(), W, across);
  buildLanczosTaps(src.height(), H, down);
  if (!dst.create(W, H)) return false;
  std::atomic<bool> ok{true};
  forEachRowBand(H, threads, [&](int y0, int y1) {
    LanczosBand band(src, across, down, W);
    if (!band.run(dst, y0, y1)) ok = false;
  });
  return ok;
}

// Position of one output index in the source: the two neighbours and the fraction.
struct LinearStep {
  int i0, i1;
  double f;
};

std::vector<LinearStep> linearSteps(int n, int N) {
  std::vector<LinearStep> steps(static_cast<size_t>(N));
  double ratio = double(n) / N;
  for (int i = 0; i < N; ++i) {
    int i0 = int(int64_t(i) * n / N);
    steps[size_t(i)] = {i0, i0 + 1 < n ? i0 + 1 : i0, i * ratio - i0};
  }
  return steps;
}

Pixel bilinearPixel(Pixel p00, Pixel p01, Pixel p10, Pixel p11, double fx, double fy) {
  const double gx = 1 - fx, gy = 1 - fy;
  auto mix = [&](int v00, int v01, int v10, int v11) {
    return gy * (v00 * gx + v01 * fx) + fy * (v10 * gx + v11 * fx);
  };
  int a00 = alphaOf(p00), a01 = alphaOf(p01), a10 = alphaOf(p10), a11 = alphaOf(p11);
  int alpha = std::min(255, int(mix(a00, a01, a10, a11) + 0.5));
  if (alpha <= 0) return kTransparent;
  auto channel = [&](int shift) {
    double sum = mix(a00 * int((p00 >> shift) & 0xFF), a01 * int((p01 >> shift) & 0xFF),
                     a10 * int((p10 >> shift) & 0xFF), a11 * int((p11 >> shift) & 0xFF));
    return clampChannel(sum / alpha + 0.5);
  };
  return makePixel(uint32_t(alpha), channel(16), channel(8), channel(0));
}

bool scaleBilinear(const Image32& src, Image32& dst, int W, int H, int threads) {
  if (!dst.create(W, H)) return false;
  std::vector<LinearStep> across = linearSteps(src.width(), W);
  std::vector<LinearStep> down = linearSteps(src.height(), H);
  forEachRowBand(H, threads, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const LinearStep& v = down[size_t(y)];
      const Pixel* upper = src.row(v.i0);
      const Pixel* lower = src.row(v.i1);
      Pixel* out = dst.row(y);
      for (int x = 0; x < W; ++x) {
        const LinearStep& u = across[size_t(x)];
        out[x] = bilinearPixel(upper[u.i0], upper[u.i1], lower[u.i0], lower[u.i1], u.f, v.f);
      }
    }
  });
  return true;
}

bool scaleNearest(const Image32& src, Image32& dst, int W, int H, int threads) {
  if (!dst.create(W, H)) return false;
  const int w = src.width(), h = src.height();
  std::vector<int> column(static_cast<size_t>(W));
  for (int x = 0; x < W; ++x) column[size_t(x)] = int(int64_t(x) * w / W);
  forEachRowBand(H, threads, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const Pixel* in = src.row(int(int64_t(y) * h / H));
      Pixel* out = dst.row(y);
      for (int x = 0; x < W; ++x) out[x] = in[column[size_t(x)]];
    }
  });
  return true;
}

}  // namespace

double lanczos3(double x) {
  if (std::fabs(x) < 2.220446e-16) return 1;
  if (std::fabs(x) >= 3) return 0;
  return std::sin(kPi * x) * std::sin(kPi * x / 3) / (x * x * kPi * kPi / 3);
}

bool scaleImage(const Image32& src, Image32& dst, int width, int height, ScaleMethod method,
                int threads) {
  dst.destroy();
  if (!src.valid() || width < 1 || height < 1) return false;
  bool ok = false;
  switch (method) {
    case ScaleMethod::Nearest: ok = scaleNearest(src, dst, width, height, threads); break;
    case ScaleMethod::Bilinear: ok = scaleBilinear(src, dst, width, height, threads); break;
    case ScaleMethod::Lanczos3: ok = scaleLanczos(src, dst, width, height, threads); break;
  }
  if (!ok) dst.destroy();
  return ok;
}

}  // namespace tessel
