// Reading what Photoshop and other writers put in layered files: masks,
// groups, clipping, fill opacity, Unicode names, ZIP channels, depths and
// colour modes, and what cannot be kept.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "app/files/document_io.h"
#include "document/document.h"
#include "formats/native_document.h"
#include "formats/psd_builder.h"
#include "formats/psd_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::BeBytes;
using testing::buildPsd;
using testing::psdBlock;
using testing::PsdChannelDesc;
using testing::PsdFileDesc;
using testing::PsdLayerDesc;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

PsdChannelDesc raw(int16_t id, std::vector<uint8_t> bytes) { return {id, 0, std::move(bytes)}; }

// An w x 1 layer: each colour channel one value, alpha per pixel.
PsdLayerDesc rowLayer(uint8_t r, uint8_t g, uint8_t b, std::vector<uint8_t> alpha) {
  PsdLayerDesc l;
  const size_t w = alpha.size();
  l.bottom = 1, l.right = int32_t(w);
  l.channels = {raw(0, std::vector<uint8_t>(w, r)), raw(1, std::vector<uint8_t>(w, g)),
                raw(2, std::vector<uint8_t>(w, b)), raw(-1, std::move(alpha))};
  return l;
}

std::vector<uint8_t> zipped(const std::vector<uint8_t>& data) {
  uLongf n = compressBound(uLong(data.size()));
  std::vector<uint8_t> out(n);
  compress(out.data(), &n, data.data(), uLong(data.size()));
  out.resize(n);
  return out;
}

std::vector<uint8_t> u32(uint32_t v) { return BeBytes().u32(v).b; }

// Section divider and group records.
PsdLayerDesc divider() {
  PsdLayerDesc l;
  l.name = "</Layer group>";
  l.additional = psdBlock("lsct", u32(3));
  return l;
}
PsdLayerDesc groupRecord(const std::string& name, const std::string& key, uint8_t opacity, uint8_t flags) {
  PsdLayerDesc l;
  l.name = name, l.opacity = opacity, l.flags = flags;
  l.additional = psdBlock("lsct", BeBytes().u32(1).text("8BIM").text(key).b);
  return l;
}

class PsdLayersTest : public ::testing::Test {
 protected:
  int read(const PsdFileDesc& desc, std::string* notice = nullptr) {
    writeBytes(dir.file("f.psd"), buildPsd(desc));
    return readPsdLayers(dir.file("f.psd"), doc, nullptr, notice);
  }
  Pixel at(int layer, int x) const { return doc.layers().atIndex(layer)->image().at(x, 0); }
  TempDir dir;
  Document doc;
};

TEST_F(PsdLayersTest, MaskMultipliesAlphaInsideItsRectangleAndTakesItsDefaultColourOutside) {
  PsdFileDesc s;
  s.width = 4, s.height = 1;
  auto masked = [](uint8_t flags) {
    PsdLayerDesc l = rowLayer(200, 0, 0, {255, 255, 255, 255});
    // Rectangle x 1..3, default colour 255, then the flags and two pad bytes.
    l.maskData = BeBytes().u32(0).u32(1).u32(1).u32(3).u8(255).u8(flags).u16(0).b;
    l.channels.push_back(raw(-2, {128, 0}));
    return l;
  };
  s.layers = {masked(0), masked(2), masked(4)};   // plain, disabled, inverted
  ASSERT_EQ(read(s), kReadOk);
  ASSERT_EQ(doc.layerCount(), 3);
  EXPECT_EQ(at(2, 0), 0xFFC80000u);
  EXPECT_EQ(at(2, 1), 0x80C80000u);
  EXPECT_EQ(at(2, 2), kTransparent);
  EXPECT_EQ(at(2, 3), 0xFFC80000u);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(at(1, x), 0xFFC80000u) << x;
  EXPECT_EQ(at(0, 0), kTransparent);
  EXPECT_EQ(at(0, 1), 0x7FC80000u);
  EXPECT_EQ(at(0, 2), 0xFFC80000u);
}

