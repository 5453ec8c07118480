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

namespace {

constexpr size_t kLookaheadBytes = 4096;   // more than a ready-made block's bytes

// Compressed bytes read by position into a buffer that always keeps enough
// ahead to compare against a whole ready-made block.
class LookaheadInput {
 public:
  // The buffer need not be larger than the stream, nor be cleared.
  LookaheadInput(const File& file, int64_t offset, uint32_t size)
      : file_(file),
        offset_(offset),
        remaining_(size),
        capacity_(std::clamp<size_t>(size, kLookaheadBytes, kLargeChunk)),
        buf_(std::make_unique_for_overwrite<uint8_t[]>(capacity_)) {}
  // At least want bytes ahead, or all that are left.
  void fill(size_t want) {
    if (end_ - pos_ >= want || remaining_ == 0) return;
    std::memmove(buf_.get(), buf_.get() + pos_, end_ - pos_);
    end_ -= pos_, pos_ = 0;
    while (end_ < capacity_ && remaining_ > 0) {
      size_t got = file_.readAt(offset_, buf_.get() + end_, std::min<size_t>(capacity_ - end_, remaining_));
      if (got == 0) {
        remaining_ = 0;
        break;
      }
      offset_ += int64_t(got), remaining_ -= uint32_t(got), end_ += got, fed_ += got;
    }
  }
  const uint8_t* data() const { return buf_.get() + pos_; }
  size_t available() const { return end_ - pos_; }
  void take(size_t n) { pos_ += n; }
  void takeUpTo(const uint8_t* p) { pos_ = size_t(p - buf_.get()); }
  size_t consumed() const { return fed_ - available(); }

 private:
  const File& file_;
  int64_t offset_;
  uint32_t remaining_;
  size_t capacity_;
  std::unique_ptr<uint8_t[]> buf_;
  size_t pos_ = 0, end_ = 0, fed_ = 0;
};

constexpr size_t kWindow = 32768;

void writeTransparent(uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; i += kLargeChunk) std::memcpy(p + i, transparentBytes(), std::min(kLargeChunk, n - i));
}

}  // namespace

bool inflateLayerAt(const File& file, int64_t offset, uint32_t compressedSize, uint8_t* destination,
                    size_t destinationSize, InflateResult& result, std::vector<ByteRange>* transparent) {
  result = {};
  if (transparent) transparent->clear();
  LookaheadInput in(file, offset, compressedSize);
  in.fill(kLookaheadBytes);
  auto done = [&](bool ok) {
    result.consumed = in.consumed();
    result.unused = in.available();
    return ok;
  };
  // The two-byte header: deflate, a window zlib can take, no preset dictionary.
  if (in.available() < 2) return done(false);
  const uint8_t cmf = in.data()[0], flg = in.data()[1];
  if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || ((cmf << 8) | flg) % 31 != 0 || (flg & 0x20)) return done(false);
  in.take(2);

  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return done(false);
  struct End {
    z_stream& z;
    ~End() { inflateEnd(&z); }
  } end{z};
  for (const Chunk& c : chunks())
    if (c.bytes.empty() || c.bytes.size() > kLookaheadBytes) return done(false);
  const size_t sizes[2] = {kLargeChunk, kSmallChunk};

  uLong adler = 1;
  size_t produced = 0;
  bool boundary = true, ended = false;
  for (;;) {
    in.fill(kLookaheadBytes);
    if (boundary) {
      bool matched = false;
      for (int i = 0; i < 2 && !matched; ++i) {
        const Chunk& c = chunks()[size_t(i)];
        if (in.available() < c.bytes.size() || destinationSize - produced < sizes[i] ||
            std::memcmp(in.data(), c.bytes.data(), c.bytes.size()) != 0)
          continue;
        const bool listed = transparent && produced % 4 == 0;
        if (listed) {
          if (!transparent->empty() && transparent->back().end == produced)
            transparent->back().end += sizes[i];
          else
            transparent->push_back({produced, produced + sizes[i]});
        } else {
          writeTransparent(destination + produced, sizes[i]);
        }
        adler = adler32_combine(adler, c.adler, z_off_t(sizes[i]));
        produced += sizes[i];
        in.take(c.bytes.size());
        // Later blocks may refer back into these pixels: they become the window
        // (every pixel of a ready-made block is the same, so its last bytes serve).
        const size_t w = std::min(produced, kWindow);
        const uint8_t* window = destination + produced - w;
        if (transparent && !transparent->empty() && transparent->back().end == produced) {
          if (transparent->back().begin <= produced - w) {
            window = transparentBytes();   // all of it listed, and it starts on a pixel
          } else {
            // Partly listed: the listed bytes in the window are written after all.
            for (auto r = transparent->rbegin(); r != transparent->rend() && r->end > produced - w; ++r) {
              const size_t from = std::max(r->begin, produced - w);
              writeTransparent(destination + from, r->end - from);
            }
          }
        }
        matched = inflateReset(&z) == Z_OK && inflateSetDictionary(&z, window, uInt(w)) == Z_OK;
        if (!matched) return done(false);
      }
      if (matched) continue;
    }
    if (in.available() == 0) break;   // input ran out before the stream ended
    uint8_t probe = 0;
    const bool probing = produced == destinationSize;   // only the stream's end may still come
    const size_t room = probing ? 1 : std::min<size_t>(destinationSize - produced, size_t(1) << 30);
    z.next_in = const_cast<uint8_t*>(in.data());
    z.avail_in = uInt(in.available());
    z.next_out = probing ? &probe : destination + produced;
    z.avail_out = uInt(room);
    const int r = inflate(&z, Z_BLOCK);
    const size_t out = room - z.avail_out;
    const bool progress = out > 0 || z.next_in != in.data();
    in.takeUpTo(z.next_in);
    if (probing && out) return done(false);   // more than the destination holds
    if (!probing) {
      adler = adler32(adler, destination + produced, uInt(out));
      produced += out;
    }
    result.produced = produced;
    if (r == Z_STREAM_END) {
      ended = true;
      break;
    }
    if ((r != Z_OK && r != Z_BUF_ERROR) || !progress) break;
    boundary = (z.data_type & 128) && !(z.data_type & 64) && (z.data_type & 7) == 0;
  }
  result.produced = produced;
  if (!ended) return done(false);
  in.fill(4);
  if (in.available() < 4) return done(false);
  const uint8_t* t = in.data();
  const uLong stored = uLong(t[0]) << 24 | uLong(t[1]) << 16 | uLong(t[2]) << 8 | uLong(t[3]);
  in.take(4);
  return done(stored == adler);
}

}  // namespace tessel
