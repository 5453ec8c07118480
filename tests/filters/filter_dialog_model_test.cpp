#include "filters/filter_dialog_model.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

// Every character 6 pixels wide, base units 6 x 12 (1 unit = 1.5 px across, 1.5 px down).
DialogMetrics fixedMetrics() {
  DialogMetrics m;
  m.textWidth = [](const std::string& s) { return int(s.size()) * 6; };
  return m;
}

FilterDialogModel modelFor(int templateId, FilterPreview preview = FilterPreview::None,
                           TemplateTarget target = {300, 200, {0, 0, 300, 200}, 0, 1},
                           std::vector<std::string> layers = {"背景"}) {
  FilterDialogSetup setup;
  setup.templateId = templateId;
  setup.preview = preview;
  setup.target = target;
  setup.layerNames = std::move(layers);
  FilterDialogModel model;
  EXPECT_TRUE(model.build(setup, fixedMetrics())) << templateId;
  return model;
}

TEST(FilterDialogModel, OpensWithTheTemplateDefaults) {
  FilterDialogModel colours = modelFor(705);
  ASSERT_EQ(colours.controls().size(), 1u);
  EXPECT_EQ(colours.controls()[0].value, 7);
  EXPECT_EQ(colours.controls()[0].items[7], "256");
  EXPECT_EQ(colours.controls()[0].id, filter_ids::kList);

  TemplateTarget odd{301, 201, {0, 0, 301, 201}, 0, 1};
  for (int id : {718, 725}) {
    FilterValues v = modelFor(id, FilterPreview::Box, odd).values();
    EXPECT_EQ(v.slider[0], 150) << id;
    EXPECT_EQ(v.slider[1], 100) << id;
    EXPECT_EQ(modelFor(id, FilterPreview::Box, odd).controls()[0].limits.max, 300) << id;
  }
  // The offset's limits follow the target rectangle, not the image.
  FilterDialogModel offset = modelFor(727, FilterPreview::Canvas, {300, 200, {10, 20, 50, 40}, 0, 1});
  EXPECT_EQ(offset.controls()[0].limits.max, 49);
  EXPECT_EQ(offset.controls()[1].limits.max, 39);
  EXPECT_TRUE(offset.setSlider(0, 80));
  EXPECT_EQ(offset.controls()[0].value, 49);
}

TEST(FilterDialogModel, MarksBelowTheMinimumAreNotDrawn) {
  FilterDialogModel dots = modelFor(712);
  const SliderLimits& amount = dots.controls()[1].limits;
  EXPECT_EQ(amount.mark, -1);
  EXPECT_EQ(sliderMarkX(amount, 200), -1);
  EXPECT_EQ(sliderMarkX(modelFor(719).controls()[1].limits, 200), -1);
  EXPECT_EQ(sliderMarkX(modelFor(700).controls()[0].limits, 200), 2 + 255 * 195 / 510);   // mark 0 > min −255
  // Anti-alias: 1 … 255, mark 128 on a 104-pixel control: 2 + 127 × 99 / 254.
  const SliderLimits aa = modelFor(726).controls()[0].limits;   // a copy: the model is a temporary
  EXPECT_EQ(sliderMarkX(aa, 104), 2 + 127 * 99 / 254);
  EXPECT_EQ(sliderValueX(aa, 1, 104), 2);
  EXPECT_EQ(sliderValueX(aa, 255, 104), 101);
}

TEST(FilterDialogModel, MouseOnTheSliderTrack) {
  SliderLimits s{-255, 255, 0, 0, false};
  EXPECT_EQ(sliderValueAt(s, 2, 105), -255);
  EXPECT_EQ(sliderValueAt(s, 102, 105), 255);
  EXPECT_EQ(sliderValueAt(s, 52, 105), -255 + 510 * 50 / 100);
  EXPECT_EQ(sliderValueAt(s, -40, 105), -255);   // dragged past either end
  EXPECT_EQ(sliderValueAt(s, 900, 105), 255);
}

TEST(FilterDialogModel, DecimalSliderShowsHundredths) {
  FilterDialogModel gamma = modelFor(701);
  ASSERT_TRUE(gamma.controls()[0].decimal());
  EXPECT_EQ(gamma.controls()[0].id, filter_ids::kDecimalSlider);
  EXPECT_EQ(gamma.controls()[0].fieldId, filter_ids::kDecimalField);
  EXPECT_EQ(gamma.fieldText(0), "1.00");
  EXPECT_TRUE(gamma.setSlider(0, 3));   // below the minimum 10
  EXPECT_EQ(gamma.fieldText(0), "0.10");
  EXPECT_FALSE(gamma.typeNumber(0, "200"));   // its field is read-only
  EXPECT_EQ(hundredthsText(-5), "-0.05");
  EXPECT_EQ(hundredthsText(400), "4.00");
}

TEST(FilterDialogModel, TypedNumbersAreClampedOrRefused) {
  FilterDialogModel bc = modelFor(700);
  bool changed = false;
  EXPECT_TRUE(bc.typeNumber(0, "999", &changed));
  EXPECT_TRUE(changed);
  EXPECT_EQ(bc.controls()[0].value, 255);
  EXPECT_EQ(bc.fieldText(0), "255");
  EXPECT_TRUE(bc.typeNumber(0, "-99999999999999", &changed));
  EXPECT_EQ(bc.controls()[0].value, -255);
  EXPECT_TRUE(bc.typeNumber(1, " +42 ", &changed));
  EXPECT_EQ(bc.controls()[1].value, 42);
  for (const char* bad : {"", "-", "12x", "x", "1 2"}) {
    EXPECT_FALSE(bc.typeNumber(1, bad)) << bad;
    EXPECT_EQ(bc.controls()[1].value, 42) << bad;
  }
  EXPECT_EQ(bc.values().slider[0], -255);
  EXPECT_EQ(bc.values().slider[1], 42);
}

