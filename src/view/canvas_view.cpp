#include "view/canvas_view.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "document/document.h"
#include "image/image32.h"

namespace tessel {

namespace {

constexpr int kFixedBits = 18;

// Screen offsets to image coordinates, 18 fractional bits.
int64_t fixedStep(int zoom) { return int64_t(100 << kFixedBits) / zoom; }

}  // namespace

CanvasView::CanvasView(Document& document, Image32& screen, ViewOptions& options)
    : doc_(document), screen_(screen), options_(options) {}

int CanvasView::maxWidth() const { return screen_.width(); }
int CanvasView::maxHeight() const { return screen_.height(); }

int CanvasView::zoomedWidth() const { return int(int64_t(doc_.width()) * zoom_ / 100); }
int CanvasView::zoomedHeight() const { return int(int64_t(doc_.height()) * zoom_ / 100); }

Point CanvasView::imageFromView(int vx, int vy) const {
  int ix = int(int64_t(scrollX_ + vx - centreX_) * 100 / zoom_);
  int iy = int(int64_t(scrollY_ + vy - centreY_) * 100 / zoom_);
  if (mirrored()) ix = doc_.width() - ix - 1;
  return {ix, iy};
}

PointF CanvasView::imageFromViewExact(int vx, int vy) const {
  double f = 100.0 / zoom_;
  double x = f * (scrollX_ - centreX_ + vx);
  double y = f * (scrollY_ - centreY_ + vy);
  if (mirrored()) x = doc_.width() - x;
  return {x, y};
}

Point CanvasView::viewFromImage(int ix, int iy) const {
  if (mirrored()) ix = doc_.width() - ix - 1;
  int vx = int(int64_t(ix) * zoom_ / 100) + centreX_ - scrollX_;
  int vy = int(int64_t(iy) * zoom_ / 100) + centreY_ - scrollY_;
  return {vx, vy};
}

std::optional<Rect> CanvasView::viewRectFromImageRect(const Rect& r) const {
  Point a = viewFromImage(r.x - 1, r.y - 1);
  Point b = viewFromImage(r.x + r.w, r.y + r.h);
  int left = std::min(a.x, b.x) - 1, right = std::max(a.x, b.x) + 1;
  int top = std::min(a.y, b.y) - 1, bottom = std::max(a.y, b.y) + 1;
  Rect screen{left, top, right - left + 1, bottom - top + 1};
  Rect cut = screen.intersected({0, 0, clientW_, clientH_});
  if (cut.empty()) return std::nullopt;
  return cut;
}

std::optional<Rect> CanvasView::imageRectFromPoints(Point a, Point b, bool widen,
                                                    int brushSize) const {
  int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
  int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
  if (widen) {
    int low = brushSize / 2 + 1, high = brushSize - brushSize / 2 + 1;
    left -= low;
    top -= low;
    right += high;
    bottom += high;
  }
  Rect r{left, top, right - left + 1, bottom - top + 1};
  Rect cut = r.intersected(doc_.canvasRect());
  if (cut.empty()) return std::nullopt;
  return cut;
}

Point CanvasView::centreImagePoint() const {
  int px = int(int64_t(clientW_ / 2 + scrollX_ - centreX_) * 100 / zoom_);
  int py = int(int64_t(clientH_ / 2 + scrollY_ - centreY_) * 100 / zoom_);
  return {px, py};
}

void CanvasView::readClientSize(int width, int height) {
  clientW_ = std::clamp(width, 0, maxWidth());
  clientH_ = std::clamp(height, 0, maxHeight());
  centreX_ = clientW_ / 2;
  centreY_ = clientH_ / 2;
}

void CanvasView::clampScroll() {
  if (scrollX_ < 0) scrollX_ = 0;
  int maxX = zoomedWidth() + 2 * centreX_ - clientW_ - 1;
  if (scrollX_ > maxX) scrollX_ = maxX;
  if (scrollY_ < 0) scrollY_ = 0;
  int maxY = zoomedHeight() + 2 * centreY_ - clientH_ - 1;
  if (scrollY_ > maxY) scrollY_ = maxY;
}

void CanvasView::afterViewChange() {
  doc_.zoom = zoom_;
  renderAll();
  if (onViewChanged) onViewChanged();
}

void CanvasView::setClientSize(int width, int height) {
  Point p = centreImagePoint();
  readClientSize(width, height);
  scrollX_ = int(int64_t(p.x) * zoom_ / 100);
  scrollY_ = int(int64_t(p.y) * zoom_ / 100);
  clampScroll();
  afterViewChange();
}

void CanvasView::setZoom(int percent) {
  Point p = centreImagePoint();
  zoom_ = std::clamp(percent, kMinZoom, kMaxZoom);
  readClientSize(clientW_, clientH_);
  scrollX_ = int(int64_t(p.x) * zoom_ / 100);
  scrollY_ = int(int64_t(p.y) * zoom_ / 100);
  clampScroll();
  afterViewChange();
}

void CanvasView::zoomStep(bool in) {
  int z = zoom_;
  if (in) {
    if (z < 100) {
      z = std::min(100, z + options_.scaleDownStep);
    } else {
      z += options_.scaleUpStep;
    }
  } else if (z <= 100) {
    z -= options_.scaleDownStep;
  } else {
    z = std::max(100, z - options_.scaleUpStep);
  }
  setZoom(z);
}

void CanvasView::setScroll(int x, int y) {
  scrollX_ = x;
  scrollY_ = y;
  clampScroll();
  afterViewChange();
}

void CanvasView::scrollTo(Point imagePoint) {
  setScroll(int(int64_t(imagePoint.x) * zoom_ / 100), int(int64_t(imagePoint.y) * zoom_ / 100));
}

void CanvasView::centreImage() {
  scrollX_ = std::max(0, (zoomedWidth() + 2 * centreX_ - clientW_) / 2);
  scrollY_ = std::max(0, (zoomedHeight() + 2 * centreY_ - clientH_) / 2);
  afterViewChange();
}

void CanvasView::toggleMirror() {
  Point p = centreImagePoint();
  options_.flags ^= view_flag::kMirror;
  scrollTo({doc_.width() - p.x, p.y});
}

ScrollModel CanvasView::horizontalScroll() const {
  return {zoomedWidth() + 2 * centreX_ - 1, clientW_, scrollX_};
}

ScrollModel CanvasView::verticalScroll() const {
  return {zoomedHeight() + 2 * centreY_ - 1, clientH_, scrollY_};
}

void CanvasView::refreshAll() {
  doc_.recomposite(doc_.canvasRect(), (options_.flags & view_flag::kChecker) != 0,
                   options_.checkColour1, options_.checkColour2);
  renderAll();
}

void CanvasView::refreshRect(const Rect& imageRect) {
  doc_.recomposite(imageRect, (options_.flags & view_flag::kChecker) != 0,
                   options_.checkColour1, options_.checkColour2);
  if (auto screenRect = viewRectFromImageRect(imageRect)) renderRect(*screenRect);
}

void CanvasView::renderAll() { renderRect({0, 0, clientW_, clientH_}); }

void CanvasView::renderRect(const Rect& screenRect) {
  Rect r = screenRect.intersected({0, 0, clientW_, clientH_}).intersected(screen_.bounds());
  if (r.empty()) return;
  const Image32& comp = doc_.composite;
  if (!comp.valid() || comp.width() != doc_.width() || comp.height() != doc_.height()) {
    screen_.fillRect(r.x, r.y, r.w, r.h, options_.canvasBackground & 0xFFFFFF);
  } else if (zoom_ >= 100) {
    renderZoomedIn(r);
  } else {
    renderZoomedOut(r);
  }
  drawGrids(r);
  if (onInvalidate) onInvalidate(r);
}

void CanvasView::renderZoomedIn(const Rect& r) {
  const Image32& comp = doc_.composite;
  const int w = comp.width(), h = comp.height();
  const int64_t a = fixedStep(zoom_);
  const Pixel bg = options_.canvasBackground & 0xFFFFFF;
  const Point o = origin();
  // The column mapping is the same for every row.
  columns_.resize(size_t(r.w));
  for (int i = 0; i < r.w; ++i) {
    int64_t v = int64_t(r.x + i - o.x) * a;
    int ix = v < 0 ? -1 : int(v >> kFixedBits);
    if (ix >= w) ix = -1;
    if (ix >= 0 && mirrored()) ix = w - 1 - ix;
    columns_[size_t(i)] = ix;
  }
  int previousRow = -2;
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* dst = screen_.row(y) + r.x;
    int64_t v = int64_t(y - o.y) * a;
    int iy = v < 0 ? -1 : int(v >> kFixedBits);
    if (iy >= h) iy = -1;
    if (iy < 0) {
      std::fill(dst, dst + r.w, bg);
    } else if (iy == previousRow) {
      std::memcpy(dst, screen_.row(y - 1) + r.x, size_t(r.w) * 4);
    } else {
      const Pixel* src = comp.row(iy);
      for (int i = 0; i < r.w; ++i) {
        int ix = columns_[size_t(i)];
        dst[i] = ix < 0 ? bg : src[ix];
      }
    }
    previousRow = iy;
  }
}

