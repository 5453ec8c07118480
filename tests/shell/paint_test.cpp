// Painting through the real windows under the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "app/application.h"
#include "ui/canvas_widget.h"
#include "ui/colour_panel.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/session.h"
#include "ui/tool_options_panel.h"
#include "ui/tools_panel.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

QApplication& paintApp() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static int argc = 1;
  static char name[] = "tessel_shell_tests";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

class PaintTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
  }
  void TearDown() override {
    ShellTest::TearDown();
  }
};

TEST_F(PaintTest, PenDragPaintsAndCtrlZRestores) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  w->activateWindow();
  auto* tools = w->findChild<ToolsPanel*>(QStringLiteral("toolsPanel"));
  ASSERT_NE(tools, nullptr);
  auto* penButton = qobject_cast<QAbstractButton*>(tools->button(kToolPen));
  ASSERT_NE(penButton, nullptr);
  QTest::mouseClick(penButton, Qt::LeftButton);
  EXPECT_EQ(app.painting.draw.toolNo, kToolPen);
  EXPECT_TRUE(penButton->isChecked());

  app.painting.draw.drawCol1 = 0x102030;
  app.painting.draw.curColNo = 0;
  const Image32& layer = app.document.currentLayer()->image();
  const std::vector<Pixel> before = pixelsOf(layer);
  QWidget* viewport = w->canvas()->viewport();
  // From image (40, 100) to (160, 100) in twelve moves.
  Point a = app.view.viewFromImage(40, 100), b = app.view.viewFromImage(160, 100);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(a.x, a.y));
  for (int i = 1; i <= 12; ++i)
    QTest::mouseMove(viewport, QPoint(a.x + (b.x - a.x) * i / 12, a.y));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(b.x, b.y));

  EXPECT_EQ(layer.at(100, 100), 0xFF102030u);
  EXPECT_EQ(layer.at(100, 140), kTransparent);
  EXPECT_EQ(app.undo->undoCount(), 1);
  EXPECT_TRUE(app.undo->modified());
  const std::vector<Pixel> painted = pixelsOf(layer);

  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(pixelsOf(layer), before);
  QTest::keyClick(w, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(pixelsOf(layer), painted);
  session.shutdown();
}

// Enter held means colour replacement: a lost release would flood the layer
// on the next press.
TEST_F(PaintTest, AReleaseWithThePressesAddressAndTimeStillLetsTheKeyGo) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  app.painting.input.selectTool(kToolPen);
  app.painting.draw.drawCol1 = 0x102030;
  app.painting.draw.curColNo = 0;
  std::optional<QKeyEvent> key;
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    key.emplace(type, Qt::Key_Return, Qt::NoModifier);
    key->setTimestamp(5000);
    QApplication::sendEvent(w, &*key);
    key.reset();
  }
  const Image32& layer = app.document.currentLayer()->image();
  QWidget* viewport = w->canvas()->viewport();
  Point a = app.view.viewFromImage(40, 100), b = app.view.viewFromImage(160, 100);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(a.x, a.y));
  QTest::mouseMove(viewport, QPoint(b.x, b.y));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(b.x, b.y));
  EXPECT_EQ(layer.at(100, 100), 0xFF102030u);
  EXPECT_EQ(layer.at(100, 140), kTransparent);
  session.shutdown();
}

TEST_F(PaintTest, SpaceDragOnTheCanvasPansWithoutPainting) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  app.painting.input.selectTool(kToolPen);
  app.view.setZoom(800);
  int sx = app.view.scrollX();
  const std::vector<Pixel> before = pixelsOf(app.document.currentLayer()->image());
  QWidget* viewport = w->canvas()->viewport();
  QTest::keyPress(w, Qt::Key_Space);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(viewport, QPoint(60, 100));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(60, 100));
  QTest::keyRelease(w, Qt::Key_Space);
  EXPECT_EQ(app.view.scrollX(), sx + 40);
  EXPECT_EQ(pixelsOf(app.document.currentLayer()->image()), before);
  EXPECT_EQ(app.undo->undoCount(), 0);
  session.shutdown();
}

