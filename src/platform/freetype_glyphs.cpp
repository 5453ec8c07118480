#include "platform/freetype_glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cstdlib>

#include "platform/font_list.h"

namespace tessel {

namespace {

constexpr FT_Fixed kOne = 0x10000;
constexpr FT_Fixed kObliqueShear = 0x0366A;   // FreeType's own slant, about 12 degrees

// 26.6 to whole pixels, rounded as FreeType's advances are.
int pixels(long v) { return int((v + 32) >> 6); }

// Unicode's vertical presentation forms, for fonts without a vertical
// substitution of their own.
char32_t presentationForm(char32_t c) {
  switch (c) {
    case 0xFF0C: return 0xFE10;   // ，
    case 0x3001: return 0xFE11;   // 、
    case 0x3002: return 0xFE12;   // 。
    case 0xFF1A: return 0xFE13;
    case 0xFF1B: return 0xFE14;
    case 0xFF01: return 0xFE15;
    case 0xFF1F: return 0xFE16;
    case 0x3016: return 0xFE17;
    case 0x3017: return 0xFE18;
    case 0xFF08: return 0xFE35;
    case 0xFF09: return 0xFE36;
    case 0xFF5B: return 0xFE37;
    case 0xFF5D: return 0xFE38;
    case 0x3014: return 0xFE39;
    case 0x3015: return 0xFE3A;
    case 0x3010: return 0xFE3B;
    case 0x3011: return 0xFE3C;
    case 0x300A: return 0xFE3D;
    case 0x300B: return 0xFE3E;
    case 0x3008: return 0xFE3F;
    case 0x3009: return 0xFE40;
    case 0x300C: return 0xFE41;
    case 0x300D: return 0xFE42;
    case 0x300E: return 0xFE43;
    case 0x300F: return 0xFE44;
    default: return 0;
  }
}

// Punctuation that sits in the lower left of the em in horizontal writing
// and in the upper right in vertical writing.
bool cornerPunctuation(char32_t c) { return c == 0x3001 || c == 0x3002 || c == 0xFF0C || c == 0xFF0E; }

// Brackets and the like turn with the line when no vertical form exists.
bool turnsWithoutForm(char32_t c) {
  return (c >= 0x3008 && c <= 0x3017) || c == 0xFF08 || c == 0xFF09 || c == 0xFF5B || c == 0xFF5D;
}

}  // namespace

bool standsUpright(char32_t c) {
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0x2FFF) ||
         (c >= 0x3000 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE10 && c <= 0xFE1F) ||
         (c >= 0xFE30 && c <= 0xFE6F) || (c >= 0xFF01 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1B000 && c <= 0x1B16F) ||
         (c >= 0x1F200 && c <= 0x1F2FF) || (c >= 0x20000 && c <= 0x3FFFF);
}

