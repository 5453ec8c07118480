// Plain, slow implementations of the neighbourhood formulas, written out
// pixel by pixel, against the real filters on random images with
// transparent pixels and rectangles that touch the image edges.
#include <algorithm>
#include <cmath>
#include <vector>

#include "filter_test_util.h"

namespace tessel {
namespace {
using namespace tessel::testing;

int cl(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
int ch(Pixel p, int c) { return int((p >> (8 * c)) & 255); }   // 0 blue, 1 green, 2 red
Pixel px(int a, int r, int g, int b) { return a == 0 ? kTransparent : makePixel(a, r, g, b); }
int luma(Pixel p) { return (77 * ch(p, 2) + 150 * ch(p, 1) + 29 * ch(p, 0)) >> 8; }

// Mostly very faint pixels: averages whose alpha truncates to 0 must come out as 0x00FFFFFF.
Image32 faintImage(int w, int h, uint32_t seed) {
  Image32 img = randomImage(w, h, seed, 0);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t a = rng() % 4;
      img.set(x, y, a ? (img.at(x, y) & 0xFFFFFFu) | (a << 24) : kTransparent);
    }
  return img;
}

const Rect kRects[] = {{0, 0, 37, 29}, {0, 4, 11, 25}, {26, 0, 11, 8}, {5, 6, 20, 15}, {36, 28, 1, 1}};

Image32 refConvolve(const Image32& s, const Rect& r, const int k[9], int q, int o, bool desat) {
  Image32 d = copyOf(s);
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      long long sum[3] = {0, 0, 0}, sa = 0;
      for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
          Pixel p = s.getPixelClamped(x + i, y + j);
          int kk = k[(j + 1) * 3 + (i + 1)], a = alphaOf(p);
          for (int c = 0; c < 3; ++c) sum[c] += kk * a * ch(p, c);
          sa += a;
        }
      int alpha = int(sa / 9);
      if (alpha == 0) {
        d.set(x, y, kTransparent);
        continue;
      }
      int v[3];
      for (int c = 0; c < 3; ++c) v[c] = cl(int(sum[c] / alpha / q) + o);
      Pixel out = makePixel(alpha, v[2], v[1], v[0]);
      if (desat) out = makePixel(alpha, luma(out), luma(out), luma(out));
      d.set(x, y, out);
    }
  return d;
}

Image32 refBox(const Image32& s, const Rect& r, int rad) {
  Image32 d = copyOf(s);
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      long long sum[3] = {0, 0, 0}, sa = 0;
      for (int j = -rad; j <= rad; ++j)
        for (int i = -rad; i <= rad; ++i) {
          Pixel p = s.getPixelClamped(x + i, y + j);
          for (int c = 0; c < 3; ++c) sum[c] += alphaOf(p) * ch(p, c);
          sa += alphaOf(p);
        }
      int count = (2 * rad + 1) * (2 * rad + 1);
      d.set(x, y, sa == 0 ? kTransparent : px(int(sa / count), int(sum[2] / sa), int(sum[1] / sa), int(sum[0] / sa)));
    }
  return d;
}

Pixel refGaussTap(const Image32& s, int x, int y, int r, bool horizontal) {
  double w = 0, sum[3] = {0, 0, 0};
  int sa = 0;
  for (int d = -3 * r; d <= 3 * r; ++d) {
    Pixel p = horizontal ? s.getPixelClamped(x + d, y) : s.getPixelClamped(x, y + d);
    int k = -(d * d) / (2 * r * r);   // whole-number exponent
    double wa = std::exp(double(k)) * alphaOf(p);
    w += wa;
    for (int c = 0; c < 3; ++c) sum[c] += wa * ch(p, c);
    sa += alphaOf(p);
  }
  if (sa == 0 || w == 0) return kTransparent;
  return px(sa / (6 * r + 1), int(sum[2] / w), int(sum[1] / w), int(sum[0] / w));
}

Image32 refGauss(const Image32& s, const Rect& rc, int r) {
  Image32 mid = copyOf(s), d = copyOf(s);
  for (int y = 0; y < s.height(); ++y)
    for (int x = rc.x; x < rc.right(); ++x) mid.set(x, y, refGaussTap(s, x, y, r, true));
  for (int y = rc.y; y < rc.bottom(); ++y)
    for (int x = rc.x; x < rc.right(); ++x) d.set(x, y, refGaussTap(mid, x, y, r, false));
  return d;
}

