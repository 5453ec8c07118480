#include "app/navigator_model.h"

#include <algorithm>

#include "view/canvas_view.h"

namespace tessel {

void NavigatorModel::rebuild(const Image32& composite, int panelW, int panelH) {
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
  if (w >= imageW_ && h >= imageH_) {
    w = imageW_;
    h = imageH_;
  }
  w = std::max(w, 1);
  h = std::max(h, 1);
  if (!picture_.create(w, h)) return;
  offX_ = (panelW - w) / 2;
  offY_ = (panelH - h) / 2;
  sampleRows(composite, 0, w, 0, h);
}

void NavigatorModel::update(const Image32& composite, const Rect& imageRect) {
  const int w = picture_.width(), h = picture_.height();
  if (w < 1 || composite.width() != imageW_ || composite.height() != imageH_) return;
  Rect r = imageRect.intersected({0, 0, imageW_, imageH_});
  if (r.empty()) return;
  // Picture pixel p samples source floor(p * imageW / w): the range whose
  // samples fall inside r.
  auto first = [](int s, int image, int pic) { return int((int64_t(s) * pic + image - 1) / image); };
  const int x0 = first(r.x, imageW_, w), x1 = first(r.x + r.w, imageW_, w);
  const int y0 = first(r.y, imageH_, h), y1 = first(r.y + r.h, imageH_, h);
  sampleRows(composite, x0, std::min(x1, w), y0, std::min(y1, h));
}

void NavigatorModel::sampleRows(const Image32& composite, int x0, int x1, int y0, int y1) {
  const int w = picture_.width(), h = picture_.height();
  for (int y = y0; y < y1; ++y) {
    const Pixel* src = composite.row(int(int64_t(y) * imageH_ / h));
    Pixel* dst = picture_.row(y);
    for (int x = x0; x < x1; ++x) dst[x] = src[int64_t(x) * imageW_ / w] | 0xFF000000u;
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

Point NavigatorModel::imagePoint(int px, int py) const {
  if (picture_.width() < 1) return {0, 0};
  const int x = int(int64_t(px - offX_) * imageW_ / picture_.width());
  const int y = int(int64_t(py - offY_) * imageH_ / picture_.height());
  return {std::clamp(x, 0, imageW_ - 1), std::clamp(y, 0, imageH_ - 1)};
}

}  // namespace tessel
