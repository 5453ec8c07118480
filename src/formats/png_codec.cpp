#include "formats/png_codec.h"

#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "formats/file.h"
#include "formats/thumbnail_sink.h"
#include "image/byte_order.h"

namespace tessel {

namespace {

constexpr size_t kInputChunk = 32768;

struct PngState {
  uint32_t width = 0, height = 0;
  int depth = 0, colourType = 0, bitsPerPixel = 0;
  uint32_t palette[256] = {};   // 0x00RRGGBB
  int paletteCount = 0;
  size_t rowSize = 0;
  int32_t transparent = -1;     // parsed, never applied
};

bool typeIs(const uint8_t type[4], const char* name) { return std::memcmp(type, name, 4) == 0; }

// tRNS: a grey or RGB key colour; palette alphas are of no use since the
// chunk is not applied.
void parseTrns(File& file, uint32_t length, PngState& png) {
  uint8_t data[6] = {};
  if (length == 2 && file.readAll(data, 2)) {
    png.transparent = data[1];
  } else if (length == 6 && file.readAll(data, 6)) {
    png.transparent = int32_t(uint32_t(data[1]) << 16 | uint32_t(data[3]) << 8 | data[5]);
  }
}

// Leaves the file at the data of the next chunk called name, with its length.
// Every length is checked against what the file still holds.
bool findChunk(File& file, const char* name, PngState& png, uint32_t& length) {
  const int64_t end = file.size();
  for (;;) {
    uint8_t type[4];
    if (!file.readU32BE(length) || !file.readAll(type, 4)) return false;
    const int64_t dataStart = file.position();
    const int64_t available = end - dataStart;
    if (typeIs(type, name)) {
      // A chunk cut short by the end of the file keeps what is there.
      if (int64_t(length) > available) length = uint32_t(available);
      return true;
    }
    if (int64_t(length) + 4 > available) return false;
    if (typeIs(type, "tRNS")) parseTrns(file, length, png);
    if (!file.seek(dataStart + int64_t(length) + 4)) return false;
  }
}

bool readHeader(File& file, PngState& png, ImageReadInfo& info) {
  uint8_t signature[8];
  if (!file.readAll(signature, 8) || std::memcmp(signature, kPngSignature, 8) != 0)
    return info.reason = ReadReason::kNotThisFormat, false;
  uint32_t length = 0;
  if (!findChunk(file, "IHDR", png, length) || length < 13) return false;
  uint8_t d[13];
  if (!file.readAll(d, 13)) return false;
  png.width = readBE32(d);
  png.height = readBE32(d + 4);
  png.depth = d[8];
  png.colourType = d[9];
  // What is refused is named, so the user learns why the file did not open.
  if (png.depth == 16) return info.reason = ReadReason::kSixteenBit, false;
  if (png.depth != 1 && png.depth != 2 && png.depth != 4 && png.depth != 8) return false;
  switch (png.colourType) {
    case 0: case 3: png.bitsPerPixel = png.depth; break;
    case 2: png.bitsPerPixel = 24; break;
    case 6: png.bitsPerPixel = 32; break;
    case 4: return info.reason = ReadReason::kGreyAlpha, false;
    default: return false;
  }
  if ((png.colourType == 2 || png.colourType == 6) && png.depth != 8) return false;
  if (d[12] != 0) return info.reason = ReadReason::kInterlaced, false;
  if (d[10] != 0 || d[11] != 0) return false;
  if (png.width == 0 || png.height == 0) return false;
  if (png.width > uint32_t(kMaxReadSide) || png.height > uint32_t(kMaxReadSide)) {
    info.tooLarge = true;
    return false;
  }
  png.rowSize = 1 + (size_t(png.width) * size_t(png.bitsPerPixel) + 7) / 8;
  return file.skip(int64_t(length) - 13 + 4);
}

bool readPalette(File& file, PngState& png) {
  if (png.colourType == 0) {
    const int entries = 1 << png.depth;
    const int step = 256 / (entries - 1);
    for (int i = 0; i < entries; ++i) {
      const uint32_t v = uint32_t(i * step > 255 ? 255 : i * step);
      png.palette[i] = v << 16 | v << 8 | v;
    }
    png.paletteCount = entries;
    return true;
  }
  if (png.colourType != 3) return true;
  uint32_t length = 0;
  if (!findChunk(file, "PLTE", png, length)) return false;
  // More than 256 entries cannot be indexed; the rest is skipped.
  const uint32_t entries = length / 3 > 256 ? 256 : length / 3;
  uint8_t rgb[768];
  if (!file.readAll(rgb, entries * 3)) return false;
  for (uint32_t i = 0; i < entries; ++i)
    png.palette[i] = uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
  png.paletteCount = int(entries);
  return file.skip(int64_t(length) - int64_t(entries) * 3 + 4);
}

// The zlib stream across the IDAT chunks, handed out row by row so that
// inflating, unfiltering and converting stay in the cache. Once the stream or
// the chunks end, the rest reads as zeros.
class IdatReader {
 public:
  IdatReader(File& file, PngState& png) : file_(file), png_(png) {}
  IdatReader(const IdatReader&) = delete;
  IdatReader& operator=(const IdatReader&) = delete;
  ~IdatReader() {
    if (started_) inflateEnd(&z_);
  }

