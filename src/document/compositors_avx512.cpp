// Sixteen-pixel (AVX-512 F and BW) display-compositor loops for the table
// modes and modes 17-20. They carry out exactly the arithmetic of the
// four- and eight-pixel loops; only called when the processor reports
// AVX-512 F and BW.
#include <cstdint>

#include "document/blend_modes.h"
#include "document/display_wide.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TESSEL_SIXTEEN 1
#if defined(__GNUC__) && !defined(__clang__)
// GCC 12's AVX-512 headers start many intrinsics from a deliberately
// undefined register and then warn about it (GCC bug 105593).
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#endif

namespace tessel::display {

#ifdef TESSEL_SIXTEEN

namespace {

#define WIDE16 __attribute__((target("avx512f,avx512bw")))

WIDE16 inline __m512i load16(const Pixel* p) { return _mm512_loadu_si512(p); }
WIDE16 inline void store16(Pixel* p, __m512i v) { _mm512_storeu_si512(p, v); }
WIDE16 inline void prefetchAhead(const Pixel* p) {
  _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(p) + 8192), _MM_HINT_T0);
}
WIDE16 inline __m512i alphaMask() { return _mm512_set1_epi32(int(0xFF000000u)); }
WIDE16 inline bool noAlpha(__m512i s) { return _mm512_test_epi32_mask(s, alphaMask()) == 0; }

// Byte shuffle that moves byte `from` of every pixel to byte `to` and clears
// the pixel's other bytes.
struct PixelShuffle {
  alignas(64) int8_t bytes[64];
  constexpr PixelShuffle(int from, int to) : bytes() {
    for (int i = 0; i < 64; ++i) bytes[i] = (i & 3) == to ? int8_t((i & 12) + from) : int8_t(-128);
  }
};
WIDE16 inline __m512i shuffleOf(__m512i v, const PixelShuffle& m) {
  return _mm512_shuffle_epi8(v, _mm512_load_si512(m.bytes));
}

// Byte shuffles that spread the alpha of the pixels that unpacklo (lo) and
// unpackhi (hi) widen over those pixels' four 16-bit lanes.
struct AlphaSpread {
  alignas(64) int8_t lo[64];
  alignas(64) int8_t hi[64];
  constexpr AlphaSpread() : lo(), hi() {
    for (int i = 0; i < 64; ++i) {
      int pixel = (i & 15) / 8;   // first or second pixel of the half lane
      lo[i] = (i & 1) == 0 ? int8_t(3 + 4 * pixel) : int8_t(-128);
      hi[i] = (i & 1) == 0 ? int8_t(11 + 4 * pixel) : int8_t(-128);
    }
  }
};
constexpr AlphaSpread kAlphaSpread;

// Coverage (op * alpha) >> 7 in the 16-bit lanes; at full opacity it is alpha.
template <bool full>
WIDE16 inline void coverage(__m512i s, __m512i op16, __m512i& klo, __m512i& khi) {
  klo = _mm512_shuffle_epi8(s, _mm512_load_si512(kAlphaSpread.lo));
  khi = _mm512_shuffle_epi8(s, _mm512_load_si512(kAlphaSpread.hi));
  if constexpr (!full) {
    klo = _mm512_srli_epi16(_mm512_mullo_epi16(klo, op16), 7);
    khi = _mm512_srli_epi16(_mm512_mullo_epi16(khi, op16), 7);
  }
}

WIDE16 inline __m512i widenLo(__m512i v) { return _mm512_unpacklo_epi8(v, _mm512_setzero_si512()); }
WIDE16 inline __m512i widenHi(__m512i v) { return _mm512_unpackhi_epi8(v, _mm512_setzero_si512()); }

// d + ((b - d) * k >> 8) per byte (see mixShift4 for why wrapping lanes are exact).
WIDE16 inline __m512i mixShift(__m512i b, __m512i d, __m512i klo, __m512i khi) {
  __m512i lo = _mm512_srli_epi16(_mm512_mullo_epi16(_mm512_sub_epi16(widenLo(b), widenLo(d)), klo), 8);
  __m512i hi = _mm512_srli_epi16(_mm512_mullo_epi16(_mm512_sub_epi16(widenHi(b), widenHi(d)), khi), 8);
  return _mm512_add_epi8(d, _mm512_packus_epi16(lo, hi));
}

