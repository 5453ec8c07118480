#include "app/models/layer_rows.h"

#include <algorithm>
#include <cstdio>

#include "document/document.h"
#include "image/image24.h"
#include "resources/language.h"
#include "resources/strings.h"

namespace tessel {

namespace {

using namespace layer_row;

// The fill-reference glyph: a small paint bucket, 9 x 9, top row first.
constexpr uint8_t kBucket[9 * 2] = {
    0x08, 0x00, 0x14, 0x00, 0x22, 0x00, 0x41, 0x00, 0x80, 0x80,
    0x41, 0x80, 0x22, 0x80, 0x14, 0x80, 0x08, 0x00,
};

void drawThumbnail(Image24& dst, int y, const Document& doc, const Layer& layer) {
  Rect t = thumbnailRect(doc.width(), doc.height());
  t.y += y;
  dst.frameRectUnchecked(t.x - 1, t.y - 1, t.w + 2, t.h + 2, kFrame);
  dst.fillChecker(t.x, t.y, t.w, t.h, kChecker0, kChecker1);
  if (const TiledImage* tiles = layer.tiles())
    dst.drawTilesScaled(t.x, t.y, t.w, t.h, *tiles);
  else
    dst.drawImage32Scaled(t.x, t.y, t.w, t.h, layer.image());
}

void drawBoxes(Image24& dst, int y, const Layer& layer) {
  const int by = y + kBoxY;
  dst.fillRect(kVisibleX, by, kBoxSize, kBoxSize, kFrame);
  dst.fillRect(kVisibleX + 1, by + 1, kBoxSize - 2, kBoxSize - 2, 0xFFFFFF);
  if (layer.visible()) {
    dst.fillRect(kVisibleX + 2, by + 2, kBoxSize - 4, kBoxSize - 4, kVisibleMark);
  } else {
    const int l = kVisibleX + 1, t = by + 1, r = l + kBoxSize - 3, b = t + kBoxSize - 3;
    dst.line(l, t, r, b, kFrame);
    dst.line(r, t, l, b, kFrame);
    dst.setPixel(r, b, kFrame);   // line() leaves the end point out
    dst.setPixel(l, b, kFrame);
  }
  const bool fill = layer.fillReference();
  dst.fillRect(kFillX, by, kBoxSize, kBoxSize, kFrame);
  dst.fillRect(kFillX + 1, by + 1, kBoxSize - 2, kBoxSize - 2, fill ? kFillSet : 0xFFFFFF);
  dst.drawBitmap1(kFillX + 2, by + 2, fill ? kGlyphSet : kGlyphClear, kBucket, 9, 9);
}

void drawTexts(Image24& dst, int y, const Layer& layer, bool current, RowTextPainter& text) {
  const int right = dst.width() - 2;
  const std::string name = layerNameToUtf8(layer.name);
  const uint32_t nameColour = current ? kCurrentName : 0x000000;
  if (text.textWidth(name) > dst.width() - 42) {
    text.drawText(dst, Rect{40, y + 1, right - 40, 17}, name, nameColour, true);
  } else {
    text.drawText(dst, Rect{40, y + 3, right - 40, 13}, name, nameColour, false);
  }
  char percent[8];
  std::snprintf(percent, sizeof percent, "%d%%", percentFromOpacity(layer.opacity));
  text.drawText(dst, Rect{71, y + 20, 28, 13}, percent, kOpacityText, false);
  const int mode = std::min<int>(layer.blendMode, kBlendModeCount - 1);
  text.drawText(dst, Rect{99, y + 21, right - 99, 12}, text::tr(text::kBlendModeNames[mode]), 0x000000, false);
}

}  // namespace

Rect thumbnailRect(int width, int height) {
  int w = kThumbW, h = kThumbH;
  if (width > 0 && height > 0) {
    if (int64_t(width) * kThumbH >= int64_t(height) * kThumbW) {
      h = std::max(1, int(int64_t(height) * kThumbW / width));
    } else {
      w = std::max(1, int(int64_t(width) * kThumbH / height));
    }
  }
  // Centred in the thumbnail cell, x 1..36 and 33 pixels from the row's top + 1.
  return {1 + (36 - w) / 2, 1 + (33 - h) / 2, w, h};
}

void drawLayerRow(Image24& dst, int y, const Document& doc, int index, RowTextPainter* text) {
  const Layer* layer = doc.layers().atIndex(index);
  if (!layer || y < 0 || y + kHeight > dst.height() || dst.width() < 100) return;
  const bool current = index == doc.currentIndex();
  const int w = dst.width();
  dst.frameRectUnchecked(0, y, w, kHeight, kFrame);
  dst.fillRect(1, y + 1, w - 2, kHeight - 2, current ? kCurrentBack : kBack);
  drawThumbnail(dst, y, doc, *layer);
  if (text) drawTexts(dst, y, *layer, current, *text);
  drawBoxes(dst, y, *layer);
}

void drawBelowRows(Image24& dst, int y) {
  y = std::max(y, 0);
  if (y < dst.height()) dst.fillRect(0, y, dst.width(), dst.height() - y, kBelowRows);
}

}  // namespace tessel
