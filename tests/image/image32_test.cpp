#include "image/image32.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace tessel {
namespace {

// A w x h image whose pixel (x, y) is a unique opaque value.
Image32 numbered(int w, int h) {
  Image32 img;
  EXPECT_TRUE(img.create(w, h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.set(x, y, makePixel(255, uint32_t(x), uint32_t(y), 7));
  return img;
}

void expectEmpty(const Image32& img) {
  EXPECT_FALSE(img.valid());
  EXPECT_EQ(img.bits(), nullptr);
  EXPECT_EQ(img.top(), nullptr);
  EXPECT_EQ(img.width(), 0);
  EXPECT_EQ(img.height(), 0);
}

// ---------------------------------------------------------------------------
// Lifetime and layout

TEST(Image32, StartsEmptyAndDestroyReportsWhetherThereWasMemory) {
  Image32 img;
  expectEmpty(img);
  EXPECT_FALSE(img.destroy());
  ASSERT_TRUE(img.create(3, 2));
  EXPECT_TRUE(img.destroy());
  expectEmpty(img);
  EXPECT_FALSE(img.destroy());
}

TEST(Image32, NewPixelMemoryIsZero) {
  Image32 img;
  ASSERT_TRUE(img.create(7, 5));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(img.at(x, y), 0u);
  // Re-creating a used buffer gives zero memory again.
  img.fill(0x12345678);
  ASSERT_TRUE(img.create(7, 5));
  for (size_t i = 0; i < img.byteSize(); ++i) ASSERT_EQ(img.bits()[i], 0);
}

TEST(Image32, CreateFailureLeavesTheBufferEmptyEvenWhenItWasValid) {
  const int bad[][2] = {{0, 5}, {5, 0}, {-1, 5}, {5, -3}, {INT_MIN, 1},
                        {INT_MAX, INT_MAX}, {INT_MAX, 1}, {1, INT_MAX}, {1 << 20, 1 << 20},
                        {65536, 65536}};
  for (const auto& wh : bad) {
    Image32 img;
    ASSERT_TRUE(img.create(4, 4));
    EXPECT_FALSE(img.create(wh[0], wh[1])) << wh[0] << " x " << wh[1];
    expectEmpty(img);
  }
}

TEST(Image32, RowZeroIsTheLastRowInMemoryWithoutPadding) {
  Image32 img;
  ASSERT_TRUE(img.create(5, 3));
  EXPECT_EQ(img.byteSize(), 5u * 3u * 4u);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(img.top()), img.bits() + 2 * 5 * 4);
  EXPECT_EQ(img.row(0), img.top());
  EXPECT_EQ(reinterpret_cast<uint8_t*>(img.row(2)), img.bits());
  EXPECT_EQ(img.rowStep(), -5);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(img.pixelAddress(x, y), img.top() + x - y * 5);
  // Bytes blue, green, red, alpha.
  img.set(1, 2, 0xAABBCCDD);
  const uint8_t* p = img.bits() + 4;
  EXPECT_EQ(p[0], 0xDD);
  EXPECT_EQ(p[1], 0xCC);
  EXPECT_EQ(p[2], 0xBB);
  EXPECT_EQ(p[3], 0xAA);
}

TEST(Image32, SwapAndMove) {
  Image32 a = numbered(3, 2);
  Image32 b;
  b = std::move(a);
  expectEmpty(a);
  EXPECT_EQ(b.width(), 3);
  EXPECT_EQ(b.getPixel(2, 1), makePixel(255, 2, 1, 7));
  Image32 c(std::move(b));
  expectEmpty(b);
  EXPECT_EQ(c.getPixel(2, 1), makePixel(255, 2, 1, 7));
}

// ---------------------------------------------------------------------------
// Pixel access

TEST(Image32, ReadsOutsideGiveNeutralValues) {
  Image32 img = numbered(4, 3);
  EXPECT_EQ(img.getPixel(-1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(img.getPixel(0, -1), 0xFFFFFFFFu);
  EXPECT_EQ(img.getPixel(4, 0), 0xFFFFFFFFu);
  EXPECT_EQ(img.getPixel(0, 3), 0xFFFFFFFFu);
  EXPECT_EQ(img.pixelAddress(-1, 0), nullptr);
  EXPECT_EQ(img.pixelAddress(0, 3), nullptr);
  EXPECT_EQ(img.getPixel(3, 2), makePixel(255, 3, 2, 7));

  Image32 empty;
  EXPECT_EQ(empty.getPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(empty.pixelAddress(0, 0), nullptr);
  EXPECT_EQ(empty.pixelAddressClamped(0, 0), nullptr);
  EXPECT_EQ(empty.getPixelClamped(0, 0), 0xFFFFFFFFu);
}

TEST(Image32, ClampedReads) {
  Image32 img = numbered(4, 3);
  EXPECT_EQ(img.getPixelClamped(-5, 3 + 3), img.at(0, 2));   // bottom-left
  EXPECT_EQ(img.getPixelClamped(100, -100), img.at(3, 0));   // top-right
  EXPECT_EQ(img.getPixelClamped(2, 1), img.at(2, 1));
  EXPECT_EQ(img.pixelAddressClamped(-5, 6), img.pixelAddress(0, 2));
  EXPECT_EQ(img.pixelAddressClamped(9, 1), img.pixelAddress(3, 1));
}

TEST(Image32, ClearPixel) {
  Image32 img = numbered(3, 3);
  img.clearPixel(1, 2);
  img.clearPixel(-1, 0);   // ignored
  img.clearPixel(3, 0);    // ignored
  EXPECT_EQ(img.at(1, 2), kTransparent);
  EXPECT_EQ(img.at(0, 0), makePixel(255, 0, 0, 7));
}

// ---------------------------------------------------------------------------
// Fills

TEST(Image32, FillAndFillRect) {
  for (int w : {1, 2, 3}) {
    Image32 img;
    ASSERT_TRUE(img.create(w, 1));
    img.fill(0x01020304);
    for (int x = 0; x < w; ++x) EXPECT_EQ(img.at(x, 0), 0x01020304u);
  }
  Image32 img;
  ASSERT_TRUE(img.create(6, 5));
  img.fill(kTransparent);
  img.fillRect(1, 2, 3, 2, 0xFF0000FF);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool in = x >= 1 && x < 4 && y >= 2 && y < 4;
      EXPECT_EQ(img.at(x, y), in ? 0xFF0000FFu : kTransparent) << x << "," << y;
    }
}

TEST(Image32, FillCheckerSixteen) {
  const Pixel c0 = 0xFF111111, c1 = 0xFFEEEEEE;
  Image32 img;
  ASSERT_TRUE(img.create(16, 16));
  img.fillChecker(0, 0, 16, 16, c0, c1);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool topLeftOrBottomRight = (x < 8) == (y < 8);
      EXPECT_EQ(img.at(x, y), topLeftOrBottomRight ? c0 : c1) << x << "," << y;
    }
}

TEST(Image32, FillCheckerIsAnchoredAtTheBufferOrigin) {
  const Pixel c0 = 1, c1 = 2;
  Image32 img;
  ASSERT_TRUE(img.create(20, 20));
  img.fill(0);
  img.fillChecker(6, 5, 5, 12, c0, c1);
  EXPECT_EQ(img.at(6, 5), c0);     // cell (0, 0)
  EXPECT_EQ(img.at(8, 5), c1);     // cell (1, 0)
  EXPECT_EQ(img.at(8, 8), c0);     // cell (1, 1)
  EXPECT_EQ(img.at(7, 8), c1);     // cell (0, 1)
  EXPECT_EQ(img.at(10, 16), c1);   // cell (1, 2)
  EXPECT_EQ(img.at(5, 5), 0u);     // outside the rectangle
  EXPECT_EQ(img.at(11, 5), 0u);
  EXPECT_EQ(img.at(6, 17), 0u);
}

TEST(Image32, SetAlphaRectKeepsColour) {
  Image32 img = numbered(4, 4);
  img.setAlphaRect(1, 1, 2, 3, 0x40);
  EXPECT_EQ(img.at(1, 1), makePixel(0x40, 1, 1, 7));
  EXPECT_EQ(img.at(2, 3), makePixel(0x40, 2, 3, 7));
  EXPECT_EQ(img.at(0, 1), makePixel(255, 0, 1, 7));
  EXPECT_EQ(img.at(1, 0), makePixel(255, 1, 0, 7));
}

TEST(Image32, NormaliseTransparent) {
  Image32 img;
  ASSERT_TRUE(img.create(4, 1));
  img.set(0, 0, 0x00123456);
  img.set(1, 0, 0x01123456);
  img.set(2, 0, 0x00000000);
  img.set(3, 0, 0xFF000000);
  img.normaliseTransparent();
  EXPECT_EQ(img.at(0, 0), kTransparent);
  EXPECT_EQ(img.at(1, 0), 0x01123456u);
  EXPECT_EQ(img.at(2, 0), kTransparent);
  EXPECT_EQ(img.at(3, 0), 0xFF000000u);
}

// ---------------------------------------------------------------------------
// Copies and blits

TEST(Image32, CopyFrom) {
  Image32 a = numbered(5, 4), b;
  ASSERT_TRUE(b.create(5, 4));
  b.copyFrom(a);
  EXPECT_EQ(std::memcmp(a.bits(), b.bits(), a.byteSize()), 0);
}

TEST(Image32, BlitInside) {
  Image32 src = numbered(6, 6), dst;
  ASSERT_TRUE(dst.create(8, 8));
  dst.fill(0);
  dst.blit(2, 3, 3, 2, src, 1, 4);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool in = x >= 2 && x < 5 && y >= 3 && y < 5;
      EXPECT_EQ(dst.at(x, y), in ? src.at(x - 1, y + 1) : 0u) << x << "," << y;
    }
}

TEST(Image32, BlitWithNegativeDestination) {
  Image32 src = numbered(10, 10), dst;
  ASSERT_TRUE(dst.create(6, 6));
  dst.fill(0);
  dst.blit(-3, -2, 10, 10, src, 0, 0);
  // Source column 3, row 2 lands in the destination's corner; everything fits.
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(dst.at(x, y), src.at(x + 3, y + 2)) << x << "," << y;

  // A small rectangle: 4 x 3 from (1, 1) at (-3, -2) leaves a 1 x 1 piece.
  dst.fill(0);
  dst.blit(-3, -2, 4, 3, src, 1, 1);
  EXPECT_EQ(dst.at(0, 0), src.at(4, 3));
  EXPECT_EQ(dst.at(1, 0), 0u);
  EXPECT_EQ(dst.at(0, 1), 0u);
}

TEST(Image32, BlitClipsAtRightAndBottom) {
  Image32 src = numbered(10, 10), dst;
  ASSERT_TRUE(dst.create(6, 6));
  dst.fill(0);
  dst.blit(4, 3, 10, 10, src, 7, 5);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      // Source is cut to 3 x 5, destination to 2 x 3.
      const bool in = x >= 4 && y >= 3;
      EXPECT_EQ(dst.at(x, y), in ? src.at(x - 4 + 7, y - 3 + 5) : 0u) << x << "," << y;
    }
}

TEST(Image32, BlitWhollyOutsideCopiesNothing) {
  Image32 src = numbered(4, 4), dst;
  ASSERT_TRUE(dst.create(4, 4));
  const int places[][2] = {{4, 0}, {10, 1}, {0, 4}, {1, 9}, {-4, 0}, {0, -4}, {-100, -100}};
  for (const auto& p : places) {
    dst.fill(0x5A5A5A5A);
    dst.blit(p[0], p[1], 4, 4, src, 0, 0);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) ASSERT_EQ(dst.at(x, y), 0x5A5A5A5Au) << p[0] << "," << p[1];
  }
  // A source rectangle starting beyond the source copies nothing either.
  dst.fill(0x5A5A5A5A);
  dst.blit(0, 0, 4, 4, src, 4, 0);
  dst.blit(0, 0, 4, 4, src, 0, 4);
  EXPECT_EQ(dst.at(0, 0), 0x5A5A5A5Au);
  // An empty source or an empty destination is harmless.
  Image32 empty;
  dst.blit(0, 0, 4, 4, empty, 0, 0);
  empty.blit(0, 0, 4, 4, src, 0, 0);
  EXPECT_EQ(dst.at(0, 0), 0x5A5A5A5Au);
}

