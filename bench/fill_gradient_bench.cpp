// The fill and the gradient on a 4500 x 4500 layer: a fill of one region
// covering the canvas, a fill of one corridor through a maze of many regions,
// and the whole-layer gradient of each geometry. Undo records go nowhere
// (no recorder), so the time is the flood or the painting and the commit.
#include <benchmark/benchmark.h>

#include "document/document.h"
#include "document/layer.h"
#include "draw/fill/fill.h"
#include "draw/fill/gradient.h"

namespace tessel {
namespace {

constexpr int kCanvas = 4500;

Document& doc() {
  static Document d;
  static bool made = d.newImage(kCanvas, kCanvas, true);
  (void)made;
  return d;
}

// Walls every 8 pixels each way with doors: over 300,000 small cells joined
// into one region of many short spans.
void maze(Image32& img) {
  img.fill(kTransparent);
  for (int y = 0; y < kCanvas; y += 8) img.fillRect(0, y, kCanvas, 1, 0xFF000000u);
  for (int x = 0; x < kCanvas; x += 8) img.fillRect(x, 0, 1, kCanvas, 0xFF000000u);
  for (int y = 4; y < kCanvas; y += 8)
    for (int x = 8; x < kCanvas; x += 8) img.set(x, y, kTransparent);   // a door east
  for (int y = 8; y < kCanvas; y += 8) img.set(4, y, kTransparent);        // and one south
}

void BM_Fill(benchmark::State& state) {
  Document& d = doc();
  Image32& img = d.currentLayer()->image();
  PixelGate gate;
  std::mt19937 random(1);
  Pixel colour = 0x112233;
  for (auto _ : state) {
    state.PauseTiming();
    if (state.range(0) == 0) img.fill(kTransparent);
    else maze(img);
    state.ResumeTiming();
    FillRequest req{4, 4, colour, 255, 1, 0, {}};
    benchmark::DoNotOptimize(fillAt(d, gate, random, req));
  }
}
BENCHMARK(BM_Fill)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Gradient(benchmark::State& state) {
  Document& d = doc();
  Image32& img = d.currentLayer()->image();
  img.fill(0xFF808080u);
  PixelGate gate;
  std::mt19937 random(1);
  GradientRequest req;
  req.start = {1000, 1200};
  req.end = {3000, 2500};
  req.drawType = int(state.range(0));   // 0 linear, 2 box, 4 radial, 7 angular
  req.grad = kGradientRainbow;
  for (auto _ : state) benchmark::DoNotOptimize(drawGradient(d, gate, random, req));
}
BENCHMARK(BM_Gradient)->Arg(0)->Arg(2)->Arg(4)->Arg(7)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
