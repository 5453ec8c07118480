// The display compositor's packed loops. Every loop gives exactly the result of
// the plain per-pixel compositor (compositeDisplayLayerScalar):
// - Normal, Multiply, Add and Subtract work on the four bytes of a pixel in
//   16-bit lanes, four pixels at a time;
// - table modes look the three colour bytes up and blend four pixels at once;
// - modes 17-20 compute hue, chroma and luma of four pixels at once with the
//   same single-precision operations, in the same order, as the plain code.
// Where the processor has AVX2 or AVX-512, the eight- and sixteen-pixel loops
// (compositors_avx2.cpp, compositors_avx512.cpp) take each row first and these
// finish it. Rows are taken bottom first, which reads memory front to back.
#include <algorithm>
#include <cstdint>

#include "document/compositors.h"
#include "document/display_pixel.h"
#include "document/display_wide.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tessel {

namespace {

#ifdef __SSE2__

int knownMode(int mode) { return mode >= 0 && mode < kBlendModeCount ? mode : kBlendNormal; }

inline __m128i load4(const Pixel* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store4(Pixel* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// The layer is read once, front to back; asking for it 8 KB ahead keeps the
// memory busy while the current pixels are blended. The address may lie past
// the image: prefetching never faults.
inline void prefetchAhead(const Pixel* p) {
  _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(p) + 8192), _MM_HINT_T0);
}

// Coverage (op * alpha) >> 7 of four pixels, one per 32-bit lane.
inline __m128i coverage4(__m128i s, __m128i op32) {
  return _mm_srli_epi32(_mm_mullo_epi16(_mm_srli_epi32(s, 24), op32), 7);
}
inline bool allZero(__m128i v) {
  return _mm_movemask_epi8(_mm_cmpeq_epi32(v, _mm_setzero_si128())) == 0xFFFF;
}
// Spreads each pixel's coverage over its four 16-bit lanes: pixels 0-1 and 2-3.
inline void spread(__m128i k32, __m128i& klo, __m128i& khi) {
  __m128i k = _mm_packs_epi32(k32, k32);
  k = _mm_unpacklo_epi16(k, k);
  klo = _mm_unpacklo_epi32(k, k);
  khi = _mm_unpackhi_epi32(k, k);
}
inline __m128i widenLo(__m128i v) { return _mm_unpacklo_epi8(v, _mm_setzero_si128()); }
inline __m128i widenHi(__m128i v) { return _mm_unpackhi_epi8(v, _mm_setzero_si128()); }

// d + ((b - d) * k >> 8) per byte. The product of the 16-bit lanes wraps, but
// its bits 8-15 are exactly the low byte of the arithmetic shift, and the
// result lies between d and b, so adding bytes modulo 256 gives it exactly.
inline __m128i mixShift4(__m128i b16lo, __m128i b16hi, __m128i d, __m128i klo, __m128i khi) {
  __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_sub_epi16(b16lo, widenLo(d)), klo), 8);
  __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_sub_epi16(b16hi, widenHi(d)), khi), 8);
  return _mm_add_epi8(d, _mm_packus_epi16(lo, hi));
}

// n div 255 for 16-bit lanes n <= 65535: (n * 0x8081) >> 23.
inline __m128i div255(__m128i n) { return _mm_srli_epi16(_mm_mulhi_epu16(n, _mm_set1_epi16(short(0x8081))), 7); }

// d + ((b - d) * k) div 255 per byte, truncating towards zero: the positive and
// negative parts are divided separately.
inline __m128i mixDiv4(__m128i b, __m128i d, __m128i klo, __m128i khi) {
  __m128i up = _mm_subs_epu8(b, d), down = _mm_subs_epu8(d, b);
  __m128i lo = _mm_sub_epi16(_mm_add_epi16(widenLo(d), div255(_mm_mullo_epi16(widenLo(up), klo))),
                             div255(_mm_mullo_epi16(widenLo(down), klo)));
  __m128i hi = _mm_sub_epi16(_mm_add_epi16(widenHi(d), div255(_mm_mullo_epi16(widenHi(up), khi))),
                             div255(_mm_mullo_epi16(widenHi(down), khi)));
  return _mm_packus_epi16(lo, hi);
}

