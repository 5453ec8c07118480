#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "io/file.h"
#include "image/progress.h"

namespace tessel {

// zlib streams with header and Adler-32 trailer, 15-bit window, memory level 8,
// default strategy, through one 8192-byte buffer for compressed data.
constexpr size_t kZlibChunk = 8192;

// Compresses count bytes into the file at its position. Returns the number of
// compressed bytes written, 0 on any zlib or write error. A progress bar gets
// the range 0..count and the consumed byte count before each zlib call.
uint32_t deflateToFile(File& file, const uint8_t* source, size_t count, int level, Progress* progress);

// The same call sequence with each filled buffer handed to sink instead of a
// file, so the bytes are exactly those deflateToFile writes; sink returns
// false to stop.
uint32_t deflateToSink(const uint8_t* source, size_t count, int level, Progress* progress,
                       const std::function<bool(const uint8_t*, size_t)>& sink);

// Reads at most compressedSize bytes and inflates them into destination.
// True only when the stream ends; false on any zlib error, a destination too
// small and input that runs out first. A short stream leaves the rest of the
// destination as it was. The file is left just after the bytes zlib consumed.
bool inflateFromFile(File& file, uint8_t* destination, size_t destinationSize, uint32_t compressedSize);

// The same without keeping the output: checks that the stream is whole and
// inflates to at most destinationSize bytes, in little memory.
bool inflateFromFileDiscarding(File& file, size_t destinationSize, uint32_t compressedSize);

// The same from offset on with positional reads, which leave the file's
// position alone, so another thread may use the file meanwhile. Also reports
// how many bytes the stream used and how many reached the destination (on
// failure too).
struct InflateResult {
  size_t consumed = 0, produced = 0, unused = 0;   // unused: read past the stream's end
};
bool inflateFromFileAt(const File& file, int64_t offset, uint32_t compressedSize, uint8_t* destination,
                       size_t destinationSize, InflateResult& result);

// The same in memory.
bool inflateMemory(const uint8_t* source, size_t sourceSize, uint8_t* destination, size_t destinationSize);

}  // namespace tessel
