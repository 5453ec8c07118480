#pragma once
#include <algorithm>
#include <thread>
#include <vector>

namespace tessel {

// Runs work(firstRow, endRow) over [0, rows) split into `threads` contiguous
// bands. Callers compute every row independently, so the result does not
// depend on the split. Falls back to the calling thread when a thread cannot
// start.
template <typename Work>
void forEachRowBand(int rows, int threads, const Work& work) {
  threads = std::clamp(threads, 1, 8);
  if (rows < 64 || threads == 1) {
    if (rows > 0) work(0, rows);
    return;
  }
  std::vector<std::thread> pool;
  int band = (rows + threads - 1) / threads;
  int next = band;   // the calling thread takes the first band
  for (int t = 1; t < threads && next < rows; ++t, next += band) {
    int end = std::min(rows, next + band);
    try {
      pool.emplace_back([&work, next, end] { work(next, end); });
    } catch (...) {
      work(next, end);
    }
  }
  work(0, std::min(rows, band));
  for (std::thread& t : pool) t.join();
}

}  // namespace tessel
