#include "formats/bmp_codec.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "io/file.h"
#include "formats/palette_index.h"
#include "image/size_limits.h"
#include "formats/thumbnail_sink.h"
#include "image/byte_order.h"

namespace tessel {

namespace {

struct BmpHeader {
  uint32_t dataOffset = 0;
  uint32_t headerSize = 0;
  int32_t width = 0, height = 0;
  bool topDown = false;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  uint32_t masks[4] = {};   // red, green, blue, alpha
  bool alpha = false;       // a 16- or 32-bit file whose header names an alpha mask
};

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

bool readHeader(File& file, BmpHeader& h, ImageReadInfo& info) {
  uint8_t fh[14];
  if (!file.readAll(fh, 14) || fh[0] != 'B' || fh[1] != 'M') return false;
  h.dataOffset = readLE32(fh + 10);
  uint8_t ih[124] = {};
  if (!file.readAll(ih, 4)) return false;
  h.headerSize = readLE32(ih);
  if (h.headerSize != 12 && (h.headerSize < 40 || h.headerSize > 124)) return false;
  if (!file.readAll(ih + 4, h.headerSize - 4)) return false;
  int64_t width, height;
  if (h.headerSize == 12) {
    width = readLE16(ih + 4);
    height = readLE16(ih + 6);
    h.bitCount = readLE16(ih + 10);
  } else {
    width = int32_t(readLE32(ih + 4));
    height = int32_t(readLE32(ih + 8));
    h.bitCount = readLE16(ih + 14);
    h.compression = readLE32(ih + 16);
    h.coloursUsed = readLE32(ih + 32);
    if (h.headerSize >= 52) for (int i = 0; i < 3; ++i) h.masks[i] = readLE32(ih + 40 + 4 * i);
    if (h.headerSize >= 56) h.masks[3] = readLE32(ih + 52);
  }
  h.topDown = height < 0;
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0) return false;
  if (width > kMaxReadSide || height > kMaxReadSide) {
    info.tooLarge = true;
    return false;
  }
  h.width = int32_t(width);
  h.height = int32_t(height);
  const uint16_t b = h.bitCount;
  if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) return false;
  if (h.compression == kRle8 && b != 8) return false;
  if (h.compression == kRle4 && b != 4) return false;
  if ((h.compression == kBitFields || h.compression == kAlphaBitFields) && b != 16 && b != 32) return false;
  if (h.compression > kBitFields && h.compression != kAlphaBitFields) return false;
  // An info header keeps its masks after itself, four with alpha bit fields.
  if (h.headerSize == 40 && (h.compression == kBitFields || h.compression == kAlphaBitFields)) {
    const int count = h.compression == kAlphaBitFields ? 4 : 3;
    uint8_t m[16];
    if (!file.readAll(m, size_t(count) * 4)) return false;
    for (int i = 0; i < count; ++i) h.masks[i] = readLE32(m + 4 * i);
  }
  // Plain 32-bit pixels in a V4 or V5 header may still name their alpha byte.
  const bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
  h.alpha = h.masks[3] != 0 && (fields || (b == 32 && h.headerSize >= 56));
  if (h.compression == kRgb && b == 16) {
    h.masks[0] = 0x7C00; h.masks[1] = 0x03E0; h.masks[2] = 0x001F;
  } else if (h.compression == kRgb && b == 32) {
    h.masks[0] = 0xFF0000; h.masks[1] = 0xFF00; h.masks[2] = 0xFF;
  }
  return true;
}

bool readColourTable(File& file, const BmpHeader& h, uint32_t palette[256]) {
  if (h.bitCount > 8) return true;
  const uint32_t maxEntries = 1u << h.bitCount;
  uint32_t entries = h.coloursUsed == 0 || h.coloursUsed > maxEntries ? maxEntries : h.coloursUsed;
  const uint32_t entrySize = h.headerSize == 12 ? 3 : 4;
  uint8_t table[256 * 4];
  // A table cut short by the pixel data keeps the entries that fit.
  const int64_t room = int64_t(h.dataOffset) - file.position();
  if (room >= 0 && int64_t(entries * entrySize) > room) entries = uint32_t(room / entrySize);
  if (!file.readAll(table, entries * entrySize)) return false;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t* e = table + i * entrySize;
    palette[i] = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
  }
  return true;
}

