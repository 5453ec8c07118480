// The dab rasteriser against a plain transcription of its sampling rule, one
// sub-sample at a time, on random positions and diameters.
#include <gtest/gtest.h>

#include <random>

#include "draw/brush/brush_engine.h"
#include "image/image32.h"

namespace tessel {
namespace {

void put(Image32& img, int x, int y, Pixel colour, int alpha) {
  if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return;
  img.set(x, y, alpha == 0 ? kTransparent : (colour & 0xFFFFFFu) | (Pixel(alpha) << 24));
}

void plainSmall(Image32& img, const uint8_t* mask, int x16, int y16, int d, Pixel colour, int a) {
  if (a == 0 || d <= 2) return;
  int left = x16 - d / 2, top = y16 - d / 2;
  int64_t m = int64_t(99.0 / (d - 1) * 16384.0);
  for (int py = top >> 4; py <= (top + d - 1) >> 4; ++py)
    for (int px = left >> 4; px <= (left + d - 1) >> 4; ++px) {
      int s = 0;
      for (int sy = 0; sy < 16; ++sy)
        for (int sx = 0; sx < 16; ++sx) {
          int u = px * 16 + sx - left, v = py * 16 + sy - top;
          if (u < 0 || v < 0 || u >= d || v >= d) continue;
          s += mask[((v * m) >> 14) * 100 + ((u * m) >> 14)];
        }
      if (s > 255) put(img, px, py, colour, (a * (s >> 8) + 127) / 255);
    }
}

void plainLarge(Image32& img, const uint8_t* mask, int x8, int y8, int e, Pixel colour, int a) {
  if (a == 0) return;
  int left = x8 - e / 2, top = y8 - e / 2;
  int64_t m = int64_t(99.0 / (e - 1) * 16384.0);
  for (int py = top >> 3; py <= (top + e - 1) >> 3; ++py)
    for (int px = left >> 3; px <= (left + e - 1) >> 3; ++px) {
      int u0 = px * 8 - left, v0 = py * 8 - top, value = 0;
      if (((u0 * m) >> 14) == (((u0 + 7) * m) >> 14) && ((v0 * m) >> 14) == (((v0 + 7) * m) >> 14)) {
        if (u0 < 0 || v0 < 0 || u0 >= e || v0 >= e) continue;
        value = mask[((v0 * m) >> 14) * 100 + ((u0 * m) >> 14)];
      } else {
        int s = 0;
        for (int sy = 0; sy < 8; ++sy)
          for (int sx = 0; sx < 8; ++sx) {
            int u = u0 + sx, v = v0 + sy;
            if (u < 0 || v < 0 || u >= e || v >= e) continue;
            s += mask[((v * m) >> 14) * 100 + ((u * m) >> 14)];
          }
        value = s >> 6;
      }
      if (value != 0) put(img, px, py, colour, (a * value + 127) / 255);
    }
}

TEST(DabTest, StampsMatchThePlainSamplingRule) {
  BrushEngine e;
  ASSERT_TRUE(e.init(1u));
  ToolSettings t;
  std::mt19937 rng(77);
  Image32 fast, plain;
  ASSERT_TRUE(fast.create(48, 40) && plain.create(48, 40));
  for (int tool : {kToolPen2, kToolBrush, kToolDodge, kToolPen}) {
    e.updateShape(tool, t);
    e.setupTool(tool, false, t, 0);
    e.context().pixelOp = kPixelReplace;
    e.context().reference = nullptr;
    for (int round = 0; round < 150; ++round) {
      int x16 = int(rng() % 1000) - 150, y16 = int(rng() % 900) - 150;
      int d = round % 2 ? 3 + int(rng() % 62) : 65 + int(rng() % 1640), a = int(rng() % 256);
      fast.fill(kTransparent);
      plain.fill(kTransparent);
      if (d <= 64) {
        e.stampSmall(fast, x16, y16, d, 0x123456, a);
        plainSmall(plain, e.shape().mask, x16, y16, d, 0x123456, a);
      } else {
        e.stampLarge(fast, x16 >> 1, y16 >> 1, d >> 1, 0x123456, a);
        plainLarge(plain, e.shape().mask, x16 >> 1, y16 >> 1, d >> 1, 0x123456, a);
      }
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x)
          ASSERT_EQ(fast.at(x, y), plain.at(x, y))
              << "tool " << tool << " d " << d << " at " << x16 << "," << y16 << " px " << x << "," << y;
    }
  }
}

TEST(DabTest, FullCoverageGivesTheOpacityAndTinyDabsNothing) {
  BrushEngine e;
  ASSERT_TRUE(e.init(1u));
  ToolSettings t;
  e.updateShape(kToolPen2, t);
  e.setupTool(kToolPen2, false, t, 0);
  e.context().pixelOp = kPixelReplace;
  Image32 img;
  ASSERT_TRUE(img.create(100, 100));
  img.fill(kTransparent);
  // A 100-pixel dab on pixel corners: its middle is fully covered.
  e.stampLarge(img, 400, 400, 800, 0x0000FF, 200);
  EXPECT_EQ(img.at(50, 50), 0xC80000FFu);
  EXPECT_EQ(img.at(0, 0), kTransparent);
  img.fill(kTransparent);
  e.stampSmall(img, 160, 160, 2, 0x0000FF, 255);   // D <= 2: nothing
  e.stampSmall(img, 160, 160, 40, 0x0000FF, 0);    // opacity 0: nothing
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(img.at(x, y), kTransparent);
  // Without anti-aliasing every touched pixel takes the maximum opacity.
  e.context().antiAlias = 0;
  e.context().maxOpacity = 99;
  e.stampSmall(img, 160, 160, 40, 0x0000FF, 10);
  EXPECT_EQ(img.at(10, 10), 0x630000FFu);
  EXPECT_EQ(img.at(9, 9), 0x630000FFu);
}

}  // namespace
}  // namespace tessel
