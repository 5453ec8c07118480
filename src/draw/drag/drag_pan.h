#pragma once
#include "draw/drag/drag.h"

namespace tessel {

// Moving the view: the image follows the pointer.
class PanDrag : public Drag {
 public:
  PanDrag(const DragContext& ctx, const DragPoint& start) : ctx_(ctx), prev_(start) {}

  DragState state() const override { return DragState::Pan; }
  void move(const DragPoint& p, const InputState& in) override;

 private:
  const DragContext& ctx_;
  DragPoint prev_;
};

}  // namespace tessel
