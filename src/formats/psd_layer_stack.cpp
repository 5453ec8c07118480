#include "formats/psd_layer_stack.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "document/blend_modes.h"
#include "document/compositors.h"
#include "formats/psd_document.h"

namespace tessel {

uint8_t layerOpacityFromFraction(double opacity) {
  return layerOpacityFromPsd(uint8_t(std::clamp(std::lround(opacity * 255.0), 0L, 255L)));
}

namespace {

// Alpha times the base's alpha, rounded, over the painted rectangle; base's
// rows are read from its tiles.
bool cutToBase(Image32& image, const Rect& painted, const Layer& base) {
  std::vector<Pixel> row;
  try {
    row.resize(size_t(std::max(painted.w, 0)));
  } catch (const std::bad_alloc&) {
    return false;
  }
  const TiledImage* tiles = base.tiles();
  if (!tiles && !base.image().valid()) return false;
  for (int y = painted.y; y < painted.bottom(); ++y) {
    const Pixel* b = row.data();
    if (tiles)
      tiles->readRow(y, painted.x, painted.w, row.data());
    else
      b = base.image().row(y) + painted.x;
    Pixel* p = image.row(y) + painted.x;
    for (int x = 0; x < painted.w; ++x) {
      const uint32_t a = (((p[x] >> 24) * (b[x] >> 24) + 127) / 255);
      p[x] = a ? (p[x] & 0x00FFFFFFu) | a << 24 : kTransparent;
    }
  }
  return true;
}

}  // namespace

bool PsdLayerStack::add(PsdLayerItem&& item, bool clipped, Image32& image, const Rect& painted,
                        std::span<const ByteRange> transparent) {
  Level& level = groups_.back();
  if (clipped && level.base >= 0) {
    const PsdLayerItem& base = level.items[size_t(level.base)];
    if (!cutToBase(image, painted, base.pixels)) return false;
    if (!base.visible) item.visible = false;
  }
  if (!item.pixels.parkFrom(image, transparent)) return false;
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
  Image32 image;
  if (!image.create(width, height)) return false;
  for (const PsdLayerItem& child : children.items)
    if (child.visible && !compositeAlphaAware(image, child.pixels, layerOpacityFromFraction(child.opacity),
                                              child.blendMode, kFullOpacity, kBlendNormal))
      return false;
  image.normaliseTransparent();
  return add(std::move(group), clipped, image, {0, 0, width, height});
}

std::vector<PsdLayerItem>& PsdLayerStack::finish() {
  while (groups_.size() > 1) {
    PsdLayerItem open;
    closeGroup(std::move(open), true, false, 0, 0);
  }
  return groups_.front().items;
}

}  // namespace tessel
