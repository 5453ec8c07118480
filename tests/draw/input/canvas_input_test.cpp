#include <gtest/gtest.h>

#include "draw/input/canvas_input.h"
#include "draw/input/canvas_input_fixture.h"

namespace tessel {
namespace {

TEST(CanvasInputStroke, PenDragPaintsAndOneUndoRestoresEveryPixel) {
  InputRig rig;
  rig.input.selectTool(kToolPen);
  rig.draw.drawCol1 = 0x204060;
  auto before = rig.pixels(rig.layer());
  rig.press(10, 20);
  EXPECT_EQ(rig.input.state(), DragState::BufferedStroke);
  EXPECT_EQ(rig.captures, 1);
  for (int x = 12; x <= 50; x += 2) rig.moveTo(x, 20);
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.releases, 1);

  // The middle of the line is the drawing colour at full opacity; far rows are untouched.
  EXPECT_EQ(rig.layer().at(30, 20), 0xFF204060u);
  EXPECT_EQ(rig.layer().at(30, 50), kTransparent);
  EXPECT_EQ(rig.layer().at(70, 20), kTransparent);
  auto after = rig.pixels(rig.layer());
  EXPECT_GT(rig.changedCount(before, rig.layer()), 80);
  // The stroke also reached the composite and the screen.
  EXPECT_EQ(rig.doc.composite.at(30, 20) & 0xFFFFFFu, 0x204060u);

  EXPECT_EQ(rig.history->undoCount(), 1);
  UndoRefresh refresh;
  ASSERT_TRUE(rig.history->undo(refresh));
  EXPECT_EQ(rig.pixels(rig.layer()), before);
  ASSERT_TRUE(rig.history->redo(refresh));
  EXPECT_EQ(rig.pixels(rig.layer()), after);
}

TEST(CanvasInputStroke, EveryRouteEntersItsStateAndRecordsOnce) {
  const std::pair<int, DragState> cases[] = {
      {kToolPencil, DragState::PixelStroke},     {kToolEraseHard, DragState::PixelStroke},
      {kToolLine, DragState::OnePixelStroke},    {kToolBrush, DragState::BufferedStroke},
      {kToolAirbrush, DragState::BufferedStroke}, {kToolWatercolour, DragState::DirectStroke},
      {kToolBlur, DragState::DirectStroke},      {kToolFinger, DragState::FingerStroke},
  };
  for (auto [tool, state] : cases) {
    InputRig rig;
    for (int y = 0; y < rig.layer().height(); ++y)
      for (int x = 0; x < rig.layer().width(); ++x) rig.layer().set(x, y, 0xFF000000u | (x * 3 << 8) | y);
    rig.input.selectTool(tool);
    rig.press(20, 20);
    EXPECT_EQ(rig.input.state(), state) << tool;
    rig.moveTo(30, 25);
    rig.release();
    EXPECT_EQ(rig.history->undoCount(), 1) << tool;
  }
}

TEST(CanvasInputStroke, ClickWithSubPixelToolRecordsOneStep) {
  InputRig rig;
  rig.input.selectTool(kToolBrush);   // size 30
  rig.layer().fill(0xFF808080u);
  auto before = rig.pixels(rig.layer());
  rig.press(40, 30);
  rig.release();
  // The engine puts no dab down for a click, but the step is there to undo:
  // the point grown by 30 / 2 + 1 before and 30 / 2 + 2 after.
  ASSERT_EQ(rig.history->undoCount(), 1);
  EXPECT_EQ(rig.history->record(0)->rect, (Rect{24, 14, 34, 34}));
  EXPECT_EQ(rig.pixels(rig.layer()), before);
  UndoRefresh refresh;
  ASSERT_TRUE(rig.history->undo(refresh));
  EXPECT_EQ(rig.pixels(rig.layer()), before);
  EXPECT_EQ(rig.history->undoCount(), 0);
}

TEST(CanvasInputStroke, MovesFromTheOtherSourceAreIgnored) {
  InputRig rig;
  rig.input.selectTool(kToolPencil);
  rig.press(5, 5, kButtonLeft, kSourceTablet);
  rig.moveTo(60, 5, kSourceMouse);   // the mouse wanders off: no line
  rig.release(kButtonLeft, kSourceMouse);
  EXPECT_EQ(rig.input.state(), DragState::PixelStroke);
  EXPECT_EQ(rig.layer().at(30, 5), kTransparent);
  rig.moveTo(9, 5, kSourceTablet);
  rig.release(kButtonLeft, kSourceTablet);
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.layer().at(7, 5), 0xFF000000u);
  EXPECT_EQ(rig.layer().at(30, 5), kTransparent);
}

