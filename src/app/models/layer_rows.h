#pragma once
#include <cstdint>
#include <string>

#include "image/geometry.h"

namespace tessel {

class Document;
class Image24;

// Text in the layer rows. The window supplies the fonts; tests may pass none.
class RowTextPainter {
 public:
  virtual ~RowTextPainter() = default;
  // Width in pixels of utf8 in the normal font.
  virtual int textWidth(const std::string& utf8) = 0;
  // One line (or, with small, the smaller font broken at words) in colour,
  // on a transparent background, cut to box.
  virtual void drawText(Image24& dst, const Rect& box, const std::string& utf8, uint32_t colour, bool small) = 0;
};

namespace layer_row {
constexpr int kHeight = 35;
constexpr uint32_t kFrame = 0x000000;
constexpr uint32_t kCurrentBack = 0xFFD1C6;
constexpr uint32_t kBack = 0xF8F8F8;
constexpr uint32_t kBelowRows = 0x808080;
constexpr uint32_t kChecker0 = 0xC8C8C8, kChecker1 = 0xE8E8E8;
constexpr uint32_t kCurrentName = 0xDD0000;
constexpr uint32_t kVisibleMark = 0x002080;
constexpr uint32_t kFillSet = 0xFF2DAB;
constexpr uint32_t kGlyphSet = 0xFFFFFF, kGlyphClear = 0xC0C0C0;
constexpr uint32_t kOpacityText = 0x233F6B;
constexpr uint32_t kMarker = 0xFF0000;
// The boxes, relative to the row: x ranges and the shared y range.
constexpr int kVisibleX = 40, kFillX = 55, kBoxY = 19, kBoxSize = 13;
constexpr int kThumbW = 33, kThumbH = 29;
}  // namespace layer_row

// Where the thumbnail of a width x height canvas sits in its row (the
// picture itself, without its frame), y relative to the row's top.
Rect thumbnailRect(int width, int height);

// Draws the row of layer `index` with its top at y, across the whole width
// of dst. Nothing happens when the row does not fit into dst.
void drawLayerRow(Image24& dst, int y, const Document& doc, int index, RowTextPainter* text);
// The list area below the last row, from y down.
void drawBelowRows(Image24& dst, int y);

}  // namespace tessel
