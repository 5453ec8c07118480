#pragma once
// One row per tool: everything that makes a tool differ from the others.
// Code asks the row instead of switching on tool numbers.
#include <cstdint>

#include "draw/tool/option_words.h"
#include "draw/pixel/pixel_gate.h"

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
// The erasers the eraser switch chooses from (the DefErase setting's 0-2).
constexpr int kEraserTools[3] = {kToolEraseHard, kToolErasePen, kToolEraseBrush};

enum class ToolKind : uint8_t { None, Paint, Fill, Gradient, Text, Move, Selection };

// How a painting tool's stroke reaches the layer.
enum class StrokeRoute : uint8_t {
  PixelFreehand,   // pencil, hard eraser
  OnePixelLine,    // 1-pixel line
  Buffered,        // sub-pixel tools through the stroke buffer
  Direct,          // watercolour, blur, dodge, burn: straight into the layer
  Finger,
};

// What the pixel rasteriser puts at each point of a line.
enum class StampKind : uint8_t { Point, Shape, Smudge };

// The brush tip built when the tool is chosen.
enum class TipKind : uint8_t {
  None,
  PencilShape,   // the pixel shape the Pencil word names, at the tool size
  SinglePixel,   // pixel circle of size 1
  PixelCircle,   // pixel circle at the tool size
  PenDisc,       // soft disc when the Pen word asks for it, else hard
  HardDisc,
  LinearDisc,    // linear fall-off from tipPeak
};

// The mouse pointer over the canvas while the tool is idle; the shell maps it.
enum class ToolCursor : uint8_t { Crosshair, Move, Text, Pointer };

// How a painting tool's press draws; stored as this number in the settings.
enum class DrawType : uint8_t {
  Freehand = 0,
  Line = 1,
  Rectangle = 2,
  FilledRectangle = 3,
  Ellipse = 4,
  FilledEllipse = 5,
  Polyline = 6,
  ConcentratedLines = 7,
  Bezier = 8,
  Spline = 9,
};
constexpr int kDrawTypeCount = 10;
constexpr uint16_t kAllDrawTypes = (1u << kDrawTypeCount) - 1;

struct ToolTraits {
  ToolKind kind = ToolKind::None;
  // Freehand strokes (painting tools only).
  StrokeRoute route = StrokeRoute::Buffered;
  StampKind stamp = StampKind::Shape;
  PixelOpIndex stampOp = kPixelReplace;   // of the pixel rasteriser
  PixelOpIndex subPixelOp = kPixelOver;   // of the sub-pixel rasteriser
  double spacing = 0.15;                  // dab distance as a fraction of the size
  bool spacingFromOpacity = false;        // blur: stronger means denser
  bool eraser = false;                    // commits by erasing
  bool shapeDirect = false;               // shapes go straight into the layer
  uint16_t drawTypes = 0;                 // bit per draw type the tool takes
  uint16_t geometryTypes = 0;             // draw types kept as a geometry, set by no key
  // Size and opacity (alpha) at start.
  uint8_t size = 1;
  uint8_t alpha = 255;
  // Option word.
  ToolEnvWord envWord = nullptr;          // the [ToolEnv] word read and edited
  OptionLayout layout = OptionLayout::None;
  uint32_t word = 0;                      // envWord's value at start; without one, the word always used
  TipKind tip = TipKind::None;
  uint8_t tipPeak = 0;
  ToolCursor cursor = ToolCursor::Crosshair;

  constexpr bool painting() const { return kind == ToolKind::Paint; }
  constexpr bool usesSubPixel() const {
    return painting() && (route == StrokeRoute::Buffered || route == StrokeRoute::Direct);
  }
  constexpr bool takesDrawType(int type) const {
    return type >= 0 && type < kDrawTypeCount && ((drawTypes >> type) & 1) != 0;
  }
  // The draw type the tool stores: its own or a geometry.
  constexpr bool keepsDrawType(int type) const {
    return takesDrawType(type) ||
           (type >= 0 && type < kDrawTypeCount && ((geometryTypes >> type) & 1) != 0);
  }
  // The word whose pressure percentages or pen switches feed the tool set-up.
  constexpr bool hasPressureWord() const {
    return layout == OptionLayout::Pen || layout == OptionLayout::Percent ||
           layout == OptionLayout::PercentWater;
  }
  // Percentages the user edits (blur's are fixed).
  constexpr bool editsPercentages() const {
    return envWord && (layout == OptionLayout::Percent || layout == OptionLayout::PercentWater);
  }
  double spacingAt(int opacity) const {
    return spacingFromOpacity ? double(255 - opacity) / 255.0 + 0.01 : spacing;
  }
  // The tool's option word as the tools' settings hold it.
  uint32_t wordIn(const ToolEnv& env) const { return envWord ? env.*envWord : word; }
};

// The row of a tool; numbers outside 0 to kToolCount - 1 get a row that does nothing.
const ToolTraits& toolTraits(int tool);

}  // namespace tessel
