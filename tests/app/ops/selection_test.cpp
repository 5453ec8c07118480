// The selection model and the Select menu's pixel work on a small document.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "app/models/scale_model.h"
#include "app/ops/selection_pixels.h"
#include "draw/brush/brush_engine.h"
#include "undo/undo_history.h"

namespace tessel {
namespace {

Pixel patternAt(int x, int y) { return makePixel(255, x * 10, y * 10, (x + y) & 0xFF); }

class SelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp = std::filesystem::temp_directory_path() / ("tessel-selection-" + std::to_string(::getpid()));
    std::filesystem::create_directories(temp);
    ASSERT_TRUE(doc.newImage(20, 12, true));
    history = std::make_unique<UndoHistory>(doc, temp);
    doc.setRecorder(history.get());
    for (int y = 0; y < doc.height(); ++y)
      for (int x = 0; x < doc.width(); ++x) layer().set(x, y, patternAt(x, y));
  }
  void TearDown() override {
    doc.setRecorder(nullptr);
    history.reset();
    std::error_code ignored;
    std::filesystem::remove_all(temp, ignored);
  }
  Image32& layer() { return doc.currentLayer()->image(); }
  bool unchangedSince(int fromX = 0) {
    for (int y = 0; y < doc.height(); ++y)
      for (int x = fromX; x < doc.width(); ++x)
        if (layer().at(x, y) != patternAt(x, y)) return false;
    return true;
  }
  bool undo() {
    UndoRefresh refresh;
    return history->undo(refresh);
  }

  std::filesystem::path temp;
  Document doc;
  std::unique_ptr<UndoHistory> history;
  Selection sel;
  BrushContext noMask;
};

TEST_F(SelectionTest, SetClipsAndRefusesDegenerateRectangles) {
  EXPECT_TRUE(sel.set(doc, 15, 8, 25, 30));
  EXPECT_EQ(sel.rect(), (Rect{15, 8, 5, 4}));
  EXPECT_FALSE(sel.set(doc, 3, 3, 3, 3));
  EXPECT_EQ(sel.state(), SelectionState::None);
  EXPECT_EQ(sel.get(doc), doc.canvasRect());
  EXPECT_TRUE(sel.setExact(doc, {3, 3, 1, 1}));
  EXPECT_EQ(sel.get(doc), (Rect{3, 3, 1, 1}));
}

TEST_F(SelectionTest, TilingStartsAtTheLargestAlignedPositionNotAboveZero) {
  EXPECT_EQ(tileStart(10, 4), -2);
  EXPECT_EQ(tileStart(8, 4), 0);
  ASSERT_TRUE(sel.set(doc, 10, 2, 13, 5));   // 4 x 4 at x = 10
  EXPECT_EQ(tileSelection(doc, sel, TileDirection::Across), (Rect{0, 2, 20, 4}));
  // Tiles start at -2, 2, 6, ...: column 0 shows the tile's column 2.
  EXPECT_EQ(layer().at(0, 2), patternAt(12, 2));
  EXPECT_EQ(layer().at(2, 5), patternAt(10, 5));
  EXPECT_EQ(layer().at(19, 3), patternAt(11, 3));
  EXPECT_EQ(layer().at(0, 1), patternAt(0, 1));   // rows outside stay
  ASSERT_TRUE(undo());
  EXPECT_TRUE(unchangedSince());
  sel.reset();
  EXPECT_TRUE(tileSelection(doc, sel, TileDirection::All).empty());   // whole canvas: nothing
}

TEST_F(SelectionTest, CutLeavesTransparentWhiteAndFillsTheBuffer) {
  ASSERT_TRUE(sel.set(doc, 2, 1, 5, 3));
  EXPECT_EQ(cutSelection(doc, sel), (Rect{2, 1, 4, 3}));
  EXPECT_EQ(layer().at(2, 1), kTransparent);
  EXPECT_EQ(layer().at(5, 3), kTransparent);
  EXPECT_EQ(layer().at(6, 3), patternAt(6, 3));
  ASSERT_EQ(sel.buffer().width(), 4);
  EXPECT_EQ(sel.buffer().at(3, 2), patternAt(5, 3));
  ASSERT_TRUE(undo());
  EXPECT_TRUE(unchangedSince());
}

