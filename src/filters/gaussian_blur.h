#pragma once
#include "image/geometry.h"

namespace tessel {

class Image32;
class Progress;

// The Gaussian blur of the given strength from src into dst inside r (src and
// dst distinct, r inside both); false when the scratch memory is not there.
bool gaussianBlur(int radius, Image32& dst, const Image32& src, const Rect& r, Progress* progress);

}  // namespace tessel
