#pragma once
#include <array>
#include <cstdint>

namespace tessel {

// One input sample in image coordinates.
struct StrokePoint {
  double x = 0.0;
  double y = 0.0;
  float pressure = 1.0f;
};

// The last 64 input samples of a stroke.
class PointRing {
 public:
  static constexpr int kSize = 64;

  void reset() { count_ = 0; }
  // With merge, a sample at exactly the newest entry's x and y only replaces its pressure.
  void push(double x, double y, float pressure, bool merge);
  // Appends n copies of the newest entry (nothing when the ring is empty).
  void repeatLast(int n);
  int count() const { return count_; }
  int index() const { return count_ % kSize; }
  // k = 0 is the newest entry; k must be below kSize.
  const StrokePoint& newest(int k = 0) const { return entries_[(count_ - 1 - k + 2 * kSize) % kSize]; }
  // Weighted mean of the newest n + 1 entries, weights 1 (oldest) .. n + 1.
  StrokePoint smoothed(int n) const;

 private:
  std::array<StrokePoint, kSize> entries_{};
  int count_ = 0;
};

// Uniform cubic B-spline basis at t = 0.05, 0.10, ... 1.00 (accumulated in steps of 0.05).
struct BSplineTable {
  static constexpr int kSteps = 20;
  double c[kSteps][4] = {};
  void fill();
};

// The four most recent smoothed samples, P0 the oldest.
class CurveHistory {
 public:
  void reset(const StrokePoint& start) { p_.fill(start); }
  // Drops the oldest and appends p as P3.
  void append(const StrokePoint& p);
  // The curve point for step k (0-based) of the table.
  StrokePoint at(const BSplineTable& table, int k) const;

 private:
  std::array<StrokePoint, 4> p_{};
};

}  // namespace tessel
