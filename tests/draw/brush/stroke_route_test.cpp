#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "stroke_fixture.h"

namespace tessel {
namespace {

std::set<std::pair<int, int>> inked(const Image32& img) {
  std::set<std::pair<int, int>> out;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (alphaOf(img.at(x, y)) != 0) out.insert({x, y});
  return out;
}

TEST(OnePixelLineTest, StaircaseLosesItsCorners) {
  StrokeBench b(16, 16);
  b.run(kToolLine, {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}, {3, 3}, {3, 3}});
  std::set<std::pair<int, int>> want = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
  EXPECT_EQ(inked(b.layer), want);
  EXPECT_EQ(b.layer.at(2, 2), 0xFF000000u);
  EXPECT_EQ(b.lastUndo, (Rect{0, 0, 4, 4}));
  // Going up and left works the same way.
  StrokeBench c(16, 16);
  c.run(kToolLine, {{9, 9}, {9, 8}, {8, 8}, {8, 7}, {7, 7}, {7, 7}});
  std::set<std::pair<int, int>> up = {{9, 9}, {8, 8}, {7, 7}};
  EXPECT_EQ(inked(c.layer), up);
}

TEST(OnePixelLineTest, CornerSetEarlierInTheStrokeStays) {
  StrokeBench b(16, 16);
  b.run(kToolLine, {{2, 0}, {1, 0}, {0, 0}, {1, 0}, {1, 1}, {1, 1}});
  std::set<std::pair<int, int>> want = {{0, 0}, {1, 0}, {2, 0}, {1, 1}};
  EXPECT_EQ(inked(b.layer), want);
  // An L at the start of a stroke loses its corner too; a longer step is no L.
  StrokeBench c(16, 16);
  c.run(kToolLine, {{1, 0}, {1, 1}, {2, 1}, {2, 1}});
  EXPECT_EQ(inked(c.layer), (std::set<std::pair<int, int>>{{1, 0}, {2, 1}}));
  StrokeBench d(16, 16);
  d.run(kToolLine, {{1, 0}, {1, 1}, {3, 1}, {3, 1}});
  EXPECT_EQ(inked(d.layer), (std::set<std::pair<int, int>>{{1, 0}, {1, 1}, {2, 1}, {3, 1}}));
}

TEST(PixelStrokeTest, PointsTruncateOrRoundAndRectanglesGrow) {
  StrokeBench b(32, 32);
  b.tools.setSize(kToolPencil, 3);
  Rect changed = b.run(kToolPencil, {{10.7, 5.2}, {10.7, 5.2}});
  EXPECT_EQ(inked(b.layer), (std::set<std::pair<int, int>>{{10, 4}, {9, 5}, {10, 5}, {11, 5}, {10, 6}}));
  // Left and top by 3 / 2 + 1, right and bottom by 3 - 3 / 2 + 1.
  EXPECT_EQ(changed, (Rect{8, 3, 6, 6}));
  EXPECT_EQ(b.lastUndo, (Rect{8, 3, 6, 6}));
  StrokeBench r(32, 32);
  r.tools.setSize(kToolPencil, 1);
  r.run(kToolPencil, {{10.7, 5.2}, {10.7, 5.2}}, true);
  EXPECT_EQ(inked(r.layer), (std::set<std::pair<int, int>>{{11, 5}}));
}

TEST(PixelStrokeTest, HardEraserLowersAlphaByItsOpacity) {
  StrokeBench b(32, 32);
  b.layer.fill(0xFF204060u);
  b.tools.setSize(kToolEraseHard, 1);
  b.tools.setAlpha(kToolEraseHard, 100);
  b.run(kToolEraseHard, {{2, 2}, {6, 2}, {6, 2}});
  EXPECT_EQ(b.layer.at(4, 2), 0x9B204060u);
  EXPECT_EQ(b.layer.at(4, 3), 0xFF204060u);
}

TEST(StrokeTest, TextureZeroBlocksAStroke) {
  for (int tool : {kToolPencil, kToolPen, kToolBrush, kToolDodge, kToolBlur, kToolWatercolour}) {
    StrokeBench b(32, 32);
    b.layer.fill(0xFF808080u);
    b.layer.set(16, 16, 0xFF000000u);
    Texture t;
    t.width = 3;
    t.height = 1;
    t.bytes = {0, 0, 0};
    b.textures.push_back(t);
    b.draw.textureOn = true;
    b.tools.setSize(tool, 9);
    b.tools.setAlpha(tool, 255);
    b.run(tool, line(4, 16, 28, 16, 8));
    EXPECT_EQ(b.layer.at(16, 16), 0xFF000000u) << "tool " << tool;
    EXPECT_EQ(b.layer.at(10, 16), 0xFF808080u) << "tool " << tool;
  }
}

TEST(StrokeTest, ColourMaskIsReadFromTheLayerAsTheStrokeFoundIt) {
  StrokeBench b(40, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) b.layer.set(x, y, x < 20 ? 0xFF404040u : 0xFF404041u);
  b.draw.colMaskType = kColourMaskOnly;
  b.draw.colMaskCnt = 1;
  b.draw.maskCol[0] = 0x404040;
  b.tools.setAlpha(kToolDodge, 128);
  b.tools.setSize(kToolDodge, 8);
  Image32 start;
  ASSERT_TRUE(start.create(40, 20));
  start.copyFrom(b.layer);
  b.run(kToolDodge, {{2, 10}, {38, 10}, {38, 10}});
  int once = redOf(b.layer.at(17, 10));
  EXPECT_GT(once, 0x40);
  // Back and forth (smoothed to 2 - 26 - 14 - 26 - 14): later passes still paint
  // where the colour no longer matches.
  b.layer.copyFrom(start);
  b.run(kToolDodge, {{2, 10}, {38, 10}, {2, 10}, {38, 10}, {2, 10}, {2, 10}});
  EXPECT_GT(int(redOf(b.layer.at(17, 10))), once);
  // A new stroke finds the changed colour and leaves it.
  Pixel after = b.layer.at(17, 10);
  b.run(kToolDodge, {{2, 10}, {38, 10}, {38, 10}});
  EXPECT_EQ(b.layer.at(17, 10), after);
  for (int y = 0; y < 20; ++y)
    for (int x = 20; x < 40; ++x) ASSERT_EQ(b.layer.at(x, y), 0xFF404041u);
}

TEST(StrokeTest, MaskModesOneAndTwoFollowTheBackup) {
  StrokeBench b(32, 8);
  for (int x = 0; x < 16; ++x)
    for (int y = 0; y < 8; ++y) b.layer.set(x, y, 0xFFFFFFFFu);
  b.maskMode = kMaskTransparent;
  b.tools.setSize(kToolPencil, 3);
  b.run(kToolPencil, {{2, 4}, {30, 4}, {30, 4}});
  EXPECT_EQ(b.layer.at(10, 4), 0xFF000000u);
  EXPECT_EQ(b.layer.at(20, 4), kTransparent);
  b.maskMode = kMaskOpaque;
  b.draw.drawCol1 = 0x0000FF;
  b.run(kToolPencil, {{2, 4}, {30, 4}, {30, 4}});
  EXPECT_EQ(b.layer.at(10, 4), 0xFF000000u);
  EXPECT_EQ(b.layer.at(20, 4), 0xFF0000FFu);
}

TEST(FingerTest, SmudgeCarriesColourAlong) {
  StrokeBench b(8, 1);
  b.layer.set(0, 0, 0xFFFF0000u);
  b.layer.set(1, 0, 0xFF0000FFu);
  b.layer.set(2, 0, 0xFF00FF00u);
  b.tools.setSize(kToolFinger, 1);
  b.tools.setAlpha(kToolFinger, 128);
  Rect changed = b.run(kToolFinger, {{0, 0}, {1, 0}, {2, 0}, {2, 0}});
  // f = 128/255: red rnd(f * 255), blue rnd((1 - f) * 255); then again with green.
  EXPECT_EQ(b.layer.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(b.layer.at(1, 0), 0xFF80007Fu);
  EXPECT_EQ(b.layer.at(2, 0), 0xFF407F40u);
  EXPECT_EQ(b.lastUndo, (Rect{0, 0, 5, 1}));
  EXPECT_FALSE(changed.empty());
}

TEST(FingerTest, SmudgeIntoNothingAndFromOutside) {
  StrokeBench b(4, 1);
  b.layer.set(0, 0, 0xFF0000FFu);
  b.tools.setSize(kToolFinger, 1);
  b.tools.setAlpha(kToolFinger, 255);
  b.run(kToolFinger, {{0, 0}, {1, 0}, {1, 0}});
  EXPECT_EQ(b.layer.at(1, 0), 0xFF0000FFu);
  // Picked up off the image the carry is opaque white.
  StrokeBench c(4, 1);
  c.tools.setSize(kToolFinger, 1);
  c.tools.setAlpha(kToolFinger, 255);
  c.run(kToolFinger, {{-1, 0}, {0, 0}, {0, 0}});
  EXPECT_EQ(c.layer.at(0, 0), 0xFFFFFFFFu);
}

TEST(FingerTest, TransparencyUnderTheAlphaMaskLeavesColour) {
  // Full strength from a transparent pixel onto an opaque one: the alpha mask
  // keeps the alpha, and with no colour carried the pixel keeps its own.
  StrokeBench b(4, 1);
  b.layer.set(1, 0, 0xFF0000FFu);
  b.maskMode = kMaskAlpha;
  b.tools.setSize(kToolFinger, 1);
  b.tools.setAlpha(kToolFinger, 255);
  b.run(kToolFinger, {{0, 0}, {1, 0}, {1, 0}});
  EXPECT_EQ(b.layer.at(1, 0), 0xFF0000FFu);
  // Without the mask the transparency is smudged in.
  StrokeBench c(4, 1);
  c.layer.set(1, 0, 0xFF0000FFu);
  c.tools.setSize(kToolFinger, 1);
  c.tools.setAlpha(kToolFinger, 255);
  c.run(kToolFinger, {{0, 0}, {1, 0}, {1, 0}});
  EXPECT_EQ(c.layer.at(1, 0), kTransparent);
}

TEST(WatercolourTest, SamplingAndMixing) {
  BrushEngine e;
  ASSERT_TRUE(e.init(1u));
  Image32 img;
  ASSERT_TRUE(img.create(20, 20));
  img.fill(0x80FF0000u);
  // c = 255 for red, 0 for the others, mean alpha 128, flattened on white.
  EXPECT_EQ(e.sampleCanvasColour(img, 80, 80, 40), 0xFFFF7F7Fu);
  img.fill(kTransparent);
  EXPECT_EQ(e.sampleCanvasColour(img, 80, 80, 40), 0xFFFFFFFFu);
  e.context().maskMode = kMaskTransparent;
  EXPECT_EQ(e.sampleCanvasColour(img, 80, 80, 40), kTransparent);
  e.context().maskMode = kMaskNone;
  img.fill(0xFFFFFFFFu);
  ToolSettings t;
  e.setupTool(kToolWatercolour, false, t, 0x000000);
  e.watercolourStart(img, 10, 10, 0x000000, 0.6);
  EXPECT_DOUBLE_EQ(e.watercolourMix().carried[0], 153.0);
  // 153 + (255 - 153) * 0.6 = 214.2; then - 214.2 * 0.15.
  EXPECT_EQ(e.mixWatercolour(0xFFFFFFFFu), 0xB6B6B6u);
  // Without a sample only the refill acts.
  double before = e.watercolourMix().carried[0];
  Pixel c = e.mixWatercolour(kTransparent);
  EXPECT_EQ(int(c & 0xFF), int(before * (1 - double(0.15f)) + 0.5));
}

TEST(WatercolourTest, StrokeKeepsAlphaUnderAlphaMaskAndPicksUpColour) {
  StrokeBench b(48, 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 48; ++x) b.layer.set(x, y, x < 24 ? 0x80FF0000u : 0xFF0000FFu);
  b.maskMode = kMaskAlpha;
  b.tools.setAlpha(kToolWatercolour, 255);
  b.tools.setSize(kToolWatercolour, 10);
  b.run(kToolWatercolour, line(4, 12, 44, 12, 10));
  EXPECT_EQ(alphaOf(b.layer.at(10, 12)), 0x80);
  EXPECT_EQ(alphaOf(b.layer.at(40, 12)), 0xFF);
  // Black paint thinned by the red and blue it crosses.
  Pixel mid = b.layer.at(30, 12);
  EXPECT_GT(redOf(mid) + blueOf(mid), 0);
  EXPECT_NE(mid, 0xFF0000FFu);
}

TEST(SubPixelStrokeTest, CurveAndStraightDiffer) {
  StrokeBench straight(64, 64), curved(64, 64);
  std::vector<StrokeSample> path = {{8, 8}, {56, 8}, {56, 56}, {8, 56}, {8, 56}};
  straight.tools.env.pen = 0x2000;
  curved.tools.env.pen = 0x3000;
  straight.run(kToolPen, path);
  curved.run(kToolPen, path);
  // The straight pen reaches the corner, the spline cuts it.
  EXPECT_NE(alphaOf(straight.layer.at(56, 8)), 0);
  EXPECT_EQ(alphaOf(curved.layer.at(56, 8)), 0);
  EXPECT_NE(alphaOf(curved.layer.at(52, 30)), 0);
  EXPECT_NE(alphaOf(straight.layer.at(56, 30)), 0);
}

TEST(SubPixelStrokeTest, PressureRampGrowsTheDab) {
  StrokeBench b(100, 40);
  b.tools.setSize(kToolPen, 20);
  b.tools.env.pen = 0xA000;
  b.run(kToolPen, line(10, 20, 90, 20, 16, 0.0f, 1.0f));
  auto height = [&](int x) {
    int n = 0;
    for (int y = 0; y < 40; ++y) n += alphaOf(b.layer.at(x, y)) != 0;
    return n;
  };
  EXPECT_LT(height(20), height(50));
  EXPECT_LT(height(50), height(85));
  EXPECT_GE(height(85), 16);
  EXPECT_LE(height(85), 21);
}

}  // namespace
}  // namespace tessel
