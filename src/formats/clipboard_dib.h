#pragma once
#include <cstddef>
#include <cstdint>

#include "image/image32.h"

namespace tessel {

// Clipboard bitmaps as device-independent bitmaps (a CF_DIB block: info
// header, optional colour masks, pixel rows). Every field is checked against
// the byte count before it is used, so any block may come from outside.

inline constexpr char kMsgNot32BitDib[] = "图像不是32BIT格式";
inline constexpr size_t kDibInfoHeaderSize = 40;

enum class DibResult { Ok, Invalid, Not32Bit };

// The info-header fields the clipboard uses.
struct DibHeader {
  uint32_t headerSize = 0;   // 40, or a later header's 52, 56, 108 or 124
  int width = 0;             // > 0
  int height = 0;            // absolute value, > 0
  bool topDown = false;      // the header's height was negative
  int bitCount = 0;
  uint32_t compression = 0;
};

// False when the block is shorter than its header, the header size is not
// one of the known ones, or the width or height is zero or out of range.
bool readDibHeader(const uint8_t* data, size_t size, DibHeader& header);

// Size of the picture (height as its absolute value); false when the header
// is unsound.
bool dibSize(const uint8_t* data, size_t size, int& width, int& height);

// Bytes of the block writeDib makes for image at 24 or 32 bits per pixel;
// 0 for an empty image or another bit count.
size_t dibByteSize(const Image32& image, int bitCount);
// Writes the 40-byte info header (width, positive height, 1 plane,
// bitCount, no compression, every other field 0).
void writeDibHeader(uint8_t* out, int width, int height, int bitCount);
// The clipboard block of image: 24 bits (blue, green, red rows padded to 4
// bytes) or 32 bits (the pixel memory as it is), bottom row first. Returns
// the bytes written, 0 when capacity is below dibByteSize.
size_t writeDib(const Image32& image, int bitCount, uint8_t* out, size_t capacity);

// Ok when the block is a sound DIB of 32 bits per pixel.
DibResult checkDib32(const uint8_t* data, size_t size);

// target (already created) becomes transparent white, then takes as many
// rows and columns of the 32-bit block as both have, top-left aligned;
// pixels of alpha 0 become transparent white. Nothing is copied unless the
// result is Ok.
DibResult pasteDib32(const uint8_t* data, size_t size, Image32& target);

// The block (24 or 32 bits) as an opaque bitmap: target becomes transparent
// white, takes the picture at its top-left corner and then alpha 255 all over.
bool pasteBitmap(const uint8_t* data, size_t size, Image32& target);

}  // namespace tessel
