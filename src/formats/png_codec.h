#pragma once
#include <cstdint>
#include <string>

#include "formats/image_read_info.h"
#include "image/image32.h"

namespace tessel {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kPngIendCrc = 0xAE426082u;

// Reads every PNG colour type and bit depth, plain or Adam7-interlaced;
// 16-bit samples are rounded to 8 bits. A source with an alpha channel or a
// tRNS chunk (palette alphas, grey or RGB key) keeps its alpha (alpha-0
// pixels become transparent white) and sets info.hadAlpha; every other
// source loads fully opaque. Damaged critical chunks (CRC) fail; image data
// that ends early leaves the rest zero.
bool readPng(const std::string& path, Image32& image, ImageReadInfo& info);

// The same picture written into image with its top-left corner at (x, y):
// only the part inside image is written, each pixel with alpha 0 as
// kTransparent, and placed gets that part. Nothing is allocated for the
// picture itself unless it is interlaced. False where readPng fails (image
// then partly written).
bool readPngPlaced(const std::string& path, Image32& image, int x, int y, Rect& placed);

// The same file shrunk as ThumbnailSink does while the rows stream past,
// without holding the image. False where readPng fails.
bool readPngThumbnail(const std::string& path, int side, Image32& thumb);

// Writes RGBA (withAlpha), an 8-bit palette image (at most 256 colours) or
// RGB, one IDAT chunk compressed at level 0-9. transparentColour is -1 or
// 0x00BBGGRR; it is ignored for RGBA output. An earlier file of that name
// survives a failed write.
bool writePng(const Image32& image, const std::string& path, int level, bool withAlpha,
              int32_t transparentColour);

}  // namespace tessel
