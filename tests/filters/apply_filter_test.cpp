#include "filters/apply_filter.h"

#include <gtest/gtest.h>

#include "document/document.h"

namespace tessel {
namespace {

struct RectRecorder : UndoRecorder {
  std::vector<Rect> rects;
  void recordPixelRectOf(const Image32&, const Rect& r) override { rects.push_back(r); }
};

TEST(ApplyFilter, InvertsOnlyTheRectangleCutToTheCanvasAndRecordsIt) {
  Document doc;
  ASSERT_TRUE(doc.newImage(6, 5, true));
  RectRecorder recorder;
  doc.setRecorder(&recorder);
  doc.currentLayer()->image().fill(0xFF102030);
  const FilterEntry* invert = filterByName("invert");
  ASSERT_NE(invert, nullptr);
  ASSERT_TRUE(applyFilter(doc, *invert, FilterValues{}, FilterContext{}, {4, 3, 10, 10}, nullptr));
  ASSERT_EQ(recorder.rects.size(), 1u);
  EXPECT_EQ(recorder.rects[0], (Rect{4, 3, 2, 2}));
  EXPECT_EQ(doc.currentLayer()->image().at(5, 4), 0xFFEFDFCFu);
  EXPECT_EQ(doc.currentLayer()->image().at(3, 4), 0xFF102030u);
  EXPECT_EQ(doc.currentLayer()->image().at(5, 2), 0xFF102030u);
}

TEST(ApplyFilter, NothingHappensOffTheCanvas) {
  Document doc;
  ASSERT_TRUE(doc.newImage(6, 5, true));
  RectRecorder recorder;
  doc.setRecorder(&recorder);
  const FilterEntry* invert = filterByName("invert");
  ASSERT_NE(invert, nullptr);
  EXPECT_FALSE(applyFilter(doc, *invert, FilterValues{}, FilterContext{}, {6, 0, 3, 3}, nullptr));
  EXPECT_TRUE(recorder.rects.empty());
}

TEST(ApplyFilter, AFailingFilterLeavesTheLayerAsItWas) {
  Document doc;
  ASSERT_TRUE(doc.newImage(4, 4, true));
  doc.currentLayer()->image().fill(0x80406080);
  const FilterEntry* setAlpha = filterByName("set-alpha");
  ASSERT_NE(setAlpha, nullptr);
  FilterValues values;
  values.list[0] = 9;   // no such reference layer
  values.list[1] = 9;
  EXPECT_FALSE(applyFilter(doc, *setAlpha, values, FilterContext{}, doc.canvasRect(), nullptr));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(doc.currentLayer()->image().at(x, y), 0x80406080u);
}

TEST(ApplyFilter, EveryCommandHasAFunction) {
  for (const FilterEntry& e : filterTable()) EXPECT_NE(filterFunctionOf(e), nullptr) << e.cliName;
  for (const FilterEntry& e : extraFilters()) EXPECT_NE(filterFunctionOf(e), nullptr) << e.cliName;
}

}  // namespace
}  // namespace tessel
