#include "formats/psd_document.h"

#include <gtest/gtest.h>

#include <cstring>

#include "document/document.h"
#include "formats/image_loader.h"
#include "formats/native_document.h"
#include "formats/psd_builder.h"
#include "formats/psd_packbits.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::be16;
using testing::be32;
using testing::buildPsd;
using testing::PsdChannelDesc;
using testing::PsdLayerDesc;
using testing::PsdFileDesc;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

class StepCounter : public Progress {
 public:
  int range = -1, steps = 0;
  void setRange(int n) override { range = n; }
  void step() override { ++steps; }
};

std::vector<uint8_t> packed(const std::vector<uint8_t>& row) {
  std::vector<uint8_t> out(packBitsBound(row.size()));
  out.resize(packBitsRow(row.data(), row.size(), out.data()));
  return out;
}

// A raw channel of a w x h rectangle where every byte is value.
PsdChannelDesc rawChannel(int16_t id, size_t bytes, uint8_t value) {
  return {id, 0, std::vector<uint8_t>(bytes, value)};
}

// Red, green, blue and alpha channels of a w x h rectangle, raw.
PsdLayerDesc solidLayer(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  PsdLayerDesc l;
  l.bottom = h, l.right = w;
  size_t n = size_t(w) * size_t(h);
  l.channels = {rawChannel(0, n, r), rawChannel(1, n, g), rawChannel(2, n, b), rawChannel(-1, n, a)};
  return l;
}

class PsdTest : public ::testing::Test {
 protected:
  std::string writeMade(const PsdFileDesc& desc, const char* name = "made.psd") {
    writeBytes(dir.file(name), buildPsd(desc));
    return dir.file(name);
  }
  void makeDocument(int w, int h, int layers) {
    ASSERT_TRUE(doc.newImage(w, h, false));
    for (int i = 0; i < layers; ++i) {
      Layer* layer = doc.layers().add(w, h, true);
      ASSERT_NE(layer, nullptr);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          layer->image().set(x, y, (x + y + i) % 4 == 0 ? kTransparent
                                                      : makePixel(uint32_t(40 * i + y + 1) & 0xFF, uint32_t(x * 9),
                                                                  uint32_t(y * 5 + i), uint32_t(x * y) & 0xFF));
    }
    doc.selectLayer(0);
  }
  TempDir dir;
  Document doc;
};

TEST(PsdKeys, EveryModeHasItsKeyAndUnknownKeysReadAsNormal) {
  const char* const kSix[6] = {"lddg", "fsub", "lbrn", "vLit", "lLit", "pLit"};
  const int kModes[6] = {2, 3, 10, 11, 12, 13};
  for (int i = 0; i < 6; ++i) EXPECT_STREQ(psdKeyFromBlendMode(kModes[i]), kSix[i]);
  for (int mode = 0; mode <= 20; ++mode) EXPECT_EQ(blendModeFromPsdKey(psdKeyFromBlendMode(mode)), mode) << mode;
  for (const char* key : {"diss", "smud", "pass", "fdiv", "lgCl", "xxxx"}) EXPECT_EQ(blendModeFromPsdKey(key), 0);
  EXPECT_EQ(blendModeFromPsdKey("lum "), 20);
  EXPECT_EQ(blendModeFromPsdKey("dark"), 16);
}

TEST(PsdKeys, OpacityMapsBothWays) {
  EXPECT_EQ(psdOpacityFromLayer(128), 255);
  EXPECT_EQ(psdOpacityFromLayer(64), 128);
  EXPECT_EQ(psdOpacityFromLayer(0), 0);
  EXPECT_EQ(layerOpacityFromPsd(255), 128);
  EXPECT_EQ(layerOpacityFromPsd(128), 64);
  EXPECT_EQ(layerOpacityFromPsd(1), 1);   // 0.502 + 0.5 truncates to 1
  for (int o = 0; o <= 128; ++o) EXPECT_EQ(layerOpacityFromPsd(psdOpacityFromLayer(uint8_t(o))), o);
}

