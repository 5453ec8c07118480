// Edge cases of the block, displacement, pattern, frame and alpha filters.
#include <algorithm>

#include "document/layer_list.h"
#include "filter_test_util.h"

namespace tessel {
namespace {
using namespace tessel::testing;

TEST(DisplacementFilters, OffsetWrapsInsideTheRectangle) {
  Image32 img = randomImage(20, 16, 21);
  Rect r{3, 2, 10, 9};
  EXPECT_EQ(firstDifference(run(filterOffset, sliders(0, 0), img, r), img, img.bounds()), "");
  Image32 one = run(filterOffset, sliders(1, 0), img, r);
  for (int y = r.y; y < r.bottom(); ++y) {
    EXPECT_EQ(one.at(r.x, y), img.at(r.right() - 1, y));
    for (int x = r.x + 1; x < r.right(); ++x) EXPECT_EQ(one.at(x, y), img.at(x - 1, y));
  }
  Image32 down = run(filterOffset, sliders(0, 2), img, r);
  EXPECT_EQ(down.at(r.x, r.y), img.at(r.x, r.bottom() - 2));
  EXPECT_EQ(down.at(r.x, r.y + 2), img.at(r.x, r.y));
}

TEST(DisplacementFilters, NoiseIsReproducibleAndSparesTransparency) {
  Image32 img = randomImage(30, 20, 22);
  std::mt19937 a(5), b(5);
  FilterContext ca, cb;
  ca.random = &a, cb.random = &b;
  FilterValues v = sliders(40);
  v.check[0] = 1;
  Image32 first = run(filterNoise, v, img, img.bounds(), ca), second = run(filterNoise, v, img, img.bounds(), cb);
  EXPECT_EQ(firstDifference(first, second, img.bounds()), "");
  bool changed = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      Pixel s = img.at(x, y), d = first.at(x, y);
      EXPECT_EQ(alphaOf(s), alphaOf(d));
      if (!alphaOf(s)) {
        EXPECT_EQ(d, s);
      }
      for (int c = 0; c < 24; c += 8) EXPECT_LE(std::abs(int((s >> c) & 255) - int((d >> c) & 255)), 40);
      changed |= s != d;
    }
  EXPECT_TRUE(changed);
  // Amount 0 draws n = r mod 1 = 0.
  EXPECT_EQ(firstDifference(run(filterNoise, sliders(0), img, img.bounds(), ca), img, img.bounds()), "");
  // Grey noise moves all three channels together.
  Image32 grey = filled(4, 4, 0xFF808080u);
  Image32 out = run(filterNoise, sliders(50), grey, grey.bounds(), ca);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(out.at(x, 0) & 0xFFFFFFu, (out.at(x, 0) & 0xFFu) * 0x010101u);
}

TEST(DisplacementFilters, DiffuseStaysInRange) {
  Image32 img = randomImage(30, 20, 23);
  std::mt19937 g(1);
  FilterContext c;
  c.random = &g;
  EXPECT_EQ(firstDifference(run(filterDiffuse, sliders(1), img, img.bounds(), c), img, img.bounds()), "");
  // Every pixel comes from within range / 2 of itself.
  Image32 out = run(filterDiffuse, sliders(4), img, img.bounds(), c);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      bool found = false;
      for (int j = -2; j <= 1 && !found; ++j)
        for (int i = -2; i <= 1 && !found; ++i) found = out.at(x, y) == img.getPixelClamped(x + i, y + j);
      EXPECT_TRUE(found) << x << "," << y;
    }
}

TEST(DisplacementFilters, RgbShiftTakesRedAndBlueFromNeighbours) {
  Image32 img = randomImage(12, 10, 24, 0);
  FilterValues v = sliders(2);
  v.list[0] = 2;   // diagonal
  Image32 out = run(filterRgbShift, v, img, img.bounds());
  Pixel p = out.at(5, 4);
  EXPECT_EQ(greenOf(p), greenOf(img.at(5, 4)));
  EXPECT_EQ(alphaOf(p), alphaOf(img.at(5, 4)));
  EXPECT_EQ(redOf(p), redOf(img.at(7, 6)));
  EXPECT_EQ(blueOf(p), blueOf(img.at(3, 6)));
  v.list[0] = 0;
  Pixel e = run(filterRgbShift, v, img, img.bounds()).at(11, 0);
  EXPECT_EQ(redOf(e), redOf(img.at(11, 0)));   // clamped at the right edge
  EXPECT_EQ(blueOf(e), blueOf(img.at(9, 0)));
}

