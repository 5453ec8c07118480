#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel {

// Channel compression words.
enum PsdCompression : uint16_t { kPsdRaw = 0, kPsdRle = 1, kPsdZip = 2, kPsdZipPredicted = 3 };

// One channel of a rectangle, decoded and brought to 8 bits per sample.
struct PsdPlane {
  int64_t width = 0, height = 0;
  std::vector<uint8_t> samples;   // width * height, row after row
};

// How samples of depth 1, 8, 16 or 32 become bytes: bitmap bits are ink
// (1 = black); 16-bit values are scaled with rounding; 32-bit floats are
// linear light, so colour goes through the sRGB curve and alpha is scaled.
struct PsdSampleFormat {
  int depth = 8;
  bool linearColour = false;   // a 32-bit colour channel
};

// Bytes of one stored row.
inline uint64_t psdRowBytes(int64_t width, int depth) { return (uint64_t(width) * uint64_t(depth) + 7) / 8; }

// Decodes data (what follows the compression word) into the stored rows of
// a width x height rectangle (psdRowBytes each), as decodePsdPlane does but
// without bringing the samples to 8 bits.
bool decodePsdRows(const uint8_t* data, size_t size, uint16_t compression, int64_t width, int64_t height,
                   int depth, int rowCountBytes, std::vector<uint8_t>& rows);
// Stored rows of the given depth to 8-bit samples.
void psdRowsTo8(const uint8_t* rows, int64_t width, int64_t height, const PsdSampleFormat& format, uint8_t* out);

// Decodes data (what follows the compression word) into plane. RLE skips the
// row byte counts (rowCountBytes per row) and unpacks until the plane or the
// data ends; ZIP inflates at most one plane. Data that ends early leaves the
// rest of the plane 0. False for an unknown compression, a broken zlib
// stream, or when memory runs out.
bool decodePsdPlane(const uint8_t* data, size_t size, uint16_t compression, const PsdSampleFormat& format,
                    int rowCountBytes, PsdPlane& plane);

// Undoes the per-row delta coding of compression 3 in place: bytes for 8
// bits, big-endian words for 16, and for 32 bits byte deltas over rows whose
// four byte planes lie one after another.
void unpredictPsdRows(uint8_t* rows, int64_t width, int64_t height, int depth);

// A sample of the given depth at index i of unpacked row bytes to 8 bits.
uint8_t psdSampleTo8(const uint8_t* row, int64_t i, const PsdSampleFormat& format);

}  // namespace tessel
