#include "formats/gif_quantiser.h"

#include <algorithm>
#include <new>

namespace tessel {

namespace {

struct Cell {
  float c[3];       // mean red, green, blue
  uint32_t count;
  int index;        // histogram cell
};

struct Box {
  Cell* begin;
  Cell* end;
  double error = 0;   // count-weighted squared spread
  int axis = 0;
};

void measure(Box& box) {
  double n = 0, s[3] = {}, q[3] = {};
  for (Cell* p = box.begin; p != box.end; ++p)
    for (int a = 0; a < 3; ++a) {
      s[a] += double(p->count) * p->c[a];
      q[a] += double(p->count) * p->c[a] * p->c[a];
    }
  for (Cell* p = box.begin; p != box.end; ++p) n += p->count;
  box.error = 0;
  double best = -1;
  for (int a = 0; a < 3; ++a) {
    const double spread = q[a] - s[a] * s[a] / n;
    box.error += spread;
    if (spread > best) {
      best = spread;
      box.axis = a;
    }
  }
  if (box.end - box.begin < 2) box.error = 0;
}

// Splits at the weighted median along the box's widest axis.
Box split(Box& box) {
  const int a = box.axis;
  std::sort(box.begin, box.end, [a](const Cell& x, const Cell& y) { return x.c[a] < y.c[a]; });
  double total = 0;
  for (Cell* p = box.begin; p != box.end; ++p) total += p->count;
  double run = 0;
  Cell* cut = box.begin + 1;
  for (Cell* p = box.begin; p != box.end - 1; ++p) {
    run += p->count;
    cut = p + 1;
    if (run * 2 >= total) break;
  }
  Box upper{cut, box.end};
  box.end = cut;
  measure(box);
  measure(upper);
  return upper;
}

int nearest(const float (*centres)[3], int count, const float c[3]) {
  int best = 0;
  float bestDistance = 1e30f;
  for (int i = 0; i < count; ++i) {
    const float dr = centres[i][0] - c[0], dg = centres[i][1] - c[1], db = centres[i][2] - c[2];
    const float d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

bool ColourQuantiser::build(const Image32& image) {
  std::unique_ptr<uint32_t[]> hist(new (std::nothrow) uint32_t[size_t(kCells) * 4]());
  cellColour_.reset(new (std::nothrow) uint8_t[kCells]());
  if (!hist || !cellColour_) return false;
  const Pixel* p = reinterpret_cast<const Pixel*>(image.bits());
  const size_t n = size_t(image.width()) * size_t(image.height());
  for (size_t i = 0; i < n; ++i) {
    uint32_t* h = &hist[size_t(cellOf(p[i])) * 4];
    h[0] += 1;
    h[1] += p[i] >> 16 & 3;
    h[2] += p[i] >> 8 & 3;
    h[3] += p[i] & 7;
  }
  size_t used = 0;
  for (int i = 0; i < kCells; ++i) used += hist[size_t(i) * 4] != 0;
  std::unique_ptr<Cell[]> cells(new (std::nothrow) Cell[used ? used : 1]);
  if (!cells) return false;
  size_t k = 0;
  for (int i = 0; i < kCells; ++i) {
    const uint32_t* h = &hist[size_t(i) * 4];
    if (!h[0]) continue;
    const float count = float(h[0]);
    cells[k++] = {{float((i >> 11) << 2) + float(h[1]) / count, float((i >> 5 & 63) << 2) + float(h[2]) / count,
                   float((i & 31) << 3) + float(h[3]) / count},
                  h[0], i};
  }
  // Median cut: always split the box with the largest spread.
  Box boxes[256];
  int boxCount = 1;
  boxes[0] = {cells.get(), cells.get() + used};
  measure(boxes[0]);
  while (boxCount < 256) {
    int worst = 0;
    for (int b = 1; b < boxCount; ++b)
      if (boxes[b].error > boxes[worst].error) worst = b;
    if (boxes[worst].error <= 0) break;
    boxes[boxCount++] = split(boxes[worst]);
  }
  float centres[256][3];
  for (int b = 0; b < boxCount; ++b) {
    double s[3] = {}, total = 0;
    for (Cell* c = boxes[b].begin; c != boxes[b].end; ++c) {
      total += c->count;
      for (int a = 0; a < 3; ++a) s[a] += double(c->count) * c->c[a];
    }
    for (int a = 0; a < 3; ++a) centres[b][a] = total > 0 ? float(s[a] / total) : 0.f;
  }
  // k-means refinement over the weighted cells.
  for (int pass = 0; pass < 3; ++pass) {
    double sums[256][4] = {};
    for (size_t i = 0; i < used; ++i) {
      const int c = nearest(centres, boxCount, cells[i].c);
      for (int a = 0; a < 3; ++a) sums[c][a] += double(cells[i].count) * cells[i].c[a];
      sums[c][3] += cells[i].count;
    }
    for (int c = 0; c < boxCount; ++c)
      if (sums[c][3] > 0)
        for (int a = 0; a < 3; ++a) centres[c][a] = float(sums[c][a] / sums[c][3]);
  }
  count_ = boxCount;
  for (int c = 0; c < boxCount; ++c) {
    uint32_t v = 0;
    for (int a = 0; a < 3; ++a) v = v << 8 | uint32_t(std::clamp(int(centres[c][a] + 0.5f), 0, 255));
    colours_[c] = v;
  }
  for (size_t i = 0; i < used; ++i) cellColour_[cells[i].index] = uint8_t(nearest(centres, boxCount, cells[i].c));
  return true;
}

}  // namespace tessel
