#include "formats/native_document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "document/document.h"
#include "formats/native_builder.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::buildNative;
using testing::le16;
using testing::le32;
using testing::NativeFileLayout;
using testing::NativeLayerSpec;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

class StepCounter : public Progress {
 public:
  int range = -1, steps = 0;
  void setRange(int n) override { range = n; }
  void step() override { ++steps; }
};

// A pattern that differs in every channel, with some transparent pixels.
void paint(Image32& image, uint32_t seed) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      uint32_t v = uint32_t(x * 7 + y * 13) + seed;
      image.set(x, y, (x + y) % 5 == 0 ? kTransparent : makePixel(v & 0xFF, (v * 3) & 0xFF, (v * 5) & 0xFF, y & 0xFF));
    }
}

bool samePixels(const Image32& a, const Image32& b) {
  return a.width() == b.width() && a.height() == b.height() && std::memcmp(a.bits(), b.bits(), a.byteSize()) == 0;
}

class NativeDocumentTest : public ::testing::Test {
 protected:
  std::string file(const char* name) { return dir.file(name); }
  std::string writeSpec(const NativeFileLayout& fileLayout, const char* name = "made.tsd") {
    writeBytes(file(name), buildNative(fileLayout));
    return file(name);
  }
  // The document every refused file must leave untouched.
  void prepareOpenDocument() {
    ASSERT_TRUE(doc.newImage(20, 10, true));
    paint(doc.currentLayer()->image(), 3);
    doc.currentLayer()->setNameBytes("Open");
  }
  void expectOpenDocumentUnchanged() {
    EXPECT_EQ(doc.width(), 20);
    EXPECT_EQ(doc.height(), 10);
    ASSERT_EQ(doc.layerCount(), 1);
    EXPECT_STREQ(doc.currentLayer()->name, "Open");
  }
  TempDir dir;
  Document doc;
};

TEST_F(NativeDocumentTest, OneLayer400RoundTripWithHeaderFieldsAndPreview) {
  ASSERT_TRUE(doc.newImage(400, 400, true));
  paint(doc.currentLayer()->image(), 1);
  doc.layers().setNameCounter(7);
  Layer& layer = *doc.currentLayer();
  layer.setNameBytes("\xCD\xBC\xB2\xE3 1");   // GBK text
  layer.blendMode = 5;
  layer.opacity = 64;
  layer.maskMode = 2;
  layer.flags = kLayerVisible | kLayerFillReference;
  StepCounter saveSteps;
  ASSERT_TRUE(writeDocument(file("a.tsd"), doc, &saveSteps));
  EXPECT_EQ(saveSteps.steps, 2);   // preview, then one layer

  std::vector<uint8_t> b = readBytes(file("a.tsd"));
  ASSERT_GT(b.size(), 30u + 90 * 90 * 4 + 4);
  EXPECT_EQ(std::memcmp(b.data(), "TSLDATA", 7), 0);
  EXPECT_EQ(b[7], 0);
  EXPECT_EQ(le32(b, 8), 10u);
  EXPECT_EQ(le16(b, 12), 400);
  EXPECT_EQ(le16(b, 14), 400);
  EXPECT_EQ(le16(b, 16), 1);
  EXPECT_EQ(le16(b, 18), 7);
  EXPECT_EQ(le16(b, 20), 0);
  EXPECT_EQ(le16(b, 22), 90);
  EXPECT_EQ(le16(b, 24), 90);
  EXPECT_EQ(le32(b, 26), 90u * 90 * 4);
  size_t record = 30 + 90 * 90 * 4;
  EXPECT_EQ(le32(b, record), 35u);
  EXPECT_EQ(b[record + 4 + 32], 5);
  EXPECT_EQ(b[record + 4 + 33], 64);
  EXPECT_EQ(b[record + 4 + 34], 0x01 | (2 << 1) | 0x10);
  EXPECT_EQ(le32(b, record + 4 + 35), b.size() - (record + 4 + 39));   // S is the rest of the file

  Document back;
  StepCounter loadSteps;
  ASSERT_EQ(readDocument(file("a.tsd"), back, &loadSteps), kReadOk);
  EXPECT_EQ(loadSteps.range, 1);
  EXPECT_EQ(loadSteps.steps, 1);
  EXPECT_EQ(back.width(), 400);
  EXPECT_EQ(back.layers().nameCounter(), 7);
  EXPECT_EQ(back.currentIndex(), 0);
  ASSERT_EQ(back.layerCount(), 1);
  const Layer& l = *back.currentLayer();
  EXPECT_EQ(std::memcmp(l.name, layer.name, kLayerNameBytes), 0);
  EXPECT_EQ(l.blendMode, 5);
  EXPECT_EQ(l.opacity, 64);
  EXPECT_EQ(l.maskMode, 2);
  EXPECT_EQ(l.flags, kLayerVisible | kLayerFillReference);
  EXPECT_TRUE(samePixels(l.image(), layer.image()));
}