TEST(NeighbourhoodFilters, TransparentNeighbourhoods) {
  Image32 img = filled(9, 9, kTransparent);
  img.set(8, 8, 0xFF102030u);
  Rect r{0, 0, 4, 4};
  for (FilterFunction f : {filterBlur, filterSharpen, filterLaplacian, filterGaussianBlur, filterMotionBlur}) {
    Image32 out = run(f, sliders(1), img, r);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(out.at(x, y), kTransparent);
  }
  // Sobel clears every transparent pixel even next to opaque ones.
  Image32 sob = run(filterSobel, {}, img, img.bounds());
  EXPECT_EQ(sob.at(7, 8), kTransparent);
  EXPECT_EQ(alphaOf(sob.at(8, 8)), 255);
}

TEST(NeighbourhoodFilters, SobelOfAStep) {
  Image32 img = filled(6, 5, 0xFF000000u);
  img.fillRect(3, 0, 3, 5, 0xFF0A0A0Au);
  Image32 out = run(filterSobel, {}, img, img.bounds());
  EXPECT_EQ(out.at(0, 2), 0xFF000000u);
  EXPECT_EQ(out.at(2, 2), 0xFF282828u);   // Gx = 4 * 10
  EXPECT_EQ(out.at(3, 2), 0xFF282828u);
  EXPECT_EQ(out.at(5, 2), 0xFF000000u);
}

TEST(NeighbourhoodFilters, MedianMaximumIgnoresTransparentNeighbours) {
  Image32 img = filled(3, 3, 0xFF202020u);
  img.set(0, 0, kTransparent);   // stored white: luma 255 but key 0
  img.set(2, 2, 0xFF909090u);
  FilterValues v;
  v.list[1] = 2;
  EXPECT_EQ(run(filterMedian, v, img, img.bounds()).at(1, 1), 0xFF909090u);
  v.list[1] = 0;   // minimum
  EXPECT_EQ(run(filterMedian, v, img, img.bounds()).at(1, 1), 0xFF202020u);
  // Only the transparent part: opaque pixels are copied.
  v.list[1] = 1, v.check[0] = 1;
  Image32 out = run(filterMedian, v, img, img.bounds());
  EXPECT_EQ(out.at(2, 2), 0xFF909090u);
  EXPECT_EQ(out.at(0, 0), 0xFF202020u);
}

TEST(NeighbourhoodFilters, UniformPicturesStayUniform) {
  Image32 img = filled(12, 10, 0x80345678u);
  for (FilterFunction f : {filterBlur, filterLensShake, filterOilPaint, filterMosaic, filterLensBlur, filterMedian})
    EXPECT_EQ(firstDifference(run(f, sliders(2, 3, 4), img, img.bounds()), img, img.bounds()), "");
  // Floating-point weights and the bilinear sampler's truncating divisions
  // (two in a row) may lose up to two steps, never more.
  for (FilterFunction f : {filterGaussianBlur, filterUnsharpMask, filterMotionBlur, filterWave, filterRadialBlur,
                           filterRadialZoom}) {
    Image32 out = run(f, sliders(2, 3, 4), img, img.bounds());
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x)
        for (int c = 0; c < 32; c += 8)
          EXPECT_LE(std::abs(int((out.at(x, y) >> c) & 255) - int((img.at(x, y) >> c) & 255)), 2);
  }
}

