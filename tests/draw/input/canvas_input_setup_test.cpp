#include <gtest/gtest.h>

#include "document/document.h"
#include "draw/input/canvas_input_setup.h"
#include "draw/selection/selection.h"

namespace tessel {
namespace {

TEST(PaintingToolsSettings, LoadClampsAndStoreWritesBack) {
  Document doc;
  Image32 screen;
  ViewOptions viewOptions;
  CanvasView view(doc, screen, viewOptions);
  Selection selection;
  PaintingTools p(doc, view, screen, selection);
  Settings s;
  s.brushSize[2] = 0;        // below the range
  s.brushAlpha[4] = 0;
  s.drawType[3] = 12;        // no such draw type
  s.drawType[5] = 7;
  s.drawType[kToolFill] = 2;   // the fill tool has none
  s.drawType[kToolGradient] = 7;   // the gradient keeps its geometry there
  s.toolNo = 40;
  s.curColNo = 1;
  s.drawCol1 = int32_t(0xFF123456u);
  s.colMaskType = 2;
  s.colMaskCnt = 9;
  s.tabSide1 = 7;
  s.tabSide2 = 2;
  s.defErase = 5;
  s.toolEnv.pen = 0x1234;
  p.load(s);
  EXPECT_EQ(p.tools.sizeOf(2), 1);
  EXPECT_EQ(p.tools.alphaOf(4), 1);
  EXPECT_EQ(p.tools.drawType[3], 0);
  EXPECT_EQ(p.tools.drawType[5], 7);
  EXPECT_EQ(p.tools.drawType[kToolFill], 0);
  EXPECT_EQ(p.tools.drawType[kToolGradient], 7);
  EXPECT_EQ(p.draw.toolNo, kToolCount - 1);
  EXPECT_EQ(p.draw.drawingColour(), 0xFFFFFFu);
  EXPECT_EQ(p.draw.drawCol1, 0x123456u);
  EXPECT_EQ(p.draw.colMaskType, 0u);
  EXPECT_EQ(p.draw.colMaskCnt, 5);
  EXPECT_EQ(p.options.tabSide[0], 4);
  EXPECT_EQ(p.options.tabSide[1], 2);
  EXPECT_EQ(p.options.defErase, 2);
  EXPECT_EQ(p.tools.env.pen, 0x1234u);

  p.tools.setSize(kToolBrush, 77);
  p.draw.drawCol2 = 0xABCDEF;
  Settings out;
  p.store(out);
  EXPECT_EQ(out.brushSize[kToolBrush], 77);
  EXPECT_EQ(out.brushSize[2], 1);
  EXPECT_EQ(out.drawCol2, 0xABCDEF);
  EXPECT_EQ(out.drawType[5], 7);
  EXPECT_EQ(out.drawType[kToolGradient], 7);
  EXPECT_EQ(out.toolEnv.pen, 0x1234u);
  EXPECT_EQ(out.toolNo, kToolCount - 1);
}

}  // namespace
}  // namespace tessel
