#pragma once
// Display-compositor row loops wider than the four-pixel SSE2 ones, chosen at
// run time from what the processor has: eight pixels (AVX2) for every mode,
// sixteen (AVX-512) for the table modes and modes 17-20, whose lookups and
// arithmetic rather than memory bound them. Each loop combines the longest
// prefix of the row that is a multiple of its width and returns its length;
// the caller finishes the row with the four-pixel loops.
#include "image/geometry.h"

namespace tessel::display {

using WideRow = int (*)(Pixel* d, const Pixel* s, int n, int opacity, const uint8_t* table);

enum class Width { kFour, kEight, kSixteen };

// The widest loop for mode that the processor and the current limit allow;
// null when that is the four-pixel loop.
WideRow wideRow(int mode);
// Caps the width (tests and benchmarks run each width). The default allows all.
void setWidthLimit(Width limit);

// The sixteen-pixel loop for mode, null when the processor lacks AVX-512
// (F and BW) or the mode has none. Used by wideRow.
WideRow sixteenPixelRow(int mode);

}  // namespace tessel::display
