// The bytes the Gaussian blur, median and oil paint wrote before they were
// made fast, kept as checksums: on patchwork pictures with flat areas, colours
// that share a luma, transparent and faint pixels, rectangles at the edges.
#include <cstdio>
#include <random>

#include "filter_test_util.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {
using namespace tessel::testing;

// 16 x 16 patches: noise, one flat colour, one colour with small blue and
// alpha changes (equal lumas, different pixels), or a ramp.
Image32 patchwork(int w, int h, uint32_t seed) {
  Image32 img = randomImage(w, h, seed, 4);
  std::mt19937 rng(seed * 7 + 1);
  for (int by = 0; by < h; by += 16)
    for (int bx = 0; bx < w; bx += 16) {
      int kind = int(rng() % 4);
      Pixel base = rng() | 0xFF000000u;
      for (int y = by; y < std::min(h, by + 16); ++y)
        for (int x = bx; x < std::min(w, bx + 16); ++x) {
          if (kind == 1) img.set(x, y, base);
          if (kind == 2) {
            uint32_t a = (rng() % 3 == 0) ? 0u : (rng() % 2 ? 255u : 128u);
            Pixel p = (base & 0xFFFFF8u) | (rng() % 8);
            img.set(x, y, a ? p | (a << 24) : kTransparent);
          }
          if (kind == 3) img.set(x, y, makePixel(255, uint32_t(x * 255 / w), uint32_t(y * 255 / h), 90));
        }
    }
  return img;
}

uint64_t checksum(const Image32& img) {
  uint64_t hash = 1469598103934665603ull;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) hash = (hash ^ img.at(x, y)) * 1099511628211ull;
  return hash;
}

struct Case {
  FilterFunction f;
  FilterValues v;
};

std::vector<Case> cases() {
  std::vector<Case> out;
  for (int r : {1, 3, 10, 30}) out.push_back({filterGaussianBlur, sliders(r)});
  for (int range = 0; range < 3; ++range)
    for (int use = 0; use < 3; ++use)
      for (int only = 0; only < 2; ++only) {
        FilterValues v;
        v.list[0] = range, v.list[1] = use, v.check[0] = only;
        out.push_back({filterMedian, v});
      }
  for (int a : {1, 2, 8}) out.push_back({filterOilPaint, sliders(a)});
  return out;
}

// One checksum per case over the pictures and rectangles below, in order.
uint64_t runAll(const Case& c) {
  Image32 big = patchwork(203, 157, 5), small = patchwork(21, 13, 6);
  const Rect bigRects[] = {{0, 0, 203, 157}, {0, 0, 70, 41}, {150, 120, 53, 37}, {40, 30, 99, 1}, {7, 9, 1, 80}};
  uint64_t hash = 0;
  for (const Rect& r : bigRects) hash = hash * 31 + checksum(run(c.f, c.v, big, r));
  hash = hash * 31 + checksum(run(c.f, c.v, small, small.bounds()));
  hash = hash * 31 + checksum(run(c.f, c.v, small, {3, 2, 15, 9}));
  return hash;
}

const uint64_t kPinned[] = {
    0x7dfdeec1dc518603ull,
    0x37ee743c1b50f28cull,
    0x04389334562d2850ull,
    0x911e3642897b223cull,
    0xaa195ba3184432b1ull,
    0xc93cae437eb12cfdull,
    0x8c74f32019d53352ull,
    0x86466e7c60850a7bull,
    0x4192c1b9fcae1cebull,
    0x6011d619477dcb05ull,
    0x3de72740e4fb778aull,
    0xb4746f850cba63e9ull,
    0xcd176ca3b9817527ull,
    0xe9ddfae35e229274ull,
    0x9bd3b9eeb7481275ull,
    0x72f6dcb626e31150ull,
    0x6588ae3c266fca9dull,
    0x69ad58d6bf6e002eull,
    0x7fdeff99e6a3f960ull,
    0xafc8c35cb60d52afull,
    0x30eb43a16a17ee29ull,
    0x23dfece58f5a5c8bull,
    0xfe56c95cd44f33c8ull,
    0xf232546a18154582ull,
    0x499a5d7819a09fdaull,
};

// Every build of the fast loops the processor can run gives the same bytes.
TEST(NeighbourhoodPins, TodaysBytes) {
  std::vector<Case> all = cases();
  for (FilterUnits units : {FilterUnits::Plain, FilterUnits::Avx2, FilterUnits::Avx512}) {
    limitFilterUnits(units);
    for (size_t i = 0; i < all.size(); ++i) {
      uint64_t got = runAll(all[i]);
      if (i >= std::size(kPinned)) {
        std::printf("    0x%016llxull,\n", (unsigned long long)got);
        ADD_FAILURE() << "no pin for case " << i;
        continue;
      }
      EXPECT_EQ(got, kPinned[i]) << "case " << i << " units " << int(units);
    }
  }
}

// Large enough for two threads: still one step per row, all from this thread.
TEST(NeighbourhoodPins, OneProgressStepPerRow) {
  Image32 img = patchwork(203, 157, 7);
  Rect r{5, 20, 190, 120};
  struct Expect {
    Case c;
    int range;
  } expects[] = {{{filterGaussianBlur, sliders(4)}, (r.h + 24) + r.h},   // the scratch rows reach 12 above and below
                 {{filterMedian, {}}, r.h},
                 {{filterOilPaint, sliders(3)}, r.h}};
  for (const Expect& e : expects) {
    Image32 dst = copyOf(img);
    CountingProgress progress;
    ASSERT_TRUE(e.c.f(e.c.v, {}, dst, img, r, &progress));
    EXPECT_EQ(progress.range, e.range);
    EXPECT_EQ(progress.steps, e.range);
  }
}

}  // namespace
}  // namespace tessel
