// Undo encoding of a full 4500 x 4500 layer, upper half transparent, lower
// half busy, next to a plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "document/document.h"
#include "image/image32.h"
#include "undo/undo_history.h"
#include "undo/undo_rle.h"

namespace tessel {
namespace {

constexpr int kSide = 4500;

const Image32& mixedLayer() {
  static Image32 image = [] {
    Image32 im;
    im.create(kSide, kSide);
    im.fill(kTransparent);
    std::mt19937 rng(5);
    for (int y = kSide / 2; y < kSide; ++y) {
      Pixel* row = im.row(y);
      for (int x = 0; x < kSide; ++x) {
        uint32_t v = rng();
        // About one pixel in sixteen clear, the rest any colour and alpha.
        row[x] = (v & 0xF) == 0 ? kTransparent : (v | 0x01000000u);
      }
    }
    return im;
  }();
  return image;
}

size_t layerBytes() { return size_t(kSide) * kSide * 4; }

void BM_UndoEncode(benchmark::State& state) {
  const Image32& image = mixedLayer();
  std::vector<uint8_t> out(layerBytes());
  for (auto _ : state) {
    size_t n = rleEncodedSize(image, image.bounds());
    benchmark::DoNotOptimize(rleEncode(image, image.bounds(), out.data(), out.size()) + n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(layerBytes()));
}
BENCHMARK(BM_UndoEncode)->Unit(benchmark::kMillisecond);

void BM_UndoEncodedSize(benchmark::State& state) {
  const Image32& image = mixedLayer();
  for (auto _ : state) benchmark::DoNotOptimize(rleEncodedSize(image, image.bounds()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(layerBytes()));
}
BENCHMARK(BM_UndoEncodedSize)->Unit(benchmark::kMillisecond);

void BM_UndoDecode(benchmark::State& state) {
  const Image32& image = mixedLayer();
  std::vector<uint8_t> data(rleEncodedSize(image, image.bounds()));
  rleEncode(image, image.bounds(), data.data(), data.size());
  Image32 target;
  target.create(kSide, kSide);
  for (auto _ : state) {
    benchmark::DoNotOptimize(rleDecode(data.data(), data.size(), target, target.bounds()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(layerBytes()));
  state.counters["encoded_MB"] = double(data.size()) / 1e6;
}
BENCHMARK(BM_UndoDecode)->Unit(benchmark::kMillisecond);

// The baseline: the same bytes copied once.
void BM_UndoMemcpyBaseline(benchmark::State& state) {
  const Image32& image = mixedLayer();
  std::vector<uint8_t> out(layerBytes());
  for (auto _ : state) {
    std::memcpy(out.data(), image.bits(), layerBytes());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(layerBytes()));
}
BENCHMARK(BM_UndoMemcpyBaseline)->Unit(benchmark::kMillisecond);

// A whole-layer record on the full canvas: encoded, written to its temporary
// file, then undone (opposite captured, file read back and decoded).
void BM_UndoRecordAndUndoWholeLayer(benchmark::State& state) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "tessel-undo-bench";
  std::filesystem::create_directories(dir);
  Document doc;
  if (!doc.newImage(kSide, kSide, true)) {
    state.SkipWithError("no memory for the document");
    return;
  }
  doc.currentLayer()->image().copyFrom(mixedLayer());
  UndoHistory history(doc, dir);
  UndoRefresh refresh;
  for (auto _ : state) {
    history.recordCurrentLayer();
    history.undo(refresh);
  }
  history.clear();
  std::filesystem::remove_all(dir);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(layerBytes()));
}
BENCHMARK(BM_UndoRecordAndUndoWholeLayer)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel
