// The fast dab path: cached coverage maps, rows cut to the tip's spans, and the
// common operations inlined where nothing gates them. Every loop here writes
// the bytes the per-pixel path writes, in the same order (the spray draws its
// random numbers pixel by pixel).
#include <algorithm>

#include "draw/brush/brush_engine.h"
#include "draw/brush/dab_coverage.h"
#include "draw/pixel/pixel_kernels.h"
#include "draw/pixel/pixel_rows.h"
#include "image/image32.h"

namespace tessel {

namespace {

ChannelTable makeTable(int (*fn)(int, int)) {
  ChannelTable t{};
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c) t.at[a][c] = uint8_t(fn(c, a));
  return t;
}

// One row of a dab: coverage cov[0..n-1] for pixels x0.., opacity by coverage.
struct DabRow {
  Pixel* pixels;   // the image row from x0 on
  const uint8_t* cov;
  int n;
};

template <typename Op>
void eachCovered(const DabRow& row, const int* alphaBy, Op op) {
  for (int i = 0; i < row.n; ++i)
    if (int v = row.cov[i]) op(row.pixels + i, alphaBy[v]);
}

// The spray's opacity for a pixel of ungated opacity o, drawn as the
// per-pixel operation draws it; 0 leaves the pixel alone.
template <typename Random>
inline int sprayAlpha(int o, Random& rng) {
  if (o == 0 || (rng() & 15) != 0) return 0;
  return int(1 + rng() % uint32_t(o));
}

// The operation on pixels no mask, colour mask or texture can reject;
// false for the operations left to the per-pixel table.
bool openRow(int op, const DabRow& row, const int* alphaBy, Pixel rgb, RandomSource& random) {
  switch (op) {
    case kPixelReplace:
      eachCovered(row, alphaBy, [rgb](Pixel* p, int a) { *p = withAlpha(rgb, a); });
      return true;
    case kPixelOver:
    case kPixelOverKeepAlpha:
      overRow(row.pixels, row.cov, row.n, alphaBy, rgb);
      return true;
    case kPixelMax:
      eachCovered(row, alphaBy, [rgb](Pixel* p, int a) {
        if (a >= int(alphaOf(*p))) *p = withAlpha(rgb, a);
      });
      return true;
    case kPixelSpray: {
      MersenneTwister::Cursor rng(random.twister());
      eachCovered(row, alphaBy, [rgb, &rng](Pixel* p, int o) {
        int a = sprayAlpha(o, rng);
        if (a != 0 && a >= int(alphaOf(*p))) *p = withAlpha(rgb, a);
      });
      return true;
    }
    case kPixelDodge:
    case kPixelBurn: {
      const ChannelTable& t = op == kPixelDodge ? dodgeTable() : burnTable();
      eachCovered(row, alphaBy, [&t](Pixel* p, int a) {
        Pixel q = *p;
        const uint8_t* m = t.at[a];
        *p = (q & 0xFF000000u) | Pixel(m[(q >> 16) & 0xFF]) << 16 | Pixel(m[(q >> 8) & 0xFF]) << 8 |
             Pixel(m[q & 0xFF]);
      });
      return true;
    }
    case kPixelErase:
      eachCovered(row, alphaBy, [](Pixel* p, int a) {
        int left = int(alphaOf(*p)) - a;
        *p = left <= 0 ? kTransparent : withAlpha(*p, left);
      });
      return true;
    default:
      return false;
  }
}

}  // namespace

const ChannelTable& dodgeTable() {
  static const ChannelTable table = makeTable(dodgeChannel);
  return table;
}

const ChannelTable& burnTable() {
  static const ChannelTable table = makeTable(burnChannel);
  return table;
}