TEST_F(SelectionTest, QuarterTurnOfATenByFourAtTheCornerIsClippedForUndo) {
  ASSERT_TRUE(doc.newImage(20, 12, true));
  history->clear();
  ASSERT_TRUE(sel.set(doc, 0, 0, 9, 3));
  EXPECT_EQ(quarterTurnRect(sel.rect()), (Rect{3, -3, 4, 10}));
  layer().set(0, 0, 0xFF112233u);   // top-left goes to the top-right of the turned block
  layer().set(9, 0, 0xFF445566u);   // top-right to the bottom-right (y' + 9 = 6)
  EXPECT_EQ(rotateSelection90(doc, sel, false), (Rect{3, 0, 4, 7}));
  ASSERT_EQ(history->recordCount(), 1);
  EXPECT_EQ(history->record(0)->rect, (Rect{3, 0, 4, 7}));
  EXPECT_EQ(layer().at(6, 6), 0xFF445566u);
  EXPECT_EQ(sel.rect(), (Rect{3, 0, 4, 7}));
  // Counter-clockwise from the same place: source (j, i) to (x' + i, y' + w - 1 - j).
  sel.reset();
  ASSERT_TRUE(doc.newImage(20, 12, true));
  ASSERT_TRUE(sel.set(doc, 0, 0, 9, 3));
  layer().set(0, 0, 0xFF112233u);
  rotateSelection90(doc, sel, true);
  EXPECT_EQ(layer().at(3, 6), 0xFF112233u);
}

TEST_F(SelectionTest, MergedPasteNeverChangesTheDestinationForTransparentSource) {
  EXPECT_EQ(sourceOver(0x80102030u, 0x00FFFFFFu), 0x80102030u);
  EXPECT_EQ(sourceOver(0x80102030u, 0x00000000u), 0x80102030u);
  // 128 over 128: o = 0.75196, alpha trunc(191.75 + 0.5); colour 125.392 / 0.75196 = 166.75.
  EXPECT_EQ(sourceOver(0x80646464u, 0x80C8C8C8u), 0xC0A7A7A7u);
  EXPECT_EQ(sourceOver(0x00FFFFFFu, 0xFF010203u), 0xFF010203u);
  Image32 buffer;
  ASSERT_TRUE(buffer.create(3, 3));
  buffer.fill(kTransparent);
  buffer.set(1, 1, 0xFF0000FFu);
  sel.takeBuffer(std::move(buffer));
  Rect changed;
  ASSERT_TRUE(sel.beginFloatingPaste(doc, 10, 6, true, changed));
  EXPECT_EQ(sel.rect(), (Rect{9, 5, 3, 3}));
  sel.commit(doc, noMask, true);
  EXPECT_EQ(layer().at(10, 6), 0xFF0000FFu);
  layer().set(10, 6, patternAt(10, 6));
  EXPECT_TRUE(unchangedSince());
}

TEST_F(SelectionTest, FloatingPasteIsClampedAndRoundTripsThroughUndo) {
  ASSERT_TRUE(sel.set(doc, 0, 0, 3, 1));
  ASSERT_TRUE(copySelection(doc, sel));
  sel.reset();
  Rect changed;
  ASSERT_TRUE(sel.beginFloatingPaste(doc, 19, 11, false, changed));
  EXPECT_EQ(sel.rect(), (Rect{16, 10, 4, 2}));   // clamped to the bottom-right corner
  EXPECT_EQ(sel.moveFloatingTo(doc, 8, 4, false), (Rect{8, 4, 12, 8}));
  EXPECT_EQ(layer().at(16, 10), patternAt(16, 10));   // the old place is restored
  EXPECT_EQ(sel.commit(doc, noMask, false), (Rect{8, 4, 4, 2}));
  EXPECT_EQ(layer().at(8, 4), patternAt(0, 0));
  EXPECT_EQ(layer().at(11, 5), patternAt(3, 1));
  EXPECT_EQ(sel.state(), SelectionState::None);
  ASSERT_TRUE(undo());
  EXPECT_TRUE(unchangedSince());
  UndoRefresh refresh;
  ASSERT_TRUE(history->redo(refresh));
  EXPECT_EQ(layer().at(11, 5), patternAt(3, 1));
}

