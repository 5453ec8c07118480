#pragma once
#include <cstdint>
#include <vector>

#include "image/geometry.h"

namespace tessel {

class Image32;

// What the document tells the undo history. Each call happens at the moment
// the history needs it: pixel and delete records before the change, added and
// moved records after it. The default records nothing.
class UndoRecorder {
 public:
  virtual ~UndoRecorder() = default;
  virtual void recordPixelRect(const Rect&) {}
  virtual void recordPixelRectOf(const Image32&, const Rect&) {}
  // The same, from a backup holding only part of the canvas: its top-left
  // pixel lies at (left, top) of the canvas.
  virtual void recordPixelRectFrom(const Image32& /*pixels*/, int /*left*/, int /*top*/,
                                   const Rect& /*rect*/) {}
  virtual void recordCurrentLayer() {}
  virtual void recordAllLayers() {}
  virtual void recordFlip(bool /*vertical*/) {}
  virtual void recordRotation(bool /*counterClockwise*/) {}
  virtual void recordLayerAdded() {}
  virtual void recordLayerDeleted() {}
  virtual void recordLayerMoved(bool /*down*/) {}
  virtual void recordLayerMovedTo(int /*oldIndex*/) {}
  // First the index of the first (bottom-most) layer, then the gaps going up.
  virtual void recordLayersMerged(const std::vector<int32_t>& /*indexAndGaps*/) {}
};

}  // namespace tessel
