// Drives the real main window under the offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "app/application.h"
#include "app/commands/commands.h"
#include "formats/native_document.h"
#include "ui/canvas_widget.h"
#include "ui/info_bar.h"
#include "ui/main_window.h"
#include "ui/panel_window.h"
#include "ui/session.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

// Each test runs with its own settings folder and temporary path.
class MainWindowTest : public ShellTest {
 protected:
  QString tempFolder() const { return temp.path() + QStringLiteral("/~tessel"); }
};

TEST_F(MainWindowTest, StartsWithTitleMenusAndDefaultPanels) {
  qputenv("TESSEL_SANE_LIBRARY", "libsane-absent.so.1");
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Tessel2 - 新建文件[*]"));
  QStringList labels;
  for (QAction* a : w->menuBar()->actions()) labels << a->text();
  EXPECT_EQ(labels, (QStringList{"文件", "编辑", "选区", "滤镜", "视图", "帮助"}));
  EXPECT_TRUE(QDir(tempFolder()).exists());
  for (int n = 0; n < kPanelCount; ++n) {
    EXPECT_EQ(w->panel(n)->isVisible(), ((31 >> n) & 1) != 0) << n;   // the default bits
  }
  EXPECT_EQ(session.app().settings.winViewFlag, 31u);
  EXPECT_EQ(w->panel(kLayerPanel)->windowTitle(), QStringLiteral("图层"));
  EXPECT_EQ(session.app().document.width(), 300);
  EXPECT_FALSE(session.app().icons.valid());   // freed once the windows hold their images
  // Without the scanner library the scanner items stay greyed and say why.
  w->refreshEnabled();
  ASSERT_NE(w->action(40006), nullptr);
  EXPECT_FALSE(w->action(40006)->isEnabled());
  EXPECT_FALSE(w->command(40006));
  EXPECT_TRUE(w->action(40007)->toolTip().contains(QStringLiteral("libsane-absent.so.1")));
  qunsetenv("TESSEL_SANE_LIBRARY");
  EXPECT_TRUE(w->action(40001)->isEnabled());
  EXPECT_TRUE(w->action(41051)->isEnabled());   // the filters run from the menu
  EXPECT_FALSE(w->command(12345));
  w->close();
  session.shutdown();
  EXPECT_FALSE(QDir(tempFolder()).exists());
}

TEST_F(MainWindowTest, ToolBarZoomUpdatesTheInfoBarAndTheCanvas) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  EXPECT_EQ(w->infoBar()->text().zoom, " 100%");
  QToolBar* bar = w->findChild<QToolBar*>(QStringLiteral("toolBar"));
  ASSERT_NE(bar, nullptr);
  QWidget* zoomIn = bar->widgetForAction(w->action(cmd::kZoomIn));
  ASSERT_NE(zoomIn, nullptr);
  QTest::mouseClick(zoomIn, Qt::LeftButton);
  EXPECT_EQ(app.view.zoom(), 200);
  EXPECT_EQ(w->infoBar()->text().zoom, " 200%");
  EXPECT_EQ(w->infoBar()->text().size, " 300x 300");

  // One red image pixel shows as a 2 x 2 block on the painted canvas.
  app.document.composite.set(3, 4, 0xFFFF0000);
  app.view.setScroll(0, 0);
  w->canvas()->viewport()->repaint();
  Point o = app.view.origin();
  const QImage& frame = w->canvas()->frame();
  EXPECT_EQ(frame.pixel(o.x + 6, o.y + 8), 0xFFFF0000u);
  EXPECT_EQ(frame.pixel(o.x + 7, o.y + 9), 0xFFFF0000u);
  EXPECT_NE(frame.pixel(o.x + 8, o.y + 9), 0xFFFF0000u);
  EXPECT_EQ(frame.pixel(o.x - 1, o.y), 0xFFB4B4B4u);

  w->command(cmd::kZoomPresetFirst + 1);   // 50 %
  EXPECT_EQ(w->infoBar()->text().zoom, "  50%");
  w->command(cmd::kZoomOut);
  EXPECT_EQ(app.view.zoom(), 25);
  w->close();
}

