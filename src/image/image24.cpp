#include "image/image24.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "image/byte_order.h"
#include "image/image32.h"
#include "image/tiled_image.h"
#include "image/zlib_inflate.h"

namespace tessel {

namespace {

inline void putBGR(uint8_t* p, uint32_t colour) {
  p[0] = uint8_t(colour);
  p[1] = uint8_t(colour >> 8);
  p[2] = uint8_t(colour >> 16);
}

inline uint32_t getBGR(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
}

}  // namespace

// ---------------------------------------------------------------------------
// Lifetime

bool Image24::create(int width, int height) {
  destroy();
  if (width <= 0 || height <= 0) return false;
  if (uint64_t(width) * uint64_t(height) > uint64_t(kMaxImagePixels)) return false;
  const int pitch = pitchFor(width);   // cannot overflow within kMaxImagePixels
  const size_t bytes = size_t(pitch) * size_t(height);

  std::unique_ptr<uint8_t[]> mem(new (std::nothrow) uint8_t[bytes]());
  if (!mem) return false;
  mem_ = std::move(mem);
  width_ = width;
  height_ = height;
  pitch_ = pitch;
  top_ = mem_.get() + ptrdiff_t(height - 1) * pitch;   // row 0 is the last row in memory
  return true;
}

bool Image24::destroy() {
  if (!mem_) return false;
  mem_.reset();
  top_ = nullptr;
  width_ = 0;
  height_ = 0;
  pitch_ = 0;
  return true;
}

void Image24::swap(Image24& o) noexcept {
  std::swap(mem_, o.mem_);
  std::swap(top_, o.top_);
  std::swap(width_, o.width_);
  std::swap(height_, o.height_);
  std::swap(pitch_, o.pitch_);
}

bool Image24::createFromPacked(std::span<const uint8_t> record) {
  destroy();
  if (record.size() < 8) return false;
  const int w = readLE16(record.data());
  const int h = readLE16(record.data() + 2);
  const uint32_t len = readLE32(record.data() + 4);
  if (len > record.size() - 8) return false;
  if (w == 0 || h == 0) return false;
  // Refuse before allocating when the stream could not possibly inflate to
  // the image's size (this also keeps a lying header from costing memory).
  const uint64_t expected = uint64_t(pitchFor(w)) * uint64_t(h);
  if (expected > inflateBound(len)) return false;
  if (!create(w, h)) return false;
  if (!inflateExact(record.data() + 8, len, bits(), byteSize())) {
    destroy();
    return false;
  }
  return true;
}

bool Image24::createFromPart(const Image24& src, int sx, int sy, int w, int h) {
  // The rectangle must lie inside the source; else fail rather than read
  // outside it. Built in a temporary so that src may be this buffer.
  const bool inside = src.valid() && w > 0 && h > 0 && sx >= 0 && sy >= 0 &&
                      int64_t(sx) + w <= src.width_ && int64_t(sy) + h <= src.height_;
  Image24 part;
  if (!inside || !part.create(w, h)) {
    destroy();
    return false;
  }
  part.blit(0, 0, src, sx, sy, w, h);
  swap(part);
  return true;
}

// ---------------------------------------------------------------------------
// Pixels

void Image24::fill(uint32_t colour) {
  if (!mem_) return;
  // One row (padding stays zero), then copied to every other row.
  uint8_t* first = mem_.get();
  for (int x = 0; x < width_; ++x) putBGR(first + x * 3, colour);
  for (int y = 1; y < height_; ++y) std::memcpy(first + ptrdiff_t(y) * pitch_, first, size_t(pitch_));
}

uint32_t Image24::getPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return getBGR(row(y) + ptrdiff_t(x) * 3);
}

void Image24::setPixel(int x, int y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* p = row(y) + ptrdiff_t(x) * 3;
  if (colour == kInvertColour) {
    p[0] = uint8_t(~p[0]);
    p[1] = uint8_t(~p[1]);
    p[2] = uint8_t(~p[2]);
  } else {
    putBGR(p, colour);
  }
}

void Image24::setPixelUnchecked(int x, int y, uint32_t colour) {
  assert(x >= 0 && y >= 0 && x < width_ && y < height_);
  putBGR(row(y) + ptrdiff_t(x) * 3, colour);
}

// ---------------------------------------------------------------------------
// Lines and rectangles

