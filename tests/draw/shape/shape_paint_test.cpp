#include <gtest/gtest.h>

#include "draw/input/canvas_input_fixture.h"
#include "draw/shape/shape_paint.h"

namespace tessel {
namespace {

constexpr Pixel kInk = 0x123456;

// A transparent layer and a tool ready to draw shapes with, as at a press.
struct ShapeRig : InputRig {
  explicit ShapeRig(int tool = kToolLine, int opacity = 255) {
    layer().fill(kTransparent);
    draw.toolNo = tool;
    draw.drawCol1 = kInk;
    tools.setAlpha(tool, opacity);
    tools.setSize(tool, 1);
    engine.refreshContext(layer(), kMaskNone, draw, tools, nullptr);
  }
  Rect shape(ShapeKind kind, const std::vector<PointF>& pts) {
    ShapePainter painter(doc, engine, tools, draw.toolNo);
    EXPECT_TRUE(painter.usable());
    return painter.draw(kind, pts);
  }
  std::vector<Point> inked() {
    std::vector<Point> out;
    for (int y = 0; y < layer().height(); ++y)
      for (int x = 0; x < layer().width(); ++x)
        if (layer().at(x, y) != kTransparent) out.push_back({x, y});
    return out;
  }
};

TEST(ShapePaint, PixelLineRectangleAndFilledRectangleAreExact) {
  ShapeRig rig;
  rig.shape(ShapeKind::Line, {{2, 3}, {8, 3}});
  EXPECT_EQ(rig.inked().size(), 7u);
  EXPECT_EQ(rig.layer().at(2, 3), 0xFF123456u);
  EXPECT_EQ(rig.layer().at(8, 3), 0xFF123456u);
  EXPECT_EQ(rig.history->undoCount(), 1);

  ShapeRig box;
  box.shape(ShapeKind::Rectangle, {{6.7, 5.2}, {2.1, 2.9}});   // (2,2)-(6,5), any corner order
  EXPECT_EQ(box.inked().size(), 14u);   // 2 x 5 + 2 x 2
  EXPECT_EQ(box.layer().at(4, 3), kTransparent);

  ShapeRig filled(kToolPencil);
  filled.shape(ShapeKind::FilledRectangle, {{2, 2}, {6, 5}});
  EXPECT_EQ(filled.inked().size(), 20u);
  EXPECT_EQ(filled.layer().at(4, 3), 0xFF123456u);
  UndoRefresh refresh;
  ASSERT_TRUE(filled.history->undo(refresh));
  EXPECT_TRUE(filled.inked().empty());
}

TEST(ShapePaint, SmallPixelEllipseFillsItsBox) {
  ShapeRig rig;
  rig.shape(ShapeKind::Ellipse, {{3, 3}, {4, 8}});   // 2 wide: every pixel of the box
  EXPECT_EQ(rig.inked().size(), 12u);
  ShapeRig big;
  big.shape(ShapeKind::FilledEllipse, {{10, 10}, {30, 20}});
  EXPECT_EQ(big.layer().at(20, 15), 0xFF123456u);
  EXPECT_EQ(big.layer().at(10, 10), kTransparent);   // the corner is outside
  EXPECT_EQ(big.layer().at(10, 15), 0xFF123456u);    // the box's edges are reached
  EXPECT_EQ(big.layer().at(30, 15), 0xFF123456u);
}

// Inside, all 25 samples count: the full opacity; far outside nothing.
TEST(ShapePaint, SubPixelFilledEllipseSamplesCoverage) {
  ShapeRig rig(kToolPen, 200);
  rig.shape(ShapeKind::FilledEllipse, {{10, 10}, {30, 30}});
  EXPECT_EQ(rig.layer().at(20, 20), 0xC8123456u);
  EXPECT_EQ(rig.layer().at(10, 10), kTransparent);
  const int edge = alphaOf(rig.layer().at(10, 20));   // some samples only
  EXPECT_GT(edge, 0);
  EXPECT_LT(edge, 200);
}

// Each side starts its spacing afresh, so every corner has paint.
TEST(ShapePaint, SubPixelRectangleCornersEachGetADab) {
  ShapeRig rig(kToolPen);
  rig.tools.setSize(kToolPen, 5);
  rig.shape(ShapeKind::Rectangle, {{10.3, 10.3}, {37.9, 29.6}});
  for (Point c : {Point{10, 10}, Point{37, 10}, Point{37, 29}, Point{10, 29}})
    EXPECT_EQ(alphaOf(rig.layer().at(c.x, c.y)), 255) << c.x << "," << c.y;
}

// P1 = P2 = P3 puts every curve point on the straight line.
TEST(ShapePaint, BezierWithControlsAtTheEndIsTheLine) {
  ShapeRig curve, line;
  curve.shape(ShapeKind::Bezier, {{2, 2}, {30, 30}, {30, 30}, {30, 30}});
  line.shape(ShapeKind::Line, {{2, 2}, {30, 30}});
  EXPECT_EQ(curve.inked(), line.inked());
  EXPECT_EQ(curve.inked().size(), 29u);
}

TEST(ShapePaint, SplinePassesThroughItsPoints) {
  const std::vector<PointF> p = splinePoints({{0, 0}, {10, 0}, {10, 0}, {20, 10}});
  ASSERT_EQ(p.size(), 41u);   // the repeated point is dropped: two spans of 20
  EXPECT_DOUBLE_EQ(p[0].x, 0.0);
  EXPECT_NEAR(p[20].x, 10.0, 1e-9);
  EXPECT_NEAR(p[20].y, 0.0, 1e-9);
  EXPECT_NEAR(p[40].x, 20.0, 1e-9);
  EXPECT_NEAR(p[40].y, 10.0, 1e-9);
  const std::vector<PointF> straight = splinePoints({{0, 0}, {10, 20}});
  EXPECT_NEAR(straight[10].x, 5.0, 1e-9);   // two points: the line, evenly
  EXPECT_NEAR(straight[10].y, 10.0, 1e-9);
  EXPECT_TRUE(splinePoints({{3, 3}, {3, 3}}).empty());
}

// Each segment is composed over the layer as drawn so far: where two cross,
// the 50 % line darkens; the shared corner is stamped once.
TEST(ShapePaint, PolylineSegmentsComposeOneByOneWithOneUndoStep) {
  ShapeRig rig(kToolLine, 128);
  rig.tools.drawType[kToolLine] = 6;
  rig.input.selectTool(kToolLine);
  rig.press(0, 5);
  rig.release();
  for (Point p : {Point{10, 5}, Point{5, 0}, Point{5, 10}}) {
    rig.press(p.x, p.y);
    rig.release();
  }
  rig.release(kButtonRight);
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(alphaOf(rig.layer().at(2, 5)), 128);
  EXPECT_EQ(alphaOf(rig.layer().at(10, 5)), 128);
  EXPECT_EQ(alphaOf(rig.layer().at(5, 5)), 192);   // 128 over 128
  EXPECT_EQ(rig.history->undoCount(), 1);
  UndoRefresh refresh;
  ASSERT_TRUE(rig.history->undo(refresh));
  EXPECT_TRUE(rig.inked().empty());
}

TEST(ShapePaint, CanvasRectangleDrawsTheBandAndUndoes) {
  ShapeRig rig(kToolPencil);
  rig.tools.drawType[kToolPencil] = 2;
  rig.input.selectTool(kToolPencil);
  rig.drag(4, 4, 12, 9);
  EXPECT_EQ(rig.inked().size(), 2u * 9 + 2 * 4);
  rig.drag(20, 20, 20, 20);   // a click: one pixel
  EXPECT_EQ(rig.layer().at(20, 20), 0xFF123456u);
  EXPECT_EQ(rig.history->undoCount(), 2);
}

}  // namespace
}  // namespace tessel
