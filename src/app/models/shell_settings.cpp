#include "app/models/shell_settings.h"

namespace tessel {

namespace {

StoredRect rectFrom(int32_t l, int32_t t, int32_t r, int32_t b) { return {l, t, r, b}; }

}  // namespace

void shellSettingsFrom(const Settings& s, const WindowPlacement& p, ShellSettings& out) {
  out.main = rectFrom(p.mainLeft, p.mainTop, p.mainRight, p.mainBottom);
  out.mainShowCmd = p.mainShowCmd;
  out.toolPos = {p.toolX, p.toolY};
  out.ctlPos = {p.ctlX, p.ctlY};
  out.layerPos = {p.layerX, p.layerY};
  out.layerHeight = p.layerH;
  out.texture = rectFrom(p.texLeft, p.texTop, p.texRight, p.texBottom);
  out.palette = rectFrom(p.palLeft, p.palTop, p.palRight, p.palBottom);
  out.navigator = rectFrom(p.prevLeft, p.prevTop, p.prevRight, p.prevBottom);
  out.imageViewer = rectFrom(p.imgVLeft, p.imgVTop, p.imgVRight, p.imgVBottom);
  out.exPalPos = {p.exPalX, p.exPalY};
  out.winViewFlag = uint32_t(s.winViewFlag) & 0xFFFF;
  out.viewBkFlag = uint32_t(s.viewBkFlag) & 0xFFFF;
  out.optFlag = uint32_t(s.optFlag);
  out.tabletFlag = uint32_t(s.tabletFlag);
  out.defImgW = s.defImgW;
  out.defImgH = s.defImgH;
  out.infoBarPos = s.infoBarPos;
  ViewOptions& v = out.view;
  v.flags = uint32_t(s.exViewFlag);
  v.canvasBackground = uint32_t(s.canvBkCol);
  v.checkColour1 = uint32_t(s.checkCol1);
  v.checkColour2 = uint32_t(s.checkCol2);
  v.gridColour = uint32_t(s.gridCol);
  v.centreGridColour = uint32_t(s.centerGridCol);
  v.gridW = s.gridW;
  v.gridH = s.gridH;
  v.gridPixelPer = s.gridPixelPer;
  v.scaleDownStep = s.scaleDAdd;
  v.scaleUpStep = s.scaleUAdd;
}

void storeShellSettings(const ShellSettings& in, Settings& s, WindowPlacement& p) {
  p.mainLeft = in.main.left, p.mainTop = in.main.top, p.mainRight = in.main.right;
  p.mainBottom = in.main.bottom, p.mainShowCmd = in.mainShowCmd;
  p.toolX = in.toolPos.x, p.toolY = in.toolPos.y;
  p.ctlX = in.ctlPos.x, p.ctlY = in.ctlPos.y;
  p.layerX = in.layerPos.x, p.layerY = in.layerPos.y, p.layerH = in.layerHeight;
  p.texLeft = in.texture.left, p.texTop = in.texture.top;
  p.texRight = in.texture.right, p.texBottom = in.texture.bottom;
  p.palLeft = in.palette.left, p.palTop = in.palette.top;
  p.palRight = in.palette.right, p.palBottom = in.palette.bottom;
  p.prevLeft = in.navigator.left, p.prevTop = in.navigator.top;
  p.prevRight = in.navigator.right, p.prevBottom = in.navigator.bottom;
  p.imgVLeft = in.imageViewer.left, p.imgVTop = in.imageViewer.top;
  p.imgVRight = in.imageViewer.right, p.imgVBottom = in.imageViewer.bottom;
  p.exPalX = in.exPalPos.x, p.exPalY = in.exPalPos.y;
  s.winViewFlag = int32_t(in.winViewFlag);
  s.viewBkFlag = int32_t(in.viewBkFlag);
  s.exViewFlag = int32_t(in.view.flags);
  s.gridW = in.view.gridW;
  s.gridH = in.view.gridH;
  s.gridPixelPer = in.view.gridPixelPer;
  s.centerGridCol = int32_t(in.view.centreGridColour);
}

}  // namespace tessel
