#include "formats/tile_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace tessel {

namespace {

// Transparent runs of at least this many bytes go in as ready-made blocks.
constexpr size_t kSmallChunk = 4096;
constexpr size_t kLargeChunk = 65536;

const uint8_t* transparentBytes() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> b(kLargeChunk);
    for (size_t i = 0; i < b.size(); i += 4) std::memcpy(b.data() + i, &kTransparent, 4);
    return b;
  }();
  return bytes.data();
}

// A raw deflate stream of n transparent bytes that refers to nothing before it
// and ends on a byte boundary (sync flush), so it can be copied into any stream.
std::vector<uint8_t> makeChunk(size_t n) {
  z_stream z{};
  std::vector<uint8_t> out;
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return out;
  out.resize(deflateBound(&z, uLong(n)) + 64);
  z.next_in = const_cast<uint8_t*>(transparentBytes());
  z.avail_in = uInt(n);
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  int r = deflate(&z, Z_SYNC_FLUSH);
  out.resize(r == Z_OK && z.avail_in == 0 ? out.size() - z.avail_out : 0);
  deflateEnd(&z);
  return out;
}

struct Chunk {
  std::vector<uint8_t> bytes;
  uLong adler;   // Adler-32 of the chunk's pixels alone
};

const std::array<Chunk, 2>& chunks() {
  static const std::array<Chunk, 2> table = [] {
    std::array<Chunk, 2> t;
    size_t sizes[2] = {kLargeChunk, kSmallChunk};
    for (int i = 0; i < 2; ++i) t[size_t(i)] = {makeChunk(sizes[i]), adler32(1, transparentBytes(), uInt(sizes[i]))};
    return t;
  }();
  return table;
}

class TileDeflater {
 public:
  TileDeflater(int level, const std::function<bool(const uint8_t*, size_t)>& sink) : sink_(sink) {
    ok_ = deflateInit2(&z_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    // The two-byte zlib header deflate itself writes for this level.
    const int flevel = level == Z_DEFAULT_COMPRESSION ? 2 : level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    unsigned head = (0x78u << 8) | unsigned(flevel << 6);
    head += 31 - head % 31;
    const uint8_t bytes[2] = {uint8_t(head >> 8), uint8_t(head)};
    ok_ = ok_ && emit(bytes, 2);
  }
  ~TileDeflater() { deflateEnd(&z_); }

  bool ok() const { return ok_; }
  uint64_t size() const { return size_; }

  void pixels(const Pixel* p, size_t count) {
    if (!ok_) return;
    if (pendingClear_) clearRun();
    bytes(reinterpret_cast<const uint8_t*>(p), count * 4);
  }
  void clearPixels(size_t count) { pendingClear_ += count * 4; }

  bool finish() {
    if (!ok_) return false;
    if (pendingClear_) clearRun();
    ok_ = ok_ && drain(Z_FINISH);
    const uint8_t trailer[4] = {uint8_t(adler_ >> 24), uint8_t(adler_ >> 16), uint8_t(adler_ >> 8), uint8_t(adler_)};
    return ok_ && emit(trailer, 4);
  }

 private:
  bool emit(const uint8_t* b, size_t n) {
    size_ += n;
    return sink_(b, n);
  }

  // Small pieces are gathered so zlib sees few large calls.
  void bytes(const uint8_t* b, size_t n) {
    adler_ = adler32(adler_, b, uInt(n));
    while (n && ok_) {
      size_t take = std::min(n, stage_.size() - staged_);
      std::memcpy(stage_.data() + staged_, b, take);
      staged_ += take, b += take, n -= take;
      if (staged_ == stage_.size()) ok_ = drain(Z_NO_FLUSH);
    }
  }

  bool drain(int flush) {
    z_.next_in = stage_.data();
    z_.avail_in = uInt(staged_);
    staged_ = 0;
    for (;;) {
      z_.next_out = out_.data();
      z_.avail_out = uInt(out_.size());
      int r = deflate(&z_, flush);
      if (r == Z_STREAM_ERROR) return false;
      size_t n = out_.size() - z_.avail_out;
      if (n && !emit(out_.data(), n)) return false;
      if (flush == Z_FINISH ? r == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out != 0)) return true;
      if (r != Z_OK && r != Z_BUF_ERROR) return false;
    }
  }

  void clearRun() {
    size_t n = pendingClear_;
    pendingClear_ = 0;
    if (n < kSmallChunk) {
      while (n && ok_) {
        size_t take = std::min(n, kLargeChunk);
        bytes(transparentBytes(), take);
        n -= take;
      }
      return;
    }
    // A full flush ends zlib's block on a byte boundary and stops it from
    // matching against bytes from before the copied blocks.
    ok_ = drain(Z_FULL_FLUSH);
    const size_t sizes[2] = {kLargeChunk, kSmallChunk};
    for (int i = 0; i < 2 && ok_; ++i) {
      const Chunk& c = chunks()[size_t(i)];
      if (c.bytes.empty()) {
        ok_ = false;
        break;
      }
      for (; n >= sizes[i] && ok_; n -= sizes[i]) {
        adler_ = adler32_combine(adler_, c.adler, z_off_t(sizes[i]));
        ok_ = emit(c.bytes.data(), c.bytes.size());
      }
    }
    if (n && ok_) bytes(transparentBytes(), n);
  }

  const std::function<bool(const uint8_t*, size_t)>& sink_;
  z_stream z_{};
  bool ok_ = false;
  uLong adler_ = 1;
  uint64_t size_ = 0;
  size_t pendingClear_ = 0;
  std::vector<uint8_t> stage_ = std::vector<uint8_t>(kLargeChunk);
  size_t staged_ = 0;
  std::array<uint8_t, 16384> out_{};
};

}  // namespace

uint64_t deflateTiles(const TiledImage& image, int level,
                      const std::function<bool(const uint8_t*, size_t)>& sink) {
  if (!image.valid()) return 0;
  TileDeflater d(level, sink);
  for (int y = image.height() - 1; y >= 0 && d.ok(); --y) {
    image.forEachRun(y, 0, image.width(), [&](int, const Pixel* p, int n) {
      if (p)
        d.pixels(p, size_t(n));
      else
        d.clearPixels(size_t(n));
    });
  }
  return d.finish() ? d.size() : 0;
}

}  // namespace tessel
