#pragma once
#include "draw/drag/drag.h"
#include "draw/shape/shape_geometry.h"
#include "draw/shape/shape_paint.h"

namespace tessel {

// What a drag from the press point to the release point makes.
enum class TwoPointShape {
  Line,
  Rectangle,
  FilledRectangle,
  Ellipse,
  FilledEllipse,
  Gradient,
  GuideAngle,     // the angle of the parallel-line or grid guide
  EllipseGuide,   // the box of the ellipse guide, centred at the press point
};

// A rubber band from the press point to the pointer: a line, a rectangle or
// an ellipse, with the Ctrl and Shift constraints.
class TwoPointDrag : public Drag {
 public:
  TwoPointDrag(const DragContext& ctx, TwoPointShape shape, const DragPoint& start);

  DragState state() const override;
  int subMode() const override;
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;

  TwoPointShape shape() const { return shape_; }
  // The band as last shown, in client pixels: a line's start and its
  // constrained end, or a box's ordered corners.
  const XorShape& band() const { return band_; }

 private:
  bool isLine() const;
  void paint(ShapeKind kind);
  void gradient();
  void setGuide();
  XorShape::Kind bandKind() const;
  XorShape bandTo(Point end, const InputState& in, bool& constrained) const;

  const DragContext& ctx_;
  TwoPointShape shape_;
  DragPoint start_;
  XorShape band_;
  bool shift_ = false, alt_ = false;   // at the last move
};

}  // namespace tessel
