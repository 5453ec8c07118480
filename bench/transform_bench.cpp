// Turning a 2000 x 2000 selection by 30 degrees on a 4500 x 4500 layer,
// smoothed and not, as the rotate command does after clearing the area.
#include <benchmark/benchmark.h>

#include <random>

#include "app/ops/selection_pixels.h"
#include "image/image32.h"

namespace tessel {
namespace {

void BM_RotateSelection30(benchmark::State& state) {
  static Image32 layer, copy;
  static const bool ready = [] {
    if (!layer.create(4500, 4500) || !copy.create(2000, 2000)) return false;
    std::mt19937 rng(30);
    for (int y = 0; y < 2000; ++y)
      for (int x = 0; x < 2000; ++x) copy.set(x, y, rng() | 0x80000000u);
    return true;
  }();
  if (!ready) return state.SkipWithError("no memory");
  const Rect selection{1200, 1200, 2000, 2000};
  const Rect area = selection.united(rotatedBoundingBox(selection, 30)).intersected(layer.bounds());
  for (auto _ : state) {
    layer.fillRect(area.x, area.y, area.w, area.h, kTransparent);
    rotatePixels(copy, selection, layer, area, 30, state.range(0) != 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RotateSelection30)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
