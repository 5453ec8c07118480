// Whole-image operations on a 4500 x 4500 layer, each next to ImageMagick's
// time for the same operation in the same run.
//
// ImageMagick is timed fairly by subtraction: the input is stored once as an
// MPC file (ImageMagick's own memory-mapped pixel cache, so reading it costs
// next to nothing) and `convert in.mpc <op> null:` is timed against
// `convert in.mpc null:`; the best of several runs of each is taken and the
// difference is the operation alone, without process start, decoding or
// encoding. It runs with its default thread count (both cores), as we do.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "filters/image_ops.h"
#include "filters/resample.h"
#include "image/image32.h"

namespace {

using tessel::Image32;
using tessel::ScaleMethod;

constexpr int kSize = 4500;
constexpr int kSmall = 3000;

const Image32& sourceImage() {
  static Image32 image = [] {
    Image32 im;
    if (!im.create(kSize, kSize)) std::abort();
    std::mt19937 random(1);
    for (int y = 0; y < kSize; ++y) {
      tessel::Pixel* row = im.row(y);
      for (int x = 0; x < kSize; ++x) {
        uint32_t p = random();
        row[x] = (p & 0xF) == 0 ? tessel::kTransparent : p;
      }
    }
    return im;
  }();
  return image;
}

std::map<std::string, double>& ourSeconds() {
  static std::map<std::string, double> times;
  return times;
}

// Runs the loop body and keeps the fastest iteration for the ratio.
template <typename Body>
void timeOurs(benchmark::State& state, const std::string& key, const Body& body) {
  double best = 1e30;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    body();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    best = std::min(best, s);
  }
  ourSeconds()[key] = best;
}

void BM_Tessel_Lanczos(benchmark::State& state) {
  Image32 out;
  timeOurs(state, "lanczos", [&] {
    benchmark::DoNotOptimize(tessel::scaleImage(sourceImage(), out, kSmall, kSmall, ScaleMethod::Lanczos3));
  });
}

void BM_Tessel_Bilinear(benchmark::State& state) {
  Image32 out;
  timeOurs(state, "bilinear", [&] {
    benchmark::DoNotOptimize(tessel::scaleImage(sourceImage(), out, kSmall, kSmall, ScaleMethod::Bilinear));
  });
}

void BM_Tessel_FlipHorizontal(benchmark::State& state) {
  Image32 image;
  image.create(kSize, kSize);
  image.copyFrom(sourceImage());
  timeOurs(state, "flop", [&] { tessel::flipHorizontal(image); });
}

void BM_Tessel_FlipVertical(benchmark::State& state) {
  Image32 image;
  image.create(kSize, kSize);
  image.copyFrom(sourceImage());
  timeOurs(state, "flip", [&] { tessel::flipVertical(image); });
}

void BM_Tessel_Rotate90(benchmark::State& state) {
  Image32 out;
  timeOurs(state, "rotate", [&] { benchmark::DoNotOptimize(tessel::rotate90(sourceImage(), out, false)); });
}

// The source as an MPC file, written once through a raw BGRA dump.
const std::string& mpcPath() {
  static std::string path = [] {
    namespace fs = std::filesystem;
    std::string base = (fs::temp_directory_path() / ("tessel_bench_" + std::to_string(getpid()))).string();
    {
      std::ofstream raw(base + ".bgra", std::ios::binary);
      for (int y = 0; y < kSize; ++y)
        raw.write(reinterpret_cast<const char*>(sourceImage().row(y)), std::streamsize(kSize) * 4);
    }
    std::string cmd = "convert -size " + std::to_string(kSize) + "x" + std::to_string(kSize) +
                      " -depth 8 bgra:" + base + ".bgra " + base + ".mpc";
    if (std::system(cmd.c_str()) != 0) return std::string();
    fs::remove(base + ".bgra");
    std::atexit([] {
      std::filesystem::remove(mpcPath() + ".mpc");
      std::filesystem::remove(mpcPath() + ".cache");
    });
    return base;
  }();
  return path;
}

double bestRun(const std::string& command, int runs) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

void timeImageMagick(benchmark::State& state, const std::string& key, const std::string& op) {
  if (mpcPath().empty()) {
    state.SkipWithError("convert is not available");
    return;
  }
  std::string in = "convert " + mpcPath() + ".mpc ";
  for (auto _ : state) {
    double base = bestRun(in + "null:", 5);
    double with = bestRun(in + op + " null:", 5);
    if (base < 0 || with < 0) {
      state.SkipWithError("convert failed");
      return;
    }
    state.SetIterationTime(std::max(with - base, 1e-6));
    auto ours = ourSeconds().find(key);
    if (ours != ourSeconds().end())
      state.counters["tessel_vs_im"] = ours->second / std::max(with - base, 1e-6);
  }
}

const std::string kSmallSize = std::to_string(kSmall) + "x" + std::to_string(kSmall) + "!";

void BM_ImageMagick_Lanczos(benchmark::State& state) {
  timeImageMagick(state, "lanczos", "-filter Lanczos -resize " + kSmallSize);
}
// The same sampling as ours: one bilinear lookup per output pixel.
void BM_ImageMagick_Bilinear(benchmark::State& state) {
  timeImageMagick(state, "bilinear", "-interpolate Bilinear -interpolative-resize " + kSmallSize);
}
void BM_ImageMagick_FlipHorizontal(benchmark::State& state) { timeImageMagick(state, "flop", "-flop"); }
void BM_ImageMagick_FlipVertical(benchmark::State& state) { timeImageMagick(state, "flip", "-flip"); }
void BM_ImageMagick_Rotate90(benchmark::State& state) { timeImageMagick(state, "rotate", "-rotate 90"); }

}  // namespace

BENCHMARK(BM_Tessel_Lanczos)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ImageMagick_Lanczos)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_Tessel_Bilinear)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ImageMagick_Bilinear)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_Tessel_FlipHorizontal)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ImageMagick_FlipHorizontal)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_Tessel_FlipVertical)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ImageMagick_FlipVertical)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_Tessel_Rotate90)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ImageMagick_Rotate90)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
