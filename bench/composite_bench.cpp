// Full recomposite of the largest canvas (4500 x 4500) with ten visible layers,
// next to copying the same ten layers once with memcpy. Each compositing run
// reports its time as a multiple of the memcpy run ("x_memcpy"), measured in
// the same process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "document/compositors.h"
#include "document/display_wide.h"

namespace tessel {
namespace {

constexpr int kSize = 4500;
constexpr int kLayers = 10;

uint32_t hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

// Noisy colour over a gradient, and alpha that is 0 in about a quarter of the
// layer, ramps through partial values in another quarter and is opaque in
// the rest, in diagonal bands that differ from layer to layer.
void paintLayer(Image32& image, int index) {
  for (int y = 0; y < kSize; ++y) {
    Pixel* row = image.row(y);
    for (int x = 0; x < kSize; ++x) {
      uint32_t n = hash(uint32_t(y * kSize + x) * 11u + uint32_t(index) * 0x9E3779B9u);
      uint32_t r = (uint32_t(x) * 255 / kSize + (n & 63)) & 255;
      uint32_t g = (uint32_t(y) * 255 / kSize + ((n >> 6) & 63)) & 255;
      uint32_t b = ((n >> 12) & 255);
      int band = (x + 2 * y + index * 397) % 1024 - 256;
      uint32_t a = band < 0 ? 0 : (band > 255 ? 255 : uint32_t(band));
      if (a > 0 && a < 255) a = (a + (n >> 24)) & 255;   // noisy partial alpha
      row[x] = a == 0 ? kTransparent : makePixel(a, r, g, b);
    }
  }
}

struct Canvas {
  Image32 composite;
  std::vector<Image32> layers;
  BlendTable table;

  Canvas() : layers(kLayers) {
    composite.create(kSize, kSize);
    composite.fill(0);
    for (int i = 0; i < kLayers; ++i) {
      layers[size_t(i)].create(kSize, kSize);
      paintLayer(layers[size_t(i)], i);
    }
  }
};

Canvas& canvas() {
  static Canvas c;
  return c;
}

// Processor time of this thread: on a busy machine, time spent waiting for a
// processor would otherwise count against whichever run it fell into.
double threadSeconds() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double copyTenLayers(Canvas& c) {
  double t0 = threadSeconds();
  for (const Image32& layer : c.layers) std::memcpy(c.composite.bits(), layer.bits(), layer.byteSize());
  benchmark::ClobberMemory();
  return threadSeconds() - t0;
}

void BM_MemcpyTenLayers(benchmark::State& state) {
  Canvas& c = canvas();
  for (auto _ : state) copyTenLayers(c);
}

// Each iteration also copies the ten layers (outside the timed part), so that
// the ratio compares runs made at the same moment on a possibly busy machine;
// the fastest of each kind is taken.
void runComposite(benchmark::State& state, const int (&modes)[kLayers], bool fast) {
  Canvas& c = canvas();
  display::setWidthLimit(display::Width(state.range(0)));
  std::vector<DisplayLayer> layers;
  for (int i = 0; i < kLayers; ++i) layers.push_back({&c.layers[size_t(i)], modes[i], i % 3 == 2 ? 96 : 128});
  const Rect all{0, 0, kSize, kSize};
  double bestComposite = 1e9, bestCopy = 1e9;
  for (auto _ : state) {
    state.PauseTiming();
    bestCopy = std::min(bestCopy, copyTenLayers(c));
    state.ResumeTiming();
    double t0 = threadSeconds();
    if (fast) {
      compositeDisplayLayers(c.composite, layers, all, true, 0xFFFFFFFF, 0xFFCCCCCC, c.table);
    } else {
      c.composite.fillChecker(0, 0, kSize, kSize, 0xFFFFFFFF, 0xFFCCCCCC);
      for (const DisplayLayer& l : layers)
        compositeDisplayLayerScalar(c.composite, *l.image, l.mode, l.opacity, all, c.table);
    }
    benchmark::ClobberMemory();
    bestComposite = std::min(bestComposite, threadSeconds() - t0);
  }
  display::setWidthLimit(display::Width::kSixteen);
  state.counters["x_memcpy"] = bestComposite / bestCopy;
}

constexpr int kNormal[kLayers] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr int kPacked[kLayers] = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1};
constexpr int kTable[kLayers] = {4, 5, 6, 7, 8, 9, 11, 12, 14, 16};
constexpr int kHcl[kLayers] = {17, 18, 19, 20, 17, 18, 19, 20, 17, 18};

void BM_CompositeNormal(benchmark::State& s) { runComposite(s, kNormal, true); }
void BM_CompositePackedModes(benchmark::State& s) { runComposite(s, kPacked, true); }
void BM_CompositeTableModes(benchmark::State& s) { runComposite(s, kTable, true); }
void BM_CompositeHclModes(benchmark::State& s) { runComposite(s, kHcl, true); }
void BM_PlainCompositeNormal(benchmark::State& s) { runComposite(s, kNormal, false); }
void BM_PlainCompositeTableModes(benchmark::State& s) { runComposite(s, kTable, false); }

// Idle layers are composited from their tiles: the same ten fully painted
// layers as tiles against the flat pixels, both in each iteration; x_flat is
// the best tiled time over the best flat time.
void runCompositeTiles(benchmark::State& state, const int (&modes)[kLayers]) {
  Canvas& c = canvas();
  static std::vector<TiledImage> tiles = [&] {
    std::vector<TiledImage> t(kLayers);
    for (int i = 0; i < kLayers; ++i) t[size_t(i)].assign(c.layers[size_t(i)]);
    return t;
  }();
  std::vector<DisplayLayer> flat, tiled;
  for (int i = 0; i < kLayers; ++i) {
    const int opacity = i % 3 == 2 ? 96 : 128;
    flat.push_back({&c.layers[size_t(i)], modes[i], opacity});
    tiled.push_back({nullptr, modes[i], opacity, &tiles[size_t(i)]});
  }
  const Rect all{0, 0, kSize, kSize};
  double bestFlat = 1e9, bestTiled = 1e9;
  for (auto _ : state) {
    double t0 = threadSeconds();
    compositeDisplayLayers(c.composite, flat, all, true, 0xFFFFFFFF, 0xFFCCCCCC, c.table);
    benchmark::ClobberMemory();
    double t1 = threadSeconds();
    compositeDisplayLayers(c.composite, tiled, all, true, 0xFFFFFFFF, 0xFFCCCCCC, c.table);
    benchmark::ClobberMemory();
    bestFlat = std::min(bestFlat, t1 - t0);
    bestTiled = std::min(bestTiled, threadSeconds() - t1);
  }
  state.counters["x_flat"] = bestTiled / bestFlat;
}

void BM_CompositeTilesNormal(benchmark::State& s) { runCompositeTiles(s, kNormal); }
void BM_CompositeTilesTableModes(benchmark::State& s) { runCompositeTiles(s, kTable); }
BENCHMARK(BM_CompositeTilesNormal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeTilesTableModes)->Unit(benchmark::kMillisecond);

// The argument caps the loop width: 2 as wide as the processor allows (AVX-512
// or AVX2), 1 eight pixels (AVX2), 0 four pixels (SSE2).
BENCHMARK(BM_MemcpyTenLayers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeNormal)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositePackedModes)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeTableModes)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeHclModes)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
// The per-pixel reference, for comparison (modes 17-20 would take far longer).
BENCHMARK(BM_PlainCompositeNormal)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCompositeTableModes)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
