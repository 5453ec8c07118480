// Grids and the centre cross, drawn into the screen buffer over the image.
#include <algorithm>
#include <cstdio>

#include "document/document.h"
#include "image/image32.h"
#include "view/canvas_view.h"

namespace tessel {

namespace {

constexpr int kFixedBits = 18;

Pixel blendQuarter(Pixel p, uint32_t colour) {
  Pixel out = p & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    int pb = int((p >> shift) & 0xFF);
    int cb = int((colour >> shift) & 0xFF);
    out |= Pixel(pb + ((cb - pb) >> 2)) << shift;
  }
  return out;
}

}  // namespace

// Leading edge of an image column on the screen; a mirrored view shows
// column c's left edge where the unmirrored column width - c begins.
int CanvasView::screenEdgeX(int imageColumn) const {
  if (mirrored()) imageColumn = doc_.width() - imageColumn;
  int64_t step = int64_t(zoom_) * (1 << kFixedBits) / 100;
  return origin().x + int((int64_t(imageColumn) * step) >> kFixedBits);
}

int CanvasView::screenEdgeY(int imageRow) const {
  int64_t step = int64_t(zoom_) * (1 << kFixedBits) / 100;
  return origin().y + int((int64_t(imageRow) * step) >> kFixedBits);
}

// A line is as long as the image; the high-zoom grid also covers the pixel
// after the image's last row or column so that its frame closes.
void CanvasView::columnLine(const Rect& clip, int column, uint32_t colour, bool blend,
                            bool frame) {
  int x = screenEdgeX(column);
  if (x < clip.x || x >= clip.right()) return;
  int top = std::max(clip.y, screenEdgeY(0));
  int bottom = std::min(clip.bottom(), screenEdgeY(doc_.height()) + (frame ? 1 : 0));
  for (int y = top; y < bottom; ++y) {
    Pixel& p = screen_.row(y)[x];
    p = blend ? blendQuarter(p, colour) : (colour & 0xFFFFFF);
  }
}

void CanvasView::rowLine(const Rect& clip, int row, uint32_t colour, bool blend, bool frame) {
  int y = screenEdgeY(row);
  if (y < clip.y || y >= clip.bottom()) return;
  int a = screenEdgeX(0), b = screenEdgeX(doc_.width());
  int left = std::max(clip.x, std::min(a, b));
  int right = std::min(clip.right(), std::max(a, b) + (frame ? 1 : 0));
  Pixel* line = screen_.row(y);
  for (int x = left; x < right; ++x) {
    line[x] = blend ? blendQuarter(line[x], colour) : (colour & 0xFFFFFF);
  }
}

void CanvasView::drawGrids(const Rect& r) {
  if (doc_.width() <= 0 || doc_.height() <= 0) return;
  if (options_.gridPixelPer > 0 && zoom_ >= options_.gridPixelPer * 100) {
    drawHighZoomGrid(r);
  } else if (options_.flags & view_flag::kGrid) {
    drawNormalGrid(r);
  }
}

void CanvasView::drawNormalGrid(const Rect& r) {
  const int w = doc_.width(), h = doc_.height();
  if (options_.gridW > 0) {
    for (int c = options_.gridW; c < w; c += options_.gridW) {
      columnLine(r, c, options_.gridColour, true, false);
    }
  }
  if (options_.gridH > 0) {
    for (int row = options_.gridH; row < h; row += options_.gridH) {
      rowLine(r, row, options_.gridColour, true, false);
    }
  }
  if (options_.centreGridColour & 0x80000000u) {
    uint32_t colour = options_.centreGridColour & 0xFFFFFF;
    rowLine(r, h / 2, colour, true, false);
    columnLine(r, w / 2, colour, true, false);
  }
}

void CanvasView::drawHighZoomGrid(const Rect& r) {
  const int w = doc_.width(), h = doc_.height();
  for (int c = 0; c <= w; ++c) columnLine(r, c, kPixelGridColour, false, true);
  for (int row = 0; row <= h; ++row) rowLine(r, row, kPixelGridColour, false, true);
  if (options_.flags & view_flag::kGrid) {
    if (options_.gridW > 0) {
      for (int c = options_.gridW; c < w; c += options_.gridW) {
        columnLine(r, c, kHighZoomGridColour, false, false);
      }
    }
    if (options_.gridH > 0) {
      for (int row = options_.gridH; row < h; row += options_.gridH) {
        rowLine(r, row, kHighZoomGridColour, false, false);
      }
    }
  }
  if (options_.centreGridColour & 0x80000000u) {
    rowLine(r, h / 2, kHighZoomCentreColour, false, false);
    columnLine(r, w / 2, kHighZoomCentreColour, false, false);
  }
}

InfoBarText CanvasView::infoBar() const {
  InfoBarText t;
  t.position = formatCursor(cursor_);
  t.zoom = formatZoom(zoom_);
  if (dragSize_) {
    t.size = formatSize(dragSize_->x, dragSize_->y);
    t.sizeIsDrag = true;
  } else {
    t.size = formatSize(doc_.width(), doc_.height());
  }
  return t;
}

std::string formatCursor(Point p) {
  char text[32];
  std::snprintf(text, sizeof text, "%d,%d", std::clamp(p.x, -9999, 9999), std::clamp(p.y, -9999, 9999));
  return text;
}

std::string formatZoom(int zoom) {
  char text[32];
  std::snprintf(text, sizeof text, "%4d%%", zoom);
  return text;
}

std::string formatSize(int width, int height) {
  char text[32];
  std::snprintf(text, sizeof text, "%4dx%4d", width, height);
  return text;
}

}  // namespace tessel
