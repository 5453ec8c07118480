#include "document/pixel_edit.h"

#include <cstring>

#include "document/document.h"

namespace tessel {

PixelEdit::PixelEdit(Document& doc, const Rect& area)
    : doc_(doc), layer_(doc.currentLayer()), backup_(&own_) {
  if (!layer_) return;
  area_ = area.intersected(doc.canvasRect());
  left_ = area_.x;
  top_ = area_.y;
  // A layer whose flat pixels could not be had (memory) is not edited.
  ok_ = layer_->image().valid() && (area_.empty() || own_.create(area_.w, area_.h));
  if (ok_ && !area_.empty()) own_.blit(0, 0, area_.w, area_.h, layer_->image(), area_.x, area_.y);
}

PixelEdit::PixelEdit(Document& doc, const Image32& layerBackup)
    : doc_(doc), layer_(doc.currentLayer()), backup_(&layerBackup) {
  ok_ = layer_ && layerBackup.valid() && layerBackup.width() == layer_->image().width() &&
        layerBackup.height() == layer_->image().height();
}

bool PixelEdit::backupHolds(const Rect& r) const {
  return r.intersected({left_, top_, backup_->width(), backup_->height()}) == r;
}

void PixelEdit::extend(const Rect& r) {
  if (!ok_ || ended_) return;
  const Rect grown = area_.united(r.intersected(doc_.canvasRect()));
  if (grown == area_) return;
  if (backup_ == &own_ && !backupHolds(grown)) {
    // The new part comes from the layer as it still is, the old part from the backup.
    Image32 wider;
    if (!wider.create(grown.w, grown.h)) {
      ok_ = false;
      return;
    }
    wider.blit(0, 0, grown.w, grown.h, layer_->image(), grown.x, grown.y);
    if (own_.valid()) wider.blit(left_ - grown.x, top_ - grown.y, own_.width(), own_.height(), own_, 0, 0);
    own_ = std::move(wider);
    left_ = grown.x;
    top_ = grown.y;
  }
  area_ = grown;
}

bool PixelEdit::areaChanged() const {
  const Image32& now = layer_->image();
  const size_t bytes = size_t(area_.w) * sizeof(Pixel);
  for (int y = area_.y; y < area_.bottom(); ++y) {
    const Pixel* held = backup_->row(y - top_) + (area_.x - left_);
    if (std::memcmp(now.row(y) + area_.x, held, bytes) != 0) return true;
  }
  return false;
}

bool PixelEdit::commit(Unchanged unchanged) {
  if (!ok_ || ended_ || area_.empty()) return false;
  ended_ = true;
  // The step names the current layer; an edit of another one cannot be recorded.
  if (doc_.currentLayer() != layer_) return false;
  if (unchanged == Unchanged::Skip && !areaChanged()) return false;
  if (left_ == 0 && top_ == 0)
    doc_.recorder().recordPixelRectOf(*backup_, area_);
  else
    doc_.recorder().recordPixelRectFrom(*backup_, left_, top_, area_);
  return true;
}

void PixelEdit::cancel() {
  if (!ok_ || ended_) return;
  ended_ = true;
  if (area_.empty() || doc_.currentLayer() != layer_) return;
  layer_->image().blit(area_.x, area_.y, area_.w, area_.h, *backup_, area_.x - left_, area_.y - top_);
}

bool commitFromBackup(Document& doc, const Image32& layerBackup, const Rect& area) {
  PixelEdit edit(doc, layerBackup);
  edit.extend(area);
  return edit.commit(PixelEdit::Unchanged::Record);
}

}  // namespace tessel
