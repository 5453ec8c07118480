#include "formats/png_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "formats/codec_test_util.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::be32;
using testing::PngBuilder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

class PngTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("t.png");
  Image32 image;
  ImageReadInfo info;
  bool load(const PngBuilder& png) {
    writeBytes(path, png.bytes);
    return readPng(path, image, info);
  }
};

TEST_F(PngTest, RefusesSixteenBitInterlacedGreyAlphaAndBadHeaders) {
  struct Case { int depth, type, interlace, compression; };
  for (Case c : {Case{16, 2, 0, 0}, Case{8, 2, 1, 0}, Case{8, 4, 0, 0}, Case{8, 2, 0, 1}, Case{3, 0, 0, 0},
                 Case{4, 2, 0, 0}}) {
    PngBuilder png;
    png.ihdr(2, 2, c.depth, c.type, c.interlace, c.compression);
    png.idat(std::vector<uint8_t>(2 * 7, 0));
    png.iend();
    EXPECT_FALSE(load(png)) << c.depth << " " << c.type << " " << c.interlace;
  }
  PngBuilder bad;
  bad.bytes[1] = 'Q';
  bad.ihdr(1, 1, 8, 2);
  EXPECT_FALSE(load(bad));
  EXPECT_FALSE(readPng(dir.file("missing.png"), image, info));
}

TEST_F(PngTest, TwoBitGreyUsesTheRampAndLoadsOpaque) {
  PngBuilder png;
  png.ihdr(4, 1, 2, 0);
  png.idat({0, 0x1B});   // samples 0, 1, 2, 3, most significant first
  png.iend();
  ASSERT_TRUE(load(png));
  EXPECT_EQ(image.at(0, 0), 0xFF000000u);
  EXPECT_EQ(image.at(1, 0), 0xFF555555u);
  EXPECT_EQ(image.at(2, 0), 0xFFAAAAAAu);
  EXPECT_EQ(image.at(3, 0), 0xFFFFFFFFu);
  EXPECT_FALSE(info.hadAlpha);
}

