#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "image/geometry.h"

namespace tessel {

class Image32;

// Run-length encoding of undo pixel data. Rows of the rectangle are walked
// top to bottom, left to right; runs carry over row ends. A pixel with
// non-zero alpha is written as A, R, G, B; transparent pixels are counted and
// written as 0, n (n = 1 ... 255), so a leading 0 always marks a run.

// Exact byte count the encoder will write for rect of image. rect must lie
// inside the image.
size_t rleEncodedSize(const Image32& image, const Rect& rect);

// Writes the encoding into out, whose capacity must be at least
// rleEncodedSize; nothing is written past capacity. Returns the bytes written.
size_t rleEncode(const Image32& image, const Rect& rect, uint8_t* out, size_t capacity);

// The same over rows given one at a time: rows(y) returns the rect.w pixels
// of row y from rect.x, for y from rect.y down the rectangle in order.
using RleRows = std::function<const Pixel*(int y)>;
size_t rleEncodedSize(const RleRows& rows, const Rect& rect);
size_t rleEncode(const RleRows& rows, const Rect& rect, uint8_t* out, size_t capacity);

// Decodes size bytes into rect of image; every transparent pixel becomes
// 0x00FFFFFF. False when the data is short, malformed or longer than the
// rectangle (pixels up to the fault have been written by then).
bool rleDecode(const uint8_t* data, size_t size, Image32& image, const Rect& rect);

}  // namespace tessel
