#include "undo/undo_history.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "document/document.h"
#include "undo_test_util.h"

namespace tessel {
namespace {

using undotest::scribble;
using undotest::shoot;
using undotest::TempDir;

struct Fixture {
  TempDir dir;
  Document doc;
  UndoHistory history;
  explicit Fixture(int w = 40, int h = 30, int layers = 1, int undoCnt = kDefaultUndoCnt)
      : history(doc, dir.path(), undoCnt) {
    EXPECT_TRUE(doc.newImage(w, h, true));
    for (int i = 1; i < layers; ++i) EXPECT_TRUE(doc.newLayer(false));
    doc.setRecorder(&history);
  }
  // A recorded stroke: the rectangle is recorded, then painted with colour.
  void paint(const Rect& r, Pixel colour) {
    doc.recorder().recordPixelRect(r);
    doc.currentLayer()->image().fillRect(r.x, r.y, r.w, r.h, colour);
  }
  Pixel at(int layer, int x, int y) const { return doc.layers().atIndex(layer)->image().at(x, y); }
};

TEST(UndoHistory, PixelUndoRedoRestoresTheRectangleAndReportsIt) {
  Fixture f;
  f.paint({2, 3, 5, 4}, 0xFF00FF00u);
  f.paint({4, 4, 10, 2}, 0x80FF0000u);
  EXPECT_EQ(f.history.undoCount(), 2);
  UndoRefresh refresh;
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(refresh.kind, UndoRefresh::Kind::Area);
  EXPECT_EQ(refresh.rect, (Rect{4, 4, 10, 2}));
  EXPECT_EQ(refresh.layerIndex, 0);
  EXPECT_EQ(f.at(0, 4, 4), 0xFF00FF00u);
  EXPECT_EQ(f.at(0, 13, 5), kTransparent);
  ASSERT_TRUE(f.history.redo(refresh));
  EXPECT_EQ(f.at(0, 4, 4), 0x80FF0000u);
  EXPECT_EQ(f.history.redoCount(), 0);
  EXPECT_FALSE(f.history.redo(refresh));
  EXPECT_EQ(refresh.kind, UndoRefresh::Kind::None);
}

// A step that changed two far corners of a wide rectangle keeps the two tiles
// holding them (and one holding a transparent pixel that restoring turns
// white), whether on disk or in memory, and undoes and redoes every pixel.
TEST(UndoHistory, AStepKeepsOnlyTheTilesItChanged) {
  for (const size_t threshold : {size_t(0), kUndoFileThreshold}) {
    Fixture f(1000, 300);
    f.history.setFileThreshold(threshold);
    Image32& layer = f.doc.currentLayer()->image();
    std::mt19937 rng(5);
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 1000; ++x) layer.set(x, y, Pixel(rng()) | 0xFF000000u);
    layer.set(600, 150, 0x00123456u);
    Image32 before, after;
    ASSERT_TRUE(before.create(1000, 300) && after.create(1000, 300));
    before.blit(0, 0, 1000, 300, layer, 0, 0);
    layer.set(300, 10, 0xFF0000FFu);
    layer.set(990, 290, 0xFF00FF00u);
    after.blit(0, 0, 1000, 300, layer, 0, 0);
    const Rect rect{100, 5, 900, 290};
    f.history.recordPixelRectOf(before, rect);

    const UndoRecord* r = f.history.record(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->cells, (std::vector<Rect>{{256, 5, 256, 59}, {512, 128, 256, 64}, {768, 256, 232, 39}}));
    // Three tiles of four bytes a pixel, where the rectangle would take 1 MB.
    if (threshold) EXPECT_LT(r->memorySize, size_t(3 * 256 * 64 * 4 + 100));
    else EXPECT_GE(r->tempFileNumber, 0);

    before.set(600, 150, kTransparent);
    after.set(600, 150, kTransparent);
    UndoRefresh refresh;
    ASSERT_TRUE(f.history.undo(refresh));
    EXPECT_EQ(refresh.rect, rect);
    EXPECT_EQ(std::memcmp(layer.bits(), before.bits(), before.byteSize()), 0);
    ASSERT_TRUE(f.history.redo(refresh));
    EXPECT_EQ(std::memcmp(layer.bits(), after.bits(), after.byteSize()), 0);
    ASSERT_TRUE(f.history.undo(refresh));
    EXPECT_EQ(std::memcmp(layer.bits(), before.bits(), before.byteSize()), 0);
  }
}

TEST(UndoHistory, TransparentPixelsComeBackWhiteWhateverTheirColour) {
  Fixture f(8, 8);
  f.doc.currentLayer()->image().fill(0x00123456u);
  f.paint(f.doc.canvasRect(), 0xFF000000u);
  UndoRefresh refresh;
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(f.at(0, 0, 0), 0x00FFFFFFu);
  EXPECT_EQ(f.at(0, 7, 7), 0x00FFFFFFu);
}

TEST(UndoHistory, RectanglesAreCutToTheCanvasAndEmptyOnesRecordNothing) {
  Fixture f(10, 10);
  f.doc.recorder().recordPixelRect({-5, 8, 30, 30});
  ASSERT_EQ(f.history.recordCount(), 1);
  EXPECT_EQ(f.history.record(0)->rect, (Rect{0, 8, 10, 2}));
  f.doc.recorder().recordPixelRect({20, 20, 5, 5});
  EXPECT_EQ(f.history.recordCount(), 1);
}

TEST(UndoHistory, ThirtyFirstRecordDropsTheOldestAndUndoWorksThirtyTimes) {
  Fixture f(12, 12);
  for (int i = 0; i < 31; ++i) f.paint({0, 0, 1, 1}, 0xFF000000u | Pixel(i + 1));
  EXPECT_EQ(f.history.recordCount(), 30);
  UndoRefresh refresh;
  int undos = 0;
  while (f.history.undo(refresh)) ++undos;
  EXPECT_EQ(undos, 30);
  // Back to the state after the first (dropped) stroke, not before it.
  EXPECT_EQ(f.at(0, 0, 0), 0xFF000001u);
  EXPECT_EQ(f.history.recordCount(), 31);   // the spare slot
  int redos = 0;
  while (f.history.redo(refresh)) ++redos;
  EXPECT_EQ(redos, 30);
  EXPECT_EQ(f.at(0, 0, 0), 0xFF00001Fu);
}

TEST(UndoHistory, SpareSlotIsAddedEvenWhenTheListIsFull) {
  Fixture one(6, 6, 1, 1);
  one.paint({0, 0, 1, 1}, 0xFF111111u);
  UndoRefresh refresh;
  ASSERT_TRUE(one.history.undo(refresh));   // the only record, at the limit of one
  EXPECT_EQ(one.history.recordCount(), 2);
  ASSERT_TRUE(one.history.redo(refresh));
  EXPECT_EQ(one.at(0, 0, 0), 0xFF111111u);

  Fixture f(6, 6, 1, 2);
  f.paint({0, 0, 2, 2}, 0xFF111111u);
  f.paint({0, 0, 2, 2}, 0xFF222222u);
  f.paint({0, 0, 2, 2}, 0xFF333333u);
  ASSERT_EQ(f.history.recordCount(), 2);
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(f.history.recordCount(), 3);
  EXPECT_EQ(f.history.record(2)->kind, UndoKind::PixelRect);
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_FALSE(f.history.undo(refresh));
  EXPECT_EQ(f.at(0, 1, 1), 0xFF111111u);
  EXPECT_EQ(f.history.undoCount(), 0);
  EXPECT_EQ(f.history.redoCount(), 2);
}

TEST(UndoHistory, RecordingAfterUndoingEverythingDeletesAllRecordsAndFiles) {
  Fixture f(20, 20);
  f.history.setFileThreshold(0);   // every payload to disk
  for (int i = 0; i < 4; ++i) f.paint({i, i, 5, 5}, 0xFF000000u | Pixel(i));
  EXPECT_EQ(f.dir.fileCount(), 4);
  UndoRefresh refresh;
  while (f.history.undo(refresh)) {
  }
  EXPECT_EQ(f.history.recordCount(), 5);
  EXPECT_EQ(f.dir.fileCount(), 5);
  f.paint({0, 0, 1, 1}, 0xFFABCDEFu);
  EXPECT_EQ(f.history.recordCount(), 1);
  EXPECT_EQ(f.history.undoCount(), 1);
  EXPECT_EQ(f.history.redoCount(), 0);
  EXPECT_EQ(f.dir.fileCount(), 1);
}

TEST(UndoHistory, DeletingTheOnlyLayerRecordsNothing) {
  Fixture f;
  EXPECT_FALSE(f.doc.deleteLayer());
  f.history.recordLayerDeleted();
  EXPECT_EQ(f.history.recordCount(), 0);
  EXPECT_FALSE(f.history.modified());
}

TEST(UndoHistory, ModifiedFlagFollowsRecordsSaveUndoAndClear) {
  Fixture f;
  EXPECT_FALSE(f.history.modified());
  f.paint({0, 0, 3, 3}, 0xFF0000FFu);
  EXPECT_TRUE(f.history.modified());
  f.history.clearModified();
  EXPECT_FALSE(f.history.modified());
  UndoRefresh refresh;
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_TRUE(f.history.modified());
  f.history.clearModified();
  ASSERT_TRUE(f.history.redo(refresh));   // no slot added, still a change
  EXPECT_TRUE(f.history.modified());
  f.history.clear();
  EXPECT_FALSE(f.history.modified());
  EXPECT_EQ(f.history.recordCount(), 0);
  EXPECT_EQ(f.history.undoCount(), 0);
  EXPECT_EQ(f.history.redoCount(), 0);
  EXPECT_FALSE(f.history.undo(refresh));
}

TEST(UndoHistory, LargePayloadLivesInATempFileUntilDropped) {
  Fixture f(600, 600, 1, 2);
  std::mt19937 rng(7);
  scribble(f.doc.currentLayer()->image(), f.doc.canvasRect(), rng, 0);
  f.paint(f.doc.canvasRect(), 0xFF000000u);   // 1,440,004 bytes
  const UndoRecord* big = f.history.record(0);
  ASSERT_GE(big->tempFileNumber, 0);
  EXPECT_EQ(big->memory, nullptr);
  std::filesystem::path file = f.history.tempFilePath(big->tempFileNumber);
  EXPECT_EQ(file.filename(), "0000.tmp");
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(std::filesystem::file_size(file), 600u * 600u * 4u + 4u);
  f.paint({0, 0, 10, 10}, 0xFF0000FFu);
  EXPECT_LT(f.history.record(1)->tempFileNumber, 0);
  EXPECT_NE(f.history.record(1)->memory, nullptr);
  f.paint({0, 0, 10, 10}, 0xFF00FF00u);   // the big one falls off the end
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(f.dir.fileCount(), 0);
}

TEST(UndoHistory, PayloadFallsBackToTheHeapWithoutATempFolder) {
  Fixture f(20, 20);
  f.history.setTempFolder(f.dir.path() / "missing");
  f.history.setFileThreshold(0);
  f.paint({1, 1, 4, 4}, 0xFF123456u);
  ASSERT_EQ(f.history.recordCount(), 1);
  EXPECT_LT(f.history.record(0)->tempFileNumber, 0);
  EXPECT_NE(f.history.record(0)->memory, nullptr);
  UndoRefresh refresh;
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(f.at(0, 2, 2), kTransparent);
}

TEST(UndoHistory, MissingTempFileMakesTheStepDoNothingQuietly) {
  Fixture f(20, 20);
  f.history.setFileThreshold(0);
  f.paint({0, 0, 5, 5}, 0xFF445566u);
  std::filesystem::remove(f.history.tempFilePath(f.history.record(0)->tempFileNumber));
  UndoRefresh refresh;
  EXPECT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(refresh.kind, UndoRefresh::Kind::None);
  EXPECT_EQ(f.at(0, 0, 0), 0xFF445566u);
  EXPECT_EQ(f.history.undoCount(), 0);
  // The opposite was still captured, so redo puts the same pixels back.
  EXPECT_TRUE(f.history.redo(refresh));
  EXPECT_EQ(f.at(0, 0, 0), 0xFF445566u);
}

TEST(UndoHistory, TruncatedTempFileStopsWithoutHarm) {
  Fixture f(20, 20);
  f.history.setFileThreshold(0);
  std::mt19937 rng(3);
  scribble(f.doc.currentLayer()->image(), f.doc.canvasRect(), rng, 10);
  auto before = shoot(f.doc);
  f.paint({0, 0, 20, 20}, 0xFF445566u);
  auto path = f.history.tempFilePath(f.history.record(0)->tempFileNumber);
  std::filesystem::resize_file(path, 200);
  UndoRefresh refresh;
  EXPECT_TRUE(f.history.undo(refresh));
  EXPECT_NE(shoot(f.doc), before);   // partly restored; nothing read out of bounds
}

TEST(UndoHistory, FileNumbersWrapAndSkipNumbersStillInUse) {
  Fixture f(10, 10, 1, 5);
  f.history.setFileThreshold(0);
  f.history.tempFiles().setCounter(4094);
  f.paint({0, 0, 1, 1}, 0xFF000001u);   // 4094
  f.paint({0, 0, 1, 1}, 0xFF000002u);   // 4095
  f.paint({0, 0, 1, 1}, 0xFF000003u);   // 0000
  EXPECT_EQ(f.history.record(0)->tempFileNumber, 4094);
  EXPECT_EQ(f.history.record(1)->tempFileNumber, 4095);
  EXPECT_EQ(f.history.record(2)->tempFileNumber, 0);
  EXPECT_TRUE(std::filesystem::exists(f.dir.path() / "4095.tmp"));
  f.history.tempFiles().setCounter(4095);   // as if the counter had gone round
  f.paint({0, 0, 1, 1}, 0xFF000004u);
  EXPECT_EQ(f.history.record(3)->tempFileNumber, 1);
  UndoRefresh refresh;
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(f.at(0, 0, 0), kTransparent);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(f.history.redo(refresh));
  EXPECT_EQ(f.at(0, 0, 0), 0xFF000004u);
}

TEST(UndoHistory, DestroyingTheHistoryRemovesItsFiles) {
  TempDir dir;
  Document doc;
  ASSERT_TRUE(doc.newImage(16, 16, true));
  {
    UndoHistory history(doc, dir.path());
    doc.setRecorder(&history);
    history.setFileThreshold(0);
    history.recordCurrentLayer();
    history.recordCurrentLayer();
    EXPECT_EQ(dir.fileCount(), 2);
    doc.setRecorder(nullptr);
  }
  EXPECT_EQ(dir.fileCount(), 0);
}

TEST(UndoHistory, LoweredLimitTrimsOnTheNextRecord) {
  Fixture f(6, 6);
  for (int i = 0; i < 10; ++i) f.paint({0, 0, 1, 1}, 0xFF000000u | Pixel(i));
  f.history.setUndoCnt(3);
  f.paint({0, 0, 1, 1}, 0xFF0000AAu);
  EXPECT_EQ(f.history.recordCount(), 3);
  UndoRefresh refresh;
  int undos = 0;
  while (f.history.undo(refresh)) ++undos;
  EXPECT_EQ(undos, 3);
  EXPECT_EQ(f.at(0, 0, 0), 0xFF000007u);
}

}  // namespace
}  // namespace tessel