enum class Packed { Normal, Multiply, Add, Subtract };

template <Packed kind>
void rowPacked(Pixel* d, const Pixel* s, int n, int opacity) {
  const __m128i op32 = _mm_set1_epi32(opacity);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    if ((i & 15) == 0) prefetchAhead(s + i);
    __m128i sv = load4(s + i);
    __m128i k32 = coverage4(sv, op32);
    if (allZero(k32)) continue;
    __m128i dv = load4(d + i), klo, khi;
    spread(k32, klo, khi);
    __m128i out;
    if constexpr (kind == Packed::Normal) {
      out = mixShift4(widenLo(sv), widenHi(sv), dv, klo, khi);
    } else if constexpr (kind == Packed::Multiply) {
      __m128i blo = _mm_srli_epi16(_mm_mullo_epi16(widenLo(sv), widenLo(dv)), 8);
      __m128i bhi = _mm_srli_epi16(_mm_mullo_epi16(widenHi(sv), widenHi(dv)), 8);
      out = mixShift4(blo, bhi, dv, klo, khi);
    } else {
      __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(widenLo(sv), klo), 8);
      __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(widenHi(sv), khi), 8);
      __m128i amount = _mm_packus_epi16(lo, hi);
      out = kind == Packed::Add ? _mm_adds_epu8(dv, amount) : _mm_subs_epu8(dv, amount);
    }
    store4(d + i, out);
  }
  for (; i < n; ++i) {
    int k = display::coverage(opacity, s[i]);
    if constexpr (kind == Packed::Normal) d[i] = display::normal(s[i], d[i], k);
    if constexpr (kind == Packed::Multiply) d[i] = display::multiply(s[i], d[i], k);
    if constexpr (kind == Packed::Add) d[i] = display::add(s[i], d[i], k);
    if constexpr (kind == Packed::Subtract) d[i] = display::subtract(s[i], d[i], k);
  }
}

inline Pixel lookUp(Pixel s, Pixel d, const uint8_t* t) {
  return (d & 0xFF000000u) | Pixel(t[((d & 0xFF) << 8) | (s & 0xFF)]) |
         Pixel(t[(d & 0xFF00) | ((s >> 8) & 0xFF)]) << 8 |
         Pixel(t[((d >> 8) & 0xFF00) | ((s >> 16) & 0xFF)]) << 16;
}

void rowTable(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t* t) {
  const __m128i op32 = _mm_set1_epi32(opacity);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i sv = load4(s + i);
    __m128i k32 = coverage4(sv, op32);
    if (allZero(k32)) continue;
    __m128i klo, khi;
    spread(k32, klo, khi);
    // The looked-up colour carries d's alpha, so the alpha byte stays as it was.
    __m128i bv = _mm_setr_epi32(int(lookUp(s[i], d[i], t)), int(lookUp(s[i + 1], d[i + 1], t)),
                                int(lookUp(s[i + 2], d[i + 2], t)), int(lookUp(s[i + 3], d[i + 3], t)));
    store4(d + i, mixShift4(widenLo(bv), widenHi(bv), load4(d + i), klo, khi));
  }
  for (; i < n; ++i) d[i] = display::table(s[i], d[i], display::coverage(opacity, s[i]), t);
}

// ---- Hue, chroma and luma of four pixels, as hclFromRgb and rgbFromHcl ----

struct Hcl4 {
  __m128 h, c, y;
};

inline __m128 select(__m128 mask, __m128 a, __m128 b) {
  return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}
inline __m128 fraction(__m128i p, int shift) {
  __m128i v = _mm_and_si128(_mm_srli_epi32(p, shift), _mm_set1_epi32(0xFF));
  return _mm_mul_ps(_mm_cvtepi32_ps(v), _mm_set1_ps(kInv255));
}
inline __m128 luma(__m128 r, __m128 g, __m128 b) {
  return _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(0.3f), r), _mm_mul_ps(_mm_set1_ps(0.59f), g)),
                    _mm_mul_ps(_mm_set1_ps(0.11f), b));
}

