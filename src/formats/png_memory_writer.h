#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "image/geometry.h"
#include "image/image32.h"

struct libdeflate_compressor;

namespace tessel {

// RGBA (or opaque RGB) PNG files made in memory for containers such as OpenRaster, where many
// large pictures are written at once and speed counts: each row takes the
// filter (None, Sub or Up) whose bytes have the smallest sum, and libdeflate
// compresses the whole zlib stream in one call. The files are valid PNGs that
// read back to the same pixels as writePng's, but their bytes differ from it.
// One encoder keeps its buffers from picture to picture; one per thread.
class PngMemoryWriter {
 public:
  explicit PngMemoryWriter(int level);   // libdeflate's levels, 0-12
  ~PngMemoryWriter();
  PngMemoryWriter(const PngMemoryWriter&) = delete;
  PngMemoryWriter& operator=(const PngMemoryWriter&) = delete;

  // rowAt(y) returns the width pixels of row y; it is called once per row,
  // in order. The file's bytes stay in data() until the next call. rgb
  // leaves alpha out (the pixels are taken as opaque).
  bool encode(int width, int height, const std::function<const Pixel*(int)>& rowAt, bool rgb = false);
  // The area r of image (inside it); as RGB when asked and every pixel there
  // is opaque, a quarter fewer bytes to compress.
  bool encode(const Image32& image, const Rect& r, bool rgbWhenOpaque = false);

  const uint8_t* data() const { return out_.get(); }
  size_t size() const { return size_; }

 private:
  bool reserve(std::unique_ptr<uint8_t[]>& buffer, size_t& capacity, size_t size);

  libdeflate_compressor* compressor_;
  std::unique_ptr<uint8_t[]> raw_, out_, rows_;
  size_t rawCapacity_ = 0, outCapacity_ = 0, rowsCapacity_ = 0, size_ = 0;
};

}  // namespace tessel
