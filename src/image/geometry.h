#pragma once
#include <algorithm>
#include <cstdint>

namespace tessel {

// 0xAARRGGBB, as a pixel reads when loaded as a little-endian 32-bit word.
using Pixel = uint32_t;

constexpr Pixel kTransparent = 0x00FFFFFFu;   // how every fully transparent pixel is stored
constexpr Pixel kOpaqueWhite = 0xFFFFFFFFu;

// Largest pixel count Image32::create and Image24::create accept (1 GiB of
// 32-bit pixels, far above the 4500 x 4500 canvas limit). Larger requests fail
// like an allocation failure, so no size computation can overflow and an int
// pixel index always fits.
constexpr int64_t kMaxImagePixels = int64_t(1) << 28;

constexpr uint8_t alphaOf(Pixel p) { return uint8_t(p >> 24); }
constexpr uint8_t redOf(Pixel p) { return uint8_t(p >> 16); }
constexpr uint8_t greenOf(Pixel p) { return uint8_t(p >> 8); }
constexpr uint8_t blueOf(Pixel p) { return uint8_t(p); }
constexpr Pixel makePixel(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// Position and size; an empty rectangle has w or h <= 0.
struct Rect {
  int x = 0, y = 0, w = 0, h = 0;

  constexpr bool empty() const { return w <= 0 || h <= 0; }
  constexpr int right() const { return x + w; }    // exclusive
  constexpr int bottom() const { return y + h; }   // exclusive
  constexpr bool contains(int px, int py) const {
    return px >= x && py >= y && px < x + w && py < y + h;
  }
  constexpr bool operator==(const Rect&) const = default;

  constexpr Rect intersected(const Rect& o) const {
    int l = std::max(x, o.x), t = std::max(y, o.y);
    int r = std::min(right(), o.right()), b = std::min(bottom(), o.bottom());
    if (r <= l || b <= t) return {};
    return {l, t, r - l, b - t};
  }
  // Union of two rectangles; an empty side is ignored.
  constexpr Rect united(const Rect& o) const {
    if (empty()) return o;
    if (o.empty()) return *this;
    int l = std::min(x, o.x), t = std::min(y, o.y);
    int r = std::max(right(), o.right()), b = std::max(bottom(), o.bottom());
    return {l, t, r - l, b - t};
  }
};

}  // namespace tessel
