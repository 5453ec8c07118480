#pragma once
#include "image/image32.h"

namespace tessel {

// The order of the scale dialog's list and of the `ScaleType` setting.
enum class ScaleMethod { Nearest = 0, Bilinear = 1, Lanczos3 = 2 };

constexpr int kDefaultThreads = 2;

// The Lanczos window of three lobes.
double lanczos3(double x);

// Writes src scaled to width x height into dst (replacing dst). False when a
// buffer cannot be allocated or a size is below 1; dst is then left empty.
// Every output row is computed on its own, so any thread count gives the
// same pixels.
bool scaleImage(const Image32& src, Image32& dst, int width, int height, ScaleMethod method,
                int threads = kDefaultThreads);

}  // namespace tessel
