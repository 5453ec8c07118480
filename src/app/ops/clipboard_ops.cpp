// The selection's and the layers' exchange with the clipboard and with files.
#include <algorithm>

#include "app/application.h"
#include "app/files/load_messages.h"
#include "app/files/messages.h"
#include "app/ops/selection_actions.h"
#include "formats/clipboard_dib.h"
#include "formats/image_loader.h"
#include "formats/png_codec.h"
#include "resources/language.h"

namespace tessel {

namespace {

// The rectangle of the current layer, as it is or over opaque white.
bool selectedPixels(Application& app, bool overWhite, Image32& out) {
  const Layer* layer = app.document.currentLayer();
  const Rect r = app.selection.get(app.document);
  if (!layer || !out.create(r.w, r.h)) return false;
  if (overWhite) {
    out.fill(kOpaqueWhite);
    Image32 part;
    if (!part.create(r.w, r.h)) return false;
    part.blit(0, 0, r.w, r.h, layer->image(), r.x, r.y);
    compositeOver(out, part, 0, 0);
  } else {
    out.blit(0, 0, r.w, r.h, layer->image(), r.x, r.y);
  }
  return true;
}

// The clipboard's bitmap at most canvas-sized; false (with the message for a
// bitmap that lacks alpha) when there is none.
bool readClipboard(Shell& shell, int maxWidth, int maxHeight, bool withAlpha, Image32& out) {
  int w = 0, h = 0;
  if (!shell.clipboardImageSize(w, h) || !out.create(std::min(w, maxWidth), std::min(h, maxHeight)))
    return false;
  if (!withAlpha) return shell.readClipboardImage(out);
  const DibResult result = shell.readClipboardImage32(out);
  if (result == DibResult::Not32Bit) shell.showMessage(text::tr(kMsgNot32BitDib), std::string(), MessageIcon::Warning);
  return result == DibResult::Ok;
}

// The paste buffer from an imported picture, then the floating paste.
void importPicture(Application& app, Image32& picture) {
  const int w = std::min(picture.width(), app.document.width());
  const int h = std::min(picture.height(), app.document.height());
  if (w != picture.width() || h != picture.height()) {
    Image32 cut;
    if (!cut.create(w, h)) return;
    cut.blit(0, 0, w, h, picture, 0, 0);
    picture = std::move(cut);
  }
  app.selection.takeBuffer(std::move(picture));
  pasteFloating(app);
}

}  // namespace

void exportToClipboard(Application& app, Shell& shell, bool withAlpha) {
  Image32 pixels;
  if (app.selection.floating() || !selectedPixels(app, !withAlpha, pixels)) return;
  shell.writeClipboardImage(pixels, withAlpha);
}

void exportAsPng(Application& app, Shell& shell) {
  Image32 pixels;
  std::string path;
  if (app.selection.floating() || !selectedPixels(app, false, pixels)) return;
  if (!shell.choosePngFile(app.config.saveDir, std::string(), path)) return;
  if (!writePng(pixels, path, 6, true, -1)) shell.showMessage(text::tr(kMsgSaveFailed), std::string(), MessageIcon::Error);
}

void importFromClipboard(Application& app, Shell& shell, bool withAlpha) {
  if (app.selection.floating()) return;
  makeSelectionToolCurrent(app);
  Image32 picture;
  if (readClipboard(shell, app.document.width(), app.document.height(), withAlpha, picture))
    importPicture(app, picture);
}

void importFromFile(Application& app, Shell& shell) {
  if (app.selection.floating()) return;
  makeSelectionToolCurrent(app);
  std::string path;
  if (!shell.chooseImageFile(app.config.openDir, path)) return;
  Image32 picture;
  ImageReadInfo info;
  if (!loadImage(path, picture, info)) {
    shell.showMessage(imageFailureMessage(text::tr(kMsgOpenImageFailed), path, info.reason), std::string(),
                      MessageIcon::Warning);
    return;
  }
  importPicture(app, picture);
}

void mergedCopy(Application& app, Shell& shell) {
  Image32 flat;
  if (app.document.flatten(flat, nullptr, false)) shell.writeClipboardImage(flat, false);
}

void copyLayer(Application& app, Shell& shell, bool withAlpha) {
  const Layer* layer = app.document.currentLayer();
  if (!layer) return;
  if (withAlpha) {
    shell.writeClipboardImage(layer->image(), true);
    return;
  }
  Image32 flat;
  if (!flat.create(layer->image().width(), layer->image().height())) return;
  flat.fill(kOpaqueWhite);
  compositeOver(flat, layer->image(), 0, 0);
  shell.writeClipboardImage(flat, false);
}

void pasteAsNewLayer(Application& app, Shell& shell, bool withAlpha) {
  Document& doc = app.document;
  Image32 picture;
  if (!readClipboard(shell, doc.width(), doc.height(), withAlpha, picture)) return;
  if (doc.layerCount() >= kMaxLayers) return;
  // Read first, so a failed read leaves the layer stack alone.
  Image32 full;
  if (!full.create(doc.width(), doc.height())) return;
  full.fill(kTransparent);
  full.blit(0, 0, picture.width(), picture.height(), picture, 0, 0);
  if (!withAlpha) full.setAlphaRect(0, 0, full.width(), full.height(), 255);
  commitSelection(app);
  if (!doc.newLayer(false)) return;
  doc.currentLayer()->image().swap(full);
  app.view.refreshAll();
  shell.refreshLayerPanel(-1);
  shell.refreshNavigator();
}

}  // namespace tessel