TEST(NeighbourhoodFilters, OilPaintTakesTheSmoothestQuarter) {
  Image32 img = filled(9, 9, 0xFF000000u);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x)
      if ((x + y) % 2 && x < 5) img.set(x, y, 0xFFFFFFFFu);   // noisy left part
  Image32 out = run(filterOilPaint, sliders(2), img, img.bounds());
  EXPECT_EQ(out.at(5, 4), 0xFF000000u);   // right-hand quarters are flat black
}

TEST(NeighbourhoodFilters, UnsharpMaskOfAnEdge) {
  Image32 img = filled(8, 1, 0xFF404040u);
  img.fillRect(4, 0, 4, 1, 0xFFC0C0C0u);
  img.set(0, 0, 0x00FFFFFFu);
  Image32 out = run(filterUnsharpMask, sliders(1, 100), img, img.bounds());
  EXPECT_EQ(out.at(0, 0), kTransparent);
  EXPECT_LT(redOf(out.at(3, 0)), 0x40);   // darker before the edge
  EXPECT_GT(redOf(out.at(4, 0)), 0xC0);   // lighter after it
  EXPECT_EQ(alphaOf(out.at(3, 0)), 255);
  // Amount 100 adds the whole difference from the blurred picture: 2c - blurred.
  Image32 blurred = run(filterGaussianBlur, sliders(1), img, img.bounds());
  for (int x = 1; x < 8; ++x)
    EXPECT_EQ(int(redOf(out.at(x, 0))), std::clamp(2 * int(redOf(img.at(x, 0))) - int(redOf(blurred.at(x, 0))), 0, 255))
        << x;
}

TEST(PatternFilters, GridColoursTheFirstCell) {
  Image32 img = filled(40, 30, 0xFF123456u);
  FilterValues v = sliders(8, 3);
  v.check[0] = 1;   // square: the height follows the width
  v.list[0] = 1;    // black
  Rect r{2, 1, 30, 25};
  Image32 out = run(filterGrid, v, img, r);
  EXPECT_EQ(out.at(2, 1), 0xFF000000u);
  EXPECT_EQ(out.at(9, 8), 0xFF000000u);
  EXPECT_EQ(out.at(10, 1), 0xFF123456u);
  EXPECT_EQ(out.at(2, 9), 0xFF123456u);
  EXPECT_EQ(out.at(10, 9), 0xFF000000u);
  EXPECT_EQ(out.at(1, 1), 0xFF123456u);
}

TEST(PatternFilters, LinesWithEqualSpacing) {
  Image32 img = filled(10, 30, kTransparent);
  std::mt19937 g(3);
  FilterContext c;
  c.random = &g;
  c.foreground = 0x00FF00;
  FilterValues v = sliders(1, 1, 5, 5);
  v.check[0] = 1;
  Rect r{0, 2, 10, 28};
  Image32 out = run(filterLines, v, img, r, c);
  // First line 5 rows below the top, then every 1 + 5 rows.
  for (int y = 0; y < 30; ++y) {
    bool line = y >= 2 && (y - 2) % 6 == 5;
    EXPECT_EQ(out.at(4, y), line ? 0xFF00FF00u : kTransparent) << y;
  }
  // Vertical lines of width 2 to 3, spacing 1 to 4.
  v = sliders(2, 3, 1, 4);
  v.check[1] = 1, v.list[0] = 2;
  Image32 vert = run(filterLines, v, img, img.bounds(), c);
  int run = 0, maxRun = 0;
  for (int x = 0; x < 10; ++x) {
    for (int y = 1; y < 30; ++y) EXPECT_EQ(vert.at(x, y), vert.at(x, 0));
    run = vert.at(x, 0) == kOpaqueWhite ? run + 1 : 0;
    maxRun = std::max(maxRun, run);
  }
  EXPECT_GE(maxRun, 2);
}

TEST(PatternFilters, DotsPattern) {
  Image32 img = filled(9, 5, kTransparent);
  FilterValues v = sliders(1, 2);
  v.list[0] = 1;
  Image32 out = run(filterDots, v, img, img.bounds());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) {
      bool dot = y % 2 == 0 && (y % 4 == 0 ? x % 4 == 0 : x % 4 == 2);
      EXPECT_EQ(out.at(x, y), dot ? 0xFF000000u : kTransparent) << x << "," << y;
    }
}

