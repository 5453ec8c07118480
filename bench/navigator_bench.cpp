// The navigator after a 10-pixel stroke on a 4500 x 4500 document: the
// changed rectangle only and the whole 180 x 180 picture, next to a memcpy
// of the picture's bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "app/models/navigator_model.h"
#include "image/image32.h"

namespace {

using namespace tessel;

constexpr int kCanvas = 4500, kPanel = 180;

struct NavSetup {
  Image32 composite;
  NavigatorModel nav;
  bool ok = false;
  NavSetup() {
    if (!composite.create(kCanvas, kCanvas)) return;
    uint32_t seed = 777;
    for (int y = 0; y < kCanvas; ++y) {
      Pixel* row = composite.row(y);
      for (int x = 0; x < kCanvas; ++x) row[x] = (seed = seed * 1664525u + 1013904223u) | 0xFF000000u;
    }
    nav.rebuild(composite, kPanel, kPanel);
    ok = true;
  }
};

NavSetup& setup() {
  static NavSetup s;
  return s;
}

void BM_NavigatorStrokeUpdate(benchmark::State& state) {
  NavSetup& s = setup();
  if (!s.ok) return state.SkipWithError("no memory");
  const Rect stroke{2000, 2000, 10 + 20, 20};   // a 10-pixel stroke of a size-20 brush
  for (auto _ : state) {
    s.nav.update(s.composite, stroke);
    benchmark::DoNotOptimize(s.nav.picture().row(0));
  }
}
BENCHMARK(BM_NavigatorStrokeUpdate);

void BM_NavigatorWholePicture(benchmark::State& state) {
  NavSetup& s = setup();
  if (!s.ok) return state.SkipWithError("no memory");
  for (auto _ : state) {
    s.nav.update(s.composite, s.composite.bounds());
    benchmark::DoNotOptimize(s.nav.picture().row(0));
  }
}
BENCHMARK(BM_NavigatorWholePicture);

void BM_NavigatorPictureMemcpy(benchmark::State& state) {
  std::vector<uint32_t> a(size_t(kPanel) * kPanel), b(a.size());
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size() * 4);
    benchmark::DoNotOptimize(b.data());
  }
}
BENCHMARK(BM_NavigatorPictureMemcpy);

}  // namespace

// One image viewer thumbnail of a 4500 x 4500 file (decode and shrink);
// a screenful is about 12 of them.
#include <cstdio>
#include <string>

#include "app/models/image_viewer_model.h"
#include "formats/bmp_codec.h"
#include "formats/png_codec.h"

namespace {

const std::string& bigFile(bool png) {
  static std::string paths[2];
  std::string& p = paths[png ? 1 : 0];
  if (p.empty()) {
    NavSetup& s = setup();
    p = std::string("/tmp/tessel_bench_thumb.") + (png ? "png" : "bmp");
    const bool ok = png ? writePng(s.composite, p, 6, false, -1) : writeBmp(s.composite, p);
    if (!ok) p = "/nonexistent";
  }
  return p;
}

void BM_ViewerThumbnail(benchmark::State& state) {
  const std::string& path = bigFile(state.range(0) != 0);
  Image32 thumb;
  for (auto _ : state) {
    if (!loadThumbnail(path, 72, thumb)) return state.SkipWithError("no file");
    benchmark::DoNotOptimize(thumb.row(0));
  }
}
BENCHMARK(BM_ViewerThumbnail)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
