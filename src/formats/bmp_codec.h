#pragma once
#include <string>

#include "formats/image_read_info.h"
#include "image/image32.h"

namespace tessel {

// Reads a BMP with a core, info, V4 or V5 header: 1, 4, 8, 16, 24 or 32 bits
// per pixel, uncompressed, RLE4, RLE8 or bit fields, bottom-up or top-down.
// An alpha mask (bit fields, V4 or V5 header) is kept, alpha-0 pixels as
// transparent white, unless every pixel's alpha is zero; otherwise the image
// comes out fully opaque. Compressed data that ends early leaves
// the remaining pixels black; uncompressed data that ends early fails.
bool readBmp(const std::string& path, Image32& image, ImageReadInfo& info);

// The same file shrunk as ThumbnailSink does; uncompressed files are read
// only at the rows it samples. False where readBmp fails.
bool readBmpThumbnail(const std::string& path, int side, Image32& thumb);

// 8 bits per pixel with the image's palette when it has at most 256 colours,
// else 24 bits; rows bottom-up, padded to 4 bytes.
bool writeBmp(const Image32& image, const std::string& path);

}  // namespace tessel