TEST(PatternFilters, BorderRings) {
  Image32 img = filled(7, 6, kTransparent);
  FilterContext c;
  c.foreground = 0x102030;
  c.brushAlpha = 100;
  Image32 out = run(filterBorder, sliders(2), img, {1, 1, 6, 5}, c);
  EXPECT_EQ(out.at(1, 1), 0x64102030u);
  EXPECT_EQ(out.at(6, 5), 0x64102030u);
  EXPECT_EQ(out.at(2, 2), 0x64102030u);
  EXPECT_EQ(out.at(3, 3), kTransparent);
  EXPECT_EQ(out.at(0, 0), kTransparent);
  // More rings than fit fill the rectangle and stop.
  Image32 full = run(filterBorder, sliders(50), img, img.bounds(), c);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(full.at(x, y), 0x64102030u);
}

TEST(PatternFilters, Border3dValues) {
  Image32 img = filled(10, 10, 0xFF646464u);
  img.set(5, 0, kTransparent);
  Image32 out = run(filterBorder3d, sliders(1), img, img.bounds());
  EXPECT_EQ(out.at(0, 0), 0xFFB7B7B7u);   // 100 + 83
  EXPECT_EQ(out.at(9, 0), 0xFFB7B7B7u);
  EXPECT_EQ(out.at(4, 9), 0xFF111111u);   // 100 - 83
  EXPECT_EQ(out.at(0, 9), 0xFFA4A4A4u);   // left column 100 + 64
  EXPECT_EQ(out.at(9, 9), 0xFF242424u);   // right column 100 - 64
  EXPECT_EQ(out.at(5, 0), kTransparent);
  EXPECT_EQ(out.at(5, 5), 0xFF646464u);
  FilterValues v = sliders(3);
  v.check[0] = 1, v.check[1] = 1;   // sunken, smooth: 135, 90, 45 darker at the top
  Image32 smooth = run(filterBorder3d, v, img, img.bounds());
  EXPECT_EQ(smooth.at(4, 0), 0xFF000000u);
  EXPECT_EQ(smooth.at(4, 1), 0xFF0A0A0Au);
  EXPECT_EQ(smooth.at(4, 2), 0xFF373737u);
  EXPECT_EQ(smooth.at(4, 3), 0xFF646464u);
}

TEST(AlphaFilters, SetAlphaOperations) {
  LayerList layers;
  Layer* top = layers.add(3, 1, true);
  Layer* ref = layers.add(3, 1, true);   // now on top: index 0
  ASSERT_TRUE(top && ref);
  ref->image().set(0, 0, 0x80FFFFFFu);
  ref->image().set(1, 0, kTransparent);
  ref->image().set(2, 0, 0xFF000000u);
  top->image().set(0, 0, 0xC0102030u);
  top->image().set(1, 0, 0x40102030u);
  top->image().set(2, 0, 0x20102030u);
  Image32 src = copyOf(top->image());
  FilterContext c;
  c.layers = &layers;
  c.currentLayer = 1;
  auto apply = [&](int op) {
    FilterValues v;
    v.list[0] = 0, v.list[1] = op;
    return run(filterSetAlpha, v, src, src.bounds(), c);
  };
  EXPECT_EQ(apply(0).at(1, 0), kTransparent);
  EXPECT_EQ(apply(0).at(0, 0), 0xC0102030u);
  EXPECT_EQ(apply(1).at(0, 0), kTransparent);
  EXPECT_EQ(apply(1).at(1, 0), 0x40102030u);
  EXPECT_EQ(apply(2).at(0, 0), 0x80102030u);
  EXPECT_EQ(apply(3).at(0, 0), 0xFF102030u);
  EXPECT_EQ(apply(4).at(0, 0), 0x40102030u);
  EXPECT_EQ(apply(4).at(2, 0), kTransparent);
  EXPECT_EQ(apply(5).at(0, 0), 0x60102030u);   // 192 * 128 / 255
  EXPECT_EQ(apply(5).at(2, 0), 0x20102030u);   // 32 * 255 / 255
  EXPECT_EQ(apply(6).at(0, 0), 0xFF102030u);   // reference luma 255
  EXPECT_EQ(apply(7).at(2, 0), 0xFF102030u);
  // The layer itself as reference with "copy its alpha" changes nothing.
  FilterValues self;
  self.list[0] = 1, self.list[1] = 2;
  EXPECT_EQ(firstDifference(run(filterSetAlpha, self, src, src.bounds(), c), src, src.bounds()), "");
  // A layer index that does not exist is refused.
  Image32 out = copyOf(src);
  FilterValues missing;
  missing.list[0] = 7;
  EXPECT_FALSE(filterSetAlpha(missing, c, out, src, src.bounds(), nullptr));
}

