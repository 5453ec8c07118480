// Eight-pixel (AVX2) display-compositor loops, and the choice of loop width.
// They carry out exactly the arithmetic of the four-pixel loops in
// compositors_fast.cpp, twice as wide; the blend table is read with gathers.
// Only compiled for x86-64 with GCC or Clang, and only called when the
// processor reports AVX2.
#include "document/display_wide.h"

#include <atomic>
#include <cstdint>

#include "document/blend_modes.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TESSEL_WIDE 1
#include <immintrin.h>
#endif

namespace tessel::display {

#ifdef TESSEL_WIDE

namespace {

#define WIDE __attribute__((target("avx2")))

WIDE inline __m256i load8(const Pixel* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
WIDE inline void store8(Pixel* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
// The layer is read once, front to back; asking for it 8 KB ahead keeps the
// memory busy while the current pixels are blended. The address may lie past
// the image: prefetching never faults.
WIDE inline void prefetchAhead(const Pixel* p) {
  _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(p) + 8192), _MM_HINT_T0);
}
WIDE inline __m256i alphaMask() { return _mm256_set1_epi32(int(0xFF000000u)); }
WIDE inline bool noAlpha(__m256i s) { return _mm256_testz_si256(s, alphaMask()); }

// Coverage (op * alpha) >> 7 in the four 16-bit lanes of each pixel, for the
// pixels that unpacklo (lo) and unpackhi (hi) widen. At full opacity it is alpha.
template <bool full>
WIDE inline void coverage(__m256i s, __m256i op16, __m256i& klo, __m256i& khi) {
  const __m256i lo = _mm256_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1,
                                      3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
  const __m256i hi = _mm256_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1,
                                      11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
  klo = _mm256_shuffle_epi8(s, lo);
  khi = _mm256_shuffle_epi8(s, hi);
  if constexpr (!full) {
    klo = _mm256_srli_epi16(_mm256_mullo_epi16(klo, op16), 7);
    khi = _mm256_srli_epi16(_mm256_mullo_epi16(khi, op16), 7);
  }
}

WIDE inline __m256i widenLo(__m256i v) { return _mm256_unpacklo_epi8(v, _mm256_setzero_si256()); }
WIDE inline __m256i widenHi(__m256i v) { return _mm256_unpackhi_epi8(v, _mm256_setzero_si256()); }

// d + ((b - d) * k >> 8) per byte (see mixShift4 for why wrapping lanes are exact).
WIDE inline __m256i mixShift(__m256i blo, __m256i bhi, __m256i d, __m256i klo, __m256i khi) {
  __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(blo, widenLo(d)), klo), 8);
  __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(bhi, widenHi(d)), khi), 8);
  return _mm256_add_epi8(d, _mm256_packus_epi16(lo, hi));
}

WIDE inline __m256i div255(__m256i n) {
  return _mm256_srli_epi16(_mm256_mulhi_epu16(n, _mm256_set1_epi16(short(0x8081))), 7);
}

// d + ((b - d) * k) div 255 per byte, truncating towards zero.
WIDE inline __m256i mixDiv(__m256i b, __m256i d, __m256i klo, __m256i khi) {
  __m256i up = _mm256_subs_epu8(b, d), down = _mm256_subs_epu8(d, b);
  __m256i lo = _mm256_sub_epi16(_mm256_add_epi16(widenLo(d), div255(_mm256_mullo_epi16(widenLo(up), klo))),
                                div255(_mm256_mullo_epi16(widenLo(down), klo)));
  __m256i hi = _mm256_sub_epi16(_mm256_add_epi16(widenHi(d), div255(_mm256_mullo_epi16(widenHi(up), khi))),
                                div255(_mm256_mullo_epi16(widenHi(down), khi)));
  return _mm256_packus_epi16(lo, hi);
}

enum Packed { kNormal, kMultiply, kAdd, kSubtract };

