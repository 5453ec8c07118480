#pragma once
#include <span>

#include "document/blend_modes.h"
#include "image/geometry.h"
#include "image/image32.h"
#include "image/tiled_image.h"

namespace tessel {

class LayerList;
struct Layer;

// Display: one layer onto the composite inside rect (both images the same size,
// rect inside both), integer arithmetic with shifts by 8 for the packed modes.
void compositeDisplayLayer(Image32& composite, const Image32& layer, int mode, int opacity,
                           const Rect& rect, BlendTable& table);
// Plain per-pixel version of the above, kept as the reference the fast path must match.
void compositeDisplayLayerScalar(Image32& composite, const Image32& layer, int mode, int opacity,
                                 const Rect& rect, BlendTable& table);
// Background (checkerboard or 0x00FFFFFF) then every visible layer, bottom up.
void compositeDisplay(Image32& composite, const LayerList& layers, const Rect& rect, bool checker,
                      Pixel checkColour1, Pixel checkColour2, BlendTable& table);

// The same from tiles: the same result as from the flat pixels.
void compositeDisplayTiles(Image32& composite, const TiledImage& layer, int mode, int opacity, const Rect& rect,
                           BlendTable& table);
// One layer as the display compositor sees it: its tiles when it has them, else its flat pixels.
struct DisplayLayer {
  const Image32* image = nullptr;
  int mode = kBlendNormal;
  int opacity = 128;
  const TiledImage* tiles = nullptr;
};
// Background then the given layers (bottom first) inside rect. Works through the
// rectangle in bands of rows so that the composite stays in cache while every
// layer is combined into it; the result is the same as layer after layer.
void compositeDisplayLayers(Image32& composite, std::span<const DisplayLayer> layers, const Rect& rect,
                            bool checker, Pixel checkColour1, Pixel checkColour2, BlendTable& table);

// Opaque: whole layer over an opaque base; destination alpha untouched.
void compositeOpaque(Image32& dst, const Image32& src, int mode, int opacity, BlendTable& table);
// Alpha-aware, double precision; upper mode equal to lower mode blends as Normal.
void compositeAlphaAware(Image32& dst, const Image32& src, int opacityUpper, int modeUpper,
                         int opacityLower, int modeLower);
// Plain over, opacity only.
void compositeOver(Image32& dst, const Image32& src, int opacity);
// The same three with a layer as the source, read from its tiles when it is
// idle. False when the sizes differ or the layer's pixels could not be read.
bool compositeOpaque(Image32& dst, const Layer& src, int mode, int opacity, BlendTable& table);
bool compositeAlphaAware(Image32& dst, const Layer& src, int opacityUpper, int modeUpper, int opacityLower,
                         int modeLower);
bool compositeOver(Image32& dst, const Layer& src, int opacity);
// Combined colour of all visible layers at one pixel (alpha byte not meaningful).
Pixel compositePoint(const LayerList& layers, int x, int y);

}  // namespace tessel
