#include "draw/drag/drag_two_point.h"

#include <algorithm>
#include <cmath>

#include "document/document.h"
#include "draw/fill/gradient.h"
#include "draw/shape/shape_paint.h"
#include "draw/tool/tool_traits.h"

namespace tessel {

TwoPointDrag::TwoPointDrag(const DragContext& ctx, TwoPointShape shape, const DragPoint& start)
    : ctx_(ctx), shape_(shape), start_(start) {
  const Point s = start.client();
  band_ = {bandKind(), s.x, s.y, s.x, s.y};
  ctx_.feedback.show(band_);
  ctx_.view.setDragSize(Point{1, 1});
}

DragState TwoPointDrag::state() const {
  switch (shape_) {
    case TwoPointShape::Line: case TwoPointShape::Gradient: case TwoPointShape::GuideAngle:
      return DragState::LineDrag;
    case TwoPointShape::Rectangle: case TwoPointShape::FilledRectangle: return DragState::RectDrag;
    case TwoPointShape::Ellipse: case TwoPointShape::FilledEllipse: case TwoPointShape::EllipseGuide: break;
  }
  return DragState::EllipseDrag;
}

int TwoPointDrag::subMode() const {
  switch (shape_) {
    case TwoPointShape::FilledRectangle: case TwoPointShape::FilledEllipse: return 1;
    case TwoPointShape::Gradient: case TwoPointShape::EllipseGuide: return 2;
    case TwoPointShape::GuideAngle: return 3;
    default: return 0;
  }
}

bool TwoPointDrag::isLine() const { return state() == DragState::LineDrag; }

XorShape::Kind TwoPointDrag::bandKind() const {
  if (isLine()) return XorShape::Kind::Line;
  return state() == DragState::EllipseDrag ? XorShape::Kind::Ellipse : XorShape::Kind::Rect;
}

// Lines snap with Ctrl; boxes are centred with Shift (always for the ellipse
// guide) and square with Ctrl.
XorShape TwoPointDrag::bandTo(Point end, const InputState& in, bool& constrained) const {
  const Point s = start_.client();
  if (isLine()) {
    constrained = in.ctrl;
    if (constrained) end = snapLineEnd(s, end);
    return {XorShape::Kind::Line, s.x, s.y, end.x, end.y};
  }
  const bool centred =
      shape_ == TwoPointShape::EllipseGuide || in.shift;
  constrained = centred || in.ctrl;
  Box b = dragBox(s, end, centred, in.ctrl);
  return {bandKind(), b.left, b.top, b.right, b.bottom};
}

void TwoPointDrag::move(const DragPoint& p, const InputState& in) {
  shift_ = in.shift, alt_ = in.alt;
  bool constrained = false;
  XorShape band = bandTo(p.client(), in, constrained);
  if (band == band_) return;
  band_ = band;
  ctx_.feedback.show(band);
  if (constrained)
    ctx_.showSize(band.x1 - band.x0, band.y1 - band.y0);
  else
    ctx_.showSize(p.cx - start_.cx, p.cy - start_.cy);
}

// Every shape ends here, drawn as its band was last shown.
bool TwoPointDrag::release(int, const DragPoint&) {
  ctx_.feedback.hide();
  switch (shape_) {
    case TwoPointShape::Line: paint(ShapeKind::Line); break;
    case TwoPointShape::Rectangle: paint(ShapeKind::Rectangle); break;
    case TwoPointShape::FilledRectangle: paint(ShapeKind::FilledRectangle); break;
    case TwoPointShape::Ellipse: paint(ShapeKind::Ellipse); break;
    case TwoPointShape::FilledEllipse: paint(ShapeKind::FilledEllipse); break;
    case TwoPointShape::Gradient: gradient(); break;
    case TwoPointShape::GuideAngle: case TwoPointShape::EllipseGuide: setGuide(); break;
  }
  return false;
}

void TwoPointDrag::paint(ShapeKind kind) {
  ShapePainter painter(ctx_.doc, ctx_.engine, ctx_.tools, ctx_.draw.toolNo);
  const DragPoint a = ctx_.pointAt(band_.x0, band_.y0), b = ctx_.pointAt(band_.x1, band_.y1);
  const Rect r = painter.draw(kind, {{a.ix, a.iy}, {b.ix, b.iy}});
  if (r.empty()) return;
  ctx_.view.refreshRect(r);
  ctx_.layerChanged();
}

// The dragged line's angle, or the ellipse's centre and proportions, all in
// image coordinates.
void TwoPointDrag::setGuide() {
  InputOptions& o = ctx_.options;
  const DragPoint a = ctx_.pointAt(band_.x0, band_.y0), b = ctx_.pointAt(band_.x1, band_.y1);
  if (shape_ == TwoPointShape::GuideAngle) {
    const double angle = std::atan2(b.iy - a.iy, b.ix - a.ix);
    (o.guide == GuideKind::Grid ? o.guides.gridAngle : o.guides.parallelAngle) = angle;
    return;
  }
  const int w = std::max(int(std::abs(b.ix - a.ix)), 1), h = std::max(int(std::abs(b.iy - a.iy)), 1);
  o.guides.ellipseCentre = start_.image();
  o.guides.kx = double(w) / h;
  o.guides.ky = double(h) / w;
}

// Shift and Alt as last seen while dragging decide the ends' policy.
void TwoPointDrag::gradient() {
  const DrawSettings& draw = ctx_.draw;
  GradientRequest req;
  req.start = ctx_.pointAt(band_.x0, band_.y0).image();
  req.end = ctx_.pointAt(band_.x1, band_.y1).image();
  req.grad = ctx_.tools.env.grad;
  req.drawType = ctx_.tools.drawType[kToolGradient];
  req.opacity = ctx_.tools.alphaOf(kToolGradient);
  req.c1 = draw.drawingColour();
  req.c2 = (draw.curColNo == 1 ? draw.drawCol1 : draw.drawCol2) & 0xFFFFFFu;
  req.shift = shift_, req.alt = alt_;
  const Rect r = drawGradient(ctx_.doc, ctx_.engine.context(), ctx_.engine.random(), req);
  if (r.empty()) return;
  ctx_.view.refreshRect(r);
  ctx_.layerChanged();
}

}  // namespace tessel
