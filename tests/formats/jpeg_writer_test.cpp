#include "formats/jpeg_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;

TEST(JpegTables, QualityScalingClampsAndRounds) {
  uint8_t q0[64], q1[64], out[64];
  scaleQuantTable(kJpegLumaQuant, 0, q0);
  scaleQuantTable(kJpegLumaQuant, 1, q1);
  EXPECT_EQ(std::memcmp(q0, q1, 64), 0);   // quality 0 is written as 1
  EXPECT_EQ(q1[0], 255);                    // 16 * 50 = 800, clamped
  scaleQuantTable(kJpegLumaQuant, 100, out);
  for (uint8_t v : out) EXPECT_EQ(v, 1);
  scaleQuantTable(kJpegLumaQuant, 50, out);
  EXPECT_EQ(std::memcmp(out, kJpegLumaQuant, 64), 0);
  scaleQuantTable(kJpegLumaQuant, 75, out);
  EXPECT_EQ(out[0], 8);    // 25 * 16 * 0.02 + 0.5 = 8.5
  EXPECT_EQ(out[1], 6);    // 25 * 11 * 0.02 + 0.5 = 6.0
  scaleQuantTable(kJpegChromaQuant, 30, out);
  EXPECT_EQ(out[0], 28);   // 17 * 50 / 30 + 0.5 = 28.83
  EXPECT_EQ(out[63], 165);
  scaleQuantTable(kJpegLumaQuant, 99, out);
  EXPECT_EQ(out[2], 1);    // 0.2 + 0.5 truncates to 0, which becomes 1
}

TEST(JpegTables, ZigZagVisitsEveryPositionAlongTheDiagonals) {
  bool seen[64] = {};
  for (int k = 0; k < 64; ++k) {
    ASSERT_LT(kJpegZigZag[k], 64);
    EXPECT_FALSE(seen[kJpegZigZag[k]]);
    seen[kJpegZigZag[k]] = true;
    if (k > 0) {
      const int a = kJpegZigZag[k - 1], b = kJpegZigZag[k];
      const int da = a / 8 + a % 8, db = b / 8 + b % 8;
      EXPECT_TRUE(db == da || db == da + 1) << k;
    }
  }
}

struct Segment {
  uint8_t marker;
  size_t at;        // first byte after the length
  uint16_t length;
};

std::vector<Segment> segmentsOf(const std::vector<uint8_t>& b) {
  std::vector<Segment> out;
  size_t at = 2;
  while (at + 4 <= b.size() && b[at] == 0xFF && b[at + 1] != 0xDA) {
    out.push_back({b[at + 1], at + 4, uint16_t(b[at + 2] << 8 | b[at + 3])});
    at += 2 + out.back().length;
  }
  if (at + 4 <= b.size()) out.push_back({b[at + 1], at + 4, uint16_t(b[at + 2] << 8 | b[at + 3])});
  return out;
}

TEST(JpegWriter, WritesExactlyTheListedMarkers) {
  TempDir dir;
  Image32 image;
  ASSERT_TRUE(image.create(17, 9));
  image.fill(0xFFFFFFFFu);
  for (bool sub : {false, true}) {
    ASSERT_TRUE(writeJpeg(image, dir.file("m.jpg"), 0, sub));
    const std::vector<uint8_t> b = readBytes(dir.file("m.jpg"));
    ASSERT_GT(b.size(), 600u);
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1], 0xD8);
    EXPECT_EQ(b[b.size() - 2], 0xFF);
    EXPECT_EQ(b[b.size() - 1], 0xD9);
    const std::vector<Segment> s = segmentsOf(b);
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[0].marker, 0xE0);
    EXPECT_EQ(s[0].length, 16);
    EXPECT_EQ(std::string(b.begin() + long(s[0].at), b.begin() + long(s[0].at) + 5), std::string("JFIF\0", 5));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(s[0].at) + 5, b.begin() + long(s[0].at) + 14),
              (std::vector<uint8_t>{1, 1, 0, 0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(s[1].marker, 0xDB);
    EXPECT_EQ(s[1].length, 132);
    EXPECT_EQ(b[s[1].at], 0);
    EXPECT_EQ(b[s[1].at + 65], 1);
    // Quality 0 is written as 1: luminance 16 * 50 clamps to 255.
    EXPECT_EQ(b[s[1].at + 1], 255);
    EXPECT_EQ(s[2].marker, 0xC0);
    EXPECT_EQ(s[2].length, 17);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(s[2].at), b.begin() + long(s[2].at) + 15),
              (std::vector<uint8_t>{8, 0, 9, 0, 17, 3, 1, uint8_t(sub ? 0x22 : 0x11), 0, 2, 0x11, 1, 3, 0x11, 1}));
    EXPECT_EQ(s[3].marker, 0xC4);
    EXPECT_EQ(s[3].length, 418);
    EXPECT_EQ(b[s[3].at], 0x00);
    EXPECT_EQ(b[s[3].at + 17 + 12], 0x10);
    EXPECT_EQ(b[s[3].at + 2 * 17 + 12 + 162], 0x01);
    EXPECT_EQ(b[s[3].at + 3 * 17 + 24 + 162], 0x11);
    EXPECT_EQ(s[4].marker, 0xDA);
    EXPECT_EQ(s[4].length, 12);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + long(s[4].at), b.begin() + long(s[4].at) + 10),
              (std::vector<uint8_t>{3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));
    // Entropy data: every 0xFF is followed by a stuffed 0, no restart markers.
    for (size_t i = s[4].at + 10; i + 2 < b.size(); ++i)
      if (b[i] == 0xFF) {
        EXPECT_EQ(b[i + 1], 0) << i;
      }
  }
}

TEST(JpegWriter, QualityHundredWritesAllOnesTables) {
  TempDir dir;
  Image32 image;
  ASSERT_TRUE(image.create(8, 8));
  image.fill(0xFF000000u);
  ASSERT_TRUE(writeJpeg(image, dir.file("h.jpg"), 100, false));
  const std::vector<uint8_t> b = readBytes(dir.file("h.jpg"));
  const std::vector<Segment> s = segmentsOf(b);
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(b[s[1].at + 1 + size_t(k)], 1);
    EXPECT_EQ(b[s[1].at + 66 + size_t(k)], 1);
  }
  // A black 8 x 8 block: Y - 128 = -128 everywhere, DC = -128 * 8 = -1024
  // (size 11), chroma 0; each block ends with EOB. Bits: DC luma code for
  // size 11 (111111110), 11 bits of -1024 (01111111111), EOB luma (1010),
  // then for Cb and Cr DC size 0 (00) and EOB chroma (00): 32 bits, after the
  // last byte of SOS (approximation 0).
  const std::vector<uint8_t> expected = {0x00, 0xFF, 0x00, 0x3F, 0xFA, 0x00, 0xFF, 0xD9};
  EXPECT_EQ(std::vector<uint8_t>(b.end() - 8, b.end()), expected);
}

TEST(JpegWriter, RefusesEmptyImagesAndKeepsEarlierFiles) {
  TempDir dir;
  testing::writeBytes(dir.file("x.jpg"), {7});
  EXPECT_FALSE(writeJpeg(Image32(), dir.file("x.jpg"), 85, false));
  EXPECT_EQ(readBytes(dir.file("x.jpg")), std::vector<uint8_t>{7});
}

}  // namespace
}  // namespace tessel
