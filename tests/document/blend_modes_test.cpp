#include "document/blend_modes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tessel {
namespace {

// The integer blend formulas, evaluated on their own (not through the library).
int expectedTable(int mode, int s, int d) {
  auto cut = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
  if (mode == 0) return s;
  if (mode == 1) return d * s / 255;
  if (mode == 4) return d + s - d * s / 255;
  if (mode == 5 || mode == 7) {
    bool high = (mode == 5 ? d : s) >= 128;
    return high ? 255 - (255 - d) * (255 - s) / 128 : d * s / 128;   // non-negative: div 128 == >> 7
  }
  if (mode == 6) {
    int m = d * s / 255;
    int screen = 255 - (255 - d) * (255 - s) / 255;
    return (screen - m) * d / 255 + m;
  }
  if (mode == 8) {
    if (s == 255) return 255;
    return cut(255 * d / (255 - s));
  }
  if (mode == 9) {
    if (s == 0) return 0;
    return cut(255 - 255 * (255 - d) / s);
  }
  if (mode == 10) return cut(d + s - 255);
  if (mode == 11) {
    if (s >= 128) {
      int c = 510 - 2 * s;
      if (d < c && c != 0) return 255 * d / c;
      return 255;
    }
    if (255 - 2 * s >= d || s == 0) return 0;
    return (2 * s + d - 255) * 255 / (2 * s);
  }
  if (mode == 12) return cut(d + 2 * s - 255);
  if (mode == 13) {
    if (s >= 128) return d > 2 * s - 255 ? d : 2 * s - 255;
    return d <= 2 * s ? d : 2 * s;
  }
  if (mode == 14) return d > s ? d - s : s - d;
  if (mode == 15) return d > s ? d : s;
  if (mode == 16) return d < s ? d : s;
  ADD_FAILURE() << "no table form for mode " << mode;
  return -1;
}

constexpr int kTableModes[] = {0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

TEST(BlendTableValue, EveryTableModeMatchesItsFormulaForAllPairs) {
  for (int mode : kTableModes) {
    int mismatches = 0;
    for (int d = 0; d < 256; ++d)
      for (int s = 0; s < 256; ++s)
        if (blendTableValue(mode, s, d) != expectedTable(mode, s, d) && ++mismatches < 4)
          ADD_FAILURE() << "mode " << mode << " s=" << s << " d=" << d << ": "
                        << blendTableValue(mode, s, d) << " != " << expectedTable(mode, s, d);
    EXPECT_EQ(mismatches, 0) << "mode " << mode;
  }
}

TEST(BlendTable, HoldsEveryModeAtDTimes256PlusS) {
  BlendTable table;
  ASSERT_TRUE(table.valid());
  for (int mode : kTableModes) {
    table.build(mode);
    EXPECT_EQ(table.mode(), mode);
    const uint8_t* t = table.data();
    int mismatches = 0;
    for (int d = 0; d < 256; ++d)
      for (int s = 0; s < 256; ++s) mismatches += t[d * 256 + s] != expectedTable(mode, s, d);
    EXPECT_EQ(mismatches, 0) << "mode " << mode;
  }
}

TEST(BlendTable, SwitchingBackToAnEarlierModeGivesItsTableAgain) {
  BlendTable table;
  table.build(kBlendScreen);
  table.build(kBlendDifference);
  table.build(kBlendScreen);
  EXPECT_EQ(table.mode(), kBlendScreen);
  EXPECT_EQ(table(200, 100), 100 + 200 - 100 * 200 / 255);
  table.build(kBlendDifference);
  EXPECT_EQ(table(200, 100), 100);
}

TEST(BlendTable, ModesWithoutTableFormPassTheSourceThrough) {
  BlendTable table;
  for (int mode : {2, 3, 17, 20, 21, 255}) {
    table.build(mode);
    EXPECT_EQ(table(77, 200), 77) << mode;
  }
}

TEST(BlendTableValue, ColourDodgeOfWhiteAndColourBurnOfBlackSaturate) {
  for (int d = 0; d < 256; ++d) {
    EXPECT_EQ(blendTableValue(kBlendColourDodge, 255, d), 255) << d;
    EXPECT_EQ(blendTableValue(kBlendColourBurn, 0, d), 0) << d;
    EXPECT_EQ(blendValueF(kBlendColourDodge, 255, d), 255.0) << d;
    EXPECT_EQ(blendValueF(kBlendColourBurn, 0, d), 0.0) << d;
  }
}

TEST(BlendValueF, StaysCloseToTheIntegerFormula) {
  // The two forms differ only by the truncations of the integer one.
  for (int mode : kTableModes) {
    double worst = 0;
    for (int d = 0; d < 256; ++d)
      for (int s = 0; s < 256; ++s)
        worst = std::max(worst, std::abs(blendValueF(mode, s, d) - blendTableValue(mode, s, d)));
    EXPECT_LT(worst, 3.0) << "mode " << mode;
  }
}

TEST(BlendValueF, HandValues) {
  EXPECT_DOUBLE_EQ(blendValueF(kBlendMultiply, 255, 100), 100);
  EXPECT_DOUBLE_EQ(blendValueF(kBlendScreen, 0, 100), 100);
  EXPECT_DOUBLE_EQ(blendValueF(kBlendOverlay, 64, 64), 32);
  EXPECT_DOUBLE_EQ(blendValueF(kBlendHardLight, 192, 64), 255 - 191.0 * 63 / 128);
  EXPECT_DOUBLE_EQ(blendValueF(kBlendVividLight, 255, 10), 255);
  EXPECT_DOUBLE_EQ(blendValueF(kBlendVividLight, 64, 200), 255.0 * (200 - 127) / 128);
  EXPECT_DOUBLE_EQ(blendValueF(kBlendPinLight, 200, 100), 145);
  EXPECT_DOUBLE_EQ(blendValueF(kBlendDifference, 10, 250), 240);
  EXPECT_DOUBLE_EQ(blendValueF(kBlendAdd, 10, 250), 10);
}

TEST(Hcl, PrimariesAndGrey) {
  Hcl red = hclFromRgb(255, 0, 0), green = hclFromRgb(0, 255, 0), blue = hclFromRgb(0, 0, 255);
  EXPECT_FLOAT_EQ(red.h, 0);
  EXPECT_FLOAT_EQ(green.h, 1.0f / 3);
  EXPECT_FLOAT_EQ(blue.h, 2.0f / 3);
  EXPECT_FLOAT_EQ(red.c, 1);
  EXPECT_FLOAT_EQ(red.y, 0.3f);
  EXPECT_FLOAT_EQ(green.y, 0.59f);
  EXPECT_FLOAT_EQ(blue.y, 0.11f);
  Hcl magenta = hclFromRgb(255, 0, 255);   // red is the maximum and tested first
  EXPECT_FLOAT_EQ(magenta.h, 300.0f / 360);
  Hcl grey = hclFromRgb(90, 90, 90);
  EXPECT_EQ(grey.c, 0);
  EXPECT_EQ(grey.h, 0);
  EXPECT_FLOAT_EQ(grey.y, 90.0f / 255);
}

TEST(Hcl, ReconstructionGivesTheColourBack) {
  std::mt19937 rng(7);
  int off = 0;
  for (int i = 0; i < 20000; ++i) {
    int r = int(rng() & 255), g = int(rng() & 255), b = int(rng() & 255);
    Hcl h = hclFromRgb(r, g, b);
    Pixel p = rgbFromHcl(h.h, h.c, h.y);
    int dr = std::abs(int(redOf(p)) - r), dg = std::abs(int(greenOf(p)) - g), db = std::abs(int(blueOf(p)) - b);
    ASSERT_LE(std::max({dr, dg, db}), 1) << r << "," << g << "," << b;
    off += (dr | dg | db) != 0;
    ASSERT_EQ(p >> 24, 0u);
  }
  EXPECT_LT(off, 200);   // nearly all come back exactly
}

TEST(Hcl, ReconstructionScalesChromaDownToStayInRange) {
  // Full-chroma red at luma 0.9: the red channel would pass 1, so the offsets shrink.
  Pixel p = rgbFromHcl(0, 1, 0.9f);
  EXPECT_EQ(redOf(p), 255);
  EXPECT_GT(greenOf(p), 200);
  EXPECT_EQ(greenOf(p), blueOf(p));
  // Chroma 0, or a negative hue, is a grey of the luma.
  EXPECT_EQ(rgbFromHcl(0.5f, 0, 0.5f), 0x808080u);
  EXPECT_EQ(rgbFromHcl(-1.0f, 0.7f, 0.2f), 0x333333u);
}

TEST(BlendHcl, GreySourceInColourModeGivesGreyOfDestinationLuma) {
  // luma of (0x20, 0x40, 0xC0) = (0.3 * 32 + 0.59 * 64 + 0.11 * 192) / 255 = 68.48 / 255
  EXPECT_EQ(blendHcl(kBlendColour, 0x808080, 0x2040C0), 0x444444u);
  EXPECT_EQ(blendHcl(kBlendColour, 0xFFFFFF, 0x2040C0), 0x444444u);
}

TEST(BlendHcl, ModesTakeTheirPartsFromTheRightSide) {
  // Hue of a colour over a grey destination: the destination has no chroma.
  EXPECT_EQ(blendHcl(kBlendHue, 0xFF0000, 0x646464), 0x646464u);
  // Saturation of a grey source removes the destination's chroma.
  EXPECT_EQ(blendHcl(kBlendSaturation, 0x808080, 0x2040C0), 0x444444u);
  // Luminosity of a grey source over a grey destination is the source grey.
  EXPECT_EQ(blendHcl(kBlendLuminosity, 0x303030, 0xC0C0C0), 0x303030u);
  // Taking every part from one colour gives that colour back.
  for (Pixel c : {0x00FF00u, 0x2040C0u, 0xC03030u, 0x7F7F7Fu})
    for (int mode : {kBlendHue, kBlendSaturation, kBlendColour, kBlendLuminosity}) {
      Pixel p = blendHcl(mode, c, c);
      EXPECT_LE(std::abs(int(redOf(p)) - int(redOf(c))), 1) << mode;
      EXPECT_LE(std::abs(int(greenOf(p)) - int(greenOf(c))), 1) << mode;
      EXPECT_LE(std::abs(int(blueOf(p)) - int(blueOf(c))), 1) << mode;
    }
  // Luminosity keeps the destination's hue: red stays reddest.
  Pixel p = blendHcl(kBlendLuminosity, 0x404040, 0xC03030);
  EXPECT_GT(redOf(p), greenOf(p));
  EXPECT_EQ(greenOf(p), blueOf(p));
}

}  // namespace
}  // namespace tessel
