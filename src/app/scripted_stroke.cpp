#include "app/scripted_stroke.h"

#include <cmath>
#include <cstdlib>

#include "document/document.h"

namespace tessel {

namespace {

bool parseNumber(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(out);
}

bool parseSample(const std::string& text, StrokeSample& sample) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  double x = 0, y = 0, p = 1.0;
  if (parts.size() < 2 || parts.size() > 3 || !parseNumber(parts[0], x) || !parseNumber(parts[1], y)) return false;
  if (parts.size() == 3 && (!parseNumber(parts[2], p) || p < 0.0 || p > 1.0)) return false;
  sample = {x, y, float(p)};
  return true;
}

}  // namespace

bool parseStrokeSamples(const std::string& text, std::vector<StrokeSample>& samples) {
  samples.clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!piece.empty()) {
      StrokeSample sample;
      if (!parseSample(piece, sample)) return false;
      samples.push_back(sample);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return !samples.empty();
}

bool setToolOptionWord(ToolSettings& tools, int tool, uint32_t value) {
  const ToolTraits& row = toolTraits(tool);
  if (!row.painting() || !row.envWord) return false;
  tools.env.*row.envWord = value;
  return true;
}

bool runScriptedStroke(Document& document, const ScriptedStroke& s) {
  if (!isPaintingTool(s.tool) || s.samples.empty()) return false;
  ToolSettings tools;
  if (s.size) tools.setSize(s.tool, *s.size);
  if (s.opacity) tools.setAlpha(s.tool, *s.opacity);
  if (s.option && !setToolOptionWord(tools, s.tool, *s.option)) return false;
  DrawSettings draw;
  draw.toolNo = s.tool;
  if (s.colour) draw.drawCol1 = *s.colour & 0xFFFFFFu;

  const int current = document.currentIndex();
  const int index = s.layer.value_or(current);
  if (index < 0 || index >= document.layerCount()) return false;
  document.selectLayer(index);
  Layer& layer = *document.currentLayer();
  if (s.maskMode) document.setMaskMode(*s.maskMode);

  BrushEngine engine;
  bool ok = engine.init(s.seed);
  if (ok) {
    engine.refreshContext(layer.image, layer.maskMode, draw, tools, nullptr);
    Stroke stroke(engine);
    Rect changed;
    ok = stroke.begin(strokeTargetOf(document), s.tool, tools, s.samples.front(), changed);
    if (ok) {
      for (size_t i = 1; i < s.samples.size(); ++i) stroke.move(s.samples[i]);
      stroke.end(s.samples.back());
    }
  }
  document.selectLayer(current);
  return ok;
}

}  // namespace tessel
