#include <gtest/gtest.h>

#include "draw/brush/brush_engine.h"
#include "image/image32.h"

namespace tessel {
namespace {

class PixelOpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(engine.init(1234u));
    ASSERT_TRUE(img.create(4, 4));
    ASSERT_TRUE(ref.create(4, 4));
    img.fill(kTransparent);
    ref.fill(0xFF000000u);
    engine.context().reference = &ref;
  }
  Pixel apply(int op, Pixel dst, Pixel value) {
    img.set(1, 1, dst);
    engine.applyPixelOp(op, img, 1, 1, value);
    return img.at(1, 1);
  }
  BrushEngine engine;
  Image32 img, ref;
};

TEST_F(PixelOpTest, ReplaceAndOverFollowTheArithmetic) {
  EXPECT_EQ(apply(kPixelReplace, 0xFF00FF00u, 0x400000FFu), 0x400000FFu);
  EXPECT_EQ(apply(kPixelReplace, 0xFF00FF00u, 0x000000FFu), kTransparent);
  // s = 128/255 over opaque green: blue rnd(128.0), green rnd(127.0).
  EXPECT_EQ(apply(kPixelOver, 0xFF00FF00u, 0x800000FFu), 0xFF007F80u);
  // Over nothing the colour is the source's and the alpha its opacity.
  EXPECT_EQ(apply(kPixelOver, kTransparent, 0x800000FFu), 0x800000FFu);
  EXPECT_EQ(apply(kPixelOver, 0x10203040u, 0xFF123456u), 0xFF123456u);
  // Opacity 0 over a transparent pixel has no colour to give: the pixel stays.
  EXPECT_EQ(apply(kPixelOver, kTransparent, 0x00123456u), kTransparent);
  EXPECT_EQ(apply(kPixelOverKeepAlpha, kTransparent, 0x00123456u), kTransparent);
  EXPECT_EQ(apply(kPixelOver, 0x80FF0000u, 0x00123456u), 0x80FF0000u);
}

TEST_F(PixelOpTest, OverKeepAlphaKeepsAlphaOnlyUnderAlphaMask) {
  EXPECT_EQ(apply(kPixelOverKeepAlpha, 0x80FF0000u, 0xFF0000FFu), 0xFF0000FFu);
  engine.context().maskMode = kMaskAlpha;
  EXPECT_EQ(apply(kPixelOverKeepAlpha, 0x80FF0000u, 0xFF0000FFu), 0x800000FFu);
  // PixelOver paints stroke buffers, whose alpha is what the commit reads.
  EXPECT_EQ(apply(kPixelOver, 0x80FF0000u, 0xFF0000FFu), 0xFF0000FFu);
}

TEST_F(PixelOpTest, MaxOnlyRaisesOpacity) {
  EXPECT_EQ(apply(kPixelMax, 0x64FF0000u, 0x630000FFu), 0x64FF0000u);
  EXPECT_EQ(apply(kPixelMax, 0x64FF0000u, 0x640000FFu), 0x640000FFu);
  EXPECT_EQ(apply(kPixelMax, 0x64FF0000u, 0xC80000FFu), 0xC80000FFu);
}

TEST_F(PixelOpTest, DodgeAndBurnLeaveAlpha) {
  // (255 v + 63) / 127 for v = 64, 32, 16.
  EXPECT_EQ(apply(kPixelDodge, 0xFF402010u, 0x80000000u), 0xFF814020u);
  EXPECT_EQ(apply(kPixelDodge, 0x80402010u, 0xFF000000u), 0x80FFFFFFu);
  EXPECT_EQ(apply(kPixelDodge, 0xFFF0F0F0u, 0x80000000u), 0xFFFFFFFFu);
  // t = 384 > 255 gives 0; t = 126 gives 129; t = 0 gives 255.
  EXPECT_EQ(apply(kPixelBurn, 0xFFC0FF40u, 0x80000000u), 0xFF81FF00u);
  EXPECT_EQ(apply(kPixelBurn, 0x40C0FF40u, 0xFF000000u), 0x40000000u);
}

