#include "draw/drag/drag_selection.h"

#include "document/document.h"
#include "draw/input/canvas_input_outline.h"
#include "draw/selection/selection.h"
#include "draw/shape/shape_geometry.h"

namespace tessel {

SelectionFrameDrag::SelectionFrameDrag(const DragContext& ctx, const DragPoint& start)
    : ctx_(ctx), start_(ctx.pixelOf(start)) {
  show({start_.x, start_.y, 1, 1});
}

void SelectionFrameDrag::show(const Rect& frame) {
  frame_ = frame;
  ctx_.outline.showFrame(frame);
  ctx_.view.setDragSize(Point{frame.w, frame.h});
}

void SelectionFrameDrag::move(const DragPoint& p, const InputState& in) {
  const Box b = dragBox(start_, ctx_.pixelOf(p), false, in.ctrl);
  const Rect frame{b.left, b.top, b.width(), b.height()};
  if (frame != frame_) show(frame);
}

bool SelectionFrameDrag::release(int, const DragPoint&) {
  ctx_.selection.set(ctx_.doc, frame_.x, frame_.y, frame_.right() - 1, frame_.bottom() - 1);
  ctx_.outline.showFrame(std::nullopt);
  return false;
}

void SelectionFrameDrag::cancel() { ctx_.outline.showFrame(std::nullopt); }

}  // namespace tessel
