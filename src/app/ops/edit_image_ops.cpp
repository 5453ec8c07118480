#include "app/ops/edit_image_ops.h"

#include <chrono>
#include <thread>

#include "app/application.h"
#include "app/files/messages.h"
#include "app/models/scale_model.h"
#include "app/ops/selection_actions.h"
#include "app/shell.h"
#include "filters/image_ops.h"
#include "resources/language.h"

namespace tessel {

namespace {

constexpr std::chrono::milliseconds kProgressPause{100};

void endSelection(Application& app) {
  commitSelection(app);
  app.selection.reset();
}

// After the whole document changed: every view and panel.
void documentChanged(Application& app, Shell& shell, bool sizeChanged) {
  if (sizeChanged) app.view.centreImage();
  app.view.refreshAll();
  shell.refreshLayerPanel(-1);
  shell.refreshNavigator();
}

}  // namespace

// A whole-document change that failed changed nothing; memory is what it lacked.
void memoryRanOut(Shell& shell) { shell.showMessage(text::tr(kMsgMemoryError), "", MessageIcon::Error); }

void flipImageCommand(Application& app, Shell& shell, bool vertical) {
  endSelection(app);
  if (flipDocument(app.document, vertical, nullptr)) documentChanged(app, shell, false);
  else memoryRanOut(shell);
}

void rotateImageCommand(Application& app, Shell& shell, bool counterClockwise) {
  endSelection(app);
  if (rotateDocument(app.document, counterClockwise, nullptr)) documentChanged(app, shell, true);
  else memoryRanOut(shell);
}

void imageSizeCommand(Application& app, Shell& shell) {
  Document& doc = app.document;
  ScaleModel model = ScaleModel::start(doc.width(), doc.height(), app.config.scaleType);
  if (!shell.askImageSize(model)) return;
  app.config.scaleType = model.method;
  if (model.width == doc.width() && model.height == doc.height()) return;
  endSelection(app);
  const int ok = shell.runWithProgress([&](Progress& progress) {
    if (!scaleDocument(doc, model.width, model.height, ScaleMethod(model.method), &progress)) return 0;
    // The full bar stays a moment, so a quick scale still shows its end.
    std::this_thread::sleep_for(kProgressPause);
    return 1;
  });
  if (ok) documentChanged(app, shell, true);
  else memoryRanOut(shell);
}

void canvasSizeCommand(Application& app, Shell& shell) {
  Document& doc = app.document;
  int width = doc.width(), height = doc.height(), anchor = 4, fill = 0;
  if (!shell.askCanvasSize(width, height, anchor, fill)) return;
  if (width == doc.width() && height == doc.height()) return;
  endSelection(app);
  const Pixel foreground = app.painting.draw.drawingColour();
  if (changeCanvasSize(doc, width, height, CanvasAnchor::fromIndex(anchor), CanvasFill(fill), foreground,
                       nullptr))
    documentChanged(app, shell, true);
  else
    memoryRanOut(shell);
}

}  // namespace tessel
