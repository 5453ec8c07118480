#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "document/document.h"
#include "formats/file.h"
#include "formats/native_document.h"
#include "formats/psd_document.h"
#include "formats/psd_packbits.h"
#include "formats/reader_limits.h"
#include "formats/thumbnail_sink.h"
#include "image/byte_order.h"
#include "image/size_limits.h"

namespace tessel {

namespace {

constexpr int kMaxChannels = 5;

struct PsdHeader {
  uint16_t channels = 0;
  uint32_t height = 0, width = 0;
};

struct ChannelInfo {
  int16_t id = 0;
  uint32_t length = 0;
};

struct LayerRecord {
  int32_t top = 0, left = 0, bottom = 0, right = 0;
  std::vector<ChannelInfo> channels;
  uint8_t blendMode = 0, opacity = 255, flags = 0;
  char name[kLayerNameBytes] = {};
};

int64_t remaining(const File& file) { return file.size() - file.position(); }

// Skips a section whose 32-bit length the file must hold.
bool skipSection(File& file) {
  uint32_t length = 0;
  return file.readU32BE(length) && int64_t(length) <= remaining(file) && file.skip(length);
}

// Signature, version, depth and mode, then past the colour mode data and the
// image resources.
int readHeader(File& file, PsdHeader& h) {
  char signature[4];
  uint16_t version = 0, depth = 0, mode = 0;
  if (!file.readAll(signature, 4) || std::memcmp(signature, "8BPS", 4) != 0) return kReadPsdLayout;
  if (!file.readU16BE(version) || version != 1) return kReadPsdLayout;
  if (!file.skip(6) || !file.readU16BE(h.channels) || !file.readU32BE(h.height) || !file.readU32BE(h.width) ||
      !file.readU16BE(depth) || !file.readU16BE(mode))
    return kReadPsdLayout;
  if (depth != 8 || mode != 3) return kReadPsdNot8BitRgb;
  if (!skipSection(file) || !skipSection(file)) return kReadPsdLayout;
  return kReadOk;
}

// Cuts a name to 31 bytes, never inside a double-byte character.
void cutName(const uint8_t* bytes, size_t length, char out[kLayerNameBytes]) {
  std::memset(out, 0, kLayerNameBytes);
  size_t end = 0;
  while (end < length && bytes[end] != 0) {
    size_t len = bytes[end] >= 0x81 ? 2 : 1;
    if (end + len > length || end + len > size_t(kLayerNameBytes - 1)) break;
    end += len;
  }
  std::memcpy(out, bytes, end);
}

// Layer mask data, blending ranges and the name inside the extra data.
bool readExtraData(File& file, uint32_t extraLength, LayerRecord& r) {
  int64_t end = file.position() + extraLength;
  uint32_t length = 0;
  if (!file.readU32BE(length) || int64_t(length) > end - file.position() || !file.skip(length)) return false;
  if (!file.readU32BE(length) || int64_t(length) > end - file.position() || !file.skip(length)) return false;
  uint8_t nameLength = 0;
  if (file.position() < end && file.readU8(nameLength)) {
    uint8_t bytes[128];
    size_t n = std::min<size_t>(nameLength >= 128 ? 127 : nameLength, size_t(end - file.position()));
    if (!file.readAll(bytes, n)) return false;
    cutName(bytes, n, r.name);
  }
  return file.seek(end);
}

int readLayerRecord(File& file, int64_t infoEnd, LayerRecord& r) {
  uint32_t t = 0, l = 0, b = 0, rt = 0, extraLength = 0;
  uint16_t channelCount = 0;
  if (!file.readU32BE(t) || !file.readU32BE(l) || !file.readU32BE(b) || !file.readU32BE(rt) ||
      !file.readU16BE(channelCount))
    return kReadPsdLayout;
  r.top = int32_t(t), r.left = int32_t(l), r.bottom = int32_t(b), r.right = int32_t(rt);
  if (channelCount > kMaxChannels) return kReadPsdLayout;
  r.channels.resize(channelCount);
  for (ChannelInfo& c : r.channels) {
    uint16_t id = 0;
    if (!file.readU16BE(id) || !file.readU32BE(c.length)) return kReadPsdLayout;
    c.id = int16_t(id);
  }
  char signature[4], key[4];
  uint8_t clipping = 0, filler = 0;
  if (!file.readAll(signature, 4) || std::memcmp(signature, "8BIM", 4) != 0) return kReadPsdLayout;
  if (!file.readAll(key, 4) || !file.readU8(r.opacity) || !file.readU8(clipping) || !file.readU8(r.flags) ||
      !file.readU8(filler) || !file.readU32BE(extraLength))
    return kReadPsdLayout;
  r.blendMode = blendModeFromPsdKey(key);
  if (int64_t(extraLength) > infoEnd - file.position()) return kReadPsdLayout;
  if (extraLength != 0 && !readExtraData(file, extraLength, r)) return kReadPsdLayout;
  return kReadOk;
}

// Growable byte buffer that reports allocation failure instead of throwing.
class ByteBuffer {
 public:
  uint8_t* reserve(size_t n) {
    if (n > capacity_) {
      data_.reset(new (std::nothrow) uint8_t[n]);
      capacity_ = data_ ? n : 0;
    }
    return data_.get();
  }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t capacity_ = 0;
};

int byteIndexOfChannel(int id) {
  switch (id) {
    case 0: return 2;
    case 1: return 1;
    case 2: return 0;
    case -1: return 3;
    default: return -1;
  }
}

// One channel of a layer into its byte of the image.
int readChannel(File& file, const ChannelInfo& c, const LayerRecord& r, Image32& image, ByteBuffer& buffer) {
  if (int64_t(c.length) > remaining(file)) return kReadPsdLayout;
  int byteIndex = byteIndexOfChannel(c.id);
  if (c.id == -2 || c.length < 2) return file.skip(c.length) ? kReadOk : kReadPsdLayout;
  uint16_t compression = 0;
  if (!file.readU16BE(compression)) return kReadPsdLayout;
  if (compression > 1) return kReadPsdLayout;
  size_t size = c.length - 2;
  uint8_t* data = buffer.reserve(std::max<size_t>(size, 1));
  if (!data) return kReadFailed;
  if (!file.readAll(data, size)) return kReadPsdLayout;
  if (byteIndex < 0) return kReadOk;   // a channel this program has no place for
  int64_t width = int64_t(r.right) - r.left, height = int64_t(r.bottom) - r.top;
  PlaneWriter plane(image, byteIndex, r.left, r.top, width, height);
  if (compression == 1) {
    size_t counts = height > 0 ? size_t(std::min<int64_t>(height * 2, int64_t(size))) : 0;
    unpackBits(data + counts, size - counts, plane);
  } else {
    plane.put(data, size);
  }
  return kReadOk;
}

void fallBackToBlank(Document& document) {
  if (document.layerCount() > 0) return;
  if (!document.newImage(blankCanvasSide, blankCanvasSide, true) && document.layerCount() == 0)
    document.layers().add(document.width(), document.height(), true);
  document.selectLayer(0);
}

int readLayerPixels(File& file, const LayerRecord& r, Document& document, ByteBuffer& buffer) {
  Layer* layer = document.layers().add(document.width(), document.height(), false);
  if (!layer) return kReadFailed;
  layer->image.fill(0);
  for (const ChannelInfo& c : r.channels) {
    if (int result = readChannel(file, c, r, layer->image, buffer); result != kReadOk) {
      document.layers().remove(layer);
      return result;
    }
  }
  std::memcpy(layer->name, r.name, kLayerNameBytes);
  layer->blendMode = r.blendMode;
  layer->opacity = layerOpacityFromPsd(r.opacity);
  layer->maskMode = 0;
  layer->flags = (r.flags & 2) ? 0 : kLayerVisible;
  layer->image.normaliseTransparent();
  return kReadOk;
}

// The merged image from the file's position: compression, then the channels.
bool readImageData(File& file, const PsdHeader& h, Image32& image) {
  uint16_t compression = 0;
  if (h.channels < 3 || !file.readU16BE(compression) || compression > 1) return false;
  const int used = h.channels > 3 ? 4 : 3;
  const int64_t plane = int64_t(h.width) * h.height;
  std::vector<uint64_t> sizes(size_t(used), static_cast<uint64_t>(plane));
  if (compression == 1) {
    int64_t tableBytes = int64_t(h.channels) * h.height * 2;
    if (tableBytes > remaining(file)) return false;
    ByteBuffer table;
    uint8_t* t = table.reserve(size_t(std::max<int64_t>(tableBytes, 1)));
    if (!t || !file.readAll(t, size_t(tableBytes))) return false;
    for (int c = 0; c < used; ++c) {
      uint32_t sum = 0;
      for (size_t y = 0, at = size_t(c) * h.height * 2; y < h.height; ++y, at += 2) 
        sum += readBE16(t + at);
      sizes[size_t(c)] = sum;
    }
    // The planes of further channels are not needed.
  }
  for (int c = 0; c < used; ++c)
    if (int64_t(sizes[size_t(c)]) > remaining(file)) return false;
  if (!image.create(int(h.width), int(h.height))) return false;
  image.fill(0xFF000000u);
  ByteBuffer buffer;
  static const int kByteOf[4] = {2, 1, 0, 3};
  for (int c = 0; c < used; ++c) {
    uint8_t* data = buffer.reserve(std::max<size_t>(sizes[size_t(c)], 1));
    if (!data || !file.readAll(data, sizes[size_t(c)])) return false;
    PlaneWriter writer(image, kByteOf[c], 0, 0, h.width, h.height);
    if (compression == 1)
      unpackBits(data, sizes[size_t(c)], writer);
    else
      writer.put(data, sizes[size_t(c)]);
  }
  if (used == 4) {
    uint8_t* p = image.bits();
    for (size_t i = 0, n = image.byteSize(); i < n; i += 4) {
      const int a = p[i + 3];
      for (int k = 0; k < 3; ++k) p[i + k] = uint8_t(255 + std::lround(a * (p[i + k] - 255) / 255.0));
      p[i + 3] = 255;
    }
  }
  return true;
}

// A file without layer records: one layer holding the merged image.
int readCompositeAsLayer(File& file, const PsdHeader& h, int64_t imageData, Document& document) {
  Image32 merged;
  if (!file.seek(imageData) || !readImageData(file, h, merged)) return kReadPsdLayout;
  if (!document.newImage(int(h.width), int(h.height), true)) return kReadFailed;
  document.currentLayer()->image.copyFrom(merged);
  return kReadOk;
}

int readAllRecords(File& file, int count, int64_t infoEnd, std::vector<LayerRecord>& records) {
  records.resize(size_t(count));
  for (LayerRecord& r : records)
    if (int result = readLayerRecord(file, infoEnd, r); result != kReadOk) return result;
  return kReadOk;
}

int readLayers(File& file, const PsdHeader& h, Document& document, Progress* progress) {
  uint32_t sectionLength = 0, infoLength = 0;
  if (!file.readU32BE(sectionLength) || int64_t(sectionLength) > remaining(file)) return kReadPsdLayout;
  const int64_t imageData = file.position() + sectionLength;
  uint16_t rawCount = 0;
  if (sectionLength < 6 || !file.readU32BE(infoLength) || infoLength < 2 || infoLength > sectionLength - 4 ||
      !file.readU16BE(rawCount) || rawCount == 0)
    return readCompositeAsLayer(file, h, imageData, document);
  const int count = std::abs(int(int16_t(rawCount)));
  const int64_t infoEnd = file.position() - 2 + infoLength;
  if (!document.newImage(int(h.width), int(h.height), false)) return kReadFailed;
  if (progress) progress->setRange(count);
  std::vector<LayerRecord> records;
  if (int result = readAllRecords(file, count, infoEnd, records); result != kReadOk) return result;
  ByteBuffer buffer;
  for (const LayerRecord& r : records) {
    if (int result = readLayerPixels(file, r, document, buffer); result != kReadOk) return result;
    if (progress) progress->step();
  }
  document.layers().setNameCounter(count);
  document.selectLayer(0);
  return kReadOk;
}

}  // namespace

const char* psdKeyFromBlendMode(int mode) {
  static const char* const kKeys[21] = {"norm", "mul ", "norm", "norm", "scrn", "over", "sLit",
                                        "hLit", "div ", "idiv", "norm", "norm", "norm", "norm",
                                        "diff", "lite", "dark", "hue ", "sat ", "colr", "lum "};
  return (mode >= 0 && mode <= 20) ? kKeys[mode] : "norm";
}

uint8_t blendModeFromPsdKey(const char key[4]) {
  static const struct {
    char key[5];
    uint8_t mode;
  } kTable[17] = {{"norm", 0},  {"dark", 16}, {"lite", 15}, {"mul ", 1},  {"scrn", 4}, {"over", 5},
                  {"hLit", 7},  {"sLit", 6},  {"diff", 14}, {"div ", 8},  {"idiv", 9}, {"hue ", 17},
                  {"sat ", 18}, {"colr", 19}, {"diss", 0},  {"smud", 0},  {"lum ", 20}};
  for (const auto& entry : kTable)
    if (std::memcmp(entry.key, key, 4) == 0) return entry.mode;
  return 0;
}

uint8_t psdOpacityFromLayer(uint8_t opacity) {
  return uint8_t(std::min(int(float(opacity) * 1.9921875f + 0.5f), 255));
}

uint8_t layerOpacityFromPsd(uint8_t opacity) { return uint8_t((opacity * 256 + 255) / 510); }

int readPsdLayers(const std::string& path, Document& document, Progress* progress) {
  File file;
  if (!file.openRead(path)) return kReadFailed;
  PsdHeader h;
  if (int result = readHeader(file, h); result != kReadOk) return result;
  if (h.width > uint32_t(kMaxCanvasSize) || h.height > uint32_t(kMaxCanvasSize)) return kReadTooLarge;
  if (h.width == 0 || h.height == 0) return kReadPsdLayout;
  int result = readLayers(file, h, document, progress);
  if (result != kReadOk) fallBackToBlank(document);
  return result;
}

bool readPsdComposite(const std::string& path, Image32& image) {
  File file;
  PsdHeader h;
  if (!file.openRead(path) || readHeader(file, h) != kReadOk || h.width == 0 || h.height == 0 ||
      h.width > uint32_t(kMaxPsdSide) || h.height > uint32_t(kMaxPsdSide) || !skipSection(file))
    return false;
  Image32 merged;
  if (!readImageData(file, h, merged)) return false;
  image = std::move(merged);
  return true;
}

}  // namespace tessel