WIDE16 inline __m512i div255(__m512i n) {
  return _mm512_srli_epi16(_mm512_mulhi_epu16(n, _mm512_set1_epi16(short(0x8081))), 7);
}

// d + ((b - d) * k) div 255 per byte, truncating towards zero.
WIDE16 inline __m512i mixDiv(__m512i b, __m512i d, __m512i klo, __m512i khi) {
  __m512i up = _mm512_subs_epu8(b, d), down = _mm512_subs_epu8(d, b);
  __m512i lo = _mm512_sub_epi16(_mm512_add_epi16(widenLo(d), div255(_mm512_mullo_epi16(widenLo(up), klo))),
                                div255(_mm512_mullo_epi16(widenLo(down), klo)));
  __m512i hi = _mm512_sub_epi16(_mm512_add_epi16(widenHi(d), div255(_mm512_mullo_epi16(widenHi(up), khi))),
                                div255(_mm512_mullo_epi16(widenHi(down), khi)));
  return _mm512_packus_epi16(lo, hi);
}

constexpr PixelShuffle kByteToLow[3] = {{0, 0}, {1, 0}, {2, 0}};
constexpr PixelShuffle kByteToSecond[3] = {{0, 1}, {1, 1}, {2, 1}};
constexpr PixelShuffle kLowToByte[3] = {{0, 0}, {0, 1}, {0, 2}};

template <bool full>
WIDE16 int tableRow(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t* table) {
  const __m512i op16 = _mm512_set1_epi16(short(opacity));
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    prefetchAhead(s + i);
    __m512i sv = load16(s + i);
    if (noAlpha(sv)) continue;
    __m512i dv = load16(d + i);
    // The looked-up colour carries d's alpha, so the alpha byte stays as it was.
    __m512i bv = _mm512_and_si512(dv, alphaMask());
    for (int c = 0; c < 3; ++c) {
      // Entry d * 256 + s of colour byte c; the low byte of the gathered word is the entry.
      __m512i index = _mm512_or_si512(shuffleOf(sv, kByteToLow[c]), shuffleOf(dv, kByteToSecond[c]));
      bv = _mm512_or_si512(bv, shuffleOf(_mm512_i32gather_epi32(index, table, 1), kLowToByte[c]));
    }
    __m512i klo, khi;
    coverage<full>(sv, op16, klo, khi);
    store16(d + i, mixShift(bv, dv, klo, khi));
  }
  return i;
}

WIDE16 int tableModes(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t* table) {
  return opacity == 128 ? tableRow<true>(d, s, n, opacity, table) : tableRow<false>(d, s, n, opacity, table);
}

// ---- Hue, chroma and luma of sixteen pixels, as hclFromRgb and rgbFromHcl ----

struct Hcl16 {
  __m512 h, c, y;
};

WIDE16 inline __m512 fraction(__m512i p, int shift) {
  __m512i v = _mm512_and_si512(_mm512_srli_epi32(p, shift), _mm512_set1_epi32(0xFF));
  return _mm512_mul_ps(_mm512_cvtepi32_ps(v), _mm512_set1_ps(kInv255));
}
WIDE16 inline __m512 luma(__m512 r, __m512 g, __m512 b) {
  return _mm512_add_ps(_mm512_add_ps(_mm512_mul_ps(_mm512_set1_ps(0.3f), r), _mm512_mul_ps(_mm512_set1_ps(0.59f), g)),
                       _mm512_mul_ps(_mm512_set1_ps(0.11f), b));
}

