#pragma once
#include <cstddef>
#include <cstdint>

#include "image/image32.h"

namespace tessel {

// Worst-case packed size of a row of n bytes: since two equal bytes start a
// repeat run, "a b b" takes four bytes, so rows can grow by a third.
constexpr size_t packBitsBound(size_t n) { return n + (n + 2) / 3 + 1; }

// Packs one row: literal and repeat runs of at most 128 bytes, where two
// equal bytes start a repeat run. out holds packBitsBound(n) bytes. Returns
// the packed size.
size_t packBitsRow(const uint8_t* src, size_t n, uint8_t* out);

// Lays a stream of plane bytes (row after row of a rectangle) into one byte
// of each pixel of an image, dropping what falls outside the image.
class PlaneWriter {
 public:
  // byteIndex: 0 blue, 1 green, 2 red, 3 alpha. The rectangle may be any size.
  PlaneWriter(Image32& image, int byteIndex, int64_t left, int64_t top, int64_t width, int64_t height);
  void put(const uint8_t* src, size_t n);
  void fill(uint8_t value, size_t n);
  bool full() const { return pos_ >= total_; }

 private:
  template <class Store>
  void emit(size_t n, Store store);

  Image32& image_;
  int byteIndex_;
  int64_t left_, top_, width_, total_;
  int64_t pos_ = 0;
};

// Unpacks PackBits data into the writer until the plane or the data ends. A
// control byte n >= 0 copies n + 1 bytes, n < 0 repeats the next byte 1 - n
// times, and -128 is no operation (as writers use it to end rows).
void unpackBits(const uint8_t* data, size_t size, PlaneWriter& plane);

}  // namespace tessel
