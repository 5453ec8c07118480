#include <gtest/gtest.h>

#include "app/models/panel_layout.h"

namespace tessel {
namespace {

// Outer sizes as the panels have them with a title bar (tools, tool options,
// layers, palette, extended palette, texture, navigator, image viewer).
std::array<Rect, kPanelCount> realSizes(int scale) {
  std::array<Rect, kPanelCount> s{};
  const int wh[kPanelCount][2] = {{250, 190}, {240, 520}, {210, 320}, {250, 180},
                                  {180, 210}, {240, 200}, {190, 200}, {160, 170}};
  for (int n = 0; n < kPanelCount; ++n) s[size_t(n)] = {0, 0, wh[n][0] * scale, wh[n][1] * scale};
  return s;
}

bool overlap(const Rect& a, const Rect& b) { return !a.intersected(b).empty(); }

TEST(FirstStartPanelPlaces, VisiblePanelsNeitherOverlapNorLeaveTheWorkArea) {
  struct Screen {
    Rect work, canvas;
    int scale;
  };
  const Screen screens[] = {
      {{0, 0, 1366, 740}, {0, 80, 1350, 640}, 1},
      {{0, 0, 1920, 1050}, {0, 80, 1900, 950}, 1},
      {{0, 0, 1600, 1000}, {0, 80, 1580, 900}, 1},
      {{0, 0, 1280, 772}, {0, 120, 1250, 620}, 2},   // a 2560 x 1600 laptop at scale factor 2
  };
  for (const Screen& s : screens) {
    const uint32_t visible = 31;   // the first five panels
    auto places = firstStartPanelPlaces(s.canvas, s.work, realSizes(s.scale), visible);
    for (int a = 0; a < kPanelCount; ++a) {
      const Rect& r = places[size_t(a)];
      EXPECT_EQ(r.intersected(s.work), r) << "panel " << a << " at " << s.work.w;
      EXPECT_GE(r.y, s.canvas.y) << "panel " << a << " covers the tool bar";
      for (int b = a + 1; b < kPanelCount; ++b) {
        if (((visible >> a) & 1) && ((visible >> b) & 1) && s.scale == 1)
          EXPECT_FALSE(overlap(r, places[size_t(b)])) << a << " and " << b << " at " << s.work.w;
      }
    }
  }
}

TEST(FirstStartPanelPlaces, ToolsStandAtTheRightAndLayersAtTheLeftTallOnesCut) {
  auto places = firstStartPanelPlaces({0, 80, 1900, 950}, {0, 0, 1920, 1050}, realSizes(1), 31);
  EXPECT_EQ(places[kToolOptionsPanel].h, 520);
  EXPECT_EQ(places[kToolsPanel].right(), 1900 - 4);
  EXPECT_EQ(places[kToolsPanel].y, 84);
  EXPECT_EQ(places[kToolOptionsPanel].y, places[kToolsPanel].bottom() + 4);
  EXPECT_EQ(places[kLayerPanel].x, 4);
  EXPECT_EQ(places[kLayerPanel].y, 84);
  places = firstStartPanelPlaces({0, 80, 1000, 400}, {0, 0, 1000, 500}, realSizes(1), 31);
  EXPECT_EQ(places[kToolOptionsPanel].h, 392);
}

}  // namespace
}  // namespace tessel
