#pragma once
#include <cstdint>

namespace tessel {

struct ToolSettings;

constexpr int kMaskSide = 100;
constexpr int kMaskBytes = kMaskSide * kMaskSide;

// Pixel tip shapes selectable for the pencil (low byte of its option word).
enum PixelShapeKind : int {
  kShapeCircle = 0,
  kShapeSquare,
  kShapeDiamond,
  kShapeHLine,
  kShapeVLine,
  kShapeSlash,
  kShapeBackslash,
  kShapeCross,
  kShapePlus,
  kShapeSparkle,
};
constexpr int kPixelShapeCount = 10;

// A brush tip: side n and a coverage mask of which the first n * n bytes are
// used, row-major, row 0 at the top. Pixel tips treat any non-zero byte as set;
// dab tips are always 100 x 100 and get scaled to the dab.
struct BrushShape {
  int side = 1;
  uint8_t mask[kMaskBytes] = {};

  void clear();
  void buildPixelShape(int kind, int n);
  void buildHardDisc();
  void buildSoftDisc();
  void buildLinearDisc(int peak);
  bool isSet(int col, int row) const { return mask[row * side + col] != 0; }
};

// Rebuilds shape for tool: pixel tips on every call (they follow the size),
// the 100 x 100 dab masks only when the tool changed.
void rebuildBrushShape(BrushShape& shape, int tool, bool toolChanged, const ToolSettings& settings);

}  // namespace tessel
