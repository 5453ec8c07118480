#include "formats/png_memory_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <random>
#include <vector>

namespace tessel {
namespace {

// RGBA bytes as libpng, an independent reader, decodes the file.
std::vector<uint8_t> libpngPixels(const PngMemoryWriter& png, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> out;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return out;
  image.format = PNG_FORMAT_RGBA;
  out.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.data(), 0, nullptr)) out.clear();
  width = int(image.width), height = int(image.height);
  return out;
}

std::vector<uint8_t> rgbaOf(const Image32& image, const Rect& r) {
  std::vector<uint8_t> out;
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      const Pixel p = image.at(x, y);
      out.insert(out.end(), {uint8_t(redOf(p)), uint8_t(greenOf(p)), uint8_t(blueOf(p)), uint8_t(alphaOf(p))});
    }
  return out;
}

// Noise (None), a horizontal ramp (Sub), repeated rows (Up) and transparent
// runs in one picture: every filter the writer picks must undo exactly.
TEST(PngMemoryWriter, EveryFilterReadsBackExactlyThroughLibpng) {
  Image32 image;
  ASSERT_TRUE(image.create(37, 40));
  std::mt19937 rng(5);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 37; ++x) {
      Pixel p = y < 10 ? Pixel(rng()) : y < 20 ? makePixel(255, x * 7, x * 3, 200 - x) : y < 30 ? makePixel(90, 1, 2, x) : kTransparent;
      image.set(x, y, p);
    }
  PngMemoryWriter png(6);
  for (const Rect r : {image.bounds(), Rect{3, 5, 20, 30}, Rect{36, 39, 1, 1}}) {
    ASSERT_TRUE(png.encode(image, r));
    int w = 0, h = 0;
    EXPECT_EQ(libpngPixels(png, w, h), rgbaOf(image, r));
    EXPECT_EQ(w, r.w);
    EXPECT_EQ(h, r.h);
  }
  // The same buffers serve a larger picture next.
  Image32 big;
  ASSERT_TRUE(big.create(300, 200));
  big.fill(0x80336699u);
  ASSERT_TRUE(png.encode(big, big.bounds()));
  int w = 0, h = 0;
  EXPECT_EQ(libpngPixels(png, w, h), rgbaOf(big, big.bounds()));
}

// Asked for RGB, an opaque area is written without alpha (colour type 2 at
// byte 25) and reads back the same; one pixel short of opaque keeps RGBA.
TEST(PngMemoryWriter, OpaqueAreaAsRgbReadsBackExactly) {
  Image32 image;
  ASSERT_TRUE(image.create(41, 23));
  std::mt19937 rng(9);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 41; ++x) image.set(x, y, y < 8 ? Pixel(rng()) | 0xFF000000u : makePixel(255, x * 5, y, 77));
  image.set(40, 22, 0xFE102030u);
  PngMemoryWriter png(6);
  for (const Rect r : {Rect{0, 0, 41, 22}, Rect{5, 3, 30, 19}, Rect{0, 0, 41, 23}}) {
    ASSERT_TRUE(png.encode(image, r, true));
    EXPECT_EQ(png.data()[25], r.bottom() == 23 ? 6 : 2);
    int w = 0, h = 0;
    EXPECT_EQ(libpngPixels(png, w, h), rgbaOf(image, r));
  }
}

TEST(PngMemoryWriter, RefusesWhatItCannotWrite) {
  Image32 image;
  ASSERT_TRUE(image.create(4, 4));
  PngMemoryWriter png(6), noLevel(13);
  EXPECT_FALSE(png.encode(image, Rect{2, 2, 4, 4}));   // outside
  EXPECT_FALSE(png.encode(image, Rect{0, 0, 0, 4}));
  EXPECT_FALSE(png.encode(0, 5, [&](int y) { return image.row(y); }));
  EXPECT_FALSE(png.encode(4, 4, [&](int) { return static_cast<const Pixel*>(nullptr); }));
  EXPECT_FALSE(noLevel.encode(image, image.bounds()));
  EXPECT_EQ(png.size(), 0u);
}

}  // namespace
}  // namespace tessel
