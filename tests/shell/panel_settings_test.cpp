// The panels' options from config.ini: texture view size, palette right
// button, navigator flags and zoom, image viewer flags and size; honoured at
// start and written back at exit.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/application.h"
#include "app/commands/commands.h"
#include "formats/bmp_codec.h"
#include "ui/image_viewer_panel.h"
#include "ui/main_window.h"
#include "ui/navigator_panel.h"
#include "ui/palette_panel.h"
#include "ui/session.h"
#include "ui/texture_panel.h"
#include "shell_fixture.h"

namespace tessel {
namespace {

class PanelSettingsTest : public ShellTest {
 protected:
  std::string configText() const {
    std::ifstream in(home.path().toStdString() + "/config.ini", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void show(MainWindow* w, Application& app, int panel) {
    if (!app.panelVisible(panel)) ASSERT_TRUE(w->command(cmd::kPanelFirst + panel));
  }
};

TEST_F(PanelSettingsTest, PanelsFollowTheirSettingsAndKeepTheChanges) {
  std::ofstream(home.path().toStdString() + "/config.ini", std::ios::binary)
      << "[Env]\r\nTexViewSize=2\r\nPalRBtt=1\r\nPrevFlag=1\r\nPrevScale=200\r\nImgVFlag=1\r\nImgVScale=50\r\n";
  QTemporaryDir pictures;
  Image32 picture;
  ASSERT_TRUE(picture.create(40, 30));
  ASSERT_TRUE(writeBmp(picture, pictures.path().toStdString() + "/p.bmp"));

  Session session;
  ASSERT_TRUE(session.start(QString()));
  MainWindow* w = session.window();
  Application& app = session.app();
  for (int panel : {kPalettePanel, kTexturePanel, kNavigatorPanel, kImageViewerPanel}) show(w, app, panel);

  EXPECT_EQ(w->texturePanel()->list()->iconSize().width(), 64);   // large

  // The right button on a cell picks into the colour that is not current.
  PalettePanel* palette = w->palettePanel();
  app.painting.draw.curColNo = 0;
  app.painting.draw.drawCol1 = 0x123456;
  ASSERT_TRUE(palette->model().addCurrent());
  palette->refresh();
  app.painting.draw.drawCol1 = 0;
  auto* swatches = palette->findChild<SwatchView*>(QStringLiteral("paletteSwatches"));
  const QPoint cell = swatches->mapTo(palette, QPoint(3, 3));
  QContextMenuEvent right(QContextMenuEvent::Mouse, cell, palette->mapToGlobal(cell));
  QApplication::sendEvent(palette, &right);
  EXPECT_EQ(app.painting.draw.drawCol2, 0x123456u);
  EXPECT_EQ(app.painting.draw.drawCol1, 0u);

  // Sampled and at twice the fitting size.
  NavigatorPanel* nav = w->navigatorPanel();
  ASSERT_TRUE(app.document.newImage(2000, 1000, true));
  app.view.refreshAll();
  nav->refreshPicture();
  EXPECT_TRUE(nav->model().sampled);
  NavigatorModel fit;
  fit.rebuild(app.document.composite, nav->width(), nav->height());
  EXPECT_EQ(nav->model().picture().width(), fit.picture().width() * 2);

  // Half-size thumbnails without names.
  ImageViewerPanel* viewer = w->imageViewerPanel();
  EXPECT_EQ(viewer->thumbSide(), ImageViewerPanel::kThumbSide / 2);
  viewer->showFolder(pictures.path());
  ASSERT_EQ(viewer->list()->count(), 1);
  EXPECT_EQ(viewer->list()->item(0)->text(), QString());
  EXPECT_EQ(viewer->list()->item(0)->toolTip(), QStringLiteral("p.bmp"));

  w->texturePanel()->setViewSize(0);
  nav->setZoom(400);
  nav->setSampled(false);
  viewer->setScale(150);
  viewer->setNamesShown(true);
  EXPECT_EQ(viewer->list()->item(0)->text(), QStringLiteral("p.bmp"));
  EXPECT_EQ(viewer->thumbSide(), ImageViewerPanel::kThumbSide * 3 / 2);
  QTRY_COMPARE_WITH_TIMEOUT(viewer->thumbnailsDone(), 1, 5000);
  session.shutdown();

  const std::string text = configText();
  for (const char* line : {"\r\nTexViewSize=0\r\n", "\r\nPalRBtt=1\r\n", "\r\nPrevFlag=0\r\n", "\r\nPrevScale=400\r\n",
                           "\r\nImgVFlag=0\r\n", "\r\nImgVScale=150\r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace tessel
