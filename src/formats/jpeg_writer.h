#pragma once
#include <cstdint>
#include <string>

#include "image/image32.h"

namespace tessel {

// The two base tables of ITU-T T.81 Annex K (luminance, chrominance), in
// natural (row by row) order, and the zig-zag order as natural indices.
extern const uint8_t kJpegLumaQuant[64];
extern const uint8_t kJpegChromaQuant[64];
extern const uint8_t kJpegZigZag[64];

// One base table scaled for quality (clamped to 1..100), entries 1..255.
void scaleQuantTable(const uint8_t base[64], int quality, uint8_t out[64]);

// Baseline JPEG: three components, Huffman coded with the standard tables,
// 2 x 2 chroma subsampling when subsample is set. Colour only; alpha is
// ignored. An earlier file of that name survives a failed write.
bool writeJpeg(const Image32& image, const std::string& path, int quality, bool subsample);

// A standard Huffman table: code counts per length 1..16 and the symbols.
struct JpegHuffmanSpec {
  const uint8_t* bits;     // 16 counts
  const uint8_t* values;   // sum(bits) symbols
};
// 0 DC luminance, 1 AC luminance, 2 DC chrominance, 3 AC chrominance.
JpegHuffmanSpec jpegStandardHuffman(int which);

}  // namespace tessel
