#include "draw/drag/drag_bezier.h"

#include "draw/shape/shape_paint.h"

namespace tessel {

void BezierDrag::move(const DragPoint& p, const InputState& in) {
  if (!editing_) return ends_.move(p, in);
  // The first control drags the second along until it is fixed.
  if (control_ == 0) {
    curve_[1] = {p.ix, p.iy}, client_[1] = {p.cx, p.cy};
    points_[1] = p.image();
  }
  curve_[2] = {p.ix, p.iy}, client_[2] = {p.cx, p.cy};
  points_[2] = p.image();
  preview();
}

// The curve with its two control lines and control points, in client pixels.
void BezierDrag::preview() {
  XorShape s;
  s.kind = XorShape::Kind::Path;
  auto at = [](PointF p) { return Point{int(p.x), int(p.y)}; };
  const std::vector<PointF> c = bezierPoints(client_[0], client_[1], client_[2], client_[3]);
  for (size_t i = 1; i < c.size(); ++i) s.segments.insert(s.segments.end(), {at(c[i - 1]), at(c[i])});
  s.segments.insert(s.segments.end(), {at(client_[0]), at(client_[1]), at(client_[3]), at(client_[2])});
  s.marks = {at(client_[1]), at(client_[2])};
  ctx_.feedback.show(s);
}

bool BezierDrag::release(int, const DragPoint&) {
  if (!editing_) {
    // Both controls start at the end: released at once, the curve is the line.
    ctx_.feedback.hide();
    const XorShape& band = ends_.band();
    const DragPoint a = ctx_.pointAt(band.x0, band.y0), b = ctx_.pointAt(band.x1, band.y1);
    curve_[0] = {a.ix, a.iy};
    curve_[1] = curve_[2] = curve_[3] = {b.ix, b.iy};
    client_[0] = {double(band.x0), double(band.y0)};
    client_[1] = client_[2] = client_[3] = {double(band.x1), double(band.y1)};
    points_ = {a.image(), b.image(), b.image(), b.image()};
    editing_ = true;
    preview();
    return true;
  }
  if (control_ == 0) {
    control_ = 1;
    return true;
  }
  ctx_.feedback.hide();
  ShapePainter painter(ctx_.doc, ctx_.engine, ctx_.tools, ctx_.draw.toolNo);
  const Rect r = painter.draw(ShapeKind::Bezier, {curve_[0], curve_[1], curve_[2], curve_[3]});
  if (!r.empty()) {
    ctx_.view.refreshRect(r);
    ctx_.layerChanged();
  }
  return false;
}

}  // namespace tessel
