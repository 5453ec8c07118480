// Writing and reading a 4500 x 4500 document of 10 layers as OpenRaster,
// against the same document as PSD in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <random>
#include <string>

#include "bench_document.h"
#include "document/document.h"
#include "formats/ora_document.h"
#include "formats/psd_document.h"
#include "platform/image_decoders.h"

namespace tessel {
namespace {

// The benchmark program hands the platform's decoders down as the program does.
const bool kDecodersHandedDown = [] {
  handDownPictureDecoders(&platformPictureDecoders());
  return true;
}();

double processorSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct OraWorkload {
  Document document, back;
  std::string stem = "/tmp/tessel_ora_bench_" + std::to_string(getpid());
  bool ready = false;

  OraWorkload() {
    if (!document.newImage(kSide, kSide, true)) return;
    for (int i = 1; i < kLayers; ++i)
      if (!document.newLayer(false)) return;
    std::mt19937 rng(2024);
    for (int i = 0; i < kLayers; ++i) {
      Image32& image = document.layers().atIndex(i)->image();
      if (i == kLayers - 1) {
        // An opaque gradient with a little noise under the strokes.
        std::uniform_int_distribution<int> noise(-3, 3);
        for (int y = 0; y < kSide; ++y)
          for (int x = 0; x < kSide; ++x)
            image.set(x, y, makePixel(255, uint32_t(std::clamp(x * 255 / kSide + noise(rng), 0, 255)),
                                      uint32_t(std::clamp(y * 255 / kSide + noise(rng), 0, 255)),
                                      uint32_t(128 + (x ^ y) % 32)));
      } else {
        paintStrokes(image, rng);
      }
    }
    ready = true;
  }
  ~OraWorkload() {
    std::remove((stem + ".ora").c_str());
    std::remove((stem + ".psd").c_str());
  }
};

// Both formats in every iteration; the ratios are ORA time over PSD time.
void BM_OraAgainstPsd(benchmark::State& state) {
  static OraWorkload w;
  if (!w.ready || !kDecodersHandedDown) return state.SkipWithError("no memory for the document");
  double psdWrite = 0, oraWrite = 0, psdRead = 0, oraRead = 0;
  // Processor time too: on a shared machine the wall-clock ratios swing with
  // the load, while the work each format takes does not.
  double psdWriteCpu = 0, oraWriteCpu = 0, psdReadCpu = 0, oraReadCpu = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    double c = processorSeconds();
    if (!writePsd(w.stem + ".psd", w.document, nullptr)) return state.SkipWithError("PSD write failed");
    psdWrite += secondsSince(t), psdWriteCpu += processorSeconds() - c;
    t = Clock::now(), c = processorSeconds();
    if (!writeOra(w.stem + ".ora", w.document, nullptr)) return state.SkipWithError("ORA write failed");
    oraWrite += secondsSince(t), oraWriteCpu += processorSeconds() - c;
    t = Clock::now(), c = processorSeconds();
    if (readPsdLayers(w.stem + ".psd", w.back, nullptr) != 0) return state.SkipWithError("PSD read failed");
    psdRead += secondsSince(t), psdReadCpu += processorSeconds() - c;
    t = Clock::now(), c = processorSeconds();
    if (readOra(w.stem + ".ora", w.back, nullptr) != 0) return state.SkipWithError("ORA read failed");
    oraRead += secondsSince(t), oraReadCpu += processorSeconds() - c;
    state.SetIterationTime(secondsSince(t));
  }
  state.counters["write_cpu_ratio"] = oraWriteCpu / psdWriteCpu;
  state.counters["read_cpu_ratio"] = oraReadCpu / psdReadCpu;
  const double n = double(state.iterations());
  state.counters["psd_write_s"] = psdWrite / n;
  state.counters["ora_write_s"] = oraWrite / n;
  state.counters["psd_read_s"] = psdRead / n;
  state.counters["ora_read_s"] = oraRead / n;
  state.counters["write_ratio"] = oraWrite / psdWrite;
  state.counters["read_ratio"] = oraRead / psdRead;
  state.counters["write_read_ratio"] = (oraWrite + oraRead) / (psdWrite + psdRead);
}
BENCHMARK(BM_OraAgainstPsd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace tessel
