#include "filters/resample.h"

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

// Accumulates w * A and w * (A * channel) over the taps.
struct WeightedSums {
  double a = 0, b = 0, g = 0, r = 0;

  void add(Pixel p, double w) {
    int alpha = int(alphaOf(p));
    a += w * alpha;
    b += w * (alpha * int(blueOf(p)));
    g += w * (alpha * int(greenOf(p)));
    r += w * (alpha * int(redOf(p)));
  }
  Pixel toPixel() const {
    uint32_t alpha = clampChannel(a + 0.5);
    if (alpha == 0) return kTransparent;
    return makePixel(alpha, clampChannel(r / a + 0.5), clampChannel(g / a + 0.5),
                     clampChannel(b / a + 0.5));
  }
};

// One source row into one output row of the horizontal pass.
void lanczosRow(const Pixel* in, Pixel* out, const Taps& taps, int outWidth) {
  const int count = taps.count;
  for (int x = 0; x < outWidth; ++x) {
    const int* index = &taps.index[size_t(x) * count];
    const double* weight = &taps.weight[size_t(x) * count];
    WeightedSums sums;
    for (int j = 0; j < count; ++j) sums.add(in[index[j]], weight[j]);
    out[x] = sums.toPixel();
  }
}

bool scaleLanczos(const Image32& src, Image32& dst, int W, int H, int threads) {
  const int w = src.width(), h = src.height();
  Taps across, down;
  buildLanczosTaps(w, W, across);
  buildLanczosTaps(h, H, down);
  // Horizontal pass into a W x h buffer, rows top first.
  std::unique_ptr<Pixel[]> middle(new (std::nothrow) Pixel[size_t(W) * size_t(h)]);
  if (!middle || !dst.create(W, H)) return false;
  Pixel* mid = middle.get();
  forEachRowBand(h, threads, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) lanczosRow(src.row(y), mid + size_t(y) * W, across, W);
  });
  forEachRowBand(H, threads, [&](int y0, int y1) {
    const int count = down.count;
    std::vector<const Pixel*> rows(static_cast<size_t>(count));
    for (int y = y0; y < y1; ++y) {
      const int* index = &down.index[size_t(y) * count];
      const double* weight = &down.weight[size_t(y) * count];
      for (int j = 0; j < count; ++j) rows[size_t(j)] = mid + size_t(index[j]) * W;
      Pixel* out = dst.row(y);
      for (int x = 0; x < W; ++x) {
        WeightedSums sums;
        for (int j = 0; j < count; ++j) sums.add(rows[size_t(j)][x], weight[j]);
        out[x] = sums.toPixel();
      }
    }
  });
  return true;
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
