#include "formats/psd_planes.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace tessel {

namespace {

// PackBits into out until out or the data ends; returns the bytes written.
size_t unpackAll(const uint8_t* data, size_t size, uint8_t* out, size_t outSize) {
  size_t i = 0, o = 0;
  while (i < size && o < outSize) {
    int n = int8_t(data[i++]);
    if (n >= 0) {
      size_t count = std::min({size_t(n) + 1, size - i, outSize - o});
      std::memcpy(out + o, data + i, count);
      i += size_t(n) + 1;
      o += count;
    } else if (n != -128) {
      if (i >= size) break;
      size_t count = std::min(size_t(1 - n), outSize - o);
      std::memset(out + o, data[i++], count);
      o += count;
    }
  }
  return o;
}

// Inflates at most outSize bytes; a stream that ends early leaves the rest.
bool inflateSome(const uint8_t* data, size_t size, uint8_t* out, size_t outSize) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(data);
  z.next_out = out;
  bool ok = true;
  // zlib counts in 32 bits; feed and drain in pieces.
  size_t inLeft = size, outLeft = outSize;
  for (;;) {
    uInt inPiece = uInt(std::min<size_t>(inLeft, 1u << 30)), outPiece = uInt(std::min<size_t>(outLeft, 1u << 30));
    z.avail_in = inPiece;
    z.avail_out = outPiece;
    int r = ::inflate(&z, Z_NO_FLUSH);
    inLeft -= inPiece - z.avail_in;
    outLeft -= outPiece - z.avail_out;
    if (r == Z_STREAM_END || outLeft == 0) break;
    if (r != Z_OK && r != Z_BUF_ERROR) {
      ok = false;
      break;
    }
    if (inLeft == 0 || (r == Z_BUF_ERROR && z.avail_in == inPiece && z.avail_out == outPiece)) break;
  }
  inflateEnd(&z);
  // A stream that yields nothing at all is no stream.
  return ok && (outLeft < outSize || outSize == 0);
}

float srgbFromLinear(float v) {
  if (!(v > 0.0f)) return 0.0f;
  if (v >= 1.0f) return 1.0f;
  return v <= 0.0031308f ? 12.92f * v : 1.055f * std::pow(v, 1.0f / 2.4f) - 0.055f;
}

}  // namespace

void unpredictPsdRows(uint8_t* rows, int64_t width, int64_t height, int depth) {
  if (width <= 0) return;
  if (depth == 16) {
    for (int64_t y = 0; y < height; ++y) {
      uint8_t* r = rows + size_t(y * width * 2);
      for (int64_t x = 1; x < width; ++x) {
        unsigned v = (unsigned(r[2 * x]) << 8 | r[2 * x + 1]) + (unsigned(r[2 * x - 2]) << 8 | r[2 * x - 1]);
        r[2 * x] = uint8_t(v >> 8), r[2 * x + 1] = uint8_t(v);
      }
    }
  } else if (depth == 32) {
    std::vector<uint8_t> tmp(size_t(width) * 4);
    for (int64_t y = 0; y < height; ++y) {
      uint8_t* r = rows + size_t(y * width * 4);
      for (int64_t i = 1; i < width * 4; ++i) r[i] = uint8_t(r[i] + r[i - 1]);
      for (int64_t x = 0; x < width; ++x)
        for (int b = 0; b < 4; ++b) tmp[size_t(x * 4 + b)] = r[b * width + x];
      std::memcpy(r, tmp.data(), tmp.size());
    }
  } else if (depth == 8) {
    for (int64_t y = 0; y < height; ++y) {
      uint8_t* r = rows + size_t(y * width);
      for (int64_t x = 1; x < width; ++x) r[x] = uint8_t(r[x] + r[x - 1]);
    }
  }
}

uint8_t psdSampleTo8(const uint8_t* row, int64_t i, const PsdSampleFormat& format) {
  switch (format.depth) {
    case 1: return (row[i >> 3] >> (7 - (i & 7))) & 1 ? 0 : 255;
    case 16: return uint8_t((uint32_t(row[2 * i] << 8 | row[2 * i + 1]) * 255u + 32767u) / 65535u);
    case 32: {
      const uint8_t* p = row + 4 * i;
      uint32_t bits = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
      float v;
      std::memcpy(&v, &bits, 4);
      if (format.linearColour) v = srgbFromLinear(v);
      v = std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
      return uint8_t(v * 255.0f + 0.5f);
    }
    default: return row[i];
  }
}

bool decodePsdRows(const uint8_t* data, size_t size, uint16_t compression, int64_t width, int64_t height,
                   int depth, int rowCountBytes, std::vector<uint8_t>& rows) {
  const int64_t w = std::max<int64_t>(width, 0), h = std::max<int64_t>(height, 0);
  const uint64_t total = psdRowBytes(w, depth) * uint64_t(h);
  if (compression > kPsdZipPredicted) return false;
  try {
    rows.assign(size_t(total), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (compression == kPsdRaw) {
    // A channel may hold no sample at all: nothing to copy then.
    if (const size_t n = size_t(std::min<uint64_t>(size, total))) std::memcpy(rows.data(), data, n);
  } else if (compression == kPsdRle) {
    const uint64_t counts = std::min<uint64_t>(uint64_t(h) * uint64_t(std::max(rowCountBytes, 0)), size);
    unpackAll(data + counts, size - counts, rows.data(), total);
  } else {
    if (!inflateSome(data, size, rows.data(), total)) return false;
    if (compression == kPsdZipPredicted) unpredictPsdRows(rows.data(), w, h, depth);
  }
  return true;
}

void psdRowsTo8(const uint8_t* rows, int64_t width, int64_t height, const PsdSampleFormat& format, uint8_t* out) {
  const uint64_t rowBytes = psdRowBytes(width, format.depth);
  if (format.depth == 8) {
    std::memcpy(out, rows, size_t(rowBytes * uint64_t(height)));
    return;
  }
  for (int64_t y = 0; y < height; ++y, out += width)
    for (int64_t x = 0; x < width; ++x) out[x] = psdSampleTo8(rows + uint64_t(y) * rowBytes, x, format);
}

bool decodePsdPlane(const uint8_t* data, size_t size, uint16_t compression, const PsdSampleFormat& format,
                    int rowCountBytes, PsdPlane& plane) {
  const int64_t w = std::max<int64_t>(plane.width, 0), h = std::max<int64_t>(plane.height, 0);
  std::vector<uint8_t> rows;
  if (!decodePsdRows(data, size, compression, w, h, format.depth, rowCountBytes, rows)) return false;
  if (format.depth == 8) {
    plane.samples = std::move(rows);
    return true;
  }
  try {
    plane.samples.resize(size_t(w * h));
  } catch (const std::bad_alloc&) {
    return false;
  }
  psdRowsTo8(rows.data(), w, h, format, plane.samples.data());
  return true;
}

}  // namespace tessel
