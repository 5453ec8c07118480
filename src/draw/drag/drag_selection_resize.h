#pragma once
#include "draw/drag/drag.h"

namespace tessel {

// Dragging the hovered edges of a selected rectangle: each follows the
// pointer's image movement since the press, kept inside the canvas and
// never past the opposite edge. The release keeps the new rectangle.
class SelectionResizeDrag : public Drag {
 public:
  SelectionResizeDrag(const DragContext& ctx, const DragPoint& start, int handle);

  DragState state() const override { return DragState::SelectionResize; }
  int subMode() const override { return handle_; }
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;
  void cancel() override;
  const Rect& frame() const { return frame_; }

 private:
  const DragContext& ctx_;
  Point start_;
  int handle_;
  Rect from_;    // the selection at the press
  Rect frame_;
};

}  // namespace tessel
