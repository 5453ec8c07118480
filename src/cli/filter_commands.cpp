// tessel-cli filter, filters and the whole-image commands.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/progress_worker.h"
#include "app/shell.h"
#include "cli/commands.h"
#include "cli/terminal_progress.h"
#include "document/document.h"
#include "filters/apply_filter.h"
#include "filters/filter_table.h"
#include "filters/image_ops.h"
#include "resources/language.h"

namespace tessel {

namespace {

bool parseRect(const char* text, Rect& out) {
  int x, y, w, h;
  char tail;
  if (std::sscanf(text, "%d,%d,%d,%d%c", &x, &y, &w, &h, &tail) != 4 || w < 1 || h < 1) return false;
  out = {x, y, w, h};
  return true;
}

// Runs work on the worker thread behind a terminal progress bar.
bool withProgress(const std::function<bool(Progress&)>& work) {
  TerminalProgress progress(stderr);
  return runOnWorkerThread([&](Progress& p) { return work(p) ? 1 : 0; }, progress) == 1;
}

int saveResult(const char* path, Document& document, const LoadOutcome& outcome) {
  ImageSaveOptions options;
  options.pngAlpha = outcome.pngAlpha;
  return save(path, document, options) ? 0 : fail(text::tr(kMsgSaveFailed));
}

const char* kindName(FilterParam::Kind kind) {
  switch (kind) {
    case FilterParam::Integer: return "integer";
    case FilterParam::Decimal: return "hundredths";
    case FilterParam::Check: return "check";
    case FilterParam::List: return "list";
    case FilterParam::Layer: return "layer";
    case FilterParam::Colour: return "colour";
  }
  return "";
}

// Parameters with the document's sizes, so sliders that follow the image get their limits.
bool paramsFor(const FilterEntry& entry, const Document& doc, const Rect& rect,
               std::vector<FilterParam>& params) {
  TemplateTarget target{doc.width(), doc.height(), rect, doc.currentIndex(), doc.layerCount()};
  return filterParams(entry, target, params);
}

bool setParam(const std::vector<FilterParam>& params, const std::string& assignment,
              FilterValues& values) {
  size_t eq = assignment.find('=');
  std::string name = assignment.substr(0, eq), text = assignment.substr(eq + 1);
  for (const FilterParam& p : params) {
    if (p.name != name) continue;
    int32_t value = 0;
    if (p.kind == FilterParam::Colour) {
      if (!parseColour(text.c_str(), value)) return false;
    } else {
      int v = 0;
      if (!parseInt(text.c_str(), -(1 << 30), 1 << 30, v)) return false;
      value = v;
    }
    setFilterParam(p, value, values);
    return true;
  }
  return false;
}

struct FilterRun {
  const FilterEntry* entry = nullptr;
  std::vector<std::string> assignments;
  std::vector<const char*> files;
  int layer = -1;
  bool hasRect = false;
  Rect rect;
  bool hasSeed = false;
  unsigned seed = 0;
  int32_t foreground = 0x000000, background = 0xFFFFFF;
};

bool parseFilterRun(int argc, char** argv, FilterRun& run) {
  for (int i = 3; i < argc; ++i) {
    std::string arg = argv[i];
    bool more = i + 1 < argc;
    int v = 0;
    if (arg == "--layer" && more) {
      if (!parseInt(argv[++i], 0, kMaxLayers - 1, run.layer)) return false;
    } else if (arg == "--rect" && more) {
      if (!parseRect(argv[++i], run.rect)) return false;
      run.hasRect = true;
    } else if (arg == "--seed" && more) {
      if (!parseInt(argv[++i], 0, 0x7FFFFFFF, v)) return false;
      run.seed = unsigned(v);
      run.hasSeed = true;
    } else if (arg == "--fg" && more) {
      if (!parseColour(argv[++i], run.foreground)) return false;
    } else if (arg == "--bg" && more) {
      if (!parseColour(argv[++i], run.background)) return false;
    } else if (arg.rfind("--", 0) == 0) {
      return false;
    } else if (arg.find('=') != std::string::npos && run.files.empty()) {
      run.assignments.push_back(arg);
    } else {
      run.files.push_back(argv[i]);
    }
  }
  return run.files.size() == 2;
}

}  // namespace

int runFilter(int argc, char** argv) {
  if (argc < 5) return usageError("filter takes NAME [PARAM=VALUE ...] IN OUT");
  FilterRun run;
  run.entry = filterByName(argv[2]);
  if (!run.entry) return usageError("no filter of that name (tessel-cli filters lists them)");
  if (!parseFilterRun(argc, argv, run)) return usageError("bad filter arguments");

  Document doc;
  LoadOutcome outcome;
  if (!load(run.files[0], doc, outcome)) return 1;
  if (run.layer >= doc.layerCount()) return fail("tessel-cli: no such layer");
  if (run.layer >= 0) doc.selectLayer(run.layer);
  Rect rect = run.hasRect ? run.rect.intersected(doc.canvasRect()) : doc.canvasRect();
  if (rect.empty()) return usageError("the rectangle lies outside the canvas");

  std::vector<FilterParam> params;
  if (!paramsFor(*run.entry, doc, rect, params)) return fail("tessel-cli: damaged filter template");
  FilterValues values;
  for (const FilterParam& p : params) setFilterParam(p, p.defaultValue, values);
  for (const std::string& a : run.assignments)
    if (!setParam(params, a, values)) return usageError(("bad parameter " + a).c_str());

  std::mt19937 random(run.hasSeed ? run.seed
                                  : unsigned(std::chrono::steady_clock::now().time_since_epoch().count()));
  FilterContext context;
  context.foreground = Pixel(run.foreground);
  context.background = Pixel(run.background);
  context.random = &random;
  if (!withProgress([&](Progress& p) { return applyFilter(doc, *run.entry, values, context, rect, &p); }))
    return fail("tessel-cli: the filter could not be applied");
  return saveResult(run.files[1], doc, outcome);
}

int runListFilters(int argc, char**) {
  if (argc != 2) return usageError("filters takes no arguments");
  Document doc;
  if (!doc.newImage(1000, 1000, true)) return fail(text::tr(kMsgNewImageFailed));
  auto list = [&](const FilterEntry& e) {
    std::printf("%s  (%s)\n", e.cliName, text::tr(e.menuName));
    std::vector<FilterParam> params;
    if (!paramsFor(e, doc, doc.canvasRect(), params)) return;
    for (const FilterParam& p : params) {
      std::printf("    %s: %s %d..%d, default %d", p.name.c_str(), kindName(p.kind), p.min, p.max,
                  p.defaultValue);
      for (size_t i = 0; i < p.items.size(); ++i) std::printf("%s%zu=%s", i ? ", " : " [", i, p.items[i].c_str());
      std::printf("%s\n", p.items.empty() ? "" : "]");
    }
  };
  std::printf("Ranges of sliders that follow the image are shown for a 1000 x 1000 canvas.\n");
  for (const FilterEntry& e : filterTable()) list(e);
  for (const FilterEntry& e : extraFilters()) list(e);
  return 0;
}

int runResize(int argc, char** argv) {
  if (argc != 6 && argc != 8) return usageError("resize takes IN OUT W H [--method nearest|bilinear|lanczos3]");
  int width = 0, height = 0;
  if (!parseInt(argv[4], 1, kMaxCanvasSize, width) || !parseInt(argv[5], 1, kMaxCanvasSize, height))
    return usageError("W and H are 1-4500");
  ScaleMethod method = ScaleMethod::Lanczos3;
  if (argc == 8) {
    std::string m = argv[7];
    if (std::strcmp(argv[6], "--method") != 0) return usageError("unknown option");
    if (m == "nearest") method = ScaleMethod::Nearest;
    else if (m == "bilinear") method = ScaleMethod::Bilinear;
    else if (m != "lanczos3") return usageError("method is nearest, bilinear or lanczos3");
  }
  Document doc;
  LoadOutcome outcome;
  if (!load(argv[2], doc, outcome)) return 1;
  if (!withProgress([&](Progress& p) {
        return (width == doc.width() && height == doc.height()) ||
               scaleDocument(doc, width, height, method, &p);
      }))
    return fail("tessel-cli: the image could not be scaled");
  return saveResult(argv[3], doc, outcome);
}

int runCanvasSize(int argc, char** argv) {
  if (argc < 6) return usageError("canvas-size takes IN OUT W H [--anchor 0..8] [--fill ...] [--fg RRGGBB]");
  int width = 0, height = 0, anchor = 4;
  int32_t foreground = 0;
  CanvasFill fill = CanvasFill::Transparent;
  if (!parseInt(argv[4], 1, kMaxCanvasSize, width) || !parseInt(argv[5], 1, kMaxCanvasSize, height))
    return usageError("W and H are 1-4500");
  for (int i = 6; i < argc; i += 2) {
    if (i + 1 >= argc) return usageError("option without a value");
    std::string arg = argv[i], value = argv[i + 1];
    if (arg == "--anchor") {
      if (!parseInt(value.c_str(), 0, 8, anchor)) return usageError("anchor is 0-8");
    } else if (arg == "--fill") {
      if (value == "white") fill = CanvasFill::White;
      else if (value == "fg") fill = CanvasFill::Foreground;
      else if (value != "transparent") return usageError("fill is transparent, white or fg");
    } else if (arg == "--fg") {
      if (!parseColour(value.c_str(), foreground)) return usageError("colour is RRGGBB");
    } else {
      return usageError("unknown option");
    }
  }
  Document doc;
  LoadOutcome outcome;
  if (!load(argv[2], doc, outcome)) return 1;
  if (!withProgress([&](Progress& p) {
        return changeCanvasSize(doc, width, height, CanvasAnchor::fromIndex(anchor), fill,
                                Pixel(foreground), &p);
      }))
    return fail("tessel-cli: the canvas size could not be changed");
  return saveResult(argv[3], doc, outcome);
}

int runTransform(int argc, char** argv) {
  if (argc != 4) return usageError("flips and rotations take IN OUT");
  std::string what = argv[1];
  Document doc;
  LoadOutcome outcome;
  if (!load(argv[2], doc, outcome)) return 1;
  bool ok = withProgress([&](Progress& p) {
    if (what == "flip-h" || what == "flip-v") return flipDocument(doc, what == "flip-v", &p);
    return rotateDocument(doc, what == "rotate-ccw", &p);
  });
  if (!ok) return fail("tessel-cli: out of memory; the image could not be " + std::string(what.rfind("flip", 0) == 0 ? "flipped" : "rotated"));
  return saveResult(argv[3], doc, outcome);
}

int runCrop(int argc, char** argv) {
  Rect rect;
  if (argc != 5 || !parseRect(argv[4], rect)) return usageError("crop takes IN OUT X,Y,W,H");
  Document doc;
  LoadOutcome outcome;
  if (!load(argv[2], doc, outcome)) return 1;
  if (rect.intersected(doc.canvasRect()).empty()) return usageError("the rectangle lies outside the canvas");
  // Cropping to the whole canvas changes nothing; the file is still written.
  withProgress([&](Progress& p) { return cropDocument(doc, rect, &p); });
  return saveResult(argv[3], doc, outcome);
}

}  // namespace tessel
