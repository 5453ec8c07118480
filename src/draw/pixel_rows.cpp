#include "draw/pixel_rows.h"

#include "draw/pixel_kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel {

namespace {

#if defined(__SSE2__)

__m128 channelOf(__m128i px, int shift) {
  return _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(px, shift), _mm_set1_epi32(0xFF)));
}

// int(v + 0.5f), then at most 255, as roundAddHalf and std::min do.
__m128i roundToByte(__m128 v) {
  __m128i r = _mm_cvttps_epi32(_mm_add_ps(v, _mm_set1_ps(0.5f)));
  __m128i over = _mm_cmpgt_epi32(r, _mm_set1_epi32(255));
  return _mm_or_si128(_mm_andnot_si128(over, r), _mm_and_si128(over, _mm_set1_epi32(255)));
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
  __m128i alpha = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(255.0f), area), _mm_set1_ps(0.5f)));
  __m128 wk = _mm_mul_ps(e, fa), wp = _mm_mul_ps(d, oneMinusFa);
  __m128i rgb = zero;
  for (int shift = 0; shift < 24; shift += 8) {
    __m128 v = _mm_div_ps(_mm_add_ps(_mm_mul_ps(wk, channelOf(kk, shift)), _mm_mul_ps(wp, channelOf(pp, shift))), area);
    rgb = _mm_or_si128(rgb, _mm_slli_epi32(roundToByte(v), shift));
  }
  __m128i kept = alphaMask ? pa : alpha;
  __m128i out = _mm_or_si128(rgb, _mm_slli_epi32(kept, 24));
  out = _mm_andnot_si128(_mm_cmpeq_epi32(kept, zero), out);   // alpha 0 is the transparent pixel
  // Unchanged: equal pixels, and under the alpha mask where no alpha came out.
  __m128i keep = same;
  if (alphaMask) keep = _mm_or_si128(keep, _mm_cmpeq_epi32(alpha, zero));
  out = _mm_or_si128(_mm_and_si128(keep, pp), _mm_andnot_si128(keep, out));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(k), out);
}

#endif

}  // namespace

void smudgeRow(Pixel* p, Pixel* k, int n, float fa, bool alphaMask) {
  int i = 0;
#if defined(__SSE2__)
  __m128 faV = _mm_set1_ps(fa), oneMinusFa = _mm_set1_ps(1.0f - fa);
  for (; i + 4 <= n; i += 4) smudgeFour(p + i, k + i, faV, oneMinusFa, alphaMask);
#endif
  for (; i < n; ++i)
    if (!(p[i] == k[i] && alphaOf(k[i]) > 0)) smudgePixel(k[i], p + i, fa, alphaMask);
}

}  // namespace tessel