template <int kind, bool full>
WIDE int packedRow(Pixel* d, const Pixel* s, int n, int opacity) {
  const __m256i op16 = _mm256_set1_epi16(short(opacity));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    if ((i & 15) == 0) prefetchAhead(s + i);
    __m256i sv = load8(s + i);
    if (noAlpha(sv)) continue;
    __m256i dv = load8(d + i), klo, khi;
    coverage<full>(sv, op16, klo, khi);
    __m256i out;
    if constexpr (kind == kNormal) {
      out = mixShift(widenLo(sv), widenHi(sv), dv, klo, khi);
    } else if constexpr (kind == kMultiply) {
      __m256i blo = _mm256_srli_epi16(_mm256_mullo_epi16(widenLo(sv), widenLo(dv)), 8);
      __m256i bhi = _mm256_srli_epi16(_mm256_mullo_epi16(widenHi(sv), widenHi(dv)), 8);
      out = mixShift(blo, bhi, dv, klo, khi);
    } else {
      __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(widenLo(sv), klo), 8);
      __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(widenHi(sv), khi), 8);
      __m256i amount = _mm256_packus_epi16(lo, hi);
      out = kind == kAdd ? _mm256_adds_epu8(dv, amount) : _mm256_subs_epu8(dv, amount);
    }
    store8(d + i, out);
  }
  return i;
}

template <int kind>
WIDE int packed(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t*) {
  return opacity == 128 ? packedRow<kind, true>(d, s, n, opacity) : packedRow<kind, false>(d, s, n, opacity);
}

// Byte shuffle that moves byte `from` of every pixel to byte `to` and clears
// the pixel's other bytes.
struct PixelShuffle {
  alignas(32) int8_t bytes[32];
  constexpr PixelShuffle(int from, int to) : bytes() {
    for (int i = 0; i < 32; ++i) bytes[i] = (i & 3) == to ? int8_t((i & 12) + from) : int8_t(-128);
  }
};
constexpr PixelShuffle kByteToLow[3] = {{0, 0}, {1, 0}, {2, 0}};
constexpr PixelShuffle kByteToSecond[3] = {{0, 1}, {1, 1}, {2, 1}};
constexpr PixelShuffle kLowToByte[3] = {{0, 0}, {0, 1}, {0, 2}};

WIDE inline __m256i shuffleOf(__m256i v, const PixelShuffle& m) {
  return _mm256_shuffle_epi8(v, _mm256_load_si256(reinterpret_cast<const __m256i*>(m.bytes)));
}

template <bool full>
WIDE int tableRow(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t* table) {
  const __m256i op16 = _mm256_set1_epi16(short(opacity));
  const int* words = reinterpret_cast<const int*>(table);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    if ((i & 15) == 0) prefetchAhead(s + i);
    __m256i sv = load8(s + i);
    if (noAlpha(sv)) continue;
    __m256i dv = load8(d + i);
    // The looked-up colour carries d's alpha, so the alpha byte stays as it was.
    __m256i bv = _mm256_and_si256(dv, alphaMask());
    for (int c = 0; c < 3; ++c) {
      // Entry d * 256 + s of colour byte c; the low byte of the gathered word is the entry.
      __m256i index = _mm256_or_si256(shuffleOf(sv, kByteToLow[c]), shuffleOf(dv, kByteToSecond[c]));
      bv = _mm256_or_si256(bv, shuffleOf(_mm256_i32gather_epi32(words, index, 1), kLowToByte[c]));
    }
    __m256i klo, khi;
    coverage<full>(sv, op16, klo, khi);
    store8(d + i, mixShift(widenLo(bv), widenHi(bv), dv, klo, khi));
  }
  return i;
}

WIDE int tableModes(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t* table) {
  return opacity == 128 ? tableRow<true>(d, s, n, opacity, table) : tableRow<false>(d, s, n, opacity, table);
}

// ---- Hue, chroma and luma of eight pixels, as hclFromRgb and rgbFromHcl ----

struct Hcl8 {
  __m256 h, c, y;
};

