#include "formats/zlib_stream.h"

#include <vector>

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace tessel {

namespace {

// zlib counts in 32-bit units; larger buffers are fed in pieces.
constexpr size_t kMaxZlibRun = size_t(1) << 30;

class Deflater {
 public:
  explicit Deflater(int level) {
    ok_ = deflateInit2(&z_, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~Deflater() {
    if (ok_) deflateEnd(&z_);
  }
  bool ok() const { return ok_; }
  z_stream& stream() { return z_; }

 private:
  z_stream z_{};
  bool ok_ = false;
};

class Inflater {
 public:
  Inflater() { ok_ = inflateInit2(&z_, 15) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&z_);
  }
  bool ok() const { return ok_; }
  z_stream& stream() { return z_; }

 private:
  z_stream z_{};
  bool ok_ = false;
};

}  // namespace

uint32_t deflateToFile(File& file, const uint8_t* source, size_t count, int level, Progress* progress) {
  return deflateToSink(source, count, level, progress,
                       [&](const uint8_t* bytes, size_t n) { return file.writeAll(bytes, n); });
}

uint32_t deflateToSink(const uint8_t* source, size_t count, int level, Progress* progress,
                       const std::function<bool(const uint8_t*, size_t)>& sink) {
  Deflater deflater(level);
  if (!deflater.ok()) return 0;
  z_stream& z = deflater.stream();
  uint8_t buffer[kZlibChunk];
  z.next_out = buffer;
  z.avail_out = kZlibChunk;
  size_t consumed = 0;
  uint64_t written = 0;
  if (progress) progress->setRange(int(std::min<size_t>(count, INT_MAX)));
  for (;;) {
    if (z.avail_in == 0 && consumed < count) {
      size_t run = std::min(count - consumed, kMaxZlibRun);
      z.next_in = const_cast<uint8_t*>(source + consumed);
      z.avail_in = uInt(run);
      consumed += run;
    }
    size_t fed = consumed - z.avail_in;
    if (progress) progress->setPosition(int(std::min<size_t>(fed, INT_MAX)));
    int flush = (z.avail_in == 0 && consumed == count) ? Z_FINISH : Z_NO_FLUSH;
    int r = deflate(&z, flush);
    if (r == Z_STREAM_ERROR || (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR)) return 0;
    if (z.avail_out == 0) {
      if (!sink(buffer, kZlibChunk)) return 0;
      written += kZlibChunk;
      z.next_out = buffer;
      z.avail_out = kZlibChunk;
    }
    if (r == Z_STREAM_END) break;
  }
  size_t rest = kZlibChunk - z.avail_out;
  if (rest && !sink(buffer, rest)) return 0;
  written += rest;
  if (progress) progress->setPosition(int(std::min<size_t>(count, INT_MAX)));
  if (written > UINT32_MAX) return 0;
  return uint32_t(written);
}

namespace {

// inflateFromFile's loop over any source of compressed bytes.
// With a window the output goes round and round through window bytes at
// destination, so only the stream's validity and length count.
bool inflateFrom(const std::function<size_t(uint8_t*, size_t)>& read, uint32_t compressedSize,
                 uint8_t* destination, size_t destinationSize, InflateResult& result, size_t window = 0) {
  result = {};
  Inflater inflater;
  if (!inflater.ok()) return false;
  z_stream& z = inflater.stream();
  uint8_t buffer[kZlibChunk];
  uint32_t remaining = compressedSize;
  size_t fed = 0, produced = 0;
  bool full = false, ended = false;
  uint8_t probe = 0;
  z.next_out = destination;
  z.avail_out = 0;
  for (;;) {
    if (z.avail_in == 0) {
      if (remaining == 0) break;   // input ran out before the stream ended
      size_t got = read(buffer, std::min<size_t>(remaining, kZlibChunk));
      if (got == 0) break;
      remaining -= uint32_t(got);
      fed += got;
      z.next_in = buffer;
      z.avail_in = uInt(got);
    }
    if (z.avail_out == 0) {
      if (full) break;   // the stream holds more than the destination
      if (produced == destinationSize) {
        // Destination full: only the end of the stream may still come.
        full = true;
        z.next_out = &probe;
        z.avail_out = 1;
      } else {
        size_t run = std::min(destinationSize - produced, window ? window : kMaxZlibRun);
        z.next_out = window ? destination : destination + produced;
        z.avail_out = uInt(run);
        produced += run;
      }
    }
    int r = inflate(&z, Z_NO_FLUSH);
    if (r == Z_STREAM_END) {
      ended = true;
      break;
    }
    if (r != Z_OK && r != Z_BUF_ERROR) break;
  }
  result.consumed = fed - z.avail_in;
  result.produced = full ? destinationSize : produced - z.avail_out;
  result.unused = z.avail_in;
  // A byte beyond the destination came out when the probe filled.
  return ended && !(full && z.avail_out == 0);
}

}  // namespace

bool inflateFromFile(File& file, uint8_t* destination, size_t destinationSize, uint32_t compressedSize) {
  InflateResult result;
  if (!inflateFrom([&](uint8_t* buffer, size_t n) { return file.read(buffer, n); }, compressedSize, destination,
                   destinationSize, result))
    return false;
  // Leave the file just after what the stream used.
  return result.unused == 0 || file.seekBy(-int64_t(result.unused));
}

bool inflateFromFileDiscarding(File& file, size_t destinationSize, uint32_t compressedSize) {
  // Written before it is read: no need to clear it.
  constexpr size_t kWindowBytes = kZlibChunk * 8;
  auto window = std::make_unique_for_overwrite<uint8_t[]>(kWindowBytes);
  InflateResult result;
  if (!inflateFrom([&](uint8_t* buffer, size_t n) { return file.read(buffer, n); }, compressedSize,
                   window.get(), destinationSize, result, kWindowBytes))
    return false;
  return result.unused == 0 || file.seekBy(-int64_t(result.unused));
}

bool inflateFromFileAt(const File& file, int64_t offset, uint32_t compressedSize, uint8_t* destination,
                       size_t destinationSize, InflateResult& result) {
  return inflateFrom(
      [&](uint8_t* buffer, size_t n) {
        size_t got = file.readAt(offset, buffer, n);
        offset += int64_t(got);
        return got;
      },
      compressedSize, destination, destinationSize, result);
}

bool inflateMemory(const uint8_t* source, size_t sourceSize, uint8_t* destination, size_t destinationSize) {
  if (sourceSize > kMaxZlibRun || destinationSize > kMaxZlibRun) return false;
  Inflater inflater;
  if (!inflater.ok()) return false;
  z_stream& z = inflater.stream();
  z.next_in = const_cast<uint8_t*>(source);
  z.avail_in = uInt(sourceSize);
  z.next_out = destination;
  z.avail_out = uInt(destinationSize);
  return inflate(&z, Z_FINISH) == Z_STREAM_END;
}

}  // namespace tessel
