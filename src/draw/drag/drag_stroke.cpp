#include "draw/drag/drag_stroke.h"

#include <cmath>

#include "document/document.h"
#include "document/pixel_edit.h"
#include "draw/tool/tool_traits.h"

namespace tessel {

StrokeSample StrokeDrag::sampleOf(const DragPoint& p) {
  PointF at{p.ix, p.iy};
  // The pixel tools truncate the sample; in a mirrored view a whole-numbered
  // width - x must land on width - 1 - x, the pixel under the cursor.
  if (pixelRoute_ && p.mirrored) at.x = std::nextafter(at.x, -1e300);
  if (floorPoints_) at = {std::floor(at.x), std::floor(at.y)};
  if (guide_) at = guide_->apply(at);
  return {at.x, at.y, p.pressure};
}

bool StrokeDrag::begin(const DragPoint& p) {
  Rect changed;
  const StrokeRoute route = toolTraits(ctx_.draw.toolNo).route;
  pixelRoute_ = route == StrokeRoute::PixelFreehand || route == StrokeRoute::OnePixelLine ||
                route == StrokeRoute::Finger;
  guide_.reset();
  const GuideKind kind = ctx_.options.guide;
  if (kind != GuideKind::None) {
    floorPoints_ = !toolTraits(ctx_.draw.toolNo).usesSubPixel();
    PointF s{p.ix, p.iy};
    if (floorPoints_) s = {std::floor(s.x), std::floor(s.y)};
    guide_.emplace(kind, ctx_.options.guides, s);
  }
  StrokeSample s = sampleOf(p);
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
  Rect r = stroke_.move(sampleOf(p));
  union_ = union_.united(r);
  if (!r.empty()) ctx_.view.refreshRect(r);
}

bool StrokeDrag::release(int, const DragPoint& p) {
  end(p);
  return false;
}

void StrokeDrag::end(const DragPoint& p) {
  Stroke::End e = stroke_.end(sampleOf(p));
  union_ = union_.united(e.changed);
  if (!e.changed.empty()) ctx_.view.refreshRect(e.changed);
  if (commitFromBackup(ctx_.doc, ctx_.doc.layerBackup, e.undo)) ctx_.layerChanged();
}

}  // namespace tessel