TEST_F(NativeDocumentTest, LayerOrderAndCurrentIndexSurvive) {
  ASSERT_TRUE(doc.newImage(30, 20, true));
  ASSERT_TRUE(doc.newLayer(false));
  ASSERT_TRUE(doc.newLayer(false));
  for (int i = 0; i < 3; ++i) paint(doc.layers().atIndex(i)->image(), uint32_t(i * 50));
  doc.selectLayer(2);
  doc.layers().atIndex(1)->flags = 0;
  ASSERT_TRUE(writeDocument(file("b.tsd"), doc, nullptr));
  Document back;
  ASSERT_EQ(readDocument(file("b.tsd"), back, nullptr), kReadOk);
  ASSERT_EQ(back.layerCount(), 3);
  EXPECT_EQ(back.currentIndex(), 2);
  EXPECT_EQ(back.currentLayer(), back.layers().atIndex(2));
  EXPECT_EQ(back.layers().nameCounter(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(back.layers().atIndex(i)->name, doc.layers().atIndex(i)->name);
    EXPECT_TRUE(samePixels(back.layers().atIndex(i)->image(), doc.layers().atIndex(i)->image())) << i;
  }
  EXPECT_FALSE(back.layers().atIndex(1)->visible());
}

TEST(NativePreview, FitsIntoTheBoxWithoutEnlargingAndNeverToZero) {
  auto fit = [](int w, int h) {
    PreviewSize s = fitPreview(w, h);
    return std::make_pair(s.width, s.height);
  };
  EXPECT_EQ(fit(60, 40), std::make_pair(60, 40));
  EXPECT_EQ(fit(90, 90), std::make_pair(90, 90));
  EXPECT_EQ(fit(400, 400), std::make_pair(90, 90));
  EXPECT_EQ(fit(4500, 100), std::make_pair(90, 2));
  EXPECT_EQ(fit(100, 4500), std::make_pair(2, 90));
  EXPECT_EQ(fit(91, 90), std::make_pair(90, 89));
  EXPECT_EQ(fit(1, 4500), std::make_pair(1, 90));
  EXPECT_EQ(fit(4500, 1), std::make_pair(90, 1));
}

TEST(NativePreview, AreaAverageRoundsEachBlock) {
  Image32 src, dst;
  ASSERT_TRUE(src.create(4, 2));
  ASSERT_TRUE(dst.create(2, 1));
  // Left block: 0x00, 0xFF, 0x00, 0xFF per channel -> 510 / 4 rounds to 128.
  src.set(0, 0, 0xFF000000);
  src.set(1, 0, 0xFFFFFFFF);
  src.set(0, 1, 0xFFFFFFFF);
  src.set(1, 1, 0xFF000000);
  // Right block: blue 10, 20, 30, 41 -> 101 / 4 = 25.25 -> 25; red 1,1,1,2 -> 1.25 -> 1.
  src.set(2, 0, makePixel(255, 1, 0, 10));
  src.set(3, 0, makePixel(255, 1, 0, 20));
  src.set(2, 1, makePixel(255, 1, 0, 30));
  src.set(3, 1, makePixel(255, 2, 6, 41));
  downscaleAreaAverage(src, dst);
  EXPECT_EQ(dst.at(0, 0), 0xFF808080u);
  EXPECT_EQ(dst.at(1, 0), makePixel(255, 1, 2, 25));
}

TEST_F(NativeDocumentTest, PreviewOfThinCanvasIsSavedAndReadBack) {
  ASSERT_TRUE(doc.newImage(1, 4500, true));
  doc.currentLayer()->image().fill(0xFF102030);
  ASSERT_TRUE(writeDocument(file("thin.tsd"), doc, nullptr));
  Image32 preview;
  ASSERT_TRUE(readPreview(file("thin.tsd"), preview));
  EXPECT_EQ(preview.width(), 1);
  EXPECT_EQ(preview.height(), 90);
  EXPECT_EQ(preview.at(0, 45) & 0xFFFFFF, 0x102030u);

  ASSERT_TRUE(doc.newImage(60, 40, true));
  doc.currentLayer()->image().fill(kTransparent);   // flattened onto white
  ASSERT_TRUE(writeDocument(file("small.tsd"), doc, nullptr));
  ASSERT_TRUE(readPreview(file("small.tsd"), preview));
  EXPECT_EQ(preview.width(), 60);
  EXPECT_EQ(preview.height(), 40);
  EXPECT_EQ(preview.at(59, 39) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(NativeFlags, MaskModeThreeUsesBitThreeOnly) {
  EXPECT_EQ(packLayerFlags(kLayerVisible, 3), 0x09);
  EXPECT_EQ(packLayerFlags(kLayerFillReference, 3), 0x18);
  EXPECT_EQ(packLayerFlags(kLayerVisible, 1), 0x03);
  EXPECT_EQ(packLayerFlags(0, 2), 0x04);
  uint8_t flags = 0, mask = 0;
  unpackLayerFlags(0x0B, flags, mask);   // bit 3 and bit 1 both set
  EXPECT_EQ(mask, 3);
  EXPECT_EQ(flags, kLayerVisible);
  unpackLayerFlags(0x14, flags, mask);
  EXPECT_EQ(mask, 2);
  EXPECT_EQ(flags, kLayerFillReference);
  unpackLayerFlags(0xE0, flags, mask);   // unused high bits mean nothing
  EXPECT_EQ(mask, 0);
  EXPECT_EQ(flags, 0);
}

TEST_F(NativeDocumentTest, BlendByteAbove20ReadsAsNormalAndExtraHeaderBytesAreSkipped) {
  NativeFileLayout fileLayout;
  fileLayout.headerBody = 14;
  fileLayout.recordHeader = 40;
  fileLayout.nameCounter = 9;
  fileLayout.current = 1;
  NativeLayerSpec a, b;
  a.name = "bottom";
  a.blend = 21;
  a.pixels.assign(12, 0xFF112233);
  b.name = "top";
  b.blend = 20;
  b.opacity = 100;
  b.flags = 0x0B;
  b.pixels.assign(12, 0x80445566);
  fileLayout.layers = {a, b};
  ASSERT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadOk);
  ASSERT_EQ(doc.layerCount(), 2);
  EXPECT_EQ(doc.currentIndex(), 1);
  EXPECT_EQ(doc.layers().nameCounter(), 9);
  const Layer& top = *doc.layers().atIndex(0);
  const Layer& bottom = *doc.layers().atIndex(1);
  EXPECT_STREQ(top.name, "top");
  EXPECT_EQ(top.blendMode, 20);
  EXPECT_EQ(top.opacity, 100);
  EXPECT_EQ(top.maskMode, 3);
  EXPECT_EQ(top.image().at(3, 2), 0x80445566u);
  EXPECT_STREQ(bottom.name, "bottom");
  EXPECT_EQ(bottom.blendMode, 0);
  EXPECT_EQ(bottom.image().at(0, 0), 0xFF112233u);
}

TEST_F(NativeDocumentTest, RefusedHeadersLeaveTheOpenDocument) {
  prepareOpenDocument();
  NativeFileLayout fileLayout;
  fileLayout.layers = {NativeLayerSpec{}};
  fileLayout.width = 4501;
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadTooLarge);
  expectOpenDocumentUnchanged();
  fileLayout.width = 4;
  fileLayout.height = 4501;
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadTooLarge);
  fileLayout.height = 3;
  fileLayout.magic = "TSLDATB";
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadFormatError);
  fileLayout.magic = "TSLDATA";
  fileLayout.version = 1;
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadFormatError);
  fileLayout.version = 0;
  fileLayout.headerBody = 9;   // would overlap the preview
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadFormatError);
  fileLayout.headerBody = 10;
  fileLayout.recordHeader = 34;
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadFormatError);
  fileLayout.recordHeader = 35;
  fileLayout.layerCount = 0;
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadFormatError);
  fileLayout.layerCount = -1;
  fileLayout.width = 0;
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadFormatError);
  EXPECT_EQ(readDocument(file("missing.tsd"), doc, nullptr), kReadCannotOpen);
  expectOpenDocumentUnchanged();
}

