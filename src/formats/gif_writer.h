#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/image32.h"

namespace tessel {

// GIF89a with one global colour table and one image. Pictures of more than
// 256 colours are first reduced by the colour quantiser. transparentColour is
// -1 or 0x00BBGGRR; when a palette entry equals it a graphic control
// extension marks that entry transparent. Alpha is ignored.
bool writeGif(const Image32& image, const std::string& path, int32_t transparentColour);

// Compresses indices (each below 2^minimumCodeSize) into GIF data
// sub-blocks, the zero-length terminator included.
bool lzwEncode(const uint8_t* indices, size_t count, int minimumCodeSize, std::vector<uint8_t>& out);

}  // namespace tessel