void CanvasView::renderZoomedOut(const Rect& r) {
  const Image32& comp = doc_.composite;
  const int w = comp.width(), h = comp.height();
  const int64_t a = fixedStep(zoom_);
  const Pixel bg = options_.canvasBackground & 0xFFFFFF;
  const Point o = origin();
  // Each screen column covers image columns [first, end); -1 marks the background.
  columns_.resize(size_t(r.w) * 2);
  int lowest = w, highest = 0;
  for (int i = 0; i < r.w; ++i) {
    int64_t v = int64_t(r.x + i - o.x) * a;
    int first = v < 0 ? -1 : int(v >> kFixedBits);
    if (first >= w) first = -1;
    int end = first < 0 ? -1 : int(std::min<int64_t>(w, (v + a) >> kFixedBits));
    if (first >= 0 && mirrored()) {
      int mirroredFirst = w - end;
      end = w - first;
      first = mirroredFirst;
    }
    columns_[size_t(i) * 2] = first;
    columns_[size_t(i) * 2 + 1] = end;
    if (first >= 0) {
      lowest = std::min(lowest, first);
      highest = std::max(highest, end);
    }
  }
  sums_.resize(size_t(std::max(0, highest - lowest)) * 3);
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* dst = screen_.row(y) + r.x;
    int64_t v = int64_t(y - o.y) * a;
    int iy0 = v < 0 ? -1 : int(v >> kFixedBits);
    if (iy0 < 0 || iy0 >= h || highest <= lowest) {
      std::fill(dst, dst + r.w, bg);
      continue;
    }
    int iy1 = int(std::min<int64_t>(h, (v + a) >> kFixedBits));
    // Column sums over the rows of this screen row.
    std::fill(sums_.begin(), sums_.end(), 0u);
    for (int iy = iy0; iy < iy1; ++iy) {
      const uint8_t* src = reinterpret_cast<const uint8_t*>(comp.row(iy) + lowest);
      uint32_t* s = sums_.data();
      for (int c = lowest; c < highest; ++c, src += 4, s += 3) {
        s[0] += src[0];
        s[1] += src[1];
        s[2] += src[2];
      }
    }
    const uint32_t rows = uint32_t(iy1 - iy0);
    for (int i = 0; i < r.w; ++i) {
      int first = columns_[size_t(i) * 2], end = columns_[size_t(i) * 2 + 1];
      if (first < 0) {
        dst[i] = bg;
        continue;
      }
      uint32_t b = 0, g = 0, red = 0;
      for (int c = first; c < end; ++c) {
        const uint32_t* s = &sums_[size_t(c - lowest) * 3];
        b += s[0];
        g += s[1];
        red += s[2];
      }
      uint32_t count = rows * uint32_t(end - first);
      dst[i] = makePixel(0, red / count, g / count, b / count);
    }
  }
}

}  // namespace tessel
