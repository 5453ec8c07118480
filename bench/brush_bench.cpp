// A 2000-pixel curved stroke of every painting tool at sizes 5, 30 and 100 on a
// 4500 x 4500 layer. Reports the time per 10-pixel move (engine work plus the
// commit of its rectangle) and the dabs per second. Set-up at the press (clearing
// the stroke buffer, copying the layer) is not counted.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "draw/brush/brush_engine.h"
#include "draw/brush/stroke_api.h"
#include "image/band_copy.h"
#include "image/image32.h"

namespace tessel {
namespace {

constexpr int kCanvas = 4500;

struct Canvas {
  Image32 layer, buffer, backup;
  bool ok = false;
  Canvas() {
    ok = layer.create(kCanvas, kCanvas) && buffer.create(kCanvas, kCanvas) &&
         backup.create(kCanvas, kCanvas);
    if (!ok) return;
    for (int y = 0; y < kCanvas; ++y) {
      Pixel* row = layer.row(y);
      for (int x = 0; x < kCanvas; ++x)
        row[x] = makePixel(255, (x / 7) & 0xFF, (y / 5) & 0xFF, ((x + y) / 11) & 0xFF);
    }
  }
};

// The thread's own processor time: other work on a loaded machine does not count.
double threadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

Canvas& canvas() {
  static Canvas c;
  return c;
}

// A wave resampled every 10 pixels of its length: 200 moves, 2000 pixels.
const std::vector<StrokeSample>& path() {
  static std::vector<StrokeSample> samples = [] {
    std::vector<StrokeSample> out;
    double px = 800, py = 2250, walked = 0;
    out.push_back({px, py, 1.0f});
    for (double t = 0.0; out.size() < 201; t += 0.01) {
      double x = 800 + t, y = 2250 + 300 * std::sin(t / 150.0);
      walked += std::hypot(x - px, y - py);
      px = x;
      py = y;
      if (walked >= 10.0) {
        out.push_back({x, y, 1.0f});
        walked -= 10.0;
      }
    }
    return out;
  }();
  return samples;
}

// The tool (arg 0) at its size (arg 1) with a seeded engine.
struct StrokeSetup {
  int tool;
  BrushEngine engine;
  ToolSettings tools;
  DrawSettings draw;
  bool ok;
  explicit StrokeSetup(const benchmark::State& state) : tool(int(state.range(0))) {
    tools.setSize(tool, int(state.range(1)));
    draw.toolNo = tool;
    draw.drawCol1 = 0x2050C0;
    ok = canvas().ok && engine.init(11u);
  }
};

void BM_Stroke(benchmark::State& state) {
  Canvas& c = canvas();
  StrokeSetup setup(state);
  if (!setup.ok) return state.SkipWithError("no memory for the canvas");
  auto& [tool, engine, tools, draw, ok] = setup;
  const auto& samples = path();
  double moveSeconds = 0, cpuSeconds = 0;
  int64_t moves = 0, dabs = 0;
  for (auto _ : state) {
    engine.refreshContext(c.layer, 0, draw, tools, nullptr);
    Stroke stroke(engine);
    Rect changed;
    stroke.begin({&c.layer, &c.buffer, &c.backup}, tool, tools, samples.front(), changed);
    engine.resetDabCount();
    auto start = std::chrono::steady_clock::now();
    double cpuStart = threadSeconds();
    for (size_t i = 1; i + 1 < samples.size(); ++i) benchmark::DoNotOptimize(stroke.move(samples[i]));
    benchmark::DoNotOptimize(stroke.end(samples.back()));
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpuSeconds += threadSeconds() - cpuStart;
    state.SetIterationTime(secs);
    moveSeconds += secs;
    moves += int64_t(samples.size() - 1);
    dabs += engine.dabCount();
  }
  state.counters["us_per_move"] = moveSeconds * 1e6 / double(moves);
  state.counters["cpu_us_per_move"] = cpuSeconds * 1e6 / double(moves);
  state.counters["dabs_per_s"] = double(dabs) / moveSeconds;
  state.SetLabel(std::to_string(tool));
}

void strokeArgs(benchmark::internal::Benchmark* b) {
  for (int tool = kToolPencil; tool <= kToolBurn; ++tool)
    for (int size : {5, 30, 100}) b->Args({tool, size});
}

BENCHMARK(BM_Stroke)->Apply(strokeArgs)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.2);

// The whole stroke, press included: arg 2 is 0 for a buffer cleared and a
// backup copied whole at the press, 1 for both done in bands as the stroke
// reaches them (what the document does), pages given back between strokes.
void BM_StrokePressToRelease(benchmark::State& state) {
  const bool banded = state.range(2) != 0;
  Canvas& c = canvas();
  StrokeSetup setup(state);
  if (!setup.ok) return state.SkipWithError("no memory for the canvas");
  auto& [tool, engine, tools, draw, ok] = setup;
  const auto& samples = path();
  BandCopy backupBands, clears;
  for (auto _ : state) {
    engine.refreshContext(c.layer, 0, draw, tools, nullptr);
    Stroke stroke(engine);
    Rect changed;
    StrokeTarget target{&c.layer, &c.buffer, &c.backup};
    if (banded) target.backupBands = &backupBands, target.bufferBands = &clears;
    stroke.begin(target, tool, tools, samples.front(), changed);
    for (size_t i = 1; i + 1 < samples.size(); ++i) benchmark::DoNotOptimize(stroke.move(samples[i]));
    benchmark::DoNotOptimize(stroke.end(samples.back()));
  }
  state.SetLabel(banded ? "bands" : "whole");
}

BENCHMARK(BM_StrokePressToRelease)
    ->ArgsProduct({{kToolPen, kToolBrush, kToolFinger, kToolDodge}, {30, 100}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

}  // namespace
}  // namespace tessel
