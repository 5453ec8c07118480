#pragma once
#include "draw/drag/drag.h"

namespace tessel {

// Changing the tool size by dragging sideways, with the size circle at the
// press point until the release ends the drag.
class ToolSizeDrag : public Drag {
 public:
  ToolSizeDrag(const DragContext& ctx, const DragPoint& start);

  DragState state() const override { return DragState::SizeDrag; }
  void move(const DragPoint& p, const InputState& in) override;

 private:
  XorShape circle() const;

  const DragContext& ctx_;
  DragPoint start_, prev_;
};

}  // namespace tessel
