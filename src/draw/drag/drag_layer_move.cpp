#include "draw/drag/drag_layer_move.h"

#include <algorithm>
#include <cstdlib>

#include "document/document.h"
#include "document/pixel_edit.h"

namespace tessel {

bool LayerMoveDrag::begin() {
  Layer* layer = ctx_.doc.currentLayer();
  if (!layer || !work_.create(layer->image().width(), layer->image().height())) return false;
  work_.copyFrom(layer->image());
  return true;
}

void LayerMoveDrag::move(const DragPoint& p, const InputState& in) {
  Layer* layer = ctx_.doc.currentLayer();
  CanvasView& view = ctx_.view;
  const bool changed = distance_.advance(p, in, view);
  if (!layer || !work_.valid() || !changed) return;
  const Point offset = distance_.offset();
  layer->image().fill(kTransparent);
  int w = work_.width(), h = work_.height();
  int sx = std::max(0, -offset.x), sy = std::max(0, -offset.y);
  int dx = std::max(0, offset.x), dy = std::max(0, offset.y);
  if (std::abs(offset.x) < w && std::abs(offset.y) < h)
    layer->image().blit(dx, dy, w - std::abs(offset.x), h - std::abs(offset.y), work_, sx, sy);
  view.refreshAll();
}

bool LayerMoveDrag::release(int, const DragPoint&) {
  commit();
  return false;
}

// The whole layer is recorded from the copy taken at the press.
void LayerMoveDrag::commit() {
  commitFromBackup(ctx_.doc, work_, ctx_.doc.canvasRect());
  work_.destroy();
  ctx_.view.refreshAll();
  ctx_.layerChanged();
}

}  // namespace tessel
