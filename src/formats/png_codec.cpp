#include "formats/png_codec.h"

#include <zlib.h>

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

constexpr size_t kInputChunk = 32768;

struct PngState {
  uint32_t width = 0, height = 0;
  int depth = 0, colourType = 0, bitsPerPixel = 0;
  bool interlaced = false;
  uint32_t palette[256] = {};   // 0xAARRGGBB: PLTE, or the grey ramp up to 8 bits
  int paletteCount = 0;
  bool idatSeen = false;
  // tRNS
  bool trnsSeen = false;
  bool keyed = false;           // grey or RGB key colour, in file samples
  uint16_t key[3] = {};
  int alphaCount = 0;           // palette alphas
  uint8_t alphas[256] = {};
  bool alphaSource = false;     // an alpha channel, or tRNS applied
};

bool typeIs(const uint8_t type[4], const char* name) { return std::memcmp(type, name, 4) == 0; }

// The chunk's data (already read) against the CRC that follows it.
bool crcMatches(File& file, const uint8_t type[4], const uint8_t* data, uint32_t length) {
  uint32_t stored = 0;
  if (!file.readU32BE(stored)) return false;
  uLong crc = crc32(0, type, 4);
  if (length) crc = crc32(crc, data, length);
  return uint32_t(crc) == stored;
}

