#pragma once
// Document content shared by the file benchmarks: a 4500 x 4500 canvas whose
// layers look like brush work over transparency.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

#include "image/image32.h"

namespace tessel {

constexpr int kSide = 4500;
constexpr int kLayers = 10;

using Clock = std::chrono::steady_clock;
inline double secondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// Soft round dabs along random walks over transparency, as a brush leaves them.
inline void paintStrokes(Image32& image, std::mt19937& rng) {
  image.fill(kTransparent);
  std::uniform_real_distribution<float> unit(0.f, 1.f);
  for (int stroke = 0; stroke < 24; ++stroke) {
    float x = unit(rng) * kSide, y = unit(rng) * kSide, angle = unit(rng) * 6.283f;
    float radius = 6 + unit(rng) * 40;
    Pixel colour = makePixel(0, rng() & 0xFF, rng() & 0xFF, rng() & 0xFF);
    for (int dab = 0; dab < 220; ++dab) {
      angle += (unit(rng) - 0.5f) * 0.5f;
      x += std::cos(angle) * radius * 0.35f;
      y += std::sin(angle) * radius * 0.35f;
      int x0 = std::max(0, int(x - radius)), x1 = std::min(kSide - 1, int(x + radius));
      int y0 = std::max(0, int(y - radius)), y1 = std::min(kSide - 1, int(y + radius));
      for (int py = y0; py <= y1; ++py) {
        Pixel* row = image.row(py);
        for (int px = x0; px <= x1; ++px) {
          float d = std::hypot(px - x, py - y) / radius;
          if (d >= 1.f) continue;
          int a = int((1.f - d * d) * 255.f);
          if (a > alphaOf(row[px])) row[px] = colour | Pixel(a) << 24;
        }
      }
    }
  }
}

}  // namespace tessel