TEST(Image32, BlitWithinOneBufferIsOverlapSafe) {
  for (int dir = 0; dir < 4; ++dir) {
    const int dx = dir == 0 ? 1 : dir == 1 ? -1 : 0, dy = dir == 2 ? 1 : dir == 3 ? -1 : 0;
    Image32 ref = numbered(8, 8);
    Image32 img = numbered(8, 8);
    img.blit(2 + dx, 2 + dy, 4, 4, img, 2, 2);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool in = x >= 2 + dx && x < 6 + dx && y >= 2 + dy && y < 6 + dy;
        EXPECT_EQ(img.at(x, y), in ? ref.at(x - dx, y - dy) : ref.at(x, y))
            << dir << ": " << x << "," << y;
      }
  }
}

TEST(Image32, SetFromOtherSizes) {
  Image32 small = numbered(2, 3), big = numbered(5, 5), img;
  ASSERT_TRUE(img.create(4, 4));
  img.setFrom(small);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(img.at(x, y), x < 2 && y < 3 ? small.at(x, y) : kTransparent);
  img.setFrom(big);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img.at(x, y), big.at(x, y));
}

// ---------------------------------------------------------------------------
// Statistics

TEST(Image32, CollectColoursInMemoryOrderUpToMax) {
  Image32 img;
  ASSERT_TRUE(img.create(3, 2));
  // Bottom row (row 1) comes first in memory.
  img.set(0, 1, 0xFF000003);
  img.set(1, 1, 0x10000001);
  img.set(2, 1, 0xFF000003);
  img.set(0, 0, 0x00000001);   // same colour as (1, 1), other alpha
  img.set(1, 0, 0xFF000002);
  img.set(2, 0, 0xFF000004);
  std::vector<uint32_t> out;
  img.collectColours(out, 100);
  EXPECT_EQ(out, (std::vector<uint32_t>{3, 1, 2, 4}));
  out.clear();
  img.collectColours(out, 2);
  EXPECT_EQ(out, (std::vector<uint32_t>{3, 1}));
  out = {2};
  img.collectColours(out, 3);
  EXPECT_EQ(out, (std::vector<uint32_t>{2, 3, 1}));
  out = {7, 8};
  img.collectColours(out, 2);
  EXPECT_EQ(out, (std::vector<uint32_t>{7, 8}));
}

