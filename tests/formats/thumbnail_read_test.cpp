// The thumbnail modes of the readers give the whole picture shrunk, read
// only where needed, and refuse what the whole readers refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "formats/bmp_codec.h"
#include "formats/image_loader.h"
#include "formats/jpeg_writer.h"
#include "formats/png_codec.h"
#include "formats/psd_builder.h"
#include "formats/psd_document.h"
#include "formats/psd_packbits.h"
#include "formats/temp_dir.h"
#include "formats/thumbnail_sink.h"
#include "platform/image_decoders.h"

namespace tessel {
namespace {

using testing::TempDir;

void expectSame(const Image32& a, const Image32& b) {
  ASSERT_EQ(a.width(), b.width());
  ASSERT_EQ(a.height(), b.height());
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) ASSERT_EQ(a.at(x, y), b.at(x, y)) << x << "," << y;
}

Image32 photo(int w, int h, bool alpha) {
  Image32 image;
  image.create(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.set(x, y, makePixel(255, uint32_t(x * 255 / w), uint32_t(y * 255 / h), uint32_t((x * x + y * 3) % 97 + 80)));
  if (alpha)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image.set(x, y, (image.at(x, y) & 0x00FFFFFFu) | uint32_t((x * 37 + y) & 0xFF) << 24);
  return image;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TEST(ThumbnailSink, AveragesSampledPixelsOverWhite) {
  Image32 image;
  ASSERT_TRUE(image.create(8, 2));
  image.fill(0xFFFFFFFFu);
  image.set(0, 0, 0x80000000u);   // half-covered black: 255 * 127 / 255 = 127
  image.set(7, 1, 0xFF102030u);
  Image32 thumb;
  ASSERT_TRUE(ThumbnailSink::shrink(image, 4, thumb));
  ASSERT_EQ(thumb.width(), 4);
  ASSERT_EQ(thumb.height(), 1);
  EXPECT_EQ(thumb.at(0, 0), 0xFFDFDFDFu);   // (127 + 3 * 255) / 4 = 223
  EXPECT_EQ(thumb.at(3, 0), 0xFFC3C7CBu);   // (0x10 + 3 * 255) / 4 ...
  ThumbnailSink sink;
  ASSERT_TRUE(sink.begin(4500, 4500, 72));
  int wanted = 0;
  for (int y = 0; y < 4500; ++y) wanted += sink.wantsRow(y);
  EXPECT_LE(wanted, 72 * 5);   // a few rows per thumbnail row, never all
  EXPECT_FALSE(sink.begin(0, 5, 72));
}

TEST(ThumbnailRead, PngAndBmpEqualTheWholeImageShrunk) {
  TempDir dir;
  for (bool alpha : {false, true}) {
    const Image32 image = photo(301, 97, alpha);
    const std::string png = dir.file(alpha ? "a.png" : "o.png");
    ASSERT_TRUE(writePng(image, png, 6, alpha, -1));
    Image32 full, expected, thumb;
    ImageReadInfo info;
    ASSERT_TRUE(readPng(png, full, info));
    ASSERT_TRUE(ThumbnailSink::shrink(full, 40, expected));
    ASSERT_TRUE(readPngThumbnail(png, 40, thumb));
    expectSame(thumb, expected);
  }
  const Image32 image = photo(203, 301, false);
  const std::string bmp = dir.file("t.bmp");
  ASSERT_TRUE(writeBmp(image, bmp));
  Image32 full, expected, thumb;
  ImageReadInfo info;
  ASSERT_TRUE(readBmp(bmp, full, info));
  ASSERT_TRUE(ThumbnailSink::shrink(full, 50, expected));
  ASSERT_TRUE(readBmpThumbnail(bmp, 50, thumb));
  expectSame(thumb, expected);
  EXPECT_EQ(thumb.height(), 50);
}

TEST(ThumbnailRead, PsdPackedAndRawEqualTheMergedImageShrunk) {
  TempDir dir;
  const int w = 90, h = 61;
  const Image32 image = photo(w, h, true);
  for (int channels : {3, 4}) {
    for (bool packed : {true, false}) {
      testing::BeBytes merged;
      merged.u16(packed ? 1 : 0);
      std::vector<std::vector<uint8_t>> rows;
      static const int kShift[4] = {16, 8, 0, 24};
      for (int c = 0; c < channels; ++c)
        for (int y = 0; y < h; ++y) {
          std::vector<uint8_t> plane(static_cast<size_t>(w)), out(packBitsBound(static_cast<size_t>(w)));
          for (int x = 0; x < w; ++x) plane[size_t(x)] = uint8_t(image.at(x, y) >> kShift[c]);
          if (packed) out.resize(packBitsRow(plane.data(), plane.size(), out.data()));
          rows.push_back(packed ? out : plane);
        }
      if (packed)
        for (const auto& r : rows) merged.u16(uint32_t(r.size()));
      for (const auto& r : rows) merged.raw(r);
      testing::PsdFileDesc desc;
      desc.width = w;
      desc.height = h;
      desc.channels = uint16_t(channels);
      desc.merged = merged.b;
      const std::string path = dir.file("t.psd");
      writeFile(path, testing::buildPsd(desc));
      Image32 full, expected, thumb;
      ASSERT_TRUE(readPsdComposite(path, full));
      ASSERT_TRUE(ThumbnailSink::shrink(full, 30, expected));
      ASSERT_TRUE(readPsdThumbnail(path, 30, thumb)) << channels << packed;
      expectSame(thumb, expected);
      // Row data cut short: both refuse.
      auto bytes = testing::buildPsd(desc);
      bytes.resize(bytes.size() - 40);
      writeFile(path, bytes);
      EXPECT_FALSE(readPsdComposite(path, full));
      EXPECT_FALSE(readPsdThumbnail(path, 30, thumb));
    }
  }
}

TEST(ThumbnailRead, MalformedFilesFail) {
  TempDir dir;
  Image32 thumb;
  const std::string bmp = dir.file("t.bmp"), png = dir.file("t.png"), psd = dir.file("t.psd");
  ASSERT_TRUE(writeBmp(photo(64, 64, false), bmp));
  std::ifstream in(bmp, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bytes.resize(bytes.size() - 100);   // the last rows are missing
  writeFile(bmp, bytes);
  EXPECT_FALSE(readBmpThumbnail(bmp, 16, thumb));
  writeFile(bmp, {'B', 'M', 0, 0});
  EXPECT_FALSE(readBmpThumbnail(bmp, 16, thumb));
  writeFile(png, {0x89, 'P', 'N', 'G'});
  EXPECT_FALSE(readPngThumbnail(png, 16, thumb));
  testing::PsdFileDesc desc;
  desc.merged = {0, 2};   // compression 2 is not read
  writeFile(psd, testing::buildPsd(desc));
  EXPECT_FALSE(readPsdThumbnail(psd, 16, thumb));
  desc.merged = {0, 1, 0xFF, 0xFF};   // a row count table the file cannot hold
  writeFile(psd, testing::buildPsd(desc));
  EXPECT_FALSE(readPsdThumbnail(psd, 16, thumb));
  EXPECT_FALSE(readPsdThumbnail(dir.file("none.psd"), 16, thumb));
}

TEST(ThumbnailRead, JpegScaledInTheDecoder) {
  TempDir dir;
  const Image32 image = photo(400, 300, false);
  const std::string path = dir.file("t.jpg");
  ASSERT_TRUE(writeJpeg(image, path, 90, false));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  DecodedImage small, mid;
  ASSERT_EQ(decodeJpegReduced(bytes.data(), bytes.size(), 4500, 48, small), DecodeStatus::kOk);
  EXPECT_EQ(small.width, 50);    // 1/8, rounded up
  EXPECT_EQ(small.height, 38);
  ASSERT_EQ(decodeJpegReduced(bytes.data(), bytes.size(), 4500, 150, mid), DecodeStatus::kOk);
  EXPECT_EQ(mid.width, 200);     // 1/4 would fall below 150
  EXPECT_EQ(decodeJpegReduced(bytes.data(), bytes.size(), 399, 48, small), DecodeStatus::kTooLarge);
  EXPECT_EQ(decodeJpegReduced(bytes.data(), bytes.size() / 3, 4500, 48, small), DecodeStatus::kOk);  // cut: grey tail
  EXPECT_EQ(decodeJpegReduced(bytes.data(), 20, 4500, 48, small), DecodeStatus::kFailed);
  // The thumbnail through the reduced decode stays close to the full one.
  Image32 full, expected, thumb;
  ImageReadInfo info;
  ASSERT_TRUE(loadImage(path, full, info));
  ASSERT_TRUE(ThumbnailSink::shrink(full, 40, expected));
  ASSERT_TRUE(loadThumbnailImage(path, 40, thumb));
  ASSERT_EQ(thumb.width(), expected.width());
  int worst = 0;
  for (int y = 0; y < thumb.height(); ++y)
    for (int x = 0; x < thumb.width(); ++x)
      for (int shift : {8, 16})   // the smooth channels; blue is a fine pattern
        worst = std::max(worst, std::abs(int(thumb.at(x, y) >> shift & 0xFF) - int(expected.at(x, y) >> shift & 0xFF)));
  EXPECT_LE(worst, 6);
}

}  // namespace
}  // namespace tessel
