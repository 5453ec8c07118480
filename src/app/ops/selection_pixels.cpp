#include "app/ops/selection_pixels.h"

#include <algorithm>
#include <cmath>

#include "document/pixel_edit.h"
#include "draw/brush/brush_engine.h"
#include "filters/image_ops.h"

namespace tessel {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

Image32* currentImage(Document& doc, const Selection& sel) {
  Layer* layer = doc.currentLayer();
  return layer && !sel.floating() ? &layer->image() : nullptr;
}

bool copyOut(const Image32& image, const Rect& r, Image32& out) {
  if (!out.create(r.w, r.h)) return false;
  out.blit(0, 0, r.w, r.h, image, r.x, r.y);
  return true;
}

// One undo step of area of the current layer around change(); a selection
// command leaves its step even when no pixel changed.
template <class Change>
Rect editArea(Document& doc, const Rect& area, Change change) {
  PixelEdit edit(doc, area);
  if (!edit.ok()) return {};
  change();
  edit.commit(PixelEdit::Unchanged::Record);
  return area;
}

// Applies one pixel operation to every pixel of the selection.
Rect applyOp(Document& doc, const Selection& sel, BrushEngine& engine, int op, Pixel value) {
  Image32* image = currentImage(doc, sel);
  if (!image) return {};
  return editArea(doc, sel.get(doc), [&] {
    const Rect r = sel.get(doc);
    for (int y = r.y; y < r.bottom(); ++y)
      for (int x = r.x; x < r.right(); ++x) engine.applyPixelOp(op, *image, x, y, value);
  });
}

// Clamped and rounded channel of the smoothed rotation.
int clampByte(double v) { return std::clamp(int(v + 0.5), 0, 255); }

Pixel smoothSample(const Image32& copy, double sx, double sy, int ix, int iy) {
  const double fx = sx - ix, fy = sy - iy;
  const Pixel p00 = copy.at(ix, iy);
  // Neighbours beyond the right or bottom edge are the pixel itself.
  auto neighbour = [&](int x, int y) { return x < copy.width() && y < copy.height() ? copy.at(x, y) : p00; };
  const Pixel p10 = neighbour(ix + 1, iy), p01 = neighbour(ix, iy + 1), p11 = neighbour(ix + 1, iy + 1);
  const double a00 = alphaOf(p00), a10 = alphaOf(p10), a01 = alphaOf(p01), a11 = alphaOf(p11);
  const int alpha = clampByte(fy * ((1 - fx) * a01 + fx * a11) + (1 - fy) * ((1 - fx) * a00 + fx * a10));
  if (alpha == 0) return kTransparent;
  Pixel out = Pixel(alpha) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const double c00 = (p00 >> shift) & 0xFF, c10 = (p10 >> shift) & 0xFF;
    const double c01 = (p01 >> shift) & 0xFF, c11 = (p11 >> shift) & 0xFF;
    const double sum = (1 - fy) * ((1 - fx) * c00 * a00 + fx * c10 * a10) +
                       fy * ((1 - fx) * c01 * a01 + fx * c11 * a11);
    out |= Pixel(clampByte(sum / alpha)) << shift;
  }
  return out;
}

}  // namespace

bool copySelection(Document& doc, Selection& sel) {
  Image32* image = currentImage(doc, sel);
  return image && sel.copyToBuffer(*image, sel.get(doc));
}

Rect cutSelection(Document& doc, Selection& sel) {
  if (!copySelection(doc, sel)) return {};
  const Rect r = sel.get(doc);
  return editArea(doc, r, [&] { doc.currentLayer()->image().fillRect(r.x, r.y, r.w, r.h, kTransparent); });
}

Rect fillSelection(Document& doc, const Selection& sel, BrushEngine& engine, Pixel colour) {
  return applyOp(doc, sel, engine, kPixelOverKeepAlpha, (colour & 0xFFFFFFu) | 0xFF000000u);
}

bool eraseRefused(const Document& doc) {
  const Layer* layer = doc.currentLayer();
  return layer && (layer->maskMode == kMaskOpaque || layer->maskMode == kMaskAlpha);
}

Rect eraseSelection(Document& doc, const Selection& sel, BrushEngine& engine) {
  if (eraseRefused(doc)) return {};
  return applyOp(doc, sel, engine, kPixelErase, 0xFF000000u);
}

Rect tileSelection(Document& doc, const Selection& sel, TileDirection direction) {
  Image32* image = currentImage(doc, sel);
  if (!image || sel.wholeCanvas(doc)) return {};
  const Rect s = sel.get(doc);
  Rect target = doc.canvasRect();
  if (direction == TileDirection::Across) target = {0, s.y, doc.width(), s.h};
  if (direction == TileDirection::Down) target = {s.x, 0, s.w, doc.height()};
  Image32 tile;
  if (!copyOut(*image, s, tile)) return {};
  return editArea(doc, target, [&] {
    const int x0 = direction == TileDirection::Down ? s.x : tileStart(s.x, s.w);
    const int y0 = direction == TileDirection::Across ? s.y : tileStart(s.y, s.h);
    for (int y = y0; y < target.bottom(); y += s.h) {
      for (int x = x0; x < target.right(); x += s.w) {
        const Rect placed = Rect{x, y, s.w, s.h}.intersected(target);
        if (!placed.empty()) image->blit(placed.x, placed.y, placed.w, placed.h, tile, placed.x - x, placed.y - y);
      }
    }
  });
}

