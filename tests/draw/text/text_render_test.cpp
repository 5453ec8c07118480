#include "draw/text/text_render.h"

#include <gtest/gtest.h>

#include "draw/text/text_settings.h"
#include "fake_glyphs.h"
#include "image/image32.h"

namespace tessel {
namespace {

constexpr Pixel kInk = 0xFF123456;

struct TextRig {
  Image32 layer;
  PixelGate gate;
  TextSettings settings;
  TextRig() {
    EXPECT_TRUE(layer.create(40, 40));
    layer.fill(kTransparent);
    settings.flags = kTextAntiAlias;
  }
  Rect draw(std::u16string_view text, Pixel value = kInk, bool vertical = false) {
    if (vertical) settings.flags |= kTextVertical;
    FakeGlyphs glyphs(vertical);
    return renderText(layer, 10, 10, text, value, glyphs, settings, gate);
  }
  // The pixels of an 'A' whose box starts at (x, y) are all ink.
  bool solidA(int x, int y) const {
    for (int dy = 0; dy < 3; ++dy)
      for (int dx = 0; dx < 2; ++dx)
        if (layer.getPixel(x + dx, y + dy) != kInk) return false;
    return true;
  }
  int inked() const {
    int n = 0;
    for (int y = 0; y < layer.height(); ++y)
      for (int x = 0; x < layer.width(); ++x) n += layer.getPixel(x, y) != kTransparent;
    return n;
  }
};

TEST(TextRender, PlacesGlyphsOnTheBaselineAndBoundsThemWithTheAnchor) {
  TextRig r;
  Rect box = r.draw(u"AB");
  EXPECT_TRUE(r.solidA(10, 11));                       // top = y + ascent - origin y
  EXPECT_EQ(r.layer.getPixel(13, 13), 0x7F123456u);    // grey 32 x 255 >> 6 = 127
  EXPECT_EQ(r.inked(), 7);
  EXPECT_EQ(box, (Rect{10, 10, 4, 4}));
}

TEST(TextRender, EmptyTextDrawsNothing) {
  TextRig r;
  EXPECT_TRUE(r.draw(u"").empty());
  EXPECT_EQ(r.inked(), 0);
}

TEST(TextRender, LineBreaksReturnToTheAnchorAndSkipTheLfAfterCr) {
  TextRig r;
  r.settings.lineSpace = 1;
  Rect box = r.draw(u"A\r\nA\rA");
  EXPECT_TRUE(r.solidA(10, 11));
  EXPECT_TRUE(r.solidA(10, 17));   // one text height plus the spacing lower
  EXPECT_TRUE(r.solidA(10, 23));
  EXPECT_EQ(r.inked(), 18);
  EXPECT_EQ(box, (Rect{10, 10, 2, 16}));
}

TEST(TextRender, SpacesAdvanceAndGlyphlessCharactersTakeNoRoom) {
  TextRig r;
  r.draw(u"A A\u3000A");
  EXPECT_TRUE(r.solidA(16, 11));   // 3 + space 3
  EXPECT_TRUE(r.solidA(24, 11));   // + 3 + ideographic space 5
  TextRig q;
  q.draw(u"AxzA");                 // empty bitmap and no metrics: no advance
  EXPECT_TRUE(q.solidA(13, 11));
  EXPECT_EQ(q.inked(), 12);
}

TEST(TextRender, NegativeCharacterSpacingOverlaps) {
  TextRig r;
  r.settings.charSpace = -1;
  r.draw(u"HH");   // the second bar starts one pixel back on the first's last pixel
  EXPECT_EQ(r.layer.getPixel(10, 13), 0x7F123456u);
  EXPECT_EQ(r.layer.getPixel(11, 13), 0xBF123456u);   // 127 over 127 = 190.75, rounded
  EXPECT_EQ(r.layer.getPixel(12, 13), 0x7F123456u);
}

TEST(TextRender, LineSpacingOfMinusTheHeightKeepsOneBaseline) {
  TextRig r;
  r.settings.lineSpace = -5;
  Rect box = r.draw(u"A\rA");
  EXPECT_TRUE(r.solidA(10, 11));
  EXPECT_EQ(r.inked(), 6);
  EXPECT_EQ(box, (Rect{10, 10, 2, 4}));
}

TEST(TextRender, VerticalLinesRunDownwardsAndFromRightToLeft) {
  TextRig r;
  r.settings.lineSpace = 2;
  r.settings.charSpace = 1;
  Rect box = r.draw(u"AA\r\nA", kInk, true);
  EXPECT_TRUE(r.solidA(10, 7));    // top = y - origin y
  EXPECT_TRUE(r.solidA(10, 11));   // |cell increment y| 3 + spacing 1
  EXPECT_TRUE(r.solidA(3, 7));     // the next line 5 + 2 to the left
  EXPECT_EQ(r.inked(), 18);
  EXPECT_EQ(box, (Rect{3, 7, 9, 7}));
}

TEST(TextRender, AlphaIsGreyTimesOpacityOrOpacityForOneBit) {
  TextRig grey;
  grey.draw(u"B", 0x64123456);   // 32 x 100 >> 6 = 50
  EXPECT_EQ(grey.layer.getPixel(10, 13), 0x32123456u);
  TextRig mono;
  mono.settings.flags = 0;
  FakeGlyphs bits(false, 1);
  renderText(mono.layer, 10, 10, u"A", 0xC8123456, bits, mono.settings, mono.gate);
  EXPECT_EQ(mono.layer.getPixel(10, 11), 0xC8123456u);   // the opacity itself
  EXPECT_EQ(mono.layer.getPixel(11, 13), 0xC8123456u);
  TextRig faint;
  FakeGlyphs level1(false, 1);
  renderText(faint.layer, 10, 10, u"A", kInk, level1, faint.settings, faint.gate);
  EXPECT_EQ(faint.layer.getPixel(10, 11), 0x03123456u);   // 1 x 255 >> 6
}

TEST(TextRender, ClipsAtTheLayerEdgesAndKeepsTheWholeBox) {
  TextRig r;
  FakeGlyphs glyphs;
  Rect box = renderText(r.layer, -1, 37, u"A", kInk, glyphs, r.settings, r.gate);
  EXPECT_EQ(box, (Rect{-1, 37, 2, 4}));
  EXPECT_EQ(r.layer.getPixel(0, 38), kInk);
  EXPECT_EQ(r.layer.getPixel(0, 39), kInk);
  EXPECT_EQ(r.inked(), 2);
}

TEST(TextRender, ASurrogatePairIsOneCharacter) {
  TextRig r;
  FakeGlyphs glyphs;
  glyphs.glyphs[U'\U0001F600'] = glyphs.glyphs[U'A'];
  renderText(r.layer, 10, 10, u"\U0001F600", kInk, glyphs, r.settings, r.gate);
  EXPECT_EQ(glyphs.asked, 1);
  EXPECT_TRUE(r.solidA(10, 11));
}

TEST(TextRender, TheGateDecidesWhichPixelsChange) {
  TextRig r;
  *r.layer.pixelAddress(10, 11) = 0xFF000000;
  r.gate.reference = &r.layer;
  r.gate.maskMode = kMaskTransparent;   // only where the reference is opaque
  r.draw(u"A");
  EXPECT_EQ(r.layer.getPixel(10, 11), kInk);
  EXPECT_EQ(r.inked(), 1);
}

TEST(TextSettings, PointsToPixelsRoundAsMulDivAndReadTheTextSection) {
  TextSettings t;
  t.size = 12;
  EXPECT_EQ(t.pixelSize(96), 16);
  t.size = 11;
  EXPECT_EQ(t.pixelSize(96), 15);   // 14.67 rounds up
  t.size = 0;
  EXPECT_EQ(t.pixelSize(96), 1);    // 0 counts as 1 point: 1.33 rounds down
  Settings s;
  s.fontName = "SimHei";
  s.fontSize = 30;
  s.charSpace = -900;
  s.textFlag = 0x10D;
  TextSettings read = TextSettings::from(s);
  EXPECT_EQ(read.face, "SimHei");
  EXPECT_EQ(read.charSpace, -500);
  EXPECT_TRUE(read.bold() && read.vertical() && read.antiAlias() && read.preview());
  Settings back;
  read.storeInto(back);
  EXPECT_EQ(back.fontSize, 30);
  EXPECT_EQ(back.textFlag, 0x10D);
}

}  // namespace
}  // namespace tessel