TEST_F(MainWindowTest, PanelTogglesAndHideAll) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  ShellSettings& s = session.app().settings;
  w->action(40151)->trigger();   // tool options off
  EXPECT_FALSE(w->panel(kToolOptionsPanel)->isVisible());
  EXPECT_EQ(s.winViewFlag, 31u & ~2u);
  EXPECT_FALSE(w->action(40151)->isChecked());
  w->action(40151)->trigger();
  EXPECT_TRUE(w->panel(kToolOptionsPanel)->isVisible());
  w->panel(kToolOptionsPanel)->close();   // the title bar's close is the toggle
  EXPECT_FALSE(w->panel(kToolOptionsPanel)->isVisible());
  EXPECT_EQ(s.winViewFlag, 31u & ~2u);
  w->action(40151)->trigger();
  EXPECT_TRUE(w->action(40156)->isEnabled());
  EXPECT_TRUE(w->panel(kLayerPanel)->isVisible());
  EXPECT_EQ(s.winViewFlag, 31u);

  EXPECT_TRUE(w->command(cmd::kHideAllPanels));
  for (int n = 0; n < kPanelCount; ++n) EXPECT_FALSE(w->panel(n)->isVisible()) << n;
  EXPECT_EQ(s.viewBkFlag, 31u);
  EXPECT_TRUE(s.view.flags & view_flag::kPanelsHidden);
  EXPECT_TRUE(w->command(cmd::kHideAllPanels));
  for (int n = 0; n < kPanelCount; ++n)
    EXPECT_EQ(w->panel(n)->isVisible(), ((31 >> n) & 1) != 0) << n;
  EXPECT_EQ(s.winViewFlag, 31u);
  EXPECT_FALSE(s.view.flags & view_flag::kPanelsHidden);
  w->close();
}

TEST_F(MainWindowTest, NoPanelsAndNormalStateFromTheSettings) {
  QFile ini(home.path() + "/config.ini");
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[Window]\r\nMainShowCmd=2\r\n[Env]\r\nWinViewFlag=0\r\nExViewFlag=13\r\n");
  ini.close();
  Session session;
  ASSERT_TRUE(session.start(QString()));
  // Mirroring and full screen never survive a restart; the grid does.
  EXPECT_EQ(session.app().settings.view.flags, 8u);
  MainWindow* w = session.window();
  for (int n = 0; n < kPanelCount; ++n) EXPECT_FALSE(w->panel(n)->isVisible()) << n;
  EXPECT_FALSE(w->isMinimized());
  EXPECT_FALSE(w->isMaximized());
  EXPECT_TRUE(w->isVisible());
  w->close();
}

TEST_F(MainWindowTest, ViewCommandsFlipTheirFlags) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  ViewOptions& v = session.app().settings.view;
  EXPECT_TRUE(w->command(cmd::kMirror));
  EXPECT_TRUE(v.flags & view_flag::kMirror);
  EXPECT_TRUE(w->action(cmd::kMirror)->isChecked());
  EXPECT_TRUE(w->command(cmd::kGrid));
  EXPECT_TRUE(v.flags & view_flag::kGrid);
  EXPECT_TRUE(w->command(cmd::kChecker));
  EXPECT_TRUE(v.flags & view_flag::kChecker);
  EXPECT_TRUE(w->command(cmd::kMirror));
  EXPECT_FALSE(v.flags & view_flag::kMirror);
  // Accelerators reach the same handler.
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(v.flags & view_flag::kMirror);
  QTest::keyClick(w, Qt::Key_Tab);
  EXPECT_FALSE(w->panel(kToolsPanel)->isVisible());
  QTest::keyClick(w, Qt::Key_Tab);
  EXPECT_TRUE(w->panel(kToolsPanel)->isVisible());
  // Full screen and back.
  EXPECT_TRUE(w->command(cmd::kFullScreen));
  EXPECT_TRUE(v.flags & view_flag::kFullScreen);
  EXPECT_TRUE(w->isFullScreen());
  EXPECT_TRUE(w->command(cmd::kFullScreen));
  EXPECT_FALSE(v.flags & view_flag::kFullScreen);
  EXPECT_FALSE(w->isFullScreen());
  w->close();
}

