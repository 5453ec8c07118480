#include <gtest/gtest.h>

#include <set>

#include "draw/input/canvas_input_fixture.h"
#include "draw/fill/gradient.h"

namespace tessel {
namespace {

GradientRequest request(Point a, Point b, int drawType = 0) {
  GradientRequest r;
  r.start = a, r.end = b, r.drawType = drawType;
  return r;
}

TEST(Gradient, TablesFollowTheirFormulas) {
  GradientTable t = gradientTable(kGradientForeBack, 0x000000, 0xFF8000, 255);
  EXPECT_EQ(t[0], 0xFF000000u);
  EXPECT_EQ(t[511], 0xFFFF8000u);
  EXPECT_EQ(t[256], 0xFF7F4000u);   // 255 * 256 / 511 = 127, 128 * 256 / 511 = 64
  t = gradientTable(kGradientOpaqueClear, 0x102030, 0, 128);
  EXPECT_EQ(t[0], 0x80102030u);
  EXPECT_EQ(t[511], 0x00102030u);
  t = gradientTable(kGradientEffect, 0x102030, 0, 255);
  EXPECT_EQ(alphaOf(t[470]), 36);   // p = 3767: 35 + 7 * 23 / 93
  EXPECT_EQ(alphaOf(t[511]), 0);
  t = gradientTable(kGradientRainbow, 0, 0, 255);
  EXPECT_EQ(t[0], 0xFFFF0000u);
  t = gradientTable(kGradientWhiteBlack | kGradReverse, 0, 0, 255);
  EXPECT_EQ(t[0], 0xFF000000u);
}

// Entries where a fault in a table's divisor, hue range or knots shows.
TEST(Gradient, TablesAtTheirTellingEntries) {
  GradientTable t = gradientTable(kGradientRainbow, 0, 0, 255);
  EXPECT_EQ(t[256], 0xFF00FFFBu);   // hue 179: sector 2, t = 255 - 255 * 6 / 360
  EXPECT_EQ(t[511], 0xFFFF0005u);   // hue 359: sector 5, q = 255 - 255 * 354 / 360
  t = gradientTable(kGradientOpaqueClear, 0x102030, 0, 255);
  EXPECT_EQ(t[256], 0x80102030u);   // 255 - 127
  t = gradientTable(kGradientEffect, 0x102030, 0, 255);
  EXPECT_EQ(alphaOf(t[500]), 9);   // p = 4007: 19 - 19 * 100 / 189
  t = gradientTable(kGradientWhiteBlack, 0, 0, 255);
  EXPECT_EQ(t[256], 0xFF808080u);
  EXPECT_EQ(t[511], 0xFF000000u);
}

TEST(Gradient, RadialIndexAndRainbowWraps) {
  EXPECT_EQ(GradientIndexer(request({0, 0}, {3, 4}, 4)).at(3, 0), 306);   // 3 * 511 / 5
  EXPECT_EQ(GradientIndexer(request({0, 0}, {3, 4}, 4)).at(30, 0), 511);
  GradientRequest r = request({0, 0}, {10, 0});
  r.grad = kGradientRainbow;
  EXPECT_EQ(GradientIndexer(r).at(20, 0), 510);
  EXPECT_EQ(GradientIndexer(request({0, 0}, {3, 4}, 4)).at(-3, 0), 306);
}

TEST(Gradient, ExponentFourGivesThirtyTwoBands) {
  const GradientTable t = gradientTable(kGradientWhiteBlack | 0x400, 0, 0, 255);
  EXPECT_EQ(std::set<Pixel>(t.begin(), t.end()).size(), 32u);
  EXPECT_EQ(t[15], t[0]);
  EXPECT_NE(t[16], t[15]);
}

TEST(Gradient, LinearIndexAndOutOfRangePolicy) {
  GradientRequest r = request({0, 0}, {10, 0});
  EXPECT_EQ(GradientIndexer(r).at(5, 7), 255);   // 50 * 511 / 100
  EXPECT_EQ(GradientIndexer(r).at(20, 0), 511);
  EXPECT_EQ(GradientIndexer(r).at(-3, 0), 0);
  r.alt = true;
  EXPECT_EQ(GradientIndexer(r).at(20, 0), 510);   // 1022 wraps
  r.shift = true;
  EXPECT_EQ(GradientIndexer(r).at(20, 0), -1);
  EXPECT_EQ(GradientIndexer(request({3, 3}, {3, 3})).at(30, 9), 0);   // zero length: entry 0
}

TEST(Gradient, BoxRadialAndTheAngularSeam) {
  EXPECT_EQ(GradientIndexer(request({40, 30}, {50, 35}, 2)).at(45, 30), 246);
  EXPECT_EQ(GradientIndexer(request({0, 0}, {3, 4}, 4)).at(3, 4), 511);
  EXPECT_FALSE(GradientIndexer(request({5, 5}, {5, 5}, 4)).paints());
  // The seam runs along the drag from the start: the index jumps across it.
  const GradientIndexer angular(request({50, 50}, {80, 50}, 7));
  EXPECT_EQ(angular.at(80, 40), 486);
  EXPECT_EQ(angular.at(80, 60), 25);
  EXPECT_EQ(angular.at(20, 40), 282);
  EXPECT_EQ(angular.at(20, 60), 228);
}

TEST(Gradient, ZeroLengthLinearPaintsEntryZeroEverywhere) {
  InputRig rig(30, 20);
  rig.layer().fill(0xFF000000u);
  GradientRequest r = request({4, 4}, {4, 4});
  r.grad = kGradientWhiteBlack;
  EXPECT_FALSE(drawGradient(rig.doc, rig.engine.context(), rig.engine.random(), r).empty());
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(rig.layer().at(x, y), 0xFFFFFFFFu);
  EXPECT_EQ(rig.history->undoCount(), 1);
  EXPECT_TRUE(drawGradient(rig.doc, rig.engine.context(), rig.engine.random(),
                           request({4, 4}, {4, 4}, 4)).empty());
  EXPECT_EQ(rig.history->undoCount(), 1);
}

}  // namespace
}  // namespace tessel