TEST_F(PixelOpTest, EraseLowersAlphaAndClearsAtZero) {
  EXPECT_EQ(apply(kPixelErase, 0xC8112233u, 0x32000000u), 0x96112233u);
  EXPECT_EQ(apply(kPixelErase, 0xC8112233u, 0xC8000000u), kTransparent);
  EXPECT_EQ(apply(kPixelErase, 0xC8112233u, 0xFF000000u), kTransparent);
}

TEST_F(PixelOpTest, PlainOpsIgnoreTheGate) {
  engine.context().maskMode = kMaskOpaque;   // would reject every pixel of ref
  EXPECT_EQ(apply(kPixelSet, 0xFF000000u, 0x12345678u), 0x12345678u);
  EXPECT_EQ(apply(kPixelOverPlain, kTransparent, 0x800000FFu), 0x800000FFu);
  EXPECT_EQ(apply(kPixelOverPlain, 0xFF00FF00u, 0x000000FFu), 0xFF00FF00u);
  EXPECT_EQ(apply(kPixelOver, 0xFF00FF00u, 0xFF0000FFu), 0xFF00FF00u);
  engine.applyPixelOp(kPixelSet, img, 4, 0, 0x11111111u);    // outside: ignored
  engine.applyPixelOp(kPixelSet, img, -1, 2, 0x11111111u);
  engine.applyPixelOp(kPixelOpCount, img, 1, 1, 0x11111111u);  // unknown op
  engine.applyPixelOp(-1, img, 1, 1, 0x11111111u);
  EXPECT_EQ(img.at(1, 1), 0xFF00FF00u);
}

TEST_F(PixelOpTest, GateFollowsMaskModes) {
  ref.set(1, 1, kTransparent);
  int a = 200;
  engine.context().maskMode = kMaskTransparent;
  EXPECT_EQ(engine.gate(img, 1, 1, a), nullptr);
  EXPECT_NE(engine.gate(img, 2, 1, a), nullptr);
  engine.context().maskMode = kMaskOpaque;
  EXPECT_NE(engine.gate(img, 1, 1, a), nullptr);
  EXPECT_EQ(engine.gate(img, 2, 1, a), nullptr);
  engine.context().maskMode = kMaskAlpha;
  EXPECT_NE(engine.gate(img, 1, 1, a), nullptr);
  EXPECT_EQ(engine.gate(img, 4, 1, a), nullptr);
  EXPECT_EQ(engine.gate(img, 0, -1, a), nullptr);
  EXPECT_EQ(a, 200);
}

TEST_F(PixelOpTest, ColourMaskReadsTheReference) {
  ref.set(0, 0, 0xFF102030u);
  ref.set(1, 0, 0x01102030u);   // barely opaque still counts
  ref.set(2, 0, 0x00102030u);   // transparent never matches
  ref.set(3, 0, 0xFF102031u);
  BrushContext& c = engine.context();
  c.colourMaskCount = 2;
  c.maskColours[0] = 0x999999;
  c.maskColours[1] = 0x102030;
  c.maskColours[2] = 0x102031;   // beyond the count: not listed
  int a = 255;
  c.colourMaskMode = kColourMaskProtect;
  EXPECT_EQ(engine.gate(img, 0, 0, a), nullptr);
  EXPECT_EQ(engine.gate(img, 1, 0, a), nullptr);
  EXPECT_NE(engine.gate(img, 2, 0, a), nullptr);
  EXPECT_NE(engine.gate(img, 3, 0, a), nullptr);
  c.colourMaskMode = kColourMaskOnly;
  EXPECT_NE(engine.gate(img, 0, 0, a), nullptr);
  EXPECT_NE(engine.gate(img, 1, 0, a), nullptr);
  EXPECT_EQ(engine.gate(img, 2, 0, a), nullptr);
  EXPECT_EQ(engine.gate(img, 3, 0, a), nullptr);
  // The painted image does not matter, only the reference.
  img.set(3, 0, 0xFF102030u);
  EXPECT_EQ(engine.gate(img, 3, 0, a), nullptr);
}

