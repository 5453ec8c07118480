#include "draw/drag/drag_polyline.h"

#include "document/document.h"
#include "document/pixel_edit.h"
#include "draw/shape/shape_geometry.h"
#include "draw/shape/shape_paint.h"

namespace tessel {

// The layer is kept as it was, for the one undo step at the end.
PolylinePointsDrag::PolylinePointsDrag(const DragContext& ctx, PolylineKind kind, const DragPoint& start)
    : ctx_(ctx), kind_(kind), anchor_(start.client()), points_{start.image()} {
  if (Layer* layer = ctx_.doc.currentLayer()) ctx_.doc.layerBackup.copyFrom(layer->image());
  ctx_.feedback.show({XorShape::Kind::Line, anchor_.x, anchor_.y, anchor_.x, anchor_.y});
  ctx_.view.setDragSize(Point{1, 1});
}

// A polyline goes on from the new point; concentrated lines all start at the
// first. The drag follows the mouse from here on.
bool PolylinePointsDrag::press(const DragPoint& p, int& source) {
  ctx_.feedback.hide();
  Point c = p.client();
  if (ctrl_) c = snapLineEnd(anchor_, c);
  const DragPoint from = ctx_.pointAt(anchor_.x, anchor_.y), to = ctx_.pointAt(c.x, c.y);
  ShapePainter painter(ctx_.doc, ctx_.engine, ctx_.tools, ctx_.draw.toolNo);
  const Rect r = painter.segment({from.ix, from.iy}, {to.ix, to.iy}, points_.size() == 1);
  points_.push_back(to.image());
  if (!r.empty()) {
    union_ = union_.united(r);
    ctx_.view.refreshRect(r);
  }
  source = kSourceMouse;
  if (kind_ == PolylineKind::Polyline) anchor_ = c;
  ctx_.feedback.show({XorShape::Kind::Line, anchor_.x, anchor_.y, c.x, c.y});
  return true;
}

void PolylinePointsDrag::move(const DragPoint& p, const InputState& in) {
  Point end = p.client();
  ctrl_ = in.ctrl;
  if (in.ctrl) end = snapLineEnd(anchor_, end);
  ctx_.feedback.show({XorShape::Kind::Line, anchor_.x, anchor_.y, end.x, end.y});
}

bool PolylinePointsDrag::finish() {
  ctx_.feedback.hide();
  if (commitFromBackup(ctx_.doc, ctx_.doc.layerBackup, union_)) ctx_.layerChanged();
  return true;
}

}  // namespace tessel
