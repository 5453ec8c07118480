#include <gtest/gtest.h>

#include "draw/input/canvas_input.h"
#include "draw/input/canvas_input_fixture.h"

namespace tessel {
namespace {

// Bottom layer opaque blue, a top layer with one red pixel at (5, 5); the
// bottom layer is current.
struct PickRig : InputRig {
  int colourEvents = 0;
  PickRig() {
    layer().fill(0xFF0000FFu);
    EXPECT_TRUE(doc.newLayer(false));
    doc.layers().atIndex(0)->image().set(5, 5, 0xFFFF0000u);
    doc.selectLayer(1);
    view.refreshAll();
    options.optFlag = 0;
    input.hooks.colourChanged = [this] { ++colourEvents; };
    input.selectTool(kToolPen);
  }
  void click(double x, double y, int button = kButtonRight) {
    press(x, y, button);
    EXPECT_EQ(input.state(), DragState::Consumed);
    release(button);
  }
};

TEST(CanvasInputEyedropper, CompositeLayerMaskAndSlotVariants) {
  PickRig rig;
  rig.click(5, 5);
  EXPECT_EQ(rig.draw.drawCol1, 0xFF0000u);   // the composite: the top layer's red
  rig.in.ctrl = true;
  rig.click(5, 5);
  EXPECT_EQ(rig.draw.drawCol1, 0x0000FFu);   // the current layer's blue
  rig.in.ctrl = false;

  rig.draw.curColNo = 1;
  rig.click(5, 5);
  EXPECT_EQ(rig.draw.drawCol2, 0xFF0000u);
  rig.in.shift = true;   // Shift always fills the first slot
  rig.draw.drawCol1 = 0;
  rig.click(6, 6);
  EXPECT_EQ(rig.draw.drawCol1, 0x0000FFu);
  EXPECT_EQ(rig.draw.drawCol2, 0xFF0000u);
  rig.in.shift = false;

  rig.draw.colMaskCnt = 3;
  rig.draw.maskCol[0] = 0x111111;
  rig.draw.maskCol[1] = 0x222222;
  rig.draw.maskCol[2] = 0x333333;
  rig.in.alt = true;
  rig.click(5, 5);
  EXPECT_EQ(rig.draw.maskCol[0], 0xFF0000u);
  EXPECT_EQ(rig.draw.maskCol[1], 0x111111u);
  EXPECT_EQ(rig.draw.maskCol[2], 0x222222u);
  rig.click(6, 6);   // a listed colour moves to the front instead of doubling
  rig.click(5, 5);
  EXPECT_EQ(rig.draw.maskCol[0], 0xFF0000u);
  EXPECT_EQ(rig.draw.maskCol[1], 0x0000FFu);
  EXPECT_EQ(rig.draw.maskCol[2], 0x111111u);
  EXPECT_EQ(rig.draw.maskCol[3], 0u);   // beyond the count nothing moves
  EXPECT_EQ(rig.colourEvents, 7);
}

TEST(CanvasInputEyedropper, TransparentPickAndOutside) {
  PickRig rig;
  rig.doc.layers().atIndex(1)->image().fill(kTransparent);
  rig.view.refreshAll();
  rig.draw.drawCol1 = 0x123456;
  rig.click(10, 10);
  EXPECT_EQ(rig.draw.drawCol1, 0x123456u);   // a transparent pick sets no colour
  EXPECT_EQ(rig.draw.toolNo, kToolPen);
  rig.click(-3, 10);
  rig.click(500, 10);
  EXPECT_EQ(rig.draw.drawCol1, 0x123456u);
  EXPECT_EQ(rig.colourEvents, 0);

  rig.options.optFlag = kOptFlagTransparentPickErases;
  rig.options.defErase = 1;
  rig.click(10, 10);
  EXPECT_EQ(rig.draw.toolNo, kToolErasePen);
  EXPECT_EQ(rig.options.eraseBkTool, kToolPen);
  // Key action 9 is the eyedropper on the left button.
  rig.in.keyAction[kKeyActionEyedropper] = true;
  rig.click(5, 5, kButtonLeft);
  EXPECT_EQ(rig.draw.drawCol1, 0xFF0000u);
}

TEST(CanvasInputEyedropper, SelectionToolRightClickOpensTheMenu) {
  PickRig rig;
  int menus = 0;
  rig.input.hooks.selectMenu = [&](double, double) { ++menus; };
  rig.input.selectTool(kToolSelection);
  rig.draw.drawCol1 = 7;
  rig.click(5, 5);
  EXPECT_EQ(menus, 1);
  EXPECT_EQ(rig.draw.drawCol1, 7u);
}

TEST(CanvasInputMix, HalfwayThirdsAndTheTenSecondWindow) {
  PickRig rig;
  rig.doc.layers().atIndex(0)->image().set(1, 1, 0xFF0A0A0Au);
  rig.doc.layers().atIndex(0)->image().set(2, 2, 0xFF030303u);
  rig.doc.layers().atIndex(0)->image().set(3, 3, 0xFF0A1E03u);
  rig.view.refreshAll();
  rig.in.backspace = true;
  rig.in.timeMs = 0;
  rig.click(1, 1, kButtonLeft);
  ASSERT_TRUE(rig.input.mixPick().has_value());
  rig.in.timeMs = 10000;
  rig.click(2, 2, kButtonLeft);
  // (3 - 10) / 2 truncates toward zero: 10 - 3 = 7.
  EXPECT_EQ(rig.draw.drawCol1, 0x070707u);
  EXPECT_FALSE(rig.input.mixPick().has_value());

  rig.in.shift = true;
  rig.click(1, 1, kButtonLeft);
  rig.click(3, 3, kButtonLeft);
  // Red 10 + 0, green 10 + 20/3 = 16 and 10 + 40/3 = 23, blue 10 - 7/3 = 8 and 10 - 14/3 = 6.
  EXPECT_EQ(rig.draw.drawCol1, 0x0A1008u);
  EXPECT_EQ(rig.draw.drawCol2, 0x0A1706u);

  rig.in.shift = false;
  rig.in.timeMs = 20000;
  rig.click(1, 1, kButtonLeft);
  rig.in.timeMs = 30001;   // too late: this pick starts again
  rig.click(2, 2, kButtonLeft);
  EXPECT_EQ(rig.draw.drawCol1, 0x0A1008u);
  EXPECT_EQ(rig.input.mixPick().value_or(0), 0x030303u);
}

TEST(CanvasInputReplace, EnterReplacesAColourKeepingAlphaAndUndoes) {
  InputRig rig;
  Image32& img = rig.layer();
  img.set(1, 1, 0xFF336699u);
  img.set(2, 1, 0x80336699u);
  img.set(3, 1, 0xFF336698u);
  rig.draw.drawCol1 = 0xABCDEF;
  auto before = rig.pixels(img);
  rig.in.enter = true;
  rig.press(1, 1);
  rig.release();
  EXPECT_EQ(img.at(1, 1), 0xFFABCDEFu);
  EXPECT_EQ(img.at(2, 1), 0x80ABCDEFu);
  EXPECT_EQ(img.at(3, 1), 0xFF336698u);
  EXPECT_EQ(img.at(4, 1), kTransparent);
  EXPECT_EQ(rig.history->undoCount(), 1);
  UndoRefresh refresh;
  ASSERT_TRUE(rig.history->undo(refresh));
  EXPECT_EQ(rig.pixels(img), before);

  rig.in.shift = true;   // Shift clears that colour instead
  rig.press(2, 1);
  rig.release();
  EXPECT_EQ(img.at(1, 1), kTransparent);
  EXPECT_EQ(img.at(2, 1), kTransparent);
  EXPECT_EQ(img.at(3, 1), 0xFF336698u);
  rig.press(10, 10);   // Shift on a transparent pixel: nothing, no record
  rig.release();
  EXPECT_EQ(rig.history->undoCount(), 1);

  rig.in.shift = false;   // a transparent pixel: every transparent pixel takes the colour
  rig.press(10, 10);
  rig.release();
  EXPECT_EQ(img.at(10, 10), 0xFFABCDEFu);
  EXPECT_EQ(img.at(1, 1), 0xFFABCDEFu);
  EXPECT_EQ(img.at(3, 1), 0xFF336698u);
}

TEST(CanvasInputButtons, SideButtonActionsAndTheEraserSwitch) {
  PickRig rig;
  rig.options.tabSide[0] = kActionEraserSwitch;
  rig.options.tabSide[1] = kActionUndo;
  rig.options.defErase = 2;
  rig.click(5, 5, kButtonSide1);
  EXPECT_EQ(rig.draw.toolNo, kToolEraseBrush);
  rig.click(5, 5, kButtonSide1);
  EXPECT_EQ(rig.draw.toolNo, kToolPen);
  rig.click(5, 5, kButtonSide2);
  EXPECT_EQ(rig.undos, 1);
  rig.options.tabSide[1] = kActionPan;
  rig.press(5, 5, kButtonSide2);
  EXPECT_EQ(rig.input.state(), DragState::Pan);
  rig.release(kButtonSide2);
  rig.options.tabSide[1] = kActionEyedropper;
  rig.click(5, 5, kButtonSide2);
  EXPECT_EQ(rig.draw.drawCol1, 0xFF0000u);

  // Tools from 15 on and the erasers are never remembered.
  rig.input.selectTool(kToolBrush);
  rig.input.selectTool(kToolText);
  rig.input.selectTool(kToolEraseHard);
  EXPECT_EQ(rig.options.eraseBkTool, kToolBrush);
  rig.input.eraserSwitch();
  EXPECT_EQ(rig.draw.toolNo, kToolBrush);
  rig.input.selectTool(99);
  EXPECT_EQ(rig.draw.toolNo, kToolBrush);
}

}  // namespace
}  // namespace tessel
