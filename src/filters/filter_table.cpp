#include "filters/filter_table.h"

#include "filters/filter_functions.h"

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

using D = FilterDialog;
using P = FilterPreview;

constexpr FilterEntry progressFilter(int index, const char* menu, const char* cli, int tmpl,
                                     std::initializer_list<const char*> params = {}) {
  FilterEntry e;
  e.command = kFirstFilterCommand + index;
  e.menuName = menu;
  e.cliName = cli;
  e.templateId = tmpl;
  e.dialog = D::Template;
  e.preview = P::Box;
  e.progress = true;
  int i = 0;
  for (const char* p : params) e.params[i++] = p;
  return e;
}

// A command whose path differs from the common one: dialog, preview, progress.
constexpr FilterEntry filter(int index, const char* menu, const char* cli, int tmpl, D dialog,
                             P preview, bool progress,
                             std::initializer_list<const char*> params = {}) {
  FilterEntry e = progressFilter(index, menu, cli, tmpl, params);
  e.dialog = dialog;
  e.preview = preview;
  e.progress = progress;
  return e;
}

constexpr FilterEntry inPlace(FilterEntry e) {
  e.inPlace = true;
  return e;
}

constexpr FilterEntry kTable[kFilterCommandCount] = {
    progressFilter(0, "亮度-对比度", "brightness-contrast", 700, {"brightness", "contrast"}),
    progressFilter(1, "Gamma", "gamma", 701, {"gamma"}),
    filter(2, "色阶", "levels", 0, D::Own, P::None, false,
           {"low", "mid", "high", "out-low", "out-high"}),
    progressFilter(3, "RGB调整", "rgb", 702, {"r", "g", "b"}),
    progressFilter(4, "HSV调整", "hsv", 703, {"h", "s", "v"}),
    inPlace(filter(5, "反相", "invert", 0, D::None, P::None, false)),
    inPlace(filter(6, "去色", "desaturate", 0, D::None, P::None, false)),
    inPlace(filter(7, "褐色调", "sepia", 0, D::None, P::None, false)),
    inPlace(filter(8, "映射(前景色-背景色)", "map-fg-bg", 0, D::None, P::None, false)),
    progressFilter(9, "2值化", "binarize", 704, {"threshold"}),
    [] {
      FilterEntry e = filter(10, "减色(整体)", "reduce-colours", 705, D::Template, P::None, true,
                             {"colours"});
      e.wholeLayer = true;
      return e;
    }(),
    filter(11, "替换前景色区颜色", "replace-colour", 0, D::Own, P::None, false, {"from", "to"}),
    filter(12, "结合其他图层设置", "set-alpha", 706, D::Template, P::None, false,
           {"reference", "operation"}),
    progressFilter(13, "直线", "lines", 707,
                   {"min-width", "max-width", "min-spacing", "max-spacing", "horizontal",
                    "vertical", "colour"}),
    progressFilter(14, "网点", "dots", 708, {"size", "spacing", "colour"}),
    progressFilter(15, "方格", "grid", 709, {"cell-width", "cell-height", "square", "colour"}),
    progressFilter(16, "不透明部分描边", "outline-outside", 710, {"size", "shape", "reference"}),
    filter(17, "边框", "border", 711, D::Template, P::None, false, {"width"}),
    progressFilter(18, "随机噪点", "random-dots", 712,
                   {"size", "amount", "spacing", "shape", "colour"}),
    progressFilter(19, "马赛克", "mosaic", 713, {"size"}),
    progressFilter(20, "晶格化", "crystallize", 714, {"size", "average"}),
    progressFilter(21, "半调", "halftone", 715,
                   {"size", "smoothness", "r-angle", "g-angle", "b-angle", "grey", "all-45"}),
    progressFilter(22, "模糊", "blur", 716, {"strength"}),
    progressFilter(23, "高斯模糊", "gaussian-blur", 717, {"strength"}),
    progressFilter(24, "径向模糊", "radial-blur", 718, {"centre-x", "centre-y", "strength"}),
    progressFilter(25, "镜头模糊", "lens-blur", 719, {"strength", "highlight"}),
    progressFilter(26, "动感模糊", "motion-blur", 720, {"range", "angle"}),
    progressFilter(27, "锐化", "sharpen", 721, {"strength"}),
    progressFilter(28, "USM 锐化", "unsharp-mask", 722, {"range", "amount"}),
    filter(29, "Sobel算子", "sobel", 0, D::None, P::None, true),
    filter(30, "Laplacian算子", "laplacian", 0, D::None, P::None, true),
    progressFilter(31, "波浪", "wave", 723, {"waves", "amplitude", "direction", "wrap"}),
    filter(32, "极坐标", "polar", 724, D::Template, P::None, true, {"transform", "background"}),
    progressFilter(33, "放射", "radial", 725, {"centre-x", "centre-y", "amount"}),
    filter(34, "1像素线条补正", "line-correction", 0, D::None, P::None, true),
    progressFilter(35, "反锯齿", "anti-alias", 726, {"strength"}),
    [] {
      FilterEntry e = filter(36, "位移", "offset", 727, D::Template, P::Canvas, false, {"x", "y"});
      e.resetEnabled = true;
      return e;
    }(),
    progressFilter(37, "浮雕", "emboss", 728, {"strength", "direction", "sunken", "colour"}),
    inPlace(filter(38, "噪点", "noise", 729, D::Template, P::Box, false, {"amount", "colour"})),
    progressFilter(39, "扩散", "diffuse", 730, {"range"}),
    progressFilter(40, "划痕", "scratches", 731, {"length", "angle"}),
    progressFilter(41, "镜头抖动", "lens-shake", 733, {"distance"}),
    progressFilter(42, "中值", "median", 732, {"range", "value", "transparent-only"}),
    progressFilter(43, "油画", "oil-paint", 734, {"range"}),
    inPlace(filter(44, "立体边框", "border-3d", 735, D::Template, P::None, false,
                   {"width", "sunken", "smooth"})),
    progressFilter(45, "色调分离", "posterize", 736, {"levels"}),
    [] {
      FilterEntry e = progressFilter(46, "生成(详细)", "clouds", 737,
                                     {"detail", "sharpness", "contrast", "colours"});
      e.previewWidth = e.previewHeight = 180;
      return e;
    }(),
    progressFilter(47, "RGB偏移", "rgb-shift", 738, {"direction", "distance"}),
    inPlace(filter(48, "根据亮度抽出线稿", "line-art", 0, D::None, P::None, false)),
    progressFilter(49, "不透明部分描边(内侧)", "outline-inside", 710, {"size", "shape", "reference"}),
    progressFilter(50, "描边", "outline", 739, {"width", "colour", "reference", "cut-out"}),
    progressFilter(51, "发光", "glow", 740, {"brightness", "blur", "strength"}),
};

