// Our files against independent decoders and encoders on this machine:
// libpng, libjpeg-turbo and giflib.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "formats/codec_test_util.h"
#include "formats/gif_writer.h"
#include "formats/jpeg_writer.h"
#include "formats/png_codec.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::paintPhoto;
using testing::psnr;
using testing::TempDir;

// RGBA bytes through libpng's simplified reader.
bool libpngRead(const std::string& path, int& w, int& h, std::vector<uint8_t>& rgba) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
  img.format = PNG_FORMAT_RGBA;
  rgba.assign(PNG_IMAGE_SIZE(img), 0);
  w = int(img.width);
  h = int(img.height);
  return png_image_finish_read(&img, nullptr, rgba.data(), 0, nullptr) != 0;
}

// How our pixels compare with libpng's RGBA: colour only, exactly, or with
// alpha-0 pixels as transparent white (what our reader makes of them).
enum class Match { kColour, kExact, kNormalised };

void expectSameAsLibpng(const std::string& path, const Image32& ours, Match match) {
  int w = 0, h = 0;
  std::vector<uint8_t> rgba;
  ASSERT_TRUE(libpngRead(path, w, h, rgba));
  ASSERT_EQ(w, ours.width());
  ASSERT_EQ(h, ours.height());
  int mismatches = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
      Pixel expected = makePixel(p[3], p[0], p[1], p[2]);
      Pixel got = ours.at(x, y);
      if (match == Match::kColour) {
        expected &= 0x00FFFFFFu;
        got &= 0x00FFFFFFu;
      } else if (match == Match::kNormalised && p[3] == 0) {
        expected = kTransparent;
      }
      mismatches += got != expected;
    }
  EXPECT_EQ(mismatches, 0) << path;
}