TEST_F(PixelOpTest, TextureScalesOpacityAndZeroBlocks) {
  Texture t;
  t.width = 3;
  t.height = 5;
  t.bytes.assign(15, 255);
  t.bytes[4] = 128;   // (1, 1), and so (4, 6) by wrapping
  t.bytes[0] = 0;
  engine.context().texture = &t;
  Image32 big;
  ASSERT_TRUE(big.create(8, 8));
  engine.context().reference = nullptr;
  int a = 200;
  EXPECT_NE(engine.gate(big, 4, 6, a), nullptr);
  EXPECT_EQ(a, 100);   // 200 * 128 / 255
  for (int op : {kPixelReplace, kPixelOver, kPixelOverKeepAlpha, kPixelMax, kPixelDodge,
                 kPixelBurn, kPixelBlur, kPixelErase}) {
    big.fill(0xFF808080u);
    engine.applyPixelOp(op, big, 3, 5, 0xFF0000FFu);   // texel (0, 0) = 0
    EXPECT_EQ(big.at(3, 5), 0xFF808080u) << "op " << op;
  }
  // Replace writes the scaled opacity.
  engine.applyPixelOp(kPixelReplace, big, 4, 6, 0xC80000FFu);
  EXPECT_EQ(big.at(4, 6), 0x640000FFu);
}

TEST_F(PixelOpTest, BlurAveragesByAlpha) {
  Image32 b;
  ASSERT_TRUE(b.create(3, 3));
  b.fill(0xFFFFFFFFu);
  b.set(1, 1, 0xFF000000u);
  engine.context().reference = nullptr;
  engine.applyPixelOp(kPixelBlur, b, 1, 1, 0x01000000u);
  EXPECT_EQ(b.at(1, 1), 0xFFE3E3E3u);   // rnd(8 * 255 / 9) = 227
  // A transparent centre among red: alpha rnd(2040 / 9) = 227, colour pure red.
  b.fill(0xFFFF0000u);
  b.set(1, 1, kTransparent);
  engine.applyPixelOp(kPixelBlur, b, 1, 1, 0xFF000000u);
  EXPECT_EQ(b.at(1, 1), 0xE3FF0000u);
  // Under mask mode 1 transparent neighbours are left out.
  b.fill(0xFFFF0000u);
  b.set(0, 0, kTransparent);
  engine.context().maskMode = kMaskTransparent;
  engine.applyPixelOp(kPixelBlur, b, 1, 1, 0xFF000000u);
  EXPECT_EQ(b.at(1, 1), 0xFFFF0000u);
  // At the corner the edge row and column stand in: (0,0) counts four times.
  engine.context().maskMode = kMaskNone;
  b.fill(0xFFFFFFFFu);
  b.set(0, 0, 0xFF000000u);
  engine.applyPixelOp(kPixelBlur, b, 0, 0, 0xFF000000u);
  EXPECT_EQ(b.at(0, 0), 0xFF8E8E8Eu);   // rnd(5 * 255 / 9) = 142
  // A nearly clear pixel among clear ones: no colour to take under the alpha mask.
  b.fill(kTransparent);
  b.set(1, 1, 0x010000FFu);
  engine.context().maskMode = kMaskAlpha;
  engine.applyPixelOp(kPixelBlur, b, 1, 1, 0xFF000000u);
  EXPECT_EQ(b.at(1, 1), 0x010000FFu);
  engine.context().maskMode = kMaskNone;
  engine.applyPixelOp(kPixelBlur, b, 1, 1, 0xFF000000u);
  EXPECT_EQ(b.at(1, 1), kTransparent);
  // Under the alpha mask the alpha stays.
  b.fill(0xFFFF0000u);
  b.set(1, 1, 0x40FF0000u);
  engine.context().maskMode = kMaskAlpha;
  engine.applyPixelOp(kPixelBlur, b, 1, 1, 0xFF000000u);
  EXPECT_EQ(b.at(1, 1), 0x40FF0000u);
}

