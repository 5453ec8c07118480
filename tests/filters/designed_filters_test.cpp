// Invariants of the filters whose method is our own.
#include <set>

#include "filter_test_util.h"

namespace tessel {
namespace {
using namespace tessel::testing;

FilterContext seeded(std::mt19937& g) {
  FilterContext c;
  c.random = &g;
  return c;
}

TEST(DesignedFilters, CrystallizeUsesSeedColours) {
  Image32 img = randomImage(60, 40, 31);
  Rect r{5, 4, 50, 30};
  std::mt19937 g1(9), g2(9);
  Image32 a = run(filterCrystallize, sliders(10), img, r, seeded(g1));
  Image32 b = run(filterCrystallize, sliders(10), img, r, seeded(g2));
  EXPECT_EQ(firstDifference(a, b, img.bounds()), "");
  std::set<Pixel> inside, used;
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) inside.insert(img.at(x, y)), used.insert(a.at(x, y));
  for (Pixel p : used) EXPECT_TRUE(inside.count(p)) << std::hex << p;
  EXPECT_LE(used.size(), 5u * 3u);   // at most one colour per cell
  EXPECT_GE(used.size(), 3u);
  // Averages of a flat picture are the picture.
  Image32 flat = filled(30, 30, 0x80102030u);
  FilterValues v = sliders(7);
  v.check[0] = 1;
  EXPECT_EQ(firstDifference(run(filterCrystallize, v, flat, flat.bounds(), seeded(g1)), flat, flat.bounds()), "");
}

TEST(DesignedFilters, CrystallizeCellsAreConnectedRegions) {
  // Each colour of a picture of unique colours forms one cell around its seed:
  // its pixels lie within two cell sizes of each other.
  Image32 img;
  ASSERT_TRUE(img.create(40, 40));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) img.set(x, y, makePixel(255, x, y, 0));
  std::mt19937 g(4);
  Image32 out = run(filterCrystallize, sliders(8), img, img.bounds(), seeded(g));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      Pixel p = out.at(x, y);
      EXPECT_LE(std::abs(int(redOf(p)) - x), 16);
      EXPECT_LE(std::abs(int(greenOf(p)) - y), 16);
    }
}

TEST(DesignedFilters, HalftoneKeepsPaperInkAndTone) {
  for (Pixel p : {0xFFFFFFFFu, 0xFF000000u, 0x40FF00FFu}) {
    Image32 img = filled(20, 20, p);
    EXPECT_EQ(firstDifference(run(filterHalftone, sliders(4, 3, 15, 75, 0), img, img.bounds()), img, img.bounds()), "");
  }
  // A mid grey keeps its average tone in grey mode and turns into dots.
  Image32 grey = filled(64, 64, 0xFF808080u);
  FilterValues v = sliders(6, 2, 15, 75, 0);
  v.check[0] = 1;
  Image32 out = run(filterHalftone, v, grey, grey.bounds());
  long sum = 0;
  std::set<int> levels;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      Pixel q = out.at(x, y);
      EXPECT_EQ(redOf(q), blueOf(q));
      EXPECT_EQ(alphaOf(q), 255);
      sum += redOf(q), levels.insert(redOf(q));
    }
  EXPECT_NEAR(double(sum) / (64 * 64), 128.0, 20.0);
  EXPECT_TRUE(levels.count(0) && levels.count(255));
}

TEST(DesignedFilters, RandomDotsAmountLimits) {
  Image32 img = randomImage(30, 20, 32);
  std::mt19937 g(1);
  FilterContext c = seeded(g);
  c.foreground = 0x0000FF;
  EXPECT_EQ(firstDifference(run(filterRandomDots, sliders(3, 0, 2), img, img.bounds(), c), img, img.bounds()), "");
  Image32 all = run(filterRandomDots, sliders(1, 512, 1), img, img.bounds(), c);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) EXPECT_EQ(all.at(x, y), 0xFF0000FFu);
  FilterValues bw = sliders(1, 512, 1);
  bw.list[1] = 1;
  Image32 mixed = run(filterRandomDots, bw, img, img.bounds(), c);
  std::set<Pixel> seen;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) seen.insert(mixed.at(x, y));
  EXPECT_EQ(seen, (std::set<Pixel>{0xFF000000u, 0xFFFFFFFFu}));
}