// A libpng file of one colour type and bit depth; samples from a pattern.
void libpngWrite(const std::string& path, int w, int h, int colourType, int depth) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), depth, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_color palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = {png_byte(i * 37), png_byte(255 - i), png_byte(i * 11)};
    png_set_PLTE(png, info, palette, 1 << depth);
  }
  png_write_info(png, info);
  const int channels = colourType == PNG_COLOR_TYPE_RGB ? 3 : colourType == PNG_COLOR_TYPE_RGBA ? 4 : 1;
  std::vector<uint8_t> row(size_t(w) * channels + 8);
  for (int y = 0; y < h; ++y) {
    std::fill(row.begin(), row.end(), 0);
    for (int x = 0; x < w; ++x) {
      if (channels > 1) {
        for (int c = 0; c < channels; ++c) row[size_t(x) * channels + c] = uint8_t(x * 3 + y * 7 + c * 50);
      } else {
        const int sample = (x * 5 + y * 3) & ((1 << depth) - 1);
        const int bit = x * depth;
        row[size_t(bit / 8)] |= uint8_t(sample << (8 - depth - bit % 8));
      }
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

TEST(CodecInterop, LibpngFilesOfEveryAcceptedKindOpenWithLibpngsPixels) {
  TempDir dir;
  struct Kind { int type, depth; };
  for (Kind k : {Kind{PNG_COLOR_TYPE_GRAY, 1}, Kind{PNG_COLOR_TYPE_GRAY, 2}, Kind{PNG_COLOR_TYPE_GRAY, 4},
                 Kind{PNG_COLOR_TYPE_GRAY, 8}, Kind{PNG_COLOR_TYPE_PALETTE, 1}, Kind{PNG_COLOR_TYPE_PALETTE, 2},
                 Kind{PNG_COLOR_TYPE_PALETTE, 4}, Kind{PNG_COLOR_TYPE_PALETTE, 8}, Kind{PNG_COLOR_TYPE_RGB, 8},
                 Kind{PNG_COLOR_TYPE_RGBA, 8}}) {
    char name[32];
    std::snprintf(name, sizeof name, "k%d_%d.png", k.type, k.depth);
    const std::string path = dir.file(name);
    libpngWrite(path, 61, 37, k.type, k.depth);
    Image32 image;
    ImageReadInfo info;
    ASSERT_TRUE(readPng(path, image, info)) << path;
    EXPECT_EQ(info.hadAlpha, k.type == PNG_COLOR_TYPE_RGBA);
    expectSameAsLibpng(path, image, Match::kNormalised);
  }
}

TEST(CodecInterop, EveryPngWeWriteDecodesWithLibpngToTheSamePixels) {
  TempDir dir;
  Image32 photo, few;
  ASSERT_TRUE(photo.create(97, 45));
  paintPhoto(photo);
  for (int y = 0; y < 45; ++y) photo.set(y, y, makePixel(uint32_t(y * 5), 10, 20, 30));
  ASSERT_TRUE(few.create(33, 20));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 33; ++x) few.set(x, y, makePixel(255, uint32_t(x * 7), uint32_t(y * 11), 5));
  for (int level : {0, 1, 6, 9}) {
    const std::string rgb = dir.file("rgb.png"), rgba = dir.file("rgba.png"), pal = dir.file("pal.png");
    ASSERT_TRUE(writePng(photo, rgb, level, false, -1));
    ASSERT_TRUE(writePng(photo, rgba, level, true, -1));
    ASSERT_TRUE(writePng(few, pal, level, false, -1));
    expectSameAsLibpng(rgb, photo, Match::kColour);
    expectSameAsLibpng(rgba, photo, Match::kExact);
    expectSameAsLibpng(pal, few, Match::kExact);
  }
  // libpng applies our tRNS chunk: the chosen colour comes out transparent.
  const std::string keyed = dir.file("keyed.png");
  ASSERT_TRUE(writePng(few, keyed, 6, false, int32_t(0x050B07)));   // red 7, green 11, blue 5
  int w = 0, h = 0;
  std::vector<uint8_t> out;
  ASSERT_TRUE(libpngRead(keyed, w, h, out));
  EXPECT_EQ(out[(size_t(1) * 33 + 1) * 4 + 3], 0);
  EXPECT_EQ(out[(size_t(1) * 33 + 2) * 4 + 3], 255);
}

// ---------------------------------------------------------------------------

bool libjpegRead(const std::string& path, Image32& image, int& components, bool fancy = true) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  jpeg_decompress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, f);
  jpeg_read_header(&info, TRUE);
  components = info.num_components;
  info.out_color_space = JCS_RGB;
  info.do_fancy_upsampling = fancy ? TRUE : FALSE;
  jpeg_start_decompress(&info);
  image.create(int(info.output_width), int(info.output_height));
  std::vector<uint8_t> row(size_t(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    const int y = int(info.output_scanline);
    JSAMPROW r = row.data();
    jpeg_read_scanlines(&info, &r, 1);
    for (int x = 0; x < image.width(); ++x) image.set(x, y, makePixel(255, row[x * 3], row[x * 3 + 1], row[x * 3 + 2]));
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(f);
  return true;
}

TEST(CodecInterop, JpegsDecodeWithLibjpegAndQuality95KeepsForty_dB) {
  TempDir dir;
  Image32 photo, back;
  ASSERT_TRUE(photo.create(257, 131));
  paintPhoto(photo, 7);
  int components = 0;
  for (bool sub : {false, true}) {
    ASSERT_TRUE(writeJpeg(photo, dir.file("p.jpg"), 95, sub));
    ASSERT_TRUE(libjpegRead(dir.file("p.jpg"), back, components));
    EXPECT_EQ(components, 3);
    ASSERT_EQ(back.width(), 257);
    ASSERT_EQ(back.height(), 131);
    EXPECT_GE(psnr(photo, back), sub ? 36.0 : 40.0) << sub;
  }
  for (int q : {1, 30, 85, 100}) {
    ASSERT_TRUE(writeJpeg(photo, dir.file("q.jpg"), q, q == 30));
    ASSERT_TRUE(libjpegRead(dir.file("q.jpg"), back, components));
    EXPECT_GE(psnr(photo, back), q == 1 ? 15.0 : q == 100 ? 45.0 : 30.0) << q;
  }
}

TEST(CodecInterop, SubsampledSeventeenByNineRepeatsTheLastColumnAndRow) {
  TempDir dir;
  Image32 image, back;
  ASSERT_TRUE(image.create(17, 9));
  image.fill(0xFF808080u);
  for (int y = 0; y < 9; ++y) image.set(16, y, 0xFFC03020u);   // last column
  for (int x = 0; x < 16; ++x) image.set(x, 8, 0xFF2040C0u);    // last row
  ASSERT_TRUE(writeJpeg(image, dir.file("e.jpg"), 100, true));
  int components = 0;
  // Plain replication of chroma, so that neighbouring blocks do not blend in.
  ASSERT_TRUE(libjpegRead(dir.file("e.jpg"), back, components, false));
  ASSERT_EQ(back.width(), 17);
  ASSERT_EQ(back.height(), 9);
  // The padding repeats the edge, so the last column's MCU column is one flat
  // colour and comes back close to it; zero padding would pull it to grey.
  for (int y = 0; y < 8; ++y) {
    const Pixel p = back.at(16, y);
    EXPECT_NEAR(redOf(p), 0xC0, 8) << y;
    EXPECT_NEAR(greenOf(p), 0x30, 8) << y;
  }
  EXPECT_NEAR(blueOf(back.at(3, 8)), 0xC0, 12);
  EXPECT_NEAR(redOf(back.at(3, 8)), 0x20, 12);
}

TEST(CodecInterop, OurTablesAreLibjpegsStandardTables) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  info.in_color_space = JCS_RGB;
  info.input_components = 3;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 50, TRUE);   // scale 100 %: the base tables
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(info.quant_tbl_ptrs[0]->quantval[i], kJpegLumaQuant[i]) << i;
    EXPECT_EQ(info.quant_tbl_ptrs[1]->quantval[i], kJpegChromaQuant[i]) << i;
  }
  JHUFF_TBL* theirs[4] = {info.dc_huff_tbl_ptrs[0], info.ac_huff_tbl_ptrs[0], info.dc_huff_tbl_ptrs[1],
                          info.ac_huff_tbl_ptrs[1]};
  for (int t = 0; t < 4; ++t) {
    const JpegHuffmanSpec ours = jpegStandardHuffman(t);
    int count = 0;
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(ours.bits[i], theirs[t]->bits[i + 1]) << t << " " << i;
      count += ours.bits[i];
    }
    for (int i = 0; i < count; ++i) EXPECT_EQ(ours.values[i], theirs[t]->huffval[i]) << t << " " << i;
  }
  jpeg_destroy_compress(&info);
}