void Image24::line(int x1, int y1, int x2, int y2, uint32_t colour) {
  // 64-bit carries so that far-off (clipped) coordinates cannot overflow.
  const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  if (ady < adx) {
    const int64_t step = dx > 0 ? 1 : -1;
    const int64_t inc = dy * 65536 / adx;   // sign follows dy
    int64_t fy = int64_t(y1) * 65536 + 0x8000;
    for (int64_t x = x1; x != x2; x += step, fy += inc) setPixel(int(x), int(fy >> 16), colour);
  } else {
    const int64_t step = dy > 0 ? 1 : -1;
    const int64_t inc = ady == 0 ? 0 : dx * 65536 / ady;
    int64_t fx = int64_t(x1) * 65536 + 0x8000;
    for (int64_t y = y1; y != y2; y += step, fx += inc) setPixel(int(fx >> 16), int(y), colour);
  }
  setPixel(x2, y2, colour);
}

void Image24::hLine(int x, int y, int length, uint32_t colour) {
  if (length <= 0) return;
  assert(x >= 0 && y >= 0 && y < height_ && int64_t(x) + length <= width_);
  uint8_t* p = row(y) + ptrdiff_t(x) * 3;
  for (int i = 0; i < length; ++i, p += 3) putBGR(p, colour);
}

void Image24::vLine(int x, int y, int length, uint32_t colour) {
  if (length <= 0) return;
  assert(x >= 0 && x < width_ && y >= 0 && int64_t(y) + length <= height_);
  uint8_t* p = row(y) + ptrdiff_t(x) * 3;
  for (int i = 0; i < length; ++i, p -= pitch_) putBGR(p, colour);
}

void Image24::frameRect(int x, int y, int w, int h, uint32_t colour) {
  // Every outline pixel is set exactly once, so an inverted frame (colour
  // kInvertColour) drawn twice restores the picture, also for w or h of 1.
  if (w <= 0 || h <= 0) return;
  const int right = x + w - 1, bottom = y + h - 1;
  for (int i = x; i <= right; ++i) setPixel(i, y, colour);
  if (h > 1)
    for (int i = x; i <= right; ++i) setPixel(i, bottom, colour);
  for (int j = y + 1; j < bottom; ++j) {
    setPixel(x, j, colour);
    if (w > 1) setPixel(right, j, colour);
  }
}

void Image24::frameRectUnchecked(int x, int y, int w, int h, uint32_t colour) {
  if (w <= 0 || h <= 0) return;
  hLine(x, y, w, colour);
  if (h > 1) hLine(x, y + h - 1, w, colour);
  vLine(x, y + 1, h - 2, colour);
  if (w > 1) vLine(x + w - 1, y + 1, h - 2, colour);
}

void Image24::fillRect(int x, int y, int w, int h, uint32_t colour) {
  // Cut at the right and bottom edges; left and top are clipped as well so
  // that no write leaves the buffer.
  int64_t l = x, t = y, r = int64_t(x) + w, b = int64_t(y) + h;
  if (r > width_) r = width_;
  if (b > height_) b = height_;
  if (l < 0) l = 0;
  if (t < 0) t = 0;
  if (r <= l || b <= t) return;
  const int cw = int(r - l);
  uint8_t* first = row(int(t)) + l * 3;
  for (int i = 0; i < cw; ++i) putBGR(first + i * 3, colour);
  uint8_t* p = first;
  for (int64_t j = t + 1; j < b; ++j) {
    p -= pitch_;
    std::memcpy(p, first, size_t(cw) * 3);
  }
}

void Image24::fillChecker(int x, int y, int w, int h, uint32_t colour0, uint32_t colour1) {
  assert(x >= 0 && y >= 0 && w >= 1 && h >= 1 && x + w <= width_ && y + h <= height_);
  uint8_t* r = row(y) + ptrdiff_t(x) * 3;
  for (int j = 0; j < h; ++j, r -= pitch_) {
    const int cellY = (j % 10) / 5;
    for (int i = 0; i < w; ++i) putBGR(r + i * 3, (i % 10) / 5 == cellY ? colour0 : colour1);
  }
}

void Image24::blit(int dx, int dy, const Image24& src, int sx, int sy, int w, int h) {
  if (w <= 0 || h <= 0) return;
  assert(dx >= 0 && dy >= 0 && dx + w <= width_ && dy + h <= height_);
  assert(sx >= 0 && sy >= 0 && sx + w <= src.width_ && sy + h <= src.height_);
  const size_t bytes = size_t(w) * 3;
  const uint8_t* s = src.row(sy) + ptrdiff_t(sx) * 3;
  uint8_t* d = row(dy) + ptrdiff_t(dx) * 3;
  if (&src == this && dy > sy) {
    // Inside one buffer moving down: last row first (rows use memmove).
    s -= ptrdiff_t(h - 1) * src.pitch_;
    d -= ptrdiff_t(h - 1) * pitch_;
    for (int j = 0; j < h; ++j, s += src.pitch_, d += pitch_) std::memmove(d, s, bytes);
  } else {
    for (int j = 0; j < h; ++j, s -= src.pitch_, d -= pitch_) std::memmove(d, s, bytes);
  }
}

