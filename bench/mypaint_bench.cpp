// The baseline for the stroke benchmark: libmypaint's paint dab and smudge on
// its fixed tiled surface, over the same 2000-pixel wave as BM_Stroke, in
// 10-pixel moves, with a hard opaque round dab spaced at a tenth of the
// diameter. Reports the time per move so the two can be set side by side; run
// with OMP_NUM_THREADS=1 to hold libmypaint to one thread like the engine.
#include <benchmark/benchmark.h>

extern "C" {
#include <mypaint-brush.h>
#include <mypaint-fixed-tiled-surface.h>
}

#include <time.h>

#include <chrono>
#include <cmath>
#include <vector>

namespace {

constexpr int kCanvas = 4500;

struct Sample {
  float x, y;
};

// The wave of BM_Stroke: one sample every 10 pixels of its length, 201 samples.
const std::vector<Sample>& wave() {
  static std::vector<Sample> samples = [] {
    std::vector<Sample> out;
    double px = 800, py = 2250, walked = 0;
    out.push_back({float(px), float(py)});
    for (double t = 0.0; out.size() < 201; t += 0.01) {
      double x = 800 + t, y = 2250 + 300 * std::sin(t / 150.0);
      walked += std::hypot(x - px, y - py);
      px = x;
      py = y;
      if (walked >= 10.0) {
        out.push_back({float(x), float(y)});
        walked -= 10.0;
      }
    }
    return out;
  }();
  return samples;
}

// The thread's own processor time, as BM_Stroke counts it.
double threadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

MyPaintFixedTiledSurface* surface() {
  static MyPaintFixedTiledSurface* s = mypaint_fixed_tiled_surface_new(kCanvas, kCanvas);
  return s;
}

void configure(MyPaintBrush* brush, int size, bool smudge) {
  mypaint_brush_from_defaults(brush);
  auto set = [brush](MyPaintBrushSetting id, float v) { mypaint_brush_set_base_value(brush, id, v); };
  set(MYPAINT_BRUSH_SETTING_RADIUS_LOGARITHMIC, std::log(float(size) / 2.0f));
  set(MYPAINT_BRUSH_SETTING_HARDNESS, 1.0f);
  set(MYPAINT_BRUSH_SETTING_OPAQUE, 1.0f);
  set(MYPAINT_BRUSH_SETTING_ANTI_ALIASING, 1.0f);
  // A tenth of the diameter is a fifth of the radius.
  set(MYPAINT_BRUSH_SETTING_DABS_PER_ACTUAL_RADIUS, 5.0f);
  set(MYPAINT_BRUSH_SETTING_DABS_PER_BASIC_RADIUS, 0.0f);
  set(MYPAINT_BRUSH_SETTING_DABS_PER_SECOND, 0.0f);
  set(MYPAINT_BRUSH_SETTING_SLOW_TRACKING, 0.0f);
  set(MYPAINT_BRUSH_SETTING_COLOR_H, 0.6f);
  set(MYPAINT_BRUSH_SETTING_COLOR_S, 0.8f);
  set(MYPAINT_BRUSH_SETTING_COLOR_V, 0.75f);
  set(MYPAINT_BRUSH_SETTING_SMUDGE, smudge ? 1.0f : 0.0f);
}

// Arguments: size, smudge (0 or 1).
void BM_MyPaintStroke(benchmark::State& state) {
  int size = int(state.range(0));
  bool smudge = state.range(1) != 0;
  MyPaintFixedTiledSurface* fixed = surface();
  if (!fixed) {
    state.SkipWithError("no memory for the surface");
    return;
  }
  MyPaintSurface* surf = mypaint_fixed_tiled_surface_interface(fixed);
  MyPaintBrush* brush = mypaint_brush_new();
  configure(brush, size, smudge);
  const auto& samples = wave();
  double moveSeconds = 0, cpuSeconds = 0;
  int64_t moves = 0;
  for (auto _ : state) {
    mypaint_brush_reset(brush);
    mypaint_brush_new_stroke(brush);
    // The press: two events at the start place the brush without a line.
    for (int i = 0; i < 2; ++i) {
      mypaint_surface_begin_atomic(surf);
      mypaint_brush_stroke_to(brush, surf, samples[0].x, samples[0].y, 1.0f, 0, 0, 0.01);
      MyPaintRectangle roi;
      mypaint_surface_end_atomic(surf, &roi);
    }
    auto start = std::chrono::steady_clock::now();
    double cpuStart = threadSeconds();
    for (size_t i = 1; i < samples.size(); ++i) {
      mypaint_surface_begin_atomic(surf);
      mypaint_brush_stroke_to(brush, surf, samples[i].x, samples[i].y, 1.0f, 0, 0, 0.01);
      MyPaintRectangle roi;
      mypaint_surface_end_atomic(surf, &roi);
      benchmark::DoNotOptimize(roi);
    }
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpuSeconds += threadSeconds() - cpuStart;
    state.SetIterationTime(secs);
    moveSeconds += secs;
    moves += int64_t(samples.size() - 1);
  }
  mypaint_brush_unref(brush);
  state.counters["us_per_move"] = moveSeconds * 1e6 / double(moves);
  state.counters["cpu_us_per_move"] = cpuSeconds * 1e6 / double(moves);
  state.SetLabel(smudge ? "mypaint smudge" : "mypaint paint");
}

void mypaintArgs(benchmark::internal::Benchmark* b) {
  for (int smudge : {0, 1})
    for (int size : {5, 30, 100}) b->Args({size, smudge});
}

BENCHMARK(BM_MyPaintStroke)
    ->Apply(mypaintArgs)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2);

}  // namespace
