#include "cli/commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/files/document_info.h"
#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/progress_worker.h"
#include "app/scripted_stroke.h"
#include "cli/terminal_progress.h"
#include "config/settings.h"
#include "document/document.h"
#include "formats/native_document.h"
#include "formats/png_codec.h"
#include "resources/language.h"

namespace tessel {

int usageError(const char* text) {
  std::fprintf(stderr, "tessel-cli: %s (see tessel-cli --help)\n", text);
  return 2;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

// Opens as the program's Open does. False when the open flow would refuse the file.
bool load(const char* path, Document& document, LoadOutcome& outcome) {
  TerminalProgress progress(stderr);
  int code = runOnWorkerThread(
      [&](Progress& p) { return loadFile(builtinFormats(), path, document, p, outcome); }, progress);
  if (code == kReadOk) {
    if (!outcome.notice.empty()) std::fprintf(stderr, "%s\n", outcome.notice.c_str());
    return true;
  }
  std::fprintf(stderr, "%s\n", loadResultMessage(code, outcome).c_str());
  return code == kReadDecompressFailed;   // accepted with its message
}

bool save(const char* path, Document& document, const ImageSaveOptions& options) {
  TerminalProgress progress(stderr);
  return runOnWorkerThread(
             [&](Progress& p) { return saveFile(builtinFormats(), path, document, p, options) ? 1 : 0; },
             progress) == 1;
}

bool parseInt(const char* text, int low, int high, int& out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < low || v > high) return false;
  out = int(v);
  return true;
}

bool parseColour(const char* text, int32_t& out) {
  if (std::strlen(text) != 6) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 16);
  if (*end) return false;
  out = int32_t(v);
  return true;
}

