#include "filters/filter_template.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace tessel {
namespace {

// S integer slider, D decimal slider, K check box, L list, Y layer chooser.
const std::map<int, std::string> kKinds = {
    {700, "SS"},    {701, "D"},       {702, "SSS"},  {703, "SSS"},   {704, "S"},    {705, "L"},
    {706, "YL"},    {707, "SSSSKKL"}, {708, "SSL"},  {709, "SSKL"},  {710, "SLY"},  {711, "S"},
    {712, "SSSLL"}, {713, "S"},       {714, "SK"},   {715, "SSSSSKK"}, {716, "S"},  {717, "S"},
    {718, "SSS"},   {719, "SS"},      {720, "SS"},   {721, "S"},     {722, "SS"},   {723, "SSLK"},
    {724, "LL"},    {725, "SSS"},     {726, "S"},    {727, "SS"},    {728, "SLKK"}, {729, "SK"},
    {730, "S"},     {731, "SS"},      {732, "LLK"},  {733, "S"},     {734, "S"},    {735, "SKK"},
    {736, "S"},     {737, "SSSL"},    {738, "LS"},   {739, "SLYK"},  {740, "SSS"},
};

std::string kindsOf(const std::vector<TemplateControl>& controls) {
  std::string s;
  for (const TemplateControl& c : controls) s += "SKLDY"[int(c.kind)];
  return s;
}

std::vector<TemplateControl> load(int id) {
  std::vector<TemplateControl> controls;
  EXPECT_TRUE(loadFilterTemplate(id, controls)) << id;
  return controls;
}

std::vector<uint8_t> bytesOf(int id) {
  std::span<const uint8_t> bytes;
  EXPECT_TRUE(findFilterTemplate(id, bytes)) << id;
  return {bytes.begin(), bytes.end()};
}

TEST(FilterTemplate, EveryPackedTemplateParses) {
  ASSERT_EQ(packedFilterTemplates().size(), size_t(kFilterTemplateCount));
  for (int id = kFirstFilterTemplate; id < kFirstFilterTemplate + kFilterTemplateCount; ++id) {
    std::vector<TemplateControl> controls = load(id);
    EXPECT_EQ(kindsOf(controls), kKinds.at(id)) << id;
    for (const TemplateControl& c : controls) {
      bool wide = c.isSlider() && (id <= 704 || id == 727);
      if (!wide) {
        EXPECT_TRUE(c.width >= 30 && c.width <= 120) << id << " " << c.width;
      }
    }
  }
  std::vector<TemplateControl> none;
  EXPECT_FALSE(loadFilterTemplate(741, none));
  EXPECT_FALSE(loadFilterTemplate(699, none));
}

TEST(FilterTemplate, FieldsAsStored) {
  std::vector<TemplateControl> c = load(700);
  EXPECT_EQ(c[0].width, 150);
  EXPECT_EQ(codePage936ToUtf8(c[0].label), "亮度");
  EXPECT_EQ(c[0].label, "\xC1\xC1\xB6\xC8");   // code page 936 bytes
  EXPECT_EQ(c[1].min, -100);
  EXPECT_EQ(c[1].max, 100);
  EXPECT_EQ(load(702)[2].width, 170);
  // Padding spaces stay part of the label.
  EXPECT_EQ(codePage936ToUtf8(load(704)[0].label), "    阈值");
  EXPECT_EQ(load(704)[0].mark, 128);
  c = load(701);
  EXPECT_EQ(c[0].kind, ControlKind::DecimalSlider);
  EXPECT_EQ(c[0].min, 10);
  EXPECT_EQ(c[0].max, 400);
  EXPECT_EQ(c[0].defaultValue, 100);
  c = load(705);
  ASSERT_EQ(c[0].items.size(), 8u);
  EXPECT_EQ(c[0].items[7], "256");
  EXPECT_EQ(c[0].defaultItem, 7);
  c = load(706);
  EXPECT_TRUE(c[0].preselectNext);
  ASSERT_EQ(c[1].items.size(), 8u);
  EXPECT_EQ(codePage936ToUtf8(c[1].items[0]), "按参照层的透明区域做Alpha  ");
  EXPECT_EQ(codePage936ToUtf8(c[1].items[7]), "按对象层的颜色亮度反转复制   ");
  EXPECT_EQ(load(712)[1].mark, -1);
  EXPECT_EQ(load(719)[1].mark, -1);
  EXPECT_EQ(codePage936ToUtf8(load(719)[1].label), "        亮部强度");
  EXPECT_EQ(codePage936ToUtf8(load(724)[0].items[0]), "直角坐标→极坐标");
  EXPECT_EQ(load(731)[1].defaultValue, -45);
  EXPECT_FALSE(load(710)[2].preselectNext);
  c = load(718);
  EXPECT_TRUE(c[0].hasSizeFlags);
  EXPECT_EQ(c[1].sizeFlags, kSizeFromHeight | kSizeDefaultHalf);
  EXPECT_FALSE(c[2].hasSizeFlags);
}

TEST(FilterTemplate, SlidersFollowTheImage) {
  std::vector<TemplateControl> c = load(718);
  ValueLayout layout = buildValueLayout(c, {301, 200, {10, 10, 40, 30}, 0, 1});
  EXPECT_EQ(layout.sliders, 3);
  EXPECT_EQ(layout.slider[0].max, 300);
  EXPECT_EQ(layout.slider[0].defaultValue, 150);
  EXPECT_EQ(layout.slider[1].max, 199);
  EXPECT_EQ(layout.slider[1].defaultValue, 100);
  EXPECT_EQ(layout.slider[2].min, 3);
  EXPECT_EQ(layout.slider[2].max, 50);

  // The offset limits follow the target rectangle, and its defaults stay 0.
  layout = buildValueLayout(load(727), {301, 200, {10, 10, 40, 30}, 0, 1});
  EXPECT_EQ(layout.slider[0].max, 39);
  EXPECT_EQ(layout.slider[1].max, 29);
  EXPECT_EQ(layout.defaults.slider[0], 0);

  // A one-pixel image still gives a range of one value.
  layout = buildValueLayout(c, {1, 1, {0, 0, 1, 1}, 0, 1});
  EXPECT_EQ(layout.slider[0].max, 0);
  EXPECT_EQ(layout.defaults.slider[1], 0);
}

TEST(FilterTemplate, DefaultValueBlocks) {
  FilterValues v;
  ASSERT_TRUE(defaultValues(707, 100, 100, {0, 0, 100, 100}, v));
  EXPECT_EQ(v.slider[0], 1);
  EXPECT_EQ(v.slider[3], 1);
  EXPECT_EQ(v.check[0], 1);
  EXPECT_EQ(v.check[1], 0);
  EXPECT_EQ(v.list[0], 0);
  ASSERT_TRUE(defaultValues(740, 100, 100, {0, 0, 100, 100}, v));
  EXPECT_EQ(v.slider[0], 55);
  EXPECT_EQ(v.slider[2], 256);
  ASSERT_TRUE(defaultValues(732, 10, 10, {0, 0, 10, 10}, v));
  EXPECT_EQ(v.list[0], 0);
  EXPECT_EQ(v.list[1], 1);
  ASSERT_TRUE(defaultValues(738, 10, 10, {0, 0, 10, 10}, v));
  EXPECT_EQ(v.list[0], 2);
  EXPECT_EQ(v.slider[0], 3);
  // Chooser then list: the chooser takes list slot 0.
  ASSERT_TRUE(defaultValues(706, 10, 10, {0, 0, 10, 10}, v, 1, 3));
  EXPECT_EQ(v.list[0], 2);
  EXPECT_EQ(v.list[1], 0);
  ASSERT_TRUE(defaultValues(706, 10, 10, {0, 0, 10, 10}, v, 2, 3));
  EXPECT_EQ(v.list[0], 2);   // no layer below the bottom one
  ASSERT_TRUE(defaultValues(739, 10, 10, {0, 0, 10, 10}, v, 1, 3));
  EXPECT_EQ(v.list[0], 0);
  EXPECT_EQ(v.list[1], 1);
  EXPECT_EQ(v.check[0], 0);
  EXPECT_FALSE(defaultValues(800, 10, 10, {0, 0, 10, 10}, v));
}

// A slider record: kind, width 100, label "A", parameter block.
std::vector<uint8_t> sliderRecord(int16_t min, int16_t max, int16_t def) {
  auto lo = [](int v) { return uint8_t(v & 0xFF); };
  auto hi = [](int v) { return uint8_t((v >> 8) & 0xFF); };
  return {0, 100, 0, 'A', 0, 8, 0, lo(min), hi(min), lo(max), hi(max), lo(def), hi(def), 0, 0};
}

std::vector<uint8_t> templateOf(const std::vector<std::vector<uint8_t>>& records) {
  std::vector<uint8_t> t{uint8_t(records.size())};
  for (const auto& r : records) t.insert(t.end(), r.begin(), r.end());
  return t;
}

bool parses(const std::vector<uint8_t>& bytes) {
  std::vector<TemplateControl> out;
  bool ok = parseFilterTemplate(bytes, out);
  if (!ok) {
    EXPECT_TRUE(out.empty());
  }
  return ok;
}

TEST(FilterTemplate, HandMadeRecords) {
  std::vector<TemplateControl> out;
  ASSERT_TRUE(parseFilterTemplate(templateOf({sliderRecord(-5, 300, 7)}), out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].min, -5);
  EXPECT_EQ(out[0].max, 300);
  EXPECT_EQ(out[0].label, "A");
  EXPECT_TRUE(parses({0}));   // no controls at all
  std::vector<uint8_t> list = {2, 80, 0, 0, 6, 0, 'x', 0, 'y', 0, 0, 1};
  ASSERT_TRUE(parseFilterTemplate(templateOf({list}), out));
  EXPECT_EQ(out[0].items, (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(out[0].defaultItem, 1);
}

TEST(FilterTemplate, MalformedTemplatesAreRefused) {
  std::vector<uint8_t> good = sliderRecord(0, 10, 5);
  EXPECT_FALSE(parses({}));
  EXPECT_FALSE(parses({1}));                                    // the record is missing
  auto counted = templateOf({good, good});
  counted[0] = 3;   // one record more than there is
  EXPECT_FALSE(parses(counted));
  auto bad = good;
  bad[0] = 5;   // unknown kind
  EXPECT_FALSE(parses(templateOf({bad})));
  bad = good;
  bad[1] = 0;   // zero width
  EXPECT_FALSE(parses(templateOf({bad})));
  bad = good;
  bad[5] = 7;   // parameter block one byte short of a slider's
  EXPECT_FALSE(parses(templateOf({bad})));
  EXPECT_FALSE(parses(templateOf({sliderRecord(10, 0, 5)})));    // min above max
  EXPECT_FALSE(parses(templateOf({sliderRecord(0, 10, 11)})));   // default outside
  EXPECT_FALSE(parses(templateOf({good, good, good, good, good, good})));   // six sliders
  auto trailing = templateOf({good});
  trailing.push_back(0);
  EXPECT_FALSE(parses(trailing));
  EXPECT_FALSE(parses({1, 1, 50, 0, 'A', 'B'}));                 // unterminated label
  EXPECT_FALSE(parses(templateOf({{1, 50, 0, 0, 2, 0, 1, 0}})));  // check with two bytes
  EXPECT_FALSE(parses(templateOf({{2, 50, 0, 0, 4, 0, 'x', 0, 0, 1}})));   // default past the items
  EXPECT_FALSE(parses(templateOf({{2, 50, 0, 0, 2, 0, 0, 0}})));           // no items
  EXPECT_FALSE(parses(templateOf({{2, 50, 0, 0, 3, 0, 'x', 0, 0}})));      // no default byte
  EXPECT_FALSE(parses(templateOf({{2, 50, 0, 0, 3, 0, 'x', 'y', 'z'}})));  // item runs out
  std::vector<uint8_t> check = {1, 50, 0, 0, 1, 0, 1};
  EXPECT_FALSE(parses(templateOf({check, check, check})));       // three check boxes
  std::vector<uint8_t> chooser = {4, 50, 0, 0, 1, 0, 0};
  std::vector<uint8_t> list = {2, 80, 0, 0, 4, 0, 'x', 0, 0, 0};
  EXPECT_TRUE(parses(templateOf({chooser, list})));
  EXPECT_FALSE(parses(templateOf({chooser, list, list})));       // three lists
}

TEST(FilterTemplate, EveryCutOfEveryTemplateIsRefused) {
  for (int id = kFirstFilterTemplate; id < kFirstFilterTemplate + kFilterTemplateCount; ++id) {
    std::vector<uint8_t> bytes = bytesOf(id);
    for (size_t n = 0; n < bytes.size(); ++n)
      ASSERT_FALSE(parses({bytes.begin(), bytes.begin() + ptrdiff_t(n)})) << id << " cut at " << n;
  }
}

TEST(FilterTemplate, DamagedBytesNeverReadOutside) {
  std::mt19937 random(17);
  std::vector<TemplateControl> out;
  int accepted = 0;
  for (int round = 0; round < 4000; ++round) {
    std::vector<uint8_t> bytes = bytesOf(700 + int(random() % 41));
    for (int k = 0; k < 3; ++k) bytes[random() % bytes.size()] = uint8_t(random());
    accepted += parseFilterTemplate(bytes, out);
    for (const TemplateControl& c : out) {
      if (c.kind == ControlKind::List) {
        EXPECT_LT(c.defaultItem, int(c.items.size()));
      }
    }
  }
  EXPECT_GT(accepted, 0);   // changed labels and values still make templates
}

}  // namespace
}  // namespace tessel
