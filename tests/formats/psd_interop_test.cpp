// Layered PSD files exchanged with ImageMagick, an independent reader and writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/document.h"
#include "formats/native_document.h"
#include "formats/psd_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

bool haveConvert() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

bool run(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()) == 0; }

// A pattern with every channel varying and some fully transparent pixels.
Pixel patternPixel(int x, int y, int layer) {
  if ((x * 3 + y + layer) % 7 == 0) return kTransparent;
  return makePixel(uint32_t(255 - (x * 11 + layer * 40) % 200), uint32_t(x * 23 + layer * 50) & 0xFF,
                   uint32_t(y * 31 + layer) & 0xFF, uint32_t(x * y * 7 + layer * 90) & 0xFF);
}

// RGBA bytes as a PAM file, which ImageMagick reads without help.
void writePam(const std::string& path, int w, int h, int layer) {
  std::string head = "P7\nWIDTH " + std::to_string(w) + "\nHEIGHT " + std::to_string(h) +
                     "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  std::vector<uint8_t> bytes(head.begin(), head.end());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Pixel p = patternPixel(x, y, layer);
      bytes.insert(bytes.end(), {redOf(p), greenOf(p), blueOf(p), alphaOf(p)});
    }
  writeBytes(path, bytes);
}

// Same alpha everywhere; same colour wherever a pixel is not fully transparent.
void expectSamePixel(Pixel expected, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int x, int y, int layer) {
  EXPECT_EQ(alphaOf(expected), a) << x << "," << y << " layer " << layer;
  if (a == 0) return;
  EXPECT_EQ(redOf(expected), r) << x << "," << y << " layer " << layer;
  EXPECT_EQ(greenOf(expected), g) << x << "," << y << " layer " << layer;
  EXPECT_EQ(blueOf(expected), b) << x << "," << y << " layer " << layer;
}

TEST(PsdInterop, LayeredFileWrittenHereReadsInImageMagick) {
  if (!haveConvert()) GTEST_SKIP() << "ImageMagick convert is not installed";
  TempDir dir;
  const int w = 37, h = 11, layers = 3;
  Document doc;
  ASSERT_TRUE(doc.newImage(w, h, false));
  for (int i = 0; i < layers; ++i) {
    Layer* layer = doc.layers().add(w, h, true);
    ASSERT_NE(layer, nullptr);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) layer->image().set(x, y, patternPixel(x, y, i));
  }
  doc.selectLayer(0);
  const std::string psd = dir.file("tessel.psd");
  ASSERT_TRUE(writePsd(psd, doc, nullptr));
  ASSERT_TRUE(run("identify -format '%w %h;' " + psd + " > " + dir.file("sizes.txt")));
  std::vector<uint8_t> sizes = readBytes(dir.file("sizes.txt"));
  std::string expected;
  for (int i = 0; i <= layers; ++i) expected += "37 11;";   // the merged image, then each layer
  EXPECT_EQ(std::string(sizes.begin(), sizes.end()), expected);
  for (int i = 0; i < layers; ++i) {
    // ImageMagick's image 1 is the first record, the bottom layer.
    const std::string raw = dir.file("layer" + std::to_string(i) + ".rgba");
    ASSERT_TRUE(run("convert '" + psd + "[" + std::to_string(i + 1) + "]' -depth 8 rgba:" + raw));
    std::vector<uint8_t> bytes = readBytes(raw);
    ASSERT_EQ(bytes.size(), size_t(w) * h * 4);
    const Image32& image = doc.layers().atIndex(layers - 1 - i)->image();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = &bytes[(size_t(y) * w + size_t(x)) * 4];
        expectSamePixel(image.at(x, y), p[0], p[1], p[2], p[3], x, y, i);
      }
  }
}

void expectImageMagickLayersOpen(const std::string& compression, const std::string& depth = "8") {
  TempDir dir;
  const int w = 29, h = 13;
  std::string pngs;
  for (int i = 0; i < 3; ++i) {
    std::string pam = dir.file("in" + std::to_string(i) + ".pam"), png = dir.file("in" + std::to_string(i) + ".png");
    writePam(pam, w, h, i);
    ASSERT_TRUE(run("convert " + pam + " " + png));
    pngs += " " + png;
  }
  // The first image becomes the merged image, the others the layers.
  const std::string psd = dir.file("magick.psd");
  ASSERT_TRUE(run("convert " + dir.file("in0.png") + pngs + " -depth " + depth + " -compress " + compression + " " + psd));
  Document doc;
  ASSERT_EQ(readPsdLayers(psd, doc, nullptr), kReadOk);
  ASSERT_EQ(doc.width(), w);
  ASSERT_EQ(doc.height(), h);
  ASSERT_EQ(doc.layerCount(), 3);
  for (int i = 0; i < 3; ++i) {
    const Image32& image = doc.layers().atIndex(2 - i)->image();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        Pixel p = patternPixel(x, y, i);
        if (alphaOf(p) == 0) p = kTransparent;
        EXPECT_EQ(image.at(x, y), p) << x << "," << y << " layer " << i;
      }
  }
}

TEST(PsdInterop, LayeredFilesWrittenByImageMagickOpenHere) {
  if (!haveConvert()) GTEST_SKIP() << "ImageMagick convert is not installed";
  expectImageMagickLayersOpen("RLE");
  expectImageMagickLayersOpen("None");
}

TEST(PsdInterop, ImageMagickZipAnd16BitLayersOpenHere) {
  if (!haveConvert()) GTEST_SKIP() << "ImageMagick convert is not installed";
  expectImageMagickLayersOpen("Zip");
  expectImageMagickLayersOpen("RLE", "16");
  expectImageMagickLayersOpen("Zip", "16");
}

}  // namespace
}  // namespace tessel