TEST(PsdPackBits, RowsPackIntoLiteralAndRepeatRuns) {
  EXPECT_EQ(packed({1, 2, 3}), (std::vector<uint8_t>{2, 1, 2, 3}));
  // Two equal bytes already start a repeat run.
  EXPECT_EQ(packed({5, 5, 7}), (std::vector<uint8_t>{0xFF, 5, 0, 7}));
  EXPECT_EQ(packed({9, 4, 4, 4, 4}), (std::vector<uint8_t>{0, 9, 0xFD, 4}));
  std::vector<uint8_t> same(300, 6);
  EXPECT_EQ(packed(same), (std::vector<uint8_t>{0x81, 6, 0x81, 6, 0xD5, 6}));
  // The worst case: a lone byte before each pair.
  std::vector<uint8_t> worst;
  for (int i = 0; i < 30; ++i) worst.insert(worst.end(), {uint8_t(i), 200, 200});
  std::vector<uint8_t> w = packed(worst);
  EXPECT_EQ(w.size(), 120u);
  EXPECT_LE(w.size(), packBitsBound(worst.size()));
  EXPECT_EQ((std::vector<uint8_t>(w.begin(), w.begin() + 4)), (std::vector<uint8_t>{0, 0, 0xFF, 200}));
  std::vector<uint8_t> ramp(130);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = uint8_t(i);
  std::vector<uint8_t> p = packed(ramp);
  ASSERT_EQ(p.size(), 132u);
  EXPECT_EQ(p[0], 127);
  EXPECT_EQ(p[129], 1);
  EXPECT_EQ(p[131], 129);
}

TEST(PsdPackBits, UnpackingIgnoresMinus128AndClipsToTheImage) {
  Image32 image;
  ASSERT_TRUE(image.create(3, 2));
  image.fill(0);
  // Rectangle at (-1, 0) of 4 x 3: the first column and the third row fall outside.
  PlaneWriter plane(image, 2, -1, 0, 4, 3);
  const uint8_t data[] = {0x80, 1, 10, 20, 0x80, 0xFD, 30, 0x80, 2, 40, 50, 60};
  unpackBits(data, sizeof data, plane);
  EXPECT_EQ(image.at(0, 0), 0x00140000u);
  EXPECT_EQ(image.at(1, 0), 0x001E0000u);
  EXPECT_EQ(image.at(2, 0), 0x001E0000u);
  // Row 1 of the rectangle is 30 30 40 50; its third row is below the image,
  // so the plane is complete once eight bytes have arrived.
  EXPECT_EQ(image.at(0, 1), 0x001E0000u);
  EXPECT_EQ(image.at(1, 1), 0x00280000u);
  EXPECT_EQ(image.at(2, 1), 0x00320000u);
  EXPECT_TRUE(plane.full());
  // A repeat run that claims more than the data holds stops at its end.
  PlaneWriter again(image, 0, 0, 0, 3, 2);
  const uint8_t cut[] = {0xFE};
  unpackBits(cut, sizeof cut, again);
  EXPECT_FALSE(again.full());
}

TEST_F(PsdTest, RoundTripKeepsLayersNamesPixelsAndFlags) {
  makeDocument(7, 5, 3);
  Layer* top = doc.layers().atIndex(0);
  top->setNameBytes("Top");
  top->blendMode = 2;   // add: stored as "lddg"
  top->opacity = 64;
  doc.layers().atIndex(1)->flags = 0;   // hidden
  doc.layers().atIndex(1)->blendMode = 14;
  StepCounter saved;
  ASSERT_TRUE(writePsd(dir.file("a.psd"), doc, &saved));
  EXPECT_EQ(saved.steps, 4);
  Document back;
  StepCounter loaded;
  ASSERT_EQ(readPsdLayers(dir.file("a.psd"), back, &loaded), kReadOk);
  EXPECT_EQ(loaded.range, 3);
  EXPECT_EQ(loaded.steps, 3);
  ASSERT_EQ(back.layerCount(), 3);
  EXPECT_EQ(back.layers().nameCounter(), 3);
  EXPECT_EQ(back.currentIndex(), 0);
  for (int i = 0; i < 3; ++i) {
    const Layer& a = *doc.layers().atIndex(i);
    const Layer& b = *back.layers().atIndex(i);
    EXPECT_STREQ(a.name, b.name);
    EXPECT_EQ(std::memcmp(a.image().bits(), b.image().bits(), a.image().byteSize()), 0) << i;
  }
  EXPECT_EQ(back.layers().atIndex(0)->blendMode, 2);
  EXPECT_EQ(back.layers().atIndex(0)->opacity, 64);
  EXPECT_TRUE(back.layers().atIndex(0)->visible());
  EXPECT_FALSE(back.layers().atIndex(1)->visible());
  EXPECT_EQ(back.layers().atIndex(1)->blendMode, 14);
  EXPECT_EQ(back.layers().atIndex(2)->opacity, 128);
}

