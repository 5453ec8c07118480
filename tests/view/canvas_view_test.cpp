#include "view/canvas_view.h"

#include <gtest/gtest.h>

#include "document/document.h"
#include "image/image32.h"

namespace tessel {
namespace {

constexpr Pixel kBg = 0xB4B4B4;

Pixel pattern(int x, int y) {
  return makePixel(0xFF, (x * 7) & 0xFF, (y * 11) & 0xFF, ((x + y) * 3) & 0xFF);
}

// A document whose composite holds a known pattern, a 100 x 80 window and
// the scroll at 0, so the image's top-left pixel lies at the centre (50, 40).
class ViewTest : public ::testing::Test {
 protected:
  void makeView(int width, int height) {
    ASSERT_TRUE(doc.newImage(width, height, true));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) doc.composite.set(x, y, pattern(x, y));
    }
    ASSERT_TRUE(screen.create(160, 120));
    view.setClientSize(100, 80);
    view.setScroll(0, 0);
  }
  Pixel at(int x, int y) const { return screen.at(x, y); }

  Document doc;
  Image32 screen;
  ViewOptions options;
  CanvasView view{doc, screen, options};
};

TEST_F(ViewTest, ZoomHundredAndTwoHundredMapPixelsNearest) {
  makeView(20, 20);
  EXPECT_EQ(view.origin(), (Point{50, 40}));
  EXPECT_EQ(at(53, 44), pattern(3, 4));
  EXPECT_EQ(at(49, 44), kBg);   // left of the image
  EXPECT_EQ(at(70, 44), kBg);   // one past the right edge
  EXPECT_EQ(at(69, 59), pattern(19, 19));
  view.setZoom(200);
  view.setScroll(0, 0);
  EXPECT_EQ(at(56, 48), pattern(3, 4));
  EXPECT_EQ(at(57, 49), pattern(3, 4));
  EXPECT_EQ(at(58, 49), pattern(4, 4));
  EXPECT_EQ(view.imageFromView(57, 49), (Point{3, 4}));
  EXPECT_EQ(view.viewFromImage(3, 4), (Point{56, 48}));
}

TEST_F(ViewTest, ConversionsTruncateTowardsZero) {
  makeView(20, 20);
  view.setZoom(300);
  view.setScroll(0, 0);
  // (0 + 48 - 50) * 100 / 300 = -200 / 300 = 0, not -1.
  EXPECT_EQ(view.imageFromView(48, 40), (Point{0, 0}));
  EXPECT_EQ(view.imageFromView(46, 40).x, -1);
  PointF exact = view.imageFromViewExact(53, 46);
  EXPECT_NEAR(exact.x, 1.0, 1e-12);
  EXPECT_NEAR(exact.y, 2.0, 1e-12);
}

TEST_F(ViewTest, ZoomFiftyAveragesTwoByTwoAndOddWidthEdge) {
  makeView(7, 4);
  // A block whose averages truncate: (10 + 20 + 30 + 41) / 4 = 25.
  doc.composite.set(2, 0, 0xFF0A0A0A);
  doc.composite.set(3, 0, 0xFF141414);
  doc.composite.set(2, 1, 0xFF1E1E1E);
  doc.composite.set(3, 1, 0xFF292929);
  // The last column of the odd width, rows 2 and 3: (100 + 201) / 2 = 150.
  doc.composite.set(6, 2, 0xFF640000);
  doc.composite.set(6, 3, 0xFFC90005);
  view.setZoom(50);
  view.setScroll(0, 0);
  EXPECT_EQ(at(51, 40), 0x00191919u);
  EXPECT_EQ(at(53, 41), 0x00960002u);
  EXPECT_EQ(at(54, 41), kBg);   // past the right edge
  EXPECT_EQ(at(50, 42), kBg);   // below the image
  EXPECT_EQ(at(49, 40), kBg);
}

TEST_F(ViewTest, ZoomTenCoversTenByTenBoxes) {
  makeView(25, 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 25; ++x) doc.composite.set(x, y, makePixel(0xFF, 0, 0, x < 10 ? 10 : 200));
  }
  doc.composite.set(0, 0, makePixel(0xFF, 0, 0, 110));  // one brighter pixel: +100 / 100
  view.setZoom(10);
  view.setScroll(0, 0);
  EXPECT_EQ(at(50, 40), 0x0000000Bu);
  EXPECT_EQ(at(51, 40), 0x000000C8u);
  EXPECT_EQ(at(52, 41), 0x000000C8u);   // 5 columns x 2 rows at the corner
  EXPECT_EQ(at(53, 40), kBg);
  EXPECT_EQ(at(50, 42), kBg);
}