TEST_F(NativeDocumentTest, A101stRecordGivesOutOfMemoryAndABlank400Image) {
  prepareOpenDocument();
  NativeFileLayout fileLayout;
  fileLayout.width = 2;
  fileLayout.height = 2;
  fileLayout.layers.assign(101, NativeLayerSpec{});
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadOutOfMemory);
  EXPECT_EQ(doc.width(), 400);
  EXPECT_EQ(doc.height(), 400);
  ASSERT_EQ(doc.layerCount(), 1);
  ASSERT_NE(doc.currentLayer(), nullptr);
  EXPECT_EQ(doc.currentLayer()->image().at(200, 200), kTransparent);
}

TEST_F(NativeDocumentTest, CorruptThirdLayerKeepsTwoWholeLayersAndPartOfTheThird) {
  NativeFileLayout fileLayout;
  fileLayout.width = 40;
  fileLayout.height = 30;
  fileLayout.current = 0;
  NativeLayerSpec good;
  good.pixels.assign(1200, 0xFF0000FF);
  // Stored block of 1000 bytes (250 pixels), then a block whose lengths disagree.
  std::vector<uint8_t> stream = {0x78, 0x01, 0x00, 0xE8, 0x03, 0x17, 0xFC};
  for (int i = 0; i < 250; ++i) stream.insert(stream.end(), {0x10, 0x20, 0x30, 0xFF});
  stream.insert(stream.end(), {0x00, 0x10, 0x00, 0x10, 0x00});
  NativeLayerSpec broken;
  broken.stream = stream;
  fileLayout.layers = {good, good, broken, good};
  StepCounter progress;
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, &progress), kReadDecompressFailed);
  EXPECT_EQ(progress.range, 4);
  EXPECT_EQ(progress.steps, 2);
  ASSERT_EQ(doc.layerCount(), 3);
  ASSERT_NE(doc.currentLayer(), nullptr);
  EXPECT_EQ(doc.layers().atIndex(2)->image().at(5, 5), 0xFF0000FFu);
  EXPECT_EQ(doc.layers().atIndex(1)->image().at(39, 29), 0xFF0000FFu);
  const Image32& partial = doc.layers().atIndex(0)->image();
  // Memory starts with the bottom row: 250 pixels fill row 29, 28, ... in turn.
  EXPECT_EQ(partial.at(0, 29), 0xFF302010u);
  EXPECT_EQ(partial.at(9, 23), 0xFF302010u);    // pixel 249
  EXPECT_EQ(partial.at(10, 23), kTransparent);  // pixel 250
  EXPECT_EQ(partial.at(0, 0), kTransparent);
}

