#include <gtest/gtest.h>

#include <cmath>

#include "draw/shape/guide.h"

namespace tessel {
namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(Guide, TurnUnitsTruncateAndWrap) {
  EXPECT_EQ(turnUnits(kPi), 512);
  EXPECT_EQ(turnUnits(-kPi / 2), 768);   // -256 masked
  EXPECT_EQ(turnUnits(0.0061), 0);       // just under one unit
  EXPECT_EQ(turnUnits(-0.0061), 0);      // truncated toward zero
}

// Moving backwards from the start follows the guide backwards.
TEST(Guide, ParallelStrokeStartingBackwardsGoesTheOtherWay) {
  GuideSettings g;
  g.parallelAngle = 0.0;
  GuideStroke stroke(GuideKind::Parallel, g, {10, 10});
  const PointF back = stroke.apply({5, 11});
  EXPECT_NEAR(back.x, 10 - std::sqrt(26.0), 1e-9);
  EXPECT_NEAR(back.y, 10, 1e-9);
  const PointF ahead = stroke.apply({13, 6});
  EXPECT_NEAR(ahead.x, 15, 1e-9);
  EXPECT_NEAR(ahead.y, 10, 1e-9);
}

// Nothing moves until the pointer is 2 pixels away; then the closer axis wins.
TEST(Guide, GridWaitsTwoPixelsThenFollowsTheCloserAxis) {
  GuideSettings g;
  g.gridAngle = 0.0;
  GuideStroke stroke(GuideKind::Grid, g, {10, 10});
  for (PointF p : {PointF{11, 10}, PointF{11.5, 11}}) {
    const PointF q = stroke.apply(p);
    EXPECT_EQ(q.x, 10);
    EXPECT_EQ(q.y, 10);
  }
  const PointF first = stroke.apply({10.5, 12});   // mostly down: the axis across
  EXPECT_NEAR(first.x, 10, 1e-9);
  EXPECT_NEAR(first.y, 10 + std::hypot(0.5, 2.0), 1e-9);
  const PointF later = stroke.apply({20, 12});   // the axis stays
  EXPECT_NEAR(later.x, 10, 1e-9);
  EXPECT_NEAR(later.y, 10 + std::hypot(10.0, 2.0), 1e-9);
}

TEST(Guide, CircleEllipseAndConcentratedKeepTheirShape) {
  GuideSettings g;
  g.circleCentre = {50, 50};
  GuideStroke circle(GuideKind::Circle, g, {60, 50});
  PointF p = circle.apply({50, 80});
  EXPECT_NEAR(p.x, 50, 1e-9);
  EXPECT_NEAR(p.y, 60, 1e-9);
  g.ellipseCentre = {0, 0};
  g.kx = 2.0, g.ky = 0.5;
  GuideStroke ellipse(GuideKind::Ellipse, g, {20, 0});   // r = 10
  p = ellipse.apply({0, 30});
  EXPECT_NEAR(p.x, 0, 1e-9);
  EXPECT_NEAR(p.y, 10, 1e-9);
  p = ellipse.apply({-5, 0});
  EXPECT_NEAR(p.x, -20, 1e-9);
  g.concentratedCentre = {0, 0};
  GuideStroke rays(GuideKind::Concentrated, g, {10, 10});
  p = rays.apply({20, 10});
  EXPECT_NEAR(p.x, p.y, 1e-9);   // on the ray through the start
}

}  // namespace
}  // namespace tessel
