// Saving and loading a 4500 x 4500 document of 10 layers, each next to plain
// zlib level-6 deflate / inflate of the same pixel bytes in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <random>
#include <vector>

#include "bench_document.h"
#include "document/document.h"
#include "formats/native_document.h"

namespace tessel {
namespace {

// Smooth shapes, soft gradients and sensor noise, fully opaque.
void paintPhotograph(Image32& image, std::mt19937& rng) {
  constexpr int kGrid = 64;
  std::vector<float> grid(size_t(kGrid + 1) * (kGrid + 1) * 3);
  std::uniform_real_distribution<float> unit(0.f, 255.f);
  for (float& v : grid) v = unit(rng);
  std::uniform_int_distribution<int> noise(-3, 3);
  const float cell = float(kSide) / kGrid;
  for (int y = 0; y < kSide; ++y) {
    Pixel* row = image.row(y);
    float gy = y / cell;
    int iy = int(gy);
    float fy = gy - iy;
    for (int x = 0; x < kSide; ++x) {
      float gx = x / cell;
      int ix = int(gx);
      float fx = gx - ix;
      int c[3];
      for (int k = 0; k < 3; ++k) {
        auto at = [&](int gxI, int gyI) { return grid[(size_t(gyI) * (kGrid + 1) + size_t(gxI)) * 3 + size_t(k)]; };
        float top = at(ix, iy) * (1 - fx) + at(ix + 1, iy) * fx;
        float bottom = at(ix, iy + 1) * (1 - fx) + at(ix + 1, iy + 1) * fx;
        c[k] = std::clamp(int(top * (1 - fy) + bottom * fy) + noise(rng), 0, 255);
      }
      row[x] = makePixel(255, uint32_t(c[0]), uint32_t(c[1]), uint32_t(c[2]));
    }
  }
}

struct Workload {
  Document document;
  std::vector<std::vector<uint8_t>> streams;   // each layer deflated at level 6
  std::string path = "/tmp/tessel_bench_" + std::to_string(getpid()) + ".tsd";
  bool ready = false;

  Workload() {
    if (!document.newImage(kSide, kSide, true)) return;
    for (int i = 1; i < kLayers; ++i)
      if (!document.newLayer(false)) return;
    std::mt19937 rng(12345);
    for (int i = 0; i < kLayers; ++i) {
      Image32& image = document.layers().atIndex(i)->image();
      if (i == kLayers - 1)
        paintPhotograph(image, rng);
      else
        paintStrokes(image, rng);
    }
    ready = true;
  }
  ~Workload() { std::remove(path.c_str()); }
};

// CPU seconds of every thread of the process, to show what a second lane costs.
double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

Workload& workload() {
  static Workload w;
  return w;
}

// Into one output buffer kept across calls, so the baseline pays no page faults.
std::vector<uint8_t> deflateLevel6(const uint8_t* data, size_t size) {
  static std::vector<uint8_t> scratch;
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
  if (scratch.size() < deflateBound(&z, uLong(size))) scratch.resize(deflateBound(&z, uLong(size)));
  std::vector<uint8_t>& out = scratch;
  z.next_in = const_cast<uint8_t*>(data);
  z.avail_in = uInt(size);
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  std::vector<uint8_t> result(out.begin(), out.begin() + long(z.total_out));
  deflateEnd(&z);
  return result;
}

// The argument is 1 for the two-thread writer and reader, 0 for one thread.
void BM_SaveNextToDeflate(benchmark::State& state) {
  Workload& w = workload();
  if (!w.ready) return state.SkipWithError("no memory for the document");
  setNativeDocumentLanes(state.range(0) != 0);
  double baseline = 0, save = 0, saveCpu = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    w.streams.clear();
    for (int i = kLayers - 1; i >= 0; --i) {
      const Image32& image = w.document.layers().atIndex(i)->image();
      w.streams.push_back(deflateLevel6(image.bits(), image.byteSize()));
    }
    baseline += secondsSince(t0);
    auto t1 = Clock::now();
    double c1 = processCpuSeconds();
    if (!writeDocument(w.path, w.document, nullptr)) return state.SkipWithError("save failed");
    double s = secondsSince(t1);
    saveCpu += processCpuSeconds() - c1;
    save += s;
    state.SetIterationTime(s);
  }
  size_t compressed = 0;
  for (const auto& s : w.streams) compressed += s.size();
  state.counters["deflate_s"] = baseline / double(state.iterations());
  state.counters["ratio"] = save / baseline;
  state.counters["save_cpu_s"] = saveCpu / double(state.iterations());
  state.counters["compressed_MB"] = double(compressed) / 1e6;
}
BENCHMARK(BM_SaveNextToDeflate)
    ->ArgName("lanes")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_LoadNextToInflate(benchmark::State& state) {
  Workload& w = workload();
  if (!w.ready) return state.SkipWithError("no memory for the document");
  setNativeDocumentLanes(state.range(0) != 0);
  if (w.streams.empty() && !writeDocument(w.path, w.document, nullptr)) return state.SkipWithError("save failed");
  if (w.streams.empty())
    for (int i = kLayers - 1; i >= 0; --i) {
      const Image32& image = w.document.layers().atIndex(i)->image();
      w.streams.push_back(deflateLevel6(image.bits(), image.byteSize()));
    }
  std::vector<uint8_t> pixels(size_t(kSide) * kSide * 4);
  Document loaded;
  double baseline = 0, baselineFresh = 0, load = 0, loadCpu = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    for (const auto& stream : w.streams) {
      uLongf size = uLongf(pixels.size());
      if (uncompress(pixels.data(), &size, stream.data(), uLong(stream.size())) != Z_OK)
        return state.SkipWithError("inflate failed");
    }
    baseline += secondsSince(t0);
    // The same into fresh layer-sized images, as any loader must fill new memory.
    auto tf = Clock::now();
    {
      std::vector<Image32> fresh(kLayers);
      for (size_t i = 0; i < fresh.size(); ++i) {
        uLongf size = uLongf(pixels.size());
        if (!fresh[i].create(kSide, kSide) ||
            uncompress(fresh[i].bits(), &size, w.streams[i].data(), uLong(w.streams[i].size())) != Z_OK)
          return state.SkipWithError("inflate failed");
      }
    }
    baselineFresh += secondsSince(tf);
    auto t1 = Clock::now();
    double c1 = processCpuSeconds();
    if (readDocument(w.path, loaded, nullptr) != kReadOk) return state.SkipWithError("load failed");
    double s = secondsSince(t1);
    loadCpu += processCpuSeconds() - c1;
    load += s;
    state.SetIterationTime(s);
  }
  state.counters["inflate_s"] = baseline / double(state.iterations());
  state.counters["ratio"] = load / baseline;
  state.counters["load_cpu_s"] = loadCpu / double(state.iterations());
  state.counters["inflate_fresh_s"] = baselineFresh / double(state.iterations());
  state.counters["ratio_fresh"] = load / baselineFresh;
}
BENCHMARK(BM_LoadNextToInflate)
    ->ArgName("lanes")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace tessel
