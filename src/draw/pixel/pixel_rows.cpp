#include "draw/pixel/pixel_rows.h"

#include "draw/pixel/pixel_kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TESSEL_AVX2_ROWS 1
#endif

namespace tessel {

namespace {

#if defined(__SSE2__)

__m128 channelOf(__m128i px, int shift) {
  return _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(px, shift), _mm_set1_epi32(0xFF)));
}

// int(v + 0.5f) for v >= 0, as roundAddHalf does.
__m128i roundPositive(__m128 v) { return _mm_cvttps_epi32(_mm_add_ps(v, _mm_set1_ps(0.5f))); }

// roundPositive, then at most 255, as std::min does.
__m128i roundToByte(__m128 v) {
  __m128i r = roundPositive(v);
  __m128i over = _mm_cmpgt_epi32(r, _mm_set1_epi32(255));
  return _mm_or_si128(_mm_andnot_si128(over, r), _mm_and_si128(over, _mm_set1_epi32(255)));
}

// withAlpha's rule: alpha 0 gives the stored transparent pixel.
__m128i transparentWhereZero(__m128i alpha, __m128i px) {
  __m128i none = _mm_cmpeq_epi32(alpha, _mm_setzero_si128());
  __m128i clear = _mm_and_si128(none, _mm_set1_epi32(int(kTransparent)));
  return _mm_or_si128(clear, _mm_andnot_si128(none, px));
}

// Four pixels of smudgePixel; lanes with area 0 are replaced by the caller's choice below.
void smudgeFour(Pixel* p, Pixel* k, __m128 fa, __m128 oneMinusFa, bool alphaMask) {
  const __m128i zero = _mm_setzero_si128();
  __m128i pp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i kk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(k));
  __m128i pa = _mm_srli_epi32(pp, 24), ka = _mm_srli_epi32(kk, 24);
  __m128i same = _mm_and_si128(_mm_cmpeq_epi32(pp, kk), _mm_cmpgt_epi32(ka, zero));
  if (_mm_movemask_epi8(same) == 0xFFFF) return;
  const __m128 inv = _mm_set1_ps(kInv255);
  __m128 d = _mm_mul_ps(_mm_cvtepi32_ps(pa), inv), e = _mm_mul_ps(_mm_cvtepi32_ps(ka), inv);
  __m128 area = _mm_add_ps(d, _mm_mul_ps(_mm_sub_ps(e, d), fa));
  __m128i alpha = roundPositive(_mm_mul_ps(_mm_set1_ps(255.0f), area));
  __m128 wk = _mm_mul_ps(e, fa), wp = _mm_mul_ps(d, oneMinusFa);
  __m128i rgb = zero;
  for (int shift = 0; shift < 24; shift += 8) {
    __m128 sum = _mm_add_ps(_mm_mul_ps(wk, channelOf(kk, shift)), _mm_mul_ps(wp, channelOf(pp, shift)));
    __m128 v = _mm_div_ps(sum, area);
    rgb = _mm_or_si128(rgb, _mm_slli_epi32(roundToByte(v), shift));
  }
  __m128i kept = alphaMask ? pa : alpha;
  __m128i out = _mm_or_si128(rgb, _mm_slli_epi32(kept, 24));
  out = transparentWhereZero(kept, out);
  // Unchanged: equal pixels, and under the alpha mask where no alpha came out.
  __m128i keep = same;
  if (alphaMask) keep = _mm_or_si128(keep, _mm_cmpeq_epi32(alpha, zero));
  out = _mm_or_si128(_mm_and_si128(keep, pp), _mm_andnot_si128(keep, out));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(k), out);
}