TEST(CanvasInputPan, SpaceDragPansAndDrawsNothing) {
  InputRig rig(400, 300, 200, 160);
  rig.input.selectTool(kToolPen);
  rig.view.setScroll(100, 80);
  int sx = rig.view.scrollX(), sy = rig.view.scrollY();
  auto before = rig.pixels(rig.layer());
  rig.in.space = true;
  rig.atClient(100, 100);
  ASSERT_TRUE(rig.input.press(kButtonLeft, kSourceMouse, rig.in));
  EXPECT_EQ(rig.input.state(), DragState::Pan);
  rig.atClient(130, 90);
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.view.scrollX(), sx - 30);
  EXPECT_EQ(rig.view.scrollY(), sy + 10);
  rig.input.release(kButtonLeft, kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.pixels(rig.layer()), before);
  EXPECT_EQ(rig.history->undoCount(), 0);
}

TEST(CanvasInputPan, MiddleButtonPans) {
  InputRig rig(400, 300, 200, 160);
  rig.view.setScroll(50, 50);
  rig.atClient(50, 50);
  rig.input.press(kButtonMiddle, kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.state(), DragState::Pan);
  rig.atClient(40, 45);
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.view.scrollX(), 60);
  EXPECT_EQ(rig.view.scrollY(), 55);
  // A left release does not end a middle-button drag.
  rig.input.release(kButtonLeft, kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.state(), DragState::Pan);
  rig.input.release(kButtonMiddle, kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.state(), DragState::Idle);
}

TEST(CanvasInputSize, ShiftDragSizesWithinLimitsAndErasesTheCircle) {
  InputRig rig;
  rig.input.selectTool(kToolBrush);   // size 30
  rig.options.optFlag |= kOptFlagSizeCircle;
  auto screen = rig.pixels(rig.screen);
  rig.in.shift = true;
  rig.atClient(100, 80);
  rig.input.press(kButtonLeft, kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.state(), DragState::SizeDrag);
  EXPECT_EQ(rig.input.feedback().kind, XorShape::Kind::Circle);
  EXPECT_NE(rig.pixels(rig.screen), screen);
  rig.atClient(112, 60);   // only the horizontal part counts
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.tools.sizeOf(kToolBrush), 42);
  rig.atClient(190, 60);
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.tools.sizeOf(kToolBrush), 100);
  rig.atClient(0, 60);
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.tools.sizeOf(kToolBrush), 1);
  rig.atClient(3, 60);
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.tools.sizeOf(kToolBrush), 4);
  rig.input.release(kButtonLeft, kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.pixels(rig.screen), screen);
  EXPECT_EQ(rig.history->undoCount(), 0);
  EXPECT_EQ(rig.layer().at(40, 30), kTransparent);
}

struct MoveCase {
  bool ctrl, shift;
  int zoom;
  Point expected;
};