struct FreeTypeGlyphs::Handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  hb_font_t* shaper = nullptr;
  hb_buffer_t* buffer = nullptr;
  ~Handles() {
    if (buffer) hb_buffer_destroy(buffer);
    if (shaper) hb_font_destroy(shaper);
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

FreeTypeGlyphs::~FreeTypeGlyphs() = default;

std::unique_ptr<FreeTypeGlyphs> FreeTypeGlyphs::open(const TextSettings& settings, int pixelSize,
                                                     std::string* faceUsed) {
  const bool at = !settings.face.empty() && settings.face[0] == '@';
  FontFile file;
  if (!findFont(at ? settings.face.substr(1) : settings.face, settings.bold(), settings.italic(),
                file))
    return nullptr;
  if (faceUsed) *faceUsed = (at ? "@" : "") + file.family;
  return openFile(file.path, file.index, settings, pixelSize, file.bold, file.italic, at);
}

std::unique_ptr<FreeTypeGlyphs> FreeTypeGlyphs::openFile(const std::string& path, int index,
                                                         const TextSettings& settings,
                                                         int pixelSize, bool faceBold,
                                                         bool faceItalic, bool atFace) {
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
  g->verticalLayout_ = g->vertical_ && atFace;
  const FT_Size_Metrics& m = h.face->size->metrics;
  g->ascent_ = int((m.ascender + 63) >> 6);
  g->height_ = g->ascent_ + int((-m.descender + 63) >> 6);
  if (settings.bold() && !faceBold) g->embolden_ = std::max<long>(m.y_ppem * 64 / 24, 32);
  // Slant first, then the turn: in y-up space the advance (1, 0) goes to (0, -1).
  FT_Fixed shear = settings.italic() && !faceItalic ? kObliqueShear : 0;
  FT_Matrix matrix{kOne, shear, 0, kOne};
  // The vertical layout turns its glyphs itself, as whole bitmaps.
  if (g->vertical_ && !g->verticalLayout_) matrix = FT_Matrix{0, kOne, -kOne, -shear};
  FT_Set_Transform(h.face, &matrix, nullptr);
  if (g->verticalLayout_) {
    hb_face_t* face = hb_ft_face_create_referenced(h.face);
    h.shaper = hb_font_create(face);
    hb_face_destroy(face);
    h.buffer = hb_buffer_create();
    if (!hb_buffer_allocation_successful(h.buffer)) return nullptr;
    // Positions in 26.6 pixels.
    const long upem = h.face->units_per_EM;
    hb_font_set_scale(h.shaper, int(FT_MulFix(upem, m.x_scale)), int(FT_MulFix(upem, m.y_scale)));
  }
  return g;
}

// Loads and renders glyph index with the face's transform; the advance is
// the pen's, widened by emboldening.
bool FreeTypeGlyphs::render(unsigned index, Glyph& out) {
  FT_Face face = ft_->face;
  FT_Int32 load = FT_LOAD_NO_BITMAP | (grey_ ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
  if (FT_Load_Glyph(face, index, load) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  FT_Vector advance = slot->advance;
  if (embolden_ && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_EmboldenXY(&slot->outline, embolden_, embolden_);
    if (vertical_ && !verticalLayout_)
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
  out.cellIncX = pixels(advance.x);
  out.cellIncY = pixels(advance.y);
  out.levels.assign(size_t(out.width) * size_t(out.height), 0);
  for (int y = 0; y < out.height; ++y) {
    const unsigned char* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* dst = out.levels.data() + size_t(y) * size_t(out.width);
    for (int x = 0; x < out.width; ++x)
      dst[x] = grey_ ? greyLevel(row[x]) : uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
  }
  return true;
}

bool FreeTypeGlyphs::glyph(char32_t code, Glyph& out) {
  if (verticalLayout_) return standsUpright(code) ? upright(code, out) : turned(code, out);
  FT_UInt index = FT_Get_Char_Index(ft_->face, FT_ULong(code));
  if (index == 0) return false;   // the face has no glyph for it
  return render(index, out);
}

// The horizontal glyph turned 90 degrees clockwise about the pen: its
// baseline runs down the column, its top points right.
bool FreeTypeGlyphs::turned(char32_t code, Glyph& out) {
  FT_UInt index = FT_Get_Char_Index(ft_->face, FT_ULong(code));
  Glyph flat;
  if (index == 0 || !render(index, flat)) return false;
  out.width = flat.height;
  out.height = flat.width;
  out.originX = flat.originY - flat.height;
  out.originY = -flat.originX;
  out.cellIncX = 0;
  out.cellIncY = -flat.cellIncX;
  out.levels.assign(flat.levels.size(), 0);
  for (int y = 0; y < flat.height; ++y)
    for (int x = 0; x < flat.width; ++x)
      out.levels[size_t(x) * size_t(out.width) + size_t(flat.height - 1 - y)] =
          flat.levels[size_t(y) * size_t(flat.width) + size_t(x)];
  return true;
}

// An upright glyph in its vertical form, placed from the font's vertical
// origin (centred on the column) and advanced by its vertical advance.
bool FreeTypeGlyphs::upright(char32_t code, Glyph& out) {
  FT_Face face = ft_->face;
  const FT_UInt plain = FT_Get_Char_Index(face, FT_ULong(code));
  hb_buffer_t* buffer = ft_->buffer;
  hb_buffer_clear_contents(buffer);
  hb_buffer_add_utf32(buffer, reinterpret_cast<const uint32_t*>(&code), 1, 0, 1);
  hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
  hb_buffer_set_language(buffer, hb_language_from_string("zh-cn", -1));
  hb_buffer_guess_segment_properties(buffer);
  // Local forms stay off: the upright glyph is the one horizontal writing shows.
  static const hb_feature_t kFeatures[] = {
      {HB_TAG('v', 'e', 'r', 't'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
      {HB_TAG('v', 'r', 't', '2'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
      {HB_TAG('l', 'o', 'c', 'l'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END}};
  hb_shape(ft_->shaper, buffer, kFeatures, 3);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  FT_UInt index = count > 0 ? info[0].codepoint : 0;
  if (index == 0) return false;   // the face has no glyph for it
  bool corner = false;
  if (index == plain) {
    // No vertical form in the font's own tables.
    if (cornerPunctuation(code)) {
      corner = true;
    } else if (char32_t form = presentationForm(code)) {
      FT_UInt alt = FT_Get_Char_Index(face, FT_ULong(form));
      if (alt != 0)
        index = alt;
      else if (turnsWithoutForm(code))
        return turned(code, out);
    }
  }
  if (!render(index, out)) return false;
  // The column's centre lies midway between the turned glyphs' descent and ascent.
  const int centre = (ascent_ - (height_ - ascent_)) / 2;
  // A horizontal form in the lower left of its em moves to the upper right.
  const int halfEm = out.cellIncX / 2;
  corner = corner && out.originX + out.width <= halfEm && out.originY <= centre;
  hb_position_t originX = 0, originY = 0;
  hb_font_get_glyph_v_origin(ft_->shaper, index, &originX, &originY);
  const hb_position_t advance = hb_font_get_glyph_v_advance(ft_->shaper, index);
  out.originX += centre - pixels(originX);
  out.originY -= pixels(originY);
  out.cellIncX = 0;
  out.cellIncY = pixels(advance - embolden_);
  if (corner) {
    out.originX += halfEm;
    out.originY += std::abs(out.cellIncY) / 2;
  }
  return true;
}

}  // namespace tessel
