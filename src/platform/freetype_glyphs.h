#pragma once
#include <memory>
#include <string>

#include "draw/text/glyph_source.h"
#include "draw/text/text_settings.h"

namespace tessel {

// Glyphs of one font face through FreeType, at one pixel size, as 65-level
// grey or 1-bit bitmaps, upright or turned 90 degrees clockwise for vertical
// writing. Bold and italic come from the face itself where it has them,
// else from emboldening and slanting its outlines.
//
// An "@" face ("@Family") in vertical writing takes the font's vertical
// layout instead: ideographs, kana, hangul and full-width forms stand
// upright in their vertical forms with the font's vertical advances and
// origins; everything else is its horizontal glyph turned clockwise.
class FreeTypeGlyphs : public GlyphSource {
 public:
  ~FreeTypeGlyphs() override;
  FreeTypeGlyphs(const FreeTypeGlyphs&) = delete;
  FreeTypeGlyphs& operator=(const FreeTypeGlyphs&) = delete;

  // The font the settings name, at pixelSize pixels per em. Null when no
  // face can be loaded. faceUsed receives the face actually used ("@" kept).
  static std::unique_ptr<FreeTypeGlyphs> open(const TextSettings& settings, int pixelSize,
                                              std::string* faceUsed = nullptr);
  // A given face file, styled as settings say (for tests and the CLI);
  // atFace asks for the "@" face's vertical layout.
  static std::unique_ptr<FreeTypeGlyphs> openFile(const std::string& path, int index,
                                                  const TextSettings& settings, int pixelSize,
                                                  bool faceBold, bool faceItalic,
                                                  bool atFace = false);

  bool glyph(char32_t code, Glyph& out) override;
  int ascent() const override { return ascent_; }
  int height() const override { return height_; }

 private:
  FreeTypeGlyphs() = default;
  bool render(unsigned index, Glyph& out);
  bool turned(char32_t code, Glyph& out);
  bool upright(char32_t code, Glyph& out);
  struct Handles;
  std::unique_ptr<Handles> ft_;
  bool grey_ = false;
  bool vertical_ = false;
  bool verticalLayout_ = false;   // an "@" face written vertically
  long embolden_ = 0;   // outline strength in 26.6 pixels, 0 for none
  int ascent_ = 0;
  int height_ = 0;
};

// Converts one 8-bit coverage value to the 65 grey levels the renderer
// takes, rounded to the nearest level.
inline uint8_t greyLevel(uint8_t coverage) { return uint8_t((coverage * 64 + 127) / 255); }

// True for the characters an "@" face keeps upright in vertical writing:
// CJK ideographs and symbols, kana, hangul, bopomofo and full-width forms.
bool standsUpright(char32_t code);

}  // namespace tessel
