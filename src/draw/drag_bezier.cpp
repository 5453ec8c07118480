#include "draw/drag_bezier.h"

namespace tessel {

void BezierDrag::move(const DragPoint& p, const InputState& in) {
  if (!editing_) ends_.move(p, in);
}

bool BezierDrag::release(int, const DragPoint& p) {
  if (!editing_) {
    // Both control points start at the ends until they are placed.
    ctx_.feedback.hide();
    points_ = {start_.image(), start_.image(), p.image(), p.image()};
    editing_ = true;
    return true;
  }
  const bool first = control_ == 0;   // the second release draws the curve
  control_ = 1;
  return first;
}

}  // namespace tessel