// Four pixels of overPixel with opacities al; lanes with skip set stay as they are.
void overFour(Pixel* p, __m128i al, __m128i skip, __m128 q[3], __m128i opaque) {
  const __m128i zero = _mm_setzero_si128();
  __m128i pp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128 inv = _mm_set1_ps(kInv255);
  __m128 s = _mm_mul_ps(_mm_cvtepi32_ps(al), inv);
  __m128 d = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(pp, 24)), inv);
  __m128 a = _mm_sub_ps(_mm_add_ps(s, d), _mm_mul_ps(s, d));
  __m128 wd = _mm_mul_ps(d, _mm_sub_ps(_mm_set1_ps(1.0f), s));
  __m128i rgb = zero;
  for (int i = 0; i < 3; ++i) {
    __m128 v = _mm_div_ps(_mm_add_ps(_mm_mul_ps(s, q[i]), _mm_mul_ps(wd, channelOf(pp, 8 * i))), a);
    rgb = _mm_or_si128(rgb, _mm_slli_epi32(roundToByte(v), 8 * i));
  }
  __m128i alpha = roundPositive(_mm_mul_ps(_mm_set1_ps(255.0f), a));
  __m128i out = transparentWhereZero(alpha, _mm_or_si128(rgb, _mm_slli_epi32(alpha, 24)));
  // Full opacity writes the colour; nothing over nothing stays as it was.
  __m128i full = _mm_cmpeq_epi32(al, _mm_set1_epi32(255));
  out = _mm_or_si128(_mm_and_si128(full, opaque), _mm_andnot_si128(full, out));
  __m128i none = _mm_andnot_si128(full, _mm_castps_si128(_mm_cmple_ps(a, _mm_setzero_ps())));
  __m128i keep = _mm_or_si128(skip, none);
  out = _mm_or_si128(_mm_and_si128(keep, pp), _mm_andnot_si128(keep, out));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
}

// Four pixels of commitOverPixel.
__m128i commitFour(__m128i uu, __m128i kk, bool keepAlpha) {
  const __m128 inv = _mm_set1_ps(kInv255);
  __m128i ua = _mm_srli_epi32(uu, 24), ka = _mm_srli_epi32(kk, 24);
  __m128 s = _mm_mul_ps(_mm_cvtepi32_ps(ua), inv), b = _mm_mul_ps(_mm_cvtepi32_ps(ka), inv);
  __m128 a = _mm_sub_ps(_mm_add_ps(s, b), _mm_mul_ps(s, b));
  __m128i o = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(255.0f), a), _mm_set1_ps(0.5f)));
  __m128 wk = _mm_mul_ps(b, _mm_sub_ps(_mm_set1_ps(1.0f), s));
  __m128i rgb = _mm_setzero_si128();
  for (int shift = 0; shift < 24; shift += 8) {
    __m128 v = _mm_div_ps(
        _mm_add_ps(_mm_mul_ps(wk, channelOf(kk, shift)), _mm_mul_ps(s, channelOf(uu, shift))), a);
    rgb = _mm_or_si128(rgb, _mm_slli_epi32(roundToByte(v), shift));
  }
  __m128i kept = keepAlpha ? ka : o;
  __m128i out = transparentWhereZero(kept, _mm_or_si128(rgb, _mm_slli_epi32(kept, 24)));
  // Where nothing came out the pixel is transparent whatever alpha is kept.
  return transparentWhereZero(o, out);
}

// commitFour with the shortcuts for four empty or four full buffer pixels.
void commitFourAt(Pixel* out, const Pixel* buf, const Pixel* bak, bool keepAlpha) {
  const __m128i alphaBits = _mm_set1_epi32(int(0xFF000000u));
  __m128i uu = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf));
  __m128i kk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bak));
  __m128i ua = _mm_and_si128(uu, alphaBits);
  __m128i r;
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(ua, _mm_setzero_si128())) == 0xFFFF) {
    // Nothing in the buffer: the backup, its transparent pixels stored as such.
    r = transparentWhereZero(_mm_srli_epi32(kk, 24), kk);
  } else if (_mm_movemask_epi8(_mm_cmpeq_epi32(ua, alphaBits)) == 0xFFFF) {
    // A full buffer: itself, with the backup's alpha when that is kept.
    __m128i withKept = _mm_or_si128(_mm_andnot_si128(alphaBits, uu), _mm_and_si128(kk, alphaBits));
    r = keepAlpha ? transparentWhereZero(_mm_srli_epi32(kk, 24), withKept) : uu;
  } else {
    r = commitFour(uu, kk, keepAlpha);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), r);
}

#endif

#if defined(TESSEL_AVX2_ROWS)

// trunc(v + 0.5), held to 255, as roundAddHalf and std::min do for v >= 0.
__attribute__((target("avx2"))) inline __m256i roundChannelEight(__m256 v) {
  const __m256i byte = _mm256_set1_epi32(0xFF);
  return _mm256_min_epi32(_mm256_cvttps_epi32(_mm256_add_ps(v, _mm256_set1_ps(0.5f))), byte);
}

