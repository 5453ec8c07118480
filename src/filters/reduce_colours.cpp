// Reduce colours: median cut over a 6-bit-per-channel histogram, refined by
// a few rounds of k-means on the histogram cells, then every pixel takes its
// nearest palette colour. Images that already have few enough colours keep
// them exactly.
#include <algorithm>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

constexpr int kCells = 1 << 18;

struct Cell {
  uint32_t count = 0;
  uint64_t r = 0, g = 0, b = 0;
};

struct Box {
  int lo[3], hi[3];   // inclusive cell coordinates per channel (r, g, b)
  uint64_t count = 0;
};

int cellIndex(Pixel p) { return int(((p >> 18) & 0x3F) << 12 | ((p >> 10) & 0x3F) << 6 | ((p >> 2) & 0x3F)); }

void shrink(Box& box, const Cell* cells) {
  int lo[3] = {63, 63, 63}, hi[3] = {0, 0, 0};
  box.count = 0;
  for (int r = box.lo[0]; r <= box.hi[0]; ++r)
    for (int g = box.lo[1]; g <= box.hi[1]; ++g)
      for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
        const Cell& c = cells[r << 12 | g << 6 | b];
        if (!c.count) continue;
        box.count += c.count;
        int v[3] = {r, g, b};
        for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], v[k]), hi[k] = std::max(hi[k], v[k]);
      }
  for (int k = 0; k < 3; ++k) box.lo[k] = lo[k], box.hi[k] = hi[k];
}

// Splits the box at the median of its longest side; false when it is one cell.
bool split(Box& box, Box& other, const Cell* cells) {
  int axis = 0;
  for (int k = 1; k < 3; ++k)
    if (box.hi[k] - box.lo[k] > box.hi[axis] - box.lo[axis]) axis = k;
  if (box.hi[axis] == box.lo[axis]) return false;
  std::vector<uint64_t> plane(64, 0);
  for (int r = box.lo[0]; r <= box.hi[0]; ++r)
    for (int g = box.lo[1]; g <= box.hi[1]; ++g)
      for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
        int v[3] = {r, g, b};
        plane[v[axis]] += cells[r << 12 | g << 6 | b].count;
      }
  uint64_t half = box.count / 2, run = 0;
  int cut = box.lo[axis];
  for (; cut < box.hi[axis] - 1; ++cut) {
    run += plane[cut];
    if (run >= half) break;
  }
  other = box;
  box.hi[axis] = cut;
  other.lo[axis] = cut + 1;
  shrink(box, cells);
  shrink(other, cells);
  return true;
}

int nearest(const std::vector<Pixel>& palette, int r, int g, int b) {
  int best = 0, bestD = 1 << 30;
  for (size_t i = 0; i < palette.size(); ++i) {
    int dr = redOf(palette[i]) - r, dg = greenOf(palette[i]) - g, db = blueOf(palette[i]) - b;
    int d = 2 * dr * dr + 4 * dg * dg + db * db;
    if (d < bestD) bestD = d, best = int(i);
  }
  return best;
}

std::vector<Pixel> buildPalette(const Cell* cells, int n) {
  std::vector<Box> boxes(1, Box{{0, 0, 0}, {63, 63, 63}, 0});
  shrink(boxes[0], cells);
  while (int(boxes.size()) < n) {
    // Split the box with the most pixels times its extent.
    int pick = -1;
    uint64_t bestScore = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      const Box& b = boxes[i];
      int extent = std::max(b.hi[0] - b.lo[0], std::max(b.hi[1] - b.lo[1], b.hi[2] - b.lo[2]));
      uint64_t score = b.count * uint64_t(extent);
      if (score > bestScore) bestScore = score, pick = int(i);
    }
    if (pick < 0) break;
    Box other;
    if (!split(boxes[size_t(pick)], other, cells)) break;
    boxes.push_back(other);
  }
  // Means of the boxes, then k-means rounds over the cells.
  std::vector<Pixel> palette;
  std::vector<uint64_t> sums;
  for (const Box& box : boxes) {
    uint64_t s[4] = {};
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
      for (int g = box.lo[1]; g <= box.hi[1]; ++g)
        for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
          const Cell& c = cells[r << 12 | g << 6 | b];
          s[0] += c.count, s[1] += c.r, s[2] += c.g, s[3] += c.b;
        }
    if (s[0]) palette.push_back(makePixel(0, uint32_t(s[1] / s[0]), uint32_t(s[2] / s[0]), uint32_t(s[3] / s[0])));
  }
  for (int round = 0; round < 4 && !palette.empty(); ++round) {
    std::vector<uint64_t> acc(palette.size() * 4, 0);
    for (int i = 0; i < kCells; ++i) {
      const Cell& c = cells[i];
      if (!c.count) continue;
      int k = nearest(palette, int(c.r / c.count), int(c.g / c.count), int(c.b / c.count));
      uint64_t* a = &acc[size_t(k) * 4];
      a[0] += c.count, a[1] += c.r, a[2] += c.g, a[3] += c.b;
    }
    for (size_t k = 0; k < palette.size(); ++k) {
      const uint64_t* a = &acc[k * 4];
      if (a[0]) palette[k] = makePixel(0, uint32_t(a[1] / a[0]), uint32_t(a[2] / a[0]), uint32_t(a[3] / a[0]));
    }
  }
  return palette;
}

// True (with the colours left as they are) when the area has at most n colours.
bool fewColours(const Image32& src, const Rect& r, int n) {
  std::unordered_set<uint32_t> seen;
  for (int y = r.y; y < r.bottom(); ++y) {
    const Pixel* s = src.row(y);
    for (int x = r.x; x < r.right(); ++x)
      if (alphaOf(s[x]) && seen.insert(s[x] & 0xFFFFFFu).second && int(seen.size()) > n) return false;
  }
  return true;
}

}  // namespace

// The command hands over the whole layer as the rectangle.
TESSEL_FILTER(filterReduceColours) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  int n = 2 << clampTo(values.list[0], 0, 7);
  if (progress) progress->setRange(3);
  copyArea(dst, src, r);
  if (fewColours(src, r, n)) {
    if (progress) progress->step(), progress->step(), progress->step();
    return true;
  }
  std::unique_ptr<Cell[]> cells(new (std::nothrow) Cell[kCells]);
  if (!cells) return false;
  for (int y = r.y; y < r.bottom(); ++y) {
    const Pixel* s = src.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      Pixel p = s[x];
      if (!alphaOf(p)) continue;
      Cell& c = cells[cellIndex(p)];
      ++c.count, c.r += redOf(p), c.g += greenOf(p), c.b += blueOf(p);
    }
  }
  if (progress) progress->step();
  std::vector<Pixel> palette = buildPalette(cells.get(), n);
  if (progress) progress->step();
  // Nearest palette entry per 6-bit cell, looked up at the cell's own mean.
  std::vector<int16_t> map(kCells, -1);
  for (int i = 0; i < kCells; ++i) {
    const Cell& c = cells[i];
    if (c.count) map[size_t(i)] = int16_t(nearest(palette, int(c.r / c.count), int(c.g / c.count), int(c.b / c.count)));
  }
  forRows(r.y, r.bottom(), r.w, nullptr, [&](int y) {
    const Pixel* s = src.row(y);
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x)
      if (alphaOf(s[x])) d[x] = (s[x] & 0xFF000000u) | palette[size_t(map[size_t(cellIndex(s[x]))])];
  });
  if (progress) progress->step();
  return true;
}

}  // namespace tessel
