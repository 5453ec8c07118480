#include "draw/input/canvas_input_setup.h"

#include <algorithm>

namespace tessel {

void PaintingTools::load(const Settings& s) {
  for (int t = 0; t < kToolCount; ++t) {
    tools.setSize(t, s.brushSize[size_t(t)]);
    tools.setAlpha(t, s.brushAlpha[size_t(t)]);
    tools.drawType[t] = toolTraits(t).keepsDrawType(s.drawType[size_t(t)]) ? s.drawType[size_t(t)] : 0;
  }
  ToolEnv& e = tools.env;
  e.pencil = uint32_t(s.pencil), e.pen = uint32_t(s.pen), e.pen2 = uint32_t(s.pen2);
  e.brush = uint32_t(s.brush), e.erasePen = uint32_t(s.erasePen), e.eraseBrush = uint32_t(s.eraseBrush);
  e.splay = uint32_t(s.splay), e.dodge = uint32_t(s.dodge), e.burn = uint32_t(s.burn);
  e.water = uint32_t(s.water), e.paint = uint32_t(s.paint), e.grad = uint32_t(s.grad);
  draw.toolNo = std::clamp(s.toolNo, 0, kToolCount - 1);
  draw.curColNo = s.curColNo == 1 ? 1 : 0;
  draw.drawCol1 = uint32_t(s.drawCol1) & 0xFFFFFFu;
  draw.drawCol2 = uint32_t(s.drawCol2) & 0xFFFFFFu;
  draw.colMaskType = kColourMaskOff;   // never carried over from the last run
  draw.colMaskCnt = std::clamp(s.colMaskCnt, 1, 5);
  std::copy(s.maskCol.begin(), s.maskCol.end(), draw.maskCol);
  draw.textureOn = s.textureOn != 0;
  draw.textureSel = s.textureSel;
  options.optFlag = uint32_t(s.optFlag);
  options.defErase = std::clamp(s.defErase, 0, 2);
  options.brushCirSize = s.brushCirSize;
  options.tabSide[0] = std::clamp(s.tabSide1, 0, 4);
  options.tabSide[1] = std::clamp(s.tabSide2, 0, 4);
  options.eraseBkTool = std::clamp(s.eraseBkTool, 0, kToolCount - 1);
}

void PaintingTools::store(Settings& s) const {
  for (int t = 0; t < kToolCount; ++t) {
    s.brushSize[size_t(t)] = tools.size[t];
    s.brushAlpha[size_t(t)] = tools.alpha[t];
    s.drawType[size_t(t)] = tools.drawType[t];
  }
  const ToolEnv& e = tools.env;
  s.pencil = int32_t(e.pencil), s.pen = int32_t(e.pen), s.pen2 = int32_t(e.pen2);
  s.brush = int32_t(e.brush), s.erasePen = int32_t(e.erasePen), s.eraseBrush = int32_t(e.eraseBrush);
  s.splay = int32_t(e.splay), s.dodge = int32_t(e.dodge), s.burn = int32_t(e.burn);
  s.water = int32_t(e.water), s.paint = int32_t(e.paint), s.grad = int32_t(e.grad);
  s.toolNo = draw.toolNo;
  s.curColNo = draw.curColNo;
  s.drawCol1 = int32_t(draw.drawCol1);
  s.drawCol2 = int32_t(draw.drawCol2);
  s.colMaskType = int32_t(draw.colMaskType);
  s.colMaskCnt = draw.colMaskCnt;
  std::copy(draw.maskCol, draw.maskCol + 5, s.maskCol.begin());
  s.textureOn = draw.textureOn ? 1 : 0;
  s.textureSel = draw.textureSel;
  s.eraseBkTool = options.eraseBkTool;
}

}  // namespace tessel
