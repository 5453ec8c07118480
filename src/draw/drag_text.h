#pragma once
#include "draw/drag.h"

namespace tessel {

// The text tool waiting for its dialog: a further click moves the anchor.
class TextPlaceDrag : public Drag {
 public:
  explicit TextPlaceDrag(const DragPoint& anchor) : anchor_(anchor) {}

  DragState state() const override { return DragState::TextPlace; }
  bool press(const DragPoint& p, int& source) override;
  bool release(int, const DragPoint&) override { return true; }
  const DragPoint& anchor() const { return anchor_; }

 private:
  DragPoint anchor_;
};

}  // namespace tessel
