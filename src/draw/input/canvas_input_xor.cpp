#include "draw/input/canvas_input_xor.h"

#include <algorithm>

#include "draw/shape/shape_geometry.h"

namespace tessel {

std::vector<Point> xorShapePoints(const XorShape& s) {
  std::vector<Point> p;
  auto line = [&p](int x0, int y0, int x1, int y1) {
    walkLine(x0, y0, x1, y1, false, [&p](int x, int y) { p.push_back({x, y}); });
  };
  const Box box = boxOf({s.x0, s.y0}, {s.x1, s.y1});
  switch (s.kind) {
    case XorShape::Kind::Line: return linePoints({s.x0, s.y0}, {s.x1, s.y1});
    case XorShape::Kind::Rect: return rectangleOutline(box);
    case XorShape::Kind::Ellipse: case XorShape::Kind::Circle: return ellipseOutline(box);
    case XorShape::Kind::Cross:
      line(s.x0 - 15, s.y0, s.x0 + 16, s.y0);
      line(s.x0, s.y0 - 15, s.x0, s.y0 + 16);
      break;
    case XorShape::Kind::Path:
      for (size_t i = 0; i + 1 < s.segments.size(); i += 2)
        line(s.segments[i].x, s.segments[i].y, s.segments[i + 1].x, s.segments[i + 1].y);
      for (Point m : s.marks)
        for (int y = m.y - 2; y <= m.y + 2; ++y)
          for (int x = m.x - 2; x <= m.x + 2; ++x) p.push_back({x, y});
      break;
    case XorShape::Kind::None: break;
  }
  std::sort(p.begin(), p.end(), [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  p.erase(std::unique(p.begin(), p.end()), p.end());
  return p;
}

void XorFeedback::invert(const XorShape& shape) {
  std::vector<Point> pts = xorShapePoints(shape);
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

void XorFeedback::show(const XorShape& shape) {
  if (shape == shape_) return;
  hide();
  shape_ = shape;
  invert(shape_);
}

void XorFeedback::hide() {
  if (shape_.kind == XorShape::Kind::None) return;
  invert(shape_);
  shape_ = {};
}

}  // namespace tessel
