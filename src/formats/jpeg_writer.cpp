#include "formats/jpeg_writer.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "io/file.h"

namespace tessel {

void scaleQuantTable(const uint8_t base[64], int quality, uint8_t out[64]) {
  if (quality < 1) quality = 1;
  if (quality > 100) quality = 100;
  for (int i = 0; i < 64; ++i) {
    int v = quality >= 50 ? int((100 - quality) * base[i] * 0.02 + 0.5) : int(base[i] * 50.0 / quality + 0.5);
    out[i] = uint8_t(v <= 0 ? 1 : v > 255 ? 255 : v);
  }
}

namespace {

constexpr size_t kOutBuffer = 1 << 16;

// Entropy-coded bytes with 0xFF stuffing, buffered before they go to the file.
class BitWriter {
 public:
  explicit BitWriter(File& file) : file_(file), buffer_(new (std::nothrow) uint8_t[kOutBuffer + 16]) {}
  bool ready() const { return buffer_ != nullptr; }
  void put(uint32_t code, int length) {
    acc_ = (acc_ << length) | code;
    bits_ += length;
    while (bits_ >= 8) {
      bits_ -= 8;
      const uint8_t byte = uint8_t(acc_ >> bits_);
      buffer_[used_++] = byte;
      if (byte == 0xFF) buffer_[used_++] = 0;
    }
    if (used_ >= kOutBuffer) flush();
  }
  // Pads the last byte with one bits and writes everything out.
  bool finish() {
    if (bits_ > 0) put((1u << (8 - bits_)) - 1, 8 - bits_);
    flush();
    return ok_;
  }