// wx·x + wy·y for the channel at shift, in the scalar code's order.
__attribute__((target("avx2"))) inline __m256 channelSumEight(__m256i x, __m256i y, __m256 wx, __m256 wy,
                                                              int shift) {
  const __m256i byte = _mm256_set1_epi32(0xFF);
  __m256 xc = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(x, shift), byte));
  __m256 yc = _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(y, shift), byte));
  return _mm256_add_ps(_mm256_mul_ps(wx, xc), _mm256_mul_ps(wy, yc));
}

// Each colour channel of x and y mixed as trunc((wx·x + wy·y) / total + 0.5),
// held to 255, in the scalar code's order of operations.
__attribute__((target("avx2"))) inline __m256i mixChannelsEight(__m256i x, __m256i y, __m256 wx, __m256 wy,
                                                                __m256 total) {
  __m256i rgb = _mm256_setzero_si256();
  for (int shift = 0; shift < 24; shift += 8) {
    __m256 v = _mm256_div_ps(channelSumEight(x, y, wx, wy, shift), total);
    rgb = _mm256_or_si256(rgb, _mm256_slli_epi32(roundChannelEight(v), shift));
  }
  return rgb;
}

// mixChannelsEight with one division instead of three. Below 256, q = sum ·
// fl(1/total) and the rounded quotient differ by under 2^-14, adding the half
// rounds by at most 2^-17, and rounding to a byte is monotonic; so where q
// lies within a half less 2^-12 of the byte i it rounds to, the division
// gives i too. Lanes outside `matter` are ignored; any other doubt divides as
// the scalar code does.
__attribute__((target("avx2"))) inline __m256i mixChannelsByReciprocal(__m256i x, __m256i y, __m256 wx,
                                                                       __m256 wy, __m256 total,
                                                                       __m256i matter) {
  const __m256 one = _mm256_set1_ps(1.0f);
  __m256i rgb = _mm256_setzero_si256();
  __m256i byOne = _mm256_castps_si256(_mm256_cmp_ps(total, one, _CMP_EQ_OQ));
  if (_mm256_testc_si256(byOne, matter)) {
    // Dividing by one is exact: opaque over opaque needs no division at all,
    // also beside lanes whose colour is thrown away.
    for (int shift = 0; shift < 24; shift += 8)
      rgb = _mm256_or_si256(rgb, _mm256_slli_epi32(roundChannelEight(channelSumEight(x, y, wx, wy, shift)),
                                                   shift));
    return rgb;
  }
  const __m256 r = _mm256_div_ps(one, total), half = _mm256_set1_ps(0.5f);
  const __m256 magnitude = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
  const __m256i byte = _mm256_set1_epi32(0xFF);
  // The farthest any channel lies from the byte it rounds to (q - i is exact
  // wherever that is under a half).
  __m256 off = _mm256_setzero_ps();
  for (int shift = 0; shift < 24; shift += 8) {
    __m256 q = _mm256_mul_ps(channelSumEight(x, y, wx, wy, shift), r);
    __m256i i = _mm256_cvttps_epi32(_mm256_add_ps(q, half));
    off = _mm256_max_ps(_mm256_and_ps(_mm256_sub_ps(q, _mm256_cvtepi32_ps(i)), magnitude), off);
    rgb = _mm256_or_si256(rgb, _mm256_slli_epi32(_mm256_min_epi32(i, byte), shift));
  }
  // NaN (lanes with nothing to divide by) compares false, and is ignored anyway.
  __m256i doubt = _mm256_castps_si256(_mm256_cmp_ps(off, _mm256_set1_ps(0.5f - 0x1p-12f), _CMP_GT_OQ));
  if (!_mm256_testz_si256(doubt, matter)) return mixChannelsEight(x, y, wx, wy, total);
  return rgb;
}

