#include "image/tiled_image.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "image/image32.h"

namespace tessel {

namespace {

constexpr int kSide = TiledImage::kTileSide;

struct TransparentRow {
  Pixel px[kSide];
  TransparentRow() { std::fill(px, px + kSide, kTransparent); }
};
const TransparentRow kClearRow;

bool transparentRun(const Pixel* p, int n) {
  return std::memcmp(p, kClearRow.px, size_t(n) * sizeof(Pixel)) == 0;
}

}  // namespace

const Pixel* transparentTileRow() { return kClearRow.px; }

bool TiledImage::reset(int width, int height) {
  clear();
  if (width <= 0 || height <= 0 || int64_t(width) * height > kMaxImagePixels) return false;
  int across = (width + kSide - 1) / kSide, down = (height + kSide - 1) / kSide;
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

bool TiledImage::assign(const Image32& src, const TiledImage* previous) {
  if (!src.valid()) {
    clear();
    return true;
  }
  TiledImage out;
  if (!out.reset(src.width(), src.height())) return false;
  const bool share = previous && previous->width_ == src.width() && previous->height_ == src.height();
  for (int ty = 0; ty < out.down_; ++ty) {
    const int y0 = ty * kSide, h = std::min(kSide, out.height_ - y0);
    for (int tx = 0; tx < out.across_; ++tx) {
      const int x0 = tx * kSide, w = std::min(kSide, out.width_ - x0);
      bool clear = true;
      for (int r = 0; r < h && clear; ++r) clear = transparentRun(src.row(y0 + r) + x0, w);
      if (clear) continue;
      const Tile* old = share ? previous->tile(tx, ty) : nullptr;
      if (old) {
        bool same = true;
        for (int r = 0; r < h && same; ++r)
          same = std::memcmp(old->px + r * kSide, src.row(y0 + r) + x0, size_t(w) * sizeof(Pixel)) == 0;
        if (same) {
          out.tiles_[size_t(ty) * out.across_ + tx] = previous->tiles_[size_t(ty) * out.across_ + tx];
          continue;
        }
      }
      std::shared_ptr<Tile> t(new (std::nothrow) Tile);
      if (!t) return false;
      // Pixels outside the picture in an edge tile stay transparent.
      if (w < kSide || h < kSide) std::fill(t->px, t->px + kTilePixels, kTransparent);
      for (int r = 0; r < h; ++r) std::memcpy(t->px + r * kSide, src.row(y0 + r) + x0, size_t(w) * sizeof(Pixel));
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
  const Tile* t = tile(x / kSide, y / kSide);
  return t ? t->px[(y % kSide) * kSide + x % kSide] : kTransparent;
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
  const TilePtr* rowTiles = tiles_.data() + size_t(y / kSide) * across_;
  return std::all_of(rowTiles, rowTiles + across_, [](const TilePtr& t) { return t == nullptr; });
}

}  // namespace tessel
