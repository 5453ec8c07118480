#pragma once
#include <map>

#include "draw/text/glyph_source.h"

namespace tessel {

// Glyphs a test defines: 'A' a solid 2 x 3 box standing on the baseline,
// 'B' one half-grey pixel, 'H' a 2 x 1 half-grey bar, 'x' an empty bitmap
// that advances, ' ' and U+3000 empty advances; anything else has no metrics.
// Ascent 4, text height 5. In vertical mode the advances turn downwards.
class FakeGlyphs : public GlyphSource {
 public:
  explicit FakeGlyphs(bool vertical = false, uint8_t solid = 64) {
    auto add = [&](char32_t c, Glyph g) {
      if (vertical) {
        g.cellIncY = -g.cellIncX;
        g.cellIncX = 0;
      }
      glyphs[c] = g;
    };
    add(U'A', {2, 3, 0, 3, 3, 0, std::vector<uint8_t>(6, solid)});
    add(U'B', {1, 1, 0, 1, 3, 0, {32}});
    add(U'H', {2, 1, 0, 1, 2, 0, {32, 32}});
    add(U'x', {0, 0, 0, 0, 7, 0, {}});
    add(U' ', {0, 0, 0, 0, 3, 0, {}});
    add(U'\u3000', {0, 0, 0, 0, 5, 0, {}});
  }
  bool glyph(char32_t code, Glyph& out) override {
    auto it = glyphs.find(code);
    if (it == glyphs.end()) return false;
    out = it->second;
    ++asked;
    return true;
  }
  int ascent() const override { return 4; }
  int height() const override { return 5; }

  std::map<char32_t, Glyph> glyphs;
  int asked = 0;
};

}  // namespace tessel
