#include "cli/text_command.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/shell.h"
#include "cli/commands.h"
#include "document/document.h"
#include "draw/brush/brush_engine.h"
#include "draw/text/text_placement.h"
#include "platform/font_list.h"
#include "platform/freetype_glyphs.h"
#include "resources/language.h"

namespace tessel {

namespace {

struct TextJob {
  int x = 0, y = 0;
  std::u16string text;
  bool haveText = false;
  TextSettings settings;
  int32_t colour = 0;
  int opacity = 255;
  int layer = -1;
  int dpi = 96;
};

// One code point from UTF-8 at i; false when malformed.
bool decodeUtf8(std::string_view s, size_t& i, char32_t& out) {
  unsigned char c = static_cast<unsigned char>(s[i++]);
  int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0) return false;
  char32_t v = extra == 0 ? c : c & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return false;
    v = (v << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (v < kLeast[extra] || v > 0x10FFFF || (v >= 0xD800 && v < 0xE000)) return false;
  out = v;
  return true;
}

void appendUtf16(std::u16string& out, char32_t v) {
  if (v < 0x10000) {
    out += char16_t(v);
  } else {
    v -= 0x10000;
    out += char16_t(0xD800 + (v >> 10));
    out += char16_t(0xDC00 + (v & 0x3FF));
  }
}

bool parseOptions(int argc, char** argv, int first, TextJob& job) {
  for (int i = first; i < argc; ++i) {
    std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    auto flag = [&](uint32_t bit) { job.settings.flags |= bit; };
    auto number = [&](int low, int high, int& out) {
      return value && parseInt(argv[++i], low, high, out);
    };
    int n = 0;
    if (arg == "--bold") flag(kTextBold);
    else if (arg == "--italic") flag(kTextItalic);
    else if (arg == "--vertical") flag(kTextVertical);
    else if (arg == "--antialias") flag(kTextAntiAlias);
    else if (arg == "--font" && value) job.settings.face = argv[++i];
    else if (arg == "--text" && value) {
      std::optional<std::u16string> t = textFromUtf8(argv[++i]);
      if (!t) return false;
      job.text = *t;
      job.haveText = true;
    } else if (arg == "--size" && number(1, 1000, n)) job.settings.size = n;
    else if (arg == "--char-space" && number(-500, 1000, n)) job.settings.charSpace = n;
    else if (arg == "--line-space" && number(-500, 1000, n)) job.settings.lineSpace = n;
    else if (arg == "--opacity" && number(1, 255, job.opacity)) continue;
    else if (arg == "--layer" && number(0, 99, job.layer)) continue;
    else if (arg == "--dpi" && number(1, 2400, job.dpi)) continue;
    else if (arg == "--colour" && value && parseColour(argv[++i], job.colour)) continue;
    else return false;
  }
  return true;
}

}  // namespace

std::optional<std::u16string> textFromUtf8(std::string_view utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    if (utf8[i] == '\\' && i + 1 < utf8.size() && (utf8[i + 1] == 'n' || utf8[i + 1] == '\\')) {
      out += utf8[i + 1] == 'n' ? u"\r\n" : u"\\";
      i += 2;
      continue;
    }
    char32_t c = 0;
    if (!decodeUtf8(utf8, i, c)) return std::nullopt;
    if (c == '\n') out += u"\r\n";
    else appendUtf16(out, c);
  }
  if (out.size() > size_t(kTextMaxUnits)) out.resize(kTextMaxUnits);
  return out;
}

int runText(int argc, char** argv) {
  if (argc < 6) return usageError("text takes IN OUT X Y TEXT");
  TextJob job;
  job.settings.flags = 0;
  if (!parseInt(argv[4], -100000, 100000, job.x) || !parseInt(argv[5], -100000, 100000, job.y))
    return usageError("X and Y are image pixels");
  int first = 6;
  if (argc > 6 && std::strncmp(argv[6], "--", 2) != 0) {
    std::optional<std::u16string> t = textFromUtf8(argv[6]);
    if (!t) return usageError("TEXT is not UTF-8");
    job.text = *t;
    job.haveText = true;
    first = 7;
  }
  if (!parseOptions(argc, argv, first, job) || !job.haveText)
    return usageError("text needs TEXT and takes the options --help lists");
  Document document;
  LoadOutcome outcome;
  if (!load(argv[2], document, outcome)) return 1;
  if (job.layer >= document.layerCount()) return fail("tessel-cli: no such layer");
  if (job.layer >= 0) document.selectLayer(job.layer);
  Layer* layer = document.currentLayer();
  if (!layer) return fail("tessel-cli: no such layer");

  // The text tool's OK: the same placement the dialog ends.
  BrushEngine engine;
  ToolSettings tools;
  DrawSettings draw;
  draw.drawCol1 = Pixel(job.colour) & 0xFFFFFFu;
  tools.setAlpha(kToolText, job.opacity);
  engine.refreshContext(layer->image(), layer->maskMode, draw, tools, nullptr);
  TextPlacement placement(document, engine, draw, tools);
  std::string used;
  bool fontFound = false;
  placement.fontMaker = [&](const TextSettings& s) -> std::unique_ptr<GlyphSource> {
    auto glyphs = FreeTypeGlyphs::open(s, s.pixelSize(job.dpi), &used);
    fontFound = glyphs != nullptr;
    return glyphs;
  };
  if (!placement.place({job.x, job.y})) return fail(text::tr(kMsgMemoryError));
  placement.preview(job.settings, job.text, true);
  placement.finish(true);
  placement.fontMaker = nullptr;
  releaseFontConfig();
  if (!job.text.empty() && !fontFound) return fail("tessel-cli: no usable font is installed");
  if (!used.empty() && used != job.settings.face)
    std::fprintf(stderr, "tessel-cli: font '%s' is not installed; used '%s'\n",
                 job.settings.face.c_str(), used.c_str());
  ImageSaveOptions options;
  options.pngAlpha = outcome.pngAlpha;
  return save(argv[3], document, options) ? 0 : fail(text::tr(kMsgSaveFailed));
}

int runFonts(int argc, char** /*argv*/) {
  if (argc != 2) return usageError("fonts takes no arguments");
  std::vector<FontFamily> faces = fontFamilies();
  releaseFontConfig();
  if (faces.empty()) return fail("tessel-cli: no fonts are installed");
  for (const FontFamily& f : faces) std::printf("%s\n", f.name.c_str());
  return 0;
}

}  // namespace tessel
