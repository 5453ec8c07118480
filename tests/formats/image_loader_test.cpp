#include "formats/image_loader.h"
#include "formats/palette_index.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include "app/files/document_io.h"
#include "document/document.h"
#include "formats/codec_test_util.h"
#include "formats/gif_writer.h"
#include "formats/native_document.h"
#include "formats/jpeg_writer.h"
#include "formats/png_codec.h"
#include "formats/temp_dir.h"
#include "platform/image_decoders.h"

namespace tessel {
namespace {

using testing::PngBuilder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

TEST(ImageLoader, PicksTheReaderByExtensionWithoutCase) {
  TempDir dir;
  Image32 src, image;
  ASSERT_TRUE(src.create(3, 2));
  src.fill(0x80102030u);
  ASSERT_TRUE(writePng(src, dir.file("a.png"), 6, true, -1));
  ImageReadInfo info;
  info.tooLarge = true;
  ASSERT_TRUE(loadImage(dir.file("a.png"), image, info));
  EXPECT_TRUE(info.hadAlpha);
  EXPECT_FALSE(info.tooLarge);
  EXPECT_EQ(image.at(2, 1), 0x80102030u);
  // The same bytes under other names go to other readers.
  writeBytes(dir.file("A.PNG"), readBytes(dir.file("a.png")));
  EXPECT_TRUE(loadImage(dir.file("A.PNG"), image, info));
  writeBytes(dir.file("a.bmp"), readBytes(dir.file("a.png")));
  EXPECT_FALSE(loadImage(dir.file("a.bmp"), image, info));
  EXPECT_FALSE(info.hadAlpha);   // cleared by every load
  writeBytes(dir.file("a.txt"), readBytes(dir.file("a.png")));
  EXPECT_FALSE(loadImage(dir.file("a.txt"), image, info));
  EXPECT_FALSE(loadImage(dir.file("noextension"), image, info));

  ASSERT_TRUE(writeJpeg(src, dir.file("a.JPEG"), 100, false));
  ASSERT_TRUE(loadImage(dir.file("a.JPEG"), image, info));
  EXPECT_EQ(alphaOf(image.at(0, 0)), 255);
  EXPECT_NEAR(redOf(image.at(0, 0)), 0x10, 2);
  EXPECT_NEAR(blueOf(image.at(0, 0)), 0x30, 2);
  ASSERT_TRUE(writeGif(src, dir.file("a.Gif"), -1));
  ASSERT_TRUE(loadImage(dir.file("a.Gif"), image, info));
  EXPECT_EQ(image.at(1, 1), 0xFF102030u);   // opaque
}

TEST(ImageLoader, PaletteIndexFindsTheFirstEqualEntry) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0xFF0000};
  const ColourIndex index(palette);
  EXPECT_EQ(index(0xFF000000u), 0);
  EXPECT_EQ(index(0x00FF0000u), 1);   // alpha ignored
  EXPECT_EQ(index(0x1200FF00u), 2);
  EXPECT_EQ(index(0xFF123456u), 0);   // absent
  EXPECT_EQ(swapRedBlue(0x00332211u), 0x00112233u);
}

// A GIF put together with giflib: a 4 x 3 screen, a 2 x 2 image at (1, 1)
// whose local table makes index 1 transparent.
void writeSmallTransparentGif(const std::string& path, bool interlace) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  ASSERT_NE(gif, nullptr);
  GifColorType global[2] = {{1, 2, 3}, {4, 5, 6}};
  GifColorType local[2] = {{200, 100, 50}, {10, 220, 30}};
  ColorMapObject* globalMap = GifMakeMapObject(2, global);
  ColorMapObject* localMap = GifMakeMapObject(2, local);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, 4, 3, 1, 0, globalMap);
  const GifByteType gce[4] = {0x01, 0, 0, 1};
  EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
  EGifPutImageDesc(gif, 1, 1, 2, 2, interlace, localMap);
  GifPixelType rows[2][2] = {{0, 1}, {1, 0}};
  EGifPutLine(gif, rows[0], 2);
  EGifPutLine(gif, rows[1], 2);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(globalMap);
  GifFreeMapObject(localMap);
}

TEST(ImageDecoders, TransparentGifIndexAndUncoveredScreenOpenTransparent) {
  TempDir dir;
  writeSmallTransparentGif(dir.file("t.gif"), false);
  Image32 image;
  ImageReadInfo info;
  ASSERT_TRUE(loadImage(dir.file("t.gif"), image, info));
  ASSERT_EQ(image.width(), 4);
  ASSERT_EQ(image.height(), 3);
  EXPECT_EQ(image.at(0, 0), kTransparent);
  EXPECT_EQ(image.at(3, 2), kTransparent);
  EXPECT_EQ(image.at(1, 1), 0xFFC86432u);
  EXPECT_EQ(image.at(2, 1), kTransparent);   // index 1 of the local table
  EXPECT_EQ(image.at(1, 2), kTransparent);
  EXPECT_EQ(image.at(2, 2), 0xFFC86432u);
  EXPECT_FALSE(info.hadAlpha);
  // Our own writer's transparent colour comes back transparent too.
  Image32 src;
  ASSERT_TRUE(src.create(3, 1));
  src.fill(0xFF102030u);
  src.set(1, 0, 0xFF405060u);
  ASSERT_TRUE(writeGif(src, dir.file("w.gif"), 0x605040));
  ASSERT_TRUE(loadImage(dir.file("w.gif"), image, info));
  EXPECT_EQ(image.at(0, 0), 0xFF102030u);
  EXPECT_EQ(image.at(1, 0), kTransparent);
}

