#include "draw/drag/drag_selection_resize.h"

#include <algorithm>

#include "document/document.h"
#include "draw/input/canvas_input_outline.h"
#include "draw/selection/selection.h"

namespace tessel {

SelectionResizeDrag::SelectionResizeDrag(const DragContext& ctx, const DragPoint& start, int handle)
    : ctx_(ctx), start_(ctx.pixelOf(start)), handle_(handle), from_(ctx.selection.rect()), frame_(from_) {
  ctx_.outline.showFrame(frame_);
  ctx_.view.setDragSize(Point{frame_.w, frame_.h});
}

// Measured from the press, so an edge pushed against the other one comes
// back with the pointer.
void SelectionResizeDrag::move(const DragPoint& p, const InputState&) {
  const Point at = ctx_.pixelOf(p);
  const int dx = at.x - start_.x, dy = at.y - start_.y;
  const HandleEdges e = edgesOf(handle_);
  int l = from_.x, t = from_.y, r = from_.right() - 1, b = from_.bottom() - 1;
  if (e.top) t = std::clamp(t + dy, 0, std::max(b, 0));
  if (e.bottom) b = std::clamp(b + dy, t, std::max(t, ctx_.doc.height() - 1));
  if (e.left) l = std::clamp(l + dx, 0, std::max(r, 0));
  if (e.right) r = std::clamp(r + dx, l, std::max(l, ctx_.doc.width() - 1));
  const Rect frame{l, t, r - l + 1, b - t + 1};
  if (frame == frame_) return;
  frame_ = frame;
  ctx_.outline.showFrame(frame_);
  ctx_.view.setDragSize(Point{frame_.w, frame_.h});
}

bool SelectionResizeDrag::release(int, const DragPoint&) {
  ctx_.selection.set(ctx_.doc, frame_.x, frame_.y, frame_.right() - 1, frame_.bottom() - 1);
  ctx_.outline.showFrame(std::nullopt);
  return false;
}

void SelectionResizeDrag::cancel() { ctx_.outline.showFrame(std::nullopt); }

}  // namespace tessel