TEST_F(MainWindowTest, SettingsAreWrittenAtShutdown) {
  {
    Session session;
    ASSERT_TRUE(session.start(QString()));
    session.window()->command(40151);   // tool options off
    session.window()->command(cmd::kGrid);
    session.window()->close();
    session.shutdown();
  }
  QFile ini(home.path() + "/config.ini");
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  QByteArray text = ini.readAll();
  EXPECT_TRUE(text.contains("WinViewFlag=29\r\n")) << text.constData();
  EXPECT_TRUE(text.contains("ExViewFlag=152\r\n"));
  Session again;
  ASSERT_TRUE(again.start(QString()));
  EXPECT_FALSE(again.window()->panel(kToolOptionsPanel)->isVisible());
  EXPECT_TRUE(again.window()->panel(kToolsPanel)->isVisible());
  EXPECT_TRUE(again.app().settings.view.flags & view_flag::kGrid);
}

TEST_F(MainWindowTest, CommandLineFileIsOpened) {
  QString path = home.path() + "/small pic.tsd";
  {
    Document doc;
    ASSERT_TRUE(doc.newImage(40, 30, true));
    ASSERT_TRUE(writeDocument(path.toStdString(), doc, nullptr));
  }
  Session session;
  ASSERT_TRUE(session.start(QLatin1Char('"') + path + QLatin1Char('"')));
  EXPECT_EQ(session.app().document.width(), 40);
  EXPECT_EQ(session.app().document.height(), 30);
  EXPECT_EQ(session.window()->windowTitle(), "Tessel2 - " + path + "[*]");
  EXPECT_EQ(session.window()->infoBar()->text().size, "  40x  30");
  session.window()->close();
}

TEST_F(MainWindowTest, CtrlArrowShiftsTheLayerAndMarksTheDocument) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Image32& layer = session.app().document.currentLayer()->image();
  layer.set(0, 0, 0xFF112233);
  layer.set(1, 0, kTransparent);
  EXPECT_FALSE(session.app().history.modified());
  QTest::keyClick(w, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(layer.at(1, 0), 0xFF112233u);
  EXPECT_EQ(layer.at(0, 0), kTransparent);
  EXPECT_TRUE(session.app().history.modified());
  QTest::keyClick(w, Qt::Key_Right);   // no Ctrl: nothing moves
  EXPECT_EQ(layer.at(1, 0), 0xFF112233u);
  QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);   // undo
  EXPECT_EQ(session.app().document.currentLayer()->image().at(0, 0), 0xFF112233u);
  EXPECT_TRUE(w->command(cmd::kRedo));
  EXPECT_EQ(session.app().document.currentLayer()->image().at(1, 0), 0xFF112233u);
  session.app().history.clear();   // no unsaved-changes question on close
  w->close();
}

TEST_F(MainWindowTest, KeysFromKeyDatRunViewCommandsAndPanelToggles) {
  // key.dat: two entries, zoom in (group 2, item 2) on Z, tool options (group 5, item 1) on F5.
  QFile dat(home.path() + "/key.dat");
  ASSERT_TRUE(dat.open(QIODevice::WriteOnly));
  const unsigned char bytes[] = {2, 0, 0x5A, 2 * 32 + 2, 0x74, 5 * 32 + 1};
  dat.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  dat.close();
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  QTest::keyClick(w, Qt::Key_Z);
  EXPECT_EQ(session.app().view.zoom(), 200);
  QTest::keyClick(w, Qt::Key_F5);
  EXPECT_FALSE(w->panel(kToolOptionsPanel)->isVisible());
  QTest::keyClick(w, Qt::Key_A);   // not bound
  EXPECT_EQ(session.app().view.zoom(), 200);
  w->close();
}

TEST_F(MainWindowTest, SecondSessionUsesTheNextFolder) {
  Session first;
  ASSERT_TRUE(first.start(QString()));
  Session second;
  ASSERT_TRUE(second.start(QString()));
  EXPECT_EQ(QString::fromStdString(first.app().tempFolder), tempFolder());
  EXPECT_EQ(QString::fromStdString(second.app().tempFolder), tempFolder() + "1");
  second.shutdown();
  EXPECT_TRUE(QDir(tempFolder()).exists());
  EXPECT_FALSE(QDir(tempFolder() + "1").exists());
  first.shutdown();
  EXPECT_FALSE(QDir(tempFolder()).exists());
}

}  // namespace
}  // namespace tessel
