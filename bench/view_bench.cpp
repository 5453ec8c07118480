// Canvas view rendering of a 1920 x 1080 window over a 4500 x 4500 composite,
// each zoom next to a memcpy of the bytes that render has to read.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "document/document.h"
#include "image/image32.h"
#include "view/canvas_view.h"

namespace {

using namespace tessel;

constexpr int kCanvas = 4500, kScreenW = 1920, kScreenH = 1080;

struct ViewSetup {
  Document doc;
  Image32 screen;
  ViewOptions options;
  CanvasView view{doc, screen, options};
  bool ok = false;

  ViewSetup() {
    if (!doc.newImage(kCanvas, kCanvas, true) || !screen.create(kScreenW, kScreenH)) return;
    uint32_t seed = 12345;
    for (int y = 0; y < kCanvas; ++y) {
      Pixel* row = doc.composite.row(y);
      for (int x = 0; x < kCanvas; ++x) {
        seed = seed * 1664525u + 1013904223u;
        row[x] = seed | 0xFF000000u;
      }
    }
    view.setClientSize(kScreenW, kScreenH);
    ok = true;
  }
};

ViewSetup& setup() {
  static ViewSetup s;
  return s;
}

// Bytes of the composite a view at this zoom covers (below 100 %), or the
// screen's bytes (at 100 % and above).
size_t bytesRead(int zoom) {
  if (zoom >= 100) return size_t(kScreenW) * kScreenH * 4;
  size_t w = std::min<size_t>(kCanvas, size_t(kScreenW) * 100 / size_t(zoom));
  size_t h = std::min<size_t>(kCanvas, size_t(kScreenH) * 100 / size_t(zoom));
  return w * h * 4;
}

void BM_Render(benchmark::State& state) {
  ViewSetup& s = setup();
  if (!s.ok) {
    state.SkipWithError("allocation failed");
    return;
  }
  const int zoom = int(state.range(0));
  s.view.setZoom(zoom);
  s.view.centreImage();
  for (auto _ : state) {
    s.view.renderAll();
    benchmark::DoNotOptimize(s.screen.bits());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytesRead(zoom)));
}

void BM_Memcpy(benchmark::State& state) {
  const size_t n = bytesRead(int(state.range(0)));
  std::unique_ptr<uint8_t[]> src(new uint8_t[n]), dst(new uint8_t[n]);
  std::memset(src.get(), 7, n);
  std::memset(dst.get(), 0, n);
  for (auto _ : state) {
    std::memcpy(dst.get(), src.get(), n);
    benchmark::DoNotOptimize(dst.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

BENCHMARK(BM_Render)->Arg(100)->Arg(200)->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Arg(100)->Arg(200)->Arg(50)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
