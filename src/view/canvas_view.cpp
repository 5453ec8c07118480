#include "view/canvas_view.h"

#include <algorithm>
#include <cmath>
#include <bit>
#include <cstdio>
#include <cstring>

#include "document/document.h"
#include "image/image32.h"

namespace tessel {

namespace {

constexpr int kFixedBits = 18;

// Blue, green, red and alpha sums of one column as one little-endian word.
inline uint64_t lanes(const uint16_t* s) {
  uint64_t v;
  std::memcpy(&v, s, sizeof v);
  return v;
}

// Lane sums divided by a power of two and packed into a pixel. Averages fit
// in 8 bits, so bits shifted in from the next lane are masked off.
inline Pixel packShifted(uint64_t sum, int shift) {
  uint64_t q = (sum >> shift) & 0x000000FF00FF00FFull;
  return Pixel((q & 0xFF) | ((q >> 8) & 0xFF00) | ((q >> 16) & 0xFF0000));
}

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

int CanvasView::nextZoom(bool in) const {
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
  return std::clamp(z, kMinZoom, kMaxZoom);
}

void CanvasView::zoomStep(bool in) { setZoom(nextZoom(in)); }

void CanvasView::zoomStepAbout(bool in, int vx, int vy) {
  // The zoomed-image position under the pointer, kept in full precision so
  // repeated steps do not drift.
  const double fx = double(scrollX_ + vx - centreX_) / zoom_;
  const double fy = double(scrollY_ + vy - centreY_) / zoom_;
  zoom_ = nextZoom(in);
  scrollX_ = int(std::lround(fx * zoom_)) - vx + centreX_;
  scrollY_ = int(std::lround(fy * zoom_)) - vy + centreY_;
  clampScroll();
  afterViewChange();
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
  if (onRendered) onRendered(r);
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
  int inFirst = 0, inEnd = 0;
  while (inFirst < r.w && columns_[size_t(inFirst)] < 0) ++inFirst;
  inEnd = inFirst;
  while (inEnd < r.w && columns_[size_t(inEnd)] >= 0) ++inEnd;
  const bool contiguous = zoom_ == 100 && !mirrored() && inFirst < r.w;
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
    } else if (contiguous) {
      // 100 %, not mirrored: the image part of the row is one block.
      std::fill(dst, dst + inFirst, bg);
      std::memcpy(dst + inFirst, comp.row(iy) + columns_[size_t(inFirst)], size_t(inEnd - inFirst) * 4);
      std::fill(dst + inEnd, dst + r.w, bg);
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
  // The run of screen columns whose boxes are two columns wide and follow
  // each other without gaps.
  struct { int begin = 0, end = 0; } pairs;
  if (!mirrored()) {
    int i = 0;
    while (i < r.w && columns_[size_t(i) * 2] < 0) ++i;
    pairs.begin = i;
    while (i < r.w && columns_[size_t(i) * 2] >= 0 && columns_[size_t(i) * 2 + 1] - columns_[size_t(i) * 2] == 2 &&
           (i == pairs.begin || columns_[size_t(i) * 2] == columns_[size_t(i) * 2 - 1])) {
      ++i;
    }
    pairs.end = i;
  }
  sums_.resize(size_t(std::max(0, highest - lowest)) * 4);
  prepareReciprocals(a);
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* dst = screen_.row(y) + r.x;
    int64_t v = int64_t(y - o.y) * a;
    int iy0 = v < 0 ? -1 : int(v >> kFixedBits);
    if (iy0 < 0 || iy0 >= h || highest <= lowest) {
      std::fill(dst, dst + r.w, bg);
      continue;
    }
    int iy1 = int(std::min<int64_t>(h, (v + a) >> kFixedBits));
    sumColumns(iy0, iy1, lowest, highest);
    const int rows = iy1 - iy0;
    int lastWidth = 0, shift = -1;
    uint64_t m = 0;
    auto boxPixel = [&](int i) -> Pixel {
      int first = columns_[size_t(i) * 2], end = columns_[size_t(i) * 2 + 1];
      if (first < 0) return bg;
      // The four 16-bit sums of a column read as one word add lane by lane:
      // a box holds at most 121 pixels, so no lane carries into the next.
      const int width = end - first;
      const uint16_t* s = &sums_[size_t(first - lowest) * 4];
      uint64_t sum = 0;
      for (int c = 0; c < width; ++c) sum += lanes(s + c * 4);
      if (width != lastWidth) {
        lastWidth = width;
        const int count = rows * width;
        m = reciprocals_[size_t(count)];
        shift = (count & (count - 1)) == 0 ? std::countr_zero(unsigned(count)) : -1;
      }
      if (shift >= 0) return packShifted(sum, shift);
      const uint64_t b = sum & 0xFFFF, g = (sum >> 16) & 0xFFFF, red = (sum >> 32) & 0xFFFF;
      return makePixel(0, uint32_t((red * m) >> 40), uint32_t((g * m) >> 40), uint32_t((b * m) >> 40));
    };
    // Two-column boxes side by side (50 %): a loop the compiler can widen.
    int i = 0;
    if (pairs.end > pairs.begin && (rows & (rows - 1)) == 0) {
      for (; i < pairs.begin; ++i) dst[i] = boxPixel(i);
      const int pairShift = std::countr_zero(unsigned(rows * 2));
      const uint16_t* s = &sums_[size_t(columns_[size_t(pairs.begin) * 2] - lowest) * 4];
      for (; i < pairs.end; ++i, s += 8) dst[i] = packShifted(lanes(s) + lanes(s + 4), pairShift);
    }
    for (; i < r.w; ++i) dst[i] = boxPixel(i);
  }
}

// Column sums per byte (blue, green, red, alpha) in 16 bits: a box is at
// most 11 rows high (zoom >= 10), so 255 * 11 fits. The plain byte loop lets
// the compiler widen and add many bytes at once.
void CanvasView::sumColumns(int iy0, int iy1, int lowest, int highest) {
  uint16_t* s = sums_.data();
  const size_t n = size_t(highest - lowest) * 4;
  auto bytes = [&](int iy) { return reinterpret_cast<const uint8_t*>(doc_.composite.row(iy) + lowest); };
  const uint8_t* src = bytes(iy0);
  int iy = iy0 + 1;
  if (iy < iy1) {   // the first two rows in one pass
    const uint8_t* next = bytes(iy++);
    for (size_t k = 0; k < n; ++k) s[k] = uint16_t(src[k] + next[k]);
  } else {
    for (size_t k = 0; k < n; ++k) s[k] = src[k];
  }
  for (; iy < iy1; ++iy) {
    src = reinterpret_cast<const uint8_t*>(doc_.composite.row(iy) + lowest);
    for (size_t k = 0; k < n; ++k) s[k] = uint16_t(s[k] + src[k]);
  }
}

// reciprocal[n] = 2^40 / n + 1: (sum * reciprocal) >> 40 equals sum / n for
// every sum up to 255 * n when n is at most a few hundred.
void CanvasView::prepareReciprocals(int64_t a) {
  const size_t side = size_t((a >> kFixedBits) + 2);
  const size_t count = side * side + 1;
  if (reciprocals_.size() >= count) return;
  reciprocals_.resize(count);
  reciprocals_[0] = 0;
  for (size_t n = 1; n < count; ++n) reciprocals_[n] = (uint64_t(1) << 40) / n + 1;
}

}  // namespace tessel