// The next record begins right after the bytes the inflater used.
TEST_F(NativeDocumentTest, NextRecordStartsWhereTheStreamEndedNotWhereItsSizeSaid) {
  NativeFileLayout fileLayout;
  NativeLayerSpec a, b, c;
  a.pixels.assign(12, 0xFF000001);
  a.sizeDelta = 5;   // overstated: the stream still ends first
  b.pixels.assign(12, 0xFF000002);
  b.sizeDelta = 1;
  c.pixels.assign(12, 0xFF000003);
  fileLayout.layers = {a, b, c};
  StepCounter progress;
  ASSERT_EQ(readDocument(writeSpec(fileLayout), doc, &progress), kReadOk);
  ASSERT_EQ(doc.layerCount(), 3);
  EXPECT_EQ(doc.layers().atIndex(2)->image().at(0, 0), 0xFF000001u);
  EXPECT_EQ(doc.layers().atIndex(1)->image().at(1, 1), 0xFF000002u);
  EXPECT_EQ(doc.layers().atIndex(0)->image().at(3, 2), 0xFF000003u);
  EXPECT_EQ(progress.steps, 3);
}

TEST_F(NativeDocumentTest, UnderstatedSizeFailsThatLayer) {
  NativeFileLayout fileLayout;
  NativeLayerSpec a, b, c;
  a.pixels.assign(12, 0xFF000001);
  b.pixels.assign(12, 0xFF000002);
  b.sizeDelta = -3;   // the stream runs out before its end
  fileLayout.layers = {a, b, c};
  StepCounter progress;
  EXPECT_EQ(readDocument(writeSpec(fileLayout), doc, &progress), kReadDecompressFailed);
  EXPECT_EQ(doc.layerCount(), 2);
  EXPECT_EQ(progress.steps, 1);
  EXPECT_EQ(doc.layers().atIndex(1)->image().at(0, 0), 0xFF000001u);
  ASSERT_NE(doc.currentLayer(), nullptr);
}

