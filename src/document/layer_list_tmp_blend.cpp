// Temporary stand-in for the LayerList members the compositor tests use, until
// the real layer_list.cpp lands. Drop this file when merging it.
#include <cstdio>

#include "document/layer_list.h"

namespace tessel {

Layer* LayerList::add(int width, int height, bool countName) {
  if (count() >= kMaxLayers) return nullptr;
  auto layer = std::make_unique<Layer>();
  if (!layer->image.create(width, height)) return nullptr;
  layer->image.fill(kTransparent);
  std::snprintf(layer->name, sizeof layer->name, "Layer%d", nameCounter_);
  if (countName) ++nameCounter_;
  layers_.insert(layers_.begin(), std::move(layer));
  return layers_.front().get();
}

Layer* LayerList::atIndex(int i) const {
  return i >= 0 && i < count() ? layers_[size_t(i)].get() : nullptr;
}

int LayerList::indexOf(const Layer* layer) const {
  for (int i = 0; i < count(); ++i)
    if (layers_[size_t(i)].get() == layer) return i;
  return -1;
}

Layer* LayerList::above(const Layer* layer) const { return atIndex(indexOf(layer) - 1); }

Layer* LayerList::below(const Layer* layer) const {
  int i = indexOf(layer);
  return i < 0 ? nullptr : atIndex(i + 1);
}

void LayerList::clear() {
  layers_.clear();
  nameCounter_ = 0;
}

}  // namespace tessel
