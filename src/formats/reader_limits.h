#pragma once

namespace tessel {

// The side of the blank one-layer image a document reader leaves when a file
// fails after the open document was given up. The fuzz harnesses, whose
// inputs fail millions of times, make it small.
inline int blankCanvasSide = 400;

}  // namespace tessel
