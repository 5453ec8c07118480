#include "image/band_copy.h"

#include <algorithm>
#include <cstring>

namespace tessel {

bool BandCopy::start(const Image32& source, Image32& copy) {
  active_ = false;
  if (!source.valid() || !copy.valid() || source.width() != copy.width() ||
      source.height() != copy.height())
    return false;
  // Give back what the last copy took, when it was this same buffer.
  if (copy_ == &copy && copyTop_ == copy.top() && width_ == copy.width() && height_ == copy.height()) {
    const int bands = int(ready_.size());
    for (int b = 0; b < bands;) {
      if (!ready_[b]) { ++b; continue; }
      int e = b;
      while (e < bands && ready_[e]) ++e;
      copy.releaseRows(b * kBandRows, std::min(e * kBandRows, height_));
      b = e;
    }
  }
  source_ = &source;
  return begin(copy);
}

bool BandCopy::startFill(Image32& image, Pixel value) {
  active_ = false;
  if (!image.valid()) return false;
  image.releaseRows(0, image.height());
  source_ = nullptr;
  value_ = value;
  return begin(image);
}

bool BandCopy::begin(Image32& copy) {
  copy_ = &copy;
  copyTop_ = copy.top();
  width_ = copy.width();
  height_ = copy.height();
  ready_.assign(size_t((height_ + kBandRows - 1) / kBandRows), 0);
  active_ = true;
  return true;
}

void BandCopy::prepare(const Rect& rect) {
  if (!active_) return;
  const Rect r = rect.intersected({0, 0, width_, height_});
  if (r.empty()) return;
  for (int b = r.y / kBandRows, last = (r.y + r.h - 1) / kBandRows; b <= last; ++b) {
    if (ready_[size_t(b)]) continue;
    const int y0 = b * kBandRows, y1 = std::min(y0 + kBandRows, height_);
    // Rows lie bottom-up: the band is one block starting at its last row.
    const size_t pixels = size_t(y1 - y0) * size_t(width_);
    if (source_) std::memcpy(copy_->row(y1 - 1), source_->row(y1 - 1), pixels * 4);
    else std::fill_n(copy_->row(y1 - 1), pixels, value_);
    ready_[size_t(b)] = 1;
  }
}

int BandCopy::bandsCopied() const { return int(std::count(ready_.begin(), ready_.end(), uint8_t(1))); }

}  // namespace tessel
