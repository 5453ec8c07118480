#pragma once
// Display-compositor row loops eight pixels wide (AVX2), chosen at run time
// when the processor has them. Each loop combines the longest prefix of the
// row that is a multiple of eight pixels and returns its length; the caller
// finishes the row with the four-pixel loops.
#include "image/geometry.h"

namespace tessel::display {

using WideRow = int (*)(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t* table);

// Null when the processor lacks AVX2, the wide loops are switched off, or the
// mode has no wide loop.
WideRow wideRow(int mode);
// Lets tests and benchmarks run the four-pixel loops alone. On by default.
void setWideRowsAllowed(bool allowed);

}  // namespace tessel::display
