// The text tool through the real windows under the offscreen platform.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "platform/font_list.h"
#include "ui/canvas_widget.h"
#include "ui/layer_settings_dialog.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "ui/text_dialog.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

class TextToolTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(session.start(QString()));
    w = session.window();
    w->activateWindow();
    session.app().painting.input.selectTool(kToolText);
    session.app().painting.draw.drawCol1 = 0x102030;
    before = pixels();
  }
  void TearDown() override {
    session.shutdown();
    ShellTest::TearDown();
  }
  std::vector<Pixel> pixels() {
    const Image32& img = session.app().document.currentLayer()->image();
    std::vector<Pixel> out;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) out.push_back(img.at(x, y));
    return out;
  }
  // A click with the text tool at image (x, y); the dialog it opens.
  TextDialog* clickAt(int x, int y) {
    Point c = session.app().view.viewFromImage(x, y);
    QWidget* viewport = w->canvas()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(c.x, c.y));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(c.x, c.y));
    return w->findChild<TextDialog*>();
  }
  QPushButton* button(TextDialog* d, const QString& text) {
    for (QPushButton* b : d->findChildren<QPushButton*>())
      if (b->text() == text) return b;
    return nullptr;
  }

  Session session;
  MainWindow* w = nullptr;
  std::vector<Pixel> before;
};

TEST_F(TextToolTest, ClickTypeNudgeOkAndOneCtrlZRestores) {
  TextDialog* d = clickAt(40, 50);
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(session.app().painting.input.state(), DragState::TextPlace);
  EXPECT_TRUE(d->check(kTextPreview)->isChecked());
  FontFile song;
  ASSERT_TRUE(findFont("NSimSun", false, false, song));   // the Song stand-in
  EXPECT_TRUE(d->faceUsed()->text().endsWith(QString::fromStdString(song.family)))
      << d->faceUsed()->text().toStdString();
  QTest::keyClicks(d->editor(), QStringLiteral("Ab"));
  QTest::qWait(60);   // the preview waits for a pause in the typing
  Rect shown = session.app().painting.text.previewRect();
  EXPECT_FALSE(shown.empty());
  EXPECT_NE(pixels(), before);
  QTest::keyClick(d->editor(), Qt::Key_Right, Qt::AltModifier);
  EXPECT_EQ(session.app().painting.text.previewRect().x, shown.x + 1);
  EXPECT_EQ(d->editor()->toPlainText(), QStringLiteral("Ab"));   // the nudge typed nothing

  QInputMethodEvent compose(QStringLiteral("zhong"), {});
  QCoreApplication::sendEvent(d->editor(), &compose);
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("中文"));
  QCoreApplication::sendEvent(d->editor(), &commit);
  EXPECT_EQ(d->editor()->toPlainText(), QStringLiteral("Ab中文"));
  QTest::qWait(60);
  EXPECT_GT(session.app().painting.text.previewRect().w, shown.w + 10);   // the Chinese arrived

  QPushButton* ok = button(d, QStringLiteral("确定"));
  ASSERT_NE(ok, nullptr);
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(session.app().painting.input.state(), DragState::Idle);
  EXPECT_EQ(session.app().undo->undoCount(), 1);
  std::vector<Pixel> written = pixels();
  EXPECT_NE(written, before);
  EXPECT_TRUE(session.app().painting.text.previewRect().empty());
  EXPECT_EQ(session.app().config.textWinX, d->pos().x());

  w->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(w));
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(session.app().undo->undoCount(), 0);
  EXPECT_EQ(pixels(), before);
}

TEST_F(TextToolTest, CancelLeavesTheLayerExactlyAndTheTextIsKept) {
  TextDialog* d = clickAt(10, 10);
  ASSERT_NE(d, nullptr);
  QTest::keyClicks(d->editor(), QStringLiteral("Tessel"));
  QTest::qWait(60);
  EXPECT_NE(pixels(), before);
  clickAt(30, 40);   // a press while the dialog is open moves the text
  EXPECT_EQ(session.app().painting.text.anchor(), (Point{30, 40}));
  QPushButton* cancel = button(d, QStringLiteral("取消"));
  ASSERT_NE(cancel, nullptr);
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_EQ(pixels(), before);
  EXPECT_EQ(session.app().undo->undoCount(), 0);
  clickAt(5, 5);
  EXPECT_EQ(d->editor()->toPlainText(), QStringLiteral("Tessel"));
  d->reject();
}

