#include "draw/drag_text.h"

namespace tessel {

bool TextPlaceDrag::press(const DragPoint& p, int&) {
  anchor_ = p;
  return true;
}

}  // namespace tessel
