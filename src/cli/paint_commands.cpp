#include "cli/paint_commands.h"

#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/scripted_stroke.h"
#include "app/shell.h"
#include "cli/commands.h"
#include "document/document.h"
#include "document/pixel_edit.h"
#include "draw/fill/fill.h"
#include "draw/fill/gradient.h"
#include "draw/shape/shape_paint.h"
#include "resources/language.h"

namespace tessel {

namespace {

// The arguments after IN and OUT (and any positional ones): options with a
// value, and bare flags. False on an unknown name or a missing value.
struct Options {
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  const char* get(const char* name) const {
    auto it = values.find(name);
    return it == values.end() ? nullptr : it->second.c_str();
  }
  bool has(const char* name) const { return flags.count(name) != 0; }
};

bool parseOptions(int argc, char** argv, int first, const std::set<std::string>& withValue,
                  const std::set<std::string>& bare, Options& out) {
  for (int i = first; i < argc; ++i) {
    const std::string arg = argv[i];
    if (bare.count(arg)) {
      out.flags.insert(arg);
    } else if (withValue.count(arg) && i + 1 < argc) {
      out.values[arg] = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

bool parseHexWord(const char* text, uint32_t& out) {
  std::string s = text;
  if (s.empty() || s.size() > 8 || s.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return false;
  out = uint32_t(std::stoul(s, nullptr, 16));
  return true;
}

bool parsePair(const char* text, Point& out) {
  int x = 0, y = 0;
  char tail = 0;
  if (std::sscanf(text, "%d,%d%c", &x, &y, &tail) != 2) return false;
  out = {x, y};
  return true;
}

// Reads IN, selects the layer and runs paint; saves OUT with the current
// layer as it was.
template <class Paint>
int paintDocument(char** argv, std::optional<int> layer, Paint&& paint) {
  Document document;
  LoadOutcome outcome;
  if (!load(argv[2], document, outcome)) return 1;
  const int current = document.currentIndex();
  if (layer && *layer >= document.layerCount()) return fail("tessel-cli: no such layer");
  document.selectLayer(layer.value_or(current));
  if (!document.currentLayer()) return fail("tessel-cli: no such layer");
  const int status = paint(document);
  if (status != 0) return status;
  document.selectLayer(current);
  ImageSaveOptions options;
  options.pngAlpha = outcome.pngAlpha;
  return save(argv[3], document, options) ? 0 : fail(text::tr(kMsgSaveFailed));
}

// The fill and gradient tools' tail: --layer, then tool runs with a fresh
// engine set up for it on the chosen layer.
template <class Run>
int paintWithTool(char** argv, const Options& o, int tool, const ToolSettings& tools, const char* failure,
                  Run&& run) {
  int n = 0;
  std::optional<int> layer;
  if (o.get("--layer")) {
    if (!parseInt(o.get("--layer"), 0, 99, n)) return usageError("--layer is 0-99");
    layer = n;
  }
  return paintDocument(argv, layer, [&](Document& doc) {
    BrushEngine engine;
    if (!engine.init(0)) return fail(failure);
    DrawSettings draw;
    draw.toolNo = tool;
    Layer& l = *doc.currentLayer();
    engine.refreshContext(l.image(), l.maskMode, draw, tools, nullptr);
    run(doc, engine);
    return 0;
  });
}

struct KindRow {
  const char* name;
  ShapeKind kind;
  size_t minPoints, maxPoints;
};
constexpr KindRow kKinds[] = {
    {"line", ShapeKind::Line, 2, 2},
    {"rect", ShapeKind::Rectangle, 2, 2},
    {"rect-fill", ShapeKind::FilledRectangle, 2, 2},
    {"ellipse", ShapeKind::Ellipse, 2, 2},
    {"ellipse-fill", ShapeKind::FilledEllipse, 2, 2},
    {"polyline", ShapeKind::Polyline, 2, 10000},
    {"concentrated", ShapeKind::ConcentratedLines, 2, 10000},
    {"bezier", ShapeKind::Bezier, 4, 4},
    {"spline", ShapeKind::Spline, 2, 10000},
};

// The drag's Ctrl and Shift on the last point: lines snap, boxes centre
// and square (the box's corners become the two points).
void constrain(ShapeKind kind, std::vector<PointF>& pts, bool ctrl, bool shift) {
  auto ip = [](PointF p) { return Point{int(p.x), int(p.y)}; };
  const bool box = kind == ShapeKind::Rectangle || kind == ShapeKind::FilledRectangle ||
                   kind == ShapeKind::Ellipse || kind == ShapeKind::FilledEllipse;
  if (box && (ctrl || shift)) {
    const Box b = dragBox(ip(pts[0]), ip(pts[1]), shift, ctrl);
    pts = {{double(b.left), double(b.top)}, {double(b.right), double(b.bottom)}};
    return;
  }
  const bool line = kind == ShapeKind::Line || kind == ShapeKind::Polyline ||
                    kind == ShapeKind::ConcentratedLines;
  if (!line || !ctrl) return;
  const PointF from = kind == ShapeKind::ConcentratedLines ? pts[0] : pts[pts.size() - 2];
  const Point end = snapLineEnd(ip(from), ip(pts.back()));
  pts.back() = {double(end.x), double(end.y)};
}

Rect drawSegments(Document& doc, ShapePainter& painter, ShapeKind kind, const std::vector<PointF>& pts) {
  painter.beginSegments();
  Rect all;
  for (size_t i = 1; i < pts.size(); ++i) {
    const PointF from = kind == ShapeKind::ConcentratedLines ? pts[0] : pts[i - 1];
    all = all.united(painter.segment(from, pts[i], i == 1));
  }
  commitFromBackup(doc, doc.layerBackup, all);
  return all;
}

// The stroke-like options of shape; the complaint about a bad one, or null.
const char* readToolOptions(const Options& o, int tool, ToolSettings& tools, DrawSettings& draw,
                            std::optional<int>& layer, std::optional<int>& seed) {
  int n = 0;
  int32_t colour = 0;
  uint32_t word = 0;
  if (o.get("--size")) {
    if (!parseInt(o.get("--size"), 1, 100, n)) return "--size is 1-100";
    tools.setSize(tool, n);
  }
  if (o.get("--opacity")) {
    if (!parseInt(o.get("--opacity"), 1, 255, n)) return "--opacity is 1-255";
    tools.setAlpha(tool, n);
  }
  if (o.get("--colour")) {
    if (!parseColour(o.get("--colour"), colour)) return "--colour is RRGGBB";
    draw.drawCol1 = uint32_t(colour) & 0xFFFFFFu;
  }
  if (o.get("--option") && (!parseHexWord(o.get("--option"), word) || !setToolOptionWord(tools, tool, word)))
    return "--option is the tool's option word in hexadecimal";
  if (o.get("--layer")) {
    if (!parseInt(o.get("--layer"), 0, 99, n)) return "--layer is 0-99";
    layer = n;
  }
  if (o.get("--seed")) {
    if (!parseInt(o.get("--seed"), 0, 2147483647, n)) return "--seed is a decimal number";
    seed = n;
  }
  return nullptr;
}

}  // namespace

int runShape(int argc, char** argv) {
  if (argc < 4) return usageError("shape takes IN and OUT");
  Options o;
  if (!parseOptions(argc, argv, 4,
                    {"--tool", "--kind", "--points", "--size", "--opacity", "--colour", "--option",
                     "--layer", "--seed"},
                    {"--ctrl", "--shift"}, o))
    return usageError("shape takes the options --help lists");
  int tool = 0;
  if (!o.get("--tool") || !parseInt(o.get("--tool"), 0, kToolCount - 1, tool) ||
      !toolTraits(tool).painting())
    return usageError("shape needs --tool 0-13");
  const KindRow* row = nullptr;
  for (const KindRow& k : kKinds)
    if (o.get("--kind") && o.get("--kind") == std::string(k.name)) row = &k;
  if (!row) return usageError("--kind is line, rect, rect-fill, ellipse, ellipse-fill, polyline, concentrated, bezier or spline");
  std::vector<StrokeSample> samples;
  if (!o.get("--points") || !parseStrokeSamples(o.get("--points"), samples) ||
      samples.size() < row->minPoints || samples.size() > row->maxPoints)
    return usageError("--points gives the shape's points as \"x,y;x,y;...\"");
  std::vector<PointF> pts;
  for (const StrokeSample& s : samples) pts.push_back({s.x, s.y});
  if (row->kind == ShapeKind::Bezier) pts = {pts[0], pts[2], pts[3], pts[1]};   // P0, P3, P1, P2 given
  constrain(row->kind, pts, o.has("--ctrl"), o.has("--shift"));

  ToolSettings tools;
  DrawSettings draw;
  draw.toolNo = tool;
  std::optional<int> layer, seed;
  if (const char* bad = readToolOptions(o, tool, tools, draw, layer, seed)) return usageError(bad);
  return paintDocument(argv, layer, [&](Document& doc) {
    BrushEngine engine;
    if (!engine.init(seed ? std::optional<uint32_t>(uint32_t(*seed)) : std::nullopt))
      return fail("tessel-cli: the shape could not be drawn");
    Layer& l = *doc.currentLayer();
    engine.refreshContext(l.image(), l.maskMode, draw, tools, nullptr);
    ShapePainter painter(doc, engine, tools, tool);
    if (!painter.usable()) return fail("tessel-cli: the shape could not be drawn");
    if (row->kind == ShapeKind::Polyline || row->kind == ShapeKind::ConcentratedLines)
      drawSegments(doc, painter, row->kind, pts);
    else
      painter.draw(row->kind, pts);
    return 0;
  });
}

int runFill(int argc, char** argv) {
  if (argc < 6) return usageError("fill takes IN, OUT, X and Y");
  FillRequest req;
  ToolSettings tools;
  req.opacity = tools.alphaOf(kToolFill);
  req.paint = tools.env.paint;
  Options o;
  int n = 0;
  int32_t colour = 0;
  if (!parseInt(argv[4], -1000000, 1000000, req.x) || !parseInt(argv[5], -1000000, 1000000, req.y))
    return usageError("X and Y are whole numbers");
  if (!parseOptions(argc, argv, 6, {"--colour", "--opacity", "--paint", "--layer"},
                    {"--ctrl", "--shift", "--alt"}, o))
    return usageError("fill takes the options --help lists");
  if (o.get("--colour") && !parseColour(o.get("--colour"), colour)) return usageError("--colour is RRGGBB");
  req.colour = uint32_t(colour) & 0xFFFFFFu;
  if (o.get("--opacity")) {
    if (!parseInt(o.get("--opacity"), 1, 255, n)) return usageError("--opacity is 1-255");
    req.opacity = n;
  }
  if (o.get("--paint") && !parseHexWord(o.get("--paint"), req.paint))
    return usageError("--paint is the Paint word in hexadecimal");
  req.keys = {o.has("--ctrl"), o.has("--shift"), o.has("--alt")};
  return paintWithTool(argv, o, kToolFill, tools, "tessel-cli: the fill could not be made",
                       [&](Document& doc, BrushEngine& engine) {
                         fillAt(doc, engine.context(), engine.random(), req);   // nothing to do is no failure
                       });
}

int runGradient(int argc, char** argv) {
  if (argc < 6) return usageError("gradient takes IN, OUT, X0,Y0 and X1,Y1");
  GradientRequest req;
  ToolSettings tools;
  req.grad = tools.env.grad;
  req.opacity = tools.alphaOf(kToolGradient);
  req.c1 = 0x000000, req.c2 = 0xFFFFFF;
  if (!parsePair(argv[4], req.start) || !parsePair(argv[5], req.end))
    return usageError("the ends are X,Y pairs of whole numbers");
  Options o;
  int n = 0;
  int32_t colour = 0;
  if (!parseOptions(argc, argv, 6, {"--grad", "--draw-type", "--opacity", "--fg", "--bg", "--layer"},
                    {"--shift", "--alt"}, o))
    return usageError("gradient takes the options --help lists");
  if (o.get("--grad") && !parseHexWord(o.get("--grad"), req.grad))
    return usageError("--grad is the Grad word in hexadecimal");
  if (o.get("--draw-type")) {
    if (!parseInt(o.get("--draw-type"), 0, 9, n)) return usageError("--draw-type is 0-9");
    req.drawType = n;
  }
  if (o.get("--opacity")) {
    if (!parseInt(o.get("--opacity"), 1, 255, n)) return usageError("--opacity is 1-255");
    req.opacity = n;
  }
  if (o.get("--fg")) {
    if (!parseColour(o.get("--fg"), colour)) return usageError("--fg is RRGGBB");
    req.c1 = uint32_t(colour) & 0xFFFFFFu;
  }
  if (o.get("--bg")) {
    if (!parseColour(o.get("--bg"), colour)) return usageError("--bg is RRGGBB");
    req.c2 = uint32_t(colour) & 0xFFFFFFu;
  }
  req.shift = o.has("--shift"), req.alt = o.has("--alt");
  return paintWithTool(argv, o, kToolGradient, tools, "tessel-cli: the gradient could not be drawn",
                       [&](Document& doc, BrushEngine& engine) {
                         drawGradient(doc, engine.context(), engine.random(), req);
                       });
}

}  // namespace tessel
