#include "draw/drag_bezier.h"

#include "draw/shape_paint.h"

namespace tessel {

void BezierDrag::move(const DragPoint& p, const InputState& in) {
  if (!editing_) return ends_.move(p, in);
  // The first control drags the second along until it is fixed.
  if (control_ == 0) curve_[1] = {p.ix, p.iy}, points_[1] = p.image();
  curve_[2] = {p.ix, p.iy};
  points_[2] = p.image();
}

bool BezierDrag::release(int, const DragPoint&) {
  if (!editing_) {
    // Both controls start at the end: released at once, the curve is the line.
    ctx_.feedback.hide();
    const XorShape& band = ends_.band();
    const DragPoint a = ctx_.pointAt(band.x0, band.y0), b = ctx_.pointAt(band.x1, band.y1);
    curve_[0] = {a.ix, a.iy};
    curve_[1] = curve_[2] = curve_[3] = {b.ix, b.iy};
    points_ = {a.image(), b.image(), b.image(), b.image()};
    editing_ = true;
    return true;
  }
  if (control_ == 0) {
    control_ = 1;
    return true;
  }
  ShapePainter painter(ctx_.doc, ctx_.engine, ctx_.tools, ctx_.draw.toolNo);
  const Rect r = painter.draw(ShapeKind::Bezier, {curve_[0], curve_[1], curve_[2], curve_[3]});
  if (!r.empty()) {
    ctx_.view.refreshRect(r);
    ctx_.layerChanged();
  }
  return false;
}

}  // namespace tessel
