#pragma once

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

// Floating panel titles, in WinViewFlag bit order.
inline constexpr const char* kPanelTitles[8] = {
    "工具", "工具选项", "图层", "调色板", "扩展调色板", "纹理", "导航", "图像查看",
};

}  // namespace tessel::text
