#include "draw/drag_selection_move.h"

#include "document/document.h"
#include "draw/canvas_input_outline.h"
#include "draw/selection.h"

namespace tessel {

SelectionMoveDrag::SelectionMoveDrag(const DragContext& ctx, const DragPoint& start)
    : ctx_(ctx), prev_(start) {}

bool SelectionMoveDrag::begin(bool copy) {
  Selection& s = ctx_.selection;
  if (!s.floating() && !s.lift(ctx_.doc, !copy)) return false;
  from_ = {s.rect().x, s.rect().y};
  return true;
}

void SelectionMoveDrag::move(const DragPoint& p, const InputState& in) {
  const DragPoint prev = prev_;
  prev_ = p;
  if (!in.ctrl) clientX_ += p.cx - prev.cx;
  if (!in.shift) clientY_ += p.cy - prev.cy;
  // The whole distance is converted at once, so slow moves at high zoom add up.
  CanvasView& view = ctx_.view;
  Point offset{int(clientX_ * 100.0 / view.zoom()), int(clientY_ * 100.0 / view.zoom())};
  if (view.mirrored()) offset.x = -offset.x;
  if (offset == offset_) return;
  offset_ = offset;
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
