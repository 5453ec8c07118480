#include <set>

#include "filter_test_util.h"

namespace tessel {
namespace {
using namespace tessel::testing;

// A 256 x 1 strip of greys 0..255, opaque.
Image32 greyRamp() {
  Image32 img;
  EXPECT_TRUE(img.create(256, 1));
  for (int i = 0; i < 256; ++i) img.set(i, 0, makePixel(255, i, i, i));
  return img;
}

Pixel one(FilterFunction f, const FilterValues& v, Pixel p, const FilterContext& c = {}) {
  Image32 img = filled(1, 1, p);
  return run(f, v, img, img.bounds(), c).at(0, 0);
}

TEST(ColourFilters, GammaOneHundredIsTheIdentity) {
  Image32 ramp = greyRamp();
  Image32 out = run(filterGamma, sliders(100), ramp, ramp.bounds());
  EXPECT_EQ(firstDifference(out, ramp, ramp.bounds()), "");
  // Gamma 2.00 brightens the middle: 255 * (128/255)^0.5 = 180.6.
  Image32 bright = run(filterGamma, sliders(200), ramp, ramp.bounds());
  EXPECT_EQ(bright.at(128, 0), 0xFFB4B4B4u);
  EXPECT_EQ(bright.at(0, 0), 0xFF000000u);
  EXPECT_EQ(bright.at(255, 0), 0xFFFFFFFFu);
}

TEST(ColourFilters, BrightnessContrastRoundTripsThroughYCrCb) {
  FilterValues zero = sliders(0, 0);
  EXPECT_EQ(one(filterBrightnessContrast, zero, 0xFFFFFFFFu), 0xFFFFFFFFu);
  EXPECT_EQ(one(filterBrightnessContrast, zero, 0xFF000000u), 0xFF000000u);
  // Pure red loses a step in the conversion (arithmetic shifts round down).
  EXPECT_EQ(one(filterBrightnessContrast, zero, 0x80FF0000u), 0x80FE0000u);
  EXPECT_EQ(one(filterBrightnessContrast, zero, 0xFF00C000u), 0xFF00C000u);   // green's weight 150 of 256
  // Brightness is added to Y without a clamp there; the channels clamp.
  EXPECT_EQ(one(filterBrightnessContrast, sliders(10, 0), 0xFFFF0000u), 0xFFFF0A09u);
  // Contrast 100 doubles the distance from 127.5 before the conversion.
  EXPECT_EQ(one(filterBrightnessContrast, sliders(0, 100), 0xFF606060u), 0xFF404040u);
  EXPECT_EQ(one(filterBrightnessContrast, sliders(0, 100), 0xFF404040u), 0xFF000000u);
}

TEST(ColourFilters, PosterizeLevels) {
  Image32 ramp = greyRamp();
  Image32 two = run(filterPosterize, sliders(2), ramp, ramp.bounds());
  for (int i = 0; i < 256; ++i) EXPECT_EQ(blueOf(two.at(i, 0)), i < 128 ? 0 : 255) << i;
  Image32 four = run(filterPosterize, sliders(4), ramp, ramp.bounds());
  const int expect[4] = {0, 85, 170, 255};
  for (int i = 0; i < 256; ++i) EXPECT_EQ(redOf(four.at(i, 0)), expect[i / 64]) << i;
  // Every level count yields exactly n levels, starting at 0 and rising with
  // the input; the top level is 255 up to the float rounding of 255 / (n - 1) * k.
  for (int n = 2; n <= 128; ++n) {
    Image32 out = run(filterPosterize, sliders(n), ramp, ramp.bounds());
    std::set<int> levels;
    for (int i = 0; i < 256; ++i) {
      levels.insert(redOf(out.at(i, 0)));
      if (i) {
        EXPECT_GE(redOf(out.at(i, 0)), redOf(out.at(i - 1, 0)));
      }
    }
    EXPECT_EQ(int(levels.size()), n);
    EXPECT_EQ(*levels.begin(), 0);
    EXPECT_GE(*levels.rbegin(), 254);
  }
}

TEST(ColourFilters, BinarizeAtThreshold) {
  EXPECT_EQ(one(filterBinarize, sliders(128), 0xFF808080u), 0xFFFFFFFFu);   // luma 128
  EXPECT_EQ(one(filterBinarize, sliders(128), 0xFF7F7F7Fu), 0xFF000000u);
  EXPECT_EQ(one(filterBinarize, sliders(128), 0x30FF0000u), 0x30000000u);   // red has luma 76
  EXPECT_EQ(one(filterBinarize, sliders(1), 0x00FFFFFFu), 0x00FFFFFFu);     // transparent stays
}

TEST(ColourFilters, InvertTwiceRestores) {
  Image32 img = randomImage(23, 17, 5);
  Image32 once = run(filterInvert, {}, img, img.bounds());
  Image32 twice = run(filterInvert, {}, once, once.bounds());
  EXPECT_EQ(firstDifference(twice, img, img.bounds()), "");
  EXPECT_EQ(one(filterInvert, {}, 0x7F102030u), 0x7FEFDFCFu);
  EXPECT_EQ(one(filterInvert, {}, kTransparent), kTransparent);
}

TEST(ColourFilters, DesaturateSepiaAndMap) {
  EXPECT_EQ(one(filterDesaturate, {}, 0xFFFF0000u), 0xFF4C4C4Cu);
  EXPECT_EQ(one(filterSepia, {}, 0xFFFF0000u), makePixel(255, 106, 76, 61));
  EXPECT_EQ(one(filterSepia, {}, 0xFFFFFFFFu), makePixel(255, 255, 255, 240));
  EXPECT_EQ(one(filterSepia, {}, 0xFF0A0A0Au), makePixel(255, 40, 10, 0));
  FilterContext c;
  c.foreground = 0x102030;
  c.background = 0xF0E0D0;
  EXPECT_EQ(one(filterMapForegroundBackground, {}, 0xFF000000u, c), 0xFF102030u);
  EXPECT_EQ(one(filterMapForegroundBackground, {}, 0x40FFFFFFu, c), 0x40F0E0D0u);
  // Luma 128: 0x10 + 0xE0 * 128 / 255 = 128, 0x20 + 0xC0 * 128 / 255 = 128, 0x30 + 0xA0 * 128 / 255 = 128.
  EXPECT_EQ(one(filterMapForegroundBackground, {}, 0xFF808080u, c), 0xFF808080u);
}

TEST(ColourFilters, RgbAndHsvAdjust) {
  EXPECT_EQ(one(filterRgbAdjust, sliders(10, -10, 255), 0xFFF80510u), 0xFFFF00FFu);
  EXPECT_EQ(one(filterHsvAdjust, sliders(0, 0, 0), 0xFFFF0000u), 0xFFFF0000u);
  EXPECT_EQ(one(filterHsvAdjust, sliders(120, 0, 0), 0xFFFF0000u), 0xFF00FF00u);
  EXPECT_EQ(one(filterHsvAdjust, sliders(-180, 0, 0), 0xFFFF0000u), 0xFF00FFFFu);
  EXPECT_EQ(one(filterHsvAdjust, sliders(0, -255, 0), 0xFFFF0000u), 0xFFFFFFFFu);
  EXPECT_EQ(one(filterHsvAdjust, sliders(0, 0, -255), 0xFFFF0000u), 0xFF000000u);
  // Grey has no hue: turning it changes nothing.
  EXPECT_EQ(one(filterHsvAdjust, sliders(90, 0, 0), 0xFF808080u), 0xFF808080u);
}

TEST(ColourFilters, LevelsTable) {
  Image32 ramp = greyRamp();
  Image32 out = run(filterLevels, sliders(50, 125, 200, 0, 255), ramp, ramp.bounds());
  EXPECT_EQ(blueOf(out.at(0, 0)), 0);
  EXPECT_EQ(blueOf(out.at(50, 0)), 0);
  EXPECT_EQ(blueOf(out.at(125, 0)), 127);   // middle halfway: linear
  EXPECT_EQ(blueOf(out.at(200, 0)), 255);
  EXPECT_EQ(blueOf(out.at(255, 0)), 255);
  Image32 narrowed = run(filterLevels, sliders(0, 128, 255, 100, 200), ramp, ramp.bounds());
  EXPECT_EQ(blueOf(narrowed.at(0, 0)), 100);
  EXPECT_EQ(blueOf(narrowed.at(255, 0)), 200);
  // An empty input range is a hard step, not a division by zero.
  Image32 step = run(filterLevels, sliders(90, 90, 90, 10, 240), ramp, ramp.bounds());
  EXPECT_EQ(blueOf(step.at(90, 0)), 10);
  EXPECT_EQ(blueOf(step.at(91, 0)), 240);
}

TEST(ColourFilters, ReduceColoursKeepsAtMostN) {
  Image32 img = randomImage(64, 48, 9);
  FilterValues v;
  v.list[0] = 3;   // 16 colours
  CountingProgress progress;
  Image32 out = copyOf(img);
  ASSERT_TRUE(filterReduceColours(v, {}, out, img, img.bounds(), &progress));
  EXPECT_EQ(progress.range, 3);
  EXPECT_EQ(progress.steps, 3);
  std::set<uint32_t> colours;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      EXPECT_EQ(alphaOf(out.at(x, y)), alphaOf(img.at(x, y)));
      if (alphaOf(img.at(x, y))) {
        colours.insert(out.at(x, y) & 0xFFFFFFu);
      } else {
        EXPECT_EQ(out.at(x, y), kTransparent);
      }
    }
  EXPECT_LE(colours.size(), 16u);
  EXPECT_GE(colours.size(), 8u);
}

TEST(ColourFilters, ReduceColoursLeavesFewColoursExact) {
  Image32 img = filled(20, 20, 0xFF123456u);
  img.fillRect(0, 0, 10, 10, 0xFFFEDCBAu);
  img.fillRect(10, 10, 5, 5, 0x80010203u);
  FilterValues v;
  v.list[0] = 0;   // 2 colours: three are present, so they merge
  Image32 two = run(filterReduceColours, v, img, img.bounds());
  std::set<uint32_t> colours;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) colours.insert(two.at(x, y) & 0xFFFFFFu);
  EXPECT_LE(colours.size(), 2u);
  v.list[0] = 1;   // 4 colours: nothing to do
  Image32 four = run(filterReduceColours, v, img, img.bounds());
  EXPECT_EQ(firstDifference(four, img, img.bounds()), "");
}

