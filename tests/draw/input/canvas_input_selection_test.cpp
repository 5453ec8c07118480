// The selection tool on the canvas: the frame on screen, the handles, and
// drawing out, moving and resizing a rectangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "canvas_input_fixture.h"
#include "draw/input/canvas_input_outline.h"

namespace tessel {
namespace {

using PointSet = std::set<std::pair<int, int>>;

PointSet asSet(const std::vector<Point>& pts) {
  PointSet s;
  for (Point p : pts) s.insert({p.x, p.y});
  return s;
}

Pixel patternAt(int x, int y) { return makePixel(255, x * 5, y * 7, 90); }

struct SelectRig : InputRig {
  SelectRig(int w = 80, int h = 60) : InputRig(w, h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) layer().set(x, y, patternAt(x, y));
    view.refreshAll();
    input.selectTool(kToolSelection);
  }
  // Pointer at the middle of image pixel (x, y).
  void dragPixels(int x0, int y0, int x1, int y1) { drag(x0 + 0.5, y0 + 0.5, x1 + 0.5, y1 + 0.5, 4); }
  Rect client() const { return {0, 0, view.clientWidth(), view.clientHeight()}; }
};

TEST(SelectionOutline, ThicknessAndTheRightEdgeFollowTheZoom) {
  SelectRig rig(40, 30);
  const Rect r{2, 3, 4, 5};
  for (auto [zoom, thickness, outer] : {std::tuple{50, 1, false}, {100, 1, false}, {200, 1, true},
                                        {300, 2, true}, {500, 3, true}}) {
    rig.view.setZoom(zoom);
    const Point o = rig.view.origin();
    const OutlineEdges e = selectionOutlineEdges(r, rig.view);
    EXPECT_EQ(e.thickness, thickness) << zoom;
    EXPECT_EQ(e.left, o.x + 2 * zoom / 100) << zoom;
    EXPECT_EQ(e.top, o.y + 3 * zoom / 100) << zoom;
    EXPECT_EQ(e.right, o.x + (outer ? 6 : 5) * zoom / 100) << zoom;
    EXPECT_EQ(e.bottom, o.y + (outer ? 8 : 7) * zoom / 100) << zoom;
  }
  // At 300 %: two nested rectangles, 13 x 16 and 11 x 14, each pixel once.
  rig.view.setZoom(300);
  const std::vector<Point> pts = selectionOutlinePoints(r, rig.view, rig.client());
  EXPECT_EQ(pts.size(), 54u + 46u);
  EXPECT_EQ(asSet(pts).size(), pts.size());
  // A frame thicker than the rectangle stops where its steps meet.
  rig.view.setZoom(2000);
  EXPECT_EQ(selectionOutlineEdges({1, 1, 1, 1}, rig.view).thickness, 10);
  const std::vector<Point> small = selectionOutlinePoints({1, 1, 1, 1}, rig.view, rig.client());
  EXPECT_EQ(asSet(small).size(), small.size());
  EXPECT_LE(small.size(), 21u * 21u);
}

TEST(SelectionOutline, MirroredFrameIsTheReflectionOfTheUnmirroredOne) {
  SelectRig rig(40, 30);
  for (int zoom : {100, 300}) {
    rig.view.setZoom(zoom);
    const Point o = rig.view.origin();
    const int width = 40 * zoom / 100;
    const Rect r{2, 3, 7, 5};
    const Rect everywhere{-1000, -1000, 3000, 3000};
    const PointSet plain = asSet(selectionOutlinePoints(r, rig.view, everywhere));
    rig.viewOptions.flags |= view_flag::kMirror;
    const PointSet mirrored = asSet(selectionOutlinePoints(r, rig.view, everywhere));
    rig.viewOptions.flags &= ~view_flag::kMirror;
    PointSet reflected;
    for (auto [x, y] : plain) reflected.insert({2 * o.x + width - 1 - x, y});
    EXPECT_EQ(mirrored, reflected) << zoom;
  }
}

TEST(SelectionHandles, CornersFirstThenEdgesWithinTheTolerance) {
  SelectRig rig;
  const Rect r{10, 10, 20, 10};
  const Point o = rig.view.origin();   // zoom 100: edges at 10, 29 across and 10, 19 down
  auto at = [&](int x, int y) { return selectionHandleAt(r, rig.view, o.x + x, o.y + y); };
  EXPECT_EQ(at(13, 7), kHandleTopLeft);
  EXPECT_EQ(at(32, 22), kHandleBottomRight);
  EXPECT_EQ(at(29, 10), kHandleTopRight);
  EXPECT_EQ(at(7, 19), kHandleBottomLeft);
  EXPECT_EQ(at(20, 13), kHandleTop);
  EXPECT_EQ(at(20, 16), kHandleBottom);
  EXPECT_EQ(at(12, 15), kHandleLeft);
  EXPECT_EQ(at(28, 15), kHandleRight);
  EXPECT_EQ(at(20, 15), kHandleNone);
  EXPECT_EQ(at(34, 15), kHandleNone);   // five pixels off the edge
  EXPECT_EQ(at(20, 24), kHandleNone);   // below the bottom, beyond the tolerance
  // Both corners of a 2 x 2 rectangle are near: the top-left one wins.
  EXPECT_EQ(selectionHandleAt({10, 10, 2, 2}, rig.view, o.x + 11, o.y + 11), kHandleTopLeft);
  // Above 100 % one pixel of tolerance.
  rig.view.setZoom(200);
  const Point z = rig.view.origin();
  EXPECT_EQ(selectionHandleAt(r, rig.view, z.x + 60 + 1, z.y + 30), kHandleRight);
  EXPECT_EQ(selectionHandleAt(r, rig.view, z.x + 60 + 2, z.y + 30), kHandleNone);
  // Mirrored, the image's left edge lies on the screen's right.
  rig.viewOptions.flags |= view_flag::kMirror;
  const OutlineEdges e = selectionOutlineEdges(r, rig.view);
  EXPECT_GT(e.left, e.right);
  EXPECT_EQ(selectionHandleAt(r, rig.view, e.left, z.y + 30), kHandleLeft);
}

TEST(SelectionDrags, DrawOutSquareWithCtrlAndAClickSelectsNothing) {
  SelectRig rig;
  rig.dragPixels(5, 5, 14, 9);
  EXPECT_EQ(rig.selection.rect(), (Rect{5, 5, 10, 5}));
  EXPECT_EQ(rig.input.state(), DragState::Idle);
  rig.dragPixels(40, 40, 30, 30);   // backwards, and outside the old one
  EXPECT_EQ(rig.selection.rect(), (Rect{30, 30, 11, 11}));
  rig.in.ctrl = true;
  rig.dragPixels(50, 10, 53, 18);
  EXPECT_EQ(rig.selection.rect(), (Rect{50, 10, 9, 9}));
  rig.in.ctrl = false;
  rig.dragPixels(70, 50, 90, 70);   // clipped to the canvas
  EXPECT_EQ(rig.selection.rect(), (Rect{70, 50, 10, 10}));
  rig.press(2.5, 2.5);
  rig.release();
  EXPECT_EQ(rig.selection.state(), SelectionState::None);
  EXPECT_EQ(rig.history->undoCount(), 0);
}

TEST(SelectionDrags, MoveCutsCommitsOnceAndUndoes) {
  SelectRig rig;
  const std::vector<Pixel> pristine = rig.pixels(rig.layer());
  rig.dragPixels(10, 10, 29, 19);   // 20 x 10
  rig.dragPixels(20, 15, 25, 17);   // inside: lift and move by (5, 2)
  EXPECT_EQ(rig.selection.state(), SelectionState::Floating);
  EXPECT_EQ(rig.selection.rect(), (Rect{15, 12, 20, 10}));
  EXPECT_EQ(rig.layer().at(10, 10), kTransparent);   // the hole
  EXPECT_EQ(rig.layer().at(15, 12), patternAt(10, 10));
  EXPECT_EQ(rig.layer().at(34, 21), patternAt(29, 19));
  EXPECT_EQ(rig.history->undoCount(), 0);
  rig.dragPixels(20, 15, 19, 15);   // floating: inside moves again, no handles
  EXPECT_EQ(rig.selection.rect(), (Rect{14, 12, 20, 10}));
  rig.dragPixels(50, 40, 55, 45);   // outside: dropped, and a new rectangle
  EXPECT_EQ(rig.history->undoCount(), 1);
  EXPECT_EQ(rig.layer().at(14, 12), patternAt(10, 10));
  EXPECT_EQ(rig.layer().at(10, 10), kTransparent);
  EXPECT_EQ(rig.selection.rect(), (Rect{50, 40, 6, 6}));
  UndoRefresh refresh;
  ASSERT_TRUE(rig.history->undo(refresh));
  EXPECT_EQ(rig.pixels(rig.layer()), pristine);
}

TEST(SelectionDrags, AltCopiesAndCtrlKeepsTheColumn) {
  SelectRig rig;
  rig.dragPixels(10, 10, 29, 19);
  rig.in.alt = true;
  rig.press(20.5, 15.5);
  rig.in.alt = false;
  rig.in.ctrl = true;   // the horizontal part is ignored
  rig.moveTo(29.5, 19.5);
  rig.release();
  rig.in.ctrl = false;
  EXPECT_EQ(rig.selection.rect(), (Rect{10, 14, 20, 10}));
  EXPECT_EQ(rig.layer().at(10, 10), patternAt(10, 10));   // the source stays
  EXPECT_EQ(rig.layer().at(10, 14), patternAt(10, 10));
  // A tool change drops the copy: one step.
  rig.input.selectTool(kToolPen);
  EXPECT_EQ(rig.selection.state(), SelectionState::None);
  EXPECT_EQ(rig.history->undoCount(), 1);
  EXPECT_EQ(rig.layer().at(13, 16), patternAt(13, 12));
}

TEST(SelectionDrags, DropGoesToTheLayerItFloatsOverEvenAfterALayerChange) {
  SelectRig rig;
  rig.dragPixels(10, 10, 29, 19);
  rig.dragPixels(20, 15, 30, 15);   // floating over the first layer
  Layer* below = rig.doc.currentLayer();
  ASSERT_TRUE(rig.doc.newLayer(false));
  ASSERT_NE(rig.doc.currentLayer(), below);
  const std::vector<Pixel> fresh = rig.pixels(rig.doc.currentLayer()->image());
  rig.input.dropFloating();
  EXPECT_EQ(rig.pixels(rig.doc.currentLayer()->image()), fresh);
  EXPECT_EQ(below->image().at(20, 10), patternAt(10, 10));
  EXPECT_EQ(below->image().at(10, 10), kTransparent);
  EXPECT_NE(rig.doc.currentLayer(), below);   // the current layer stays
}

TEST(SelectionDrags, EdgesFollowThePointerAndStopAtTheOtherEdge) {
  SelectRig rig;
  rig.dragPixels(10, 10, 29, 19);
  const Point o = rig.view.origin();
  rig.atClient(o.x + 29, o.y + 15);   // on the right edge
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.hoveredHandle(), kHandleRight);
  rig.input.press(kButtonLeft, kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.state(), DragState::SelectionResize);
  rig.atClient(o.x + 35, o.y + 40);
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.outline().frame(), (Rect{10, 10, 26, 10}));
  rig.release();
  EXPECT_EQ(rig.selection.rect(), (Rect{10, 10, 26, 10}));
  // The top-left corner dragged past the bottom-right stops on it, and
  // beyond the canvas on its edge.
  rig.atClient(o.x + 10, o.y + 10);
  rig.input.move(kSourceMouse, rig.in);
  rig.input.press(kButtonLeft, kSourceMouse, rig.in);
  rig.atClient(o.x + 50, o.y + 30);
  rig.input.move(kSourceMouse, rig.in);
  EXPECT_EQ(rig.input.outline().frame(), (Rect{35, 19, 1, 1}));
  rig.atClient(o.x - 20, o.y - 20);
  rig.input.move(kSourceMouse, rig.in);
  rig.release();
  EXPECT_EQ(rig.selection.rect(), (Rect{0, 0, 36, 20}));
}

