// Keys of the binding table that select tools, draw types and tool actions.
#include "draw/input/canvas_input.h"

namespace tessel {

bool CanvasInput::boundKey(int category, int index) {
  if (state() != DragState::Idle) return false;
  switch (category) {
    case kBindTool:
      if (index < 0 || index >= kToolCount) return false;
      selectTool(index);
      return true;
    case kBindDrawType:
      // The same rule as the tool options: tools without draw types keep none.
      if (!drawTypeAllowed(draw_.toolNo, index)) return false;
      tools_.drawType[draw_.toolNo] = uint8_t(index);
      if (hooks.toolChanged) hooks.toolChanged(draw_.toolNo);
      return true;
    case kBindToolAction: return toolKeyAction(index);
    default: return false;
  }
}

bool CanvasInput::toolKeyAction(int action) {
  const int tool = draw_.toolNo;
  switch (action) {
    case kKeyEraserSwitch: eraserSwitch(); return true;
    case kKeySwapColours: swapColours(); return true;
    case kKeySizeUp: case kKeySizeDown: case kKeySizeOne: {
      int size = action == kKeySizeOne ? 1 : tools_.sizeOf(tool) + (action == kKeySizeUp ? 1 : -1);
      tools_.setSize(tool, size);   // held to 1-100
      if (isPaintingTool(tool)) engine_.updateShape(tool, tools_);
      break;
    }
    case kKeyTexture: draw_.textureOn = !draw_.textureOn; break;
    default:
      if (action < kKeyWaterA || action > kKeyWaterA + 3) return false;
      tools_.env.water = encodeWaterAmount(action - kKeyWaterA, tools_.env.water);
      break;
  }
  if (hooks.toolChanged) hooks.toolChanged(tool);
  return true;
}

}  // namespace tessel
