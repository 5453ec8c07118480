#include "draw/drag/drag_text.h"

#include <cmath>

namespace tessel {

namespace {

Point pixelOf(const DragPoint& p) { return {int(std::floor(p.ix)), int(std::floor(p.iy))}; }

}  // namespace

bool TextPlaceDrag::begin() {
  return !ctx_.hooks.placeText || ctx_.hooks.placeText(pixelOf(anchor_));
}

bool TextPlaceDrag::press(const DragPoint& p, int&) {
  anchor_ = p;
  if (ctx_.hooks.placeText) ctx_.hooks.placeText(pixelOf(p));
  return true;
}


}  // namespace tessel