namespace {

// Options of convert after IN and OUT; false on an unknown or malformed one.
bool parseSaveOptions(int argc, char** argv, int first, ImageSaveOptions& options) {
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--alpha") {
      options.pngAlpha = true;
    } else if (arg == "--jpeg-subsample") {
      options.jpegSubsample = true;
    } else if (arg == "--png-level" && hasValue) {
      if (!parseInt(argv[++i], 0, 9, options.pngLevel)) return false;
    } else if (arg == "--jpeg-quality" && hasValue) {
      // JPEGComp's low byte; the writer takes below 1 as 1 and above 100 as 100.
      if (!parseInt(argv[++i], 0, 255, options.jpegQuality)) return false;
    } else if (arg == "--gif-transparent" && hasValue) {
      if (!parseColour(argv[++i], options.gifTransparent)) return false;
    } else if (arg == "--png-transparent" && hasValue) {
      if (!parseColour(argv[++i], options.pngTransparent)) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int runInfo(int argc, char** argv) {
  bool check = argc == 4 && std::strcmp(argv[3], "--check-streams") == 0;
  if (argc != 3 && !check) return usageError("info takes one file");
  // A native document answers from its headers: no layer is inflated into memory.
  if (equalsIgnoreCase(fileExtension(argv[2]), "tsd")) {
    DocumentSummary summary;
    int code = readDocumentSummary(argv[2], summary, check);
    if (code != kReadOk) std::fprintf(stderr, "%s\n", loadResultMessage(code).c_str());
    if (code != kReadOk && code != kReadDecompressFailed) return 1;
    std::printf("%s\n", documentInfoJson(summary).c_str());
    return 0;
  }
  Document document;
  LoadOutcome outcome;
  if (!load(argv[2], document, outcome)) return 1;
  std::printf("%s\n", documentInfoJson(document).c_str());
  return 0;
}

int runConvert(int argc, char** argv) {
  if (argc < 4) return usageError("convert takes IN and OUT");
  // The option values the program's Save starts from (config.ini defaults).
  Settings defaults;
  ImageSaveOptions options;
  options.pngLevel = defaults.pngComp;
  options.jpegQuality = defaults.jpegComp & 0xFF;
  options.jpegSubsample = (defaults.jpegComp & 0x8000) != 0;
  if (!parseSaveOptions(argc, argv, 4, options)) return usageError("bad convert option");
  Document document;
  LoadOutcome outcome;
  if (!load(argv[2], document, outcome)) return 1;
  options.pngAlpha = options.pngAlpha || outcome.pngAlpha;
  return save(argv[3], document, options) ? 0 : fail(text::tr(kMsgSaveFailed));
}

namespace {

bool parseHex(const char* text, uint32_t& out) {
  size_t n = std::strlen(text);
  if (n == 0 || n > 8 || std::strspn(text, "0123456789abcdefABCDEF") != n) return false;
  out = uint32_t(std::strtoul(text, nullptr, 16));
  return true;
}

// The options of stroke after IN and OUT; false on an unknown or malformed one.
bool parseStrokeOptions(int argc, char** argv, ScriptedStroke& s, bool& haveTool) {
  for (int i = 4; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    int n = 0;
    uint32_t word = 0;
    int32_t colour = 0;
    if (arg == "--tool" && parseInt(value, 0, kToolCount - 1, n) && toolTraits(n).painting()) {
      s.tool = n;
      haveTool = true;
    } else if (arg == "--samples" && parseStrokeSamples(value, s.samples)) {
    } else if (arg == "--size" && parseInt(value, 1, 100, n)) {
      s.size = n;
    } else if (arg == "--opacity" && parseInt(value, 1, 255, n)) {
      s.opacity = n;
    } else if (arg == "--colour" && parseColour(value, colour)) {
      s.colour = uint32_t(colour);
    } else if (arg == "--option" && parseHex(value, word)) {
      s.option = word;
    } else if (arg == "--mask-mode" && parseInt(value, 0, 3, n)) {
      s.maskMode = n;
    } else if (arg == "--layer" && parseInt(value, 0, 99, n)) {
      s.layer = n;
    } else if (arg == "--seed" && parseInt(value, 0, 2147483647, n)) {
      s.seed = uint32_t(n);
    } else if (arg == "--guide" && parseStrokeGuide(value, s)) {
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int runStroke(int argc, char** argv) {
  if (argc < 4) return usageError("stroke takes IN and OUT");
  ScriptedStroke stroke;
  bool haveTool = false;
  if (!parseStrokeOptions(argc, argv, stroke, haveTool) || !haveTool || stroke.samples.empty())
    return usageError("stroke needs --tool 0-13 and --samples, and takes the options --help lists");
  Document document;
  LoadOutcome outcome;
  if (!load(argv[2], document, outcome)) return 1;
  if (stroke.layer && *stroke.layer >= document.layerCount()) return fail("tessel-cli: no such layer");
  ToolSettings probe;
  if (stroke.option && !setToolOptionWord(probe, stroke.tool, *stroke.option))
    return usageError("this tool has no option word");
  if (!runScriptedStroke(document, stroke)) return fail("tessel-cli: the stroke could not be drawn");
  ImageSaveOptions options;
  options.pngAlpha = outcome.pngAlpha;
  return save(argv[3], document, options) ? 0 : fail(text::tr(kMsgSaveFailed));
}

int runExportLayer(int argc, char** argv) {
  if (argc != 5) return usageError("export-layer takes FILE INDEX OUT.png");
  int index = 0;
  if (!parseInt(argv[3], 0, 99, index)) return usageError("INDEX is a layer index from the top, 0-99");
  Document document;
  LoadOutcome outcome;
  if (!load(argv[2], document, outcome)) return 1;
  const Layer* layer = document.layers().atIndex(index);
  if (!layer) return usageError("no layer with that index");
  // The layer alone, as a 32-bit PNG with alpha at level 6.
  return writePng(layer->image(), argv[4], 6, true, -1) ? 0 : fail(text::tr(kMsgSaveFailed));
}

int runNew(int argc, char** argv) {
  if (argc != 5) return usageError("new takes W H OUT");
  int width = 0, height = 0;
  if (!parseInt(argv[2], 1, 1 << 30, width) || !parseInt(argv[3], 1, 1 << 30, height))
    return usageError("W and H are positive numbers");
  if (width > kMaxCanvasSize || height > kMaxCanvasSize) return fail(text::tr(kMsgImageTooLarge));
  Document document;
  if (!document.newImage(width, height, true)) return fail(text::tr(kMsgNewImageFailed));
  return save(argv[4], document, ImageSaveOptions{}) ? 0 : fail(text::tr(kMsgSaveFailed));
}

}  // namespace tessel