  bool start() {
    if (!findChunk(file_, "IDAT", png_, length_)) return false;
    input_.reset(new (std::nothrow) uint8_t[kInputChunk]);
    capacity_ = kInputChunk;
    if (!input_ || inflateInit(&z_) != Z_OK) return false;
    started_ = true;
    return loadChunk();
  }

  // False only on a zlib error.
  bool read(uint8_t* out, size_t count) {
    z_.next_out = out;
    z_.avail_out = uInt(count);
    while (!ended_ && z_.avail_out > 0) {
      if (z_.avail_in == 0 && !nextChunk()) break;
      const int r = inflate(&z_, Z_NO_FLUSH);
      if (r == Z_STREAM_END) ended_ = true;
      else if (r != Z_OK && r != Z_BUF_ERROR) return false;
    }
    if (z_.avail_out > 0) std::memset(z_.next_out, 0, z_.avail_out);
    return true;
  }

 private:
  // Reads the current chunk's data (the input buffer grows to its size).
  bool loadChunk() {
    if (length_ > capacity_) {
      input_.reset(new (std::nothrow) uint8_t[length_]);
      capacity_ = input_ ? length_ : 0;
      if (!input_) return false;
    }
    if (!file_.readAll(input_.get(), length_)) return false;
    z_.next_in = input_.get();
    z_.avail_in = length_;
    return true;
  }
  bool nextChunk() {
    if (!file_.skip(4) || !findChunk(file_, "IDAT", png_, length_) || !loadChunk()) {
      ended_ = true;   // out of chunks: what arrived stays
      return false;
    }
    return true;
  }

  File& file_;
  PngState& png_;
  z_stream z_{};
  std::unique_ptr<uint8_t[]> input_;
  uint32_t capacity_ = 0, length_ = 0;
  bool started_ = false, ended_ = false;
};

inline uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

// Undoes one row's filter in place; prior is null for the first row.
void unfilterRow(uint8_t* row, const uint8_t* prior, size_t count, size_t bpp) {
  const uint8_t filter = row[0];
  uint8_t* x = row + 1;
  const uint8_t* up = prior ? prior + 1 : nullptr;
  switch (filter) {
    case 1:
      for (size_t i = bpp; i < count; ++i) x[i] = uint8_t(x[i] + x[i - bpp]);
      break;
    case 2:
      if (up)
        for (size_t i = 0; i < count; ++i) x[i] = uint8_t(x[i] + up[i]);
      break;
    case 3:
      for (size_t i = 0; i < count; ++i) {
        const int left = i >= bpp ? x[i - bpp] : 0;
        const int above = up ? up[i] : 0;
        x[i] = uint8_t(x[i] + ((left + above) >> 1));
      }
      break;
    case 4:
      for (size_t i = 0; i < count; ++i) {
        const int left = i >= bpp ? x[i - bpp] : 0;
        const int above = up ? up[i] : 0;
        const int corner = (up && i >= bpp) ? up[i - bpp] : 0;
        x[i] = uint8_t(x[i] + paeth(left, above, corner));
      }
      break;
    default:
      break;   // 0, and unknown filters leave the row as it is
  }
}

void convertRow(const uint8_t* src, Pixel* dst, const PngState& png) {
  const uint32_t w = png.width;
  if (png.bitsPerPixel == 32) {
    for (uint32_t x = 0; x < w; ++x, src += 4) dst[x] = makePixel(src[3], src[0], src[1], src[2]);
  } else if (png.bitsPerPixel == 24) {
    for (uint32_t x = 0; x < w; ++x, src += 3) dst[x] = 0xFF000000u | uint32_t(src[0]) << 16 | uint32_t(src[1]) << 8 | src[2];
  } else {
    const int bits = png.bitsPerPixel;
    const int mask = (1 << bits) - 1;
    for (uint32_t x = 0; x < w; ++x) {
      const size_t bit = size_t(x) * size_t(bits);
      const int shift = 8 - bits - int(bit & 7);
      const int index = (src[bit >> 3] >> shift) & mask;
      dst[x] = 0xFF000000u | png.palette[index];
    }
  }
}

}  // namespace

namespace {

// Where decoded rows go: the whole image, or a thumbnail that wants a few.
struct RowTarget {
  virtual bool begin(int width, int height) = 0;
  // Where row y is to be converted; null skips its conversion.
  virtual Pixel* rowFor(int y) = 0;
  virtual void rowDone(int y) = 0;
  virtual void fail() {}

