// End-to-end cost of one pointer move while painting: the canvas input turns
// it into a stroke sample, the engine draws and commits, the dirty rectangle
// is recomposited through ten layers and rendered into the screen buffer.
// 4500 x 4500 document, the painting tools at sizes 30 and 100, 10-pixel moves.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "document/document.h"
#include "draw/input/canvas_input_setup.h"
#include "draw/selection/selection.h"
#include "view/canvas_view.h"

namespace tessel {
namespace {

constexpr int kCanvas = 4500;
constexpr int kLayers = 10;
constexpr int kClientW = 1280, kClientH = 900;

struct Scene {
  Document doc;
  Image32 screen;
  ViewOptions viewOptions;
  CanvasView view{doc, screen, viewOptions};
  Selection selection;
  PaintingTools painting{doc, view, screen, selection};
  bool ok = false;

  Scene() {
    if (!doc.newImage(kCanvas, kCanvas, true) || !screen.create(kClientW, kClientH)) return;
    for (int i = 1; i < kLayers; ++i)
      if (!doc.newLayer(false)) return;
    // Mixed content: opaque bands, half-transparent stripes and empty areas.
    for (int i = 0; i < kLayers; ++i) {
      Image32& img = doc.layers().atIndex(i)->image();
      for (int y = 0; y < kCanvas; ++y) {
        Pixel* row = img.row(y);
        for (int x = 0; x < kCanvas; ++x) {
          int band = (x / 64 + y / 48 + i) % 4;
          row[x] = band == 0 ? kTransparent
                             : makePixel(band == 1 ? 255 : 60 * band, (x + i * 20) & 0xFF,
                                         (y / 3) & 0xFF, (x ^ y) & 0xFF);
        }
      }
      doc.layers().atIndex(i)->blendMode = uint8_t(i % 3);
    }
    doc.selectLayer(kLayers / 2);
    if (!painting.engine.init(1234)) return;
    view.setClientSize(kClientW, kClientH);
    view.scrollTo({kCanvas / 2, kCanvas / 2});
    view.refreshAll();
    ok = true;
  }
};

const char* toolName(int tool) {
  switch (tool) {
    case kToolPen: return "pen";
    case kToolBrush: return "brush";
    case kToolAirbrush: return "airbrush";
    case kToolErasePen: return "erase pen";
    case kToolEraseBrush: return "erase brush";
    case kToolFinger: return "finger";
    case kToolDodge: return "dodge";
    case kToolBurn: return "burn";
    default: return "?";
  }
}

Scene& scene() {
  static Scene s;
  return s;
}

void BM_PointerMove(benchmark::State& state) {
  Scene& s = scene();
  if (!s.ok) {
    state.SkipWithError("no memory for the scene");
    return;
  }
  const int tool = int(state.range(0)), size = int(state.range(1));
  s.painting.tools.setSize(tool, size);
  s.painting.input.selectTool(tool);
  std::vector<double> times;
  for (auto _ : state) {
    InputState in;
    in.clientX = 100;
    in.clientY = 450;
    s.painting.input.press(kButtonLeft, kSourceMouse, in);
    // A wave across the window, one sample every 10 pixels of its length.
    double t = 0.0;
    for (int i = 0; i < 100; ++i) {
      double px = in.clientX, py = in.clientY;
      while (std::hypot(in.clientX - px, in.clientY - py) < 10.0) {
        t += 0.05;
        in.clientX = 100 + t;
        in.clientY = 450 + 250 * std::sin(t / 80.0);
      }
      auto a = std::chrono::steady_clock::now();
      s.painting.input.move(kSourceMouse, in);
      auto b = std::chrono::steady_clock::now();
      times.push_back(std::chrono::duration<double, std::milli>(b - a).count());
    }
    state.counters["stroke_width_px"] = s.painting.input.strokeUnion().w;
    s.painting.input.release(kButtonLeft, kSourceMouse, in);
  }
  std::sort(times.begin(), times.end());
  state.counters["median_us"] = 1000 * times[times.size() / 2];
  state.counters["p90_us"] = 1000 * times[times.size() * 9 / 10];
  state.counters["max_us"] = 1000 * times.back();
  state.SetLabel(toolName(tool));
}

void pointerArgs(benchmark::internal::Benchmark* b) {
  for (int size : {30, 100})
    for (int tool : {kToolPen, kToolBrush, kToolAirbrush, kToolErasePen, kToolEraseBrush,
                     kToolFinger, kToolDodge, kToolBurn})
      b->Args({tool, size});
}

BENCHMARK(BM_PointerMove)
    ->Apply(pointerArgs)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