TEST_F(PsdTest, WrittenLayoutHasPatchedLengthsAndTheMergedImageAfterTheSection) {
  makeDocument(5, 3, 1);
  doc.currentLayer()->setNameBytes("ab");
  doc.currentLayer()->flags = 0;
  doc.currentLayer()->opacity = 128;
  ASSERT_TRUE(writePsd(dir.file("l.psd"), doc, nullptr));
  std::vector<uint8_t> f = readBytes(dir.file("l.psd"));
  ASSERT_GT(f.size(), 100u);
  EXPECT_EQ(be32(f, 26), 0u);    // colour mode data
  EXPECT_EQ(be32(f, 30), 38u);   // resolution resource
  EXPECT_EQ(be16(f, 38), 1005);
  EXPECT_EQ(be32(f, 56), 0x02580000u);
  const size_t section = 72;
  uint32_t sectionLength = be32(f, section), info = be32(f, section + 4);
  EXPECT_EQ(info % 2, 0u);
  EXPECT_EQ(sectionLength, info + 4);
  const size_t record = section + 10;
  EXPECT_EQ(be32(f, record + 8), 3u);   // bottom = height
  EXPECT_EQ(be32(f, record + 12), 5u);  // right = width
  EXPECT_EQ(be16(f, record + 16), 4);
  EXPECT_EQ(be16(f, record + 18 + 3 * 6), 0xFFFF);
  size_t sig = record + 18 + 4 * 6;
  EXPECT_EQ(std::string(f.begin() + long(sig), f.begin() + long(sig) + 8), "8BIMnorm");
  EXPECT_EQ(f[sig + 8], 255);    // opacity
  EXPECT_EQ(f[sig + 10], 2);     // hidden
  // 8 + P with P = (2 + 4) & ~3, then 'luni' with two UTF-16 units.
  EXPECT_EQ(be32(f, sig + 12), 8u + 4 + 12 + 4 + 4);
  EXPECT_EQ(std::string(f.begin() + long(sig + 28), f.begin() + long(sig + 36)), "8BIMluni");
  EXPECT_EQ(be32(f, sig + 36), 8u);
  EXPECT_EQ(be32(f, sig + 40), 2u);
  EXPECT_EQ(be16(f, sig + 44), 'a');
  EXPECT_EQ(be16(f, sig + 46), 'b');
  // Each channel length covers its compression word and row counts, and the
  // row counts add up to the packed rows.
  size_t at = sig + 16 + 32;
  for (int c = 0; c < 4; ++c) {
    uint32_t length = be32(f, record + 18 + size_t(c) * 6 + 2);
    EXPECT_EQ(be16(f, at), 1);
    uint32_t rows = 0;
    for (int y = 0; y < 3; ++y) rows += be16(f, at + 2 + size_t(y) * 2);
    EXPECT_EQ(length, rows + 2 * 3 + 2);
    at += length;
  }
  // The merged image sits where the section says.
  EXPECT_EQ(be16(f, section + 4 + sectionLength), 1);
}

