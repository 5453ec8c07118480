// Every filter of the table and every colour command, run on a rectangle
// inside a random picture: nothing outside the rectangle changes, and every
// fully transparent result is stored as 0x00FFFFFF.
#include <vector>

#include "document/layer_list.h"
#include "filter_test_util.h"
#include "filters/apply_filter.h"
#include "filters/filter_table.h"

namespace tessel {
namespace {
using namespace tessel::testing;

struct Case {
  int index;
  FilterValues values;
};

FilterValues make(std::initializer_list<int> s, std::initializer_list<int> checks = {},
                  std::initializer_list<int> lists = {}) {
  FilterValues v;
  int i = 0;
  for (int x : s) v.slider[i++] = x;
  i = 0;
  for (int x : checks) v.check[i++] = x;
  i = 0;
  for (int x : lists) v.list[i++] = x;
  return v;
}

// Values in the spirit of each template's defaults, chosen to change pixels.
std::vector<Case> cases(Pixel someColour) {
  return {
      {0, make({20, 30})}, {1, make({150})}, {2, make({10, 128, 240, 5, 250})}, {3, make({10, -20, 30})},
      {4, make({30, 20, -10})}, {5, {}}, {6, {}}, {7, {}}, {8, {}}, {9, make({128})}, {10, make({}, {}, {3})},
      {11, make({int(someColour & 0xFFFFFF), 0x123456})}, {12, make({}, {}, {1, 3})},
      {13, make({1, 3, 2, 6}, {1, 1}, {0})}, {14, make({4, 4}, {}, {1})}, {15, make({8, 8}, {1}, {2})},
      {16, make({3}, {}, {0, 1})}, {16, make({4}, {}, {1, 0})}, {17, make({4})}, {18, make({3, 200, 2}, {}, {0, 2})},
      {18, make({5, 300, 3}, {}, {1, 1})}, {19, make({3})}, {20, make({5})}, {20, make({6}, {1})},
      {21, make({4, 3, 15, 75, 0})}, {21, make({5, 3, 15, 75, 0}, {1, 1})}, {22, make({2})}, {23, make({2})},
      {24, make({20, 15, 10})}, {25, make({3, 5})}, {26, make({3, 45})}, {27, make({3})}, {28, make({2, 50})},
      {29, {}}, {30, {}}, {31, make({10, 4}, {1}, {0})}, {31, make({3, 6}, {0}, {2})}, {32, make({}, {}, {0, 0})},
      {32, make({}, {}, {0, 1})}, {32, make({}, {}, {1, 2})}, {33, make({20, 15, 6})}, {34, {}},
      {35, make({100})}, {36, make({3, 2})}, {37, make({2}, {}, {2})}, {37, make({3}, {1, 1}, {0})},
      {38, make({30}, {1})}, {39, make({4})}, {40, make({10, -45})}, {41, make({2})}, {42, make({}, {}, {1, 1})},
      {42, make({}, {1}, {2, 2})}, {43, make({2})}, {44, make({3})}, {44, make({5}, {1, 1})}, {45, make({4})},
      {46, make({8, 60, 20})}, {46, make({30, 30, 60}, {}, {1})}, {47, make({3}, {}, {2})}, {48, {}},
      {49, make({3}, {}, {0, 1})}, {50, make({2}, {}, {0, 1})}, {50, make({2}, {1}, {1, 0})},
      {51, make({55, 5, 256})},
  };
}

void expectOutsideUnchanged(const Image32& before, const Image32& after, const Rect& r, const char* what) {
  for (int y = 0; y < before.height(); ++y)
    for (int x = 0; x < before.width(); ++x) {
      if (!r.contains(x, y)) {
        ASSERT_EQ(after.at(x, y), before.at(x, y)) << what << " at " << x << "," << y;
      }
      if (alphaOf(after.at(x, y)) == 0) {
        ASSERT_EQ(after.at(x, y), kTransparent) << what << " at " << x << "," << y;
      }
    }
}

TEST(AllFilters, OutsideTheRectangleNothingChanges) {
  LayerList layers;
  Layer* ref = layers.add(48, 40, true);
  Layer* target = layers.add(48, 40, true);   // on top: index 0
  ASSERT_TRUE(ref && target);
  Image32 refImg = randomImage(48, 40, 41, 3);
  ref->image().copyFrom(refImg);
  Image32 img = randomImage(48, 40, 42);
  for (int y = 10; y < 25; ++y)   // a flat triangle gives the edge filters their steps
    for (int x = 12; x < 12 + (y - 10); ++x) img.set(x, y, 0xFF204080u);
  target->image().copyFrom(img);
  std::mt19937 rng(8);
  FilterContext c;
  c.layers = &layers;
  c.currentLayer = 0;
  c.random = &rng;
  c.foreground = 0x336699;
  c.background = 0xCC9966;
  c.brushAlpha = 200;
  Rect r{9, 7, 27, 22};
  int covered[kFilterCount] = {};
  for (const Case& k : cases(img.at(12, 10))) {
    FilterFunction f = filterFunction(k.index);
    ASSERT_NE(f, nullptr) << k.index;
    Image32 dst = copyOf(img);
    CountingProgress progress;
    ASSERT_TRUE(f(k.values, c, dst, img, r, &progress)) << k.index;
    EXPECT_GE(progress.steps, 1) << k.index;
    EXPECT_NE(firstDifference(dst, img, r), "") << "filter " << k.index << " changed nothing";
    expectOutsideUnchanged(img, dst, r, std::to_string(k.index).c_str());
    ++covered[k.index];
  }
  for (int i = 0; i < kFilterCount; ++i) EXPECT_GT(covered[i], 0) << i;
  for (int id : {41800, 41801, 41802, 41803, 41810, 41811, 41812, 41813, 41820, 41821, 41822}) {
    const FilterEntry* entry = filterByCommand(id);
    ASSERT_NE(entry, nullptr) << id;
    FilterFunction f = filterFunctionOf(*entry);
    ASSERT_NE(f, nullptr) << id;
    Image32 dst = copyOf(img);
    ASSERT_TRUE(f({}, c, dst, img, r, nullptr)) << id;
    expectOutsideUnchanged(img, dst, r, std::to_string(id).c_str());
  }
}

TEST(AllFilters, LookUps) {
  EXPECT_EQ(filterFunction(-1), nullptr);
  EXPECT_EQ(filterFunction(52), nullptr);
  EXPECT_EQ(filterFunction(5), &filterInvert);
  EXPECT_EQ(filterFunction(23), &filterGaussianBlur);
  EXPECT_EQ(filterFunction(51), &filterGlow);
  EXPECT_EQ(filterFunctionOf(*filterByCommand(41813)), &filterRemoveTransparency);
  EXPECT_EQ(filterByCommand(41804), nullptr);
  EXPECT_EQ(filterByCommand(41823), nullptr);
  EXPECT_EQ(filterFunctionOf(*filterByCommand(41000)), &filterBrightnessContrast);
}

// A filter handed one image as destination and source reads the unchanged
// picture all the same.
TEST(AllFilters, InPlaceCallsReadTheOriginal) {
  Image32 img = randomImage(30, 24, 43);
  for (int index : {22, 23, 27, 29, 42, 36, 19}) {
    FilterValues v = make({2, 1});
    Image32 separate = run(filterFunction(index), v, img, {2, 3, 20, 15});
    Image32 same = copyOf(img);
    ASSERT_TRUE(filterFunction(index)(v, {}, same, same, {2, 3, 20, 15}, nullptr));
    EXPECT_EQ(firstDifference(separate, same, img.bounds()), "") << index;
  }
}

}  // namespace
}  // namespace tessel
