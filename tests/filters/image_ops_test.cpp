#include "filters/image_ops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/document.h"
#include "image/progress.h"
#include "test_images.h"

namespace tessel {
namespace {

using testing::fillRandom;
using testing::samePixels;

// Pixel value that names its own position.
Pixel tag(int x, int y) { return 0xFF000000u | uint32_t(x) << 8 | uint32_t(y); }

void fillTagged(Image32& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.set(x, y, tag(x, y));
}

TEST(ImageOps, FlipsMirrorAndRestore) {
  Image32 image, copy;
  ASSERT_TRUE(image.create(5, 4));
  ASSERT_TRUE(copy.create(5, 4));
  fillTagged(image);
  fillTagged(copy);
  flipHorizontal(image);
  EXPECT_EQ(image.at(0, 1), tag(4, 1));
  EXPECT_EQ(image.at(2, 3), tag(2, 3));
  flipHorizontal(image);
  EXPECT_TRUE(samePixels(image, copy));
  flipVertical(image);
  EXPECT_EQ(image.at(1, 0), tag(1, 3));
  EXPECT_EQ(image.at(1, 2), tag(1, 1));
  flipVertical(image);
  EXPECT_TRUE(samePixels(image, copy));
}

TEST(ImageOps, FlipsOfThinImages) {
  Image32 column, row;
  ASSERT_TRUE(column.create(1, 3));
  ASSERT_TRUE(row.create(3, 1));
  fillTagged(column);
  fillTagged(row);
  flipHorizontal(column);
  EXPECT_EQ(column.at(0, 2), tag(0, 2));
  flipVertical(row);
  EXPECT_EQ(row.at(2, 0), tag(2, 0));
  flipVertical(column);
  EXPECT_EQ(column.at(0, 0), tag(0, 2));
}

TEST(ImageOps, RotationMapsCorners) {
  Image32 src, cw, ccw;
  ASSERT_TRUE(src.create(3, 2));
  fillTagged(src);
  ASSERT_TRUE(rotate90(src, cw, false));
  ASSERT_EQ(cw.width(), 2);
  ASSERT_EQ(cw.height(), 3);
  // Clockwise: the old bottom-left corner becomes the top-left one.
  EXPECT_EQ(cw.at(0, 0), tag(0, 1));
  EXPECT_EQ(cw.at(1, 0), tag(0, 0));
  EXPECT_EQ(cw.at(0, 2), tag(2, 1));
  ASSERT_TRUE(rotate90(src, ccw, true));
  // Counter-clockwise: the old top edge becomes the left edge.
  EXPECT_EQ(ccw.at(0, 0), tag(2, 0));
  EXPECT_EQ(ccw.at(0, 2), tag(0, 0));
  EXPECT_EQ(ccw.at(1, 2), tag(0, 1));
}

TEST(ImageOps, SixteenQuarterTurnsRestore) {
  Image32 src;
  ASSERT_TRUE(src.create(133, 70));   // tiles of 64 with a ragged edge
  fillRandom(src, 3);
  for (bool ccw : {false, true}) {
    Image32 image, next;
    ASSERT_TRUE(image.create(133, 70));
    image.copyFrom(src);
    for (int i = 0; i < 16; ++i) {
      ASSERT_TRUE(rotate90(image, next, ccw, 1 + i % 2));
      image.swap(next);
      if (i % 4 == 1) {
        EXPECT_EQ(image.width(), 133);
        EXPECT_FALSE(samePixels(image, src));
      }
    }
    EXPECT_TRUE(samePixels(image, src));
  }
  Image32 a, b;
  ASSERT_TRUE(rotate90(src, a, false));
  ASSERT_TRUE(rotate90(a, b, true));
  EXPECT_TRUE(samePixels(b, src));
}

TEST(ImageOps, ThreadsGiveTheSamePixels) {
  Image32 src, one, two, flipOne, flipTwo;
  ASSERT_TRUE(src.create(301, 257));
  fillRandom(src, 9);
  for (bool ccw : {false, true}) {
    ASSERT_TRUE(rotate90(src, one, ccw, 1));
    ASSERT_TRUE(rotate90(src, two, ccw, 2));
    EXPECT_TRUE(samePixels(one, two));
  }
  ASSERT_TRUE(flipOne.create(301, 257));
  ASSERT_TRUE(flipTwo.create(301, 257));
  flipOne.copyFrom(src);
  flipTwo.copyFrom(src);
  flipHorizontal(flipOne, 1);
  flipHorizontal(flipTwo, 2);
  EXPECT_TRUE(samePixels(flipOne, flipTwo));
  EXPECT_EQ(flipTwo.at(300, 256), src.at(0, 256));
}

// Where the 3 x 3 source lands in a 6 x 5 canvas for each anchor: growth by
// the odd amount 3 puts the extra column of a centred image on the right.
TEST(ImageOps, CanvasGrowsAroundEveryAnchor) {
  Image32 src, out;
  ASSERT_TRUE(src.create(3, 3));
  fillTagged(src);
  const int offsetX[3] = {0, 1, 3}, offsetY[3] = {0, 1, 2};
  for (int k = 0; k < 9; ++k) {
    ASSERT_TRUE(resizeCanvas(src, out, 6, 5, CanvasAnchor::fromIndex(k), 0xFF00FF00u));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        int sx = x - offsetX[k % 3], sy = y - offsetY[k / 3];
        Pixel want = (sx >= 0 && sx < 3 && sy >= 0 && sy < 3) ? tag(sx, sy) : 0xFF00FF00u;
        ASSERT_EQ(out.at(x, y), want) << "anchor " << k << " at " << x << "," << y;
      }
  }
}

TEST(ImageOps, CanvasShrinksAroundEveryAnchor) {
  Image32 src, out;
  ASSERT_TRUE(src.create(7, 6));
  fillTagged(src);
  // Width 7 -> 4 drops 3 columns (centre keeps from 1), height 6 -> 5 drops 1 (centre from 0).
  const int fromX[3] = {0, 1, 3}, fromY[3] = {0, 0, 1};
  for (int k = 0; k < 9; ++k) {
    ASSERT_TRUE(resizeCanvas(src, out, 4, 5, CanvasAnchor::fromIndex(k), kTransparent));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 4; ++x) ASSERT_EQ(out.at(x, y), tag(x + fromX[k % 3], y + fromY[k / 3]));
  }
  // Wider but shorter: the kept block moves right and is cut at the top.
  ASSERT_TRUE(resizeCanvas(src, out, 9, 2, CanvasAnchor{2, 2}, kTransparent));
  EXPECT_EQ(out.at(2, 0), tag(0, 4));
  EXPECT_EQ(out.at(1, 1), kTransparent);
  EXPECT_EQ(out.at(8, 1), tag(6, 5));
}