TEST(ColourFilters, ForegroundCommands) {
  FilterContext c;
  c.foreground = 0x112233;
  c.background = 0x445566;
  EXPECT_EQ(one(filterForegroundToTransparent, {}, 0x80112233u, c), kTransparent);
  EXPECT_EQ(one(filterForegroundToTransparent, {}, 0x80112234u, c), 0x80112234u);
  EXPECT_EQ(one(filterNonForegroundToTransparent, {}, 0x80112234u, c), kTransparent);
  EXPECT_EQ(one(filterNonForegroundToTransparent, {}, 0x80112233u, c), 0x80112233u);
  EXPECT_EQ(one(filterFillTransparentForeground, {}, kTransparent, c), 0xFF112233u);
  EXPECT_EQ(one(filterFillTransparentForeground, {}, 0x01000000u, c), 0x01000000u);
  EXPECT_EQ(one(filterForegroundToBackground, {}, 0x7F112233u, c), 0x7F445566u);
  FilterValues v = sliders(0x112233, 0xABCDEF);
  EXPECT_EQ(one(filterReplaceColour, v, 0x7F112233u), 0x7FABCDEFu);
  EXPECT_EQ(one(filterReplaceColour, v, 0x7F112230u), 0x7F112230u);
}

TEST(ColourFilters, AlphaCommands) {
  EXPECT_EQ(one(filterLightToTransparent, {}, 0xFFFFFFFFu), kTransparent);
  EXPECT_EQ(one(filterLightToTransparent, {}, 0xFF000000u), 0xFF000000u);
  EXPECT_EQ(one(filterDarkToTransparent, {}, 0xFF000000u), kTransparent);
  EXPECT_EQ(one(filterDarkToTransparent, {}, 0x10FF0000u), 0x4CFF0000u);
  EXPECT_EQ(one(filterGreyFromAlpha, {}, 0x80123456u), 0xFF808080u);
  EXPECT_EQ(one(filterGreyFromAlpha, {}, kTransparent), 0xFF000000u);
  // Remove transparency keeps the colour each pixel holds.
  EXPECT_EQ(one(filterRemoveTransparency, {}, kTransparent), 0xFFFFFFFFu);
  EXPECT_EQ(one(filterRemoveTransparency, {}, 0x40123456u), 0xFF123456u);
  EXPECT_EQ(one(filterLineArt, {}, 0xFFFFFFFFu), kTransparent);
  EXPECT_EQ(one(filterLineArt, {}, 0xFF000000u), 0xFF000000u);
  EXPECT_EQ(one(filterLineArt, {}, 0x20646464u), 0x9B000000u);
}

TEST(ColourFilters, ProgressStepsOncePerRow) {
  Image32 img = randomImage(300, 300, 3);   // large enough to split over threads
  Image32 out = copyOf(img);
  CountingProgress progress;
  ASSERT_TRUE(filterInvert({}, {}, out, img, {5, 7, 290, 280}, &progress));
  EXPECT_EQ(progress.range, 280);
  EXPECT_EQ(progress.steps, 280);
}

TEST(ColourFilters, MismatchedImagesAreRefused) {
  Image32 a = filled(4, 4, 0xFF000000u), b = filled(5, 4, 0xFF000000u);
  EXPECT_FALSE(filterInvert({}, {}, a, b, a.bounds(), nullptr));
  EXPECT_EQ(a.at(0, 0), 0xFF000000u);
  EXPECT_FALSE(filterInvert({}, {}, a, a, {10, 10, 3, 3}, nullptr));
}

}  // namespace
}  // namespace tessel
