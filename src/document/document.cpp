#include "document/document.h"

#include <algorithm>

#include "document/compositors.h"

namespace tessel {

Document::Document() = default;

bool Document::allocateCanvasBuffers(int width, int height, Image32& composite, Image32& stroke,
                                     Image32& backup) {
  return composite.create(width, height) && stroke.create(width, height) &&
         backup.create(width, height);
}

bool Document::newImage(int width, int height, bool withLayer) {
  if (width < 1 || height < 1 || width > kMaxCanvasSize || height > kMaxCanvasSize) return false;
  if (!blend_.valid()) return false;
  Image32 newComposite, newStroke, newBackup;
  if (!allocateCanvasBuffers(width, height, newComposite, newStroke, newBackup)) return false;
  LayerList newLayers;
  if (withLayer && !newLayers.add(width, height, true)) return false;

  // Nothing can fail from here on: the old document is replaced whole.
  composite = std::move(newComposite);
  strokeBuffer = std::move(newStroke);
  layerBackup = std::move(newBackup);
  layers_ = std::move(newLayers);
  width_ = width;
  height_ = height;
  currentIndex_ = 0;
  current_ = nullptr;
  selectLayer(0);
  return true;
}

bool Document::resizeCanvasBuffers(int width, int height) {
  Image32 newComposite, newStroke, newBackup;
  if (!allocateCanvasBuffers(width, height, newComposite, newStroke, newBackup)) return false;
  composite = std::move(newComposite);
  strokeBuffer = std::move(newStroke);
  layerBackup = std::move(newBackup);
  width_ = width;
  height_ = height;
  return true;
}

void Document::selectLayer(int index) {
  if (index < 0 || index >= layers_.count()) return;
  currentIndex_ = index;
  current_ = layers_.atIndex(index);
  parkIdleLayers();
}

void Document::parkIdleLayers() {
  for (int i = 0; i < layers_.count(); ++i) {
    Layer* layer = layers_.atIndex(i);
    if (layer != current_) layer->park();   // on failure the layer simply stays flat
  }
}

bool Document::remakeLayers(const std::function<bool(const Image32&, Image32&)>& make,
                            std::vector<TiledImage>& made, Progress* progress) const {
  made.assign(size_t(layers_.count()), TiledImage());
  if (progress) progress->setRange(layers_.count());
  for (int i = 0; i < layers_.count(); ++i) {
    const Layer& layer = *layers_.atIndex(i);
    const Image32& in = layer.image();
    Image32 out;
    const bool ok = in.valid() && make(in, out) && made[size_t(i)].assign(out);
    layer.releaseFlatCopy();
    if (!ok) return false;
    if (progress) progress->step();
  }
  return true;
}

void Document::adoptLayers(std::vector<TiledImage>& made) {
  for (int i = 0; i < layers_.count() && size_t(i) < made.size(); ++i)
    layers_.atIndex(i)->adoptTiles(std::move(made[size_t(i)]));
}

size_t Document::pixelBytes() const {
  size_t bytes = composite.byteSize() + strokeBuffer.byteSize() + layerBackup.byteSize();
  for (int i = 0; i < layers_.count(); ++i) bytes += layers_.atIndex(i)->pixelBytes();
  return bytes;
}

Layer* Document::addLayerAbove(Layer* reference) {
  Layer* layer = layers_.add(width_, height_, true);
  if (!layer) return nullptr;
  layers_.move(layer, reference ? layers_.above(reference) : nullptr);
  return layer;
}

bool Document::newLayer(bool copy) {
  Layer* source = current_;
  Layer* layer = addLayerAbove(source);
  if (!layer) return false;
  if (copy && source) {
    if (!layer->copyPixelsFrom(*source)) {
      layers_.remove(layer);
      return false;
    }
    layer->copyAttributesFrom(*source);
  }
  selectLayer(currentIndex_);
  recorder_->recordLayerAdded();
  return true;
}

bool Document::deleteLayer() {
  if (layers_.count() <= 1 || !current_) return false;
  recorder_->recordLayerDeleted();
  layers_.remove(current_);
  selectLayer(std::min(currentIndex_, layers_.count() - 1));
  return true;
}

bool Document::mergeDown() {
  Layer* upper = current_;
  Layer* lower = upper ? layers_.below(upper) : nullptr;
  if (!lower) return false;
  recorder_->recordLayersMerged({currentIndex_ + 1, 0});
  compositeAlphaAware(lower->image(), upper->image(), upper->opacity, upper->blendMode, lower->opacity,
                      lower->blendMode);
  lower->opacity = kFullOpacity;
  layers_.remove(upper);
  selectLayer(layers_.indexOf(lower));
  return true;
}

int Document::visibleCount() const {
  int n = 0;
  for (int i = 0; i < layers_.count(); ++i) n += layers_.atIndex(i)->visible() ? 1 : 0;
  return n;
}

bool Document::mergeVisible(bool keepTransparency) {
  if (visibleCount() < 2) return false;
  Image32 merged;
  if (!merged.create(width_, height_)) return false;

  // Bottom-most visible layer first, then the hidden gap before each further one.
  std::vector<int32_t> listing;
  Layer* base = nullptr;
  int gap = 0;
  for (int i = layers_.count() - 1; i >= 0; --i) {
    const Layer* layer = layers_.atIndex(i);
    if (!layer->visible()) {
      ++gap;
      continue;
    }
    if (!base) {
      base = layers_.atIndex(i);
      listing.push_back(i);
    } else {
      listing.push_back(gap);
    }
    gap = 0;
  }
  recorder_->recordLayersMerged(listing);

  merged.fill(keepTransparency ? kTransparent : kOpaqueWhite);
  std::vector<Layer*> absorbed;
  for (Layer* layer = base; layer; layer = layers_.above(layer)) {
    if (!layer->visible()) continue;
    if (keepTransparency)
      compositeOver(merged, *layer, layer->opacity);
    else
      compositeOpaque(merged, *layer, layer->blendMode, layer->opacity, blend_);
    if (layer != base) absorbed.push_back(layer);
  }
  base->image() = std::move(merged);
  for (Layer* layer : absorbed) layers_.remove(layer);
  base->blendMode = kBlendNormal;
  base->opacity = kFullOpacity;
  selectLayer(layers_.indexOf(base));
  return true;
}

bool Document::mergeIntoNewLayer() {
  if (visibleCount() < 2) return false;
  Layer* topVisible = nullptr;
  for (int i = 0; i < layers_.count() && !topVisible; ++i)
    if (layers_.atIndex(i)->visible()) topVisible = layers_.atIndex(i);
  Layer* target = addLayerAbove(topVisible);
  if (!target) return false;
  for (int i = layers_.count() - 1; i >= 0; --i) {
    const Layer* layer = layers_.atIndex(i);
    if (layer != target && layer->visible())
      compositeOver(target->image(), *layer, layer->opacity);
  }
  selectLayer(layers_.indexOf(target));
  recorder_->recordLayerAdded();
  return true;
}

bool Document::moveUp() {
  Layer* above = current_ ? layers_.above(current_) : nullptr;
  if (!above) return false;
  layers_.move(current_, layers_.above(above));
  selectLayer(currentIndex_ - 1);
  recorder_->recordLayerMoved(false);
  return true;
}

bool Document::moveDown() {
  Layer* below = current_ ? layers_.below(current_) : nullptr;
  if (!below) return false;
  layers_.move(current_, below);
  selectLayer(currentIndex_ + 1);
  recorder_->recordLayerMoved(true);
  return true;
}

bool Document::moveTo(int index) {
  int old = currentIndex_;
  if (index == old || !current_) return false;
  Layer* layer = current_;
  if (index <= 0) {
    layers_.move(layer, nullptr);
  } else if (index >= layers_.count()) {
    layers_.move(layer, layers_.bottom() == layer ? layers_.above(layer) : layers_.bottom());
  } else {
    Layer* reference = layers_.atIndex(index);
    if (layers_.below(layer) == reference) return false;
    layers_.move(layer, layers_.above(reference));
  }
  int now = layers_.indexOf(layer);
  selectLayer(now);
  if (now == old) return false;
  recorder_->recordLayerMovedTo(old);
  return true;
}

void Document::setBlendMode(int mode) {
  if (current_ && mode >= 0 && mode < kBlendModeCount) current_->blendMode = uint8_t(mode);
}

void Document::setOpacityPercent(int percent) {
  if (current_) current_->opacity = opacityFromPercent(std::clamp(percent, 0, 100));
}

void Document::setMaskMode(int mode) {
  if (current_ && mode >= 0 && mode <= 3) current_->maskMode = uint8_t(mode);
}

void Document::toggleVisible(int index) {
  if (Layer* layer = layers_.atIndex(index)) layer->flags ^= kLayerVisible;
}

void Document::toggleFillReference(int index) {
  if (Layer* layer = layers_.atIndex(index)) layer->flags ^= kLayerFillReference;
}

void Document::setVisibility(Visibility mode) {
  for (int i = 0; i < layers_.count(); ++i) {
    Layer* layer = layers_.atIndex(i);
    layer->flags &= uint8_t(~kLayerVisible);
    if (mode == Visibility::AllVisible || (mode == Visibility::OnlyCurrent && layer == current_))
      layer->flags |= kLayerVisible;
  }
}

bool Document::flatten(Image32& target, Progress* progress, bool keepAlpha) {
  if (!target.create(width_, height_)) return false;
  target.fill(keepAlpha ? 0x00000000u : kOpaqueWhite);
  for (int i = layers_.count() - 1; i >= 0; --i) {
    const Layer* layer = layers_.atIndex(i);
    if (layer->visible()) {
      if (keepAlpha)
        compositeAlphaAware(target, *layer, layer->opacity, layer->blendMode, kFullOpacity, kBlendNormal);
      else
        compositeOpaque(target, *layer, layer->blendMode, layer->opacity, blend_);
    }
    if (progress) progress->step();
  }
  return true;
}

void Document::recomposite(const Rect& rect, bool checker, Pixel checkColour1, Pixel checkColour2) {
  Rect r = rect.intersected(canvasRect());
  if (r.empty() || !composite.valid()) return;
  compositeDisplay(composite, layers_, r, checker, checkColour1, checkColour2, blend_);
  recomposited = recomposited.united(r);
}

Pixel Document::pickComposite(int x, int y) const { return compositePoint(layers_, x, y); }

}  // namespace tessel