TEST_F(PaintTest, OptionsAndColourPanelsEditTheCurrentTool) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  PaintingTools& p = session.app().painting;
  p.input.selectTool(kToolPen);
  auto* options = w->findChild<ToolOptionsPanel*>(QStringLiteral("toolOptionsPanel"));
  ASSERT_NE(options, nullptr);
  options->refresh();
  auto* size = options->findChild<QSpinBox*>(QStringLiteral("size"));
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->value(), p.tools.sizeOf(kToolPen));
  size->setValue(250);   // held to 100
  EXPECT_EQ(p.tools.sizeOf(kToolPen), 100);
  auto* drawType = options->findChild<QComboBox*>(QStringLiteral("drawType"));
  ASSERT_NE(drawType, nullptr);
  drawType->setCurrentIndex(4);
  EXPECT_EQ(p.tools.drawType[kToolPen], 4);
  auto* smoothing = options->findChild<QSpinBox*>(QStringLiteral("smoothing"));
  smoothing->setValue(9);
  EXPECT_EQ(p.tools.env.pen, 0xA009u);   // the switches keep their bits

  auto* colours = w->findChild<ColourPanel*>(QStringLiteral("colourPanel"));
  ASSERT_NE(colours, nullptr);
  p.draw.curColNo = 1;
  colours->setModel(ColourPanel::kHsv);
  colours->setValue(0, 120);
  colours->setValue(1, 255);
  colours->setValue(2, 255);
  EXPECT_EQ(p.draw.drawCol2, 0x00FF00u);
  colours->setModel(ColourPanel::kRgb);
  EXPECT_EQ(colours->values(), (std::array<int, 3>{0, 255, 0}));
  colours->setModel(ColourPanel::kHls);
  colours->setValue(0, 0);
  colours->setValue(1, 50);
  colours->setValue(2, 100);
  EXPECT_EQ(p.draw.drawCol2, 0xFF0000u);
  EXPECT_EQ(p.draw.drawCol1 & 0xFFFFFFu, 0u);   // the other colour stays
  session.shutdown();
}

// The panel decodes option words as the engine does: a stored water amount
// beyond D is D, and an edit keeps it so. Blur's fixed word is not editable.
TEST_F(PaintTest, OptionsPanelReadsWordsAsTheEngineDoes) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  PaintingTools& p = session.app().painting;
  auto* options = w->findChild<ToolOptionsPanel*>(QStringLiteral("toolOptionsPanel"));
  ASSERT_NE(options, nullptr);
  p.tools.env.water = 0x51400;   // amount 5, as a hand-edited config may hold
  p.input.selectTool(kToolWatercolour);
  options->refresh();
  auto* water = options->findChild<QComboBox*>(QStringLiteral("waterAmount"));
  auto* minSize = options->findChild<QSpinBox*>(QStringLiteral("minSize"));
  ASSERT_NE(water, nullptr);
  ASSERT_NE(minSize, nullptr);
  EXPECT_EQ(water->currentIndex(), 3);
  EXPECT_TRUE(minSize->isEnabled());
  minSize->setValue(30);
  EXPECT_EQ(p.tools.env.water, 0x31E00u);   // still D for the engine
  p.input.selectTool(kToolBlur);
  options->refresh();
  EXPECT_FALSE(minSize->isEnabled());
  session.shutdown();
}

