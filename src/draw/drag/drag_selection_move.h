#pragma once
#include "draw/drag/drag.h"

namespace tessel {

// Dragging the floating image: a selected rectangle is lifted first (its
// area left transparent, or kept with copy), then the image follows the
// pointer; Ctrl keeps its horizontal and Shift its vertical position. The
// image stays floating after the release.
class SelectionMoveDrag : public Drag {
 public:
  SelectionMoveDrag(const DragContext& ctx, const DragPoint& start);
  // False when nothing floats and nothing can be lifted.
  bool begin(bool copy);

  DragState state() const override { return DragState::SelectionMove; }
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;
  void cancel() override { ctx_.layerChanged(); }

 private:
  const DragContext& ctx_;
  MoveDistance distance_;
  Point from_;   // the image's corner at the press
};

}  // namespace tessel