TEST_F(NativeDocumentTest, ManyLayersReadInOrder) {
  NativeFileLayout fileLayout;
  fileLayout.width = 16;
  fileLayout.height = 16;
  for (uint32_t i = 0; i < 40; ++i) {
    NativeLayerSpec layer;
    layer.name = "n";
    layer.name += std::to_string(i);
    layer.pixels.assign(256, 0xFF000000u | i * 0x010203u);
    layer.sizeDelta = (i % 7 == 3) ? 2 : 0;
    fileLayout.layers.push_back(layer);
  }
  fileLayout.current = 39;
  ASSERT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadOk);
  ASSERT_EQ(doc.layerCount(), 40);
  for (int i = 0; i < 40; ++i) {
    const Layer& layer = *doc.layers().atIndex(39 - i);
    std::string expected = "n";
    expected += std::to_string(i);
    EXPECT_EQ(std::string(layer.name), expected);
    EXPECT_EQ(layer.image().at(15, 15), 0xFF000000u | uint32_t(i) * 0x010203u) << i;
  }
  EXPECT_EQ(doc.currentIndex(), 39);
}

TEST_F(NativeDocumentTest, CurrentIndexOutOfRangeSelectsTheTopLayer) {
  NativeFileLayout fileLayout;
  fileLayout.current = 5;
  fileLayout.layers.assign(2, NativeLayerSpec{});
  ASSERT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadOk);
  EXPECT_EQ(doc.currentIndex(), 0);
  EXPECT_EQ(doc.currentLayer(), doc.layers().atIndex(0));
}

TEST_F(NativeDocumentTest, UnterminatedNameIsCutTo31BytesOnACharacterBoundary) {
  NativeFileLayout fileLayout;
  NativeLayerSpec a;
  a.name = std::string(30, 'a') + "\xB0\xA1";   // a double-byte character across byte 31
  NativeLayerSpec b;
  b.name = std::string(32, 'b');
  fileLayout.layers = {a, b};
  ASSERT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadOk);
  EXPECT_EQ(std::string(doc.layers().atIndex(1)->name), std::string(30, 'a'));
  EXPECT_EQ(std::string(doc.layers().atIndex(0)->name), std::string(31, 'b'));
}

TEST_F(NativeDocumentTest, OpacityAbove128IsClamped) {
  NativeFileLayout fileLayout;
  NativeLayerSpec a;
  a.opacity = 200;
  fileLayout.layers = {a};
  ASSERT_EQ(readDocument(writeSpec(fileLayout), doc, nullptr), kReadOk);
  EXPECT_EQ(doc.currentLayer()->opacity, 128);
}

TEST_F(NativeDocumentTest, EveryTruncationEndsInADefinedResultWithACurrentLayer) {
  NativeFileLayout fileLayout;
  NativeLayerSpec a, b;
  a.pixels.assign(12, 0xFF445566);
  b.pixels.assign(12, 0xFF778899);
  fileLayout.layers = {a, b};
  std::vector<uint8_t> whole = buildNative(fileLayout);
  size_t firstRecord = 30 + 4 + 4;   // header, 1 x 1 preview, L
  for (size_t n = 0; n < whole.size(); ++n) {
    prepareOpenDocument();
    std::vector<uint8_t> part(whole.begin(), whole.begin() + long(n));
    writeBytes(file("cut.tsd"), part);
    int r = readDocument(file("cut.tsd"), doc, nullptr);
    if (n < firstRecord) {
      EXPECT_EQ(r, kReadFormatError) << n;
      expectOpenDocumentUnchanged();
    } else {
      EXPECT_EQ(r, kReadDecompressFailed) << n;
      ASSERT_GE(doc.layerCount(), 1);
      EXPECT_NE(doc.currentLayer(), nullptr);
      EXPECT_EQ(doc.width(), 4);
    }
  }
}

