#include "formats/png_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "formats/codec_test_util.h"
#include "formats/temp_dir.h"
#include "formats/thumbnail_sink.h"

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
    info = {};
    return readPng(path, image, info);
  }
};

TEST_F(PngTest, RefusesBadHeaders) {
  struct Case { int depth, type, interlace, compression; };
  for (Case c : {Case{3, 0, 0, 0}, Case{4, 2, 0, 0}, Case{16, 3, 0, 0}, Case{4, 4, 0, 0}, Case{8, 5, 0, 0},
                 Case{8, 2, 2, 0}, Case{8, 2, 0, 1}, Case{0, 0, 0, 0}}) {
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

TEST_F(PngTest, SixteenBitSamplesRoundToEightBits) {
  // Every 16-bit grey value once: round(v * 255 / 65535).
  std::vector<uint8_t> raw;
  for (uint32_t y = 0; y < 16; ++y) {
    raw.push_back(0);
    for (uint32_t x = 0; x < 4096; ++x) raw.insert(raw.end(), {uint8_t(y << 4 | x >> 8), uint8_t(x)});
  }
  PngBuilder png;
  png.ihdr(4096, 16, 16, 0);
  png.idat(raw);
  png.iend();
  ASSERT_TRUE(load(png));
  EXPECT_FALSE(info.hadAlpha);
  int wrong = 0;
  for (uint32_t v = 0; v < 65536; ++v) {
    const uint32_t g = uint32_t(v * 255.0 / 65535.0 + 0.5);
    wrong += image.at(int(v & 4095), int(v >> 12)) != makePixel(255, g, g, g);
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(image.at(128, 0), 0xFF000000u);   // 128 / 257 = 0.498
  EXPECT_EQ(image.at(129, 0), 0xFF010101u);
}

TEST_F(PngTest, GreyAlphaAndSixteenBitColourKeepTheirAlpha) {
  PngBuilder grey;
  grey.ihdr(2, 1, 8, 4);
  grey.idat({0, 10, 0, 200, 99});
  grey.iend();
  ASSERT_TRUE(load(grey));
  EXPECT_TRUE(info.hadAlpha);
  EXPECT_EQ(image.at(0, 0), kTransparent);
  EXPECT_EQ(image.at(1, 0), 0x63C8C8C8u);
  PngBuilder grey16;
  grey16.ihdr(1, 1, 16, 4);
  grey16.idat({0, 0x12, 0x34, 0xFF, 0x7E});   // 0x1234 -> 18, 0xFF7E -> 254.498 -> 254
  grey16.iend();
  ASSERT_TRUE(load(grey16));
  EXPECT_EQ(image.at(0, 0), 0xFE121212u);
  PngBuilder rgba16;
  rgba16.ihdr(1, 1, 16, 6);
  rgba16.idat({0, 0xFF, 0xFF, 0x00, 0x80, 0x80, 0x80, 0x80, 0x00});
  rgba16.iend();
  ASSERT_TRUE(load(rgba16));
  EXPECT_EQ(image.at(0, 0), 0x80FF0080u);   // 0x0080 -> 0, 0x8080 -> 128
  PngBuilder rgb16;
  rgb16.ihdr(1, 1, 16, 2);
  rgb16.idat({0, 0x01, 0x02, 0xFE, 0xFF, 0x7F, 0x7F});
  rgb16.iend();
  ASSERT_TRUE(load(rgb16));
  EXPECT_FALSE(info.hadAlpha);
  EXPECT_EQ(image.at(0, 0), 0xFF01FE7Fu);
}

TEST_F(PngTest, TrnsMakesPaletteEntriesAndKeyColoursTransparent) {
  PngBuilder pal;
  pal.ihdr(3, 1, 8, 3);
  pal.chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255});
  pal.chunk("tRNS", {0, 128});   // entry 2 stays opaque
  pal.idat({0, 0, 1, 2});
  pal.iend();
  ASSERT_TRUE(load(pal));
  EXPECT_TRUE(info.hadAlpha);
  EXPECT_EQ(image.at(0, 0), kTransparent);
  EXPECT_EQ(image.at(1, 0), 0x8000FF00u);
  EXPECT_EQ(image.at(2, 0), 0xFF0000FFu);
  // A grey key of 2 bits, an 8-bit RGB key and a 16-bit RGB key compared
  // before rounding (0x1234 and 0x1235 both round to 18).
  PngBuilder grey;
  grey.ihdr(4, 1, 2, 0);
  grey.chunk("tRNS", {0, 2});
  grey.idat({0, 0x1B});
  grey.iend();
  ASSERT_TRUE(load(grey));
  EXPECT_EQ(image.at(1, 0), 0xFF555555u);
  EXPECT_EQ(image.at(2, 0), kTransparent);
  PngBuilder rgb;
  rgb.ihdr(2, 1, 8, 2);
  rgb.chunk("tRNS", {0, 1, 0, 2, 0, 3});
  rgb.idat({0, 1, 2, 3, 1, 2, 4});
  rgb.iend();
  ASSERT_TRUE(load(rgb));
  EXPECT_EQ(image.at(0, 0), kTransparent);
  EXPECT_EQ(image.at(1, 0), 0xFF010204u);
  PngBuilder rgb16;
  rgb16.ihdr(2, 1, 16, 2);
  rgb16.chunk("tRNS", {0x12, 0x34, 0, 0, 0, 0});
  rgb16.idat({0, 0x12, 0x34, 0, 0, 0, 0, 0x12, 0x35, 0, 0, 0, 0});
  rgb16.iend();
  ASSERT_TRUE(load(rgb16));
  EXPECT_EQ(image.at(0, 0), kTransparent);
  EXPECT_EQ(image.at(1, 0), 0xFF120000u);
  // Ignored: after the image data, with a damaged CRC, longer than PLTE.
  PngBuilder late;
  late.ihdr(1, 1, 8, 3);
  late.chunk("PLTE", {9, 9, 9});
  late.idat({0, 0});
  late.chunk("tRNS", {0});
  late.iend();
  ASSERT_TRUE(load(late));
  EXPECT_EQ(image.at(0, 0), 0xFF090909u);
  PngBuilder damaged;
  damaged.ihdr(1, 1, 8, 3);
  damaged.chunk("PLTE", {9, 9, 9});
  damaged.chunk("tRNS", {0});
  damaged.bytes.back() ^= 1;
  damaged.idat({0, 0});
  damaged.iend();
  ASSERT_TRUE(load(damaged));
  EXPECT_EQ(image.at(0, 0), 0xFF090909u);
  PngBuilder longer;
  longer.ihdr(1, 1, 8, 3);
  longer.chunk("PLTE", {9, 9, 9});
  longer.chunk("tRNS", {0, 0});
  longer.idat({0, 0});
  longer.iend();
  ASSERT_TRUE(load(longer));
  EXPECT_EQ(image.at(0, 0), 0xFF090909u);
  EXPECT_FALSE(info.hadAlpha);
}

// RGB pixels (3 bytes each, rows top first) as Adam7 passes; rows use the
// None, Sub and Up filters in turn, Up starting each pass from zeros.
std::vector<uint8_t> adam7(const std::vector<uint8_t>& pixels, int w, int h) {
  static const int kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  std::vector<uint8_t> out;
  for (int p = 0; p < 7; ++p) {
    std::vector<uint8_t> prior;
    for (int y = kPass[p][1], py = 0; y < h; y += kPass[p][3], ++py) {
      std::vector<uint8_t> row;
      for (int x = kPass[p][0]; x < w; x += kPass[p][2])
        row.insert(row.end(), &pixels[size_t(y * w + x) * 3], &pixels[size_t(y * w + x) * 3] + 3);
      if (row.empty()) break;
      if (prior.empty()) prior.assign(row.size(), 0);
      const int filter = (py + p) % 3;
      out.push_back(uint8_t(filter));
      for (size_t i = 0; i < row.size(); ++i)
        out.push_back(uint8_t(row[i] - (filter == 1 ? (i >= 3 ? row[i - 3] : 0) : filter == 2 ? prior[i] : 0)));
      prior = row;
    }
  }
  return out;
}

TEST_F(PngTest, InterlacedLoadsLikePlainForSizesWithEmptyPasses) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {2, 7}, {9, 10}, {33, 17}}) {
    std::vector<uint8_t> pixels, plain;
    for (int y = 0; y < h; ++y) {
      plain.push_back(0);
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c) pixels.push_back(uint8_t(x * 29 + y * 71 + c * 101));
      plain.insert(plain.end(), pixels.end() - w * 3, pixels.end());
    }
    PngBuilder a, b;
    a.ihdr(uint32_t(w), uint32_t(h), 8, 2, 1);
    a.idat(adam7(pixels, w, h));
    a.iend();
    b.ihdr(uint32_t(w), uint32_t(h), 8, 2);
    b.idat(plain);
    b.iend();
    ASSERT_TRUE(load(b));
    Image32 plainImage = std::move(image);
    ASSERT_TRUE(load(a)) << w << "x" << h;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(image.at(x, y), plainImage.at(x, y)) << w << "x" << h << " " << x << "," << y;
    // Cut short: what arrived stays, the rest is zero data; the thumbnail
    // mode reads the same picture.
    PngBuilder cut = a;
    cut.bytes.resize(cut.bytes.size() - 12 - 4 - 6);
    ASSERT_TRUE(load(cut));
    Image32 thumb, shrunk;
    ASSERT_TRUE(readPngThumbnail(path, 8, thumb));
    ASSERT_TRUE(ThumbnailSink::shrink(image, 8, shrunk));
    EXPECT_EQ(std::memcmp(thumb.bits(), shrunk.bits(), shrunk.byteSize()), 0);
  }
}

TEST_F(PngTest, PaletteIsRequiredAndItsFirst256EntriesUsed) {
  PngBuilder png;
  png.ihdr(3, 1, 8, 3);
  png.chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255});
  png.idat({0, 2, 1, 0});
  png.iend();
  ASSERT_TRUE(load(png));
  EXPECT_EQ(image.at(0, 0), 0xFF0000FFu);
  EXPECT_EQ(image.at(1, 0), 0xFF00FF00u);
  EXPECT_EQ(image.at(2, 0), 0xFFFF0000u);
  EXPECT_FALSE(info.hadAlpha);
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
  // A complete chunk with a wrong CRC fails: IHDR, and IDAT.
  for (size_t at : {size_t(8 + 8 + 13), png.bytes.size() - 12 - 4}) {
    PngBuilder damaged = png;
    damaged.bytes[at] ^= 1;
    EXPECT_FALSE(load(damaged)) << at;
  }
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
