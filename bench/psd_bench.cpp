// Writing and reading a 4500 x 4500 PSD of 10 layers, next to ImageMagick
// reading the same file in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "bench_document.h"
#include "document/document.h"
#include "formats/native_document.h"
#include "formats/psd_document.h"

namespace tessel {
namespace {

// A smooth opaque gradient with noise, as a photograph or painted background.
void paintBackground(Image32& image, std::mt19937& rng) {
  std::uniform_int_distribution<int> noise(-3, 3);
  for (int y = 0; y < kSide; ++y) {
    Pixel* row = image.row(y);
    for (int x = 0; x < kSide; ++x) {
      int r = std::clamp(x * 255 / kSide + noise(rng), 0, 255), g = std::clamp(y * 255 / kSide + noise(rng), 0, 255);
      row[x] = makePixel(255, uint32_t(r), uint32_t(g), uint32_t(128 + (x ^ y) % 32));
    }
  }
}

struct Workload {
  Document document;
  std::string path = "/tmp/tessel_psd_bench_" + std::to_string(getpid()) + ".psd";
  bool ready = false;
  bool written = false;

  Workload() {
    if (!document.newImage(kSide, kSide, true)) return;
    for (int i = 1; i < kLayers; ++i)
      if (!document.newLayer(false)) return;
    std::mt19937 rng(2024);
    for (int i = 0; i < kLayers; ++i) {
      Image32& image = document.layers().atIndex(i)->image();
      if (i == kLayers - 1)
        paintBackground(image, rng);
      else
        paintStrokes(image, rng);
    }
    ready = true;
  }
  ~Workload() { std::remove(path.c_str()); }
};

Workload& workload() {
  static Workload w;
  return w;
}

void BM_PsdWrite(benchmark::State& state) {
  Workload& w = workload();
  if (!w.ready) return state.SkipWithError("no memory for the document");
  for (auto _ : state) {
    auto t = Clock::now();
    if (!writePsd(w.path, w.document, nullptr)) return state.SkipWithError("write failed");
    state.SetIterationTime(secondsSince(t));
  }
  w.written = true;
  std::FILE* f = std::fopen(w.path.c_str(), "rb");
  if (f) {
    std::fseek(f, 0, SEEK_END);
    state.counters["file_MB"] = double(std::ftell(f)) / 1e6;
    std::fclose(f);
  }
}
BENCHMARK(BM_PsdWrite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// ImageMagick decodes every layer and the merged image. Its installed policy
// caps the pixel cache at 1 GiB of disk, below what 11 images of this size
// take, so a policy of its own raises the limits for this run.
double imageMagickRead(const std::string& path) {
  const std::string folder = path + ".policy";
  std::string setup = "mkdir -p " + folder + " && printf '%s' '<policymap>"
                      "<policy domain=\"resource\" name=\"memory\" value=\"8GiB\"/>"
                      "<policy domain=\"resource\" name=\"map\" value=\"8GiB\"/>"
                      "<policy domain=\"resource\" name=\"disk\" value=\"16GiB\"/>"
                      "<policy domain=\"resource\" name=\"area\" value=\"8GP\"/></policymap>' > " +
                      folder + "/policy.xml";
  if (std::system(setup.c_str()) != 0) return -1;
  std::string command = "MAGICK_CONFIGURE_PATH=" + folder + " convert " + path + " null: 2>/dev/null";
  auto t = Clock::now();
  int status = std::system(command.c_str());
  double s = secondsSince(t);
  std::system(("rm -rf " + folder).c_str());
  return status == 0 ? s : -1;
}

void BM_PsdReadNextToImageMagick(benchmark::State& state) {
  Workload& w = workload();
  if (!w.ready) return state.SkipWithError("no memory for the document");
  if (!w.written && !writePsd(w.path, w.document, nullptr)) return state.SkipWithError("write failed");
  w.written = true;
  Document loaded;
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    if (readPsdLayers(w.path, loaded, nullptr) != kReadOk) return state.SkipWithError("read failed");
    double s = secondsSince(t);
    ours += s;
    state.SetIterationTime(s);
    double m = imageMagickRead(w.path);
    if (m < 0) return state.SkipWithError("ImageMagick could not read the file");
    theirs += m;
  }
  const double n = double(state.iterations());
  state.counters["imagemagick_s"] = theirs / n;
  state.counters["tessel_s"] = ours / n;
  state.counters["ratio"] = ours / theirs;   // below 1: Tessel reads faster
}
BENCHMARK(BM_PsdReadNextToImageMagick)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tessel
