// The content of the palette, extended palette, texture, navigator and
// image viewer panels.
#include <QVBoxLayout>

#include "app/application.h"
#include "ui/canvas_widget.h"
#include "ui/ex_palette_panel.h"
#include "ui/main_window.h"
#include "ui/image_viewer_panel.h"
#include "ui/navigator_panel.h"
#include "ui/palette_panel.h"
#include "ui/panel_window.h"
#include "ui/texture_panel.h"

namespace tessel {

namespace {

QVBoxLayout* bareLayout(QWidget* panel) {
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  return layout;
}

}  // namespace

void MainWindow::buildContentPanels() {
  Application& app = app_;
  auto colourPicked = [&app] {
    if (app.painting.input.hooks.colourChanged) app.painting.input.hooks.colourChanged();
  };

  palette_ = new PalettePanel(app.palettes, app.painting.draw, &app.config.paletteNames, app.config.palViewW,
                              app.config.palViewH, panels_[kPalettePanel]);
  palette_->model().selectTab(app.config.palDefTab);
  palette_->refresh();
  palette_->colourPicked = colourPicked;
  palette_->rightButtonAction = &app.config.palRBtt;
  bareLayout(panels_[kPalettePanel])->addWidget(palette_);

  exPalette_ = new ExPalettePanel(app.painting.draw, app.config.exPalType, panels_[kExtendedPalettePanel]);
  exPalette_->colourPicked = colourPicked;
  bareLayout(panels_[kExtendedPalettePanel])->addWidget(exPalette_);
  panels_[kExtendedPalettePanel]->resize(exPalette_->sizeHint().expandedTo(QSize(160, 180)));

  textures_ = new TexturePanel(app, panels_[kTexturePanel]);
  bareLayout(panels_[kTexturePanel])->addWidget(textures_);

  navigator_ = new NavigatorPanel(app.document, app.view, app.config, panels_[kNavigatorPanel]);
  bareLayout(panels_[kNavigatorPanel])->addWidget(navigator_);
  viewer_ = new ImageViewerPanel(app, panels_[kImageViewerPanel]);
  bareLayout(panels_[kImageViewerPanel])->addWidget(viewer_);

  connect(canvas_, &CanvasWidget::viewChanged, navigator_, [this] {
    if (app_.panelVisible(kNavigatorPanel)) navigator_->refreshView();
  });
}

void MainWindow::refreshNavigator() {
  if (navigator_ && app_.panelVisible(kNavigatorPanel)) navigator_->refreshPicture();
}

void MainWindow::panelShown(int n) {
  if (n == kNavigatorPanel) refreshNavigator();
  if (n == kTexturePanel && textures_) textures_->refresh();
  if (n == kImageViewerPanel && viewer_ && !viewer_->folder().isEmpty()) viewer_->showFolder(viewer_->folder());
}

void MainWindow::storePanelSettings() {
  if (palette_) app_.config.palDefTab = palette_->model().tab();
  if (exPalette_) app_.config.exPalType = exPalette_->type();
}

}  // namespace tessel
