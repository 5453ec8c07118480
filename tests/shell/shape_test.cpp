// Shapes drawn on the real canvas under the offscreen platform, then undone.
#include <gtest/gtest.h>

#include <QTest>

#include "app/application.h"
#include "ui/canvas_widget.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

using ShapeShell = ShellTest;

std::vector<Pixel> pixelsOf(const Image32& img) {
  std::vector<Pixel> out;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) out.push_back(img.at(x, y));
  return out;
}

TEST_F(ShapeShell, RectangleAndPolylineOnTheCanvasThenUndone) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  PaintingTools& p = app.painting;
  p.input.selectTool(kToolPencil);
  p.tools.setSize(kToolPencil, 1);
  p.tools.setAlpha(kToolPencil, 255);
  p.draw.drawCol1 = 0x203040;
  p.draw.curColNo = 0;
  const Image32& layer = app.document.currentLayer()->image;
  const std::vector<Pixel> before = pixelsOf(layer);
  QWidget* viewport = w->canvas()->viewport();
  auto at = [&](int x, int y) {
    Point c = app.view.viewFromImage(x, y);
    return QPoint(c.x, c.y);
  };

  p.tools.drawType[kToolPencil] = 2;   // rectangle
  QTest::mousePress(viewport, Qt::LeftButton, {}, at(40, 40));
  QTest::mouseMove(viewport, at(60, 50));
  QTest::mouseMove(viewport, at(80, 70));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(80, 70));
  EXPECT_EQ(layer.at(40, 40), 0xFF203040u);
  EXPECT_EQ(layer.at(80, 55), 0xFF203040u);
  EXPECT_EQ(layer.at(60, 55), before[size_t(55 * layer.width() + 60)]);
  EXPECT_EQ(app.undo->undoCount(), 1);

  p.tools.drawType[kToolPencil] = 6;   // polyline: a click per corner, the right button ends
  QTest::mouseClick(viewport, Qt::LeftButton, {}, at(100, 40));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, at(140, 40));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, at(140, 90));
  QTest::mouseClick(viewport, Qt::RightButton, {}, at(140, 90));
  EXPECT_EQ(layer.at(120, 40), 0xFF203040u);
  EXPECT_EQ(layer.at(140, 60), 0xFF203040u);
  EXPECT_EQ(app.undo->undoCount(), 2);   // the whole polyline is one step

  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(app.undo->undoCount(), 1);
  EXPECT_NE(layer.at(120, 40), 0xFF203040u);
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(pixelsOf(layer), before);
  session.shutdown();
}

}  // namespace
}  // namespace tessel
