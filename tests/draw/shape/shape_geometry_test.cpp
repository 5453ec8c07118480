#include "draw/shape/shape_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace tessel {
namespace {

using Points = std::vector<Point>;

// The picture of a point set inside the box, one string a row ('#' set).
std::vector<std::string> picture(const Points& pts, const Box& b) {
  std::vector<std::string> rows(size_t(b.height()), std::string(size_t(b.width()), '.'));
  for (Point p : pts) {
    EXPECT_TRUE(p.x >= b.left && p.x <= b.right && p.y >= b.top && p.y <= b.bottom)
        << p.x << "," << p.y;
    rows[size_t(p.y - b.top)][size_t(p.x - b.left)] = '#';
  }
  return rows;
}

std::vector<std::string> picture(const std::vector<Span>& spans, const Box& b) {
  Points pts;
  for (const Span& s : spans)
    for (int x = s.x0; x <= s.x1; ++x) pts.push_back({x, s.y});
  return picture(pts, b);
}

TEST(ShapeGeometryLine, ExactPointsBothDirectionsAndSkipFirst) {
  EXPECT_EQ(linePoints({0, 0}, {3, 1}), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  EXPECT_EQ(linePoints({3, 1}, {0, 0}), (Points{{3, 1}, {2, 1}, {1, 0}, {0, 0}}));
  EXPECT_EQ(linePoints({5, 5}, {5, 2}), (Points{{5, 5}, {5, 4}, {5, 3}, {5, 2}}));
  EXPECT_EQ(linePoints({-1, 2}, {-1, 2}), (Points{{-1, 2}}));
  Points skipped;
  auto collect = [&](int x, int y) { skipped.push_back({x, y}); };
  walkLine(4, 4, 4, 4, true, collect);
  EXPECT_TRUE(skipped.empty());
  walkLine(0, 0, -2, 1, true, collect);
  EXPECT_EQ(skipped, (Points{{-1, 1}, {-2, 1}}));
}

TEST(ShapeGeometryLine, EveryLineIsConnectedAndEndsExactly) {
  for (int x = -9; x <= 9; ++x)
    for (int y = -9; y <= 9; ++y) {
      Points p = linePoints({2, -3}, {x, y});
      ASSERT_EQ(p.size(), size_t(std::max(std::abs(x - 2), std::abs(y + 3)) + 1));
      EXPECT_EQ(p.front(), (Point{2, -3}));
      EXPECT_EQ(p.back(), (Point{x, y}));
      for (size_t i = 1; i < p.size(); ++i)
        EXPECT_EQ(std::max(std::abs(p[i].x - p[i - 1].x), std::abs(p[i].y - p[i - 1].y)), 1);
    }
}

TEST(ShapeGeometryConstraint, CtrlSnapsToFortyFiveDegreesOrAnAxis) {
  const Point s{100, 50};
  EXPECT_EQ(snapLineEnd(s, {110, 54}), (Point{110, 50}));   // 6 is not below 5: horizontal
  EXPECT_EQ(snapLineEnd(s, {110, 56}), (Point{106, 56}));   // 45 degrees
  EXPECT_EQ(snapLineEnd(s, {90, 44}), (Point{94, 44}));
  EXPECT_EQ(snapLineEnd(s, {104, 40}), (Point{100, 40}));   // vertical
  EXPECT_EQ(snapLineEnd(s, {106, 40}), (Point{106, 44}));   // steep 45: the shorter side rules
  EXPECT_EQ(snapLineEnd(s, s), s);
}

TEST(ShapeGeometryConstraint, BoxesCentredSquareAndOrdered) {
  const Point s{10, 20};
  EXPECT_EQ(dragBox(s, {4, 25}, false, false), (Box{4, 20, 10, 25}));
  EXPECT_EQ(dragBox(s, {4, 25}, true, false), (Box{4, 15, 16, 25}));
  EXPECT_EQ(dragBox(s, {4, 22}, false, true), (Box{4, 20, 10, 26}));   // height grows to 6
  EXPECT_EQ(dragBox(s, {12, 13}, false, true), (Box{10, 13, 17, 20}));
  EXPECT_EQ(dragBox(s, {12, 13}, true, true), (Box{3, 13, 17, 27}));
  EXPECT_EQ(dragBox(s, s, true, true), (Box{10, 20, 10, 20}));
}

TEST(ShapeGeometryRectangle, OutlineOnceAndSpans) {
  const Box one{3, 3, 3, 3}, row{0, 0, 3, 0}, column{0, 0, 0, 2}, box{0, 0, 3, 2};
  EXPECT_EQ(rectangleOutline(one), (Points{{3, 3}}));
  EXPECT_EQ(rectangleOutline(row).size(), 4u);
  EXPECT_EQ(rectangleOutline(column), (Points{{0, 0}, {0, 1}, {0, 2}}));
  EXPECT_EQ(picture(rectangleOutline(box), box), (std::vector<std::string>{"####", "#..#", "####"}));
  EXPECT_EQ(rectangleSpans(box), (std::vector<Span>{{0, 0, 3}, {1, 0, 3}, {2, 0, 3}}));
  EXPECT_EQ(rectangleSpans(Box{-2, -1, -2, -1}), (std::vector<Span>{{-1, -2, -2}}));
}

TEST(ShapeGeometryEllipse, SmallOddAndEvenSizes) {
  const Box one{7, 7, 7, 7};
  EXPECT_EQ(ellipseOutline(one), (Points{{7, 7}}));
  EXPECT_EQ(ellipseSpans(one), (std::vector<Span>{{7, 7, 7}}));
  const Box two{0, 0, 1, 1};
  EXPECT_EQ(picture(ellipseOutline(two), two), (std::vector<std::string>{"##", "##"}));
  const Box five{0, 0, 4, 4};
  EXPECT_EQ(picture(ellipseOutline(five), five),
            (std::vector<std::string>{".###.", "#...#", "#...#", "#...#", ".###."}));
  EXPECT_EQ(picture(ellipseSpans(five), five),
            (std::vector<std::string>{".###.", "#####", "#####", "#####", ".###."}));
  // Even sides: the halves sit about centres one pixel apart and fill the box.
  const Box wide{0, 0, 5, 3};
  EXPECT_EQ(picture(ellipseOutline(wide), wide),
            (std::vector<std::string>{".####.", "#....#", "#....#", ".####."}));
  const Box column{2, 0, 2, 4};
  EXPECT_EQ(picture(ellipseOutline(column), column),
            (std::vector<std::string>{"#", "#", "#", "#", "#"}));
}

// Any box: the outline touches all four sides, mirrors about the box's
// middle, transposes with the box, and the spans run between its extremes.
TEST(ShapeGeometryEllipse, FillsTheBoxSymmetricallyForEverySize) {
  for (int w = 1; w <= 14; ++w)
    for (int h = 1; h <= 14; ++h) {
      const Box b{-3, 5, -3 + w - 1, 5 + h - 1};
      Points out = ellipseOutline(b);
      std::vector<std::string> pic = picture(out, b), mirrored = pic, flipped = pic;
      for (std::string& row : mirrored) std::reverse(row.begin(), row.end());
      std::reverse(flipped.begin(), flipped.end());
      EXPECT_EQ(pic, mirrored) << w << "x" << h;
      EXPECT_EQ(pic, flipped) << w << "x" << h;
      EXPECT_NE(pic.front().find('#'), std::string::npos);
      EXPECT_EQ(pic[size_t(h / 2)].front(), '#') << w << "x" << h;

      std::vector<std::string> t = picture(ellipseOutline(Box{0, 0, h - 1, w - 1}), Box{0, 0, h - 1, w - 1});
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(pic[size_t(y)][size_t(x)], t[size_t(x)][size_t(y)]);

      std::vector<Span> spans = ellipseSpans(b);
      ASSERT_EQ(spans.size(), size_t(h));
      for (const Span& s : spans) {
        const std::string& row = pic[size_t(s.y - b.top)];
        EXPECT_EQ(s.x0 - b.left, int(row.find('#')));
        EXPECT_EQ(s.x1 - b.left, int(row.rfind('#')));
      }
    }
}

}  // namespace
}  // namespace tessel