// ---------------------------------------------------------------------------

struct GifPicture {
  int width = 0, height = 0, transparent = -1, colours = 0;
  std::vector<Pixel> pixels;
};

bool giflibRead(const std::string& path, GifPicture& out) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return false;
  const bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1 && gif->SColorMap;
  if (ok) {
    const SavedImage& image = gif->SavedImages[0];
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    out.colours = gif->SColorMap->ColorCount;
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) out.transparent = gcb.TransparentColor;
    out.pixels.clear();
    for (int i = 0; i < out.width * out.height; ++i) {
      const GifColorType& c = gif->SColorMap->Colors[image.RasterBits[i]];
      out.pixels.push_back(makePixel(255, c.Red, c.Green, c.Blue));
    }
  }
  DGifCloseFile(gif, &error);
  return ok;
}

TEST(CodecInterop, GifsWeWriteDecodeWithGiflibToTheSamePixels) {
  TempDir dir;
  const std::string path = dir.file("g.gif");
  struct Case { int w, h, colours; };
  for (Case c : {Case{1, 1, 1}, Case{5, 3, 2}, Case{31, 17, 5}, Case{64, 64, 16}, Case{200, 150, 256}, Case{320, 7, 129}}) {
    Image32 image;
    ASSERT_TRUE(image.create(c.w, c.h));
    uint32_t v = 99;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        // Random indices defeat the string table, so long images reach the
        // 4095-code reset several times.
        v = v * 1103515245u + 12345u;
        const uint32_t k = c.colours == 256 ? (v >> 16) % 256 : uint32_t(x * 3 + y) % uint32_t(c.colours);
        image.set(x, y, makePixel(255, k, 255 - k, k / 2));
      }
    ASSERT_TRUE(writeGif(image, path, -1));
    GifPicture gif;
    ASSERT_TRUE(giflibRead(path, gif)) << c.w;
    ASSERT_EQ(gif.width, c.w);
    ASSERT_EQ(gif.height, c.h);
    EXPECT_EQ(gif.transparent, -1);
    int mismatches = 0;
    for (int i = 0; i < c.w * c.h; ++i) mismatches += gif.pixels[size_t(i)] != image.at(i % c.w, i / c.w);
    EXPECT_EQ(mismatches, 0) << c.w << "x" << c.h;
  }
}

TEST(CodecInterop, QuantisedPhotographKeepsItsLookThroughGiflib) {
  TempDir dir;
  Image32 photo;
  ASSERT_TRUE(photo.create(240, 160));
  paintPhoto(photo, 3);
  ASSERT_TRUE(writeGif(photo, dir.file("p.gif"), -1));
  GifPicture gif;
  ASSERT_TRUE(giflibRead(dir.file("p.gif"), gif));
  EXPECT_EQ(gif.colours, 256);
  Image32 back;
  ASSERT_TRUE(back.create(240, 160));
  for (int i = 0; i < 240 * 160; ++i) back.set(i % 240, i / 240, gif.pixels[size_t(i)]);
  EXPECT_GE(psnr(photo, back), 32.0);
}

TEST(CodecInterop, GiflibSeesOurTransparentEntry) {
  TempDir dir;
  Image32 image;
  ASSERT_TRUE(image.create(4, 2));
  image.fill(0xFF102030u);
  image.set(3, 1, 0xFF405060u);
  ASSERT_TRUE(writeGif(image, dir.file("t.gif"), 0x605040));   // 0x00BBGGRR
  GifPicture gif;
  ASSERT_TRUE(giflibRead(dir.file("t.gif"), gif));
  EXPECT_EQ(gif.transparent, 1);   // bottom row first: 0x405060 is entry 1
}

}  // namespace
}  // namespace tessel
