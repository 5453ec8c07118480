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
    Image32& layer = session.app().document.currentLayer()->image;
    for (int y = 0; y < layer.height(); ++y)
      for (int x = 0; x < layer.width(); ++x) layer.set(x, y, patternAt(x, y));
  }
  void TearDown() override {
    session.app().undo->clearModified();   // no unsaved-changes question at close
    session.window()->close();
    session.shutdown();
    ShellTest::TearDown();
  }
  Image32& layer() { return session.app().document.currentLayer()->image; }

  Session session;
};

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
