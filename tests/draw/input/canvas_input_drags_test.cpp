#include <gtest/gtest.h>

#include <algorithm>

#include "draw/input/canvas_input.h"
#include "draw/input/canvas_input_fixture.h"
#include "draw/shape/shape_geometry.h"

namespace tessel {
namespace {

using Points = std::vector<Point>;

// A pen on a grey layer, the pointer given in client pixels.
struct DragRig : InputRig {
  std::vector<Pixel> screenBefore;
  DragRig() {
    layer().fill(0xFF808080u);
    view.refreshAll();
    input.selectTool(kToolPen);
    screenBefore = pixels(screen);
  }
  void pressAt(int x, int y, int source = kSourceMouse) {
    atClient(x, y);
    input.press(kButtonLeft, source, in);
  }
  void moveAt(int x, int y, int source = kSourceMouse) {
    atClient(x, y);
    input.move(source, in);
  }
  // The screen pixels the feedback has inverted, row by row.
  Points inverted() const {
    Points out;
    for (int y = 0; y < screen.height(); ++y)
      for (int x = 0; x < screen.width(); ++x)
        if (screen.at(x, y) != screenBefore[size_t(y * screen.width() + x)]) out.push_back({x, y});
    return out;
  }
};

Points sorted(Points p) {
  std::sort(p.begin(), p.end(), [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  return p;
}

TEST(CanvasInputDrags, XorBandsAreTheShapeGeometry) {
  {
    DragRig rig;
    rig.tools.drawType[kToolPen] = 1;
    rig.pressAt(50, 40);
    rig.moveAt(61, 47);
    EXPECT_EQ(rig.inverted(), sorted(linePoints({50, 40}, {61, 47})));
    rig.in.ctrl = true;   // snaps to 45 degrees
    rig.moveAt(61, 48);
    EXPECT_EQ(rig.input.feedback(), (XorShape{XorShape::Kind::Line, 50, 40, 58, 48}));
    EXPECT_EQ(rig.inverted(), sorted(linePoints({50, 40}, {58, 48})));
    EXPECT_EQ(rig.view.infoBar().size, formatSize(9, 9));
  }
  {
    DragRig rig;
    rig.tools.drawType[kToolPen] = 2;
    rig.pressAt(70, 60);
    rig.moveAt(63, 66);
    EXPECT_EQ(rig.inverted(), rectangleOutline(Box{63, 60, 70, 66}));
  }
  for (int type : {4, 5}) {
    DragRig rig;
    rig.tools.drawType[kToolPen] = uint8_t(type);
    rig.pressAt(70, 60);
    rig.in.shift = true;   // centred at the press point
    rig.moveAt(76, 63);
    EXPECT_EQ(rig.inverted(), ellipseOutline(Box{64, 57, 76, 63}));
    EXPECT_EQ(rig.view.infoBar().size, formatSize(13, 7));
  }
  DragRig rig;   // the size circle: diameter 30 about the press point
  rig.input.selectTool(kToolBrush);
  rig.options.optFlag |= kOptFlagSizeCircle;
  rig.in.shift = true;
  rig.pressAt(100, 80);
  EXPECT_EQ(rig.inverted(), ellipseOutline(Box{85, 65, 115, 95}));
}

TEST(CanvasInputDrags, BoxConstraintsPerShape) {
  DragRig rig;
  rig.tools.drawType[kToolPen] = 3;
  rig.pressAt(100, 80);
  rig.in.ctrl = rig.in.shift = true;
  rig.moveAt(110, 84);
  EXPECT_EQ(rig.input.feedback(), (XorShape{XorShape::Kind::Rect, 90, 70, 110, 90}));
  rig.release();   // draws the filled rectangle: the screen shows it, and no band is left
  const Points shown = rig.inverted();
  rig.view.refreshAll();
  EXPECT_EQ(rig.inverted(), shown);
  rig.screenBefore = rig.pixels(rig.screen);
  // The ellipse guide is always centred; the selection never.
  rig.in.ctrl = rig.in.shift = false;
  rig.in.alt = true;
  rig.options.guide = GuideKind::Ellipse;
  rig.tools.drawType[kToolPen] = 0;
  rig.pressAt(100, 80);
  EXPECT_EQ(rig.input.subMode(), 2);
  rig.moveAt(104, 83);
  EXPECT_EQ(rig.input.feedback(), (XorShape{XorShape::Kind::Ellipse, 96, 77, 104, 83}));
  rig.release();
  rig.in.alt = false;
  rig.input.selectTool(kToolSelection);
  rig.pressAt(100, 80);
  rig.in.shift = true;
  rig.moveAt(104, 83);
  const Point corner = rig.view.viewFromImage(0, 0);
  EXPECT_EQ(rig.input.outline().frame(), (Rect{100 - corner.x, 80 - corner.y, 5, 4}));
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  // The frame stays while the rectangle is selected and goes with it.
  EXPECT_EQ(rig.selection.rect(), (Rect{100 - corner.x, 80 - corner.y, 5, 4}));
  rig.selection.reset();
  rig.input.syncOutline();
  EXPECT_EQ(rig.pixels(rig.screen), rig.screenBefore);
}

TEST(CanvasInputDrags, PolylineBandStartsWherePolylinesGoOn) {
  const std::pair<int, Point> cases[] = {{6, {40, 20}}, {7, {20, 20}}};
  for (auto [type, anchor] : cases) {
    DragRig rig;
    rig.tools.drawType[kToolPen] = uint8_t(type);
    rig.pressAt(20, 20, kSourceTablet);
    rig.input.release(kButtonLeft, kSourceTablet, rig.in);
    rig.pressAt(40, 20, kSourceTablet);   // from here on the mouse leads
    EXPECT_EQ(rig.input.dragSource(), kSourceMouse);
    rig.moveAt(90, 90, kSourceTablet);
    rig.moveAt(40, 50);
    EXPECT_EQ(rig.input.feedback(), (XorShape{XorShape::Kind::Line, anchor.x, anchor.y, 40, 50}));
    rig.in.ctrl = true;
    rig.moveAt(anchor.x + 1, 50);
    EXPECT_EQ(rig.input.feedback().x1, anchor.x) << type;   // snapped upright
    rig.input.release(kButtonRight, kSourceTablet, rig.in);
    EXPECT_EQ(rig.input.state(), DragState::PolylineDrag);
    rig.input.release(kButtonRight, kSourceMouse, rig.in);
    EXPECT_EQ(rig.input.state(), DragState::Idle);
    EXPECT_EQ(rig.pixels(rig.screen), rig.screenBefore);   // the segment lies off the image
    EXPECT_EQ(rig.captures, rig.releases);
  }
}

TEST(CanvasInputDrags, BezierEndsThenTwoControlPoints) {
  DragRig rig;
  rig.tools.drawType[kToolPen] = 8;
  rig.press(10, 12);
  rig.moveTo(30, 16);
  rig.release(kButtonRight);   // no finishing step while the ends are dragged
  EXPECT_EQ(rig.input.state(), DragState::LineDrag);
  EXPECT_EQ(rig.input.subMode(), 1);
  rig.moveTo(40, 14);
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::BezierEdit);
  EXPECT_EQ(rig.input.subMode(), 0);
  // Both controls start at the end: released at once, the curve is the line.
  EXPECT_EQ(rig.input.points(), (Points{{10, 12}, {40, 14}, {40, 14}, {40, 14}}));
  EXPECT_EQ(rig.input.feedback().kind, XorShape::Kind::Path);   // the curve's preview
  rig.press(20, 20);
  rig.release();
  EXPECT_EQ(rig.input.subMode(), 1);
  rig.press(25, 20);
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_TRUE(rig.input.points().empty());
}

TEST(CanvasInputDrags, SplinePointsAndEscape) {
  DragRig rig;
  rig.tools.drawType[kToolPen] = 9;
  rig.press(10, 10);
  rig.release();
  rig.press(20, 15);
  rig.release();
  EXPECT_EQ(rig.input.points(), (Points{{10, 10}, {10, 10}, {20, 15}}));
  EXPECT_TRUE(rig.input.finishKey(false));
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.captures, rig.releases);
}

// A lost capture ends strokes and moves as a release would, and drops the rest.
TEST(CanvasInputDrags, CancelFinishesStrokesAndMovesOnly) {
  DragRig rig;
  rig.input.selectTool(kToolPencil);
  rig.press(5, 5);
  rig.moveTo(15, 5);
  rig.input.cancel();
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.layer().at(15, 5), 0xFF000000u);
  EXPECT_EQ(rig.history->undoCount(), 1);

  rig.input.selectTool(kToolMove);
  rig.press(20, 20);
  rig.moveTo(23, 20);
  rig.input.cancel();
  EXPECT_EQ(rig.layer().at(18, 5), 0xFF000000u);
  EXPECT_EQ(rig.history->undoCount(), 2);

  rig.input.selectTool(kToolPen);
  rig.tools.drawType[kToolPen] = 7;
  rig.press(20, 20);
  rig.release();
  rig.input.cancel();
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.history->undoCount(), 2);
  EXPECT_EQ(rig.captures, rig.releases);
}

}  // namespace
}  // namespace tessel
