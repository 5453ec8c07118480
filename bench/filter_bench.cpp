// Every filter on a 4500 x 4500 layer, and for the operations ImageMagick
// also has, ImageMagick's time for the operation alone in the same run.
//
// ImageMagick is timed as (convert in.mpc -OP null:) minus (convert in.mpc
// null:), both as wall time, the better of three runs each: the MPC file is
// ImageMagick's own memory-mapped pixel cache, so reading it costs almost
// nothing and writing to null: costs nothing, which leaves the operation.
// Its temporary pixel caches go to /dev/shm so that they stay in memory.
// The picture is the same random layer (a quarter of it partly transparent).
//
//   tessel_bench --benchmark_filter='Filter/'    every filter
//   tessel_bench --benchmark_filter='Compare/'   the pairs with ImageMagick
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "filters/filter_functions.h"
#include "image/image32.h"

namespace tessel {
namespace {

constexpr int kSide = 4500;

struct Layer {
  Image32 src, dst;
  Layer() {
    if (!src.create(kSide, kSide) || !dst.create(kSide, kSide)) std::abort();
    std::mt19937 rng(1);
    for (int y = 0; y < kSide; ++y) {
      Pixel* row = src.row(y);
      for (int x = 0; x < kSide; ++x) {
        uint32_t v = rng();
        uint32_t a = (v >> 24) < 64 ? (v >> 24) * 4 : 255;   // a quarter partly transparent
        row[x] = a ? ((v & 0xFFFFFFu) | (a << 24)) : kTransparent;
      }
    }
    dst.copyFrom(src);
  }
};

Layer& layer() {
  static Layer l;
  return l;
}

FilterValues values(std::initializer_list<int> s, std::initializer_list<int> checks = {},
                    std::initializer_list<int> lists = {}) {
  FilterValues v;
  int i = 0;
  for (int x : s) v.slider[i++] = x;
  i = 0;
  for (int x : checks) v.check[i++] = x;
  i = 0;
  for (int x : lists) v.list[i++] = x;
  return v;
}

void runFilter(benchmark::State& state, FilterFunction f, FilterValues v) {
  Layer& l = layer();
  std::mt19937 rng(5);
  FilterContext c;
  c.random = &rng;
  for (auto _ : state) {
    if (!f(v, c, l.dst, l.src, l.src.bounds(), nullptr)) state.SkipWithError("filter failed");
    benchmark::DoNotOptimize(l.dst.top());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(kSide) * kSide);
}

// ImageMagick side -------------------------------------------------------

const std::string& mpcPath() {
  static std::string path;
  if (!path.empty()) return path;
  std::string dir = "/dev/shm/tessel_filter_bench";
  std::string raw = dir + "/in.raw";
  if (std::system(("mkdir -p " + dir).c_str()) != 0) return path;
  FILE* f = std::fopen(raw.c_str(), "wb");
  if (!f) return path;
  Layer& l = layer();
  for (int y = 0; y < kSide; ++y) {   // bytes B, G, R, A per pixel, top row first
    if (std::fwrite(l.src.row(y), 4, kSide, f) != size_t(kSide)) break;
  }
  std::fclose(f);
  std::string cmd = "convert -size 4500x4500 -depth 8 bgra:" + raw + " " + dir + "/in.mpc";
  if (std::system(cmd.c_str()) == 0) path = dir + "/in.mpc";
  return path;
}

double wallSeconds(const std::string& cmd) {
  auto t0 = std::chrono::steady_clock::now();
  int rc = std::system(cmd.c_str());
  auto t1 = std::chrono::steady_clock::now();
  if (rc != 0) return -1;
  return std::chrono::duration<double>(t1 - t0).count();
}

double bestOf3(const std::string& cmd) {
  double best = 1e30;
  for (int i = 0; i < 3; ++i) {
    double t = wallSeconds(cmd);
    if (t < 0) return -1;
    best = std::min(best, t);
  }
  return best;
}

void runImageMagick(benchmark::State& state, const char* op) {
  const std::string& mpc = mpcPath();
  if (mpc.empty()) {
    state.SkipWithError("convert not available");
    return;
  }
  std::string env = "MAGICK_TMPDIR=/dev/shm ";
  double base = bestOf3(env + "convert " + mpc + " null:");
  for (auto _ : state) {
    double t = bestOf3(env + "convert " + mpc + " " + op + " null:");
    if (t < 0 || base < 0) {
      state.SkipWithError("convert failed");
      return;
    }
    state.SetIterationTime(std::max(0.0, t - base));
  }
  state.SetLabel(op);
}

// Our side of a pair: the better of three runs, like ImageMagick's.
void runBest(benchmark::State& state, FilterFunction f, FilterValues v) {
  Layer& l = layer();
  for (auto _ : state) {
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
      auto t0 = std::chrono::steady_clock::now();
      f(v, {}, l.dst, l.src, l.src.bounds(), nullptr);
      auto t1 = std::chrono::steady_clock::now();
      best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    state.SetIterationTime(best);
  }
}

struct Pair {
  const char* name;
  FilterFunction f;
  FilterValues v;
  const char* op;
};

void registerAll() {
  struct Entry {
    const char* name;
    FilterFunction f;
    FilterValues v;
  };
  const Entry filters[] = {
      {"brightness-contrast", filterBrightnessContrast, values({20, 30})},
      {"gamma", filterGamma, values({150})},
      {"levels", filterLevels, values({10, 128, 240, 5, 250})},
      {"rgb", filterRgbAdjust, values({10, -20, 30})},
      {"hsv", filterHsvAdjust, values({30, 20, -10})},
      {"invert", filterInvert, {}},
      {"desaturate", filterDesaturate, {}},
      {"sepia", filterSepia, {}},
      {"map-fg-bg", filterMapForegroundBackground, {}},
      {"binarize", filterBinarize, values({128})},
      {"reduce-colours", filterReduceColours, values({}, {}, {7})},
      {"replace-colour", filterReplaceColour, values({0x123456, 0x654321})},
      {"set-alpha", filterSetAlpha, values({}, {}, {0, 3})},
      {"lines", filterLines, values({1, 3, 2, 6}, {1, 1})},
      {"dots", filterDots, values({4, 4})},
      {"grid", filterGrid, values({8, 8}, {1})},
      {"outline-outside", filterOutlineOutside, values({3})},
      {"border", filterBorder, values({4})},
      {"random-dots", filterRandomDots, values({3, 5, 2}, {}, {0, 2})},
      {"mosaic", filterMosaic, values({8})},
      {"crystallize", filterCrystallize, values({10})},
      {"halftone", filterHalftone, values({4, 3, 15, 75, 0})},
      {"blur", filterBlur, values({3})},
      {"gaussian-blur", filterGaussianBlur, values({3})},
      {"radial-blur", filterRadialBlur, values({2250, 2250, 3})},
      {"lens-blur", filterLensBlur, values({3, 5})},
      {"motion-blur", filterMotionBlur, values({3, 45})},
      {"sharpen", filterSharpen, values({1})},
      {"unsharp-mask", filterUnsharpMask, values({2, 50})},
      {"sobel", filterSobel, {}},
      {"laplacian", filterLaplacian, {}},
      {"wave", filterWave, values({10, 4})},
      {"polar", filterPolar, {}},
      {"radial", filterRadialZoom, values({2250, 2250, 6})},
      {"line-correction", filterLineCorrection, {}},
      {"anti-alias", filterAntiAlias, values({100})},
      {"offset", filterOffset, values({100, 50})},
      {"emboss", filterEmboss, values({1}, {}, {2})},
      {"noise", filterNoise, values({10})},
      {"diffuse", filterDiffuse, values({2})},
      {"scratches", filterScratches, values({10, -45})},
      {"lens-shake", filterLensShake, values({4})},
      {"median", filterMedian, values({}, {}, {0, 1})},
      {"oil-paint", filterOilPaint, values({2})},
      {"border-3d", filterBorder3d, values({6})},
      {"posterize", filterPosterize, values({4})},
      {"clouds", filterClouds, values({8, 60, 20})},
      {"rgb-shift", filterRgbShift, values({3}, {}, {2})},
      {"line-art", filterLineArt, {}},
      {"outline-inside", filterOutlineInside, values({3})},
      {"outline", filterOutline, values({1})},
      {"glow", filterGlow, values({55, 5, 256})},
      {"fg-to-transparent", filterForegroundToTransparent, {}},
      {"non-fg-to-transparent", filterNonForegroundToTransparent, {}},
      {"fill-transparent-fg", filterFillTransparentForeground, {}},
      {"fg-to-bg", filterForegroundToBackground, {}},
      {"light-to-transparent", filterLightToTransparent, {}},
      {"dark-to-transparent", filterDarkToTransparent, {}},
      {"grey-from-alpha", filterGreyFromAlpha, {}},
      {"remove-transparency", filterRemoveTransparency, {}},
      {"clouds-bw", filterCloudsBlackWhite, {}},
      {"clouds-fg-bg", filterCloudsForegroundBackground, {}},
      {"clouds-difference", filterCloudsDifference, {}},
  };
  for (const Entry& e : filters)
    benchmark::RegisterBenchmark((std::string("Filter/") + e.name).c_str(), runFilter, e.f, e.v)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);

