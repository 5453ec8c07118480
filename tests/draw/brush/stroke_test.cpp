#include <gtest/gtest.h>

#include <memory>

#include "document/document.h"
#include "document/layer.h"
#include "stroke_fixture.h"

namespace tessel {
namespace {

TEST(StrokeTest, ClickWithSubPixelToolDrawsNothingButHasAnUndoRectangle) {
  for (int tool : {kToolPen, kToolBrush, kToolWatercolour, kToolDodge}) {
    StrokeBench b;
    b.layer.fill(0xFF808080u);
    Image32 before;
    ASSERT_TRUE(before.create(64, 64));
    before.copyFrom(b.layer);
    b.tools.setSize(tool, 8);
    b.run(tool, {{10.3, 10.7, 1.0f}, {10.3, 10.7, 1.0f}});
    EXPECT_TRUE(sameImage(before, b.layer)) << "tool " << tool;
    // (10, 10) grown by 8 / 2 + 1 before and 8 / 2 + 2 after.
    EXPECT_EQ(b.lastUndo, (Rect{5, 5, 12, 12})) << "tool " << tool;
  }
}

TEST(StrokeTest, SmoothedPenEndsAtTheReleasePoint) {
  StrokeBench b;
  ASSERT_EQ(b.tools.env.pen & 0xFF, 4u);
  auto s = line(5.0, 5.0, 40.0, 30.0, 12);
  s.push_back({30.25, 17.5, 1.0f});
  b.run(kToolPen, s);
  EXPECT_EQ(b.last.x, 30.25);
  EXPECT_EQ(b.last.y, 17.5);
  EXPECT_NE(alphaOf(b.layer.at(30, 17)), 0);
  // Smoothing cut the turn at (40, 30).
  EXPECT_EQ(alphaOf(b.layer.at(40, 30)), 0);
}

TEST(StrokeTest, PencilAccumulatesOnlyWhenAsked) {
  // A plus-shaped path crossing at (20, 20).
  std::vector<StrokeSample> path = {{10, 20}, {30, 20}, {20, 20}, {20, 10}, {20, 30}};
  StrokeBench plain;
  plain.tools.setAlpha(kToolPencil, 128);
  plain.run(kToolPencil, path);
  EXPECT_EQ(plain.layer.at(20, 20), 0x80000000u);
  EXPECT_EQ(plain.layer.at(25, 20), 0x80000000u);
  StrokeBench acc;
  acc.tools.setAlpha(kToolPencil, 128);
  acc.tools.env.pencil = kPencilAccumulate;
  acc.run(kToolPencil, path);
  // Over itself: 255 * (s + s - s * s) with s = 128 / 255; the start point (20, 20)
  // is drawn once more by the vertical pass.
  EXPECT_EQ(acc.layer.at(25, 20), 0xC0000000u);
  EXPECT_EQ(acc.layer.at(20, 15), 0xC0000000u);
  EXPECT_EQ(acc.layer.at(15, 20), 0x80000000u);
  EXPECT_GT(alphaOf(acc.layer.at(20, 20)), 0xC0);
}

TEST(StrokeTest, PenNeverDarkensWhereItCrossesItself) {
  StrokeBench b;
  b.tools.setAlpha(kToolPen, 128);
  b.tools.setSize(kToolPen, 6);
  b.tools.env.pen = 0x2000;   // anti-aliased, no smoothing, no pressure
  std::vector<StrokeSample> path = {{10, 32}, {54, 32}, {32, 32}, {32, 10}, {32, 54}, {32, 54}};
  b.run(kToolPen, path);
  int maxAlpha = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) maxAlpha = std::max(maxAlpha, int(alphaOf(b.layer.at(x, y))));
  EXPECT_EQ(maxAlpha, 128);
  EXPECT_EQ(b.layer.at(32, 32), 0x80000000u);
}

TEST(StrokeTest, ErasersChangeNothingUnderTheAlphaMask) {
  for (int tool : {kToolEraseHard, kToolErasePen, kToolEraseBrush}) {
    StrokeBench b;
    b.layer.fill(0xC0336699u);
    b.tools.setSize(tool, 9);
    b.maskMode = kMaskAlpha;
    b.run(tool, line(5, 5, 50, 40, 10));
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) ASSERT_EQ(b.layer.at(x, y), 0xC0336699u) << "tool " << tool;
    // Without the mask the same stroke does erase.
    StrokeBench c;
    c.layer.fill(0xC0336699u);
    c.tools.setSize(tool, 9);
    c.tools.setAlpha(tool, 255);
    c.run(tool, line(5, 5, 50, 40, 10));
    EXPECT_LT(alphaOf(c.layer.at(27, 22)), 0x10) << "tool " << tool;
  }
}

