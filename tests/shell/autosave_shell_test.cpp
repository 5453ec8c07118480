// Autosave, recovery at start-up and the flattening-save question through the
// real windows under the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/application.h"
#include "app/files/recovery.h"
#include "io/file.h"
#include "formats/native_document.h"
#include "formats/png_codec.h"
#include "ui/canvas_widget.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

// Handles modal windows as they come, in order; each handler closes its window.
class ModalScript {
 public:
  explicit ModalScript(std::vector<std::function<void(QWidget*)>> steps) : steps_(std::move(steps)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || modal == last_ || next_ >= steps_.size()) return;
      last_ = modal;
      if (auto* box = qobject_cast<QMessageBox*>(modal)) texts.push_back(box->text());
      steps_[next_++](modal);
    });
    timer_.start();
  }
  size_t handled() const { return next_; }
  QStringList texts;

 private:
  std::vector<std::function<void(QWidget*)>> steps_;
  size_t next_ = 0;
  QWidget* last_ = nullptr;
  QTimer timer_;
};

// Presses the message box button whose text is given (or the standard one).
std::function<void(QWidget*)> press(QMessageBox::StandardButton which, const QString& text = {}) {
  return [which, text](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    QAbstractButton* b = nullptr;
    for (QAbstractButton* candidate : box->buttons())
      if (!text.isEmpty() && candidate->text() == text) b = candidate;
    if (!b) b = box->button(which);
    ASSERT_NE(b, nullptr);
    b->click();
  };
}
std::function<void(QWidget*)> accept() {
  return [](QWidget* w) {
    if (auto* d = qobject_cast<QDialog*>(w)) d->accept();
  };
}

void drag(Session& session, int y) {
  Application& app = session.app();
  QWidget* viewport = session.window()->canvas()->viewport();
  Point a = app.view.viewFromImage(20, y), b = app.view.viewFromImage(150, y);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(a.x, a.y));
  for (int i = 1; i <= 6; ++i) QTest::mouseMove(viewport, QPoint(a.x + (b.x - a.x) * i / 6, a.y));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(b.x, b.y));
}

void expectSameLayers(const Document& a, const Document& b) {
  ASSERT_EQ(a.layerCount(), b.layerCount());
  for (int i = 0; i < a.layerCount(); ++i)
    EXPECT_EQ(pixelsOf(a.layers().atIndex(i)->image()), pixelsOf(b.layers().atIndex(i)->image())) << i;
}

class AutosaveShellTest : public ShellTest {};

TEST_F(AutosaveShellTest, PaintedLayersReachTheRecoveryFileWhichGoesAtTheEnd) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  Application& app = session.app();
  app.painting.input.selectTool(kToolPen);
  app.painting.draw.drawCol1 = 0x3366CC;
  drag(session, 60);
  ASSERT_TRUE(app.document.newLayer(false));
  drag(session, 120);
  app.autosave->setIntervalSeconds(1);
  const std::string file = app.autosave->store().documentPath();
  EXPECT_TRUE(QTest::qWaitFor([&] { return fileExists(app.autosave->store().recordPath()); }, 10000));
  Document back;
  ASSERT_EQ(readDocument(file, back, nullptr), kReadOk);
  EXPECT_EQ(back.layerCount(), 2);
  expectSameLayers(app.document, back);
  EXPECT_EQ(back.layers().atIndex(1)->image().at(80, 60), 0xFF3366CCu);
  auto* note = session.window()->findChild<QLabel*>(QStringLiteral("autosaveNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->text().startsWith(QStringLiteral("已自动保存")));
  session.shutdown();
  EXPECT_FALSE(fileExists(file));
}

TEST_F(AutosaveShellTest, ALeftOverFileIsOfferedAndComesBackModified) {
  const std::string folder = home.path().toStdString() + "/recovery";
  Document left;
  ASSERT_TRUE(left.newImage(40, 30, true));
  left.layers().add(40, 30, true);
  left.layers().atIndex(0)->image().fill(0xFF00AA00u);
  {
    RecoveryStore gone;   // ends without close(), as a killed program would
    ASSERT_TRUE(gone.open(folder));
    ASSERT_TRUE(writeDocument(gone.documentPath(), left, nullptr));
    ASSERT_TRUE(gone.writeRecord("/pictures/a.tsd", "Tessel2 - /pictures/a.tsd", 1700000000));
  }
  ModalScript script({press(QMessageBox::Yes)});
  Session session;
  ASSERT_TRUE(session.start(QString()));
  ASSERT_EQ(script.handled(), 1u);
  EXPECT_TRUE(script.texts[0].contains(QStringLiteral("/pictures/a.tsd")));
  Application& app = session.app();
  expectSameLayers(app.document, left);
  EXPECT_TRUE(app.files->modified());
  EXPECT_EQ(app.files->currentPath(), "/pictures/a.tsd");
  EXPECT_TRUE(app.autosave->store().hasFile());   // kept until saved
  EXPECT_TRUE(findOrphans(folder).empty());
  app.files->onSaved = nullptr;
  session.shutdown();
}

// Saving a layered picture as PNG asks first, and the layers stay unsaved work.
TEST_F(AutosaveShellTest, ThreeLayersSavedAsPngStillAskOnCloseOneLayerDoesNot) {
  for (int layers : {3, 1}) {
    SCOPED_TRACE(layers);
    const std::string png = home.path().toStdString() + "/p" + std::to_string(layers) + ".png";
    Image32 start;
    ASSERT_TRUE(start.create(200, 200));
    start.fill(0xFFFFFFFFu);
    ASSERT_TRUE(writePng(start, png, 6, false, -1));
    Session session;
    ASSERT_TRUE(session.start(QString::fromStdString(png)));
    Application& app = session.app();
    app.painting.input.selectTool(kToolPen);
    for (int n = 1; n < layers; ++n) ASSERT_TRUE(app.document.newLayer(false));
    drag(session, 50);
    std::vector<std::function<void(QWidget*)>> steps;
    if (layers > 1) steps.push_back(press(QMessageBox::Cancel, QStringLiteral("合并保存")));
    steps.push_back(accept());   // PNG options
    ModalScript saving(steps);
    session.window()->command(40004);
    EXPECT_EQ(saving.handled(), steps.size());
    EXPECT_EQ(saving.texts.size(), layers > 1 ? 1 : 0);
    EXPECT_EQ(app.files->modified(), layers > 1);
    ModalScript closing({press(QMessageBox::No)});
    session.window()->close();
    QTest::qWait(50);
    EXPECT_EQ(closing.handled(), layers > 1 ? 1u : 0u);
    if (layers > 1) {
      EXPECT_EQ(closing.texts.value(0), QStringLiteral("图像已改变，是否需要保存？"));
    }
    session.shutdown();
  }
}

}  // namespace
}  // namespace tessel