// The fixed-point bilinear sampler, edges clamped.
Pixel refSample(const Image32& s, int fx, int fy) {
  int x0 = fx >> 8, y0 = fy >> 8, tx = fx & 255, ty = fy & 255;
  if (x0 < 0) x0 = 0, tx = 0;
  if (x0 >= s.width()) x0 = s.width() - 1, tx = 0;
  if (y0 < 0) y0 = 0, ty = 0;
  if (y0 >= s.height()) y0 = s.height() - 1, ty = 0;
  int x1 = x0 == s.width() - 1 ? x0 : x0 + 1, y1 = y0 == s.height() - 1 ? y0 : y0 + 1;
  Pixel p00 = s.at(x0, y0), p01 = s.at(x1, y0), p10 = s.at(x0, y1), p11 = s.at(x1, y1);
  int a00 = alphaOf(p00), a01 = alphaOf(p01), a10 = alphaOf(p10), a11 = alphaOf(p11);
  int alpha = (255 - ty) * (a00 * (255 - tx) / 255 + a01 * tx / 255) / 255 +
              ty * (a10 * (255 - tx) / 255 + a11 * tx / 255) / 255;
  if (alpha == 0) return kTransparent;
  int v[3];
  for (int c = 0; c < 3; ++c) {
    int t = (255 - ty) * ((tx * a01 * ch(p01, c) + (255 - tx) * a00 * ch(p00, c)) / 255) / 255 +
            ty * (((255 - tx) * a10 * ch(p10, c) + tx * a11 * ch(p11, c)) / 255) / 255;
    v[c] = std::min(255, t / alpha);
  }
  return makePixel(alpha, v[2], v[1], v[0]);
}

Image32 refMotion(const Image32& s, const Rect& r, int n, int angle) {
  Image32 d = copyOf(s);
  double phi = (angle + 180) * 0.017453292519943295;
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      long long sum[3] = {0, 0, 0}, sa = 0;
      for (int k = 0; k <= n; ++k) {
        Pixel p = refSample(s, 256 * x + int(k * std::cos(phi) * 256), 256 * y + int(k * std::sin(phi) * 256));
        for (int c = 0; c < 3; ++c) sum[c] += alphaOf(p) * ch(p, c);
        sa += alphaOf(p);
      }
      d.set(x, y, sa == 0 ? kTransparent
                          : px(int(sa / (n + 1)), int(sum[2] / sa), int(sum[1] / sa), int(sum[0] / sa)));
    }
  return d;
}

Image32 refMosaic(const Image32& s, const Rect& r, int size) {
  Image32 d = copyOf(s);
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      int bx = r.x + (x - r.x) / size * size, by = r.y + (y - r.y) / size * size;
      long long sum[3] = {0, 0, 0}, sa = 0;
      for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
          Pixel p = s.getPixelClamped(bx + i, by + j);
          for (int c = 0; c < 3; ++c) sum[c] += alphaOf(p) * ch(p, c);
          sa += alphaOf(p);
        }
      d.set(x, y, px(int(sa / (size * size)), sa ? int(sum[2] / sa) : 0, sa ? int(sum[1] / sa) : 0,
                     sa ? int(sum[0] / sa) : 0));
    }
  return d;
}

Image32 refMedian(const Image32& s, const Rect& r, int size, int use, bool onlyTransparent) {
  Image32 d = copyOf(s);
  int n = size * size, h = size / 2;
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      Pixel centre = s.at(x, y);
      if (onlyTransparent && alphaOf(centre)) continue;
      std::vector<Pixel> p;
      std::vector<int> key;
      for (int j = -h; j <= h; ++j)
        for (int i = -h; i <= h; ++i) {
          Pixel q = s.getPixelClamped(x + i, y + j);
          p.push_back(q);
          key.push_back(use == 2 && alphaOf(q) == 0 ? 0 : luma(q));
        }
      for (int m = 0; m <= n - 2; ++m) {   // the whole selection sort
        int best = m;
        for (int i = m + 1; i < n; ++i)
          if (key[size_t(i)] > key[size_t(best)]) best = i;
        std::swap(key[size_t(m)], key[size_t(best)]);
        std::swap(p[size_t(m)], p[size_t(best)]);
      }
      Pixel chosen = p[size_t(use == 0 ? n - 1 : (use == 1 ? n / 2 : 0))];
      d.set(x, y, alphaOf(chosen) ? chosen : centre);
    }
  return d;
}

Image32 real(FilterFunction f, const FilterValues& v, const Image32& s, const Rect& r) { return run(f, v, s, r); }

