#include "formats/native_document.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "document/document.h"
#include "formats/zlib_stream.h"

namespace tessel {

namespace {

constexpr int kLayerLevel = 6;
constexpr int kFallbackSize = 400;

struct NativeHeader {
  uint16_t width = 0, height = 0, layerCount = 0, nameCounter = 0, current = 0;
};

// Magic, version and the header body. Leaves the file at the preview block.
int readNativeHeader(File& file, NativeHeader& h) {
  char magic[sizeof kNativeMagic];
  uint8_t version = 0;
  uint32_t bodySize = 0;
  if (!file.readAll(magic, sizeof magic) || std::memcmp(magic, kNativeMagic, sizeof magic) != 0)
    return kReadFormatError;
  if (!file.readU8(version) || version != 0) return kReadFormatError;
  // A body below 10 bytes would overlap the preview block: not readable safely.
  if (!file.readU32LE(bodySize) || bodySize < kNativeHeaderBody) return kReadFormatError;
  if (!file.readU16LE(h.width) || !file.readU16LE(h.height) || !file.readU16LE(h.layerCount) ||
      !file.readU16LE(h.nameCounter) || !file.readU16LE(h.current))
    return kReadFormatError;
  if (h.width > kMaxCanvasSize || h.height > kMaxCanvasSize) return kReadTooLarge;
  // An empty canvas or a document without layers cannot be shown.
  if (h.width == 0 || h.height == 0 || h.layerCount == 0) return kReadFormatError;
  if (!file.skip(bodySize - kNativeHeaderBody)) return kReadFormatError;
  return kReadOk;
}

// A name without a terminator is cut to 31 bytes, never inside a double-byte character.
void takeLayerName(const uint8_t* field, char* name) {
  std::memcpy(name, field, kLayerNameBytes);
  if (std::memchr(name, 0, kLayerNameBytes)) return;
  int end = 0;
  while (end < kLayerNameBytes - 1) {
    int len = (uint8_t(name[end]) >= 0x81) ? 2 : 1;
    if (end + len > kLayerNameBytes - 1) break;
    end += len;
  }
  std::memset(name + end, 0, size_t(kLayerNameBytes - end));
}

// Leaves a blank 400 x 400 image; the document keeps a layer even when even that fails.
void fallBackToBlank(Document& document) {
  if (document.newImage(kFallbackSize, kFallbackSize, true)) return;
  if (document.layerCount() == 0) document.layers().add(document.width(), document.height(), true);
  document.selectLayer(0);
}

int finishRead(Document& document, const NativeHeader& h, int result) {
  document.layers().setNameCounter(h.nameCounter);
  document.selectLayer(h.current < document.layerCount() ? h.current : 0);
  return result;
}

// One layer record into a freshly added layer.
bool readLayerRecord(File& file, uint32_t recordHeader, Layer& layer) {
  uint8_t record[kNativeRecordHeader];
  if (!file.readAll(record, sizeof record)) return false;
  takeLayerName(record, layer.name);
  layer.blendMode = record[32] <= 20 ? record[32] : 0;
  layer.opacity = std::min<uint8_t>(record[33], kFullOpacity);
  unpackLayerFlags(record[34], layer.flags, layer.maskMode);
  uint32_t compressed = 0;
  if (!file.skip(recordHeader - kNativeRecordHeader) || !file.readU32LE(compressed)) return false;
  return inflateFromFile(file, layer.image.bits(), layer.image.byteSize(), compressed);
}

}  // namespace

PreviewSize fitPreview(int width, int height) {
  PreviewSize s{width, height};
  if (width > kPreviewBox || height > kPreviewBox) {
    int e = width * kPreviewBox / height;
    if (e >= kPreviewBox)
      s = {kPreviewBox, height * kPreviewBox / width};
    else
      s = {e, kPreviewBox};
  }
  // A very thin canvas still gets a row or column.
  s.width = std::max(s.width, 1);
  s.height = std::max(s.height, 1);
  return s;
}

void downscaleAreaAverage(const Image32& src, Image32& dst) {
  const int sw = src.width(), sh = src.height(), dw = dst.width(), dh = dst.height();
  std::vector<int> columnOf(size_t(sw), 0);
  for (int x = 0; x < sw; ++x) columnOf[size_t(x)] = int(int64_t(x) * dw / sw);
  std::vector<uint64_t> sums(static_cast<size_t>(dw) * 4);
  std::vector<uint32_t> counts(static_cast<size_t>(dw));
  int sy = 0;
  for (int y = 0; y < dh; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    std::fill(counts.begin(), counts.end(), 0);
    int syEnd = int(int64_t(y + 1) * sh / dh);
    for (; sy < syEnd; ++sy) {
      const Pixel* row = src.row(sy);
      for (int x = 0; x < sw; ++x) {
        Pixel p = row[x];
        size_t c = size_t(columnOf[size_t(x)]);
        sums[c * 4] += blueOf(p);
        sums[c * 4 + 1] += greenOf(p);
        sums[c * 4 + 2] += redOf(p);
        sums[c * 4 + 3] += alphaOf(p);
        ++counts[c];
      }
    }
    Pixel* out = dst.row(y);
    for (int x = 0; x < dw; ++x) {
      uint64_t n = std::max<uint32_t>(counts[size_t(x)], 1), h = n / 2;
      const uint64_t* s = &sums[size_t(x) * 4];
      out[x] = makePixel(uint32_t((s[3] + h) / n), uint32_t((s[2] + h) / n), uint32_t((s[1] + h) / n),
                         uint32_t((s[0] + h) / n));
    }
  }
}

uint8_t packLayerFlags(uint8_t flags, uint8_t maskMode) {
  uint8_t packed = flags & kLayerVisible;
  if (maskMode == 3)
    packed |= 0x08;
  else
    packed |= uint8_t((maskMode & 3) << 1);
  if (flags & kLayerFillReference) packed |= 0x10;
  return packed;
}

void unpackLayerFlags(uint8_t packed, uint8_t& flags, uint8_t& maskMode) {
  flags = uint8_t((packed & 0x01) ? kLayerVisible : 0);
  if (packed & 0x10) flags |= kLayerFillReference;
  maskMode = (packed & 0x08) ? 3 : uint8_t((packed >> 1) & 3);
}

int readDocument(const std::string& path, Document& document, Progress* progress) {
  File file;
  if (!file.openRead(path)) return kReadCannotOpen;
  NativeHeader h;
  if (int r = readNativeHeader(file, h); r != kReadOk) return r;
  uint32_t previewBytes = 0, recordHeader = 0;
  if (!file.skip(4) || !file.readU32LE(previewBytes) || !file.skip(previewBytes)) return kReadFormatError;
  if (progress) progress->setRange(h.layerCount);
  // A record header below 35 bytes would make fields overlap.
  if (!file.readU32LE(recordHeader) || recordHeader < kNativeRecordHeader) return kReadFormatError;
  if (!document.newImage(h.width, h.height, false)) return kReadOutOfMemory;

  for (int i = 0; i < h.layerCount; ++i) {
    Layer* layer = document.layers().add(h.width, h.height, false);
    if (!layer) {
      file.close();
      fallBackToBlank(document);
      return kReadOutOfMemory;
    }
    if (!readLayerRecord(file, recordHeader, *layer)) return finishRead(document, h, kReadDecompressFailed);
    if (progress) progress->step();
  }
  return finishRead(document, h, kReadOk);
}

bool writeDocumentTo(File& file, Document& document, Progress* progress) {
  const int count = document.layerCount();
  if (count < 1) return false;
  bool ok = file.writeAll(kNativeMagic, sizeof kNativeMagic) && file.writeU8(0) &&
            file.writeU32LE(kNativeHeaderBody) && file.writeU16LE(uint16_t(document.width())) &&
            file.writeU16LE(uint16_t(document.height())) && file.writeU16LE(uint16_t(count)) &&
            file.writeU16LE(uint16_t(document.layers().nameCounter())) &&
            file.writeU16LE(uint16_t(document.currentIndex()));
  if (!ok) return false;
  {
    Image32 flat, preview;
    PreviewSize size = fitPreview(document.width(), document.height());
    if (!document.flatten(flat, nullptr, false) || !preview.create(size.width, size.height)) return false;
    downscaleAreaAverage(flat, preview);
    uint32_t bytes = uint32_t(preview.byteSize());
    if (!file.writeU16LE(uint16_t(size.width)) || !file.writeU16LE(uint16_t(size.height)) ||
        !file.writeU32LE(bytes) || !file.writeAll(preview.bits(), bytes))
      return false;
  }
  if (progress) progress->step();
  if (!file.writeU32LE(kNativeRecordHeader)) return false;
  for (int i = count - 1; i >= 0; --i) {
    Layer& layer = *document.layers().atIndex(i);
    if (!file.writeAll(layer.name, kLayerNameBytes) || !file.writeU8(layer.blendMode) ||
        !file.writeU8(layer.opacity) || !file.writeU8(packLayerFlags(layer.flags, layer.maskMode)))
      return false;
    int64_t sizeField = file.position();
    if (sizeField < 0 || !file.writeU32LE(0)) return false;
    uint32_t compressed = deflateToFile(file, layer.image.bits(), layer.image.byteSize(), kLayerLevel, nullptr);
    if (compressed == 0 || !file.seek(sizeField) || !file.writeU32LE(compressed) || !file.seekToEnd())
      return false;
    if (progress) progress->step();
  }
  return true;
}

bool writeDocument(const std::string& path, Document& document, Progress* progress) {
  return saveReplacing(path, [&](File& file) { return writeDocumentTo(file, document, progress); });
}

bool readPreview(const std::string& path, Image32& image) {
  File file;
  if (!file.openRead(path)) return false;
  char magic[sizeof kNativeMagic];
  uint8_t version = 1;
  uint32_t bodySize = 0, bytes = 0;
  uint16_t width = 0, height = 0;
  if (!file.readAll(magic, sizeof magic) || std::memcmp(magic, kNativeMagic, sizeof magic) != 0 ||
      !file.readU8(version) || version != 0 || !file.readU32LE(bodySize) || bodySize < kNativeHeaderBody ||
      !file.skip(bodySize) || !file.readU16LE(width) || !file.readU16LE(height) || !file.readU32LE(bytes))
    return false;
  if (width == 0 || height == 0 || bytes == 0) return false;
  // Never more than the image holds, and never more than the file holds.
  if (uint64_t(bytes) != uint64_t(width) * height * 4 || int64_t(bytes) > file.size() - file.position())
    return false;
  Image32 preview;
  if (!preview.create(width, height) || !file.readAll(preview.bits(), bytes)) return false;
  image = std::move(preview);
  return true;
}

}  // namespace tessel
