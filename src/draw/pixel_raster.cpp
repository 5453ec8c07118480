// The pixel rasteriser: integer lines with a stamp at every point, and the finger.
#include <algorithm>
#include <cstdlib>

#include "draw/brush_engine.h"
#include "draw/shape_geometry.h"
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
  for (const ShapeRun& run : runs_)
    for (int c = run.first; c <= run.last; ++c)
      smudgeCarry_[run.row * n + c] = layer.getPixel(left + c, top + run.row);
}

void BrushEngine::stampSmudge(Image32& image, int x, int y) {
  const BrushContext& ctx = context_;
  int n = smudgeSide_, left = x - n / 2, top = y - n / 2;
  if (n != shape_.side) return;   // the tip changed since the pick-up
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
      float d = float(alphaOf(*p)) * kInv255, e = float(ka) * kInv255;
      float area = d + (e - d) * fa;
      int alpha = roundAddHalf(255.0f * area);
      // Nothing with colour met here; under the alpha mask the pixel keeps its own.
      if (alpha == 0 && ctx.maskMode == kMaskAlpha) {
        k = *p;
        continue;
      }
      Pixel out = 0xFFFFFFu;
      if (alpha != 0) {
        out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          float v = (e * fa * float((k >> shift) & 0xFF) +
                     d * (1.0f - fa) * float((*p >> shift) & 0xFF)) / area;
          out |= Pixel(std::min(roundAddHalf(v), 255)) << shift;
        }
      }
      int kept = ctx.maskMode == kMaskAlpha ? int(alphaOf(*p)) : alpha;
      *p = withAlpha(out, kept);
      k = *p;
    }
  }
}

}  // namespace tessel