TEST(StrokeTest, DodgeAndBurnAtFullOpacityReachWhiteAndBlack) {
  for (int tool : {kToolDodge, kToolBurn}) {
    StrokeBench b;
    b.layer.fill(0xC8808080u);
    b.tools.setAlpha(tool, 255);
    b.tools.setSize(tool, 20);
    b.run(tool, line(5, 32, 60, 32, 11));
    Pixel want = tool == kToolDodge ? 0xC8FFFFFFu : 0xC8000000u;
    for (int x = 12; x < 54; ++x) EXPECT_EQ(b.layer.at(x, 32), want) << "tool " << tool << " x " << x;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) ASSERT_EQ(alphaOf(b.layer.at(x, y)), 0xC8);
  }
}

TEST(StrokeTest, AirbrushSpraysASixteenthAndIsRepeatable) {
  auto spray = [](uint32_t seed) {
    auto b = std::make_unique<StrokeBench>(64, 64, seed);
    b->tools.setSize(kToolAirbrush, 40);
    b->tools.setAlpha(kToolAirbrush, 200);
    b->tools.env.splay = 0x6464;   // no pressure fall-off
    b->run(kToolAirbrush, {{32, 32}, {32.5, 32}, {32.5, 32}});
    return b;
  };
  auto pa = spray(99), pagain = spray(99), pother = spray(100);
  StrokeBench &a = *pa, &again = *pagain, &other = *pother;
  EXPECT_TRUE(sameImage(a.layer, again.layer));
  EXPECT_FALSE(sameImage(a.layer, other.layer));
  int hit = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      Pixel p = a.layer.at(x, y);
      if (p == kTransparent) continue;
      ++hit;
      EXPECT_LE(alphaOf(p), 200);
      EXPECT_EQ(p & 0xFFFFFFu, 0u);
    }
  // One dab of a 40-pixel disc covers about 1257 pixels; a sixteenth is about 79.
  EXPECT_GT(hit, 45);
  EXPECT_LT(hit, 120);
}

TEST(StrokeTest, SprayNeverLowersWhatItSprayed) {
  BrushEngine e;
  ASSERT_TRUE(e.init(5u));
  Image32 img;
  ASSERT_TRUE(img.create(8, 8));
  img.fill(kTransparent);
  std::vector<int> best(64, 0);
  for (int round = 0; round < 200; ++round)
    for (int i = 0; i < 64; ++i) {
      e.applyPixelOp(kPixelSpray, img, i % 8, i / 8, 0xFF000000u);
      int a = alphaOf(img.at(i % 8, i / 8));
      ASSERT_GE(a, best[i]);
      best[i] = a;
    }
}

TEST(StrokeTest, BlurSpacingFollowsOpacity) {
  BrushEngine e;
  ASSERT_TRUE(e.init(1u));
  ToolSettings t;
  t.alpha[kToolBlur] = 255;
  e.setupTool(kToolBlur, false, t, 0);
  EXPECT_DOUBLE_EQ(e.context().spacing, 0.01);
  t.alpha[kToolBlur] = 0;
  e.setupTool(kToolBlur, false, t, 0);
  EXPECT_DOUBLE_EQ(e.context().spacing, 1.01);
  t.alpha[kToolBlur] = 128;
  e.setupTool(kToolBlur, false, t, 0);
  EXPECT_DOUBLE_EQ(e.context().spacing, 127.0 / 255.0 + 0.01);
  EXPECT_EQ(e.context().pixelOp, kPixelBlur);
  EXPECT_EQ(e.context().minSize, e.context().maxSize);
}