TEST(CanvasInputMove, AxisLocksAndZoomAndUndo) {
  const MoveCase cases[] = {
      {false, false, 100, {15, 17}}, {true, false, 100, {10, 17}},
      {false, true, 100, {15, 10}},  {false, false, 200, {12, 13}},
  };
  for (const MoveCase& c : cases) {
    InputRig rig;
    rig.view.setZoom(c.zoom);
    rig.layer().set(10, 10, 0xFF112233u);
    rig.input.selectTool(kToolMove);
    auto before = rig.pixels(rig.layer());
    rig.in.ctrl = c.ctrl;
    rig.in.shift = c.shift;
    rig.press(20, 20);
    EXPECT_EQ(rig.input.state(), DragState::LayerMove);
    // Ten small moves of half a client pixel and more add up instead of vanishing.
    double cx = rig.in.clientX, cy = rig.in.clientY;
    for (int i = 1; i <= 10; ++i) {
      rig.atClient(cx + 0.5 * i, cy + 0.7 * i);
      rig.input.move(kSourceMouse, rig.in);
    }
    rig.release();
    EXPECT_EQ(rig.layer().at(c.expected.x, c.expected.y), 0xFF112233u)
        << c.ctrl << c.shift << c.zoom;
    if (!(c.expected == Point{10, 10})) {
      EXPECT_EQ(rig.layer().at(10, 10), kTransparent);
    }
    EXPECT_EQ(rig.history->undoCount(), 1);
    UndoRefresh refresh;
    ASSERT_TRUE(rig.history->undo(refresh));
    EXPECT_EQ(rig.pixels(rig.layer()), before);
  }
}

TEST(CanvasInputTablet, MouseClickWithin500msOfPenLiftIsIgnored) {
  InputRig rig;
  rig.options.optFlag = 0;
  rig.input.selectTool(kToolPencil);
  rig.in.timeMs = 1000;
  rig.press(5, 5, kButtonLeft, kSourceTablet);
  rig.release(kButtonLeft, kSourceTablet);
  EXPECT_EQ(rig.history->undoCount(), 1);
  rig.in.timeMs = 1499;
  EXPECT_FALSE(rig.press(30, 30));
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.layer().at(30, 30), kTransparent);
  // The pen itself and the right button are not held back.
  EXPECT_TRUE(rig.press(40, 40, kButtonRight));
  rig.release(kButtonRight);
  EXPECT_TRUE(rig.press(31, 31, kButtonLeft, kSourceTablet));
  rig.release(kButtonLeft, kSourceTablet);   // lifts again at 1499
  rig.in.timeMs = 1998;
  EXPECT_FALSE(rig.press(30, 30));
  rig.in.timeMs = 1999;
  EXPECT_TRUE(rig.press(30, 30));
  rig.release();
  EXPECT_EQ(rig.layer().at(30, 30), 0xFF000000u);
}

TEST(CanvasInputPress, OutsideTheClientAreaOrUnboundSideButtonIsIgnored) {
  InputRig rig;
  rig.in.overClient = false;
  EXPECT_FALSE(rig.press(10, 10));
  rig.in.overClient = true;
  EXPECT_FALSE(rig.press(10, 10, kButtonSide1));
  EXPECT_FALSE(rig.press(10, 10, kButtonSide2));
  EXPECT_FALSE(rig.press(10, 10, 7));
  EXPECT_EQ(rig.captures, 0);
}

TEST(CanvasInputPress, FillPressIsConsumedUntilRelease) {
  InputRig rig;
  int fills = 0;
  rig.input.hooks.fill = [&] { ++fills; };
  rig.input.selectTool(kToolFill);
  rig.press(10, 10);
  EXPECT_EQ(rig.input.state(), DragState::Consumed);
  EXPECT_EQ(fills, 1);
  rig.moveTo(20, 20);
  EXPECT_EQ(rig.input.state(), DragState::Consumed);
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  // Key action 10 fills with any tool but the selection tool.
  rig.input.selectTool(kToolPen);
  rig.in.keyAction[kKeyActionFill] = true;
  rig.press(10, 10);
  rig.release();
  EXPECT_EQ(fills, 2);
  rig.input.selectTool(kToolSelection);
  rig.press(10, 10);
  rig.release();
  EXPECT_EQ(fills, 2);
}

}  // namespace
}  // namespace tessel
