// The image viewer's first screenful: a folder of 200 files of 4500 x 4500
// (jpg, png, bmp, psd, tsd in turn) made in a temporary folder, thumbnails
// read by the panel's loader until the first 12 (a 4 x 3 panel) are in.
// Next to it the old way: each file decoded whole and shrunk, one thread.
// Target: the screenful within 1 s; target_ratio is the time over 1 s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "app/files/thumbnail_loader.h"
#include "bench_document.h"
#include "document/document.h"
#include "formats/bmp_codec.h"
#include "formats/image_loader.h"
#include "formats/jpeg_writer.h"
#include "formats/native_document.h"
#include "formats/png_codec.h"
#include "formats/psd_document.h"
#include "formats/thumbnail_sink.h"

namespace {

using namespace tessel;

constexpr int kFiles = 200, kScreenful = 12, kThumbSide = 72;

// Gradients with a little grain and a few hard-edged discs, like a painting.
void paintPicture(Image32& image) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> noise(-3, 3);
  for (int y = 0; y < kSide; ++y) {
    Pixel* row = image.row(y);
    for (int x = 0; x < kSide; ++x) {
      const int r = std::clamp(x * 255 / kSide + noise(rng), 0, 255), g = std::clamp(y * 255 / kSide + noise(rng), 0, 255);
      row[x] = makePixel(255, uint32_t(r), uint32_t(g), uint32_t(128 + (x ^ y) % 32));
    }
  }
  for (int disc = 0; disc < 40; ++disc) {
    const int cx = int(rng() % kSide), cy = int(rng() % kSide), radius = 50 + int(rng() % 400);
    const Pixel colour = 0xFF000000u | (rng() & 0xFFFFFFu);
    for (int y = std::max(0, cy - radius); y < std::min(kSide, cy + radius); ++y)
      for (int x = std::max(0, cx - radius); x < std::min(kSide, cx + radius); ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < radius * radius) image.row(y)[x] = colour;
  }
}

// One file per format, and 200 names linked to them (bounded on disk).
struct Folder {
  std::string dir;
  std::vector<std::string> paths;
  bool ok = false;
  Folder() {
    char name[] = "/tmp/tessel_thumb_bench_XXXXXX";
    if (!mkdtemp(name)) return;
    dir = name;
    Document document;
    if (!document.newImage(kSide, kSide, true)) return;
    Image32& image = document.currentLayer()->image();
    paintPicture(image);
    const char* kExts[] = {"jpg", "png", "bmp", "psd", "tsd"};
    const bool written = writeJpeg(image, dir + "/src.jpg", 90, true) && writePng(image, dir + "/src.png", 6, false, -1) &&
                         writeBmp(image, dir + "/src.bmp") && writePsd(dir + "/src.psd", document, nullptr) &&
                         writeDocument(dir + "/src.tsd", document, nullptr);
    if (!written) return;
    for (int i = 0; i < kFiles; ++i) {
      const char* ext = kExts[i % 5];
      char file[64];
      std::snprintf(file, sizeof file, "/img%03d.%s", i, ext);
      const std::string path = dir + file;
      std::error_code ec;
      std::filesystem::create_hard_link(dir + "/src." + ext, path, ec);
      if (ec) return;
      paths.push_back(path);
    }
    ok = true;
  }
  ~Folder() {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
  }
};

Folder& folder() {
  static Folder f;
  return f;
}

void BM_ViewerFirstScreenful(benchmark::State& state) {
  Folder& f = folder();
  if (!f.ok) return state.SkipWithError("could not make the folder");
  double seconds = 0;
  for (auto _ : state) {
    ThumbnailCache cache;   // a first visit: nothing cached
    ThumbnailLoader loader(cache, kThumbSide, 2);
    std::mutex mutex;
    std::condition_variable arrived;
    int inView = 0;
    const auto start = Clock::now();
    loader.start(f.paths, [&](size_t index, ThumbnailCache::Picture) {
      std::lock_guard<std::mutex> lock(mutex);
      if (index < kScreenful) ++inView;
      arrived.notify_all();
    });
    loader.prioritize(0, kScreenful);
    std::unique_lock<std::mutex> lock(mutex);
    arrived.wait(lock, [&] { return inView == kScreenful; });
    const double t = secondsSince(start);
    lock.unlock();
    loader.stop();
    state.SetIterationTime(t);
    seconds += t;
  }
  state.counters["target_ratio"] = seconds / double(state.iterations()) / 1.0;
}
BENCHMARK(BM_ViewerFirstScreenful)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// Before: the whole picture of each file, then shrunk, in order on one thread.
void BM_ViewerFirstScreenfulWholeDecode(benchmark::State& state) {
  Folder& f = folder();
  if (!f.ok) return state.SkipWithError("could not make the folder");
  for (auto _ : state) {
    for (int i = 0; i < kScreenful; ++i) {
      Image32 image, thumb;
      ImageReadInfo info;
      if (!loadImage(f.paths[size_t(i)], image, info) || !ThumbnailSink::shrink(image, kThumbSide, thumb))
        return state.SkipWithError("read failed");
    }
  }
}
BENCHMARK(BM_ViewerFirstScreenfulWholeDecode)->Iterations(1)->Unit(benchmark::kMillisecond);

// One thumbnail per format, reduced reading.
void BM_ViewerThumbnailByFormat(benchmark::State& state) {
  Folder& f = folder();
  if (!f.ok) return state.SkipWithError("could not make the folder");
  const std::string& path = f.paths[size_t(state.range(0))];
  state.SetLabel(path.substr(path.size() - 3));
  for (auto _ : state) {
    Image32 thumb;
    if (!loadThumbnailImage(path, kThumbSide, thumb)) return state.SkipWithError("read failed");
    benchmark::DoNotOptimize(thumb.row(0));
  }
}
BENCHMARK(BM_ViewerThumbnailByFormat)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