TEST(FilterDialogModel, ResetReturnsOnlyTheSliders) {
  FilterDialogModel lines = modelFor(707);
  lines.setSlider(0, 9);
  lines.setSlider(3, 150);
  lines.setCheck(4, false);
  lines.setItem(6, 2);
  EXPECT_FALSE(lines.setItem(6, 3));   // no such item
  lines.reset();
  FilterValues v = lines.values();
  EXPECT_EQ(v.slider[0], 1);
  EXPECT_EQ(v.slider[3], 1);
  EXPECT_EQ(v.check[0], 0);
  EXPECT_EQ(v.list[0], 2);
}

TEST(FilterDialogModel, LayerChoosersListTheLayers) {
  TemplateTarget target{40, 30, {0, 0, 40, 30}, 1, 3};
  FilterDialogModel combine = modelFor(706, FilterPreview::None, target, {"上", "中", "下"});
  const DialogControl& chooser = combine.controls()[0];
  EXPECT_EQ(chooser.items, (std::vector<std::string>{"1. 上", "2. 中 *", "3. 下"}));
  EXPECT_EQ(chooser.value, 2);   // the layer below the current one
  EXPECT_EQ(combine.controls()[1].value, 0);
  target.currentLayer = 2;   // nothing below: the current layer itself
  EXPECT_EQ(modelFor(706, FilterPreview::None, target, {"上", "中", "下"}).controls()[0].value, 2);
  EXPECT_EQ(modelFor(710, FilterPreview::Box, target, {"上", "中", "下"}).controls()[2].value, 2);
}

TEST(FilterDialogModel, LayoutFollowsTheLabelColumnAndThePreviewBox) {
  FilterDialogModel bc = modelFor(700);
  DialogMetrics m = fixedMetrics();
  // "对比度" is 9 bytes: the widest label.
  EXPECT_EQ(bc.labelColumnWidth(), 54);
  const DialogControl& first = bc.controls()[0];
  EXPECT_EQ(first.labelRect, (Rect{16, 14, 54, m.y(13)}));
  EXPECT_EQ(first.controlRect, (Rect{16 + 54 + 10, 14, m.x(150), m.y(10)}));
  EXPECT_EQ(first.fieldRect.x, first.controlRect.x + m.x(150) + 8);
  EXPECT_EQ(bc.controls()[1].labelRect.y, 14 + m.y(13) + 6);
  int bottom = 14 + 2 * m.y(13) + 6;
  EXPECT_EQ(bc.buttonsTop(), bottom + 20);
  EXPECT_EQ(bc.width(), first.fieldRect.x + m.x(29) + 14);
  EXPECT_EQ(modelFor(705).width(), 290);   // no narrower than the buttons
  EXPECT_TRUE(bc.previewBox().empty());

  // Check boxes do not widen the label column; the box pushes the controls right.
  FilterDialogModel median = modelFor(732, FilterPreview::Box);
  EXPECT_EQ(median.previewBox(), (Rect{10, 14, 160, 150}));
  EXPECT_EQ(median.controls()[0].labelRect.x, 160 + 26);
  EXPECT_EQ(median.labelColumnWidth(), 54);   // "应用值"
  EXPECT_EQ(median.controls()[2].controlRect.x, 186);
  EXPECT_EQ(median.buttonsTop(), 14 + 150 + 20);   // the box is lower than the controls
  EXPECT_TRUE(median.previewChecked);
  EXPECT_FALSE(modelFor(724).previewChecked);
}

TEST(FilterDialogModel, EveryTemplateOpensWithItsCommandLineDefaults) {
  TemplateTarget target{120, 90, {0, 0, 120, 90}, 0, 2};
  for (const FilterEntry& e : filterTable()) {
    if (e.templateId == 0) continue;
    FilterDialogSetup setup;
    setup.templateId = e.templateId;
    setup.preview = e.preview;
    setup.target = target;
    setup.layerNames = {"a", "b"};
    FilterDialogModel model;
    ASSERT_TRUE(model.build(setup, fixedMetrics())) << e.cliName;
    std::vector<FilterParam> params;
    ASSERT_TRUE(filterParams(e, target, params)) << e.cliName;
    FilterValues expected;
    for (const FilterParam& p : params) setFilterParam(p, p.defaultValue, expected);
    FilterValues got = model.values();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(got.slider[i], expected.slider[i]) << e.cliName << i;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(got.check[i], expected.check[i]) << e.cliName << i;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(got.list[i], expected.list[i]) << e.cliName << i;
    EXPECT_GT(model.width(), 0);
    EXPECT_GT(model.buttonsTop(), 14) << e.cliName;
  }
}

TEST(FilterDialogModel, UnknownTemplateIsRefused) {
  FilterDialogSetup setup;
  setup.templateId = 699;
  FilterDialogModel model;
  EXPECT_FALSE(model.build(setup, fixedMetrics()));
  setup.templateId = 741;
  EXPECT_FALSE(model.build(setup, fixedMetrics()));
}

}  // namespace
}  // namespace tessel
