// Selection and whole-image commands through the real main window, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include "ui/canvas_widget.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

Pixel patternAt(int x, int y) { return makePixel(255, x & 0xFF, y & 0xFF, 0x40); }

class SelectionShellTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(session.start(QString()));
    Image32& layer = session.app().document.currentLayer()->image();
    for (int y = 0; y < layer.height(); ++y)
      for (int x = 0; x < layer.width(); ++x) layer.set(x, y, patternAt(x, y));
  }
  void TearDown() override {
    session.app().undo->clearModified();   // no unsaved-changes question at close
    session.window()->close();
    session.shutdown();
    ShellTest::TearDown();
  }
  Image32& layer() { return session.app().document.currentLayer()->image(); }
  QPoint at(int x, int y) {
    const Point c = session.app().view.viewFromImage(x, y);
    return {c.x, c.y};
  }
  // A left-button drag on the canvas in four moves.
  void drag(QPoint a, QPoint b, Qt::KeyboardModifiers keys = {}) {
    QWidget* viewport = session.window()->canvas()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, keys, a);
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(viewport, a + (b - a) * i / 4);
    QTest::mouseRelease(viewport, Qt::LeftButton, keys, b);
  }
  void activate() {
    MainWindow* w = session.window();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    session.app().view.setZoom(100);
    session.app().view.refreshAll();   // the pattern on screen
    session.app().painting.input.selectTool(kToolSelection);
  }

  Session session;
};

TEST_F(SelectionShellTest, DragSelectMoveACopyWithAltDropAndUndo) {
  activate();
  MainWindow* w = session.window();
  Application& app = session.app();
  const Point edge = app.view.viewFromImage(20, 30);
  const Pixel plain = app.screen.at(edge.x, edge.y);
  drag(at(20, 20), at(49, 39));
  EXPECT_EQ(app.selection.rect(), (Rect{20, 20, 30, 20}));
  EXPECT_EQ(app.screen.at(edge.x, edge.y), plain ^ 0x00FFFFFFu);   // the frame
  EXPECT_TRUE(w->action(40102)->isEnabled());
  drag(at(30, 30), at(40, 35), Qt::AltModifier);   // a copy, moved by (10, 5)
  ASSERT_EQ(app.selection.state(), SelectionState::Floating);
  EXPECT_EQ(app.selection.rect(), (Rect{30, 25, 30, 20}));
  EXPECT_FALSE(w->action(40108)->isEnabled());      // the Select menu waits for the drop
  EXPECT_EQ(app.screen.at(edge.x, edge.y), plain);  // the frame went along
  EXPECT_EQ(layer().at(20, 20), patternAt(20, 20));
  EXPECT_EQ(layer().at(30, 25), patternAt(20, 20));
  QTest::keyClick(w, Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(app.selection.state(), SelectionState::None);
  EXPECT_EQ(app.undo->undoCount(), 1);
  EXPECT_EQ(layer().at(59, 44), patternAt(49, 39));
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(layer().at(30, 25), patternAt(30, 25));
  EXPECT_EQ(layer().at(59, 44), patternAt(59, 44));
}

TEST_F(SelectionShellTest, CopyAndPasteByKeysThenDragThePasteAlong) {
  activate();
  MainWindow* w = session.window();
  Application& app = session.app();
  ASSERT_TRUE(app.selection.set(app.document, 10, 10, 29, 19));
  EXPECT_FALSE(w->action(40105)->isEnabled());   // nothing to paste yet
  QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(w->action(40105)->isEnabled());
  QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(app.selection.state(), SelectionState::Floating);
  const Rect placed = app.selection.rect();
  drag(at(placed.x + 5, placed.y + 5), at(placed.x + 12, placed.y + 8));
  const Rect moved = app.selection.rect();
  EXPECT_EQ(moved, (Rect{placed.x + 7, placed.y + 3, 20, 10}));
  // A paste leaves no hole: the place it left shows the layer again.
  EXPECT_EQ(layer().at(placed.x, placed.y), patternAt(placed.x, placed.y));
  EXPECT_EQ(layer().at(moved.x, moved.y), patternAt(10, 10));
  QTest::keyClick(w, Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(app.undo->undoCount(), 1);
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(layer().at(moved.x, moved.y), patternAt(moved.x, moved.y));
}

TEST_F(SelectionShellTest, CtrlArrowDropsAFloatingImageBeforeShiftingTheLayer) {
  activate();
  MainWindow* w = session.window();
  Application& app = session.app();
  drag(at(10, 10), at(29, 19));
  drag(at(20, 15), at(30, 15));   // cut out and moved by 10
  ASSERT_EQ(app.selection.state(), SelectionState::Floating);
  QTest::keyClick(w, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(app.selection.state(), SelectionState::None);
  EXPECT_EQ(app.undo->undoCount(), 2);
  EXPECT_EQ(layer().at(21, 10), patternAt(10, 10));   // dropped at 20, shifted to 21
  EXPECT_EQ(layer().at(11, 10), kTransparent);        // the hole went along
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(layer().at(10, 10), patternAt(10, 10));
  EXPECT_EQ(layer().at(21, 10), patternAt(21, 10));
}

TEST_F(SelectionShellTest, CopyAndPasteGoThroughTheQtClipboard) {
  MainWindow* w = session.window();
  Application& app = session.app();
  layer().set(11, 12, 0x80336699u);
  ASSERT_TRUE(app.selection.set(app.document, 10, 10, 19, 14));
  ASSERT_TRUE(w->command(40123));   // export with alpha
  const QImage picture = QGuiApplication::clipboard()->image();
  ASSERT_EQ(picture.size(), QSize(10, 5));
  EXPECT_EQ(picture.convertToFormat(QImage::Format_ARGB32).pixel(1, 2), 0x80336699u);
  // Back in with alpha: it floats, Ctrl+D drops it, one undo step.
  app.selection.reset();
  ASSERT_TRUE(w->command(40120));
  ASSERT_EQ(app.selection.state(), SelectionState::Floating);
  const Rect placed = app.selection.rect();
  EXPECT_EQ(placed.w, 10);
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  QTest::keyClick(w, Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(app.selection.state(), SelectionState::None);
  EXPECT_EQ(layer().at(placed.x + 1, placed.y + 2), sourceOver(patternAt(placed.x + 1, placed.y + 2), 0x80336699u));
  EXPECT_EQ(app.undo->recordCount(), 1);
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(layer().at(placed.x + 1, placed.y + 2), patternAt(placed.x + 1, placed.y + 2));
}

TEST_F(SelectionShellTest, WholeImageFlipFromTheMenuUndoneWithCtrlZ) {
  MainWindow* w = session.window();
  QAction* flip = w->action(40057);
  ASSERT_NE(flip, nullptr);
  EXPECT_TRUE(flip->isEnabled());
  const int width = layer().width();
  flip->trigger();
  EXPECT_EQ(layer().at(0, 3), patternAt(width - 1, 3));
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(layer().at(0, 3), patternAt(0, 3));
  QTest::keyClick(w, Qt::Key_R, Qt::ControlModifier);   // the flip's own accelerator
  EXPECT_EQ(layer().at(0, 3), patternAt(width - 1, 3));
}

}  // namespace
}  // namespace tessel
