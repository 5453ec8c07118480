#include "undo/undo_rle.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/image32.h"
#include "undo_test_util.h"

namespace tessel {
namespace {

using undotest::normalised;
using undotest::scribble;

// The walk one pixel at a time: count transparent pixels, flush at 255,
// before the next visible pixel and at the end.
std::vector<uint8_t> referenceEncode(const Image32& image, const Rect& r) {
  std::vector<uint8_t> out;
  int run = 0;
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      Pixel p = image.at(x, y);
      if (alphaOf(p) == 0) {
        if (++run == 255) {
          out.insert(out.end(), {0, 255});
          run = 0;
        }
        continue;
      }
      if (run) out.insert(out.end(), {0, uint8_t(run)});
      run = 0;
      out.insert(out.end(), {alphaOf(p), redOf(p), greenOf(p), blueOf(p)});
    }
  if (run) out.insert(out.end(), {0, uint8_t(run)});
  return out;
}

std::vector<uint8_t> encode(const Image32& image, const Rect& r) {
  // Exactly the computed size, so the sanitizers see any write past it.
  size_t size = rleEncodedSize(image, r);
  std::vector<uint8_t> out(size);
  EXPECT_EQ(rleEncode(image, r, out.data(), out.size()), size);
  return out;
}

Image32 makeImage(int w, int h, Pixel fill) {
  Image32 image;
  EXPECT_TRUE(image.create(w, h));
  image.fill(fill);
  return image;
}

TEST(UndoRle, TransparentLayerOf300x300Is706Bytes) {
  Image32 image = makeImage(300, 300, kTransparent);
  std::vector<uint8_t> bytes = encode(image, image.bounds());
  ASSERT_EQ(bytes.size(), 706u);
  for (size_t i = 0; i < 704; i += 2) {
    ASSERT_EQ(bytes[i], 0);
    ASSERT_EQ(bytes[i + 1], 255);
  }
  EXPECT_EQ(bytes[704], 0);
  EXPECT_EQ(bytes[705], 240);
}

TEST(UndoRle, PixelsAreAlphaRedGreenBlueAndRunsCrossRowEnds) {
  Image32 image = makeImage(3, 2, kTransparent);
  image.set(0, 0, 0x80112233u);
  image.set(1, 1, 0x01FEDCBAu);   // three clear pixels before it: two end row 0, one starts row 1
  image.set(2, 1, 0x00ABCDEFu);   // alpha 0 counts as clear whatever its colour
  std::vector<uint8_t> expected{0x80, 0x11, 0x22, 0x33, 0, 3, 0x01, 0xFE, 0xDC, 0xBA, 0, 1};
  EXPECT_EQ(encode(image, image.bounds()), expected);
}

TEST(UndoRle, RunOfExactly255IsFlushedBeforeThePixel) {
  Image32 image = makeImage(256, 1, kTransparent);
  image.set(255, 0, 0xFF000000u);
  std::vector<uint8_t> expected{0, 255, 0xFF, 0, 0, 0};
  EXPECT_EQ(encode(image, image.bounds()), expected);
  // One more clear pixel in front costs a pending run: 0,255 0,1 then the pixel.
  Image32 longer = makeImage(257, 1, kTransparent);
  longer.set(256, 0, 0xFF000000u);
  EXPECT_EQ(encode(longer, longer.bounds()).size(), 2u + 6u);
}

TEST(UndoRle, OpaqueAreaNeverExceedsFourBytesAPixel) {
  Image32 image = makeImage(17, 9, 0xFF102030u);
  EXPECT_EQ(rleEncodedSize(image, image.bounds()), 17u * 9u * 4u);
  EXPECT_EQ(rleEncodedSize(image, {3, 2, 5, 4}), 5u * 4u * 4u);
}

TEST(UndoRle, RandomRectanglesMatchTheReferenceAndRoundTrip) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 60; ++round) {
    int w = 1 + int(rng() % 90), h = 1 + int(rng() % 40);
    Image32 image = makeImage(w, h, 0);
    // Long clear stretches as well as speckles.
    int clear = int(rng() % 101);
    scribble(image, image.bounds(), rng, clear);
    if (round % 3 == 0) image.fillRect(0, 0, w, h / 2, 0x00123456u);
    Rect r{int(rng() % unsigned(w)), int(rng() % unsigned(h)), 0, 0};
    r.w = 1 + int(rng() % unsigned(w - r.x));
    r.h = 1 + int(rng() % unsigned(h - r.y));

    std::vector<uint8_t> bytes = encode(image, r);
    ASSERT_EQ(bytes, referenceEncode(image, r)) << "round " << round;

    Image32 back = makeImage(w, h, 0xDEADBEEFu);
    ASSERT_TRUE(rleDecode(bytes.data(), bytes.size(), back, r));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        Pixel want = r.contains(x, y) ? normalised(image.at(x, y)) : 0xDEADBEEFu;
        ASSERT_EQ(back.at(x, y), want) << "round " << round << " at " << x << "," << y;
      }
  }
}

TEST(UndoRle, StretchesAroundTheRunLimitAtEveryAlignment) {
  // Clear stretches of awkward lengths between single visible pixels, placed
  // at every offset within eight, so each path of the walk meets them.
  const int lengths[] = {1, 7, 8, 9, 246, 247, 248, 253, 254, 255, 256, 257, 509, 510, 511};
  for (int offset = 0; offset < 8; ++offset) {
    Image32 image = makeImage(700, 6, 0xFF445566u);
    int x = offset, y = 0;
    for (int len : lengths) {
      for (int k = 0; k < len; ++k) {
        image.set(x, y, 0x00000000u);
        if (++x == 700) x = 0, ++y;
      }
      if (++x >= 700) x = 0, ++y;   // one visible pixel between stretches
    }
    ASSERT_LT(y, 6);
    ASSERT_EQ(encode(image, image.bounds()), referenceEncode(image, image.bounds()))
        << "offset " << offset;
    ASSERT_EQ(encode(image, {offset, 1, 700 - offset, 5}),
              referenceEncode(image, {offset, 1, 700 - offset, 5}));
  }
}

TEST(UndoRle, DecodeRejectsDamagedData) {
  Image32 image = makeImage(4, 2, 0);
  Rect all = image.bounds();
  const uint8_t shortPixel[] = {0x80, 1, 2};
  const uint8_t zeroRun[] = {0, 0};
  const uint8_t tooLongRun[] = {0, 9};
  const uint8_t tooFew[] = {0, 7};
  const uint8_t trailing[] = {0, 8, 0xFF, 1, 2, 3};
  const uint8_t runCut[] = {0, 4, 0};
  EXPECT_FALSE(rleDecode(shortPixel, sizeof shortPixel, image, all));
  EXPECT_FALSE(rleDecode(zeroRun, sizeof zeroRun, image, all));
  EXPECT_FALSE(rleDecode(tooLongRun, sizeof tooLongRun, image, all));
  EXPECT_FALSE(rleDecode(tooFew, sizeof tooFew, image, all));
  EXPECT_FALSE(rleDecode(trailing, sizeof trailing, image, all));
  EXPECT_FALSE(rleDecode(runCut, sizeof runCut, image, all));
  EXPECT_FALSE(rleDecode(nullptr, 0, image, all));
  const uint8_t exact[] = {0, 8};
  EXPECT_TRUE(rleDecode(exact, sizeof exact, image, all));
  EXPECT_EQ(image.at(3, 1), kTransparent);
}

}  // namespace
}  // namespace tessel
