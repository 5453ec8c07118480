#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "formats/picture_decoders.h"

// JPEG and GIF decoding through libjpeg-turbo and giflib. No window system
// involved: the command line and the tests use these too.
namespace tessel {

// An opaque image of the picture's size; CMYK and YCCK pictures are turned
// into RGB without a colour profile. Sides above maxSide are refused before
// any pixel memory is taken.
DecodeStatus decodeJpeg(const uint8_t* data, size_t size, int maxSide, DecodedImage& out);

// The picture scaled down by 2, 4 or 8 (rounding up) in the decoder, as far
// as its longer side stays at least minSide; a thumbnail costs little more
// than the entropy decoding. maxSide still applies to the full size.
DecodeStatus decodeJpegReduced(const uint8_t* data, size_t size, int maxSide, int minSide, DecodedImage& out);

// The first image of a GIF on its logical screen. When the first graphic
// control extension before the first image sets transparency, pixels of that
// index and the screen around the image are transparent (0x00FFFFFF);
// everything else is opaque, the uncovered screen black.
DecodeStatus decodeGif(const uint8_t* data, size_t size, int maxSide, DecodedImage& out);

// The three above as the interface the formats are handed.
const PictureDecoders& platformPictureDecoders();

}  // namespace tessel