TEST_F(PsdLayersTest, GroupsClippingAndFillOpacity) {
  PsdFileDesc s;
  s.width = 2, s.height = 1;
  PsdLayerDesc base = rowLayer(255, 0, 0, {255, 0});
  PsdLayerDesc clipped = rowLayer(0, 255, 0, {128, 255});
  clipped.clipping = 1;
  PsdLayerDesc inPass = rowLayer(0, 0, 255, {255, 255});
  inPass.name = "C";
  inPass.additional = psdBlock("iOpa", {128, 0, 0, 0});
  s.layers = {divider(),      base, clipped, groupRecord("G", "norm", 128, 0),
              divider(),      inPass, groupRecord("P", "pass", 128, 2)};
  ASSERT_EQ(read(s), kReadOk);
  // Dividers and the pass-through group's record leave no layers.
  ASSERT_EQ(doc.layerCount(), 2);
  const Layer& c = *doc.layers().atIndex(0);
  EXPECT_STREQ(c.name, "C");
  EXPECT_FALSE(c.visible());                   // its group is hidden
  EXPECT_EQ(c.opacity, layerOpacityFromPsd(64));   // 128/255 fill times 128/255 group
  const Layer& g = *doc.layers().atIndex(1);
  EXPECT_STREQ(g.name, "G");
  EXPECT_TRUE(g.visible());
  EXPECT_EQ(g.opacity, 64);
  // Green at 128/255 over red; the clipped pixel over nothing is cut away.
  EXPECT_EQ(at(1, 0), 0xFF7F8000u);
  EXPECT_EQ(at(1, 1), kTransparent);
}

TEST_F(PsdLayersTest, UnicodeNameGoesToCodePage936WithQuestionMarksAndIsCut) {
  PsdFileDesc s;
  auto named = [](std::vector<uint16_t> units, uint32_t count) {
    PsdLayerDesc l = rowLayer(1, 2, 3, {255, 255});
    l.name = "ascii";
    BeBytes b;
    b.u32(count);
    for (uint16_t u : units) b.u16(u);
    l.additional = psdBlock("luni", b.b);
    return l;
  };
  std::vector<uint16_t> long40(40, 0x4E2D);   // 中 x 40
  s.layers = {named({0x0424, 0x043E, 0x043D, 0xD83D, 0xDE00}, 5), named(long40, 1000)};
  ASSERT_EQ(read(s), kReadOk);
  char expected[kLayerNameBytes];
  layerNameFromUtf8("Фон?", expected);
  EXPECT_STREQ(doc.layers().atIndex(1)->name, expected);
  EXPECT_EQ(std::strlen(doc.layers().atIndex(0)->name), 30u);   // 15 characters of two bytes
}

TEST_F(PsdLayersTest, SixteenBitZipAndPredictedChannelsScaleWithRounding) {
  PsdFileDesc s;
  s.width = 3, s.height = 1, s.depth = 16;
  PsdLayerDesc l;
  l.bottom = 1, l.right = 3;
  const std::vector<uint8_t> red = {0x12, 0x34, 0x80, 0x80, 0xFF, 0xFF};
  // Prediction stores the first sample, then differences in 16 bits.
  const std::vector<uint8_t> green = {0x01, 0x01, 0x00, 0xFF, 0xFF, 0x01};   // 0x0101, 0x0200, 0x0101
  l.channels = {{0, 2, zipped(red)}, {1, 3, zipped(green)}, raw(2, {0, 0, 0x7F, 0xFF, 0x80, 0x00}),
                raw(-1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})};
  s.layers = {l};
  ASSERT_EQ(read(s), kReadOk);
  auto scaled = [](uint32_t v) { return (v * 255 + 32767) / 65535; };
  EXPECT_EQ(at(0, 0), makePixel(255, scaled(0x1234), scaled(0x0101), 0));
  EXPECT_EQ(at(0, 1), makePixel(255, 128, scaled(0x0200), scaled(0x7FFF)));
  EXPECT_EQ(at(0, 2), makePixel(255, 255, scaled(0x0101), 128));
}