TEST_F(ViewTest, ZoomStepsStopAtHundredAndClampAtTheLimits) {
  makeView(20, 20);
  view.setZoom(90);
  view.zoomStep(true);
  EXPECT_EQ(view.zoom(), 100);
  view.setZoom(150);
  view.zoomStep(false);
  EXPECT_EQ(view.zoom(), 100);
  view.zoomStep(false);
  EXPECT_EQ(view.zoom(), 75);
  view.zoomStep(true);
  view.zoomStep(true);
  EXPECT_EQ(view.zoom(), 200);
  view.setZoom(20);
  view.zoomStep(false);
  EXPECT_EQ(view.zoom(), 10);
  view.setZoom(1950);
  view.zoomStep(true);
  EXPECT_EQ(view.zoom(), 2000);
  view.setZoom(5);
  EXPECT_EQ(view.zoom(), 10);
  view.setZoom(5000);
  EXPECT_EQ(view.zoom(), 2000);
  EXPECT_EQ(doc.zoom, 2000);
}

TEST_F(ViewTest, ZoomKeepsTheCentrePoint) {
  makeView(300, 300);
  view.setScroll(120, 90);   // image point (120, 90) at the centre
  view.setZoom(200);
  EXPECT_EQ(view.scrollX(), 240);
  EXPECT_EQ(view.scrollY(), 180);
  EXPECT_EQ(view.imageFromView(50, 40), (Point{120, 90}));
  view.setClientSize(60, 41);
  EXPECT_EQ(view.centreX(), 30);
  EXPECT_EQ(view.centreY(), 20);
  EXPECT_EQ(view.imageFromView(30, 20), (Point{120, 90}));
}

TEST_F(ViewTest, ScrollClampAndCentring) {
  makeView(300, 200);
  view.setScroll(-5, -7);
  EXPECT_EQ(view.scrollX(), 0);
  EXPECT_EQ(view.scrollY(), 0);
  view.setScroll(100000, 100000);
  EXPECT_EQ(view.scrollX(), 299);   // 300 + 100 - 100 - 1
  EXPECT_EQ(view.scrollY(), 199);
  view.centreImage();
  EXPECT_EQ(view.scrollX(), 150);
  EXPECT_EQ(view.scrollY(), 100);
  ScrollModel h = view.horizontalScroll();
  EXPECT_EQ(h.maximum, 399);
  EXPECT_EQ(h.page, 100);
  EXPECT_EQ(h.position, 150);
  view.setClientSize(101, 81);   // odd sizes: 2 * centre is one less than the size
  EXPECT_EQ(view.horizontalScroll().maximum, 399);
  view.setScroll(100000, 0);
  EXPECT_EQ(view.scrollX(), 298);
}

TEST_F(ViewTest, ClientSizeIsCutToTheScreenBuffer) {
  makeView(20, 20);
  view.setClientSize(5000, 3000);
  EXPECT_EQ(view.clientWidth(), 160);
  EXPECT_EQ(view.clientHeight(), 120);
  EXPECT_EQ(view.centreX(), 80);
}

TEST_F(ViewTest, MirroredViewShowsTheImageReversed) {
  makeView(20, 10);
  view.toggleMirror();
  EXPECT_TRUE(options.flags & view_flag::kMirror);
  view.setScroll(0, 0);
  // The leftmost column of the image on screen is the image's last column.
  EXPECT_EQ(view.imageFromView(50, 40), (Point{19, 0}));
  EXPECT_EQ(view.viewFromImage(19, 0), (Point{50, 40}));
  EXPECT_DOUBLE_EQ(view.imageFromViewExact(50, 40).x, 20.0);
  EXPECT_EQ(at(50, 40), pattern(19, 0));
  EXPECT_EQ(at(69, 43), pattern(0, 3));
  view.setZoom(50);
  view.setScroll(0, 0);
  Pixel a = pattern(18, 0), b = pattern(19, 0), c = pattern(18, 1), d = pattern(19, 1);
  uint32_t red = (redOf(a) + redOf(b) + redOf(c) + redOf(d)) / 4;
  EXPECT_EQ(redOf(at(50, 40)), red);
}

TEST_F(ViewTest, MirrorToggleKeepsTheCentrePoint) {
  makeView(300, 300);
  view.setScroll(100, 150);
  view.toggleMirror();
  EXPECT_EQ(view.scrollX(), 200);
  EXPECT_EQ(view.scrollY(), 150);
  view.toggleMirror();
  EXPECT_EQ(view.scrollX(), 100);
}

