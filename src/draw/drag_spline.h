#pragma once
#include <vector>

#include "draw/drag.h"

namespace tessel {

// A spline through points collected by clicks: every left release adds one;
// the right button (or Esc, Enter) ends it, Backspace drops the last point.
class SplineDrag : public Drag {
 public:
  explicit SplineDrag(const DragPoint& start) : points_{start.image()} {}

  DragState state() const override { return DragState::SplineCollect; }
  bool release(int button, const DragPoint& p) override;
  bool finish() override { return true; }
  // With fewer than two points left the spline is dropped.
  KeyResult backspace() override;
  const std::vector<Point>& points() const override { return points_; }

 private:
  std::vector<Point> points_;
};

}  // namespace tessel
