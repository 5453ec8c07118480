#include "app/models/env_settings.h"

#include "app/application.h"
#include "app/shell.h"

namespace tessel {

const std::array<EnvCheckBox, 7> kOptFlagBoxes{{
    {"覆盖保存前提示确认", kOptConfirmOverwrite},
    {"退出时提示保存文件", kOptAskSaveOnExit},
    {"标题栏只显示文件名", kOptTitleFileNameOnly},
    {"自动激活主窗口", kOptActivateMainWindow},
    {"对透明部分拾色时，切换为橡皮擦", kOptTransparentPickErases},
    {"笔刷尺寸在下列值以上时显示笔刷形状", kOptRealBrushShape},
    {"以橡皮擦填充时，不使用判定基准图层", kOptEraserFillIgnoresReference},
}};

const std::array<EnvCheckBox, 2> kTabletBoxes{{
    {"数位板支持 (需重启)", 1u << 0},
    {"使用鼠标坐标 (绘画位置偏移的情况)", 1u << 1},
}};

namespace {

constexpr uint32_t kOptDialogBits = 0x7F;
constexpr uint32_t kTabletDialogBits = 0x3;
constexpr int32_t kJpegProgressiveBit = 0x8000;
constexpr int kLastTool = kToolCount - 1;
constexpr int kLastSideAction = 4;

}  // namespace

EnvSettings envSettingsOf(const Settings& s) {
  EnvSettings e;
  e.optFlag = uint32_t(s.optFlag);
  e.tabletFlag = uint32_t(s.tabletFlag);
  e.defImgW = s.defImgW, e.defImgH = s.defImgH;
  e.scaleDAdd = s.scaleDAdd, e.scaleUAdd = s.scaleUAdd;
  e.undoCnt = s.undoCnt;
  e.brushCirSize = s.brushCirSize;
  e.taleTool = s.taleTool;
  e.tabSide1 = s.tabSide1, e.tabSide2 = s.tabSide2;
  e.jpegQuality = s.jpegComp & 0xFF;
  e.jpegProgressive = (s.jpegComp & kJpegProgressiveBit) != 0;
  e.pngComp = s.pngComp;
  e.autosaveMin = s.autosaveMin;
  e.flattenAsk = s.flattenAsk != 0;
  e.canvBkCol = uint32_t(s.canvBkCol), e.checkCol1 = uint32_t(s.checkCol1), e.checkCol2 = uint32_t(s.checkCol2);
  clampEnvSettings(e);
  return e;
}

void clampEnvSettings(EnvSettings& e) {
  using namespace env_range;
  e.optFlag &= kOptDialogBits;
  e.tabletFlag &= kTabletDialogBits;
  e.defImgW = kImageSide.clamp(e.defImgW);
  e.defImgH = kImageSide.clamp(e.defImgH);
  e.scaleDAdd = kScaleDown.clamp(e.scaleDAdd);
  e.scaleUAdd = kScaleUp.clamp(e.scaleUAdd);
  e.undoCnt = kUndo.clamp(e.undoCnt);
  e.brushCirSize = kBrushCircle.clamp(e.brushCirSize);
  e.taleTool = EnvRange{0, kLastTool}.clamp(e.taleTool);
  e.tabSide1 = EnvRange{0, kLastSideAction}.clamp(e.tabSide1);
  e.tabSide2 = EnvRange{0, kLastSideAction}.clamp(e.tabSide2);
  e.jpegQuality = kJpegQuality.clamp(e.jpegQuality);
  e.pngComp = kPngLevel.clamp(e.pngComp);
  e.autosaveMin = kAutosave.clamp(e.autosaveMin);
  e.canvBkCol &= 0xFFFFFF, e.checkCol1 &= 0xFFFFFF, e.checkCol2 &= 0xFFFFFF;
}

namespace {

// Into config.ini's values; bits the dialog does not own stay as they were.
void storeEnv(const EnvSettings& e, Settings& s) {
  s.optFlag = int32_t((uint32_t(s.optFlag) & ~kOptDialogBits) | e.optFlag);
  s.tabletFlag = int32_t((uint32_t(s.tabletFlag) & ~kTabletDialogBits) | e.tabletFlag);
  s.defImgW = e.defImgW, s.defImgH = e.defImgH;
  s.scaleDAdd = e.scaleDAdd, s.scaleUAdd = e.scaleUAdd;
  s.undoCnt = e.undoCnt;
  s.brushCirSize = e.brushCirSize;
  s.taleTool = e.taleTool;
  s.tabSide1 = e.tabSide1, s.tabSide2 = e.tabSide2;
  int32_t jpeg = (s.jpegComp & ~(0xFF | kJpegProgressiveBit)) | e.jpegQuality;
  s.jpegComp = e.jpegProgressive ? jpeg | kJpegProgressiveBit : jpeg;
  s.pngComp = e.pngComp;
  s.autosaveMin = e.autosaveMin;
  s.flattenAsk = e.flattenAsk ? 1 : 0;
  s.canvBkCol = int32_t(e.canvBkCol), s.checkCol1 = int32_t(e.checkCol1), s.checkCol2 = int32_t(e.checkCol2);
}

}  // namespace

void applyEnvSettings(Application& app, EnvSettings e) {
  clampEnvSettings(e);
  storeEnv(e, app.config);
  app.language = e.language;   // written with the settings, read at the next start
  // What the windows and the view read. The tablet's bit 0 is read at start-up only.
  ShellSettings& shell = app.settings;
  shell.optFlag = uint32_t(app.config.optFlag);
  shell.tabletFlag = uint32_t(app.config.tabletFlag);
  shell.defImgW = e.defImgW, shell.defImgH = e.defImgH;
  ViewOptions& view = shell.view;
  view.scaleDownStep = e.scaleDAdd, view.scaleUpStep = e.scaleUAdd;
  view.canvasBackground = e.canvBkCol, view.checkColour1 = e.checkCol1, view.checkColour2 = e.checkCol2;
  // The canvas input.
  InputOptions& input = app.painting.options;
  input.optFlag = shell.optFlag;
  input.brushCirSize = e.brushCirSize;
  input.tabSide[0] = e.tabSide1, input.tabSide[1] = e.tabSide2;
  if (app.undo) app.undo->setUndoCnt(e.undoCnt);
  if (app.autosave) app.autosave->settingsChanged();
  app.view.refreshAll();
  if (Shell* s = app.shell()) s->setTitle(app.title());
}

}  // namespace tessel