// Bit-field extraction scaled to 8 bits.
struct Channel {
  int shift = 0, bits = 0;
  explicit Channel(uint32_t mask) {
    if (!mask) return;
    while (!(mask & 1)) { mask >>= 1; ++shift; }
    while (mask & 1) { mask >>= 1; ++bits; }
  }
  uint32_t operator()(uint32_t v) const {
    if (bits == 0) return 0;
    v = (v >> shift) & ((bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1));
    if (bits >= 8) return v >> (bits - 8);
    // Repeat the bits so that full scale maps to 255.
    uint32_t out = 0;
    for (int have = 0; have < 8; have += bits) out = (out << bits) | v;
    const int total = ((8 + bits - 1) / bits) * bits;
    return (out >> (total - 8)) & 0xFF;
  }
};

Pixel* rowOf(Image32& image, const BmpHeader& h, int fileRow) {
  return image.row(h.topDown ? fileRow : h.height - 1 - fileRow);
}

struct RowFormat {
  const BmpHeader& h;
  const uint32_t* palette;
  Channel red, green, blue, alpha;
  RowFormat(const BmpHeader& header, const uint32_t* p)
      : h(header), palette(p), red(header.masks[0]), green(header.masks[1]), blue(header.masks[2]),
        alpha(header.alpha ? header.masks[3] : 0) {}
  size_t stride() const { return ((size_t(h.width) * h.bitCount + 31) / 32) * 4; }

  void convert(const uint8_t* s, Pixel* out) const {
    const int bits = h.bitCount;
    for (int x = 0; x < h.width; ++x) {
      uint32_t c;
      if (bits <= 8) {
        const size_t bit = size_t(x) * bits;
        c = palette[(s[bit >> 3] >> (8 - bits - int(bit & 7))) & ((1 << bits) - 1)];
      } else if (bits == 24) {
        c = uint32_t(s[x * 3 + 2]) << 16 | uint32_t(s[x * 3 + 1]) << 8 | s[x * 3];
      } else {
        const uint32_t v = bits == 16 ? readLE16(s + x * 2) : readLE32(s + x * 4);
        c = (h.alpha ? alpha(v) << 24 : 0xFF000000u) | red(v) << 16 | green(v) << 8 | blue(v);
        out[x] = c;
        continue;
      }
      out[x] = 0xFF000000u | c;
    }
  }
};

// Many writers fill the alpha byte with zeros: an alpha that is zero
// everywhere means an opaque picture.
void keepAlpha(Image32& image) {
  bool any = false;
  for (int y = 0; y < image.height() && !any; ++y) {
    const Pixel* p = image.row(y);
    for (int x = 0; x < image.width(); ++x) any |= (p[x] >> 24) != 0;
  }
  if (any) {
    image.normaliseTransparent();
    return;
  }
  for (int y = 0; y < image.height(); ++y) {
    Pixel* p = image.row(y);
    for (int x = 0; x < image.width(); ++x) p[x] |= 0xFF000000u;
  }
}

bool readUncompressed(File& file, const BmpHeader& h, const uint32_t palette[256], Image32& image) {
  const RowFormat format(h, palette);
  const size_t stride = format.stride();
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[stride]);
  if (!row) return false;
  for (int y = 0; y < h.height; ++y) {
    if (!file.readAll(row.get(), stride)) return false;
    format.convert(row.get(), rowOf(image, h, y));
  }
  if (h.alpha) keepAlpha(image);
  return true;
}

// Only the rows the thumbnail samples, each read from its own place; the
// data must hold every row, as the whole-image reader requires.
bool sampleUncompressed(File& file, const BmpHeader& h, const uint32_t palette[256], ThumbnailSink& sink) {
  const RowFormat format(h, palette);
  const size_t stride = format.stride();
  const int64_t start = file.position();
  if (int64_t(stride) * h.height > file.size() - start) return false;
  std::vector<uint8_t> bytes(stride);
  std::vector<Pixel> pixels(size_t(h.width));
  for (int fileRow = 0; fileRow < h.height; ++fileRow) {
    const int y = h.topDown ? fileRow : h.height - 1 - fileRow;
    if (!sink.wantsRow(y)) continue;
    if (!file.seek(start + int64_t(stride) * fileRow) || !file.readAll(bytes.data(), stride)) return false;
    format.convert(bytes.data(), pixels.data());
    sink.addRow(y, pixels.data());
  }
  return true;
}

