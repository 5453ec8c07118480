#include "undo/undo_history.h"

#include <algorithm>
#include <new>

#include "document/document.h"

namespace tessel {

UndoHistory::UndoHistory(Document& doc, std::filesystem::path tempFolder, int undoCnt)
    : doc_(doc), undoCnt_(std::max(1, undoCnt)) {
  files_.setFolder(tempFolder);
}

UndoHistory::~UndoHistory() { clear(); }

void UndoHistory::setUndoCnt(int undoCnt) { undoCnt_ = std::max(1, undoCnt); }

const UndoRecord* UndoHistory::record(int position) const {
  if (position < 0 || position >= recordCount()) return nullptr;
  return records_[size_t(position)].get();
}

void UndoHistory::dropPayload(UndoRecord& r) {
  r.memory.reset();
  r.memorySize = 0;
  if (r.tempFileNumber >= 0) files_.remove(r.tempFileNumber);
  r.tempFileNumber = -1;
}

void UndoHistory::dropRecordAt(size_t position) {
  dropPayload(*records_[position]);
  records_.erase(records_.begin() + ptrdiff_t(position));
  if (int(position) <= current_) --current_;
}

UndoRecord* UndoHistory::append(bool adding) {
  if (adding)
    while (recordCount() > current_ + 1) dropRecordAt(records_.size() - 1);
  // A lowered limit is caught up with here, oldest first.
  while (!records_.empty() && recordCount() >= undoCnt_ + (adding ? 0 : 1)) dropRecordAt(0);
  std::unique_ptr<UndoRecord> r(new (std::nothrow) UndoRecord);
  if (!r) return nullptr;
  records_.push_back(std::move(r));
  modified_ = true;
  if (adding) current_ = recordCount() - 1;
  return records_.back().get();
}

void UndoHistory::clear() {
  for (auto& r : records_) dropPayload(*r);
  records_.clear();
  current_ = -1;
  modified_ = false;
}

bool UndoHistory::undo(UndoRefresh& refresh) {
  refresh = {};
  if (current_ < 0) return false;
  if (current_ + 1 >= recordCount() && !append(false)) return false;
  if (current_ < 0) return false;
  UndoRecord& cur = *records_[size_t(current_)];
  buildOpposite(cur, *records_[size_t(current_) + 1]);
  apply(cur, refresh);
  --current_;
  // The document differs from what was saved, whether or not a slot was added.
  modified_ = true;
  return true;
}

bool UndoHistory::redo(UndoRefresh& refresh) {
  refresh = {};
  if (!canRedo()) return false;
  UndoRecord& r = *records_[size_t(current_) + 1];
  UndoRecord& s = *records_[size_t(current_) + 2];
  buildOpposite(s, r);
  apply(s, refresh);
  ++current_;
  modified_ = true;
  return true;
}

// --- recording ---------------------------------------------------------------

void UndoHistory::recordPixelRect(const Rect& rect) {
  if (Layer* layer = doc_.currentLayer()) recordPixelRectOf(layer->image(), rect);
}

void UndoHistory::recordPixelRectOf(const Image32& image, const Rect& rect) {
  recordPixelRectFrom(image, 0, 0, rect);
}

void UndoHistory::recordPixelRectFrom(const Image32& pixels, int left, int top, const Rect& rect) {
  // Only what lies on the canvas can change; nothing on it, nothing to keep.
  const Rect held{left, top, pixels.width(), pixels.height()};
  Rect r = rect.intersected(held).intersected(doc_.canvasRect());
  if (r.empty() || !doc_.currentLayer()) return;
  UndoRecord* rec = append(true);
  if (!rec) return;
  rec->kind = UndoKind::PixelRect;
  rec->layerIndex = int16_t(doc_.currentIndex());
  rec->rect = r;
  // A backup apart from the layer holds the pixels before the step and the
  // layer those after it: parts that did not change need not be kept.
  const Layer* layer = doc_.currentLayer();
  if (!layer->tiles() && &pixels != &layer->image()) rec->cells = changedCells(pixels, left, top, layer->image(), r);
  capturePixels(*rec, pixels, left, top);
}

void UndoHistory::recordCurrentLayer() { recordPixelRect(doc_.canvasRect()); }

void UndoHistory::recordAllLayers() {
  UndoRecord* rec = append(true);
  if (!rec) return;
  rec->kind = UndoKind::AllLayers;
  rec->layerIndex = int16_t(doc_.layerCount());
  rec->rect = doc_.canvasRect();
  captureAllLayers(*rec);
}

void UndoHistory::recordFlip(bool vertical) {
  UndoRecord* rec = append(true);
  if (!rec) return;
  rec->kind = vertical ? UndoKind::FlipVertical : UndoKind::FlipHorizontal;
  rec->layerIndex = int16_t(doc_.currentIndex());
  rec->rect = doc_.canvasRect();
}

// Recorded after rotating: a clockwise turn is undone by turning left.
void UndoHistory::recordRotation(bool counterClockwise) {
  UndoRecord* rec = append(true);
  if (!rec) return;
  rec->kind = counterClockwise ? UndoKind::RotateRight : UndoKind::RotateLeft;
  rec->layerIndex = int16_t(doc_.currentIndex());
  rec->rect = doc_.canvasRect();
}

void UndoHistory::recordLayerAdded() {
  if (!doc_.currentLayer()) return;
  UndoRecord* rec = append(true);
  if (!rec) return;
  rec->kind = UndoKind::LayerAdded;
  rec->layerIndex = int16_t(doc_.currentIndex());
}

void UndoHistory::recordLayerDeleted() {
  // The only layer is never deleted, so there is nothing to undo.
  if (doc_.layerCount() <= 1 || !doc_.currentLayer()) return;
  UndoRecord* rec = append(true);
  if (!rec) return;
  int index = doc_.currentIndex();
  rec->kind = UndoKind::LayerDeleted;
  rec->layerIndex = int16_t(index);
  rec->rect = doc_.canvasRect();
  captureLayerBlocks(*rec, {index}, {int16_t(index)}, {});
}

void UndoHistory::recordLayerMoved(bool down) {
  if (!doc_.currentLayer()) return;
  UndoRecord* rec = append(true);
  if (!rec) return;
  rec->kind = down ? UndoKind::LayerMovedDown : UndoKind::LayerMovedUp;
  rec->layerIndex = int16_t(doc_.currentIndex());
}

void UndoHistory::recordLayerMovedTo(int oldIndex) {
  if (!doc_.currentLayer()) return;
  UndoRecord* rec = append(true);
  if (!rec) return;
  int now = doc_.currentIndex();
  rec->kind = UndoKind::LayerMovedTo;
  rec->layerIndex = int16_t(now);
  rec->rect = {oldIndex + (now < oldIndex ? 1 : 0), 0, 0, 0};
}

void UndoHistory::recordLayersMerged(const std::vector<int32_t>& indexAndGaps) {
  // Every listed layer must exist, each above the one before it.
  if (indexAndGaps.size() < 2 || int(indexAndGaps.size()) > doc_.layerCount()) return;
  int index = indexAndGaps[0];
  if (index < 0 || index >= doc_.layerCount()) return;
  std::vector<int16_t> gaps;
  for (size_t i = 1; i < indexAndGaps.size(); ++i) {
    int gap = indexAndGaps[i];
    index -= gap + 1;
    if (gap < 0 || index < 0) return;
    gaps.push_back(int16_t(gap));
  }
  UndoRecord* rec = append(true);
  if (!rec) return;
  rec->kind = UndoKind::LayersMerged;
  rec->layerIndex = int16_t(indexAndGaps.size());
  rec->rect = doc_.canvasRect();
  captureMerged(*rec, indexAndGaps[0], gaps);
}

}  // namespace tessel
