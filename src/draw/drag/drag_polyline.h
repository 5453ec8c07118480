#pragma once
#include <vector>

#include "draw/drag/drag.h"

namespace tessel {

enum class PolylineKind { Polyline, ConcentratedLines };

// A polyline, or lines radiating from the first point, one segment per
// further left press; the right button (or Esc, Enter) ends it with one undo
// step for everything drawn.
class PolylinePointsDrag : public Drag {
 public:
  PolylinePointsDrag(const DragContext& ctx, PolylineKind kind, const DragPoint& start);

  DragState state() const override { return DragState::PolylineDrag; }
  int subMode() const override { return kind_ == PolylineKind::Polyline ? 0 : 1; }
  bool press(const DragPoint& p, int& source) override;
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int, const DragPoint&) override { return true; }
  bool finish() override;
  // A lost capture keeps what was drawn, as the right button would.
  void cancel() override { finish(); }
  const std::vector<Point>& points() const override { return points_; }
  Rect changed() const override { return union_; }

 private:
  const DragContext& ctx_;
  PolylineKind kind_;
  Point anchor_;   // where the rubber band starts, client pixels
  bool ctrl_ = false;   // Ctrl at the last move: the next segment snaps
  std::vector<Point> points_;
  Rect union_;
};

}  // namespace tessel
