#pragma once
#include <span>
#include <string>

// User-visible texts of the window shell, UTF-8.
namespace tessel::text {

inline constexpr const char* kNoMmx = "MMX非対応のCPUでは動作しません";
inline constexpr const char* kTitlePrefix = "Tessel2 - ";
inline constexpr const char* kNewFile = "新建文件";
inline constexpr const char* kLeaveFullScreen = "请关闭全屏模式";
inline constexpr const char* kZoomIn = "放大";
inline constexpr const char* kZoomOut = "缩小";
inline constexpr const char* kZoomPopup = "缩放比率";
inline constexpr const char* kZoomLabel = "%d%%";
inline constexpr const char* kInfoBarPlaces = "隐藏/工具栏右端/左上/右上/左下/右下/";   // 25005
inline constexpr const char* kHelpFile = "help.html";
inline constexpr const char* kHelpMissing = "找不到帮助文件 help.html";
inline constexpr const char* kAboutTitle = "版本信息";
inline constexpr const char* kAboutText = "Tessel2\n光栅绘图软件\n版本 0.1";
inline constexpr const char* kGridTitle = "网格设置";
inline constexpr const char* kGridWidth = "网格宽度";
inline constexpr const char* kGridHeight = "网格高度";
inline constexpr const char* kGridPixel = "显示像素网格的缩放倍数";
inline constexpr const char* kCentreCross = "显示图像中心线";

// Tool names in tool-number order (the tool rows follow the same order).
inline constexpr const char* kToolNames[] = {
    "铅笔", "1px细线", "笔", "笔2", "画笔", "水彩", "喷枪", "橡皮擦(硬)", "橡皮擦(笔)", "橡皮擦(画笔)",
    "模糊", "手指", "减淡", "加深", "填充", "渐变", "文字", "移动", "选区",
};
// A list of names as the '/'-terminated string tables hold them.
inline std::string slashList(std::span<const char* const> names) {
  std::string list;
  for (const char* name : names) list.append(name).push_back('/');
  return list;
}

// Floating panel titles, in WinViewFlag bit order.
inline constexpr const char* kPanelTitles[8] = {
    "工具", "工具选项", "图层", "调色板", "扩展调色板", "纹理", "导航", "图像查看",
};

// Blend-mode names in the order documents store them (string 25002).
inline constexpr const char* kBlendModeNames[21] = {
    "正常", "正片叠底", "相加", "相减", "滤色", "叠加", "柔光", "强光", "颜色减淡", "颜色加深", "线性加深",
    "亮光", "线性光", "点光", "差值", "变亮", "变暗", "色相", "饱和度", "颜色", "明度",
};
// The layer panel's tool bar tooltips (string 20001), in button order; the
// layer actions' own names.
inline constexpr const char* kLayerToolTips[9] = {
    "新建", "克隆", "删除", "向下合并", "上移", "下移", "设置", "全部可见", "只显示当前图层",
};
inline constexpr const char* kMaskModeNames[4] = {"无蒙板", "透明部分", "不透明部分", "α蒙板"};
inline constexpr const char* kFillReference = "填充判定元";
inline constexpr const char* kLayerSettingsTitle = "设置";
inline constexpr const char* kLayerName = "名称";
inline constexpr const char* kLayerOpacity = "不透明度";
inline constexpr const char* kLayerMenu = "图层";
inline constexpr const char* kAlphaOpsMenu = "以此图层为参照处理当前图层";
inline constexpr const char* kAlphaOps[4] = {"按透明部分作透明", "复制Alpha值", "Alpha值相乘", "不透明部分描边(1px)"};
// File-type filter of the image chooser (string 29001).
inline constexpr const char* kImageFileFilter = "图像文件 (*.bmp *.png *.gif *.jpg *.jpeg)";
inline constexpr const char* kPngFileFilter = "PNG (*.png)";

}  // namespace tessel::text
