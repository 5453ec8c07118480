#pragma once
// The fill's fast path: the scan-line flood of the exact-colour and erasing
// modes over row pointers, writing whole runs where the gate admits every
// pixel, and the canvas-wide passes split between two threads. It writes
// the bytes the per-pixel flood writes.
#include <cstdint>
#include <random>
#include <thread>

#include "draw/pixel/pixel_gate.h"
#include "image/geometry.h"

namespace tessel {

class Image32;

// Runs fn(y0, y1) over [0, height) in two halves, the lower on a second thread.
template <typename Fn>
void inTwoHalves(int height, Fn fn) {
  const int half = height / 2;
  std::thread lower([&] { fn(half, height); });
  fn(0, half);
  lower.join();
}

// Floods from (x, y) over rows: fillable pixels equal s (opaque false) or have
// some alpha (opaque true); filled reference pixels become the marker, or
// transparent when opaque; the buffer's take the marker through PixelReplace
// and the gate. Returns the bounds of what was filled.
Rect floodRows(Image32& ref, Image32& buffer, const PixelGate& gate, std::mt19937& random,
               bool opaque, Pixel s, Pixel marker, int x, int y);

}  // namespace tessel
