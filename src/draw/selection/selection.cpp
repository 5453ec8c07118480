#include "draw/selection/selection.h"

#include <algorithm>

#include "document/pixel_edit.h"

namespace tessel {

namespace {

constexpr float kOne255th = 1.0f / 255.0f;

int rounded(float v) { return int(v + 0.5f); }

}  // namespace

Pixel sourceOver(Pixel dst, Pixel src) {
  const int as = alphaOf(src);
  if (as == 0) return dst;
  const float s = float(as) * kOne255th, d = float(alphaOf(dst)) * kOne255th;
  const float o = s + d - s * d;
  const int alpha = std::min(rounded(o * 255.0f), 255);
  if (alpha == 0) return kTransparent;
  const float inverse = 1.0f / o;
  Pixel out = Pixel(alpha) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const float cs = float((src >> shift) & 0xFF), cd = float((dst >> shift) & 0xFF);
    out |= Pixel(std::min(rounded((s * cs + d * (1.0f - s) * cd) * inverse), 255)) << shift;
  }
  return out;
}

void compositeOver(Image32& dst, const Image32& src, int x, int y) {
  const Rect r = Rect{x, y, src.width(), src.height()}.intersected(dst.bounds());
  for (int row = r.y; row < r.bottom(); ++row) {
    Pixel* out = dst.row(row);
    const Pixel* in = src.row(row - y);
    for (int col = r.x; col < r.right(); ++col) out[col] = sourceOver(out[col], in[col - x]);
  }
}

bool pasteAllowed(const BrushContext& gate, Pixel ref) {
  const int ra = alphaOf(ref);
  if (gate.maskMode == kMaskTransparent && ra == 0) return false;
  if (gate.maskMode == kMaskOpaque && ra > 0) return false;
  if (gate.colourMaskMode == kColourMaskProtect && ra > 0 && gate.isMaskColour(ref)) return false;
  if (gate.colourMaskMode == kColourMaskOnly && !(ra > 0 && gate.isMaskColour(ref))) return false;
  return true;
}

bool Selection::set(const Document& doc, int left, int top, int right, int bottom) {
  if (floating()) return false;
  state_ = SelectionState::None;
  rect_ = {};
  if (left == right && top == bottom) return false;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const Rect r = Rect{left, top, right - left + 1, bottom - top + 1}.intersected(doc.canvasRect());
  if (r.empty() || (r.w == 1 && r.h == 1)) return false;
  rect_ = r;
  state_ = SelectionState::Selected;
  return true;
}

bool Selection::setExact(const Document& doc, const Rect& r) {
  if (floating()) return false;
  rect_ = r.intersected(doc.canvasRect());
  state_ = rect_.empty() ? SelectionState::None : SelectionState::Selected;
  return !rect_.empty();
}

Rect Selection::get(const Document& doc) const {
  return state_ == SelectionState::Selected ? rect_ : doc.canvasRect();
}

void Selection::reset() {
  state_ = SelectionState::None;
  rect_ = {};
  backup_.destroy();
  cut_ = false;
  owner_ = nullptr;
}

Layer* Selection::floatingLayer(Document& doc) const {
  if (!floating() || !owner_ || doc.layers().indexOf(owner_) < 0) return nullptr;
  // A layer of the same size only: the backup is the layer as it was.
  if (owner_->image().width() != backup_.width() || owner_->image().height() != backup_.height())
    return nullptr;
  return owner_;
}

bool Selection::copyToBuffer(const Image32& src, const Rect& rect) {
  const Rect r = rect.intersected(src.bounds());
  Image32 copy;
  if (r.empty() || !copy.create(r.w, r.h)) return false;
  copy.blit(0, 0, r.w, r.h, src, r.x, r.y);
  buffer_ = std::move(copy);
  return true;
}

void Selection::drawPreview(Image32& layer, bool merged) const {
  if (merged) {
    compositeOver(layer, buffer_, rect_.x, rect_.y);
  } else {
    layer.blit(rect_.x, rect_.y, buffer_.width(), buffer_.height(), buffer_, 0, 0);
  }
}

