#pragma once
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image32.h"

namespace tessel::testing {

// A smooth, photograph-like picture: soft gradients, a few blurred discs and
// mild deterministic grain.
inline void paintPhoto(Image32& image, uint32_t seed = 1) {
  const int w = image.width(), h = image.height();
  uint32_t noise = seed * 2654435761u + 1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double u = double(x) / w, v = double(y) / h;
      double r = 120 + 90 * std::sin(3.1 * u + 1.3 * v), g = 110 + 80 * std::cos(2.3 * v - 0.7 * u),
             b = 100 + 70 * std::sin(1.7 * (u + v) + 0.4);
      const double dx = u - 0.6, dy = v - 0.4, disc = std::exp(-(dx * dx + dy * dy) * 18);
      r += 60 * disc;
      g -= 40 * disc;
      noise = noise * 1664525u + 1013904223u;
      const double grain = double(noise >> 28) - 7.5;
      auto clamp = [](double c) { return uint32_t(c < 0 ? 0 : c > 255 ? 255 : c); };
      image.set(x, y, makePixel(255, clamp(r + grain * 0.5), clamp(g + grain * 0.5), clamp(b + grain * 0.5)));
    }
}

// Peak signal-to-noise ratio over red, green and blue.
inline double psnr(const Image32& a, const Image32& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const Pixel p = a.at(x, y), q = b.at(x, y);
      for (int s = 0; s < 24; s += 8) {
        const double d = double(p >> s & 0xFF) - double(q >> s & 0xFF);
        sum += d * d;
      }
    }
  const double mse = sum / (3.0 * a.width() * a.height());
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

inline void putBE32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
inline uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// PNG files put together chunk by chunk.
struct PngBuilder {
  std::vector<uint8_t> bytes;
  PngBuilder() {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (uint8_t b : kSignature) bytes.push_back(b);
  }
  void chunk(const char* type, const std::vector<uint8_t>& data) {
    putBE32(bytes, uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    bytes.insert(bytes.end(), body.begin(), body.end());
    putBE32(bytes, uint32_t(crc32(0, body.data(), uInt(body.size()))));
  }
  void ihdr(uint32_t w, uint32_t h, int depth, int colourType, int interlace = 0, int compression = 0) {
    std::vector<uint8_t> d;
    putBE32(d, w);
    putBE32(d, h);
    d.insert(d.end(), {uint8_t(depth), uint8_t(colourType), uint8_t(compression), 0, uint8_t(interlace)});
    chunk("IHDR", d);
  }
  // The raw rows (filter bytes included) as one or more IDAT chunks of the
  // given sizes; the last chunk takes the rest.
  void idat(const std::vector<uint8_t>& raw, const std::vector<size_t>& sizes = {}, int level = 6) {
    uLongf n = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(n);
    compress2(z.data(), &n, raw.data(), uLong(raw.size()), level);
    z.resize(n);
    size_t at = 0;
    for (size_t s : sizes) {
      if (at + s >= z.size()) break;
      chunk("IDAT", std::vector<uint8_t>(z.begin() + long(at), z.begin() + long(at + s)));
      at += s;
    }
    chunk("IDAT", std::vector<uint8_t>(z.begin() + long(at), z.end()));
  }
  void iend() { chunk("IEND", {}); }
};

}  // namespace tessel::testing
