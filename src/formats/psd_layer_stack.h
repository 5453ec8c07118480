#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "document/layer.h"
#include "image/image32.h"

namespace tessel {

// A layer on its way into the document: canvas-sized pixels, kept in tiles
// so that a file of many sparse layers never holds them all flat, and
// attributes, opacity as a fraction so that group and fill opacities can multiply in.
struct PsdLayerItem {
  Layer pixels;
  char name[kLayerNameBytes] = {};
  uint8_t blendMode = 0;
  double opacity = 1.0;
  bool visible = true;
};

// Builds the flat layer list from records in file order (bottom first):
// clipped layers are cut to the alpha of the layer they rest on, a
// pass-through group hands its children up, any other group becomes one
// layer of its children composited together.
class PsdLayerStack {
 public:
  PsdLayerStack() : groups_(1) {}
  // The item takes image as its pixels, cut to the base first when clipped.
  // Only `painted` of image may hold colour; the bytes of image in
  // `transparent` (all outside `painted`) are not read. False when memory runs out.
  bool add(PsdLayerItem&& item, bool clipped, Image32& image, const Rect& painted,
           std::span<const ByteRange> transparent = {});
  // A section divider: the records up to the group's own record are its children.
  void openGroup() { groups_.emplace_back(); }
  // The group's own record (its image is ignored). An unopened group is empty.
  bool closeGroup(PsdLayerItem&& group, bool passThrough, bool clipped, int width, int height);
  // Closes what is still open; the layers, bottom first.
  std::vector<PsdLayerItem>& finish();

 private:
  struct Level {
    std::vector<PsdLayerItem> items;
    int base = -1;   // index of the layer clipped layers rest on
  };
  std::vector<Level> groups_;
};

// 0-128 layer opacity from a fraction.
uint8_t layerOpacityFromFraction(double opacity);

}  // namespace tessel
