#include "formats/thumbnail_sink.h"

#include <algorithm>
#include <cstdint>

namespace tessel {

namespace {

// The source span [first, last) that output cell i of n covers out of size.
void span(int i, int n, int size, int& first, int& last) {
  first = int(int64_t(i) * size / n);
  last = std::max(first + 1, int(int64_t(i + 1) * size / n));
}

}  // namespace

bool ThumbnailSink::begin(int width, int height, int side) {
  srcW_ = srcH_ = outW_ = outH_ = 0;
  if (width < 1 || height < 1 || side < 1) return false;
  int w = width, h = height;
  if (w > side || h > side) {
    if (width >= height) {
      w = side;
      h = std::max(1, int(int64_t(height) * side / width));
    } else {
      h = side;
      w = std::max(1, int(int64_t(width) * side / height));
    }
  }
  rowTarget_.assign(size_t(height), -1);
  for (int oy = 0; oy < h; ++oy) {
    int y0, y1;
    span(oy, h, height, y0, y1);
    const int step = std::max(1, (y1 - y0) / 4);
    for (int y = y0; y < y1; y += step) rowTarget_[size_t(y)] = oy;
  }
  columns_.clear();
  for (int ox = 0; ox < w; ++ox) {
    int x0, x1;
    span(ox, w, width, x0, x1);
    const int step = std::max(1, (x1 - x0) / 4);
    for (int x = x0; x < x1; x += step) columns_.push_back({x, ox});
  }
  sums_.assign(size_t(w) * size_t(h) * 4, 0);
  srcW_ = width;
  srcH_ = height;
  outW_ = w;
  outH_ = h;
  return true;
}

void ThumbnailSink::addRow(int y, const Pixel* row) {
  if (!wantsRow(y)) return;
  uint32_t* cells = sums_.data() + size_t(rowTarget_[size_t(y)]) * size_t(outW_) * 4;
  for (const Column& c : columns_) {
    const Pixel p = row[c.source];
    const uint32_t a = p >> 24;
    uint32_t* cell = cells + size_t(c.target) * 4;
    // Over white.
    cell[0] += (((p >> 16) & 0xFF) * a + 255 * (255 - a)) / 255;
    cell[1] += (((p >> 8) & 0xFF) * a + 255 * (255 - a)) / 255;
    cell[2] += ((p & 0xFF) * a + 255 * (255 - a)) / 255;
    cell[3] += 1;
  }
}

bool ThumbnailSink::finish(Image32& out) const {
  if (outW_ < 1 || !out.create(outW_, outH_)) return false;
  for (int y = 0; y < outH_; ++y) {
    Pixel* dst = out.row(y);
    const uint32_t* cell = sums_.data() + size_t(y) * size_t(outW_) * 4;
    for (int x = 0; x < outW_; ++x, cell += 4) {
      const uint32_t n = std::max<uint32_t>(cell[3], 1);
      dst[x] = 0xFF000000u | (cell[0] / n) << 16 | (cell[1] / n) << 8 | cell[2] / n;
    }
  }
  return true;
}

bool ThumbnailSink::shrink(const Image32& image, int side, Image32& out) {
  ThumbnailSink sink;
  if (!sink.begin(image.width(), image.height(), side)) return false;
  for (int y = 0; y < image.height(); ++y)
    if (sink.wantsRow(y)) sink.addRow(y, image.row(y));
  return sink.finish(out);
}

}  // namespace tessel
