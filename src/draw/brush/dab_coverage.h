#pragma once
// Area-sampled coverage of a dab of the 100 x 100 tip mask. How the sub-samples
// of a pixel fall on the mask depends only on the dab's diameter and its
// fractional position, so the coverage of a whole dab can be built once and
// reused by every dab of the same size and fraction.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tessel {

constexpr int kMaxDabPixels = 256;

// How the sub-samples of one pixel row or column map onto mask rows or columns.
// Left uninitialised on purpose: mapAxis writes every field that is read.
struct AxisCell {
  int first, last;   // mask index of the pixel's first and last sub-sample
  bool firstInside;
  int runs;
  int index[16];
  int weight[16];
};

// Sub-sample to mask index scale, 14 fraction bits.
int64_t dabScale(int diameter);
// Fills cells for pixels p0..p1; sub = sub-samples per pixel, start = dab start in sub units.
void mapAxis(AxisCell* cells, int p0, int p1, int sub, int start, int diameter, int64_t m);
// Coverage 0..255 of the pixel whose row and column cells are given; 0 leaves it alone.
int cellCoverage(const uint8_t* mask, const AxisCell& row, const AxisCell& col, bool large);

// The coverage of every pixel of one dab's box, with the span of each row
// outside which it is all zero.
struct DabCoverage {
  int side = 0;
  std::vector<uint8_t> values;   // side * side, row-major
  std::vector<int16_t> first;    // per row; first > last for an empty row
  std::vector<int16_t> last;
};

// Coverage maps by diameter, sub-sample shift and fraction, for one tip mask.
class DabCoverageCache {
 public:
  // The map for a dab whose box starts fx, fy sub-samples before its first
  // sub-sample; null when the box is too large. The mask must stay the same
  // until clear() is called.
  const DabCoverage* get(const uint8_t* mask, int diameter, int subShift, bool large, int fx,
                         int fy);
  void clear() {
    maps_.clear();
    bytes_ = 0;
  }

 private:
  std::unordered_map<uint64_t, std::unique_ptr<DabCoverage>> maps_;
  size_t bytes_ = 0;
};

}  // namespace tessel
