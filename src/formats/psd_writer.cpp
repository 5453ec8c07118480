#include <cstring>
#include <string>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "document/document.h"
#include "io/file.h"
#include "formats/psd_document.h"
#include "formats/psd_packbits.h"
#include "image/tiled_image.h"

namespace tessel {

namespace {

constexpr size_t kOutputBuffer = 16384;

// Packed rows go to the file through one 16 KiB buffer.
class BufferedOutput {
 public:
  explicit BufferedOutput(File& file) : file_(file) {}
  bool write(const uint8_t* data, size_t n) {
    if (used_ + n > kOutputBuffer && !flush()) return false;
    if (n > kOutputBuffer) return file_.writeAll(data, n);
    std::memcpy(buffer_ + used_, data, n);
    used_ += n;
    return true;
  }
  bool flush() {
    bool ok = used_ == 0 || file_.writeAll(buffer_, used_);
    used_ = 0;
    return ok;
  }

 private:
  File& file_;
  uint8_t buffer_[kOutputBuffer];
  size_t used_ = 0;
};

bool writeU32At(File& file, int64_t at, uint32_t v) {
  return file.seek(at) && file.writeU32BE(v) && file.seekToEnd();
}

// Where a picture's rows come from: a flat image, or an idle layer's tiles,
// read a row at a time so that the layer is never made flat for its channels.
class RowSource {
 public:
  explicit RowSource(const Image32& flat) : flat_(&flat), width_(flat.width()), height_(flat.height()) {}
  explicit RowSource(const TiledImage& tiles) : tiles_(&tiles), width_(tiles.width()), height_(tiles.height()) {}
  int width() const { return width_; }
  int height() const { return height_; }
  // Row y, or null when every pixel of it is kTransparent; scratch holds width pixels.
  const Pixel* row(int y, Pixel* scratch) const {
    if (flat_) return flat_->row(y);
    if (tiles_->rowTransparent(y)) return nullptr;
    tiles_->readRow(y, 0, width_, scratch);
    return scratch;
  }

 private:
  const Image32* flat_ = nullptr;
  const TiledImage* tiles_ = nullptr;
  int width_, height_;
};

// Packs one plane (byte byteIndex of every pixel) row by row after a table
// of row counts that is filled in once the rows are known. Adds the packed
// size (table included) to bytes. A transparent row packs the same every
// time: it is packed once per plane value and copied after that.
class PlaneEncoder {
  static constexpr Pixel kClear = kTransparent;

 public:
  bool init(int width) {
    width_ = width;
    row_.reset(new (std::nothrow) uint8_t[size_t(width)]);
    pixels_.reset(new (std::nothrow) Pixel[size_t(width)]);
    packed_.reset(new (std::nothrow) uint8_t[packBitsBound(size_t(width))]);
    return row_ && pixels_ && packed_;
  }
  // The row counts of all planes come first, then their rows.
  bool write(File& file, const RowSource& image, const int* byteIndices, int planes, uint64_t* bytes) {
    const int w = image.width(), h = image.height();
    if (w != width_) return false;
    std::vector<uint16_t> counts(size_t(h) * size_t(planes));
    int64_t table = file.position();
    if (table < 0) return false;
    std::vector<uint8_t> zeros(counts.size() * 2, 0);
    if (!file.writeAll(zeros.data(), zeros.size())) return false;
    BufferedOutput out(file);
    for (int p = 0; p < planes; ++p) {
      uint64_t total = uint64_t(h) * 2;
      for (int y = 0; y < h; ++y) {
        const Pixel* pixels = image.row(y, pixels_.get());
        const std::span<const uint8_t> packed =
            pixels ? packRow(pixels, byteIndices[p]) : clearRow(reinterpret_cast<const uint8_t*>(&kClear)[byteIndices[p]]);
        counts[size_t(p) * size_t(h) + size_t(y)] = uint16_t(packed.size());
        total += packed.size();
        if (!out.write(packed.data(), packed.size())) return false;
      }
      if (bytes) bytes[p] = total;
    }
    if (!out.flush()) return false;
    for (size_t i = 0; i < counts.size(); ++i) {
      zeros[i * 2] = uint8_t(counts[i] >> 8);
      zeros[i * 2 + 1] = uint8_t(counts[i]);
    }
    return file.seek(table) && file.writeAll(zeros.data(), zeros.size()) && file.seekToEnd();
  }

