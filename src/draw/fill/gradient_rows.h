#pragma once
// The gradient's table indices a whole row at a time: incremental integer
// division for the linear geometry, four square roots at once for the radial
// and box geometries, and a bounded-error arc tangent for the angular one that
// defers to the library's near every index boundary. Every index equals
// GradientIndexer::at for the same pixel.
#include <cstdint>
#include <vector>

#include "draw/fill/gradient.h"

namespace tessel {

// What an index beyond the last entry becomes: unpainted, wrapped, clamped.
enum class Beyond { Leave, Wrap, Clamp };

class GradientRows {
 public:
  GradientRows(const GradientRequest& req, int width, int height);
  const GradientIndexer& indexer() const { return ix_; }
  // out[x] = indexer().at(x, y) for x in 0..width - 1.
  void row(int y, int32_t* out) const;

 private:
  void linearRow(int y, int32_t* out) const;
  void radialRow(int y, int32_t* out) const;
  void boxRow(int y, int32_t* out) const;
  void angularRow(int y, int32_t* out) const;

  GradientIndexer ix_;
  int width_;
  Beyond beyond_;
  bool fast_ = false;            // every square fits a double exactly, every index an int32
  int64_t farSquare_ = 0;        // sqrt(d) > the drag length exactly when d > this
  std::vector<int32_t> offsets_;  // |x - ax| for each x
  std::vector<int32_t> across_;   // box: h * |x - ax| / w for each x
};

// The per-pixel arithmetic of PixelOverKeepAlpha with table entries, for a
// row whose gate admits every pixel: idx[x] < 0 leaves pixel x alone.
void overKeepAlphaRow(Pixel* row, const int32_t* idx, int n, const GradientTable& table,
                      bool keepAlpha);

}  // namespace tessel
