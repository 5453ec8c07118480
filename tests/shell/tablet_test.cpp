// Tablet input through Qt's tablet events under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QTemporaryDir>

#include "app/application.h"
#include "app/scripted_stroke.h"
#include "draw/tool/tool_traits.h"
#include "ui/canvas_widget.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

class TabletTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(session.start(QString()));
    viewport = session.window()->canvas()->viewport();
  }
  void TearDown() override {
    session.shutdown();
    ShellTest::TearDown();
  }
  // One tablet event at image point (x, y).
  void send(QEvent::Type type, const QPointingDevice& device, double x, double y, double pressure,
            Qt::MouseButton button, Qt::MouseButtons buttons) {
    Application& app = session.app();
    Point origin = app.view.viewFromImage(0, 0);
    QPointF local(origin.x + x, origin.y + y);
    QTabletEvent e(type, &device, local, viewport->mapToGlobal(local), pressure, 0, 0, 0, 0, 0,
                   Qt::NoModifier, button, buttons);
    QApplication::sendEvent(viewport, &e);
  }

  Session session;
  QWidget* viewport = nullptr;
  QPointingDevice pen{QStringLiteral("pen"), 101, QInputDevice::DeviceType::Stylus,
                      QPointingDevice::PointerType::Pen, QInputDevice::Capability::Pressure, 1, 3};
  QPointingDevice eraser{QStringLiteral("eraser"), 102, QInputDevice::DeviceType::Stylus,
                         QPointingDevice::PointerType::Eraser, QInputDevice::Capability::Pressure, 1, 3};
};

TEST_F(TabletTest, PressureRampPaintsAsTheScriptedStroke) {
  Application& app = session.app();
  app.painting.input.selectTool(kToolPen);
  app.painting.tools.setSize(kToolPen, 20);
  app.painting.draw.drawCol1 = 0x3060C0;
  app.painting.draw.curColNo = 0;
  std::vector<StrokeSample> samples;
  for (int i = 1; i <= 10; ++i) samples.push_back({20.5 + 20.0 * i, 60.25 + 8.0 * i, float(i) / 10.0f});
  send(QEvent::TabletMove, pen, samples[0].x, samples[0].y, 0.0, Qt::NoButton, Qt::NoButton);
  send(QEvent::TabletPress, pen, samples[0].x, samples[0].y, 0.1, Qt::LeftButton, Qt::LeftButton);
  for (size_t i = 1; i < samples.size(); ++i)
    send(QEvent::TabletMove, pen, samples[i].x, samples[i].y, double(i + 1) / 10.0, Qt::NoButton,
         Qt::LeftButton);
  send(QEvent::TabletRelease, pen, samples.back().x, samples.back().y, 1.0, Qt::LeftButton,
       Qt::NoButton);
  EXPECT_FALSE(app.painting.input.dragging());
  EXPECT_EQ(app.undo->undoCount(), 1);

  Document reference;
  ASSERT_TRUE(reference.newImage(app.document.width(), app.document.height(), true));
  ScriptedStroke stroke;
  stroke.tool = kToolPen;
  stroke.samples = samples;
  stroke.size = 20;
  stroke.colour = 0x3060C0;
  stroke.option = app.painting.tools.env.pen;
  ASSERT_TRUE(runScriptedStroke(reference, stroke));
  const std::vector<Pixel> painted = pixelsOf(app.document.currentLayer()->image());
  EXPECT_EQ(painted, pixelsOf(reference.currentLayer()->image()));
  // Thin at the start, 20 wide at the end: the pressure reached the stroke.
  const Image32& layer = app.document.currentLayer()->image();
  EXPECT_EQ(layer.at(220, 140 + 5), 0xFF3060C0u);
  EXPECT_EQ(layer.at(40, 68 + 6), kTransparent);
}

TEST_F(TabletTest, EraserEndErasesAndThePenComesBack) {
  Application& app = session.app();
  app.config.taleTool = kToolEraseHard;
  app.painting.input.selectTool(kToolPen);
  app.document.currentLayer()->image().fill(0xFF00FF00);
  send(QEvent::TabletMove, eraser, 50, 50, 0.0, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(app.painting.draw.toolNo, kToolEraseHard);
  send(QEvent::TabletPress, eraser, 50, 50, 1.0, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::TabletMove, eraser, 60, 50, 1.0, Qt::NoButton, Qt::LeftButton);
  send(QEvent::TabletRelease, eraser, 60, 50, 0.0, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(app.document.currentLayer()->image().at(55, 50), kTransparent);
  EXPECT_EQ(app.document.currentLayer()->image().at(55, 80), 0xFF00FF00u);
  send(QEvent::TabletMove, pen, 60, 50, 0.0, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(app.painting.draw.toolNo, kToolPen);
}

TEST_F(TabletTest, SideButtonRunsItsActionOnlyWhenSet) {
  Application& app = session.app();
  app.painting.input.selectTool(kToolPen);
  send(QEvent::TabletMove, pen, 50, 50, 0.0, Qt::NoButton, Qt::NoButton);
  send(QEvent::TabletPress, pen, 50, 50, 1.0, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::TabletMove, pen, 80, 50, 1.0, Qt::NoButton, Qt::LeftButton);
  send(QEvent::TabletRelease, pen, 80, 50, 1.0, Qt::LeftButton, Qt::NoButton);
  ASSERT_EQ(app.undo->undoCount(), 1);
  // Without an action the button does nothing.
  send(QEvent::TabletPress, pen, 80, 50, 0.0, Qt::RightButton, Qt::RightButton);
  send(QEvent::TabletRelease, pen, 80, 50, 0.0, Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(app.undo->undoCount(), 1);
  app.painting.options.tabSide[0] = kActionUndo;
  send(QEvent::TabletPress, pen, 80, 50, 0.0, Qt::RightButton, Qt::RightButton);
  send(QEvent::TabletRelease, pen, 80, 50, 0.0, Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(app.undo->undoCount(), 0);
}

}  // namespace
}  // namespace tessel
