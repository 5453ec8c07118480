// Replaying a record onto the document. Layer operations run through the
// document's own functions with recording switched off.
#include <algorithm>
#include <cstring>
#include <vector>

#include "document/document.h"
#include "undo/undo_history.h"
#include "undo/undo_transforms.h"

namespace tessel {
namespace {

// Layers re-created by a replay take their names from the record, so the
// name counter is left as the user's own operations set it.
class NameCounterKeep {
 public:
  explicit NameCounterKeep(LayerList& list) : list_(list), saved_(list.nameCounter()) {}
  ~NameCounterKeep() { list_.setNameCounter(saved_); }
  NameCounterKeep(const NameCounterKeep&) = delete;
  NameCounterKeep& operator=(const NameCounterKeep&) = delete;

 private:
  LayerList& list_;
  int saved_;
};

struct LayerHeader {
  int16_t position = 0;
  int32_t size = 0;
  char name[kLayerNameBytes] = {};
  uint8_t attributes[4] = {};
};

bool readHeader(PayloadSource& in, LayerHeader& h) {
  return in.getInt16(h.position) && in.getInt32(h.size) && h.size >= 0 &&
         in.getBytes(h.name, sizeof h.name) && in.getBytes(h.attributes, sizeof h.attributes);
}

void assignHeader(Layer& layer, const LayerHeader& h) {
  std::memcpy(layer.name, h.name, sizeof layer.name);
  layer.name[kLayerNameBytes - 1] = '\0';
  layer.blendMode = h.attributes[0];
  layer.opacity = h.attributes[1];
  layer.maskMode = h.attributes[2];
  layer.flags = h.attributes[3];
}

// Header and pixels into the layer at the current index.
void restoreCurrent(Document& doc, PayloadSource& in, const LayerHeader& h) {
  Layer* layer = doc.currentLayer();
  assignHeader(*layer, h);
  in.getEncoded(layer->image(), layer->image().bounds(), size_t(h.size));
}

// A new empty layer directly above the layer at index; it takes that index.
bool insertAbove(Document& doc, int index) {
  doc.selectLayer(index);
  return doc.currentIndex() == index && doc.newLayer(false);
}

}  // namespace

bool UndoHistory::openSource(const UndoRecord& r, FilePtr& file,
                             std::unique_ptr<PayloadSource>& source) {
  if (r.memory) {
    source = std::make_unique<PayloadSource>(r.memory.get(), r.memorySize);
    return true;
  }
  if (r.tempFileNumber < 0) return false;
  file = files_.openForReading(r.tempFileNumber);
  if (!file) return false;
  source = std::make_unique<PayloadSource>(file.get());
  return true;
}

void UndoHistory::apply(const UndoRecord& r, UndoRefresh& refresh) {
  RecorderMute mute(doc_);
  NameCounterKeep keep(doc_.layers());
  refresh = {};
  switch (r.kind) {
    case UndoKind::FlipHorizontal:
    case UndoKind::FlipVertical:
    case UndoKind::RotateLeft:
    case UndoKind::RotateRight:
      applyTransform(r, refresh);
      return;
    case UndoKind::LayerAdded:
    case UndoKind::LayerMovedDown:
    case UndoKind::LayerMovedUp:
    case UndoKind::LayerMovedTo:
      applyLayerMove(r);
      refresh.kind = UndoRefresh::Kind::Full;
      return;
    default:
      break;
  }
  // Everything else carries a payload; a lost one changes nothing.
  FilePtr file;
  std::unique_ptr<PayloadSource> in;
  if (!openSource(r, file, in)) return;
  switch (r.kind) {
    case UndoKind::PixelRect:
      applyPixelRect(r, *in, refresh);
      return;
    case UndoKind::AllLayers:
      applyAllLayers(r, *in, refresh);
      return;
    case UndoKind::LayerDeleted:
      applyLayerDeleted(*in);
      break;
    case UndoKind::LayersMerged:
      applyLayersMerged(r, *in);
      break;
    case UndoKind::LayersUnmerged:
      applyLayersUnmerged(r, *in);
      break;
    default:
      return;
  }
  refresh.kind = UndoRefresh::Kind::Full;
}

void UndoHistory::applyPixelRect(const UndoRecord& r, PayloadSource& in, UndoRefresh& refresh) {
  Layer* layer = doc_.layers().atIndex(r.layerIndex);
  if (!layer || layer->image().bounds().intersected(r.rect) != r.rect) return;
  std::vector<Rect> parts = r.cells;
  if (parts.empty()) parts.push_back(r.rect);
  for (const Rect& part : parts) {
    int32_t n = 0;
    if (part.intersected(r.rect) != part || !in.getInt32(n) || n < 0 ||
        !in.getEncoded(layer->image(), part, size_t(n)))
      break;
  }
  refresh = {UndoRefresh::Kind::Area, r.rect, r.layerIndex};
}

// Every layer is read into tiles first, so a failure before the end leaves
// the document whole rather than half resized. One flat image at a time.
void UndoHistory::applyAllLayers(const UndoRecord& r, PayloadSource& in, UndoRefresh& refresh) {
  LayerList& layers = doc_.layers();
  int w = r.rect.w, h = r.rect.h;
  bool resize = w != doc_.width() || h != doc_.height();
  if (resize && (w < 1 || h < 1 || w > kMaxCanvasSize || h > kMaxCanvasSize || layers.count() != r.layerIndex))
    return;
  const int count = std::min(layers.count(), int(r.layerIndex));
  std::vector<TiledImage> read(size_t(layers.count()));
  Image32 scratch;
  if (!scratch.create(w, h)) return;
  int done = 0;
  for (; done < count; ++done) {
    int32_t n = 0;
    if (!in.getInt32(n) || n < 0 || !in.getEncoded(scratch, scratch.bounds(), size_t(n)) ||
        !read[size_t(done)].assign(scratch))
      break;
  }
  scratch.destroy();
  if (resize) {
    // Layers a damaged payload did not reach come back transparent.
    for (int i = done; i < layers.count(); ++i)
      if (!read[size_t(i)].reset(w, h)) return;
    if (!doc_.resizeCanvasBuffers(w, h)) return;
  }
  if (!resize) read.resize(size_t(done));
  doc_.adoptLayers(read);
  if (resize)
    refresh = {UndoRefresh::Kind::CanvasSize, {0, 0, w, h}, -1};
  else
    refresh.kind = UndoRefresh::Kind::Full;
}

void UndoHistory::applyTransform(const UndoRecord& r, UndoRefresh& refresh) {
  const bool flip = r.kind == UndoKind::FlipHorizontal || r.kind == UndoKind::FlipVertical;
  std::vector<TiledImage> made;
  const bool ok = doc_.remakeLayers(
      [&](const Image32& image, Image32& out) {
        switch (r.kind) {
          case UndoKind::RotateLeft: return rotatedCounterClockwise(image, out);
          case UndoKind::RotateRight: return rotatedClockwise(image, out);
          default:
            if (!out.create(image.width(), image.height())) return false;
            out.copyFrom(image);
            if (r.kind == UndoKind::FlipHorizontal) mirrorLeftRight(out);
            else mirrorTopBottom(out);
            return true;
        }
      },
      made);
  if (!ok) return;
  if (flip) {
    doc_.adoptLayers(made);
    refresh.kind = UndoRefresh::Kind::Full;
    return;
  }
  if (!doc_.resizeCanvasBuffers(doc_.height(), doc_.width())) return;
  doc_.adoptLayers(made);
  refresh = {UndoRefresh::Kind::CanvasSize, {0, 0, doc_.width(), doc_.height()}, -1};
}

// The header is read before the layer is made, so a lost payload adds nothing.
void UndoHistory::applyLayerDeleted(PayloadSource& in) {
  LayerHeader h;
  if (!readHeader(in, h)) return;
  int count = doc_.layerCount();
  if (h.position < 0 || h.position > count) return;
  if (h.position < count) {
    if (!insertAbove(doc_, h.position)) return;
  } else {
    // It was the bottom layer: insert above the present bottom, then step down.
    if (!insertAbove(doc_, h.position - 1)) return;
    doc_.moveDown();
  }
  restoreCurrent(doc_, in, h);
}

void UndoHistory::applyLayersMerged(const UndoRecord& r, PayloadSource& in) {
  LayerHeader h;
  if (!readHeader(in, h) || !doc_.layers().atIndex(h.position)) return;
  doc_.selectLayer(h.position);
  restoreCurrent(doc_, in, h);
  int index = h.position;
  for (int k = 1; k < r.layerIndex; ++k) {
    if (!readHeader(in, h)) return;
    int target = index - h.position;   // gap layers further up
    if (h.position < 0 || target < 0 || !insertAbove(doc_, target)) return;
    restoreCurrent(doc_, in, h);
    index = target;
  }
}

void UndoHistory::applyLayersUnmerged(const UndoRecord& r, PayloadSource& in) {
  LayerHeader h;
  if (!readHeader(in, h) || !doc_.layers().atIndex(h.position)) return;
  doc_.selectLayer(h.position);
  Layer* survivor = doc_.currentLayer();
  restoreCurrent(doc_, in, h);
  int index = h.position;
  for (int k = 1; k < r.layerIndex; ++k) {
    int16_t gap = 0;
    if (!in.getInt16(gap)) break;
    int target = index - gap - 1;
    if (gap < 0 || target < 0) break;
    doc_.selectLayer(target);
    if (doc_.currentIndex() != target || !doc_.deleteLayer()) break;
    index = target;
  }
  // The merged layer is current, as it was after the merge itself.
  doc_.selectLayer(doc_.layers().indexOf(survivor));
}

void UndoHistory::applyLayerMove(const UndoRecord& r) {
  if (r.layerIndex < 0 || r.layerIndex >= doc_.layerCount()) return;
  doc_.selectLayer(r.layerIndex);
  switch (r.kind) {
    case UndoKind::LayerAdded:
      doc_.deleteLayer();
      break;
    case UndoKind::LayerMovedDown:
      doc_.moveUp();
      break;
    case UndoKind::LayerMovedUp:
      doc_.moveDown();
      break;
    case UndoKind::LayerMovedTo:
      doc_.moveTo(r.rect.x);
      break;
    default:
      break;
  }
}

}  // namespace tessel