TEST(StrokeTest, ToolSetUpReadsOptionWords) {
  BrushEngine e;
  ASSERT_TRUE(e.init(1u));
  ToolSettings t;
  e.setupTool(kToolPen, false, t, 0x123456);
  const BrushContext& c = e.context();
  EXPECT_EQ(c.minSize, 0);            // 0x8000: pressure changes size
  EXPECT_EQ(c.minOpacity, 255);       // no 0x4000
  EXPECT_EQ(c.smoothing, 4);
  EXPECT_EQ(c.antiAlias, 1);
  EXPECT_EQ(c.curve, 0);
  EXPECT_EQ(c.colour, 0x123456u);
  EXPECT_EQ(e.stampKind, StampKind::Shape);
  t.env.pen = 0x50FF;                  // opacity bit, curve, smoothing 255
  e.setupTool(kToolPen, false, t, 0);
  EXPECT_EQ(c.minSize, 8);
  EXPECT_EQ(c.minOpacity, 0);
  EXPECT_EQ(c.smoothing, 63);          // what the ring can hold
  EXPECT_EQ(c.antiAlias, 0);
  EXPECT_EQ(c.curve, 1);
  // Brush 0x3C00: 60 % of 30 at zero pressure, opacity percent 0.
  e.setupTool(kToolBrush, false, t, 0);
  EXPECT_EQ(c.minSize, 18);
  EXPECT_EQ(c.minOpacity, 0);
  EXPECT_DOUBLE_EQ(c.spacing, 0.15);
  // Water 0x11400: size 20 %, opacity 0 %, amount B.
  e.setupTool(kToolWatercolour, false, t, 0);
  EXPECT_EQ(c.minSize, 6);
  EXPECT_EQ(c.minOpacity, 0);
  EXPECT_EQ(c.pixelOp, kPixelOverKeepAlpha);
  EXPECT_DOUBLE_EQ(c.pickUpRate, double(0.6f));
  EXPECT_DOUBLE_EQ(c.refillRate, double(0.15f));
  t.env.water = 0xFF3232;              // out-of-range amount uses D
  e.setupTool(kToolWatercolour, false, t, 0);
  EXPECT_EQ(c.minSize, 15);
  EXPECT_EQ(c.minOpacity, 50);
  EXPECT_DOUBLE_EQ(c.refillRate, double(0.03f));
  e.setupTool(kToolPencil, false, t, 0);
  EXPECT_EQ(e.stampOp, kPixelReplace);
  t.env.pencil = kPencilAccumulate;
  e.setupTool(kToolPencil, false, t, 0);
  EXPECT_EQ(e.stampOp, kPixelOver);
  e.setupTool(kToolPencil, true, t, 0);   // filled shapes replace
  EXPECT_EQ(e.stampOp, kPixelReplace);
  e.setupTool(kToolEraseBrush, false, t, 0);
  EXPECT_TRUE(e.eraser);
  e.setupTool(kToolFinger, false, t, 0);
  EXPECT_EQ(e.stampKind, StampKind::Smudge);
  EXPECT_FALSE(e.eraser);
  e.setupTool(kToolAirbrush, false, t, 0);
  EXPECT_EQ(e.stampOp, kPixelSpray);
  EXPECT_EQ(c.pixelOp, kPixelSpray);
}

// A stored percentage above 100 counts as 100: the zero-pressure opacity
// stays within 255 instead of wrapping (200 % of 200 would land on 144), and
// the zero-pressure size within the tool size.
TEST(StrokeTest, ZeroPressurePercentagesAboveAHundredCountAsAHundred) {
  BrushEngine e;
  ASSERT_TRUE(e.init(1u));
  ToolSettings t;
  t.env.brush = 0xFFFF;
  t.setAlpha(kToolBrush, 200);
  e.setupTool(kToolBrush, false, t, 0);
  EXPECT_EQ(e.context().minSize, 30);
  EXPECT_EQ(e.context().minOpacity, 200);
  EXPECT_EQ(decodePercent(0xFFFF).minOpacity, 255);   // the stored byte itself is kept

  for (bool fast : {true, false}) {
    StrokeBench b;
    b.engine.setFastPath(fast);
    b.tools.env.pen2 = 0x64C8;   // size 100 %, opacity 200 %
    b.tools.setSize(kToolPen2, 10);
    b.tools.setAlpha(kToolPen2, 200);
    // One dab at pressure 0, centred on pixel (32, 32).
    b.run(kToolPen2, {{32.0, 32.0, 0.0f}, {32.5, 32.0, 0.0f}, {32.5, 32.0, 0.0f}});
    EXPECT_EQ(alphaOf(b.buffer.at(32, 32)), 200u) << "fast " << fast;
    EXPECT_EQ(alphaOf(b.layer.at(32, 32)), 200u) << "fast " << fast;
  }
}


struct RectRecorder : UndoRecorder {
  std::vector<Rect> rects;
  const Image32* source = nullptr;
  void recordPixelRectOf(const Image32& img, const Rect& r) override {
    source = &img;
    rects.push_back(r);
  }
};