// Idle layers are written from their tiles, a transparent row packed once: the
// bytes are those their flat pixels give.
TEST_F(PsdTest, IdleLayersWriteFromTheirTilesWhatTheirFlatPixelsWould) {
  ASSERT_TRUE(doc.newImage(700, 300, false));
  for (int i = 0; i < 3; ++i) {
    Layer* layer = doc.layers().add(700, 300, true);
    ASSERT_NE(layer, nullptr);
    Image32& image = layer->image();
    image.fill(kTransparent);
    // A patch across tile edges on rows 60..139, and one pixel alone on row 250.
    for (int y = 60; y < 140; ++y)
      for (int x = 200 + 40 * i; x < 530; ++x) image.set(x, y, makePixel(1 + uint32_t(x + i) % 255, 7, uint32_t(y), 99));
    image.set(699, 250, 0xFF000000u | uint32_t(i));
  }
  doc.selectLayer(1);
  ASSERT_TRUE(doc.layers().atIndex(0)->parked());
  ASSERT_TRUE(writePsd(dir.file("tiles.psd"), doc, nullptr));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(doc.layers().atIndex(i)->image().valid());   // all flat now
  ASSERT_FALSE(doc.layers().atIndex(0)->parked());
  ASSERT_TRUE(writePsd(dir.file("flat.psd"), doc, nullptr));
  EXPECT_EQ(readBytes(dir.file("tiles.psd")), readBytes(dir.file("flat.psd")));
  Document back;
  ASSERT_EQ(readPsdLayers(dir.file("tiles.psd"), back, nullptr), kReadOk);
  ASSERT_EQ(back.layerCount(), 3);
  for (int i = 0; i < 3; ++i) {
    const Image32& a = doc.layers().atIndex(i)->image();
    EXPECT_EQ(std::memcmp(a.bits(), back.layers().atIndex(i)->image().bits(), a.byteSize()), 0) << i;
  }
}

TEST_F(PsdTest, MergedImageIsTheDocumentFlattenedOnWhite) {
  makeDocument(6, 4, 2);
  ASSERT_TRUE(writePsd(dir.file("m.psd"), doc, nullptr));
  Image32 merged, flat;
  ASSERT_TRUE(readPsdComposite(dir.file("m.psd"), merged));
  ASSERT_TRUE(doc.flatten(flat, nullptr, false));
  // The generic image loader takes the merged image too.
  Image32 loaded;
  ImageReadInfo info;
  ASSERT_TRUE(loadImage(dir.file("m.psd"), loaded, info));
  EXPECT_EQ(std::memcmp(loaded.bits(), flat.bits(), flat.byteSize()), 0);
  ASSERT_EQ(merged.width(), 6);
  ASSERT_EQ(merged.height(), 4);
  EXPECT_EQ(std::memcmp(merged.bits(), flat.bits(), flat.byteSize()), 0);
}

TEST_F(PsdTest, HeaderFaultsGiveTheirCodesAndLeaveTheDocument) {
  makeDocument(4, 4, 1);
  doc.currentLayer()->setNameBytes("Open");
  PsdFileDesc s;
  s.layers = {solidLayer(2, 2, 1, 2, 3, 4)};
  std::string notice;
  s.depth = 5;
  EXPECT_EQ(readPsdLayers(writeMade(s), doc, nullptr, &notice), kReadPsdNot8BitRgb);
  EXPECT_EQ(notice, "PSD: 无法打开5位/通道的RGB颜色模式");
  s.depth = 8, s.mode = 4;   // CMYK without a profile
  EXPECT_EQ(readPsdLayers(writeMade(s), doc, nullptr, &notice), kReadPsdNot8BitRgb);
  EXPECT_EQ(notice, "PSD: 无法打开CMYK颜色模式（文件没有可用的颜色配置文件）");
  s.mode = 7;
  EXPECT_EQ(readPsdLayers(writeMade(s), doc, nullptr, &notice), kReadPsdNot8BitRgb);
  EXPECT_EQ(notice, "PSD: 无法打开多通道模式");
  s.mode = 3, s.version = 2;
  EXPECT_EQ(readPsdLayers(writeMade(s), doc, nullptr), kReadPsdLayout);
  s.version = 1, s.width = 4501;
  EXPECT_EQ(readPsdLayers(writeMade(s), doc, nullptr), kReadTooLarge);
  EXPECT_EQ(readPsdLayers(dir.file("missing.psd"), doc, nullptr), kReadFailed);
  std::vector<uint8_t> cut = buildPsd(PsdFileDesc{});
  cut.resize(20);
  writeBytes(dir.file("cut.psd"), cut);
  EXPECT_EQ(readPsdLayers(dir.file("cut.psd"), doc, nullptr), kReadPsdLayout);
  ASSERT_EQ(doc.layerCount(), 1);
  EXPECT_STREQ(doc.currentLayer()->name, "Open");
  EXPECT_EQ(doc.width(), 4);
}

