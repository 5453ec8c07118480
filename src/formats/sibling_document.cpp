#include "formats/sibling_document.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "document/document.h"
#include "io/file.h"
#include "formats/native_document.h"
#include "formats/reader_limits.h"
#include "formats/zlib_stream.h"

namespace tessel {

namespace {

constexpr int kLevel = 6;

struct SiblingHeader {
  uint16_t width = 0, height = 0, layerCount = 0, nameCounter = 0, current = 0;
};

bool readMagic(File& file) {
  char magic[sizeof kSiblingMagic];
  uint8_t version = 1;
  return file.readAll(magic, sizeof magic) && std::memcmp(magic, kSiblingMagic, sizeof magic) == 0 &&
         file.readU8(version) && version == 0;
}

int readHeader(File& file, SiblingHeader& h) {
  if (!readMagic(file)) return kReadFormatError;
  if (!file.readU16LE(h.width) || !file.readU16LE(h.height)) return kReadFormatError;
  if (h.width > kMaxCanvasSize || h.height > kMaxCanvasSize) return kReadTooLarge;
  uint8_t version2 = 1;
  if (!file.readU16LE(h.layerCount) || !file.readU16LE(h.nameCounter) || !file.readU16LE(h.current) ||
      !file.readU8(version2) || version2 != 0)
    return kReadFormatError;
  // An empty canvas or a document without layers cannot be shown.
  if (h.width == 0 || h.height == 0 || h.layerCount == 0) return kReadFormatError;
  return kReadOk;
}

void fallBackToBlank(Document& document) {
  if (document.newImage(blankCanvasSide, blankCanvasSide, true)) return;
  if (document.layerCount() == 0) document.layers().add(document.width(), document.height(), true);
  document.selectLayer(0);
}

// Coverage c > 0 becomes colour with alpha c; coverage 0 transparent white.
void coverageToLayer(const uint8_t* coverage, uint32_t colour, Image32& image) {
  const int w = image.width(), stride = siblingRowBytes(w);
  for (int y = 0; y < image.height(); ++y) {
    const uint8_t* src = coverage + size_t(y) * size_t(stride);
    Pixel* dst = image.row(y);
    for (int x = 0; x < w; ++x)
      dst[x] = src[x] ? (Pixel(src[x]) << 24 | (colour & 0xFFFFFFu)) : kTransparent;
  }
}

// A name without a terminator is cut to 31 bytes, never inside a double-byte character.
void takeName(const uint8_t* field, char* name) {
  std::memcpy(name, field, kLayerNameBytes);
  if (std::memchr(name, 0, kLayerNameBytes)) return;
  int end = 0;
  while (end < kLayerNameBytes - 1) {
    int len = field[end] >= 0x81 ? 2 : 1;
    if (end + len > kLayerNameBytes - 1) break;
    end += len;
  }
  std::memset(name + end, 0, size_t(kLayerNameBytes - end));
}

bool readRecord(File& file, Layer& layer, uint8_t* coverage, size_t coverageSize) {
  uint8_t name[kLayerNameBytes];
  uint8_t opacity = 0, flags = 0;
  uint32_t colour = 0, compressed = 0;
  if (!file.readAll(name, sizeof name) || !file.readU8(opacity) || !file.readU8(flags) ||
      !file.readU32LE(colour) || !file.readU32LE(compressed))
    return false;
  takeName(name, layer.name);
  layer.opacity = std::min<uint8_t>(opacity, kFullOpacity);
  layer.flags = (flags & 1) ? kLayerVisible : 0;
  layer.blendMode = 0;
  layer.maskMode = 0;
  std::memset(coverage, 0, coverageSize);
  bool ok = inflateFromFile(file, coverage, coverageSize, compressed);
  coverageToLayer(coverage, colour, layer.image());
  return ok;
}

}  // namespace

int readSibling(const std::string& path, Document& document, Progress* progress) {
  File file;
  if (!file.openRead(path)) return kReadCannotOpen;
  SiblingHeader h;
  if (int r = readHeader(file, h); r != kReadOk) return r;
  uint32_t compositeSize = 0;
  if (!file.readU32LE(compositeSize) || !file.skip(compositeSize)) return kReadFormatError;
  if (progress) progress->setRange(h.layerCount);
  const size_t coverageSize = size_t(siblingRowBytes(h.width)) * h.height;
  std::unique_ptr<uint8_t[]> coverage(new (std::nothrow) uint8_t[coverageSize]);
  if (!coverage || !document.newImage(h.width, h.height, false)) return kReadOutOfMemory;
  for (int i = 0; i < h.layerCount; ++i) {
    Layer* layer = document.layers().add(h.width, h.height, false);
    if (!layer) {
      file.close();
      fallBackToBlank(document);
      return kReadOutOfMemory;
    }
    if (!readRecord(file, *layer, coverage.get(), coverageSize)) {
      document.layers().setNameCounter(h.nameCounter);
      document.selectLayer(0);
      return kReadDecompressFailed;
    }
    layer->park();   // one layer flat at a time; on failure it simply stays flat
    if (progress) progress->step();
  }
  document.layers().setNameCounter(h.nameCounter);
  document.selectLayer(h.current < document.layerCount() ? h.current : 0);
  return kReadOk;
}

namespace {

bool writeSiblingTo(File& file, Document& document, Progress* progress) {
  const int w = document.width(), h = document.height(), count = document.layerCount();
  const size_t stride = size_t(siblingRowBytes(w)), coverageSize = stride * size_t(h);
  std::unique_ptr<uint8_t[]> coverage(new (std::nothrow) uint8_t[coverageSize]);
  if (!coverage || count < 1) return false;
  std::memset(coverage.get(), 0, coverageSize);
  if (!file.writeAll(kSiblingMagic, sizeof kSiblingMagic) || !file.writeU8(0) || !file.writeU16LE(uint16_t(w)) ||
      !file.writeU16LE(uint16_t(h)) || !file.writeU16LE(uint16_t(count)) ||
      !file.writeU16LE(uint16_t(document.layers().nameCounter())) ||
      !file.writeU16LE(uint16_t(document.currentIndex())) || !file.writeU8(0))
    return false;
  {
    Image32 flat;
    if (!document.flatten(flat, nullptr, false)) return false;
    int64_t field = file.position();
    if (field < 0 || !file.writeU32LE(0)) return false;
    uint32_t packed = deflateToFile(file, flat.bits(), flat.byteSize(), kLevel, nullptr);
    if (packed == 0 || !file.seek(field) || !file.writeU32LE(packed) || !file.seekToEnd()) return false;
  }
  if (progress) progress->step();
  for (int i = count - 1; i >= 0; --i) {
    const Layer& layer = *document.layers().atIndex(i);
    if (!file.writeAll(layer.name, kLayerNameBytes) || !file.writeU8(layer.opacity) ||
        !file.writeU8(layer.flags & kLayerVisible) || !file.writeU32LE(0))
      return false;
    for (int y = 0; y < h; ++y) {
      const Pixel* src = layer.image().row(y);
      uint8_t* dst = coverage.get() + size_t(y) * stride;
      for (int x = 0; x < w; ++x) dst[x] = alphaOf(src[x]);
    }
    int64_t field = file.position();
    if (field < 0 || !file.writeU32LE(0)) return false;
    uint32_t packed = deflateToFile(file, coverage.get(), coverageSize, kLevel, nullptr);
    if (packed == 0 || !file.seek(field) || !file.writeU32LE(packed) || !file.seekToEnd()) return false;
    if (progress) progress->step();
  }
  return true;
}

}  // namespace

bool writeSibling(const std::string& path, Document& document, Progress* progress) {
  return saveReplacing(path, [&](File& file) { return writeSiblingTo(file, document, progress); });
}

bool readSiblingComposite(const std::string& path, Image32& image) {
  File file;
  uint16_t width = 0, height = 0;
  uint32_t compressed = 0;
  if (!file.openRead(path) || !readMagic(file) || !file.readU16LE(width) || !file.readU16LE(height) ||
      !file.skip(7) || !file.readU32LE(compressed))
    return false;
  if (compressed == 0 || width == 0 || height == 0 || width > kMaxCanvasSize || height > kMaxCanvasSize)
    return false;
  Image32 composite;
  if (!composite.create(width, height) ||
      !inflateFromFile(file, composite.bits(), composite.byteSize(), compressed))
    return false;
  image = std::move(composite);
  return true;
}

}  // namespace tessel