TEST(DesignedFilters, ScratchesOnlyTouchOpaquePixels) {
  Image32 img = randomImage(80, 60, 33);
  std::mt19937 g1(2), g2(2);
  Image32 a = run(filterScratches, sliders(10, -45), img, img.bounds(), seeded(g1));
  Image32 b = run(filterScratches, sliders(10, -45), img, img.bounds(), seeded(g2));
  EXPECT_EQ(firstDifference(a, b, img.bounds()), "");
  int changed = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) {
      EXPECT_EQ(alphaOf(a.at(x, y)), alphaOf(img.at(x, y)));
      if (!alphaOf(img.at(x, y))) {
        EXPECT_EQ(a.at(x, y), kTransparent);
      }
      changed += a.at(x, y) != img.at(x, y);
    }
  EXPECT_GT(changed, 10);
}

TEST(DesignedFilters, GlowNeverDarkens) {
  Image32 black = filled(20, 20, 0xFF000000u);
  EXPECT_EQ(firstDifference(run(filterGlow, sliders(55, 5, 256), black, black.bounds()), black, black.bounds()), "");
  Image32 img = filled(21, 21, 0xFF202020u);
  img.set(10, 10, 0xFFFFFFFFu);
  img.set(0, 0, kTransparent);
  Image32 out = run(filterGlow, sliders(100, 3, 256), img, img.bounds());
  EXPECT_EQ(out.at(0, 0), kTransparent);
  // 255 spread over the 7 x 7 window is 5; screened over 0x20: 255 - 223 * 250 / 255.
  EXPECT_EQ(out.at(12, 10), 0xFF252525u);
  EXPECT_EQ(out.at(13, 13), 0xFF252525u);
  EXPECT_EQ(out.at(14, 10), 0xFF202020u);
  EXPECT_EQ(out.at(20, 20), 0xFF202020u);   // beyond the blur it does not
  Image32 rnd = randomImage(30, 30, 34);
  Image32 g = run(filterGlow, sliders(200, 4, 200), rnd, rnd.bounds());
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      for (int c = 0; c < 24; c += 8) EXPECT_GE((g.at(x, y) >> c) & 255, (rnd.at(x, y) >> c) & 255);
}

TEST(DesignedFilters, LineCorrectionRemovesCorners) {
  // A staircase drawn with L-shaped corners becomes a clean diagonal.
  Image32 img = filled(6, 6, kTransparent);
  const int path[][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 2}, {2, 2}, {2, 3}, {3, 3}};
  for (auto& p : path) img.set(p[0], p[1], 0xFF000000u);
  Image32 out = run(filterLineCorrection, {}, img, img.bounds());
  int ink = 0;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) ink += out.at(x, y) == 0xFF000000u;
  EXPECT_EQ(ink, 4);
  EXPECT_EQ(out.at(0, 0), 0xFF000000u);
  EXPECT_EQ(out.at(3, 3), 0xFF000000u);
  EXPECT_EQ(out.at(0, 1), kTransparent);
  // Straight lines and single corners of thick shapes stay.
  Image32 line = filled(8, 3, kTransparent);
  line.fillRect(0, 1, 8, 1, 0xFF000000u);
  EXPECT_EQ(firstDifference(run(filterLineCorrection, {}, line, line.bounds()), line, line.bounds()), "");
  Image32 block = filled(6, 6, 0xFFFFFFFFu);
  block.fillRect(1, 1, 3, 3, 0xFF000000u);
  EXPECT_EQ(firstDifference(run(filterLineCorrection, {}, block, block.bounds()), block, block.bounds()), "");
}

