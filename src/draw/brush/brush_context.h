#pragma once
#include <cstdint>

#include "draw/pixel/pixel_gate.h"
#include "image/geometry.h"

namespace tessel {

struct BrushShape;

// What every pixel operation of a stroke reads: the drawing conditions (the
// gate) and the tool's sizes, opacities and flags.
struct BrushContext : PixelGate {
  const BrushShape* shape = nullptr;
  int32_t maxSize = 1, minSize = 1;     // pixels at pressure 1 and 0
  int32_t maxOpacity = 255, minOpacity = 255;
  int32_t smoothing = 1;                // earlier samples averaged with the newest
  int32_t pixelOp = 1;                  // PixelOp of the sub-pixel rasteriser
  double spacing = 0.15;                // dab distance as a fraction of the size
  double pickUpRate = 0.0, refillRate = 0.0;
  uint16_t antiAlias = 1, curve = 0, watercolour = 0;
  uint32_t colour = 0;                  // 0x00RRGGBB
};

}  // namespace tessel
