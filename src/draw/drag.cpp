#include "draw/drag.h"

#include <cmath>

namespace tessel {

void DragContext::showSize(double dx, double dy) const {
  double f = 100.0 / view.zoom();
  view.setDragSize(Point{int(std::fabs(dx) * f) + 1, int(std::fabs(dy) * f) + 1});
}

bool Drag::press(const DragPoint& p, int& source) {
  (void)p;
  (void)source;
  return false;
}

void Drag::move(const DragPoint& p, const InputState& in) {
  (void)p;
  (void)in;
}

const std::vector<Point>& Drag::points() const {
  static const std::vector<Point> none;
  return none;
}

}  // namespace tessel
