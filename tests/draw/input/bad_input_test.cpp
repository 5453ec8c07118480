#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "draw/brush/stroke_fixture.h"

namespace tessel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(BadInputTest, EveryToolAcrossTheEdgeAtExtremeSizesAndPressures) {
  for (int tool = kToolPencil; tool <= kToolBurn; ++tool)
    for (int size : {1, 100})
      for (float pressure : {0.0f, 1.0f}) {
        StrokeBench b(40, 30);
        b.layer.fill(0xFF336699u);
        b.tools.setSize(tool, size);
        b.tools.env.pen = 0xF0FF;   // every pen option, smoothing 255
        b.run(tool, {{-60, 10, pressure}, {20, -70, pressure}, {100, 35, pressure},
                     {-30, 45, pressure}, {-30, 45, pressure}});
        EXPECT_TRUE(b.lastUndo.empty() || b.layer.bounds().intersected(b.lastUndo) == b.lastUndo);
      }
}

TEST(BadInputTest, SamplesFarOutsideTheImage) {
  for (int tool = kToolPencil; tool <= kToolBurn; ++tool) {
    StrokeBench b(16, 16);
    b.layer.fill(0xFF808080u);
    b.tools.setSize(tool, 30);
    Rect changed = b.run(tool, {{-1e12, 5e9}, {-1e15, -1e15}, {-3e9, 7}, {-3e9, 7}});
    // Nothing of that reaches the image.
    EXPECT_TRUE(changed.empty()) << "tool " << tool;
    EXPECT_TRUE(b.lastUndo.empty()) << "tool " << tool;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(b.layer.at(x, y), 0xFF808080u) << "tool " << tool;
  }
}

TEST(BadInputTest, FarSamplesKeepTheirDirection) {
  // From inside towards a point far away: the part on the image is the true line.
  StrokeBench b(64, 8);
  b.run(kToolLine, {{0, 2}, {1e13, 2}, {1e13, 2}});
  for (int x = 0; x < 64; ++x) EXPECT_EQ(b.layer.at(x, 2), 0xFF000000u) << x;
  StrokeBench c(64, 64);
  c.run(kToolPencil, {{0, 0}, {1e12, 5e11}, {1e12, 5e11}});
  EXPECT_EQ(c.layer.at(40, 20), 0xFF000000u);
  EXPECT_EQ(c.layer.at(40, 40), kTransparent);
  StrokeBench d(64, 64);
  d.tools.setSize(kToolPen, 4);
  d.tools.env.pen = 0x2000;
  Rect r = d.run(kToolPen, {{0, 0}, {1e12, 5e11}, {1e12, 5e11}});
  // Dabs are at least 1/10000 of such a segment apart: one lands at the start.
  EXPECT_NE(alphaOf(d.layer.at(0, 0)), 0);
  EXPECT_EQ(d.layer.at(40, 40), kTransparent);
  EXPECT_EQ(r, d.layer.bounds());
}

TEST(BadInputTest, NotANumberIsRefused) {
  StrokeBench b(16, 16);
  Stroke s(b.engine);
  Rect changed;
  EXPECT_FALSE(s.begin(b.target(), kToolPen, b.tools, {kNaN, 1.0}, changed));
  EXPECT_FALSE(s.begin(b.target(), kToolPen, b.tools, {1.0, kInf}, changed));
  EXPECT_FALSE(s.active());
  EXPECT_TRUE(s.move({3, 3}).empty());   // no stroke in progress
  EXPECT_TRUE(s.end({3, 3}).undo.empty());
  ASSERT_TRUE(s.begin(b.target(), kToolPencil, b.tools, {1.0, 1.0}, changed));
  EXPECT_TRUE(s.move({kNaN, 4.0}).empty());
  EXPECT_TRUE(s.move({4.0, -kInf}).empty());
  EXPECT_EQ(s.end({kNaN, kNaN}).undo, (Rect{0, 0, 4, 4}));
  // Pressure that is not a number or out of range is held to 0..1.
  for (float p : {float(kNaN), -3.0f, 40.0f}) {
    StrokeBench c(24, 24);
    c.tools.setSize(kToolPen, 10);
    Rect r = c.run(kToolPen, {{4, 12, p}, {20, 12, p}, {20, 12, p}});
    EXPECT_TRUE(c.layer.bounds().intersected(r) == r);
  }
}

