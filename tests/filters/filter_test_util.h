#pragma once
// Shared helpers of the filter tests: random pictures, running a filter and
// counting progress steps.
#include <gtest/gtest.h>

#include <random>

#include "filters/filter_functions.h"
#include "image/image32.h"
#include "image/progress.h"

namespace tessel::testing {

// Random pixels; about one in transparentEvery is fully transparent
// (stored as 0x00FFFFFF), some others partly transparent.
inline Image32 randomImage(int w, int h, uint32_t seed, int transparentEvery = 5) {
  Image32 img;
  EXPECT_TRUE(img.create(w, h));
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t v = rng();
      int kind = int(rng() % uint32_t(transparentEvery > 0 ? transparentEvery : 1));
      Pixel p = (v & 0xFFFFFFu) | 0xFF000000u;
      if (transparentEvery > 0 && kind == 0) p = kTransparent;
      else if (transparentEvery > 0 && kind == 1) p = (v & 0xFFFFFFu) | (uint32_t(1 + rng() % 254) << 24);
      img.set(x, y, p);
    }
  return img;
}

inline Image32 filled(int w, int h, Pixel p) {
  Image32 img;
  EXPECT_TRUE(img.create(w, h));
  img.fill(p);
  return img;
}

inline Image32 copyOf(const Image32& src) {
  Image32 img;
  EXPECT_TRUE(img.create(src.width(), src.height()));
  img.copyFrom(src);
  return img;
}

class CountingProgress : public Progress {
 public:
  void setRange(int steps) override { range = steps, ++ranges; }
  void step() override { ++steps; }
  int range = -1, ranges = 0, steps = 0;
};

// Runs f from a copy of src into a fresh copy of src; returns the result.
inline Image32 run(FilterFunction f, const FilterValues& v, const Image32& src, const Rect& rect,
                   const FilterContext& context = {}) {
  Image32 dst = copyOf(src);
  EXPECT_TRUE(f(v, context, dst, src, rect, nullptr));
  return dst;
}

inline FilterValues sliders(int a, int b = 0, int c = 0, int d = 0, int e = 0) {
  FilterValues v;
  v.slider[0] = a, v.slider[1] = b, v.slider[2] = c, v.slider[3] = d, v.slider[4] = e;
  return v;
}

// First differing pixel as text, or "" when the images agree inside rect.
inline std::string firstDifference(const Image32& a, const Image32& b, const Rect& rect) {
  for (int y = rect.y; y < rect.bottom(); ++y)
    for (int x = rect.x; x < rect.right(); ++x)
      if (a.at(x, y) != b.at(x, y)) {
        char buf[96];
        snprintf(buf, sizeof buf, "(%d,%d): %08X vs %08X", x, y, a.at(x, y), b.at(x, y));
        return buf;
      }
  return "";
}

}  // namespace tessel::testing
