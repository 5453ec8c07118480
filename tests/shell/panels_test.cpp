// The palette, extended palette, texture and navigator panels under the
// offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidgetItem>
#include <fstream>
#include <QListWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include "app/commands/commands.h"
#include "app/commands/command_table.h"
#include "draw/tool/tool_traits.h"
#include "formats/bmp_codec.h"
#include "ui/image_viewer_panel.h"
#include "ui/canvas_widget.h"
#include "ui/ex_palette_panel.h"
#include "ui/main_window.h"
#include "ui/navigator_panel.h"
#include "ui/palette_panel.h"
#include "ui/panel_window.h"
#include "ui/session.h"
#include "ui/texture_panel.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

class PanelsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
  }
  void TearDown() override {
    ShellTest::TearDown();
  }
  // Shows the panel through its toggle command when it is hidden.
  static void show(MainWindow* w, Application& app, int panel) {
    if (!app.panelVisible(panel)) {
      ASSERT_TRUE(w->command(cmd::kPanelFirst + panel));
    }
    ASSERT_TRUE(w->panel(panel)->isVisible());
  }
};

TEST_F(PanelsTest, ToggleCommandsShowAndHideTheBuiltPanels) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  for (int panel : {kPalettePanel, kExtendedPalettePanel, kTexturePanel, kNavigatorPanel}) {
    EXPECT_TRUE(w->commandEnabled(cmd::kPanelFirst + panel)) << panel;
    const bool before = app.panelVisible(panel);
    ASSERT_TRUE(w->command(cmd::kPanelFirst + panel));
    EXPECT_NE(app.panelVisible(panel), before);
    EXPECT_EQ(w->panel(panel)->isVisible(), !before);
  }
  session.shutdown();
}

TEST_F(PanelsTest, PalettePickSetsTheDrawingColourAndATabSurvivesARestart) {
  {
    Session session;
    ASSERT_TRUE(session.start(QString()));
    MainWindow* w = session.window();
    Application& app = session.app();
    show(w, app, kPalettePanel);
    PalettePanel* palette = w->palettePanel();
    ASSERT_NE(palette, nullptr);
    app.painting.draw.drawCol1 = 0xA0B0C0;
    ASSERT_TRUE(palette->model().addCurrent());
    app.painting.draw.drawCol1 = 0x102030;
    ASSERT_TRUE(palette->model().addCurrent());
    palette->refresh();
    auto* swatches = palette->findChild<SwatchView*>(QStringLiteral("paletteSwatches"));
    ASSERT_NE(swatches, nullptr);
    // The first cell sits one pixel in; click its middle.
    const SwatchLayout& l = swatches->layout();
    QTest::mouseClick(swatches, Qt::LeftButton, {}, QPoint(1 + l.cellW / 2, 1 + l.cellH / 2));
    EXPECT_EQ(app.painting.draw.drawCol1, 0xA0B0C0u);
    ASSERT_TRUE(palette->model().renameTab(0, "肤色"));
    session.shutdown();
  }
  Session again;
  ASSERT_TRUE(again.start(QString()));
  Application& app = again.app();
  auto* tabs = again.window()->palettePanel()->findChild<QTabBar*>(QStringLiteral("paletteTabs"));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("肤色"));   // the name came back from config.ini
  ASSERT_EQ(app.palettes.tabCount, 1);
  EXPECT_EQ(app.palettes.colours[0][1], 0x102030u);
  EXPECT_EQ(again.window()->palettePanel()->model().usedCount(), 2);
  again.shutdown();
}

TEST_F(PanelsTest, ExtendedPaletteClickPicksASwatch) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  show(w, app, kExtendedPalettePanel);
  ExPalettePanel* ex = w->exPalettePanel();
  ex->setType(0);
  app.painting.draw.curColNo = 1;
  SwatchView* view = ex->swatches();
  const SwatchLayout& l = view->layout();
  // Second column of the first row: hue 180.
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(2 + l.cellW + l.cellW / 2, 1 + l.cellH / 2));
  EXPECT_EQ(app.painting.draw.drawCol2, 0x00FFFFu);
  session.shutdown();
}

