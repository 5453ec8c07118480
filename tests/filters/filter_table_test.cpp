#include "filters/filter_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tessel {
namespace {

const TemplateTarget kTarget{200, 100, {5, 5, 40, 30}, 0, 2};

TEST(FilterTable, CommandsInIndexOrder) {
  ASSERT_EQ(filterTable().size(), 52u);
  const int templates[52] = {700, 701, 0,   702, 703, 0,   0,   0,   0,   704, 705, 0,   706,
                             707, 708, 709, 710, 711, 712, 713, 714, 715, 716, 717, 718, 719,
                             720, 721, 722, 0,   0,   723, 724, 725, 0,   726, 727, 728, 729,
                             730, 731, 733, 732, 734, 735, 736, 737, 738, 0,   710, 739, 740};
  for (int i = 0; i < 52; ++i) {
    const FilterEntry& e = filterTable()[size_t(i)];
    EXPECT_EQ(e.command, 41000 + i);
    EXPECT_EQ(e.index(), i);
    EXPECT_EQ(e.templateId, templates[i]) << i;
    EXPECT_EQ(e.dialog == FilterDialog::Template, templates[i] != 0) << i;
  }
  EXPECT_STREQ(filterTable()[0].menuName, "亮度-对比度");
  EXPECT_STREQ(filterTable()[28].menuName, "USM 锐化");
  EXPECT_STREQ(filterTable()[49].menuName, "不透明部分描边(内侧)");
  EXPECT_STREQ(filterTable()[51].cliName, "glow");
}

TEST(FilterTable, NamesAreUniqueAndFound) {
  std::set<std::string> names;
  for (auto list : {filterTable(), extraFilters()})
    for (const FilterEntry& e : list) {
      EXPECT_TRUE(names.insert(e.cliName).second) << e.cliName;
      EXPECT_EQ(filterByName(e.cliName), &e);
      EXPECT_EQ(filterByCommand(e.command), &e);
    }
  EXPECT_EQ(names.size(), 63u);
  EXPECT_EQ(filterByName("clouds-difference")->command, 41822);
  EXPECT_EQ(filterByCommand(41813)->cliName, std::string("remove-transparency"));
  EXPECT_EQ(filterByName("no-such-filter"), nullptr);
  EXPECT_EQ(filterByCommand(41052), nullptr);
}

TEST(FilterTable, Paths) {
  auto entry = [](int i) { return filterTable()[size_t(i)]; };
  EXPECT_EQ(entry(0).preview, FilterPreview::Box);
  EXPECT_TRUE(entry(0).progress);
  EXPECT_TRUE(entry(29).progress);
  EXPECT_EQ(entry(29).dialog, FilterDialog::None);
  EXPECT_FALSE(entry(5).progress);
  EXPECT_TRUE(entry(5).inPlace);
  EXPECT_EQ(entry(2).dialog, FilterDialog::Own);
  EXPECT_TRUE(entry(10).wholeLayer);
  EXPECT_EQ(entry(12).preview, FilterPreview::None);
  EXPECT_FALSE(entry(12).progress);
  EXPECT_EQ(entry(32).preview, FilterPreview::None);
  EXPECT_TRUE(entry(32).progress);
  EXPECT_EQ(entry(36).preview, FilterPreview::Canvas);
  EXPECT_TRUE(entry(36).resetEnabled);
  EXPECT_FALSE(entry(0).resetEnabled);
  EXPECT_TRUE(entry(38).inPlace);
  EXPECT_EQ(entry(38).preview, FilterPreview::Box);
  EXPECT_TRUE(entry(44).inPlace);
  EXPECT_EQ(entry(46).previewWidth, 180);
  EXPECT_EQ(entry(46).previewHeight, 180);
  EXPECT_EQ(entry(45).previewWidth, 160);
  EXPECT_TRUE(filterByCommand(41821)->progress);
  EXPECT_FALSE(filterByCommand(41800)->progress);
}

TEST(FilterTable, EveryEntryMatchesItsTemplate) {
  std::vector<FilterParam> params;
  for (auto list : {filterTable(), extraFilters()})
    for (const FilterEntry& e : list) {
      ASSERT_TRUE(filterParams(e, kTarget, params)) << e.cliName;
      EXPECT_EQ(int(params.size()), e.paramCount()) << e.cliName;
    }
}

TEST(FilterTable, ParametersMapToValueSlots) {
  std::vector<FilterParam> p;
  ASSERT_TRUE(filterParams(*filterByName("gaussian-blur"), kTarget, p));
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].name, "strength");
  EXPECT_EQ(p[0].slot, (ValueSlot{ValueGroup::Slider, 0}));
  EXPECT_EQ(p[0].min, 1);
  EXPECT_EQ(p[0].max, 30);
  EXPECT_EQ(p[0].defaultValue, 1);

  ASSERT_TRUE(filterParams(*filterByName("lines"), kTarget, p));
  EXPECT_EQ(p[4].name, "horizontal");
  EXPECT_EQ(p[4].slot, (ValueSlot{ValueGroup::Check, 0}));
  EXPECT_EQ(p[4].defaultValue, 1);
  EXPECT_EQ(p[5].slot, (ValueSlot{ValueGroup::Check, 1}));
  EXPECT_EQ(p[6].kind, FilterParam::List);
  EXPECT_EQ(p[6].items, (std::vector<std::string>{"前景色", "黑", "白"}));

  // The list comes first in the template, so the slider is slider 0.
  ASSERT_TRUE(filterParams(*filterByName("rgb-shift"), kTarget, p));
  EXPECT_EQ(p[0].slot, (ValueSlot{ValueGroup::List, 0}));
  EXPECT_EQ(p[0].defaultValue, 2);
  EXPECT_EQ(p[1].slot, (ValueSlot{ValueGroup::Slider, 0}));

  ASSERT_TRUE(filterParams(*filterByName("outline"), kTarget, p));
  EXPECT_EQ(p[2].kind, FilterParam::Layer);
  EXPECT_EQ(p[2].slot, (ValueSlot{ValueGroup::List, 1}));
  EXPECT_EQ(p[2].max, 1);
  EXPECT_EQ(p[3].slot, (ValueSlot{ValueGroup::Check, 0}));

  ASSERT_TRUE(filterParams(*filterByName("offset"), kTarget, p));
  EXPECT_EQ(p[0].max, 39);
  EXPECT_EQ(p[1].max, 29);
  ASSERT_TRUE(filterParams(*filterByName("radial"), kTarget, p));
  EXPECT_EQ(p[0].defaultValue, 100);
  EXPECT_EQ(p[1].defaultValue, 50);
  ASSERT_TRUE(filterParams(*filterByName("gamma"), kTarget, p));
  EXPECT_EQ(p[0].kind, FilterParam::Decimal);
  ASSERT_TRUE(filterParams(*filterByName("reduce-colours"), kTarget, p));
  EXPECT_EQ(p[0].defaultValue, 7);
  EXPECT_EQ(p[0].items.back(), "256");

  ASSERT_TRUE(filterParams(*filterByName("levels"), kTarget, p));
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[4].name, "out-high");
  EXPECT_EQ(p[4].slot, (ValueSlot{ValueGroup::Slider, 4}));
  EXPECT_EQ(p[2].defaultValue, 255);
  ASSERT_TRUE(filterParams(*filterByName("replace-colour"), kTarget, p));
  EXPECT_EQ(p[1].kind, FilterParam::Colour);
  EXPECT_EQ(p[1].defaultValue, 0xFFFFFF);
  ASSERT_TRUE(filterParams(*filterByName("invert"), kTarget, p));
  EXPECT_TRUE(p.empty());
}

TEST(FilterTable, SettingAParameterClampsIt) {
  std::vector<FilterParam> p;
  ASSERT_TRUE(filterParams(*filterByName("hsv"), kTarget, p));
  FilterValues v;
  setFilterParam(p[0], 999, v);
  setFilterParam(p[1], -999, v);
  setFilterParam(p[2], 17, v);
  EXPECT_EQ(v.slider[0], 180);
  EXPECT_EQ(v.slider[1], -255);
  EXPECT_EQ(v.slider[2], 17);
  ASSERT_TRUE(filterParams(*filterByName("median"), kTarget, p));
  setFilterParam(p[1], 2, v);
  setFilterParam(p[2], 5, v);
  EXPECT_EQ(v.list[1], 2);
  EXPECT_EQ(v.check[0], 1);
}

}  // namespace
}  // namespace tessel