TEST(StrokeTest, DrivenThroughTheDocument) {
  Document doc;
  ASSERT_TRUE(doc.newImage(40, 30, true));
  RectRecorder recorder;
  doc.setRecorder(&recorder);
  BrushEngine engine;
  ASSERT_TRUE(engine.init());
  ToolSettings tools;
  DrawSettings draw;
  draw.toolNo = kToolPen;
  Layer& layer = *doc.currentLayer();
  engine.refreshContext(layer.image(), layer.maskMode, draw, tools, nullptr);
  Stroke stroke(engine);
  Rect changed;
  ASSERT_TRUE(stroke.begin(strokeTargetOf(doc), kToolPen, tools, {5, 5}, changed));
  EXPECT_TRUE(changed.empty());
  EXPECT_FALSE(stroke.move({20, 15}).empty());
  Stroke::End e = stroke.end({20, 15});
  if (!e.undo.empty()) doc.recorder().recordPixelRectOf(doc.layerBackup, e.undo);
  ASSERT_EQ(recorder.rects.size(), 1u);
  EXPECT_EQ(recorder.source, &doc.layerBackup);
  EXPECT_EQ(recorder.rects[0], e.undo);
  EXPECT_EQ(doc.layerBackup.at(10, 8), kTransparent);   // the layer as it was
  EXPECT_NE(alphaOf(layer.image().at(10, 8)), 0);
  EXPECT_EQ(doc.currentLayer()->image().bounds().intersected(e.undo), e.undo);
}

// On a big layer a stroke copies only the bands of rows it reaches, whether it
// draws in the stroke buffer, tests a mask against the backup under its dabs,
// or writes the layer itself (dodge, finger); it clears the stroke buffer
// only in the pieces of those bands along its path.
TEST(StrokeTest, BackupTakesOnlyTheBandsAStrokeChanges) {
  Document doc;
  ASSERT_TRUE(doc.newImage(600, 1000, true));
  BrushEngine engine;
  ASSERT_TRUE(engine.init());
  ToolSettings tools;
  DrawSettings draw;
  draw.toolNo = kToolPen;
  tools.setSize(kToolPen, 8);
  Image32& image = doc.currentLayer()->image();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.set(x, y, makePixel(200, uint32_t(x + y) & 0xFF, 9, uint32_t(y) & 0xFF));
  Image32 before;
  ASSERT_TRUE(before.create(600, 1000));
  auto strokeAcross = [&](double y, uint32_t maskMode, int tool = kToolPen) {
    before.copyFrom(image);
    draw.toolNo = tool;
    tools.setSize(tool, 8);
    engine.refreshContext(image, maskMode, draw, tools, nullptr);
    Stroke stroke(engine);
    Rect changed;
    EXPECT_TRUE(stroke.begin(strokeTargetOf(doc), tool, tools, {20, y}, changed));
    stroke.move({300, y + 1});
    Stroke::End e = stroke.end({580, y});
    EXPECT_FALSE(e.undo.empty());
    for (int yy = e.undo.y; yy < e.undo.y + e.undo.h; ++yy)
      for (int x = e.undo.x; x < e.undo.x + e.undo.w; ++x)
        if (doc.layerBackup.at(x, yy) != before.at(x, yy)) return ADD_FAILURE() << x << ", " << yy;
  };
  strokeAcross(130.0, kMaskNone);   // rows near 130: the band of rows 128..191, and 64..127
  EXPECT_EQ(doc.backupBands.bandsCopied(), 2);
  EXPECT_EQ(doc.strokeBands.bandsCopied(), 2);   // the stroke buffer is cleared alike
  strokeAcross(800.0, kMaskNone);   // the earlier bands are given back, the new one taken
  EXPECT_EQ(doc.backupBands.bandsCopied(), 1);
  EXPECT_EQ(doc.strokeBands.bandsCopied(), 1);
  strokeAcross(500.0, kMaskTransparent);   // the mask reads the backup under each dab
  EXPECT_EQ(doc.backupBands.bandsCopied(), 1);
  EXPECT_EQ(doc.strokeBands.bandsCopied(), 1);
  strokeAcross(670.0, kMaskNone, kToolDodge);   // rows 665..675: band 10
  EXPECT_EQ(doc.backupBands.bandsCopied(), 1);
  strokeAcross(60.0, kMaskNone, kToolFinger);   // rows 55..65: bands 0 and 1
  EXPECT_EQ(doc.backupBands.bandsCopied(), 2);

  // Down the middle: every band, and of the stroke buffer only the piece of
  // columns 256..511 in each.
  draw.toolNo = kToolPen;
  engine.refreshContext(image, kMaskNone, draw, tools, nullptr);
  Stroke down(engine);
  Rect changed;
  ASSERT_TRUE(down.begin(strokeTargetOf(doc), kToolPen, tools, {300, 10}, changed));
  down.move({302, 500});
  down.end({300, 990});
  EXPECT_EQ(doc.strokeBands.bandsCopied(), 16);
  EXPECT_EQ(doc.strokeBands.piecesDone(), 16);
}

}  // namespace
}  // namespace tessel
