#pragma once
#include <cstdint>
#include <memory>

#include "image/image32.h"

namespace tessel {

// Reduces a picture to at most 256 colours. Pixels are counted in 64 x 64 x 32
// cells (red >> 2, green >> 2, blue >> 3, with the sums of the dropped bits);
// a median cut over the cells, weighted by their pixel counts, gives the
// first representatives, which a few k-means passes over the cells refine.
// Each cell then maps to its nearest representative.
class ColourQuantiser {
 public:
  static constexpr int kCells = 64 * 64 * 32;

  // False when memory runs out.
  bool build(const Image32& image);
  static int cellOf(Pixel p) { return int((p >> 18 & 63) << 11 | (p >> 10 & 63) << 5 | (p >> 3 & 31)); }
  // The representative (0x00RRGGBB) for a pixel's cell.
  uint32_t map(Pixel p) const { return colours_[cellColour_[cellOf(p)]]; }
  int indexOf(Pixel p) const { return cellColour_[cellOf(p)]; }
  uint32_t colour(int index) const { return colours_[index]; }
  int colourCount() const { return count_; }

 private:
  std::unique_ptr<uint8_t[]> cellColour_;
  uint32_t colours_[256] = {};
  int count_ = 0;
};

}  // namespace tessel
