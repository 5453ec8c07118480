#include "formats/clipboard_dib.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "image/byte_order.h"

namespace tessel {

namespace {

constexpr uint32_t kBitFieldMasksSize = 12;   // red, green and blue masks after a 40-byte header

bool knownHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

size_t rowBytes(int width, int bitCount) { return (size_t(width) * size_t(bitCount / 8) + 3) & ~size_t(3); }

// Where the pixel rows of a 24- or 32-bit block lie.
struct DibRows {
  const uint8_t* first = nullptr;   // first row in the block
  size_t stride = 0;
};

// False unless every row the header promises lies inside the block. The
// masks that follow a plain info header are skipped; later headers hold them.
bool locateRows(const uint8_t* data, size_t size, const DibHeader& header, DibRows& rows) {
  const size_t bytesPerPixel = size_t(header.bitCount / 8);
  size_t offset = header.headerSize;
  if (header.compression != 0 && header.headerSize == kDibInfoHeaderSize) offset += kBitFieldMasksSize;
  if (offset > size || bytesPerPixel == 0) return false;
  const size_t available = size - offset;
  if (size_t(header.width) > available / bytesPerPixel) return false;
  const size_t stride = rowBytes(header.width, header.bitCount);
  if (size_t(header.height) > available / stride) return false;
  rows.first = data + offset;
  rows.stride = stride;
  return true;
}

// Row y of the picture (0 = top) inside the block.
const uint8_t* pictureRow(const DibHeader& header, const DibRows& rows, int y) {
  const int stored = header.topDown ? y : header.height - 1 - y;
  return rows.first + size_t(stored) * rows.stride;
}

// Transparent white, then the top-left overlap of the picture and target.
void copyPicture(const DibHeader& header, const DibRows& rows, Image32& target) {
  target.fill(kTransparent);
  const int h = std::min(header.height, target.height());
  const int w = std::min(header.width, target.width());
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = pictureRow(header, rows, y);
    Pixel* dst = target.row(y);
    if (header.bitCount == 32) {
      std::memcpy(dst, src, size_t(w) * 4);
    } else {
      for (int x = 0; x < w; ++x, src += 3) dst[x] = makePixel(0, src[2], src[1], src[0]);
    }
  }
}

}  // namespace

bool readDibHeader(const uint8_t* data, size_t size, DibHeader& header) {
  if (!data || size < kDibInfoHeaderSize) return false;
  const uint32_t headerSize = readLE32(data);
  if (!knownHeaderSize(headerSize) || headerSize > size) return false;
  const int32_t width = int32_t(readLE32(data + 4));
  const int32_t height = int32_t(readLE32(data + 8));
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  header.headerSize = headerSize;
  header.width = width;
  header.height = height < 0 ? -height : height;
  header.topDown = height < 0;
  header.bitCount = readLE16(data + 14);
  header.compression = readLE32(data + 16);
  return true;
}

bool dibSize(const uint8_t* data, size_t size, int& width, int& height) {
  DibHeader header;
  if (!readDibHeader(data, size, header)) return false;
  width = header.width;
  height = header.height;
  return true;
}

size_t dibByteSize(const Image32& image, int bitCount) {
  if (!image.valid() || (bitCount != 24 && bitCount != 32)) return 0;
  return kDibInfoHeaderSize + rowBytes(image.width(), bitCount) * size_t(image.height());
}

void writeDibHeader(uint8_t* out, int width, int height, int bitCount) {
  std::memset(out, 0, kDibInfoHeaderSize);
  writeLE32(out, uint32_t(kDibInfoHeaderSize));
  writeLE32(out + 4, uint32_t(width));
  writeLE32(out + 8, uint32_t(height));
  out[12] = 1;   // planes
  out[14] = uint8_t(bitCount);
}

size_t writeDib(const Image32& image, int bitCount, uint8_t* out, size_t capacity) {
  const size_t total = dibByteSize(image, bitCount);
  if (total == 0 || !out || capacity < total) return 0;
  writeDibHeader(out, image.width(), image.height(), bitCount);
  uint8_t* dst = out + kDibInfoHeaderSize;
  if (bitCount == 32) {
    std::memcpy(dst, image.bits(), image.byteSize());   // already bottom-up BGRA
    return total;
  }
  const size_t stride = rowBytes(image.width(), 24);
  for (int y = image.height() - 1; y >= 0; --y, dst += stride) {
    const Pixel* src = image.row(y);
    uint8_t* p = dst;
    for (int x = 0; x < image.width(); ++x, p += 3) {
      p[0] = blueOf(src[x]);
      p[1] = greenOf(src[x]);
      p[2] = redOf(src[x]);
    }
    std::memset(p, 0, size_t(dst + stride - p));
  }
  return total;
}

DibResult checkDib32(const uint8_t* data, size_t size) {
  DibHeader header;
  if (!readDibHeader(data, size, header)) return DibResult::Invalid;
  return header.bitCount == 32 ? DibResult::Ok : DibResult::Not32Bit;
}

DibResult pasteDib32(const uint8_t* data, size_t size, Image32& target) {
  DibHeader header;
  if (!readDibHeader(data, size, header)) return DibResult::Invalid;
  if (header.bitCount != 32) return DibResult::Not32Bit;
  DibRows rows;
  if (!target.valid() || !locateRows(data, size, header, rows)) return DibResult::Invalid;
  copyPicture(header, rows, target);
  target.normaliseTransparent();
  return DibResult::Ok;
}

bool pasteBitmap(const uint8_t* data, size_t size, Image32& target) {
  DibHeader header;
  if (!readDibHeader(data, size, header)) return false;
  const bool plain = header.compression == 0;
  const bool bitFields32 = header.bitCount == 32 && header.compression == 3;
  if ((header.bitCount != 24 && header.bitCount != 32) || !(plain || bitFields32)) return false;
  DibRows rows;
  if (!target.valid() || !locateRows(data, size, header, rows)) return false;
  copyPicture(header, rows, target);
  target.setAlphaRect(0, 0, target.width(), target.height(), 255);
  return true;
}

}  // namespace tessel