 protected:
  ~RowTarget() = default;
};

// Every row is inflated and unfiltered, since each filter needs the row above.
bool readPngRows(const std::string& path, ImageReadInfo& info, PngState& png, RowTarget& target) {
  File file;
  if (!file.openRead(path)) return false;
  if (!readHeader(file, png, info) || !readPalette(file, png)) return false;
  IdatReader idat(file, png);
  if (!idat.start()) return false;
  std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[png.rowSize * 2]);
  if (!rows || !target.begin(int(png.width), int(png.height))) return false;
  const size_t bpp = png.bitsPerPixel < 8 ? 1 : size_t(png.bitsPerPixel) / 8;
  uint8_t* row = rows.get();
  uint8_t* prior = nullptr;
  for (uint32_t y = 0; y < png.height; ++y) {
    if (!idat.read(row, png.rowSize)) {
      info.reason = ReadReason::kDamagedData;
      target.fail();
      return false;
    }
    unfilterRow(row, prior, png.rowSize - 1, bpp);
    if (Pixel* out = target.rowFor(int(y))) {
      convertRow(row + 1, out, png);
      target.rowDone(int(y));
    }
    prior = row;
    row = row == rows.get() ? rows.get() + png.rowSize : rows.get();
  }
  return true;
}

struct WholeImage final : RowTarget {
  Image32& image;
  explicit WholeImage(Image32& i) : image(i) {}
  bool begin(int width, int height) override { return image.create(width, height); }
  Pixel* rowFor(int y) override { return image.row(y); }
  void rowDone(int) override {}
  void fail() override { image.destroy(); }
};

struct ThumbnailRows final : RowTarget {
  ThumbnailSink sink;
  std::vector<Pixel> row;
  int side;
  explicit ThumbnailRows(int s) : side(s) {}
  bool begin(int width, int height) override {
    row.resize(size_t(width));
    return sink.begin(width, height, side);
  }
  Pixel* rowFor(int y) override { return sink.wantsRow(y) ? row.data() : nullptr; }
  void rowDone(int y) override { sink.addRow(y, row.data()); }
};

}  // namespace

bool readPng(const std::string& path, Image32& image, ImageReadInfo& info) {
  PngState png;
  WholeImage target(image);
  if (!readPngRows(path, info, png, target)) return false;
  if (png.bitsPerPixel == 32) {
    image.normaliseTransparent();
    info.hadAlpha = true;
  }
  return true;
}

bool readPngThumbnail(const std::string& path, int side, Image32& thumb) {
  PngState png;
  ImageReadInfo info;
  ThumbnailRows target(side);
  return readPngRows(path, info, png, target) && target.sink.finish(thumb);
}

// ---------------------------------------------------------------------------
// Writing