TEST_F(PngTest, OneAndFourBitGreyRamps) {
  PngBuilder one;
  one.ihdr(9, 1, 1, 0);
  one.idat({0, 0x80, 0x80});   // pixels 0 and 8 set
  one.iend();
  ASSERT_TRUE(load(one));
  EXPECT_EQ(image.at(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(image.at(1, 0), 0xFF000000u);
  EXPECT_EQ(image.at(8, 0), 0xFFFFFFFFu);
  PngBuilder four;
  four.ihdr(2, 1, 4, 0);
  four.idat({0, 0x1F});
  four.iend();
  ASSERT_TRUE(load(four));
  EXPECT_EQ(image.at(0, 0), 0xFF111111u);
  EXPECT_EQ(image.at(1, 0), 0xFFFFFFFFu);
}

TEST_F(PngTest, TransparentRgbaPixelLoadsAsTransparentWhite) {
  PngBuilder png;
  png.ihdr(2, 1, 8, 6);
  png.idat({0, 10, 20, 30, 0, 1, 2, 3, 128});
  png.iend();
  ASSERT_TRUE(load(png));
  EXPECT_EQ(image.at(0, 0), kTransparent);
  EXPECT_EQ(image.at(1, 0), 0x80010203u);
  EXPECT_TRUE(info.hadAlpha);
}

TEST_F(PngTest, PaletteAndTrnsLoadOpaqueAndPaletteIsRequired) {
  PngBuilder png;
  png.ihdr(3, 1, 8, 3);
  png.chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255});
  png.chunk("tRNS", {0, 0, 0});
  png.idat({0, 2, 1, 0});
  png.iend();
  ASSERT_TRUE(load(png));
  EXPECT_EQ(image.at(0, 0), 0xFF0000FFu);
  EXPECT_EQ(image.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(image.at(2, 0), 0xFFFF0000u);
  PngBuilder noPalette;
  noPalette.ihdr(1, 1, 8, 3);
  noPalette.idat({0, 0});
  noPalette.iend();
  EXPECT_FALSE(load(noPalette));
  // More than 256 entries: the first 256 are used and the file still loads.
  PngBuilder longPalette;
  longPalette.ihdr(1, 1, 8, 3);
  std::vector<uint8_t> entries(900, 7);
  longPalette.chunk("PLTE", entries);
  longPalette.idat({0, 255});
  longPalette.iend();
  ASSERT_TRUE(load(longPalette));
  EXPECT_EQ(image.at(0, 0), 0xFF070707u);
}

TEST_F(PngTest, UndoesAllFiveRowFiltersAndLeavesUnknownOnesAlone) {
  // Two RGB pixels per row; the first row's "above" is zero.
  const std::vector<uint8_t> raw = {
      1, 10, 20, 30, 5, 5, 5,         // Sub: second pixel 15 25 35
      2, 1, 1, 1, 2, 2, 2,            // Up: 11 21 31, 17 27 37
      3, 4, 4, 4, 10, 10, 10,         // Average: 9 14 19 (left 0), then 23 30 38
      4, 1, 1, 1, 1, 1, 1,            // Paeth: 10 15 20, then 24 31 39, all from above
      7, 9, 9, 9, 8, 8, 8,            // unknown filter: raw bytes
  };
  PngBuilder png;
  png.ihdr(2, 5, 8, 2);
  png.idat(raw);
  png.iend();
  ASSERT_TRUE(load(png));
  EXPECT_EQ(image.at(0, 0), 0xFF0A141Eu);
  EXPECT_EQ(image.at(1, 0), 0xFF0F1923u);
  EXPECT_EQ(image.at(0, 1), 0xFF0B151Fu);
  EXPECT_EQ(image.at(1, 1), 0xFF111B25u);
  EXPECT_EQ(image.at(0, 2), 0xFF090E13u);
  EXPECT_EQ(image.at(1, 2), 0xFF171E26u);
  EXPECT_EQ(image.at(0, 3), 0xFF0A0F14u);
  EXPECT_EQ(image.at(1, 3), 0xFF181F27u);
  EXPECT_EQ(image.at(0, 4), 0xFF090909u);
  EXPECT_EQ(image.at(1, 4), 0xFF080808u);
}

TEST_F(PngTest, ManyIdatChunksSomeAboveThirtyTwoKiB) {
  const int w = 300, h = 200;
  std::vector<uint8_t> raw;
  uint32_t v = 1;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w * 3; ++x) raw.push_back(uint8_t((v = v * 1103515245u + 12345u) >> 24));
  }
  PngBuilder png;
  png.ihdr(w, h, 8, 2);
  png.chunk("tEXt", {'a', 0, 'b'});
  png.idat(raw, {1, 40000, 7, 70000, 333}, 0);
  png.iend();
  ASSERT_TRUE(load(png));
  for (int y : {0, 99, 199})
    for (int x : {0, 150, 299}) {
      const uint8_t* p = &raw[size_t(y) * (w * 3 + 1) + 1 + size_t(x) * 3];
      EXPECT_EQ(image.at(x, y), makePixel(255, p[0], p[1], p[2]));
    }
}

