#include "draw/brush/point_ring.h"

#include <algorithm>

namespace tessel {

void PointRing::push(double x, double y, float pressure, bool merge) {
  if (merge && count_ > 0) {
    StrokePoint& last = entries_[(count_ - 1) % kSize];
    if (last.x == x && last.y == y) {
      last.pressure = pressure;
      return;
    }
  }
  entries_[count_ % kSize] = {x, y, pressure};
  ++count_;
  // Keep the counter bounded on endless strokes without disturbing count mod 64.
  if (count_ >= 2 * kSize * 1024) count_ -= kSize * 1024;
}

void PointRing::repeatLast(int n) {
  if (count_ == 0) return;
  StrokePoint p = newest();
  for (int i = 0; i < n; ++i) {
    entries_[count_ % kSize] = p;
    ++count_;
  }
}

StrokePoint PointRing::smoothed(int n) const {
  if (count_ == 0) return {};
  n = std::clamp(n, 0, std::min(count_, kSize) - 1);
  if (n == 0) return newest();
  // Offsets from the newest entry, so that a window of equal samples gives that sample exactly.
  const StrokePoint& base = newest();
  double sx = 0, sy = 0, sp = 0, total = 0;
  for (int k = 0; k <= n; ++k) {
    const StrokePoint& e = newest(k);
    double w = double(n + 1 - k);
    sx += w * (e.x - base.x);
    sy += w * (e.y - base.y);
    sp += w * (double(e.pressure) - double(base.pressure));
    total += w;
  }
  return {base.x + sx / total, base.y + sy / total, float(double(base.pressure) + sp / total)};
}

void BSplineTable::fill() {
  double t = 0.0;
  for (int k = 0; k < kSteps; ++k) {
    t += 0.05;
    double t2 = t * t, t3 = t2 * t, u = 1.0 - t;
    c[k][0] = u * u * u / 6.0;
    c[k][1] = (3 * t3 - 6 * t2 + 4) / 6.0;
    c[k][2] = (-3 * t3 + 3 * t2 + 3 * t + 1) / 6.0;
    c[k][3] = t3 / 6.0;
  }
}

void CurveHistory::append(const StrokePoint& p) {
  p_[0] = p_[1];
  p_[1] = p_[2];
  p_[2] = p_[3];
  p_[3] = p;
}

StrokePoint CurveHistory::at(const BSplineTable& table, int k) const {
  const double* c = table.c[k];
  StrokePoint r;
  r.x = c[0] * p_[0].x + c[1] * p_[1].x + c[2] * p_[2].x + c[3] * p_[3].x;
  r.y = c[0] * p_[0].y + c[1] * p_[1].y + c[2] * p_[2].y + c[3] * p_[3].y;
  r.pressure = float(c[0] * p_[0].pressure + c[1] * p_[1].pressure + c[2] * p_[2].pressure +
                     c[3] * p_[3].pressure);
  return r;
}

}  // namespace tessel
