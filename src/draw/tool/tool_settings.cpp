#include "draw/tool/tool_settings.h"

#include <algorithm>

namespace tessel {

namespace {
bool validTool(int tool) { return tool >= 0 && tool < kToolCount; }
}  // namespace

ToolSettings::ToolSettings() {
  for (int t = 0; t < kToolCount; ++t) {
    const ToolTraits& row = toolTraits(t);
    size[t] = row.size;
    alpha[t] = row.alpha;
    if (row.envWord) env.*row.envWord = row.word;
  }
}

void ToolSettings::load(const Settings& s) {
  for (int t = 0; t < kToolCount; ++t) {
    setSize(t, s.brushSize[size_t(t)]);
    setAlpha(t, s.brushAlpha[size_t(t)]);
    drawType[t] = toolTraits(t).keepsDrawType(s.drawType[size_t(t)]) ? s.drawType[size_t(t)] : 0;
  }
  env = s.toolEnv;
}

void ToolSettings::store(Settings& s) const {
  for (int t = 0; t < kToolCount; ++t) {
    s.brushSize[size_t(t)] = size[t];
    s.brushAlpha[size_t(t)] = alpha[t];
    s.drawType[size_t(t)] = drawType[t];
  }
  s.toolEnv = env;
}

Settings defaultSettings() {
  Settings s;
  ToolSettings().store(s);
  return s;
}

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
