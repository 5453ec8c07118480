#include "draw/brush/dab_coverage.h"

#include <algorithm>
#include <new>

#include "draw/brush/brush_shape.h"

namespace tessel {

namespace {

int64_t cellSum(const uint8_t* mask, const AxisCell& row, const AxisCell& col) {
  int64_t sum = 0;
  for (int i = 0; i < row.runs; ++i) {
    const uint8_t* line = mask + row.index[i] * kMaskSide;
    int64_t rowSum = 0;
    for (int j = 0; j < col.runs; ++j) rowSum += int64_t(col.weight[j]) * line[col.index[j]];
    sum += rowSum * row.weight[i];
  }
  return sum;
}

// A pressure ramp makes a new map for nearly every dab; past this many bytes
// the cache starts again rather than grow.
constexpr size_t kMaxBytes = size_t(8) << 20;

}  // namespace

int64_t dabScale(int diameter) { return int64_t(99.0 / double(diameter - 1) * 16384.0); }

void mapAxis(AxisCell* cells, int p0, int p1, int sub, int start, int diameter, int64_t m) {
  for (int p = p0; p <= p1; ++p) {
    AxisCell& cell = cells[p - p0];
    int u0 = p * sub - start;
    cell.first = int((int64_t(u0) * m) >> 14);
    cell.last = int((int64_t(u0 + sub - 1) * m) >> 14);
    cell.firstInside = u0 >= 0 && u0 < diameter;
    cell.runs = 0;
    for (int k = 0; k < sub; ++k) {
      int u = u0 + k;
      if (u < 0 || u >= diameter) continue;
      int idx = int((int64_t(u) * m) >> 14);
      if (cell.runs > 0 && cell.index[cell.runs - 1] == idx) {
        ++cell.weight[cell.runs - 1];
      } else {
        cell.index[cell.runs] = idx;
        cell.weight[cell.runs] = 1;
        ++cell.runs;
      }
    }
  }
}

int cellCoverage(const uint8_t* mask, const AxisCell& row, const AxisCell& col, bool large) {
  if (!large) {
    int64_t s = cellSum(mask, row, col);
    return s <= 255 ? 0 : int(s >> 8);
  }
  if (col.first == col.last && row.first == row.last) {
    if (!col.firstInside || !row.firstInside) return 0;
    return mask[row.first * kMaskSide + col.first];
  }
  return int(cellSum(mask, row, col) >> 6);
}

const DabCoverage* DabCoverageCache::get(const uint8_t* mask, int diameter, int subShift,
                                         bool large, int fx, int fy) {
  int sub = 1 << subShift;
  if (diameter <= 1 || diameter > 65535 || fx < 0 || fy < 0 || fx >= sub || fy >= sub)
    return nullptr;
  int side = ((fx + diameter - 1) >> subShift) + 1;
  int sideY = ((fy + diameter - 1) >> subShift) + 1;
  if (side > kMaxDabPixels || sideY > kMaxDabPixels) return nullptr;
  side = std::max(side, sideY);
  uint64_t key = uint64_t(diameter) | uint64_t(subShift) << 16 | uint64_t(large) << 20 |
                 uint64_t(fx) << 24 | uint64_t(fy) << 32;
  if (auto it = maps_.find(key); it != maps_.end()) return it->second.get();
  if (bytes_ >= kMaxBytes) clear();

  auto map = std::unique_ptr<DabCoverage>(new (std::nothrow) DabCoverage);
  if (!map) return nullptr;
  int64_t m = dabScale(diameter);
  AxisCell cols[kMaxDabPixels], rows[kMaxDabPixels];
  // Pixel 0 of the box holds sub-samples -f .. sub-1-f of the dab.
  mapAxis(cols, 0, side - 1, sub, fx, diameter, m);
  mapAxis(rows, 0, side - 1, sub, fy, diameter, m);
  map->side = side;
  map->values.assign(size_t(side) * side, 0);
  map->first.assign(side, int16_t(side));
  map->last.assign(side, int16_t(-1));
  for (int r = 0; r < side; ++r) {
    uint8_t* line = map->values.data() + size_t(r) * side;
    for (int c = 0; c < side; ++c) {
      int v = cellCoverage(mask, rows[r], cols[c], large);
      if (v == 0) continue;
      line[c] = uint8_t(v);
      if (map->first[r] > c) map->first[r] = int16_t(c);
      map->last[r] = int16_t(c);
    }
  }
  bytes_ += map->values.size() + 4 * size_t(side) + 64;
  return (maps_[key] = std::move(map)).get();
}

}  // namespace tessel