TEST_F(ViewTest, PixelGridAtFiveHundredButNotFourHundred) {
  makeView(6, 6);
  view.setZoom(400);
  view.setScroll(0, 0);
  EXPECT_EQ(at(50, 41), pattern(0, 0));
  view.setZoom(500);
  view.setScroll(0, 0);
  EXPECT_FALSE(options.flags & view_flag::kGrid);
  EXPECT_EQ(at(50, 41), kPixelGridColour);   // leading edge of column 0
  EXPECT_EQ(at(51, 41), pattern(0, 0));
  EXPECT_EQ(at(55, 42), kPixelGridColour);   // column 1
  EXPECT_EQ(at(51, 40), kPixelGridColour);   // row 0
  EXPECT_EQ(at(80, 47), kPixelGridColour);   // the frame just after column 5
  EXPECT_EQ(at(81, 45), kBg);
  EXPECT_EQ(at(80, 70), kPixelGridColour);   // closing corner
  EXPECT_EQ(at(81, 71), kBg);
}

TEST_F(ViewTest, HighZoomGridAndCentreColoursAreSolid) {
  makeView(10, 10);
  options.flags |= view_flag::kGrid;
  options.gridW = 4;
  options.gridH = 3;
  options.centreGridColour = 0x80FF00FF;
  view.setZoom(500);
  view.setScroll(0, 0);
  EXPECT_EQ(at(70, 47), kHighZoomGridColour);   // column 4
  EXPECT_EQ(at(53, 55), kHighZoomGridColour);   // row 3
  EXPECT_EQ(at(75, 47), kHighZoomCentreColour); // column 5 = width / 2
  EXPECT_EQ(at(53, 65), kHighZoomCentreColour); // row 5
}

TEST_F(ViewTest, NormalGridBlendsAQuarterTowardsItsColour) {
  makeView(10, 10);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) doc.composite.set(x, y, 0xFF40FF80);
  }
  options.gridW = 4;
  options.gridH = 4;
  view.renderAll();
  EXPECT_EQ(at(54, 41), 0xFF40FF80u);   // grid off
  options.flags |= view_flag::kGrid;
  view.renderAll();
  // gridColour 0x0080FF: red 0x40 -> 0x30, green 0xFF -> 0xDF, blue 0x80 -> 0x9F.
  EXPECT_EQ(at(54, 41), 0xFF30DF9Fu);
  EXPECT_EQ(at(58, 41), 0xFF30DF9Fu);
  EXPECT_EQ(at(51, 44), 0xFF30DF9Fu);
  EXPECT_EQ(at(50, 41), 0xFF40FF80u);   // no line at column 0
  EXPECT_EQ(at(54, 44), 0xFF24C7B7u);   // crossing: blended twice
  EXPECT_EQ(at(54, 39), kBg);           // lines stop at the image
  EXPECT_EQ(at(55, 45), 0xFF40FF80u);   // no centre cross without bit 31
  options.centreGridColour = 0x80000000;
  view.renderAll();
  EXPECT_EQ(at(55, 46), 0xFF30BF60u);   // column 5 towards black
}

TEST_F(ViewTest, GridOffHidesTheCentreCrossBelowTheHighZoom) {
  makeView(10, 10);
  options.centreGridColour = 0x80000000;
  view.renderAll();
  EXPECT_EQ(at(55, 46), pattern(5, 6));
}

TEST_F(ViewTest, ViewRectangleOfAnImageRectangle) {
  makeView(20, 20);
  auto r = view.viewRectFromImageRect({2, 3, 4, 5});
  ASSERT_TRUE(r.has_value());
  // Corners (1, 2) and (6, 8) on screen at (51, 42) and (56, 48), widened by one.
  EXPECT_EQ(*r, (Rect{50, 41, 8, 9}));
  EXPECT_FALSE(view.viewRectFromImageRect({200, 200, 4, 4}).has_value());
  auto cut = view.viewRectFromImageRect({-80, -60, 20, 20});
  EXPECT_FALSE(cut.has_value());
  auto edge = view.viewRectFromImageRect({-10, 0, 5, 5});
  ASSERT_TRUE(edge.has_value());
  EXPECT_EQ(edge->x, 38);
}

TEST_F(ViewTest, ImageRectangleFromTwoPoints) {
  makeView(20, 20);
  auto r = view.imageRectFromPoints({8, 9}, {3, 4}, false, 0);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(*r, (Rect{3, 4, 6, 6}));
  // Size 5: low corner out by 3, high corner out by 4.
  auto w = view.imageRectFromPoints({8, 9}, {5, 5}, true, 5);
  ASSERT_TRUE(w.has_value());
  EXPECT_EQ(*w, (Rect{2, 2, 11, 12}));
  auto cut = view.imageRectFromPoints({-5, 18}, {2, 30}, true, 1);
  ASSERT_TRUE(cut.has_value());
  EXPECT_EQ(*cut, (Rect{0, 17, 5, 3}));
  EXPECT_FALSE(view.imageRectFromPoints({30, 30}, {40, 40}, true, 4).has_value());
}

