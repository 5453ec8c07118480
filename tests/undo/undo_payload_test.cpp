// The bytes of payloads as they lie in the temporary files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "document/document.h"
#include "undo/undo_history.h"
#include "undo/undo_rle.h"
#include "undo_test_util.h"

namespace tessel {
namespace {

using undotest::TempDir;

std::vector<uint8_t> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int16_t int16At(const std::vector<uint8_t>& b, size_t at) { return int16_t(b[at] | (b[at + 1] << 8)); }
int32_t int32At(const std::vector<uint8_t>& b, size_t at) {
  return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                 uint32_t(b[at + 3]) << 24);
}

struct OnDisk {
  TempDir dir;
  Document doc;
  UndoHistory history{doc, dir.path()};
  OnDisk(int w, int h, int layers) {
    EXPECT_TRUE(doc.newImage(w, h, true));
    for (int i = 1; i < layers; ++i) EXPECT_TRUE(doc.newLayer(false));
    history.setFileThreshold(0);
    doc.setRecorder(&history);
  }
  ~OnDisk() { doc.setRecorder(nullptr); }
  std::vector<uint8_t> payload(int position) {
    return fileBytes(history.tempFilePath(history.record(position)->tempFileNumber));
  }
};

TEST(UndoPayload, PixelRectIsTheByteCountThenTheEncodedPixels) {
  OnDisk d(300, 300, 1);
  d.doc.currentLayer()->image().set(299, 299, 0x7F010203u);
  d.history.recordCurrentLayer();
  std::vector<uint8_t> b = d.payload(0);
  // 89,999 clear pixels: 352 full runs and one of 239, then the pixel.
  ASSERT_EQ(b.size(), 4u + 352 * 2 + 2 + 4);
  EXPECT_EQ(int32At(b, 0), int32_t(b.size() - 4));
  EXPECT_EQ(b[4 + 352 * 2 + 1], 239);
  EXPECT_EQ(std::vector<uint8_t>(b.end() - 4, b.end()), (std::vector<uint8_t>{0x7F, 1, 2, 3}));
}

TEST(UndoPayload, DeletedLayerBlockHoldsPositionNameAndAttributes) {
  OnDisk d(4, 3, 3);
  d.doc.selectLayer(1);
  Layer& l = *d.doc.currentLayer();
  l.setNameBytes("\xCD\xBC\xB2\xE3 sky");   // GBK text is kept as bytes
  l.blendMode = 4;
  l.opacity = 77;
  l.maskMode = 2;
  l.flags = 3;
  l.image().fill(0xFF0000FFu);
  ASSERT_TRUE(d.doc.deleteLayer());
  std::vector<uint8_t> b = d.payload(0);
  ASSERT_EQ(b.size(), kLayerBlockHeader + 48);
  EXPECT_EQ(int16At(b, 0), 1);
  EXPECT_EQ(int32At(b, 2), 48);
  EXPECT_STREQ(reinterpret_cast<const char*>(&b[6]), "\xCD\xBC\xB2\xE3 sky");
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 38, b.begin() + 42), (std::vector<uint8_t>{4, 77, 2, 3}));
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 42, b.begin() + 46), (std::vector<uint8_t>{0xFF, 0, 0, 0xFF}));
}

TEST(UndoPayload, MergeVisibleBlocksCarryGapsAndTheUnmergeKeepsThemAtTheEnd) {
  OnDisk d(5, 5, 4);
  // Top to bottom: A visible, H1 hidden, H2 hidden, B visible.
  d.doc.toggleVisible(1);
  d.doc.toggleVisible(2);
  ASSERT_TRUE(d.doc.mergeVisible(true));
  const UndoRecord* merged = d.history.record(0);
  EXPECT_EQ(merged->kind, UndoKind::LayersMerged);
  EXPECT_EQ(merged->layerIndex, 2);
  std::vector<uint8_t> b = d.payload(0);
  size_t second = kLayerBlockHeader + size_t(int32At(b, 2));
  EXPECT_EQ(int16At(b, 0), 2);        // B's index after the merge: 3 - 2 + 1
  EXPECT_EQ(int16At(b, second), 2);   // two hidden layers between B and A
  EXPECT_STREQ(reinterpret_cast<const char*>(&b[6]), "Layer0");
  EXPECT_STREQ(reinterpret_cast<const char*>(&b[second + 6]), "Layer3");

  UndoRefresh refresh;
  ASSERT_TRUE(d.history.undo(refresh));
  EXPECT_EQ(refresh.kind, UndoRefresh::Kind::Full);
  EXPECT_EQ(undotest::layerNames(d.doc),
            (std::vector<std::string>{"Layer3", "Layer2", "Layer1", "Layer0"}));
  const UndoRecord* unmerged = d.history.record(1);
  EXPECT_EQ(unmerged->kind, UndoKind::LayersUnmerged);
  std::vector<uint8_t> u = d.payload(1);
  EXPECT_EQ(int16At(u, 0), 3);   // the survivor's index with the others back
  EXPECT_EQ(u.size(), kLayerBlockHeader + size_t(int32At(u, 2)) + 2);
  EXPECT_EQ(int16At(u, u.size() - 2), 2);
}

TEST(UndoPayload, StrokeRecordedFromTheLayerBackupRestoresIt) {
  OnDisk d(30, 20, 2);
  Image32& layer = d.doc.currentLayer()->image();
  layer.fillRect(0, 0, 30, 20, 0xFF808080u);
  d.doc.layerBackup.copyFrom(layer);
  // The stroke paints two dabs, then records the union from the backup.
  layer.fillRect(2, 2, 4, 4, 0xFF000000u);
  layer.fillRect(20, 10, 5, 5, 0xFF000000u);
  d.history.recordPixelRectOf(d.doc.layerBackup, Rect{2, 2, 4, 4}.united({20, 10, 5, 5}));
  EXPECT_EQ(d.history.record(0)->rect, (Rect{2, 2, 23, 13}));
  UndoRefresh refresh;
  ASSERT_TRUE(d.history.undo(refresh));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(layer.at(x, y), 0xFF808080u) << x << "," << y;
  ASSERT_TRUE(d.history.redo(refresh));
  EXPECT_EQ(layer.at(3, 3), 0xFF000000u);
  EXPECT_EQ(layer.at(10, 5), 0xFF808080u);
}

TEST(UndoPayload, AllLayersEstimateChoosesDiskEvenWhenSmall) {
  TempDir dir;
  Document doc;
  ASSERT_TRUE(doc.newImage(3, 3, true));
  UndoHistory history(doc, dir.path());
  history.recordAllLayers();
  ASSERT_GE(history.record(0)->tempFileNumber, 0);
  std::vector<uint8_t> b = fileBytes(history.tempFilePath(history.record(0)->tempFileNumber));
  EXPECT_EQ(b, (std::vector<uint8_t>{2, 0, 0, 0, 0, 9}));
}

}  // namespace
}  // namespace tessel
