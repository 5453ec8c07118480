#pragma once
// The typed reading and writing of the tools' option words ([ToolEnv]).
// Encoders write only the bits their layout owns; every other bit of the
// word is kept, so a word read from a hand-edited config survives an edit.
#include <algorithm>
#include <cstdint>

#include "config/tool_env.h"

namespace tessel {

// How a tool's option word is laid out.
enum class OptionLayout : uint8_t {
  None,
  Pencil,         // tip shape, accumulate
  Pen,            // smoothing and switches
  Percent,        // size and opacity percentages at zero pressure
  PercentWater,   // the same plus the water amount
  Fill,
  Gradient,
};

// Option-word bits.
constexpr uint32_t kPencilAccumulate = 0x8000;
constexpr uint32_t kPenPressureSize = 0x8000;
constexpr uint32_t kPenPressureOpacity = 0x4000;
constexpr uint32_t kPenAntiAlias = 0x2000;
constexpr uint32_t kPenCurve = 0x1000;
constexpr uint32_t kPenSoftTip = 0x0800;

struct PencilOptions {
  int tipShape = 0;   // the raw low byte; the tip builder decides what an unknown index draws
  bool accumulate = false;
};
PencilOptions decodePencil(uint32_t word);
uint32_t encodePencil(const PencilOptions& o, uint32_t word);

struct PenOptions {
  int smoothing = 0;   // earlier samples averaged, the raw low byte
  bool pressureSize = false;
  bool pressureOpacity = false;
  bool antiAlias = false;
  bool curve = false;
  bool softTip = false;
};
PenOptions decodePen(uint32_t word);
uint32_t encodePen(const PenOptions& o, uint32_t word);

// Size and opacity at zero pressure, in percent of the tool's own. The
// fields keep the stored bytes; what a stroke uses goes through sizeAt and
// opacityAt, which read a byte above 100 as 100: more than the tool's own
// would wrap an opacity past 255 and grow dabs past the stroke's rectangle.
struct PercentOptions {
  int minSize = 0;      // bits 8-15
  int minOpacity = 0;   // bits 0-7

  int sizeAt(int size) const { return percentOf(minSize, size); }
  int opacityAt(int opacity) const { return percentOf(minOpacity, opacity); }
  static int percentOf(int percent, int whole) { return std::min(percent, 100) * whole / 100; }
};
PercentOptions decodePercent(uint32_t word);
uint32_t encodePercent(const PercentOptions& o, uint32_t word);

constexpr int kWaterAmounts = 4;   // A-D
// Water amount index 0-3 from bits 16-23; larger stored values mean the last.
int decodeWaterAmount(uint32_t word);
uint32_t encodeWaterAmount(int amount, uint32_t word);

struct FillOptions {
  bool reference = false;      // 0x1 use the reference layers (Alt inverts)
  bool fringe = false;         // 0x2 fill under anti-aliased fringes (Shift inverts)
  bool erase = false;          // 0x4 erasing fill
  bool opaqueRegion = false;   // 0x8 with erasing: the opaque-region mode
};
FillOptions decodeFill(uint32_t word);
uint32_t encodeFill(const FillOptions& o, uint32_t word);

struct GradientOptions {
  int kind = 0;      // colour table 0-4, the raw low byte
  int banding = 0;   // exponent g, bits 8-11
  bool reverse = false;
};
GradientOptions decodeGradient(uint32_t word);
uint32_t encodeGradient(const GradientOptions& o, uint32_t word);

}  // namespace tessel
