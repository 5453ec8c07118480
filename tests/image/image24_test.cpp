#include "image/image24.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <climits>
#include <cstring>
#include <vector>

#include "image/image32.h"

namespace tessel {
namespace {

void expectEmpty(const Image24& img) {
  EXPECT_FALSE(img.valid());
  EXPECT_EQ(img.bits(), nullptr);
  EXPECT_EQ(img.width(), 0);
  EXPECT_EQ(img.height(), 0);
  EXPECT_EQ(img.pitch(), 0);
}

Image24 numbered(int w, int h) {
  Image24 img;
  EXPECT_TRUE(img.create(w, h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixelUnchecked(x, y, uint32_t(x << 16 | y << 8 | 0x5A));
  return img;
}

// Positions of the pixels of img that have the given colour, row by row.
std::vector<std::pair<int, int>> pixelsOf(const Image24& img, uint32_t colour) {
  std::vector<std::pair<int, int>> out;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.getPixel(x, y) == colour) out.emplace_back(x, y);
  return out;
}

using Points = std::vector<std::pair<int, int>>;

// ---------------------------------------------------------------------------
// Lifetime and layout

TEST(Image24, PitchAndLayout) {
  const int pitches[] = {0, 4, 8, 12, 12, 16};
  for (int w = 1; w <= 5; ++w) {
    EXPECT_EQ(Image24::pitchFor(w), pitches[w]) << w;
    Image24 img;
    ASSERT_TRUE(img.create(w, 3));
    EXPECT_EQ(img.pitch(), pitches[w]);
    EXPECT_EQ(img.byteSize(), size_t(pitches[w]) * 3);
    EXPECT_EQ(img.row(0), img.bits() + 2 * pitches[w]);   // row 0 is last in memory
    EXPECT_EQ(img.row(2), img.bits());
    for (size_t i = 0; i < img.byteSize(); ++i) ASSERT_EQ(img.bits()[i], 0);
  }
  Image24 img;
  ASSERT_TRUE(img.create(2, 2));
  img.setPixel(1, 1, 0x112233);
  const uint8_t* p = img.bits() + 3;   // bottom row, second pixel
  EXPECT_EQ(p[0], 0x33);
  EXPECT_EQ(p[1], 0x22);
  EXPECT_EQ(p[2], 0x11);
}

TEST(Image24, CreateAndDestroy) {
  Image24 img;
  expectEmpty(img);
  EXPECT_FALSE(img.destroy());
  ASSERT_TRUE(img.create(3, 3));
  EXPECT_TRUE(img.destroy());
  expectEmpty(img);
  const int bad[][2] = {{0, 1}, {1, 0}, {-2, 4}, {INT_MAX, INT_MAX}, {INT_MAX, 1}, {1 << 20, 1 << 20}};
  for (const auto& wh : bad) {
    ASSERT_TRUE(img.create(4, 4));
    EXPECT_FALSE(img.create(wh[0], wh[1]));
    expectEmpty(img);
  }
}

// ---------------------------------------------------------------------------
// Pixels

TEST(Image24, FillAndGetSetPixel) {
  Image24 img;
  ASSERT_TRUE(img.create(5, 3));
  img.fill(0xA1B2C3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(img.getPixel(x, y), 0xA1B2C3u);
  // Padding stays zero.
  EXPECT_EQ(img.bits()[15], 0);
  EXPECT_EQ(img.getPixel(-1, 0), 0u);
  EXPECT_EQ(img.getPixel(5, 0), 0u);
  EXPECT_EQ(img.getPixel(0, 3), 0u);
  img.setPixel(-1, 0, 0);   // ignored
  img.setPixel(0, 3, 0);    // ignored
  img.setPixel(4, 2, 0xFF123456);
  EXPECT_EQ(img.getPixel(4, 2), 0x123456u);
}

TEST(Image24, SetPixelInvert) {
  Image24 img;
  ASSERT_TRUE(img.create(2, 2));
  img.fill(0x123456);
  img.setPixel(1, 0, kInvertColour);
  EXPECT_EQ(img.getPixel(1, 0), 0xEDCBA9u);
  img.setPixel(1, 0, kInvertColour);
  EXPECT_EQ(img.getPixel(1, 0), 0x123456u);
}

// ---------------------------------------------------------------------------
// Lines and rectangles

TEST(Image24, LineShallowBothDirections) {
  Image24 img;
  ASSERT_TRUE(img.create(10, 6));
  img.line(1, 1, 8, 4, 0xFF0000);
  EXPECT_EQ(pixelsOf(img, 0xFF0000), (Points{{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 4}, {8, 4}}));
  img.fill(0);
  // Backwards: the 16.16 carry starts at the other end, same pixels here.
  img.line(8, 4, 1, 1, 0xFF0000);
  EXPECT_EQ(pixelsOf(img, 0xFF0000), (Points{{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 4}, {8, 4}}));
}

TEST(Image24, LineSteepAndDiagonal) {
  Image24 img;
  ASSERT_TRUE(img.create(6, 6));
  img.line(2, 0, 3, 5, 0x00FF00);
  EXPECT_EQ(pixelsOf(img, 0x00FF00), (Points{{2, 0}, {2, 1}, {2, 2}, {3, 3}, {3, 4}, {3, 5}}));
  img.fill(0);
  img.line(4, 4, 0, 0, 0x00FF00);
  EXPECT_EQ(pixelsOf(img, 0x00FF00), (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST(Image24, LineEndPointsAndZeroLength) {
  Image24 img;
  ASSERT_TRUE(img.create(8, 8));
  img.line(3, 3, 3, 3, 0x0000FF);
  EXPECT_EQ(pixelsOf(img, 0x0000FF), (Points{{3, 3}}));
  // A zero-length inverted line flips its one pixel once.
  img.line(3, 3, 3, 3, kInvertColour);
  EXPECT_EQ(img.getPixel(3, 3), 0xFFFF00u);
  img.fill(0);
  img.line(0, 7, 7, 5, 0x0000FF);
  EXPECT_EQ(img.getPixel(0, 7), 0x0000FFu);
  EXPECT_EQ(img.getPixel(7, 5), 0x0000FFu);
  EXPECT_EQ(pixelsOf(img, 0x0000FF).size(), 8u);
  img.fill(0);
  img.line(5, 1, 5, 6, 0x0000FF);   // vertical: both ends, 6 pixels
  EXPECT_EQ(pixelsOf(img, 0x0000FF).size(), 6u);
  EXPECT_EQ(img.getPixel(5, 1), 0x0000FFu);
  EXPECT_EQ(img.getPixel(5, 6), 0x0000FFu);
}

TEST(Image24, LineIsClippedAndInvertable) {
  Image24 img;
  ASSERT_TRUE(img.create(6, 4));
  img.line(-5, 2, 5, 2, 0xFFFFFF);
  EXPECT_EQ(pixelsOf(img, 0xFFFFFF), (Points{{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}}));
  img.line(-100000, -70000, 100000, 90000, 0xFFFFFF);   // far off, no overflow
  Image24 ref = numbered(6, 4), inv = numbered(6, 4);
  inv.line(-2, 5, 7, -1, kInvertColour);
  inv.line(-2, 5, 7, -1, kInvertColour);
  EXPECT_EQ(std::memcmp(inv.bits(), ref.bits(), ref.byteSize()), 0);
}

TEST(Image24, HLineVLine) {
  Image24 img;
  ASSERT_TRUE(img.create(5, 5));
  img.hLine(1, 2, 3, 0xAA);
  img.vLine(4, 0, 5, 0xBB);
  img.hLine(0, 0, 0, 0xCC);   // nothing
  EXPECT_EQ(pixelsOf(img, 0xAA), (Points{{1, 2}, {2, 2}, {3, 2}}));
  EXPECT_EQ(pixelsOf(img, 0xBB), (Points{{4, 0}, {4, 1}, {4, 2}, {4, 3}, {4, 4}}));
}

TEST(Image24, FrameRect) {
  Image24 img;
  ASSERT_TRUE(img.create(6, 5));
  img.frameRectUnchecked(1, 1, 4, 3, 0x77);
  EXPECT_EQ(pixelsOf(img, 0x77),
            (Points{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 2}, {4, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 3}}));
  img.fill(0);
  img.frameRect(-1, 3, 4, 5, 0x77);   // clipped
  EXPECT_EQ(pixelsOf(img, 0x77), (Points{{0, 3}, {1, 3}, {2, 3}, {2, 4}}));
  // Inverted frames drawn twice restore the picture, also 1 pixel wide or high.
  Image24 ref = numbered(6, 5), inv = numbered(6, 5);
  for (int k = 0; k < 2; ++k) {
    inv.frameRect(0, 0, 6, 5, kInvertColour);
    inv.frameRect(2, 1, 1, 3, kInvertColour);
    inv.frameRect(1, 4, 3, 1, kInvertColour);
    inv.frameRect(3, 3, 1, 1, kInvertColour);
  }
  EXPECT_EQ(std::memcmp(inv.bits(), ref.bits(), ref.byteSize()), 0);
  // Once: the 1-wide frame inverted each of its pixels exactly once.
  inv.frameRect(2, 1, 1, 3, kInvertColour);
  for (int y = 1; y < 4; ++y) EXPECT_EQ(inv.getPixel(2, y), ref.getPixel(2, y) ^ 0xFFFFFFu);
}

TEST(Image24, FillRectCutsAtRightAndBottom) {
  Image24 img;
  ASSERT_TRUE(img.create(5, 4));
  img.fillRect(3, 2, 10, 10, 0x11);
  EXPECT_EQ(pixelsOf(img, 0x11), (Points{{3, 2}, {4, 2}, {3, 3}, {4, 3}}));
  img.fill(0);
  img.fillRect(1, 4, 2, 2, 0x11);   // cut height 0: nothing
  img.fillRect(1, 1, 0, 2, 0x11);   // zero width: nothing
  img.fillRect(5, 0, 2, 2, 0x11);   // beyond the right edge: nothing
  EXPECT_TRUE(pixelsOf(img, 0x11).empty());
  // Left and top are clipped too, so no write leaves the buffer.
  img.fillRect(-2, -1, 3, 2, 0x22);
  EXPECT_EQ(pixelsOf(img, 0x22), (Points{{0, 0}}));
}

TEST(Image24, FillCheckerCellsFromTheRectangleCorner) {
  Image24 img;
  ASSERT_TRUE(img.create(16, 17));
  img.fillChecker(2, 3, 12, 13, 0xA, 0xB);
  const auto at = [&](int i, int j) { return img.getPixel(2 + i, 3 + j); };
  EXPECT_EQ(at(0, 0), 0xAu);
  EXPECT_EQ(at(4, 4), 0xAu);
  EXPECT_EQ(at(5, 0), 0xBu);
  EXPECT_EQ(at(0, 5), 0xBu);
  EXPECT_EQ(at(5, 5), 0xAu);
  EXPECT_EQ(at(9, 9), 0xAu);
  EXPECT_EQ(at(10, 0), 0xAu);   // i mod 10 = 0
  EXPECT_EQ(at(11, 5), 0xBu);
  EXPECT_EQ(at(11, 12), 0xAu);
  EXPECT_EQ(img.getPixel(1, 3), 0u);
  EXPECT_EQ(img.getPixel(14, 3), 0u);
  EXPECT_EQ(img.getPixel(2, 16), 0u);
}

TEST(Image24, BlitAndOverlap) {
  Image24 src = numbered(6, 6), dst;
  ASSERT_TRUE(dst.create(5, 5));
  dst.blit(1, 2, src, 3, 1, 3, 2);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool in = x >= 1 && x < 4 && y >= 2 && y < 4;
      EXPECT_EQ(dst.getPixel(x, y), in ? src.getPixel(x + 2, y - 1) : 0u);
    }
  for (int d = -1; d <= 1; d += 2) {
    Image24 ref = numbered(6, 6), img = numbered(6, 6);
    img.blit(1, 1 + d, img, 1, 1, 4, 4);
    for (int y = 1 + d; y < 5 + d; ++y)
      for (int x = 1; x < 5; ++x) EXPECT_EQ(img.getPixel(x, y), ref.getPixel(x, y - d));
  }
}

TEST(Image24, CreateFromPart) {
  Image24 src = numbered(6, 5), part;
  ASSERT_TRUE(part.createFromPart(src, 2, 1, 3, 4));
  EXPECT_EQ(part.width(), 3);
  EXPECT_EQ(part.height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(part.getPixel(x, y), src.getPixel(x + 2, y + 1));
  // From itself.
  ASSERT_TRUE(part.createFromPart(part, 1, 1, 2, 2));
  EXPECT_EQ(part.getPixel(0, 0), src.getPixel(3, 2));
  // Rectangles not inside the source fail and leave the buffer empty.
  EXPECT_FALSE(part.createFromPart(src, 4, 0, 3, 1));
  expectEmpty(part);
  EXPECT_FALSE(part.createFromPart(src, -1, 0, 2, 2));
  EXPECT_FALSE(part.createFromPart(src, 0, 0, 0, 2));
  Image24 empty;
  EXPECT_FALSE(part.createFromPart(empty, 0, 0, 1, 1));
}

TEST(Image24, ReplaceOtherColours) {
  Image24 img;
  ASSERT_TRUE(img.create(4, 2));
  img.fill(0x010101);
  img.setPixel(1, 0, 0x222222);
  img.setPixel(2, 1, 0x333333);
  img.setPixel(3, 1, 0x444444);
  img.replaceOtherColours(0, 0, 3, 2, 0x010101, 0xFFFFFF);
  EXPECT_EQ(img.getPixel(0, 0), 0x010101u);
  EXPECT_EQ(img.getPixel(1, 0), 0xFFFFFFu);
  EXPECT_EQ(img.getPixel(2, 1), 0xFFFFFFu);
  EXPECT_EQ(img.getPixel(3, 1), 0x444444u);   // outside the rectangle
}

// ---------------------------------------------------------------------------
// Pictures

TEST(Image24, DrawImage32ScaledWholePositions) {
  Image32 src;
  ASSERT_TRUE(src.create(4, 4));
  src.fill(0xFFC86432);   // R200 G100 B50, opaque
  Image24 img;
  ASSERT_TRUE(img.create(4, 4));
  img.fill(0xFFFFFF);
  img.drawImage32Scaled(1, 1, 2, 2, src);
  // step 2.0, fractions 0: mix(c) = ((c*255 >> 8) * 255) >> 8, so alpha 255 -> 253,
  // R 200 -> 198, G 100 -> 98, B 50 -> 48; then e + (253 * (c - e)) >> 8:
  // R 255 + (-14421 >> 8) = 198, G 255 + (-39721 >> 8) = 99, B 255 + (-52371 >> 8) = 50.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool in = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(img.getPixel(x, y), in ? 0xC66332u : 0xFFFFFFu) << x << "," << y;
    }
  img.fill(0);
  img.drawImage32Scaled(0, 0, 2, 2, src);   // over black: (253 * c) >> 8
  EXPECT_EQ(img.getPixel(0, 0), 0xC3602Fu);
  // A fully transparent source leaves the pixels.
  src.fill(kTransparent);
  img.drawImage32Scaled(0, 0, 4, 4, src);
  EXPECT_EQ(img.getPixel(0, 0), 0xC3602Fu);
  EXPECT_EQ(img.getPixel(3, 3), 0u);
}

TEST(Image24, DrawImage32ScaledFractionalPosition) {
  // 3 x 1 black | white | black into 2 x 1: step 1.5; column 1 sits at 1.5.
  Image32 src;
  ASSERT_TRUE(src.create(3, 1));
  src.set(0, 0, 0xFF000000);
  src.set(1, 0, 0xFFFFFFFF);
  src.set(2, 0, 0xFF000000);
  Image24 img;
  ASSERT_TRUE(img.create(2, 1));
  img.fill(0xFFFFFF);
  img.drawImage32Scaled(0, 0, 2, 1, src);
  // Column 0: colour 0, alpha 253: 255 + (253 * -255 >> 8) = 255 - 253 = 2.
  EXPECT_EQ(img.getPixel(0, 0), 0x020202u);
  // Column 1: fx = 128; upper = (255*127 + 0*128) >> 8 = 126, lower (the pixel
  // itself below) = 254, mixed (126 * 255) >> 8 = 125; 255 + (253 * -130 >> 8) = 126.
  EXPECT_EQ(img.getPixel(1, 0), 0x7E7E7Eu);
}

TEST(Image24, DrawImage32ScaledStaysInside) {
  Image32 src;
  ASSERT_TRUE(src.create(10, 2));
  src.fill(0xFF000000);
  Image24 img;
  ASSERT_TRUE(img.create(6, 6));
  img.fill(0xFFFFFF);
  // Taller than the aspect ratio allows: rows past the source are skipped.
  img.drawImage32Scaled(0, 0, 5, 5, src);
  EXPECT_NE(img.getPixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(img.getPixel(0, 1), 0xFFFFFFu);   // row 1 samples source row 2
  // Partly outside the buffer.
  img.drawImage32Scaled(-3, -1, 20, 20, src);
  img.drawImage32Scaled(4, 4, 20, 20, src);
  img.drawImage32Scaled(100, 100, 2, 2, src);
  img.drawImage32Scaled(0, 0, 0, 2, src);
}

TEST(Image24, DrawBitmap1) {
  Image24 img;
  ASSERT_TRUE(img.create(12, 3));
  img.fill(0x010101);
  // 10 x 2, two bytes a row, most significant bit first.
  const uint8_t bits[] = {0b10100000, 0b01000000, 0b00000001, 0b10000000};
  img.drawBitmap1(1, 1, 0xABCDEF, bits, 10, 2);
  EXPECT_EQ(pixelsOf(img, 0xABCDEF), (Points{{1, 1}, {3, 1}, {10, 1}, {8, 2}, {9, 2}}));
  // Partly outside: clipped.
  img.fill(0x010101);
  img.drawBitmap1(-2, 2, 0xABCDEF, bits, 10, 2);
  EXPECT_EQ(pixelsOf(img, 0xABCDEF), (Points{{0, 2}, {7, 2}}));
  img.drawBitmap1(5, -1, 0xABCDEF, bits, 10, 2);
  img.drawBitmap1(11, 2, 0xABCDEF, bits, 10, 2);
  img.drawBitmap1(0, 0, 0xABCDEF, nullptr, 10, 2);
}

TEST(Image24, DrawDiscPreview) {
  Image24 img;
  ASSERT_TRUE(img.create(11, 11));
  img.fill(0x123456);
  img.drawDiscPreview(6);
  // Black frame around the whole buffer.
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(img.getPixel(i, 0), 0u);
    EXPECT_EQ(img.getPixel(i, 10), 0u);
    EXPECT_EQ(img.getPixel(0, i), 0u);
    EXPECT_EQ(img.getPixel(10, i), 0u);
  }
  // Grey everywhere, symmetric about the main diagonal. (The sub-positions
  // 0..204 lie on average 0.1 pixel before the pixel centre, so the disc is
  // not exactly mirror-symmetric left to right; see the pinned rows.)
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) {
      const uint32_t v = img.getPixel(x, y);
      EXPECT_EQ(v, (v & 0xFF) * 0x010101u);
      EXPECT_EQ(v, img.getPixel(y, x)) << x << "," << y;
    }
  const int row2[11] = {0, 255, 255, 255, 204, 153, 184, 255, 255, 255, 0};
  const int row5[11] = {0, 255, 153, 0, 0, 0, 0, 0, 102, 255, 0};
  const int row7[11] = {0, 255, 255, 72, 0, 0, 0, 31, 245, 255, 0};
  for (int x = 0; x < 11; ++x) {
    EXPECT_EQ(int(img.getPixel(x, 2) & 0xFF), row2[x]) << x;
    EXPECT_EQ(int(img.getPixel(x, 5) & 0xFF), row5[x]) << x;
    EXPECT_EQ(int(img.getPixel(x, 7) & 0xFF), row7[x]) << x;
  }
  // Mirror-symmetric up to the anti-aliased rim.
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x)
      EXPECT_LE(std::abs(int(img.getPixel(x, y) & 0xFF) - int(img.getPixel(10 - x, y) & 0xFF)), 80);
  // Radius 0: all white inside the frame.
  img.drawDiscPreview(0);
  EXPECT_EQ(img.getPixel(5, 5), 0xFFFFFFu);
  EXPECT_EQ(img.getPixel(0, 5), 0u);
}

// Strip 30 x 4: glyph d is filled with colour 0x100 + d.
Image24 digitStrip() {
  Image24 strip;
  EXPECT_TRUE(strip.create(30, 4));
  for (int d = 0; d < 10; ++d) strip.fillRect(d * 3, 0, 3, 4, 0x100u + d);
  return strip;
}

// The glyph drawn in each of the three cells at (dx, dy), or -1 for untouched.
std::vector<int> cells(const Image24& img, int dx, int dy) {
  std::vector<int> out;
  for (int c = 0; c < 3; ++c) {
    const uint32_t v = img.getPixel(dx + c * 3 + 1, dy + 2);
    out.push_back(v == 0xEEEEEE ? -1 : int(v) - 0x100);
  }
  return out;
}

TEST(Image24, DrawNumberBlankLeadingZeros) {
  const Image24 strip = digitStrip();
  Image24 img;
  ASSERT_TRUE(img.create(12, 6));
  const std::pair<int, std::vector<int>> cases[] = {
      {7, {-1, -1, 7}}, {40, {-1, 4, 0}}, {0, {-1, -1, -1}}, {105, {1, 0, 5}},
      {999, {9, 9, 9}}, {100, {1, 0, 0}}, {1234, {9, 9, 9}}, {-5, {-1, -1, -1}}};
  for (const auto& [value, expected] : cases) {
    img.fill(0xEEEEEE);
    img.drawNumber(1, 1, value, strip);
    EXPECT_EQ(cells(img, 1, 1), expected) << value;
    // Every glyph pixel of a drawn cell, nothing outside the three cells.
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool inCells = x >= 1 && x < 10 && y >= 1 && y < 5;
        if (!inCells) {
          EXPECT_EQ(img.getPixel(x, y), 0xEEEEEEu);
        }
      }
  }
  img.fill(0xEEEEEE);
  img.drawNumber(1, 1, 7, strip);
  EXPECT_EQ(pixelsOf(img, 0x107).size(), 12u);
}

TEST(Image24, DrawNumberIsClippedAndSafe) {
  const Image24 strip = digitStrip();
  Image24 img;
  ASSERT_TRUE(img.create(8, 3));
  img.fill(0xEEEEEE);
  img.drawNumber(-1, -2, 123, strip);
  // Cells at x = -1, 2, 5, rows -2..1: visible parts are rows 0..1.
  EXPECT_EQ(img.getPixel(0, 0), 0x101u);
  EXPECT_EQ(img.getPixel(1, 1), 0x101u);
  EXPECT_EQ(img.getPixel(2, 0), 0x102u);
  EXPECT_EQ(img.getPixel(7, 1), 0x103u);
  EXPECT_EQ(img.getPixel(0, 2), 0xEEEEEEu);
  img.drawNumber(6, 2, 888, strip);
  img.drawNumber(100, 100, 888, strip);
  Image24 narrow;   // glyphs 0 pixels wide
  ASSERT_TRUE(narrow.create(9, 4));
  img.drawNumber(0, 0, 555, narrow);
  Image24 empty;
  img.drawNumber(0, 0, 555, empty);
}

TEST(Image24, FillTexture) {
  // 3 x 2 texture, top row first.
  const uint8_t tex[] = {3, 0, 2, 0, 0, 10, 20, 100, 110, 120};
  Image24 img;
  ASSERT_TRUE(img.create(8, 3));
  img.fill(0x010101);
  EXPECT_EQ(img.fillTexture(1, 1, 5, 4, tex, false), 2);   // cut at the bottom
  EXPECT_EQ(img.getPixel(0, 1), 0x010101u);
  EXPECT_EQ(img.getPixel(1, 1), 0xFFFFFFu);   // v 0
  EXPECT_EQ(img.getPixel(2, 1), 0xF5F5F5u);   // v 10
  EXPECT_EQ(img.getPixel(3, 1), 0xEBEBEBu);   // v 20
  EXPECT_EQ(img.getPixel(4, 1), 0xFFFFFFu);   // tiled: v 0 again
  EXPECT_EQ(img.getPixel(5, 1), 0xF5F5F5u);
  EXPECT_EQ(img.getPixel(6, 1), 0x010101u);
  EXPECT_EQ(img.getPixel(1, 2), 0x9B9B9Bu);   // v 100
  EXPECT_EQ(img.getPixel(3, 2), 0x878787u);   // v 120
  EXPECT_EQ(img.getPixel(1, 0), 0x010101u);

  img.fill(0x010101);
  EXPECT_EQ(img.fillTexture(0, 0, 2, 3, tex, true), 3);
  EXPECT_EQ(img.getPixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(img.getPixel(1, 0), 0xFFF5F5u);   // red 255, green = blue = 245
  EXPECT_EQ(img.getPixel(1, 1), 0xFF9191u);   // v 110
  EXPECT_EQ(img.getPixel(1, 2), 0xFFF5F5u);   // tiled down
  EXPECT_EQ(img.getPixel(2, 0), 0x010101u);
}

TEST(Image24, FillTextureIsSafe) {
  const uint8_t tex[] = {3, 0, 2, 0, 0, 10, 20, 100, 110, 120};
  const uint8_t zeroW[] = {0, 0, 2, 0};
  const uint8_t zeroH[] = {3, 0, 0, 0};
  Image24 img;
  ASSERT_TRUE(img.create(4, 3));
  img.fill(0x010101);
  EXPECT_EQ(img.fillTexture(0, 0, 4, 3, zeroW, false), 0);
  EXPECT_EQ(img.fillTexture(0, 0, 4, 3, zeroH, false), 0);
  EXPECT_EQ(img.fillTexture(0, 0, 4, 3, nullptr, false), 0);
  EXPECT_TRUE(pixelsOf(img, 0x010101).size() == 12u);
  EXPECT_EQ(img.fillTexture(0, 5, 4, 3, tex, false), 0);    // below the buffer
  EXPECT_EQ(img.fillTexture(2, 0, 10, 1, tex, false), 1);   // cut at the right too
  EXPECT_EQ(img.getPixel(3, 0), 0xF5F5F5u);
  EXPECT_EQ(img.getPixel(0, 1), 0x010101u);   // nothing wrapped into the next row
  // Left and top clipped, tiling anchored at (-1, -1).
  img.fill(0x010101);
  EXPECT_EQ(img.fillTexture(-1, -1, 3, 3, tex, false), 2);
  EXPECT_EQ(img.getPixel(0, 0), 0x919191u);   // texture (1, 1) = 110
  EXPECT_EQ(img.getPixel(1, 1), 0xEBEBEBu);   // texture (2 mod 3, 2 mod 2) = (2, 0) = 20
  EXPECT_EQ(img.getPixel(2, 0), 0x010101u);
}

// ---------------------------------------------------------------------------
// Packed records

std::vector<uint8_t> packedRecord(int w, int h, const std::vector<uint8_t>& pixels) {
  uLongf len = compressBound(uLong(pixels.size()));
  std::vector<uint8_t> z(len);
  EXPECT_EQ(compress(z.data(), &len, pixels.data(), uLong(pixels.size())), Z_OK);
  z.resize(len);
  std::vector<uint8_t> rec(8 + len);
  const uint8_t header[8] = {uint8_t(w),   uint8_t(w >> 8),   uint8_t(h),         uint8_t(h >> 8),
                             uint8_t(len), uint8_t(len >> 8), uint8_t(len >> 16), uint8_t(len >> 24)};
  std::memcpy(rec.data(), header, 8);
  std::memcpy(rec.data() + 8, z.data(), len);
  return rec;
}

std::vector<uint8_t> patternBytes(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + i / 13);
  return v;
}

TEST(Image24, CreateFromPackedRoundTrip) {
  for (int w : {1, 2, 3, 4, 5, 17}) {
    const int h = 3;
    const std::vector<uint8_t> pixels = patternBytes(size_t(Image24::pitchFor(w)) * h);
    Image24 img;
    ASSERT_TRUE(img.createFromPacked(packedRecord(w, h, pixels))) << w;
    EXPECT_EQ(img.width(), w);
    EXPECT_EQ(img.height(), h);
    ASSERT_EQ(img.byteSize(), pixels.size());
    EXPECT_EQ(std::memcmp(img.bits(), pixels.data(), pixels.size()), 0);
    // Bottom row first: the first three bytes are pixel (0, h - 1).
    EXPECT_EQ(img.getPixel(0, h - 1), uint32_t(pixels[0] | pixels[1] << 8 | pixels[2] << 16));
  }
  // A record with trailing bytes after the declared length is fine.
  std::vector<uint8_t> rec = packedRecord(300, 2, patternBytes(size_t(Image24::pitchFor(300)) * 2));
  rec.push_back(0xAA);
  Image24 img;
  EXPECT_TRUE(img.createFromPacked(rec));
  EXPECT_EQ(img.width(), 300);
}

TEST(Image24, CreateFromPackedRejectsMalformedRecords) {
  const int w = 5, h = 4;
  const size_t size = size_t(Image24::pitchFor(w)) * h;
  const std::vector<uint8_t> good = packedRecord(w, h, patternBytes(size));
  const uint32_t len = uint32_t(good.size() - 8);

  std::vector<std::pair<const char*, std::vector<uint8_t>>> bad;
  bad.emplace_back("empty", std::vector<uint8_t>{});
  bad.emplace_back("truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 7));
  bad.emplace_back("header only", std::vector<uint8_t>(good.begin(), good.begin() + 8));
  {
    // Declared length larger than the data that follows.
    std::vector<uint8_t> r = good;
    r.pop_back();
    bad.emplace_back("declared length too large", r);
    r = good;
    r[7] = 0x80;
    bad.emplace_back("declared length huge", r);
  }
  {
    // Stream cut short, with a length that admits it.
    std::vector<uint8_t> r(good.begin(), good.end() - 6);
    const uint32_t l = len - 6;
    r[4] = uint8_t(l), r[5] = uint8_t(l >> 8), r[6] = uint8_t(l >> 16), r[7] = uint8_t(l >> 24);
    bad.emplace_back("truncated stream", r);
  }
  bad.emplace_back("too few bytes", packedRecord(w, h, patternBytes(size - 1)));
  bad.emplace_back("too many bytes", packedRecord(w, h, patternBytes(size + 1)));
  bad.emplace_back("one row too many", packedRecord(w, h - 1, patternBytes(size)));
  {
    std::vector<uint8_t> r = good;
    r[0] = r[1] = 0;
    bad.emplace_back("zero width", r);
    r = good;
    r[2] = r[3] = 0;
    bad.emplace_back("zero height", r);
    r = good;
    r[8 + 5] ^= 0x55;
    bad.emplace_back("corrupt data", r);
    r = good;
    r.back() ^= 0x01;
    bad.emplace_back("bad checksum", r);
    r = good;
    r[8] = 0x00;
    bad.emplace_back("bad zlib header", r);
    r = good;
    r[0] = 0xFF, r[1] = 0xFF, r[2] = 0xFF, r[3] = 0xFF;
    bad.emplace_back("huge size, small stream", r);
  }
  bad.emplace_back("stored garbage", std::vector<uint8_t>{5, 0, 4, 0, 4, 0, 0, 0, 1, 2, 3, 4});

  for (const auto& [name, rec] : bad) {
    Image24 img;
    ASSERT_TRUE(img.create(3, 3));
    EXPECT_FALSE(img.createFromPacked(rec)) << name;
    expectEmpty(img);
  }
  Image24 img;
  EXPECT_TRUE(img.createFromPacked(good));
}

}  // namespace
}  // namespace tessel
