#include "formats/texture_library.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "formats/bmp_codec.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::le16;
using testing::le32;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

std::vector<uint8_t> zlibOf(const std::vector<uint8_t>& data) {
  uLongf size = compressBound(uLong(data.size()));
  std::vector<uint8_t> out(size);
  compress2(out.data(), &size, data.data(), uLong(data.size()), 4);
  out.resize(size);
  return out;
}

std::vector<uint8_t> library(uint8_t version, uint16_t count, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> f = {'T', 'S', 'L', 'T', 'E', 'X', 'L', 'I', 'B', version, uint8_t(count), uint8_t(count >> 8)};
  std::vector<uint8_t> packed = count ? zlibOf(data) : std::vector<uint8_t>{};
  uint32_t u = uint32_t(data.size()), s = uint32_t(packed.size());
  for (uint32_t v : {u, s})
    for (int i = 0; i < 4; ++i) f.push_back(uint8_t(v >> (8 * i)));
  f.insert(f.end(), packed.begin(), packed.end());
  return f;
}

Image32 picture(int w, int h) {
  Image32 image;
  if (image.create(w, h))
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image.set(x, y, makePixel(255, uint32_t(x) & 0xFF, uint32_t(y) & 0xFF, 0));
  return image;
}

TEST(TextureLibrary, TextureByteIsInvertedLuminance) {
  EXPECT_EQ(textureByte(0xFF000000u), 255);
  EXPECT_EQ(textureByte(0xFFFFFFFFu), 0);
  EXPECT_EQ(textureByte(0xFF808080u), 127);         // 255 - (256 * 128 >> 8)
  EXPECT_EQ(textureByte(0xFFFF0000u), 255 - 76);    // 77 * 255 >> 8
}

