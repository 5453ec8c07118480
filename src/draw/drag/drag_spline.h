#pragma once
#include <vector>

#include "draw/drag/drag.h"

namespace tessel {

// A spline through points collected by clicks: every left release adds one;
// the right button (or Esc, Enter) ends it, Backspace drops the last point.
class SplineDrag : public Drag {
 public:
  SplineDrag(const DragContext& ctx, const DragPoint& start)
      : ctx_(ctx), points_{start.image()}, curve_{{start.ix, start.iy}}, client_{start.client()} {}

  DragState state() const override { return DragState::SplineCollect; }
  bool release(int button, const DragPoint& p) override;
  // Draws the curve.
  bool finish() override;
  // With fewer than two points left the spline is dropped.
  KeyResult backspace() override;
  const std::vector<Point>& points() const override { return points_; }

 private:
  const DragContext& ctx_;
  std::vector<Point> points_;
  std::vector<PointF> curve_;   // the same points with their fractions
  std::vector<Point> client_;   // and in client pixels, for the preview

  void preview();
};

}  // namespace tessel
