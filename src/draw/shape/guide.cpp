#include "draw/shape/guide.h"

#include <cmath>

namespace tessel {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

int turnUnits(double radians) { return int(int64_t(radians * 1024.0 / (2 * kPi)) & 0x3FF); }

GuideStroke::GuideStroke(GuideKind kind, const GuideSettings& settings, PointF start)
    : kind_(kind), settings_(settings), start_(start) {
  const GuideSettings& g = settings_;
  switch (kind) {
    case GuideKind::Parallel: value_ = g.parallelAngle; break;
    case GuideKind::Grid: value_ = g.gridAngle; break;
    case GuideKind::Concentrated:
      value_ = std::atan2(start.y - g.concentratedCentre.y, start.x - g.concentratedCentre.x);
      break;
    case GuideKind::Circle:
      value_ = std::hypot(start.x - g.circleCentre.x, start.y - g.circleCentre.y);
      break;
    case GuideKind::Ellipse: {
      const double dx = (start.x - g.ellipseCentre.x) * g.ky, dy = start.y - g.ellipseCentre.y;
      value_ = std::sqrt(dy * dy + dx * dx);
      break;
    }
    case GuideKind::None: break;
  }
}

// Along the line through the start at angle phi, as far as p is from the
// start; a sample behind the start goes the other way.
PointF GuideStroke::along(PointF p, double phi) const {
  const double dx = p.x - start_.x, dy = p.y - start_.y;
  const double d = std::sqrt(dx * dx + dy * dy);
  const int u = turnUnits(std::atan2(dy, dx) - phi);
  if (u > 256 && u < 768) phi += kPi;
  return {start_.x + d * std::cos(phi), start_.y + d * std::sin(phi)};
}

PointF GuideStroke::apply(PointF p) {
  const GuideSettings& g = settings_;
  switch (kind_) {
    case GuideKind::Parallel: case GuideKind::Concentrated: return along(p, value_);
    case GuideKind::Circle: {
      const double b = std::atan2(p.y - g.circleCentre.y, p.x - g.circleCentre.x);
      return {g.circleCentre.x + value_ * std::cos(b), g.circleCentre.y + value_ * std::sin(b)};
    }
    case GuideKind::Ellipse: {
      const double b = std::atan2(p.y - g.ellipseCentre.y, (p.x - g.ellipseCentre.x) * g.ky);
      return {g.ellipseCentre.x + std::cos(b) * g.kx * value_, g.ellipseCentre.y + std::sin(b) * value_};
    }
    case GuideKind::Grid: {
      if (!decided_) {
        const double dx = p.x - start_.x, dy = p.y - start_.y;
        if (dx * dx + dy * dy < 4.0) return start_;   // too close to tell the axis
        decided_ = true;
        const int u = turnUnits(std::atan2(dy, dx) - g.gridAngle);
        const bool across = (u > 128 && u < 384) || (u > 640 && u < 896);
        value_ = across ? g.gridAngle + kPi / 2 : g.gridAngle;
      }
      return along(p, value_);
    }
    case GuideKind::None: break;
  }
  return p;
}

}  // namespace tessel
