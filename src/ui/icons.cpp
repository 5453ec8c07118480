#include "ui/icons.h"

#include <QImage>
#include <QPixmap>

#include "app/application.h"
#include "image/image24.h"

namespace tessel {

QIcon stripIcon(const Image24& strip, const Rect& r) {
  if (!strip.valid()) return {};
  QImage image(r.w, r.h, QImage::Format_ARGB32);
  for (int y = 0; y < r.h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < r.w; ++x) {
      uint32_t c = strip.getPixel(r.x + x, r.y + y);
      line[x] = c == icon_strip::kTransparent ? 0u : (0xFF000000u | c);
    }
  }
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace tessel