namespace {

bool writeChunk(File& file, const char* type, const uint8_t* data, uint32_t length) {
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  if (length) crc = crc32(crc, data, length);
  return file.writeU32BE(length) && file.writeAll(type, 4) && (length == 0 || file.writeAll(data, length)) &&
         file.writeU32BE(uint32_t(crc));
}

struct DeflateGuard {
  z_stream* z;
  ~DeflateGuard() { deflateEnd(z); }
};

struct PngRows {
  const Image32& image;
  int bitsPerPixel;
  const ColourIndex* index;   // palette images
  void convert(int y, uint8_t* out) const {
    const Pixel* p = image.row(y);
    const int w = image.width();
    *out++ = 0;   // filter none
    if (bitsPerPixel == 32) {
      for (int x = 0; x < w; ++x, out += 4) {
        out[0] = redOf(p[x]); out[1] = greenOf(p[x]); out[2] = blueOf(p[x]); out[3] = alphaOf(p[x]);
      }
    } else if (bitsPerPixel == 24) {
      for (int x = 0; x < w; ++x, out += 3) {
        out[0] = redOf(p[x]); out[1] = greenOf(p[x]); out[2] = blueOf(p[x]);
      }
    } else {
      for (int x = 0; x < w; ++x) out[x] = (*index)(p[x]);
    }
  }
};

// One IDAT chunk: placeholder length, the stream through a 32 KiB buffer,
// then the real length patched in and the CRC appended.
bool writeIdat(File& file, const PngRows& rows, int level) {
  const int64_t lengthAt = file.position();
  if (!file.writeU32BE(0) || !file.writeAll("IDAT", 4)) return false;
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4);
  z_stream z{};
  if (deflateInit(&z, level) != Z_OK) return false;
  DeflateGuard guard{&z};
  const size_t rowSize = 1 + size_t(rows.image.width()) * size_t(rows.bitsPerPixel / 8);
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowSize]);
  std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[kInputChunk]);
  if (!row || !out) return false;
  uint64_t written = 0;
  const int h = rows.image.height();
  z.next_out = out.get();
  z.avail_out = kInputChunk;
  for (int y = 0; y <= h; ++y) {
    const int flush = y == h ? Z_FINISH : Z_NO_FLUSH;
    if (y < h) {
      rows.convert(y, row.get());
      z.next_in = row.get();
      z.avail_in = uInt(rowSize);
    }
    for (;;) {
      const int r = deflate(&z, flush);
      if (r == Z_STREAM_ERROR) return false;
      if (z.avail_out == 0 || (r == Z_STREAM_END && z.avail_out < kInputChunk)) {
        const size_t n = kInputChunk - z.avail_out;
        if (!file.writeAll(out.get(), n)) return false;
        crc = crc32(crc, out.get(), uInt(n));
        written += n;
        z.next_out = out.get();
        z.avail_out = kInputChunk;
      }
      if (r == Z_STREAM_END) break;
      if (flush == Z_NO_FLUSH && z.avail_in == 0) break;
    }
  }
  if (written > 0x7FFFFFFFu) return false;
  const int64_t end = file.position();
  return file.seek(lengthAt) && file.writeU32BE(uint32_t(written)) && file.seek(end) &&
         file.writeU32BE(uint32_t(crc));
}

bool writeHeaderChunks(File& file, const Image32& image, int bitsPerPixel, const std::vector<uint32_t>& palette,
                       int32_t transparentColour) {
  uint8_t ihdr[13] = {};
  const uint32_t w = uint32_t(image.width()), h = uint32_t(image.height());
  for (int i = 0; i < 4; ++i) {
    ihdr[i] = uint8_t(w >> (24 - 8 * i));
    ihdr[4 + i] = uint8_t(h >> (24 - 8 * i));
  }
  ihdr[8] = 8;
  ihdr[9] = bitsPerPixel == 32 ? 6 : bitsPerPixel == 24 ? 2 : 3;
  if (!file.writeAll(kPngSignature, 8) || !writeChunk(file, "IHDR", ihdr, 13)) return false;
  if (bitsPerPixel == 8) {
    std::vector<uint8_t> plte;
    for (uint32_t c : palette) {
      plte.push_back(uint8_t(c >> 16));
      plte.push_back(uint8_t(c >> 8));
      plte.push_back(uint8_t(c));
    }
    if (!writeChunk(file, "PLTE", plte.data(), uint32_t(plte.size()))) return false;
  }
  if (transparentColour == -1 || bitsPerPixel == 32) return true;
  const uint32_t key = swapRedBlue(uint32_t(transparentColour)) & 0x00FFFFFFu;
  if (bitsPerPixel == 24) {
    const uint8_t trns[6] = {0, uint8_t(key >> 16), 0, uint8_t(key >> 8), 0, uint8_t(key)};
    return writeChunk(file, "tRNS", trns, 6);
  }
  std::vector<uint8_t> alphas;
  for (uint32_t c : palette) {
    alphas.push_back(c == key ? 0 : 255);
    if (c == key) return writeChunk(file, "tRNS", alphas.data(), uint32_t(alphas.size()));
  }
  return true;   // the colour does not occur: no tRNS
}

}  // namespace

bool writePng(const Image32& image, const std::string& path, int level, bool withAlpha, int32_t transparentColour) {
  if (!image.valid() || level < 0 || level > 9) return false;
  std::vector<uint32_t> palette;
  int bitsPerPixel = 32;
  if (!withAlpha) bitsPerPixel = collectPalette(image, palette) ? 8 : 24;
  ColourIndex index(palette);
  const PngRows rows{image, bitsPerPixel, &index};
  return saveReplacing(path, [&](File& file) {
    return writeHeaderChunks(file, image, bitsPerPixel, palette, transparentColour) &&
           writeIdat(file, rows, level) && writeChunk(file, "IEND", nullptr, 0);
  });
}

}  // namespace tessel
