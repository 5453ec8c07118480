// Drawn patterns and frames: the rectangle is copied first and the pattern
// drawn over it with a whole-pixel colour.
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

void fillArea(Image32& dst, int x0, int y0, int x1, int y1, Pixel colour) {   // exclusive ends
  for (int y = y0; y < y1; ++y) {
    Pixel* d = dst.row(y);
    for (int x = x0; x < x1; ++x) d[x] = colour;
  }
}

// One direction of the lines filter along an axis of the given length.
// Calls fill(from, to) for each line's span [from, to) relative to the start.
template <class Fill>
void drawLines(std::mt19937& rng, int length, int w1, int w2, int s1, int s2, Fill fill) {
  uint32_t e = uint32_t(s2 - s1 + 1), widths = uint32_t(w2 - w1 + 1);
  int f = s1 == s2 ? s1 : 0;
  int pos = int(rng() % e) + f;
  while (pos < length) {
    int t = w1 + int(rng() % widths);
    fill(pos, std::min(length, pos + t));
    pos += t + int(rng() % e) + s1;
  }
}

}  // namespace

TESSEL_FILTER(filterLines) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  copyArea(dst, src, r);
  std::mt19937& rng = filterRandom(context);
  int w1 = std::max(1, values.slider[0]), w2 = std::max(w1, values.slider[1]);
  int s1 = std::max(1, values.slider[2]), s2 = std::max(s1, values.slider[3]);
  Pixel colour = listColour(values.list[0], context);
  if (values.check[0])
    drawLines(rng, r.h, w1, w2, s1, s2, [&](int a, int b) { fillArea(dst, r.x, r.y + a, r.right(), r.y + b, colour); });
  if (values.check[1])
    drawLines(rng, r.w, w1, w2, s1, s2, [&](int a, int b) { fillArea(dst, r.x + a, r.y, r.x + b, r.bottom(), colour); });
  progressDone(progress);
  return true;
}

TESSEL_FILTER(filterDots) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  copyArea(dst, src, r);
  int n = std::max(1, values.slider[0]), a = std::max(1, values.slider[1]);
  Pixel colour = listColour(values.list[0], context);
  std::vector<uint8_t> mask = pixelCircle(n);
  for (int k = 0; -n / 2 + k * a < r.h; ++k) {
    int top = -n / 2 + k * a;
    for (int left = -n / 2 - a * (k % 2); left < r.w; left += 2 * a) {
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
          int x = left + i, y = top + j;
          if (mask[size_t(j * n + i)] && x >= 0 && y >= 0 && x < r.w && y < r.h) dst.set(r.x + x, r.y + y, colour);
        }
    }
  }
  progressDone(progress);
  return true;
}

TESSEL_FILTER(filterGrid) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  copyArea(dst, src, r);
  int cw = std::max(1, values.slider[0]), ch = values.check[0] ? cw : std::max(1, values.slider[1]);
  Pixel colour = listColour(values.list[0], context);
  if (progress) progress->setRange(r.h);
  forRows(0, r.h, r.w, progress, [&](int y) {
    int band = (y % (2 * ch)) / ch;
    Pixel* d = dst.row(r.y + y) + r.x;
    for (int x = 0; x < r.w; ++x)
      if ((x % (2 * cw)) / cw == band) d[x] = colour;
  });
  return true;
}

// Nested one-pixel outlines; a ring that would have no size is not drawn.
TESSEL_FILTER(filterBorder) {
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  copyArea(dst, src, r);
  Pixel colour = withAlpha(context.foreground, context.brushAlpha);
  for (int i = 0; i < values.slider[0]; ++i) {
    int x0 = r.x + i, y0 = r.y + i, x1 = r.right() - 1 - i, y1 = r.bottom() - 1 - i;
    if (x1 < x0 || y1 < y0) break;
    fillArea(dst, x0, y0, x1 + 1, y0 + 1, colour);
    fillArea(dst, x0, y1, x1 + 1, y1 + 1, colour);
    fillArea(dst, x0, y0, x0 + 1, y1 + 1, colour);
    fillArea(dst, x1, y0, x1 + 1, y1 + 1, colour);
  }
  progressDone(progress);
  return true;
}

namespace {
void addLight(Image32& dst, int x, int y, int v) {
  Pixel p = dst.at(x, y);
  if (!alphaOf(p)) return;
  dst.set(x, y, makePixel(alphaOf(p), clamp255(redOf(p) + v), clamp255(greenOf(p) + v), clamp255(blueOf(p) + v)));
}
}  // namespace

// Works in place on the destination after copying the rectangle.
TESSEL_FILTER(filterBorder3d) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  copyArea(dst, src, r);
  int n = std::max(1, values.slider[0]);
  bool sunken = values.check[0] != 0, smooth = values.check[1] != 0;
  int t = smooth ? 135 : 83, s = smooth ? 105 : 64;
  if (sunken) t = -t, s = -s;
  int left = r.x, top = r.y, right = r.right() - 1, bottom = r.bottom() - 1;
  for (int i = 0; i < n && 2 * i < r.h; ++i) {
    int c = smooth ? t - i * t / n : t;
    for (int x = left + i; x <= right - i; ++x) addLight(dst, x, top + i, c);
    for (int x = left + i + 1; x <= right - i - 1; ++x) addLight(dst, x, bottom - i, -c);
  }
  for (int l = 0; l < n && 2 * l < r.w; ++l) {
    int d = smooth ? s - l * s / n : s;
    for (int y = top + l + 1; y <= bottom - l; ++y) {
      addLight(dst, left + l, y, d);
      addLight(dst, right - l, y, -d);
    }
  }
  progressDone(progress);
  return true;
}

}  // namespace tessel
