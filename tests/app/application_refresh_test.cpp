// The refresh notifications the shell gets after strokes, undo and redo.
#include <gtest/gtest.h>

#include "app/application.h"
#include "app_fixture.h"

namespace tessel {
namespace {

class ApplicationRefresh : public testing::AppFixture {
 protected:
  ApplicationRefresh() : AppFixture("tessel-refresh") {}
  // A pen stroke from image (x0, y) to (x1, y), the way the canvas sends it.
  void penStroke(int x0, int x1, int y) {
    CanvasInput& input = app->painting.input;
    input.selectTool(kToolPen);
    InputState in;
    auto at = [&](int x) {
      Point c = app->view.viewFromImage(x, y);
      in.clientX = c.x;
      in.clientY = c.y;
    };
    at(x0);
    ASSERT_TRUE(input.press(kButtonLeft, kSourceMouse, in));
    for (int x = x0 + 5; x <= x1; x += 5) {
      at(x);
      input.move(kSourceMouse, in);
    }
    input.release(kButtonLeft, kSourceMouse, in);
  }
};

TEST_F(ApplicationRefresh, StrokeUndoAndRedoRefreshTheLayerRowAndTheNavigator) {
  penStroke(60, 120, 80);
  ASSERT_EQ(app->document.currentLayer()->image().at(90, 80), 0xFF000000u);
  EXPECT_EQ(shell.layerRows, (std::vector<int>{0}));
  EXPECT_EQ(shell.navigatorRefreshes, 1);
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_EQ(app->document.currentLayer()->image().at(90, 80), kTransparent);
  EXPECT_EQ(shell.layerRows, (std::vector<int>{0, 0}));
  EXPECT_EQ(shell.navigatorRefreshes, 2);
  ASSERT_TRUE(app->undoStep(true));
  EXPECT_EQ(shell.layerRows, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(shell.navigatorRefreshes, 3);
  EXPECT_EQ(shell.unexpected, 0);
}

TEST_F(ApplicationRefresh, LayerOperationsRebuildEveryRowAndEmptyStepsNothing) {
  EXPECT_FALSE(app->undoStep(false));   // nothing to undo
  EXPECT_TRUE(shell.layerRows.empty());
  ASSERT_TRUE(app->document.newLayer(false));
  ASSERT_EQ(app->document.layerCount(), 2);
  // A stroke on the new top layer names its row.
  penStroke(40, 80, 40);
  EXPECT_EQ(shell.layerRows, (std::vector<int>{app->document.currentIndex()}));
  ASSERT_TRUE(app->undoStep(false));
  ASSERT_TRUE(app->undoStep(false));   // the new layer goes again
  EXPECT_EQ(app->document.layerCount(), 1);
  ASSERT_EQ(shell.layerRows.size(), 3u);
  EXPECT_EQ(shell.layerRows.back(), -1);
  EXPECT_EQ(shell.navigatorRefreshes, 3);
}

}  // namespace
}  // namespace tessel
