// The sub-pixel rasteriser: dabs of the 100 x 100 tip mask, area-sampled into pixels,
// spaced along segments and curves; and the watercolour colour pick-up.
#include <algorithm>
#include <climits>
#include <cmath>

#include "draw/brush/brush_engine.h"
#include "draw/brush/dab_coverage.h"
#include "image/image32.h"

namespace tessel {

namespace {

// Double to int without overflow for coordinates far outside any image.
int toInt(double v) {
  if (!(v > -1e9)) return -1000000000;
  if (v > 1e9) return 1000000000;
  return int(v);
}
int rnd(double v) { return toInt(v + 0.5); }

}  // namespace

// left and top are in sub-pixel units (1/16 for small dabs, 1/8 for large ones).
void BrushEngine::stampMask(Image32& image, int left, int top, int diameter, int subShift,
                            Pixel colour, int a, bool large) {
  int sub = 1 << subShift;
  int px0 = std::max(left >> subShift, 0), px1 = std::min((left + diameter - 1) >> subShift, image.width() - 1);
  int py0 = std::max(top >> subShift, 0), py1 = std::min((top + diameter - 1) >> subShift, image.height() - 1);
  if (px1 < px0 || py1 < py0 || px1 - px0 >= kMaxDabPixels || py1 - py0 >= kMaxDabPixels) return;
  ++dabs_;
  reach(image, {px0, py0, px1 - px0 + 1, py1 - py0 + 1});
  if (fast_ && stampCovered(image, left, top, diameter, subShift, colour, a, large)) return;
  int64_t m = dabScale(diameter);
  AxisCell cols[kMaxDabPixels], rows[kMaxDabPixels];
  mapAxis(cols, px0, px1, sub, left, diameter, m);
  mapAxis(rows, py0, py1, sub, top, diameter, m);
  const uint8_t* mask = shape_.mask;
  int op = context_.pixelOp;
  bool aa = context_.antiAlias != 0;
  Pixel rgb = colour & 0xFFFFFFu;
  for (int py = py0; py <= py1; ++py) {
    const AxisCell& row = rows[py - py0];
    for (int px = px0; px <= px1; ++px) {
      int v = cellCoverage(mask, row, cols[px - px0], large);
      if (v == 0) continue;
      int alpha = aa ? (a * v + 127) / 255 : a;
      applyPixelOp(op, image, px, py, rgb | (Pixel(alpha) << 24));
    }
  }
}

void BrushEngine::stampSmall(Image32& image, int x16, int y16, int d16, Pixel colour, int a) {
  if (a == 0 || d16 <= 2) return;
  if (!context_.antiAlias) a = context_.maxOpacity;
  stampMask(image, x16 - d16 / 2, y16 - d16 / 2, d16, 4, colour, a, false);
}

void BrushEngine::stampLarge(Image32& image, int x8, int y8, int e8, Pixel colour, int a) {
  if (a == 0 || e8 <= 2) return;
  if (!context_.antiAlias) a = context_.maxOpacity;
  stampMask(image, x8 - e8 / 2, y8 - e8 / 2, e8, 3, colour, a, true);
}

double BrushEngine::drawSegment(Image32& image, const StrokePoint& from, const StrokePoint& to,
                                double carry) {
  if (from.x == to.x && from.y == to.y) return carry;
  const BrushContext& c = context_;
  double dx = to.x - from.x, dy = to.y - from.y;
  double len = std::sqrt(dx * dx + dy * dy);
  double k = c.spacing / len, t = carry / len;
  // Pressure outside 0..1 would grow dabs past the dirty rectangle.
  double p0 = std::clamp(double(from.pressure), 0.0, 1.0);
  double p1 = std::clamp(double(to.pressure), 0.0, 1.0);
  int lastX = INT_MIN, lastY = INT_MIN;
  Pixel colour = c.colour;
  while (t < 1.0) {
    int x16 = rnd((from.x + dx * t) * 16.0), y16 = rnd((from.y + dy * t) * 16.0);
    double p = p0 + (p1 - p0) * t;
    double s = double(c.maxSize - c.minSize) * p + c.minSize;
    if (x16 != lastX || y16 != lastY) {
      int a = int(double(c.maxOpacity - c.minOpacity) * p + c.minOpacity);
      int d16 = rnd(s * 16.0);
      if (c.watercolour)
        colour = mixWatercolour(sampleCanvasColour(image, x16 >> 1, y16 >> 1, d16 >> 1));
      if (d16 > 64) stampLarge(image, x16 >> 1, y16 >> 1, d16 >> 1, colour, a);
      else stampSmall(image, x16, y16, d16, colour, a);
    }
    t += std::max(k * s, 0.0001);
    lastX = x16;
    lastY = y16;
  }
  return len * (t - 1.0);
}

// Bounding box of truncated end points grown by half the size, clipped to the image.
Rect BrushEngine::grownRect(double minX, double minY, double maxX, double maxY,
                            const Image32& image) const {
  int half = context_.maxSize / 2;
  int l = toInt(minX) - half - 1, t = toInt(minY) - half - 1;
  int r = toInt(maxX) + half + 2, b = toInt(maxY) + half + 2;
  return Rect{l, t, r - l + 1, b - t + 1}.intersected(image.bounds());
}

bool BrushEngine::strokeTo(Image32& image, const PointRing& ring, CurveHistory& history,
                           Rect& dirty, double& carry, StrokePoint& last) {
  StrokePoint target = ring.smoothed(context_.smoothing);
  double minX = std::min(last.x, target.x), maxX = std::max(last.x, target.x);
  double minY = std::min(last.y, target.y), maxY = std::max(last.y, target.y);
  if (!context_.curve) {
    carry = drawSegment(image, last, target, carry);
    last = target;
  } else {
    history.append(target);
    StrokePoint prev = last;
    for (int k = 0; k < BSplineTable::kSteps; ++k) {
      StrokePoint pt = history.at(bspline_, k);
      carry = drawSegment(image, prev, pt, carry);
      minX = std::min(minX, pt.x);
      maxX = std::max(maxX, pt.x);
      minY = std::min(minY, pt.y);
      maxY = std::max(maxY, pt.y);
      prev = pt;
    }
    last = prev;
  }
  dirty = grownRect(minX, minY, maxX, maxY, image);
  return !dirty.empty();
}

void BrushEngine::watercolourStart(const Image32& layer, double x, double y, Pixel colour,
                                   double mixRate) {
  int x8 = rnd(x * 16.0) >> 1, y8 = rnd(y * 16.0) >> 1, d8 = rnd(context_.maxSize * 16.0) >> 1;
  Pixel s = sampleCanvasColour(layer, x8, y8, d8);
  for (int i = 0; i < 3; ++i) {
    double pc = double((colour >> (8 * i)) & 0xFF), sc = double((s >> (8 * i)) & 0xFF);
    mix_.paint[i] = pc;
    mix_.carried[i] = pc + (sc - pc) * mixRate;
  }
}

// Mean colour of a disc of the image flattened on white; 0x00FFFFFF when nothing was taken.
Pixel BrushEngine::sampleCanvasColour(const Image32& image, int x8, int y8, int d8) const {
  if (!image.valid()) return kTransparent;
  int r = std::max((d8 / 2) >> 3, 1), cx = x8 >> 3, cy = y8 >> 3;
  // The box of the sampled rows and columns, cut to the disc that is taken.
  int y0 = std::max((y8 - d8 / 2) >> 3, cy - r + 1), y1 = std::min((y8 + d8 - 1) >> 3, cy + r - 1);
  int x0 = std::max((x8 - d8 / 2) >> 3, cx - r + 1), x1 = std::min((x8 + d8 - 1) >> 3, cx + r - 1);
  if (y0 <= y1 && x0 <= x1) {
    const int top = std::clamp(y0, 0, image.height() - 1), left = std::clamp(x0, 0, image.width() - 1);
    reach(image, {left, top, std::clamp(x1, 0, image.width() - 1) - left + 1,
                  std::clamp(y1, 0, image.height() - 1) - top + 1});
  }
  bool skipClear = context_.maskMode == kMaskTransparent || context_.maskMode == kMaskAlpha;
  int64_t sum[3] = {}, sumA = 0, n = 0;
  for (int y = y0; y <= y1; ++y) {
    int64_t dy = y - cy;
    const Pixel* row = image.row(std::clamp(y, 0, image.height() - 1));
    for (int x = x0; x <= x1; ++x) {
      int64_t dx = x - cx;
      if (dx * dx + dy * dy >= int64_t(r) * r) continue;
      Pixel q = row[std::clamp(x, 0, image.width() - 1)];
      int64_t a = alphaOf(q);
      if (skipClear && a == 0) continue;
      ++n;
      sumA += a;
      for (int i = 0; i < 3; ++i) sum[i] += int64_t((q >> (8 * i)) & 0xFF) * a;
    }
  }
  if (n == 0) return kTransparent;
  int64_t m = std::min<int64_t>(255, (sumA + n / 2) / n);
  Pixel out = 0xFF000000u;
  for (int i = 0; i < 3; ++i) {
    int64_t c = sumA == 0 ? 255 : std::min<int64_t>(255, (sum[i] + sumA / 2) / sumA);
    out |= Pixel((c * m + 255 * (255 - m) + 127) / 255) << (8 * i);
  }
  return out;
}

Pixel BrushEngine::mixWatercolour(Pixel sample) {
  bool hasColour = alphaOf(sample) != 0;
  Pixel out = 0;
  for (int i = 0; i < 3; ++i) {
    double& b = mix_.carried[i];
    if (hasColour) b += (double((sample >> (8 * i)) & 0xFF) - b) * context_.pickUpRate;
    b += (mix_.paint[i] - b) * context_.refillRate;
    out |= Pixel(std::min(255, rnd(b))) << (8 * i);
  }
  return out;
}

}  // namespace tessel