TEST_F(PixelOpTest, SprayHitsOneInSixteenWithRandomOpacity) {
  Image32 b;
  ASSERT_TRUE(b.create(64, 64));
  b.fill(kTransparent);
  engine.context().reference = nullptr;
  engine.seed(42);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) engine.applyPixelOp(kPixelSpray, b, x, y, 0xC8123456u);
  int hit = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      Pixel p = b.at(x, y);
      if (p == kTransparent) continue;
      ++hit;
      EXPECT_EQ(p & 0xFFFFFFu, 0x123456u);
      EXPECT_GE(alphaOf(p), 1);
      EXPECT_LE(alphaOf(p), 200);
    }
  EXPECT_GT(hit, 4096 / 16 - 60);
  EXPECT_LT(hit, 4096 / 16 + 60);
  // Opacity 0 draws nothing and takes no random numbers.
  std::mt19937 copy = engine.random();
  engine.applyPixelOp(kPixelSpray, b, 0, 0, 0x00123456u);
  EXPECT_EQ(copy, engine.random());
}

TEST(CommitTest, OverEraseReplace) {
  Image32 layer, buffer, backup;
  ASSERT_TRUE(layer.create(2, 1) && buffer.create(2, 1) && backup.create(2, 1));
  backup.set(0, 0, 0xFFFF0000u);
  backup.set(1, 0, 0x64FF0000u);
  buffer.set(0, 0, 0x800000FFu);
  buffer.set(1, 0, kTransparent);
  layer.fill(0);
  Rect all{0, 0, 2, 1};
  commitOver(layer, buffer, backup, all, kMaskNone);
  EXPECT_EQ(layer.at(0, 0), 0xFF7F0080u);
  EXPECT_EQ(layer.at(1, 0), 0x64FF0000u);
  buffer.set(1, 0, 0xFF00FF00u);
  commitOver(layer, buffer, backup, all, kMaskAlpha);
  EXPECT_EQ(layer.at(1, 0), 0x6400FF00u);
  backup.set(1, 0, kTransparent);
  buffer.set(1, 0, kTransparent);
  commitOver(layer, buffer, backup, all, kMaskNone);
  EXPECT_EQ(layer.at(1, 0), kTransparent);

  backup.set(0, 0, 0xC8112233u);
  backup.set(1, 0, 0xC8112233u);
  buffer.set(0, 0, 0x3C000000u);
  buffer.set(1, 0, 0xC8000000u);
  layer.fill(0);
  commitErase(layer, buffer, backup, all, kMaskAlpha);
  EXPECT_EQ(layer.at(0, 0), 0u);
  commitErase(layer, buffer, backup, all, kMaskNone);
  EXPECT_EQ(layer.at(0, 0), 0x8C112233u);
  EXPECT_EQ(layer.at(1, 0), kTransparent);

  layer.set(0, 0, 0x40AAAAAAu);
  layer.set(1, 0, kTransparent);
  buffer.set(0, 0, 0x80123456u);
  buffer.set(1, 0, 0x80123456u);
  commitReplace(layer, buffer, all, kMaskAlpha);
  EXPECT_EQ(layer.at(0, 0), 0x40123456u);
  EXPECT_EQ(layer.at(1, 0), kTransparent);
  commitReplace(layer, buffer, all, kMaskNone);
  EXPECT_EQ(layer.at(1, 0), 0x80123456u);
  // Rectangles reaching outside are clipped.
  commitOver(layer, buffer, backup, Rect{-5, -5, 100, 100}, kMaskNone);
  commitErase(layer, buffer, backup, Rect{1, 0, 1000, 1}, kMaskNone);
  EXPECT_EQ(layer.at(1, 0), 0x48112233u);   // 200 - 128 left of the backup
}

}  // namespace
}  // namespace tessel
