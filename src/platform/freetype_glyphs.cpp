#include "platform/freetype_glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdlib>

#include "platform/font_list.h"

namespace tessel {

namespace {

constexpr FT_Fixed kOne = 0x10000;
constexpr FT_Fixed kObliqueShear = 0x0366A;   // FreeType's own slant, about 12 degrees

}  // namespace

struct FreeTypeGlyphs::Handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Handles() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

FreeTypeGlyphs::~FreeTypeGlyphs() = default;

std::unique_ptr<FreeTypeGlyphs> FreeTypeGlyphs::open(const TextSettings& settings, int pixelSize,
                                                     std::string* faceUsed) {
  FontFile file;
  if (!findFont(settings.face, settings.bold(), settings.italic(), file)) return nullptr;
  if (faceUsed) *faceUsed = file.family;
  return openFile(file.path, file.index, settings, pixelSize, file.bold, file.italic);
}

std::unique_ptr<FreeTypeGlyphs> FreeTypeGlyphs::openFile(const std::string& path, int index,
                                                         const TextSettings& settings,
                                                         int pixelSize, bool faceBold,
                                                         bool faceItalic) {
  std::unique_ptr<FreeTypeGlyphs> g(new (std::nothrow) FreeTypeGlyphs);
  if (!g) return nullptr;
  g->ft_ = std::make_unique<Handles>();
  Handles& h = *g->ft_;
  if (FT_Init_FreeType(&h.library) != 0) return nullptr;
  if (FT_New_Face(h.library, path.c_str(), index, &h.face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(h.face)) return nullptr;
  pixelSize = std::max(pixelSize, 1);
  if (FT_Set_Pixel_Sizes(h.face, 0, FT_UInt(pixelSize)) != 0) return nullptr;
  g->grey_ = settings.antiAlias();
  g->vertical_ = settings.vertical();
  const FT_Size_Metrics& m = h.face->size->metrics;
  g->ascent_ = int((m.ascender + 63) >> 6);
  g->height_ = g->ascent_ + int((-m.descender + 63) >> 6);
  if (settings.bold() && !faceBold) g->embolden_ = std::max<long>(m.y_ppem * 64 / 24, 32);
  // Slant first, then the turn: in y-up space the advance (1, 0) goes to (0, -1).
  FT_Fixed shear = settings.italic() && !faceItalic ? kObliqueShear : 0;
  FT_Matrix matrix{kOne, shear, 0, kOne};
  if (g->vertical_) matrix = FT_Matrix{0, kOne, -kOne, -shear};
  FT_Set_Transform(h.face, &matrix, nullptr);
  return g;
}

bool FreeTypeGlyphs::glyph(char32_t code, Glyph& out) {
  FT_Face face = ft_->face;
  FT_UInt index = FT_Get_Char_Index(face, FT_ULong(code));
  if (index == 0) return false;   // the face has no glyph for it
  FT_Int32 load = FT_LOAD_NO_BITMAP | (grey_ ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
  if (FT_Load_Glyph(face, index, load) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  FT_Vector advance = slot->advance;
  if (embolden_ && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_EmboldenXY(&slot->outline, embolden_, embolden_);
    if (vertical_)
      advance.y -= embolden_;
    else
      advance.x += embolden_;
  }
  if (FT_Render_Glyph(slot, grey_ ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return false;
  const FT_Bitmap& bm = slot->bitmap;
  out.width = int(bm.width);
  out.height = int(bm.rows);
  out.originX = slot->bitmap_left;
  out.originY = slot->bitmap_top;
  out.cellIncX = int((advance.x + 32) >> 6);
  out.cellIncY = int((advance.y + 32) >> 6);
  out.levels.assign(size_t(out.width) * size_t(out.height), 0);
  for (int y = 0; y < out.height; ++y) {
    const unsigned char* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* dst = out.levels.data() + size_t(y) * size_t(out.width);
    for (int x = 0; x < out.width; ++x)
      dst[x] = grey_ ? greyLevel(row[x]) : uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
  }
  return true;
}

}  // namespace tessel
