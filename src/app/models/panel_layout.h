#pragma once
#include <array>
#include <cstdint>

#include "app/models/shell_settings.h"
#include "image/geometry.h"

namespace tessel {

// First-start places of the floating panels, from their real outer sizes
// (title bar and frame included): the tools, tool options, palette,
// extended palette and texture panels stand in columns from the right edge
// of area, the layer panel, navigator and image viewer in columns from the
// left edge, each column filled top down. Panels in visibleMask are placed
// first, so they never overlap one another while the area has room; the
// hidden ones follow in the same columns. Every rectangle is then kept
// inside workArea. Rectangles are outer ones (position and size).
std::array<Rect, kPanelCount> firstStartPanelPlaces(const Rect& area, const Rect& workArea,
                                                    const std::array<Rect, kPanelCount>& sizes,
                                                    uint32_t visibleMask);

}  // namespace tessel
