#pragma once
#include <cstdlib>

#include "formats/thumbnail_sink.h"
#include "image/image32.h"

// The thumbnail mode must give exactly the whole image shrunk, or fail with it.
inline void checkThumbnail(bool fullOk, const tessel::Image32& full, bool thumbOk, const tessel::Image32& thumb) {
  if (thumbOk != fullOk) std::abort();
  if (!fullOk) return;
  tessel::Image32 expected;
  if (!tessel::ThumbnailSink::shrink(full, 48, expected)) std::abort();
  if (thumb.width() != expected.width() || thumb.height() != expected.height()) std::abort();
  for (int y = 0; y < thumb.height(); ++y)
    for (int x = 0; x < thumb.width(); ++x)
      if (thumb.at(x, y) != expected.at(x, y)) std::abort();
}
