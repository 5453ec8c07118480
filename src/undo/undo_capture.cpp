// Building records: payload capture from the document and the opposite of a
// record, written into the neighbouring slot before the record is applied.
#include <cstring>
#include <new>
#include <vector>

#include "document/document.h"
#include "document/layer.h"
#include "image/tiled_image.h"
#include "undo/undo_history.h"
#include "undo/undo_rle.h"

namespace tessel {

namespace {

// A whole layer's rows for the encoder: an idle layer's straight from its
// tiles through one row of scratch, so no flat copy of it is made.
class LayerRows {
 public:
  explicit LayerRows(const Layer& layer) : tiles_(layer.tiles()) {
    if (tiles_) row_.resize(size_t(tiles_->width()));
    else flat_ = &layer.image();
  }
  bool valid() const { return tiles_ || flat_->valid(); }
  Rect bounds() const { return tiles_ ? Rect{0, 0, tiles_->width(), tiles_->height()} : flat_->bounds(); }
  RleRows rows() {
    if (!tiles_) return [this](int y) { return static_cast<const Pixel*>(flat_->row(y)); };
    return [this](int y) {
      tiles_->readRow(y, 0, tiles_->width(), row_.data());
      return static_cast<const Pixel*>(row_.data());
    };
  }

 private:
  const TiledImage* tiles_;
  const Image32* flat_ = nullptr;
  std::vector<Pixel> row_;
};

}  // namespace

std::vector<Rect> changedCells(const Image32& before, int left, int top, const Image32& after, const Rect& rect) {
  constexpr int kW = TiledImage::kTileWidth, kH = TiledImage::kTileHeight;
  std::vector<Rect> cells;
  int all = 0;
  for (int y = rect.y / kH * kH; y < rect.bottom(); y += kH)
    for (int x = rect.x / kW * kW; x < rect.right(); x += kW) {
      const Rect cell = Rect{x, y, kW, kH}.intersected(rect);
      ++all;
      const size_t bytes = size_t(cell.w) * sizeof(Pixel);
      bool keep = false;
      for (int row = cell.y; row < cell.bottom() && !keep; ++row) {
        const Pixel* p = after.row(row) + cell.x;
        keep = std::memcmp(before.row(row - top) + (cell.x - left), p, bytes) != 0;
        // Restoring makes every transparent pixel white: a cell where that
        // would change something is kept, so the step comes back bit for bit.
        unsigned odd = 0;
        for (int i = 0; i < cell.w; ++i) odd |= unsigned(p[i] < 0x01000000u && p[i] != kTransparent);
        keep = keep || odd;
      }
      if (keep) cells.push_back(cell);
    }
  if (cells.empty() || int(cells.size()) == all) cells.clear();
  return cells;
}

void UndoHistory::storePayload(UndoRecord& r, size_t estimate,
                               const std::function<void(PayloadSink&)>& write) {
  dropPayload(r);
  bool fileFirst = estimate > fileThreshold_ || r.kind == UndoKind::AllLayers;
  if (fileFirst) {
    if (!storeInFile(r, write)) storeInMemory(r, estimate, write);
  } else {
    if (!storeInMemory(r, estimate, write)) storeInFile(r, write);
  }
}

bool UndoHistory::storeInFile(UndoRecord& r, const std::function<void(PayloadSink&)>& write) {
  FilePtr file;
  int number = files_.create(file);
  if (number < 0) return false;
  PayloadSink sink(file.get());
  write(sink);
  file.reset();
  if (!sink.ok()) {
    files_.remove(number);
    return false;
  }
  r.tempFileNumber = int16_t(number);
  return true;
}

bool UndoHistory::storeInMemory(UndoRecord& r, size_t estimate,
                                const std::function<void(PayloadSink&)>& write) {
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[estimate ? estimate : 1]);
  if (!block) return false;
  PayloadSink sink(block.get(), estimate);
  write(sink);
  if (!sink.ok()) return false;
  r.memory = std::move(block);
  r.memorySize = sink.written();
  return true;
}

// The rect, or each of its cells: the encoded size, then the encoding.
void UndoHistory::capturePixels(UndoRecord& r, const Image32& source, int left, int top) {
  std::vector<Rect> parts = r.cells;
  if (parts.empty()) parts.push_back(r.rect);
  std::vector<size_t> sizes;
  size_t estimate = 0;
  for (Rect& part : parts) {
    part.x -= left, part.y -= top;
    sizes.push_back(rleEncodedSize(source, part));
    estimate += sizes.back() + 4;
  }
  storePayload(r, estimate, [&](PayloadSink& out) {
    for (size_t i = 0; i < parts.size(); ++i) {
      out.putInt32(int32_t(sizes[i]));
      out.putEncoded(source, parts[i], sizes[i]);
    }
  });
}

void UndoHistory::captureAllLayers(UndoRecord& r) {
  const LayerList& layers = doc_.layers();
  size_t perLayer = (size_t(r.rect.w) * size_t(r.rect.h) + 1) * 4;
  storePayload(r, perLayer * size_t(layers.count()), [&](PayloadSink& out) {
    for (int i = 0; i < layers.count(); ++i) {
      LayerRows pixels(*layers.atIndex(i));
      const Rect all = pixels.bounds();
      const RleRows rows = pixels.rows();
      size_t n = rleEncodedSize(rows, all);
      out.putInt32(int32_t(n));
      out.putEncoded(rows, all, n);
    }
  });
}

