#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/geometry.h"

namespace tessel {

// Alpha-weighted accumulator: sums of B*a, G*a, R*a and of a.
struct AlphaSums {
  int64_t b = 0, g = 0, r = 0, a = 0;
};
struct AlphaSumsF {
  double b = 0, g = 0, r = 0, a = 0;
};

// 32-bit pixel buffer. Rows lie bottom-up in memory with no padding (pitch is
// width * 4); row 0 is the top of the picture and the last row in memory.
// Pixels are 0xAARRGGBB words (bytes B, G, R, A), not premultiplied.
class Image32 {
 public:
  Image32() = default;
  Image32(const Image32&) = delete;
  Image32& operator=(const Image32&) = delete;
  Image32(Image32&& o) noexcept { swap(o); }
  Image32& operator=(Image32&& o) noexcept {
    Image32 t(std::move(o));
    swap(t);
    return *this;
  }
  ~Image32() = default;

  // New pixels are all zero. On failure (width or height <= 0, more than
  // kMaxImagePixels pixels, out of memory) the buffer is empty and false
  // returned, also when it held an image before.
  bool create(int width, int height);
  // False when there was nothing to free.
  bool destroy();
  void swap(Image32& o) noexcept;

  bool valid() const { return mem_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  Rect bounds() const { return {0, 0, width_, height_}; }
  size_t byteSize() const { return size_t(width_) * size_t(height_) * 4; }

  // First byte of pixel memory: the bottom row.
  uint8_t* bits() { return reinterpret_cast<uint8_t*>(mem_.get()); }
  const uint8_t* bits() const { return reinterpret_cast<const uint8_t*>(mem_.get()); }
  // First pixel of row 0; each row further down lies width pixels earlier.
  Pixel* top() { return top_; }
  const Pixel* top() const { return top_; }
  Pixel* row(int y) { return top_ - ptrdiff_t(y) * width_; }
  const Pixel* row(int y) const { return top_ - ptrdiff_t(y) * width_; }
  // Signed step in pixels from one row to the next one down.
  ptrdiff_t rowStep() const { return -ptrdiff_t(width_); }

  Pixel* pixelAddress(int x, int y);          // null outside
  Pixel* pixelAddressClamped(int x, int y);   // null only for an empty buffer
  Pixel getPixel(int x, int y) const;          // 0xFFFFFFFF outside
  Pixel getPixelClamped(int x, int y) const;   // 0xFFFFFFFF for an empty buffer
  Pixel at(int x, int y) const { return row(y)[x]; }   // unchecked
  void set(int x, int y, Pixel p) { row(y)[x] = p; }   // unchecked
  void clearPixel(int x, int y);

  void fill(Pixel value);
  void fillRect(int x, int y, int w, int h, Pixel value);                     // unchecked
  void fillChecker(int x, int y, int w, int h, Pixel colour0, Pixel colour1);  // unchecked
  void copyFrom(const Image32& other);   // same size; does nothing otherwise
  // Gives the memory pages wholly inside rows y0..y1-1 back to the system; the
  // pixels of those rows are unspecified afterwards (zero where a page went).
  void releaseRows(int y0, int y1);
  // Backs the buffer with small pages (or again with large ones) from the next
  // touch on: a buffer filled piece by piece keeps its memory to the pieces,
  // where a 2 MB page is committed whole at its first touch.
  void preferSmallPages(bool small);
  // Clipped copy of src's w x h rectangle at (sx, sy) to (dx, dy) (five clipping
  // steps). src may be this buffer, the areas may overlap.
  void blit(int dx, int dy, int w, int h, const Image32& src, int sx, int sy);
  // fill(kTransparent), then other blitted to (0, 0). Does nothing for itself.
  void setFrom(const Image32& other);
  void setAlphaRect(int x, int y, int w, int h, uint8_t alpha);  // unchecked
  void normaliseTransparent();

  // Appends the 24-bit colours not yet in out, in memory order (bottom row
  // first), until out holds max colours.
  void collectColours(std::vector<uint32_t>& out, size_t max) const;
  void luminanceHistogram(int32_t counts[256]) const;

  static Pixel averageToPixel(const AlphaSums& sums, int samples);
  static Pixel averageToPixel(const AlphaSumsF& sums, int samples);

  // Bilinear sample at a 24.8 fixed-point position. Edge mode 0: outside gives
  // false; 1: clamp; 2: wrap once, then clamp. An empty buffer gives false.
  // out is untouched whenever false is returned.
  bool sampleBilinear(int fx, int fy, Pixel& out, int edgeMode) const;

 private:
  struct FreeMemory {
    void operator()(Pixel* p) const;
  };
  std::unique_ptr<Pixel[], FreeMemory> mem_;
  Pixel* top_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace tessel