WIDE16 inline Hcl16 hcl16(__m512i p) {
  const __m512 zero = _mm512_setzero_ps();
  __m512 r = fraction(p, 16), g = fraction(p, 8), b = fraction(p, 0);
  Hcl16 o;
  o.y = luma(r, g, b);
  __m512 mx = _mm512_max_ps(_mm512_max_ps(r, g), b), mn = _mm512_min_ps(_mm512_min_ps(r, g), b);
  o.c = _mm512_sub_ps(mx, mn);
  __mmask16 isR = _mm512_cmp_ps_mask(r, mx, _CMP_EQ_OQ);
  __mmask16 isG = __mmask16(~isR & _mm512_cmp_ps_mask(g, mx, _CMP_EQ_OQ));
  // Blue's numerator and base, replaced by green's, then red's, where those lead.
  __m512 num = _mm512_mask_blend_ps(isG, _mm512_sub_ps(r, g), _mm512_sub_ps(b, r));
  num = _mm512_mask_blend_ps(isR, num, _mm512_sub_ps(g, b));
  __m512 base = _mm512_mask_blend_ps(isG, _mm512_set1_ps(240.0f), _mm512_set1_ps(120.0f));
  base = _mm512_mask_blend_ps(isR, base, zero);
  __mmask16 grey = _mm512_cmp_ps_mask(o.c, zero, _CMP_EQ_OQ);
  __m512 divisor = _mm512_mask_blend_ps(grey, o.c, _mm512_set1_ps(1.0f));
  __m512 angle = _mm512_add_ps(_mm512_div_ps(_mm512_mul_ps(_mm512_set1_ps(60.0f), num), divisor), base);
  __mmask16 negative = _mm512_cmp_ps_mask(angle, zero, _CMP_LT_OQ);
  angle = _mm512_mask_add_ps(angle, negative, angle, _mm512_set1_ps(360.0f));
  o.h = _mm512_maskz_div_ps(__mmask16(~grey), angle, _mm512_set1_ps(360.0f));
  return o;
}

WIDE16 inline __m512 clamp01(__m512 v) {
  return _mm512_min_ps(_mm512_max_ps(v, _mm512_setzero_ps()), _mm512_set1_ps(1.0f));
}
WIDE16 inline __m512i toByte(__m512 v) {
  __m512i i = _mm512_cvttps_epi32(_mm512_add_ps(_mm512_mul_ps(v, _mm512_set1_ps(255.0f)), _mm512_set1_ps(0.5f)));
  return _mm512_min_epi32(_mm512_max_epi32(i, _mm512_setzero_si512()), _mm512_set1_epi32(255));
}

WIDE16 inline __m512i rgb16(__m512 h, __m512 c, __m512 y) {
  const __m512 zero = _mm512_setzero_ps(), one = _mm512_set1_ps(1.0f);
  const __m512 two = _mm512_set1_ps(2.0f), four = _mm512_set1_ps(4.0f), six = _mm512_set1_ps(6.0f);
  __m512 h6 = _mm512_mul_ps(h, six);
  __m512 r = clamp01(_mm512_max_ps(_mm512_sub_ps(two, h6), _mm512_sub_ps(h6, four)));
  __m512 g = clamp01(_mm512_min_ps(h6, _mm512_sub_ps(four, h6)));
  __m512 b = clamp01(_mm512_min_ps(_mm512_sub_ps(h6, two), _mm512_sub_ps(six, h6)));
  __m512 y0 = luma(r, g, b);
  __m512 or_ = _mm512_mul_ps(_mm512_sub_ps(r, y0), c), og = _mm512_mul_ps(_mm512_sub_ps(g, y0), c),
         ob = _mm512_mul_ps(_mm512_sub_ps(b, y0), c);
  __m512 mx = _mm512_max_ps(_mm512_max_ps(or_, og), ob), mn = _mm512_min_ps(_mm512_min_ps(or_, og), ob);
  __mmask16 over = _mm512_cmp_ps_mask(_mm512_add_ps(y, mx), one, _CMP_GT_OQ);
  __m512 a = _mm512_mask_blend_ps(over, one, _mm512_div_ps(_mm512_sub_ps(one, y), mx));
  __m512 minusY = _mm512_castsi512_ps(_mm512_xor_si512(_mm512_castps_si512(y), _mm512_set1_epi32(INT32_MIN)));
  __m512 t = _mm512_div_ps(minusY, mn);
  __mmask16 under = _mm512_cmp_ps_mask(_mm512_add_ps(y, mn), zero, _CMP_LT_OQ) & _mm512_cmp_ps_mask(t, a, _CMP_LT_OQ);
  a = _mm512_mask_blend_ps(under, a, t);
  __mmask16 grey = _mm512_cmp_ps_mask(c, zero, _CMP_EQ_OQ) | _mm512_cmp_ps_mask(h, zero, _CMP_LT_OQ);
  __m512i greyByte = toByte(y);
  __m512i rb = _mm512_mask_blend_epi32(grey, toByte(_mm512_add_ps(y, _mm512_mul_ps(or_, a))), greyByte);
  __m512i gb = _mm512_mask_blend_epi32(grey, toByte(_mm512_add_ps(y, _mm512_mul_ps(og, a))), greyByte);
  __m512i bb = _mm512_mask_blend_epi32(grey, toByte(_mm512_add_ps(y, _mm512_mul_ps(ob, a))), greyByte);
  return _mm512_or_si512(_mm512_or_si512(_mm512_slli_epi32(rb, 16), _mm512_slli_epi32(gb, 8)), bb);
}