TEST(TextureLibrary, EmptyLibraryIsTwentyBytes) {
  TempDir dir;
  TextureLibrary lib;
  ASSERT_TRUE(lib.save(dir.file("e.tst"), false));
  EXPECT_EQ(readBytes(dir.file("e.tst")),
            (std::vector<uint8_t>{'T', 'S', 'L', 'T', 'E', 'X', 'L', 'I', 'B', 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_TRUE(lib.load(dir.file("e.tst"), false));
  EXPECT_EQ(lib.count(), 0);
}

TEST(TextureLibrary, VersionOneIsConvertedMarkedModifiedAndSavedAsVersionTwo) {
  TempDir dir;
  std::vector<uint8_t> data = {2, 1, 10, 20, 1, 2, 30, 40};   // 2 x 1 and 1 x 2, single-byte sizes
  writeBytes(dir.file("old.tst"), library(1, 2, data));
  TextureLibrary lib;
  ASSERT_TRUE(lib.load(dir.file("old.tst"), false));
  EXPECT_TRUE(lib.modified());
  ASSERT_EQ(lib.count(), 2);
  EXPECT_EQ(lib.at(1).width, 1);
  EXPECT_EQ(lib.at(1).height, 2);
  EXPECT_EQ(lib.at(1).pixels[1], 40);
  ASSERT_TRUE(lib.save(dir.file("texture.tst"), true));
  EXPECT_FALSE(lib.modified());
  std::vector<uint8_t> f = readBytes(dir.file("texture.tst"));
  EXPECT_EQ(f[9], 2);
  EXPECT_EQ(le32(f, 12), 12u);
  std::vector<uint8_t> back(12);
  uLongf size = 12;
  ASSERT_EQ(uncompress(back.data(), &size, &f[20], le32(f, 16)), Z_OK);
  EXPECT_EQ(back, (std::vector<uint8_t>{2, 0, 1, 0, 10, 20, 1, 0, 2, 0, 30, 40}));
  // Unmodified: the shutdown save leaves the file alone.
  std::remove(dir.file("texture.tst").c_str());
  ASSERT_TRUE(lib.save(dir.file("texture.tst"), true));
  EXPECT_TRUE(readBytes(dir.file("texture.tst")).empty());
}

TEST(TextureLibrary, BadLibrariesLeaveItEmpty) {
  TempDir dir;
  TextureLibrary lib;
  ASSERT_TRUE(lib.addTexture(picture(3, 3), -1));
  std::vector<uint8_t> v2 = {3, 0, 1, 0, 1, 2, 3};
  std::vector<uint8_t> f = library(3, 1, v2);
  writeBytes(dir.file("a.tst"), f);
  EXPECT_FALSE(lib.load(dir.file("a.tst"), false));
  EXPECT_EQ(lib.count(), 0);
  writeBytes(dir.file("a.tst"), library(2, 501, v2));
  EXPECT_FALSE(lib.load(dir.file("a.tst"), false));
  writeBytes(dir.file("a.tst"), library(2, 2, v2));   // the block holds one texture
  EXPECT_FALSE(lib.load(dir.file("a.tst"), false));
  EXPECT_EQ(lib.count(), 0);
  std::vector<uint8_t> wide = {0x01, 0x02, 1, 0, 9};   // 513 wide
  writeBytes(dir.file("a.tst"), library(2, 1, wide));
  EXPECT_FALSE(lib.load(dir.file("a.tst"), false));
  f = library(2, 1, v2);
  f[12] = 0xFF, f[13] = 0xFF, f[14] = 0xFF, f[15] = 0x7F;   // U far beyond any library
  writeBytes(dir.file("a.tst"), f);
  EXPECT_FALSE(lib.load(dir.file("a.tst"), false));
  writeBytes(dir.file("a.tst"), library(2, 1, {}));   // one texture in no bytes
  EXPECT_FALSE(lib.load(dir.file("a.tst"), false));
  writeBytes(dir.file("a.tst"), library(2, 1, v2));
  ASSERT_TRUE(lib.load(dir.file("a.tst"), true));
  EXPECT_TRUE(lib.modified());
  EXPECT_EQ(lib.at(0).pixels[2], 3);
}

TEST(TextureLibrary, AddCutsTo512AndInsertsBeforeAPosition) {
  TextureLibrary lib;
  ASSERT_TRUE(lib.addTexture(picture(600, 300), -1));
  ASSERT_EQ(lib.count(), 1);
  EXPECT_EQ(lib.at(0).width, 512);
  EXPECT_EQ(lib.at(0).height, 300);
  EXPECT_EQ(lib.at(0).pixels[511], textureByte(makePixel(255, 511 & 0xFF, 0, 0)));
  EXPECT_EQ(lib.at(0).pixels[512 * 2 + 1], textureByte(makePixel(255, 1, 2, 0)));
  ASSERT_TRUE(lib.addTexture(picture(2, 2), 0));
  ASSERT_TRUE(lib.addTexture(picture(4, 1), 7));
  ASSERT_EQ(lib.count(), 3);
  EXPECT_EQ(lib.at(0).width, 2);
  EXPECT_EQ(lib.at(1).width, 512);
  EXPECT_EQ(lib.at(2).width, 4);
  EXPECT_EQ(lib.dataSize(), 3u * 4 + 512 * 300 + 4 + 4);
  lib.removeTexture(1);
  ASSERT_EQ(lib.count(), 2);
  EXPECT_EQ(lib.at(1).width, 4);
  EXPECT_EQ(lib.at(1).pixels[3], textureByte(makePixel(255, 3, 0, 0)));
  lib.removeTexture(5);
  EXPECT_EQ(lib.count(), 2);
  EXPECT_EQ(lib.at(2).pixels, nullptr);
}

TEST(TextureLibrary, AddFromAnImageFileCutsTo512) {
  TempDir dir;
  ASSERT_TRUE(writeBmp(picture(600, 300), dir.file("wide.bmp")));
  TextureLibrary lib;
  ASSERT_TRUE(lib.addTexture(dir.file("wide.bmp"), -1));
  ASSERT_EQ(lib.count(), 1);
  EXPECT_EQ(lib.at(0).width, 512);
  EXPECT_EQ(lib.at(0).height, 300);
  EXPECT_EQ(lib.at(0).pixels[512 * 299 + 511], textureByte(makePixel(255, 511 & 0xFF, 299 & 0xFF, 0)));
  EXPECT_FALSE(lib.addTexture(dir.file("missing.bmp"), -1));
  EXPECT_EQ(lib.count(), 1);
}

TEST(TextureLibrary, AtMost500Textures) {
  TextureLibrary lib;
  Image32 dot = picture(1, 1);
  for (int i = 0; i < kMaxTextures; ++i) ASSERT_TRUE(lib.addTexture(dot, -1));
  EXPECT_FALSE(lib.addTexture(dot, -1));
  EXPECT_EQ(lib.count(), 500);
  TempDir dir;
  ASSERT_TRUE(lib.save(dir.file("full.tst"), false));
  TextureLibrary back;
  ASSERT_TRUE(back.load(dir.file("full.tst"), false));
  EXPECT_EQ(back.count(), 500);
  EXPECT_FALSE(back.modified());
}

}  // namespace
}  // namespace tessel
