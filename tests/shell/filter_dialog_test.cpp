// Filter commands through the real windows under the offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>

#include "app/application.h"
#include "resources/language.h"
#include "ui/filter_dialog.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

class FilterDialogTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(session.start(QString()));
    w = session.window();
    w->activateWindow();
    // A picture with structure, so that every filter changes something.
    Image32& layer = session.app().document.currentLayer()->image();
    for (int y = 0; y < layer.height(); ++y)
      for (int x = 0; x < layer.width(); ++x)
        layer.set(x, y, 0xFF000000u | Pixel((x * 7) & 0xFF) << 16 | Pixel((y * 5) & 0xFF) << 8 | Pixel((x ^ y) & 0xFF));
    session.app().view.refreshAll();
  }
  void TearDown() override {
    session.shutdown();
    ShellTest::TearDown();
  }
  std::vector<Pixel> pixels() const {
    const Image32& img = const_cast<Session&>(session).app().document.currentLayer()->image();
    std::vector<Pixel> out;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) out.push_back(img.at(x, y));
    return out;
  }
  // Ctrl+Z once the main window has the focus back from the dialogs.
  void undo() {
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  }
  // Runs handle on the filter dialog once it shows.
  static void whenDialog(std::function<void(FilterParamsDialog*)> handle, int triesLeft = 300) {
    QTimer::singleShot(10, [handle = std::move(handle), triesLeft]() mutable {
      auto* dialog = qobject_cast<FilterParamsDialog*>(QApplication::activeModalWidget());
      if (!dialog) {
        if (triesLeft > 0) whenDialog(std::move(handle), triesLeft - 1);
        return;
      }
      handle(dialog);
      if (dialog->isVisible()) dialog->reject();
    });
  }

  Session session;
  MainWindow* w = nullptr;
};

// Every command of the filter table and the extra ranges sits once in the
// Filter menu's submenus, enabled, in the order the submenus are listed.
TEST_F(FilterDialogTest, FilterMenuHoldsEveryCommandOnce) {
  QMenu* filters = nullptr;
  for (QAction* a : w->menuBar()->actions())
    if (a->text() == QStringLiteral("滤镜")) filters = a->menu();
  ASSERT_NE(filters, nullptr);
  QStringList submenus;
  std::map<int, int> seen;
  std::function<void(QMenu*)> walk = [&](QMenu* m) {
    for (QAction* a : m->actions()) {
      if (a->menu()) {
        if (m == filters) submenus << a->text();
        walk(a->menu());
      } else if (!a->isSeparator()) {
        ++seen[a->data().toInt()];
        EXPECT_TRUE(a->isEnabled()) << a->data().toInt();
      }
    }
  };
  walk(filters);
  EXPECT_EQ(submenus, (QStringList{"颜色", "替换颜色", "Alpha", "描绘", "云彩", "像素化", "模糊", "锐化",
                                   "边缘检测", "变形", "效果"}));
  std::vector<int> ids;
  for (int id = 41000; id <= 41051; ++id) ids.push_back(id);
  for (int id : {41800, 41801, 41802, 41803, 41810, 41811, 41812, 41813, 41820, 41821, 41822}) ids.push_back(id);
  for (int id : ids) EXPECT_EQ(seen[id], 1) << id;
  EXPECT_EQ(seen.size(), ids.size());
  EXPECT_EQ(w->action(41023)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+G")));
}

TEST_F(FilterDialogTest, CanvasPreviewFollowsTheSliderAndCancelRestores) {
  const std::vector<Pixel> before = pixels();
  bool shown = false, changed = false;
  QString field;
  whenDialog([&](FilterParamsDialog* d) {
    shown = true;
    EXPECT_EQ(d->windowTitle(), QStringLiteral("位移"));
    EXPECT_TRUE(d->resetButton()->isEnabled());
    FilterSlider* s = d->slider(0);
    QTest::mousePress(s, Qt::LeftButton, {}, QPoint(s->width() / 2, 3));
    QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(s->width() / 2, 3));
    field = d->field(0)->text();
    changed = QTest::qWaitFor([&] { return pixels() != before; }, 5000);   // the preview runs on a worker
    d->reject();
  });
  ASSERT_TRUE(w->action(41036)->isEnabled());
  w->action(41036)->trigger();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(changed);
  EXPECT_GT(field.toInt(), 100);   // about half of 0 … 299
  EXPECT_EQ(pixels(), before);
  EXPECT_EQ(session.app().undo->undoCount(), 0);
}

// The English operations of "Combine with Another Layer" are longer than the
// template's list: the list shows them whole and the dialog grows to hold it.
TEST_F(FilterDialogTest, EnglishListsFitTheirItems) {
  struct Chosen {   // back to Chinese however the test ends
    Chosen() { text::setLanguage(text::Language::English); }
    ~Chosen() { text::setLanguage(text::Language::Chinese); }
  } english;
  int lists = 0;
  whenDialog([&](FilterParamsDialog* d) {
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Combine with Another Layer"));
    for (QComboBox* list : d->findChildren<QComboBox*>()) {
      ++lists;
      EXPECT_GE(list->width(), list->sizeHint().width()) << list->currentText().toStdString();
      EXPECT_LE(list->geometry().right(), d->width() - 10);
    }
  });
  w->action(41012)->trigger();
  EXPECT_EQ(lists, 2);
}

TEST_F(FilterDialogTest, OkAppliesAndOneCtrlZRestores) {
  const std::vector<Pixel> before = pixels();
  whenDialog([&](FilterParamsDialog* d) {
    EXPECT_NE(d->previewBox(), nullptr);
    QLineEdit* strength = d->field(0);
    strength->selectAll();
    QTest::keyClicks(strength, QStringLiteral("99"));   // clamped to 16
    EXPECT_EQ(strength->text(), QStringLiteral("16"));
    EXPECT_EQ(pixels(), before);   // the box previews; the layer is untouched
    for (auto* b : d->findChildren<QPushButton*>())
      if (b->text() == QStringLiteral("确定")) b->click();
  });
  w->action(41022)->trigger();   // blur
  std::vector<Pixel> blurred = pixels();
  EXPECT_NE(blurred, before);
  EXPECT_EQ(session.app().undo->undoCount(), 1);
  undo();
  EXPECT_EQ(pixels(), before);
}

TEST_F(FilterDialogTest, AcceleratorRunsACommandWithoutDialogAndCtrlZUndoesIt) {
  const std::vector<Pixel> before = pixels();
  QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);   // clouds, black-white
  EXPECT_NE(pixels(), before);
  EXPECT_EQ(session.app().undo->undoCount(), 1);
  undo();
  EXPECT_EQ(pixels(), before);
}

}  // namespace
}  // namespace tessel
