#include "draw/tool/tool_settings.h"

#include <algorithm>

namespace tessel {

namespace {
bool validTool(int tool) { return tool >= 0 && tool < kToolCount; }
}  // namespace

void ToolSettings::setSize(int tool, int value) {
  if (validTool(tool)) size[tool] = uint8_t(std::clamp(value, 1, 100));
}

void ToolSettings::setAlpha(int tool, int value) {
  if (validTool(tool)) alpha[tool] = uint8_t(std::clamp(value, 1, 255));
}

// Stored values outside the setters' ranges (a hand-edited config) are clamped on read.
int ToolSettings::sizeOf(int tool) const {
  return validTool(tool) ? std::clamp(int(size[tool]), 1, 100) : 1;
}

int ToolSettings::alphaOf(int tool) const { return validTool(tool) ? int(alpha[tool]) : 255; }

uint32_t ToolSettings::optionWord(int tool) const {
  const ToolTraits& row = toolTraits(tool);
  return row.hasPressureWord() ? row.wordIn(env) : 0;
}

}  // namespace tessel
