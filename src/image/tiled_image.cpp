#include "image/tiled_image.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include <sys/mman.h>

#include "image/image32.h"

namespace tessel {

namespace {

constexpr int kW = TiledImage::kTileWidth, kH = TiledImage::kTileHeight;

struct TransparentRow {
  Pixel px[kW];
  TransparentRow() { std::fill(px, px + kW, kTransparent); }
};
const TransparentRow kClearRow;

bool transparentRun(const Pixel* p, int n) {
  return std::memcmp(p, kClearRow.px, size_t(n) * sizeof(Pixel)) == 0;
}

// Tiles live in 2 MB blocks backed by huge pages, as flat images are: read
// from scattered small pages, a layer's tiles cost a TLB miss every 4 KB,
// which made compositing them a tenth slower than flat pixels. A block goes
// back to the system when its last tile is dropped, but for one.
class TilePool {
 public:
  static constexpr size_t kBlock = size_t(2) << 20;
  static constexpr int kPerBlock = int(kBlock / sizeof(TiledImage::Tile));
  static_assert(kPerBlock >= 1 && kPerBlock <= 64);
  static constexpr uint64_t kAllFree = kPerBlock == 64 ? ~uint64_t(0) : (uint64_t(1) << kPerBlock) - 1;

  TiledImage::Tile* take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (withRoom_.empty()) {
      char* base = mapBlock();
      if (!base) return nullptr;
      try {
        // Room for every block, so that give() never allocates.
        withRoom_.reserve(blocks_.size() + 1);
        Block& b = blocks_[reinterpret_cast<uintptr_t>(base)];
        b.base = base;
        b.free = kAllFree;
        withRoom_.push_back(&b);
      } catch (const std::bad_alloc&) {
        munmap(base, kBlock);
        return nullptr;
      }
    }
    Block* b = withRoom_.back();
    if (b == idle_) idle_ = nullptr;
    const int slot = std::countr_zero(b->free);
    b->free &= b->free - 1;
    if (b->free == 0) withRoom_.pop_back();
    return reinterpret_cast<TiledImage::Tile*>(b->base + size_t(slot) * sizeof(TiledImage::Tile));
  }

  void give(TiledImage::Tile* tile) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uintptr_t at = reinterpret_cast<uintptr_t>(tile);
    auto it = blocks_.find(at & ~uintptr_t(kBlock - 1));
    if (it == blocks_.end()) return;
    Block& b = it->second;
    if (b.free == 0) withRoom_.push_back(&b);
    b.free |= uint64_t(1) << ((at - reinterpret_cast<uintptr_t>(b.base)) / sizeof(TiledImage::Tile));
    // One empty block is kept, so that a tile made and dropped over and over
    // (a small picture read again and again) does not map a block each time.
    if (b.free == kAllFree && idle_ != &b) {
      if (!idle_) {
        idle_ = &b;
        return;
      }
      withRoom_.erase(std::find(withRoom_.begin(), withRoom_.end(), &b));
      munmap(b.base, kBlock);
      blocks_.erase(it);
    }
  }

 private:
  struct Block {
    char* base = nullptr;
    uint64_t free = 0;   // one bit a slot
  };

  // An aligned 2 MB mapping: twice the size is mapped and the ends cut off.
  static char* mapBlock() {
    void* p = mmap(nullptr, 2 * kBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(p);
    const uintptr_t base = (start + kBlock - 1) & ~uintptr_t(kBlock - 1);
    if (base > start) munmap(p, base - start);
    if (start + 2 * kBlock > base + kBlock) munmap(reinterpret_cast<void*>(base + kBlock), start + 2 * kBlock - base - kBlock);
    madvise(reinterpret_cast<void*>(base), kBlock, MADV_HUGEPAGE);
    return reinterpret_cast<char*>(base);
  }

  std::mutex mutex_;
  std::unordered_map<uintptr_t, Block> blocks_;
  std::vector<Block*> withRoom_;
  Block* idle_ = nullptr;   // the one empty block kept
};

TilePool& tilePool() {
  static TilePool* pool = new TilePool;   // never destroyed: tiles may outlive static destructors
  return *pool;
}

// A new tile from the pool, or null when memory runs out.
std::shared_ptr<TiledImage::Tile> newTile() {
  TiledImage::Tile* raw = tilePool().take();
  if (!raw) return nullptr;
  try {
    return std::shared_ptr<TiledImage::Tile>(raw, [](TiledImage::Tile* t) { tilePool().give(t); });
  } catch (const std::bad_alloc&) {
    tilePool().give(raw);
    return nullptr;
  }
}

}  // namespace

