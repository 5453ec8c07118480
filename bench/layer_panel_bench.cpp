// The layer list of a 100-layer 4500 x 4500 document: every row redrawn
// (thumbnails included), and one row after a stroke. The texts come from the
// window's fonts and are not part of the core's drawing. Needs about 8.5 GB.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "app/models/layer_panel_model.h"
#include "document/document.h"

namespace {

using namespace tessel;

constexpr int kCanvas = 4500, kLayers = 100;

struct PanelSetup {
  Document doc;
  std::unique_ptr<LayerPanelModel> model;
  bool ok = false;

  PanelSetup() {
    if (!doc.newImage(kCanvas, kCanvas, true)) return;
    for (int i = 1; i < kLayers; ++i)
      if (!doc.newLayer(false)) return;
    // Some paint on every layer so that the thumbnails blend real pixels.
    for (int i = 0; i < kLayers; ++i) {
      Layer* layer = doc.layers().atIndex(i);
      const int side = std::min(900, kCanvas - i * 40);   // fillRect is unchecked
      layer->image().fillRect(i * 40, i * 40, side, side, 0xC0000000u | uint32_t(i) * 0x020305u);
    }
    model = std::make_unique<LayerPanelModel>(doc);
    model->setSize(200, kLayers * layer_row::kHeight);   // every row shown
    ok = model->buffer.valid();
  }
};

PanelSetup& setup() {
  static PanelSetup s;
  return s;
}

void BM_RedrawAllRows(benchmark::State& state) {
  PanelSetup& s = setup();
  if (!s.ok) return state.SkipWithError("allocation failed");
  for (auto _ : state) {
    s.model->rebuild();
    benchmark::DoNotOptimize(s.model->buffer.bits());
  }
}
BENCHMARK(BM_RedrawAllRows)->Unit(benchmark::kMillisecond);

void BM_RedrawRowAfterStroke(benchmark::State& state) {
  PanelSetup& s = setup();
  if (!s.ok) return state.SkipWithError("allocation failed");
  Layer* layer = s.doc.layers().atIndex(50);
  int n = 0;
  for (auto _ : state) {
    layer->image().fillRect(100 + n % 1000, 100, 20, 20, 0xFF00FF00u);   // a dab
    s.model->redrawLayer(50);
    benchmark::DoNotOptimize(s.model->buffer.bits());
    ++n;
  }
}
BENCHMARK(BM_RedrawRowAfterStroke)->Unit(benchmark::kMicrosecond);

}  // namespace
