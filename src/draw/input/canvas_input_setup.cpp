#include "draw/input/canvas_input_setup.h"

#include <algorithm>

namespace tessel {

void PaintingTools::load(const Settings& s) {
  tools.load(s);
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
  tools.store(s);
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
