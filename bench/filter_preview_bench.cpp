// From a slider release to the finished on-canvas preview: the filter on
// its worker into the scratch image, the result shown in the layer and the
// canvas recomposited, for a 1920 x 1080 rectangle and the whole layer of a
// 4500 x 4500 document.
//
//   tessel_bench --benchmark_filter='Preview/'
#include <benchmark/benchmark.h>

#include <random>

#include "app/ops/filter_ops.h"
#include "document/document.h"
#include "filters/filter_table.h"

namespace tessel {
namespace {

constexpr int kPreviewSide = 4500;

Document& previewDocument() {
  static Document doc;
  static bool ready = false;
  if (!ready) {
    if (!doc.newImage(kPreviewSide, kPreviewSide, true)) std::abort();
    std::mt19937 rng(3);
    Image32& image = doc.currentLayer()->image();
    for (int y = 0; y < kPreviewSide; ++y) {
      Pixel* row = image.row(y);
      for (int x = 0; x < kPreviewSide; ++x) row[x] = rng() | 0xFF000000u;
    }
    ready = true;
  }
  return doc;
}

void runPreview(benchmark::State& state, const char* name, FilterValues values, Rect rect) {
  Document& doc = previewDocument();
  FilterEntry entry = *filterByName(name);
  entry.preview = FilterPreview::Canvas;
  FilterPreviewSession session(doc, entry, FilterContext{}, rect);
  if (!session.begin()) {
    state.SkipWithError("no working copy");
    return;
  }
  session.canvasChanged = [&](const Rect& r) { doc.recomposite(r, false, 0xD8D8D8, 0xF8F8F8); };
  for (auto _ : state) {
    session.startPreview(values);
    session.finishPreview();
  }
  session.restore();
}

FilterValues slider(int v) {
  FilterValues f;
  f.slider[0] = v;
  return f;
}

FilterValues medianValues() {
  FilterValues f;
  f.list[1] = 1;   // 3x3, the middle value
  return f;
}

void registerAll() {
  struct Case {
    const char* label;
    const char* name;
    FilterValues values;
  };
  const Case cases[] = {
      {"gaussian-10", "gaussian-blur", slider(10)},
      {"median-3x3", "median", medianValues()},
      {"oil-paint-2", "oil-paint", slider(2)},
      {"invert", "invert", FilterValues{}},   // what the preview itself costs: copies and recompositing
  };
  const Rect rects[] = {{1290, 1710, 1920, 1080}, {0, 0, kPreviewSide, kPreviewSide}};
  for (const Case& c : cases)
    for (const Rect& r : rects) {
      std::string label = std::string("Preview/") + c.label + "/" + std::to_string(r.w) + "x" + std::to_string(r.h);
      benchmark::RegisterBenchmark(label.c_str(), runPreview, c.name, c.values, r)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.5);
    }
}

const bool kRegistered = (registerAll(), true);

}  // namespace
}  // namespace tessel