WIDE inline __m256 select(__m256 mask, __m256 a, __m256 b) { return _mm256_blendv_ps(b, a, mask); }
WIDE inline __m256 fraction(__m256i p, int shift) {
  __m256i v = _mm256_and_si256(_mm256_srli_epi32(p, shift), _mm256_set1_epi32(0xFF));
  return _mm256_mul_ps(_mm256_cvtepi32_ps(v), _mm256_set1_ps(kInv255));
}
WIDE inline __m256 luma(__m256 r, __m256 g, __m256 b) {
  return _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(0.3f), r), _mm256_mul_ps(_mm256_set1_ps(0.59f), g)),
                       _mm256_mul_ps(_mm256_set1_ps(0.11f), b));
}

WIDE inline Hcl8 hcl8(__m256i p) {
  const __m256 zero = _mm256_setzero_ps();
  __m256 r = fraction(p, 16), g = fraction(p, 8), b = fraction(p, 0);
  Hcl8 o;
  o.y = luma(r, g, b);
  __m256 mx = _mm256_max_ps(_mm256_max_ps(r, g), b), mn = _mm256_min_ps(_mm256_min_ps(r, g), b);
  o.c = _mm256_sub_ps(mx, mn);
  __m256 isR = _mm256_cmp_ps(r, mx, _CMP_EQ_OQ);
  __m256 isG = _mm256_andnot_ps(isR, _mm256_cmp_ps(g, mx, _CMP_EQ_OQ));
  __m256 num = select(isR, _mm256_sub_ps(g, b), select(isG, _mm256_sub_ps(b, r), _mm256_sub_ps(r, g)));
  __m256 base = select(isR, zero, select(isG, _mm256_set1_ps(120.0f), _mm256_set1_ps(240.0f)));
  __m256 grey = _mm256_cmp_ps(o.c, zero, _CMP_EQ_OQ);
  __m256 divisor = select(grey, _mm256_set1_ps(1.0f), o.c);
  __m256 angle = _mm256_add_ps(_mm256_div_ps(_mm256_mul_ps(_mm256_set1_ps(60.0f), num), divisor), base);
  angle = _mm256_add_ps(angle, _mm256_and_ps(_mm256_cmp_ps(angle, zero, _CMP_LT_OQ), _mm256_set1_ps(360.0f)));
  o.h = _mm256_andnot_ps(grey, _mm256_div_ps(angle, _mm256_set1_ps(360.0f)));
  return o;
}

WIDE inline __m256 clamp01(__m256 v) {
  return _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
}
WIDE inline __m256i toByte(__m256 v) {
  __m256i i = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(v, _mm256_set1_ps(255.0f)), _mm256_set1_ps(0.5f)));
  return _mm256_min_epi32(_mm256_max_epi32(i, _mm256_setzero_si256()), _mm256_set1_epi32(255));
}

WIDE inline __m256i rgb8(__m256 h, __m256 c, __m256 y) {
  const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
  const __m256 two = _mm256_set1_ps(2.0f), four = _mm256_set1_ps(4.0f), six = _mm256_set1_ps(6.0f);
  __m256 h6 = _mm256_mul_ps(h, six);
  __m256 r = clamp01(_mm256_max_ps(_mm256_sub_ps(two, h6), _mm256_sub_ps(h6, four)));
  __m256 g = clamp01(_mm256_min_ps(h6, _mm256_sub_ps(four, h6)));
  __m256 b = clamp01(_mm256_min_ps(_mm256_sub_ps(h6, two), _mm256_sub_ps(six, h6)));
  __m256 y0 = luma(r, g, b);
  __m256 or_ = _mm256_mul_ps(_mm256_sub_ps(r, y0), c), og = _mm256_mul_ps(_mm256_sub_ps(g, y0), c),
         ob = _mm256_mul_ps(_mm256_sub_ps(b, y0), c);
  __m256 mx = _mm256_max_ps(_mm256_max_ps(or_, og), ob), mn = _mm256_min_ps(_mm256_min_ps(or_, og), ob);
  __m256 a = select(_mm256_cmp_ps(_mm256_add_ps(y, mx), one, _CMP_GT_OQ),
                    _mm256_div_ps(_mm256_sub_ps(one, y), mx), one);
  __m256 t = _mm256_div_ps(_mm256_xor_ps(y, _mm256_set1_ps(-0.0f)), mn);
  a = select(_mm256_and_ps(_mm256_cmp_ps(_mm256_add_ps(y, mn), zero, _CMP_LT_OQ), _mm256_cmp_ps(t, a, _CMP_LT_OQ)),
             t, a);
  __m256i grey = _mm256_castps_si256(
      _mm256_or_ps(_mm256_cmp_ps(c, zero, _CMP_EQ_OQ), _mm256_cmp_ps(h, zero, _CMP_LT_OQ)));
  __m256i greyByte = toByte(y);
  __m256i rb = _mm256_blendv_epi8(toByte(_mm256_add_ps(y, _mm256_mul_ps(or_, a))), greyByte, grey);
  __m256i gb = _mm256_blendv_epi8(toByte(_mm256_add_ps(y, _mm256_mul_ps(og, a))), greyByte, grey);
  __m256i bb = _mm256_blendv_epi8(toByte(_mm256_add_ps(y, _mm256_mul_ps(ob, a))), greyByte, grey);
  return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(rb, 16), _mm256_slli_epi32(gb, 8)), bb);
}

