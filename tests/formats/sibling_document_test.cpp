#include "formats/sibling_document.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "document/document.h"
#include "formats/native_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::le16;
using testing::le32;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

struct LeBytes {
  std::vector<uint8_t> b;
  LeBytes& u8(uint32_t v) { b.push_back(uint8_t(v)); return *this; }
  LeBytes& u16(uint32_t v) { return u8(v).u8(v >> 8); }
  LeBytes& u32(uint32_t v) { return u16(v).u16(v >> 16); }
  LeBytes& raw(const std::vector<uint8_t>& v) {
    for (uint8_t x : v) b.push_back(x);
    return *this;
  }
};

std::vector<uint8_t> zlibOf(const std::vector<uint8_t>& data) {
  uLongf size = compressBound(uLong(data.size()));
  std::vector<uint8_t> out(size);
  compress2(out.data(), &size, data.data(), uLong(data.size()), 6);
  out.resize(size);
  return out;
}

// A file with one layer of the given coverage (rows already padded) and colour.
std::vector<uint8_t> siblingFile(int w, int h, const std::vector<uint8_t>& coverage, uint32_t colour,
                                 uint8_t version2 = 0) {
  LeBytes f;
  f.raw({'V', 'R', 'N', 'L', 'D', 'A', 'T', 0}).u16(uint32_t(w)).u16(uint32_t(h)).u16(1).u16(7).u16(0).u8(version2);
  std::vector<uint8_t> composite = zlibOf(std::vector<uint8_t>(size_t(w) * size_t(h) * 4, 0xFF));
  f.u32(uint32_t(composite.size())).raw(composite);
  std::vector<uint8_t> name(32, 0);
  std::memcpy(name.data(), "Ink", 3);
  std::vector<uint8_t> packed = zlibOf(coverage);
  f.raw(name).u8(100).u8(1).u32(colour).u32(uint32_t(packed.size())).raw(packed);
  return f.b;
}

class SiblingTest : public ::testing::Test {
 protected:
  TempDir dir;
  Document doc;
};

TEST_F(SiblingTest, RoundTripKeepsAlphaInBlackWithNamesOpacityAndVisibility) {
  ASSERT_TRUE(doc.newImage(5, 3, false));
  for (int i = 0; i < 2; ++i) {
    Layer* layer = doc.layers().add(5, 3, true);
    ASSERT_NE(layer, nullptr);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        layer->image().set(x, y, (x + y) % 3 == 0 ? kTransparent : makePixel(uint32_t(x * 50 + y + i), 200, 100, 50));
  }
  doc.layers().atIndex(0)->setNameBytes("Top");
  doc.layers().atIndex(0)->opacity = 77;
  doc.layers().atIndex(0)->blendMode = 3;
  doc.layers().atIndex(0)->maskMode = 2;
  doc.layers().atIndex(1)->flags = 0;
  doc.selectLayer(1);
  ASSERT_TRUE(writeSibling(dir.file("a.vrw"), doc, nullptr));
  std::vector<uint8_t> f = readBytes(dir.file("a.vrw"));
  EXPECT_EQ(le16(f, 8), 5);
  EXPECT_EQ(le16(f, 12), 2);
  EXPECT_EQ(le16(f, 14), 2);   // name counter
  EXPECT_EQ(le16(f, 16), 1);   // current layer
  Document back;
  ASSERT_EQ(readSibling(dir.file("a.vrw"), back, nullptr), kReadOk);
  ASSERT_EQ(back.layerCount(), 2);
  EXPECT_EQ(back.currentIndex(), 1);
  EXPECT_EQ(back.layers().nameCounter(), 2);
  for (int i = 0; i < 2; ++i) {
    const Layer& a = *doc.layers().atIndex(i);
    const Layer& b = *back.layers().atIndex(i);
    EXPECT_STREQ(a.name, b.name);
    EXPECT_EQ(a.opacity, b.opacity);
    EXPECT_EQ(a.visible(), b.visible());
    EXPECT_EQ(b.blendMode, 0);
    EXPECT_EQ(b.maskMode, 0);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        uint8_t alpha = alphaOf(a.image().at(x, y));
        EXPECT_EQ(b.image().at(x, y), alpha ? Pixel(alpha) << 24 : kTransparent) << x << "," << y;
      }
  }
  Image32 composite, flat;
  ASSERT_TRUE(readSiblingComposite(dir.file("a.vrw"), composite));
  ASSERT_TRUE(doc.flatten(flat, nullptr, false));
  EXPECT_EQ(std::memcmp(composite.bits(), flat.bits(), flat.byteSize()), 0);
}

