// Clipboard bitmaps and the PNG and GIF options dialogs under the offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/files/document_io.h"
#include "formats/clipboard_dib.h"
#include "platform/clipboard_qt.h"
#include "ui/gif_options_dialog.h"
#include "ui/png_options_dialog.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

// Answers the next modal window once it shows: handle gets it, then it closes
// unless handle closed it.
void whenModal(std::function<void(QWidget*)> handle, int triesLeft = 200) {
  QTimer::singleShot(10, [handle = std::move(handle), triesLeft]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      if (triesLeft > 0) whenModal(std::move(handle), triesLeft - 1);
      return;
    }
    handle(modal);
    if (modal->isVisible()) modal->close();
  });
}

// The text of the next message box, which is then dismissed.
void catchMessage(QString& text) {
  whenModal([&text](QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) text = box->text();
  });
}

// 3 x 2 with every kind of alpha: opaque, half, none.
Image32 sample() {
  Image32 image;
  EXPECT_TRUE(image.create(3, 2));
  image.set(0, 0, 0xFFFF0000);
  image.set(1, 0, 0x8000FF00);
  image.set(2, 0, 0xFF0000FF);
  image.set(0, 1, 0xFF808080);
  image.set(1, 1, 0x00123456);
  image.set(2, 1, 0x40FFFFFF);
  return image;
}

std::vector<uint8_t> bytesOf(const QByteArray& a) { return std::vector<uint8_t>(a.begin(), a.end()); }

class ClipboardShellTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    QGuiApplication::clipboard()->clear();
  }
  void TearDown() override {
    QGuiApplication::clipboard()->clear();
    ShellTest::TearDown();
  }
};

