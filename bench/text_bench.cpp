// The text tool's preview while typing: 200 characters at 48 pt, anti-aliased,
// on a 4500 x 4500 layer. The baseline is FreeType rendering the same glyphs
// alone; the target is one preview under 16 ms, a screen refresh.
#include <benchmark/benchmark.h>

#include <string>

#include "document/document.h"
#include "draw/brush/brush_engine.h"
#include "draw/text/text_placement.h"
#include "platform/freetype_glyphs.h"

namespace tessel {
namespace {

constexpr int kSideTx = 4500;

// Ten lines of twenty characters, Chinese and Latin mixed.
std::u16string caption() {
  const std::u16string line = u"春眠不觉晓处处闻啼鸟 Text 1234";
  std::u16string out;
  for (int i = 0; i < 10; ++i) {
    out += line.substr(0, 20);
    if (i < 9) out += u"\r\n";
  }
  return out;
}

TextSettings benchSettings() {
  TextSettings s;
  s.size = 48;
  s.flags = kTextAntiAlias | kTextPreview;
  return s;
}

void BM_TextPreview(benchmark::State& state) {
  Document doc;
  if (!doc.newImage(kSideTx, kSideTx, true)) return state.SkipWithError("no memory");
  BrushEngine engine;
  DrawSettings draw;
  ToolSettings tools;
  engine.refreshContext(doc.currentLayer()->image(), 0, draw, tools, nullptr);
  TextPlacement text(doc, engine, draw, tools);
  text.fontMaker = [](const TextSettings& s) { return FreeTypeGlyphs::open(s, s.pixelSize(96)); };
  if (!text.place({200, 200})) return state.SkipWithError("no placement");
  const std::u16string words = caption();
  const TextSettings settings = benchSettings();
  text.preview(settings, words, true);
  int nudge = 0;
  for (auto _ : state) {
    text.nudge((nudge++ & 1) ? -1 : 1, 0);   // restore the last preview, draw anew
    benchmark::DoNotOptimize(text.previewRect());
  }
  text.finish(false);
}
BENCHMARK(BM_TextPreview)->Unit(benchmark::kMillisecond);

void BM_TextGlyphsOnly(benchmark::State& state) {
  auto glyphs = FreeTypeGlyphs::open(benchSettings(), benchSettings().pixelSize(96));
  if (!glyphs) return state.SkipWithError("no font");
  const std::u16string words = caption();
  Glyph g;
  for (auto _ : state)
    for (char16_t c : words) benchmark::DoNotOptimize(glyphs->glyph(c, g));
}
BENCHMARK(BM_TextGlyphsOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
