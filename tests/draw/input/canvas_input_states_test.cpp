#include <gtest/gtest.h>

#include "draw/input/canvas_input.h"
#include "draw/input/canvas_input_fixture.h"

namespace tessel {
namespace {

// Drags are entered and show their feedback; those that draw leave their
// steps (expectDrawn), the rest leave the layer, the screen and the history
// as they were (expectClean).
struct CleanRig : InputRig {
  std::vector<Pixel> before, screenBefore;
  int steps = 0;
  CleanRig() {
    layer().fill(0xFF445566u);
    view.refreshAll();
    input.selectTool(kToolPen);
    before = pixels(layer());
    screenBefore = pixels(screen);
  }
  void expectClean(const char* what) {
    EXPECT_EQ(input.state(), DragState::Idle) << what;
    EXPECT_EQ(pixels(layer()), before) << what;
    EXPECT_EQ(pixels(screen), screenBefore) << what;
    EXPECT_EQ(history->undoCount(), steps) << what;
    EXPECT_EQ(captures, releases) << what;
  }
  // The drag drew and recorded `added` steps; what follows starts from here.
  void expectDrawn(const char* what, int added = 1) {
    EXPECT_EQ(input.state(), DragState::Idle) << what;
    EXPECT_NE(pixels(layer()), before) << what;
    steps += added;
    EXPECT_EQ(history->undoCount(), steps) << what;
    EXPECT_EQ(captures, releases) << what;
    before = pixels(layer());
    screenBefore = pixels(screen);
  }
};

struct TypeCase {
  int drawType;
  DragState state;
  int sub;
  XorShape::Kind feedback;
};

TEST(CanvasInputStates, RubberBandDrawTypesLeaveNoTrace) {
  const TypeCase cases[] = {
      {1, DragState::LineDrag, 0, XorShape::Kind::Line},
      {2, DragState::RectDrag, 0, XorShape::Kind::Rect},
      {3, DragState::RectDrag, 1, XorShape::Kind::Rect},
      {4, DragState::EllipseDrag, 0, XorShape::Kind::Ellipse},
      {5, DragState::EllipseDrag, 1, XorShape::Kind::Ellipse},
  };
  for (const TypeCase& c : cases) {
    CleanRig rig;
    rig.tools.drawType[kToolPen] = uint8_t(c.drawType);
    rig.press(10, 10);
    EXPECT_EQ(rig.input.state(), c.state);
    EXPECT_EQ(rig.input.subMode(), c.sub);
    rig.moveTo(40, 30);
    EXPECT_EQ(rig.input.feedback().kind, c.feedback);
    EXPECT_NE(rig.pixels(rig.screen), rig.screenBefore);
    EXPECT_EQ(rig.view.infoBar().size, formatSize(31, 21));
    rig.moveTo(50, 35);
    rig.release();
    rig.expectDrawn("draw type");
  }
}

TEST(CanvasInputStates, HeldKeyActionPicksTheDrawType) {
  CleanRig rig;
  rig.in.keyAction[3] = true;   // ellipse while held
  rig.in.keyAction[1] = true;   // later in the table: loses
  rig.press(10, 10);
  EXPECT_EQ(rig.input.state(), DragState::RectDrag);
  EXPECT_EQ(rig.input.subMode(), 0);
  rig.release();
  rig.in.keyAction[1] = false;
  rig.press(10, 10);
  EXPECT_EQ(rig.input.state(), DragState::EllipseDrag);
  rig.release();
  rig.expectDrawn("held key", 1);   // the pen's rectangle of no size draws nothing
}

TEST(CanvasInputStates, PolylineTakesPointsAndEndsOnTheRightButton) {
  for (int type : {6, 7}) {
    CleanRig rig;
    rig.tools.drawType[kToolPen] = uint8_t(type);
    rig.press(10, 10);
    EXPECT_EQ(rig.input.state(), DragState::PolylineDrag);
    EXPECT_EQ(rig.input.subMode(), type - 6);
    rig.moveTo(30, 10);
    rig.release();
    EXPECT_EQ(rig.input.state(), DragState::PolylineDrag);   // the drag continues
    rig.press(30, 10);
    rig.release();
    rig.moveTo(30, 40);
    EXPECT_EQ(rig.input.points().size(), 2u);
    rig.release(kButtonRight);
    rig.expectDrawn("polyline");
  }
  CleanRig rig;   // Esc or Enter finishes too
  rig.tools.drawType[kToolPen] = 6;
  rig.press(10, 10);
  rig.release();
  EXPECT_TRUE(rig.input.finishKey(false));
  rig.expectClean("polyline key");
  EXPECT_FALSE(rig.input.finishKey(false));
}

TEST(CanvasInputStates, BezierTakesTwoControlPointsOrTheRightButton) {
  CleanRig rig;
  rig.tools.drawType[kToolPen] = 8;
  rig.press(10, 10);
  EXPECT_EQ(rig.input.state(), DragState::LineDrag);
  EXPECT_EQ(rig.input.subMode(), 1);
  rig.moveTo(40, 10);
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::BezierEdit);
  EXPECT_EQ(rig.input.points().size(), 4u);
  rig.press(20, 20);
  rig.moveTo(20, 25);
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::BezierEdit);
  rig.press(30, 20);
  rig.release();
  rig.expectDrawn("bezier");

