#pragma once
#include <cstdint>
#include <random>

#include "image/geometry.h"

namespace tessel {

class Image32;
class Progress;
class LayerList;

// Parameters a filter dialog hands to its filter function, in this order.
struct FilterValues {
  int32_t slider[5] = {};
  int32_t check[2] = {};
  int32_t list[2] = {};   // list item position, or a layer index for a layer chooser
};

// What a filter may need beyond its values: colours, the layer stack (for
// filters that read another layer) and the shared random generator.
struct FilterContext {
  Pixel foreground = 0x000000;   // 0x00RRGGBB
  Pixel background = 0xFFFFFF;
  const LayerList* layers = nullptr;
  int currentLayer = 0;
  std::mt19937* random = nullptr;   // the engine's generator; seeded in tests
  uint8_t brushAlpha = 255;          // the current tool's opacity, for the border
};

// Every filter runs from a copy of the layer (src) into the layer (dst), only
// inside rect, stepping progress once per row or block when given.
using FilterFunction = bool (*)(const FilterValues& values, const FilterContext& context,
                                Image32& dst, const Image32& src, const Rect& rect,
                                Progress* progress);

}  // namespace tessel