Rect flipSelection(Document& doc, const Selection& sel, bool vertical) {
  Image32* image = currentImage(doc, sel);
  const Rect r = sel.get(doc);
  Image32 copy;
  if (!image || !copyOut(*image, r, copy)) return {};
  if (vertical) flipVertical(copy);
  else flipHorizontal(copy);
  return editArea(doc, r, [&] { image->blit(r.x, r.y, r.w, r.h, copy, 0, 0); });
}

Rect rotateSelection90(Document& doc, Selection& sel, bool counterClockwise) {
  Image32* image = currentImage(doc, sel);
  const Rect r = sel.get(doc);
  Image32 copy;
  if (!image || (r.w == 1 && r.h == 1) || !copyOut(*image, r, copy)) return {};
  const Rect turned = quarterTurnRect(r);
  const Rect recorded = editArea(doc, turned.intersected(doc.canvasRect()), [&] {
    for (int i = 0; i < r.h; ++i) {
      for (int j = 0; j < r.w; ++j) {
        const int x = counterClockwise ? turned.x + i : turned.x + r.h - 1 - i;
        const int y = counterClockwise ? turned.y + r.w - 1 - j : turned.y + j;
        if (Pixel* p = image->pixelAddress(x, y)) *p = copy.at(j, i);
      }
    }
  });
  if (sel.state() == SelectionState::Selected) sel.setRect(doc, turned);
  return recorded;
}

Rect rotatedBoundingBox(const Rect& r, int degrees) {
  const int cx = r.x + r.w / 2, cy = r.y + r.h / 2;
  const double f = degrees * kRadiansPerDegree, c = std::cos(f), s = std::sin(f);
  const int xs[4] = {r.x, r.x + r.w - 1, r.x + r.w - 1, r.x};
  const int ys[4] = {r.y, r.y, r.y + r.h - 1, r.y + r.h - 1};
  int left = 0, top = 0, right = 0, bottom = 0;
  for (int k = 0; k < 4; ++k) {
    const double dx = xs[k] - cx, dy = ys[k] - cy;
    const int X = cx + int(dx * c - dy * s), Y = cy + int(dy * c + dx * s);
    left = k ? std::min(left, X) : X;
    right = k ? std::max(right, X) : X;
    top = k ? std::min(top, Y) : Y;
    bottom = k ? std::max(bottom, Y) : Y;
  }
  return {left, top, right - left + 1, bottom - top + 1};
}

void rotatePixels(const Image32& copy, const Rect& selection, Image32& layer, const Rect& area,
                  int degrees, bool smooth) {
  const int w = selection.w, h = selection.h;
  const int cx = selection.x + w / 2, cy = selection.y + h / 2;
  const double t = -degrees * kRadiansPerDegree, cosT = std::cos(t), sinT = std::sin(t);
  const Rect r = area.intersected(layer.bounds());
  for (int Y = r.y; Y < r.bottom(); ++Y) {
    Pixel* out = layer.row(Y);
    for (int X = r.x; X < r.right(); ++X) {
      const double dx = X - cx, dy = Y - cy;
      const double sx = dx * cosT - dy * sinT + w / 2, sy = dx * sinT + dy * cosT + h / 2;
      const int ix = int(sx), iy = int(sy);
      if (ix < 0 || iy < 0 || ix >= w || iy >= h) {
        out[X] = kTransparent;
      } else {
        out[X] = smooth ? smoothSample(copy, sx, sy, ix, iy) : copy.at(ix, iy);
      }
    }
  }
}

Rect rotateSelection(Document& doc, Selection& sel, int degrees, bool smooth) {
  Image32* image = currentImage(doc, sel);
  const Rect r = sel.get(doc);
  Image32 copy;
  if (!image || degrees == 0 || !copyOut(*image, r, copy)) return {};
  const Rect area = r.united(rotatedBoundingBox(r, degrees)).intersected(doc.canvasRect());
  if (editArea(doc, area, [&] {
        image->fillRect(area.x, area.y, area.w, area.h, kTransparent);
        rotatePixels(copy, r, *image, area, degrees, smooth);
      }).empty())
    return {};
  if (sel.state() == SelectionState::Selected) sel.setRect(doc, area);
  return area;
}

Rect scaleSelection(Document& doc, Selection& sel, int width, int height, ScaleMethod method) {
  Image32* image = currentImage(doc, sel);
  const Rect r = sel.get(doc);
  if (!image || width < 1 || height < 1 || (width == r.w && height == r.h)) return {};
  Image32 copy, scaled;
  if (!copyOut(*image, r, copy) || !scaleImage(copy, scaled, width, height, method)) return {};
  const Rect larger{r.x, r.y, std::max(r.w, width), std::max(r.h, height)};
  const Rect recorded = larger.intersected(doc.canvasRect());
  if (editArea(doc, recorded, [&] {
        if (width < r.w || height < r.h)
          image->fillRect(recorded.x, recorded.y, recorded.w, recorded.h, kTransparent);
        image->blit(r.x, r.y, width, height, scaled, 0, 0);
      }).empty())
    return {};
  if (sel.state() == SelectionState::Selected) sel.setRect(doc, {r.x, r.y, width, height});
  return recorded;
}

bool cropToSelection(Document& doc, Selection& sel) {
  if (sel.floating() || sel.wholeCanvas(doc)) return false;
  if (!cropDocument(doc, sel.get(doc), nullptr)) return false;
  sel.reset();
  return true;
}

}  // namespace tessel