TEST(DesignedFilters, PolarBackgrounds) {
  Image32 img = randomImage(20, 20, 35, 0);
  FilterValues v;
  Image32 clear = run(filterPolar, v, img, img.bounds());
  EXPECT_EQ(clear.at(0, 0), kTransparent);
  EXPECT_EQ(clear.at(19, 19), kTransparent);
  EXPECT_NE(alphaOf(clear.at(10, 10)), 0);
  v.list[1] = 2;
  Image32 keep = run(filterPolar, v, img, img.bounds());
  EXPECT_EQ(keep.at(0, 0), img.at(0, 0));
  EXPECT_EQ(keep.at(19, 0), img.at(19, 0));
  // The centre of the polar picture is the top row; its corners the bottom row.
  Image32 bands = filled(20, 20, 0xFF0000FFu);
  bands.fillRect(0, 0, 20, 2, 0xFFFF0000u);
  v.list[1] = 1;
  Image32 edge = run(filterPolar, v, bands, bands.bounds());
  EXPECT_EQ(edge.at(10, 10), 0xFFFF0000u);
  EXPECT_EQ(edge.at(0, 0), 0xFF0000FFu);
  // Polar to rectangular: the top row comes from the centre.
  v.list[0] = 1;
  Image32 spot = filled(20, 20, 0xFF0000FFu);
  spot.fillRect(8, 8, 4, 4, 0xFFFF0000u);
  Image32 back = run(filterPolar, v, spot, spot.bounds());
  for (int x = 0; x < 20; ++x) EXPECT_EQ(back.at(x, 0), 0xFFFF0000u);
  EXPECT_EQ(back.at(5, 19), 0xFF0000FFu);
}

TEST(DesignedFilters, SpinAndZoomKeepTheCentre) {
  Image32 img = randomImage(41, 31, 36, 0);
  for (FilterFunction f : {filterRadialBlur, filterRadialZoom}) {
    Image32 out = run(f, sliders(20, 15, 40), img, img.bounds());
    EXPECT_EQ(out.at(20, 15), img.at(20, 15));
    EXPECT_NE(firstDifference(out, img, img.bounds()), "");
  }
}

TEST(DesignedFilters, LensBlurHighlightsWeighMore) {
  Image32 img = filled(15, 15, 0xFF000000u);
  img.set(7, 7, 0xFFFFFFFFu);
  Image32 plain = run(filterLensBlur, sliders(3, 0), img, img.bounds());
  Image32 bright = run(filterLensBlur, sliders(3, 30), img, img.bounds());
  EXPECT_GT(redOf(plain.at(7, 9)), 0);
  EXPECT_GT(redOf(bright.at(7, 9)), redOf(plain.at(7, 9)));
  EXPECT_EQ(plain.at(7, 12), 0xFF000000u);   // outside the disc
}

TEST(DesignedFilters, CloudsAreReproducibleAndInRange) {
  Image32 img = filled(200, 150, kTransparent);
  std::mt19937 g1(7), g2(7), g3(7);
  Image32 a = run(filterCloudsBlackWhite, {}, img, img.bounds(), seeded(g1));
  Image32 b = run(filterCloudsBlackWhite, {}, img, img.bounds(), seeded(g2));
  EXPECT_EQ(firstDifference(a, b, img.bounds()), "");
  int lo = 255, hi = 0;
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) {
      Pixel p = a.at(x, y);
      EXPECT_EQ(alphaOf(p), 255);
      EXPECT_EQ(p & 0xFFFFFFu, (p & 0xFFu) * 0x010101u);
      lo = std::min(lo, int(blueOf(p))), hi = std::max(hi, int(blueOf(p)));
    }
  EXPECT_GT(hi - lo, 100);
  // The difference with a black picture is the clouds themselves.
  Image32 black = filled(200, 150, 0xFF000000u);
  EXPECT_EQ(firstDifference(run(filterCloudsDifference, {}, black, black.bounds(), seeded(g3)), a, a.bounds()), "");
  FilterContext c = seeded(g1);
  c.foreground = 0x204060, c.background = 0x30A050;
  Image32 fb = run(filterCloudsForegroundBackground, {}, img, img.bounds(), c);
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) {
      Pixel p = fb.at(x, y);
      EXPECT_TRUE(redOf(p) >= 0x20 && redOf(p) <= 0x30 && greenOf(p) >= 0x40 && greenOf(p) <= 0xA0);
      EXPECT_TRUE(blueOf(p) >= 0x50 && blueOf(p) <= 0x60);
    }
  // The detailed command with its defaults draws the same as the quick one.
  FilterValues v = sliders(8, 60, 20);
  std::mt19937 g4(7);
  EXPECT_EQ(firstDifference(run(filterClouds, v, img, img.bounds(), seeded(g4)), a, a.bounds()), "");
}

}  // namespace
}  // namespace tessel
