#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "image/tiled_image.h"

namespace tessel {

// One zlib stream of a tiled picture's pixels as a flat buffer keeps them:
// rows bottom first, four bytes a pixel. Long runs of transparent pixels are
// not compressed byte by byte: a ready-made deflate block for them is copied
// in, so the bytes differ from a plain deflate of the same pixels, but the
// stream inflates to exactly those pixels. sink gets the bytes in order and
// returns false to stop; the result is the stream's size, 0 on failure.
uint64_t deflateTiles(const TiledImage& image, int level,
                      const std::function<bool(const uint8_t*, size_t)>& sink);

}  // namespace tessel
