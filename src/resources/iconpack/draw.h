#pragma once
// Drawing primitives for the build-time icon art, on a 24-bit canvas.
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace iconpack {

constexpr uint32_t kClear = 0x00FF00;   // pure green: transparent
constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kGrey = 0x808080, kDark = 0x404040;
constexpr uint32_t kLight = 0xC8C8C8, kBlue = 0x2F5FC0, kSky = 0x8CC4F0, kYellow = 0xF2C63C;
constexpr uint32_t kRed = 0xD03030, kBrown = 0x8A5A2B, kPink = 0xF0A0B0, kOrange = 0xF08A20;
constexpr uint32_t kGreen = 0x2E9E48;

class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h), px_(size_t(w) * size_t(h), kClear) {}
  int width() const { return w_; }
  int height() const { return h_; }
  uint32_t at(int x, int y) const { return px_[size_t(y) * size_t(w_) + size_t(x)]; }

  // Drawing happens inside the current cell, whose origin offsets all calls.
  void cell(int x, int y, int w, int h) { ox_ = x, oy_ = y, cw_ = w, ch_ = h; }

  void dot(int x, int y, uint32_t c) {
    if (x < 0 || y < 0 || x >= cw_ || y >= ch_) return;
    px_[size_t(oy_ + y) * size_t(w_) + size_t(ox_ + x)] = c;
  }
  void line(int x0, int y0, int x1, int y1, uint32_t c) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
      dot(x0, y0, c);
      if (x0 == x1 && y0 == y1) break;
      int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  void fill(int x, int y, int w, int h, uint32_t c) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) dot(i, j, c);
  }
  void frame(int x, int y, int w, int h, uint32_t c) {
    line(x, y, x + w - 1, y, c);
    line(x, y + h - 1, x + w - 1, y + h - 1, c);
    line(x, y, x, y + h - 1, c);
    line(x + w - 1, y, x + w - 1, y + h - 1, c);
  }
  void box(int x, int y, int w, int h, uint32_t inside, uint32_t edge) {
    fill(x, y, w, h, inside);
    frame(x, y, w, h, edge);
  }
  // Disc or ring of radius r around (cx, cy), in half pixels for even sizes.
  void disc(int cx, int cy, int r, uint32_t c) {
    for (int y = -r; y <= r; ++y)
      for (int x = -r; x <= r; ++x)
        if (x * x + y * y <= r * r + r / 2) dot(cx + x, cy + y, c);
  }
  void ring(int cx, int cy, int r, uint32_t c) {
    for (int y = -r; y <= r; ++y)
      for (int x = -r; x <= r; ++x) {
        int d = x * x + y * y;
        if (d <= r * r + r / 2 && d >= (r - 1) * (r - 1) + (r - 1) / 2 + 1) dot(cx + x, cy + y, c);
      }
  }
  void thick(int x0, int y0, int x1, int y1, uint32_t c) {
    line(x0, y0, x1, y1, c);
    line(x0 + 1, y0, x1 + 1, y1, c);
    line(x0, y0 + 1, x1, y1 + 1, c);
  }

 private:
  int w_, h_;
  std::vector<uint32_t> px_;
  int ox_ = 0, oy_ = 0, cw_ = 0, ch_ = 0;
};

void drawBarIcons(Canvas& c);
void drawToolIcons(Canvas& c);
void drawSmallIcons(Canvas& c);

}  // namespace iconpack
