#include "draw/text/text_placement.h"

#include "document/document.h"
#include "document/pixel_edit.h"
#include "draw/text/text_render.h"
#include "draw/tool/tool_traits.h"

namespace tessel {

bool TextPlacement::place(Point anchor) {
  if (active_) {
    anchor_ = anchor;
    redraw();
    return true;
  }
  Layer* layer = doc_.currentLayer();
  Image32& backup = doc_.layerBackup;
  if (!layer || !layer->image().valid() || backup.width() != layer->image().width() ||
      backup.height() != layer->image().height())
    return false;
  backup.copyFrom(layer->image());
  layer_ = layer;
  active_ = true;
  anchor_ = anchor;
  preview_ = {};
  if (opened) opened();
  return true;
}

void TextPlacement::nudge(int dx, int dy) {
  if (!active_) return;
  anchor_.x += dx;
  anchor_.y += dy;
  redraw();
}

void TextPlacement::preview(const TextSettings& settings, const std::u16string& text,
                            bool fontChanged) {
  settings_ = settings;
  text_ = text.substr(0, kTextMaxUnits);
  if (fontChanged) font_.reset();
  redraw();
}

Rect TextPlacement::finish(bool ok) {
  if (!active_) return {};
  active_ = false;
  if (!layerAlive()) return {};   // the layer went away under the dialog
  removePreview();
  if (!ok || doc_.currentLayer() != layer_) return {};
  font_.reset();
  PixelEdit edit(doc_, doc_.layerBackup);
  Rect drawn = render(true);
  edit.extend(drawn);
  edit.commit();
  if (refresh && !drawn.empty()) refresh(drawn);
  return drawn;
}

// The layer the backup was taken from is still there and of its size.
bool TextPlacement::layerAlive() const {
  return layer_ && doc_.layers().indexOf(layer_) >= 0 &&
         doc_.layerBackup.width() == layer_->image().width() &&
         doc_.layerBackup.height() == layer_->image().height();
}

void TextPlacement::removePreview() {
  Rect r = preview_.intersected(doc_.canvasRect());
  if (!r.empty()) layer_->image().blit(r.x, r.y, r.w, r.h, doc_.layerBackup, r.x, r.y);
  if (refresh && !r.empty()) refresh(r);
  preview_ = {};
}

void TextPlacement::redraw() {
  if (!active_ || !layerAlive()) return;
  removePreview();
  // The preview shows on the layer it began on only.
  if (!settings_.preview() || doc_.currentLayer() != layer_) return;
  preview_ = render(false);
  if (refresh && !preview_.empty()) refresh(preview_);
}

// The preview ignores the mask mode and the colour mask; the final text
// obeys them with the layer as the reference.
Rect TextPlacement::render(bool final) {
  if (!font_ && fontMaker) font_ = fontMaker(settings_);
  if (!font_ || text_.empty()) return {};
  PixelGate gate = engine_.context();
  if (final) {
    gate.reference = &layer_->image();
    gate.maskMode = layer_->maskMode <= kMaskAlpha ? uint32_t(layer_->maskMode) : uint32_t(kMaskNone);
    gate.colourMaskMode = draw_.colMaskType <= kColourMaskOnly ? draw_.colMaskType : uint32_t(kColourMaskOff);
  } else {
    gate.reference = nullptr;
    gate.maskMode = kMaskNone;
    gate.colourMaskMode = kColourMaskOff;
  }
  Pixel value = draw_.drawingColour() | (Pixel(tools_.alphaOf(kToolText)) << 24);
  return renderText(layer_->image(), anchor_.x, anchor_.y, text_, value, *font_, settings_, gate);
}

}  // namespace tessel
