#include "formats/png_memory_writer.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "formats/png_codec.h"

namespace tessel {

namespace {

void putBE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
}

// Writes length, type and the CRC around data already at p + 8.
uint8_t* finishChunk(uint8_t* p, const char* type, uint32_t length) {
  putBE32(p, length);
  std::memcpy(p + 4, type, 4);
  putBE32(p + 8 + length, uint32_t(libdeflate_crc32(0, p + 4, size_t(length) + 4)));
  return p + 12 + length;
}

// A byte as a signed value, without sign: the usual measure of how well a
// filtered row will compress, summed over the row.
inline unsigned magnitude(uint8_t b) { return std::min<uint8_t>(b, uint8_t(-b)); }

// One row: pixels to RGBA (or RGB) bytes in cur, then filtered into out
// (filter byte first) against prev, the row above in the same bytes. The
// three sums are taken in one pass and only the chosen filter is written.
void filterRow(const Pixel* pixels, int width, size_t bpp, uint8_t* cur, const uint8_t* prev, uint8_t* out) {
  const size_t n = size_t(width) * bpp;
  if (bpp == 4) {
    for (int x = 0; x < width; ++x) {
      const uint32_t v = pixels[x];   // bytes B, G, R, A in memory
      const uint32_t rgba = (v & 0xFF00FF00u) | (v >> 16 & 0xFFu) | (v & 0xFFu) << 16;
      std::memcpy(cur + 4 * size_t(x), &rgba, 4);
    }
  } else {
    for (int x = 0; x < width; ++x) {
      const uint32_t v = pixels[x];
      uint8_t* c = cur + 3 * size_t(x);
      c[0] = uint8_t(v >> 16), c[1] = uint8_t(v >> 8), c[2] = uint8_t(v);
    }
  }
  if (std::memcmp(cur, prev, n) == 0) {   // a row like the one above: Up leaves zeros
    out[0] = 2;
    std::memset(out + 1, 0, n);
    return;
  }
  unsigned none = 0, up = 0, sub = 0;
  for (size_t i = 0; i < bpp; ++i) {
    none += magnitude(cur[i]), up += magnitude(uint8_t(cur[i] - prev[i])), sub += magnitude(cur[i]);
  }
  for (size_t i = bpp; i < n; ++i) {
    none += magnitude(cur[i]);
    up += magnitude(uint8_t(cur[i] - prev[i]));
    sub += magnitude(uint8_t(cur[i] - cur[i - bpp]));
  }
  uint8_t* o = out + 1;
  if (up <= sub && up <= none) {
    out[0] = 2;
    for (size_t i = 0; i < n; ++i) o[i] = uint8_t(cur[i] - prev[i]);
  } else if (sub <= none) {
    out[0] = 1;
    std::memcpy(o, cur, bpp);
    for (size_t i = bpp; i < n; ++i) o[i] = uint8_t(cur[i] - cur[i - bpp]);
  } else {
    out[0] = 0;
    std::memcpy(o, cur, n);
  }
}

constexpr size_t kHead = 8 + 25 + 8, kTail = 4 + 12;   // signature, IHDR, IDAT's head; CRC, IEND

}  // namespace

PngMemoryWriter::PngMemoryWriter(int level) : compressor_(libdeflate_alloc_compressor(level)) {}

PngMemoryWriter::~PngMemoryWriter() {
  if (compressor_) libdeflate_free_compressor(compressor_);
}

bool PngMemoryWriter::reserve(std::unique_ptr<uint8_t[]>& buffer, size_t& capacity, size_t size) {
  if (size <= capacity) return true;
  buffer.reset();
  buffer.reset(new (std::nothrow) uint8_t[size]);
  capacity = buffer ? size : 0;
  return buffer != nullptr;
}

bool PngMemoryWriter::encode(int width, int height, const std::function<const Pixel*(int)>& rowAt, bool rgb) {
  size_ = 0;
  if (!compressor_ || width < 1 || height < 1) return false;
  const size_t bpp = rgb ? 3 : 4;
  const size_t n = size_t(width) * bpp;
  const size_t rawSize = (n + 1) * size_t(height);
  const size_t bound = libdeflate_zlib_compress_bound(compressor_, rawSize);
  if (!reserve(raw_, rawCapacity_, rawSize) || !reserve(out_, outCapacity_, kHead + bound + kTail) ||
      !reserve(rows_, rowsCapacity_, 2 * n))
    return false;
  uint8_t* cur = rows_.get();
  uint8_t* prev = cur + n;
  std::memset(prev, 0, n);   // the row above the first is zero
  for (int y = 0; y < height; ++y) {
    const Pixel* pixels = rowAt(y);
    if (!pixels) return false;
    filterRow(pixels, width, bpp, cur, prev, raw_.get() + (n + 1) * size_t(y));
    std::swap(cur, prev);
  }

  uint8_t* p = out_.get();
  std::memcpy(p, kPngSignature, 8);
  uint8_t* ihdr = p + 16;
  putBE32(ihdr, uint32_t(width));
  putBE32(ihdr + 4, uint32_t(height));
  // 8 bits, RGBA or RGB, deflate, adaptive filters, not interlaced
  const uint8_t rest[5] = {8, uint8_t(rgb ? 2 : 6), 0, 0, 0};
  std::memcpy(ihdr + 8, rest, 5);
  uint8_t* idat = finishChunk(p + 8, "IHDR", 13);
  const size_t packed = libdeflate_zlib_compress(compressor_, raw_.get(), rawSize, idat + 8, bound);
  if (packed == 0 || packed > 0x7FFFFFFFu) return false;
  uint8_t* iend = finishChunk(idat, "IDAT", uint32_t(packed));
  size_ = size_t(finishChunk(iend, "IEND", 0) - p);
  return true;
}

bool PngMemoryWriter::encode(const Image32& image, const Rect& r, bool rgbWhenOpaque) {
  if (!image.valid() || r.empty() || r.intersected(image.bounds()) != r) return false;
  bool rgb = rgbWhenOpaque;
  for (int y = 0; rgb && y < r.h; ++y) {
    const Pixel* row = image.row(r.y + y) + r.x;
    Pixel all = 0xFF000000u;
    for (int x = 0; x < r.w; ++x) all &= row[x];
    rgb = all == 0xFF000000u;
  }
  return encode(r.w, r.h, [&](int y) { return image.row(r.y + y) + r.x; }, rgb);
}

}  // namespace tessel
