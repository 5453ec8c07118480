#include "filters/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "test_images.h"

namespace tessel {
namespace {

using testing::fillRandom;
using testing::samePixels;

// Plain transcriptions of the formulas, one pixel at a time.
double kernel(double x) {
  const double pi = 3.14159265358979323846;
  if (std::fabs(x) < 2.220446e-16) return 1;
  if (std::fabs(x) >= 3) return 0;
  return std::sin(pi * x) * std::sin(pi * x / 3) / (x * x * pi * pi / 3);
}

int limit(double v) { return v <= 0 ? 0 : v >= 255 ? 255 : int(v); }

// Taps of output index i when n source samples become N.
void referenceTaps(int n, int N, int i, std::vector<int>& index, std::vector<double>& weight) {
  index.clear();
  weight.clear();
  int count = n < N ? 6 : (N + 6 * n - 1) / N;
  double centre = double(n) * (i + 0.5) / N;
  int first = n < N ? int(std::floor(centre - 2.5)) : int(std::floor(double(n) * (i - 2.5) / N + 0.5));
  double sum = 0;
  for (int j = 0; j < count; ++j) {
    int s = first + j;
    double x = n < N ? s + 0.5 - centre : double(N) * (s + 0.5) / n - (i + 0.5);
    weight.push_back(kernel(x));
    sum += weight.back();
    index.push_back(std::min(std::max(s, 0), n - 1));
  }
  for (double& w : weight) w /= sum;
}

Pixel referenceCombine(const std::vector<Pixel>& pixels, const std::vector<double>& weight) {
  double a = 0, r = 0, g = 0, b = 0;
  for (size_t j = 0; j < pixels.size(); ++j) {
    int alpha = alphaOf(pixels[j]);
    a += weight[j] * alpha;
    r += weight[j] * (alpha * redOf(pixels[j]));
    g += weight[j] * (alpha * greenOf(pixels[j]));
    b += weight[j] * (alpha * blueOf(pixels[j]));
  }
  int alpha = limit(a + 0.5);
  if (alpha == 0) return kTransparent;
  return makePixel(alpha, limit(r / a + 0.5), limit(g / a + 0.5), limit(b / a + 0.5));
}

void referenceLanczos(const Image32& src, Image32& out, int W, int H) {
  const int w = src.width(), h = src.height();
  std::vector<Pixel> middle(size_t(W) * h);
  std::vector<int> index;
  std::vector<double> weight;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < W; ++x) {
      referenceTaps(w, W, x, index, weight);
      std::vector<Pixel> px;
      for (int s : index) px.push_back(src.at(s, y));
      middle[size_t(y) * W + x] = referenceCombine(px, weight);
    }
  ASSERT_TRUE(out.create(W, H));
  for (int y = 0; y < H; ++y) {
    referenceTaps(h, H, y, index, weight);
    for (int x = 0; x < W; ++x) {
      std::vector<Pixel> px;
      for (int s : index) px.push_back(middle[size_t(s) * W + x]);
      out.set(x, y, referenceCombine(px, weight));
    }
  }
}

void referenceBilinear(const Image32& src, Image32& out, int W, int H) {
  const int w = src.width(), h = src.height();
  ASSERT_TRUE(out.create(W, H));
  for (int y = 0; y < H; ++y) {
    int y0 = y * h / H;
    double fy = y * (double(h) / H) - y0;
    int y1 = y0 + 1 < h ? y0 + 1 : y0;
    for (int x = 0; x < W; ++x) {
      int x0 = x * w / W;
      double fx = x * (double(w) / W) - x0;
      int x1 = x0 + 1 < w ? x0 + 1 : x0;
      Pixel p[4] = {src.at(x0, y0), src.at(x1, y0), src.at(x0, y1), src.at(x1, y1)};
      auto weighted = [&](int shift, bool timesAlpha) {
        double v[4];
        for (int k = 0; k < 4; ++k) {
          int alpha = alphaOf(p[k]);
          v[k] = timesAlpha ? alpha * int((p[k] >> shift) & 0xFF) : alpha;
        }
        return (1 - fy) * (v[0] * (1 - fx) + v[1] * fx) + fy * (v[2] * (1 - fx) + v[3] * fx);
      };
      int alpha = std::min(255, int(weighted(24, false) + 0.5));
      if (alpha == 0) {
        out.set(x, y, kTransparent);
        continue;
      }
      auto channel = [&](int shift) {
        return uint32_t(std::min(255, int(weighted(shift, true) / alpha + 0.5)));
      };
      out.set(x, y, makePixel(uint32_t(alpha), channel(16), channel(8), channel(0)));
    }
  }
}

struct Sizes {
  int w, h, W, H;
};
const Sizes kSizes[] = {{7, 5, 17, 11}, {40, 30, 13, 9}, {9, 31, 23, 7},  {1, 1, 5, 4},
                        {12, 12, 1, 1}, {5, 8, 5, 8},   {64, 3, 10, 70}, {3, 3, 4500, 2}};

TEST(Resample, LanczosKernel) {
  EXPECT_EQ(lanczos3(0), 1.0);
  EXPECT_EQ(lanczos3(3), 0.0);
  EXPECT_EQ(lanczos3(-3.5), 0.0);
  EXPECT_NEAR(lanczos3(0.5), 0.5 / (0.25 * M_PI * M_PI / 3), 1e-12);
  EXPECT_NEAR(lanczos3(1), 0, 1e-15);
  EXPECT_LT(lanczos3(1.5), 0);   // the first negative lobe
}

TEST(Resample, LanczosMatchesPlainFormulas) {
  uint32_t seed = 1;
  for (const Sizes& s : kSizes) {
    Image32 src, got, want;
    ASSERT_TRUE(src.create(s.w, s.h));
    fillRandom(src, seed++);
    ASSERT_TRUE(scaleImage(src, got, s.W, s.H, ScaleMethod::Lanczos3));
    referenceLanczos(src, want, s.W, s.H);
    EXPECT_TRUE(samePixels(got, want)) << s.w << "x" << s.h << " -> " << s.W << "x" << s.H;
  }
}

TEST(Resample, BilinearMatchesPlainFormulas) {
  uint32_t seed = 100;
  for (const Sizes& s : kSizes) {
    Image32 src, got, want;
    ASSERT_TRUE(src.create(s.w, s.h));
    fillRandom(src, seed++);
    ASSERT_TRUE(scaleImage(src, got, s.W, s.H, ScaleMethod::Bilinear));
    referenceBilinear(src, want, s.W, s.H);
    EXPECT_TRUE(samePixels(got, want)) << s.w << "x" << s.h << " -> " << s.W << "x" << s.H;
  }
}

TEST(Resample, NearestTakesTheTruncatedPosition) {
  Image32 src, out;
  ASSERT_TRUE(src.create(5, 3));
  fillRandom(src, 7);
  ASSERT_TRUE(scaleImage(src, out, 8, 2, ScaleMethod::Nearest));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(out.at(x, y), src.at(x * 5 / 8, y * 3 / 2));
}

TEST(Resample, TransparentResultsAreCanonical) {
  Image32 src, out;
  ASSERT_TRUE(src.create(6, 6));
  src.fill(0x00123456u);   // transparent, with stray colour bits
  src.set(0, 0, 0xFF0000FFu);
  for (ScaleMethod m : {ScaleMethod::Bilinear, ScaleMethod::Lanczos3}) {
    ASSERT_TRUE(scaleImage(src, out, 30, 30, m));
    EXPECT_EQ(out.at(29, 29), kTransparent);
    EXPECT_EQ(out.at(15, 20), kTransparent);
    EXPECT_EQ(alphaOf(out.at(0, 0)), 255) << int(m);
    EXPECT_EQ(out.at(0, 0) & 0xFFFFFF, 0x0000FFu);
  }
}

TEST(Resample, SameSizeKeepsVisiblePixels) {
  Image32 src, out;
  ASSERT_TRUE(src.create(20, 15));
  fillRandom(src, 11);
  for (ScaleMethod m : {ScaleMethod::Nearest, ScaleMethod::Bilinear, ScaleMethod::Lanczos3}) {
    ASSERT_TRUE(scaleImage(src, out, 20, 15, m));
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 20; ++x) {
        Pixel p = src.at(x, y);
        if (m != ScaleMethod::Nearest && alphaOf(p) == 0) p = kTransparent;
        ASSERT_EQ(out.at(x, y), p) << int(m) << " at " << x << "," << y;
      }
  }
}

