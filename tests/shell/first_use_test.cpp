// What a new user meets first: the layer name field, failure messages and
// their titles, the Save dialog, the unsaved-changes mark, wheel zoom, the
// tool options of the selection tool and the platform choice.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <functional>

#include "app/application.h"
#include "app/models/layer_rows.h"
#include "ui/canvas_widget.h"
#include "ui/interface_setup.h"
#include "ui/layer_panel.h"
#include "ui/layer_settings_dialog.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

// Runs handle on each modal window as it shows, until handle returns false.
void onModals(std::function<bool(QWidget*)> handle, int triesLeft = 300) {
  QTimer::singleShot(10, [handle = std::move(handle), triesLeft]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) {
      if (triesLeft > 0) onModals(std::move(handle), triesLeft - 1);
      return;
    }
    const bool more = handle(modal);
    if (more) onModals(std::move(handle), triesLeft);
  });
}

class FirstUseTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ASSERT_TRUE(session.start(QString()));
    w = session.window();
  }
  void TearDown() override {
    session.app().history.markSaved();
    w->close();
    session.shutdown();
    ShellTest::TearDown();
  }
  Application& app() { return session.app(); }
  Session session;
  MainWindow* w = nullptr;
};

TEST_F(FirstUseTest, LayerNamesFitTheirBytesAndLongOnesStayOnOneLine) {
  LayerSettingsDialog dialog(w);
  dialog.setValues(QString(), 100);
  QLineEdit* field = dialog.nameField();
  field->setFocus();
  for (QChar c : QStringLiteral("草稿草稿草稿草稿草稿草稿草稿草稿")) field->insert(c);   // 16 characters, 32 bytes
  EXPECT_EQ(field->text(), QStringLiteral("草稿草稿草稿草稿草稿草稿草稿草"));
  QTest::keyClicks(field, QStringLiteral("ab"));
  EXPECT_EQ(field->text(), QStringLiteral("草稿草稿草稿草稿草稿草稿草稿草a"));
  EXPECT_EQ(layerNameBytes(field->text()), 31);
  EXPECT_TRUE(dialog.limitLabel()->text().contains(QStringLiteral("31字节")));
  EXPECT_TRUE(dialog.limitLabel()->text().endsWith(QStringLiteral("31")));

  // The same row with a short and with a long name: only the name line differs.
  LayerPanel* panel = w->panel(kLayerPanel)->findChild<LayerPanel*>();
  ASSERT_NE(panel, nullptr);
  Layer& layer = *app().document.currentLayer();
  const Image24& rows = panel->model().buffer;
  auto drawRowNamed = [&](const char* name) {
    layerNameFromUtf8(name, layer.name);
    panel->refresh(-1);
    std::vector<uint32_t> row;
    for (int y = 0; y < layer_row::kHeight; ++y)
      for (int x = 0; x < rows.width(); ++x) row.push_back(rows.getPixel(x, y));
    return row;
  };
  const std::vector<uint32_t> shortName = drawRowNamed("短");
  const std::vector<uint32_t> longName = drawRowNamed("一个非常非常长的图层名字ABCDEFGHIJ");
  int changedName = 0, changedBelow = 0;
  for (size_t i = 0; i < shortName.size(); ++i)
    if (shortName[i] != longName[i]) ++(int(i) / rows.width() >= 18 ? changedBelow : changedName);
  EXPECT_GT(changedName, 0);
  EXPECT_EQ(changedBelow, 0);   // the opacity and mode line is untouched
}

TEST_F(FirstUseTest, FailedOpenNamesTheFileAndWhyAndTitlesFit) {
  const QString deep = home.path() + QStringLiteral("/deep.png");
  QFile f(deep);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  const char header[] = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x01\0\0\0\x01\x10\x02\0\0\0\0\0\0\0";
  f.write(header, sizeof header - 1);
  f.close();
  QString text;
  int boxWidth = 0, titleWidth = 0;
  onModals([&](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      text = box->text();
      boxWidth = box->width();
      titleWidth = box->fontMetrics().horizontalAdvance(box->windowTitle());
      box->close();
      return false;
    }
    return true;
  });
  EXPECT_FALSE(app().files->openFile(deep.toStdString()));
  EXPECT_EQ(text, QStringLiteral("打开图像失败\ndeep.png：图像数据已损坏或不完整"));
  EXPECT_GT(boxWidth, titleWidth + 100);   // room for the title beside the window buttons

  onModals([&](QWidget* modal) {
    boxWidth = modal->width();
    titleWidth = modal->fontMetrics().horizontalAdvance(modal->windowTitle());
    text = modal->windowTitle();
    modal->close();
    return false;
  });
  ASSERT_TRUE(w->command(40202));
  EXPECT_EQ(text, QStringLiteral("版本信息"));
  EXPECT_GT(boxWidth, titleWidth + 100);
}

