// 3 x 3 convolutions. Neighbours outside the image repeat the edge pixel;
// every output pixel reads the unchanged source.
#include <cmath>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {
namespace {

struct Kernel {
  int k[9];   // row by row from the top
  int divisor;
  int offset;
};

// Alpha-weighted values of one source row over columns x0-1 ... x1, edges repeated:
// four ints per column (A*B, A*G, A*R, A).
void weightedRow(const Image32& src, int y, int x0, int x1, int* out) {
  const Pixel* s = src.row(clampTo(y, 0, src.height() - 1));
  int w = src.width();
  for (int x = x0 - 1; x <= x1; ++x, out += 4) {
    Pixel p = s[clampTo(x, 0, w - 1)];
    int a = alphaOf(p);
    out[0] = a * blueOf(p), out[1] = a * greenOf(p), out[2] = a * redOf(p), out[3] = a;
  }
}

bool convolve(const Kernel& kn, Image32& dst, const Image32& srcIn, const Rect& rect, Progress* progress,
              bool desaturate) {
  Rect r = filterArea(dst, srcIn, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, srcIn);
  if (!guard.ok()) return false;
  const Image32& src = guard.get();
  if (progress) progress->setRange(r.h);
  size_t stride = size_t(r.w + 2) * 4;
  forRows(r.y, r.bottom(), r.w * 9, progress, [&](int y) {
    std::vector<int> rows(stride * 3);
    for (int j = 0; j < 3; ++j) weightedRow(src, y - 1 + j, r.x, r.right(), &rows[stride * size_t(j)]);
    Pixel* d = dst.row(y) + r.x;
    for (int x = 0; x < r.w; ++x) {
      int sb = 0, sg = 0, sr = 0, sa = 0;
      for (int j = 0; j < 3; ++j) {
        const int* p = &rows[stride * size_t(j) + size_t(x) * 4];
        for (int i = 0; i < 3; ++i, p += 4) {
          int k = kn.k[j * 3 + i];
          sb += k * p[0], sg += k * p[1], sr += k * p[2], sa += p[3];
        }
      }
      int alpha = sa / 9;
      if (alpha == 0) {
        d[x] = kTransparent;
        continue;
      }
      int cb = clamp255(sb / alpha / kn.divisor + kn.offset);
      int cg = clamp255(sg / alpha / kn.divisor + kn.offset);
      int cr = clamp255(sr / alpha / kn.divisor + kn.offset);
      Pixel out = makePixel(alpha, cr, cg, cb);
      d[x] = desaturate ? (out & 0xFF000000u) | uint32_t(lumaOf(out)) * 0x010101u : out;
    }
  });
  return true;
}

}  // namespace

TESSEL_FILTER(filterSharpen) {
  (void)context;
  int s = values.slider[0];
  Kernel k{{-s, -s, -s, -s, 8 * s + 100, -s, -s, -s, -s}, 100, 0};
  return convolve(k, dst, src, rect, progress, false);
}

TESSEL_FILTER(filterLaplacian) {
  (void)values, (void)context;
  Kernel k{{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1, 255};
  return convolve(k, dst, src, rect, progress, false);
}

TESSEL_FILTER(filterEmboss) {
  (void)context;
  int e = values.check[0] ? values.slider[0] : -values.slider[0];
  bool colour = values.check[1] != 0;
  Kernel k{{0, 0, 0, 0, colour ? 1 : 0, 0, 0, 0, 0}, 1, colour ? 0 : 128};
  switch (values.list[0]) {
    case 0: k.k[3] = e, k.k[5] = -e; break;               // left-right
    case 1: k.k[1] = e, k.k[7] = -e; break;               // up-down
    default: k.k[0] = e, k.k[1] = e, k.k[7] = -e, k.k[8] = -e;   // diagonal
  }
  return convolve(k, dst, src, rect, progress, !colour);
}

TESSEL_FILTER(filterSobel) {
  (void)values, (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int w = s.width(), h = s.height();
  if (progress) progress->setRange(r.h);
  forRows(r.y, r.bottom(), r.w * 9, progress, [&](int y) {
    const Pixel* up = s.row(clampTo(y - 1, 0, h - 1));
    const Pixel* mid = s.row(y);
    const Pixel* dn = s.row(clampTo(y + 1, 0, h - 1));
    Pixel* d = dst.row(y);
    for (int x = r.x; x < r.right(); ++x) {
      Pixel c = mid[x];
      if (!alphaOf(c)) {
        d[x] = kTransparent;
        continue;
      }
      int xl = x > 0 ? x - 1 : 0, xr = x + 1 < w ? x + 1 : w - 1;
      Pixel out = c & 0xFF000000u;
      for (int sh = 0; sh <= 16; sh += 8) {
        auto v = [sh](Pixel p) { return int((p >> sh) & 255); };
        int gy = -v(up[xl]) - 2 * v(up[x]) - v(up[xr]) + v(dn[xl]) + 2 * v(dn[x]) + v(dn[xr]);
        int gx = -v(up[xl]) + v(up[xr]) - 2 * v(mid[xl]) + 2 * v(mid[xr]) - v(dn[xl]) + v(dn[xr]);
        out |= uint32_t(clamp255(int(std::sqrt(double(gx * gx + gy * gy))))) << sh;
      }
      d[x] = out;
    }
  });
  return true;
}

}  // namespace tessel
