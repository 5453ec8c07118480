#pragma once
#include <cstdint>

#include "view/canvas_view.h"

namespace tessel {

// Guides that bend freehand strokes.
enum class GuideKind : int { None, Parallel, Grid, Ellipse, Concentrated, Circle };

// Where the guides stand; set up by Alt + press, kept while the program runs.
struct GuideSettings {
  double parallelAngle = 1.5707963267948966;   // radians, image coordinates
  double gridAngle = 1.5707963267948966;
  Point concentratedCentre;
  Point circleCentre;
  Point ellipseCentre;
  double kx = 1.0, ky = 1.0;   // the ellipse's width / height and height / width
};

// The difference of two angles in 1/1024 turns, 0-1023.
int turnUnits(double radians);

// One stroke's guide: the start point and what is taken from it, then every
// sample moved onto the guide.
class GuideStroke {
 public:
  GuideStroke(GuideKind kind, const GuideSettings& settings, PointF start);
  PointF apply(PointF p);

 private:
  PointF along(PointF p, double phi) const;

  GuideKind kind_;
  GuideSettings settings_;
  PointF start_;
  double value_ = 0.0;   // the stroke's angle or radius
  bool decided_ = false;   // the grid's axis
};

}  // namespace tessel
