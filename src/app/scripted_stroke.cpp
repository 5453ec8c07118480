#include "app/scripted_stroke.h"

#include <algorithm>
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

// The samples moved onto the guide as the canvas moves them; pixel tools
// take whole pixels first.
std::vector<StrokeSample> guided(const ScriptedStroke& s) {
  if (s.guide == GuideKind::None) return s.samples;
  const bool whole = !toolTraits(s.tool).usesSubPixel();
  auto at = [whole](const StrokeSample& p) {
    return whole ? PointF{std::floor(p.x), std::floor(p.y)} : PointF{p.x, p.y};
  };
  GuideStroke guide(s.guide, s.guides, at(s.samples.front()));
  std::vector<StrokeSample> out;
  for (const StrokeSample& p : s.samples) {
    const PointF q = guide.apply(at(p));
    out.push_back({q.x, q.y, p.pressure});
  }
  return out;
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

bool parseStrokeGuide(const std::string& text, ScriptedStroke& s) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::string kind = text.substr(0, colon), rest = text.substr(colon + 1);
  std::vector<double> v;
  size_t start = 0;
  for (size_t comma; (comma = rest.find(',', start)) != std::string::npos; start = comma + 1) {
    double d = 0;
    if (!parseNumber(rest.substr(start, comma - start), d)) return false;
    v.push_back(d);
  }
  double last = 0;
  if (!parseNumber(rest.substr(start), last)) return false;
  v.push_back(last);
  constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
  auto point = [&v] { return Point{int(v[0]), int(v[1])}; };
  if ((kind == "parallel" || kind == "grid") && v.size() == 1) {
    s.guide = kind == "grid" ? GuideKind::Grid : GuideKind::Parallel;
    (kind == "grid" ? s.guides.gridAngle : s.guides.parallelAngle) = v[0] * kRadiansPerDegree;
  } else if ((kind == "concentrated" || kind == "circle") && v.size() == 2) {
    s.guide = kind == "circle" ? GuideKind::Circle : GuideKind::Concentrated;
    (kind == "circle" ? s.guides.circleCentre : s.guides.concentratedCentre) = point();
  } else if (kind == "ellipse" && v.size() == 4) {
    const double w = std::max(std::abs(v[2]), 1.0), h = std::max(std::abs(v[3]), 1.0);
    s.guide = GuideKind::Ellipse;
    s.guides.ellipseCentre = point();
    s.guides.kx = w / h;
    s.guides.ky = h / w;
  } else {
    return false;
  }
  return true;
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
    engine.refreshContext(layer.image(), layer.maskMode, draw, tools, nullptr);
    const std::vector<StrokeSample> samples = guided(s);
    Stroke stroke(engine);
    Rect changed;
    ok = stroke.begin(strokeTargetOf(document), s.tool, tools, samples.front(), changed,
                      s.guide != GuideKind::None);
    if (ok) {
      for (size_t i = 1; i < samples.size(); ++i) stroke.move(samples[i]);
      stroke.end(samples.back());
    }
  }
  document.selectLayer(current);
  return ok;
}

}  // namespace tessel