TEST(ImageOps, CanvasFills) {
  EXPECT_EQ(canvasFillPixel(CanvasFill::Transparent, 0x123456), 0x00FFFFFFu);
  EXPECT_EQ(canvasFillPixel(CanvasFill::White, 0x123456), 0xFFFFFFFFu);
  EXPECT_EQ(canvasFillPixel(CanvasFill::Foreground, 0x77123456), 0xFF123456u);
}

TEST(ImageOps, CropCutsToTheOverlap) {
  Image32 src, out;
  ASSERT_TRUE(src.create(6, 5));
  fillTagged(src);
  ASSERT_TRUE(cropImage(src, out, {4, 3, 10, 10}));
  ASSERT_EQ(out.width(), 2);
  ASSERT_EQ(out.height(), 2);
  EXPECT_EQ(out.at(0, 0), tag(4, 3));
  EXPECT_EQ(out.at(1, 1), tag(5, 4));
  EXPECT_FALSE(cropImage(src, out, {6, 0, 3, 3}));
  EXPECT_FALSE(cropImage(src, out, {-5, 0, 5, 3}));
}

// Notes what the document told the history, with the canvas size then.
class NotingRecorder : public UndoRecorder {
 public:
  explicit NotingRecorder(const Document& doc) : doc_(doc) {}
  void recordAllLayers() override { note("all"); }
  void recordFlip(bool vertical) override { note(vertical ? "flip-v" : "flip-h"); }
  void recordRotation(bool ccw) override { note(ccw ? "turn-ccw" : "turn-cw"); }
  std::vector<std::string> calls;

 private:
  void note(const char* what) {
    calls.push_back(std::string(what) + " " + std::to_string(doc_.width()) + "x" +
                    std::to_string(doc_.height()));
  }
  const Document& doc_;
};

class CountingProgress : public Progress {
 public:
  void setRange(int n) override { range = n; }
  void step() override { ++steps; }
  int range = -1, steps = 0;
};

