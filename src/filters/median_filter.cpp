// Median (minimum, middle or maximum by luma) over a 3 x 3, 5 x 5 or 7 x 7
// neighbourhood, coordinates clamped to the image.
//
// The pixel taken is the one a selection sort by descending key (the first
// greatest wins ties) leaves at the chosen place. Its key K is found sixteen
// pixels at a time by counting, bit by bit; when every neighbour with key K
// is the same pixel, that pixel is the answer whatever the sort did with
// ties. Otherwise the sort itself decides, for that pixel alone.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "filters/filter_functions.h"
#include "filters/filter_support.h"

#pragma GCC diagnostic ignored "-Wpsabi"   // vectors never cross a call

namespace tessel {
namespace {

using U32x16 = uint32_t __attribute__((vector_size(64)));
using I32x16 = int32_t __attribute__((vector_size(64)));
constexpr int kLanes = 16;

// One row of outputs. Row j of the neighbourhood of output x is
// pixel[j][x ... x + size - 1] (and key[j] likewise), edges already repeated.
struct MedianRow {
  const Pixel* const* pixel;
  const uint32_t* const* key;
  int size, need;   // need = place taken + 1: K is the need-th greatest key
  int count;        // outputs, computed in whole steps of kLanes
  Pixel* out;
  uint8_t* unsure;  // set where tied neighbours differ
};

template <class V>
V load(const void* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void medianRowBody(const MedianRow& m) {
  int n = m.size * m.size;
  for (int x = 0; x < m.count; x += kLanes) {
    U32x16 k = {};
    if (m.need == n || m.need == 1) {   // the least or the greatest key
      k = load<U32x16>(m.key[0] + x);
      for (int j = 0; j < m.size; ++j)
        for (int i = 0; i < m.size; ++i) {
          U32x16 v = load<U32x16>(m.key[j] + x + i);
          k = m.need == 1 ? (v > k ? v : k) : (v < k ? v : k);
        }
    } else {   // the greatest K with at least `need` keys >= K
      for (uint32_t bit = 128; bit; bit >>= 1) {
        U32x16 cand = k | bit;
        I32x16 count = {};
        for (int j = 0; j < m.size; ++j)
          for (int i = 0; i < m.size; ++i) count -= load<U32x16>(m.key[j] + x + i) >= cand;
        k = count >= m.need ? cand : k;
      }
    }
    U32x16 any = {}, all = ~any;
    for (int j = 0; j < m.size; ++j)
      for (int i = 0; i < m.size; ++i) {
        U32x16 p = load<U32x16>(m.pixel[j] + x + i);
        U32x16 same = U32x16(load<U32x16>(m.key[j] + x + i) == k);
        any |= p & same;
        all &= p | ~same;
      }
    std::memcpy(m.out + x, &any, sizeof any);
    for (int l = 0; l < kLanes; ++l) m.unsure[x + l] = any[l] != all[l];
  }
}

void medianRowPlain(const MedianRow& m) { medianRowBody(m); }
#if defined(TESSEL_WIDE_FILTERS)
TESSEL_FOR_AVX2 __attribute__((flatten)) void medianRowAvx2(const MedianRow& m) { medianRowBody(m); }
TESSEL_FOR_AVX512 __attribute__((flatten)) void medianRowAvx512(const MedianRow& m) { medianRowBody(m); }
#endif

void medianRow(const MedianRow& m) {
#if defined(TESSEL_WIDE_FILTERS)
  switch (filterUnits()) {
    case FilterUnits::Avx512: return medianRowAvx512(m);
    case FilterUnits::Avx2: return medianRowAvx2(m);
    case FilterUnits::Plain: break;
  }
#endif
  medianRowPlain(m);
}

// The selection sort, as far as the place taken: descending keys, the first
// greatest found wins ties, swapped into place.
Pixel sortedPick(const MedianRow& m, int x) {
  Pixel pix[49];
  uint32_t key[49];
  int n = 0;
  for (int j = 0; j < m.size; ++j)
    for (int i = 0; i < m.size; ++i, ++n) pix[n] = m.pixel[j][x + i], key[n] = m.key[j][x + i];
  int pick = m.need - 1, last = std::min(pick, n - 2);
  for (int s = 0; s <= last; ++s) {
    int best = s;
    for (int i = s + 1; i < n; ++i)
      if (key[i] > key[best]) best = i;
    std::swap(key[s], key[best]);
    std::swap(pix[s], pix[best]);
  }
  return pix[pick];
}

// Image rows with their edges repeated, as pixels and keys, from column
// r.x - half; a ring of `size` rows so each image row is prepared once.
struct RowRing {
  int size, length;
  std::vector<Pixel> pixels;
  std::vector<uint32_t> keys;
  std::vector<int> held;   // the image row in each slot, or -1

  RowRing(int size_, int length_)
      : size(size_), length(length_), pixels(size_t(size_) * size_t(length_)), keys(pixels.size()),
        held(size_t(size_), -1) {}
  int slot(const Image32& s, int y, int x0, bool maximum) {
    int k = y % size;
    if (held[size_t(k)] == y) return k;
    held[size_t(k)] = y;
    const Pixel* row = s.row(y);
    for (int i = 0; i < length; ++i) {
      Pixel p = row[clampTo(x0 + i, 0, s.width() - 1)];
      pixels[size_t(k * length + i)] = p;
      keys[size_t(k * length + i)] = maximum && !alphaOf(p) ? 0u : uint32_t(lumaOf(p));
    }
    return k;
  }
};

}  // namespace

TESSEL_FILTER(filterMedian) {
  (void)context;
  Rect r = filterArea(dst, src, rect);
  if (r.empty()) return false;
  SeparateSource guard(dst, src);
  if (!guard.ok()) return false;
  const Image32& s = guard.get();
  int size = 3 + 2 * clampTo(values.list[0], 0, 2), half = size / 2, n = size * size;
  int use = clampTo(values.list[1], 0, 2);
  int pick = use == 0 ? n - 1 : (use == 1 ? n / 2 : 0);
  bool onlyTransparent = values.check[0] != 0, maximum = use == 2;
  int h = s.height(), count = (r.w + kLanes - 1) / kLanes * kLanes;
  if (progress) progress->setRange(r.h);
  const std::atomic<bool>* cancel = filterCancelFlag();   // the calling thread's, for both bands
  forBands(r.y, r.bottom(), r.w * n * 8, progress, [&](int first, int last, auto step) {
    RowRing ring(size, count + 2 * half);
    std::vector<Pixel> out(size_t(count), 0);
    std::vector<uint8_t> unsure(size_t(count), 0);
    const Pixel* pixel[7];
    const uint32_t* key[7];
    for (int y = first; y < last && !filterCancelled(cancel); ++y) {
      for (int j = 0; j < size; ++j) {
        int k = ring.slot(s, clampTo(y - half + j, 0, h - 1), r.x - half, maximum);
        pixel[j] = &ring.pixels[size_t(k * ring.length)];
        key[j] = &ring.keys[size_t(k * ring.length)];
      }
      MedianRow m{pixel, key, size, pick + 1, count, out.data(), unsure.data()};
      medianRow(m);
      const Pixel* centre = s.row(y) + r.x;
      Pixel* d = dst.row(y) + r.x;
      for (int x = 0; x < r.w; ++x) {
        if (onlyTransparent && alphaOf(centre[x])) {
          d[x] = centre[x];
          continue;
        }
        Pixel chosen = unsure[size_t(x)] ? sortedPick(m, x) : out[size_t(x)];
        d[x] = alphaOf(chosen) ? chosen : centre[x];
      }
      step();
    }
  });
  return true;
}

}  // namespace tessel
