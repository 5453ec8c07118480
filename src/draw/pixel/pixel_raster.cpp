// The pixel rasteriser: integer lines with a stamp at every point, and the finger.
#include <algorithm>
#include <cstdlib>

#include "draw/brush/brush_engine.h"
#include "draw/pixel/pixel_kernels.h"
#include "draw/shape/shape_geometry.h"
#include "image/image32.h"
#include "image/pixel.h"

namespace tessel {

void BrushEngine::pixelLine(Image32& image, int x0, int y0, int x1, int y1, Pixel colour,
                            bool skipFirst, StampKind kind, int op) {
  walkLine(x0, y0, x1, y1, skipFirst, [&](int x, int y) { stampAt(image, x, y, colour, kind, op); });
}

void BrushEngine::buildRuns() {
  runs_.clear();
  int n = shape_.side;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      if (!shape_.isSet(c, r)) continue;
      int first = c;
      while (c + 1 < n && shape_.isSet(c + 1, r)) ++c;
      runs_.push_back({r, first, c});
    }
}

void BrushEngine::stampAt(Image32& image, int x, int y, Pixel colour, StampKind kind, int op) {
  ++dabs_;
  const int n = kind == StampKind::Point ? 0 : std::max(shape_.side, smudgeSide_) + 1;
  reach(image, {x - n, y - n, 2 * n + 1, 2 * n + 1});
  if (kind == StampKind::Point) applyPixelOp(op, image, x, y, colour);
  else if (kind == StampKind::Smudge) stampSmudge(image, x, y);
  else stampShape(image, x, y, colour, op);
}

// The tip with its top-left at (x - n/2, y - n/2); runs are cut to the image.
void BrushEngine::stampShape(Image32& image, int x, int y, Pixel colour, int op) {
  int n = shape_.side, left = x - n / 2, top = y - n / 2;
  if (left >= image.width() || top >= image.height() || left + n <= 0 || top + n <= 0) return;
  const BrushContext& c = context_;
  // With nothing to gate, replacing is a plain fill of each run.
  bool plain = op == kPixelReplace && c.maskMode == kMaskNone &&
               c.colourMaskMode == kColourMaskOff && !(c.texture && c.texture->usable());
  Pixel value = alphaOf(colour) == 0 ? kTransparent : colour;
  for (const ShapeRun& run : runs_) {
    int py = top + run.row;
    if (py < 0 || py >= image.height()) continue;
    int x0 = std::max(left + run.first, 0), x1 = std::min(left + run.last, image.width() - 1);
    if (x0 > x1) continue;
    if (plain) {
      std::fill(image.row(py) + x0, image.row(py) + x1 + 1, value);
      continue;
    }
    for (int px = x0; px <= x1; ++px) applyPixelOp(op, image, px, py, colour);
  }
}

// The layer under the tip, one pixel per set tip position; opaque white off the image.
void BrushEngine::smudgePickUp(const Image32& layer, int x, int y) {
  int n = std::min(shape_.side, kMaskSide), left = x - n / 2, top = y - n / 2;
  smudgeSide_ = n;
  for (const ShapeRun& run : runs_) {
    int c = run.first, py = top + run.row;
    Pixel* carry = smudgeCarry_.get() + run.row * n;
    if (fast_ && py >= 0 && py < layer.height()) {
      // The part of the run on the image is one row copy.
      int c0 = std::clamp(-left, run.first, run.last + 1);
      int c1 = std::clamp(layer.width() - 1 - left, run.first - 1, run.last);
      for (; c < c0; ++c) carry[c] = layer.getPixel(left + c, py);
      if (c0 <= c1) {
        const Pixel* from = layer.row(py) + (left + c0);
        std::copy(from, from + (c1 - c0 + 1), carry + c0);
      }
      c = std::max(c, c1 + 1);
    }
    for (; c <= run.last; ++c) carry[c] = layer.getPixel(left + c, py);
  }
}

void BrushEngine::stampSmudge(Image32& image, int x, int y) {
  const BrushContext& ctx = context_;
  int n = smudgeSide_, left = x - n / 2, top = y - n / 2;
  if (n != shape_.side) return;   // the tip changed since the pick-up
  if (fast_ && stampSmudgeRows(image, x, y)) return;
  float f = float(ctx.maxOpacity) * kInv255;
  for (const ShapeRun& run : runs_) {
    int py = top + run.row;
    if (py < 0 || py >= image.height()) continue;
    int c0 = std::max(run.first, -left), c1 = std::min(run.last, image.width() - 1 - left);
    for (int c = c0; c <= c1; ++c) {
      Pixel& k = smudgeCarry_[run.row * n + c];
      int ka = int(alphaOf(k));
      if (ctx.maskMode == kMaskTransparent && ka == 0) continue;
      if (ctx.colourMaskMode == kColourMaskProtect && ka > 0 && ctx.isMaskColour(k)) continue;
      int a = ctx.maxOpacity;
      Pixel* p = ctx.admit(image, left + c, py, a);
      if (!p) continue;
      float fa = a == ctx.maxOpacity ? f : float(a) * kInv255;
      smudgePixel(k, p, fa, ctx.maskMode == kMaskAlpha);
    }
  }
}

}  // namespace tessel