// ---------------------------------------------------------------------------
// Pictures

template <class RowsAt>
void Image24::drawScaled(int dx, int dy, int w, int h, int sw, int sh, RowsAt rowsAt) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0 || !mem_) return;
  const int64_t step = (int64_t(sw) << 16) / w;   // 16.16, both axes

  // Destination pixels outside this buffer and rows whose source position lies
  // below the source (h larger than the aspect ratio allows) are skipped.
  const int colBegin = dx < 0 ? -dx : 0;
  const int colEnd = int(std::min<int64_t>(w, int64_t(width_) - dx));
  const int rowBegin = dy < 0 ? -dy : 0;
  const int rowEnd = int(std::min<int64_t>(h, int64_t(height_) - dy));

  for (int rowI = rowBegin; rowI < rowEnd; ++rowI) {
    const int64_t py = rowI * step;
    const int iy = int(py >> 16);
    if (iy >= sh) break;
    const int fy = int(py >> 8) & 255, uy = 255 - fy;
    const bool hasBelow = iy + 1 < sh;
    const auto [s0, s1] = rowsAt(iy, hasBelow);
    uint8_t* d = row(dy + rowI) + (ptrdiff_t(dx) + colBegin) * 3;
    for (int col = colBegin; col < colEnd; ++col, d += 3) {
      const int64_t px = col * step;
      const int ix = int(px >> 16);   // < sw since col < w
      const int fx = int(px >> 8) & 255, ux = 255 - fx;
      const bool hasRight = ix + 1 < sw;
      const Pixel p00 = s0[ix];
      const Pixel p10 = hasRight ? s0[ix + 1] : p00;
      const Pixel p01 = hasBelow ? s1[ix] : p00;
      const Pixel p11 = hasRight && hasBelow ? s1[ix + 1] : p00;
      const auto mix = [&](int shift) -> int {
        const int c00 = (p00 >> shift) & 255, c10 = (p10 >> shift) & 255;
        const int c01 = (p01 >> shift) & 255, c11 = (p11 >> shift) & 255;
        const int upper = (c00 * ux + c10 * fx) >> 8;
        const int lower = (c01 * ux + c11 * fx) >> 8;
        return (upper * uy + lower * fy) >> 8;
      };
      const int alpha = mix(24);
      for (int k = 0; k < 3; ++k) {
        const int c = mix(8 * k), e = d[k];
        d[k] = uint8_t(e + ((alpha * (c - e)) >> 8));
      }
    }
  }
}

void Image24::drawImage32Scaled(int dx, int dy, int w, int h, const Image32& src) {
  if (!src.valid()) return;
  drawScaled(dx, dy, w, h, src.width(), src.height(), [&](int y, bool below) {
    return std::pair<const Pixel*, const Pixel*>(src.row(y), below ? src.row(y + 1) : nullptr);
  });
}

void Image24::drawTilesScaled(int dx, int dy, int w, int h, const TiledImage& src) {
  if (!src.valid()) return;
  // Only the two rows each destination row samples are read out of the tiles.
  std::vector<Pixel> rows(size_t(src.width()) * 2);
  drawScaled(dx, dy, w, h, src.width(), src.height(), [&](int y, bool below) {
    src.readRow(y, 0, src.width(), rows.data());
    if (below) src.readRow(y + 1, 0, src.width(), rows.data() + src.width());
    return std::pair<const Pixel*, const Pixel*>(rows.data(), rows.data() + src.width());
  });
}

void Image24::drawBitmap1(int dx, int dy, uint32_t colour, const uint8_t* bits, int w, int h) {
  // Rows top first, each (w + 7) / 8 bytes, most significant bit first. Set
  // bits go through setPixel, so parts outside the buffer are clipped.
  if (!bits || w <= 0 || h <= 0) return;
  const size_t stride = (size_t(w) + 7) / 8;
  for (int j = 0; j < h; ++j) {
    const int y = dy + j;
    if (y < 0 || y >= height_) continue;
    const uint8_t* r = bits + size_t(j) * stride;
    for (int i = 0; i < w; ++i)
      if (r[i >> 3] & (0x80 >> (i & 7))) setPixel(dx + i, y, colour);
  }
}

