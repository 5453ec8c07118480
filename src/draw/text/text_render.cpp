#include "draw/text/text_render.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "image/image32.h"

namespace tessel {

namespace {

constexpr char16_t kCR = 0x0D, kLF = 0x0A;
constexpr char32_t kSpace = 0x20, kIdeographicSpace = 0x3000;

// The bounding box as inclusive-exclusive corners, starting at the anchor.
struct Bounds {
  int left, top, right, bottom;
  void add(int x, int y, int w, int h) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x + w);
    bottom = std::max(bottom, y + h);
  }
  Rect rect() const { return {left, top, right - left, bottom - top}; }
};

// The next character; a surrogate pair makes one code point.
char32_t nextCode(std::u16string_view text, size_t& i) {
  char32_t c = text[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000)
    c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i++]) - 0xDC00);
  return c;
}

void drawGlyph(Image32& layer, const PixelGate& gate, std::mt19937& unused, const Glyph& g,
               int left, int top, Pixel value, bool grey) {
  const Pixel colour = value & 0xFFFFFFu;
  const uint32_t opacity = alphaOf(value);
  // Only pixels on the layer can change.
  const int y0 = std::max(0, -top), y1 = std::min(g.height, layer.height() - top);
  const int x0 = std::max(0, -left), x1 = std::min(g.width, layer.width() - left);
  for (int gy = y0; gy < y1; ++gy) {
    const uint8_t* row = g.levels.data() + size_t(gy) * size_t(g.width);
    for (int gx = x0; gx < x1; ++gx) {
      uint32_t level = row[gx];
      uint32_t alpha = grey ? (std::min<uint32_t>(level, 64) * opacity) >> 6 : (level ? opacity : 0);
      // A transparent write changes nothing.
      if (alpha == 0) continue;
      applyPixelOp(kPixelOverKeepAlpha, gate, unused, layer, left + gx, top + gy,
                   colour | (alpha << 24));
    }
  }
}

}  // namespace

Rect renderText(Image32& layer, int x, int y, std::u16string_view text, Pixel value,
                GlyphSource& glyphs, const TextSettings& settings, const PixelGate& gate) {
  if (text.empty()) return {};
  const bool vertical = settings.vertical(), grey = settings.antiAlias();
  const int pitch = glyphs.height() + settings.lineSpace;
  const int ascent = glyphs.ascent();
  std::mt19937 unused;   // the operation draws no random numbers
  Bounds box{x, y, x, y};
  int penX = x, penY = y;
  Glyph g;
  for (size_t i = 0; i < text.size();) {
    char32_t c = nextCode(text, i);
    if (c == kCR) {
      if (vertical) {
        penX -= pitch;
        penY = y;
      } else {
        penX = x;
        penY += pitch;
      }
      if (i < text.size() && text[i] == kLF) ++i;
      continue;
    }
    if (!glyphs.glyph(c, g)) continue;
    const bool space = c == kSpace || c == kIdeographicSpace;
    const bool blank = g.width <= 0 || g.height <= 0 ||
                       g.levels.size() < size_t(g.width) * size_t(g.height);
    if (blank && !space) continue;
    if (!space) {
      int left = penX + g.originX;
      int top = vertical ? penY - g.originY : penY + ascent - g.originY;
      drawGlyph(layer, gate, unused, g, left, top, value, grey);
      box.add(left, top, g.width, g.height);
    }
    if (vertical)
      penY += std::abs(g.cellIncY) + settings.charSpace;
    else
      penX += g.cellIncX + settings.charSpace;
  }
  return box.rect();
}

}  // namespace tessel