TEST_F(TextToolTest, TheDialogOpensBesideTheTextAndOnTheScreen) {
  for (Point p : {Point{40, 50}, Point{5, 5}}) {
    TextDialog* d = clickAt(p.x, p.y);
    ASSERT_NE(d, nullptr);
    d->editor()->insertPlainText(QStringLiteral("Tessel 文字"));
    QTest::qWait(60);
    Rect r = session.app().painting.text.previewRect();
    ASSERT_FALSE(r.empty());
    Point a = session.app().view.viewFromImage(r.x, r.y);
    Point b = session.app().view.viewFromImage(r.right(), r.bottom());
    QWidget* viewport = w->canvas()->viewport();
    QRect text(viewport->mapToGlobal(QPoint(a.x, a.y)), viewport->mapToGlobal(QPoint(b.x, b.y)));
    d->keepClearOfText();
    EXPECT_FALSE(d->frameGeometry().intersects(text));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(d->frameGeometry()));
    d->editor()->clear();
    QTest::mouseClick(button(d, QStringLiteral("取消")), Qt::LeftButton);
  }
}

TEST(TextDialogPlace, BesideTheTextOnTheSideThatFits) {
  const QRect screen(0, 0, 1000, 800);
  const QSize frame(300, 400);
  EXPECT_EQ(besideText(frame, QRect(100, 300, 50, 20), screen), QPoint(174, 300));   // right
  EXPECT_EQ(besideText(frame, QRect(600, 300, 200, 20), screen), QPoint(276, 300));  // left
  EXPECT_EQ(besideText(frame, QRect(100, 700, 50, 20), screen), QPoint(174, 400));   // kept on screen
  // A line across the whole width: below it, or above when the bottom is full.
  EXPECT_EQ(besideText(frame, QRect(50, 100, 900, 40), screen), QPoint(50, 164));
  EXPECT_EQ(besideText(frame, QRect(50, 600, 900, 40), screen), QPoint(50, 176));
}

TEST_F(TextToolTest, InputMethodsTypeTheLayerNameAndTheCanvasIgnoresTheirKeys) {
  LayerSettingsDialog names(w);
  names.setValues(QStringLiteral("图层1"), 100);
  QLineEdit* field = names.nameField();
  field->selectAll();
  QInputMethodEvent compose(QStringLiteral("tu ceng"), {});
  QCoreApplication::sendEvent(field, &compose);
  EXPECT_TRUE(field->text().isEmpty());   // the preedit is shown, not yet typed
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("背景"));
  QCoreApplication::sendEvent(field, &commit);
  EXPECT_EQ(names.name(), QStringLiteral("背景"));

  // A space that picks a candidate must not pan the canvas.
  session.app().painting.input.selectTool(kToolBrush);
  QWidget* viewport = w->canvas()->viewport();
  Point c = session.app().view.viewFromImage(20, 20);
  QInputMethodEvent pinyin(QStringLiteral("hua"), {});
  QCoreApplication::sendEvent(field, &pinyin);
  QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  QCoreApplication::sendEvent(viewport, &space);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(c.x, c.y));
  EXPECT_NE(session.app().painting.input.state(), DragState::Pan);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(c.x, c.y));
  QInputMethodEvent picked;
  picked.setCommitString(QStringLiteral("画"));
  QCoreApplication::sendEvent(field, &picked);
  QKeyEvent space2(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  QCoreApplication::sendEvent(viewport, &space2);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(c.x, c.y));
  EXPECT_EQ(session.app().painting.input.state(), DragState::Pan);   // a plain space still pans
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(c.x, c.y));
  QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  QCoreApplication::sendEvent(viewport, &up);
}

}  // namespace
}  // namespace tessel
