#pragma once
#include <array>
#include <cstdint>
#include <random>

#include "draw/pixel/pixel_gate.h"
#include "draw/tool/tool_traits.h"
#include "image/geometry.h"
#include "view/canvas_view.h"

namespace tessel {

class Document;

constexpr int kGradientEntries = 512;
using GradientTable = std::array<Pixel, kGradientEntries>;

enum GradientKind : int {
  kGradientForeBack = 0,
  kGradientWhiteBlack = 1,
  kGradientOpaqueClear = 2,
  kGradientRainbow = 3,
  kGradientEffect = 4,
};
constexpr uint32_t kGradReverse = 0x8000;

enum class GradientGeometry { Linear, Radial, Box, Angular };
// The draw type that stands for each geometry, in GradientGeometry order.
constexpr int kGradientGeometryDrawTypes[4] = {
    int(DrawType::Freehand), int(DrawType::Ellipse), int(DrawType::Rectangle),
    int(DrawType::ConcentratedLines)};

// Rectangle draw types give the box, ellipse types the radial, concentrated
// lines the angular gradient, every other type the linear one.
GradientGeometry gradientGeometryOf(int drawType);

// The table of the Grad word's kind with its banding and reversal; c1 is the
// drawing colour, c2 the other one (0x00RRGGBB); every alpha is scaled by
// the opacity.
GradientTable gradientTable(uint32_t grad, Pixel c1, Pixel c2, int opacity);

struct GradientRequest {
  Point start, end;            // image pixels
  uint32_t grad = 0;           // the Grad option word
  int drawType = 0;            // the gradient tool's draw type
  int opacity = 255;
  Pixel c1 = 0, c2 = 0xFFFFFF;
  bool shift = false;          // leave pixels beyond the end unpainted
  bool alt = false;            // wrap the table beyond the end
};

// The table index for pixel (x, y), or -1 for a pixel left unpainted.
class GradientIndexer {
 public:
  explicit GradientIndexer(const GradientRequest& req);
  // False when the geometry paints nothing (a radial or box of zero size).
  bool paints() const { return paints_; }
  int at(int x, int y) const;

 private:
  friend class GradientRows;   // the row-at-a-time path shares the set-up
  int policy(int64_t index) const {
    if (index >= 0 && index <= 511) return int(index);
    if (shift_) return -1;
    if (wrap_) return int(index & 0x1FF);
    return index < 0 ? 0 : 511;
  }

  GradientGeometry geometry_;
  int64_t ax_, ay_, dx_, dy_;
  double length_, boxDiagonal_, theta0_;
  bool shift_, wrap_, paints_ = true;
};

// Paints the whole current layer with PixelOverKeepAlpha through the gate
// (its reference becomes the layer) and records the layer for undo. Returns
// the layer's rectangle, or empty when nothing was painted or recorded.
Rect drawGradient(Document& doc, const PixelGate& gate, std::mt19937& random,
                  const GradientRequest& req);

}  // namespace tessel
