#include "formats/palette_files.h"

#include <gtest/gtest.h>

#include <memory>

#include "formats/bmp_codec.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::le16;
using testing::le32;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

struct Bytes {
  std::vector<uint8_t> b;
  Bytes& u8(uint32_t v) { b.push_back(uint8_t(v)); return *this; }
  Bytes& le16(uint32_t v) { return u8(v).u8(v >> 8); }
  Bytes& le32(uint32_t v) { return le16(v).le16(v >> 16); }
  Bytes& be16(uint32_t v) { return u8(v >> 8).u8(v); }
  Bytes& be32(uint32_t v) { return be16(v >> 16).be16(v); }
  Bytes& text(const char* s) { while (*s) u8(uint8_t(*s++)); return *this; }
};

// Colour i of the made-up files.
uint32_t colourOf(uint32_t tab, uint32_t i) { return (tab << 20 | i) & 0xFFFFFF; }

class PaletteTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<PaletteSet> set = std::make_unique<PaletteSet>();
};

TEST_F(PaletteTest, PaletteDatWithTwelveTabsLoadsTen) {
  Bytes f;
  f.text("TSLPLD").u8(0).u8(12);
  for (uint32_t t = 0; t < 12; ++t) {
    f.le16(3);
    for (uint32_t i = 0; i < 3; ++i) f.le32(colourOf(t, i) | 0xAB000000u);   // the top byte is not a colour
  }
  writeBytes(dir.file("palette.dat"), f.b);
  ASSERT_TRUE(loadPaletteSet(dir.file("palette.dat"), *set));
  EXPECT_EQ(set->tabCount, 10);
  EXPECT_EQ(set->colours[9][2], colourOf(9, 2));
  EXPECT_EQ(set->colours[0][0], colourOf(0, 0));
  EXPECT_EQ(set->colours[0][3], kPaletteEmpty);
  EXPECT_FALSE(set->changed);
}

TEST_F(PaletteTest, PaletteDatIsSavedOnlyWhenChangedWithAllEntries) {
  set->tabCount = 2;
  set->colours[1][1023] = 0x123456;
  ASSERT_TRUE(savePaletteSet(dir.file("p.dat"), *set));
  EXPECT_TRUE(readBytes(dir.file("p.dat")).empty());
  set->changed = true;
  ASSERT_TRUE(savePaletteSet(dir.file("p.dat"), *set));
  EXPECT_FALSE(set->changed);
  std::vector<uint8_t> f = readBytes(dir.file("p.dat"));
  ASSERT_EQ(f.size(), 8u + 2 * (2 + 4096));
  EXPECT_EQ(f[7], 2);
  EXPECT_EQ(le16(f, 8), 1024);
  EXPECT_EQ(le32(f, f.size() - 4), 0x123456u);
  PaletteSet back;
  ASSERT_TRUE(loadPaletteSet(dir.file("p.dat"), back));
  EXPECT_EQ(back.colours[1][1023], 0x123456u);
}

TEST_F(PaletteTest, DamagedPaletteDatLeavesTheTabsEmpty) {
  Bytes f;
  f.text("TSLPLD").u8(0).u8(2).le16(2000).le32(5);
  writeBytes(dir.file("palette.dat"), f.b);
  set->tabCount = 3;
  EXPECT_FALSE(loadPaletteSet(dir.file("palette.dat"), *set));
  EXPECT_EQ(set->tabCount, 0);
  EXPECT_EQ(set->colours[0][0], kPaletteEmpty);
  EXPECT_FALSE(loadPaletteSet(dir.file("missing.dat"), *set));
}

TEST_F(PaletteTest, TplWith2000ColoursLoadsTheFirst1024AndExportsBack) {
  Bytes f;
  f.text("TSLPAL").u8(0).le16(2000);
  for (uint32_t i = 0; i < 2000; ++i) f.le32(colourOf(1, i));
  writeBytes(dir.file("big.TPL"), f.b);
  ASSERT_TRUE(importPaletteFile(dir.file("big.TPL"), *set, 4));
  EXPECT_EQ(set->colours[4][1023], colourOf(1, 1023));
  EXPECT_TRUE(set->changed);
  EXPECT_EQ(set->tabCount, 5);
  ASSERT_TRUE(exportPaletteFile(dir.file("out.tpl"), *set, 4));
  std::vector<uint8_t> out = readBytes(dir.file("out.tpl"));
  ASSERT_EQ(out.size(), 9u + 4096);
  EXPECT_EQ(le16(out, 7), 1024);
  EXPECT_EQ(le32(out, 9 + 4 * 1000), colourOf(1, 1000));
  // A short file changes nothing.
  f.b.resize(100);
  writeBytes(dir.file("short.tpl"), f.b);
  set->colours[2][0] = 7;
  EXPECT_FALSE(importPaletteFile(dir.file("short.tpl"), *set, 2));
  EXPECT_EQ(set->colours[2][0], 7u);
  EXPECT_FALSE(importPaletteFile(dir.file("out.pal"), *set, 2));
  EXPECT_FALSE(importPaletteFile(dir.file("out.tpl"), *set, 10));
}

