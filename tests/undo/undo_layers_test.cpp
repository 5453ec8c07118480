// Every layer operation undone and redone against snapshots of the document,
// with payloads on the heap and in temporary files.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "document/document.h"
#include "undo/undo_history.h"
#include "undo/undo_transforms.h"
#include "undo_test_util.h"

namespace tessel {
namespace {

using undotest::scribble;
using undotest::Shot;
using undotest::shoot;
using undotest::TempDir;

// Whole-image commands as the image menu will run them: change, then record.
void flipAll(Document& doc, bool vertical) {
  for (int i = 0; i < doc.layerCount(); ++i) {
    Image32& image = doc.layers().atIndex(i)->image();
    vertical ? mirrorTopBottom(image) : mirrorLeftRight(image);
  }
  doc.recorder().recordFlip(vertical);
}

void rotateAll(Document& doc, bool counterClockwise) {
  for (int i = 0; i < doc.layerCount(); ++i) {
    Image32 turned;
    Image32& image = doc.layers().atIndex(i)->image();
    ASSERT_TRUE(counterClockwise ? rotatedCounterClockwise(image, turned)
                                 : rotatedClockwise(image, turned));
    image = std::move(turned);
  }
  ASSERT_TRUE(doc.resizeCanvasBuffers(doc.height(), doc.width()));
  doc.recorder().recordRotation(counterClockwise);
}

// Crop to (1, 1, w - 3, h - 2), recorded before as a whole-image change.
void cropAll(Document& doc) {
  doc.recorder().recordAllLayers();
  int w = doc.width() - 3, h = doc.height() - 2;
  for (int i = 0; i < doc.layerCount(); ++i) {
    Image32 part;
    ASSERT_TRUE(part.create(w, h));
    Image32& image = doc.layers().atIndex(i)->image();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) part.set(x, y, image.at(x + 1, y + 1));
    image = std::move(part);
  }
  ASSERT_TRUE(doc.resizeCanvasBuffers(w, h));
}

void stroke(Document& doc, const Rect& r, Pixel colour) {
  doc.recorder().recordPixelRect(r);
  doc.currentLayer()->image().fillRect(r.x, r.y, r.w, r.h, colour);
}

class UndoLayers : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(doc.newImage(23, 17, true));
    for (int i = 1; i < 5; ++i) ASSERT_TRUE(doc.newLayer(false));
    std::mt19937 rng(99);
    for (int i = 0; i < doc.layerCount(); ++i) {
      Layer& l = *doc.layers().atIndex(i);
      scribble(l.image(), l.image().bounds(), rng, 30 + 10 * i);
      l.blendMode = uint8_t(i * 3);
      l.opacity = uint8_t(20 + i * 25);
      l.maskMode = uint8_t(i % 4);
      l.flags = uint8_t(1 | (i % 2) * 2);
    }
    doc.selectLayer(2);
    history.setFileThreshold(GetParam() ? 0 : kUndoFileThreshold * 64);
    doc.setRecorder(&history);
  }
  void TearDown() override { doc.setRecorder(nullptr); }

  // The operation changes the document and records one step; undo, redo and
  // both again must land exactly on the snapshots.
  void roundTrip(const std::function<void()>& op, bool currentRestored = true) {
    Shot before = shoot(doc);
    int records = history.undoCount();
    op();
    ASSERT_EQ(history.undoCount(), records + 1) << "the operation did not record one step";
    Shot after = shoot(doc);
    ASSERT_NE(before, after);
    for (int pass = 0; pass < 2; ++pass) {
      UndoRefresh refresh;
      ASSERT_TRUE(history.undo(refresh));
      Shot undone = shoot(doc);
      if (!currentRestored) undone.current = before.current;
      ASSERT_EQ(undone, before) << "undo, pass " << pass;
      ASSERT_TRUE(history.redo(refresh));
      ASSERT_EQ(shoot(doc), after) << "redo, pass " << pass;
    }
    // No file outlives its record.
    EXPECT_LE(dir.fileCount(), history.recordCount());
  }

  TempDir dir;
  Document doc;
  UndoHistory history{doc, dir.path()};
};

TEST_P(UndoLayers, Stroke) { roundTrip([&] { stroke(doc, {3, 4, 9, 6}, 0xFF102030u); }); }

TEST_P(UndoLayers, WholeCurrentLayer) {
  roundTrip([&] {
    doc.recorder().recordCurrentLayer();
    doc.currentLayer()->image().fill(kTransparent);
  });
}