TEST(Image32, LuminanceHistogram) {
  Image32 img;
  ASSERT_TRUE(img.create(2, 2));
  img.set(0, 0, 0xFFFFFFFF);   // (77 + 150 + 29) * 255 >> 8 = 255
  img.set(1, 0, 0x00FF0000);   // 77 * 255 >> 8 = 76
  img.set(0, 1, 0xFF00FF00);   // 150 * 255 >> 8 = 149
  img.set(1, 1, 0xFF000000);   // 0
  int32_t counts[256];
  std::fill_n(counts, 256, 99);
  img.luminanceHistogram(counts);
  for (int i = 0; i < 256; ++i) {
    const int expected = (i == 255 || i == 76 || i == 149 || i == 0) ? 1 : 0;
    EXPECT_EQ(counts[i], expected) << i;
  }
}

// ---------------------------------------------------------------------------
// Averaging

TEST(Image32, AverageToPixel) {
  // No weight at all.
  EXPECT_EQ(Image32::averageToPixel(AlphaSums{}, 4), kTransparent);
  EXPECT_EQ(Image32::averageToPixel(AlphaSumsF{}, 4), kTransparent);
  // Weight, but Σa / n truncates to 0.
  EXPECT_EQ(Image32::averageToPixel(AlphaSums{30, 30, 30, 3}, 4), kTransparent);
  EXPECT_EQ(Image32::averageToPixel(AlphaSumsF{30, 30, 30, 3}, 4), kTransparent);
  // Four samples: (R200 G100 B50 a255), (R100 G50 B0 a128) and two with a = 0.
  AlphaSums s;
  s.r = 200 * 255 + 100 * 128;   // 63800 / 383 = 166
  s.g = 100 * 255 + 50 * 128;    // 31900 / 383 = 83
  s.b = 50 * 255;                // 12750 / 383 = 33
  s.a = 383;                     // alpha 383 / 4 = 95
  EXPECT_EQ(Image32::averageToPixel(s, 4), makePixel(95, 166, 83, 33));
  AlphaSumsF f{double(s.b), double(s.g), double(s.r), double(s.a)};
  EXPECT_EQ(Image32::averageToPixel(f, 4), makePixel(95, 166, 83, 33));
  // One opaque sample is itself.
  EXPECT_EQ(Image32::averageToPixel(AlphaSums{10 * 255, 20 * 255, 30 * 255, 255}, 1),
            makePixel(255, 30, 20, 10));
}