// Blocks of a 42-byte header (position field, size, name, attributes) and the
// whole layer encoded, then the trailing gaps of an unmerge.
void UndoHistory::captureLayerBlocks(UndoRecord& r, const std::vector<int>& layers,
                                     const std::vector<int16_t>& fields,
                                     const std::vector<int16_t>& gaps) {
  std::vector<const Layer*> sources;
  std::vector<size_t> sizes;
  size_t estimate = 2 * gaps.size();
  for (int index : layers) {
    const Layer* layer = doc_.layers().atIndex(index);
    if (!layer) return;
    LayerRows pixels(*layer);
    sources.push_back(layer);
    sizes.push_back(rleEncodedSize(pixels.rows(), pixels.bounds()));
    estimate += sizes.back() + kLayerBlockHeader;
  }
  storePayload(r, estimate, [&](PayloadSink& out) {
    for (size_t i = 0; i < sources.size(); ++i) {
      const Layer& layer = *sources[i];
      LayerRows pixels(layer);
      uint8_t attributes[4] = {layer.blendMode, layer.opacity, layer.maskMode, layer.flags};
      out.putInt16(fields[i]);
      out.putInt32(int32_t(sizes[i]));
      out.putBytes(layer.name, kLayerNameBytes);
      out.putBytes(attributes, sizeof attributes);
      out.putEncoded(pixels.rows(), pixels.bounds(), sizes[i]);
    }
    for (int16_t gap : gaps) out.putInt16(gap);
  });
}

// The layers as they are before a merge: the bottom one, then each further one
// gap + 1 places above the previous. The first position field is the index
// the survivor has after the merge.
void UndoHistory::captureMerged(UndoRecord& r, int bottomIndex, const std::vector<int16_t>& gaps) {
  int n = int(gaps.size()) + 1;
  std::vector<int> layers{bottomIndex};
  std::vector<int16_t> fields{int16_t(bottomIndex - n + 1)};
  for (int16_t gap : gaps) {
    layers.push_back(layers.back() - gap - 1);
    fields.push_back(gap);
  }
  r.positions = fields;
  captureLayerBlocks(r, layers, fields, {});
}

// The merged survivor at survivorIndex, stored with the index it has once
// the other layers are back.
void UndoHistory::captureUnmerged(UndoRecord& r, int survivorIndex,
                                  const std::vector<int16_t>& gaps) {
  int n = int(gaps.size()) + 1;
  int16_t position = int16_t(survivorIndex + n - 1);
  r.positions = {position};
  r.positions.insert(r.positions.end(), gaps.begin(), gaps.end());
  captureLayerBlocks(r, {survivorIndex}, {position}, gaps);
}

void UndoHistory::buildOpposite(const UndoRecord& from, UndoRecord& to) {
  dropPayload(to);
  to.kind = from.kind;
  to.layerIndex = from.layerIndex;
  to.rect = from.rect;
  to.positions.clear();
  to.cells.clear();
  std::vector<int16_t> gaps;
  if (from.positions.size() > 1) gaps.assign(from.positions.begin() + 1, from.positions.end());
  switch (from.kind) {
    case UndoKind::PixelRect:
      to.cells = from.cells;
      if (const Layer* layer = doc_.layers().atIndex(from.layerIndex)) {
        if (layer->image().bounds().intersected(from.rect) == from.rect) capturePixels(to, layer->image());
      }
      break;
    case UndoKind::AllLayers:
      to.rect = doc_.canvasRect();
      to.layerIndex = int16_t(doc_.layerCount());
      captureAllLayers(to);
      break;
    case UndoKind::FlipHorizontal:
    case UndoKind::FlipVertical:
      to.rect = doc_.canvasRect();
      break;
    case UndoKind::RotateLeft:
    case UndoKind::RotateRight:
      to.kind = from.kind == UndoKind::RotateLeft ? UndoKind::RotateRight : UndoKind::RotateLeft;
      to.rect = doc_.canvasRect();
      break;
    case UndoKind::LayerDeleted:
      to.kind = UndoKind::LayerAdded;
      break;
    case UndoKind::LayerAdded:
      to.kind = UndoKind::LayerDeleted;
      to.rect = doc_.canvasRect();
      captureLayerBlocks(to, {from.layerIndex}, {from.layerIndex}, {});
      break;
    case UndoKind::LayerMovedDown:
      to.kind = UndoKind::LayerMovedUp;
      to.layerIndex = int16_t(from.layerIndex - 1);
      break;
    case UndoKind::LayerMovedUp:
      to.kind = UndoKind::LayerMovedDown;
      to.layerIndex = int16_t(from.layerIndex + 1);
      break;
    case UndoKind::LayersMerged:
      to.kind = UndoKind::LayersUnmerged;
      if (!from.positions.empty()) captureUnmerged(to, from.positions[0], gaps);
      break;
    case UndoKind::LayersUnmerged:
      to.kind = UndoKind::LayersMerged;
      if (!from.positions.empty()) captureMerged(to, from.positions[0], gaps);
      break;
    case UndoKind::LayerMovedTo: {
      int a = from.layerIndex, b = from.rect.x;
      to.layerIndex = int16_t(b - (b >= a ? 1 : 0));
      to.rect = {a + (b < a ? 1 : 0), 0, 0, 0};
      break;
    }
  }
}

}  // namespace tessel