TEST_P(UndoLayers, NewLayer) { roundTrip([&] { ASSERT_TRUE(doc.newLayer(false)); }); }
TEST_P(UndoLayers, CloneLayer) { roundTrip([&] { ASSERT_TRUE(doc.newLayer(true)); }); }

TEST_P(UndoLayers, MergeIntoNewLayer) {
  roundTrip([&] { ASSERT_TRUE(doc.mergeIntoNewLayer()); }, false);
}

TEST_P(UndoLayers, DeleteTopMiddleAndBottom) {
  for (int index : {0, 2, 4, 3}) {
    doc.selectLayer(std::min(index, doc.layerCount() - 1));
    roundTrip([&] { ASSERT_TRUE(doc.deleteLayer()); });
  }
}

TEST_P(UndoLayers, MoveUpAndDown) {
  roundTrip([&] { ASSERT_TRUE(doc.moveUp()); });
  roundTrip([&] { ASSERT_TRUE(doc.moveDown()); });
  doc.selectLayer(0);
  roundTrip([&] { ASSERT_TRUE(doc.moveDown()); });
  doc.selectLayer(4);
  roundTrip([&] { ASSERT_TRUE(doc.moveUp()); });
}

TEST_P(UndoLayers, MoveToEveryPlace) {
  struct Case {
    int from, to;
  };
  for (Case c : {Case{2, 0}, Case{2, 5}, Case{0, 3}, Case{4, 1}, Case{1, 4}, Case{3, -2},
                 Case{0, 9}, Case{4, 0}}) {
    doc.selectLayer(c.from);
    roundTrip([&] { ASSERT_TRUE(doc.moveTo(c.to)); });
  }
}

TEST_P(UndoLayers, MergeDown) {
  doc.layers().atIndex(3)->opacity = 64;
  roundTrip([&] { ASSERT_TRUE(doc.mergeDown()); });
  // Redo gives the merged layer full opacity, as the merge itself did.
  EXPECT_EQ(doc.currentLayer()->opacity, kFullOpacity);
  doc.selectLayer(0);
  roundTrip([&] { ASSERT_TRUE(doc.mergeDown()); });
}

TEST_P(UndoLayers, MergeVisibleWithHiddenLayersBetween) {
  // Visible: 0 and 3; hidden 1, 2 between and 4 below.
  for (int i : {1, 2, 4}) doc.layers().atIndex(i)->flags &= uint8_t(~kLayerVisible);
  roundTrip([&] { ASSERT_TRUE(doc.mergeVisible(true)); }, false);
  EXPECT_EQ(doc.layerCount(), 4);
  EXPECT_EQ(doc.currentIndex(), 2);
  EXPECT_EQ(doc.currentLayer()->blendMode, kBlendNormal);
}

TEST_P(UndoLayers, MergeVisibleOfThreeWithWhiteBackground) {
  doc.layers().atIndex(1)->flags &= uint8_t(~kLayerVisible);
  roundTrip([&] { ASSERT_TRUE(doc.mergeVisible(false)); }, false);
}

TEST_P(UndoLayers, FlipsAndRotations) {
  roundTrip([&] { flipAll(doc, false); });
  roundTrip([&] { flipAll(doc, true); });
  roundTrip([&] { rotateAll(doc, false); });
  roundTrip([&] { rotateAll(doc, true); });
}

TEST_P(UndoLayers, RotationReportsTheNewCanvasSize) {
  rotateAll(doc, false);
  UndoRefresh refresh;
  ASSERT_TRUE(history.undo(refresh));
  EXPECT_EQ(refresh.kind, UndoRefresh::Kind::CanvasSize);
  EXPECT_EQ(refresh.rect, (Rect{0, 0, 23, 17}));
  EXPECT_EQ(doc.width(), 23);
  EXPECT_EQ(doc.composite.width(), 23);
}

TEST_P(UndoLayers, AllLayersAcrossACanvasSizeChange) {
  roundTrip([&] { cropAll(doc); });
  EXPECT_EQ(doc.width(), 20);
  UndoRefresh refresh;
  ASSERT_TRUE(history.undo(refresh));
  EXPECT_EQ(refresh.kind, UndoRefresh::Kind::CanvasSize);
  EXPECT_EQ(refresh.rect, (Rect{0, 0, 23, 17}));
  EXPECT_EQ(doc.layerBackup.width(), 23);
  // All-layer payloads go to disk whatever their size.
  EXPECT_GE(history.record(history.currentPosition() + 1)->tempFileNumber, 0);
}

