// Temporary stand-in for the Image32 members the compositors and their tests
// use, until the real image32.cpp lands. Drop this file when merging it.
#include <algorithm>
#include <new>

#include "image/image32.h"

namespace tessel {

bool Image32::create(int width, int height) {
  destroy();
  if (width <= 0 || height <= 0) return false;
  size_t n = size_t(width) * size_t(height);
  mem_.reset(new (std::nothrow) Pixel[n]());
  if (!mem_) return false;
  width_ = width;
  height_ = height;
  top_ = mem_.get() + (n - size_t(width));
  return true;
}

bool Image32::destroy() {
  if (!mem_) return false;
  mem_.reset();
  top_ = nullptr;
  width_ = height_ = 0;
  return true;
}

void Image32::swap(Image32& o) noexcept {
  std::swap(mem_, o.mem_);
  std::swap(top_, o.top_);
  std::swap(width_, o.width_);
  std::swap(height_, o.height_);
}

Pixel* Image32::pixelAddress(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  return row(y) + x;
}

Pixel Image32::getPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kOpaqueWhite;
  return row(y)[x];
}

void Image32::fill(Pixel value) { std::fill_n(mem_.get(), size_t(width_) * size_t(height_), value); }

void Image32::fillRect(int x, int y, int w, int h, Pixel value) {
  for (int j = 0; j < h; ++j) std::fill_n(row(y + j) + x, w, value);
}

void Image32::fillChecker(int x, int y, int w, int h, Pixel colour0, Pixel colour1) {
  for (int j = y; j < y + h; ++j) {
    Pixel* p = row(j);
    for (int i = x; i < x + w; ++i) p[i] = (((i >> 3) ^ (j >> 3)) & 1) ? colour1 : colour0;
  }
}

void Image32::copyFrom(const Image32& other) {
  std::copy_n(other.mem_.get(), size_t(width_) * size_t(height_), mem_.get());
}

}  // namespace tessel