TEST_F(PsdTest, LayoutFaultsGiveMinus2AndABlankDocument) {
  PsdFileDesc s;
  s.layers = {solidLayer(2, 2, 1, 2, 3, 4)};
  s.layers[0].channels[1].compression = 4;   // no such compression
  EXPECT_EQ(readPsdLayers(writeMade(s), doc, nullptr), kReadPsdLayout);
  EXPECT_EQ(doc.width(), 400);
  ASSERT_EQ(doc.layerCount(), 1);
  EXPECT_NE(doc.currentLayer(), nullptr);

  s.layers = {solidLayer(2, 2, 1, 2, 3, 4)};
  s.layers[0].channels[1].compression = 2;   // ZIP, but not a zlib stream
  EXPECT_EQ(readPsdLayers(writeMade(s), doc, nullptr), kReadPsdLayout);
  EXPECT_EQ(doc.layerCount(), 1);

  std::vector<uint8_t> bad = buildPsd(PsdFileDesc{2, 3, 8, 3, 2, 2, {solidLayer(2, 2, 1, 2, 3, 4)}, true, {}});
  // The record's "8BIM" lies after the rectangle, the count and four channel entries.
  size_t sig = 26 + 8 + 4 + 4 + 2 + 16 + 2 + 24;
  ASSERT_EQ(bad[sig], '8');
  bad[sig] = 'X';
  writeBytes(dir.file("sig.psd"), bad);
  EXPECT_EQ(readPsdLayers(dir.file("sig.psd"), doc, nullptr), kReadPsdLayout);
  EXPECT_EQ(doc.layerCount(), 1);
}

TEST_F(PsdTest, ChannelLengthsBeyondTheFileAreRefused) {
  PsdFileDesc s;
  s.layers = {solidLayer(2, 2, 1, 2, 3, 4)};
  std::vector<uint8_t> f = buildPsd(s);
  size_t lengthField = 26 + 8 + 4 + 4 + 2 + 16 + 2 + 2;
  ASSERT_EQ(be32(f, lengthField), 6u);
  f[lengthField] = 0x7F;
  writeBytes(dir.file("long.psd"), f);
  EXPECT_EQ(readPsdLayers(dir.file("long.psd"), doc, nullptr), kReadPsdLayout);
  EXPECT_EQ(doc.layerCount(), 1);
}

TEST_F(PsdTest, LayerRectanglePartlyOutsideIsClipped) {
  PsdFileDesc s;
  s.width = 3, s.height = 3;
  PsdLayerDesc l;
  l.top = -1, l.left = 1, l.bottom = 2, l.right = 5;   // 4 x 3, right and top parts outside
  std::vector<uint8_t> red(12);
  for (size_t i = 0; i < red.size(); ++i) red[i] = uint8_t(10 * (i + 1));
  l.channels = {{0, 0, red}, rawChannel(-1, 12, 200)};
  s.layers = {l};
  ASSERT_EQ(readPsdLayers(writeMade(s), doc, nullptr), kReadOk);
  const Image32& img = doc.currentLayer()->image();
  // Row 0 of the rectangle is above the canvas; its rows 1 and 2 are canvas rows 0 and 1.
  EXPECT_EQ(img.at(1, 0), makePixel(200, 50, 0, 0));
  EXPECT_EQ(img.at(2, 0), makePixel(200, 60, 0, 0));
  EXPECT_EQ(img.at(1, 1), makePixel(200, 90, 0, 0));
  EXPECT_EQ(img.at(2, 1), makePixel(200, 100, 0, 0));
  EXPECT_EQ(img.at(0, 0), kTransparent);
  EXPECT_EQ(img.at(1, 2), kTransparent);
}