TEST(Image32, AverageToPixelDoubleTwinMultipliesByTheReciprocal) {
  // 49 * (1 / 49.0) is 0.9999999999999999 in double: the twin truncates it to 0
  // where the integer version divides to 1.
  EXPECT_EQ(Image32::averageToPixel(AlphaSums{49, 0, 0, 49}, 1), makePixel(49, 0, 0, 1));
  EXPECT_EQ(Image32::averageToPixel(AlphaSumsF{49, 0, 0, 49}, 1), makePixel(49, 0, 0, 0));
}

// ---------------------------------------------------------------------------
// Bilinear sampling

TEST(Image32, SampleBilinearAtWholePixelsIsThePixel) {
  Image32 img;
  ASSERT_TRUE(img.create(3, 3));
  img.fill(0xFF102030);
  img.set(1, 1, 0x80C08040);
  Pixel out = 0;
  ASSERT_TRUE(img.sampleBilinear(1 << 8, 1 << 8, out, 0));
  EXPECT_EQ(out, 0x80C08040u);
  ASSERT_TRUE(img.sampleBilinear(2 << 8, 2 << 8, out, 0));   // last pixel, neighbours are itself
  EXPECT_EQ(out, 0xFF102030u);
}

TEST(Image32, SampleBilinearAllTransparentGivesTransparentWhite) {
  Image32 img;
  ASSERT_TRUE(img.create(2, 2));
  img.fill(0x00123456);
  Pixel out = 0;
  ASSERT_TRUE(img.sampleBilinear(100, 37, out, 0));
  EXPECT_EQ(out, kTransparent);
}

