#pragma once
#include "draw/drag/drag.h"

namespace tessel {

// The text tool waiting for its dialog: a further click moves the anchor.
class TextPlaceDrag : public Drag {
 public:
  TextPlaceDrag(const DragContext& ctx, const DragPoint& anchor) : ctx_(ctx), anchor_(anchor) {}
  // Opens the placement at the anchor; false when none could begin.
  bool begin();

  DragState state() const override { return DragState::TextPlace; }
  bool press(const DragPoint& p, int& source) override;
  bool release(int, const DragPoint&) override { return true; }
  const DragPoint& anchor() const { return anchor_; }

 private:
  const DragContext& ctx_;
  DragPoint anchor_;
};

}  // namespace tessel
