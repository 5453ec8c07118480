#include "app/models/layer_panel_model.h"

#include <cstring>

#include "document/document.h"

namespace tessel {

namespace {

constexpr int kRow = layer_row::kHeight;

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

void LayerPanelModel::setSize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  const int need = std::max(visibleRows(), 1) * kRow;
  if (width_ > 0 && (buffer.width() != width_ || buffer.height() < need)) {
    markerY_ = -1;
    buffer.create(width_, std::max(need, buffer.width() == width_ ? buffer.height() : 0));
    saved_ = std::make_unique<uint8_t[]>(size_t(width_) * 6);
  }
  first_ = std::clamp(first_, 0, maxFirst());
  drawAllRows();
}

int LayerPanelModel::maxFirst() const { return std::max(0, doc_.layerCount() - pageRows()); }

void LayerPanelModel::setFirst(int first) {
  first = std::clamp(first, 0, maxFirst());
  if (first == first_) return;
  first_ = first;
  drawAllRows();
}

void LayerPanelModel::rebuild() {
  first_ = std::clamp(first_, 0, maxFirst());
  drawAllRows();
}

void LayerPanelModel::redrawLayer(int index) {
  if (index < 0) return drawAllRows();
  const int r = index - first_;
  if (r < 0 || r >= visibleRows() || !buffer.valid()) return;
  const int keep = markerY_;
  hideMarker();
  drawLayerRow(buffer, r * kRow, doc_, index, text);
  if (keep >= 0) showMarker(keep);
}

void LayerPanelModel::drawAllRows() {
  if (!buffer.valid()) return;
  markerY_ = -1;
  const int rows = buffer.height() / kRow;
  int r = 0;
  for (; r < rows && first_ + r < doc_.layerCount(); ++r) {
    drawLayerRow(buffer, r * kRow, doc_, first_ + r, text);
  }
  drawBelowRows(buffer, r * kRow);
}

int LayerPanelModel::layerAt(int y) const {
  if (y < 0 || y >= height_) return -1;
  const int index = first_ + y / kRow;
  return index < doc_.layerCount() ? index : -1;
}

bool LayerPanelModel::onVisibleBox(int x, int y) {
  const int ry = y % kRow;
  return y >= 0 && x >= layer_row::kVisibleX && x <= layer_row::kVisibleX + 12 && ry >= 19 && ry <= 31;
}

bool LayerPanelModel::onFillBox(int x, int y) {
  const int ry = y % kRow;
  return y >= 0 && x >= layer_row::kFillX && x <= layer_row::kFillX + 12 && ry >= 19 && ry <= 31;
}

LayerPanelModel::Press LayerPanelModel::press(int x, int y, bool ctrl, bool floating) {
  const int index = layerAt(y);
  if (index < 0) return Press::None;
  if (onVisibleBox(x, y)) {
    doc_.toggleVisible(index);
    redrawLayer(index);
    return Press::ToggledVisible;
  }
  if (onFillBox(x, y)) {
    doc_.toggleFillReference(index);
    redrawLayer(index);
    return Press::ToggledFill;
  }
  if (floating) return Press::Refused;
  const int old = doc_.currentIndex();
  doc_.selectLayer(index);
  if (ctrl) {
    doc_.setVisibility(Visibility::OnlyCurrent);
    drawAllRows();
  } else {
    redrawLayer(old);
    redrawLayer(index);
  }
  drag_ = Drag::Down;
  target_ = index;
  return Press::Selected;
}

bool LayerPanelModel::move(int /*x*/, int y) {
  if (drag_ == Drag::Idle) return false;
  const int current = doc_.currentIndex();
  const int rowTop = (current - first_) * kRow;
  int t = current;
  if (y >= rowTop + kRow) {
    t = first_ + floorDiv(y + 17, kRow);
  } else if (y < rowTop) {
    t = first_ + floorDiv(y - 17, kRow);
  }
  if (t > current) ++t;
  t = std::clamp(t, 0, doc_.layerCount());
  target_ = t;
  if (drag_ == Drag::Down) {
    if (t == current) return false;
    drag_ = Drag::Moving;
  }
  const int before = markerY_;
  hideMarker();
  showMarker((t - first_) * kRow);
  return markerY_ != before;
}

bool LayerPanelModel::release() {
  const bool moving = drag_ == Drag::Moving;
  drag_ = Drag::Idle;
  hideMarker();
  if (!moving) return false;
  const bool moved = doc_.moveTo(target_);
  rebuild();
  return moved;
}

void LayerPanelModel::cancelDrag() {
  drag_ = Drag::Idle;
  hideMarker();
}

// Two red rows at the top edge of the target row, kept inside the shown
// part of the list; the pixels under them are saved for hideMarker.
void LayerPanelModel::showMarker(int y) {
  if (!buffer.valid() || buffer.height() < 2) return;
  const int shown = std::min(buffer.height(), std::max(height_, 2));
  y = std::clamp(y, 0, shown - 2);
  const size_t bytes = size_t(buffer.width()) * 3;
  std::memcpy(saved_.get(), buffer.row(y), bytes);
  std::memcpy(saved_.get() + bytes, buffer.row(y + 1), bytes);
  buffer.hLine(0, y, buffer.width(), layer_row::kMarker);
  buffer.hLine(0, y + 1, buffer.width(), layer_row::kMarker);
  markerY_ = y;
}

void LayerPanelModel::hideMarker() {
  if (markerY_ < 0) return;
  const size_t bytes = size_t(buffer.width()) * 3;
  std::memcpy(buffer.row(markerY_), saved_.get(), bytes);
  std::memcpy(buffer.row(markerY_ + 1), saved_.get() + bytes, bytes);
  markerY_ = -1;
}

}  // namespace tessel
