#include "platform/freetype_glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "draw/text_render.h"
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

TEST(FreeTypeGlyphs, TheDefaultFaceFallsToAnInstalledChineseFace) {
  FontFile font;
  ASSERT_TRUE(findFont("NSimSun", false, false, font));
  EXPECT_TRUE(font.substituted);
  EXPECT_NE(font.family.find("WenQuanYi"), std::string::npos) << font.family;
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

}  // namespace
}  // namespace tessel