TEST_F(ViewTest, RenderingStaysInsideTheRectangleAndReportsIt) {
  makeView(20, 20);
  screen.fill(0x12345678);
  Rect seen;
  view.onInvalidate = [&](const Rect& r) { seen = r; };
  view.renderRect({52, 42, 3, 2});
  EXPECT_EQ(seen, (Rect{52, 42, 3, 2}));
  EXPECT_EQ(at(52, 42), pattern(2, 2));
  EXPECT_EQ(at(51, 42), 0x12345678u);
  EXPECT_EQ(at(55, 43), 0x12345678u);
  view.renderRect({90, 70, 50, 50});   // cut to the window
  EXPECT_EQ(seen, (Rect{90, 70, 10, 10}));
  EXPECT_EQ(at(100, 70), 0x12345678u);
}

TEST_F(ViewTest, InfoBarTexts) {
  makeView(300, 20);
  view.setCursorImagePoint({12345, -10000});
  InfoBarText t = view.infoBar();
  EXPECT_EQ(t.position, "9999,-9999");
  EXPECT_EQ(t.zoom, " 100%");
  EXPECT_EQ(t.size, " 300x  20");
  EXPECT_FALSE(t.sizeIsDrag);
  view.setDragSize(Point{12, 7});
  t = view.infoBar();
  EXPECT_EQ(t.size, "  12x   7");
  EXPECT_TRUE(t.sizeIsDrag);
  view.setZoom(2000);
  EXPECT_EQ(view.infoBar().zoom, "2000%");
}

}  // namespace
}  // namespace tessel

namespace tessel {
namespace {

// The box filter by its definition, one pixel at a time, for comparison.
Pixel referenceBox(const Image32& comp, int zoom, bool mirror, Point o, int x, int y, Pixel bg) {
  const int64_t a = int64_t(100 << 18) / zoom;
  int64_t vx = int64_t(x - o.x) * a, vy = int64_t(y - o.y) * a;
  if (vx < 0 || vy < 0) return bg;
  int x0 = int(vx >> 18), y0 = int(vy >> 18);
  if (x0 >= comp.width() || y0 >= comp.height()) return bg;
  int x1 = int(std::min<int64_t>(comp.width(), (vx + a) >> 18));
  int y1 = int(std::min<int64_t>(comp.height(), (vy + a) >> 18));
  if (mirror) {
    int m0 = comp.width() - x1;
    x1 = comp.width() - x0;
    x0 = m0;
  }
  uint32_t b = 0, g = 0, r = 0, n = 0;
  for (int iy = y0; iy < y1; ++iy) {
    for (int ix = x0; ix < x1; ++ix) {
      Pixel p = comp.at(ix, iy);
      b += blueOf(p), g += greenOf(p), r += redOf(p), ++n;
    }
  }
  return makePixel(0, r / n, g / n, b / n);
}

TEST_F(ViewTest, BoxFilterMatchesTheDefinitionOnRandomPixels) {
  makeView(157, 93);
  uint32_t seed = 99;
  for (int y = 0; y < 93; ++y) {
    for (int x = 0; x < 157; ++x) {
      seed = seed * 1664525u + 1013904223u;
      doc.composite.set(x, y, seed);
    }
  }
  for (bool mirror : {false, true}) {
    if (view.mirrored() != mirror) view.toggleMirror();
    for (int zoom : {10, 11, 33, 50, 67, 75, 99}) {
      view.setZoom(zoom);
      view.setScroll(zoom * 3 / 4, zoom / 3);
      Point o = view.origin();
      for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
          ASSERT_EQ(at(x, y), referenceBox(doc.composite, zoom, mirror, o, x, y, kBg))
              << "zoom " << zoom << " mirror " << mirror << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(ViewTest, WholeRowCopyAtHundredMatchesTheMapping) {
  makeView(30, 20);
  view.setScroll(12, 3);
  Point o = view.origin();
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 100; ++x) {
      int ix = x - o.x, iy = y - o.y;
      Pixel want = ix >= 0 && iy >= 0 && ix < 30 && iy < 20 ? pattern(ix, iy) : kBg;
      ASSERT_EQ(at(x, y), want) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace tessel