bool Selection::beginFloatingPaste(Document& doc, int cx, int cy, bool merged, Rect& changed) {
  Layer* layer = doc.currentLayer();
  if (!buffer_.valid() || floating() || !layer) return false;
  const int w = buffer_.width(), h = buffer_.height();
  int x = std::max(cx - w / 2, 0), y = std::max(cy - h / 2, 0);
  // The right and bottom clamp comes last: a buffer larger than the canvas
  // hangs out to the left and top.
  if (x + w > doc.width()) x = doc.width() - w;
  if (y + h > doc.height()) y = doc.height() - h;
  Image32 backup;
  if (!backup.create(layer->image().width(), layer->image().height())) return false;
  backup.copyFrom(layer->image());
  backup_ = std::move(backup);
  rect_ = {x, y, w, h};
  start_ = {x, y};
  drawPreview(layer->image(), merged);
  state_ = SelectionState::Floating;
  cut_ = false;
  owner_ = layer;
  changed = rect_.intersected(doc.canvasRect());
  return true;
}

bool Selection::lift(Document& doc, bool cutHole) {
  Layer* layer = doc.currentLayer();
  if (state_ != SelectionState::Selected || !layer) return false;
  Image32 backup, lifted;
  if (!backup.create(layer->image().width(), layer->image().height()) || !lifted.create(rect_.w, rect_.h))
    return false;
  backup.copyFrom(layer->image());
  lifted.blit(0, 0, rect_.w, rect_.h, layer->image(), rect_.x, rect_.y);
  if (cutHole) backup.fillRect(rect_.x, rect_.y, rect_.w, rect_.h, kTransparent);
  backup_ = std::move(backup);
  buffer_ = std::move(lifted);
  start_ = {rect_.x, rect_.y};
  cut_ = cutHole;
  state_ = SelectionState::Floating;
  owner_ = layer;
  return true;
}

Rect Selection::moveFloatingTo(Document& doc, int x, int y, bool merged) {
  Layer* layer = floatingLayer(doc);
  if (!layer) return {};
  const Rect old = rect_;
  layer->image().blit(old.x, old.y, old.w, old.h, backup_, old.x, old.y);
  rect_.x = x;
  rect_.y = y;
  drawPreview(layer->image(), merged);
  return old.united(rect_).intersected(doc.canvasRect());
}

void Selection::maskedPaste(Image32& layer, const BrushContext& gate, bool merged) const {
  const Rect r = rect_.intersected(layer.bounds()).intersected(backup_.bounds());
  for (int y = r.y; y < r.bottom(); ++y) {
    Pixel* out = layer.row(y);
    const Pixel* before = backup_.row(y);
    const Pixel* in = buffer_.row(y - rect_.y);
    for (int x = r.x; x < r.right(); ++x) {
      if (!pasteAllowed(gate, before[x])) continue;
      const Pixel src = in[x - rect_.x];
      Pixel result = merged ? sourceOver(out[x], src) : (alphaOf(src) ? src : kTransparent);
      if (gate.maskMode == kMaskAlpha) {
        // Alpha stays as it was; a pixel that had none stays transparent white.
        const uint8_t kept = alphaOf(before[x]);
        result = kept == 0 ? kTransparent : (result & 0xFFFFFFu) | (Pixel(kept) << 24);
      }
      out[x] = result;
    }
  }
}

Rect Selection::commit(Document& doc, const BrushContext& gate, bool merged) {
  const SelectionState was = state_;
  Layer* layer = floatingLayer(doc);
  state_ = SelectionState::None;
  Rect recorded;
  if (was == SelectionState::Floating && layer) {
    // The undo record names the current layer: drop into the layer the image
    // floats over even when another layer has been made current meanwhile.
    const int current = doc.currentIndex(), owner = doc.layers().indexOf(layer);
    if (owner != current) doc.selectLayer(owner);
    recorded = commitInto(doc, *layer, gate, merged);
    if (owner != current) doc.selectLayer(current);
  }
  backup_.destroy();
  cut_ = false;
  owner_ = nullptr;
  rect_ = {};
  return recorded;
}

Rect Selection::commitInto(Document& doc, Layer& layer, const BrushContext& gate, bool merged) {
  const Rect current = rect_;
  layer.image().blit(current.x, current.y, current.w, current.h, backup_, current.x, current.y);
  maskedPaste(layer.image(), gate, merged);
  Rect recorded = current.intersected(doc.canvasRect());
  if (cut_) {
    // Put the lifted pixels back so the record holds the layer before the move.
    backup_.blit(start_.x, start_.y, buffer_.width(), buffer_.height(), buffer_, 0, 0);
    const Rect from{start_.x, start_.y, buffer_.width(), buffer_.height()};
    recorded = from.united(current).intersected(doc.canvasRect());
  }
  if (!recorded.empty()) commitFromBackup(doc, backup_, recorded);
  return recorded;
}

}  // namespace tessel