const Pixel* transparentTileRow() { return kClearRow.px; }

bool TiledImage::reset(int width, int height) {
  clear();
  if (width <= 0 || height <= 0 || int64_t(width) * height > kMaxImagePixels) return false;
  int across = (width + kW - 1) / kW, down = (height + kH - 1) / kH;
  try {
    tiles_.assign(size_t(across) * down, nullptr);
  } catch (const std::bad_alloc&) {
    return false;
  }
  width_ = width, height_ = height, across_ = across, down_ = down;
  return true;
}

void TiledImage::clear() {
  std::vector<TilePtr>().swap(tiles_);
  width_ = height_ = across_ = down_ = 0;
}

namespace {

// Where a row piece of the source lies against the ranges known to be transparent.
enum class Cover { None, Full, Part };

class KnownTransparent {
 public:
  KnownTransparent(const Image32& src, std::span<const ByteRange> ranges) : src_(src), ranges_(ranges) {}

  // The pixels of row y from x0 (n of them, at most kW): the source's own,
  // the transparent row, or tmp with the known parts made transparent.
  const Pixel* row(int y, int x0, int n, Pixel* tmp, Cover& cover) const {
    const Pixel* own = src_.row(y) + x0;
    cover = Cover::None;
    if (ranges_.empty()) return own;
    const size_t begin = size_t(reinterpret_cast<const uint8_t*>(own) - src_.bits()), end = begin + size_t(n) * 4;
    // The first range that ends after the piece begins.
    auto it = std::upper_bound(ranges_.begin(), ranges_.end(), begin,
                               [](size_t v, const ByteRange& r) { return v < r.end; });
    if (it == ranges_.end() || it->begin >= end) return own;
    if (it->begin <= begin && it->end >= end) {
      cover = Cover::Full;
      return kClearRow.px;
    }
    cover = Cover::Part;
    std::memcpy(tmp, own, size_t(n) * 4);
    for (; it != ranges_.end() && it->begin < end; ++it) {
      const size_t from = std::max(it->begin, begin), to = std::min(it->end, end);
      std::memcpy(reinterpret_cast<uint8_t*>(tmp) + (from - begin),
                  reinterpret_cast<const uint8_t*>(kClearRow.px) + (from - begin) % 4, to - from);
    }
    return tmp;
  }

 private:
  const Image32& src_;
  std::span<const ByteRange> ranges_;
};

}  // namespace

bool TiledImage::assign(const Image32& src, const TiledImage* previous) { return assign(src, previous, {}); }

bool TiledImage::assign(const Image32& src, std::span<const ByteRange> transparent) {
  return assign(src, nullptr, transparent);
}

