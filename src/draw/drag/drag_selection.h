#pragma once
#include "draw/drag/drag.h"

namespace tessel {

// Drawing out a selection rectangle from the pixel under the press to the
// pixel under the pointer (Ctrl makes it square). At the release the frame
// becomes the selection, unless it is a single pixel.
class SelectionFrameDrag : public Drag {
 public:
  SelectionFrameDrag(const DragContext& ctx, const DragPoint& start);

  DragState state() const override { return DragState::SelectionDrag; }
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;
  // The selection as it was stays.
  void cancel() override;
  // The frame in image pixels, not yet clipped to the canvas.
  const Rect& frame() const { return frame_; }

 private:
  void show(const Rect& frame);

  const DragContext& ctx_;
  Point start_;
  Rect frame_;
};

}  // namespace tessel
