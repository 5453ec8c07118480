#pragma once
#include <string_view>

#include "draw/text/glyph_source.h"
#include "draw/pixel/pixel_gate.h"
#include "draw/text/text_settings.h"
#include "image/geometry.h"

namespace tessel {

class Image32;

// Writes text (UTF-16, lines ended by CR or CR LF) with its pen starting at
// (x, y) into layer through gate, each glyph pixel source-over with value's
// colour and alpha scaled by the glyph's level. Vertical writing, the
// spacings and the glyph format (65-level grey or 1-bit) come from settings.
// Returns the rectangle the glyph boxes cover (empty when nothing was drawn).
Rect renderText(Image32& layer, int x, int y, std::u16string_view text, Pixel value,
                GlyphSource& glyphs, const TextSettings& settings, const PixelGate& gate);

}  // namespace tessel
