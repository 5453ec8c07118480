#include "filters/image_ops.h"

#include <algorithm>
#include <vector>

#include "document/document.h"
#include "document/layer.h"
#include "image/tiled_image.h"
#include "filters/row_threads.h"
#include "image/progress.h"

namespace tessel {

void flipHorizontal(Image32& image, int threads) {
  const int w = image.width();
  if (w < 2) return;
  forEachRowBand(image.height(), threads, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) std::reverse(image.row(y), image.row(y) + w);
  });
}

void flipVertical(Image32& image) {
  const int w = image.width(), h = image.height();
  for (int y = 0; y < h / 2; ++y) std::swap_ranges(image.row(y), image.row(y) + w, image.row(h - 1 - y));
}

bool rotate90(const Image32& src, Image32& out, bool counterClockwise, int threads) {
  const int w = src.width(), h = src.height();
  if (!out.create(h, w)) return false;
  // Tiles keep both the reads and the writes within the cache.
  constexpr int kTile = 64;
  forEachRowBand(w, threads, [&](int y0, int y1) {
    for (int ty = y0; ty < y1; ty += kTile) {
      const int tyEnd = std::min(y1, ty + kTile);
      for (int tx = 0; tx < h; tx += kTile) {
        const int txEnd = std::min(h, tx + kTile);
        for (int y = ty; y < tyEnd; ++y) {
          Pixel* row = out.row(y);
          if (counterClockwise) {
            // new (x, y) = old (w - 1 - y, x)
            for (int x = tx; x < txEnd; ++x) row[x] = src.at(w - 1 - y, x);
          } else {
            // new (x, y) = old (y, h - 1 - x)
            for (int x = tx; x < txEnd; ++x) row[x] = src.at(y, h - 1 - x);
          }
        }
      }
    }
  });
  return true;
}

namespace {

// Offset of the kept block inside the larger of two sizes.
int anchorOffset(int excess, int anchor) {
  if (excess <= 0) return 0;
  if (anchor == 1) return excess / 2;
  return anchor == 2 ? excess : 0;
}

}  // namespace

bool resizeCanvas(const Image32& src, Image32& out, int width, int height, CanvasAnchor anchor,
                  Pixel fill) {
  if (width < 1 || height < 1 || !out.create(width, height)) return false;
  const int w = src.width(), h = src.height();
  out.fill(fill);
  int sx = anchorOffset(w - width, anchor.horizontal), sy = anchorOffset(h - height, anchor.vertical);
  int dx = anchorOffset(width - w, anchor.horizontal), dy = anchorOffset(height - h, anchor.vertical);
  int cw = std::min(w, width), ch = std::min(h, height);
  for (int y = 0; y < ch; ++y) std::copy_n(src.row(sy + y) + sx, cw, out.row(dy + y) + dx);
  return true;
}

bool cropImage(const Image32& src, Image32& out, const Rect& rect) {
  Rect r = rect.intersected(src.bounds());
  if (r.empty() || !out.create(r.w, r.h)) return false;
  for (int y = 0; y < r.h; ++y) std::copy_n(src.row(r.y + y) + r.x, r.w, out.row(y));
  return true;
}

Pixel canvasFillPixel(CanvasFill fill, Pixel foreground) {
  switch (fill) {
    case CanvasFill::White: return kOpaqueWhite;
    case CanvasFill::Foreground: return 0xFF000000u | (foreground & 0x00FFFFFFu);
    case CanvasFill::Transparent: break;
  }
  return kTransparent;
}

namespace {

// Makes every layer's new image with make(layer image, new image); when all
// succeeded, records the whole document if asked (the record must see the
// old size), resizes the canvas buffers and swaps the images in. Nothing
// changes when an allocation fails.
template <typename Make>
bool replaceAllLayers(Document& doc, int width, int height, bool recordBefore, Progress* progress,
                      const Make& make) {
  std::vector<TiledImage> made;
  if (!doc.remakeLayers(make, made, progress)) return false;
  if (recordBefore) doc.recorder().recordAllLayers();
  if (!doc.resizeCanvasBuffers(width, height)) return false;
  doc.adoptLayers(made);
  return true;
}

}  // namespace

bool flipDocument(Document& doc, bool vertical, Progress* progress) {
  const bool flipped = replaceAllLayers(doc, doc.width(), doc.height(), false, progress,
                                        [&](const Image32& in, Image32& out) {
                                          if (!out.create(in.width(), in.height())) return false;
                                          const int w = in.width(), h = in.height();
                                          for (int y = 0; y < h; ++y) {
                                            const Pixel* row = in.row(vertical ? h - 1 - y : y);
                                            if (vertical) std::copy_n(row, w, out.row(y));
                                            else std::reverse_copy(row, row + w, out.row(y));
                                          }
                                          return true;
                                        });
  if (flipped) doc.recorder().recordFlip(vertical);
  return flipped;
}

bool rotateDocument(Document& doc, bool counterClockwise, Progress* progress) {
  bool ok = replaceAllLayers(doc, doc.height(), doc.width(), false, progress,
                             [&](const Image32& in, Image32& out) {
                               return rotate90(in, out, counterClockwise);
                             });
  // The record follows the change: it only names the opposite turn.
  if (ok) doc.recorder().recordRotation(counterClockwise);
  return ok;
}

bool changeCanvasSize(Document& doc, int width, int height, CanvasAnchor anchor, CanvasFill fill,
                      Pixel foreground, Progress* progress) {
  if (width < 1 || height < 1 || width > kMaxCanvasSize || height > kMaxCanvasSize) return false;
  const Pixel colour = canvasFillPixel(fill, foreground);
  return replaceAllLayers(doc, width, height, true, progress,
                          [&](const Image32& in, Image32& out) {
                            return resizeCanvas(in, out, width, height, anchor, colour);
                          });
}

bool scaleDocument(Document& doc, int width, int height, ScaleMethod method, Progress* progress,
                   int threads) {
  if (width < 1 || height < 1 || width > kMaxCanvasSize || height > kMaxCanvasSize) return false;
  if (width == doc.width() && height == doc.height()) return true;
  return replaceAllLayers(doc, width, height, true, progress,
                          [&](const Image32& in, Image32& out) {
                            return scaleImage(in, out, width, height, method, threads);
                          });
}

bool cropDocument(Document& doc, const Rect& rect, Progress* progress) {
  Rect r = rect.intersected(doc.canvasRect());
  if (r.empty() || r == doc.canvasRect()) return false;
  return replaceAllLayers(doc, r.w, r.h, true, progress, [&](const Image32& in, Image32& out) {
    return cropImage(in, out, r);
  });
}

}  // namespace tessel