inline Hcl4 hcl4(__m128i p) {
  const __m128 zero = _mm_setzero_ps();
  __m128 r = fraction(p, 16), g = fraction(p, 8), b = fraction(p, 0);
  Hcl4 o;
  o.y = luma(r, g, b);
  __m128 mx = _mm_max_ps(_mm_max_ps(r, g), b), mn = _mm_min_ps(_mm_min_ps(r, g), b);
  o.c = _mm_sub_ps(mx, mn);
  __m128 isR = _mm_cmpeq_ps(r, mx);
  __m128 isG = _mm_andnot_ps(isR, _mm_cmpeq_ps(g, mx));
  __m128 num = select(isR, _mm_sub_ps(g, b), select(isG, _mm_sub_ps(b, r), _mm_sub_ps(r, g)));
  __m128 base = select(isR, zero, select(isG, _mm_set1_ps(120.0f), _mm_set1_ps(240.0f)));
  __m128 grey = _mm_cmpeq_ps(o.c, zero);
  __m128 divisor = select(grey, _mm_set1_ps(1.0f), o.c);
  __m128 angle = _mm_add_ps(_mm_div_ps(_mm_mul_ps(_mm_set1_ps(60.0f), num), divisor), base);
  angle = _mm_add_ps(angle, _mm_and_ps(_mm_cmplt_ps(angle, zero), _mm_set1_ps(360.0f)));
  o.h = _mm_andnot_ps(grey, _mm_div_ps(angle, _mm_set1_ps(360.0f)));
  return o;
}