TEST_F(ClipboardShellTest, Copy32ReadsBackExactlyAndOffersAPictureWithAlpha) {
  Image32 image = sample();
  ASSERT_TRUE(clipboard::copy32(image));
  std::vector<uint8_t> expected(dibByteSize(image, 32));
  writeDib(image, 32, expected.data(), expected.size());
  EXPECT_EQ(bytesOf(clipboard::currentDib()), expected);
  const QImage picture = QGuiApplication::clipboard()->image();
  EXPECT_TRUE(picture.hasAlphaChannel());
  EXPECT_EQ(picture.convertToFormat(QImage::Format_ARGB32).pixel(1, 0), 0x8000FF00u);

  Image32 back;
  ASSERT_TRUE(back.create(3, 2));
  ASSERT_EQ(clipboard::pasteDib32(back), DibResult::Ok);
  EXPECT_EQ(back.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(back.at(1, 0), 0x8000FF00u);
  EXPECT_EQ(back.at(2, 1), 0x40FFFFFFu);
  EXPECT_EQ(back.at(1, 1), kTransparent);   // alpha 0 comes back white
  int w = 0, h = 0;
  ASSERT_TRUE(clipboard::bitmapSize(w, h));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
}

TEST_F(ClipboardShellTest, TwentyFourBitBitmapsFailTheThirtyTwoBitCheck) {
  ASSERT_TRUE(clipboard::copy24(sample()));
  const QImage picture = QGuiApplication::clipboard()->image();
  EXPECT_FALSE(picture.hasAlphaChannel());
  EXPECT_EQ(picture.pixel(1, 1), 0xFF123456u);
  Image32 target;
  ASSERT_TRUE(target.create(3, 2));
  EXPECT_EQ(clipboard::pasteDib32(target), DibResult::Not32Bit);
  ASSERT_TRUE(clipboard::pasteBitmap(target));
  EXPECT_EQ(target.at(1, 0), 0xFF00FF00u);

  // Another program's opaque picture is 24-bit too; one with alpha is 32-bit.
  QImage opaque(2, 2, QImage::Format_RGB32);
  opaque.fill(0xFF102030);
  QGuiApplication::clipboard()->setImage(opaque);
  EXPECT_EQ(clipboard::pasteDib32(target), DibResult::Not32Bit);
  QImage withAlpha(2, 1, QImage::Format_ARGB32);
  withAlpha.setPixel(0, 0, 0x80102030);
  withAlpha.setPixel(1, 0, 0xFF405060);
  QGuiApplication::clipboard()->setImage(withAlpha);
  ASSERT_EQ(clipboard::pasteDib32(target), DibResult::Ok);
  EXPECT_EQ(target.at(0, 0), 0x80102030u);
  EXPECT_EQ(target.at(1, 0), 0xFF405060u);
  EXPECT_EQ(target.at(2, 0), kTransparent);
  EXPECT_EQ(target.at(0, 1), kTransparent);

  QGuiApplication::clipboard()->clear();
  EXPECT_EQ(clipboard::pasteDib32(target), DibResult::Invalid);
  EXPECT_FALSE(clipboard::pasteBitmap(target));
  int w = 0, h = 0;
  EXPECT_FALSE(clipboard::bitmapSize(w, h));
}

TEST_F(ClipboardShellTest, OpenFromClipboardMakesAnOpaqueDocumentOfTheBitmap) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* window = session.window();
  Document& doc = session.app().document;
  ASSERT_TRUE(clipboard::copy32(sample()));
  ASSERT_NE(window->action(40003), nullptr);
  window->action(40003)->trigger();
  ASSERT_EQ(doc.width(), 3);
  ASSERT_EQ(doc.height(), 2);
  const Image32& layer = doc.currentLayer()->image();
  EXPECT_EQ(layer.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(layer.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(layer.at(1, 1), 0xFF123456u);   // colour kept, alpha dropped
  EXPECT_EQ(layer.at(2, 1), 0xFFFFFFFFu);

  // Another program's picture, taken through the command's own number.
  QImage picture(4, 5, QImage::Format_RGB32);
  picture.fill(0xFF0A0B0C);
  picture.setPixel(3, 4, 0xFFC0FFEE);
  QGuiApplication::clipboard()->setImage(picture);
  EXPECT_TRUE(window->command(40003));
  ASSERT_EQ(doc.width(), 4);
  ASSERT_EQ(doc.height(), 5);
  EXPECT_EQ(doc.currentLayer()->image().at(0, 0), 0xFF0A0B0Cu);
  EXPECT_EQ(doc.currentLayer()->image().at(3, 4), 0xFFC0FFEEu);
  window->close();
  session.shutdown();
}

TEST_F(ClipboardShellTest, OpenFromClipboardRefusesTooLargeAndEmpty) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* window = session.window();
  Document& doc = session.app().document;
  const int width = doc.width();

  QString message;
  catchMessage(message);
  window->command(40003);
  EXPECT_EQ(message, QStringLiteral("剪贴板为空"));

  QImage wide(4501, 1, QImage::Format_RGB32);
  wide.fill(0xFF000000);
  QGuiApplication::clipboard()->setImage(wide);
  message.clear();
  catchMessage(message);
  window->command(40003);
  EXPECT_EQ(message, QStringLiteral("无法处理宽度或高度在4500px以上的图像"));
  EXPECT_EQ(doc.width(), width);

  // A lying block of our own type holds no bitmap.
  auto mime = std::make_unique<QMimeData>();
  mime->setData(QString::fromLatin1(clipboard::kDibMimeType), QByteArray(12, '\x7F'));
  QGuiApplication::clipboard()->setMimeData(mime.release());
  message.clear();
  catchMessage(message);
  window->command(40003);
  EXPECT_EQ(message, QStringLiteral("剪贴板为空"));
  EXPECT_EQ(doc.width(), width);
  window->close();
  session.shutdown();
}

TEST_F(ClipboardShellTest, GifDialogPassesTheTickedColourOrNone) {
  GifOptionsDialog fresh(-1);
  EXPECT_FALSE(fresh.transparentBox()->isChecked());
  EXPECT_FALSE(fresh.colourButton()->isEnabled());
  EXPECT_EQ(fresh.transparentColour(), -1);
  fresh.transparentBox()->setChecked(true);
  EXPECT_TRUE(fresh.colourButton()->isEnabled());
  EXPECT_EQ(fresh.transparentColour(), 0xFFFFFF);
  fresh.setColour(QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(fresh.transparentColour(), 0x123456);
  EXPECT_EQ(fresh.colourButton()->text(), QStringLiteral("#123456"));

  GifOptionsDialog preset(0x00FF8000);
  EXPECT_TRUE(preset.transparentBox()->isChecked());
  EXPECT_EQ(preset.transparentColour(), 0xFF8000);
}

TEST_F(ClipboardShellTest, GifOptionsThroughTheShellAndIntoTheFile) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  QtShell shell(session.app());
  ImageSaveOptions options;
  whenModal([](QWidget* w) {
    auto* dialog = qobject_cast<QDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    auto* gif = static_cast<GifOptionsDialog*>(dialog);
    gif->transparentBox()->setChecked(true);
    gif->setColour(QColor(0, 0, 255));
    gif->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  ASSERT_TRUE(shell.askGifOptions(options));
  EXPECT_EQ(options.gifTransparent, 0x0000FF);

  ImageSaveOptions cancelled;
  whenModal([](QWidget* w) {
    static_cast<GifOptionsDialog*>(w)->transparentBox()->setChecked(true);
    static_cast<QDialog*>(w)->reject();
  });
  EXPECT_FALSE(shell.askGifOptions(cancelled));
  EXPECT_EQ(cancelled.gifTransparent, -1);

  // Blue (palette entry 1 after white) is the entry the file marks transparent.
  Document& doc = session.app().document;
  ASSERT_TRUE(doc.newImage(2, 1, true));
  doc.currentLayer()->image().set(0, 0, 0xFFFFFFFF);
  doc.currentLayer()->image().set(1, 0, 0xFF0000FF);
  struct : Progress {
    void setRange(int) override {}
    void step() override {}
  } progress;
  const QString path = temp.path() + QStringLiteral("/t.gif");
  ASSERT_TRUE(saveFile(builtinFormats(), path.toStdString(), doc, progress, options));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray gif = file.readAll();
  // Header 13 bytes, colour table 2 x 3: white then blue, then the extension.
  ASSERT_GE(gif.size(), 27);
  EXPECT_EQ(gif.mid(13, 6), QByteArray("\xFF\xFF\xFF\x00\x00\xFF", 6));
  EXPECT_EQ(gif.mid(19, 8), QByteArray("\x21\xF9\x04\x01\x00\x00\x01\x00", 8));
  session.window()->close();
  session.shutdown();
}

TEST_F(ClipboardShellTest, PngDialogTransparentColourOnlyWithoutAlpha) {
  ImageSaveOptions in;
  in.pngLevel = 6;
  in.pngTransparent = 0xFF0000;
  PngOptionsDialog dialog(in);
  EXPECT_TRUE(dialog.opaqueButton()->isChecked());
  EXPECT_EQ(dialog.levelBox()->value(), 6);
  EXPECT_TRUE(dialog.picker()->box()->isChecked());
  EXPECT_TRUE(dialog.picker()->isEnabled());

  dialog.alphaButton()->setChecked(true);
  EXPECT_FALSE(dialog.picker()->isEnabled());
  ImageSaveOptions out;
  dialog.apply(out);
  EXPECT_TRUE(out.pngAlpha);
  EXPECT_EQ(out.pngTransparent, -1);

  dialog.opaqueButton()->setChecked(true);
  dialog.levelBox()->setValue(9);
  dialog.apply(out);
  EXPECT_FALSE(out.pngAlpha);
  EXPECT_EQ(out.pngLevel, 9);
  EXPECT_EQ(out.pngTransparent, 0xFF0000);
}

TEST_F(ClipboardShellTest, PngOptionsThroughTheShellAndIntoTheFile) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  QtShell shell(session.app());
  ImageSaveOptions options;
  whenModal([](QWidget* w) {
    auto* png = static_cast<PngOptionsDialog*>(w);
    png->picker()->box()->setChecked(true);
    png->picker()->setColour(QColor(255, 0, 0));
    png->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  ASSERT_TRUE(shell.askPngOptions(options));
  EXPECT_FALSE(options.pngAlpha);
  EXPECT_EQ(options.pngTransparent, 0xFF0000);

  // White then red in the palette: red is the entry the tRNS chunk clears.
  Document& doc = session.app().document;
  ASSERT_TRUE(doc.newImage(2, 1, true));
  doc.currentLayer()->image().set(0, 0, 0xFFFFFFFF);
  doc.currentLayer()->image().set(1, 0, 0xFFFF0000);
  struct : Progress {
    void setRange(int) override {}
    void step() override {}
  } progress;
  const QString path = temp.path() + QStringLiteral("/t.png");
  ASSERT_TRUE(saveFile(builtinFormats(), path.toStdString(), doc, progress, options));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray png = file.readAll();
  const qsizetype at = png.indexOf("tRNS");
  ASSERT_GT(at, 4);
  EXPECT_EQ(png.mid(at - 4, 10), QByteArray("\x00\x00\x00\x02tRNS\xFF\x00", 10));
  session.window()->close();
  session.shutdown();
}

}  // namespace
}  // namespace tessel