TEST_F(SelectionTest, LiftedAndMovedSelectionRecordsBothPlaces) {
  ASSERT_TRUE(sel.set(doc, 2, 2, 4, 4));
  ASSERT_TRUE(sel.lift(doc, true));
  sel.moveFloatingTo(doc, 10, 2, false);
  EXPECT_EQ(layer().at(2, 2), kTransparent);   // the hole shows
  EXPECT_EQ(sel.commit(doc, noMask, false), (Rect{2, 2, 11, 3}));
  EXPECT_EQ(layer().at(12, 4), patternAt(4, 4));
  ASSERT_TRUE(undo());
  EXPECT_TRUE(unchangedSince());
}

TEST_F(SelectionTest, MaskedPasteKeepsAlphaInAlphaMaskMode) {
  layer().set(5, 5, kTransparent);
  doc.currentLayer()->maskMode = kMaskAlpha;
  BrushContext gate;
  gate.maskMode = kMaskAlpha;
  Image32 buffer;
  ASSERT_TRUE(buffer.create(2, 1));
  buffer.fill(0x80ABCDEFu);
  sel.takeBuffer(std::move(buffer));
  Rect changed;
  ASSERT_TRUE(sel.beginFloatingPaste(doc, 6, 5, false, changed));   // covers (5, 5) and (6, 5)
  sel.commit(doc, gate, false);
  EXPECT_EQ(layer().at(5, 5), kTransparent);
  EXPECT_EQ(layer().at(6, 5), 0xFFABCDEFu);
}

TEST_F(SelectionTest, EraseIsRefusedUnderMaskModesTwoAndThree) {
  BrushEngine engine;
  ASSERT_TRUE(sel.set(doc, 1, 1, 2, 2));
  for (uint8_t mode : {uint8_t(2), uint8_t(3)}) {
    doc.currentLayer()->maskMode = mode;
    engine.refreshContext(layer(), mode, DrawSettings{}, ToolSettings{}, nullptr);
    EXPECT_TRUE(eraseRefused(doc));
    EXPECT_TRUE(eraseSelection(doc, sel, engine).empty());
  }
  EXPECT_TRUE(unchangedSince());
  EXPECT_EQ(history->recordCount(), 0);
  doc.currentLayer()->maskMode = 0;
  engine.refreshContext(layer(), 0, DrawSettings{}, ToolSettings{}, nullptr);
  EXPECT_EQ(eraseSelection(doc, sel, engine), (Rect{1, 1, 2, 2}));
  EXPECT_EQ(layer().at(2, 2), kTransparent);
}

TEST_F(SelectionTest, FillPaintsTheDrawingColourThroughTheGate) {
  BrushEngine engine;
  layer().set(3, 3, kTransparent);
  doc.currentLayer()->maskMode = kMaskTransparent;   // only where there is paint
  engine.refreshContext(layer(), kMaskTransparent, DrawSettings{}, ToolSettings{}, nullptr);
  ASSERT_TRUE(sel.set(doc, 2, 2, 3, 3));
  fillSelection(doc, sel, engine, 0x123456);
  EXPECT_EQ(layer().at(2, 2), 0xFF123456u);
  EXPECT_EQ(layer().at(3, 3), kTransparent);
}

TEST_F(SelectionTest, ScaleDownClearsTheOldAreaAndScaleUpWritesOver) {
  ASSERT_TRUE(sel.set(doc, 2, 2, 5, 5));
  EXPECT_TRUE(scaleSelection(doc, sel, 4, 4, ScaleMethod::Nearest).empty());   // same size
  EXPECT_EQ(scaleSelection(doc, sel, 2, 2, ScaleMethod::Nearest), (Rect{2, 2, 4, 4}));
  EXPECT_EQ(layer().at(3, 3), patternAt(4, 4));
  EXPECT_EQ(layer().at(5, 5), kTransparent);
  EXPECT_EQ(sel.rect(), (Rect{2, 2, 2, 2}));
  EXPECT_EQ(scaleSelection(doc, sel, 4, 2, ScaleMethod::Nearest), (Rect{2, 2, 4, 2}));
  EXPECT_EQ(layer().at(5, 3), patternAt(4, 4));
}