TEST_F(SiblingTest, WidthFiveIsStoredWithEightCoverageBytesARow) {
  EXPECT_EQ(siblingRowBytes(5), 8);
  EXPECT_EQ(siblingRowBytes(8), 8);
  ASSERT_TRUE(doc.newImage(5, 2, true));
  doc.currentLayer()->image().fill(0x80000000u);
  ASSERT_TRUE(writeSibling(dir.file("w.vrw"), doc, nullptr));
  std::vector<uint8_t> f = readBytes(dir.file("w.vrw"));
  size_t record = 23 + le32(f, 19);
  uint32_t packed = le32(f, record + 38);
  std::vector<uint8_t> coverage(64);
  uLongf size = uLongf(coverage.size());
  ASSERT_EQ(uncompress(coverage.data(), &size, &f[record + 42], packed), Z_OK);
  ASSERT_EQ(size, 16u);
  EXPECT_EQ(std::vector<uint8_t>(coverage.begin(), coverage.begin() + 8),
            (std::vector<uint8_t>{128, 128, 128, 128, 128, 0, 0, 0}));
}

TEST_F(SiblingTest, LayerColourWithCoverageGivesThatColourWithThatAlpha) {
  std::vector<uint8_t> coverage = {128, 0, 255, 0, 1, 128, 0, 0};   // 3 x 2, rows padded to 4
  writeBytes(dir.file("c.vrw"), siblingFile(3, 2, coverage, 0x00FF0000));
  ASSERT_EQ(readSibling(dir.file("c.vrw"), doc, nullptr), kReadOk);
  const Image32& img = doc.currentLayer()->image();
  EXPECT_EQ(img.at(0, 0), 0x80FF0000u);
  EXPECT_EQ(img.at(1, 0), kTransparent);
  EXPECT_EQ(img.at(2, 0), 0xFFFF0000u);
  EXPECT_EQ(img.at(0, 1), 0x01FF0000u);
  EXPECT_EQ(img.at(1, 1), 0x80FF0000u);
  EXPECT_STREQ(doc.currentLayer()->name, "Ink");
  EXPECT_EQ(doc.currentLayer()->opacity, 100);
  // A full name field without terminator loses the character that would cross byte 31.
  std::vector<uint8_t> f = siblingFile(3, 2, coverage, 0);
  const size_t name = 23 + le32(f, 19);
  for (size_t i = 0; i < 30; ++i) f[name + i] = 'n';
  f[name + 30] = 0xC4, f[name + 31] = 0xE3;
  writeBytes(dir.file("n.vrw"), f);
  ASSERT_EQ(readSibling(dir.file("n.vrw"), doc, nullptr), kReadOk);
  EXPECT_EQ(std::string(doc.currentLayer()->name), std::string(30, 'n'));
  EXPECT_EQ(doc.layers().nameCounter(), 7);
}

TEST_F(SiblingTest, RefusedFilesLeaveTheDocumentAndDamagedDataKeepsALayer) {
  ASSERT_TRUE(doc.newImage(9, 9, true));
  std::vector<uint8_t> good = siblingFile(3, 2, std::vector<uint8_t>(8, 9), 0);
  std::vector<uint8_t> f = good;
  f[7] = 1;
  writeBytes(dir.file("v.vrw"), f);
  EXPECT_EQ(readSibling(dir.file("v.vrw"), doc, nullptr), kReadFormatError);
  f = good;
  f[18] = 1;   // the second version byte
  writeBytes(dir.file("v.vrw"), f);
  EXPECT_EQ(readSibling(dir.file("v.vrw"), doc, nullptr), kReadFormatError);
  f = good;
  f[8] = 0x95, f[9] = 0x11;   // 4501 wide
  writeBytes(dir.file("v.vrw"), f);
  EXPECT_EQ(readSibling(dir.file("v.vrw"), doc, nullptr), kReadTooLarge);
  EXPECT_EQ(readSibling(dir.file("none.vrw"), doc, nullptr), kReadCannotOpen);
  f = good;
  f[21] = 0xFF, f[22] = 0x7F;   // composite size beyond the file
  writeBytes(dir.file("v.vrw"), f);
  EXPECT_EQ(readSibling(dir.file("v.vrw"), doc, nullptr), kReadFormatError);
  EXPECT_EQ(doc.width(), 9);
  f = good;
  f.resize(f.size() - 4);
  writeBytes(dir.file("v.vrw"), f);
  EXPECT_EQ(readSibling(dir.file("v.vrw"), doc, nullptr), kReadDecompressFailed);
  EXPECT_EQ(doc.layerCount(), 1);
  EXPECT_NE(doc.currentLayer(), nullptr);
  Image32 image;
  f = good;
  f[19] = f[20] = f[21] = f[22] = 0;
  writeBytes(dir.file("v.vrw"), f);
  EXPECT_FALSE(readSiblingComposite(dir.file("v.vrw"), image));
}

}  // namespace
}  // namespace tessel
