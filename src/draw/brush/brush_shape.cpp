#include "draw/brush/brush_shape.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "draw/tool/tool_settings.h"

namespace tessel {

namespace {

constexpr uint8_t kSet = 255;

// Sets row `row`, columns from..to inclusive, ignoring anything outside n x n.
void fillRow(BrushShape& s, int row, int from, int to) {
  if (row < 0 || row >= s.side) return;
  from = std::max(from, 0);
  to = std::min(to, s.side - 1);
  for (int c = from; c <= to; ++c) s.mask[row * s.side + c] = kSet;
}

void setAt(BrushShape& s, int row, int col) {
  if (row >= 0 && row < s.side && col >= 0 && col < s.side) s.mask[row * s.side + col] = kSet;
}

// Filled midpoint circle, four spans per step.
void buildCircle(BrushShape& s, int n) {
  if (n == 1) {
    s.mask[0] = kSet;
    return;
  }
  int b = n / 2 - (n % 2 == 0 ? 1 : 0);
  int c = n - 1, d = 3 - 2 * b, i = 0, j = 0, count = b;
  while (j <= count) {
    fillRow(s, i, b, n / 2 + j);
    fillRow(s, b, i, c);
    fillRow(s, n / 2 + j, i, c);
    fillRow(s, c, b, n / 2 + j);
    if (d < 0) {
      d += 4 * j + 6;
    } else {
      d += 4 * j + 10 - 4 * count;
      c -= 1;
      i += 1;
      count -= 1;
    }
    b -= 1;
    j += 1;
  }
}

void buildDiamond(BrushShape& s, int n) {
  int h = n / 2;
  int a = h - (n % 2 == 0 ? 1 : 0);
  int b = a;
  for (int i = 0; i < h; ++i) {
    fillRow(s, i, b, h + i);
    fillRow(s, n - 1 - i, b, h + i);
    b -= 1;
  }
  if (n % 2 == 1) fillRow(s, a, 0, n - 1);
}

void buildLines(BrushShape& s, int kind, int n) {
  bool horizontal = kind == kShapeHLine || kind == kShapePlus || kind == kShapeSparkle;
  bool vertical = kind == kShapeVLine || kind == kShapePlus || kind == kShapeSparkle;
  bool slash = kind == kShapeSlash || kind == kShapeCross;
  bool backslash = kind == kShapeBackslash || kind == kShapeCross;
  for (int i = 0; i < n; ++i) {
    if (horizontal) setAt(s, n / 2, i);
    if (vertical) setAt(s, i, n / 2);
    if (slash) setAt(s, i, n - 1 - i);
    if (backslash) setAt(s, i, i);
  }
  if (kind == kShapeSparkle) {
    int c = n / 2;
    for (int i = 0; i < n / 3; ++i) {
      setAt(s, c - i, c - i);
      setAt(s, c + i, c + i);
      setAt(s, c - i, c + i);
      setAt(s, c + i, c - i);
    }
  }
}

}  // namespace

void BrushShape::clear() { std::memset(mask, 0, sizeof mask); }

void BrushShape::buildPixelShape(int kind, int n) {
  clear();
  side = std::clamp(n, 1, kMaskSide);
  n = side;
  switch (kind) {
    case kShapeSquare: std::memset(mask, kSet, size_t(n) * n); break;
    case kShapeDiamond: buildDiamond(*this, n); break;
    case kShapeHLine:
    case kShapeVLine:
    case kShapeSlash:
    case kShapeBackslash:
    case kShapeCross:
    case kShapePlus:
    case kShapeSparkle: buildLines(*this, kind, n); break;
    default: buildCircle(*this, n); break;   // 0, and any unknown index
  }
}

// 5 x 5 samples per mask pixel in 1/256 px; a sample inside the radius counts.
void BrushShape::buildHardDisc() {
  clear();
  side = kMaskSide;
  static constexpr int kOff[5] = {0, 51, 102, 153, 204};
  constexpr int64_t kCentre = 12672, kR2 = 160579584;
  for (int row = 0; row < kMaskSide; ++row) {
    for (int col = 0; col < kMaskSide; ++col) {
      int inside = 0;
      for (int sy : kOff) {
        int64_t dy = int64_t(row) * 256 + sy - kCentre;
        for (int sx : kOff) {
          int64_t dx = int64_t(col) * 256 + sx - kCentre;
          if (dx * dx + dy * dy < kR2) ++inside;
        }
      }
      mask[row * kMaskSide + col] = uint8_t(255 * inside / 25);
    }
  }
}

// Quadratic fall-off from 255 at the centre to 64 at the rim, 1/64 px samples.
void BrushShape::buildSoftDisc() {
  clear();
  side = kMaskSide;
  static constexpr int kOff[5] = {0, 12, 25, 38, 51};
  constexpr int64_t kCentre = 3168, kR2 = 10036224, kEdge = 64;
  for (int row = 0; row < kMaskSide; ++row) {
    for (int col = 0; col < kMaskSide; ++col) {
      int64_t sum = 0;
      for (int sy : kOff) {
        int64_t dy = int64_t(row) * 64 + sy - kCentre;
        for (int sx : kOff) {
          int64_t dx = int64_t(col) * 64 + sx - kCentre;
          int64_t d2 = dx * dx + dy * dy;
          if (d2 <= kR2) sum += kEdge + (kR2 - d2) * (255 - kEdge) / kR2;
        }
      }
      mask[row * kMaskSide + col] = uint8_t(sum / 25);
    }
  }
}

void BrushShape::buildLinearDisc(int peak) {
  clear();
  side = kMaskSide;
  for (int row = 0; row < kMaskSide; ++row) {
    for (int col = 0; col < kMaskSide; ++col) {
      double dx = col - 49.5, dy = row - 49.5;
      double d = std::sqrt(dx * dx + dy * dy);
      if (d < 49.5) mask[row * kMaskSide + col] = uint8_t(peak - int(d * peak / 49.5));
    }
  }
}

void rebuildBrushShape(BrushShape& shape, int tool, bool toolChanged, const ToolSettings& settings) {
  const ToolTraits& row = toolTraits(tool);
  int size = settings.sizeOf(tool);
  switch (row.tip) {
    case TipKind::PencilShape:
      shape.buildPixelShape(decodePencil(row.wordIn(settings.env)).tipShape, size);
      return;
    case TipKind::SinglePixel: shape.buildPixelShape(kShapeCircle, 1); return;
    case TipKind::PixelCircle: shape.buildPixelShape(kShapeCircle, size); return;
    default: break;
  }
  if (!toolChanged) return;
  switch (row.tip) {
    case TipKind::PenDisc:
      if (decodePen(row.wordIn(settings.env)).softTip) shape.buildSoftDisc();
      else shape.buildHardDisc();
      break;
    case TipKind::LinearDisc: shape.buildLinearDisc(row.tipPeak); break;
    case TipKind::HardDisc: shape.buildHardDisc(); break;
    default: break;   // fill, gradient, text, move and selection have no tip
  }
}

}  // namespace tessel