// smudgeFour's arithmetic over eight pixels pp under carried kk, for
// processors with AVX2 (no FMA: every product and sum is rounded on its own,
// as in the scalar code); lanes outside `live` come out as anything.
__attribute__((target("avx2"), always_inline)) inline __m256i smudgeMixEight(__m256i pp, __m256i kk, float faS,
                                                                             bool alphaMask, __m256i live) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i pa = _mm256_srli_epi32(pp, 24), ka = _mm256_srli_epi32(kk, 24);
  __m256i same = _mm256_and_si256(_mm256_cmpeq_epi32(pp, kk), _mm256_cmpgt_epi32(ka, zero));
  const __m256 inv = _mm256_set1_ps(kInv255), fa = _mm256_set1_ps(faS);
  __m256 d = _mm256_mul_ps(_mm256_cvtepi32_ps(pa), inv);
  __m256 e = _mm256_mul_ps(_mm256_cvtepi32_ps(ka), inv);
  __m256 area = _mm256_add_ps(d, _mm256_mul_ps(_mm256_sub_ps(e, d), fa));
  __m256i alpha = _mm256_cvttps_epi32(
      _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(255.0f), area), _mm256_set1_ps(0.5f)));
  __m256 wk = _mm256_mul_ps(e, fa), wp = _mm256_mul_ps(d, _mm256_set1_ps(1.0f - faS));
  // Lanes that come out with no alpha keep no colour of the mix.
  __m256i none = _mm256_cmpeq_epi32(alpha, zero);
  __m256i rgb = mixChannelsByReciprocal(kk, pp, wk, wp, area, _mm256_andnot_si256(none, live));
  __m256i kept = alphaMask ? pa : alpha;
  __m256i out = _mm256_or_si256(rgb, _mm256_slli_epi32(kept, 24));
  __m256i clear = alphaMask ? _mm256_cmpeq_epi32(pa, zero) : none;
  out = _mm256_blendv_epi8(out, _mm256_set1_epi32(int(kTransparent)), clear);
  // Unchanged: equal pixels, and under the alpha mask where no alpha came out.
  __m256i keep = alphaMask ? _mm256_or_si256(same, none) : same;
  return _mm256_blendv_epi8(out, pp, keep);
}

// smudgeFour over eight pixels. With Tail only the lanes set in `live` are
// read and written.
template <bool Tail>
__attribute__((target("avx2"), always_inline)) inline void smudgeEight(Pixel* p, Pixel* k, float faS,
                                                                       bool alphaMask, __m256i live) {
  __m256i pp, kk;
  if constexpr (Tail) {
    pp = _mm256_maskload_epi32(reinterpret_cast<const int*>(p), live);
    kk = _mm256_maskload_epi32(reinterpret_cast<const int*>(k), live);
  } else {
    pp = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    kk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(k));
  }
  __m256i out;
  if (_mm256_testz_si256(_mm256_or_si256(pp, kk), _mm256_set1_epi32(int(0xFF000000u)))) {
    // No alpha on either side: the pixel is left transparent (under the alpha
    // mask, as it was), which is what the arithmetic gives.
    out = alphaMask ? pp : _mm256_set1_epi32(int(kTransparent));
  } else {
    out = smudgeMixEight(pp, kk, faS, alphaMask, live);
  }
  if constexpr (Tail) {
    _mm256_maskstore_epi32(reinterpret_cast<int*>(p), live, out);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(k), live, out);
  } else {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), out);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(k), out);
  }
}

// smudgeEight along a whole row, the last few pixels through masked loads and
// stores; the loop shares the target so the constants stay in registers.
template <bool AlphaMask>
__attribute__((target("avx2"))) void smudgeRowEight(Pixel* p, Pixel* k, int n, float fa) {
  const __m256i all = _mm256_set1_epi32(-1);
  int i = 0;
  for (; i + 8 <= n; i += 8) smudgeEight<false>(p + i, k + i, fa, AlphaMask, all);
  if (i == n) return;
  __m256i live = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  smudgeEight<true>(p + i, k + i, fa, AlphaMask, live);
}