TEST_P(UndoLayers, AllLayersWithoutSizeChangeAsksForAFullRefresh) {
  doc.recorder().recordAllLayers();
  doc.layers().atIndex(4)->image().fill(0xFF000000u);
  UndoRefresh refresh;
  ASSERT_TRUE(history.undo(refresh));
  EXPECT_EQ(refresh.kind, UndoRefresh::Kind::Full);
  EXPECT_NE(doc.layers().atIndex(4)->image().at(0, 0), 0xFF000000u);
}

TEST_P(UndoLayers, LongMixedSequenceUndoneAndRedoneStepByStep) {
  history.setUndoCnt(200);
  doc.toggleVisible(1);   // hidden layers for merge visible to step over
  doc.toggleVisible(3);
  std::mt19937 rng(2024);
  std::vector<Shot> shots{shoot(doc)};
  std::vector<bool> keepsCurrent;
  for (int step = 0; step < 60; ++step) {
    int before = history.undoCount();
    bool current = true;
    switch (rng() % 9) {
      case 0: stroke(doc, {int(rng() % 20), int(rng() % 14), 3, 3}, 0xFF000000u | rng()); break;
      case 1: doc.newLayer(rng() % 2 == 0); break;
      case 2: doc.deleteLayer(); break;
      case 3: doc.moveUp(); break;
      case 4: doc.moveDown(); break;
      case 5: doc.moveTo(int(rng() % 7) - 1); break;
      case 6: doc.mergeDown(); break;
      case 7: current = false; doc.mergeVisible(rng() % 2 == 0); break;
      case 8: rotateAll(doc, rng() % 2 == 0); break;
    }
    if (history.undoCount() == before) continue;
    shots.push_back(shoot(doc));
    keepsCurrent.push_back(current);
  }
  ASSERT_GT(shots.size(), 30u);
  std::set<UndoKind> kinds;
  for (int i = 0; i < history.recordCount(); ++i) kinds.insert(history.record(i)->kind);
  EXPECT_GE(kinds.size(), 8u) << "the sequence should mix most kinds";
  UndoRefresh refresh;
  for (size_t i = shots.size() - 1; i > 0; --i) {
    ASSERT_TRUE(history.undo(refresh));
    Shot now = shoot(doc);
    if (!keepsCurrent[i - 1]) now.current = shots[i - 1].current;
    ASSERT_EQ(now, shots[i - 1]) << "undo back to step " << i - 1;
  }
  EXPECT_FALSE(history.undo(refresh));
  for (size_t i = 1; i < shots.size(); ++i) {
    ASSERT_TRUE(history.redo(refresh));
    ASSERT_EQ(shoot(doc), shots[i]) << "redo of step " << i;
  }
  EXPECT_FALSE(history.redo(refresh));
}

INSTANTIATE_TEST_SUITE_P(Storage, UndoLayers, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "TempFiles" : "Heap"; });

TEST(UndoTransforms, QuarterTurnsAndMirrorsMovePixelsWhereExpected) {
  // 3 x 2: a b c / d e f
  Image32 image;
  ASSERT_TRUE(image.create(3, 2));
  for (int i = 0; i < 6; ++i) image.set(i % 3, i / 3, 0xFF000000u | Pixel(i + 'a'));
  Image32 left, right;
  ASSERT_TRUE(rotatedCounterClockwise(image, left));
  ASSERT_TRUE(rotatedClockwise(image, right));
  ASSERT_EQ(left.width(), 2);
  ASSERT_EQ(left.height(), 3);
  auto letters = [](const Image32& im) {
    std::string s;
    for (int y = 0; y < im.height(); ++y)
      for (int x = 0; x < im.width(); ++x) s += char(im.at(x, y) & 0xFF);
    return s;
  };
  EXPECT_EQ(letters(left), "cfbead");    // c f / b e / a d
  EXPECT_EQ(letters(right), "daebfc");   // d a / e b / f c
  mirrorLeftRight(image);
  EXPECT_EQ(letters(image), "cbafed");
  mirrorTopBottom(image);
  EXPECT_EQ(letters(image), "fedcba");
}

}  // namespace
}  // namespace tessel
