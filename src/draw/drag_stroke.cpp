#include "draw/drag_stroke.h"

#include "document/document.h"

namespace tessel {

bool StrokeDrag::begin(const DragPoint& p) {
  Rect changed;
  StrokeSample s{p.ix, p.iy, p.pressure};
  if (!stroke_.begin(strokeTargetOf(ctx_.doc), ctx_.draw.toolNo, ctx_.tools, s, changed,
                     ctx_.options.guide != GuideKind::None))
    return false;
  union_ = changed;
  last_ = p;
  if (!changed.empty()) ctx_.view.refreshRect(changed);
  return true;
}

DragState StrokeDrag::state() const {
  switch (stroke_.route()) {
    case StrokeRoute::PixelFreehand: return DragState::PixelStroke;
    case StrokeRoute::OnePixelLine: return DragState::OnePixelStroke;
    case StrokeRoute::Direct: return DragState::DirectStroke;
    case StrokeRoute::Finger: return DragState::FingerStroke;
    case StrokeRoute::Buffered: break;
  }
  return DragState::BufferedStroke;
}

void StrokeDrag::move(const DragPoint& p, const InputState&) {
  last_ = p;
  Rect r = stroke_.move({p.ix, p.iy, p.pressure});
  union_ = union_.united(r);
  if (!r.empty()) ctx_.view.refreshRect(r);
}

bool StrokeDrag::release(int, const DragPoint& p) {
  end(p);
  return false;
}

void StrokeDrag::end(const DragPoint& p) {
  Stroke::End e = stroke_.end({p.ix, p.iy, p.pressure});
  union_ = union_.united(e.changed);
  if (!e.changed.empty()) ctx_.view.refreshRect(e.changed);
  if (!e.undo.empty()) {
    ctx_.doc.recorder().recordPixelRectOf(ctx_.doc.layerBackup, e.undo);
    ctx_.layerChanged();
  }
}

}  // namespace tessel
