#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "image/geometry.h"

namespace tessel {

class Image32;

// Bytes [begin, end) of a flat image's memory.
struct ByteRange {
  size_t begin = 0, end = 0;
};

// A picture kept as tiles of 256 x 64 pixels. A tile whose pixels are all kTransparent
// holds no memory, and copies share their tiles: a tile is never written once
// made, so a change makes a new one. This is how idle layers are kept.
class TiledImage {
 public:
  // Runs of 256 pixels keep the row loops' start-up cost small; 64 rows keep
  // a sparse layer's tiles few.
  static constexpr int kTileWidth = 256;
  static constexpr int kTileHeight = 64;
  static constexpr int kTilePixels = kTileWidth * kTileHeight;
  struct Tile {
    Pixel px[kTilePixels];   // rows top-down, kTileWidth pixels each
  };
  using TilePtr = std::shared_ptr<const Tile>;

  // Every pixel transparent; false (and empty) for a size Image32 refuses.
  bool reset(int width, int height);
  void clear();
  // Tiles of src. Tiles equal to those of `previous` (same size) are shared
  // with it rather than copied. False when memory runs out; this is left as it was.
  bool assign(const Image32& src, const TiledImage* previous = nullptr);
  // The same where the sorted, disjoint ranges of src's memory are known to
  // be transparent: their bytes are not read, so they need not be written.
  bool assign(const Image32& src, std::span<const ByteRange> transparent);
  // out becomes a flat copy; false when out cannot be made.
  bool materialize(Image32& out) const;

  bool valid() const { return width_ > 0; }
  int width() const { return width_; }
  int height() const { return height_; }
  int tilesAcross() const { return across_; }
  int tilesDown() const { return down_; }
  const Tile* tile(int tx, int ty) const { return tiles_[size_t(ty) * across_ + tx].get(); }
  // Memory the painted tiles hold (shared tiles counted in every image that shares them).
  size_t paintedBytes() const;
  size_t paintedTiles() const;

  Pixel pixel(int x, int y) const;   // unchecked position
  // n pixels of row y from x into out (positions inside the image).
  void readRow(int y, int x, int n, Pixel* out) const;
  // True when row y holds only kTransparent pixels (tiles absent).
  bool rowTransparent(int y) const;

  // Calls fn(x, pixels, n) for each run of row y between x0 and x1 that lies in
  // one tile, pixels null where the tile is absent (every pixel kTransparent).
  template <class Fn>
  void forEachRun(int y, int x0, int x1, Fn&& fn) const {
    const int ty = y / kTileHeight, yIn = y % kTileHeight;
    const TilePtr* rowTiles = tiles_.data() + size_t(ty) * across_;
    for (int x = x0; x < x1;) {
      const int tx = x / kTileWidth, xIn = x % kTileWidth;
      const int n = std::min(x1 - x, kTileWidth - xIn);
      const Tile* t = rowTiles[tx].get();
      fn(x, t ? t->px + yIn * kTileWidth + xIn : nullptr, n);
      x += n;
    }
  }

 private:
  bool assign(const Image32& src, const TiledImage* previous, std::span<const ByteRange> transparent);

  std::vector<TilePtr> tiles_;   // row of tiles after row, top first
  int width_ = 0, height_ = 0, across_ = 0, down_ = 0;
};

// kTileWidth transparent pixels, for readers that want a row instead of a null.
const Pixel* transparentTileRow();

// The byte ranges of image outside keep, sorted, adjacent ones joined: what a
// reader that wrote only keep hands to assign as transparent. False when
// memory for the list runs out.
bool rangesOutside(const Image32& image, const Rect& keep, std::vector<ByteRange>& ranges);

}  // namespace tessel