TEST_F(PsdLayersTest, GreyIndexedBitmapAndFloatFilesBecomeRgb) {
  PsdFileDesc grey;
  grey.width = 2, grey.height = 1, grey.mode = 1, grey.channels = 1;
  PsdLayerDesc g;
  g.bottom = 1, g.right = 2;
  g.channels = {raw(0, {10, 250})};   // no alpha channel: opaque
  grey.layers = {g};
  ASSERT_EQ(read(grey), kReadOk);
  EXPECT_EQ(at(0, 0), 0xFF0A0A0Au);
  EXPECT_EQ(at(0, 1), 0xFFFAFAFAu);

  PsdFileDesc indexed;
  indexed.width = 2, indexed.height = 1, indexed.mode = 2, indexed.channels = 1;
  indexed.modeData.assign(768, 0);
  indexed.modeData[5] = 9, indexed.modeData[256 + 5] = 8, indexed.modeData[512 + 5] = 7;
  indexed.layerSection = false;
  indexed.merged = {0, 0, 5, 0};
  ASSERT_EQ(read(indexed), kReadOk);
  EXPECT_EQ(at(0, 0), 0xFF090807u);
  EXPECT_EQ(at(0, 1), 0xFF000000u);
  PsdFileDesc noTable = indexed;   // every index black
  noTable.modeData.clear();
  ASSERT_EQ(read(noTable), kReadOk);
  EXPECT_EQ(at(0, 0), 0xFF000000u);

  PsdFileDesc bitmap = indexed;
  bitmap.mode = 0, bitmap.depth = 1, bitmap.width = 10;
  bitmap.merged = {0, 0, 0x80, 0x40};   // ink is black
  ASSERT_EQ(read(bitmap), kReadOk);
  EXPECT_EQ(at(0, 0), 0xFF000000u);
  EXPECT_EQ(at(0, 1), 0xFFFFFFFFu);
  EXPECT_EQ(at(0, 9), 0xFF000000u);

  PsdFileDesc linear = indexed;
  linear.mode = 3, linear.depth = 32, linear.channels = 3, linear.width = 1;
  // 0.5, 0.0 and 1.0 in linear light: sRGB 188, 0, 255.
  linear.merged = {0, 0, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0x3F, 0x80, 0, 0};
  ASSERT_EQ(read(linear), kReadOk);
  EXPECT_EQ(at(0, 0), 0xFFBC00FFu);
}

TEST_F(PsdLayersTest, LabOpensThroughItsProfile) {
  PsdFileDesc lab;
  lab.width = 2, lab.height = 1, lab.mode = 9, lab.layerSection = false;
  lab.merged = {0, 0, 255, 0, 128, 128, 128, 128};
  ASSERT_EQ(read(lab), kReadOk);
  // D50 white and black land within a level of sRGB's.
  auto near = [](Pixel p, int v) {
    for (int shift : {0, 8, 16})
      if (std::abs(int((p >> shift) & 0xFF) - v) > 1) return false;
    return (p >> 24) == 255;
  };
  EXPECT_TRUE(near(at(0, 0), 255)) << std::hex << at(0, 0);
  EXPECT_TRUE(near(at(0, 1), 0)) << std::hex << at(0, 1);
  Image32 merged;
  ASSERT_TRUE(readPsdComposite(dir.file("f.psd"), merged));
  EXPECT_EQ(merged.at(0, 0), at(0, 0));
  Image32 thumb;   // the thumbnail reads the same colour modes
  ASSERT_TRUE(readPsdThumbnail(dir.file("f.psd"), 16, thumb));
  EXPECT_EQ(thumb.at(0, 0), at(0, 0));
}