TEST(AlphaFilters, OutlineOpaqueParts) {
  Image32 img = filled(7, 7, kTransparent);
  img.fillRect(2, 2, 3, 3, 0xFF0000FFu);
  FilterContext c;
  c.foreground = 0x00FF00;
  FilterValues v = sliders(1);
  Image32 out = run(filterOutlineOutside, v, img, img.bounds(), c);
  EXPECT_EQ(out.at(1, 3), 0xFF00FF00u);
  EXPECT_EQ(out.at(3, 5), 0xFF00FF00u);
  EXPECT_EQ(out.at(1, 1), kTransparent);   // diagonal only: no seed
  EXPECT_EQ(out.at(3, 3), 0xFF0000FFu);
  Image32 in = run(filterOutlineInside, v, img, img.bounds(), c);
  EXPECT_EQ(in.at(2, 2), 0xFF00FF00u);
  EXPECT_EQ(in.at(4, 3), 0xFF00FF00u);
  EXPECT_EQ(in.at(3, 3), 0xFF0000FFu);     // the centre touches no transparency
  EXPECT_EQ(in.at(1, 3), kTransparent);
  // A block filling the rectangle has no inside edge: its border counts as opaque.
  Image32 none = run(filterOutlineInside, v, img, {2, 2, 3, 3}, c);
  EXPECT_EQ(firstDifference(none, img, img.bounds()), "");
}

TEST(AlphaFilters, OutlineGrowsAndCutsOut) {
  Image32 img = filled(7, 7, kTransparent);
  img.set(3, 3, 0xFF0000FFu);
  FilterValues v = sliders(2);
  v.list[0] = 1;   // black
  Image32 out = run(filterOutline, v, img, img.bounds());
  EXPECT_EQ(out.at(3, 3), 0xFF0000FFu);   // the picture lies on its outline
  EXPECT_EQ(out.at(3, 2), 0xFF000000u);
  EXPECT_EQ(out.at(3, 1), 0xFF000000u);   // second pass
  EXPECT_EQ(out.at(2, 2), 0xFF000000u);
  EXPECT_EQ(out.at(3, 0), kTransparent);
  v.check[0] = 1;
  Image32 cut = run(filterOutline, v, img, img.bounds());
  EXPECT_EQ(cut.at(3, 3), kTransparent);
  EXPECT_EQ(cut.at(3, 2), 0xFF000000u);
}

TEST(AlphaFilters, AntiAliasSoftensAStep) {
  Image32 img = filled(8, 8, 0xFFFFFFFFu);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x <= y; ++x) img.set(x, y, 0xFF000000u);   // a diagonal staircase
  Image32 out = run(filterAntiAlias, sliders(200), img, img.bounds());
  EXPECT_NE(out.at(4, 3), 0xFFFFFFFFu);   // white beside the step takes some black
  EXPECT_EQ(out.at(7, 0), 0xFFFFFFFFu);   // far from it nothing moves
  EXPECT_EQ(out.at(0, 7), 0xFF000000u);
  Image32 flat = filled(8, 8, 0xFF336699u);
  EXPECT_EQ(firstDifference(run(filterAntiAlias, sliders(255), flat, flat.bounds()), flat, flat.bounds()), "");
}

}  // namespace
}  // namespace tessel
