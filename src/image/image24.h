#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "image/geometry.h"

namespace tessel {

class Image32;

// Colour value that setPixel and line take to mean "complement the pixel".
constexpr uint32_t kInvertColour = 0x80000000u;

// 24-bit buffer for panel pictures and packed resource images. Rows lie
// bottom-up in memory, each padded to a multiple of 4 bytes; bytes B, G, R.
// Colours are 0x00RRGGBB.
class TiledImage;

class Image24 {
 public:
  Image24() = default;
  Image24(const Image24&) = delete;
  Image24& operator=(const Image24&) = delete;
  Image24(Image24&& o) noexcept { swap(o); }
  Image24& operator=(Image24&& o) noexcept {
    Image24 t(std::move(o));
    swap(t);
    return *this;
  }

  // New pixels (and padding) are zero. On failure (width or height <= 0, more
  // than kMaxImagePixels pixels, out of memory) the buffer is empty.
  bool create(int width, int height);
  bool destroy();   // false when there was nothing to free
  void swap(Image24& o) noexcept;

  // Packed record: u16 width, u16 height, u32 length, then a zlib stream of
  // exactly height * pitch bytes (the pixel memory, bottom row first). Bytes
  // after the declared length are ignored. Any malformed record (short header,
  // length beyond the record, zero size, a stream that is corrupt or inflates
  // to another size) gives false and an empty buffer.
  bool createFromPacked(std::span<const uint8_t> record);
  // False (and empty) unless the rectangle lies inside src; src may be this.
  bool createFromPart(const Image24& src, int sx, int sy, int w, int h);

  bool valid() const { return mem_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  int pitch() const { return pitch_; }
  static int pitchFor(int width) { return (width * 3 + 3) & ~3; }
  size_t byteSize() const { return size_t(pitch_) * size_t(height_); }
  uint8_t* bits() { return mem_.get(); }
  const uint8_t* bits() const { return mem_.get(); }
  uint8_t* row(int y) { return top_ - ptrdiff_t(y) * pitch_; }
  const uint8_t* row(int y) const { return top_ - ptrdiff_t(y) * pitch_; }

  void fill(uint32_t colour);
  uint32_t getPixel(int x, int y) const;        // 0 outside
  void setPixel(int x, int y, uint32_t colour);  // clipped; kInvertColour inverts
  void setPixelUnchecked(int x, int y, uint32_t colour);
  void line(int x1, int y1, int x2, int y2, uint32_t colour);
  void hLine(int x, int y, int length, uint32_t colour);   // unchecked
  void vLine(int x, int y, int length, uint32_t colour);   // unchecked
  void frameRect(int x, int y, int w, int h, uint32_t colour);
  void frameRectUnchecked(int x, int y, int w, int h, uint32_t colour);
  // Cut to the buffer on all four sides.
  void fillRect(int x, int y, int w, int h, uint32_t colour);
  void fillChecker(int x, int y, int w, int h, uint32_t colour0, uint32_t colour1);  // unchecked
  // Unchecked; src may be this buffer, the areas may overlap.
  void blit(int dx, int dy, const Image24& src, int sx, int sy, int w, int h);
  // Clipped to this buffer; rows whose source position lies below src (h too
  // large for src's aspect ratio) are left as they are.
  void drawImage32Scaled(int dx, int dy, int w, int h, const Image32& src);
  void drawTilesScaled(int dx, int dy, int w, int h, const TiledImage& src);   // the same from tiles
  // 1-bit image, top row first, rows padded to whole bytes, most significant
  // bit first; set bits go through setPixel (clipped, kInvertColour inverts).
  void drawBitmap1(int dx, int dy, uint32_t colour, const uint8_t* bits, int w, int h);
  void drawDiscPreview(int radius);
  // value is clamped to 0..999; cells are clipped to this buffer.
  void drawNumber(int dx, int dy, int value, const Image24& digits);
  void replaceOtherColours(int x, int y, int w, int h, uint32_t keep, uint32_t colour);  // unchecked
  // Texture: u16 width, u16 height (little-endian), then width*height bytes,
  // top row first, tiled from (x, y). Cut to the buffer on all sides; a texture of zero width or height draws nothing.
  // Returns the number of rows drawn (rows of the rectangle inside the buffer).
  int fillTexture(int x, int y, int w, int h, const uint8_t* texture, bool tint);

 private:
  template <class RowsAt>
  void drawScaled(int dx, int dy, int w, int h, int sw, int sh, RowsAt rowsAt);
  std::unique_ptr<uint8_t[]> mem_;
  uint8_t* top_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int pitch_ = 0;
};

}  // namespace tessel
