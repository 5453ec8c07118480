// The selection and whole-image commands as the menu runs them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/ops/selection_actions.h"
#include "app/app_fixture.h"
#include "app/fake_shell.h"

namespace tessel {
namespace {

Pixel patternAt(int x, int y) { return makePixel(255, x * 7, y * 9, 50); }

class SelectionCommands : public testing::AppFixture {
 protected:
  SelectionCommands() : AppFixture("tessel-selcmd", 30, 20) {}
  void SetUp() override {
    AppFixture::SetUp();
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) layer().set(x, y, patternAt(x, y));
  }
  Image32& layer() { return app->document.currentLayer()->image(); }
  bool run(int id) { return runCommand(*app, shell, id); }
  bool pristine() {
    for (int y = 0; y < app->document.height(); ++y)
      for (int x = 0; x < app->document.width(); ++x)
        if (layer().at(x, y) != patternAt(x, y)) return false;
    return true;
  }

};

TEST_F(SelectionCommands, CopyAndPasteNeedTheSelectionToolAndUndoCommitsTheFloat) {
  ASSERT_TRUE(app->selection.set(app->document, 0, 0, 3, 3));
  app->painting.input.selectTool(kToolPen);
  EXPECT_TRUE(run(40103));
  EXPECT_FALSE(app->selection.hasBuffer());   // copy needs the selection tool
  app->painting.input.selectTool(kToolSelection);
  run(40103);
  run(40105);
  ASSERT_EQ(app->selection.state(), SelectionState::Floating);
  const Rect placed = app->selection.rect();
  EXPECT_EQ(placed.w, 4);
  EXPECT_EQ(layer().at(placed.x, placed.y), patternAt(0, 0));
  // While floating the other commands wait.
  run(40108);
  EXPECT_EQ(app->undo->recordCount(), 0);
  // Undo drops the float (one record) and takes it back out at once.
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_EQ(app->selection.state(), SelectionState::None);
  EXPECT_TRUE(pristine());
  ASSERT_TRUE(app->undoStep(true));
  EXPECT_EQ(layer().at(placed.x + 3, placed.y + 3), patternAt(3, 3));
}

TEST_F(SelectionCommands, UndoKeepsASelectedRectangle) {
  app->painting.input.selectTool(kToolSelection);
  run(40100);
  ASSERT_TRUE(app->selection.set(app->document, 2, 2, 9, 5));
  run(40108);   // flip the selection horizontally
  EXPECT_EQ(layer().at(2, 2), patternAt(9, 2));
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_TRUE(pristine());
  EXPECT_EQ(app->selection.state(), SelectionState::Selected);
  EXPECT_EQ(app->selection.rect(), (Rect{2, 2, 8, 4}));
}

TEST_F(SelectionCommands, ClipboardRoundTripsWithAndWithoutAlpha) {
  layer().set(1, 1, 0x40102030u);
  ASSERT_TRUE(app->selection.set(app->document, 0, 0, 2, 2));
  run(40123);   // 32-bit export keeps alpha
  ASSERT_EQ(shell.clipboard.width(), 3);
  EXPECT_EQ(shell.clipboard.at(1, 1), 0x40102030u);
  run(40122);   // 24-bit: over white, opaque
  EXPECT_EQ(shell.clipboard.at(1, 1), sourceOver(kOpaqueWhite, 0x40102030u));
  EXPECT_EQ(alphaOf(shell.clipboard.at(1, 1)), 255);
  run(40120);   // importing with alpha from a 24-bit bitmap is refused with the message
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0], kMsgNot32BitDib);
  EXPECT_EQ(app->selection.state(), SelectionState::Selected);
  run(40119);   // without alpha it floats at the window's centre
  EXPECT_EQ(app->selection.state(), SelectionState::Floating);
  EXPECT_EQ(app->painting.draw.toolNo, kToolSelection);
  run(40102);
  EXPECT_EQ(app->undo->recordCount(), 1);
}

TEST_F(SelectionCommands, PasteAsNewLayerAddsOneUndoableLayer) {
  run(40053);   // the whole layer, 32-bit
  run(40056);
  ASSERT_EQ(app->document.layerCount(), 2);
  EXPECT_EQ(layer().at(4, 4), patternAt(4, 4));
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_EQ(app->document.layerCount(), 1);
}

TEST_F(SelectionCommands, WholeImageCommandsUndo) {
  run(40057);   // flip horizontally
  EXPECT_EQ(layer().at(0, 0), patternAt(29, 0));
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_TRUE(pristine());
  run(40059);   // clockwise: the canvas turns 20 x 30
  EXPECT_EQ(app->document.width(), 20);
  EXPECT_EQ(layer().at(19, 0), patternAt(0, 0));
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_EQ(app->document.width(), 30);
  EXPECT_TRUE(pristine());

  shell.scaleSizes.push_back({15, 10});
  run(40061);
  ASSERT_EQ(shell.scaleOffered.size(), 1u);
  EXPECT_EQ(shell.scaleOffered[0].oldWidth, 30);
  EXPECT_EQ(app->document.width(), 15);
  EXPECT_EQ(shell.progressRuns, 1);
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_EQ(app->document.height(), 20);

  shell.canvasSizes.push_back({32, 20, 0, 1});   // anchored left, white added
  run(40062);
  EXPECT_EQ(app->document.width(), 32);
  EXPECT_EQ(layer().at(31, 0), kOpaqueWhite);
  EXPECT_EQ(layer().at(0, 0), patternAt(0, 0));
  EXPECT_EQ(shell.unexpected, 0);
}

TEST_F(SelectionCommands, RotateByAngleRemembersTheDialogChoice) {
  ASSERT_TRUE(app->selection.set(app->document, 4, 4, 9, 9));
  shell.rotateAngles.push_back({-30, true});
  run(40112);
  ASSERT_EQ(shell.questions.size(), 1u);
  EXPECT_EQ(shell.questions[0], "rotate 0 smooth");   // the default 65536
  EXPECT_EQ(app->config.rotateAngle, 0x1FFE2);
  EXPECT_EQ(app->undo->recordCount(), 1);
  EXPECT_GT(app->selection.rect().w, 6);
}

TEST_F(SelectionCommands, FillUsesTheDrawingColourAndCropResets) {
  app->painting.draw.drawCol1 = 0x336699;
  ASSERT_TRUE(app->selection.set(app->document, 1, 1, 4, 2));
  run(40106);
  EXPECT_EQ(layer().at(4, 2), 0xFF336699u);
  run(40113);
  EXPECT_EQ(app->document.width(), 4);
  EXPECT_EQ(app->selection.state(), SelectionState::None);
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_EQ(app->document.width(), 30);
}

}  // namespace
}  // namespace tessel
