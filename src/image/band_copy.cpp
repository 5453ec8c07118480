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
    const int bands = int(ready_.size()) / across_;
    for (int b = 0; b < bands;) {
      if (!bandTaken(b)) { ++b; continue; }
      int e = b;
      while (e < bands && bandTaken(e)) ++e;
      copy.releaseRows(b * kBandRows, std::min(e * kBandRows, height_));
      b = e;
    }
  }
  source_ = &source;
  return begin(copy, copy.width());
}

bool BandCopy::startFill(Image32& image, Pixel value) {
  active_ = false;
  if (!image.valid()) return false;
  image.releaseRows(0, image.height());
  // Small pages while the pieces are filled, so that memory follows them.
  image.preferSmallPages(true);
  source_ = nullptr;
  value_ = value;
  return begin(image, kFillColumns);
}

void BandCopy::finish() {
  // Whoever fills the image whole next gets large pages again where no piece
  // was filled: 4 KB page faults cost several times more.
  if (active_ && !source_ && copy_->top() == copyTop_) copy_->preferSmallPages(false);
  active_ = false;
}

bool BandCopy::begin(Image32& copy, int pieceW) {
  copy_ = &copy;
  copyTop_ = copy.top();
  width_ = copy.width();
  height_ = copy.height();
  pieceW_ = std::max(1, std::min(pieceW, width_));
  across_ = (width_ + pieceW_ - 1) / pieceW_;
  ready_.assign(size_t((height_ + kBandRows - 1) / kBandRows) * size_t(across_), 0);
  active_ = true;
  return true;
}

void BandCopy::prepare(const Rect& rect) {
  if (!active_) return;
  const Rect r = rect.intersected({0, 0, width_, height_});
  if (r.empty()) return;
  const int c0 = r.x / pieceW_, c1 = (r.x + r.w - 1) / pieceW_;
  for (int b = r.y / kBandRows, last = (r.y + r.h - 1) / kBandRows; b <= last; ++b) {
    const int y0 = b * kBandRows, y1 = std::min(y0 + kBandRows, height_);
    for (int c = c0; c <= c1; ++c) {
      uint8_t& ready = ready_[size_t(b) * size_t(across_) + size_t(c)];
      if (ready) continue;
      ready = 1;
      if (across_ == 1) {
        // Rows lie bottom-up: a whole band is one block starting at its last row.
        const size_t pixels = size_t(y1 - y0) * size_t(width_);
        if (source_) std::memcpy(copy_->row(y1 - 1), source_->row(y1 - 1), pixels * 4);
        else std::fill_n(copy_->row(y1 - 1), pixels, value_);
        continue;
      }
      const int x0 = c * pieceW_, n = std::min(pieceW_, width_ - x0);
      for (int y = y0; y < y1; ++y) {
        if (source_) std::memcpy(copy_->row(y) + x0, source_->row(y) + x0, size_t(n) * 4);
        else std::fill_n(copy_->row(y) + x0, n, value_);
      }
    }
  }
}

bool BandCopy::bandTaken(int band) const {
  const auto first = ready_.begin() + ptrdiff_t(band) * across_;
  return std::find(first, first + across_, uint8_t(1)) != first + across_;
}

int BandCopy::bandsCopied() const {
  int n = 0;
  for (int b = 0, bands = int(ready_.size()) / across_; b < bands; ++b) n += bandTaken(b);
  return n;
}

int BandCopy::piecesDone() const { return int(std::count(ready_.begin(), ready_.end(), uint8_t(1))); }

}  // namespace tessel