bool BrushEngine::stampCovered(Image32& image, int left, int top, int diameter, int subShift,
                               Pixel colour, int a, bool large) {
  int sub = 1 << subShift;
  const DabCoverage* cov =
      coverage_.get(shape_.mask, diameter, subShift, large, left & (sub - 1), top & (sub - 1));
  if (!cov) return false;
  const BrushContext& c = context_;
  int bx = left >> subShift, by = top >> subShift, side = cov->side;
  int px0 = std::max(bx, 0), px1 = std::min(bx + side - 1, image.width() - 1);
  int py0 = std::max(by, 0), py1 = std::min(by + side - 1, image.height() - 1);
  int alphaBy[256];
  // Only the low byte reaches the pixel's alpha, as in the per-pixel path.
  for (int v = 0; v < 256; ++v) alphaBy[v] = (c.antiAlias ? (a * v + 127) / 255 : a) & 0xFF;
  bool open = c.maskMode == kMaskNone && c.colourMaskMode == kColourMaskOff &&
              !(c.texture && c.texture->usable());
  int op = c.pixelOp;
  Pixel rgb = colour & 0xFFFFFFu;
  for (int py = py0; py <= py1; ++py) {
    int r = py - by;
    int c0 = std::max<int>(cov->first[r], px0 - bx), c1 = std::min<int>(cov->last[r], px1 - bx);
    if (c0 > c1) continue;
    DabRow row{image.row(py) + (bx + c0), cov->values.data() + size_t(r) * side + c0, c1 - c0 + 1};
    if (open && openRow(op, row, alphaBy, rgb, random_)) continue;
    if (op == kPixelSpray) {
      // The spray's draws stay with the twister; the gated maximum draws none.
      MersenneTwister::Cursor rng(random_.twister());
      for (int i = 0; i < row.n; ++i) {
        int a = row.cov[i] ? sprayAlpha(alphaBy[row.cov[i]], rng) : 0;
        Pixel* p = a ? c.admit(image, bx + c0 + i, py, a) : nullptr;
        if (p && a >= int(alphaOf(*p))) *p = withAlpha(rgb, a);
      }
      continue;
    }
    for (int i = 0; i < row.n; ++i)
      if (int v = row.cov[i])
        applyPixelOp(op, image, bx + c0 + i, py, rgb | (Pixel(alphaBy[v]) << 24));
  }
  return true;
}

// The finger over rows: no gate call where nothing can reject a pixel, and a
// carried pixel equal to the one under it (with some alpha) leaves both as
// they are, which the arithmetic gives exactly.
bool BrushEngine::stampSmudgeRows(Image32& image, int x, int y) {
  const BrushContext& ctx = context_;
  int n = smudgeSide_, left = x - n / 2, top = y - n / 2;
  bool open = ctx.maskMode == kMaskNone && ctx.colourMaskMode == kColourMaskOff &&
              !(ctx.texture && ctx.texture->usable());
  bool alphaMask = ctx.maskMode == kMaskAlpha;
  float f = float(ctx.maxOpacity) * kInv255;
  for (const ShapeRun& run : runs_) {
    int py = top + run.row;
    if (py < 0 || py >= image.height()) continue;
    int c0 = std::max(run.first, -left), c1 = std::min(run.last, image.width() - 1 - left);
    Pixel* carry = smudgeCarry_.get() + run.row * n;
    if (c0 > c1) continue;
    if (open) {
      smudgeRow(image.row(py) + (left + c0), carry + c0, c1 - c0 + 1, f, alphaMask);
      continue;
    }
    for (int c = c0; c <= c1; ++c) {
      Pixel& k = carry[c];
      int ka = int(alphaOf(k));
      if (ctx.maskMode == kMaskTransparent && ka == 0) continue;
      if (ctx.colourMaskMode == kColourMaskProtect && ka > 0 && ctx.isMaskColour(k)) continue;
      int a = ctx.maxOpacity;
      Pixel* p = ctx.admit(image, left + c, py, a);
      if (!p || (*p == k && ka > 0)) continue;
      float fa = a == ctx.maxOpacity ? f : float(a) * kInv255;
      smudgePixel(k, p, fa, alphaMask);
    }
  }
  return true;
}

namespace {

Rect clipTo(const Rect& r, const Image32& a, const Image32& b) {
  return r.intersected(a.bounds()).intersected(b.bounds());
}

}  // namespace

void commitOverFast(Image32& layer, const Image32& buffer, const Image32& backup, const Rect& rect,
                    uint32_t maskMode) {
  Rect r = clipTo(clipTo(rect, layer, buffer), backup, backup);
  bool keepAlpha = maskMode == kMaskAlpha;
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* out = layer.row(y);
    const Pixel* buf = buffer.row(y);
    const Pixel* bak = backup.row(y);
    commitOverRow(out + r.x, buf + r.x, bak + r.x, r.w, keepAlpha);
  }
}

}  // namespace tessel
