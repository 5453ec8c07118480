#include "draw/drag.h"

#include <cmath>

namespace tessel {

void DragContext::showSize(double dx, double dy) const {
  double f = 100.0 / view.zoom();
  view.setDragSize(Point{int(std::fabs(dx) * f) + 1, int(std::fabs(dy) * f) + 1});
}

const std::vector<Point>& Drag::points() const {
  static const std::vector<Point> none;
  return none;
}

}  // namespace tessel
