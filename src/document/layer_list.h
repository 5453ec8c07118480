#pragma once
#include <memory>
#include <vector>

#include "document/layer.h"

namespace tessel {

// The layer stack. Indices count from the top: 0 is the top layer.
class LayerList {
 public:
  int count() const { return int(layers_.size()); }
  int nameCounter() const { return nameCounter_; }
  void setNameCounter(int n) { nameCounter_ = n; }

  // New transparent layer on top named "Layer<n>"; null at 100 layers or
  // when its image cannot be made. countName advances the counter.
  Layer* add(int width, int height, bool countName);
  void remove(Layer* layer);
  // Relinks layer directly beneath `above`; null above makes it the top layer.
  void move(Layer* layer, Layer* above);
  Layer* atIndex(int i) const;
  int indexOf(const Layer* layer) const;   // -1 when not in the list
  void clear();

  Layer* top() const { return layers_.empty() ? nullptr : layers_.front().get(); }
  Layer* bottom() const { return layers_.empty() ? nullptr : layers_.back().get(); }
  Layer* above(const Layer* layer) const;   // null at the top
  Layer* below(const Layer* layer) const;   // null at the bottom

 private:
  std::vector<std::unique_ptr<Layer>> layers_;   // top first
  int nameCounter_ = 0;
};

}  // namespace tessel
