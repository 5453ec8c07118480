#include "document/compositors.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "document/display_wide.h"
#include "document/layer_list.h"

namespace tessel {
namespace {

Image32 filled(int w, int h, Pixel p) {
  Image32 image;
  EXPECT_TRUE(image.create(w, h));
  image.fill(p);
  return image;
}

// One pixel through the fast display compositor, once alone (the per-pixel
// path) and once in a row of seven (packed lanes plus the leftover pixels).
Pixel displayed(Pixel s, Pixel d, int mode, int opacity) {
  BlendTable table;
  Image32 one = filled(1, 1, d), oneLayer = filled(1, 1, s);
  compositeDisplayLayer(one, oneLayer, mode, opacity, one.bounds(), table);
  Image32 row = filled(7, 1, d), rowLayer = filled(7, 1, s);
  compositeDisplayLayer(row, rowLayer, mode, opacity, row.bounds(), table);
  for (int x = 0; x < 7; ++x) EXPECT_EQ(row.at(x, 0), one.at(0, 0)) << "mode " << mode << " x " << x;
  return one.at(0, 0);
}

Pixel opaque(Pixel s, Pixel d, int mode, int opacity) {
  BlendTable table;
  Image32 dst = filled(1, 1, d), src = filled(1, 1, s);
  compositeOpaque(dst, src, mode, opacity, table);
  return dst.at(0, 0);
}

Pixel alphaAware(Pixel s, Pixel d, int opU, int modeU, int opL, int modeL) {
  Image32 dst = filled(1, 1, d), src = filled(1, 1, s);
  compositeAlphaAware(dst, src, opU, modeU, opL, modeL);
  return dst.at(0, 0);
}

TEST(DisplayCompositor, HandValuesAtOpacity64) {
  // s = C0 80 40 20, d = FF 60 A0 E0, k = (64 * 0xC0) >> 7 = 96.
  const Pixel s = 0xC0804020, d = 0xFF60A0E0;
  // Normal: E0 + (-192 * 96 >> 8) = 0x98; A0 - 36 = 0x7C; 60 + 12 = 0x6C;
  // alpha FF + (-63 * 96 >> 8) = FF - 24 (rounded towards minus infinity) = 0xE7.
  EXPECT_EQ(displayed(s, d, kBlendNormal, 64), 0xE76C7C98u);
  // Multiply: blue B = (0x20 * 0xE0) >> 8 = 28, E0 + ((28 - 224) * 96 >> 8) = 224 - 74 = 0x96.
  EXPECT_EQ(displayed(s, d, kBlendMultiply, 64), 0xE74E7396u);
  // Add: blue E0 + (0x20 * 96 >> 8) = 0xEC; alpha capped at FF.
  EXPECT_EQ(displayed(s, d, kBlendAdd, 64), 0xFF90B8ECu);
  // Subtract: blue E0 - 12 = 0xD4; red 60 - 48 = 0x30; alpha FF - 72 = 0xB7.
  EXPECT_EQ(displayed(s, d, kBlendSubtract, 64), 0xB73088D4u);
}

TEST(DisplayCompositor, OpaqueWhiteOverBlackGives254) {
  EXPECT_EQ(displayed(0xFFFFFFFF, 0xFF000000, kBlendNormal, 128), 0xFFFEFEFEu);
  EXPECT_EQ(opaque(0xFFFFFFFF, 0xFF000000, kBlendNormal, 128), 0xFFFFFFFFu);
}

TEST(DisplayCompositor, TableModeBlendsColourBytesAndKeepsAlpha) {
  // Screen of 0x80 over 0x40: 64 + 128 - 8192 div 255 = 160; k = 255: 64 + (96 * 255 >> 8) = 159.
  EXPECT_EQ(displayed(0xFF808080, 0x20404040, kBlendScreen, 128), 0x209F9F9Fu);
  // Difference with k = 96: |0x10 - 0xF0| = 224, 240 + ((224 - 240) * 96 >> 8) = 234.
  EXPECT_EQ(displayed(0xC0101010, 0xFFF0F0F0, kBlendDifference, 64), 0xFFEAEAEAu);
}

TEST(DisplayCompositor, HclModeDividesTruncatingAndKeepsAlpha) {
  // Colour of grey over (0x20, 0x40, 0xC0) is grey 0x44; k = 96:
  // red 0x20 + (36 * 96) div 255 = 32 + 13; green 64 + 4 * 96 div 255 = 65;
  // blue 192 + (-124 * 96) div 255 = 192 - 46 (towards zero).
  EXPECT_EQ(displayed(0xC0808080, 0x7F2040C0, kBlendColour, 64), 0x7F2D4192u);
}

TEST(DisplayCompositor, TransparentHuePixelLeavesComposite) {
  for (int mode = kBlendHue; mode <= kBlendLuminosity; ++mode) {
    EXPECT_EQ(displayed(0x00FF0000, 0xFF2040C0, mode, 128), 0xFF2040C0u);
    EXPECT_EQ(opaque(0x00FF0000, 0xFF2040C0, mode, 128), 0xFF2040C0u);
  }
}

TEST(OpaqueCompositor, DividesBy255AndKeepsDestinationAlpha) {
  // k = 96. Add: 0xE0 + (0x20 * 96) div 255 = 224 + 12; green 160 + 24; red 96 + 48.
  EXPECT_EQ(opaque(0xC0804020, 0x1060A0E0, kBlendAdd, 64), 0x1090B8ECu);
  EXPECT_EQ(opaque(0xC0804020, 0x1060A0E0, kBlendSubtract, 64), 0x103088D4u);
  // Normal: blue 224 + (-192 * 96) div 255 = 224 - 72; red 96 + 3072 div 255 = 108.
  EXPECT_EQ(opaque(0xC0804020, 0x1060A0E0, kBlendNormal, 64), 0x106C7C98u);
  // Multiply through the table: B = 0x20 * 0xE0 div 255 = 28; 224 + (-196 * 96) div 255 = 151.
  EXPECT_EQ(blueOf(opaque(0xC0804020, 0x1060A0E0, kBlendMultiply, 64)), 151);
  EXPECT_EQ(opaque(0xFF808080, 0xFF404040, kBlendSubtract, 128), 0xFF000000u);
}

TEST(AlphaAwareCompositor, TwoTransparentPixelsGiveTransparentWhite) {
  EXPECT_EQ(alphaAware(0x00000000, 0x00000000, 128, kBlendNormal, 128, kBlendNormal), kTransparent);
  EXPECT_EQ(alphaAware(0x00123456, 0x00654321, 128, kBlendScreen, 128, kBlendNormal), kTransparent);
  // Opacity 0 hides even an opaque pixel.
  EXPECT_EQ(alphaAware(0xFF123456, 0x00654321, 0, kBlendNormal, 128, kBlendNormal), kTransparent);
}

TEST(AlphaAwareCompositor, SameModeOnBothLayersBlendsAsNormal) {
  const Pixel s = 0xFF804020, d = 0xFF406080;
  EXPECT_EQ(alphaAware(s, d, 128, kBlendScreen, 128, kBlendScreen), s);
  EXPECT_EQ(alphaAware(s, d, 128, kBlendNormal, 128, kBlendMultiply), s);
  // Screen over a Normal layer does screen: red 0x80 + 0x40 - 0x80 * 0x40 / 255 = 159.9,
  // green 0x40 + 0x60 - 24.1 = 135.9, blue 0x20 + 0x80 - 16.1 = 143.9.
  EXPECT_EQ(alphaAware(s, d, 128, kBlendScreen, 128, kBlendNormal), 0xFFA08890u);
}

TEST(AlphaAwareCompositor, HandValues) {
  // aU = 64/255, aL = 128/255, ao = 0.6259: alpha 160; blue (aU * 10 + (1 - aU) * aL * 200) / ao = 124.
  EXPECT_EQ(alphaAware(0x40FA140A, 0x800064C8, 128, kBlendNormal, 128, kBlendNormal), 0xA064447Cu);
  EXPECT_EQ(alphaAware(0xFF646464, 0xFF646464, 128, kBlendAdd, 128, kBlendNormal), 0xFFC8C8C8u);
  EXPECT_EQ(alphaAware(0xFF646464, 0xFF646464, 128, kBlendSubtract, 128, kBlendNormal), 0xFF000000u);
  // Multiply, both opaque: 0x40 * 0x80 / 255 = 32.1.
  EXPECT_EQ(alphaAware(0xFF808080, 0xFF404040, 128, kBlendMultiply, 128, kBlendNormal), 0xFF202020u);
  // Over a target that starts as 0x00000000, a Normal layer keeps its own pixel.
  EXPECT_EQ(alphaAware(0x80336699, 0x00000000, 128, kBlendNormal, 128, kBlendNormal), 0x80336699u);
}

// A transparent upper pixel leaves the lower one at its coverage, and an
// opaque Normal one replaces it, for every lower alpha and both opacities.
TEST(AlphaAwareCompositor, TransparentAndOpaqueUpperPixelsForEveryLowerAlpha) {
  const Pixel colours[] = {0x000000, 0xFFFFFF, 0x01FE80, 0x7F3A5C};
  for (int opL : {128, 77})
    for (int alpha = 0; alpha < 256; ++alpha)
      for (Pixel c : colours) {
        const Pixel d = c | Pixel(alpha) << 24;
        const int kL = (opL * alpha) >> 7;
        const Pixel kept = kL == 0 ? kTransparent : c | Pixel(kL) << 24;
        for (int mode : {kBlendNormal, kBlendMultiply, kBlendScreen, kBlendHue, kBlendLuminosity})
          ASSERT_EQ(alphaAware(0x00123456, d, 128, mode, opL, kBlendNormal), kept) << alpha << " " << mode;
        ASSERT_EQ(alphaAware(0xFF123456, d, 0, kBlendScreen, opL, kBlendNormal), kept) << alpha;
        ASSERT_EQ(alphaAware(0xFF123456, d, 128, kBlendNormal, opL, kBlendNormal), 0xFF123456u) << alpha;
        ASSERT_EQ(alphaAware(0xFF000000 | c, d, 128, kBlendScreen, opL, kBlendScreen), 0xFF000000 | c);
      }
}

TEST(OverCompositor, HandValues) {
  Image32 dst = filled(2, 1, 0x80000000), src = filled(2, 1, 0x80FFFFFF);
  src.set(1, 0, 0x00FFFFFF);
  dst.set(1, 0, 0x00000000);
  compositeOver(dst, src, 128);
  // ao = 0.752: alpha 192; colour 128 / 0.752 = 170.2.
  EXPECT_EQ(dst.at(0, 0), 0xC0AAAAAAu);
  EXPECT_EQ(dst.at(1, 0), kTransparent);
}

TEST(PointCompositor, TruncatesAndReadsWhiteOutside) {
  LayerList layers;
  Layer* bottom = layers.add(4, 4, true);
  Layer* hidden = layers.add(4, 4, true);
  Layer* middle = layers.add(4, 4, true);
  Layer* top = layers.add(4, 4, true);
  bottom->image().fill(0xFF102030);
  hidden->image().fill(0xFF00FF00);
  hidden->flags = 0;
  middle->image().fill(0xFF808080);
  middle->blendMode = kBlendMultiply;
  middle->opacity = 64;
  top->image().fill(0x80402010);
  top->blendMode = kBlendAdd;
  // Multiply: blue 48 + (48 * 128 / 255 - 48) * 127 / 255 = 36.09; Add: 36 + 16 * 128 / 255 = 44.03.
  EXPECT_EQ(compositePoint(layers, 1, 2) & 0xFFFFFF, 0x2C282Cu);
  // Outside the canvas every layer reads opaque white.
  EXPECT_EQ(compositePoint(layers, -1, 0) & 0xFFFFFF, 0xFFFFFFu);

  LayerList single;
  Layer* black = single.add(2, 2, true);
  black->image().fill(0xFF020202);
  black->opacity = 64;   // 255 + (2 - 255) * 127 / 255 = 128.996, truncated
  EXPECT_EQ(compositePoint(single, 0, 0) & 0xFFFFFF, 0x808080u);
  black->opacity = 128;
  black->image().fill(0xFF102030);
  EXPECT_EQ(compositePoint(single, 0, 0) & 0xFFFFFF, 0x102030u);
}

// ---- The fast display compositor against the plain one ----

Pixel randomPixel(std::mt19937& rng) {
  Pixel p = rng();
  switch (rng() % 6) {
    case 0: return p & 0x00FFFFFF;              // transparent
    case 1: return p | 0xFF000000;              // opaque
    case 2: return (p & 0x00FFFFFF) | 0x01000000;
    case 3: return rng() % 2 ? 0xFFFFFFFF : 0xFF000000;
    default: return p;
  }
}

void randomImage(Image32& image, int w, int h, std::mt19937& rng) {
  ASSERT_TRUE(image.create(w, h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Runs of repeated pixels alongside noise.
      Pixel p = (x % 9 > 4 && x > 0) ? image.at(x - 1, y) : randomPixel(rng);
      image.set(x, y, p);
    }
}

Rect randomRect(std::mt19937& rng, int w, int h) {
  switch (rng() % 5) {
    case 0: return {int(rng() % w), int(rng() % h), 1, 1 + int(rng() % h) / 2};   // one pixel wide
    case 1: return {w - 1 - int(rng() % 3), 0, 1 + int(rng() % 3) - (rng() % 3 == 0), h};   // right edge
    case 2: return {0, h - 1, w, 1};                                               // bottom row, full width
    case 3: return {0, 0, w, h};
    default: {
      int x = int(rng() % w), y = int(rng() % h);
      return {x, y, 1 + int(rng() % (w - x)), 1 + int(rng() % (h - y))};
    }
  }
}

// Runs a check with the loops of each width the processor has (the
// narrower ones also finish every row the wider ones leave).
class EveryWidth : public ::testing::TestWithParam<display::Width> {
 protected:
  void SetUp() override { display::setWidthLimit(GetParam()); }
  void TearDown() override { display::setWidthLimit(display::Width::kSixteen); }
};
INSTANTIATE_TEST_SUITE_P(DisplayCompositorFast, EveryWidth,
                         ::testing::Values(display::Width::kFour, display::Width::kEight, display::Width::kSixteen),
                         [](const auto& info) {
                           return info.param == display::Width::kFour    ? "Four"
                                  : info.param == display::Width::kEight ? "Eight"
                                                                         : "Sixteen";
                         });

TEST_P(EveryWidth, BitIdenticalToPlainForEveryMode) {
  std::mt19937 rng(12345);
  BlendTable fastTable, plainTable;
  const int opacities[] = {0, 1, 64, 127, 128};
  for (int round = 0; round < 16; ++round) {
    int w = 1 + int(rng() % 70), h = 1 + int(rng() % 9);
    Image32 base, layer;
    randomImage(base, w, h, rng);
    randomImage(layer, w, h, rng);
    for (int mode = 0; mode < kBlendModeCount; ++mode)
      for (int opacity : opacities)
        for (int r = 0; r < 4; ++r) {
          Rect rect = randomRect(rng, w, h).intersected(base.bounds());
          if (rect.empty()) continue;
          Image32 fast, plain;
          fast.create(w, h);
          plain.create(w, h);
          fast.copyFrom(base);
          plain.copyFrom(base);
          compositeDisplayLayer(fast, layer, mode, opacity, rect, fastTable);
          compositeDisplayLayerScalar(plain, layer, mode, opacity, rect, plainTable);
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
              ASSERT_EQ(fast.at(x, y), plain.at(x, y))
                  << "mode " << mode << " opacity " << opacity << " at " << x << "," << y << " rect "
                  << rect.x << "," << rect.y << " " << rect.w << "x" << rect.h;
        }
  }
}

TEST_P(EveryWidth, HclModesBitIdenticalOnManyColours) {
  // At full coverage the result is the blended colour itself, so every
  // difference in the four-lane hue, chroma and luma arithmetic would show.
  std::mt19937 rng(99);
  const int w = 1021, h = 97;
  Image32 base, layer;
  ASSERT_TRUE(base.create(w, h));
  ASSERT_TRUE(layer.create(w, h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      base.set(x, y, rng());
      Pixel s = rng();
      // Greys and near-greys exercise the zero-chroma paths.
      if (x % 7 == 0) s = (s & 0xFF) * 0x010101u;
      layer.set(x, y, s | 0xFF000000);
    }
  BlendTable table;
  for (int mode = kBlendHue; mode <= kBlendLuminosity; ++mode) {
    Image32 fast, plain;
    fast.create(w, h);
    plain.create(w, h);
    fast.copyFrom(base);
    plain.copyFrom(base);
    compositeDisplayLayer(fast, layer, mode, 128, base.bounds(), table);
    compositeDisplayLayerScalar(plain, layer, mode, 128, base.bounds(), table);
    int diffs = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) diffs += fast.at(x, y) != plain.at(x, y);
    EXPECT_EQ(diffs, 0) << "mode " << mode;
  }
}

TEST(DisplayCompositor, LayersInBandsMatchLayerAfterLayer) {
  // Wide enough that the rectangle is split into several bands of rows.
  std::mt19937 rng(5);
  const int w = 3000, h = 100;   // about 43 rows to a band
  std::vector<Image32> images(5);
  std::vector<DisplayLayer> layers;
  const int modes[] = {kBlendNormal, kBlendScreen, kBlendHue, kBlendSubtract, kBlendOverlay};
  for (int i = 0; i < 5; ++i) {
    randomImage(images[size_t(i)], w, h, rng);
    layers.push_back({&images[size_t(i)], modes[i], i == 2 ? 100 : 128});
  }
  BlendTable table;
  const Rect rect{3, 1, w - 5, h - 2};
  Image32 banded, expected;
  banded.create(w, h);
  expected.create(w, h);
  banded.fill(0x12345678);
  expected.fill(0x12345678);
  compositeDisplayLayers(banded, layers, rect, true, 0xFFCCCCCC, 0xFFFFFFFF, table);
  expected.fillChecker(rect.x, rect.y, rect.w, rect.h, 0xFFCCCCCC, 0xFFFFFFFF);
  for (const DisplayLayer& l : layers)
    compositeDisplayLayerScalar(expected, *l.image, l.mode, l.opacity, rect, table);
  int diffs = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) diffs += banded.at(x, y) != expected.at(x, y);
  EXPECT_EQ(diffs, 0);
}

TEST(DisplayCompositor, VisibleLayersOverCheckerOrWhite) {
  LayerList layers;
  Layer* bottom = layers.add(20, 20, true);
  Layer* hidden = layers.add(20, 20, true);
  Layer* top = layers.add(20, 20, true);
  bottom->image().fillRect(0, 0, 10, 20, 0xFF0000FF);
  hidden->image().fill(0xFF00FF00);
  hidden->flags = 0;
  top->image().fillRect(0, 0, 20, 5, 0xFFFFFFFF);
  top->blendMode = kBlendMultiply;
  BlendTable table;
  Image32 composite = filled(20, 20, 0);
  compositeDisplay(composite, layers, {0, 0, 20, 20}, true, 0xFFAAAAAA, 0xFF555555, table);
  // Right half below the multiply band: the checkerboard, cell at the origin in the first colour.
  EXPECT_EQ(composite.at(12, 17), 0xFF555555u);
  EXPECT_EQ(composite.at(17, 17), 0xFFAAAAAAu);
  // Left half: blue over the checkerboard at k = 255 (one short of full):
  // 0x55 + (170 * 255 >> 8) = 254, and 0x55 + (-85 * 255 >> 8) = 0.
  EXPECT_EQ(composite.at(3, 10) & 0xFFFFFF, 0x0000FEu);
  // Under the multiply band: white times blue, (255 * 254) >> 8 = 253, then 254 + (-1 * 255 >> 8) = 253.
  EXPECT_EQ(composite.at(3, 2) & 0xFF, 0xFDu);

  composite.fill(0x12345678);
  compositeDisplay(composite, layers, {10, 10, 3, 2}, false, 0xFFAAAAAA, 0xFF555555, table);
  EXPECT_EQ(composite.at(11, 11), kTransparent);
  EXPECT_EQ(composite.at(9, 11), 0x12345678u);   // outside the rectangle
}

}  // namespace
}  // namespace tessel