 private:
  void flush() {
    if (used_ && !file_.writeAll(buffer_.get(), used_)) ok_ = false;
    used_ = 0;
  }
  File& file_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t used_ = 0;
  uint64_t acc_ = 0;
  int bits_ = 0;
  bool ok_ = true;
};

struct HuffmanCodes {
  uint16_t code[256] = {};
  uint8_t length[256] = {};
  explicit HuffmanCodes(const JpegHuffmanSpec& huffman) {
    uint32_t next = 0;
    int k = 0;
    for (int len = 1; len <= 16; ++len) {
      for (int i = 0; i < huffman.bits[len - 1]; ++i, ++k) {
        code[huffman.values[k]] = uint16_t(next++);
        length[huffman.values[k]] = uint8_t(len);
      }
      next <<= 1;
    }
  }
};

// AAN forward DCT of 8 values with a stride, in place.
inline void dct8(float* d, int s) {
  const float t0 = d[0] + d[7 * s], t7 = d[0] - d[7 * s];
  const float t1 = d[s] + d[6 * s], t6 = d[s] - d[6 * s];
  const float t2 = d[2 * s] + d[5 * s], t5 = d[2 * s] - d[5 * s];
  const float t3 = d[3 * s] + d[4 * s], t4 = d[3 * s] - d[4 * s];
  float t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;
  d[0] = t10 + t11;
  d[4 * s] = t10 - t11;
  const float z1 = (t12 + t13) * 0.707106781f;
  d[2 * s] = t13 + z1;
  d[6 * s] = t13 - z1;
  t10 = t4 + t5;
  t11 = t5 + t6;
  t12 = t6 + t7;
  const float z5 = (t10 - t12) * 0.382683433f;
  const float z2 = 0.541196100f * t10 + z5;
  const float z4 = 1.306562965f * t12 + z5;
  const float z3 = t11 * 0.707106781f;
  const float z11 = t7 + z3, z13 = t7 - z3;
  d[5 * s] = z13 + z2;
  d[3 * s] = z13 - z2;
  d[s] = z11 + z4;
  d[7 * s] = z11 - z4;
}

struct Component {
  float divisors[64];
  HuffmanCodes dc, ac;
  int previousDc = 0;
  Component(const uint8_t q[64], int dcTable, int acTable)
      : dc(jpegStandardHuffman(dcTable)), ac(jpegStandardHuffman(acTable)) {
    double scale[8] = {1.0};
    for (int k = 1; k < 8; ++k) scale[k] = std::sqrt(2.0) * std::cos(k * M_PI / 16.0);
    for (int v = 0; v < 8; ++v)
      for (int u = 0; u < 8; ++u)
        divisors[v * 8 + u] = float(1.0 / (double(q[v * 8 + u]) * scale[v] * scale[u] * 8.0));
  }
};

inline int bitLength(int v) {
  if (v < 0) v = -v;
  return v ? 32 - __builtin_clz(unsigned(v)) : 0;
}

// Transforms, quantises and codes one block of centred samples (row stride 8).
void encodeBlock(const int16_t* samples, Component& c, BitWriter& out) {
  float block[64];
  for (int i = 0; i < 64; ++i) block[i] = float(samples[i]);
  for (int r = 0; r < 8; ++r) dct8(block + r * 8, 1);
  for (int col = 0; col < 8; ++col) dct8(block + col, 8);
  int q[64];
  for (int i = 0; i < 64; ++i) q[i] = int(block[i] * c.divisors[i] + 16384.5f) - 16384;
  const int diff = q[0] - c.previousDc;
  c.previousDc = q[0];
  int size = bitLength(diff);
  out.put(c.dc.code[size], c.dc.length[size]);
  if (size) out.put(uint32_t(diff < 0 ? diff - 1 : diff) & ((1u << size) - 1), size);
  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int v = q[kJpegZigZag[k]];
    if (v == 0) {
      ++run;
      continue;
    }
    for (; run >= 16; run -= 16) out.put(c.ac.code[0xF0], c.ac.length[0xF0]);
    size = bitLength(v);
    const int symbol = run << 4 | size;
    out.put(c.ac.code[symbol], c.ac.length[symbol]);
    out.put(uint32_t(v < 0 ? v - 1 : v) & ((1u << size) - 1), size);
    run = 0;
  }
  if (run) out.put(c.ac.code[0], c.ac.length[0]);
}

// One band of MCU rows as centred Y, Cb and Cr samples, edges repeated.
struct Band {
  int width = 0, rows = 0;   // padded width, band height (8 or 16)
  std::unique_ptr<int16_t[]> y, cb, cr;
  bool allocate(int paddedWidth, int bandRows) {
    width = paddedWidth;
    rows = bandRows;
    const size_t n = size_t(width) * size_t(rows);
    y.reset(new (std::nothrow) int16_t[n]);
    cb.reset(new (std::nothrow) int16_t[n]);
    cr.reset(new (std::nothrow) int16_t[n]);
    return y && cb && cr;
  }
  void load(const Image32& image, int top) {
    const int w = image.width(), h = image.height();
    for (int r = 0; r < rows; ++r) {
      const Pixel* p = image.row(top + r < h ? top + r : h - 1);
      const size_t base = size_t(r) * size_t(width);
      for (int x = 0; x < width; ++x) {
        const Pixel px = p[x < w ? x : w - 1];
        const int R = redOf(px), G = greenOf(px), B = blueOf(px);
        y[base + x] = int16_t(((77 * R + 150 * G + 29 * B) >> 8) - 128);
        cb[base + x] = int16_t((-43 * R - 85 * G + 128 * B) >> 8);
        cr[base + x] = int16_t((128 * R - 107 * G - 21 * B) >> 8);
      }
    }
  }
  void block(const int16_t* plane, int x0, int y0, int16_t out[64]) const {
    for (int r = 0; r < 8; ++r) std::memcpy(out + r * 8, plane + size_t(y0 + r) * width + x0, 16);
  }
  // The 2 x 2 averages of the 16 x 16 square at x0.
  void halfBlock(const int16_t* plane, int x0, int16_t out[64]) const {
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 8; ++c) {
        const int16_t* s = plane + size_t(2 * r) * width + x0 + 2 * c;
        out[r * 8 + c] = int16_t((s[0] + s[1] + s[width] + s[width + 1]) / 4);
      }
  }
};