bool TiledImage::assign(const Image32& src, const TiledImage* previous, std::span<const ByteRange> transparent) {
  if (!src.valid()) {
    clear();
    return true;
  }
  TiledImage out;
  if (!out.reset(src.width(), src.height())) return false;
  const bool share = previous && previous->width_ == src.width() && previous->height_ == src.height();
  const KnownTransparent known(src, transparent);
  Pixel tmp[kW];
  for (int ty = 0; ty < out.down_; ++ty) {
    const int y0 = ty * kH, h = std::min(kH, out.height_ - y0);
    for (int tx = 0; tx < out.across_; ++tx) {
      const int x0 = tx * kW, w = std::min(kW, out.width_ - x0);
      bool clear = true;
      Cover cover;
      for (int r = 0; r < h && clear; ++r) {
        const Pixel* p = known.row(y0 + r, x0, w, tmp, cover);
        clear = cover == Cover::Full || transparentRun(p, w);
      }
      if (clear) continue;
      const Tile* old = share ? previous->tile(tx, ty) : nullptr;
      if (old) {
        bool same = true;
        for (int r = 0; r < h && same; ++r)
          same = std::memcmp(old->px + r * kW, known.row(y0 + r, x0, w, tmp, cover), size_t(w) * sizeof(Pixel)) == 0;
        if (same) {
          out.tiles_[size_t(ty) * out.across_ + tx] = previous->tiles_[size_t(ty) * out.across_ + tx];
          continue;
        }
      }
      std::shared_ptr<Tile> t = newTile();
      if (!t) return false;
      // Pixels outside the picture in an edge tile stay transparent.
      for (int r = 0; r < kH; ++r) {
        const int copied = r < h ? w : 0;
        if (copied) std::memcpy(t->px + r * kW, known.row(y0 + r, x0, w, tmp, cover), size_t(w) * sizeof(Pixel));
        if (copied < kW) std::memcpy(t->px + r * kW + copied, kClearRow.px, size_t(kW - copied) * sizeof(Pixel));
      }
      out.tiles_[size_t(ty) * out.across_ + tx] = std::move(t);
    }
  }
  *this = std::move(out);
  return true;
}

bool TiledImage::materialize(Image32& out) const {
  if (!valid() || !out.create(width_, height_)) return false;
  for (int y = 0; y < height_; ++y) readRow(y, 0, width_, out.row(y));
  return true;
}

size_t TiledImage::paintedTiles() const {
  return size_t(std::count_if(tiles_.begin(), tiles_.end(), [](const TilePtr& t) { return t != nullptr; }));
}

size_t TiledImage::paintedBytes() const { return paintedTiles() * sizeof(Tile); }

Pixel TiledImage::pixel(int x, int y) const {
  const Tile* t = tile(x / kW, y / kH);
  return t ? t->px[(y % kH) * kW + x % kW] : kTransparent;
}

void TiledImage::readRow(int y, int x, int n, Pixel* out) const {
  forEachRun(y, x, x + n, [&](int rx, const Pixel* p, int len) {
    if (p)
      std::memcpy(out + (rx - x), p, size_t(len) * sizeof(Pixel));
    else
      std::fill(out + (rx - x), out + (rx - x) + len, kTransparent);
  });
}

bool TiledImage::rowTransparent(int y) const {
  const TilePtr* rowTiles = tiles_.data() + size_t(y / kH) * across_;
  return std::all_of(rowTiles, rowTiles + across_, [](const TilePtr& t) { return t == nullptr; });
}

bool rangesOutside(const Image32& image, const Rect& keep, std::vector<ByteRange>& ranges) {
  ranges.clear();
  const Rect k = keep.intersected(image.bounds());
  const int64_t x0 = k.x, y0 = k.y, x1 = k.x + k.w, y1 = k.y + k.h;
  const size_t stride = size_t(image.width()) * sizeof(Pixel);
  try {
    std::vector<ByteRange> rows;
    rows.reserve(size_t(image.height()) * 2);
    for (int y = 0; y < image.height(); ++y) {
      const size_t at = size_t(reinterpret_cast<const uint8_t*>(image.row(y)) - image.bits());
      if (y < y0 || y >= y1 || x1 <= x0) {
        rows.push_back({at, at + stride});
        continue;
      }
      if (x0 > 0) rows.push_back({at, at + size_t(x0) * sizeof(Pixel)});
      if (size_t(x1) * sizeof(Pixel) < stride) rows.push_back({at + size_t(x1) * sizeof(Pixel), at + stride});
    }
    std::sort(rows.begin(), rows.end(), [](const ByteRange& a, const ByteRange& b) { return a.begin < b.begin; });
    for (const ByteRange& r : rows) {
      if (!ranges.empty() && ranges.back().end == r.begin)
        ranges.back().end = r.end;
      else
        ranges.push_back(r);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace tessel