inline __m128 clamp01(__m128 v) { return _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(1.0f)); }
inline __m128i toByte(__m128 v) {
  return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(v, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
}
inline __m128i selectInt(__m128 mask, __m128i a, __m128i b) {
  __m128i m = _mm_castps_si128(mask);
  return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
}

// Four colours 0x00RRGGBB from hue, chroma and luma.
inline __m128i rgb4(__m128 h, __m128 c, __m128 y) {
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  const __m128 two = _mm_set1_ps(2.0f), four = _mm_set1_ps(4.0f), six = _mm_set1_ps(6.0f);
  __m128 h6 = _mm_mul_ps(h, six);
  __m128 r = clamp01(_mm_max_ps(_mm_sub_ps(two, h6), _mm_sub_ps(h6, four)));
  __m128 g = clamp01(_mm_min_ps(h6, _mm_sub_ps(four, h6)));
  __m128 b = clamp01(_mm_min_ps(_mm_sub_ps(h6, two), _mm_sub_ps(six, h6)));
  __m128 y0 = luma(r, g, b);
  __m128 or_ = _mm_mul_ps(_mm_sub_ps(r, y0), c), og = _mm_mul_ps(_mm_sub_ps(g, y0), c),
         ob = _mm_mul_ps(_mm_sub_ps(b, y0), c);
  __m128 mx = _mm_max_ps(_mm_max_ps(or_, og), ob), mn = _mm_min_ps(_mm_min_ps(or_, og), ob);
  __m128 a = select(_mm_cmpgt_ps(_mm_add_ps(y, mx), one), _mm_div_ps(_mm_sub_ps(one, y), mx), one);
  __m128 t = _mm_div_ps(_mm_xor_ps(y, _mm_set1_ps(-0.0f)), mn);
  a = select(_mm_and_ps(_mm_cmplt_ps(_mm_add_ps(y, mn), zero), _mm_cmplt_ps(t, a)), t, a);
  __m128 grey = _mm_or_ps(_mm_cmpeq_ps(c, zero), _mm_cmplt_ps(h, zero));
  __m128i greyByte = toByte(y);
  __m128i rb = selectInt(grey, greyByte, toByte(_mm_add_ps(y, _mm_mul_ps(or_, a))));
  __m128i gb = selectInt(grey, greyByte, toByte(_mm_add_ps(y, _mm_mul_ps(og, a))));
  __m128i bb = selectInt(grey, greyByte, toByte(_mm_add_ps(y, _mm_mul_ps(ob, a))));
  // Saturate to 0..255 and interleave: bytes b0..b3 g0..g3 r0..r3 -> b g r 0 per pixel.
  __m128i x = _mm_packus_epi16(_mm_packs_epi32(bb, gb), _mm_packs_epi32(rb, _mm_setzero_si128()));
  __m128i bg = _mm_unpacklo_epi8(x, _mm_srli_si128(x, 4));
  __m128i r0 = _mm_unpacklo_epi8(_mm_srli_si128(x, 8), _mm_setzero_si128());
  return _mm_unpacklo_epi16(bg, r0);
}

template <int mode>
inline __m128i blendHcl4(__m128i s, __m128i d) {
  Hcl4 hs = hcl4(s), hd = hcl4(d);
  if constexpr (mode == kBlendHue) return rgb4(hs.h, hd.c, hd.y);
  if constexpr (mode == kBlendSaturation) return rgb4(hd.h, hs.c, hd.y);
  if constexpr (mode == kBlendColour) return rgb4(hs.h, hs.c, hd.y);
  return rgb4(hd.h, hd.c, hs.y);
}

template <int mode>
void rowHcl(Pixel* d, const Pixel* s, int n, int opacity) {
  const __m128i op32 = _mm_set1_epi32(opacity);
  const __m128i colourMask = _mm_set1_epi32(0x00FFFFFF), alphaMask = _mm_set1_epi32(int(0xFF000000u));
  // Flat areas repeat the same four source and destination colours; their
  // blend is then taken from the previous group (the computation is exact,
  // so the result is the same).
  __m128i lastS = _mm_set1_epi32(-1), lastD = _mm_set1_epi32(-1), lastB = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i sv = load4(s + i);
    __m128i k32 = coverage4(sv, op32);
    if (allZero(k32)) continue;   // also covers alpha 0, where nothing is blended
    __m128i dv = load4(d + i);
    __m128i sc = _mm_and_si128(sv, colourMask), dc = _mm_and_si128(dv, colourMask);
    __m128i same = _mm_and_si128(_mm_cmpeq_epi32(sc, lastS), _mm_cmpeq_epi32(dc, lastD));
    if (_mm_movemask_epi8(same) != 0xFFFF) {
      lastB = blendHcl4<mode>(sv, dv);
      lastS = sc;
      lastD = dc;
    }
    __m128i klo, khi;
    spread(k32, klo, khi);
    store4(d + i, mixDiv4(_mm_or_si128(lastB, _mm_and_si128(dv, alphaMask)), dv, klo, khi));
  }
  for (; i < n; ++i) d[i] = display::hcl(mode, s[i], d[i], display::coverage(opacity, s[i]));
}

using RowFn = void (*)(Pixel*, const Pixel*, int, int);

RowFn rowFunction(int mode) {
  switch (mode) {
    case kBlendNormal: return rowPacked<Packed::Normal>;
    case kBlendMultiply: return rowPacked<Packed::Multiply>;
    case kBlendAdd: return rowPacked<Packed::Add>;
    case kBlendSubtract: return rowPacked<Packed::Subtract>;
    case kBlendHue: return rowHcl<kBlendHue>;
    case kBlendSaturation: return rowHcl<kBlendSaturation>;
    case kBlendColour: return rowHcl<kBlendColour>;
    case kBlendLuminosity: return rowHcl<kBlendLuminosity>;
    default: return nullptr;
  }
}

#endif  // __SSE2__

}  // namespace

void compositeDisplayLayer(Image32& composite, const Image32& layer, int mode, int opacity,
                           const Rect& rect, BlendTable& table) {
#ifdef __SSE2__
  mode = knownMode(mode);
  if (rect.empty() || opacity <= 0) return;   // coverage 0 changes nothing
  RowFn fn = rowFunction(mode);
  if (!fn) table.build(mode);
  const uint8_t* t = table.data();
  display::WideRow wide = display::wideRow(mode);
  // Rows lie bottom-up in memory: going from the bottom row up reads memory forwards.
  for (int y = rect.bottom() - 1; y >= rect.y; --y) {
    Pixel* d = composite.row(y) + rect.x;
    const Pixel* s = layer.row(y) + rect.x;
    int done = wide ? wide(d, s, rect.w, opacity, t) : 0;
    if (fn)
      fn(d + done, s + done, rect.w - done, opacity);
    else
      rowTable(d + done, s + done, rect.w - done, opacity, t);
  }
#else
  compositeDisplayLayerScalar(composite, layer, mode, opacity, rect, table);
#endif
}