  const Pair pairs[] = {
      {"gaussian-blur-3", filterGaussianBlur, values({3}), "-gaussian-blur 0x3"},
      {"blur-3", filterBlur, values({3}), "-blur 3x3"},
      {"median-3x3", filterMedian, values({}, {}, {0, 1}), "-statistic Median 3x3"},
      {"gaussian-blur-10", filterGaussianBlur, values({10}), "-blur 0x10"},
      {"oil-paint-2", filterOilPaint, values({2}), "-paint 2"},
      {"unsharp-2", filterUnsharpMask, values({2, 50}), "-unsharp 0x2+0.5+0"},
      {"motion-blur-3", filterMotionBlur, values({3, 45}), "-motion-blur 0x3+45"},
      {"emboss", filterEmboss, values({1}, {}, {2}), "-emboss 1"},
      {"negate", filterInvert, {}, "-negate"},
      {"modulate", filterHsvAdjust, values({30, 20, -10}), "-modulate 96,108,116"},
      {"posterize-4", filterPosterize, values({4}), "-posterize 4"},
      {"sobel-edge", filterSobel, {}, "-edge 1"},
  };
  for (const Pair& p : pairs) {
    benchmark::RegisterBenchmark((std::string("Compare/") + p.name + "/tessel").c_str(), runBest, p.f, p.v)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark((std::string("Compare/") + p.name + "/imagemagick").c_str(), runImageMagick, p.op)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1);
  }
}

const bool kRegistered = (registerAll(), true);

}  // namespace
}  // namespace tessel
