#include "formats/clipboard_dib.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace tessel {
namespace {

void put16(std::vector<uint8_t>& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void put32(std::vector<uint8_t>& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// A DIB block: a header of headerSize bytes (the rest zero), then extra bytes
// (masks) and the pixel bytes.
std::vector<uint8_t> dib(int32_t w, int32_t h, int bits, uint32_t compression, const std::vector<uint8_t>& pixels,
                         uint32_t headerSize = 40, const std::vector<uint8_t>& extra = {}) {
  std::vector<uint8_t> b;
  put32(b, headerSize);
  put32(b, uint32_t(w));
  put32(b, uint32_t(h));
  put16(b, 1);
  put16(b, uint32_t(bits));
  put32(b, compression);
  b.resize(headerSize <= 1024 ? headerSize : 40, 0);   // a lying size gets a plain header
  b.insert(b.end(), extra.begin(), extra.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

std::vector<uint8_t> encode(const Image32& image, int bits) {
  std::vector<uint8_t> out(dibByteSize(image, bits));
  EXPECT_EQ(writeDib(image, bits, out.data(), out.size()), out.size());
  return out;
}

// 3 x 2: top row red, green, blue; bottom row 50% grey, transparent, white.
Image32 sample() {
  Image32 image;
  EXPECT_TRUE(image.create(3, 2));
  image.set(0, 0, 0xFFFF0000);
  image.set(1, 0, 0x8000FF00);
  image.set(2, 0, 0xFF0000FF);
  image.set(0, 1, 0xFF808080);
  image.set(1, 1, 0x00123456);
  image.set(2, 1, 0xFFFFFFFF);
  return image;
}

TEST(ClipboardDib, Copy24WritesPaddedBgrRowsBottomFirst) {
  Image32 image = sample();
  std::vector<uint8_t> bytes = encode(image, 24);
  ASSERT_EQ(bytes.size(), 40u + 2 * 12);
  std::vector<uint8_t> header = dib(3, 2, 24, 0, {});
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40), header);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 40, bytes.end()),
            (std::vector<uint8_t>{0x80, 0x80, 0x80, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0, 0, 0,
                                  0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0}));
  // No padding when the row is a multiple of 4 bytes already.
  Image32 four;
  ASSERT_TRUE(four.create(4, 1));
  EXPECT_EQ(dibByteSize(four, 24), 40u + 12);
}

TEST(ClipboardDib, Copy32IsTheHeaderAndThePixelMemory) {
  Image32 image = sample();
  std::vector<uint8_t> bytes = encode(image, 32);
  ASSERT_EQ(bytes.size(), 40u + 24);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40), dib(3, 2, 32, 0, {}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 40, bytes.end()),
            (std::vector<uint8_t>{0x80, 0x80, 0x80, 0xFF, 0x56, 0x34, 0x12, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
                                  0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x80, 0xFF, 0x00, 0x00, 0xFF}));
}

TEST(ClipboardDib, WriteRefusesEmptyImagesOtherDepthsAndShortBuffers) {
  Image32 empty;
  EXPECT_EQ(dibByteSize(empty, 24), 0u);
  Image32 image = sample();
  EXPECT_EQ(dibByteSize(image, 16), 0u);
  std::vector<uint8_t> out(63);
  EXPECT_EQ(writeDib(image, 32, out.data(), out.size()), 0u);
  EXPECT_EQ(writeDib(image, 8, out.data(), out.size()), 0u);
}

