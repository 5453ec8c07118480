#include "app/ops/layer_ops.h"

#include <algorithm>

#include "app/application.h"
#include "app/files/load_messages.h"
#include "app/files/messages.h"
#include "app/shell.h"
#include "document/document.h"
#include "document/pixel_edit.h"
#include "filters/filter_functions.h"
#include "formats/image_loader.h"
#include "formats/png_codec.h"
#include "resources/language.h"

namespace tessel {

namespace {

// A tool operation in progress ends before the stack changes under it.
void endToolOperation(Application& app) {
  if (app.painting.input.dragging()) app.painting.input.cancel();
}

std::string lastPathPart(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Runs a document operation the way every layer command does.
template <class Op>
void layerStep(Application& app, Shell& shell, Op op, bool wait = false) {
  endToolOperation(app);
  if (wait) shell.setBusy(true);
  op(app.document);
  if (wait) shell.setBusy(false);
  refreshAfterLayerChange(app, shell);
}

}  // namespace

bool addLayerFromImage(Document& doc, const Image32& image, const std::string& fileName) {
  if (!image.valid()) return false;
  {
    RecorderMute mute(doc);   // recorded below, once the pixels are in
    if (!doc.newLayer(false)) return false;
  }
  Layer* layer = doc.currentLayer();
  const int w = std::min(image.width(), doc.width()), h = std::min(image.height(), doc.height());
  layer->image().blit(0, 0, w, h, image, 0, 0);
  layerNameFromUtf8(lastPathPart(fileName), layer->name);
  // A layer added like "新建" is undone like it.
  doc.recorder().recordLayerAdded();
  return true;
}

bool runAlphaOperation(Document& doc, int reference, AlphaOperation op, Pixel colour) {
  Layer* current = doc.currentLayer();
  if (!current || !doc.layers().atIndex(reference)) return false;
  Image32 source;
  if (!source.create(doc.width(), doc.height())) return false;
  source.copyFrom(current->image());
  // source is the layer as it was: the step is recorded from it.
  commitFromBackup(doc, source, doc.canvasRect());
  FilterValues values;
  FilterContext context;
  context.layers = &doc.layers();
  context.currentLayer = doc.currentIndex();
  context.foreground = colour;
  if (op == AlphaOperation::Outline) {
    values.slider[0] = 1;   // brush size 1, the plain shape
    values.list[1] = reference;
    return filterOutlineOutside(values, context, current->image(), source, doc.canvasRect(), nullptr);
  }
  static constexpr int kSetAlphaOp[3] = {0, 2, 5};
  values.list[0] = reference;
  values.list[1] = kSetAlphaOp[int(op)];
  return filterSetAlpha(values, context, current->image(), source, doc.canvasRect(), nullptr);
}

bool setLayerSettings(Document& doc, int index, const std::string& name, int percent) {
  Layer* layer = doc.layers().atIndex(index);
  if (!layer) return false;
  layerNameFromUtf8(name, layer->name);
  layer->opacity = opacityFromPercent(std::clamp(percent, 0, 100));
  return true;
}

bool exportLayerPng(const Layer& layer, const std::string& path) {
  return writePng(layer.image(), path, 6, true, -1);
}

void refreshAfterLayerChange(Application& app, Shell& shell) {
  app.view.refreshAll();
  shell.refreshLayerPanel(-1);
  shell.refreshNavigator();
  shell.setTitle(app.title());
}

void layerNew(Application& app, Shell& shell) {
  layerStep(app, shell, [](Document& d) { d.newLayer(false); });
}

void layerClone(Application& app, Shell& shell) {
  layerStep(app, shell, [](Document& d) { d.newLayer(true); });
}

void layerDelete(Application& app, Shell& shell) {
  layerStep(app, shell, [](Document& d) { d.deleteLayer(); });
}

void layerMergeDown(Application& app, Shell& shell) {
  layerStep(app, shell, [](Document& d) { d.mergeDown(); }, true);
}

void layerMergeVisible(Application& app, Shell& shell, bool keepTransparency) {
  layerStep(app, shell, [=](Document& d) { d.mergeVisible(keepTransparency); }, true);
}

void layerMergeIntoNew(Application& app, Shell& shell) {
  layerStep(app, shell, [](Document& d) { d.mergeIntoNewLayer(); }, true);
}

void layerMoveUp(Application& app, Shell& shell) {
  layerStep(app, shell, [](Document& d) { d.moveUp(); });
}

void layerMoveDown(Application& app, Shell& shell) {
  layerStep(app, shell, [](Document& d) { d.moveDown(); });
}

void layerVisibility(Application& app, Shell& shell, int mode) {
  layerStep(app, shell, [=](Document& d) { d.setVisibility(Visibility(std::clamp(mode, 0, 2))); });
}

void layerNewFromFile(Application& app, Shell& shell) {
  endToolOperation(app);
  std::string path;
  if (!shell.chooseImageFile(app.config.openDir, path)) return;
  Image32 image;
  ImageReadInfo info;
  if (!loadImage(path, image, info)) {
    shell.showMessage(imageFailureMessage(text::tr(kMsgOpenImageFailed), path, info.reason), std::string(),
                      MessageIcon::Warning);
    return;
  }
  if (addLayerFromImage(app.document, image, path)) refreshAfterLayerChange(app, shell);
}

void layerSettings(Application& app, Shell& shell, int index) {
  endToolOperation(app);
  Document& doc = app.document;
  if (index < 0) index = doc.currentIndex();
  const Layer* layer = doc.layers().atIndex(index);
  if (!layer) return;
  std::string name = layerNameToUtf8(layer->name);
  int percent = percentFromOpacity(layer->opacity);
  if (!shell.askLayerSettings(name, percent)) return;
  setLayerSettings(doc, index, name, percent);
  refreshAfterLayerChange(app, shell);
}

void layerExport(Application& app, Shell& shell) {
  endToolOperation(app);
  const Layer* layer = app.document.currentLayer();
  if (!layer) return;
  std::string path;
  if (!shell.choosePngFile(app.config.saveDir, layerNameToUtf8(layer->name), path)) return;
  if (!exportLayerPng(*layer, path)) shell.showMessage(text::tr(kMsgSaveFailed), std::string(), MessageIcon::Warning);
}

void layerAlphaOperation(Application& app, Shell& shell, int reference, AlphaOperation op) {
  endToolOperation(app);
  if (runAlphaOperation(app.document, reference, op, app.painting.draw.drawingColour())) {
    refreshAfterLayerChange(app, shell);
  }
}

}  // namespace tessel