TEST_F(PsdTest, LayerWithoutAlphaChannelIsOpaqueAndRleRowsEndingInMinus128Read) {
  PsdFileDesc s;
  s.width = 4, s.height = 1;
  PsdLayerDesc noAlpha = solidLayer(4, 1, 9, 9, 9, 0);
  noAlpha.channels.pop_back();
  PsdLayerDesc rle;
  rle.bottom = 1, rle.right = 4;
  // Row count, then a repeat of 4 and the -128 that some writers end rows with.
  std::vector<uint8_t> row = {0, 3, 0xFD, 77, 0x80};
  rle.channels = {{0, 1, row}, {1, 1, row}, {2, 1, row}, {-1, 1, {0, 3, 0xFD, 255, 0x80}}};
  rle.name = "second";
  s.layers = {noAlpha, rle};
  StepCounter p;
  ASSERT_EQ(readPsdLayers(writeMade(s), doc, &p), kReadOk);
  ASSERT_EQ(doc.layerCount(), 2);
  EXPECT_STREQ(doc.layers().atIndex(0)->name, "second");
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(doc.layers().atIndex(1)->image().at(x, 0), 0xFF090909u);
    EXPECT_EQ(doc.layers().atIndex(0)->image().at(x, 0), 0xFF4D4D4Du);
  }
}

TEST_F(PsdTest, NamesAreCutAt31BytesNeverInsideADoubleByteCharacter) {
  PsdFileDesc s;
  s.layers = {solidLayer(2, 2, 0, 0, 0, 255), solidLayer(2, 2, 0, 0, 0, 255)};
  s.layers[0].name = std::string(30, 'a') + "\xC4\xE3" + "zz";   // the character would end at byte 32
  s.layers[1].name = std::string(29, 'b') + "\xC4\xE3" + "zz";   // this one ends at byte 31
  ASSERT_EQ(readPsdLayers(writeMade(s), doc, nullptr), kReadOk);
  EXPECT_EQ(std::string(doc.layers().atIndex(1)->name), std::string(30, 'a'));
  EXPECT_EQ(std::string(doc.layers().atIndex(0)->name), std::string(29, 'b') + "\xC4\xE3");
}

TEST_F(PsdTest, FileWithoutLayerRecordsOpensAsOneLayerHoldingItsMergedImage) {
  PsdFileDesc s;
  s.width = 2, s.height = 1, s.channels = 4;
  s.layerSection = false;
  // Raw planes: red, green, blue, then a fourth channel laid over white.
  s.merged = {0, 0, 10, 200, 20, 100, 30, 0, 255, 128};
  ASSERT_EQ(readPsdLayers(writeMade(s), doc, nullptr), kReadOk);
  ASSERT_EQ(doc.layerCount(), 1);
  const Image32& img = doc.currentLayer()->image();
  // 255 + round(a (c - 255) / 255): a = 255 keeps the colour, a = 128 halves toward white.
  EXPECT_EQ(img.at(0, 0), makePixel(255, 10, 20, 30));
  EXPECT_EQ(img.at(1, 0), makePixel(255, 255 - 28, 255 - 78, 255 - 128));
  Image32 merged;
  ASSERT_TRUE(readPsdComposite(dir.file("made.psd"), merged));
  EXPECT_EQ(merged.at(1, 0), img.at(1, 0));
}

TEST_F(PsdTest, CompositeReaderRefusesWhatItCannotRead) {
  PsdFileDesc s;
  s.channels = 2;
  s.merged = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
  Image32 image;
  EXPECT_FALSE(readPsdComposite(writeMade(s), image));
  s.channels = 3;
  s.merged = {0, 4};
  EXPECT_FALSE(readPsdComposite(writeMade(s), image));
  s.merged = {0, 0, 1, 2};   // raw data cut short
  EXPECT_FALSE(readPsdComposite(writeMade(s), image));
  EXPECT_FALSE(image.valid());
}

TEST_F(PsdTest, FailedWriteLeavesTheEarlierFile) {
  makeDocument(3, 3, 1);
  writeBytes(dir.file("keep.psd"), {1, 2, 3});
  Document empty;
  EXPECT_FALSE(writePsd(dir.file("keep.psd"), empty, nullptr));
  EXPECT_EQ(readBytes(dir.file("keep.psd")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(writePsd(dir.file("no/such/folder.psd"), doc, nullptr));
}

}  // namespace
}  // namespace tessel
