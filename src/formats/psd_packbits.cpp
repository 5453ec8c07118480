#include "formats/psd_packbits.h"

#include <algorithm>
#include <cstring>

namespace tessel {

size_t packBitsRow(const uint8_t* src, size_t n, uint8_t* out) {
  size_t o = 0, i = 0;
  while (i < n) {
    if (i + 1 < n && src[i] == src[i + 1]) {
      size_t run = 2;
      while (i + run < n && run < 128 && src[i + run] == src[i]) ++run;
      out[o++] = uint8_t(257 - run);   // 1 - run as a signed byte
      out[o++] = src[i];
      i += run;
      continue;
    }
    // A literal run ends where two equal bytes begin a repeat run.
    size_t start = i, len = 1;
    ++i;
    while (i < n && len < 128 && !(i + 1 < n && src[i] == src[i + 1])) {
      ++i;
      ++len;
    }
    out[o++] = uint8_t(len - 1);
    std::memcpy(out + o, src + start, len);
    o += len;
  }
  return o;
}

PlaneWriter::PlaneWriter(Image32& image, int byteIndex, int64_t left, int64_t top, int64_t width,
                         int64_t height)
    : image_(image), byteIndex_(byteIndex), left_(left), top_(top), width_(std::max<int64_t>(width, 0)) {
  total_ = (width > 0 && height > 0) ? width * height : 0;
  // Rows below the image are never seen: stop the plane at the last visible row.
  int64_t visibleRows = int64_t(image.height()) - top;
  if (width_ > 0 && visibleRows < height) total_ = std::max<int64_t>(visibleRows, 0) * width_;
}

template <class Store>
void PlaneWriter::emit(size_t n, Store store) {
  size_t done = 0;
  while (done < n && pos_ < total_) {
    int64_t row = pos_ / width_, col = pos_ % width_;
    int64_t take = std::min<int64_t>(int64_t(n - done), width_ - col);
    int64_t y = top_ + row;
    if (y >= 0) {
      int64_t x0 = std::max<int64_t>(left_ + col, 0);
      int64_t x1 = std::min<int64_t>(left_ + col + take, image_.width());
      if (x0 < x1) {
        uint8_t* dst = reinterpret_cast<uint8_t*>(image_.row(int(y))) + byteIndex_;
        size_t skip = size_t(x0 - (left_ + col));
        store(dst, x0, x1, done + skip);
      }
    }
    pos_ += take;
    done += size_t(take);
  }
}

void PlaneWriter::put(const uint8_t* src, size_t n) {
  emit(n, [src](uint8_t* dst, int64_t x0, int64_t x1, size_t from) {
    const uint8_t* s = src + from;
    for (int64_t x = x0; x < x1; ++x) dst[x * 4] = *s++;
  });
}

void PlaneWriter::fill(uint8_t value, size_t n) {
  emit(n, [value](uint8_t* dst, int64_t x0, int64_t x1, size_t) {
    for (int64_t x = x0; x < x1; ++x) dst[x * 4] = value;
  });
}

void unpackBits(const uint8_t* data, size_t size, PlaneWriter& plane) {
  size_t i = 0;
  while (i < size && !plane.full()) {
    int n = int8_t(data[i++]);
    if (n >= 0) {
      size_t count = std::min<size_t>(size_t(n) + 1, size - i);
      plane.put(data + i, count);
      i += count;
    } else if (n != -128) {
      if (i >= size) break;
      plane.fill(data[i++], size_t(1 - n));
    }
  }
}

}  // namespace tessel
