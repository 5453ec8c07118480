#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "draw/shape/guide.h"
#include "draw/brush/stroke_api.h"

namespace tessel {

class Document;

// One freehand stroke as the canvas would make it from recorded input: press
// at the first sample, a move for each further one, release at the last.
struct ScriptedStroke {
  int tool = kToolPen;
  std::vector<StrokeSample> samples;
  std::optional<int> size;             // 1-100
  std::optional<int> opacity;          // 1-255
  std::optional<uint32_t> colour;      // 0x00RRGGBB
  std::optional<uint32_t> option;      // the tool's option word
  std::optional<int> maskMode;         // set on the layer first, as the layer panel would
  std::optional<int> layer;            // index from the top; default the current layer
  std::optional<uint32_t> seed;
  GuideKind guide = GuideKind::None;   // bends the samples as on the canvas
  GuideSettings guides;
};

// "x,y[,p];x,y[,p];..." with pressure 1 where p is left out; false on bad text.
bool parseStrokeSamples(const std::string& text, std::vector<StrokeSample>& samples);
// "parallel:DEG", "concentrated:X,Y", "circle:X,Y", "ellipse:X,Y,W,H" or
// "grid:DEG" into the stroke's guide; false on bad text.
bool parseStrokeGuide(const std::string& text, ScriptedStroke& stroke);
// Sets the option word of a painting tool; false for a tool that has none.
bool setToolOptionWord(ToolSettings& tools, int tool, uint32_t value);
// Runs the stroke on the document; the current layer stays as it was. False
// when the tool does not paint, the layer does not exist or nothing can start.
bool runScriptedStroke(Document& document, const ScriptedStroke& stroke);

}  // namespace tessel
