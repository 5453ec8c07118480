#pragma once
#include <vector>

#include "draw/drag/drag.h"
#include "draw/drag/drag_two_point.h"

namespace tessel {

// A Bezier curve: a line drag sets the two ends, then the two control points
// are placed, one per release; the right button (or Esc, Enter) cancels.
class BezierDrag : public Drag {
 public:
  BezierDrag(const DragContext& ctx, const DragPoint& start)
      : ctx_(ctx), start_(start), ends_(ctx, TwoPointShape::Line, start) {}

  DragState state() const override { return editing_ ? DragState::BezierEdit : DragState::LineDrag; }
  // While the ends are dragged 1; then the control point being placed, 0 or 1.
  int subMode() const override { return editing_ ? control_ : 1; }
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;
  bool finish() override { return editing_; }
  // Start, first control, second control, end.
  const std::vector<Point>& points() const override { return points_; }

 private:
  const DragContext& ctx_;
  DragPoint start_;
  TwoPointDrag ends_;
  bool editing_ = false;
  int control_ = 0;
  std::vector<Point> points_;
  PointF curve_[4];   // P0, P1, P2, P3 in image coordinates
  PointF client_[4];  // the same in client pixels, for the preview

  void preview();
};

}  // namespace tessel