TEST(Resample, ThreadsGiveTheSamePixels) {
  Image32 src;
  ASSERT_TRUE(src.create(301, 203));
  fillRandom(src, 5);
  for (ScaleMethod m : {ScaleMethod::Nearest, ScaleMethod::Bilinear, ScaleMethod::Lanczos3}) {
    for (Sizes s : {Sizes{0, 0, 517, 131}, Sizes{0, 0, 97, 389}}) {
      Image32 one, two, three;
      ASSERT_TRUE(scaleImage(src, one, s.W, s.H, m, 1));
      ASSERT_TRUE(scaleImage(src, two, s.W, s.H, m, 2));
      ASSERT_TRUE(scaleImage(src, three, s.W, s.H, m, 3));
      EXPECT_TRUE(samePixels(one, two)) << int(m);
      EXPECT_TRUE(samePixels(one, three)) << int(m);
    }
  }
}

TEST(Resample, RejectsBadSizes) {
  Image32 src, out, empty;
  ASSERT_TRUE(src.create(4, 4));
  EXPECT_FALSE(scaleImage(src, out, 0, 4, ScaleMethod::Lanczos3));
  EXPECT_FALSE(scaleImage(src, out, 4, -1, ScaleMethod::Bilinear));
  EXPECT_FALSE(scaleImage(empty, out, 4, 4, ScaleMethod::Nearest));
  EXPECT_FALSE(out.valid());
}

}  // namespace
}  // namespace tessel
