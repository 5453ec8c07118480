#include "app/ops/selection_actions.h"

#include "app/application.h"
#include "app/models/scale_model.h"

namespace tessel {

bool mergedPaste(const Application& app) { return app.settings.view.flags & view_flag::kMergedPaste; }

const BrushContext& refreshGate(Application& app) {
  PaintingTools& p = app.painting;
  if (const Layer* layer = app.document.currentLayer())
    p.engine.refreshContext(layer->image(), layer->maskMode, p.draw, p.tools, p.input.textures);
  return p.engine.context();
}

void redrawArea(Application& app, const Rect& area) {
  if (area.empty()) return;
  app.view.refreshRect(area);
  app.layerPixelsChanged();
}

bool selectionToolCurrent(const Application& app) { return app.painting.draw.toolNo == kToolSelection; }

void makeSelectionToolCurrent(Application& app) {
  if (!selectionToolCurrent(app)) app.painting.input.selectTool(kToolSelection);
}

void commitSelection(Application& app) {
  const Rect shown = app.selection.rect();
  const BrushContext& gate = refreshGate(app);
  const Rect changed = app.selection.commit(app.document, gate, mergedPaste(app));
  if (!changed.empty()) {
    redrawArea(app, changed);
  } else if (!shown.empty()) {
    app.view.refreshRect(shown);   // takes the frame away
  }
}

bool pasteFloating(Application& app) {
  const Point centre = app.view.imageFromView(app.view.clientWidth() / 2, app.view.clientHeight() / 2);
  Rect changed;
  if (!app.selection.beginFloatingPaste(app.document, centre.x, centre.y, mergedPaste(app), changed))
    return false;
  redrawArea(app, changed);
  return true;
}

void selectAll(Application& app) {
  if (app.selection.floating()) return;
  makeSelectionToolCurrent(app);
  app.selection.setRect(app.document, app.document.canvasRect());
  app.view.refreshAll();
}

void selectionCoordinates(Application& app, Shell& shell) {
  if (app.selection.floating()) return;
  makeSelectionToolCurrent(app);
  const Rect r = app.selection.get(app.document);
  int left = r.x, top = r.y, right = r.right() - 1, bottom = r.bottom() - 1;
  if (!shell.askSelectionRect(left, top, right, bottom)) return;
  app.view.refreshRect(r);
  if (app.selection.set(app.document, left, top, right, bottom)) app.view.refreshRect(app.selection.rect());
}

void copyCommand(Application& app) {
  if (selectionToolCurrent(app)) copySelection(app.document, app.selection);
}

void cutCommand(Application& app) {
  if (selectionToolCurrent(app)) redrawArea(app, cutSelection(app.document, app.selection));
}

void pasteCommand(Application& app) {
  if (selectionToolCurrent(app) && !app.selection.floating()) pasteFloating(app);
}

void fillCommand(Application& app) {
  if (app.selection.floating()) return;
  BrushEngine& engine = app.painting.engine;
  refreshGate(app);
  const Pixel colour = app.painting.draw.drawingColour();
  redrawArea(app, fillSelection(app.document, app.selection, engine, colour));
}

void eraseCommand(Application& app) {
  if (app.selection.floating()) return;
  refreshGate(app);
  redrawArea(app, eraseSelection(app.document, app.selection, app.painting.engine));
}

void tileCommand(Application& app, TileDirection direction) {
  redrawArea(app, tileSelection(app.document, app.selection, direction));
}

void flipSelectionCommand(Application& app, bool vertical) {
  redrawArea(app, flipSelection(app.document, app.selection, vertical));
}

void rotateSelection90Command(Application& app, bool counterClockwise) {
  const Rect before = app.selection.get(app.document);
  const Rect changed = rotateSelection90(app.document, app.selection, counterClockwise);
  if (!changed.empty()) redrawArea(app, changed.united(before));
}

void rotateSelectionCommand(Application& app, Shell& shell) {
  if (app.selection.floating()) return;
  int32_t& stored = app.config.rotateAngle;
  int degrees = int16_t(stored & 0xFFFF);
  bool smooth = stored & 0x10000;
  if (!shell.askRotateAngle(degrees, smooth)) return;
  stored = int32_t(uint16_t(int16_t(degrees))) | (smooth ? 0x10000 : 0);
  redrawArea(app, rotateSelection(app.document, app.selection, degrees, smooth));
}

void cropCommand(Application& app, Shell& shell) {
  if (!cropToSelection(app.document, app.selection)) return;
  app.view.centreImage();
  app.view.refreshAll();
  shell.refreshLayerPanel(-1);
  shell.refreshNavigator();
}

void scaleSelectionCommand(Application& app, Shell& shell) {
  if (app.selection.floating()) return;
  const Rect r = app.selection.get(app.document);
  ScaleModel model = ScaleModel::start(r.w, r.h, app.config.scaleType);
  if (!shell.askSelectionScale(model)) return;
  app.config.scaleType = model.method;
  const Rect changed =
      scaleSelection(app.document, app.selection, model.width, model.height, ScaleMethod(model.method));
  redrawArea(app, changed.united(r));
}

void toggleMergedPaste(Application& app) { app.settings.view.flags ^= view_flag::kMergedPaste; }

SelectionUndoGuard::SelectionUndoGuard(Application& app) : app_(app) {
  if (app.selection.state() == SelectionState::Selected) kept_ = app.selection.rect();
  commitSelection(app);
}

SelectionUndoGuard::~SelectionUndoGuard() {
  if (!kept_.empty() && app_.selection.setRect(app_.document, kept_))
    app_.view.refreshRect(app_.selection.rect());
}

}  // namespace tessel
