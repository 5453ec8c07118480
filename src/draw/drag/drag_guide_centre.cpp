#include "draw/drag/drag_guide_centre.h"

namespace tessel {

GuideCentreDrag::GuideCentreDrag(const DragContext& ctx, const DragPoint& centre)
    : centre_(centre.image()) {
  GuideSettings& g = ctx.options.guides;
  (ctx.options.guide == GuideKind::Circle ? g.circleCentre : g.concentratedCentre) = centre_;
  const Point c = centre.client();
  ctx.feedback.show({XorShape::Kind::Cross, c.x, c.y, 0, 0});
}

}  // namespace tessel
