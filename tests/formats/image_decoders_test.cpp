// Flat files other programs write: CMYK and YCCK JPEGs, ImageMagick's
// transparent GIFs and BMPs with an alpha mask.
#include "platform/image_decoders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "formats/codec_test_util.h"
#include "formats/image_loader.h"
#include "formats/png_codec.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;

// A 16 x 8 CMYK JPEG at quality 100: two flat 8 x 8 blocks of the given
// stored C, M, Y, K bytes, as YCCK when asked, with or without Adobe's marker.
std::vector<uint8_t> cmykJpeg(const uint8_t left[4], const uint8_t right[4], bool ycck, bool adobe) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = 16;
  info.image_height = 8;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, ycck ? JCS_YCCK : JCS_CMYK);
  jpeg_set_quality(&info, 100, TRUE);
  info.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_start_compress(&info, TRUE);
  uint8_t row[16 * 4];
  for (int x = 0; x < 16; ++x) std::memcpy(row + x * 4, x < 8 ? left : right, 4);
  while (info.next_scanline < 8) {
    JSAMPROW r = row;
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

void expectNear(uint32_t got, uint32_t want, int tolerance) {
  EXPECT_EQ(got >> 24, want >> 24);
  for (int s = 0; s < 24; s += 8) EXPECT_NEAR(int(got >> s & 0xFF), int(want >> s & 0xFF), tolerance) << std::hex << got;
}

TEST(JpegCmyk, AdobeInvertedPlainAndYcckBecomeRgb) {
  // Inks C 100, M 50, Y 0, K 55 stored inverted: 155 205 255 200 gives
  // R = 155 * 200 / 255 = 122, G = 161, B = 200; full magenta and yellow
  // ink is red.
  const uint8_t inverted[4] = {155, 205, 255, 200}, red[4] = {255, 0, 0, 255};
  const uint8_t plain[4] = {100, 50, 0, 55}, plainRed[4] = {0, 255, 255, 0};
  struct Case { const uint8_t *a, *b; bool ycck, adobe; int tolerance; };
  for (Case c : {Case{inverted, red, false, true, 1}, Case{inverted, red, true, true, 3},
                 Case{plain, plainRed, false, false, 1}}) {
    const std::vector<uint8_t> file = cmykJpeg(c.a, c.b, c.ycck, c.adobe);
    DecodedImage out;
    ASSERT_EQ(decodeJpeg(file.data(), file.size(), 4500, out), DecodeStatus::kOk) << c.ycck << c.adobe;
    ASSERT_EQ(out.width, 16);
    expectNear(out.pixels[3 * 16 + 2], 0xFF7AA1C8u, c.tolerance);
    expectNear(out.pixels[5 * 16 + 12], 0xFFFF0000u, c.tolerance);
    DecodedImage small;
    ASSERT_EQ(decodeJpegReduced(file.data(), file.size(), 4500, 1, small), DecodeStatus::kOk);
    EXPECT_EQ(small.width, 2);
    expectNear(small.pixels[0], 0xFF7AA1C8u, c.tolerance);
  }
  // Cut short or oversized: refused, as any JPEG.
  const std::vector<uint8_t> file = cmykJpeg(inverted, red, false, true);
  DecodedImage out;
  EXPECT_EQ(decodeJpeg(file.data(), file.size(), 15, out), DecodeStatus::kTooLarge);
  EXPECT_EQ(decodeJpeg(file.data(), 40, 4500, out), DecodeStatus::kFailed);
}

// Our reading of files ImageMagick wrote, against ImageMagick's own reading
// of them turned into PNG.
TEST(ImageMagickFiles, TransparentGifAlphaBmpAndCmykJpegReadAsImageMagickReadsThem) {
  if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick's convert is not installed";
  TempDir dir;
  const std::string d = dir.file("");
  struct Case { const char* make; const char* file; int tolerance; };
  const Case cases[] = {
      {"-size 20x12 xc:none -fill red -draw 'rectangle 3,2 12,8'", "t.gif", 0},
      {"-size 20x12 xc:none -fill 'rgba(0,128,255,0.5)' -draw 'rectangle 3,2 12,8'", "a.bmp", 0},
      {"-size 40x24 gradient:orange-navy -quality 100 -colorspace CMYK", "c.jpg", 3},
  };
  for (const Case& c : cases) {
    const std::string file = d + c.file, png = d + c.file + ".png";
    const std::string command = std::string("convert ") + c.make + " " + file + " && convert " + file +
                                " -colorspace sRGB PNG32:" + png;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Image32 ours, theirs;
    ImageReadInfo info;
    ASSERT_TRUE(loadImage(file, ours, info)) << c.file;
    ASSERT_TRUE(readPng(png, theirs, info)) << c.file;
    ASSERT_EQ(ours.width(), theirs.width());
    int worst = 0, transparent = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) {
        const Pixel a = ours.at(x, y), b = theirs.at(x, y);
        transparent += a == kTransparent;
        for (int s = 0; s < 32; s += 8) worst = std::max(worst, std::abs(int(a >> s & 0xFF) - int(b >> s & 0xFF)));
      }
    EXPECT_LE(worst, c.tolerance) << c.file;
    if (c.file[0] != 'c') {
      EXPECT_EQ(transparent, 20 * 12 - 10 * 7) << c.file;
    }
  }
}

}  // namespace
}  // namespace tessel
