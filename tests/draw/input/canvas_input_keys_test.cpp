#include <gtest/gtest.h>

#include "draw/input/canvas_input.h"
#include "draw/input/canvas_input_fixture.h"

namespace tessel {
namespace {

// The panels' view of the tool: every hook call is counted.
struct KeyRig : InputRig {
  std::vector<int> toolsShown;
  int colourRefreshes = 0;
  KeyRig() {
    input.hooks.toolChanged = [this](int tool) { toolsShown.push_back(tool); };
    input.hooks.colourChanged = [this] { ++colourRefreshes; };
  }
};

TEST(CanvasInputKeys, ToolKeysSelectAndRememberThePreviousTool) {
  KeyRig r;
  ASSERT_TRUE(r.input.boundKey(kBindTool, kToolBrush));
  EXPECT_EQ(r.draw.toolNo, kToolBrush);
  ASSERT_TRUE(r.input.boundKey(kBindTool, kToolSelection));
  EXPECT_EQ(r.draw.toolNo, kToolSelection);
  EXPECT_EQ(r.options.eraseBkTool, kToolBrush);
  EXPECT_EQ(r.toolsShown, (std::vector<int>{kToolBrush, kToolSelection}));
  EXPECT_FALSE(r.input.boundKey(kBindTool, kToolCount));
  EXPECT_FALSE(r.input.boundKey(kBindTool, -1));
  EXPECT_EQ(r.draw.toolNo, kToolSelection);
}

TEST(CanvasInputKeys, DrawTypeKeysOnlyWhereTheToolHasDrawTypes) {
  KeyRig r;
  r.input.selectTool(kToolPen);
  ASSERT_TRUE(r.input.boundKey(kBindDrawType, 4));
  EXPECT_EQ(r.tools.drawType[kToolPen], 4);
  EXPECT_EQ(r.toolsShown.back(), kToolPen);
  ASSERT_TRUE(r.input.boundKey(kBindDrawType, 0));
  EXPECT_EQ(r.tools.drawType[kToolPen], 0);
  EXPECT_FALSE(r.input.boundKey(kBindDrawType, 10));   // beyond the spline
  // A press now paints freehand again.
  r.press(10, 10);
  EXPECT_EQ(r.input.state(), DragState::BufferedStroke);
  r.release();
  for (int tool : {int(kToolFill), int(kToolGradient), int(kToolText), int(kToolMove), int(kToolSelection)}) {
    r.input.selectTool(tool);
    const size_t shown = r.toolsShown.size();
    EXPECT_FALSE(r.input.boundKey(kBindDrawType, 1)) << tool;
    EXPECT_EQ(r.tools.drawType[tool], 0) << tool;
    EXPECT_EQ(r.toolsShown.size(), shown) << tool;
  }
}

TEST(CanvasInputKeys, EraserSwitchAndColourSwap) {
  KeyRig r;
  r.options.defErase = 1;
  r.input.selectTool(kToolAirbrush);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeyEraserSwitch));
  EXPECT_EQ(r.draw.toolNo, kToolErasePen);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeyEraserSwitch));
  EXPECT_EQ(r.draw.toolNo, kToolAirbrush);

  EXPECT_EQ(r.draw.curColNo, 0);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeySwapColours));
  EXPECT_EQ(r.draw.curColNo, 1);
  EXPECT_EQ(r.draw.drawingColour(), 0xFFFFFFu);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeySwapColours));
  EXPECT_EQ(r.draw.curColNo, 0);
  EXPECT_EQ(r.colourRefreshes, 2);
}

TEST(CanvasInputKeys, SizeKeysStayWithinOneToAHundred) {
  KeyRig r;
  r.input.selectTool(kToolBrush);
  r.tools.setSize(kToolBrush, 99);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeySizeUp));
  EXPECT_EQ(r.tools.sizeOf(kToolBrush), 100);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeySizeUp));
  EXPECT_EQ(r.tools.sizeOf(kToolBrush), 100);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeySizeDown));
  EXPECT_EQ(r.tools.sizeOf(kToolBrush), 99);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeySizeOne));
  EXPECT_EQ(r.tools.sizeOf(kToolBrush), 1);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeySizeDown));
  EXPECT_EQ(r.tools.sizeOf(kToolBrush), 1);
  EXPECT_EQ(r.tools.sizeOf(kToolPen), 8);   // only the current tool's size
  EXPECT_EQ(r.toolsShown.back(), kToolBrush);
  // The new size reaches the next stroke: a pencil click of size 1 sets one pixel.
  r.input.selectTool(kToolPencil);
  r.tools.setSize(kToolPencil, 3);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeySizeOne));
  const std::vector<Pixel> before = r.pixels(r.layer());
  r.press(20.5, 20.5);
  r.release();
  EXPECT_EQ(r.changedCount(before, r.layer()), 1);
  EXPECT_EQ(r.layer().at(20, 20), 0xFF000000u);
}

TEST(CanvasInputKeys, TextureSwitchAndWatercolourAmounts) {
  KeyRig r;
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeyTexture));
  EXPECT_TRUE(r.draw.textureOn);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeyTexture));
  EXPECT_FALSE(r.draw.textureOn);
  EXPECT_EQ(r.tools.env.water, 0x11400u);   // amount B
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeyWaterA + 3));
  EXPECT_EQ(r.tools.env.water, 0x31400u);
  ASSERT_TRUE(r.input.boundKey(kBindToolAction, kKeyWaterA));
  EXPECT_EQ(r.tools.env.water, 0x01400u);   // the percentages keep their bits
  EXPECT_FALSE(r.input.boundKey(kBindToolAction, kKeyWaterA + 4));
  EXPECT_FALSE(r.input.boundKey(kBindToolAction, -1));
  EXPECT_EQ(r.tools.env.water, 0x01400u);
}

TEST(CanvasInputKeys, NothingDuringADragNorForOtherCategories) {
  KeyRig r;
  r.input.selectTool(kToolPen);
  r.press(10, 10);
  ASSERT_TRUE(r.input.dragging());
  EXPECT_FALSE(r.input.boundKey(kBindTool, kToolBrush));
  EXPECT_FALSE(r.input.boundKey(kBindDrawType, 2));
  EXPECT_FALSE(r.input.boundKey(kBindToolAction, kKeySizeUp));
  EXPECT_FALSE(r.input.boundKey(kBindToolAction, kKeySwapColours));
  EXPECT_EQ(r.draw.toolNo, kToolPen);
  EXPECT_EQ(r.tools.drawType[kToolPen], 0);
  EXPECT_EQ(r.tools.sizeOf(kToolPen), 8);
  EXPECT_EQ(r.draw.curColNo, 0);
  r.release();
  // View commands, held keys and panels are not the canvas input's.
  EXPECT_FALSE(r.input.boundKey(2, 0));
  EXPECT_FALSE(r.input.boundKey(3, 0));
  EXPECT_FALSE(r.input.boundKey(5, 0));
  EXPECT_TRUE(r.input.boundKey(kBindToolAction, kKeySizeUp));
  EXPECT_EQ(r.tools.sizeOf(kToolPen), 9);
}

}  // namespace
}  // namespace tessel
