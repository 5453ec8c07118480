#include "formats/psd_layer_stack.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "document/blend_modes.h"
#include "document/compositors.h"
#include "formats/psd_document.h"

namespace tessel {

uint8_t layerOpacityFromFraction(double opacity) {
  return layerOpacityFromPsd(uint8_t(std::clamp(std::lround(opacity * 255.0), 0L, 255L)));
}

namespace {

// Alpha times the base's alpha, rounded.
void cutToBase(Image32& image, const Image32& base) {
  uint8_t* p = image.bits();
  const uint8_t* b = base.bits();
  for (size_t i = 3, n = image.byteSize(); i < n; i += 4) p[i] = uint8_t((p[i] * b[i] + 127) / 255);
}

}  // namespace

bool PsdLayerStack::add(PsdLayerItem&& item, bool clipped) {
  Level& level = groups_.back();
  if (clipped && level.base >= 0) {
    const PsdLayerItem& base = level.items[size_t(level.base)];
    cutToBase(item.image, base.image);
    item.image.normaliseTransparent();
    if (!base.visible) item.visible = false;
  }
  try {
    level.items.push_back(std::move(item));
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!clipped) level.base = int(level.items.size()) - 1;
  return true;
}

bool PsdLayerStack::closeGroup(PsdLayerItem&& group, bool passThrough, bool clipped, int width, int height) {
  if (groups_.size() < 2) return true;   // a group record without its divider
  Level children = std::move(groups_.back());
  groups_.pop_back();
  Level& parent = groups_.back();
  if (passThrough) {
    try {
      for (PsdLayerItem& child : children.items) {
        child.opacity *= group.opacity;
        if (!group.visible) child.visible = false;
        parent.items.push_back(std::move(child));
      }
    } catch (const std::bad_alloc&) {
      return false;
    }
    parent.base = -1;
    return true;
  }
  if (!group.image.create(width, height)) return false;
  for (const PsdLayerItem& child : children.items)
    if (child.visible)
      compositeAlphaAware(group.image, child.image, layerOpacityFromFraction(child.opacity), child.blendMode,
                          kFullOpacity, kBlendNormal);
  group.image.normaliseTransparent();
  return add(std::move(group), clipped);
}

std::vector<PsdLayerItem>& PsdLayerStack::finish() {
  while (groups_.size() > 1) {
    PsdLayerItem open;
    closeGroup(std::move(open), true, false, 0, 0);
  }
  return groups_.front().items;
}

}  // namespace tessel
