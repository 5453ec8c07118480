#pragma once
#include <QImage>

#include "image/image32.h"

namespace tessel {

// A copy of the image for painting on a widget (alpha ignored).
inline QImage toPanelImage(const Image32& image) {
  QImage out(image.width(), image.height(), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    const Pixel* src = image.row(y);
    auto* dst = reinterpret_cast<uint32_t*>(out.scanLine(y));
    for (int x = 0; x < image.width(); ++x) dst[x] = src[x] | 0xFF000000u;
  }
  return out;
}

}  // namespace tessel
