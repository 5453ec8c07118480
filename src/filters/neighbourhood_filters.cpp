// Oil paint: statistics over small neighbourhoods of the source,
// coordinates clamped to the image.
#include <algorithm>
#include <climits>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

namespace tessel {

namespace {

// Statistics of every (a + 1) x (a + 1) region whose top row is one image
// row, for the region's left column x0 = x0First + i: bytewise greatest and
// least of B, G, R as pixel words, and the sums of A and A x channel.
struct RegionRow {
  std::vector<Pixel> hi, lo;
  std::vector<int> spread;
  std::vector<uint32_t> sa, sb, sg, sr;
};

// Column statistics over rows y0 ... y0 + a, then windows of a + 1 columns;
// every coordinate clamped to the image, so edge pixels count repeatedly.
void regionRow(RegionRow& out, const Image32& s, int y0, int a, int x0First, int regions) {
  int w = s.width(), h = s.height(), cols = regions + a;
  std::vector<uint8_t> hi(size_t(cols) * 4, 0), lo(size_t(cols) * 4, 255);
  std::vector<uint32_t> ca(size_t(cols), 0), cb(ca), cg(ca), cr(ca);
  for (int y = y0; y <= y0 + a; ++y) {
    const Pixel* row = s.row(clampTo(y, 0, h - 1));
    for (int i = 0; i < cols; ++i) {
      Pixel p = row[clampTo(x0First + i, 0, w - 1)];
      for (int k = 0; k < 3; ++k) {
        uint8_t c = uint8_t(p >> (8 * k));
        hi[size_t(4 * i + k)] = std::max(hi[size_t(4 * i + k)], c);
        lo[size_t(4 * i + k)] = std::min(lo[size_t(4 * i + k)], c);
      }
      uint32_t al = alphaOf(p);
      ca[size_t(i)] += al, cb[size_t(i)] += al * blueOf(p), cg[size_t(i)] += al * greenOf(p), cr[size_t(i)] += al * redOf(p);
    }
  }
  uint32_t sums[4] = {};
  for (int i = 0; i < a; ++i) sums[0] += ca[size_t(i)], sums[1] += cb[size_t(i)], sums[2] += cg[size_t(i)], sums[3] += cr[size_t(i)];
  for (int i = 0; i < regions; ++i) {
    size_t in = size_t(i + a), outgoing = size_t(i);
    sums[0] += ca[in], sums[1] += cb[in], sums[2] += cg[in], sums[3] += cr[in];
    out.sa[size_t(i)] = sums[0], out.sb[size_t(i)] = sums[1], out.sg[size_t(i)] = sums[2], out.sr[size_t(i)] = sums[3];
    sums[0] -= ca[outgoing], sums[1] -= cb[outgoing], sums[2] -= cg[outgoing], sums[3] -= cr[outgoing];
    int spread = 0;
    for (int k = 0; k < 3; ++k) {
      uint8_t top = 0, bottom = 255;
      for (int j = i; j <= i + a; ++j) top = std::max(top, hi[size_t(4 * j + k)]), bottom = std::min(bottom, lo[size_t(4 * j + k)]);
      spread += top - bottom;
    }
    out.spread[size_t(i)] = spread;
  }
}

// The region rows of a band: a ring of a + 1, so each is worked out once.
struct RegionRing {
  std::vector<RegionRow> rows;
  std::vector<int> held;
  RegionRing(int a, int regions) : rows(size_t(a + 1)), held(size_t(a + 1), INT32_MIN) {
    for (RegionRow& r : rows)
      for (auto* v : {&r.sa, &r.sb, &r.sg, &r.sr}) v->resize(size_t(regions));
    for (RegionRow& r : rows) r.spread.resize(size_t(regions));
  }
  const RegionRow& get(const Image32& s, int y0, int a, int x0First, int regions) {
    size_t k = size_t(((y0 % (a + 1)) + (a + 1)) % (a + 1));
    if (held[k] != y0) {
      regionRow(rows[k], s, y0, a, x0First, regions);
      held[k] = y0;
    }
    return rows[k];
  }
};
}  // namespace

TESSEL_FILTER(filterOilPaint) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int a = clampTo(values.slider[0], 1, 64);
  uint32_t count = uint32_t(a + 1) * uint32_t(a + 1);
  int regions = r.w + a;   // left columns r.x - a ... r.right() - 1
  if (progress) progress->setRange(r.h);
  const std::atomic<bool>* cancel = filterCancelFlag();   // the calling thread's, for both bands
  forBands(r.y, r.bottom(), (long long)r.w * 4 * count, progress, [&](int first, int last, auto step) {
    RegionRing ring(a, regions);
    for (int y = first; y < last && !filterCancelled(cancel); ++y) {
      const RegionRow& up = ring.get(s, y - a, a, r.x - a, regions);
      const RegionRow& down = ring.get(s, y, a, r.x - a, regions);
      Pixel* d = dst.row(y) + r.x;
      for (int x = 0; x < r.w; ++x) {
        // Up-left, up-right, down-right, down-left; the first smoothest wins.
        const RegionRow* row[4] = {&up, &up, &down, &down};
        const size_t col[4] = {size_t(x), size_t(x + a), size_t(x + a), size_t(x)};
        int best = 0;
        for (int k = 1; k < 4; ++k)
          if (row[k]->spread[col[k]] < row[best]->spread[col[best]]) best = k;
        const RegionRow& q = *row[best];
        size_t c = col[best];
        d[x] = boxAverage(q.sa[c], q.sb[c], q.sg[c], q.sr[c], count);
      }
      step();
    }
  });
  return true;
}

}  // namespace tessel
