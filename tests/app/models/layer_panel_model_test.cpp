// The layer list drawn and driven without a window.
#include <gtest/gtest.h>

#include "app/models/layer_panel_model.h"
#include "document/document.h"

namespace tessel {
namespace {

using namespace layer_row;

// Records the texts a row asks for; every text is 6 pixels per byte wide.
class NotingText : public RowTextPainter {
 public:
  struct Call {
    Rect box;
    std::string text;
    uint32_t colour;
    bool small;
  };
  std::vector<Call> calls;
  int textWidth(const std::string& s) override { return int(s.size()) * 6; }
  void drawText(Image24&, const Rect& box, const std::string& s, uint32_t colour, bool small) override {
    calls.push_back({box, s, colour, small});
  }
};

class MoveCounter : public UndoRecorder {
 public:
  std::vector<int> movedTo;
  void recordLayerMovedTo(int oldIndex) override { movedTo.push_back(oldIndex); }
};

// Layers named T<n> so that a row's layer can be told from its name; index 0 is T<count-1>.
void makeStack(Document& doc, int count, int width = 300, int height = 300) {
  ASSERT_TRUE(doc.newImage(width, height, true));
  doc.layers().atIndex(0)->setNameBytes("T0");
  for (int i = 1; i < count; ++i) {
    doc.selectLayer(0);
    ASSERT_TRUE(doc.newLayer(false));
    doc.currentLayer()->setNameBytes(("T" + std::to_string(i)).c_str());
  }
  doc.selectLayer(0);
}

std::string topName(Document& doc, int index) { return doc.layers().atIndex(index)->name; }

TEST(LayerRows, CurrentAndOtherRowPixels) {
  Document doc;
  makeStack(doc, 2);
  doc.layers().atIndex(1)->image().fill(0xFFFF0000);   // opaque red, lower layer
  doc.toggleVisible(1);
  doc.toggleFillReference(0);
  doc.setOpacityPercent(50);
  doc.setBlendMode(kBlendMultiply);
  Image24 img;
  ASSERT_TRUE(img.create(200, 2 * kHeight));
  NotingText text;
  drawLayerRow(img, 0, doc, 0, &text);
  drawLayerRow(img, kHeight, doc, 1, &text);
  for (int r = 0; r < 2; ++r) {
    const int y = r * kHeight;
    EXPECT_EQ(img.getPixel(0, y + 5), 0x000000u);
    EXPECT_EQ(img.getPixel(199, y + 34), 0x000000u);
    EXPECT_EQ(img.getPixel(120, y), 0x000000u);
    EXPECT_EQ(img.getPixel(120, y + 10), r == 0 ? kCurrentBack : kBack);
    EXPECT_EQ(img.getPixel(37, y + 1), r == 0 ? kCurrentBack : kBack);
    // Visibility box: frame, white inside.
    EXPECT_EQ(img.getPixel(40, y + 19), 0x000000u);
    EXPECT_EQ(img.getPixel(52, y + 31), 0x000000u);
    EXPECT_EQ(img.getPixel(41, y + 20), r == 0 ? 0xFFFFFFu : 0x000000u);   // the cross starts in the corner
    // A 300 x 300 canvas gives a 29 x 29 picture at (4, 3) with its frame at (3, 2).
    EXPECT_EQ(img.getPixel(3, y + 2), 0x000000u);
    EXPECT_EQ(img.getPixel(33, y + 32), 0x000000u);
  }
  // Row 0: visible (9 x 9 mark), fill reference set, transparent picture on the checkerboard.
  EXPECT_EQ(img.getPixel(42, 21), kVisibleMark);
  EXPECT_EQ(img.getPixel(50, 29), kVisibleMark);
  EXPECT_EQ(img.getPixel(41, 20), 0xFFFFFFu);
  EXPECT_EQ(img.getPixel(56, 20), kFillSet);
  EXPECT_EQ(img.getPixel(4, 3), kChecker0);
  EXPECT_EQ(img.getPixel(9, 3), kChecker1);
  EXPECT_EQ(img.getPixel(9, 8), kChecker0);
  // Row 1: hidden (black cross corner to corner), fill box white with a grey glyph,
  // the red picture over the checkerboard: the mix weighs out of 255, so 255
  // comes out as 253 (alpha too), and 200 + (253 * 53 >> 8) = 252,
  // 200 + (253 * -200 >> 8) = 2; the same from 232.
  EXPECT_EQ(img.getPixel(41, kHeight + 20), 0x000000u);
  EXPECT_EQ(img.getPixel(46, kHeight + 25), 0x000000u);
  EXPECT_EQ(img.getPixel(51, kHeight + 30), 0x000000u);
  EXPECT_EQ(img.getPixel(44, kHeight + 21), 0xFFFFFFu);
  EXPECT_EQ(img.getPixel(56, kHeight + 20), 0xFFFFFFu);
  EXPECT_EQ(img.getPixel(61, kHeight + 21), kGlyphClear);
  EXPECT_EQ(img.getPixel(4, kHeight + 3), 0xFC0202u);
  EXPECT_EQ(img.getPixel(32, kHeight + 31), 0xFC0202u);
  // Texts: name, opacity and mode of each row.
  ASSERT_EQ(text.calls.size(), 6u);
  EXPECT_EQ(text.calls[0].text, "T1");
  EXPECT_EQ(text.calls[0].colour, kCurrentName);
  EXPECT_EQ(text.calls[0].box, (Rect{40, 3, 158, 13}));
  EXPECT_EQ(text.calls[1].text, "50%");
  EXPECT_EQ(text.calls[1].colour, kOpacityText);
  EXPECT_EQ(text.calls[2].text, "正片叠底");
  EXPECT_EQ(text.calls[3].colour, 0x000000u);
  EXPECT_EQ(text.calls[4].text, "100%");
  EXPECT_EQ(text.calls[5].text, "正常");
}

TEST(LayerRows, LongNamesTakeTheSmallFontAndThumbnailsKeepTheAspect) {
  Document doc;
  makeStack(doc, 1, 4500, 100);
  doc.currentLayer()->setNameBytes("0123456789012345678901234567890");
  Image24 img;
  ASSERT_TRUE(img.create(200, kHeight));
  NotingText text;
  drawLayerRow(img, 0, doc, 0, &text);
  EXPECT_TRUE(text.calls[0].small);
  EXPECT_EQ(text.calls[0].box, (Rect{40, 1, 158, 17}));
  EXPECT_EQ(thumbnailRect(4500, 100), (Rect{2, 17, 33, 1}));
  EXPECT_EQ(thumbnailRect(100, 4500), (Rect{18, 3, 1, 29}));
  EXPECT_EQ(thumbnailRect(300, 300), (Rect{4, 3, 29, 29}));
}

TEST(LayerPanelModel, BoxClicksLeaveTheCurrentLayer) {
  Document doc;
  makeStack(doc, 3);
  LayerPanelModel m(doc);
  m.setSize(200, 200);
  EXPECT_EQ(m.press(45, kHeight + 20, false), LayerPanelModel::Press::ToggledVisible);
  EXPECT_FALSE(doc.layers().atIndex(1)->visible());
  EXPECT_EQ(doc.currentIndex(), 0);
  EXPECT_EQ(m.drag(), LayerPanelModel::Drag::Idle);
  EXPECT_EQ(m.buffer.getPixel(46, kHeight + 25), 0x000000u);   // the row shows the cross
  EXPECT_EQ(m.press(67, 2 * kHeight + 31, false), LayerPanelModel::Press::ToggledFill);
  EXPECT_TRUE(doc.layers().atIndex(2)->fillReference());
  EXPECT_EQ(doc.currentIndex(), 0);
  // Beside the boxes the row is selected; Ctrl shows only that layer.
  EXPECT_EQ(m.press(53, kHeight + 20, true), LayerPanelModel::Press::Selected);
  EXPECT_EQ(doc.currentIndex(), 1);
  EXPECT_EQ(doc.visibleCount(), 1);
  EXPECT_TRUE(doc.currentLayer()->visible());
  EXPECT_EQ(m.buffer.getPixel(120, kHeight + 10), kCurrentBack);
  EXPECT_EQ(m.buffer.getPixel(120, 10), kBack);
  EXPECT_FALSE(m.release());
  EXPECT_EQ(m.press(100, 150, false), LayerPanelModel::Press::None);   // below the rows
  EXPECT_EQ(m.buffer.getPixel(100, 150), kBelowRows);
}

TEST(LayerPanelModel, DragMovesWithTheMarkerAndSmallDragsDoNothing) {
  Document doc;
  makeStack(doc, 4);
  MoveCounter rec;
  doc.setRecorder(&rec);
  LayerPanelModel m(doc);
  m.setSize(200, 200);
  const uint32_t under = m.buffer.getPixel(100, 70);
  // Less than half a row from the middle of the row: no move starts.
  ASSERT_EQ(m.press(150, 17, false), LayerPanelModel::Press::Selected);
  EXPECT_FALSE(m.move(150, 34));
  EXPECT_EQ(m.drag(), LayerPanelModel::Drag::Down);
  EXPECT_FALSE(m.release());
  EXPECT_EQ(topName(doc, 0), "T3");
  // Into the next row: +17 bias, one more below the current layer: target 2.
  ASSERT_EQ(m.press(150, 17, false), LayerPanelModel::Press::Selected);
  EXPECT_TRUE(m.move(150, 40));
  EXPECT_EQ(m.drag(), LayerPanelModel::Drag::Moving);
  EXPECT_EQ(m.target(), 2);
  EXPECT_EQ(m.markerY(), 70);
  EXPECT_EQ(m.buffer.getPixel(100, 70), kMarker);
  EXPECT_EQ(m.buffer.getPixel(100, 71), kMarker);
  // Back onto its own row: the marker moves, the saved pixels come back.
  EXPECT_TRUE(m.move(150, 20));
  EXPECT_EQ(m.target(), 0);
  EXPECT_EQ(m.buffer.getPixel(100, 70), under);
  EXPECT_FALSE(m.release());   // its own place: nothing moves, nothing is recorded
  EXPECT_TRUE(rec.movedTo.empty());
  EXPECT_EQ(m.markerY(), -1);
  // A real drop.
  ASSERT_EQ(m.press(150, 17, false), LayerPanelModel::Press::Selected);
  m.move(150, 40);
  EXPECT_TRUE(m.release());
  EXPECT_EQ(topName(doc, 0), "T2");
  EXPECT_EQ(topName(doc, 1), "T3");
  EXPECT_EQ(doc.currentIndex(), 1);
  EXPECT_EQ(rec.movedTo, std::vector<int>{0});
  EXPECT_EQ(m.buffer.getPixel(120, kHeight + 10), kCurrentBack);
  // Upwards: -17 bias from above the row, clamped at the top.
  ASSERT_EQ(m.press(150, kHeight + 17, false), LayerPanelModel::Press::Selected);
  m.move(150, -100);
  EXPECT_EQ(m.target(), 0);
  EXPECT_EQ(m.markerY(), 0);
  EXPECT_TRUE(m.release());
  EXPECT_EQ(topName(doc, 0), "T3");
  doc.setRecorder(nullptr);
}

TEST(LayerPanelModel, HundredLayersScrollAndTheBufferNeverShrinks) {
  Document doc;
  makeStack(doc, 100, 20, 20);
  NotingText text;
  LayerPanelModel m(doc);
  m.text = &text;
  m.setSize(200, 100);
  EXPECT_EQ(m.buffer.height(), 3 * kHeight);
  EXPECT_EQ(m.maxFirst(), 98);
  text.calls.clear();
  m.setFirst(50);
  EXPECT_EQ(m.first(), 50);
  ASSERT_FALSE(text.calls.empty());
  EXPECT_EQ(text.calls[0].text, "T49");   // index 50 of 100
  EXPECT_EQ(m.layerAt(kHeight + 1), 51);
  m.setFirst(1000);
  EXPECT_EQ(m.first(), 98);
  m.setSize(200, 400);
  EXPECT_EQ(m.buffer.height(), 12 * kHeight);
  EXPECT_EQ(m.first(), 89);   // eleven whole rows show the rest
  m.setSize(200, 100);
  EXPECT_EQ(m.buffer.height(), 12 * kHeight);
  m.setFirst(98);
  EXPECT_EQ(m.buffer.getPixel(100, 2 * kHeight + 5), kBelowRows);   // after the last layer
}

}  // namespace
}  // namespace tessel