// The angle rotation written out plainly from its description.
Pixel referenceRotation(const Image32& copy, int X, int Y, int cx, int cy, int f, bool smooth) {
  const int w = copy.width(), h = copy.height();
  const double t = -f * 0.017453292519943295;
  const double dx = X - cx, dy = Y - cy;
  const double sx = dx * std::cos(t) - dy * std::sin(t) + w / 2;
  const double sy = dx * std::sin(t) + dy * std::cos(t) + h / 2;
  const int ix = int(sx), iy = int(sy);
  if (ix < 0 || iy < 0 || ix >= w || iy >= h) return kTransparent;
  if (!smooth) return copy.at(ix, iy);
  const double fx = sx - ix, fy = sy - iy;
  Pixel p[2][2];
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i)
      p[i][j] = (ix + i < w && iy + j < h) ? copy.at(ix + i, iy + j) : copy.at(ix, iy);
  auto ch = [&](int i, int j, int shift) { return double((p[i][j] >> shift) & 0xFF); };
  double a = fy * ((1 - fx) * ch(0, 1, 24) + fx * ch(1, 1, 24)) +
             (1 - fy) * ((1 - fx) * ch(0, 0, 24) + fx * ch(1, 0, 24));
  int alpha = std::clamp(int(a + 0.5), 0, 255);
  if (alpha == 0) return kTransparent;
  Pixel out = Pixel(alpha) << 24;
  for (int s = 0; s < 24; s += 8) {
    double v = ((1 - fy) * ((1 - fx) * ch(0, 0, s) * ch(0, 0, 24) + fx * ch(1, 0, s) * ch(1, 0, 24)) +
                fy * ((1 - fx) * ch(0, 1, s) * ch(0, 1, 24) + fx * ch(1, 1, s) * ch(1, 1, 24))) / alpha;
    out |= Pixel(std::clamp(int(v + 0.5), 0, 255)) << s;
  }
  return out;
}

TEST_F(SelectionTest, AngleRotationMatchesThePlainFormula) {
  for (bool smooth : {false, true}) {
    for (int f : {30, -45, 90, 200}) {
      SetUp();
      layer().set(7, 5, 0x40FF0000u);   // some partial alpha
      layer().set(8, 6, kTransparent);
      ASSERT_TRUE(sel.set(doc, 5, 3, 11, 7));
      Image32 copy;
      ASSERT_TRUE(copy.create(7, 5));
      copy.blit(0, 0, 7, 5, layer(), 5, 3);
      const Rect box = rotatedBoundingBox({5, 3, 7, 5}, f);
      const Rect area = Rect{5, 3, 7, 5}.united(box).intersected(doc.canvasRect());
      EXPECT_EQ(rotateSelection(doc, sel, f, smooth), area);
      EXPECT_EQ(sel.rect(), area);
      for (int y = area.y; y < area.bottom(); ++y)
        for (int x = area.x; x < area.right(); ++x)
          ASSERT_EQ(layer().at(x, y), referenceRotation(copy, x, y, 8, 5, f, smooth))
              << "f " << f << " smooth " << smooth << " at " << x << "," << y;
      EXPECT_EQ(layer().at(0, 0), patternAt(0, 0));
    }
  }
  // The corners truncate towards zero: (9, 0) turns to 5 + trunc(2 + 4 cos 90) = 7.
  EXPECT_EQ(rotatedBoundingBox({0, 0, 10, 4}, 0), (Rect{0, 0, 10, 4}));
  // 30 degrees about (5, 2): the corners land on x 2, 9, 7, 1 and y -2, 2, 4, 1.
  EXPECT_EQ(rotatedBoundingBox({0, 0, 10, 4}, 30), (Rect{1, -2, 9, 7}));
}

TEST(ScaleModel, FieldsFollowTheEditedOneWithIntegerDivisions) {
  ScaleModel m = ScaleModel::start(640, 480, 2);
  m.editWidth(333);
  EXPECT_EQ(m.widthPercent, 52);     // 33300 / 640
  EXPECT_EQ(m.height, 249);          // 480 * 333 / 640
  EXPECT_EQ(m.heightPercent, 52);
  m.editHeightPercent(150);
  EXPECT_EQ(m.height, 720);
  EXPECT_EQ(m.width, 960);
  EXPECT_EQ(m.widthPercent, 150);
  m.keepProportions = false;
  m.editWidthPercent(33);
  EXPECT_EQ(m.width, 211);           // 33 * 640 / 100
  EXPECT_EQ(m.height, 720);
  m.editHeight(100);
  EXPECT_EQ(m.heightPercent, 20);    // 10000 / 480
  EXPECT_EQ(m.width, 211);
}

}  // namespace
}  // namespace tessel