TEST(ClipboardDib, Paste32RoundTripsAndWhitensAlphaZero) {
  std::vector<uint8_t> bytes = encode(sample(), 32);
  EXPECT_EQ(checkDib32(bytes.data(), bytes.size()), DibResult::Ok);
  Image32 target;
  ASSERT_TRUE(target.create(3, 2));
  ASSERT_EQ(pasteDib32(bytes.data(), bytes.size(), target), DibResult::Ok);
  EXPECT_EQ(target.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(target.at(1, 0), 0x8000FF00u);
  EXPECT_EQ(target.at(2, 0), 0xFF0000FFu);
  EXPECT_EQ(target.at(0, 1), 0xFF808080u);
  EXPECT_EQ(target.at(1, 1), 0x00FFFFFFu);   // was 0x00123456
  EXPECT_EQ(target.at(2, 1), 0xFFFFFFFFu);
}

TEST(ClipboardDib, Paste32CopiesTheOverlapTopLeftOverTransparentWhite) {
  std::vector<uint8_t> bytes = encode(sample(), 32);
  Image32 big;
  ASSERT_TRUE(big.create(4, 3));
  big.fill(0xFF000000);
  ASSERT_EQ(pasteDib32(bytes.data(), bytes.size(), big), DibResult::Ok);
  EXPECT_EQ(big.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(big.at(2, 1), 0xFFFFFFFFu);
  EXPECT_EQ(big.at(3, 0), kTransparent);
  EXPECT_EQ(big.at(0, 2), kTransparent);
  Image32 small;
  ASSERT_TRUE(small.create(2, 1));
  ASSERT_EQ(pasteDib32(bytes.data(), bytes.size(), small), DibResult::Ok);
  EXPECT_EQ(small.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(small.at(1, 0), 0x8000FF00u);
}

TEST(ClipboardDib, Paste32FindsPixelsAfterMasksOrALongerHeader) {
  const std::vector<uint8_t> px = {1, 2, 3, 4};
  const std::vector<uint8_t> masks = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
  Image32 target;
  ASSERT_TRUE(target.create(1, 1));
  std::vector<uint8_t> bitFields = dib(1, 1, 32, 3, px, 40, masks);
  ASSERT_EQ(pasteDib32(bitFields.data(), bitFields.size(), target), DibResult::Ok);
  EXPECT_EQ(target.at(0, 0), 0x04030201u);
  // A V5 header carries its masks inside; nothing more is skipped.
  std::vector<uint8_t> v5 = dib(1, 1, 32, 3, px, 124);
  ASSERT_EQ(pasteDib32(v5.data(), v5.size(), target), DibResult::Ok);
  EXPECT_EQ(target.at(0, 0), 0x04030201u);
  std::vector<uint8_t> v4 = dib(1, 1, 32, 0, {9, 8, 7, 6}, 108);
  ASSERT_EQ(pasteDib32(v4.data(), v4.size(), target), DibResult::Ok);
  EXPECT_EQ(target.at(0, 0), 0x06070809u);
}

TEST(ClipboardDib, NegativeHeightIsTopDownAndCountsAsItsAbsoluteValue) {
  // First stored row is the top one: red above blue.
  std::vector<uint8_t> bytes = dib(1, -2, 32, 0, {0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF});
  int w = 0, h = 0;
  ASSERT_TRUE(dibSize(bytes.data(), bytes.size(), w, h));
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 2);
  Image32 target;
  ASSERT_TRUE(target.create(1, 2));
  ASSERT_EQ(pasteDib32(bytes.data(), bytes.size(), target), DibResult::Ok);
  EXPECT_EQ(target.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(target.at(0, 1), 0xFF0000FFu);
}

TEST(ClipboardDib, TwentyFourBitsFailTheThirtyTwoBitCheckAndLeaveTheTarget) {
  std::vector<uint8_t> bytes = encode(sample(), 24);
  EXPECT_EQ(checkDib32(bytes.data(), bytes.size()), DibResult::Not32Bit);
  Image32 target;
  ASSERT_TRUE(target.create(3, 2));
  target.fill(0xFF010203);
  EXPECT_EQ(pasteDib32(bytes.data(), bytes.size(), target), DibResult::Not32Bit);
  EXPECT_EQ(target.at(1, 1), 0xFF010203u);
  EXPECT_STREQ(kMsgNot32BitDib, "图像不是32BIT格式");
}

TEST(ClipboardDib, PasteBitmapIsOpaqueOverWhite) {
  Image32 target;
  ASSERT_TRUE(target.create(4, 3));
  std::vector<uint8_t> b24 = encode(sample(), 24);
  ASSERT_TRUE(pasteBitmap(b24.data(), b24.size(), target));
  EXPECT_EQ(target.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(target.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(target.at(1, 1), 0xFF123456u);
  EXPECT_EQ(target.at(3, 2), 0xFFFFFFFFu);
  std::vector<uint8_t> b32 = encode(sample(), 32);
  ASSERT_TRUE(pasteBitmap(b32.data(), b32.size(), target));
  EXPECT_EQ(target.at(1, 1), 0xFF123456u);   // colour kept, made opaque
  std::vector<uint8_t> b16 = dib(1, 1, 16, 0, {0, 0, 0, 0});
  EXPECT_FALSE(pasteBitmap(b16.data(), b16.size(), target));
  std::vector<uint8_t> rle = dib(1, 1, 24, 1, {0, 0, 0, 0});
  EXPECT_FALSE(pasteBitmap(rle.data(), rle.size(), target));
  Image32 none;
  EXPECT_FALSE(pasteBitmap(b24.data(), b24.size(), none));
}

TEST(ClipboardDib, UnsoundHeadersAreRefused) {
  Image32 target;
  ASSERT_TRUE(target.create(2, 2));
  int w = 0, h = 0;
  const std::vector<uint8_t> px(16, 0x7F);
  const std::vector<std::vector<uint8_t>> bad = {
      dib(2, 2, 32, 0, px, 41),                         // unknown header size
      dib(2, 2, 32, 0, px, 0xFFFFFFFF),                 // header size past the block
      dib(0, 2, 32, 0, px), dib(-2, 2, 32, 0, px),      // no width
      dib(2, 0, 32, 0, px), dib(2, INT32_MIN, 32, 0, px),
      std::vector<uint8_t>(39, 0),
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    const std::vector<uint8_t>& b = bad[i];
    EXPECT_FALSE(dibSize(b.data(), b.size(), w, h)) << i;
    EXPECT_EQ(checkDib32(b.data(), b.size()), DibResult::Invalid) << i;
    EXPECT_EQ(pasteDib32(b.data(), b.size(), target), DibResult::Invalid) << i;
    EXPECT_FALSE(pasteBitmap(b.data(), b.size(), target)) << i;
  }
  EXPECT_FALSE(dibSize(nullptr, 0, w, h));
  // The 124-byte header must itself lie inside the block.
  std::vector<uint8_t> cut = dib(1, 1, 32, 0, {}, 124);
  cut.resize(100);
  EXPECT_FALSE(dibSize(cut.data(), cut.size(), w, h));
}

TEST(ClipboardDib, RowsPastTheEndAreRefusedBeforeAnyRead) {
  Image32 target;
  ASSERT_TRUE(target.create(2, 2));
  target.fill(0xFF010203);
  std::vector<uint8_t> shortRow = dib(2, 2, 32, 0, std::vector<uint8_t>(15, 0));
  EXPECT_EQ(pasteDib32(shortRow.data(), shortRow.size(), target), DibResult::Invalid);
  std::vector<uint8_t> masksMissing = dib(2, 2, 32, 3, std::vector<uint8_t>(16, 0));
  EXPECT_EQ(pasteDib32(masksMissing.data(), masksMissing.size(), target), DibResult::Invalid);
  // 24-bit rows of 2 pixels take 8 bytes with padding: 15 bytes hold one row only.
  std::vector<uint8_t> shortPad = dib(2, 2, 24, 0, std::vector<uint8_t>(15, 0));
  EXPECT_FALSE(pasteBitmap(shortPad.data(), shortPad.size(), target));
  // Sizes whose product overflows still only fail.
  std::vector<uint8_t> huge = dib(INT32_MAX, INT32_MAX, 32, 0, std::vector<uint8_t>(64, 0));
  EXPECT_EQ(pasteDib32(huge.data(), huge.size(), target), DibResult::Invalid);
  EXPECT_FALSE(pasteBitmap(huge.data(), huge.size(), target));
  std::vector<uint8_t> tall = dib(1, -INT32_MAX, 24, 0, std::vector<uint8_t>(64, 0));
  EXPECT_FALSE(pasteBitmap(tall.data(), tall.size(), target));
  EXPECT_EQ(target.at(0, 0), 0xFF010203u);
  // The size query reads the header only: the caller checks the limit.
  int w = 0, h = 0;
  ASSERT_TRUE(dibSize(huge.data(), huge.size(), w, h));
  EXPECT_EQ(w, INT32_MAX);
}

}  // namespace
}  // namespace tessel
