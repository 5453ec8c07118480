#include "draw/drag_stroke.h"

#include <cmath>

#include "document/document.h"
#include "document/pixel_edit.h"
#include "draw/tool_traits.h"

namespace tessel {
namespace {

// The pixel tools truncate the sample; in a mirrored view a whole-numbered
// width - x must land on width - 1 - x, the pixel under the cursor.
StrokeSample sampleOf(const DragPoint& p, StrokeRoute route) {
  bool pixelTool = route == StrokeRoute::PixelFreehand || route == StrokeRoute::OnePixelLine ||
                   route == StrokeRoute::Finger;
  double x = p.ix;
  if (pixelTool && p.mirrored) x = std::nextafter(x, -1e300);
  return {x, p.iy, p.pressure};
}

}  // namespace

bool StrokeDrag::begin(const DragPoint& p) {
  Rect changed;
  const ToolTraits& traits = toolTraits(ctx_.draw.toolNo);
  StrokeSample s = sampleOf(p, traits.route);
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
  Rect r = stroke_.move(sampleOf(p, stroke_.route()));
  union_ = union_.united(r);
  if (!r.empty()) ctx_.view.refreshRect(r);
}

bool StrokeDrag::release(int, const DragPoint& p) {
  end(p);
  return false;
}

void StrokeDrag::end(const DragPoint& p) {
  Stroke::End e = stroke_.end(sampleOf(p, stroke_.route()));
  union_ = union_.united(e.changed);
  if (!e.changed.empty()) ctx_.view.refreshRect(e.changed);
  if (commitFromBackup(ctx_.doc, ctx_.doc.layerBackup, e.undo)) ctx_.layerChanged();
}

}  // namespace tessel