namespace tessel {

namespace {

// Where each row of each used channel starts, and its length, from the row
// byte counts of a packed merged image or the plane size of a raw one.
bool rowPlaces(File& file, const PsdHeader& h, int used, std::vector<int64_t>& start, std::vector<uint32_t>& length,
               bool& packed) {
  uint16_t compression = 0;
  if (h.channels < 3 || !file.readU16BE(compression) || compression > 1) return false;
  const size_t rows = size_t(used) * h.height;
  start.resize(rows);
  length.resize(rows);
  int64_t at = 0;
  if (compression == 1) {
    const int64_t tableBytes = int64_t(h.channels) * h.height * 2;
    if (tableBytes > remaining(file)) return false;
    std::vector<uint8_t> table(static_cast<size_t>(tableBytes));
    if (!file.readAll(table.data(), table.size())) return false;
    for (size_t i = 0; i < rows; ++i) {
      length[i] = readBE16(table.data() + 2 * i);
      start[i] = at;
      at += length[i];
    }
  } else {
    for (size_t i = 0; i < rows; ++i) {
      length[i] = h.width;
      start[i] = at;
      at += h.width;
    }
  }
  if (at > remaining(file)) return false;
  packed = compression == 1;
  const int64_t base = file.position();
  for (int64_t& s : start) s += base;
  return true;
}

}  // namespace

bool readPsdThumbnail(const std::string& path, int side, Image32& thumb) {
  File file;
  PsdHeader h;
  if (!file.openRead(path) || readHeader(file, h) != kReadOk || h.width == 0 || h.height == 0 ||
      h.width > uint32_t(kMaxPsdSide) || h.height > uint32_t(kMaxPsdSide) || !skipSection(file))
    return false;
  const int used = h.channels > 3 ? 4 : 3;
  std::vector<int64_t> start;
  std::vector<uint32_t> length;
  ThumbnailSink sink;
  Image32 row;
  bool packed = false;
  if (!rowPlaces(file, h, used, start, length, packed) || !sink.begin(int(h.width), int(h.height), side) ||
      !row.create(int(h.width), 1))
    return false;
  std::vector<uint8_t> data;
  static const int kByteOf[4] = {2, 1, 0, 3};
  for (int y = 0; y < int(h.height); ++y) {
    if (!sink.wantsRow(y)) continue;
    row.fill(0xFF000000u);
    for (int c = 0; c < used; ++c) {
      const size_t i = size_t(c) * h.height + size_t(y);
      data.resize(std::max<size_t>(length[i], 1));
      if (!file.seek(start[i]) || !file.readAll(data.data(), length[i])) return false;
      PlaneWriter writer(row, kByteOf[c], 0, 0, h.width, 1);
      if (packed)
        unpackBits(data.data(), length[i], writer);
      else
        writer.put(data.data(), length[i]);
    }
    Pixel* p = row.row(0);
    if (used == 4) {
      // Over white, as the merged image reads.
      uint8_t* b = reinterpret_cast<uint8_t*>(p);
      for (size_t k = 0; k < size_t(h.width) * 4; k += 4) {
        const int a = b[k + 3];
        for (int j = 0; j < 3; ++j) b[k + j] = uint8_t(255 + std::lround(a * (b[k + j] - 255) / 255.0));
        b[k + 3] = 255;
      }
    }
    sink.addRow(y, p);
  }
  return sink.finish(thumb);
}

}  // namespace tessel
