#pragma once
#include "draw/drag.h"

namespace tessel {

// Changing the tool size by dragging sideways, with the size circle at the
// press point.
class SizeDrag : public Drag {
 public:
  SizeDrag(const DragContext& ctx, const DragPoint& start);

  DragState state() const override { return DragState::SizeDrag; }
  void move(const DragPoint& p, const InputState& in) override;
  bool release(int button, const DragPoint& p) override;

 private:
  XorShape circle() const;

  const DragContext& ctx_;
  DragPoint start_, prev_;
};

}  // namespace tessel