TEST_F(PaintTest, BoundKeysSelectToolsResizeAndSwapColoursAndThePanelsFollow) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  PaintingTools& p = app.painting;
  ASSERT_TRUE(app.keys.assign(0, kToolBrush, 0x42));   // B selects the brush
  ASSERT_TRUE(app.keys.assign(1, 2, 0x52));            // R: rectangle draw type
  ASSERT_TRUE(app.keys.assign(4, 2, 0x58));            // X: size + 1
  ASSERT_TRUE(app.keys.assign(4, 1, 0x43));            // C: the other colour
  auto* tools = w->findChild<ToolsPanel*>(QStringLiteral("toolsPanel"));
  auto* options = w->findChild<ToolOptionsPanel*>(QStringLiteral("toolOptionsPanel"));
  auto* colours = w->findChild<ColourPanel*>(QStringLiteral("colourPanel"));
  ASSERT_TRUE(tools && options && colours);
  auto* size = options->findChild<QSpinBox*>(QStringLiteral("size"));
  auto* drawType = options->findChild<QComboBox*>(QStringLiteral("drawType"));
  ASSERT_TRUE(size && drawType);

  QTest::keyClick(w, Qt::Key_B);
  EXPECT_EQ(p.draw.toolNo, kToolBrush);
  EXPECT_TRUE(qobject_cast<QAbstractButton*>(tools->button(kToolBrush))->isChecked());
  EXPECT_EQ(size->value(), 30);
  QTest::keyClick(w, Qt::Key_X);
  EXPECT_EQ(p.tools.sizeOf(kToolBrush), 31);
  EXPECT_EQ(size->value(), 31);
  QTest::keyClick(w, Qt::Key_R);
  EXPECT_EQ(p.tools.drawType[kToolBrush], 2);
  EXPECT_EQ(drawType->currentIndex(), 2);
  colours->setModel(ColourPanel::kRgb);
  p.draw.drawCol1 = 0x000000;
  p.draw.drawCol2 = 0x40C080;
  QTest::keyClick(w, Qt::Key_C);
  EXPECT_EQ(p.draw.curColNo, 1);
  EXPECT_EQ(colours->values(), (std::array<int, 3>{0x40, 0xC0, 0x80}));

  // During a drag the keys are the drag's.
  QWidget* viewport = w->canvas()->viewport();
  p.tools.drawType[kToolBrush] = 0;
  Point a = app.view.viewFromImage(50, 50);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(a.x, a.y));
  ASSERT_TRUE(p.input.dragging());
  QTest::keyClick(w, Qt::Key_X);
  EXPECT_EQ(p.tools.sizeOf(kToolBrush), 31);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(a.x, a.y));
  session.shutdown();
}

TEST(FrontOnCanvasMove, OnlyFromAnotherWindowOfOursWithTheOptionAndNoModal) {
  paintApp();
  QWidget main, panel;
  const uint32_t on = 0x08, off = 58 & ~0x08u;
  EXPECT_TRUE(frontOnCanvasMove(on, false, &panel, &main));
  EXPECT_FALSE(frontOnCanvasMove(off, false, &panel, &main));
  EXPECT_FALSE(frontOnCanvasMove(on, true, &panel, &main));     // a modal window runs
  EXPECT_FALSE(frontOnCanvasMove(on, false, &main, &main));     // already in front
  EXPECT_FALSE(frontOnCanvasMove(on, false, nullptr, &main));   // another program is active
}

TEST_F(PaintTest, MovingOverTheCanvasActivatesTheMainWindowFromAPanel) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  PanelWindow* options = w->panel(kToolOptionsPanel);
  QWidget* viewport = w->canvas()->viewport();
  session.app().settings.optFlag |= 0x08;
  options->activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), options);
  QTest::mouseMove(viewport, QPoint(50, 50));
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), w);

  session.app().settings.optFlag &= ~0x08u;
  options->activateWindow();
  QApplication::processEvents();
  QTest::mouseMove(viewport, QPoint(60, 60));
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), options);
  session.shutdown();
}

TEST_F(PaintTest, PanelsKeepClearOfTheScrollBarAndOptionsFitTheirRows) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  QScrollBar* bar = w->canvas()->verticalScrollBar();
  const QRect barRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
  for (int n = 0; n < kPanelCount; ++n) {
    if (w->panel(n)->isVisible()) {
      EXPECT_FALSE(w->panel(n)->geometry().intersects(barRect)) << n;
    }
  }
  // The pen shows the most rows; the panel grows to them unless the screen ends first.
  session.app().painting.input.selectTool(kToolPen);
  QApplication::processEvents();
  PanelWindow* options = w->panel(kToolOptionsPanel);
  auto* panel = w->findChild<ToolOptionsPanel*>(QStringLiteral("toolOptionsPanel"));
  ASSERT_NE(panel, nullptr);
  const QRect work = options->screen()->availableGeometry();
  const int penHeight = options->height();
  EXPECT_GT(penHeight, 250);   // taller than the default place
  EXPECT_EQ(penHeight, std::min(options->sizeHint().height(), work.bottom() + 1 - options->y()));
  if (penHeight == options->sizeHint().height()) {
    EXPECT_GE(panel->height(), panel->sizeHint().height());
  }
  session.app().painting.input.selectTool(kToolFill);
  QApplication::processEvents();
  EXPECT_LT(options->height(), penHeight);   // and shrinks for fewer rows
  session.shutdown();
}

}  // namespace
}  // namespace tessel
