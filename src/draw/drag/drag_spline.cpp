#include "draw/drag/drag_spline.h"

#include "draw/shape/shape_paint.h"

namespace tessel {

bool SplineDrag::release(int button, const DragPoint& p) {
  if (button == kButtonLeft) {
    points_.push_back(p.image());
    curve_.push_back({p.ix, p.iy});
    client_.push_back(p.client());
    preview();
  }
  return true;
}

// The points as squares joined by straight lines.
void SplineDrag::preview() {
  XorShape s;
  s.kind = XorShape::Kind::Path;
  for (size_t i = 1; i < client_.size(); ++i) s.segments.insert(s.segments.end(), {client_[i - 1], client_[i]});
  s.marks = client_;
  ctx_.feedback.show(s);
}

bool SplineDrag::finish() {
  ctx_.feedback.hide();
  if (curve_.size() < 2) return true;
  ShapePainter painter(ctx_.doc, ctx_.engine, ctx_.tools, ctx_.draw.toolNo);
  const Rect r = painter.draw(ShapeKind::Spline, curve_);
  if (!r.empty()) {
    ctx_.view.refreshRect(r);
    ctx_.layerChanged();
  }
  return true;
}

KeyResult SplineDrag::backspace() {
  if (!points_.empty()) points_.pop_back();
  if (!curve_.empty()) curve_.pop_back();
  if (!client_.empty()) client_.pop_back();
  preview();
  return points_.size() < 2 ? KeyResult::Ends : KeyResult::Continues;
}

}  // namespace tessel
