#include "draw/shape/shape_paint.h"

#include <algorithm>
#include <cmath>

#include "document/document.h"
#include "document/layer.h"
#include "document/pixel_edit.h"
#include "draw/tool/tool_traits.h"
#include "image/image32.h"

namespace tessel {

namespace {

int pixelOf(double v) { return int(v); }   // toward zero, as the canvas converts

// Far enough outside any canvas that the int conversions stay defined.
constexpr double kCoordLimit = 1 << 20;

double held(double v) { return std::isfinite(v) ? std::clamp(v, -kCoordLimit, kCoordLimit) : 0.0; }

StrokePoint full(PointF p) { return {p.x, p.y, 1.0f}; }

}  // namespace

ShapePainter::ShapePainter(Document& doc, BrushEngine& engine, const ToolSettings& tools, int tool)
    : doc_(doc), engine_(engine), tools_(tools), tool_(tool) {
  const ToolTraits& row = toolTraits(tool);
  const Layer* layer = doc.currentLayer();
  usable_ = row.painting() && layer && layer->image().valid() &&
            doc.strokeBuffer.width() == layer->image().width() &&
            doc.strokeBuffer.height() == layer->image().height() &&
            doc.layerBackup.width() == layer->image().width() &&
            doc.layerBackup.height() == layer->image().height();
  subPixel_ = row.usesSubPixel();
  direct_ = row.shapeDirect;
}

// Filled shapes pass the flag so a pencil never accumulates inside them.
void ShapePainter::setUp(bool filled) {
  engine_.updateShape(tool_, tools_);
  engine_.drawValue = (engine_.drawValue & 0xFFFFFFu) | (Pixel(tools_.alphaOf(tool_)) << 24);
  engine_.setupTool(tool_, filled, tools_, engine_.drawValue);
  engine_.context().spacing = direct_ ? 0.2 : 0.15;
}

Image32& ShapePainter::target() { return direct_ ? doc_.currentLayer()->image() : doc_.strokeBuffer; }

void ShapePainter::prepare(const Rect& area, bool backupLayer) {
  Image32& layer = doc_.currentLayer()->image();
  if (direct_) {
    if (backupLayer) doc_.layerBackup.copyFrom(layer);
    engine_.context().reference = &doc_.layerBackup;
    return;
  }
  engine_.context().reference = &layer;
  Rect r = area.intersected(layer.bounds());
  if (!r.empty()) doc_.strokeBuffer.fillRect(r.x, r.y, r.w, r.h, kTransparent);
}

// Direct tools have drawn into the layer already; the others are composed
// over the layer itself, the undo step taken just before.
Rect ShapePainter::finish(const Rect& area, bool record) {
  Layer& layer = *doc_.currentLayer();
  Rect r = area.intersected(layer.image().bounds());
  if (direct_) {
    if (record) {
      PixelEdit edit(doc_, doc_.layerBackup);
      edit.extend(r);
      edit.commit();
    }
    return r;
  }
  if (r.empty()) return r;
  if (!record) {
    commitStroke(engine_.eraser, layer.image(), doc_.strokeBuffer, layer.image(), r,
                 engine_.context().maskMode);
    return r;
  }
  PixelEdit edit(doc_, r);
  commitStroke(engine_.eraser, layer.image(), doc_.strokeBuffer, layer.image(), r,
               engine_.context().maskMode);
  edit.commit();   // a shape that changed nothing leaves no step
  return r;
}

// What the rasteriser can touch around the points: dabs reach half the size
// beyond the path, pixel stamps their tip.
Rect ShapePainter::strokeRect(double minX, double minY, double maxX, double maxY) const {
  const int size = tools_.sizeOf(tool_);
  int lead = size / 2 + 1, trail = size / 2 + 2;
  if (!subPixel_) {
    trail = size - size / 2 + 1;
    if (toolTraits(tool_).route == StrokeRoute::OnePixelLine) lead = trail = 0;
  }
  const int l = int(std::floor(minX)) - lead, t = int(std::floor(minY)) - lead;
  const int r = int(std::floor(maxX)) + trail, b = int(std::floor(maxY)) + trail;
  return {l, t, r - l + 1, b - t + 1};
}

Rect ShapePainter::boundsOf(const std::vector<PointF>& pts) const {
  if (pts.empty()) return {};
  double minX = pts[0].x, maxX = minX, minY = pts[0].y, maxY = minY;
  for (const PointF& p : pts) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  return strokeRect(minX, minY, maxX, maxY);
}

Box ShapePainter::pixelBox(PointF a, PointF b) const {
  return boxOf({pixelOf(a.x), pixelOf(a.y)}, {pixelOf(b.x), pixelOf(b.y)});
}

Rect ShapePainter::draw(ShapeKind kind, const std::vector<PointF>& raw) {
  if (!usable_ || raw.empty()) return {};
  std::vector<PointF> pts;
  for (const PointF& p : raw) pts.push_back({held(p.x), held(p.y)});
  const bool filled = kind == ShapeKind::FilledRectangle || kind == ShapeKind::FilledEllipse;
  setUp(filled);
  const PointF a = pts.front(), b = pts.size() > 1 ? pts[1] : pts.front();
  std::vector<PointF> path;
  Rect area;
  switch (kind) {
    case ShapeKind::Bezier:
      if (pts.size() < 4) return {};
      path = bezierPoints(pts[0], pts[1], pts[2], pts[3]);
      break;
    case ShapeKind::Spline:
      path = splinePoints(pts);
      if (path.empty()) return {};
      break;
    case ShapeKind::FilledRectangle: case ShapeKind::FilledEllipse: {
      Box box = pixelBox(a, b);
      area = {box.left, box.top, box.width(), box.height()};
      break;
    }
    default: path = {a, b}; break;
  }
  if (area.empty()) area = boundsOf(path);
  prepare(area, true);
  if (!subPixel_ && kind != ShapeKind::FilledRectangle && kind != ShapeKind::FilledEllipse &&
      toolTraits(tool_).route == StrokeRoute::Finger)
    engine_.smudgePickUp(doc_.currentLayer()->image(), pixelOf(a.x), pixelOf(a.y));
  switch (kind) {
    case ShapeKind::Line: case ShapeKind::Polyline: case ShapeKind::ConcentratedLines:
      line(a, b, false);
      break;
    case ShapeKind::Rectangle: rectangle(a, b); break;
    case ShapeKind::FilledRectangle: fillBox(pixelBox(a, b)); break;
    case ShapeKind::Ellipse: ellipse(a, b, false); break;
    case ShapeKind::FilledEllipse: ellipse(a, b, true); break;
    case ShapeKind::Bezier: case ShapeKind::Spline: curve(path); break;
  }
  return finish(area, true);
}

void ShapePainter::beginSegments() {
  if (!usable_) return;
  doc_.layerBackup.copyFrom(doc_.currentLayer()->image());
}

Rect ShapePainter::segment(PointF from, PointF to, bool first) {
  if (!usable_) return {};
  from = {held(from.x), held(from.y)}, to = {held(to.x), held(to.y)};
  setUp(false);
  const Rect area = boundsOf({from, to});
  prepare(area, false);
  if (toolTraits(tool_).route == StrokeRoute::Finger)
    engine_.smudgePickUp(doc_.currentLayer()->image(), pixelOf(from.x), pixelOf(from.y));
  line(from, to, !first);
  return finish(area, false);
}

void ShapePainter::line(PointF a, PointF b, bool skipFirst) {
  if (subPixel_) {
    engine_.drawSegment(target(), full(a), full(b), 0.0);
    return;
  }
  engine_.pixelLine(target(), pixelOf(a.x), pixelOf(a.y), pixelOf(b.x), pixelOf(b.y),
                    engine_.drawValue, skipFirst, engine_.stampKind, engine_.stampOp);
}

// Curves: the carry runs on from piece to piece; a pixel tool stamps the
// first point only once.
void ShapePainter::curve(const std::vector<PointF>& pts) {
  double carry = 0.0;
  for (size_t i = 1; i < pts.size(); ++i) {
    if (subPixel_) carry = engine_.drawSegment(target(), full(pts[i - 1]), full(pts[i]), carry);
    else line(pts[i - 1], pts[i], i > 1);
  }
}

void ShapePainter::stampPixel(int x, int y) {
  engine_.stampAt(target(), x, y, engine_.drawValue, engine_.stampKind, engine_.stampOp);
}

// Each side starts its spacing afresh, so every corner gets a dab.
void ShapePainter::rectangle(PointF a, PointF b) {
  if (subPixel_) {
    const double x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
    const double y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    const PointF c[5] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    for (int i = 0; i < 4; ++i) engine_.drawSegment(target(), full(c[i]), full(c[i + 1]), 0.0);
    return;
  }
  for (const Point& p : rectangleOutline(pixelBox(a, b))) stampPixel(p.x, p.y);
}

// The tool's pixel operation on every pixel, without a stamp.
void ShapePainter::fillBox(const Box& box) {
  Image32& image = target();
  const int x0 = std::max(box.left, 0), x1 = std::min(box.right, image.width() - 1);
  const int y0 = std::max(box.top, 0), y1 = std::min(box.bottom, image.height() - 1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) engine_.applyPixelOp(engine_.stampOp, image, x, y, engine_.drawValue);
}

void ShapePainter::ellipse(PointF a, PointF b, bool filled) {
  if (subPixel_) {
    if (filled) return subPixelFilledEllipse(a, b);
    const double cx = (a.x + b.x) / 2, cy = (a.y + b.y) / 2;
    double rx = std::abs(b.x - a.x) / 2, ry = std::abs(b.y - a.y) / 2;
    if (rx == 0) rx = 0.5;
    if (ry == 0) ry = 0.5;
    PointF prev{cx + rx, cy};
    double carry = 0.0;
    for (int k = 1; k <= 100; ++k) {
      const double t = k * 0.06283185307179587;
      const PointF p{cx + rx * std::cos(t), cy - ry * std::sin(t)};
      carry = engine_.drawSegment(target(), full(prev), full(p), carry);
      prev = p;
    }
    return;
  }
  const Box box = pixelBox(a, b);
  // Too small for the midpoint walk: the whole box.
  if (box.width() <= 2 || box.height() <= 2) {
    if (filled) return fillBox(box);
    for (const Point& p : rectangleOutline(box)) stampPixel(p.x, p.y);
    return;
  }
  if (!filled) {
    for (const Point& p : ellipseOutline(box)) stampPixel(p.x, p.y);
    return;
  }
  for (const Span& s : ellipseSpans(box)) fillBox({s.x0, s.y, s.x1, s.y});
}

// 5 x 5 samples per pixel decide its share of the opacity.
void ShapePainter::subPixelFilledEllipse(PointF a, PointF b) {
  const double cx = (a.x + b.x) / 2, cy = (a.y + b.y) / 2;
  double rx = std::abs(b.x - a.x) / 2, ry = std::abs(b.y - a.y) / 2;
  if (rx == 0) rx = 0.5;
  if (ry == 0) ry = 0.5;
  Image32& image = target();
  const Box box = pixelBox(a, b);
  const int x0 = std::max(box.left, 0), x1 = std::min(box.right, image.width() - 1);
  const int y0 = std::max(box.top, 0), y1 = std::min(box.bottom, image.height() - 1);
  const int opacity = alphaOf(engine_.drawValue);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      int count = 0;
      for (int sy = 0; sy < 5; ++sy)
        for (int sx = 0; sx < 5; ++sx) {
          const double dx = x + sx * 0.2 - cx, dy = y + sy * 0.2 - cy;
          const bool in = rx >= ry ? dy * dy + (dx * ry / rx) * (dx * ry / rx) < ry * ry
                                   : (dy * rx / ry) * (dy * rx / ry) + dx * dx < rx * rx;
          count += in ? 1 : 0;
        }
      if (count == 0) continue;
      const int alpha = opacity * (255 * count / 25) / 255;
      engine_.applyPixelOp(engine_.stampOp, image, x, y, (engine_.drawValue & 0xFFFFFFu) | Pixel(alpha) << 24);
    }
}

}  // namespace tessel