TEST(ImageDecoders, InterlacedGifRowsLandInPlace) {
  TempDir dir;
  Image32 src;
  ASSERT_TRUE(src.create(3, 11));
  for (int y = 0; y < 11; ++y) src.fill(0), src.set(0, y, 0);
  // Written by giflib with interlacing: rows 0..10 in four passes.
  int error = 0;
  GifFileType* gif = EGifOpenFileName(dir.file("i.gif").c_str(), false, &error);
  ASSERT_NE(gif, nullptr);
  GifColorType colours[16];
  for (int i = 0; i < 16; ++i) colours[i] = {GifByteType(i * 16), GifByteType(255 - i), 7};
  ColorMapObject* map = GifMakeMapObject(16, colours);
  EGifPutScreenDesc(gif, 3, 11, 4, 0, map);
  EGifPutImageDesc(gif, 0, 0, 3, 11, true, nullptr);
  static const int kOrder[11] = {0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9};
  for (int row : kOrder) {
    GifPixelType line[3] = {GifPixelType(row), GifPixelType(row), GifPixelType(row)};
    EGifPutLine(gif, line, 3);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  Image32 image;
  ImageReadInfo info;
  ASSERT_TRUE(loadImage(dir.file("i.gif"), image, info));
  for (int y = 0; y < 11; ++y) EXPECT_EQ(image.at(1, y), makePixel(255, uint32_t(y * 16), uint32_t(255 - y), 7)) << y;
}

TEST(ImageDecoders, BadTruncatedAndOversizedInputs) {
  DecodedImage out;
  const uint8_t junk[32] = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
  EXPECT_EQ(decodeGif(junk, sizeof junk, 4500, out), DecodeStatus::kFailed);
  EXPECT_EQ(decodeJpeg(junk, sizeof junk, 4500, out), DecodeStatus::kFailed);
  EXPECT_EQ(decodeGif(nullptr, 0, 4500, out), DecodeStatus::kFailed);
  TempDir dir;
  Image32 src;
  ASSERT_TRUE(src.create(40, 30));
  testing::paintPhoto(src);
  ASSERT_TRUE(writeGif(src, dir.file("p.gif"), -1));
  ASSERT_TRUE(writeJpeg(src, dir.file("p.jpg"), 80, true));
  for (const char* name : {"p.gif", "p.jpg"}) {
    std::vector<uint8_t> b = readBytes(dir.file(name));
    const bool gif = name[2] == 'g';
    auto decode = [&](size_t n, int limit) {
      return gif ? decodeGif(b.data(), n, limit, out) : decodeJpeg(b.data(), n, limit, out);
    };
    EXPECT_EQ(decode(b.size(), 4500), DecodeStatus::kOk);
    EXPECT_EQ(out.width, 40);
    EXPECT_EQ(decode(b.size(), 39), DecodeStatus::kTooLarge);
    EXPECT_EQ(out.pixels, nullptr);
    // Cut in the middle of the picture data: whatever the library makes of
    // the rest, the size stays that of the picture and every pixel opaque
    // (neither file has a transparent colour).
    if (decode(b.size() * 2 / 3, 4500) == DecodeStatus::kOk) {
      EXPECT_EQ(out.height, 30);
      for (int i = 0; i < 40 * 30; ++i) ASSERT_EQ(out.pixels[size_t(i)] >> 24, 0xFFu);
    }
    EXPECT_EQ(decode(12, 4500), DecodeStatus::kFailed);
  }
}

TEST(ImageLoader, OpenFlowRefusesOversizedPngsWithTheSizeResult) {
  TempDir dir;
  PngBuilder big;
  big.ihdr(4501, 10, 8, 2);
  big.iend();
  writeBytes(dir.file("big.png"), big.bytes);
  Document document;
  ASSERT_TRUE(document.newImage(30, 20, true));
  struct NoProgress : Progress {
    void setRange(int) override {}
    void step() override {}
  } progress;
  LoadOutcome outcome;
  EXPECT_EQ(loadFile(builtinFormats(), dir.file("big.png"), document, progress, outcome), kReadTooLarge);
  EXPECT_EQ(document.width(), 30);
  writeBytes(dir.file("bad.png"), {1, 2, 3});
  EXPECT_EQ(loadFile(builtinFormats(), dir.file("bad.png"), document, progress, outcome), kReadFailed);
  Image32 src;
  ASSERT_TRUE(src.create(5, 4));
  src.fill(0x40FF0000u);
  ASSERT_TRUE(writePng(src, dir.file("ok.png"), 6, true, -1));
  EXPECT_EQ(loadFile(builtinFormats(), dir.file("ok.png"), document, progress, outcome), kReadOk);
  EXPECT_TRUE(outcome.pngAlpha);
  EXPECT_EQ(document.width(), 5);
}

}  // namespace
}  // namespace tessel