TEST_F(FirstUseTest, TypedExtensionChoosesTheFormatAndNewDocumentsStartInPictures) {
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", home.path().toUtf8());
  ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Pictures")));
  QString startedIn;
  onModals([&](QWidget* modal) {
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
      startedIn = files->directory().absolutePath();
      files->selectFile(home.path() + QStringLiteral("/flat.png"));   // the tsd type stays selected
      static_cast<QDialog*>(files)->accept();   // QFileDialog::accept, as the Save button does
      return true;
    }
    if (auto* buttons = modal->findChild<QDialogButtonBox*>()) {   // the PNG options
      buttons->button(QDialogButtonBox::Ok)->click();
      return false;
    }
    return true;
  });
  const bool saved = app().files->save();
  qputenv("HOME", oldHome);
  ASSERT_TRUE(saved);
  EXPECT_EQ(startedIn, home.path() + QStringLiteral("/Pictures"));
  QFile png(home.path() + QStringLiteral("/flat.png"));
  ASSERT_TRUE(png.open(QIODevice::ReadOnly));
  EXPECT_EQ(png.read(4), QByteArray("\x89PNG"));
  EXPECT_FALSE(QFile::exists(home.path() + QStringLiteral("/flat.png.tsd")));
}

TEST_F(FirstUseTest, TitleMarksUnsavedChanges) {
  EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral("[*]")));
  EXPECT_FALSE(w->isWindowModified());
  ASSERT_TRUE(w->command(42300));   // a new layer
  EXPECT_TRUE(w->isWindowModified());
  ASSERT_TRUE(w->command(40050));   // undo it: back to the saved state
  app().history.markSaved();
  w->refreshTitle();
  EXPECT_FALSE(w->isWindowModified());
}

TEST_F(FirstUseTest, WheelZoomKeepsThePointUnderThePointer) {
  QWidget* viewport = w->canvas()->viewport();
  viewport->resize(640, 480);
  app().view.setClientSize(640, 480);
  const QPoint at(150, 120);
  for (bool in : {true, true, true, false, true}) {
    const PointF before = app().view.imageFromViewExact(at.x(), at.y());
    QWheelEvent wheel(QPointF(at), QPointF(viewport->mapToGlobal(at)), QPoint(), QPoint(0, in ? 120 : -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    const PointF after = app().view.imageFromViewExact(at.x(), at.y());
    const double pixel = 100.0 / app().view.zoom();   // one screen pixel in image units
    EXPECT_NEAR(after.x, before.x, pixel) << app().view.zoom();
    EXPECT_NEAR(after.y, before.y, pixel) << app().view.zoom();
  }
  EXPECT_EQ(app().view.zoom(), 400);
  // The menu's zoom keeps the centre.
  const PointF centre = app().view.imageFromViewExact(320, 240);
  ASSERT_TRUE(w->command(40167));
  EXPECT_NEAR(app().view.imageFromViewExact(320, 240).x, centre.x, 1.0);
}

TEST_F(FirstUseTest, SelectionToolShowsNoBrushSettings) {
  PanelWindow* options = w->panel(kToolOptionsPanel);
  QSpinBox* size = options->findChild<QSpinBox*>(QStringLiteral("size"));
  QLabel* none = options->findChild<QLabel*>(QStringLiteral("noOptions"));
  ASSERT_NE(size, nullptr);
  ASSERT_NE(none, nullptr);
  app().painting.input.selectTool(4);   // the brush
  EXPECT_TRUE(size->isVisibleTo(options));
  EXPECT_FALSE(none->isVisibleTo(options));
  app().painting.input.selectTool(18);   // the selection
  EXPECT_FALSE(size->isVisibleTo(options));
  EXPECT_TRUE(none->isVisibleTo(options));
}

TEST(PlatformChoice, XWaylandOnlyWhenBothDisplaysAndNoChoiceMade) {
  EXPECT_EQ(preferredPlatform(nullptr, "wayland-0", ":0"), "xcb");
  EXPECT_EQ(preferredPlatform("", "wayland-0", ":0"), "xcb");
  EXPECT_EQ(preferredPlatform("wayland", "wayland-0", ":0"), "");
  EXPECT_EQ(preferredPlatform(nullptr, "wayland-0", nullptr), "");
  EXPECT_EQ(preferredPlatform(nullptr, nullptr, ":0"), "");
  EXPECT_EQ(preferredPlatform(nullptr, "", ":0"), "");
}

}  // namespace
}  // namespace tessel