 private:
  std::span<const uint8_t> packRow(const Pixel* pixels, int byteIndex) {
    const uint8_t* src = reinterpret_cast<const uint8_t*>(pixels) + byteIndex;
    for (int x = 0; x < width_; ++x) row_[size_t(x)] = src[size_t(x) * 4];
    return {packed_.get(), packBitsRow(row_.get(), size_t(width_), packed_.get())};
  }
  std::span<const uint8_t> clearRow(uint8_t value) {
    std::vector<uint8_t>& packed = clear_[value];
    if (packed.empty()) {
      std::memset(row_.get(), value, size_t(width_));
      packed.assign(packed_.get(), packed_.get() + packBitsRow(row_.get(), size_t(width_), packed_.get()));
    }
    return packed;
  }

  int width_ = 0;
  std::unique_ptr<uint8_t[]> row_, packed_;
  std::unique_ptr<Pixel[]> pixels_;
  std::vector<uint8_t> clear_[256];
};

bool writeHeader(File& file, const Document& document) {
  static const uint8_t kResolution[38] = {
      '8', 'B', 'I', 'M', 0x03, 0xED, 10, 'R', 'e', 's', 'o', 'l', 'u', 't', 'i', 'o', 'n', 0, 0, 0, 0, 16,
      0x02, 0x58, 0, 0, 0, 1, 0, 2, 0x02, 0x58, 0, 0, 0, 1, 0, 2};
  static const uint8_t kReserved[6] = {};
  return file.writeAll("8BPS", 4) && file.writeU16BE(1) && file.writeAll(kReserved, 6) && file.writeU16BE(3) &&
         file.writeU32BE(uint32_t(document.height())) && file.writeU32BE(uint32_t(document.width())) &&
         file.writeU16BE(8) && file.writeU16BE(3) && file.writeU32BE(0) && file.writeU32BE(38) &&
         file.writeAll(kResolution, sizeof kResolution);
}

// UTF-16 units of a UTF-8 text (bad sequences become '?').
std::vector<uint16_t> utf16Of(const std::string& utf8) {
  std::vector<uint16_t> out;
  for (size_t i = 0; i < utf8.size();) {
    const uint8_t b = uint8_t(utf8[i]);
    const int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    uint32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1Fu) : extra == 2 ? (b & 0x0Fu) : (b & 0x07u);
    bool ok = extra >= 0;
    for (int k = 1; ok && k <= extra; ++k) {
      const uint8_t n = i + size_t(k) < utf8.size() ? uint8_t(utf8[i + size_t(k)]) : 0;
      ok = (n & 0xC0) == 0x80;
      c = c << 6 | (n & 0x3Fu);
    }
    i += ok ? size_t(extra) + 1 : 1;
    if (!ok) c = '?';
    if (c >= 0x10000) {
      out.push_back(uint16_t(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(uint16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(uint16_t(c));
    }
  }
  return out;
}

// One full-canvas record; lengthFields gets where the four channel lengths go.
// The name goes as the Pascal string and again as Unicode ('luni').
bool writeRecord(File& file, const Document& document, const Layer& layer, int64_t* lengthFields) {
  static const int16_t kIds[4] = {0, 1, 2, -1};
  if (!file.writeU32BE(0) || !file.writeU32BE(0) || !file.writeU32BE(uint32_t(document.height())) ||
      !file.writeU32BE(uint32_t(document.width())) || !file.writeU16BE(4))
    return false;
  for (int c = 0; c < 4; ++c) {
    lengthFields[c] = file.position() + 2;
    if (!file.writeU16BE(uint16_t(kIds[c])) || !file.writeU32BE(0)) return false;
  }
  size_t nameLength = strnlen(layer.name, kLayerNameBytes - 1);
  size_t padded = (nameLength + 4) & ~size_t(3);
  uint8_t name[kLayerNameBytes + 4] = {};
  name[0] = uint8_t(nameLength);
  std::memcpy(name + 1, layer.name, nameLength);
  char text[kLayerNameBytes] = {};
  std::memcpy(text, layer.name, nameLength);
  const std::vector<uint16_t> unicode = utf16Of(layerNameToUtf8(text));
  const uint32_t luniLength = uint32_t(4 + 2 * unicode.size());
  bool ok = file.writeAll("8BIM", 4) && file.writeAll(psdKeyFromBlendMode(layer.blendMode), 4) &&
            file.writeU8(psdOpacityFromLayer(layer.opacity)) && file.writeU8(0) &&
            file.writeU8(layer.visible() ? 0 : 2) && file.writeU8(0) &&
            file.writeU32BE(uint32_t(8 + padded + 12 + luniLength)) && file.writeU32BE(0) && file.writeU32BE(0) &&
            file.writeAll(name, padded) && file.writeAll("8BIMluni", 8) && file.writeU32BE(luniLength) &&
            file.writeU32BE(uint32_t(unicode.size()));
  for (size_t i = 0; ok && i < unicode.size(); ++i) ok = file.writeU16BE(unicode[i]);
  return ok;
}

bool writeLayerSection(File& file, Document& document, Progress* progress, PlaneEncoder& encoder) {
  const int count = document.layerCount();
  const int64_t sectionField = file.position();
  if (sectionField < 0 || !file.writeU32BE(0) || !file.writeU32BE(0) || !file.writeU16BE(uint16_t(count)))
    return false;
  std::vector<int64_t> lengthFields(size_t(count) * 4);
  for (int i = count - 1, n = 0; i >= 0; --i, ++n)
    if (!writeRecord(file, document, *document.layers().atIndex(i), &lengthFields[size_t(n) * 4])) return false;
  static const int kBytes[4] = {2, 1, 0, 3};
  for (int i = count - 1, n = 0; i >= 0; --i, ++n) {
    const Layer& layer = *document.layers().atIndex(i);
    const TiledImage* tiles = layer.tiles();
    if (!tiles && !layer.image().valid()) return false;
    const RowSource rows = tiles ? RowSource(*tiles) : RowSource(layer.image());
    for (int c = 0; c < 4; ++c) {
      uint64_t bytes = 0;
      if (!file.writeU16BE(1) || !encoder.write(file, rows, &kBytes[c], 1, &bytes) ||
          !writeU32At(file, lengthFields[size_t(n) * 4 + size_t(c)], uint32_t(bytes + 2)))
        return false;
    }
    if (progress) progress->step();
  }
  uint64_t infoLength = uint64_t(file.position() - sectionField - 8);
  // The pad byte belongs to the layer info, so the merged image follows both lengths.
  if ((infoLength & 1) != 0) {
    if (!file.writeU8(0)) return false;
    ++infoLength;
  }
  return writeU32At(file, sectionField, uint32_t(infoLength + 4)) &&
         writeU32At(file, sectionField + 4, uint32_t(infoLength));
}

bool writePsdTo(File& file, Document& document, Progress* progress) {
  Image32 flat;
  PlaneEncoder encoder;
  if (document.layerCount() < 1 || !document.flatten(flat, nullptr, false) || !encoder.init(document.width()))
    return false;
  if (!writeHeader(file, document) || !writeLayerSection(file, document, progress, encoder)) return false;
  static const int kRgb[3] = {2, 1, 0};
  if (!file.writeU16BE(1) || !encoder.write(file, RowSource(flat), kRgb, 3, nullptr)) return false;
  if (progress) progress->step();
  return true;
}

}  // namespace

bool writePsd(const std::string& path, Document& document, Progress* progress) {
  return saveReplacing(path, [&](File& file) { return writePsdTo(file, document, progress); });
}

}  // namespace tessel
