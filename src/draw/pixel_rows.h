#pragma once
// Row loops of the pixel arithmetic in pixel_kernels.h, four pixels at a time
// where the processor has SSE2. Each lane does the single-precision operations
// of the scalar code in the same order, so the bytes are the same.
#include "image/pixel.h"

namespace tessel {

// smudgePixel(k[i], &p[i], fa, alphaMask) for i in 0..n-1, except that a
// carried pixel equal to the one under it (with some alpha) is left alone,
// which the arithmetic gives exactly.
void smudgeRow(Pixel* p, Pixel* k, int n, float fa, bool alphaMask);

}  // namespace tessel