TEST(Image32, SampleBilinearHandComputedValues) {
  Pixel out = 0;
  // Opaque black | opaque white, half way across (tx = 128): the neighbours
  // below lie beyond the bottom edge and are the pixel itself.
  //   alpha: top = 255*127/255 + 255*128/255 = 255, alpha = 255
  //   upper = (128*255*255 + 127*0*255) / 255 = 32640; value = 32640 / 255 = 128
  Image32 bw;
  ASSERT_TRUE(bw.create(2, 1));
  bw.set(0, 0, 0xFF000000);
  bw.set(1, 0, 0xFFFFFFFF);
  ASSERT_TRUE(bw.sampleBilinear(128, 0, out, 0));
  EXPECT_EQ(out, 0xFF808080u);

  // Black over white (1 x 2), a quarter down (ty = 64); at the last column the
  // right neighbours are the pixel itself, so P11 is P00 (black), not P01.
  //   lower = 255*255*255 / 255 = 65025; value = (64*65025/255) / 255 = 64
  Image32 tall;
  ASSERT_TRUE(tall.create(1, 2));
  tall.set(0, 0, 0xFF000000);
  tall.set(0, 1, 0xFFFFFFFF);
  ASSERT_TRUE(tall.sampleBilinear(0, 64, out, 0));
  EXPECT_EQ(out, 0xFF404040u);

  // Opaque red | transparent white at tx = 128: alpha-correct, no white bleeds in.
  //   top = 255*127/255 + 0 = 127 = alpha
  //   red upper = 127*255*255/255 = 32385; 32385 / 127 = 255; green and blue 0
  Image32 rt;
  ASSERT_TRUE(rt.create(2, 1));
  rt.set(0, 0, 0xFFFF0000);
  rt.set(1, 0, kTransparent);
  ASSERT_TRUE(rt.sampleBilinear(128, 0, out, 0));
  EXPECT_EQ(out, 0x7FFF0000u);

  // 2 x 2 with four different pixels at (tx, ty) = (128, 64):
  //   P00 = (a255 R200 G100 B0), P10 = (a255 R0 G0 B100)
  //   P01 = (a128 R50 G150 B250), P11 = (a0 R255 G255 B255)
  //   top = 127 + 128 = 255; bottom = 128*127/255 + 0 = 63
  //   alpha = 191*255/255 + 64*63/255 = 191 + 15 = 206
  //   R: upper = (0 + 127*200*255)/255 = 25400, lower = 127*50*128/255 = 3187
  //      (191*25400/255 + 64*3187/255) / 206 = (19025 + 799) / 206 = 96
  //   G: upper = 127*100 = 12700, lower = 127*150*128/255 = 9562
  //      (9512 + 2399) / 206 = 57
  //   B: upper = 128*100*255/255 = 12800, lower = 127*250*128/255 = 15937
  //      (9587 + 3999) / 206 = 65
  Image32 q;
  ASSERT_TRUE(q.create(2, 2));
  q.set(0, 0, makePixel(255, 200, 100, 0));
  q.set(1, 0, makePixel(255, 0, 0, 100));
  q.set(0, 1, makePixel(128, 50, 150, 250));
  q.set(1, 1, makePixel(0, 255, 255, 255));
  ASSERT_TRUE(q.sampleBilinear(128, 64, out, 0));
  EXPECT_EQ(out, makePixel(206, 96, 57, 65));
}

