#include "draw/drag/drag_selection_move.h"

#include "document/document.h"
#include "draw/input/canvas_input_outline.h"
#include "draw/selection/selection.h"

namespace tessel {

SelectionMoveDrag::SelectionMoveDrag(const DragContext& ctx, const DragPoint& start)
    : ctx_(ctx), distance_(start) {}

bool SelectionMoveDrag::begin(bool copy) {
  Selection& s = ctx_.selection;
  if (!s.floating() && !s.lift(ctx_.doc, !copy)) return false;
  from_ = {s.rect().x, s.rect().y};
  return true;
}

void SelectionMoveDrag::move(const DragPoint& p, const InputState& in) {
  CanvasView& view = ctx_.view;
  if (!distance_.advance(p, in, view)) return;
  const Point offset = distance_.offset();
  const Rect changed =
      ctx_.selection.moveFloatingTo(ctx_.doc, from_.x + offset.x, from_.y + offset.y, view.mergedPaste());
  if (!changed.empty()) view.refreshRect(changed);
  ctx_.outline.sync();
}

bool SelectionMoveDrag::release(int, const DragPoint&) {
  ctx_.layerChanged();
  return false;
}

}  // namespace tessel