class DocumentOps : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(doc.newImage(8, 5, true));
    ASSERT_TRUE(doc.newLayer(false));
    ASSERT_TRUE(doc.newLayer(false));
    for (int i = 0; i < 3; ++i) fillRandom(doc.layers().atIndex(i)->image(), 40 + i);
    doc.setRecorder(&recorder);
  }
  Image32& layer(int i) { return doc.layers().atIndex(i)->image(); }
  Document doc;
  NotingRecorder recorder{doc};
  CountingProgress progress;
};

TEST_F(DocumentOps, FlipRecordsAfterwards) {
  Pixel corner = layer(2).at(0, 0);
  flipDocument(doc, false, &progress);
  EXPECT_EQ(layer(2).at(7, 0), corner);
  flipDocument(doc, true, nullptr);
  EXPECT_EQ(layer(2).at(7, 4), corner);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"flip-h 8x5", "flip-v 8x5"}));
  EXPECT_EQ(progress.range, 3);
  EXPECT_EQ(progress.steps, 3);
}

TEST_F(DocumentOps, RotationSwapsTheCanvas) {
  Pixel corner = layer(1).at(0, 0);
  ASSERT_TRUE(rotateDocument(doc, false, &progress));
  EXPECT_EQ(doc.width(), 5);
  EXPECT_EQ(doc.height(), 8);
  EXPECT_EQ(doc.composite.width(), 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(layer(i).width(), 5);
  EXPECT_EQ(layer(1).at(4, 0), corner);
  ASSERT_TRUE(rotateDocument(doc, true, nullptr));
  EXPECT_EQ(layer(1).at(0, 0), corner);
  // A clockwise turn is undone by a counter-clockwise one, and the record names that.
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"turn-cw 5x8", "turn-ccw 8x5"}));
  EXPECT_EQ(progress.steps, 3);
}

TEST_F(DocumentOps, CanvasSizeRecordsTheOldSizeFirst) {
  Pixel corner = layer(0).at(0, 0);
  ASSERT_TRUE(changeCanvasSize(doc, 11, 6, CanvasAnchor::fromIndex(8), CanvasFill::Foreground,
                               0x00ABCDEF, &progress));
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"all 8x5"}));
  EXPECT_EQ(doc.width(), 11);
  EXPECT_EQ(doc.strokeBuffer.height(), 6);
  EXPECT_EQ(layer(0).at(3, 1), corner);
  EXPECT_EQ(layer(2).at(2, 0), 0xFFABCDEFu);
  EXPECT_FALSE(changeCanvasSize(doc, 0, 6, {}, CanvasFill::White, 0, nullptr));
  EXPECT_FALSE(changeCanvasSize(doc, 4501, 6, {}, CanvasFill::White, 0, nullptr));
  EXPECT_EQ(recorder.calls.size(), 1u);
}

TEST_F(DocumentOps, ScaleStepsOncePerLayer) {
  Image32 expected;
  ASSERT_TRUE(scaleImage(layer(1), expected, 13, 3, ScaleMethod::Lanczos3));
  ASSERT_TRUE(scaleDocument(doc, 13, 3, ScaleMethod::Lanczos3, &progress));
  EXPECT_EQ(progress.range, 3);
  EXPECT_EQ(progress.steps, 3);
  EXPECT_TRUE(samePixels(layer(1), expected));
  EXPECT_EQ(doc.height(), 3);
  // The same size again changes and records nothing.
  ASSERT_TRUE(scaleDocument(doc, 13, 3, ScaleMethod::Bilinear, nullptr));
  EXPECT_TRUE(samePixels(layer(1), expected));
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"all 8x5"}));
}

TEST_F(DocumentOps, CropOfTheWholeCanvasDoesNothing) {
  EXPECT_FALSE(cropDocument(doc, {0, 0, 8, 5}, nullptr));
  EXPECT_FALSE(cropDocument(doc, {-3, -3, 20, 20}, nullptr));
  EXPECT_FALSE(cropDocument(doc, {8, 0, 2, 2}, nullptr));
  EXPECT_TRUE(recorder.calls.empty());
  Pixel inside = layer(2).at(3, 2);
  ASSERT_TRUE(cropDocument(doc, {2, 1, 4, 9}, &progress));
  EXPECT_EQ(doc.width(), 4);
  EXPECT_EQ(doc.height(), 4);
  EXPECT_EQ(layer(2).at(1, 1), inside);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"all 8x5"}));
}

}  // namespace
}  // namespace tessel