template <int mode>
WIDE16 inline __m512i blendHcl16(__m512i s, __m512i d) {
  Hcl16 hs = hcl16(s), hd = hcl16(d);
  if constexpr (mode == kBlendHue) return rgb16(hs.h, hd.c, hd.y);
  if constexpr (mode == kBlendSaturation) return rgb16(hd.h, hs.c, hd.y);
  if constexpr (mode == kBlendColour) return rgb16(hs.h, hs.c, hd.y);
  return rgb16(hd.h, hd.c, hs.y);
}

template <int mode>
WIDE16 int hclRow(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t*) {
  const __m512i op16 = _mm512_set1_epi16(short(opacity));
  const __m512i colourMask = _mm512_set1_epi32(0x00FFFFFF);
  __m512i lastS = _mm512_set1_epi32(-1), lastD = _mm512_set1_epi32(-1), lastB = _mm512_setzero_si512();
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    __m512i sv = load16(s + i);
    if (noAlpha(sv)) continue;   // nothing is blended where alpha is 0
    __m512i klo, khi;
    coverage<false>(sv, op16, klo, khi);
    if (_mm512_test_epi16_mask(_mm512_or_si512(klo, khi), _mm512_set1_epi16(-1)) == 0) continue;
    __m512i dv = load16(d + i);
    __m512i sc = _mm512_and_si512(sv, colourMask), dc = _mm512_and_si512(dv, colourMask);
    if ((_mm512_cmpeq_epi32_mask(sc, lastS) & _mm512_cmpeq_epi32_mask(dc, lastD)) != 0xFFFF) {
      lastB = blendHcl16<mode>(sv, dv);   // a flat area repeats the last blend exactly
      lastS = sc;
      lastD = dc;
    }
    store16(d + i, mixDiv(_mm512_or_si512(lastB, _mm512_and_si512(dv, alphaMask())), dv, klo, khi));
  }
  return i;
}

bool hasAvx512() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has;
}

}  // namespace

WideRow sixteenPixelRow(int mode) {
  if (!hasAvx512()) return nullptr;
  switch (mode) {
    case kBlendNormal:
    case kBlendMultiply:
    case kBlendAdd:
    case kBlendSubtract:
      return nullptr;   // bound by memory: the eight-pixel loops already keep up
    case kBlendHue: return hclRow<kBlendHue>;
    case kBlendSaturation: return hclRow<kBlendSaturation>;
    case kBlendColour: return hclRow<kBlendColour>;
    case kBlendLuminosity: return hclRow<kBlendLuminosity>;
    default: return mode >= 0 && mode < kBlendModeCount ? tableModes : nullptr;
  }
}

#else

WideRow sixteenPixelRow(int) { return nullptr; }

#endif

}  // namespace tessel::display
