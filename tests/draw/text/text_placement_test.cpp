#include "draw/text/text_placement.h"

#include <gtest/gtest.h>

#include "draw/input/canvas_input_fixture.h"
#include "fake_glyphs.h"

namespace tessel {
namespace {

constexpr Pixel kInk = 0xFF123456;

// The text tool on a patterned layer, its dialog played by the test.
struct PlaceRig : InputRig {
  TextPlacement text{doc, engine, draw, tools};
  TextSettings settings;
  int opened = 0;
  std::vector<Pixel> before;

  PlaceRig() {
    for (int y = 0; y < layer().height(); ++y)
      for (int x = 0; x < layer().width(); ++x)
        *layer().pixelAddress(x, y) = (x + y) % 3 ? 0xFF808080u : kTransparent;
    before = pixels(layer());
    draw.drawCol1 = 0x123456;
    input.selectTool(kToolText);
    input.hooks.placeText = [this](Point p) { return text.place(p); };
    text.fontMaker = [](const TextSettings& s) { return std::make_unique<FakeGlyphs>(s.vertical()); };
    text.opened = [this] { ++opened; };
    settings.flags = kTextAntiAlias | kTextPreview;
  }
  bool solidA(int x, int y) {
    for (int dy = 0; dy < 3; ++dy)
      for (int dx = 0; dx < 2; ++dx)
        if (layer().getPixel(x + dx, y + dy) != kInk) return false;
    return true;
  }
  void finish(bool ok) {
    text.finish(ok);
    input.cancel();
  }
};

TEST(TextPlacement, APressOpensThePlacementWhichWaitsForTheDialog) {
  PlaceRig rig;
  rig.press(5, 5);
  EXPECT_EQ(rig.input.state(), DragState::TextPlace);
  EXPECT_EQ(rig.opened, 1);
  rig.release();
  EXPECT_EQ(rig.input.state(), DragState::TextPlace);   // waits for the dialog
  rig.finish(false);
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  EXPECT_EQ(rig.captures, rig.releases);
}

TEST(TextPlacement, WithoutPreviewTheLayerWaitsForOkWhichIsOneUndoStep) {
  PlaceRig rig;
  rig.settings.flags = kTextAntiAlias;
  rig.press(5, 5);
  rig.release();
  rig.text.preview(rig.settings, u"AA", true);
  EXPECT_EQ(rig.changedCount(rig.before, rig.layer()), 0);
  rig.finish(true);
  EXPECT_TRUE(rig.solidA(5, 6));
  EXPECT_TRUE(rig.solidA(8, 6));
  ASSERT_TRUE(rig.history->canUndo());
  UndoRefresh refresh;
  EXPECT_TRUE(rig.history->undo(refresh));
  EXPECT_EQ(rig.changedCount(rig.before, rig.layer()), 0);
  EXPECT_FALSE(rig.history->canUndo());
}

TEST(TextPlacement, PreviewFollowsNudgesAndPressesAndCancelRestoresExactly) {
  PlaceRig rig;
  rig.press(5, 5);
  rig.release();
  rig.text.preview(rig.settings, u"A", true);
  EXPECT_TRUE(rig.solidA(5, 6));
  rig.text.nudge(1, -1);
  EXPECT_TRUE(rig.solidA(6, 5));
  rig.press(20, 30);   // a press while the dialog is open moves the anchor
  rig.release();
  EXPECT_EQ(rig.opened, 1);
  EXPECT_TRUE(rig.solidA(20, 31));
  EXPECT_EQ(rig.layer().getPixel(6, 5), rig.before[size_t(5 * rig.layer().width() + 6)]);
  rig.finish(false);
  EXPECT_EQ(rig.changedCount(rig.before, rig.layer()), 0);
  EXPECT_FALSE(rig.history->canUndo());
}

TEST(TextPlacement, MasksAreIgnoredInThePreviewAndObeyedAtOk) {
  PlaceRig rig;
  rig.doc.currentLayer()->maskMode = kMaskTransparent;   // only over opaque pixels
  rig.press(5, 5);
  rig.release();
  rig.text.preview(rig.settings, u"A", true);
  EXPECT_TRUE(rig.solidA(5, 6));
  rig.finish(true);
  int w = rig.layer().width();
  for (int y = 6; y < 9; ++y)
    for (int x = 5; x < 7; ++x)
      EXPECT_EQ(rig.layer().getPixel(x, y),
                rig.before[size_t(y * w + x)] == kTransparent ? kTransparent : kInk);
}

TEST(TextPlacement, TheColourMaskProtectsItsColoursAtOk) {
  PlaceRig rig;
  rig.draw.colMaskType = kColourMaskProtect;
  rig.draw.maskCol[0] = 0x808080;
  rig.press(5, 5);
  rig.release();
  rig.text.preview(rig.settings, u"A", true);
  EXPECT_TRUE(rig.solidA(5, 6));
  rig.finish(true);
  int w = rig.layer().width();
  for (int y = 6; y < 9; ++y)
    for (int x = 5; x < 7; ++x)
      EXPECT_EQ(rig.layer().getPixel(x, y),
                rig.before[size_t(y * w + x)] == kTransparent ? kInk : 0xFF808080u);
}

TEST(TextPlacement, ALayerChangedUnderTheDialogGetsItsPixelsBackAndNoText) {
  PlaceRig rig;
  rig.press(5, 5);
  rig.release();
  rig.text.preview(rig.settings, u"A", true);
  Layer* first = rig.doc.currentLayer();
  ASSERT_TRUE(rig.doc.newLayer(false));   // a new current layer above
  rig.text.nudge(1, 0);
  EXPECT_TRUE(rig.text.finish(true).empty());
  rig.input.cancel();
  EXPECT_EQ(rig.changedCount(rig.before, first->image()), 0);
  EXPECT_EQ(rig.layer().getPixel(6, 6), kTransparent);
}

}  // namespace
}  // namespace tessel
