#include "undo/undo_rle.h"

#include <algorithm>
#include <cstring>

#include "image/image32.h"

namespace tessel {
namespace {

constexpr size_t kMaxRun = 255;

inline bool opaque(Pixel p) { return (p >> 24) != 0; }

// Bytes of a finished transparent stretch of length run: one 0, n pair per
// started 255 pixels.
inline size_t runBytes(size_t run) { return 2 * ((run + kMaxRun - 1) / kMaxRun); }

inline uint8_t* writeRun(uint8_t* out, size_t run) {
  for (; run >= kMaxRun; run -= kMaxRun) {
    out[0] = 0;
    out[1] = uint8_t(kMaxRun);
    out += 2;
  }
  if (run) {
    out[0] = 0;
    out[1] = uint8_t(run);
    out += 2;
  }
  return out;
}

// A, R, G, B is the pixel word read big-endian.
inline uint8_t* writePixels(uint8_t* out, const Pixel* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t v = __builtin_bswap32(p[i]);
    std::memcpy(out + 4 * i, &v, 4);
  }
  return out + 4 * n;
}

}  // namespace

size_t rleEncodedSize(const Image32& image, const Rect& rect) {
  size_t size = 0;
  size_t run = 0;
  for (int y = rect.y; y < rect.bottom(); ++y) {
    const Pixel* p = image.row(y) + rect.x;
    const Pixel* end = p + rect.w;
    while (p < end) {
      const Pixel* start = p;
      if (opaque(*p)) {
        while (p < end && opaque(*p)) ++p;
        size += runBytes(run) + 4 * size_t(p - start);
        run = 0;
      } else {
        while (p < end && !opaque(*p)) ++p;
        run += size_t(p - start);
      }
    }
  }
  return size + runBytes(run);
}

size_t rleEncode(const Image32& image, const Rect& rect, uint8_t* out) {
  uint8_t* o = out;
  size_t run = 0;
  for (int y = rect.y; y < rect.bottom(); ++y) {
    const Pixel* p = image.row(y) + rect.x;
    const Pixel* end = p + rect.w;
    while (p < end) {
      const Pixel* start = p;
      if (opaque(*p)) {
        while (p < end && opaque(*p)) ++p;
        o = writeRun(o, run);
        run = 0;
        o = writePixels(o, start, size_t(p - start));
      } else {
        while (p < end && !opaque(*p)) ++p;
        run += size_t(p - start);
      }
    }
  }
  o = writeRun(o, run);
  return size_t(o - out);
}

namespace {

// Destination cursor walking the rectangle row by row.
struct RectCursor {
  Image32& image;
  const Rect& rect;
  int y;
  Pixel* p;
  Pixel* end;

  RectCursor(Image32& img, const Rect& r)
      : image(img), rect(r), y(r.y), p(img.row(r.y) + r.x), end(p + r.w) {}
  // Moves on to the next row when the current one is full; false past the last.
  bool ensureRoom() {
    if (p < end) return true;
    if (y + 1 >= rect.bottom()) return false;
    ++y;
    p = image.row(y) + rect.x;
    end = p + rect.w;
    return true;
  }
  bool full() const { return p == end && y + 1 >= rect.bottom(); }
};

}  // namespace

bool rleDecode(const uint8_t* data, size_t size, Image32& image, const Rect& rect) {
  if (rect.empty()) return size == 0;
  RectCursor cur(image, rect);
  size_t pos = 0;
  while (pos < size) {
    if (!cur.ensureRoom()) return false;   // more data than pixels
    if (data[pos] != 0) {
      size_t avail = std::min(size_t(cur.end - cur.p), (size - pos) / 4);
      size_t k = 0;
      for (; k < avail && data[pos] != 0; ++k, pos += 4) {
        uint32_t v;
        std::memcpy(&v, data + pos, 4);
        cur.p[k] = __builtin_bswap32(v);
      }
      if (k == 0) return false;   // a pixel cut short
      cur.p += k;
      continue;
    }
    if (pos + 2 > size || data[pos + 1] == 0) return false;
    size_t run = data[pos + 1];
    pos += 2;
    while (run > 0) {
      if (!cur.ensureRoom()) return false;
      size_t k = std::min(run, size_t(cur.end - cur.p));
      std::fill_n(cur.p, k, kTransparent);
      cur.p += k;
      run -= k;
    }
  }
  return cur.full();
}

}  // namespace tessel
