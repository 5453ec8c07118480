#include "draw/drag/drag_size.h"

#include <algorithm>

namespace tessel {

ToolSizeDrag::ToolSizeDrag(const DragContext& ctx, const DragPoint& start)
    : ctx_(ctx), start_(start), prev_(start) {
  ctx_.feedback.show(circle());
}

// The tool's size at the view's zoom, when the settings ask for the circle.
XorShape ToolSizeDrag::circle() const {
  int size = ctx_.tools.sizeOf(ctx_.draw.toolNo);
  if (!(ctx_.options.optFlag & kOptFlagSizeCircle) || size < ctx_.options.brushCirSize) return {};
  int d = size * ctx_.view.zoom() / 100;
  int x = int(start_.cx) - d / 2, y = int(start_.cy) - d / 2;
  return {XorShape::Kind::Circle, x, y, x + d, y + d};
}

void ToolSizeDrag::move(const DragPoint& p, const InputState&) {
  int dx = int(p.cx) - int(prev_.cx);
  prev_ = p;
  if (dx == 0) return;
  const int tool = ctx_.draw.toolNo;
  ctx_.feedback.hide();
  ctx_.tools.setSize(tool, std::clamp(ctx_.tools.sizeOf(tool) + dx, 1, 100));
  ctx_.engine.updateShape(tool, ctx_.tools);
  ctx_.feedback.show(circle());
  if (ctx_.hooks.toolChanged) ctx_.hooks.toolChanged(tool);
}

}  // namespace tessel
