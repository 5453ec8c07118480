#pragma once
#include <cstdint>

#include "image/geometry.h"

namespace tessel {

// Tool numbers in the order of the tool-name strings.
enum ToolId : int {
  kToolPencil = 0,
  kToolLine = 1,
  kToolPen = 2,
  kToolPen2 = 3,
  kToolBrush = 4,
  kToolWatercolour = 5,
  kToolAirbrush = 6,
  kToolEraseHard = 7,
  kToolErasePen = 8,
  kToolEraseBrush = 9,
  kToolBlur = 10,
  kToolFinger = 11,
  kToolDodge = 12,
  kToolBurn = 13,
  kToolFill = 14,
  kToolGradient = 15,
  kToolText = 16,
  kToolMove = 17,
  kToolSelection = 18,
};
constexpr int kToolCount = 19;

constexpr bool isPaintingTool(int tool) { return tool >= 0 && tool <= kToolBurn; }
// Every painting tool but the pencil, the 1-pixel line, the hard eraser and the finger.
constexpr bool usesSubPixel(int tool) {
  return isPaintingTool(tool) && tool != kToolPencil && tool != kToolLine &&
         tool != kToolEraseHard && tool != kToolFinger;
}
// Shapes of these tools go straight into the layer.
constexpr bool shapeDrawsDirect(int tool) { return tool >= kToolBlur && tool <= kToolBurn; }

// Option-word bits.
constexpr uint32_t kPencilAccumulate = 0x8000;
constexpr uint32_t kPenPressureSize = 0x8000;
constexpr uint32_t kPenPressureOpacity = 0x4000;
constexpr uint32_t kPenAntiAlias = 0x2000;
constexpr uint32_t kPenCurve = 0x1000;
constexpr uint32_t kPenSoftTip = 0x0800;

// The [ToolEnv] option words with their defaults.
struct ToolEnv {
  uint32_t pencil = 0;         // low byte: tip shape 0-9; 0x8000 accumulate
  uint32_t pen = 0xA004;       // low byte: smoothing; pressure, anti-alias, curve, soft tip bits
  uint32_t pen2 = 0;           // high byte: size % at zero pressure; low byte: opacity %
  uint32_t brush = 0x3C00;
  uint32_t erasePen = 0x1E64;
  uint32_t eraseBrush = 0x3C00;
  uint32_t splay = 0x1E00;
  uint32_t dodge = 0x3C3C;
  uint32_t burn = 0x3C3C;
  uint32_t water = 0x11400;    // as pen 2, plus bits 16-23: water amount 0-3 (A-D)
  uint32_t paint = 1;          // fill tool
  uint32_t grad = 0;           // gradient tool
};

// Per-tool size, opacity and draw type, indexed by ToolId.
struct ToolSettings {
  uint8_t size[kToolCount] = {1, 1, 8, 30, 30, 30, 10, 1, 30, 30, 20, 20, 30, 30, 1, 1, 1, 1, 1};
  uint8_t alpha[kToolCount] = {255, 255, 255, 255, 255, 100, 255, 255, 255, 64,
                               64,  64,  64,  64,  255, 255, 255, 255, 255};
  uint8_t drawType[kToolCount] = {};
  ToolEnv env;

  // Setters clamp: size 1-100, opacity 1-255. Unknown tools are ignored.
  void setSize(int tool, int value);
  void setAlpha(int tool, int value);
  int sizeOf(int tool) const;
  int alphaOf(int tool) const;
  // The option word that governs the tool's pressure percentages; 0 for tools without one.
  uint32_t optionWord(int tool) const;
};

// Drawing colours, textures and the colour mask ([Draw] section).
struct DrawSettings {
  int toolNo = 0;
  int curColNo = 0;              // 0 selects drawCol1, 1 drawCol2
  Pixel drawCol1 = 0x000000;     // 0x00RRGGBB
  Pixel drawCol2 = 0xFFFFFF;
  uint32_t colMaskType = 0;      // 0 off, 1 protect listed colours, 2 paint only on them
  int colMaskCnt = 1;            // 1-5
  uint32_t maskCol[5] = {};
  bool textureOn = false;
  int textureSel = 0;

  Pixel drawingColour() const { return (curColNo == 1 ? drawCol2 : drawCol1) & 0xFFFFFFu; }
};

}  // namespace tessel
