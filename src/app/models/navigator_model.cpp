#include "app/models/navigator_model.h"

#include <algorithm>

#include "view/canvas_view.h"

namespace tessel {

void NavigatorModel::rebuild(const Image32& composite, int panelW, int panelH, int zoom) {
  imageW_ = composite.width();
  imageH_ = composite.height();
  if (imageW_ < 1 || imageH_ < 1 || panelW < 1 || panelH < 1) {
    picture_ = Image32();
    return;
  }
  // The larger of the two ratios decides; never enlarged past 100 %.
  int w = panelW, h = int(int64_t(imageH_) * panelW / imageW_);
  if (h > panelH) {
    h = panelH;
    w = int(int64_t(imageW_) * panelH / imageH_);
  }
  zoom = std::clamp(zoom, 100, 800);
  w = int(int64_t(w) * zoom / 100);
  h = int(int64_t(h) * zoom / 100);
  if (w >= imageW_ || h >= imageH_) {
    w = imageW_;
    h = imageH_;
  }
  w = std::max(w, 1);
  h = std::max(h, 1);
  if (!picture_.create(w, h)) return;
  offX_ = (panelW - w) / 2;
  offY_ = (panelH - h) / 2;
  if (sampled)
    sampleRows(composite, 0, w, 0, h);
  else
    averageRows(composite, 0, w, 0, h);
}

void NavigatorModel::update(const Image32& composite, const Rect& imageRect) {
  const int w = picture_.width(), h = picture_.height();
  if (w < 1 || composite.width() != imageW_ || composite.height() != imageH_) return;
  Rect r = imageRect.intersected({0, 0, imageW_, imageH_});
  if (r.empty()) return;
  if (sampled) {
    // Picture pixel p samples source floor(p * imageW / w): the range whose
    // samples fall inside r.
    auto first = [](int s, int image, int pic) { return int((int64_t(s) * pic + image - 1) / image); };
    const int x0 = first(r.x, imageW_, w), x1 = first(r.x + r.w, imageW_, w);
    const int y0 = first(r.y, imageH_, h), y1 = first(r.y + r.h, imageH_, h);
    return sampleRows(composite, x0, std::min(x1, w), y0, std::min(y1, h));
  }
  // Cell c covers [c * image / pic, (c + 1) * image / pic); one cell more on
  // each side is cheaper than an exact bound and never misses one.
  auto cell = [](int s, int image, int pic) { return int(int64_t(s) * pic / image); };
  averageRows(composite, std::max(0, cell(r.x, imageW_, w) - 1), std::min(w, cell(r.right() - 1, imageW_, w) + 2),
              std::max(0, cell(r.y, imageH_, h) - 1), std::min(h, cell(r.bottom() - 1, imageH_, h) + 2));
}

void NavigatorModel::sampleRows(const Image32& composite, int x0, int x1, int y0, int y1) {
  const int w = picture_.width(), h = picture_.height();
  for (int y = y0; y < y1; ++y) {
    const Pixel* src = composite.row(int(int64_t(y) * imageH_ / h));
    Pixel* dst = picture_.row(y);
    for (int x = x0; x < x1; ++x) dst[x] = src[int64_t(x) * imageW_ / w] | 0xFF000000u;
  }
}

void NavigatorModel::averageRows(const Image32& composite, int x0, int x1, int y0, int y1) {
  const int w = picture_.width(), h = picture_.height();
  auto span = [](int c, int image, int pic, int& first, int& last) {
    first = int(int64_t(c) * image / pic);
    last = std::max(first + 1, int(int64_t(c + 1) * image / pic));
  };
  for (int y = y0; y < y1; ++y) {
    int sy0, sy1;
    span(y, imageH_, h, sy0, sy1);
    Pixel* dst = picture_.row(y);
    for (int x = x0; x < x1; ++x) {
      int sx0, sx1;
      span(x, imageW_, w, sx0, sx1);
      uint64_t r = 0, g = 0, b = 0;
      for (int sy = sy0; sy < sy1; ++sy) {
        const Pixel* src = composite.row(sy);
        uint32_t rr = 0, gg = 0, bb = 0;   // one row of a cell: at most 4500 x 255
        for (int sx = sx0; sx < sx1; ++sx) {
          const Pixel p = src[sx];
          rr += (p >> 16) & 0xFF;
          gg += (p >> 8) & 0xFF;
          bb += p & 0xFF;
        }
        r += rr, g += gg, b += bb;
      }
      const uint64_t n = uint64_t(sy1 - sy0) * uint64_t(sx1 - sx0);
      dst[x] = 0xFF000000u | uint32_t(r / n) << 16 | uint32_t(g / n) << 8 | uint32_t(b / n);
    }
  }
}

Rect NavigatorModel::viewRect(const CanvasView& view) const {
  if (picture_.width() < 1 || imageW_ < 1) return {};
  PointF a = view.imageFromViewExact(0, 0);
  PointF b = view.imageFromViewExact(view.clientWidth(), view.clientHeight());
  const double left = std::clamp(std::min(a.x, b.x), 0.0, double(imageW_));
  const double right = std::clamp(std::max(a.x, b.x), 0.0, double(imageW_));
  const double top = std::clamp(std::min(a.y, b.y), 0.0, double(imageH_));
  const double bottom = std::clamp(std::max(a.y, b.y), 0.0, double(imageH_));
  const double sx = double(picture_.width()) / imageW_, sy = double(picture_.height()) / imageH_;
  const int x = offX_ + int(left * sx), y = offY_ + int(top * sy);
  return {x, y, std::max(1, offX_ + int(right * sx) - x), std::max(1, offY_ + int(bottom * sy) - y)};
}

void NavigatorModel::follow(const CanvasView& view, int panelW, int panelH) {
  const int w = picture_.width(), h = picture_.height();
  if (w <= panelW && h <= panelH) return;
  offX_ = (panelW - w) / 2;
  offY_ = (panelH - h) / 2;
  const Rect v = viewRect(view);
  auto place = [](int panel, int pic, int at, int centre) {
    if (pic <= panel) return at;
    return std::clamp(at + panel / 2 - centre, panel - pic, 0);
  };
  offX_ = place(panelW, w, offX_, v.x + v.w / 2);
  offY_ = place(panelH, h, offY_, v.y + v.h / 2);
}

Point NavigatorModel::imagePoint(int px, int py) const {
  if (picture_.width() < 1) return {0, 0};
  const int x = int(int64_t(px - offX_) * imageW_ / picture_.width());
  const int y = int(int64_t(py - offY_) * imageH_ / picture_.height());
  return {std::clamp(x, 0, imageW_ - 1), std::clamp(y, 0, imageH_ - 1)};
}

}  // namespace tessel
