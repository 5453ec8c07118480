#include "draw/drag_spline.h"

namespace tessel {

bool SplineDrag::release(int button, const DragPoint& p) {
  if (button == kButtonLeft) points_.push_back(p.image());
  return true;
}

KeyResult SplineDrag::backspace() {
  if (!points_.empty()) points_.pop_back();
  return points_.size() < 2 ? KeyResult::Ends : KeyResult::Continues;
}

}  // namespace tessel
