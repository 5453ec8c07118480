#include "draw/drag/drag_pan.h"

#include <cmath>

namespace tessel {

void PanDrag::move(const DragPoint& p, const InputState&) {
  int dx = int(std::lround(p.cx - prev_.cx)), dy = int(std::lround(p.cy - prev_.cy));
  if (dx == 0 && dy == 0) return;   // the fraction counts with the next move
  // Scrolling moves the image under the pointer: the client point stays.
  prev_.cx += dx;
  prev_.cy += dy;
  CanvasView& view = ctx_.view;
  view.setScroll(view.scrollX() - dx, view.scrollY() - dy);
  view.renderAll();
}

}  // namespace tessel