TEST(Image32, SampleBilinearEdgeModes) {
  Image32 img = numbered(4, 3);
  Pixel out = 0x13579BDF;
  // Mode 0: outside is refused and out untouched.
  EXPECT_FALSE(img.sampleBilinear(-256, 0, out, 0));
  EXPECT_FALSE(img.sampleBilinear(-1, 0, out, 0));
  EXPECT_FALSE(img.sampleBilinear(4 << 8, 0, out, 0));
  EXPECT_FALSE(img.sampleBilinear(0, 3 << 8, out, 0));
  EXPECT_FALSE(img.sampleBilinear(0, -5, out, 0));
  EXPECT_EQ(out, 0x13579BDFu);
  // Mode 2: one pixel left of the buffer samples the last column.
  ASSERT_TRUE(img.sampleBilinear(-256, 1 << 8, out, 2));
  EXPECT_EQ(out, img.at(3, 1));
  ASSERT_TRUE(img.sampleBilinear(1 << 8, -256, out, 2));
  EXPECT_EQ(out, img.at(1, 2));
  ASSERT_TRUE(img.sampleBilinear(4 << 8, 3 << 8, out, 2));   // wraps to (0, 0)
  EXPECT_EQ(out, img.at(0, 0));
  ASSERT_TRUE(img.sampleBilinear(-100 << 8, 0, out, 2));   // wraps once, then clamps
  EXPECT_EQ(out, img.at(0, 0));
  // Mode 1: clamp.
  ASSERT_TRUE(img.sampleBilinear(-256, 1 << 8, out, 1));
  EXPECT_EQ(out, img.at(0, 1));
  ASSERT_TRUE(img.sampleBilinear(50 << 8, 50 << 8, out, 1));
  EXPECT_EQ(out, img.at(3, 2));
  // An empty buffer has nothing to sample.
  Image32 empty;
  out = 1;
  EXPECT_FALSE(empty.sampleBilinear(0, 0, out, 1));
  EXPECT_EQ(out, 1u);
}

}  // namespace
}  // namespace tessel