// Eight pixels of commitOverPixel, for processors with AVX2 (no FMA).
__attribute__((target("avx2"))) void commitEight(Pixel* out, const Pixel* buf, const Pixel* bak,
                                                 bool keepAlpha) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i clear = _mm256_set1_epi32(int(kTransparent));
  __m256i uu = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf));
  __m256i kk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bak));
  __m256i ua = _mm256_srli_epi32(uu, 24), ka = _mm256_srli_epi32(kk, 24);
  const __m256 inv = _mm256_set1_ps(kInv255);
  __m256 s = _mm256_mul_ps(_mm256_cvtepi32_ps(ua), inv);
  __m256 b = _mm256_mul_ps(_mm256_cvtepi32_ps(ka), inv);
  __m256 a = _mm256_sub_ps(_mm256_add_ps(s, b), _mm256_mul_ps(s, b));
  __m256i o = _mm256_cvttps_epi32(
      _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(255.0f), a), _mm256_set1_ps(0.5f)));
  __m256 wk = _mm256_mul_ps(b, _mm256_sub_ps(_mm256_set1_ps(1.0f), s));
  __m256i rgb = mixChannelsEight(kk, uu, wk, s, a);
  __m256i kept = keepAlpha ? ka : o;
  __m256i px = _mm256_or_si256(rgb, _mm256_slli_epi32(kept, 24));
  __m256i none = _mm256_or_si256(_mm256_cmpeq_epi32(kept, zero), _mm256_cmpeq_epi32(o, zero));
  px = _mm256_or_si256(_mm256_and_si256(none, clear), _mm256_andnot_si256(none, px));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), px);
}

bool hasAvx2() {
  static const bool yes = __builtin_cpu_supports("avx2");
  return yes;
}

#endif

}  // namespace

void commitOverRow(Pixel* out, const Pixel* buf, const Pixel* bak, int n, bool keepAlpha) {
  int i = 0;
#if defined(TESSEL_AVX2_ROWS)
  if (hasAvx2())
    for (; i + 8 <= n; i += 8) {
      uint32_t all = 0xFFFFFFFFu, any = 0;
      for (int j = 0; j < 8; ++j) {
        all &= buf[i + j];
        any |= buf[i + j];
      }
      if ((any >> 24) != 0 && (all >> 24) != 0xFF) {
        commitEight(out + i, buf + i, bak + i, keepAlpha);
      } else {
        commitFourAt(out + i, buf + i, bak + i, keepAlpha);
        commitFourAt(out + i + 4, buf + i + 4, bak + i + 4, keepAlpha);
      }
    }
#endif
#if defined(__SSE2__)
  for (; i + 4 <= n; i += 4) commitFourAt(out + i, buf + i, bak + i, keepAlpha);
#endif
  for (; i < n; ++i) out[i] = commitOverPixel(buf[i], bak[i], keepAlpha);
}

void overRow(Pixel* p, const uint8_t* cov, int n, const int* alphaBy, Pixel rgb) {
  int i = 0;
#if defined(__SSE2__)
  __m128 q[3];
  for (int c = 0; c < 3; ++c) q[c] = _mm_set1_ps(float((rgb >> (8 * c)) & 0xFF));
  __m128i opaque = _mm_set1_epi32(int(withAlpha(rgb, 255)));
  for (; i + 4 <= n; i += 4) {
    int v0 = cov[i], v1 = cov[i + 1], v2 = cov[i + 2], v3 = cov[i + 3];
    if ((v0 | v1 | v2 | v3) == 0) continue;
    __m128i al = _mm_setr_epi32(alphaBy[v0], alphaBy[v1], alphaBy[v2], alphaBy[v3]);
    __m128i skip = _mm_cmpeq_epi32(_mm_setr_epi32(v0, v1, v2, v3), _mm_setzero_si128());
    overFour(p + i, al, skip, q, opaque);
  }
#endif
  for (; i < n; ++i)
    if (cov[i]) overPixel(p + i, rgb, alphaBy[cov[i]], false);
}

void smudgeRow(Pixel* p, Pixel* k, int n, float fa, bool alphaMask) {
  int i = 0;
#if defined(TESSEL_AVX2_ROWS)
  if (hasAvx2()) {
    if (alphaMask)
      smudgeRowEight<true>(p, k, n, fa);
    else
      smudgeRowEight<false>(p, k, n, fa);
    return;
  }
#endif
#if defined(__SSE2__)
  __m128 faV = _mm_set1_ps(fa), oneMinusFa = _mm_set1_ps(1.0f - fa);
  for (; i + 4 <= n; i += 4) smudgeFour(p + i, k + i, faV, oneMinusFa, alphaMask);
#endif
  for (; i < n; ++i)
    if (!(p[i] == k[i] && alphaOf(k[i]) > 0)) smudgePixel(k[i], p + i, fa, alphaMask);
}

}  // namespace tessel
