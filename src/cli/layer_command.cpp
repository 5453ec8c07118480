// tessel-cli layer OP IN OUT [ARGS] [--layer I]: the layer panel's commands
// on a file, with their undo records discarded.
#include <cstring>
#include <optional>
#include <string>

#include "app/files/document_io.h"
#include "app/ops/layer_ops.h"
#include "app/files/messages.h"
#include "cli/commands.h"
#include "document/document.h"
#include "formats/image_loader.h"
#include "resources/language.h"

namespace tessel {

namespace {

struct LayerArgs {
  std::string op;
  std::optional<int> layer;       // made current first
  std::optional<int> reference;   // alpha-op
  std::vector<std::string> positional;   // after OUT
  std::optional<std::string> name;
  std::optional<int> blend, opacity, mask, visible, fillReference;
};

bool parseLayerOptions(int argc, char** argv, LayerArgs& a) {
  for (int i = 5; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) {
      a.positional.push_back(arg);
      continue;
    }
    if (i + 1 >= argc) return false;
    const char* v = argv[++i];
    int n = 0;
    auto number = [&](int low, int high, std::optional<int>& out) {
      if (!parseInt(v, low, high, n)) return false;
      out = n;
      return true;
    };
    bool ok = false;
    if (arg == "--layer") ok = number(0, 99, a.layer);
    else if (arg == "--reference") ok = number(0, 99, a.reference);
    else if (arg == "--name") ok = (a.name = v, true);
    else if (arg == "--blend") ok = number(0, 20, a.blend);
    else if (arg == "--opacity-percent") ok = number(0, 100, a.opacity);
    else if (arg == "--mask") ok = number(0, 3, a.mask);
    else if (arg == "--visible") ok = number(0, 1, a.visible);
    else if (arg == "--fill-reference") ok = number(0, 1, a.fillReference);
    if (!ok) return false;
  }
  return true;
}

bool hasSetOptions(const LayerArgs& a) {
  return a.name || a.blend || a.opacity || a.mask || a.visible || a.fillReference;
}

// The settings dialog and the controls above the list, on the current layer.
void applySet(Document& doc, const LayerArgs& a) {
  Layer& layer = *doc.currentLayer();
  if (a.name) layerNameFromUtf8(*a.name, layer.name);
  if (a.blend) doc.setBlendMode(*a.blend);
  if (a.opacity) doc.setOpacityPercent(*a.opacity);
  if (a.mask) doc.setMaskMode(*a.mask);
  if (a.visible && layer.visible() != (*a.visible == 1)) doc.toggleVisible(doc.currentIndex());
  if (a.fillReference && layer.fillReference() != (*a.fillReference == 1))
    doc.toggleFillReference(doc.currentIndex());
}

std::optional<AlphaOperation> alphaOperationNamed(const std::string& name) {
  if (name == "transparent") return AlphaOperation::Transparent;
  if (name == "copy") return AlphaOperation::CopyAlpha;
  if (name == "multiply") return AlphaOperation::MultiplyAlpha;
  if (name == "outline") return AlphaOperation::Outline;
  return std::nullopt;
}

// The positional arguments each OP takes after OUT.
int positionalCount(const std::string& op) {
  if (op == "move-to" || op == "visible" || op == "from-file" || op == "alpha-op") return 1;
  return 0;
}

bool knownOp(const std::string& op) {
  static const char* const kOps[] = {"new", "clone", "delete", "merge-down", "merge-visible",
                                     "merge-visible-keep", "merge-new", "up", "down", "move-to",
                                     "visible", "from-file", "set", "alpha-op"};
  for (const char* k : kOps)
    if (op == k) return true;
  return false;
}

// Runs OP on doc; 1 when it failed with a message printed, 2 for a usage error.
int runOp(Document& doc, const LayerArgs& a) {
  const std::string& op = a.op;
  const std::string arg = a.positional.empty() ? std::string() : a.positional[0];
  if (op == "new") doc.newLayer(false);
  else if (op == "clone") doc.newLayer(true);
  else if (op == "delete") doc.deleteLayer();
  else if (op == "merge-down") doc.mergeDown();
  else if (op == "merge-visible") doc.mergeVisible(false);
  else if (op == "merge-visible-keep") doc.mergeVisible(true);
  else if (op == "merge-new") doc.mergeIntoNewLayer();
  else if (op == "up") doc.moveUp();
  else if (op == "down") doc.moveDown();
  else if (op == "set") applySet(doc, a);
  else if (op == "move-to") {
    int i = 0;
    if (!parseInt(arg.c_str(), 0, 100, i)) return usageError("move-to takes a position 0-100");
    doc.moveTo(i);
  } else if (op == "visible") {
    static const char* const kModes[] = {"all", "none", "current"};
    int mode = -1;
    for (int m = 0; m < 3; ++m)
      if (arg == kModes[m]) mode = m;
    if (mode < 0) return usageError("visible takes all, none or current");
    doc.setVisibility(Visibility(mode));
  } else if (op == "from-file") {
    Image32 image;
    ImageReadInfo info;
    if (!loadImage(arg, image, info)) return fail(text::tr(kMsgOpenImageFailed));
    addLayerFromImage(doc, image, arg);
  } else if (op == "alpha-op") {
    auto kind = alphaOperationNamed(arg);
    if (!kind || !a.reference) return usageError("alpha-op takes transparent|copy|multiply|outline --reference I");
    if (*a.reference >= doc.layerCount()) return fail("tessel-cli: no such layer");
    runAlphaOperation(doc, *a.reference, *kind, 0x000000);
  }
  return 0;
}

}  // namespace

int runLayer(int argc, char** argv) {
  if (argc < 5) return usageError("layer takes OP IN OUT");
  LayerArgs a;
  a.op = argv[2];
  if (!knownOp(a.op)) return usageError("unknown layer operation");
  if (!parseLayerOptions(argc, argv, a) || int(a.positional.size()) != positionalCount(a.op))
    return usageError("bad layer arguments");
  if (hasSetOptions(a) && a.op != "set") return usageError("only set takes these options");
  if (a.reference && a.op != "alpha-op") return usageError("only alpha-op takes --reference");
  Document document;
  LoadOutcome outcome;
  if (!load(argv[3], document, outcome)) return 1;
  if (a.layer) {
    if (*a.layer >= document.layerCount()) return fail("tessel-cli: no such layer");
    document.selectLayer(*a.layer);   // as clicking its row does
  }
  if (int status = runOp(document, a)) return status;
  ImageSaveOptions options;
  options.pngAlpha = outcome.pngAlpha;
  return save(argv[4], document, options) ? 0 : fail(text::tr(kMsgSaveFailed));
}

}  // namespace tessel
