#pragma once
// Small helpers every filter family shares: clamping, luma, the row runner
// that splits work over two threads, and the fixed-point bilinear sampler.
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "filters/filter_cancel.h"
#include "filters/vector_units.h"
#include "filters/filter_types.h"
#include "image/geometry.h"
#include "image/image32.h"
#include "image/pixel.h"
#include "image/progress.h"

namespace tessel {

constexpr int clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
constexpr int clampTo(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
constexpr int lumaOf(Pixel p) {
  return (77 * int(redOf(p)) + 150 * int(greenOf(p)) + 29 * int(blueOf(p))) >> 8;
}

// Rectangle limited to the image; empty when the images do not match.
Rect filterArea(const Image32& dst, const Image32& src, const Rect& rect);
// Copies rect from src into dst (nothing when they are the same image).
void copyArea(Image32& dst, const Image32& src, const Rect& rect);

// When a filter is handed one image as both destination and source, a
// neighbourhood filter reads from a private copy instead.
class SeparateSource {
 public:
  SeparateSource(const Image32& dst, const Image32& src);
  const Image32& get() const { return *use_; }
  bool ok() const { return use_ != nullptr; }

 private:
  Image32 copy_;
  const Image32* use_ = nullptr;
};

// The engine's generator, or a private fixed-seed one when none is given.
std::mt19937& filterRandom(const FilterContext& context);

// The filled pixel circle of diameter n (row-major n x n bytes, set = 255),
// the round pixel shape of the drawing tools.
std::vector<uint8_t> pixelCircle(int n);

// Brush stamp of the outline filters: the pixel circle, or a radial cone
// peaking at 32 for the soft brush.
std::vector<uint8_t> stampMask(int n, bool brush);

// Colour q painted over p with an opacity (0 does nothing), in single precision.
Pixel overPlain(Pixel p, Pixel q, int opacity);

// For filters that draw in one go: a one-step range, stepped.
inline void progressDone(Progress* progress) {
  if (!progress) return;
  progress->setRange(1);
  progress->step();
}

// Drawing colour from a colour list: foreground, black or white, opaque.
Pixel listColour(int item, const FilterContext& context);

// Accumulated alpha-weighted average written as a pixel: the box-blur rule.
// An average alpha that truncates to 0 is a transparent result too.
inline Pixel boxAverage(uint32_t sumA, uint32_t sumB, uint32_t sumG, uint32_t sumR, uint32_t count) {
  if (sumA < count) return kTransparent;
  return makePixel(sumA / count, sumR / sumA, sumG / sumA, sumB / sumA);
}

// Runs body(first, last, step) over bands of rows y0 <= y < y1, on two
// threads when the job is large enough; body calls step() after each row.
// Bands must not depend on each other, so the result does not depend on the
// split. Progress is stepped once per row, only from the calling thread.
template <class Body>
void forBands(int y0, int y1, long long workPerRow, Progress* progress, Body&& body) {
  int rows = y1 - y0;
  if (rows <= 0) return;
  bool two = rows >= 2 && workPerRow * rows >= 65536 && std::thread::hardware_concurrency() >= 2;
  auto mainStep = [progress] {
    if (progress) progress->step();
  };
  if (!two) {
    body(y0, y1, mainStep);
    return;
  }
  int mid = y0 + rows / 2;
  std::atomic<int> done{0};
  int reported = 0;
  std::thread helper;
  bool started = true;
  try {
    helper = std::thread([&] { body(mid, y1, [&done] { done.fetch_add(1, std::memory_order_release); }); });
  } catch (...) {
    started = false;
  }
  body(y0, started ? mid : y1, [&] {
    if (!progress) return;
    progress->step();
    for (int d = done.load(std::memory_order_acquire); reported < d; ++reported) progress->step();
  });
  if (started) helper.join();
  if (progress)
    for (int d = done.load(); reported < d; ++reported) progress->step();
}

// Row by row form of forBands. Both bands stop between rows when the
// calling thread's preview is cancelled.
template <class Body>
void forRows(int y0, int y1, long long workPerRow, Progress* progress, Body&& body) {
  const std::atomic<bool>* cancel = filterCancelFlag();
  forBands(y0, y1, workPerRow, progress, [&](int first, int last, auto step) {
    for (int y = first; y < last; ++y) {
      if (filterCancelled(cancel)) return;
      body(y);
      step();
    }
  });
}

// Fixed-point bilinear sample at (fx, fy) in 1/256 pixel. Positions outside
// the image are clamped to its edge, or with wrap first moved once by the
// image size. Alpha-weighted; transparent results are 0x00FFFFFF.
namespace detail {
inline void fixedAxis(int pos, int size, bool wrap, int& i0, int& i1, int& f) {
  int i = pos >> 8;
  f = pos & 255;
  if (wrap) {
    if (i < 0) i += size;
    else if (i >= size) i -= size;
  }
  if (i < 0) {
    i = 0;
    f = 0;
  } else if (i >= size) {
    i = size - 1;
    f = 0;
  }
  i0 = i;
  i1 = i + 1 < size ? i + 1 : i;
}
}  // namespace detail

inline Pixel sampleFixed(const Image32& img, int fx, int fy, bool wrap) {
  int x0, x1, y0, y1, tx, ty;
  detail::fixedAxis(fx, img.width(), wrap, x0, x1, tx);
  detail::fixedAxis(fy, img.height(), wrap, y0, y1, ty);
  Pixel p00 = img.at(x0, y0), p01 = img.at(x1, y0), p10 = img.at(x0, y1), p11 = img.at(x1, y1);
  int a00 = alphaOf(p00), a01 = alphaOf(p01), a10 = alphaOf(p10), a11 = alphaOf(p11);
  int ux = 255 - tx, uy = 255 - ty;
  int alpha = uy * (a00 * ux / 255 + a01 * tx / 255) / 255 + ty * (a10 * ux / 255 + a11 * tx / 255) / 255;
  if (alpha == 0) return kTransparent;
  Pixel out = uint32_t(alpha) << 24;
  for (int shift = 0; shift <= 16; shift += 8) {
    int c00 = (p00 >> shift) & 255, c01 = (p01 >> shift) & 255;
    int c10 = (p10 >> shift) & 255, c11 = (p11 >> shift) & 255;
    int top = uy * ((tx * a01 * c01 + ux * a00 * c00) / 255) / 255;
    int bottom = ty * ((ux * a10 * c10 + tx * a11 * c11) / 255) / 255;
    int c = (top + bottom) / alpha;
    out |= uint32_t(c > 255 ? 255 : c) << shift;
  }
  return out;
}


}  // namespace tessel