constexpr FilterEntry extra(int command, const char* menu, const char* cli, bool progress,
                            FilterFunction function) {
  FilterEntry e = filter(command - kFirstFilterCommand, menu, cli, 0, D::None, P::None, progress);
  e.inPlace = !progress;
  e.function = function;
  return e;
}

constexpr FilterEntry kExtra[] = {
    extra(41800, "前景色区域转为透明", "fg-to-transparent", false, filterForegroundToTransparent),
    extra(41801, "前景色以外转为透明", "non-fg-to-transparent", false,
          filterNonForegroundToTransparent),
    extra(41802, "透明区域用前景色替换", "fill-transparent-fg", false,
          filterFillTransparentForeground),
    extra(41803, "前景色部分用背景色替换", "fg-to-bg", false, filterForegroundToBackground),
    extra(41810, "亮色转为透明", "light-to-transparent", false, filterLightToTransparent),
    extra(41811, "暗色转为透明", "dark-to-transparent", false, filterDarkToTransparent),
    extra(41812, "根据Alpha值生成灰度", "grey-from-alpha", false, filterGreyFromAlpha),
    extra(41813, "移除透明", "remove-transparency", false, filterRemoveTransparency),
    extra(41820, "生成(黑-白)", "clouds-bw", true, filterCloudsBlackWhite),
    extra(41821, "生成(前景色-背景色)", "clouds-fg-bg", true, filterCloudsForegroundBackground),
    extra(41822, "基于当前图像差值", "clouds-difference", true, filterCloudsDifference),
};

