#pragma once
#include <vector>

#include "image/image32.h"
#include "view/canvas_view.h"

namespace tessel {

// Feedback kept on the screen buffer: each shape is drawn
// by inverting its pixels and erased by inverting them again.
struct XorShape {
  enum class Kind { None, Line, Rect, Ellipse, Circle, Cross, Path };
  XorShape() = default;
  XorShape(Kind k, int ax, int ay, int bx, int by) : kind(k), x0(ax), y0(ay), x1(bx), y1(by) {}
  Kind kind = Kind::None;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;   // client coordinates
  // Path: line segments as pairs of ends, and points marked by 5 x 5 squares
  // (the Bezier and spline previews).
  std::vector<Point> segments;
  std::vector<Point> marks;
  bool operator==(const XorShape&) const = default;
};

// The pixels a shape inverts, each once (a pixel inverted twice would vanish).
std::vector<Point> xorShapePoints(const XorShape& shape);

// The one feedback shape on the screen at a time.
class XorFeedback {
 public:
  XorFeedback(Image32& screen, CanvasView& view) : screen_(screen), view_(view) {}

  // Erases the shape shown before, unless it is the same.
  void show(const XorShape& shape);
  void hide();
  const XorShape& shape() const { return shape_; }

 private:
  void invert(const XorShape& shape);

  Image32& screen_;
  CanvasView& view_;
  XorShape shape_;
};

}  // namespace tessel