TEST_F(PsdLayersTest, WhatCannotBeKeptIsDroppedAndToldOnce) {
  PsdFileDesc s;
  PsdLayerDesc effects = rowLayer(1, 2, 3, {255, 255});
  effects.additional = psdBlock("lfx2", {0, 0, 0, 0});
  PsdLayerDesc smart = rowLayer(1, 2, 3, {255, 255});
  smart.additional = psdBlock("SoLd", {0, 0, 0, 0});
  PsdLayerDesc adjustment, shape;
  adjustment.additional = psdBlock("levl", {0, 0});
  shape.additional = psdBlock("SoCo", {0, 0, 0, 0});
  auto vector = psdBlock("vmsk", {0, 0, 0, 0});
  shape.additional.insert(shape.additional.end(), vector.begin(), vector.end());
  s.layers = {effects, adjustment, shape, smart, adjustment};
  writeBytes(dir.file("f.psd"), buildPsd(s));
  LoadOutcome outcome;
  struct : Progress {
    void setRange(int) override {}
    void step() override {}
  } progress;
  ASSERT_EQ(loadFile(builtinFormats(), dir.file("f.psd"), doc, progress, outcome), kReadOk);
  EXPECT_EQ(doc.layerCount(), 2);
  EXPECT_EQ(outcome.notice, "以下内容无法保留，已略去：\n图层效果 1 个\n调整图层 2 个\n矢量形状 1 个\n智能对象源 1 个");
  EXPECT_EQ(loadResultMessage(kReadOk, outcome), outcome.notice);
}

TEST_F(PsdLayersTest, MalformedBlocksNeverCrashOrLeaveNoLayer) {
  PsdFileDesc s;
  s.width = 2, s.height = 1;
  PsdLayerDesc hugeMask = rowLayer(1, 2, 3, {255, 255});
  hugeMask.maskData = BeBytes().u32(0).u32(0).u32(1).u32(0x7FFFFFFF).u8(0).u8(0).u16(0).b;
  hugeMask.channels.push_back(raw(-2, {9}));
  PsdLayerDesc shortBlocks = rowLayer(1, 2, 3, {255, 255});
  shortBlocks.additional = psdBlock("lsct", {0});
  auto luni = psdBlock("luni", {0xFF, 0xFF, 0xFF, 0xFF, 0});
  shortBlocks.additional.insert(shortBlocks.additional.end(), luni.begin(), luni.end());
  shortBlocks.additional.push_back('8');   // a block cut short
  PsdLayerDesc lyingBlock = rowLayer(1, 2, 3, {255, 255});
  lyingBlock.additional = BeBytes().text("8BIMiOpa").u32(0xFFFFFF).u8(3).b;
  // A group record without its divider and a divider never closed.
  s.layers = {hugeMask, groupRecord("X", "norm", 255, 0), shortBlocks, lyingBlock, divider()};
  ASSERT_EQ(read(s), kReadOk);
  ASSERT_EQ(doc.layerCount(), 3);
  EXPECT_EQ(at(2, 0), 0xFF010203u);   // a mask plane too large to read is left out
  EXPECT_EQ(doc.layers().atIndex(0)->opacity, 128);

  PsdLayerDesc zip = rowLayer(1, 2, 3, {255, 255});
  std::vector<uint8_t> cut = zipped({5, 6});
  cut.resize(cut.size() - 5);   // stream ends early: the rest of the plane stays 0
  zip.channels[0] = {0, 2, cut};
  s.layers = {zip};
  ASSERT_EQ(read(s), kReadOk);
  EXPECT_EQ(doc.layerCount(), 1);

  PsdLayerDesc empty = rowLayer(1, 2, 3, {255, 255});
  empty.channels[1].data.clear();   // raw, with no sample at all: green reads as 0
  s.layers = {empty};
  ASSERT_EQ(read(s), kReadOk);
  EXPECT_EQ(at(0, 1), 0xFF010003u);

  PsdLayerDesc offCanvas = rowLayer(1, 2, 3, {255, 255});
  offCanvas.left = 5, offCanvas.right = 7;   // right of a 2-wide canvas
  s.layers = {offCanvas};
  ASSERT_EQ(read(s), kReadOk);
  EXPECT_EQ(at(0, 0), kTransparent);

  PsdFileDesc many;
  many.layers.assign(101, rowLayer(1, 2, 3, {255, 255}));
  EXPECT_EQ(read(many), kReadFailed);   // the layers read so far stay
  EXPECT_EQ(doc.layerCount(), kMaxLayers);
}

}  // namespace
}  // namespace tessel
