// tessel-cli selection: one Select menu command on a rectangle of one layer.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/ops/selection_pixels.h"
#include "cli/commands.h"
#include "draw/brush/brush_engine.h"
#include "resources/language.h"

namespace tessel {

namespace {

struct SelectionRun {
  const char* in = nullptr;
  const char* out = nullptr;
  Rect rect;
  bool hasRect = false;
  int layer = -1;
  int32_t foreground = 0x000000;
  bool smooth = false;
  ScaleMethod method = ScaleMethod::Lanczos3;
  std::string op;
  std::vector<const char*> args;   // the operation's own arguments
};

bool parseRectText(const char* text, Rect& out) {
  int x, y, w, h;
  char tail;
  if (std::sscanf(text, "%d,%d,%d,%d%c", &x, &y, &w, &h, &tail) != 4 || w < 1 || h < 1) return false;
  out = {x, y, w, h};
  return true;
}

bool parseMethod(const std::string& name, ScaleMethod& method) {
  if (name == "nearest") method = ScaleMethod::Nearest;
  else if (name == "bilinear") method = ScaleMethod::Bilinear;
  else if (name == "lanczos3") method = ScaleMethod::Lanczos3;
  else return false;
  return true;
}

bool parseRun(int argc, char** argv, SelectionRun& run) {
  std::vector<const char*> words;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool more = i + 1 < argc;
    if (arg == "--rect" && more) {
      if (!parseRectText(argv[++i], run.rect)) return false;
      run.hasRect = true;
    } else if (arg == "--layer" && more) {
      if (!parseInt(argv[++i], 0, kMaxLayers - 1, run.layer)) return false;
    } else if (arg == "--fg" && more) {
      if (!parseColour(argv[++i], run.foreground)) return false;
    } else if (arg == "--method" && more) {
      if (!parseMethod(argv[++i], run.method)) return false;
    } else if (arg == "--smooth") {
      run.smooth = true;
    } else if (arg.rfind("--", 0) == 0) {
      return false;
    } else {
      words.push_back(argv[i]);
    }
  }
  if (words.size() < 3 || !run.hasRect) return false;
  run.in = words[0];
  run.out = words[1];
  run.op = words[2];
  run.args.assign(words.begin() + 3, words.end());
  return true;
}

// The operation's argument count, or -1 for an unknown operation.
int argumentsOf(const std::string& op) {
  static const char* const kPlain[] = {"flip-h", "flip-v", "rotate-cw", "rotate-ccw", "tile-all",
                                       "tile-h", "tile-v", "fill", "erase", "cut", "crop"};
  for (const char* name : kPlain)
    if (op == name) return 0;
  if (op == "rotate") return 1;
  if (op == "scale") return 2;
  return -1;
}

// Runs the operation; false only when it is refused.
bool apply(const SelectionRun& run, const int numbers[2], Document& doc, Selection& sel) {
  const std::string& op = run.op;
  if (op == "flip-h" || op == "flip-v") flipSelection(doc, sel, op == "flip-v");
  else if (op == "rotate-cw" || op == "rotate-ccw") rotateSelection90(doc, sel, op == "rotate-ccw");
  else if (op == "rotate") rotateSelection(doc, sel, numbers[0], run.smooth);
  else if (op == "scale") scaleSelection(doc, sel, numbers[0], numbers[1], run.method);
  else if (op == "tile-all") tileSelection(doc, sel, TileDirection::All);
  else if (op == "tile-h") tileSelection(doc, sel, TileDirection::Across);
  else if (op == "tile-v") tileSelection(doc, sel, TileDirection::Down);
  else if (op == "cut") cutSelection(doc, sel);
  else if (op == "crop") cropToSelection(doc, sel);
  else {
    const Layer* layer = doc.currentLayer();
    BrushEngine engine;
    DrawSettings draw;
    draw.drawCol1 = Pixel(run.foreground) & 0xFFFFFFu;
    engine.refreshContext(layer->image(), layer->maskMode, draw, ToolSettings{}, nullptr);
    if (op == "fill") {
      fillSelection(doc, sel, engine, draw.drawingColour());
    } else {
      if (eraseRefused(doc)) return false;
      eraseSelection(doc, sel, engine);
    }
  }
  return true;
}

}  // namespace

int runSelection(int argc, char** argv) {
  SelectionRun run;
  if (!parseRun(argc, argv, run)) return usageError("selection takes IN OUT --rect X,Y,W,H OP [ARGS]");
  const int count = argumentsOf(run.op);
  if (count < 0) return usageError("unknown selection operation");
  if (int(run.args.size()) != count) return usageError("wrong number of arguments for the operation");
  int numbers[2] = {0, 0};
  if (run.op == "rotate" && !parseInt(run.args[0], -360, 360, numbers[0]))
    return usageError("the angle is whole degrees, -360 to 360");
  if (run.op == "scale" && (!parseInt(run.args[0], 1, kMaxCanvasSize, numbers[0]) ||
                            !parseInt(run.args[1], 1, kMaxCanvasSize, numbers[1])))
    return usageError("W and H are 1-4500");

  Document doc;
  LoadOutcome outcome;
  if (!load(run.in, doc, outcome)) return 1;
  if (run.layer >= doc.layerCount()) return fail("tessel-cli: no such layer");
  if (run.layer >= 0) doc.selectLayer(run.layer);
  Selection sel;
  if (!sel.setExact(doc, run.rect)) return usageError("the rectangle lies outside the canvas");
  if (!apply(run, numbers, doc, sel))
    return fail("tessel-cli: erase refused: the layer's mask mode (2 or 3) keeps its pixels");
  ImageSaveOptions options;
  options.pngAlpha = outcome.pngAlpha;
  return save(run.out, doc, options) ? 0 : fail(text::tr(kMsgSaveFailed));
}

}  // namespace tessel
