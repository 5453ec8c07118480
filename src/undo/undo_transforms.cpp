#include "undo/undo_transforms.h"

#include <algorithm>

namespace tessel {

void mirrorLeftRight(Image32& image) {
  for (int y = 0; y < image.height(); ++y) {
    Pixel* row = image.row(y);
    std::reverse(row, row + image.width());
  }
}

void mirrorTopBottom(Image32& image) {
  int w = image.width();
  for (int y = 0, z = image.height() - 1; y < z; ++y, --z)
    std::swap_ranges(image.row(y), image.row(y) + w, image.row(z));
}

// Source pixel (x, y) of a w x h image lands at (y, w - 1 - x).
bool rotatedCounterClockwise(const Image32& image, Image32& out) {
  int w = image.width(), h = image.height();
  if (!out.create(h, w)) return false;
  for (int y = 0; y < h; ++y) {
    const Pixel* src = image.row(y);
    for (int x = 0; x < w; ++x) out.row(w - 1 - x)[y] = src[x];
  }
  return true;
}

// Source pixel (x, y) lands at (h - 1 - y, x).
bool rotatedClockwise(const Image32& image, Image32& out) {
  int w = image.width(), h = image.height();
  if (!out.create(h, w)) return false;
  for (int y = 0; y < h; ++y) {
    const Pixel* src = image.row(y);
    for (int x = 0; x < w; ++x) out.row(x)[h - 1 - y] = src[x];
  }
  return true;
}

}  // namespace tessel
