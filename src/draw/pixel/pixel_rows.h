#pragma once
// Row loops of the pixel arithmetic in pixel_kernels.h, four pixels at a time
// where the processor has SSE2 (eight with AVX2). Each lane does the
// single-precision operations of the scalar code in the same order, so the
// bytes are the same; the finger's eight-lane mix divides once and multiplies,
// dividing three times only where the product could round differently.
#include <cstdint>

#include "image/pixel.h"

namespace tessel {

// smudgePixel(k[i], &p[i], fa, alphaMask) for i in 0..n-1, except that a
// carried pixel equal to the one under it (with some alpha) is left alone,
// which the arithmetic gives exactly.
void smudgeRow(Pixel* p, Pixel* k, int n, float fa, bool alphaMask);

// overPixel(&p[i], rgb, alphaBy[cov[i]], false) for every i with cov[i] != 0.
void overRow(Pixel* p, const uint8_t* cov, int n, const int* alphaBy, Pixel rgb);

// out[i] = commitOverPixel(buf[i], bak[i], keepAlpha) for i in 0..n-1.
void commitOverRow(Pixel* out, const Pixel* buf, const Pixel* bak, int n, bool keepAlpha);

}  // namespace tessel