TEST(FilterReference, ConvolutionsMatch) {
  Image32 img = randomImage(37, 29, 11);
  for (const Rect& r : kRects) {
    for (int s : {1, 7, 20}) {
      int k[9] = {-s, -s, -s, -s, 8 * s + 100, -s, -s, -s, -s};
      EXPECT_EQ(firstDifference(real(filterSharpen, sliders(s), img, r), refConvolve(img, r, k, 100, 0, false), img.bounds()), "");
    }
    int lap[9] = {-1, -1, -1, -1, 8, -1, -1, -1, -1};
    EXPECT_EQ(firstDifference(real(filterLaplacian, {}, img, r), refConvolve(img, r, lap, 1, 255, false), img.bounds()), "");
    FilterValues emb = sliders(3);
    emb.list[0] = 2;
    int diag[9] = {-3, -3, 0, 0, 0, 0, 0, 3, 3};
    EXPECT_EQ(firstDifference(real(filterEmboss, emb, img, r), refConvolve(img, r, diag, 1, 128, true), img.bounds()), "");
    emb.list[0] = 0, emb.check[0] = 1, emb.check[1] = 1;
    int sunkenColour[9] = {0, 0, 0, 3, 1, -3, 0, 0, 0};
    EXPECT_EQ(firstDifference(real(filterEmboss, emb, img, r), refConvolve(img, r, sunkenColour, 1, 0, false), img.bounds()), "");
  }
}

TEST(FilterReference, BoxBlurMatches) {
  for (const Image32& img : {randomImage(37, 29, 12), faintImage(37, 29, 2)})
  for (const Rect& r : kRects)
    for (int rad : {1, 2, 5, 16})
      EXPECT_EQ(firstDifference(real(filterBlur, sliders(rad), img, r), refBox(img, r, rad), img.bounds()), "") << rad;
}

TEST(FilterReference, GaussianMatches) {
  for (const Image32& img : {randomImage(37, 29, 13), faintImage(37, 29, 3)})
  for (const Rect& r : kRects)
    for (int rad : {1, 2, 4})
      EXPECT_EQ(firstDifference(real(filterGaussianBlur, sliders(rad), img, r), refGauss(img, r, rad), img.bounds()), "")
          << rad;
}

TEST(FilterReference, MotionBlurMatches) {
  for (const Image32& img : {randomImage(37, 29, 14), faintImage(37, 29, 4)})
  for (const Rect& r : kRects)
    for (int angle : {45, -180, 0, 90, 133})
      for (int n : {1, 3, 9})
        EXPECT_EQ(firstDifference(real(filterMotionBlur, sliders(n, angle), img, r), refMotion(img, r, n, angle), img.bounds()),
                  "")
            << n << " " << angle;
}

TEST(FilterReference, MosaicMatches) {
  for (const Image32& img : {randomImage(37, 29, 15), faintImage(37, 29, 5)})
  for (const Rect& r : kRects)
    for (int size : {2, 3, 7, 40})
      EXPECT_EQ(firstDifference(real(filterMosaic, sliders(size), img, r), refMosaic(img, r, size), img.bounds()), "") << size;
}

TEST(FilterReference, MedianMatches) {
  Image32 img = randomImage(37, 29, 16, 3);
  for (const Rect& r : kRects)
    for (int range = 0; range < 3; ++range)
      for (int use = 0; use < 3; ++use)
        for (int only = 0; only < 2; ++only) {
          FilterValues v;
          v.list[0] = range, v.list[1] = use, v.check[0] = only;
          EXPECT_EQ(firstDifference(real(filterMedian, v, img, r), refMedian(img, r, 3 + 2 * range, use, only), img.bounds()),
                    "")
              << range << use << only;
        }
}

// Large enough to run on two threads: the same result as row-by-row calls.
TEST(FilterReference, ThreadsGiveTheSingleThreadedResult) {
  Image32 img = randomImage(300, 260, 17);
  struct Case {
    FilterFunction f;
    FilterValues v;
  } cases[] = {{filterBlur, sliders(3)}, {filterGaussianBlur, sliders(2)}, {filterMedian, {}},
               {filterSharpen, sliders(4)}, {filterMotionBlur, sliders(5, 30)}, {filterHsvAdjust, sliders(30, 20, -10)}};
  for (const Case& c : cases) {
    Image32 whole = real(c.f, c.v, img, img.bounds());
    Image32 rows = copyOf(img);
    for (int y = 0; y < img.height(); ++y) ASSERT_TRUE(c.f(c.v, {}, rows, img, {0, y, img.width(), 1}, nullptr));
    EXPECT_EQ(firstDifference(whole, rows, img.bounds()), "");
  }
}

}  // namespace
}  // namespace tessel
