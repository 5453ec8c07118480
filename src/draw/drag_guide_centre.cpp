#include "draw/drag_guide_centre.h"

namespace tessel {

GuideCentreDrag::GuideCentreDrag(const DragContext& ctx, const DragPoint& centre)
    : centre_(centre.image()) {
  const Point c = centre.client();
  ctx.feedback.show({XorShape::Kind::Cross, c.x, c.y, 0, 0});
}

}  // namespace tessel
