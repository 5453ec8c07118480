#include "formats/bmp_codec.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formats/temp_dir.h"
#include "formats/thumbnail_sink.h"

namespace tessel {
namespace {

using testing::le16;
using testing::le32;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

void put16(std::vector<uint8_t>& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void put32(std::vector<uint8_t>& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// A BMP with an info header (or a header of headerSize bytes), palette
// quadruples, optional masks after the header, then pixel bytes.
std::vector<uint8_t> bmp(int32_t w, int32_t h, int bits, uint32_t compression, const std::vector<uint32_t>& palette,
                         const std::vector<uint8_t>& pixels, uint32_t headerSize = 40,
                         const std::vector<uint32_t>& masks = {}) {
  std::vector<uint8_t> b = {'B', 'M'};
  const bool masksAfter = headerSize == 40 && !masks.empty();
  const uint32_t offset = 14 + headerSize + (masksAfter ? 4 * uint32_t(masks.size()) : 0) + uint32_t(palette.size()) * 4;
  put32(b, offset + uint32_t(pixels.size()));
  put32(b, 0);
  put32(b, offset);
  put32(b, headerSize);
  put32(b, uint32_t(w));
  put32(b, uint32_t(h));
  put16(b, 1);
  put16(b, uint32_t(bits));
  put32(b, compression);
  put32(b, 0);
  put32(b, 2835);
  put32(b, 2835);
  put32(b, uint32_t(palette.size()));
  put32(b, 0);
  if (headerSize > 40) {
    for (size_t i = 0; i < 4; ++i) put32(b, i < masks.size() ? masks[i] : 0);
    b.resize(14 + headerSize, 0);
  }
  if (masksAfter)
    for (uint32_t m : masks) put32(b, m);
  for (uint32_t c : palette) put32(b, c);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

class BmpTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("t.bmp");
  Image32 image;
  ImageReadInfo info;
  bool load(const std::vector<uint8_t>& bytes) {
    writeBytes(path, bytes);
    return readBmp(path, image, info);
  }
};

TEST_F(BmpTest, PalettedDepthsBottomUpAndTopDown) {
  const std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  // 1 bit, 3 x 2, bottom-up: file row 0 is the bottom row.
  ASSERT_TRUE(load(bmp(3, 2, 1, 0, {0x000000, 0x123456}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0})));
  EXPECT_EQ(image.at(0, 1), 0xFF123456u);
  EXPECT_EQ(image.at(1, 1), 0xFF000000u);
  EXPECT_EQ(image.at(2, 1), 0xFF123456u);
  EXPECT_EQ(image.at(1, 0), 0xFF123456u);
  // 4 bits, top-down.
  ASSERT_TRUE(load(bmp(3, -2, 4, 0, pal, {0x12, 0x30, 0, 0, 0x01, 0x20, 0, 0})));
  EXPECT_EQ(image.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(image.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(image.at(2, 0), 0xFF0000FFu);
  EXPECT_EQ(image.at(1, 1), 0xFFFF0000u);
  // 8 bits with a row pad.
  ASSERT_TRUE(load(bmp(2, 1, 8, 0, pal, {3, 2, 0, 0})));
  EXPECT_EQ(image.at(0, 0), 0xFF0000FFu);
  EXPECT_EQ(image.at(1, 0), 0xFF00FF00u);
}

TEST_F(BmpTest, DirectColourDepthsAndBitFields) {
  ASSERT_TRUE(load(bmp(1, 1, 24, 0, {}, {0x30, 0x20, 0x10, 0})));
  EXPECT_EQ(image.at(0, 0), 0xFF102030u);
  ASSERT_TRUE(load(bmp(1, 1, 32, 0, {}, {0x30, 0x20, 0x10, 0x00})));
  EXPECT_EQ(image.at(0, 0), 0xFF102030u);   // the fourth byte is not alpha
  // 16 bits 5-5-5: full red, half green (15 of 31 -> 123), blue 1 -> 8.
  ASSERT_TRUE(load(bmp(1, 1, 16, 0, {}, {uint8_t(0x01 | 15 << 5), uint8_t(0x7C | 15 >> 3), 0, 0})));
  EXPECT_EQ(image.at(0, 0), 0xFFFF7B08u);
  // 16 bits 5-6-5 in bit fields after an info header.
  ASSERT_TRUE(load(bmp(1, 1, 16, 3, {}, {0xE0, 0x07, 0, 0}, 40, {0xF800, 0x07E0, 0x001F})));
  EXPECT_EQ(image.at(0, 0), 0xFF00FF00u);
  ASSERT_TRUE(load(bmp(1, 1, 32, 3, {}, {0x11, 0x22, 0x33, 0x44}, 108, {0x000000FF, 0x0000FF00, 0x00FF0000})));
  EXPECT_EQ(image.at(0, 0), 0xFF112233u);
}

TEST_F(BmpTest, AlphaMaskIsKeptUnlessEveryAlphaIsZero) {
  const std::vector<uint32_t> masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  const std::vector<uint8_t> pixels = {0x30, 0x20, 0x10, 0x80, 0x30, 0x20, 0x10, 0x00};
  for (uint32_t header : {108u, 124u}) {
    ASSERT_TRUE(load(bmp(2, 1, 32, 3, {}, pixels, header, masks)));
    EXPECT_EQ(image.at(0, 0), 0x80102030u);
    EXPECT_EQ(image.at(1, 0), kTransparent);
  }
  // Alpha bit fields after an info header: four masks; 4-bit alpha in 16 bits.
  ASSERT_TRUE(load(bmp(1, 1, 16, 6, {}, {0x00, 0x8F, 0, 0}, 40, {0x0F00, 0x00F0, 0x000F, 0xF000})));
  EXPECT_EQ(image.at(0, 0), 0x88FF0000u);
  // Plain 32-bit pixels with a V5 alpha mask.
  ASSERT_TRUE(load(bmp(1, 1, 32, 0, {}, {0x30, 0x20, 0x10, 0x40}, 124, {0, 0, 0, 0xFF000000})));
  EXPECT_EQ(image.at(0, 0), 0x40102030u);
  // Every alpha zero, or no alpha mask: opaque, as before.
  ASSERT_TRUE(load(bmp(2, 1, 32, 3, {}, {0x30, 0x20, 0x10, 0, 1, 2, 3, 0}, 124, masks)));
  EXPECT_EQ(image.at(0, 0), 0xFF102030u);
  EXPECT_EQ(image.at(1, 0), 0xFF030201u);
  ASSERT_TRUE(load(bmp(1, 1, 32, 3, {}, {0x30, 0x20, 0x10, 0x40}, 124, {0xFF0000, 0xFF00, 0xFF, 0})));
  EXPECT_EQ(image.at(0, 0), 0xFF102030u);
  EXPECT_FALSE(info.hadAlpha);
  // The thumbnail mode reads the same alpha.
  std::vector<uint8_t> many;
  for (int i = 0; i < 40 * 30; ++i) many.insert(many.end(), {uint8_t(i), uint8_t(i * 3), 90, uint8_t(i % 7 * 40)});
  ASSERT_TRUE(load(bmp(40, 30, 32, 3, {}, many, 124, masks)));
  Image32 thumb, shrunk;
  ASSERT_TRUE(readBmpThumbnail(path, 16, thumb));
  ASSERT_TRUE(ThumbnailSink::shrink(image, 16, shrunk));
  EXPECT_EQ(std::memcmp(thumb.bits(), shrunk.bits(), shrunk.byteSize()), 0);
}

TEST_F(BmpTest, CoreHeaderWithThreeBytePalette) {
  std::vector<uint8_t> b = {'B', 'M'};
  put32(b, 0);
  put32(b, 0);
  put32(b, 14 + 12 + 6);
  put32(b, 12);
  put16(b, 2);
  put16(b, 1);
  put16(b, 1);
  put16(b, 1);
  b.insert(b.end(), {0x00, 0x00, 0x00, 0x30, 0x20, 0x10, 0x40, 0, 0, 0});
  ASSERT_TRUE(load(b));
  EXPECT_EQ(image.at(0, 0), 0xFF000000u);
  EXPECT_EQ(image.at(1, 0), 0xFF102030u);
}

TEST_F(BmpTest, RunLengthEncodings) {
  const std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  // RLE8, 4 x 2 bottom-up: run of 3 x index 1, end of line; delta (1, 0),
  // absolute 2, 3, 1 with its pad byte; end of bitmap.
  ASSERT_TRUE(load(bmp(4, 2, 8, 1, pal, {3, 1, 0, 0, 0, 2, 1, 0, 0, 3, 2, 3, 1, 0, 0, 1})));
  EXPECT_EQ(image.at(0, 1), 0xFFFF0000u);
  EXPECT_EQ(image.at(2, 1), 0xFFFF0000u);
  EXPECT_EQ(image.at(3, 1), 0xFF000000u);
  EXPECT_EQ(image.at(0, 0), 0xFF000000u);
  EXPECT_EQ(image.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(image.at(2, 0), 0xFF0000FFu);
  EXPECT_EQ(image.at(3, 0), 0xFFFF0000u);
  // RLE4: a run of 3 alternating 1 and 2, then absolute 3 pixels 3 2 1.
  ASSERT_TRUE(load(bmp(6, 1, 4, 2, pal, {3, 0x12, 0, 3, 0x32, 0x10, 0, 1})));
  EXPECT_EQ(image.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(image.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(image.at(2, 0), 0xFFFF0000u);
  EXPECT_EQ(image.at(3, 0), 0xFF0000FFu);
  EXPECT_EQ(image.at(4, 0), 0xFF00FF00u);
  EXPECT_EQ(image.at(5, 0), 0xFFFF0000u);
  // Runs past the edge are clipped, data that ends early leaves black.
  ASSERT_TRUE(load(bmp(2, 2, 8, 1, pal, {200, 3, 0, 255})));
  EXPECT_EQ(image.at(1, 1), 0xFF0000FFu);
  EXPECT_EQ(image.at(0, 0), 0xFF000000u);
}

TEST_F(BmpTest, BadAndTruncatedFilesAreRefused) {
  std::vector<uint8_t> good = bmp(2, 2, 24, 0, {}, std::vector<uint8_t>(16, 9));
  ASSERT_TRUE(load(good));
  std::vector<uint8_t> cut(good.begin(), good.end() - 1);
  EXPECT_FALSE(load(cut));
  EXPECT_FALSE(load(std::vector<uint8_t>(good.begin(), good.begin() + 30)));
  std::vector<uint8_t> magic = good;
  magic[0] = 'X';
  EXPECT_FALSE(load(magic));
  EXPECT_FALSE(load(bmp(2, 2, 7, 0, {}, std::vector<uint8_t>(16))));
  EXPECT_FALSE(load(bmp(2, 2, 24, 1, {}, std::vector<uint8_t>(16))));   // RLE8 needs 8 bits
  EXPECT_FALSE(load(bmp(0, 2, 24, 0, {}, {})));
  EXPECT_FALSE(load(bmp(2, 2, 24, 0, {}, std::vector<uint8_t>(16), 30)));
  std::vector<uint8_t> offset = good;
  offset[10] = 0xFF;
  offset[11] = 0xFF;
  EXPECT_FALSE(load(offset));
  EXPECT_FALSE(load(bmp(4501, 1, 24, 0, {}, {})));
  EXPECT_TRUE(info.tooLarge);
  EXPECT_FALSE(load(bmp(1, int32_t(0x80000000u), 24, 0, {}, {})));
}

TEST_F(BmpTest, TwoHundredFiftySixColoursWriteEightBitsAndMoreWriteTwentyFour) {
  Image32 src;
  ASSERT_TRUE(src.create(17, 16));
  for (int i = 0; i < 17 * 16; ++i) src.set(i % 17, i / 17, makePixel(255, uint32_t(i % 256), 7, uint32_t(i % 256 / 3)));
  ASSERT_TRUE(writeBmp(src, path));
  std::vector<uint8_t> b = readBytes(path);
  const uint32_t stride = 20;
  ASSERT_EQ(b.size(), 54u + 1024u + stride * 16u);
  EXPECT_EQ(le32(b, 2), b.size());
  EXPECT_EQ(le32(b, 10), 54u + 1024u);
  EXPECT_EQ(le32(b, 14), 40u);
  EXPECT_EQ(le16(b, 28), 8);
  EXPECT_EQ(le32(b, 30), 0u);
  EXPECT_EQ(le32(b, 38), 3780u);
  EXPECT_EQ(le32(b, 46), 256u);
  // The first palette entry is the bottom-left pixel (memory order), as B G R 0.
  const Pixel first = src.at(0, 15);
  EXPECT_EQ(le32(b, 54), first & 0x00FFFFFFu);
  EXPECT_EQ(b[54 + 1024], 0);
  ASSERT_TRUE(readBmp(path, image, info));
  EXPECT_EQ(std::memcmp(image.bits(), src.bits(), src.byteSize()), 0);

  src.set(16, 15, 0xFF010203u);   // a 257th colour
  ASSERT_TRUE(writeBmp(src, path));
  b = readBytes(path);
  EXPECT_EQ(le16(b, 28), 24);
  EXPECT_EQ(le32(b, 46), 0u);
  EXPECT_EQ(le32(b, 10), 54u);
  EXPECT_EQ(b.size(), 54u + 52u * 16u);
  ASSERT_TRUE(readBmp(path, image, info));
  EXPECT_EQ(std::memcmp(image.bits(), src.bits(), src.byteSize()), 0);
}

}  // namespace
}  // namespace tessel