TEST(SelectionDrags, FrameStaysThroughRedrawsAndLeavesNoTrace) {
  SelectRig rig;
  const std::vector<Pixel> clean = rig.pixels(rig.screen);
  rig.dragPixels(10, 10, 20, 15);
  Point o = rig.view.origin();
  const Pixel shown = rig.screen.at(o.x + 10, o.y + 12);
  EXPECT_EQ(shown, clean[size_t((o.y + 12) * rig.screen.width() + o.x + 10)] ^ 0x00FFFFFFu);
  rig.view.refreshRect({8, 8, 5, 5});   // paints over part of the frame
  EXPECT_EQ(rig.screen.at(o.x + 10, o.y + 12), shown);
  rig.view.setZoom(300);                 // and over all of it
  rig.view.setZoom(100);
  o = rig.view.origin();
  EXPECT_EQ(rig.screen.at(o.x + 10, o.y + 12), shown);
  rig.selection.reset();
  rig.view.refreshRect({0, 0, 1, 1});    // any redraw takes a stale frame away
  const std::vector<Pixel> after = rig.pixels(rig.screen);
  rig.view.refreshAll();
  EXPECT_EQ(after, rig.pixels(rig.screen));
  EXPECT_TRUE(rig.input.outline().shownPoints().empty());
}

}  // namespace
}  // namespace tessel
