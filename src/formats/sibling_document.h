#pragma once
#include <cstdint>
#include <string>

#include "image/image32.h"
#include "image/progress.h"

namespace tessel {

class Document;

constexpr char kSiblingMagic[7] = {'V', 'R', 'N', 'L', 'D', 'A', 'T'};

// Coverage rows are padded to a multiple of 4 bytes.
constexpr int siblingRowBytes(int width) { return (width + 3) & ~3; }

// Replaces the document with a sibling-format file (one coverage map and one
// colour per layer). Returns a ReadResult: 0, 1 too large, 2 cannot open,
// 3 wrong magic or version, 4 out of memory, 5 decompression failed. Codes
// 1-3 leave the document untouched; 4 leaves a blank 400 x 400 one-layer image.
int readSibling(const std::string& path, Document& document, Progress* progress);
// Keeps only each layer's alpha, in black. An earlier file survives a failed save.
bool writeSibling(const std::string& path, Document& document, Progress* progress);
// The flattened image stored at the start of the file.
bool readSiblingComposite(const std::string& path, Image32& image);

}  // namespace tessel