// tRNS before the image data: palette alphas (no more than PLTE has
// entries), or a grey or RGB key. Damaged, misplaced, repeated or
// ill-sized chunks are ignored, as other readers do.
void parseTrns(File& file, uint32_t length, PngState& png) {
  static const uint8_t kType[4] = {'t', 'R', 'N', 'S'};
  uint8_t data[256];
  if (png.trnsSeen || png.idatSeen || length > sizeof data || !file.readAll(data, length) ||
      !crcMatches(file, kType, data, length))
    return;
  png.trnsSeen = true;
  const uint16_t mask = png.depth == 16 ? 0xFFFF : uint16_t((1 << png.depth) - 1);
  if (png.colourType == 3 && png.paletteCount > 0 && length > 0 && int(length) <= png.paletteCount) {
    std::memcpy(png.alphas, data, length);
    png.alphaCount = int(length);
  } else if (png.colourType == 0 && length == 2) {
    png.key[0] = readBE16(data) & mask;
    png.keyed = true;
  } else if (png.colourType == 2 && length == 6) {
    for (int i = 0; i < 3; ++i) png.key[i] = readBE16(data + 2 * i) & mask;
    png.keyed = true;
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

int channelsOf(int colourType) {
  switch (colourType) {
    case 0: case 3: return 1;
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
  }
}

bool depthAllowed(int colourType, int depth) {
  switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2: case 4: case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

bool readHeader(File& file, PngState& png, ImageReadInfo& info) {
  uint8_t signature[8];
  if (!file.readAll(signature, 8) || std::memcmp(signature, kPngSignature, 8) != 0)
    return info.reason = ReadReason::kNotThisFormat, false;
  uint32_t length = 0;
  if (!findChunk(file, "IHDR", png, length) || length < 13 || length > 4096) return false;
  uint8_t d[4096];
  static const uint8_t kType[4] = {'I', 'H', 'D', 'R'};
  if (!file.readAll(d, length) || !crcMatches(file, kType, d, length))
    return info.reason = ReadReason::kDamagedData, false;
  png.width = readBE32(d);
  png.height = readBE32(d + 4);
  png.depth = d[8];
  png.colourType = d[9];
  if (!depthAllowed(png.colourType, png.depth)) return false;
  png.bitsPerPixel = channelsOf(png.colourType) * png.depth;
  if (d[10] != 0 || d[11] != 0 || d[12] > 1) return false;
  png.interlaced = d[12] == 1;
  if (png.width == 0 || png.height == 0) return false;
  if (png.width > uint32_t(kMaxReadSide) || png.height > uint32_t(kMaxReadSide)) {
    info.tooLarge = true;
    return false;
  }
  return true;
}

bool readPalette(File& file, PngState& png) {
  if (png.colourType == 0 && png.depth <= 8) {
    const int entries = 1 << png.depth;
    const int step = 256 / (entries - 1);
    for (int i = 0; i < entries; ++i) {
      const uint32_t v = uint32_t(i * step > 255 ? 255 : i * step);
      png.palette[i] = 0xFF000000u | v << 16 | v << 8 | v;
    }
    png.paletteCount = entries;
    return true;
  }
  if (png.colourType != 3) return true;
  uint32_t length = 0;
  if (!findChunk(file, "PLTE", png, length) || length > 65536) return false;
  std::vector<uint8_t> rgb(length);
  static const uint8_t kType[4] = {'P', 'L', 'T', 'E'};
  if (!file.readAll(rgb.data(), length) || !crcMatches(file, kType, rgb.data(), length)) return false;
  // More than 256 entries cannot be indexed; the rest is ignored.
  const uint32_t entries = length / 3 > 256 ? 256 : length / 3;
  for (uint32_t i = 0; i < entries; ++i)
    png.palette[i] = 0xFF000000u | uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
  png.paletteCount = int(entries);
  return true;
}

// Palette alphas and a grey key of up to 8 bits go into the palette; the
// other keys are compared sample by sample.
void applyTransparency(PngState& png) {
  png.alphaSource = png.colourType == 4 || png.colourType == 6 || png.keyed || png.alphaCount > 0;
  for (int i = 0; i < png.alphaCount; ++i) png.palette[i] = (png.palette[i] & 0x00FFFFFFu) | uint32_t(png.alphas[i]) << 24;
  if (png.keyed && png.colourType == 0 && png.depth <= 8) {
    png.palette[png.key[0]] &= 0x00FFFFFFu;
    png.keyed = false;
  }
}

// The zlib stream across the IDAT chunks, handed out row by row so that
// inflating, unfiltering and converting stay in the cache. Once the stream or
// the chunks end, the rest reads as zeros. A complete chunk whose CRC does
// not match is an error; a chunk cut short by the end of the file is not.
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
    png_.idatSeen = true;
    input_.reset(new (std::nothrow) uint8_t[kInputChunk]);
    capacity_ = kInputChunk;
    if (!input_ || inflateInit(&z_) != Z_OK) return false;
    started_ = true;
    return loadChunk() && !damaged_;
  }

  // False on a zlib error or a damaged chunk.
  bool read(uint8_t* out, size_t count) {
    z_.next_out = out;
    z_.avail_out = uInt(count);
    while (!ended_ && z_.avail_out > 0) {
      if (z_.avail_in == 0 && !nextChunk()) break;
      const int r = inflate(&z_, Z_NO_FLUSH);
      if (r == Z_STREAM_END) ended_ = true;
      else if (r != Z_OK && r != Z_BUF_ERROR) return false;
    }
    if (damaged_) return false;
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
    static const uint8_t kType[4] = {'I', 'D', 'A', 'T'};
    if (file_.size() - file_.position() >= 4 && !crcMatches(file_, kType, input_.get(), length_)) damaged_ = true;
    z_.next_in = input_.get();
    z_.avail_in = length_;
    return true;
  }
  bool nextChunk() {
    if (!findChunk(file_, "IDAT", png_, length_) || !loadChunk()) {
      ended_ = true;   // out of chunks: what arrived stays
      return false;
    }
    return !damaged_;
  }

  File& file_;
  PngState& png_;
  z_stream z_{};
  std::unique_ptr<uint8_t[]> input_;
  uint32_t capacity_ = 0, length_ = 0;
  bool started_ = false, ended_ = false, damaged_ = false;
};

inline uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

// Bytes per pixel known at compile time lets the loops run per pixel.
template <size_t Bpp>
void unfilterFixed(uint8_t filter, uint8_t* x, const uint8_t* up, size_t count) {
  switch (filter) {
    case 1:
      for (size_t i = Bpp; i < count; ++i) x[i] = uint8_t(x[i] + x[i - Bpp]);
      break;
    case 2:
      if (up)
        for (size_t i = 0; i < count; ++i) x[i] = uint8_t(x[i] + up[i]);
      break;
    case 3:
      if (!up) {
        for (size_t i = Bpp; i < count; ++i) x[i] = uint8_t(x[i] + (x[i - Bpp] >> 1));
        break;
      }
      for (size_t i = 0; i < Bpp && i < count; ++i) x[i] = uint8_t(x[i] + (up[i] >> 1));
      for (size_t i = Bpp; i < count; ++i) x[i] = uint8_t(x[i] + ((x[i - Bpp] + up[i]) >> 1));
      break;
    case 4:
      if (!up) {   // above and corner are zero: Paeth picks the left byte
        for (size_t i = Bpp; i < count; ++i) x[i] = uint8_t(x[i] + x[i - Bpp]);
        break;
      }
      for (size_t i = 0; i < Bpp && i < count; ++i) x[i] = uint8_t(x[i] + up[i]);
      for (size_t i = Bpp; i < count; ++i) x[i] = uint8_t(x[i] + paeth(x[i - Bpp], up[i], up[i - Bpp]));
      break;
    default:
      break;   // 0, and unknown filters leave the row as it is
  }
}

// Undoes one row's filter in place; prior is null for the first row of a pass.
void unfilterRow(uint8_t* row, const uint8_t* prior, size_t count, size_t bpp) {
  const uint8_t filter = row[0];
  uint8_t* x = row + 1;
  const uint8_t* up = prior ? prior + 1 : nullptr;
  switch (bpp) {
    case 1: unfilterFixed<1>(filter, x, up, count); break;
    case 2: unfilterFixed<2>(filter, x, up, count); break;
    case 3: unfilterFixed<3>(filter, x, up, count); break;
    case 4: unfilterFixed<4>(filter, x, up, count); break;
    case 6: unfilterFixed<6>(filter, x, up, count); break;
    default: unfilterFixed<8>(filter, x, up, count); break;
  }
}

// A 16-bit sample to 8 bits, rounded: round(v * 255 / 65535).
inline uint32_t scale16(const uint8_t* p) { return (uint32_t(p[0] << 8 | p[1]) * 255u + 32895u) >> 16; }
inline uint16_t sample16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

void convertIndexed(const uint8_t* src, Pixel* dst, uint32_t w, const PngState& png) {
  if (png.depth == 8) {
    for (uint32_t x = 0; x < w; ++x) dst[x] = png.palette[src[x]];
    return;
  }
  const int bits = png.depth;
  const int mask = (1 << bits) - 1;
  for (uint32_t x = 0; x < w; ++x) {
    const size_t bit = size_t(x) * size_t(bits);
    const int shift = 8 - bits - int(bit & 7);
    dst[x] = png.palette[(src[bit >> 3] >> shift) & mask];
  }
}

void convertRgb(const uint8_t* src, Pixel* dst, uint32_t w, const PngState& png) {
  const uint16_t* k = png.key;
  if (png.depth == 8) {
    for (uint32_t x = 0; x < w; ++x, src += 3) dst[x] = makePixel(255, src[0], src[1], src[2]);
    if (png.keyed) {
      src -= size_t(w) * 3;
      for (uint32_t x = 0; x < w; ++x, src += 3)
        if (src[0] == k[0] && src[1] == k[1] && src[2] == k[2]) dst[x] &= 0x00FFFFFFu;
    }
    return;
  }
  for (uint32_t x = 0; x < w; ++x, src += 6) {
    const bool clear = png.keyed && sample16(src) == k[0] && sample16(src + 2) == k[1] && sample16(src + 4) == k[2];
    dst[x] = makePixel(clear ? 0 : 255, scale16(src), scale16(src + 2), scale16(src + 4));
  }
}

void convertRow(const uint8_t* src, Pixel* dst, uint32_t w, const PngState& png) {
  switch (png.colourType) {
    case 0:
      if (png.depth <= 8) return convertIndexed(src, dst, w, png);
      for (uint32_t x = 0; x < w; ++x, src += 2) {
        const uint32_t g = scale16(src);
        dst[x] = makePixel(png.keyed && sample16(src) == png.key[0] ? 0 : 255, g, g, g);
      }
      return;
    case 3:
      return convertIndexed(src, dst, w, png);
    case 2:
      return convertRgb(src, dst, w, png);
    case 4:
      if (png.depth == 8) {
        for (uint32_t x = 0; x < w; ++x, src += 2) dst[x] = makePixel(src[1], src[0], src[0], src[0]);
      } else {
        for (uint32_t x = 0; x < w; ++x, src += 4) {
          const uint32_t g = scale16(src);
          dst[x] = makePixel(scale16(src + 2), g, g, g);
        }
      }
      return;
    default:
      if (png.depth == 8) {
        for (uint32_t x = 0; x < w; ++x, src += 4) dst[x] = makePixel(src[3], src[0], src[1], src[2]);
      } else {
        for (uint32_t x = 0; x < w; ++x, src += 8)
          dst[x] = makePixel(scale16(src + 6), scale16(src), scale16(src + 2), scale16(src + 4));
      }
      return;
  }
}

// The seven Adam7 passes: first column, first row, column step, row step.
struct Pass {
  uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

uint32_t passSpan(uint32_t size, uint32_t start, uint32_t step) { return size > start ? (size - start + step - 1) / step : 0; }

}  // namespace

namespace {

// Where decoded rows go: the whole image, or a thumbnail that wants a few.
struct RowTarget {
  virtual bool begin(int width, int height, bool interlaced) = 0;
  // Where row y is to be converted; null skips its conversion. Interlaced
  // images always get the whole row.
  virtual Pixel* rowFor(int y) = 0;
  virtual void rowDone(int y) = 0;
  virtual void fail() {}

 protected:
  ~RowTarget() = default;
};

// Rows of one pass. Every row is inflated and unfiltered, since each filter
// needs the row above; a pass starts with no row above.
bool readPass(IdatReader& idat, const PngState& png, const Pass& pass, uint8_t* rows, Pixel* scatter,
              RowTarget& target) {
  const uint32_t w = passSpan(png.width, pass.x0, pass.dx), h = passSpan(png.height, pass.y0, pass.dy);
  if (w == 0 || h == 0) return true;
  const size_t rowSize = 1 + (size_t(w) * size_t(png.bitsPerPixel) + 7) / 8;
  const size_t bpp = png.bitsPerPixel < 8 ? 1 : size_t(png.bitsPerPixel) / 8;
  uint8_t* row = rows;
  uint8_t* prior = nullptr;
  for (uint32_t py = 0; py < h; ++py) {
    if (!idat.read(row, rowSize)) return false;
    unfilterRow(row, prior, rowSize - 1, bpp);
    const int y = int(pass.y0 + py * pass.dy);
    if (Pixel* out = target.rowFor(y)) {
      if (pass.dx == 1) {
        convertRow(row + 1, out, w, png);
        target.rowDone(y);
      } else {
        convertRow(row + 1, scatter, w, png);
        for (uint32_t i = 0, x = pass.x0; i < w; ++i, x += pass.dx) out[x] = scatter[i];
      }
    }
    prior = row;
    row = row == rows ? rows + rowSize : rows;
  }
  return true;
}

bool readPngRows(const std::string& path, ImageReadInfo& info, PngState& png, RowTarget& target) {
  File file;
  if (!file.openRead(path)) return false;
  if (!readHeader(file, png, info) || !readPalette(file, png)) return false;
  IdatReader idat(file, png);
  if (!idat.start()) return info.reason = ReadReason::kDamagedData, false;
  applyTransparency(png);
  const size_t rowSize = 1 + (size_t(png.width) * size_t(png.bitsPerPixel) + 7) / 8;
  std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[rowSize * 2]);
  std::unique_ptr<Pixel[]> scatter(new (std::nothrow) Pixel[png.width]);
  if (!rows || !scatter || !target.begin(int(png.width), int(png.height), png.interlaced)) return false;
  const Pass* passes = png.interlaced ? kAdam7 : &kWhole;
  for (int p = 0; p < (png.interlaced ? 7 : 1); ++p)
    if (!readPass(idat, png, passes[p], rows.get(), scatter.get(), target)) {
      info.reason = ReadReason::kDamagedData;
      target.fail();
      return false;
    }
  return true;
}

struct WholeImage final : RowTarget {
  Image32& image;
  explicit WholeImage(Image32& i) : image(i) {}
  // The passes together cover every pixel.
  bool begin(int width, int height, bool) override {
    return image.create(width, height);
  }
  Pixel* rowFor(int y) override { return image.row(y); }
  void rowDone(int) override {}
  void fail() override { image.destroy(); }
};

// Rows into a larger image at an offset, cut to it; an interlaced picture is
// complete only after the last pass, so it is read whole and copied then.
struct PlacedRows final : RowTarget {
  Image32& image;
  const int x, y;
  Rect placed;
  Image32 whole;
  std::vector<Pixel> row;
  PlacedRows(Image32& i, int px, int py) : image(i), x(px), y(py) {}
  bool begin(int width, int height, bool interlaced) override {
    placed = Rect{x, y, width, height}.intersected(image.bounds());
    if (interlaced) return whole.create(width, height);
    row.resize(size_t(width));
    return true;
  }
  bool inside(int r) const { return y + r >= placed.y && y + r < placed.bottom(); }
  Pixel* rowFor(int r) override {
    if (whole.valid()) return whole.row(r);
    return inside(r) ? row.data() : nullptr;
  }
  void rowDone(int r) override {
    if (!whole.valid() && inside(r)) copyRow(row.data(), r);
  }
  void finish() {
    if (whole.valid())
      for (int r = placed.y - y; r < placed.bottom() - y; ++r) copyRow(whole.row(r), r);
  }
  void copyRow(const Pixel* from, int r) {
    const Pixel* s = from + (placed.x - x);
    Pixel* d = image.row(y + r) + placed.x;
    for (int i = 0; i < placed.w; ++i) d[i] = alphaOf(s[i]) == 0 ? kTransparent : s[i];
  }
};

// Non-interlaced rows stream through the sink; an interlaced picture is
// complete only after the last pass, so it is read whole and shrunk.
struct ThumbnailRows final : RowTarget {
  ThumbnailSink sink;
  Image32 whole;
  std::vector<Pixel> row;
  int side;
  explicit ThumbnailRows(int s) : side(s) {}
  bool begin(int width, int height, bool interlaced) override {
    if (interlaced) return whole.create(width, height);
    row.resize(size_t(width));
    return sink.begin(width, height, side);
  }
  Pixel* rowFor(int y) override {
    if (whole.valid()) return whole.row(y);
    return sink.wantsRow(y) ? row.data() : nullptr;
  }
  void rowDone(int y) override {
    if (!whole.valid()) sink.addRow(y, row.data());
  }
  bool finish(Image32& thumb) const {
    return whole.valid() ? ThumbnailSink::shrink(whole, side, thumb) : sink.finish(thumb);
  }
};

}  // namespace

bool readPng(const std::string& path, Image32& image, ImageReadInfo& info) {
  PngState png;
  WholeImage target(image);
  if (!readPngRows(path, info, png, target)) return false;
  if (png.alphaSource) {
    image.normaliseTransparent();
    info.hadAlpha = true;
  }
  return true;
}

bool readPngPlaced(const std::string& path, Image32& image, int x, int y, Rect& placed) {
  PngState png;
  ImageReadInfo info;
  PlacedRows target(image, x, y);
  placed = {};
  if (!image.valid() || !readPngRows(path, info, png, target)) return false;
  target.finish();
  placed = target.placed;
  return true;
}

bool readPngThumbnail(const std::string& path, int side, Image32& thumb) {
  PngState png;
  ImageReadInfo info;
  ThumbnailRows target(side);
  return readPngRows(path, info, png, target) && target.finish(thumb);
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