void compositeDisplayTiles(Image32& composite, const TiledImage& layer, int mode, int opacity, const Rect& rect,
                           BlendTable& table) {
  mode = knownMode(mode);
  if (rect.empty() || opacity <= 0) return;
#ifdef __SSE2__
  RowFn fn = rowFunction(mode);
  if (!fn) table.build(mode);
  const uint8_t* t = table.data();
  display::WideRow wide = display::wideRow(mode);
  // A column of tiles at a time, rows top down: each tile is read front to
  // back while the piece of the composite stays in cache. Absent tiles are
  // transparent, and coverage 0 leaves the composite as it is.
  constexpr int kW = TiledImage::kTileWidth, kH = TiledImage::kTileHeight;
  for (int tx = rect.x / kW; tx * kW < rect.right(); ++tx) {
    const int x0 = std::max(rect.x, tx * kW), n = std::min(rect.right(), tx * kW + kW) - x0;
    for (int y = rect.y; y < rect.bottom();) {
      const int ty = y / kH, yEnd = std::min(rect.bottom(), ty * kH + kH);
      const TiledImage::Tile* tile = layer.tile(tx, ty);
      if (!tile) {
        y = yEnd;
        continue;
      }
      for (; y < yEnd; ++y) {
        Pixel* d = composite.row(y) + x0;
        const Pixel* s = tile->px + (y - ty * kH) * kW + (x0 - tx * kW);
        int done = wide ? wide(d, s, n, opacity, t) : 0;
        if (done == n) continue;   // tile rows are a whole number of wide steps
        if (fn)
          fn(d + done, s + done, n - done, opacity);
        else
          rowTable(d + done, s + done, n - done, opacity, t);
      }
    }
  }
#else
  Image32 flat;
  if (layer.materialize(flat)) compositeDisplayLayerScalar(composite, flat, mode, opacity, rect, table);
#endif
}

void compositeDisplayLayers(Image32& composite, std::span<const DisplayLayer> layers, const Rect& rect,
                            bool checker, Pixel checkColour1, Pixel checkColour2, BlendTable& table) {
  if (rect.empty()) return;
  // About 512 KB of composite per band: it stays in the second-level cache
  // while every layer passes over it, and bands are still tall enough that
  // the blend tables of layers in different modes are not fetched too often.
  constexpr int kBandPixels = 128 * 1024;
  int bandRows = std::max(1, kBandPixels / rect.w);
  // With tiled layers, bands follow the tiles' rows so that a tile is read in
  // whole runs of rows. Such a band is taller than the cache, yet cutting it
  // into narrower pieces measured slower in normal mode: the composite is then
  // read in short runs that the prefetcher does not follow.
  const bool tiled = std::any_of(layers.begin(), layers.end(), [](const DisplayLayer& l) { return l.tiles; });
  constexpr int kTileRows = TiledImage::kTileHeight;
  if (tiled) bandRows = std::max(kTileRows, bandRows / kTileRows * kTileRows);
  for (int top = rect.y; top < rect.bottom();) {
    int rows = tiled ? (top / kTileRows + bandRows / kTileRows) * kTileRows - top : bandRows;
    const int h = std::min(rows, rect.bottom() - top);
    const Rect band{rect.x, top, rect.w, h};
    if (checker)
      composite.fillChecker(band.x, band.y, band.w, band.h, checkColour1, checkColour2);
    else
      composite.fillRect(band.x, band.y, band.w, band.h, kTransparent);
    for (const DisplayLayer& l : layers) {
      if (l.tiles)
        compositeDisplayTiles(composite, *l.tiles, l.mode, l.opacity, band, table);
      else
        compositeDisplayLayer(composite, *l.image, l.mode, l.opacity, band, table);
    }
    top += h;
  }
}

}  // namespace tessel