TEST(BadInputTest, RefusesNonPaintingToolsAndMismatchedImages) {
  StrokeBench b(16, 16);
  Stroke s(b.engine);
  Rect changed;
  for (int tool : {-1, int(kToolFill), int(kToolSelection), 19, 1000})
    EXPECT_FALSE(s.begin(b.target(), tool, b.tools, {1, 1}, changed)) << tool;
  Image32 small;
  ASSERT_TRUE(small.create(8, 16));
  EXPECT_FALSE(s.begin({&b.layer, &small, &b.backup}, kToolPen, b.tools, {1, 1}, changed));
  EXPECT_FALSE(s.begin({&b.layer, &b.buffer, &small}, kToolPen, b.tools, {1, 1}, changed));
  EXPECT_FALSE(s.begin({&b.layer, nullptr, &b.backup}, kToolPen, b.tools, {1, 1}, changed));
  Image32 empty1, empty2, empty3;
  EXPECT_FALSE(s.begin({&empty1, &empty2, &empty3}, kToolPen, b.tools, {1, 1}, changed));
  EXPECT_FALSE(s.active());
}

TEST(BadInputTest, ZeroLengthSegmentsKeepTheCarry) {
  BrushEngine e;
  ASSERT_TRUE(e.init(3u));
  Image32 img;
  ASSERT_TRUE(img.create(8, 8));
  img.fill(kTransparent);
  ToolSettings t;
  e.setupTool(kToolPen, false, t, 0);
  StrokePoint p{4.0, 4.0, 1.0f};
  EXPECT_EQ(e.drawSegment(img, p, p, 0.75), 0.75);
  EXPECT_EQ(img.at(4, 4), kTransparent);
  // A segment shorter than the carry draws nothing and hands on the rest.
  StrokePoint q{4.5, 4.0, 1.0f};
  EXPECT_DOUBLE_EQ(e.drawSegment(img, p, q, 2.0), 1.5);
  EXPECT_EQ(img.at(4, 4), kTransparent);
  // Lines of one point stamp once, or not at all when the first is skipped.
  e.pixelLine(img, 2, 2, 2, 2, 0xFF000000u, true, StampKind::Point, kPixelReplace);
  EXPECT_EQ(img.at(2, 2), kTransparent);
  e.pixelLine(img, 2, 2, 2, 2, 0xFF000000u, false, StampKind::Point, kPixelReplace);
  EXPECT_EQ(img.at(2, 2), 0xFF000000u);
}

TEST(BadInputTest, TexturesOfOddSizes) {
  for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {1, 513}, {513, 2}, {0, 4}, {4, 0}}) {
    StrokeBench b(32, 32);
    Texture t;
    t.width = uint16_t(w);
    t.height = uint16_t(h);
    t.bytes.assign(size_t(w) * h, 77);
    b.textures.push_back(t);
    Texture shortOne;   // claims more bytes than it has
    shortOne.width = 9;
    shortOne.height = 9;
    shortOne.bytes.assign(10, 255);
    b.textures.push_back(shortOne);
    b.draw.textureOn = true;
    b.draw.textureSel = 0;
    b.tools.setSize(kToolBrush, 12);
    b.run(kToolBrush, line(-5, 16, 40, 16, 9));
    b.layer.fill(kTransparent);
    b.tools.setSize(kToolPencil, 5);
    b.run(kToolPencil, {{-5, 16}, {40, 16}, {40, 16}});
    // 255 * 77 / 255 where the texture applies; an unusable one is no texture.
    EXPECT_EQ(alphaOf(b.layer.at(16, 16)), w == 0 || h == 0 ? 255 : 77);
    // A selection past the library, or the short texture, means no texture.
    for (int sel : {1, 2, -1}) {
      b.draw.textureSel = sel;
      b.layer.fill(kTransparent);
      b.run(kToolPencil, {{3, 3}, {3, 3}});
      EXPECT_EQ(b.layer.at(3, 3), 0xFF000000u) << sel;
    }
  }
}

TEST(BadInputTest, TinyImagesAndLongPixelLines) {
  for (int tool = kToolPencil; tool <= kToolBurn; ++tool) {
    StrokeBench b(1, 1);
    b.layer.fill(0xFF102030u);
    b.tools.setSize(tool, 100);
    b.run(tool, {{0.5, 0.5}, {-300, 2000}, {0.2, 0.9}, {0.2, 0.9}});
    EXPECT_EQ(b.lastUndo.empty(), false) << "tool " << tool;
  }
  BrushEngine e;
  ASSERT_TRUE(e.init(1u));
  Image32 img;
  ASSERT_TRUE(img.create(4, 4));
  img.fill(kTransparent);
  ToolSettings t;
  t.setSize(kToolEraseHard, 100);
  e.updateShape(kToolEraseHard, t);
  e.pixelLine(img, -200000, 2, 200000, 2, 0xFF000000u, false, StampKind::Shape, kPixelReplace);
  EXPECT_EQ(img.at(0, 0), 0xFF000000u);
  EXPECT_EQ(e.sampleCanvasColour(Image32(), 0, 0, 100), kTransparent);
}

}  // namespace
}  // namespace tessel
