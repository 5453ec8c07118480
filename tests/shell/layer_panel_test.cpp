// The layer panel in the real window under the offscreen platform: its tool
// bar, controls, row dragging and settings dialog, each undone with Ctrl+Z.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/application.h"
#include "ui/layer_panel.h"
#include "ui/layer_settings_dialog.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

// Everything of the stack that a command or its undo could change.
struct Stack {
  std::vector<std::string> names;
  std::vector<std::array<int, 4>> attributes;
  std::vector<std::vector<Pixel>> pixels;
  int current = 0;
  bool operator==(const Stack&) const = default;
};

void PrintTo(const Stack& s, std::ostream* os) {
  *os << "current " << s.current;
  for (size_t i = 0; i < s.names.size(); ++i) {
    *os << " | " << s.names[i];
    for (int a : s.attributes[i]) *os << " " << a;
  }
}

Stack stackOf(const Document& doc) {
  Stack s;
  for (int i = 0; i < doc.layerCount(); ++i) {
    const Layer& l = *doc.layers().atIndex(i);
    s.names.push_back(l.name);
    s.attributes.push_back({l.blendMode, l.opacity, l.maskMode, l.flags});
    std::vector<Pixel> px;
    for (int y = 0; y < l.image().height(); y += 7)
      for (int x = 0; x < l.image().width(); x += 7) px.push_back(l.image().at(x, y));
    s.pixels.push_back(std::move(px));
  }
  s.current = doc.currentIndex();
  return s;
}

class LayerPanelTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(session.start(QString()));
    w = session.window();
    panel = w->panel(kLayerPanel)->findChild<LayerPanel*>();
    ASSERT_NE(panel, nullptr);
    list = panel->list();
    list->resize(list->width(), 200);
  }
  void TearDown() override {
    session.app().history.markSaved();   // no unsaved-changes question at close
    w->close();
    session.shutdown();
    ShellTest::TearDown();
  }
  Document& doc() { return session.app().document; }
  void undo() {
    w->activateWindow();   // a dialog may have had the focus
    QCoreApplication::processEvents();   // and its last events are still queued
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  }
  void tool(int n) { QTest::mouseClick(panel->toolButton(n), Qt::LeftButton); }

  Session session;
  MainWindow* w = nullptr;
  LayerPanel* panel = nullptr;
  LayerListView* list = nullptr;
};

TEST_F(LayerPanelTest, ShownAtStartAndToggled) {
  EXPECT_TRUE(w->panel(kLayerPanel)->isVisible());
  EXPECT_EQ(w->panel(kLayerPanel)->width(), 200);
  EXPECT_GE(w->panel(kLayerPanel)->minimumHeight(), 200);
  ASSERT_TRUE(w->action(40152)->isEnabled());
  w->action(40152)->trigger();
  EXPECT_FALSE(w->panel(kLayerPanel)->isVisible());
  w->action(40152)->trigger();
  EXPECT_TRUE(w->panel(kLayerPanel)->isVisible());
  EXPECT_EQ(panel->toolButton(0)->toolTip(), QStringLiteral("新建"));
  EXPECT_EQ(panel->toolButton(6)->toolTip(), QStringLiteral("设置"));
  EXPECT_EQ(panel->toolButton(7)->toolTip(), QStringLiteral("全部可见"));
  EXPECT_EQ(panel->blendList()->count(), 21);
}