TEST_F(PanelsTest, TextureChosenInThePanelIsTheOneTheNextStrokeUses) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  show(w, app, kTexturePanel);
  Image32 dark, light;
  ASSERT_TRUE(dark.create(8, 8));
  dark.fill(0xFF000000);
  ASSERT_TRUE(light.create(6, 4));
  light.fill(0xFF808080);
  ASSERT_TRUE(app.textures.addTexture(dark, -1));
  ASSERT_TRUE(app.textures.addTexture(light, -1));
  app.syncBrushTextures();
  TexturePanel* panel = w->texturePanel();
  panel->refresh();
  ASSERT_EQ(panel->list()->count(), 2);
  panel->list()->setCurrentRow(1);
  EXPECT_EQ(app.painting.draw.textureSel, 1);
  EXPECT_TRUE(app.painting.draw.textureOn);

  app.painting.input.selectTool(kToolPen);
  QWidget* viewport = w->canvas()->viewport();
  Point a = app.view.viewFromImage(40, 40);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(a.x, a.y));
  QTest::mouseMove(viewport, QPoint(a.x + 20, a.y));
  const Texture* used = app.painting.engine.context().texture;
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(a.x + 20, a.y));
  ASSERT_NE(used, nullptr);
  EXPECT_EQ(used->width, 6);
  EXPECT_EQ(used->height, 4);
  EXPECT_EQ(used->bytes[0], 255 - 128);
  session.shutdown();
}

TEST_F(PanelsTest, NavigatorShowsTheImageAndAClickScrollsTheView) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  ASSERT_TRUE(app.document.newImage(2000, 1000, true));
  app.document.currentLayer()->image().fillRect(1000, 0, 1000, 1000, 0xFF0000FF);
  app.view.centreImage();
  app.view.refreshAll();
  show(w, app, kNavigatorPanel);
  NavigatorPanel* nav = w->navigatorPanel();
  nav->refreshPicture();
  const Rect pic = nav->model().pictureRect();
  ASSERT_GT(pic.w, 10);
  EXPECT_EQ(nav->model().picture().at(pic.w - 1, pic.h / 2) & 0xFFFFFF, 0x0000FFu);
  // A click at a quarter of the picture's width centres the view on x 500.
  QTest::mouseClick(nav, Qt::LeftButton, {}, QPoint(pic.x + pic.w / 4, pic.y + pic.h / 2));
  Point centre = app.view.imageFromView(app.view.clientWidth() / 2, app.view.clientHeight() / 2);
  EXPECT_NEAR(centre.x, 500, 2000 / pic.w + 2);
  EXPECT_NEAR(centre.y, 500, 1000 / pic.h + 2);
  session.shutdown();
}

}  // namespace
}  // namespace tessel

namespace tessel {
namespace {

TEST_F(PanelsTest, ViewerListsAFolderAndOpensADoubleClickedFile) {
  QTemporaryDir pictures;
  ASSERT_TRUE(pictures.isValid());
  const std::string dir = pictures.path().toStdString();
  Image32 a, b;
  ASSERT_TRUE(a.create(30, 20));
  a.fill(0xFFFF0000);
  ASSERT_TRUE(b.create(64, 48));
  b.fill(0xFF00FF00);
  ASSERT_TRUE(writeBmp(a, dir + "/a.bmp"));
  ASSERT_TRUE(writeBmp(b, dir + "/B.BMP"));
  std::ofstream(dir + "/notes.txt") << "not an image";
  std::ofstream(dir + "/broken.png") << "not a png either";

  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  show(w, app, kImageViewerPanel);
  ImageViewerPanel* viewer = w->imageViewerPanel();
  viewer->showFolder(pictures.path());
  ASSERT_EQ(viewer->list()->count(), 3);   // B.BMP, a.bmp, broken.png
  EXPECT_EQ(viewer->list()->item(0)->text(), QStringLiteral("B.BMP"));
  QTRY_COMPARE_WITH_TIMEOUT(viewer->thumbnailsDone(), 3, 5000);
  ASSERT_TRUE(viewer->openRow(0));
  EXPECT_EQ(app.document.width(), 64);
  EXPECT_EQ(app.document.height(), 48);
  EXPECT_EQ(app.document.currentLayer()->image().at(5, 5), 0xFF00FF00u);
  session.shutdown();
}

}  // namespace
}  // namespace tessel

namespace tessel {
namespace {

TEST_F(PanelsTest, ClickOnTheChosenTextureSwitchesTexturesOn) {
  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  show(w, app, kTexturePanel);
  Image32 dark;
  ASSERT_TRUE(dark.create(8, 8));
  dark.fill(0xFF000000);
  ASSERT_TRUE(app.textures.addTexture(dark, -1));
  app.syncBrushTextures();
  TexturePanel* panel = w->texturePanel();
  panel->refresh();
  app.painting.draw.textureOn = false;
  QListWidget* list = panel->list();
  ASSERT_EQ(list->currentRow(), 0);
  const QRect r = list->visualItemRect(list->item(0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_TRUE(app.painting.draw.textureOn);
  EXPECT_EQ(app.painting.draw.textureSel, 0);
  session.shutdown();
}

}  // namespace
}  // namespace tessel
