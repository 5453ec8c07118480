#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "draw/canvas_input.h"

namespace tessel {

namespace {

using Points = std::vector<Point>;

void linePoints(Points& out, int x0, int y0, int x1, int y1) {
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    out.push_back({x0, y0});
    if (x0 == x1 && y0 == y1) return;
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x0 += sx; }
    if (e2 <= dx) { err += dx; y0 += sy; }
  }
}

// The outline of the ellipse inscribed in the box, walked along both axes so
// that steep and flat parts have no gaps.
void ellipsePoints(Points& out, int x0, int y0, int x1, int y1) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0;
  double rx = (x1 - x0) / 2.0, ry = (y1 - y0) / 2.0;
  if (rx < 0.5 || ry < 0.5) return linePoints(out, x0, y0, x1, y1);
  for (int x = x0; x <= x1; ++x) {
    double t = (x - cx) / rx;
    double h = ry * std::sqrt(std::max(0.0, 1.0 - t * t));
    out.push_back({x, int(std::lround(cy - h))});
    out.push_back({x, int(std::lround(cy + h))});
  }
  for (int y = y0; y <= y1; ++y) {
    double t = (y - cy) / ry;
    double w = rx * std::sqrt(std::max(0.0, 1.0 - t * t));
    out.push_back({int(std::lround(cx - w)), y});
    out.push_back({int(std::lround(cx + w)), y});
  }
}

Points shapePoints(const XorShape& s) {
  Points p;
  switch (s.kind) {
    case XorShape::Kind::Line: linePoints(p, s.x0, s.y0, s.x1, s.y1); break;
    case XorShape::Kind::Rect:
      linePoints(p, s.x0, s.y0, s.x1, s.y0);
      linePoints(p, s.x1, s.y0, s.x1, s.y1);
      linePoints(p, s.x1, s.y1, s.x0, s.y1);
      linePoints(p, s.x0, s.y1, s.x0, s.y0);
      break;
    case XorShape::Kind::Ellipse: case XorShape::Kind::Circle:
      ellipsePoints(p, s.x0, s.y0, s.x1, s.y1);
      break;
    case XorShape::Kind::Cross:
      linePoints(p, s.x0 - 15, s.y0, s.x0 + 16, s.y0);
      linePoints(p, s.x0, s.y0 - 15, s.x0, s.y0 + 16);
      break;
    case XorShape::Kind::None: break;
  }
  // A pixel inverted twice would vanish: every pixel goes once.
  std::sort(p.begin(), p.end(), [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  p.erase(std::unique(p.begin(), p.end()), p.end());
  return p;
}

}  // namespace

void CanvasInput::invertShape(const XorShape& shape) {
  Points pts = shapePoints(shape);
  if (pts.empty() || !screen_.valid()) return;
  int l = pts[0].x, t = pts[0].y, r = l, b = t;
  const Rect area = Rect{0, 0, view_.clientWidth(), view_.clientHeight()}.intersected(screen_.bounds());
  for (Point p : pts) {
    l = std::min(l, p.x); r = std::max(r, p.x);
    t = std::min(t, p.y); b = std::max(b, p.y);
    if (area.contains(p.x, p.y)) screen_.row(p.y)[p.x] ^= 0x00FFFFFFu;
  }
  Rect dirty = Rect{l, t, r - l + 1, b - t + 1}.intersected(area);
  if (!dirty.empty() && view_.onInvalidate) view_.onInvalidate(dirty);
}

void CanvasInput::showXor(const XorShape& shape) {
  hideXor();
  xor_ = shape;
  invertShape(xor_);
}

void CanvasInput::hideXor() {
  if (xor_.kind == XorShape::Kind::None) return;
  invertShape(xor_);
  xor_ = {};
}

XorShape CanvasInput::sizeCircle(double cx, double cy) const {
  int size = tools_.sizeOf(draw_.toolNo);
  if (!(options_.optFlag & kOptFlagSizeCircle) || size < options_.brushCirSize) return {};
  int d = size * view_.zoom() / 100;
  int x = int(cx) - d / 2, y = int(cy) - d / 2;
  return {XorShape::Kind::Circle, x, y, x + d, y + d};
}

}  // namespace tessel
