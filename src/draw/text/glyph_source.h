#pragma once
#include <cstdint>
#include <vector>

namespace tessel {

// One glyph as the renderer places it. Coordinates from the pen, y upwards.
struct Glyph {
  int width = 0, height = 0;       // the bitmap; 0 for an empty one
  int originX = 0, originY = 0;    // top-left of the bitmap from the pen
  int cellIncX = 0, cellIncY = 0;  // the pen's advance
  std::vector<uint8_t> levels;     // width * height, top row first: 0-64, or 0/1 for 1-bit
};

// Where the renderer gets its glyphs: a font at one size, style, format and
// orientation. Tests feed glyphs of their own.
class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  // False when the font has no metrics for the character.
  virtual bool glyph(char32_t code, Glyph& out) = 0;
  virtual int ascent() const = 0;
  // The text height: the line pitch before the line spacing.
  virtual int height() const = 0;
};

}  // namespace tessel