TEST_F(PngTest, TruncatedAndDamagedFiles) {
  PngBuilder png;
  png.ihdr(4, 4, 8, 2);
  std::vector<uint8_t> rows(4 * 13, 0);
  for (size_t i = 0; i < rows.size(); ++i)
    if (i % 13) rows[i] = 200;
  png.idat(rows, {}, 0);
  png.iend();
  // Cut inside the IDAT data: the rows that arrived load, the rest stays black.
  PngBuilder cut = png;
  cut.bytes.resize(8 + 25 + 8 + 11 + 30);
  ASSERT_TRUE(load(cut));
  EXPECT_EQ(image.at(0, 0), 0xFFC8C8C8u);
  EXPECT_EQ(image.at(3, 3), 0xFF000000u);
  // Cut inside the header: refused.
  PngBuilder header = png;
  header.bytes.resize(20);
  EXPECT_FALSE(load(header));
  // A chunk that claims more bytes than the file holds ends the search.
  PngBuilder liar;
  liar.ihdr(1, 1, 8, 3);
  liar.bytes.insert(liar.bytes.end(), {0x7F, 0, 0, 0, 'P', 'L', 'T', 'E', 1, 2, 3});
  EXPECT_FALSE(load(liar));
  // A zlib error fails.
  PngBuilder broken;
  broken.ihdr(1, 1, 8, 2);
  broken.chunk("IDAT", {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_FALSE(load(broken));
}

TEST_F(PngTest, SidesAboveTheLimitAreRefusedBeforeAllocation) {
  PngBuilder big;
  big.ihdr(4501, 10, 8, 2);
  big.iend();
  EXPECT_FALSE(load(big));
  EXPECT_TRUE(info.tooLarge);
  PngBuilder huge;
  huge.ihdr(0x7FFFFFFF, 0x7FFFFFFF, 8, 6);
  EXPECT_FALSE(load(huge));
  PngBuilder edge;
  edge.ihdr(4500, 1, 1, 0);
  edge.idat(std::vector<uint8_t>(1 + 563, 0xFF));
  edge.iend();
  info = {};
  ASSERT_TRUE(load(edge));
  EXPECT_FALSE(info.tooLarge);
  EXPECT_EQ(image.at(4499, 0), 0xFFFFFFFFu);
}

// ---------------------------------------------------------------------------
// Writing

struct Chunk {
  std::string type;
  size_t data;   // offset of the data
  uint32_t length;
};

std::vector<Chunk> chunksOf(const std::vector<uint8_t>& b) {
  std::vector<Chunk> out;
  for (size_t at = 8; at + 12 <= b.size();) {
    const uint32_t length = be32(b, at);
    out.push_back({std::string(b.begin() + long(at) + 4, b.begin() + long(at) + 8), at + 8, length});
    const uint32_t crc = uint32_t(crc32(0, &b[at + 4], length + 4));
    EXPECT_EQ(be32(b, at + 8 + length), crc) << out.back().type;
    at += 12 + length;
  }
  return out;
}

std::string typesOf(const std::vector<Chunk>& chunks) {
  std::string s;
  for (const Chunk& c : chunks) s += c.type + " ";
  return s;
}

void paintColours(Image32& image, int colours) {
  for (int i = 0; i < image.width() * image.height(); ++i)
    image.set(i % image.width(), i / image.width(), makePixel(255, uint32_t(i % colours) & 0xFF, uint32_t(i % colours / 7), 3));
}

TEST_F(PngTest, TwoHundredFiftySixColoursMakeAPalettePngAndMoreMakeRgb) {
  Image32 src;
  ASSERT_TRUE(src.create(16, 17));
  paintColours(src, 256);
  ASSERT_TRUE(writePng(src, path, 6, false, -1));
  std::vector<uint8_t> b = readBytes(path);
  std::vector<Chunk> chunks = chunksOf(b);
  EXPECT_EQ(typesOf(chunks), "IHDR PLTE IDAT IEND ");
  EXPECT_EQ(chunks[0].length, 13u);
  EXPECT_EQ(be32(b, chunks[0].data), 16u);
  EXPECT_EQ(be32(b, chunks[0].data + 4), 17u);
  EXPECT_EQ(b[chunks[0].data + 8], 8);
  EXPECT_EQ(b[chunks[0].data + 9], 3);
  EXPECT_EQ(chunks[1].length, 768u);
  EXPECT_EQ(be32(b, b.size() - 4), kPngIendCrc);
  ASSERT_TRUE(readPng(path, image, info));
  EXPECT_EQ(std::memcmp(image.bits(), src.bits(), src.byteSize()), 0);

  paintColours(src, 257);
  ASSERT_TRUE(writePng(src, path, 9, false, -1));
  b = readBytes(path);
  chunks = chunksOf(b);
  EXPECT_EQ(typesOf(chunks), "IHDR IDAT IEND ");
  EXPECT_EQ(b[chunks[0].data + 9], 2);
  ASSERT_TRUE(readPng(path, image, info));
  EXPECT_EQ(std::memcmp(image.bits(), src.bits(), src.byteSize()), 0);
}

TEST_F(PngTest, PaletteFollowsMemoryOrderAndTrnsMarksTheFirstEqualEntry) {
  Image32 src;
  ASSERT_TRUE(src.create(2, 2));
  src.fill(0xFFFF0000u);          // top row red
  src.set(0, 1, 0xFF0000FFu);     // bottom row: blue, green
  src.set(1, 1, 0xFF00FF00u);
  ASSERT_TRUE(writePng(src, path, 6, false, 0x00FF00));   // green as 0x00BBGGRR
  std::vector<uint8_t> b = readBytes(path);
  std::vector<Chunk> chunks = chunksOf(b);
  ASSERT_EQ(typesOf(chunks), "IHDR PLTE tRNS IDAT IEND ");
  const std::vector<uint8_t> plte(b.begin() + long(chunks[1].data), b.begin() + long(chunks[1].data + 9));
  EXPECT_EQ(plte, (std::vector<uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0}));
  EXPECT_EQ(chunks[2].length, 2u);
  EXPECT_EQ(b[chunks[2].data], 255);
  EXPECT_EQ(b[chunks[2].data + 1], 0);
  // A colour that does not occur: no tRNS.
  ASSERT_TRUE(writePng(src, path, 6, false, 0x123456));
  EXPECT_EQ(typesOf(chunksOf(readBytes(path))), "IHDR PLTE IDAT IEND ");
}

TEST_F(PngTest, RgbTrnsHoldsSixteenBitSamplesAndAlphaOutputHasNone) {
  Image32 src;
  ASSERT_TRUE(src.create(300, 1));
  for (int x = 0; x < 300; ++x) src.set(x, 0, makePixel(x & 0xFF ? 255 : 0, uint32_t(x) & 0xFF, uint32_t(x / 2), 9));
  ASSERT_TRUE(writePng(src, path, 1, false, 0x332211));   // red 0x11, green 0x22, blue 0x33
  std::vector<uint8_t> b = readBytes(path);
  std::vector<Chunk> chunks = chunksOf(b);
  ASSERT_EQ(typesOf(chunks), "IHDR tRNS IDAT IEND ");
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(chunks[1].data), b.begin() + long(chunks[1].data + 6)),
            (std::vector<uint8_t>{0, 0x11, 0, 0x22, 0, 0x33}));
  ASSERT_TRUE(writePng(src, path, 6, true, 0x332211));
  b = readBytes(path);
  chunks = chunksOf(b);
  ASSERT_EQ(typesOf(chunks), "IHDR IDAT IEND ");
  EXPECT_EQ(b[chunks[0].data + 9], 6);
  ASSERT_TRUE(readPng(path, image, info));
  EXPECT_TRUE(info.hadAlpha);
  EXPECT_EQ(image.at(0, 0), kTransparent);   // alpha 0 comes back white
  EXPECT_EQ(image.at(1, 0), src.at(1, 0));
  EXPECT_EQ(image.at(299, 0), src.at(299, 0));
}

TEST_F(PngTest, FailedWritesKeepTheEarlierFile) {
  Image32 src;
  ASSERT_TRUE(src.create(3, 3));
  writeBytes(path, {1, 2, 3});
  EXPECT_FALSE(writePng(src, path, 10, false, -1));
  EXPECT_FALSE(writePng(Image32(), path, 6, false, -1));
  EXPECT_FALSE(writePng(src, dir.file("no/such/dir.png"), 6, false, -1));
  EXPECT_EQ(readBytes(path), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace tessel