void Image24::drawDiscPreview(int radius) {
  if (!mem_) return;
  fill(0xFFFFFF);
  static constexpr int kSub[5] = {0, 51, 102, 153, 204};
  const int64_t cx = int64_t(width_) * 128, cy = int64_t(height_) * 128;
  const int64_t rr = int64_t(radius) * 128;
  const int64_t limit = rr * rr;
  for (int y = 0; y < height_; ++y) {
    uint8_t* p = row(y);
    for (int x = 0; x < width_; ++x, p += 3) {
      int sum = 0;
      for (int sy : kSub) {
        const int64_t ddy = int64_t(y) * 256 + sy - cy;
        for (int sx : kSub) {
          const int64_t ddx = int64_t(x) * 256 + sx - cx;
          if (ddx * ddx + ddy * ddy < limit) sum += 255;
        }
      }
      const int grey = 255 - sum / 25;
      p[0] = p[1] = p[2] = uint8_t(grey);
    }
  }
  frameRectUnchecked(0, 0, width_, height_, 0x000000);
}

void Image24::drawNumber(int dx, int dy, int value, const Image24& digits) {
  // Values outside 0..999 are clamped (a literal reading would index glyph
  // 10 and beyond for values over 999). Cells are clipped to this buffer.
  value = value < 0 ? 0 : (value > 999 ? 999 : value);
  const int gw = digits.width_ / 10, gh = digits.height_;
  if (gw <= 0 || gh <= 0 || !mem_) return;
  const int cells[3] = {value / 100, (value / 10) % 10, value % 10};
  bool started = false;
  for (int i = 0; i < 3; ++i) {
    if (cells[i] == 0 && !started) continue;
    started = true;
    // Clip the cell against this buffer.
    const int64_t cx = int64_t(dx) + int64_t(i) * gw;
    int64_t l = std::max<int64_t>(cx, 0), t = std::max<int64_t>(dy, 0);
    int64_t r = std::min<int64_t>(cx + gw, width_), b = std::min<int64_t>(int64_t(dy) + gh, height_);
    if (r <= l || b <= t) continue;
    blit(int(l), int(t), digits, int(cells[i] * gw + (l - cx)), int(t - dy), int(r - l), int(b - t));
  }
}

void Image24::replaceOtherColours(int x, int y, int w, int h, uint32_t keep, uint32_t colour) {
  assert(x >= 0 && y >= 0 && w >= 1 && h >= 1 && x + w <= width_ && y + h <= height_);
  keep &= 0x00FFFFFFu;
  uint8_t* r = row(y) + ptrdiff_t(x) * 3;
  for (int j = 0; j < h; ++j, r -= pitch_)
    for (int i = 0; i < w; ++i)
      if (getBGR(r + i * 3) != keep) putBGR(r + i * 3, colour);
}

int Image24::fillTexture(int x, int y, int w, int h, const uint8_t* texture, bool tint) {
  // Cut at the bottom edge, and also at the right edge, left and
  // top (the tiling stays anchored at (x, y)); a texture with zero width or
  // height draws nothing. Returns the number of rows drawn.
  if (!texture || !mem_ || w <= 0 || h <= 0) return 0;
  const int tw = readLE16(texture), th = readLE16(texture + 2);
  if (tw == 0 || th == 0) return 0;
  const uint8_t* data = texture + 4;
  const int64_t l = std::max<int64_t>(x, 0), t = std::max<int64_t>(y, 0);
  const int64_t r = std::min<int64_t>(int64_t(x) + w, width_);
  const int64_t b = std::min<int64_t>(int64_t(y) + h, height_);
  if (b <= t) return 0;
  if (r <= l) return int(b - t);   // rows "drawn", all of them empty
  for (int64_t py = t; py < b; ++py) {
    const uint8_t* trow = data + size_t((py - y) % th) * size_t(tw);
    uint8_t* p = row(int(py)) + l * 3;
    int tx = int((l - x) % tw);
    for (int64_t px = l; px < r; ++px, p += 3) {
      const uint8_t g = uint8_t(255 - trow[tx]);
      p[0] = g;
      p[1] = g;
      p[2] = tint ? 255 : g;
      if (++tx == tw) tx = 0;
    }
  }
  return int(b - t);
}

}  // namespace tessel
