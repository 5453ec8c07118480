#pragma once
#include <cstddef>
#include <cstdint>

// What one input may make a reader allocate inside the harnesses. A header
// that asks for more, yet not so much that the reader refuses it before
// allocating, is skipped: a large canvas takes the paths a small one takes,
// only thousands of times slower. Headers beyond the reader's own limits
// still go through, so the refusals stay covered.
constexpr uint64_t kFuzzMaxPixels = 128 * 128;        // one picture or canvas
constexpr uint64_t kFuzzMaxLayerPixels = 1u << 16;    // every layer of a document together
constexpr uint64_t kFuzzMaxBytes = 4u << 20;          // one block sized by a header field

// Picks one input in 2^bits by its bytes, the same one on every run: for
// checks that cost many times what a typical input does.
inline bool fuzzSampled(const uint8_t* data, size_t size, int bits) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return (hash & ((1u << bits) - 1)) == 0;
}

inline uint16_t fuzzLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t fuzzLe32(const uint8_t* p) { return uint32_t(fuzzLe16(p)) | uint32_t(fuzzLe16(p + 2)) << 16; }
inline uint32_t fuzzBe32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// A canvas of w x h with `layers` layers is read when it is small or when
// the reader refuses its size (either side above readerMax) by itself.
// A harness whose reader works over every pixel several times may pass smaller caps.
inline bool fuzzWorthReading(uint64_t w, uint64_t h, uint64_t layers, uint64_t readerMax,
                             uint64_t maxPixels = kFuzzMaxPixels, uint64_t maxLayerPixels = kFuzzMaxLayerPixels) {
  if (w > readerMax || h > readerMax) return true;
  const uint64_t area = w * h;
  return area <= maxPixels && area * (layers ? layers : 1) <= maxLayerPixels;
}
