#include "platform/freetype_glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "draw/text/text_render.h"
#include "image/image32.h"
#include "platform/font_list.h"

namespace tessel {
namespace {

constexpr int kPixels = 16;

// fontconfig keeps its configuration until told otherwise; the leak checker
// would take it for a leak.
class FontConfigEnd : public ::testing::Environment {
 public:
  void TearDown() override { releaseFontConfig(); }
};
::testing::Environment* const kFontConfigEnd = ::testing::AddGlobalTestEnvironment(new FontConfigEnd);

constexpr Pixel kInk = 0xFF202080;
const std::u16string kText = u"中文 Text";

// What FreeType itself gives for the face, placed as the text tool places
// glyphs: the expected layer for kText at (x, y).
Image32 expectedText(const FontFile& font, bool vertical, bool grey, int x, int y) {
  Image32 out;
  EXPECT_TRUE(out.create(120, 120));
  out.fill(kTransparent);
  FT_Library lib;
  FT_Face face;
  EXPECT_EQ(FT_Init_FreeType(&lib), 0);
  EXPECT_EQ(FT_New_Face(lib, font.path.c_str(), font.index, &face), 0);
  FT_Set_Pixel_Sizes(face, 0, kPixels);
  FT_Matrix turn{0, 0x10000, -0x10000, 0};
  if (vertical) FT_Set_Transform(face, &turn, nullptr);
  int ascent = int((face->size->metrics.ascender + 63) >> 6);
  PixelGate gate;
  std::mt19937 unused;
  int penX = x, penY = y;
  for (char16_t c : kText) {
    FT_Int32 flags = FT_LOAD_RENDER | FT_LOAD_NO_BITMAP |
                     (grey ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    EXPECT_EQ(FT_Load_Char(face, c, flags), 0);
    FT_GlyphSlot g = face->glyph;
    int left = penX + g->bitmap_left;
    int top = vertical ? penY - g->bitmap_top : penY + ascent - g->bitmap_top;
    for (unsigned r = 0; r < g->bitmap.rows; ++r)
      for (unsigned col = 0; col < g->bitmap.width; ++col) {
        const unsigned char* row = g->bitmap.buffer + int(r) * g->bitmap.pitch;
        int alpha = grey ? (row[col] * 64 + 127) / 255 * 255 >> 6
                         : ((row[col / 8] >> (7 - col % 8)) & 1) * 255;
        if (alpha)
          applyPixelOp(kPixelOverKeepAlpha, gate, unused, out, left + int(col), top + int(r),
                       (kInk & 0xFFFFFF) | Pixel(alpha) << 24);
      }
    if (vertical)
      penY += std::abs(int((g->advance.y + 32) >> 6));
    else
      penX += int((g->advance.x + 32) >> 6);
  }
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return out;
}

int differing(const Image32& a, const Image32& b, int& inked) {
  int n = 0;
  inked = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      n += a.at(x, y) != b.at(x, y);
      inked += a.at(x, y) != kTransparent;
    }
  return n;
}

TEST(FreeTypeGlyphs, TheWindowsSongFacesFallToTheInstalledSongFace) {
  FontFile font, song, serif;
  ASSERT_TRUE(findFont("NSimSun", false, false, font));
  ASSERT_TRUE(findFont("SimSun", false, false, song));
  ASSERT_TRUE(findFont("serif", false, false, serif));
  EXPECT_TRUE(font.substituted);
  EXPECT_EQ(font.path, serif.path);
  EXPECT_EQ(font.index, serif.index);
  EXPECT_EQ(song.family, font.family);
  EXPECT_EQ(font.family.find("WenQuanYi"), std::string::npos) << font.family;
  FontFile exact;
  ASSERT_TRUE(findFont("WenQuanYi Micro Hei", false, false, exact));
  EXPECT_FALSE(exact.substituted);
  EXPECT_EQ(exact.family, "WenQuanYi Micro Hei");
}

TEST(FreeTypeGlyphs, TheFontListHasEachFamilyOnce) {
  std::vector<FontFamily> families = fontFamilies();
  std::set<std::string> names;
  for (const FontFamily& f : families) {
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    EXPECT_TRUE(f.charSet == 1 || f.charSet == 2);
  }
  EXPECT_EQ(names.count("WenQuanYi Micro Hei"), 1u);
  // Each family with Chinese glyphs is followed by its "@" twin; Latin ones are not.
  for (size_t i = 0; i < families.size(); ++i) {
    const std::string& name = families[i].name;
    if (name == "WenQuanYi Micro Hei") {
      ASSERT_LT(i + 1, families.size());
      EXPECT_EQ(families[i + 1].name, "@WenQuanYi Micro Hei");
    }
    if (name[0] == '@') EXPECT_EQ(families[i - 1].name, name.substr(1));
  }
  EXPECT_EQ(names.count("@DejaVu Sans"), 0u);
}

TEST(FreeTypeGlyphs, ChineseAndLatinTextMatchesFreeTypesOwnBitmaps) {
  FontFile font;
  ASSERT_TRUE(findFont("WenQuanYi Micro Hei", false, false, font));
  for (int mode = 0; mode < 4; ++mode) {
    bool vertical = mode & 1, grey = mode & 2;
    TextSettings settings;
    settings.flags = (vertical ? kTextVertical : 0) | (grey ? kTextAntiAlias : 0);
    auto glyphs = FreeTypeGlyphs::openFile(font.path, font.index, settings, kPixels, false, false);
    ASSERT_TRUE(glyphs);
    Image32 layer;
    ASSERT_TRUE(layer.create(120, 120));
    layer.fill(kTransparent);
    int x = vertical ? 60 : 4, y = vertical ? 2 : 40;
    Rect box = renderText(layer, x, y, kText, kInk, *glyphs, settings, PixelGate{});
    int inked = 0;
    EXPECT_EQ(differing(layer, expectedText(font, vertical, grey, x, y), inked), 0) << mode;
    EXPECT_GT(inked, 60) << mode;
    EXPECT_GT(vertical ? box.h : box.w, 3 * kPixels) << mode;   // two ideographs, a space, four letters
  }
}

TEST(FreeTypeGlyphs, MissingCharactersHaveNoMetricsAndBoldWidens) {
  TextSettings settings;
  settings.face = "WenQuanYi Micro Hei";
  settings.flags = kTextAntiAlias;
  auto plain = FreeTypeGlyphs::open(settings, kPixels);
  settings.flags |= kTextBold | kTextItalic;
  std::string used;
  auto bold = FreeTypeGlyphs::open(settings, kPixels, &used);
  ASSERT_TRUE(plain && bold);
  EXPECT_EQ(used, "WenQuanYi Micro Hei");
  Glyph g, b;
  EXPECT_FALSE(plain->glyph(U'\U0010FFFD', g));
  ASSERT_TRUE(plain->glyph(U'中', g));
  ASSERT_TRUE(bold->glyph(U'中', b));
  EXPECT_GT(b.cellIncX, g.cellIncX);
  EXPECT_GT(b.width, g.width);
  EXPECT_GT(plain->height(), plain->ascent());
}

// Glyphs of an installed family, horizontal and in its "@" face's vertical
// layout; false when the family is not installed.
bool openPair(const std::string& family, bool grey, int pixels,
              std::unique_ptr<FreeTypeGlyphs>& flat, std::unique_ptr<FreeTypeGlyphs>& upright) {
  FontFile font;
  if (!findFont(family, false, false, font) || font.substituted) return false;
  TextSettings s;
  s.flags = grey ? kTextAntiAlias : 0;
  flat = FreeTypeGlyphs::openFile(font.path, font.index, s, pixels, false, false);
  s.flags |= kTextVertical;
  upright = FreeTypeGlyphs::openFile(font.path, font.index, s, pixels, false, false, true);
  return flat && upright;
}

constexpr const char* kSong = "AR PL UMing CN";   // fonts-arphic-uming

TEST(FreeTypeGlyphs, AnAtFaceKeepsIdeographsUprightAndTurnsLatinClockwise) {
  // Japanese and Korean faces too: their upright ideographs keep their own forms.
  for (int face = 0; face < 6; ++face) {
    const bool grey = face & 1;
    const char* family = (const char*[]){kSong, "Noto Sans CJK JP", "Noto Serif CJK KR"}[face / 2];
    std::unique_ptr<FreeTypeGlyphs> flat, upright;
    if (!openPair(family, grey, 24, flat, upright)) {
      if (face < 2) GTEST_SKIP() << kSong << " is not installed";
      continue;
    }
    Glyph h, v;
    ASSERT_TRUE(flat->glyph(U'文', h));
    ASSERT_TRUE(upright->glyph(U'文', v));
    EXPECT_EQ(v.width, h.width);
    EXPECT_EQ(v.height, h.height);
    EXPECT_EQ(v.levels, h.levels);
    // Within the column the turned glyphs fill: descent left of the pen, ascent right.
    const int descent = upright->height() - upright->ascent();
    EXPECT_GE(v.originX, -descent);
    EXPECT_LE(v.originX + v.width, upright->ascent());
    EXPECT_LE(v.originY, 0);   // below the pen
    ASSERT_TRUE(flat->glyph(U'A', h));
    ASSERT_TRUE(upright->glyph(U'A', v));
    ASSERT_EQ(v.width, h.height);
    ASSERT_EQ(v.height, h.width);
    for (int y = 0; y < h.height; ++y)
      for (int x = 0; x < h.width; ++x)
        ASSERT_EQ(v.levels[size_t(x * v.width + h.height - 1 - y)], h.levels[size_t(y * h.width + x)]);
    EXPECT_EQ(v.originX, h.originY - h.height);   // the baseline runs down the pen's column
    EXPECT_EQ(v.originY, -h.originX);
    EXPECT_EQ(v.cellIncY, -h.cellIncX);
  }
}

// FreeType's own vertical advance of a character, from the font's vmtx.
int verticalAdvance(const std::string& family, char32_t c, int pixels) {
  FontFile font;
  EXPECT_TRUE(findFont(family, false, false, font));
  FT_Library lib;
  FT_Face face;
  EXPECT_EQ(FT_Init_FreeType(&lib), 0);
  EXPECT_EQ(FT_New_Face(lib, font.path.c_str(), font.index, &face), 0);
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
  EXPECT_EQ(FT_Load_Char(face, c, FT_LOAD_VERTICAL_LAYOUT | FT_LOAD_NO_HINTING), 0);
  int advance = int((face->glyph->linearVertAdvance + 0x8000) >> 16);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  return advance;
}

TEST(FreeTypeGlyphs, AnAtFaceAdvancesByTheFontsVerticalMetrics) {
  for (int size : {12, 17, 40}) {
    std::unique_ptr<FreeTypeGlyphs> flat, upright;
    if (!openPair(kSong, true, size, flat, upright)) GTEST_SKIP() << kSong << " is not installed";
    Glyph g;
    for (char32_t c : {U'文', U'。', U'\u3000', U'か'}) {
      ASSERT_TRUE(upright->glyph(c, g));
      EXPECT_EQ(-g.cellIncY, verticalAdvance(kSong, c, size)) << size << " " << unsigned(c);
      EXPECT_EQ(g.cellIncX, 0);
    }
    // Noto's vertical kana repeat mark is one em wide and two ems tall.
    const char* noto = "Noto Serif CJK SC";
    if (!openPair(noto, true, size, flat, upright)) continue;
    Glyph h;
    ASSERT_TRUE(flat->glyph(U'\u3031', h));
    ASSERT_TRUE(upright->glyph(U'\u3031', g));
    EXPECT_EQ(h.cellIncX, size);
    EXPECT_EQ(-g.cellIncY, 2 * size);
    EXPECT_EQ(-g.cellIncY, verticalAdvance(noto, U'\u3031', size));
  }
}

// Where a character's ink lies within its em cell, horizontally and in an
// "@" face's column, as the centre of its ink; both cells drawn at (0, 0).
struct CellInk {
  Image32 flat, upright;
  double fx = 0, fy = 0, ux = 0, uy = 0;
};

void centreOf(const Image32& img, double& cx, double& cy) {
  double sx = 0, sy = 0, n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.at(x, y) != kTransparent) sx += x, sy += y, ++n;
  cx = n ? sx / n : -1;
  cy = n ? sy / n : -1;
}

CellInk cellInk(GlyphSource& flat, GlyphSource& upright, char16_t c, int em) {
  CellInk out;
  TextSettings s;
  s.flags = kTextAntiAlias;
  std::u16string text(1, c);
  EXPECT_TRUE(out.flat.create(em, flat.height()));
  out.flat.fill(kTransparent);
  renderText(out.flat, 0, 0, text, kInk, flat, s, PixelGate{});
  s.flags |= kTextVertical;
  EXPECT_TRUE(out.upright.create(upright.height(), em));
  out.upright.fill(kTransparent);
  renderText(out.upright, upright.height() - upright.ascent(), 0, text, kInk, upright, s, PixelGate{});
  centreOf(out.flat, out.fx, out.fy);
  centreOf(out.upright, out.ux, out.uy);
  return out;
}

TEST(FreeTypeGlyphs, AnAtFaceUsesVerticalFormsOfCommaAndFullStop) {
  // Noto's Song face has vertical forms of its own; the UMing comma has
  // none and moves from the lower left of its em to the upper right.
  const std::pair<const char*, std::u16string> cases[] = {{"Noto Serif CJK SC", u"，。"},
                                                          {kSong, u"，"}};
  constexpr int kEm = 32;
  int tried = 0;
  for (const auto& [family, marks] : cases) {
    std::unique_ptr<FreeTypeGlyphs> flat, upright;
    if (!openPair(family, true, kEm, flat, upright)) continue;
    ++tried;
    for (char16_t c : marks) {
      CellInk ink = cellInk(*flat, *upright, c, kEm);
      EXPECT_LT(ink.fx, kEm / 2.0) << family;
      EXPECT_GT(ink.fy, flat->height() / 2.0) << family;
      EXPECT_GT(ink.ux, upright->height() / 2.0) << family;
      EXPECT_LT(ink.uy, kEm / 2.0) << family;
      int differ = 0, inked = 0;
      auto at = [](const Image32& img, int x, int y) {
        return x < img.width() && y < img.height() ? img.at(x, y) : kTransparent;
      };
      const int w = std::max(ink.flat.width(), ink.upright.width());
      const int h = std::max(ink.flat.height(), ink.upright.height());
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          inked += at(ink.flat, x, y) != kTransparent;
          differ += at(ink.flat, x, y) != at(ink.upright, x, y);
        }
      // The ink moved: every pixel of it differs between the two cells.
      EXPECT_GE(differ, inked) << family;
      EXPECT_GT(inked, 0) << family;
    }
  }
  if (tried == 0) GTEST_SKIP() << "neither Noto Serif CJK SC nor " << kSong << " is installed";
}

TEST(FreeTypeGlyphs, WithoutTheAtVerticalWritingStillTurnsEveryGlyph) {
  FontFile font;
  if (!findFont(kSong, false, false, font) || font.substituted) GTEST_SKIP() << kSong;
  TextSettings s;
  s.face = std::string("@") + kSong;
  std::string used;
  auto horizontal = FreeTypeGlyphs::open(s, kPixels, &used);
  EXPECT_EQ(used, s.face);
  s.flags = kTextVertical;
  s.face = kSong;
  auto turned = FreeTypeGlyphs::open(s, kPixels);
  ASSERT_TRUE(horizontal && turned);
  Glyph h, v;
  ASSERT_TRUE(horizontal->glyph(U'文', h));   // an "@" face written across is the plain face
  ASSERT_TRUE(turned->glyph(U'文', v));
  EXPECT_NE(v.levels, h.levels);
  EXPECT_EQ(v.cellIncY, -h.cellIncX);
  EXPECT_EQ(v.cellIncX, 0);
}

}  // namespace
}  // namespace tessel
