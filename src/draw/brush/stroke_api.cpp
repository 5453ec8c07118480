#include "draw/brush/stroke_api.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "document/document.h"
#include "document/layer.h"
#include "image/band_copy.h"
#include "image/image32.h"

namespace tessel {

namespace {

// Far enough outside any canvas; keeps 1/16-pixel positions inside int range.
constexpr double kCoordLimit = 1 << 20;

bool finite(const StrokeSample& s) { return std::isfinite(s.x) && std::isfinite(s.y); }

bool withinLimit(double v) { return v >= -kCoordLimit && v <= kCoordLimit; }

// How far along from a (inside the limits) towards b one may go and stay inside.
double limitFraction(double a, double b) {
  if (b > kCoordLimit) return (kCoordLimit - a) / (b - a);
  if (b < -kCoordLimit) return (-kCoordLimit - a) / (b - a);
  return 1.0;
}

bool sameSize(const Image32* a, const Image32* b) {
  return a && b && a->valid() && a->width() == b->width() && a->height() == b->height();
}

Rect pointRect(int x, int y) { return {x, y, 1, 1}; }

}  // namespace

StrokeTarget strokeTargetOf(Document& doc) {
  Layer* layer = doc.currentLayer();
  return {layer ? &layer->image() : nullptr, &doc.strokeBuffer, &doc.layerBackup, &doc.backupBands,
          &doc.strokeBands};
}

bool Stroke::begin(const StrokeTarget& target, int tool, const ToolSettings& tools,
                   const StrokeSample& start, Rect& changed, bool roundPoints) {
  changed = {};
  active_ = false;
  if (!isPaintingTool(tool) || !finite(start) || !sameSize(target.layer, target.strokeBuffer) ||
      !sameSize(target.layer, target.layerBackup))
    return false;
  target_ = target;
  // Trackers left active by a stroke that never ended start afresh.
  if (target.bufferBands) target.bufferBands->finish();
  tool_ = tool;
  route_ = toolTraits(tool).route;
  roundPoints_ = roundPoints;
  size_ = tools.sizeOf(tool);
  engine_.updateShape(tool, tools);
  engine_.drawValue = (engine_.drawValue & 0xFFFFFFu) | (Pixel(tools.alphaOf(tool)) << 24);
  engine_.setupTool(tool, false, tools, engine_.drawValue);
  BrushContext& ctx = engine_.context();
  active_ = true;
  if (route_ == StrokeRoute::Buffered || route_ == StrokeRoute::Direct) {
    StrokePoint p = accept(start, true);
    union_ = {};
    ring_.reset();
    ring_.push(p.x, p.y, p.pressure, false);
    ring_.repeatLast(ctx.smoothing);
    history_.reset(p);
    carry_ = 0.0;
    last_ = p;
    if (route_ == StrokeRoute::Buffered) clearBuffer();
    if (ctx.watercolour) engine_.watercolourStart(*target.layer, p.x, p.y, ctx.colour, 0.6);
    takeBackup();
    return true;
  }
  changed = beginPixel(toPixel(accept(start, true)));
  return true;
}

// Pressure is held to 0..1. A sample beyond the coordinate limits is pulled
// back along the line from the previous sample, so the direction stays true.
StrokePoint Stroke::accept(const StrokeSample& s, bool first) {
  StrokePoint p{s.x, s.y, std::isnan(s.pressure) ? 0.0f : std::clamp(s.pressure, 0.0f, 1.0f)};
  if (!withinLimit(p.x) || !withinLimit(p.y)) {
    if (first) {
      p.x = std::clamp(p.x, -kCoordLimit, kCoordLimit);
      p.y = std::clamp(p.y, -kCoordLimit, kCoordLimit);
    } else {
      double t = std::min(limitFraction(raw_.x, p.x), limitFraction(raw_.y, p.y));
      p.x = std::clamp(raw_.x + (p.x - raw_.x) * t, -kCoordLimit, kCoordLimit);
      p.y = std::clamp(raw_.y + (p.y - raw_.y) * t, -kCoordLimit, kCoordLimit);
    }
  }
  raw_ = p;
  return p;
}

Stroke::IntPoint Stroke::toPixel(const StrokePoint& p) const {
  if (roundPoints_) return {int(std::floor(p.x + 0.5)), int(std::floor(p.y + 0.5))};
  return {int(p.x), int(p.y)};
}

// A segment's rectangle: the route-1 and finger rectangles grow by the tip size.
Rect Stroke::pixelRect(IntPoint a, IntPoint b) const {
  Rect r = pointRect(a.x, a.y).united(pointRect(b.x, b.y));
  if (route_ != StrokeRoute::OnePixelLine) {
    int lead = size_ / 2 + 1, trail = size_ - size_ / 2 + 1;
    r = {r.x - lead, r.y - lead, r.w + lead + trail, r.h + lead + trail};
  }
  return r.intersected(target_.layer->bounds());
}

Rect Stroke::beginPixel(IntPoint p) {
  Image32& layer = *target_.layer;
  prev_ = p;
  haveBeforeLast_ = false;
  lastPriorAlpha_ = 255;
  union_ = pointRect(p.x, p.y);
  if (route_ != StrokeRoute::Finger) clearBuffer();
  takeBackup();
  if (route_ == StrokeRoute::Finger) {
    engine_.smudgePickUp(layer, p.x, p.y);
    return {};
  }
  engine_.stampAt(*target_.strokeBuffer, p.x, p.y, engine_.drawValue, engine_.stampKind,
                  engine_.stampOp);
  Rect r = pixelRect(p, p);
  commit(r);
  return r;
}

// An L corner drawn in this stroke is taken out when the line turns diagonal.
// A removed corner is no longer the point before last, so a staircase keeps
// every diagonal step.
void Stroke::removeCorner(IntPoint p) {
  bool diagonal = haveBeforeLast_ && std::abs(p.x - beforeLast_.x) == 1 &&
                  std::abs(p.y - beforeLast_.y) == 1;
  bool corner = (prev_.x == beforeLast_.x && prev_.y == p.y) ||
                (prev_.x == p.x && prev_.y == beforeLast_.y);
  if (diagonal && corner && lastPriorAlpha_ == 0) {
    target_.strokeBuffer->clearPixel(prev_.x, prev_.y);
  } else {
    beforeLast_ = prev_;
    haveBeforeLast_ = true;
  }
  if (target_.bufferBands) target_.bufferBands->prepare(pointRect(p.x, p.y));
  lastPriorAlpha_ = alphaOf(target_.strokeBuffer->getPixel(p.x, p.y));
}

Rect Stroke::movePixel(IntPoint p) {
  if (p == prev_) return {};
  bool finger = route_ == StrokeRoute::Finger;
  if (route_ == StrokeRoute::OnePixelLine) removeCorner(p);
  Image32& dst = finger ? *target_.layer : *target_.strokeBuffer;
  engine_.pixelLine(dst, prev_.x, prev_.y, p.x, p.y, engine_.drawValue, true, engine_.stampKind,
                    engine_.stampOp);
  union_ = union_.united(pointRect(p.x, p.y));
  Rect r = pixelRect(prev_, p);
  prev_ = p;
  if (!finger) commit(r);
  return r;
}

// Band by band: each just before a dab first draws in it or a commit first
// changes it. Whole only without a band tracker.
void Stroke::takeBackup() {
  engine_.context().reference = target_.layerBackup;
  BandCopy* bands = target_.backupBands;
  if (!bands || !bands->start(*target_.layer, *target_.layerBackup)) target_.layerBackup->copyFrom(*target_.layer);
  attachBands();
}

// A canvas-sized clear at every press would cost more than most strokes.
void Stroke::clearBuffer() {
  BandCopy* bands = target_.bufferBands;
  if (!bands || !bands->startFill(*target_.strokeBuffer, kTransparent)) target_.strokeBuffer->fill(kTransparent);
}

void Stroke::attachBands() {
  BandCopy* fill = target_.bufferBands && target_.bufferBands->active() ? target_.bufferBands : nullptr;
  BandCopy* copy = target_.backupBands && target_.backupBands->active() ? target_.backupBands : nullptr;
  engine_.setLazyBands(fill, copy);
}

Image32& Stroke::paintTarget() const {
  return route_ == StrokeRoute::Buffered ? *target_.strokeBuffer : *target_.layer;
}

void Stroke::commit(const Rect& r) {
  if (r.empty() || route_ == StrokeRoute::Direct || route_ == StrokeRoute::Finger) return;
  if (target_.backupBands) target_.backupBands->prepare(r);
  if (target_.bufferBands) target_.bufferBands->prepare(r);
  commitStroke(engine_.eraser, *target_.layer, *target_.strokeBuffer, *target_.layerBackup, r,
               engine_.context().maskMode, engine_.fastPath());
}

Rect Stroke::moveSubPixel(const StrokeSample& s) {
  StrokePoint p = accept(s, false);
  ring_.push(p.x, p.y, p.pressure, true);
  Rect r;
  if (!engine_.strokeTo(paintTarget(), ring_, history_, r, carry_, last_)) return {};
  commit(r);
  union_ = union_.united(r);
  return r;
}

Rect Stroke::move(const StrokeSample& sample) {
  if (!active_ || !finite(sample)) return {};
  if (route_ == StrokeRoute::Buffered || route_ == StrokeRoute::Direct) return moveSubPixel(sample);
  return movePixel(toPixel(accept(sample, false)));
}

// The buffered tail runs the smoothing out so that the path reaches the release point.
Stroke::End Stroke::endSubPixel(const StrokeSample& s) {
  StrokePoint p = accept(s, false);
  ring_.push(p.x, p.y, p.pressure, true);
  int runs = route_ == StrokeRoute::Buffered ? engine_.context().smoothing + 1 : 1;
  Rect box;
  for (int i = 0; i < runs; ++i) {
    Rect r;
    if (engine_.strokeTo(paintTarget(), ring_, history_, r, carry_, last_)) box = box.united(r);
    if (route_ == StrokeRoute::Buffered) ring_.repeatLast(1);
  }
  commit(box);
  union_ = union_.united(box);
  return {box, union_};
}

Stroke::End Stroke::end(const StrokeSample& sample) {
  if (!active_) return {};
  End result;
  if (route_ == StrokeRoute::Buffered || route_ == StrokeRoute::Direct) {
    result = finite(sample) ? endSubPixel(sample) : End{{}, union_};
  } else {
    // A release away from the last move draws up to it, as a last move would.
    if (finite(sample)) result.changed = movePixel(toPixel(accept(sample, false)));
    Rect u = union_;
    if (route_ != StrokeRoute::OnePixelLine) {
      int lead = size_ / 2 + 1, trail = size_ - size_ / 2 + 1;
      u = {u.x - lead, u.y - lead, u.w + lead + trail, u.h + lead + trail};
    }
    result.undo = u.intersected(target_.layer->bounds());
  }
  // Undo reads the backup under the union.
  if (BandCopy* bands = target_.backupBands) {
    bands->prepare(result.undo);
    bands->finish();
  }
  if (BandCopy* bands = target_.bufferBands) bands->finish();
  engine_.setLazyBands(nullptr, nullptr);
  active_ = false;
  return result;
}

}  // namespace tessel
