#include "image/image32.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

namespace tessel {

namespace {

inline int clampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Canvas-sized buffers are touched whole soon after they are made; backing
// them with 2 MB pages before the first touch makes that many times cheaper
// where page faults are dear (virtual machines). Only a hint.
void adviseHugePages(void* memory, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t(2) << 20;
  if (bytes < 4 * kHuge) return;
  uintptr_t begin = (reinterpret_cast<uintptr_t>(memory) + kHuge - 1) & ~(kHuge - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(memory) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

// ---------------------------------------------------------------------------
// Lifetime

void Image32::FreeMemory::operator()(Pixel* p) const { std::free(p); }

bool Image32::create(int width, int height) {
  destroy();
  if (width <= 0 || height <= 0) return false;
  const uint64_t pixels = uint64_t(width) * uint64_t(height);
  if (pixels > uint64_t(kMaxImagePixels)) return false;

  // calloc: a large block comes straight from the system already zero, so its
  // pages cost nothing until they are first written (a stroke buffer that no
  // stroke has used yet takes no memory).
  std::unique_ptr<Pixel[], FreeMemory> mem(static_cast<Pixel*>(std::calloc(size_t(pixels), sizeof(Pixel))));
  if (!mem) return false;
  adviseHugePages(mem.get(), size_t(pixels) * sizeof(Pixel));
  mem_ = std::move(mem);
  width_ = width;
  height_ = height;
  top_ = mem_.get() + ptrdiff_t(height - 1) * width;   // row 0 is the last row in memory
  return true;
}

bool Image32::destroy() {
  if (!mem_) return false;
  mem_.reset();
  top_ = nullptr;
  width_ = 0;
  height_ = 0;
  return true;
}

void Image32::swap(Image32& o) noexcept {
  std::swap(mem_, o.mem_);
  std::swap(top_, o.top_);
  std::swap(width_, o.width_);
  std::swap(height_, o.height_);
}

// ---------------------------------------------------------------------------
// Pixel access

Pixel* Image32::pixelAddress(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  return top_ + x - ptrdiff_t(y) * width_;
}

Pixel* Image32::pixelAddressClamped(int x, int y) {
  if (!mem_) return nullptr;
  x = clampInt(x, 0, width_ - 1);
  y = clampInt(y, 0, height_ - 1);
  return top_ + x - ptrdiff_t(y) * width_;
}

Pixel Image32::getPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFFu;
  return top_[x - ptrdiff_t(y) * width_];
}

Pixel Image32::getPixelClamped(int x, int y) const {
  if (!mem_) return 0xFFFFFFFFu;
  x = clampInt(x, 0, width_ - 1);
  y = clampInt(y, 0, height_ - 1);
  return top_[x - ptrdiff_t(y) * width_];
}

void Image32::clearPixel(int x, int y) {
  if (Pixel* p = pixelAddress(x, y)) *p = kTransparent;
}

// ---------------------------------------------------------------------------
// Fills and copies

void Image32::fill(Pixel value) {
  if (mem_) std::fill_n(mem_.get(), size_t(width_) * size_t(height_), value);
}

void Image32::fillRect(int x, int y, int w, int h, Pixel value) {
  assert(x >= 0 && y >= 0 && w >= 1 && h >= 1 && x + w <= width_ && y + h <= height_);
  Pixel* p = row(y) + x;
  for (int j = 0; j < h; ++j, p -= width_) std::fill_n(p, w, value);
}

void Image32::fillChecker(int x, int y, int w, int h, Pixel colour0, Pixel colour1) {
  assert(x >= 0 && y >= 0 && w >= 1 && h >= 1 && x + w <= width_ && y + h <= height_);
  Pixel* r = row(y);
  for (int py = y; py < y + h; ++py, r -= width_) {
    const int yBit = (py >> 3) & 1;
    for (int px = x; px < x + w; ++px) r[px] = (((px >> 3) & 1) ^ yBit) == 0 ? colour0 : colour1;
  }
}

void Image32::copyFrom(const Image32& other) {
  assert(other.width_ == width_ && other.height_ == height_);
  if (&other == this || !mem_ || other.width_ != width_ || other.height_ != height_) return;
  std::memcpy(mem_.get(), other.mem_.get(), byteSize());
}

void Image32::releaseRows(int y0, int y1) {
  y0 = std::max(y0, 0), y1 = std::min(y1, height_);
  if (!mem_ || y1 <= y0) return;
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const auto first = reinterpret_cast<uintptr_t>(row(y1 - 1));
  const uintptr_t begin = (first + page - 1) & ~(page - 1);
  const uintptr_t end = (first + size_t(y1 - y0) * size_t(width_) * 4) & ~(page - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

void Image32::preferSmallPages(bool small) {
  if (!mem_) return;
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const auto first = reinterpret_cast<uintptr_t>(mem_.get());
  const uintptr_t begin = (first + page - 1) & ~(page - 1);
  const uintptr_t end = (first + size_t(width_) * size_t(height_) * 4) & ~(page - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, small ? MADV_NOHUGEPAGE : MADV_HUGEPAGE);
}

void Image32::blit(int dx, int dy, int w, int h, const Image32& src, int sx, int sy) {
  // The five clipping steps, in 64-bit so that no sum overflows.
  int64_t W = w, H = h;
  // 1. Cut at the source's right and bottom edges.
  if (int64_t(sx) + W >= src.width_) W = int64_t(src.width_) - sx;
  if (int64_t(sy) + H >= src.height_) H = int64_t(src.height_) - sy;
  // 2. Cut at the destination's right edge.
  if (int64_t(dx) + W >= width_) W = int64_t(width_) - dx;
  // 3. Left edge.
  int64_t cw, csx, cdx;
  if (dx < 0) {
    cw = W + dx;
    csx = int64_t(sx) - dx;
    cdx = 0;
  } else {
    cw = W;
    csx = sx;
    cdx = dx;
  }
  // 4. Height: bottom edge, then the top edge.
  int64_t ch = std::min<int64_t>(H, int64_t(height_) - dy), csy, cdy;
  if (dy < 0) {
    ch += dy;
    csy = int64_t(sy) - dy;
    cdy = 0;
  } else {
    csy = sy;
    cdy = dy;
  }
  // Callers never pass them, but negative source coordinates are
  // clipped too instead of reading before the source.
  if (csx < 0) {
    cw += csx;
    cdx -= csx;
    csx = 0;
  }
  if (csy < 0) {
    ch += csy;
    cdy -= csy;
    csy = 0;
  }
  // 5. Nothing to copy.
  if (cw <= 0 || ch <= 0) return;

  const size_t bytes = size_t(cw) * sizeof(Pixel);
  const Pixel* s = src.row(int(csy)) + csx;
  Pixel* d = row(int(cdy)) + cdx;
  if (&src == this && cdy > csy) {
    // Moving down the picture inside one buffer: go from the last row upwards so
    // that no source row is overwritten before it is read.
    s -= ptrdiff_t(ch - 1) * src.width_;
    d -= ptrdiff_t(ch - 1) * width_;
    for (int64_t j = 0; j < ch; ++j, s += src.width_, d += width_) std::memmove(d, s, bytes);
  } else {
    for (int64_t j = 0; j < ch; ++j, s -= src.width_, d -= width_) std::memmove(d, s, bytes);
  }
}

void Image32::setFrom(const Image32& other) {
  if (&other == this) return;
  fill(kTransparent);
  blit(0, 0, other.width_, other.height_, other, 0, 0);
}

void Image32::setAlphaRect(int x, int y, int w, int h, uint8_t alpha) {
  assert(x >= 0 && y >= 0 && w >= 1 && h >= 1 && x + w <= width_ && y + h <= height_);
  const Pixel a = Pixel(alpha) << 24;
  Pixel* r = row(y) + x;
  for (int j = 0; j < h; ++j, r -= width_)
    for (int i = 0; i < w; ++i) r[i] = (r[i] & 0x00FFFFFFu) | a;
}

void Image32::normaliseTransparent() {
  Pixel* p = mem_.get();
  const size_t n = size_t(width_) * size_t(height_);
  for (size_t i = 0; i < n; ++i)
    if ((p[i] >> 24) == 0) p[i] = kTransparent;
}

// ---------------------------------------------------------------------------
// Statistics

void Image32::collectColours(std::vector<uint32_t>& out, size_t max) const {
  if (out.size() >= max || !mem_) return;
  // Membership of all 2^24 colours as bits, seeded with what out already holds,
  // so that the scan stays linear in the number of pixels.
  std::vector<uint64_t> seen(size_t(1) << 18, 0);
  for (uint32_t c : out) {
    c &= 0x00FFFFFFu;
    seen[c >> 6] |= uint64_t(1) << (c & 63);
  }
  const Pixel* p = mem_.get();
  const size_t n = size_t(width_) * size_t(height_);
  for (size_t i = 0; i < n; ++i) {
    const uint32_t c = p[i] & 0x00FFFFFFu;
    uint64_t& word = seen[c >> 6];
    const uint64_t bit = uint64_t(1) << (c & 63);
    if (word & bit) continue;
    word |= bit;
    out.push_back(c);
    if (out.size() >= max) return;
  }
}

void Image32::luminanceHistogram(int32_t counts[256]) const {
  std::fill_n(counts, 256, 0);
  const Pixel* p = mem_.get();
  const size_t n = size_t(width_) * size_t(height_);
  for (size_t i = 0; i < n; ++i) {
    const Pixel v = p[i];
    ++counts[(77 * redOf(v) + 150 * greenOf(v) + 29 * blueOf(v)) >> 8];
  }
}

// ---------------------------------------------------------------------------
// Averaging and sampling

namespace {

inline uint32_t byteOf(int64_t v) { return uint32_t(v < 0 ? 0 : (v > 255 ? 255 : v)); }

}  // namespace

Pixel Image32::averageToPixel(const AlphaSums& sums, int samples) {
  if (sums.a == 0 || samples <= 0) return kTransparent;
  const int64_t alpha = sums.a / samples;
  if (alpha == 0) return kTransparent;
  // Consistent sums give bytes in [0, 255]; inconsistent ones are capped.
  return makePixel(byteOf(alpha), byteOf(sums.r / sums.a), byteOf(sums.g / sums.a),
                   byteOf(sums.b / sums.a));
}

Pixel Image32::averageToPixel(const AlphaSumsF& sums, int samples) {
  if (sums.a == 0 || samples <= 0) return kTransparent;
  const double inv = 1.0 / sums.a;
  const double alphaD = sums.a / samples;
  const auto trunc = [](double v) -> int64_t {
    if (!(v > 0)) return 0;   // also NaN
    if (v >= 255) return 255;
    return int64_t(v);
  };
  const int64_t alpha = trunc(alphaD);
  if (alpha == 0) return kTransparent;
  return makePixel(uint32_t(alpha), uint32_t(trunc(sums.r * inv)), uint32_t(trunc(sums.g * inv)),
                   uint32_t(trunc(sums.b * inv)));
}

bool Image32::sampleBilinear(int fx, int fy, Pixel& out, int edgeMode) const {
  if (!mem_) return false;
  int ix = fx >> 8, iy = fy >> 8;
  const int tx = fx & 255, ty = fy & 255;

  // 1. Outside the buffer.
  if (fx < 0 || ix >= width_ || fy < 0 || iy >= height_) {
    if (edgeMode == 0) return false;
    if (edgeMode == 2) {
      if (ix < 0)
        ix += width_;
      else if (ix >= width_)
        ix -= width_;
      if (iy < 0)
        iy += height_;
      else if (iy >= height_)
        iy -= height_;
    }
    ix = clampInt(ix, 0, width_ - 1);
    iy = clampInt(iy, 0, height_ - 1);
  }

  // 2. The four samples; a neighbour beyond the right or bottom edge is the
  // pixel itself.
  const Pixel* r0 = row(iy);
  const Pixel p00 = r0[ix];
  const bool hasRight = ix + 1 < width_, hasBelow = iy + 1 < height_;
  const Pixel p10 = hasRight ? r0[ix + 1] : p00;
  const Pixel p01 = hasBelow ? r0[ix - width_] : p00;
  const Pixel p11 = hasRight && hasBelow ? r0[ix + 1 - width_] : p00;

  // 3. Alpha, each product divided separately.
  const int ux = 255 - tx, uy = 255 - ty;
  const int a00 = alphaOf(p00), a10 = alphaOf(p10), a01 = alphaOf(p01), a11 = alphaOf(p11);
  const int top = a00 * ux / 255 + a10 * tx / 255;
  const int bottom = a01 * ux / 255 + a11 * tx / 255;
  const int alpha = uy * top / 255 + ty * bottom / 255;

  // 4. Fully transparent.
  if (alpha == 0) {
    out = kTransparent;
    return true;
  }

  // 5. Colour channels, weighted by alpha.
  const auto channel = [&](int shift) -> uint32_t {
    const int c00 = (p00 >> shift) & 255, c10 = (p10 >> shift) & 255;
    const int c01 = (p01 >> shift) & 255, c11 = (p11 >> shift) & 255;
    const int upper = (tx * c10 * a10 + ux * c00 * a00) / 255;
    const int lower = (ux * c01 * a01 + tx * c11 * a11) / 255;
    const int v = (uy * upper / 255 + ty * lower / 255) / alpha;
    return uint32_t(v > 255 ? 255 : v);
  };
  out = makePixel(uint32_t(alpha), channel(16), channel(8), channel(0));
  return true;
}

}  // namespace tessel