  rig.press(10, 10);
  rig.release();
  rig.release(kButtonRight);   // cancelled
  rig.expectClean("bezier cancelled");
}

TEST(CanvasInputStates, SplineCollectsClicksAndBackspaceDropsThem) {
  CleanRig rig;
  rig.tools.drawType[kToolPen] = 9;
  rig.press(10, 10);
  EXPECT_EQ(rig.input.state(), DragState::SplineCollect);
  rig.release();
  rig.press(20, 15);
  rig.release();
  EXPECT_EQ(rig.input.points().size(), 3u);   // the press point and two releases
  EXPECT_TRUE(rig.input.finishKey(true));
  EXPECT_EQ(rig.input.points().size(), 2u);
  EXPECT_TRUE(rig.input.finishKey(true));   // fewer than two left: the drag ends
  rig.expectClean("spline backspace");
  EXPECT_FALSE(rig.input.finishKey(true));

  rig.press(10, 10);
  rig.release();
  rig.release(kButtonRight);
  rig.expectClean("spline right button");
}

TEST(CanvasInputStates, GradientTextSelectionAndGuideSetUp) {
  CleanRig rig;
  rig.input.selectTool(kToolGradient);
  rig.press(5, 5);
  EXPECT_EQ(rig.input.state(), DragState::LineDrag);
  EXPECT_EQ(rig.input.subMode(), 2);
  rig.moveTo(30, 30);
  rig.release();
  rig.expectDrawn("gradient");

  rig.input.selectTool(kToolSelection);
  rig.press(5, 5);
  EXPECT_EQ(rig.input.state(), DragState::SelectionDrag);
  rig.moveTo(30, 30);
  EXPECT_EQ(rig.input.outline().frame(), (Rect{5, 5, 26, 26}));
  rig.release();
  EXPECT_EQ(rig.selection.rect(), (Rect{5, 5, 26, 26}));
  rig.selection.reset();   // the frame goes with the selection
  rig.input.syncOutline();
  rig.expectClean("selection");

  rig.input.selectTool(kToolText);
  rig.press(5, 5);
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::TextPlace);   // waits for the text dialog
  EXPECT_TRUE(rig.press(8, 8));                        // a second click moves the anchor
  rig.release();
  rig.input.cancel();
  rig.expectClean("text");

  rig.input.selectTool(kToolPen);
  rig.in.alt = true;
  const std::pair<GuideKind, DragState> guides[] = {
      {GuideKind::Parallel, DragState::LineDrag},     {GuideKind::Grid, DragState::LineDrag},
      {GuideKind::Ellipse, DragState::EllipseDrag},   {GuideKind::Concentrated, DragState::GuideCentre},
      {GuideKind::Circle, DragState::GuideCentre},
  };
  for (auto [guide, state] : guides) {
    rig.options.guide = guide;
    rig.press(20, 20);
    EXPECT_EQ(rig.input.state(), state);
    EXPECT_NE(rig.pixels(rig.screen), rig.screenBefore);
    rig.moveTo(25, 28);
    rig.release();
    rig.expectClean("guide");
  }
}

TEST(CanvasInputStates, FeedbackIsErasedExactlyAtTheScreenEdge) {
  CleanRig rig;
  rig.tools.drawType[kToolPen] = 4;
  rig.atClient(190, 150);
  rig.input.press(kButtonLeft, kSourceMouse, rig.in);
  rig.atClient(260, 220);   // the ellipse runs off the screen
  rig.input.move(kSourceMouse, rig.in);
  rig.atClient(-30, -40);
  rig.input.move(kSourceMouse, rig.in);
  rig.input.release(kButtonLeft, kSourceMouse, rig.in);
  // The ellipse is drawn; the screen is what a fresh rendering gives, no band left.
  const std::vector<Pixel> shown = rig.pixels(rig.screen);
  rig.view.refreshAll();
  EXPECT_EQ(rig.pixels(rig.screen), shown);
  rig.expectDrawn("edge");
}

}  // namespace
}  // namespace tessel
