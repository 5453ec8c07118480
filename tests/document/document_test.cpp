#include "document/document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tessel {
namespace {

// Notes every call with the layer count and current index at that moment.
struct Call {
  std::string what;
  int count;
  int current;
  std::vector<int32_t> args;
};

class FakeRecorder : public UndoRecorder {
 public:
  explicit FakeRecorder(Document& doc) : doc_(doc) {}
  std::vector<Call> calls;
  void recordLayerAdded() override { note("added"); }
  void recordLayerDeleted() override { note("deleted"); }
  void recordLayerMoved(bool down) override { note(down ? "movedDown" : "movedUp"); }
  void recordLayerMovedTo(int old) override { note("movedTo", {old}); }
  void recordLayersMerged(const std::vector<int32_t>& list) override { note("merged", list); }

 private:
  void note(const char* what, std::vector<int32_t> args = {}) {
    calls.push_back({what, doc_.layerCount(), doc_.currentIndex(), std::move(args)});
  }
  Document& doc_;
};

class CountingProgress : public Progress {
 public:
  int steps = 0;
  void setRange(int) override {}
  void step() override { ++steps; }
};

std::vector<std::string> names(const Document& doc) {
  std::vector<std::string> out;
  for (int i = 0; i < doc.layerCount(); ++i) out.push_back(doc.layers().atIndex(i)->name);
  return out;
}

// A document with n layers Layer0 (bottom) .. Layer<n-1> (top), current = top.
Document makeDoc(int n, int w = 8, int h = 6) {
  Document doc;
  EXPECT_TRUE(doc.newImage(w, h, true));
  for (int i = 1; i < n; ++i) EXPECT_TRUE(doc.newLayer(false));
  return doc;
}

TEST(DocumentLayers, NamesCountFromZeroAndCloneAdvancesTheCounter) {
  Document doc;
  ASSERT_TRUE(doc.newImage(10, 10, true));
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer0"}));
  ASSERT_TRUE(doc.newLayer(false));
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer1", "Layer0"}));
  doc.currentLayer()->image().set(2, 3, 0xFF123456);
  doc.currentLayer()->blendMode = kBlendScreen;
  doc.currentLayer()->opacity = 77;
  ASSERT_TRUE(doc.newLayer(true));
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer1", "Layer1", "Layer0"}));
  EXPECT_EQ(doc.layers().nameCounter(), 3);
  EXPECT_EQ(doc.currentIndex(), 0);
  EXPECT_EQ(doc.currentLayer()->image().at(2, 3), 0xFF123456u);
  EXPECT_EQ(doc.currentLayer()->blendMode, kBlendScreen);
  EXPECT_EQ(doc.currentLayer()->opacity, 77);
  ASSERT_TRUE(doc.newLayer(false));
  EXPECT_STREQ(doc.currentLayer()->name, "Layer3");
}

TEST(DocumentLayers, NewLayerGoesDirectlyAboveTheCurrentOneAndTakesItsIndex) {
  Document doc = makeDoc(3);
  doc.selectLayer(2);   // Layer0, the bottom
  ASSERT_TRUE(doc.newLayer(false));
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer2", "Layer1", "Layer3", "Layer0"}));
  EXPECT_EQ(doc.currentIndex(), 2);
  EXPECT_STREQ(doc.currentLayer()->name, "Layer3");
  const Layer* fresh = doc.currentLayer();
  EXPECT_EQ(fresh->image().at(0, 0), kTransparent);
  EXPECT_EQ(fresh->flags, kLayerVisible);
  EXPECT_EQ(fresh->opacity, 128);
}

TEST(DocumentLayers, TheHundredAndFirstLayerIsRefusedSilently) {
  Document doc = makeDoc(100, 2, 2);
  EXPECT_EQ(doc.layerCount(), 100);
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  EXPECT_FALSE(doc.newLayer(false));
  EXPECT_FALSE(doc.newLayer(true));
  EXPECT_EQ(doc.layerCount(), 100);
  EXPECT_TRUE(rec.calls.empty());
}

TEST(DocumentLayers, DeletingTheLastLayerIsRefusedAndRecordsNothing) {
  Document doc = makeDoc(1);
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  EXPECT_FALSE(doc.deleteLayer());
  EXPECT_EQ(doc.layerCount(), 1);
  EXPECT_TRUE(rec.calls.empty());
}

TEST(DocumentLayers, DeleteRecordsFirstAndClampsTheIndex) {
  Document doc = makeDoc(3);
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  doc.selectLayer(2);
  ASSERT_TRUE(doc.deleteLayer());
  ASSERT_EQ(rec.calls.size(), 1u);
  EXPECT_EQ(rec.calls[0].what, "deleted");
  EXPECT_EQ(rec.calls[0].count, 3);   // recorded while the layer still existed
  EXPECT_EQ(doc.currentIndex(), 1);
  EXPECT_STREQ(doc.currentLayer()->name, "Layer1");
}

TEST(DocumentLayers, AddedIsRecordedAfterTheLayerExists) {
  Document doc = makeDoc(2);
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  ASSERT_TRUE(doc.newLayer(false));
  ASSERT_EQ(rec.calls.size(), 1u);
  EXPECT_EQ(rec.calls[0].what, "added");
  EXPECT_EQ(rec.calls[0].count, 3);
  EXPECT_EQ(rec.calls[0].current, 0);
}

TEST(DocumentLayers, MoveUpAndDownSwapNeighboursAndRecordAfterwards) {
  Document doc = makeDoc(3);   // Layer2, Layer1, Layer0
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  EXPECT_FALSE(doc.moveUp());   // already at the top
  ASSERT_TRUE(doc.moveDown());
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer1", "Layer2", "Layer0"}));
  EXPECT_EQ(doc.currentIndex(), 1);
  ASSERT_TRUE(doc.moveDown());
  EXPECT_FALSE(doc.moveDown());   // at the bottom
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer1", "Layer0", "Layer2"}));
  ASSERT_TRUE(doc.moveUp());
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer1", "Layer2", "Layer0"}));
  ASSERT_EQ(rec.calls.size(), 3u);
  EXPECT_EQ(rec.calls[0].what, "movedDown");
  EXPECT_EQ(rec.calls[0].current, 1);
  EXPECT_EQ(rec.calls[2].what, "movedUp");
  EXPECT_EQ(rec.calls[2].current, 1);
}

TEST(DocumentLayers, MoveToTheEndsAndBetween) {
  Document doc = makeDoc(4);   // Layer3, Layer2, Layer1, Layer0
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  EXPECT_FALSE(doc.moveTo(0));   // top layer to the top: nothing
  ASSERT_TRUE(doc.moveTo(4));    // count: to the bottom
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer2", "Layer1", "Layer0", "Layer3"}));
  EXPECT_EQ(doc.currentIndex(), 3);
  EXPECT_FALSE(doc.moveTo(9));   // already the bottom
  ASSERT_TRUE(doc.moveTo(-2));   // below zero: to the top
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer3", "Layer2", "Layer1", "Layer0"}));
  ASSERT_TRUE(doc.moveTo(2));    // directly above the layer at index 2 (Layer1)
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer2", "Layer3", "Layer1", "Layer0"}));
  EXPECT_EQ(doc.currentIndex(), 1);
  EXPECT_FALSE(doc.moveTo(2));   // already directly above it
  doc.selectLayer(3);
  ASSERT_TRUE(doc.moveTo(1));    // upwards, above Layer3
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer2", "Layer0", "Layer3", "Layer1"}));
  EXPECT_EQ(doc.currentIndex(), 1);
  ASSERT_EQ(rec.calls.size(), 4u);
  EXPECT_EQ(rec.calls[0].args, std::vector<int32_t>({0}));
  EXPECT_EQ(rec.calls[1].args, std::vector<int32_t>({3}));
  EXPECT_EQ(rec.calls[2].args, std::vector<int32_t>({0}));
  EXPECT_EQ(rec.calls[3].args, std::vector<int32_t>({3}));
  EXPECT_EQ(rec.calls[3].current, 1);
}

TEST(DocumentLayers, OpacityPercentRoundTrips) {
  Document doc = makeDoc(1);
  doc.setOpacityPercent(50);
  EXPECT_EQ(doc.currentLayer()->opacity, 64);
  EXPECT_EQ(percentFromOpacity(64), 50);
  doc.setOpacityPercent(1);
  EXPECT_EQ(doc.currentLayer()->opacity, 1);
  EXPECT_EQ(percentFromOpacity(1), 1);
  doc.setOpacityPercent(100);
  EXPECT_EQ(doc.currentLayer()->opacity, 128);
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(percentFromOpacity(opacityFromPercent(p)), p) << p;
}

TEST(DocumentLayers, VisibilityModesAndToggles) {
  Document doc = makeDoc(3);
  doc.selectLayer(1);
  doc.setVisibility(Visibility::OnlyCurrent);
  EXPECT_EQ(doc.visibleCount(), 1);
  EXPECT_TRUE(doc.currentLayer()->visible());
  doc.setVisibility(Visibility::AllHidden);
  EXPECT_EQ(doc.visibleCount(), 0);
  doc.setVisibility(Visibility::AllVisible);
  EXPECT_EQ(doc.visibleCount(), 3);
  doc.toggleVisible(2);
  EXPECT_FALSE(doc.layers().atIndex(2)->visible());
  doc.toggleFillReference(2);
  EXPECT_EQ(doc.layers().atIndex(2)->flags, kLayerFillReference);
  doc.toggleVisible(7);   // no such layer: ignored
  EXPECT_EQ(doc.visibleCount(), 2);
}

TEST(DocumentMerge, MergeDownOfTwoMultiplyLayersBlendsAsNormalAndStaysMultiply) {
  Document doc = makeDoc(2, 4, 4);
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  Layer* lower = doc.layers().atIndex(1);
  Layer* upper = doc.layers().atIndex(0);
  lower->image().fill(0xFF808080);
  upper->image().fill(0xFF406080);
  lower->blendMode = upper->blendMode = kBlendMultiply;
  lower->opacity = 64;
  doc.selectLayer(0);
  ASSERT_TRUE(doc.mergeDown());
  EXPECT_EQ(doc.layerCount(), 1);
  EXPECT_EQ(doc.currentLayer(), lower);
  EXPECT_EQ(lower->blendMode, kBlendMultiply);
  EXPECT_EQ(lower->opacity, 128);
  EXPECT_EQ(lower->image().at(1, 1), 0xFF406080u);   // Normal: the opaque upper pixel wins
  ASSERT_EQ(rec.calls.size(), 1u);
  EXPECT_EQ(rec.calls[0].what, "merged");
  EXPECT_EQ(rec.calls[0].count, 2);
  EXPECT_EQ(rec.calls[0].args, std::vector<int32_t>({1, 0}));
  EXPECT_FALSE(doc.mergeDown());   // nothing below
}

TEST(DocumentMerge, MergeVisibleKeepsHiddenLayersInPlace) {
  Document doc = makeDoc(4, 4, 4);   // Layer3 .. Layer0
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  doc.toggleVisible(1);
  doc.toggleVisible(2);
  doc.layers().atIndex(3)->image().fill(0xFF0000FF);
  doc.layers().atIndex(0)->image().fill(0x80FF0000);
  ASSERT_TRUE(doc.mergeVisible(true));
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer2", "Layer1", "Layer0"}));
  EXPECT_EQ(doc.currentIndex(), 2);
  ASSERT_EQ(rec.calls.size(), 1u);
  EXPECT_EQ(rec.calls[0].count, 4);
  EXPECT_EQ(rec.calls[0].args, std::vector<int32_t>({3, 2}));
  // Half-transparent red over opaque blue, keeping transparency.
  Pixel p = doc.currentLayer()->image().at(0, 0);
  EXPECT_EQ(alphaOf(p), 255);
  EXPECT_EQ(redOf(p), 128);
  EXPECT_EQ(blueOf(p), 127);
}

TEST(DocumentMerge, MergeVisibleOverWhiteUsesBlendModesAndResetsAttributes) {
  Document doc = makeDoc(3, 4, 4);
  doc.layers().atIndex(2)->image().fill(0x00FFFFFF);   // transparent bottom
  doc.layers().atIndex(2)->blendMode = kBlendScreen;
  doc.layers().atIndex(2)->opacity = 20;
  doc.layers().atIndex(1)->image().fill(0xFF808080);
  doc.layers().atIndex(0)->image().fill(0xFF808080);
  doc.layers().atIndex(0)->blendMode = kBlendMultiply;
  ASSERT_TRUE(doc.mergeVisible(false));
  EXPECT_EQ(doc.layerCount(), 1);
  const Layer* merged = doc.currentLayer();
  EXPECT_EQ(merged->blendMode, kBlendNormal);
  EXPECT_EQ(merged->opacity, 128);
  // 128 * 128 / 255 = 64 for Multiply of grey over grey.
  EXPECT_EQ(merged->image().at(3, 3), 0xFF404040u);
}

// Half-covered red over half-covered black: 255 (a + b - ab) = 191.75 rounds up.
TEST(DocumentMerge, BothMergesRoundTheUnitedAlpha) {
  for (bool down : {true, false}) {
    Document doc = makeDoc(2, 4, 4);
    doc.layers().atIndex(1)->image().fill(0x80000000);
    doc.layers().atIndex(0)->image().fill(0x80FF0000);
    doc.selectLayer(0);
    ASSERT_TRUE(down ? doc.mergeDown() : doc.mergeVisible(true));
    EXPECT_EQ(doc.currentLayer()->image().at(2, 2), 0xC0AA0000u) << down;   // red 128 / 0.752
  }
}

TEST(DocumentMerge, MergeVisibleWithOneVisibleLayerDoesNothing) {
  Document doc = makeDoc(3);
  doc.setVisibility(Visibility::OnlyCurrent);
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  EXPECT_FALSE(doc.mergeVisible(true));
  EXPECT_FALSE(doc.mergeIntoNewLayer());
  EXPECT_EQ(doc.layerCount(), 3);
  EXPECT_TRUE(rec.calls.empty());
}

TEST(DocumentMerge, MergeIntoNewLayerSitsAboveTheTopVisibleLayer) {
  Document doc = makeDoc(3, 4, 4);   // Layer2, Layer1, Layer0
  FakeRecorder rec(doc);
  doc.setRecorder(&rec);
  doc.toggleVisible(0);
  doc.layers().atIndex(1)->image().fill(0xFF00FF00);
  doc.layers().atIndex(1)->blendMode = kBlendDifference;   // ignored
  doc.layers().atIndex(0)->image().fill(0xFFFF0000);         // hidden: left out
  ASSERT_TRUE(doc.mergeIntoNewLayer());
  EXPECT_EQ(names(doc), std::vector<std::string>({"Layer2", "Layer3", "Layer1", "Layer0"}));
  EXPECT_EQ(doc.currentIndex(), 1);
  EXPECT_EQ(doc.currentLayer()->image().at(0, 0), 0xFF00FF00u);
  ASSERT_EQ(rec.calls.size(), 1u);
  EXPECT_EQ(rec.calls[0].what, "added");
  EXPECT_EQ(rec.calls[0].current, 1);
}

TEST(DocumentFlatten, OneProgressStepPerLayerAndTheRightBase) {
  Document doc = makeDoc(3, 5, 5);
  doc.toggleVisible(0);
  CountingProgress progress;
  Image32 flat;
  ASSERT_TRUE(doc.flatten(flat, &progress, false));
  EXPECT_EQ(progress.steps, 3);
  EXPECT_EQ(flat.width(), 5);
  EXPECT_EQ(flat.at(4, 4), kOpaqueWhite);
  ASSERT_TRUE(doc.flatten(flat, nullptr, true));
  EXPECT_EQ(flat.at(4, 4), kTransparent);   // transparent layers over transparent black
  doc.layers().atIndex(2)->image().fill(0xFF102030);
  ASSERT_TRUE(doc.flatten(flat, nullptr, true));
  EXPECT_EQ(flat.at(0, 0), 0xFF102030u);
}

TEST(DocumentImage, NewImageRejectsBadSizesAndKeepsTheOldDocument) {
  Document doc = makeDoc(2, 30, 20);
  doc.currentLayer()->image().set(1, 1, 0xFFABCDEF);
  EXPECT_FALSE(doc.newImage(4501, 10, true));
  EXPECT_FALSE(doc.newImage(10, 0, true));
  EXPECT_EQ(doc.width(), 30);
  EXPECT_EQ(doc.layerCount(), 2);
  EXPECT_EQ(doc.currentLayer()->image().at(1, 1), 0xFFABCDEFu);
  ASSERT_TRUE(doc.newImage(4500, 1, true));
  EXPECT_EQ(doc.width(), 4500);
  EXPECT_EQ(doc.layerCount(), 1);
  EXPECT_STREQ(doc.currentLayer()->name, "Layer0");
  EXPECT_EQ(doc.composite.width(), 4500);
  EXPECT_EQ(doc.layerBackup.height(), 1);
  ASSERT_TRUE(doc.newImage(3, 3, false));
  EXPECT_EQ(doc.layerCount(), 0);
  EXPECT_EQ(doc.currentLayer(), nullptr);
}

TEST(DocumentImage, PickAndRecompositeUseTheVisibleLayers) {
  Document doc = makeDoc(1, 16, 16);
  doc.recomposite(doc.canvasRect(), true, 0xD8D8D8, 0xF8F8F8);
  EXPECT_EQ(doc.composite.at(0, 0) & 0xFFFFFF, 0xD8D8D8u);
  EXPECT_EQ(doc.composite.at(8, 0) & 0xFFFFFF, 0xF8F8F8u);
  doc.currentLayer()->image().fill(0xFF204060);
  doc.recomposite({2, 2, 3, 3}, false, 0, 0);
  // d + ((s - d) * 255 >> 8): below d the shift floors onto s itself.
  EXPECT_EQ(doc.composite.at(3, 3) & 0xFFFFFF, 0x204060u);
  EXPECT_EQ(doc.composite.at(8, 0) & 0xFFFFFF, 0xF8F8F8u);   // outside the rectangle
  EXPECT_EQ(doc.pickComposite(3, 3) & 0xFFFFFF, 0x204060u);
}

TEST(LayerNames, ConvertBetweenUtf8AndCodePage936) {
  char field[kLayerNameBytes];
  layerNameFromUtf8("图层 1", field);
  EXPECT_STREQ(field, "\xCD\xBC\xB2\xE3 1");
  EXPECT_EQ(layerNameToUtf8(field), "图层 1");
  // 16 Chinese characters are 32 bytes: only 15 whole ones fit in 31.
  layerNameFromUtf8("一二三四五六七八九十一二三四五六", field);
  EXPECT_EQ(std::strlen(field), 30u);
  // One ASCII letter first: the 16th character would straddle byte 31.
  layerNameFromUtf8("a一二三四五六七八九十一二三四五六", field);
  EXPECT_EQ(std::strlen(field), 31u);
  EXPECT_EQ(layerNameToUtf8(field), "a一二三四五六七八九十一二三四五");
  // Bytes that are not code page 936 do not lose the rest of the name.
  EXPECT_EQ(layerNameToUtf8("ab\xFF"), "ab?");
}

}  // namespace
}  // namespace tessel
