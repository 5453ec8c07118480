#include "formats/gif_writer.h"

#include <gtest/gtest.h>

#include "formats/gif_quantiser.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;

// A strict LZW reader: decodes sub-blocks until the end code and fails on a
// code that is not yet defined, so widths must change exactly where a decoder
// expects them.
bool lzwDecode(const std::vector<uint8_t>& blocks, int minimum, std::vector<uint8_t>& out, bool& sawEnd) {
  std::vector<uint8_t> data;
  size_t at = 0;
  while (at < blocks.size() && blocks[at]) {
    data.insert(data.end(), blocks.begin() + long(at) + 1, blocks.begin() + long(at) + 1 + blocks[at]);
    at += 1 + blocks[at];
  }
  const int clear = 1 << minimum, end = clear + 1;
  std::vector<std::vector<uint8_t>> table;
  int width = minimum + 1;
  size_t bit = 0;
  int previous = -1;
  sawEnd = false;
  auto reset = [&] {
    table.assign(size_t(clear + 2), {});
    for (int i = 0; i < clear; ++i) table[size_t(i)] = {uint8_t(i)};
    width = minimum + 1;
    previous = -1;
  };
  reset();
  while (bit + size_t(width) <= data.size() * 8) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) code |= (data[bit / 8] >> (bit % 8) & 1) << i;
    if (code == clear) { reset(); continue; }
    if (code == end) { sawEnd = true; return true; }
    std::vector<uint8_t> entry;
    if (code < int(table.size()) && code != clear && code != end) entry = table[size_t(code)];
    else if (code == int(table.size()) && previous >= 0) {
      entry = table[size_t(previous)];
      entry.push_back(entry[0]);
    } else {
      return false;
    }
    if (previous >= 0 && table.size() < 4096) {
      std::vector<uint8_t> added = table[size_t(previous)];
      added.push_back(entry[0]);
      table.push_back(added);
    }
    out.insert(out.end(), entry.begin(), entry.end());
    previous = code;
    if (int(table.size()) >= (1 << width) && width < 12) ++width;
  }
  return true;
}

TEST(GifLzw, StrictDecoderGetsTheIndicesBackAndEndsOnTheEndCode) {
  uint32_t v = 5;
  for (int minimum : {2, 3, 8}) {
    for (size_t count : {size_t(1), size_t(2), size_t(3), size_t(10), size_t(1000), size_t(30000)}) {
      std::vector<uint8_t> in(count);
      for (uint8_t& x : in) x = uint8_t(((v = v * 1664525u + 1013904223u) >> 24) & ((1 << minimum) - 1));
      std::vector<uint8_t> blocks, back;
      ASSERT_TRUE(lzwEncode(in.data(), in.size(), minimum, blocks));
      bool sawEnd = false;
      ASSERT_TRUE(lzwDecode(blocks, minimum, back, sawEnd)) << minimum << " " << count;
      EXPECT_TRUE(sawEnd) << minimum << " " << count;
      EXPECT_EQ(back, in) << minimum << " " << count;
      EXPECT_EQ(blocks.back(), 0);
    }
  }
  // Every run length up to one past several width changes: the end code is
  // read at the width the decoder has reached.
  for (size_t count = 1; count < 300; ++count) {
    std::vector<uint8_t> in(count), blocks, back;
    for (size_t i = 0; i < count; ++i) in[i] = uint8_t(i * 7 % 3);
    ASSERT_TRUE(lzwEncode(in.data(), count, 2, blocks));
    bool sawEnd = false;
    ASSERT_TRUE(lzwDecode(blocks, 2, back, sawEnd));
    EXPECT_TRUE(sawEnd) << count;
    EXPECT_EQ(back, in) << count;
  }
  std::vector<uint8_t> blocks;
  EXPECT_FALSE(lzwEncode(nullptr, 0, 2, blocks));
}

TEST(GifLzw, SubBlocksHoldAtMost255Bytes) {
  std::vector<uint8_t> in(20000);
  uint32_t v = 1;
  for (uint8_t& x : in) x = uint8_t((v = v * 1664525u + 1013904223u) >> 24);
  std::vector<uint8_t> blocks;
  ASSERT_TRUE(lzwEncode(in.data(), in.size(), 8, blocks));
  size_t at = 0, full = 0;
  while (blocks[at]) {
    full += blocks[at] == 255;
    at += 1 + blocks[at];
  }
  EXPECT_EQ(at + 1, blocks.size());
  EXPECT_GT(full, 10u);
}