template <int mode>
WIDE inline __m256i blendHcl8(__m256i s, __m256i d) {
  Hcl8 hs = hcl8(s), hd = hcl8(d);
  if constexpr (mode == kBlendHue) return rgb8(hs.h, hd.c, hd.y);
  if constexpr (mode == kBlendSaturation) return rgb8(hd.h, hs.c, hd.y);
  if constexpr (mode == kBlendColour) return rgb8(hs.h, hs.c, hd.y);
  return rgb8(hd.h, hd.c, hs.y);
}

template <int mode>
WIDE int hclRow(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t*) {
  const __m256i op16 = _mm256_set1_epi16(short(opacity));
  const __m256i colourMask = _mm256_set1_epi32(0x00FFFFFF);
  __m256i lastS = _mm256_set1_epi32(-1), lastD = _mm256_set1_epi32(-1), lastB = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i sv = load8(s + i);
    if (noAlpha(sv)) continue;   // nothing is blended where alpha is 0
    __m256i klo, khi;
    coverage<false>(sv, op16, klo, khi);
    if (_mm256_testz_si256(_mm256_or_si256(klo, khi), _mm256_set1_epi16(-1))) continue;
    __m256i dv = load8(d + i);
    __m256i sc = _mm256_and_si256(sv, colourMask), dc = _mm256_and_si256(dv, colourMask);
    __m256i same = _mm256_and_si256(_mm256_cmpeq_epi32(sc, lastS), _mm256_cmpeq_epi32(dc, lastD));
    if (_mm256_movemask_epi8(same) != -1) {   // a flat area repeats the last blend exactly
      lastB = blendHcl8<mode>(sv, dv);
      lastS = sc;
      lastD = dc;
    }
    store8(d + i, mixDiv(_mm256_or_si256(lastB, _mm256_and_si256(dv, alphaMask())), dv, klo, khi));
  }
  return i;
}

bool hasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

std::atomic<Width> gLimit{Width::kSixteen};

WideRow eightPixelRow(int mode) {
  if (!hasAvx2()) return nullptr;
  switch (mode) {
    case kBlendNormal: return packed<kNormal>;
    case kBlendMultiply: return packed<kMultiply>;
    case kBlendAdd: return packed<kAdd>;
    case kBlendSubtract: return packed<kSubtract>;
    case kBlendHue: return hclRow<kBlendHue>;
    case kBlendSaturation: return hclRow<kBlendSaturation>;
    case kBlendColour: return hclRow<kBlendColour>;
    case kBlendLuminosity: return hclRow<kBlendLuminosity>;
    default: return mode >= 0 && mode < kBlendModeCount ? tableModes : nullptr;
  }
}

}  // namespace

void setWidthLimit(Width limit) { gLimit = limit; }

WideRow wideRow(int mode) {
  Width limit = gLimit;
  if (limit == Width::kFour) return nullptr;
  if (limit == Width::kSixteen)
    if (WideRow row = sixteenPixelRow(mode)) return row;
  return eightPixelRow(mode);
}

#else

void setWidthLimit(Width) {}
WideRow wideRow(int) { return nullptr; }

#endif

}  // namespace tessel::display
