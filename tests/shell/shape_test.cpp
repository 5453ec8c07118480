// Shapes drawn on the real canvas under the offscreen platform, then undone.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>

#include "app/application.h"
#include "ui/canvas_widget.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "ui/tool_options_panel.h"
#include "draw/fill/gradient.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

using ShapeShell = ShellTest;

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
  const Image32& layer = app.document.currentLayer()->image();
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

// Each geometry chosen in the options panel paints on the canvas what the
// gradient command paints for the same drag and draw type.
TEST_F(ShapeShell, GradientGeometryChosenInThePanelPaintsTheCanvas) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  PaintingTools& p = app.painting;
  p.input.selectTool(kToolGradient);
  p.tools.env.grad = kGradientRainbow;
  auto* options = w->findChild<ToolOptionsPanel*>(QStringLiteral("toolOptionsPanel"));
  ASSERT_NE(options, nullptr);
  options->refresh();
  auto* geometry = options->findChild<QComboBox*>(QStringLiteral("gradientGeometry"));
  ASSERT_NE(geometry, nullptr);
  ASSERT_EQ(geometry->count(), 4);
  const Image32& layer = app.document.currentLayer()->image();
  QWidget* viewport = w->canvas()->viewport();
  auto at = [&](int x, int y) {
    Point c = app.view.viewFromImage(x, y);
    return QPoint(c.x, c.y);
  };
  const int types[4] = {0, 4, 2, 7};
  for (int g = 0; g < 4; ++g) {
    geometry->setCurrentIndex(g);
    ASSERT_EQ(p.tools.drawType[kToolGradient], types[g]);
    QTest::mousePress(viewport, Qt::LeftButton, {}, at(50, 40));
    QTest::mouseMove(viewport, at(70, 50));
    QTest::mouseMove(viewport, at(90, 70));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(90, 70));

    Document expected;
    ASSERT_TRUE(expected.newImage(layer.width(), layer.height(), true));
    expected.currentLayer()->image().fill(kTransparent);
    GradientRequest req;
    req.start = {50, 40}, req.end = {90, 70}, req.drawType = types[g];
    req.grad = kGradientRainbow, req.opacity = p.tools.alphaOf(kToolGradient);
    PixelGate gate;
    std::mt19937 random(1);
    drawGradient(expected, gate, random, req);
    EXPECT_EQ(pixelsOf(layer), pixelsOf(expected.currentLayer()->image())) << "geometry " << g;
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  }
  EXPECT_EQ(app.undo->undoCount(), 0);
  session.shutdown();
}

// Each mouse event reaches the canvas input once: the Bezier takes a drag
// for its ends, a release for the first control and a click to draw.
TEST_F(ShapeShell, BezierTakesOneStepPerRelease) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  PaintingTools& p = app.painting;
  p.input.selectTool(kToolPencil);
  p.tools.drawType[kToolPencil] = 8;
  QWidget* viewport = w->canvas()->viewport();
  auto at = [&](int x, int y) {
    Point c = app.view.viewFromImage(x, y);
    return QPoint(c.x, c.y);
  };
  QTest::mousePress(viewport, Qt::LeftButton, {}, at(20, 30));
  QTest::mouseMove(viewport, at(100, 30));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(100, 30));
  EXPECT_EQ(p.input.state(), DragState::BezierEdit);
  QTest::mousePress(viewport, Qt::LeftButton, {}, at(30, 60));
  QTest::mouseMove(viewport, at(50, 70));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(50, 70));
  EXPECT_EQ(p.input.state(), DragState::BezierEdit);   // the first control is fixed
  EXPECT_EQ(app.undo->undoCount(), 0);
  QTest::mouseMove(viewport, at(90, 10));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, at(90, 10));
  EXPECT_EQ(p.input.state(), DragState::Idle);
  EXPECT_EQ(app.undo->undoCount(), 1);
  session.shutdown();
}

// The guide chooser shows with the painting tools and sets the active guide.
TEST_F(ShapeShell, GuideChooserSetsTheActiveGuide) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  PaintingTools& p = session.app().painting;
  auto* options = w->findChild<ToolOptionsPanel*>(QStringLiteral("toolOptionsPanel"));
  ASSERT_NE(options, nullptr);
  auto* guide = options->findChild<QComboBox*>(QStringLiteral("guideKind"));
  ASSERT_NE(guide, nullptr);
  p.input.selectTool(kToolPen);
  options->refresh();
  EXPECT_FALSE(guide->isHidden());
  EXPECT_EQ(guide->itemText(2), QStringLiteral("集中线"));
  const GuideKind kinds[6] = {GuideKind::None, GuideKind::Parallel, GuideKind::Concentrated,
                              GuideKind::Circle, GuideKind::Ellipse, GuideKind::Grid};
  for (int i : {5, 1, 3, 4, 2, 0}) {
    guide->setCurrentIndex(i);
    EXPECT_EQ(p.options.guide, kinds[i]) << i;
  }
  guide->setCurrentIndex(1);
  p.input.selectTool(kToolFill);
  options->refresh();
  EXPECT_TRUE(guide->isHidden());
  EXPECT_EQ(p.options.guide, GuideKind::Parallel);   // kept while another tool is out
  session.shutdown();
}

}  // namespace
}  // namespace tessel