// Parameters of the two commands with dialogs of their own.
bool ownDialogParams(const FilterEntry& entry, std::vector<FilterParam>& out) {
  if (entry.index() == 2) {   // levels: input low, middle, high; output low, high
    const int defaults[5] = {0, 128, 255, 0, 255};
    for (int i = 0; i < 5; ++i)
      out.push_back({entry.params[i], FilterParam::Integer, {ValueGroup::Slider, i}, 0, 255,
                     defaults[i], {}});
    return true;
  }
  if (entry.index() == 11) {   // replace colour: from and to, as 0x00RRGGBB
    out.push_back({"from", FilterParam::Colour, {ValueGroup::Slider, 0}, 0, 0xFFFFFF, 0x000000, {}});
    out.push_back({"to", FilterParam::Colour, {ValueGroup::Slider, 1}, 0, 0xFFFFFF, 0xFFFFFF, {}});
    return true;
  }
  return entry.paramCount() == 0;
}

FilterParam paramOf(const TemplateControl& c, const ValueLayout& layout, size_t i,
                    const TemplateTarget& target) {
  FilterParam p;
  p.slot = layout.slot[i];
  switch (c.kind) {
    case ControlKind::Slider:
    case ControlKind::DecimalSlider: {
      const SliderLimits& s = layout.slider[p.slot.index];
      p.kind = s.decimal ? FilterParam::Decimal : FilterParam::Integer;
      p.min = s.min;
      p.max = s.max;
      break;
    }
    case ControlKind::Check:
      p.kind = FilterParam::Check;
      p.max = 1;
      break;
    case ControlKind::List:
      p.kind = FilterParam::List;
      p.max = int(c.items.size()) - 1;
      for (const std::string& item : c.items) p.items.push_back(codePage936ToUtf8(item));
      break;
    case ControlKind::LayerChooser:
      p.kind = FilterParam::Layer;
      p.max = std::max(0, target.layerCount - 1);
      break;
  }
  const FilterValues& d = layout.defaults;
  p.defaultValue = p.slot.group == ValueGroup::Slider  ? d.slider[p.slot.index]
                   : p.slot.group == ValueGroup::Check ? d.check[p.slot.index]
                                                       : d.list[p.slot.index];
  return p;
}

}  // namespace

int FilterEntry::paramCount() const {
  int n = 0;
  while (n < 8 && params[n]) ++n;
  return n;
}

std::span<const FilterEntry> filterTable() { return kTable; }
std::span<const FilterEntry> extraFilters() { return kExtra; }

const FilterEntry* filterByCommand(int command) {
  for (auto list : {filterTable(), extraFilters()})
    for (const FilterEntry& e : list)
      if (e.command == command) return &e;
  return nullptr;
}

const FilterEntry* filterByName(const std::string& cliName) {
  for (auto list : {filterTable(), extraFilters()})
    for (const FilterEntry& e : list)
      if (cliName == e.cliName) return &e;
  return nullptr;
}

bool filterParams(const FilterEntry& entry, const TemplateTarget& target,
                  std::vector<FilterParam>& out) {
  out.clear();
  if (entry.templateId == 0) return ownDialogParams(entry, out);
  std::vector<TemplateControl> controls;
  if (!loadFilterTemplate(entry.templateId, controls) ||
      int(controls.size()) != entry.paramCount())
    return false;
  ValueLayout layout = buildValueLayout(controls, target);
  for (size_t i = 0; i < controls.size(); ++i) {
    out.push_back(paramOf(controls[i], layout, i, target));
    out.back().name = entry.params[i];
  }
  return true;
}

void setFilterParam(const FilterParam& param, int value, FilterValues& values) {
  value = std::clamp(value, param.min, param.max);
  switch (param.slot.group) {
    case ValueGroup::Slider: values.slider[param.slot.index] = value; break;
    case ValueGroup::Check: values.check[param.slot.index] = value; break;
    case ValueGroup::List: values.list[param.slot.index] = value; break;
  }
}

}  // namespace tessel
