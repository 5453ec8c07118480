#include <gtest/gtest.h>

#include <string>

#include "draw/brush/brush_shape.h"
#include "draw/brush/point_ring.h"
#include "draw/tool/tool_settings.h"

namespace tessel {
namespace {

std::string picture(const BrushShape& s) {
  std::string out;
  for (int r = 0; r < s.side; ++r) {
    for (int c = 0; c < s.side; ++c) out += s.isSet(c, r) ? '#' : '.';
    out += '\n';
  }
  return out;
}

std::string pixelShape(int kind, int n) {
  BrushShape s;
  s.buildPixelShape(kind, n);
  return picture(s);
}

TEST(BrushShapeTest, PixelCircles) {
  EXPECT_EQ(pixelShape(kShapeCircle, 1), "#\n");
  EXPECT_EQ(pixelShape(kShapeCircle, 2), "##\n##\n");
  EXPECT_EQ(pixelShape(kShapeCircle, 3), ".#.\n###\n.#.\n");
  EXPECT_EQ(pixelShape(kShapeCircle, 4), ".##.\n####\n####\n.##.\n");
  EXPECT_EQ(pixelShape(kShapeCircle, 7),
            "..###..\n.#####.\n#######\n#######\n#######\n.#####.\n..###..\n");
  // Unknown shape indices fall back to the circle.
  EXPECT_EQ(pixelShape(42, 3), pixelShape(kShapeCircle, 3));
}

TEST(BrushShapeTest, OtherPixelShapes) {
  EXPECT_EQ(pixelShape(kShapeSquare, 2), "##\n##\n");
  EXPECT_EQ(pixelShape(kShapeDiamond, 5), "..#..\n.###.\n#####\n.###.\n..#..\n");
  EXPECT_EQ(pixelShape(kShapeDiamond, 4), ".##.\n####\n####\n.##.\n");
  EXPECT_EQ(pixelShape(kShapeHLine, 3), "...\n###\n...\n");
  EXPECT_EQ(pixelShape(kShapeVLine, 3), ".#.\n.#.\n.#.\n");
  EXPECT_EQ(pixelShape(kShapeSlash, 3), "..#\n.#.\n#..\n");
  EXPECT_EQ(pixelShape(kShapeBackslash, 3), "#..\n.#.\n..#\n");
  EXPECT_EQ(pixelShape(kShapeCross, 3), "#.#\n.#.\n#.#\n");
  EXPECT_EQ(pixelShape(kShapePlus, 3), ".#.\n###\n.#.\n");
  EXPECT_EQ(pixelShape(kShapeSparkle, 9),
            "....#....\n....#....\n..#.#.#..\n...###...\n#########\n"
            "...###...\n..#.#.#..\n....#....\n....#....\n");
}

TEST(BrushShapeTest, SizesAreClampedToTheMask) {
  BrushShape s;
  s.buildPixelShape(kShapeSquare, 0);
  EXPECT_EQ(s.side, 1);
  s.buildPixelShape(kShapeSquare, 1000);
  EXPECT_EQ(s.side, 100);
  EXPECT_EQ(s.mask[kMaskBytes - 1], 255);
  s.buildPixelShape(kShapeCircle, 100);
  EXPECT_FALSE(s.isSet(0, 0));
  EXPECT_TRUE(s.isSet(0, 50));
  EXPECT_TRUE(s.isSet(99, 49));
}

TEST(BrushShapeTest, DabMasks) {
  BrushShape s;
  s.buildHardDisc();
  EXPECT_EQ(s.side, 100);
  EXPECT_EQ(s.mask[49 * 100 + 49], 255);
  EXPECT_EQ(s.mask[0], 0);
  EXPECT_EQ(s.mask[49], 204);   // top edge: 20 of 25 samples inside
  EXPECT_EQ(s.mask[50 * 100], 204);
  s.buildSoftDisc();
  EXPECT_EQ(s.mask[49 * 100 + 49], 254);
  EXPECT_EQ(s.mask[49], 53);
  EXPECT_EQ(s.mask[0], 0);
  s.buildLinearDisc(196);
  EXPECT_EQ(s.mask[49 * 100 + 49], 194);   // d = 0.707: 196 - trunc(2.8)
  EXPECT_EQ(s.mask[49 * 100 + 25], 99);    // d = 24.5: 196 - trunc(97.0)
  EXPECT_EQ(s.mask[49 * 100], 0);
  s.buildLinearDisc(128);
  EXPECT_EQ(s.mask[49 * 100 + 49], 127);
}

TEST(BrushShapeTest, RebuildFollowsTool) {
  ToolSettings t;
  BrushShape s;
  t.setSize(kToolPencil, 3);
  t.env.pencil = kShapePlus;
  rebuildBrushShape(s, kToolPencil, true, t);
  EXPECT_EQ(picture(s), ".#.\n###\n.#.\n");
  rebuildBrushShape(s, kToolLine, true, t);
  EXPECT_EQ(picture(s), "#\n");
  rebuildBrushShape(s, kToolDodge, true, t);
  EXPECT_EQ(s.mask[49 * 100 + 49], 127);
  // Masks are not rebuilt unless the tool changed.
  rebuildBrushShape(s, kToolBrush, false, t);
  EXPECT_EQ(s.mask[49 * 100 + 49], 127);
  rebuildBrushShape(s, kToolBrush, true, t);
  EXPECT_EQ(s.mask[49 * 100 + 49], 194);
  t.env.pen |= kPenSoftTip;
  rebuildBrushShape(s, kToolPen, true, t);
  EXPECT_EQ(s.mask[49], 53);
}

TEST(ToolSettingsTest, DefaultsAndClamps) {
  ToolSettings t;
  EXPECT_EQ(t.sizeOf(kToolPen), 8);
  EXPECT_EQ(t.alphaOf(kToolWatercolour), 100);
  EXPECT_EQ(t.alphaOf(kToolBlur), 64);
  EXPECT_EQ(t.env.pen, 0xA004u);
  EXPECT_EQ(t.env.water, 0x11400u);
  t.setSize(kToolPen, 0);
  EXPECT_EQ(t.sizeOf(kToolPen), 1);
  t.setSize(kToolPen, 101);
  EXPECT_EQ(t.sizeOf(kToolPen), 100);
  t.setAlpha(kToolPen, 0);
  EXPECT_EQ(t.alphaOf(kToolPen), 1);
  t.setAlpha(kToolPen, 300);
  EXPECT_EQ(t.alphaOf(kToolPen), 255);
  t.setSize(19, 5);   // unknown tools are ignored
  t.setSize(-1, 5);
  EXPECT_EQ(t.sizeOf(19), 1);
  t.size[kToolBrush] = 200;   // as a hand-edited config might hold
  EXPECT_EQ(t.sizeOf(kToolBrush), 100);
  EXPECT_EQ(t.optionWord(kToolBlur), 0x6464u);
  EXPECT_EQ(t.optionWord(kToolFill), 0u);
  DrawSettings d;
  d.drawCol1 = 0xFF123456u;
  EXPECT_EQ(d.drawingColour(), 0x123456u);
  d.curColNo = 1;
  EXPECT_EQ(d.drawingColour(), 0xFFFFFFu);
}

TEST(PointRingTest, PushMergeRepeatAndSmoothing) {
  PointRing r;
  r.push(1, 2, 0.5f, false);
  r.push(1, 2, 0.25f, true);   // same place: only the pressure changes
  EXPECT_EQ(r.count(), 1);
  EXPECT_EQ(r.newest().pressure, 0.25f);
  r.push(1, 2, 0.75f, false);
  EXPECT_EQ(r.count(), 2);
  r.reset();
  r.push(0, 0, 0.0f, false);
  r.repeatLast(2);
  r.push(6, 12, 1.0f, true);
  EXPECT_EQ(r.count(), 4);
  // Weights 1, 2, 3 over (0, 0, 6): 18 / 6.
  StrokePoint m = r.smoothed(2);
  EXPECT_DOUBLE_EQ(m.x, 3.0);
  EXPECT_DOUBLE_EQ(m.y, 6.0);
  EXPECT_FLOAT_EQ(m.pressure, 0.5f);
  EXPECT_EQ(r.smoothed(0).x, 6.0);
  // More than the ring holds is cut to what it has.
  r.repeatLast(100);
  EXPECT_EQ(r.index(), 104 % 64);
  EXPECT_DOUBLE_EQ(r.smoothed(500).x, 6.0);
  PointRing empty;
  empty.repeatLast(3);
  EXPECT_EQ(empty.count(), 0);
}

TEST(PointRingTest, BSplineBasisSumsToOneAndEndsAtTheKnots) {
  BSplineTable t;
  t.fill();
  for (auto& c : t.c) EXPECT_NEAR(c[0] + c[1] + c[2] + c[3], 1.0, 1e-12);
  EXPECT_NEAR(t.c[19][0], 0.0, 1e-12);
  EXPECT_NEAR(t.c[19][1], 1.0 / 6, 1e-12);
  EXPECT_NEAR(t.c[19][2], 4.0 / 6, 1e-12);
  EXPECT_NEAR(t.c[19][3], 1.0 / 6, 1e-12);
  CurveHistory h;
  h.reset({2, 3, 0.5f});
  StrokePoint p = h.at(t, 7);
  EXPECT_NEAR(p.x, 2.0, 1e-12);
  h.append({8, 3, 0.5f});
  EXPECT_NEAR(h.at(t, 19).x, 2.0 + 6.0 / 6, 1e-9);
}

}  // namespace
}  // namespace tessel
