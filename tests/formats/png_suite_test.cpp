// Our PNG reader against libpng over PngSuite, every pixel. libpng expands
// palettes, low grey depths and tRNS to 8-bit RGBA and rounds 16-bit samples
// (png_set_scale_16), which is what the reader promises.
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/png_codec.h"
#include "formats/thumbnail_sink.h"

namespace tessel {
namespace {

namespace fs = std::filesystem;


// Alpha-0 pixels become transparent white, as in an Image32.
bool libpngRead(const std::string& path, Image32& image) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, [](png_structp, png_const_charp) {});
  png_infop info = png_create_info_struct(png);
  bool ok = false;
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int w = int(png_get_image_width(png, info)), h = int(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) == size_t(w) * 4 && image.create(w, h)) {
      std::vector<png_bytep> rows(static_cast<size_t>(h));
      for (int y = 0; y < h; ++y) rows[size_t(y)] = reinterpret_cast<png_bytep>(image.row(y));
      png_read_image(png, rows.data());
      png_read_end(png, nullptr);
      image.normaliseTransparent();
      ok = true;
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return ok;
}

// Read at (-2, 3) onto a poisoned canvas 3 wider and 2 taller: the picture
// cut at the canvas's left and bottom edges, nothing written outside it.
void expectPlacedAsWhole(const std::string& path, const Image32& whole, const std::string& name) {
  const Pixel poison = 0x12345678u;
  Image32 canvas;
  ASSERT_TRUE(canvas.create(whole.width() + 3, whole.height() + 2));
  canvas.fill(poison);
  Rect placed;
  ASSERT_TRUE(readPngPlaced(path, canvas, -2, 3, placed)) << name;
  const Rect expected = Rect{-2, 3, whole.width(), whole.height()}.intersected(canvas.bounds());
  ASSERT_EQ(placed, expected) << name;
  int differ = 0;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x)
      differ += canvas.at(x, y) != (placed.contains(x, y) ? whole.at(x + 2, y - 3) : poison);
  EXPECT_EQ(differ, 0) << name;
}

// Every file of the folder: valid ones decode exactly as libpng decodes them
// (also in the thumbnail mode and placed on a larger image), broken ones
// (names starting with x) fail.
void compareFolder(const fs::path& folder, int& valid, int& broken) {
  valid = broken = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".png") continue;
    const std::string path = entry.path().string(), name = entry.path().filename().string();
    Image32 ours, theirs, thumb, shrunk;
    ImageReadInfo info;
    const bool read = readPng(path, ours, info);
    if (name[0] == 'x') {
      ++broken;
      EXPECT_FALSE(read) << name;
      EXPECT_FALSE(readPngThumbnail(path, 16, thumb)) << name;
      Image32 canvas;
      Rect placed;
      EXPECT_TRUE(canvas.create(40, 40));
      EXPECT_FALSE(readPngPlaced(path, canvas, 0, 0, placed)) << name;
      continue;
    }
    ++valid;
    ASSERT_TRUE(read) << name;
    ASSERT_TRUE(libpngRead(path, theirs)) << name;
    ASSERT_EQ(ours.width(), theirs.width()) << name;
    ASSERT_EQ(ours.height(), theirs.height()) << name;
    int differ = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) differ += ours.at(x, y) != theirs.at(x, y);
    EXPECT_EQ(differ, 0) << name;
    expectPlacedAsWhole(path, ours, name);
    ASSERT_TRUE(readPngThumbnail(path, 16, thumb)) << name;
    ASSERT_TRUE(ThumbnailSink::shrink(ours, 16, shrunk));
    ASSERT_EQ(thumb.byteSize(), shrunk.byteSize()) << name;
    EXPECT_EQ(std::memcmp(thumb.bits(), shrunk.bits(), thumb.byteSize()), 0) << name;
  }
}

TEST(PngSuite, SubsetMatchesLibpngAndBrokenFilesFail) {
  int valid = 0, broken = 0;
  compareFolder(fs::path(TESSEL_TEST_DATA) / "pngsuite", valid, broken);
  EXPECT_EQ(valid, 15);
  EXPECT_EQ(broken, 6);
}

TEST(PngSuite, WholeSuiteMatchesLibpng) {
  const fs::path corpus = fs::path(TESSEL_SHARED_CORPUS) / "pngsuite";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no PngSuite at " << corpus << "; the subset in tests/data still runs";
  int valid = 0, broken = 0;
  compareFolder(corpus, valid, broken);
  EXPECT_EQ(valid, 161);
  EXPECT_EQ(broken, 14);
}

}  // namespace
}  // namespace tessel
