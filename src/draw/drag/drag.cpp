#include "draw/drag/drag.h"

#include <cmath>

#include "document/document.h"

namespace tessel {

DragPoint DragContext::pointAt(double cx, double cy, float pressure) const {
  DragPoint s;
  s.cx = cx;
  s.cy = cy;
  double f = 100.0 / view.zoom();
  s.ix = f * (view.scrollX() - view.centreX() + cx);
  s.iy = f * (view.scrollY() - view.centreY() + cy);
  s.px = int(s.ix);
  s.py = int(s.iy);
  // The exact position mirrors about the image's edge, a whole pixel about
  // the last column: at zoom 100 width - x would name the pixel to the right.
  s.mirrored = view.mirrored();
  if (s.mirrored) {
    s.ix = doc.width() - s.ix;
    s.px = doc.width() - 1 - s.px;
  }
  s.pressure = pressure;
  return s;
}

// Rounded down, not towards zero: a point left of the image is not in
// its first column. Mirrored, the column counts from the image's right edge.
Point DragContext::pixelOf(const DragPoint& p) const {
  const int y = int(std::floor(p.iy));
  if (!p.mirrored) return {int(std::floor(p.ix)), y};
  return {doc.width() - 1 - int(std::floor(doc.width() - p.ix)), y};
}

void DragContext::showSize(double dx, double dy) const {
  double f = 100.0 / view.zoom();
  view.setDragSize(Point{int(std::fabs(dx) * f) + 1, int(std::fabs(dy) * f) + 1});
}

const std::vector<Point>& Drag::points() const {
  static const std::vector<Point> none;
  return none;
}

}  // namespace tessel
