#include "document/layer_list.h"

#include <algorithm>
#include <cstdio>

namespace tessel {

Layer* LayerList::add(int width, int height, bool countName) {
  if (count() >= kMaxLayers) return nullptr;
  auto layer = std::unique_ptr<Layer>(new (std::nothrow) Layer);
  if (!layer || !layer->image().create(width, height)) return nullptr;
  layer->image().fill(kTransparent);
  std::snprintf(layer->name, sizeof layer->name, "Layer%d", nameCounter_);
  if (countName) ++nameCounter_;
  layers_.insert(layers_.begin(), std::move(layer));
  return layers_.front().get();
}

void LayerList::remove(Layer* layer) {
  int i = indexOf(layer);
  if (i >= 0) layers_.erase(layers_.begin() + i);
}

void LayerList::move(Layer* layer, Layer* above) {
  int from = indexOf(layer);
  if (from < 0 || layer == above) return;
  std::unique_ptr<Layer> held = std::move(layers_[size_t(from)]);
  layers_.erase(layers_.begin() + from);
  int to = above ? indexOf(above) + 1 : 0;
  layers_.insert(layers_.begin() + to, std::move(held));
}

Layer* LayerList::atIndex(int i) const {
  if (i < 0 || i >= count()) return nullptr;
  return layers_[size_t(i)].get();
}

int LayerList::indexOf(const Layer* layer) const {
  for (size_t i = 0; i < layers_.size(); ++i)
    if (layers_[i].get() == layer) return int(i);
  return -1;
}

void LayerList::clear() {
  layers_.clear();
  nameCounter_ = 0;
}

Layer* LayerList::above(const Layer* layer) const { return atIndex(indexOf(layer) - 1); }

Layer* LayerList::below(const Layer* layer) const {
  int i = indexOf(layer);
  return i < 0 ? nullptr : atIndex(i + 1);
}

}  // namespace tessel
