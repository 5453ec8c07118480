#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "formats/zlib_stream.h"
#include "image/tiled_image.h"
#include "io/file.h"

namespace tessel {

// One zlib stream of a tiled picture's pixels as a flat buffer keeps them:
// rows bottom first, four bytes a pixel. Long runs of transparent pixels are
// not compressed byte by byte: a ready-made deflate block for them is copied
// in, so the bytes differ from a plain deflate of the same pixels, but the
// stream inflates to exactly those pixels. sink gets the bytes in order and
// returns false to stop; the result is the stream's size, 0 on failure.
uint64_t deflateTiles(const TiledImage& image, int level,
                      const std::function<bool(const uint8_t*, size_t)>& sink);

// inflateFromFileAt for any zlib stream, faster on the streams deflateTiles
// writes: where a ready-made transparent block starts on a block boundary it
// is recognised by its bytes and its pixels are written without inflating it.
// With `transparent`, those that start on a pixel are not written at all but
// listed there (sorted, adjacent ones joined) for TiledImage::assign.
bool inflateLayerAt(const File& file, int64_t offset, uint32_t compressedSize, uint8_t* destination,
                    size_t destinationSize, InflateResult& result, std::vector<ByteRange>* transparent = nullptr);

}  // namespace tessel
