// Anti-alias: softens staircase steps. Every 2 x 2 block of the source whose
// opposite corners match (and which is not one flat colour) marks a diagonal
// step; the two pixels off that diagonal take some of the diagonal's colour.
// The step is followed along four arms: from the off-diagonal pixels up, down,
// left and right, as long as the pixel keeps its colour and its neighbour
// across the step keeps the diagonal's colour. Half of each arm is blended,
// fading from the block outwards.
#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

constexpr int kMaxArm = 256;

bool same(Pixel a, Pixel b) { return ((a ^ b) & 0x00FCFCFCu) == 0; }

// p (the colour across the step) over the destination pixel at (x, y).
void blendOver(Image32& dst, int x, int y, Pixel p, int strength) {
  Pixel q = dst.at(x, y);
  if (strength <= 0 || same(p, q)) return;
  double a = strength * double(alphaOf(p)) / 65025.0, b = alphaOf(q) / 255.0;
  double c = a + b - a * b;
  int alpha = int(255 * c + 0.5);
  if (alpha == 0) {
    dst.set(x, y, kTransparent);
    return;
  }
  Pixel out = uint32_t(alpha) << 24;
  for (int sh = 0; sh <= 16; sh += 8) {
    double pc = (p >> sh) & 255, rc = (q >> sh) & 255;
    out |= uint32_t(clamp255(int((a * pc + b * (1 - a) * rc) / c + 0.5))) << sh;
  }
  dst.set(x, y, out);
}

struct Arm {
  int x, y;        // the off-diagonal pixel of the block
  int sx, sy;      // step along the arm
  int ax, ay;      // offset to the pixel across the step
};

void processArm(const Image32& src, Image32& dst, const Rect& r, const Arm& arm, int s) {
  Pixel own = src.at(arm.x, arm.y), across = src.at(arm.x + arm.ax, arm.y + arm.ay);
  int len = 0;
  for (int k = 1; k <= kMaxArm; ++k) {
    int x = arm.x + k * arm.sx, y = arm.y + k * arm.sy;
    if (!r.contains(x, y) || !r.contains(x + arm.ax, y + arm.ay)) break;
    if (!same(src.at(x, y), own) || !same(src.at(x + arm.ax, y + arm.ay), across)) break;
    len = k;
  }
  if (len == 0) {
    blendOver(dst, arm.x, arm.y, across, s / 2);
    return;
  }
  int t = (len + 1) / 2, u = t < 4 ? s - 16 : s;
  for (int k = 0; k <= t; ++k) {
    int x = arm.x + k * arm.sx, y = arm.y + k * arm.sy;
    blendOver(dst, x, y, src.at(x + arm.ax, y + arm.ay), u - k * u / t);
  }
}

}  // namespace

TESSEL_FILTER(filterAntiAlias) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  copyArea(dst, s, r);
  int strength = clampTo(values.slider[0], 0, 255);
  if (progress) progress->setRange(r.h - 1);
  for (int y = r.y; y + 1 < r.bottom(); ++y) {
    for (int x = r.x; x + 1 < r.right(); ++x) {
      Pixel tl = s.at(x, y), tr = s.at(x + 1, y), bl = s.at(x, y + 1), br = s.at(x + 1, y + 1);
      bool falling = same(tl, br), rising = same(tr, bl);
      if (falling && rising && same(tl, bl)) continue;
      if (falling) {
        // Off-diagonal: top-right (edge runs up and right), bottom-left (down and left).
        processArm(s, dst, r, {x + 1, y, 0, -1, -1, 0}, strength);
        processArm(s, dst, r, {x + 1, y, 1, 0, 0, 1}, strength);
        processArm(s, dst, r, {x, y + 1, 0, 1, 1, 0}, strength);
        processArm(s, dst, r, {x, y + 1, -1, 0, 0, -1}, strength);
      }
      if (rising) {
        // Off-diagonal: top-left (up and left), bottom-right (down and right).
        processArm(s, dst, r, {x, y, 0, -1, 1, 0}, strength);
        processArm(s, dst, r, {x, y, -1, 0, 0, 1}, strength);
        processArm(s, dst, r, {x + 1, y + 1, 0, 1, -1, 0}, strength);
        processArm(s, dst, r, {x + 1, y + 1, 1, 0, 0, -1}, strength);
      }
    }
    if (progress) progress->step();
  }
  return true;
}

}  // namespace tessel
