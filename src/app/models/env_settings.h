#pragma once
// The environment settings dialog's model: its values, ranges and labels,
// and how OK hands them to the running program.
#include <array>
#include <cstdint>

#include "config/settings.h"
#include "resources/language.h"

namespace tessel {

class Application;

// What the dialog edits, each in the range the dialog accepts.
struct EnvSettings {
  uint32_t optFlag = 58;     // OptFlag bits 0-6
  uint32_t tabletFlag = 1;   // bit 0 tablet support (after a restart), bit 1 mouse coordinates
  int defImgW = 300, defImgH = 300;
  int scaleDAdd = 25, scaleUAdd = 100;
  int undoCnt = 30;
  int brushCirSize = 10;
  int taleTool = 7;          // tool of the pen's tail switch
  int tabSide1 = 0, tabSide2 = 0;
  int jpegQuality = 85;
  bool jpegProgressive = false;   // JPEGComp bit 15
  int pngComp = 6;
  int autosaveMin = 5;        // 0 = off
  bool flattenAsk = true;     // ask before a save drops layers
  uint32_t canvBkCol = 0xB4B4B4, checkCol1 = 0xD8D8D8, checkCol2 = 0xF8F8F8;
  text::LanguageChoice language = text::LanguageChoice::Automatic;   // from the next start
};

struct EnvRange {
  int low, high;
  int clamp(int v) const { return v < low ? low : v > high ? high : v; }
};
namespace env_range {
constexpr EnvRange kImageSide{1, 4500};
constexpr EnvRange kScaleDown{5, 100};
constexpr EnvRange kScaleUp{5, 1000};
constexpr EnvRange kUndo{2, 200};
constexpr EnvRange kBrushCircle{2, 100};
constexpr EnvRange kJpegQuality{1, 100};
constexpr EnvRange kPngLevel{0, 9};
constexpr EnvRange kAutosave{0, 120};
}  // namespace env_range

// A check box of the dialog: its label and the bit it sets.
struct EnvCheckBox {
  const char* label;
  uint32_t bit;
};
// OptFlag's boxes in bit order, then TabletFlag's two.
extern const std::array<EnvCheckBox, 7> kOptFlagBoxes;
extern const std::array<EnvCheckBox, 2> kTabletBoxes;

// The three tabs and the labels of the fields; the tool and side-switch
// lists come from the tool names and the button actions.
namespace env_text {
inline constexpr const char* kTitle = "环境设置";
inline constexpr const char* kTabs[3] = {"常规", "绘画", "文件/显示"};
inline constexpr const char* kDefaultSize = "启动时的图像尺寸";
inline constexpr const char* kWidth = "宽度";
inline constexpr const char* kHeight = "高度";
inline constexpr const char* kScaleDown = "缩放增量 (100%以下)";
inline constexpr const char* kScaleUp = "缩放增量 (100%以上)";
inline constexpr const char* kUndo = "撤销次数";
inline constexpr const char* kBrushCircle = "显示笔刷形状的最小尺寸";
inline constexpr const char* kTaleTool = "笔尾开关对应";
inline constexpr const char* kTabSide1 = "笔侧开关 (下)";
inline constexpr const char* kTabSide2 = "笔侧开关 (上)";
inline constexpr const char* kJpeg = "JPEG 质量";
inline constexpr const char* kJpegProgressive = "渐进";
inline constexpr const char* kPng = "PNG 压缩等级";
inline constexpr const char* kAutosave = "自动保存间隔 (分钟，0为关闭)";
inline constexpr const char* kFlattenAsk = "保存为不支持图层的格式时提示";
inline constexpr const char* kCanvasColour = "画布背景色";
inline constexpr const char* kCheckColour1 = "透明格子颜色 1";
inline constexpr const char* kCheckColour2 = "透明格子颜色 2";
// The language, in both languages so that either reader finds it.
inline constexpr const char* kLanguage = "界面语言 / Language";
inline constexpr const char* kLanguageChoices[3] = {"自动 / Automatic", "简体中文", "English"};
inline constexpr const char* kLanguageNextStart = "语言在下次启动时生效";
inline constexpr const char* kSideActions = "按数位板的设置/吸管/移动画布位置/切换橡皮-上一个工具/撤销/";
}  // namespace env_text

// The dialog's starting values from the settings, each brought into its range.
EnvSettings envSettingsOf(const Settings& settings);
// Every value into its range and only the bits the dialog owns.
void clampEnvSettings(EnvSettings& env);
// OK: the values go into the settings (written at exit) and into what uses
// them now; the tablet switch and the start-up size wait for the next start.
void applyEnvSettings(Application& app, EnvSettings env);

}  // namespace tessel