void putMarker(uint8_t*& p, uint8_t marker, uint16_t length) {
  *p++ = 0xFF;
  *p++ = marker;
  *p++ = uint8_t(length >> 8);
  *p++ = uint8_t(length);
}

bool writeHeaders(File& file, int width, int height, const uint8_t luma[64], const uint8_t chroma[64], bool sub) {
  uint8_t head[700];
  uint8_t* p = head;
  *p++ = 0xFF;
  *p++ = 0xD8;
  putMarker(p, 0xE0, 16);
  const uint8_t app0[14] = {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  std::memcpy(p, app0, 14);
  p += 14;
  putMarker(p, 0xDB, 132);
  for (int t = 0; t < 2; ++t) {
    *p++ = uint8_t(t);
    for (int k = 0; k < 64; ++k) *p++ = (t ? chroma : luma)[kJpegZigZag[k]];
  }
  putMarker(p, 0xC0, 17);
  const uint8_t sof[15] = {8, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width), 3,
                           1, uint8_t(sub ? 0x22 : 0x11), 0, 2, 0x11, 1, 3, 0x11, 1};
  std::memcpy(p, sof, 15);
  p += 15;
  putMarker(p, 0xC4, 418);
  static const uint8_t kClass[4] = {0x00, 0x10, 0x01, 0x11};
  for (int t = 0; t < 4; ++t) {
    const JpegHuffmanSpec huffman = jpegStandardHuffman(t);
    *p++ = kClass[t];
    int count = 0;
    for (int i = 0; i < 16; ++i) count += (*p++ = huffman.bits[i]);
    std::memcpy(p, huffman.values, size_t(count));
    p += count;
  }
  putMarker(p, 0xDA, 12);
  const uint8_t sos[10] = {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
  std::memcpy(p, sos, 10);
  p += 10;
  return file.writeAll(head, size_t(p - head));
}

bool encodeScan(File& file, const Image32& image, const uint8_t luma[64], const uint8_t chroma[64], bool sub) {
  const int mcu = sub ? 16 : 8;
  const int columns = (image.width() + mcu - 1) / mcu;
  Band band;
  BitWriter out(file);
  if (!out.ready() || !band.allocate(columns * mcu, mcu)) return false;
  Component y(luma, 0, 1), cb(chroma, 2, 3), cr(chroma, 2, 3);
  int16_t block[64];
  for (int top = 0; top < image.height(); top += mcu) {
    band.load(image, top);
    for (int m = 0; m < columns; ++m) {
      const int x0 = m * mcu;
      if (sub) {
        for (int b = 0; b < 4; ++b) {
          band.block(band.y.get(), x0 + (b & 1) * 8, (b >> 1) * 8, block);
          encodeBlock(block, y, out);
        }
        band.halfBlock(band.cb.get(), x0, block);
        encodeBlock(block, cb, out);
        band.halfBlock(band.cr.get(), x0, block);
        encodeBlock(block, cr, out);
      } else {
        band.block(band.y.get(), x0, 0, block);
        encodeBlock(block, y, out);
        band.block(band.cb.get(), x0, 0, block);
        encodeBlock(block, cb, out);
        band.block(band.cr.get(), x0, 0, block);
        encodeBlock(block, cr, out);
      }
    }
  }
  const uint8_t eoi[2] = {0xFF, 0xD9};
  return out.finish() && file.writeAll(eoi, 2);
}

}  // namespace

bool writeJpeg(const Image32& image, const std::string& path, int quality, bool subsample) {
  if (!image.valid() || image.width() > 65535 || image.height() > 65535) return false;
  uint8_t luma[64], chroma[64];
  scaleQuantTable(kJpegLumaQuant, quality, luma);
  scaleQuantTable(kJpegChromaQuant, quality, chroma);
  return saveReplacing(path, [&](File& file) {
    return writeHeaders(file, image.width(), image.height(), luma, chroma, subsample) &&
           encodeScan(file, image, luma, chroma, subsample);
  });
}

}  // namespace tessel
