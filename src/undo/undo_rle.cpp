#include "undo/undo_rle.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "image/image32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel {
namespace {

constexpr unsigned kMaxRun = 255;
constexpr int kChunk = 8;
// Room a branch-free chunk may touch past the output position.
constexpr size_t kChunkSlack = 64;

// Bit k set when pixel k of the eight is fully transparent.
inline unsigned clearMask(const Pixel* p) {
#if defined(__SSE2__)
  const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
  const __m128i zero = _mm_setzero_si128();
  __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4));
  lo = _mm_cmpeq_epi32(_mm_and_si128(lo, alpha), zero);
  hi = _mm_cmpeq_epi32(_mm_and_si128(hi, alpha), zero);
  return unsigned(_mm_movemask_ps(_mm_castsi128_ps(lo))) |
         unsigned(_mm_movemask_ps(_mm_castsi128_ps(hi))) << 4;
#else
  unsigned m = 0;
  for (int k = 0; k < kChunk; ++k) m |= unsigned((p[k] >> 24) == 0) << k;
  return m;
#endif
}

// Bit counts of a byte; the baseline x86-64 target has no popcount instruction.
constexpr auto kBitCount = [] {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[size_t(i)] = uint8_t(std::popcount(unsigned(i)));
  return t;
}();

// Counting walk. A 0, n pair starts at the first clear pixel of a stretch and
// after every 255 clear pixels; r is the length of the pair being filled
// (0 after a visible pixel).
struct SizeWalk {
  size_t visible = 0;
  size_t pairs = 0;
  unsigned r = 0;

  void pixel(Pixel p) {
    unsigned clear = (p >> 24) == 0;
    unsigned start = clear & unsigned(r == 0 || r == kMaxRun);
    r = clear * (start ? 1u : r + 1);
    pairs += start;
    visible += clear ^ 1u;
  }
  // Eight at once while no pair can fill up inside them.
  void chunk(const Pixel* p) {
    if (r > kMaxRun - kChunk) {
      for (int k = 0; k < kChunk; ++k) pixel(p[k]);
      return;
    }
    unsigned m = clearMask(p);
    unsigned clearBefore = ((m << 1) | unsigned(r != 0)) & 0xFFu;
    pairs += kBitCount[m & ~clearBefore];
    visible += unsigned(kChunk) - kBitCount[m];
    unsigned trailing = unsigned(std::countl_one(uint8_t(m)));
    r = m == 0xFFu ? r + kChunk : trailing;
  }
};

// Writing walk; r is the pending run, flushed at 255, before a visible pixel
// and at the end.
struct EncodeWalk {
  uint8_t* o;
  unsigned r = 0;

  void flush() {
    if (r) {
      o[0] = 0;
      o[1] = uint8_t(r);
      o += 2;
      r = 0;
    }
  }
  void pixel(Pixel p) {
    if ((p >> 24) == 0) {
      if (++r == kMaxRun) flush();
      return;
    }
    flush();
    uint32_t v = __builtin_bswap32(p);   // A, R, G, B
    std::memcpy(o, &v, 4);
    o += 4;
  }
  // The same step without branches: both writes always happen and only the
  // position decides which of them count. Needs kChunkSlack bytes of room.
  void pixelFree(Pixel p) {
    unsigned clear = (p >> 24) == 0;
    unsigned next = r + 1;
    unsigned full = clear & unsigned(next == kMaxRun);
    unsigned flushNow = full | ((clear ^ 1u) & unsigned(r != 0));
    o[0] = 0;
    o[1] = uint8_t(clear ? kMaxRun : r);
    o += 2 * flushNow;
    uint32_t v = __builtin_bswap32(p);
    std::memcpy(o, &v, 4);
    o += 4 * (clear ^ 1u);
    r = clear * (full ? 0u : next);
  }
  void chunk(const Pixel* p, bool roomy) {
    unsigned m = clearMask(p);
    if (m == 0xFFu && r < kMaxRun - kChunk) {
      r += kChunk;
    } else if (m == 0) {
      flush();
      for (int k = 0; k < kChunk; ++k) {
        uint32_t v = __builtin_bswap32(p[k]);
        std::memcpy(o + 4 * k, &v, 4);
      }
      o += 4 * kChunk;
    } else if (roomy) {
      for (int k = 0; k < kChunk; ++k) pixelFree(p[k]);
    } else {
      for (int k = 0; k < kChunk; ++k) pixel(p[k]);
    }
  }
};

template <class Rows>
size_t encodedSize(const Rows& rows, const Rect& rect) {
  SizeWalk walk;
  for (int y = rect.y; y < rect.bottom(); ++y) {
    const Pixel* p = rows(y);
    int i = 0;
    for (; i + kChunk <= rect.w; i += kChunk) walk.chunk(p + i);
    for (; i < rect.w; ++i) walk.pixel(p[i]);
  }
  return 4 * walk.visible + 2 * walk.pairs;
}

template <class Rows>
size_t encode(const Rows& rows, const Rect& rect, uint8_t* out, size_t capacity) {
  EncodeWalk walk{out};
  uint8_t* end = out + capacity;
  for (int y = rect.y; y < rect.bottom(); ++y) {
    const Pixel* p = rows(y);
    int i = 0;
    for (; i + kChunk <= rect.w; i += kChunk) walk.chunk(p + i, size_t(end - walk.o) >= kChunkSlack);
    for (; i < rect.w; ++i) walk.pixel(p[i]);
  }
  walk.flush();
  return size_t(walk.o - out);
}

}  // namespace

size_t rleEncodedSize(const Image32& image, const Rect& rect) {
  return encodedSize([&](int y) { return image.row(y) + rect.x; }, rect);
}

size_t rleEncodedSize(const RleRows& rows, const Rect& rect) { return encodedSize(rows, rect); }

size_t rleEncode(const Image32& image, const Rect& rect, uint8_t* out, size_t capacity) {
  return encode([&](int y) { return image.row(y) + rect.x; }, rect, out, capacity);
}

size_t rleEncode(const RleRows& rows, const Rect& rect, uint8_t* out, size_t capacity) {
  return encode(rows, rect, out, capacity);
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
