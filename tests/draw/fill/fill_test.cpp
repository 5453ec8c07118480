#include <gtest/gtest.h>

#include "draw/input/canvas_input_fixture.h"
#include "draw/fill/fill.h"

namespace tessel {
namespace {

struct FillRig : InputRig {
  FillRig() : InputRig(40, 20) { layer().fill(kTransparent); }
  Rect fill(int x, int y, Pixel colour, int opacity = 255, uint32_t paint = 1, FillKeys keys = {}) {
    FillRequest req{x, y, colour, opacity, paint, 0, keys};
    return fillAt(doc, engine.context(), engine.random(), req);
  }
  int count(Pixel p) {
    int n = 0;
    for (int y = 0; y < layer().height(); ++y)
      for (int x = 0; x < layer().width(); ++x) n += layer().at(x, y) == p;
    return n;
  }
};

// Same colour, other alpha: a boundary.
TEST(Fill, NormalFillComparesAllThirtyTwoBits) {
  FillRig rig;
  rig.layer().fillRect(0, 0, 20, 20, 0x80FF0000u);
  rig.layer().fillRect(20, 0, 20, 20, 0xFFFF0000u);
  const Rect r = rig.fill(3, 3, 0x0000FF);
  EXPECT_EQ(r, (Rect{0, 0, 20, 20}));
  EXPECT_EQ(rig.count(0xFF0000FFu), 400);
  EXPECT_EQ(rig.count(0xFFFF0000u), 400);
  EXPECT_EQ(rig.history->undoCount(), 1);
  UndoRefresh refresh;
  ASSERT_TRUE(rig.history->undo(refresh));
  EXPECT_EQ(rig.count(0x80FF0000u), 400);
}

TEST(Fill, NothingOutsideOrWhenTheValueIsThere) {
  FillRig rig;
  EXPECT_TRUE(rig.fill(-1, 3, 0x0000FF).empty());
  EXPECT_TRUE(rig.fill(40, 3, 0x0000FF).empty());
  rig.layer().fill(0xFF0000FFu);
  EXPECT_TRUE(rig.fill(3, 3, 0x0000FF).empty());
  EXPECT_EQ(rig.history->undoCount(), 0);
}

// The union of the reference layers' alphas bounds the region.
TEST(Fill, ReferenceLayersUniteTheirAlphas) {
  FillRig rig;
  ASSERT_TRUE(rig.doc.newLayer(false));   // the new layer is on top and current
  Layer* top = rig.doc.currentLayer();
  Layer* bottom = rig.doc.layers().atIndex(1);
  top->image().fill(kTransparent);
  top->image().fillRect(10, 0, 1, 20, 0xFF000000u);      // a wall at x = 10
  bottom->image().fillRect(0, 10, 40, 1, 0x80000000u);   // a wall at y = 10
  top->flags |= kLayerFillReference;
  bottom->flags |= kLayerFillReference;
  rig.fill(2, 2, 0x00FF00);
  EXPECT_EQ(rig.count(0xFF00FF00u), 100);   // x < 10, y < 10 on the top layer
  rig.fill(20, 15, 0x00FF00, 255, 0);   // Paint bit 0 clear: the current layer alone
  EXPECT_EQ(rig.count(0xFF00FF00u), 100 + 29 * 20);
}

// Ctrl erases by the fill opacity.
TEST(Fill, CtrlFillErasesByTheOpacity) {
  FillRig rig;
  rig.layer().fillRect(0, 0, 20, 20, 0xFF336699u);
  rig.layer().fillRect(20, 0, 20, 20, 0xC8336699u);
  rig.fill(3, 3, 0, 255, 1, {true, false, false});
  EXPECT_EQ(rig.count(kTransparent), 400);
  rig.fill(25, 3, 0, 128, 1, {true, false, false});
  EXPECT_EQ(rig.count(0x48336699u), 400);   // 200 - 128
  rig.fill(25, 3, 0, 128, 1, {true, false, false});
  EXPECT_EQ(rig.count(kTransparent), 800);   // 72 is at most 128: gone
}

// A soft vertical line 60, 120, 200, 120, 60 beside the region: the fringe
// fill runs under the rising edge and stops before the peak.
TEST(Fill, FringeFillPaintsUnderTheSoftEdge) {
  for (int opacity : {255, 120, 100}) {
    FillRig rig;
    const uint8_t profile[] = {60, 120, 200, 120, 60};
    for (int i = 0; i < 5; ++i) rig.layer().fillRect(10 + i, 0, 1, 20, Pixel(profile[i]) << 24);
    rig.fill(2, 2, 0x0000FF, opacity, 1, {false, true, false});
    const Pixel v = 0x0000FFu | Pixel(opacity) << 24;
    EXPECT_EQ(rig.layer().at(9, 5), v);
    EXPECT_EQ(rig.layer().at(10, 5), v);
    EXPECT_EQ(rig.layer().at(11, 5), opacity == 255 ? v : 120u << 24) << opacity;   // 120 is not below 120
    EXPECT_EQ(rig.layer().at(12, 5), 200u << 24);
    EXPECT_EQ(rig.layer().at(15, 5), kTransparent);
  }
}

// a + b - ab rounded, colours of the first (top) reference layer only.
TEST(Fill, ReferenceUnionRoundsEachAlphaPair) {
  FillRig rig;
  ASSERT_TRUE(rig.doc.newLayer(false));
  Layer* top = rig.doc.currentLayer();
  Layer* bottom = rig.doc.layers().atIndex(1);
  top->flags |= kLayerFillReference;
  bottom->flags |= kLayerFillReference;
  const int pairs[][3] = {{128, 129, 192}, {1, 1, 2}, {0, 77, 77}, {77, 0, 77}, {255, 9, 255}, {0, 0, 0}};
  for (int i = 0; i < 6; ++i) {
    top->image().set(i, 0, Pixel(pairs[i][0]) << 24 | 0x123456u);
    bottom->image().set(i, 0, Pixel(pairs[i][1]) << 24 | 0xABCDEFu);
  }
  Image32 ref;
  ASSERT_TRUE(ref.create(40, 20));
  buildFillReference(rig.doc, false, ref);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ref.at(i, 0), Pixel(pairs[i][2]) << 24 | 0x123456u) << i;
  // The clicked pixel already holds the value: nothing to do.
  EXPECT_TRUE(rig.fill(0, 0, 0x123456, 192).empty());
  EXPECT_FALSE(rig.fill(0, 0, 0x123456, 193).empty());
}

// Ctrl + Shift erases the connected opaque region, however faint, on both paths.
TEST(Fill, OpaqueRegionEraseTakesEveryNonZeroAlpha) {
  for (bool plain : {false, true}) {
    FillRig rig;
    rig.layer().fillRect(0, 0, 10, 20, 0xC8102030u);
    rig.layer().fillRect(10, 0, 3, 20, 0x01102030u);
    rig.layer().fillRect(14, 0, 5, 20, 0xFF102030u);   // beyond a transparent column
    FillRequest req{3, 3, 0, 255, 1, 0, {true, true, false}, plain};
    fillAt(rig.doc, rig.engine.context(), rig.engine.random(), req);
    EXPECT_EQ(rig.count(kTransparent), 40 * 20 - 5 * 20) << plain;
    EXPECT_EQ(rig.count(0xFF102030u), 100) << plain;
  }
}

// A plateau in the fringe is taken; the fall after it gives back its last pixel.
TEST(Fill, FringeWalkKeepsPlateausAndGivesBackAtAFall) {
  FillRig rig;
  const uint8_t profile[] = {60, 60, 30};
  for (int i = 0; i < 3; ++i) rig.layer().fillRect(10 + i, 0, 1, 20, Pixel(profile[i]) << 24);
  rig.fill(2, 2, 0x0000FF, 255, 1, {false, true, false});
  EXPECT_EQ(rig.layer().at(10, 5), 0xFF0000FFu);
  EXPECT_EQ(rig.layer().at(11, 5), 60u << 24);
}

// Thousands of spans pending at once: the queue grows.
TEST(Fill, ManySpansAtOnceAreAllFilled) {
  InputRig rig(4500, 5);
  Image32& img = rig.layer();
  img.fill(kTransparent);
  for (int x = 1; x < 4500; x += 2) img.fillRect(x, 1, 1, 3, 0xFF000000u);   // a comb
  FillRequest req{0, 0, 0xFF0000, 255, 1, 0, {}};
  fillAt(rig.doc, rig.engine.context(), rig.engine.random(), req);
  int filled = 0;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 4500; ++x) filled += img.at(x, y) == 0xFFFF0000u;
  EXPECT_EQ(filled, 4500 * 5 - 2250 * 3);
}

}  // namespace
}  // namespace tessel
