#pragma once
#include <cstdlib>
#include <vector>

#include "view/canvas_view.h"

namespace tessel {

// The pixels of lines, rectangles and ellipses, apart from how they are
// painted: the XOR rubber bands walk them in client pixels, the shape tools in
// image pixels.

// A box with inclusive, ordered corners (left <= right, top <= bottom).
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
  bool operator==(const Box&) const = default;
};

// One row of a filled shape, x0..x1 inclusive.
struct Span {
  int y = 0, x0 = 0, x1 = 0;
  bool operator==(const Span&) const = default;
};

// The box with a and b as opposite corners.
Box boxOf(Point a, Point b);

// Calls visit(x, y) for every point of the line from (x0, y0) to (x1, y1),
// both ends included, from the start; skipFirst leaves out the start point
// (a line of one point then visits nothing).
template <class Visit>
void walkLine(int x0, int y0, int x1, int y1, bool skipFirst, Visit&& visit) {
  const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const int sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
  const bool xMajor = dx >= dy;
  const int major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
  int err = 2 * minor - major;
  int x = x0, y = y0;
  auto step = [&] {
    if (xMajor) x += sx; else y += sy;
    if (err >= 0) {
      if (xMajor) y += sy; else x += sx;
      err -= 2 * major;
    }
    err += 2 * minor;
  };
  int i = 0;
  if (skipFirst) {
    if (major == 0) return;
    step();
    i = 1;
  }
  for (; i < major; ++i) {
    visit(x, y);
    step();
  }
  visit(x1, y1);   // where the walk has arrived
}

// The points of walkLine, both ends included, in walking order.
std::vector<Point> linePoints(Point a, Point b);

// Ctrl on a line drag: the end snaps to 45 degrees when the two sides are
// close (their difference below half the longer), else to the nearer axis.
Point snapLineEnd(Point start, Point end);

// The box of a rectangle or ellipse drag from the press point to the pointer:
// centred makes the press point the centre (Shift), square extends the
// shorter side to the longer (Ctrl).
Box dragBox(Point start, Point end, bool centred, bool square);

// Outlines list every pixel once, row by row from the top, left to right.
// Spans give one row each, from the top.
std::vector<Point> rectangleOutline(const Box& box);
std::vector<Span> rectangleSpans(const Box& box);

// The pixel ellipse filling the box exactly: a midpoint circle of the larger
// half-extent, its other axis scaled down and truncated; an even side puts
// the two halves about centres one pixel apart.
std::vector<Point> ellipseOutline(const Box& box);
std::vector<Span> ellipseSpans(const Box& box);

// The Bezier curve from p0 to p3 with controls p1, p2: p0, then 100 points at
// t = 0.01 ... 1.00.
std::vector<PointF> bezierPoints(PointF p0, PointF p1, PointF p2, PointF p3);

// The cubic spline through the points, parameterised by chord length: the
// first point, then 20 points along each span. Repeated neighbours are
// dropped first (a span of length 0 has no direction); fewer than two
// distinct points give no curve.
std::vector<PointF> splinePoints(const std::vector<PointF>& points);

}  // namespace tessel