// RLE4 and RLE8. Decoding stops at the end of the data, at end-of-bitmap or
// at the last row; codes that would write outside the image are clipped.
void readRle(const uint8_t* d, size_t n, const BmpHeader& h, const uint32_t palette[256], Image32& image) {
  const bool four = h.compression == kRle4;
  int x = 0, y = 0;
  auto put = [&](int index) {
    if (x < h.width && y < h.height) rowOf(image, h, y)[x] = 0xFF000000u | palette[index];
    ++x;
  };
  size_t i = 0;
  while (i + 1 < n && y < h.height) {
    const uint8_t count = d[i], value = d[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(four ? ((k & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    if (value == 0) { x = 0; ++y; continue; }
    if (value == 1) return;
    if (value == 2) {
      if (i + 1 >= n) return;
      x += d[i];
      y += d[i + 1];
      i += 2;
      continue;
    }
    // Absolute run of value pixels, padded to a 16-bit boundary.
    const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
    if (i + bytes > n) return;
    for (int k = 0; k < value; ++k) put(four ? ((k & 1) ? d[i + k / 2] & 15 : d[i + k / 2] >> 4) : d[i + k]);
    i += (bytes + 1) & ~size_t(1);
  }
}

}  // namespace

bool readBmp(const std::string& path, Image32& image, ImageReadInfo& info) {
  File file;
  if (!file.openRead(path)) return false;
  BmpHeader h;
  uint32_t palette[256] = {};
  if (!readHeader(file, h, info) || !readColourTable(file, h, palette)) return false;
  if (int64_t(h.dataOffset) > file.size() || !file.seek(h.dataOffset)) return false;
  if (!image.create(h.width, h.height)) return false;
  if (h.compression == kRle4 || h.compression == kRle8) {
    const size_t n = size_t(file.size() - file.position());
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[n + 1]);
    if (!data || !file.readAll(data.get(), n)) return false;
    image.fill(0xFF000000u);
    readRle(data.get(), n, h, palette, image);
    return true;
  }
  if (!readUncompressed(file, h, palette, image)) {
    image.destroy();
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------

namespace {

bool writeBmpTo(File& file, const Image32& image, const std::vector<uint32_t>& palette, bool indexed) {
  const int w = image.width(), h = image.height();
  const size_t stride = ((size_t(w) * (indexed ? 8 : 24) + 31) / 32) * 4;
  const uint32_t colours = uint32_t(palette.size());
  const uint32_t offset = 54 + 4 * colours;
  uint8_t head[54] = {};
  auto put32 = [&](int at, uint32_t v) { for (int i = 0; i < 4; ++i) head[at + i] = uint8_t(v >> (8 * i)); };
  head[0] = 'B';
  head[1] = 'M';
  put32(2, uint32_t(offset + stride * size_t(h)));
  put32(10, offset);
  put32(14, 40);
  put32(18, uint32_t(w));
  put32(22, uint32_t(h));
  head[26] = 1;
  head[28] = indexed ? 8 : 24;
  put32(38, 3780);
  put32(42, 3780);
  put32(46, colours);
  if (!file.writeAll(head, 54)) return false;
  for (uint32_t c : palette) {
    const uint8_t quad[4] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
    if (!file.writeAll(quad, 4)) return false;
  }
  std::vector<uint8_t> row(stride, 0);
  const ColourIndex index(palette);
  for (int y = h - 1; y >= 0; --y) {
    const Pixel* p = image.row(y);
    for (int x = 0; x < w; ++x) {
      if (indexed) {
        row[size_t(x)] = index(p[x]);
      } else {
        row[size_t(x) * 3] = blueOf(p[x]);
        row[size_t(x) * 3 + 1] = greenOf(p[x]);
        row[size_t(x) * 3 + 2] = redOf(p[x]);
      }
    }
    if (!file.writeAll(row.data(), stride)) return false;
  }
  return true;
}

}  // namespace

bool writeBmp(const Image32& image, const std::string& path) {
  if (!image.valid()) return false;
  std::vector<uint32_t> palette;
  const bool indexed = collectPalette(image, palette);
  return saveReplacing(path, [&](File& file) { return writeBmpTo(file, image, palette, indexed); });
}

}  // namespace tessel

namespace tessel {

bool readBmpThumbnail(const std::string& path, int side, Image32& thumb) {
  File file;
  if (!file.openRead(path)) return false;
  BmpHeader h;
  ImageReadInfo info;
  uint32_t palette[256] = {};
  if (!readHeader(file, h, info) || !readColourTable(file, h, palette)) return false;
  if (h.compression == kRle4 || h.compression == kRle8 || h.alpha) {
    // Run-length data reads from the start; alpha counts only if some is set.
    Image32 image;
    return readBmp(path, image, info) && ThumbnailSink::shrink(image, side, thumb);
  }
  if (int64_t(h.dataOffset) > file.size() || !file.seek(h.dataOffset)) return false;
  ThumbnailSink sink;
  return sink.begin(h.width, h.height, side) && sampleUncompressed(file, h, palette, sink) && sink.finish(thumb);
}

}  // namespace tessel