TEST_F(NativeDocumentTest, KilledSaveLeavesTheEarlierFileIntact) {
  ASSERT_TRUE(doc.newImage(64, 48, true));
  paint(doc.currentLayer()->image(), 11);
  ASSERT_TRUE(writeDocument(file("keep.tsd"), doc, nullptr));
  std::vector<uint8_t> before = readBytes(file("keep.tsd"));

  Document other;
  ASSERT_TRUE(other.newImage(64, 48, true));
  paint(other.currentLayer()->image(), 99);
  for (int64_t budget : {int64_t(0), int64_t(20), int64_t(5000), int64_t(before.size() - 10)}) {
    bool ok = saveReplacing(file("keep.tsd"), [&](File& f) {
      f.failWritesAfter(budget);
      return writeDocumentTo(f, other, nullptr);
    });
    EXPECT_FALSE(ok) << budget;
    EXPECT_EQ(readBytes(file("keep.tsd")), before) << budget;
    EXPECT_EQ(dir.files().size(), 1u) << budget;   // no temporary file left behind
  }
  Document back;
  ASSERT_EQ(readDocument(file("keep.tsd"), back, nullptr), kReadOk);
  EXPECT_TRUE(samePixels(back.currentLayer()->image(), doc.currentLayer()->image()));
}

TEST_F(NativeDocumentTest, SaveIntoAMissingFolderFails) {
  ASSERT_TRUE(doc.newImage(8, 8, true));
  EXPECT_FALSE(writeDocument(file("none/x.tsd"), doc, nullptr));
}

TEST_F(NativeDocumentTest, PreviewReaderRefusesWhatItCannotTrust) {
  NativeFileLayout fileLayout;
  fileLayout.layers = {NativeLayerSpec{}};
  fileLayout.previewW = 3;
  fileLayout.previewH = 2;
  Image32 preview;
  ASSERT_TRUE(readPreview(writeSpec(fileLayout), preview));
  EXPECT_EQ(preview.width(), 3);
  EXPECT_EQ(preview.height(), 2);
  EXPECT_EQ(preview.bits()[5], 5);   // bytes copied in memory order

  Image32 untouched;
  fileLayout.previewBytes = 3 * 2 * 4 + 4;   // more than the image holds
  EXPECT_FALSE(readPreview(writeSpec(fileLayout), untouched));
  fileLayout.previewBytes = 3 * 2 * 4 - 4;
  EXPECT_FALSE(readPreview(writeSpec(fileLayout), untouched));
  fileLayout.previewBytes = -1;
  fileLayout.previewW = 0;
  EXPECT_FALSE(readPreview(writeSpec(fileLayout), untouched));
  fileLayout.previewW = 3;
  fileLayout.version = 1;
  EXPECT_FALSE(readPreview(writeSpec(fileLayout), untouched));
  EXPECT_FALSE(untouched.valid());
  std::vector<uint8_t> cut = buildNative(NativeFileLayout{});
  cut.resize(30);
  writeBytes(file("cut.tsd"), cut);
  EXPECT_FALSE(readPreview(file("cut.tsd"), untouched));
  EXPECT_FALSE(readPreview(file("missing.tsd"), untouched));
}

// Idle layers of a large canvas cost their painted tiles only, and a saved
// document whose layers are mostly transparent reads back pixel for pixel.
TEST_F(NativeDocumentTest, IdleLayersKeepOnlyPaintedTilesAndRoundTrip) {
  ASSERT_TRUE(doc.newImage(1000, 800, true));
  for (int i = 0; i < 3; ++i) {
    if (i) ASSERT_TRUE(doc.newLayer(false));
    doc.currentLayer()->image().fillRect(100 * i, 50, 100, 60, 0xFF102030u + uint32_t(i));
  }
  doc.selectLayer(1);
  EXPECT_TRUE(doc.layers().atIndex(0)->parked());
  EXPECT_TRUE(doc.layers().atIndex(2)->parked());
  ASSERT_TRUE(writeDocument(file("sparse.tsd"), doc, nullptr));
  Document back;
  ASSERT_EQ(readDocument(file("sparse.tsd"), back, nullptr), kReadOk);
  const size_t flatLayer = size_t(1000) * 800 * 4;
  for (int i = 0; i < 3; ++i) {
    const Layer* layer = back.layers().atIndex(i);
    EXPECT_TRUE(layer->parked()) << i;
    EXPECT_LT(layer->pixelBytes(), flatLayer / 10) << i;
    EXPECT_TRUE(samePixels(layer->image(), doc.layers().atIndex(i)->image())) << i;
  }
  // Writing through the tiles gives a far smaller file than the canvas.
  EXPECT_LT(std::filesystem::file_size(file("sparse.tsd")), 40000u);
}

}  // namespace
}  // namespace tessel