TEST(GifWriter, TwoColoursUseOneBitAndMinimumCodeSizeTwo) {
  TempDir dir;
  Image32 image;
  ASSERT_TRUE(image.create(3, 2));
  image.fill(0xFF112233u);
  image.set(1, 0, 0xFFAABBCCu);
  ASSERT_TRUE(writeGif(image, dir.file("two.gif"), -1));
  const std::vector<uint8_t> b = readBytes(dir.file("two.gif"));
  EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF89a");
  EXPECT_EQ(b[6], 3);
  EXPECT_EQ(b[8], 2);
  EXPECT_EQ(b[10], 0x80);   // table, resolution 1, size 2
  EXPECT_EQ(b[11], 0);
  EXPECT_EQ(b[12], 0);
  // Palette in memory order: bottom row first.
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 13, b.begin() + 19),
            (std::vector<uint8_t>{0x11, 0x22, 0x33, 0xAA, 0xBB, 0xCC}));
  EXPECT_EQ(b[19], 0x2C);   // no extension without a transparent colour
  EXPECT_EQ(b[28], 0);
  EXPECT_EQ(b[29], 2);      // minimum code size
  EXPECT_EQ(b.back(), ';');
  std::vector<uint8_t> indices;
  bool sawEnd = false;
  ASSERT_TRUE(lzwDecode(std::vector<uint8_t>(b.begin() + 30, b.end() - 1), 2, indices, sawEnd));
  EXPECT_EQ(indices, (std::vector<uint8_t>{0, 1, 0, 0, 0, 0}));   // rows top first
}

TEST(GifWriter, TransparentColourAddsAControlExtensionOnlyWhenPresent) {
  TempDir dir;
  Image32 image;
  ASSERT_TRUE(image.create(5, 1));
  for (int x = 0; x < 5; ++x) image.set(x, 0, makePixel(255, uint32_t(x * 40), 0, 0));
  ASSERT_TRUE(writeGif(image, dir.file("t.gif"), 120));   // red 120 as 0x00BBGGRR
  std::vector<uint8_t> b = readBytes(dir.file("t.gif"));
  EXPECT_EQ(b[10], 0x80 | 2 << 4 | 2);   // five colours: b = 3
  const size_t ext = 13 + 3 * 8;
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(ext), b.begin() + long(ext) + 8),
            (std::vector<uint8_t>{0x21, 0xF9, 4, 1, 0, 0, 3, 0}));
  EXPECT_EQ(b[13 + 3 * 5], 0);   // unused table entries are zero
  ASSERT_TRUE(writeGif(image, dir.file("t.gif"), 0x000077));
  b = readBytes(dir.file("t.gif"));
  EXPECT_EQ(b[ext], 0x2C);
}

TEST(GifQuantiser, CellsMapToFewRepresentativesThatStayClose) {
  Image32 image;
  ASSERT_TRUE(image.create(128, 128));
  // 16384 colours over the whole cube.
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) image.set(x, y, makePixel(255, uint32_t(x * 2), uint32_t(y * 2), uint32_t((x ^ y) * 2)));
  ColourQuantiser q;
  ASSERT_TRUE(q.build(image));
  EXPECT_EQ(q.colourCount(), 256);
  double error = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      const Pixel p = image.at(x, y), m = q.map(p);
      error += std::abs(int(redOf(p)) - int(m >> 16 & 0xFF)) + std::abs(int(greenOf(p)) - int(m >> 8 & 0xFF)) +
               std::abs(int(blueOf(p)) - int(m & 0xFF));
    }
  EXPECT_LT(error / (128.0 * 128 * 3), 12.0);
  // Two colours stay exactly two, and each is kept as counted.
  Image32 two;
  ASSERT_TRUE(two.create(4, 4));
  two.fill(0xFF102030u);
  two.set(0, 0, 0xFFF0E0D0u);
  ColourQuantiser q2;
  ASSERT_TRUE(q2.build(two));
  EXPECT_EQ(q2.colourCount(), 2);
  EXPECT_EQ(q2.map(0xFF102030u), 0x102030u);
  EXPECT_EQ(q2.map(0xFFF0E0D0u), 0xF0E0D0u);
}

}  // namespace
}  // namespace tessel
