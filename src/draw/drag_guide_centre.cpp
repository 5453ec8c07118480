#include "draw/drag_guide_centre.h"

namespace tessel {

GuideCentreDrag::GuideCentreDrag(const DragContext& ctx, const DragPoint& centre)
    : ctx_(ctx), centre_(centre.image()) {
  const Point c = centre.client();
  ctx_.feedback.show({XorShape::Kind::Cross, c.x, c.y, 0, 0});
}

bool GuideCentreDrag::release(int button, const DragPoint& p) {
  (void)button;
  (void)p;
  ctx_.feedback.hide();
  return false;
}

}  // namespace tessel