Bytes swatches(uint16_t version, uint16_t count) {
  Bytes f;
  f.be16(version).be16(count);
  for (uint32_t i = 0; i < count; ++i) {
    f.be16(0).be16((0x12 + i) << 8).be16(0x3400).be16(0x56FF).be16(0);
    if (version == 2) f.be32(0x00010002).be16('a').be16(0);   // only the low 16 bits count
  }
  return f;
}

TEST_F(PaletteTest, SwatchVersionsOneAndTwoLoadAndThreeIsRefused) {
  writeBytes(dir.file("a.aco"), swatches(1, 3).b);
  ASSERT_TRUE(importPaletteFile(dir.file("a.aco"), *set, 0));
  EXPECT_EQ(set->colours[0][2], 0x143456u);
  EXPECT_EQ(set->colours[0][3], kPaletteEmpty);
  Bytes two = swatches(2, 2);
  // A second section follows in real files; it is not read.
  Bytes rest = swatches(1, 1);
  two.b.insert(two.b.end(), rest.b.begin(), rest.b.end());
  writeBytes(dir.file("b.ACO"), two.b);
  ASSERT_TRUE(importPaletteFile(dir.file("b.ACO"), *set, 1));
  EXPECT_EQ(set->colours[1][0], 0x123456u);
  EXPECT_EQ(set->colours[1][1], 0x133456u);
  EXPECT_EQ(set->colours[1][2], kPaletteEmpty);
  writeBytes(dir.file("c.aco"), swatches(3, 2).b);
  EXPECT_FALSE(importPaletteFile(dir.file("c.aco"), *set, 2));
  Bytes cut = swatches(2, 5);
  cut.b.resize(cut.b.size() - 3);
  writeBytes(dir.file("d.aco"), cut.b);
  EXPECT_FALSE(importPaletteFile(dir.file("d.aco"), *set, 2));
}

TEST_F(PaletteTest, PaletteFromImageTakesDistinctColoursUpTo1024) {
  Image32 image;
  ASSERT_TRUE(image.create(50, 50));
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) image.set(x, y, makePixel(255, uint32_t(x), uint32_t(y), 0));
  ASSERT_TRUE(paletteFromImage(image, *set, 3));
  int filled = 0;
  for (uint32_t c : set->colours[3]) filled += c != kPaletteEmpty;
  EXPECT_EQ(filled, 1024);
  image.fill(0x80102030u);
  ASSERT_TRUE(paletteFromImage(image, *set, 3));
  EXPECT_EQ(set->colours[3][0], 0x102030u);
  EXPECT_EQ(set->colours[3][1], kPaletteEmpty);
}

TEST_F(PaletteTest, PaletteFromAnImageFileGoesThroughTheImageLoader) {
  Image32 image;
  ASSERT_TRUE(image.create(3, 2));
  image.fill(0xFF0000FFu);
  image.set(2, 1, 0xFF123456u);
  ASSERT_TRUE(writeBmp(image, dir.file("two.bmp")));
  ASSERT_TRUE(paletteFromImage(dir.file("two.bmp"), *set, 6));
  EXPECT_EQ(set->colours[6][2], kPaletteEmpty);
  EXPECT_TRUE((set->colours[6][0] == 0x0000FFu && set->colours[6][1] == 0x123456u) ||
              (set->colours[6][1] == 0x0000FFu && set->colours[6][0] == 0x123456u));
  set->colours[7][0] = 5;
  EXPECT_FALSE(paletteFromImage(dir.file("none.bmp"), *set, 7));
  EXPECT_FALSE(paletteFromImage(dir.file("two.xyz"), *set, 7));
  EXPECT_EQ(set->colours[7][0], 5u);
}

}  // namespace
}  // namespace tessel