TEST_F(LayerPanelTest, ToolBarAddCloneDeleteMergeEachUndone) {
  doc().currentLayer()->image().fillRect(10, 10, 50, 50, 0xFF336699);
  const Stack one = stackOf(doc());
  tool(0);   // new
  ASSERT_EQ(doc().layerCount(), 2);
  EXPECT_EQ(panel->model().buffer.getPixel(120, 10), layer_row::kCurrentBack);   // the new top row
  undo();
  EXPECT_EQ(stackOf(doc()), one);
  tool(1);   // clone
  ASSERT_EQ(doc().layerCount(), 2);
  EXPECT_EQ(doc().currentLayer()->image().at(20, 20), 0xFF336699u);
  const Stack two = stackOf(doc());
  undo();
  EXPECT_EQ(stackOf(doc()), one);
  tool(1);
  doc().currentLayer()->image().fillRect(30, 30, 50, 50, 0x80FF0000);
  const Stack painted = stackOf(doc());
  tool(2);   // delete
  EXPECT_EQ(doc().layerCount(), 1);
  undo();
  EXPECT_EQ(stackOf(doc()), painted);
  tool(3);   // merge down
  EXPECT_EQ(doc().layerCount(), 1);
  EXPECT_NE(doc().currentLayer()->image().at(40, 40), 0xFF336699u);
  undo();
  EXPECT_EQ(stackOf(doc()), painted);
  // The accelerators reach the same commands.
  QTest::keyClick(w, Qt::Key_N, Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_EQ(doc().layerCount(), 3);
  QTest::keyClick(w, Qt::Key_H, Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_EQ(doc().visibleCount(), 0);
  QTest::keyClick(w, Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_EQ(doc().visibleCount(), 3);
  (void)two;
}

TEST_F(LayerPanelTest, BlendModeFromTheListHasNoStepOfItsOwn) {
  const Stack one = stackOf(doc());
  tool(0);
  panel->blendList()->setFocus();
  QTest::keyClick(panel->blendList(), Qt::Key_Down);
  EXPECT_EQ(doc().currentLayer()->blendMode, 1);
  // Choosing a mode records nothing: Ctrl+Z takes back the new layer.
  undo();
  EXPECT_EQ(stackOf(doc()), one);
  EXPECT_EQ(panel->blendList()->currentIndex(), 0);
}

TEST_F(LayerPanelTest, DraggingARowMovesTheLayerAndCtrlZPutsItBack) {
  tool(0);
  tool(0);   // three layers, the current one on top
  doc().currentLayer()->setNameBytes("top");
  panel->refresh(-1);
  const Stack before = stackOf(doc());
  QTest::mousePress(list, Qt::LeftButton, {}, QPoint(150, 17));
  QTest::mouseMove(list, QPoint(150, 30));
  EXPECT_EQ(panel->model().drag(), LayerPanelModel::Drag::Down);
  QTest::mouseMove(list, QPoint(150, 40));
  EXPECT_EQ(panel->model().drag(), LayerPanelModel::Drag::Moving);
  EXPECT_EQ(panel->model().buffer.getPixel(100, 70), layer_row::kMarker);
  QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(150, 40));
  EXPECT_STREQ(doc().layers().atIndex(1)->name, "top");
  EXPECT_EQ(doc().currentIndex(), 1);
  EXPECT_NE(panel->model().buffer.getPixel(100, 70), layer_row::kMarker);
  undo();
  EXPECT_EQ(stackOf(doc()), before);
}

TEST_F(LayerPanelTest, DoubleClickOpensTheSettingsDialog) {
  const Stack one = stackOf(doc());
  tool(0);
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<LayerSettingsDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    seen = true;
    EXPECT_EQ(dialog->name(), QStringLiteral("Layer1"));
    EXPECT_EQ(dialog->percent(), 100);
    dialog->nameField()->setText(QStringLiteral("上色"));
    dialog->spin()->setValue(50);
    EXPECT_EQ(dialog->spin()->maximum(), 100);
    dialog->accept();
  });
  QTest::mouseDClick(list, Qt::LeftButton, {}, QPoint(150, 17));
  EXPECT_TRUE(seen);
  EXPECT_EQ(layerNameToUtf8(doc().currentLayer()->name), "上色");
  EXPECT_EQ(doc().currentLayer()->opacity, 64);
  EXPECT_EQ(panel->opacitySlider()->value(), 50);
  // The settings have no step of their own either.
  undo();
  EXPECT_EQ(stackOf(doc()), one);
}

TEST_F(LayerPanelTest, BoxClickAndMaskButtons) {
  tool(0);
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(45, 35 + 25));   // the lower row's eye
  EXPECT_FALSE(doc().layers().atIndex(1)->visible());
  EXPECT_EQ(doc().currentIndex(), 0);
  QTest::mouseClick(panel->maskButton(2), Qt::LeftButton);
  EXPECT_EQ(doc().currentLayer()->maskMode, 2);
  QTest::mouseClick(panel->fillReferenceBox(), Qt::LeftButton);
  EXPECT_TRUE(doc().currentLayer()->fillReference());
}

TEST_F(LayerPanelTest, RowMenuAlphaOperationAndScrolling) {
  doc().currentLayer()->image().fillRect(0, 0, 300, 300, 0xFF00FF00);
  tool(0);   // an empty layer on top, the painted one below
  doc().selectLayer(1);
  panel->refresh(-1);
  const Stack painted = stackOf(doc());
  QMenu* menu = panel->rowMenu(0);
  ASSERT_EQ(menu->actions().size(), 2);
  QMenu* ops = menu->actions()[1]->menu();
  ASSERT_NE(ops, nullptr);
  EXPECT_EQ(ops->actions()[0]->text(), QStringLiteral("按透明部分作透明"));
  ops->actions()[0]->trigger();   // transparent where the empty top layer is
  EXPECT_EQ(doc().currentLayer()->image().at(10, 10), 0x00FFFFFFu);
  undo();
  EXPECT_EQ(stackOf(doc()), painted);

  for (int n = 0; n < 20; ++n) QTest::keyClick(w, Qt::Key_N, Qt::AltModifier | Qt::ShiftModifier);
  ASSERT_EQ(doc().layerCount(), 22);
  auto* bar = panel->findChild<QScrollBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->maximum(), panel->model().maxFirst());
  EXPECT_GT(bar->maximum(), 0);
  bar->setValue(5);
  EXPECT_EQ(panel->model().first(), 5);
  EXPECT_EQ(panel->model().layerAt(1), 5);
}

}  // namespace
}  // namespace tessel
