#include "formats/native_document.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <zlib.h>

#include "document/document.h"
#include "formats/native_document_lanes.h"
#include "formats/reader_limits.h"
#include "formats/tile_deflate.h"
#include "formats/zlib_stream.h"

namespace tessel {

namespace {

constexpr int kLayerLevel = 6;

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

// Leaves a blank square image (400 x 400); the document keeps a layer even when even that fails.
void fallBackToBlank(Document& document) {
  if (document.newImage(blankCanvasSide, blankCanvasSide, true)) return;
  if (document.layerCount() == 0) document.layers().add(document.width(), document.height(), true);
  document.selectLayer(0);
}

int finishRead(Document& document, const NativeHeader& h, int result) {
  document.layers().setNameCounter(h.nameCounter);
  document.selectLayer(h.current < document.layerCount() ? h.current : 0);
  return result;
}

// The fixed fields of a layer record: name, blend mode, opacity and flags.
void applyRecordFields(const uint8_t* record, Layer& layer) {
  takeLayerName(record, layer.name);
  layer.blendMode = record[32] <= 20 ? record[32] : 0;
  layer.opacity = std::min<uint8_t>(record[33], kFullOpacity);
  unpackLayerFlags(record[34], layer.flags, layer.maskMode);
}

// One layer record into a freshly added layer.
bool readLayerRecord(File& file, uint32_t recordHeader, Layer& layer) {
  uint8_t record[kNativeRecordHeader];
  if (!file.readAll(record, sizeof record)) return false;
  applyRecordFields(record, layer);
  uint32_t compressed = 0;
  if (!file.skip(recordHeader - kNativeRecordHeader) || !file.readU32LE(compressed)) return false;
  return inflateFromFile(file, layer.image().bits(), layer.image().byteSize(), compressed);
}

// Records first .. N-1, one at a time, into the document newImage made.
int readLayersFrom(File& file, Document& document, const NativeHeader& h, uint32_t recordHeader, int first,
                   Progress* progress) {
  for (int i = first; i < h.layerCount; ++i) {
    Layer* layer = document.layers().add(h.width, h.height, false);
    if (!layer) {
      file.close();
      fallBackToBlank(document);
      return kReadOutOfMemory;
    }
    if (!readLayerRecord(file, recordHeader, *layer)) return finishRead(document, h, kReadDecompressFailed);
    layer->park();
    if (progress) progress->step();
  }
  return finishRead(document, h, kReadOk);
}

// Bytes from `from` on as a transparent layer stores them (B, G, R = 0xFF, A = 0).
void fillTransparentFrom(Image32& image, size_t from) {
  uint8_t* bytes = image.bits();
  const size_t size = image.byteSize();
  for (; from < size && from % 4 != 0; ++from) bytes[from] = (from % 4 == 3) ? 0x00 : 0xFF;
  if (from < size) std::fill_n(reinterpret_cast<Pixel*>(bytes + from), (size - from) / 4, kTransparent);
}

std::atomic<bool> gTwoLanes{true};

// Where one record's stream lies, found by the calling thread, and the layer
// image a lane inflates it into.
struct LoadSlot {
  int64_t dataStart = 0;
  uint8_t record[kNativeRecordHeader] = {};
  bool recordRead = false, sizeRead = false;   // how far the record header arrived
  uint32_t compressed = 0;
  Image32 image;   // empty when it could not be made
  bool inflated = false;
  InflateResult span;
  std::vector<ByteRange> transparent;   // ready-made blocks, left unwritten in image
};

// Reads the record headers ahead on the calling thread while both lanes
// inflate the streams with positional reads into new images, then adds the
// layers in file order with exactly the results of readLayersFrom. A record
// is looked for where the previous record's size field says it starts; when
// a stream turns out shorter than that, the records found after it are
// dropped and looked for again from where it ended.
class LayerLoader {
 public:
  LayerLoader(File& file, Document& document, const NativeHeader& h, uint32_t recordHeader, Progress* progress)
      : file_(file), document_(document), h_(h), recordHeader_(recordHeader), progress_(progress),
        lanes_([this](int job) { inflateJob(slot(job)); }) {}

  bool start() { return lanes_.start(); }
  int run();

 private:
  static constexpr int kNext = -100;   // consume(): go on with the next record

  LoadSlot& slot(int job) { return slots_[size_t(job % JobLanes::kSlots)]; }
  bool mayRead() const { return reading_ && read_ < h_.layerCount && read_ < consumed_ + JobLanes::kSlots; }
  void readNext();
  void inflateJob(LoadSlot& s);
  void retryAlone(LoadSlot& s);
  int consume(LoadSlot& s);

  File& file_;
  Document& document_;
  const NativeHeader& h_;
  const uint32_t recordHeader_;
  Progress* const progress_;
  int read_ = 0, consumed_ = 0;
  bool reading_ = true;
  std::array<LoadSlot, JobLanes::kSlots> slots_;
  JobLanes lanes_;   // declared last: its helper stops before the slots go
};

int LayerLoader::run() {
  // The helper starts on the first layers while this thread makes the canvas.
  while (mayRead() && read_ < JobLanes::kSlots) readNext();
  if (!document_.newImage(h_.width, h_.height, false)) return kReadOutOfMemory;
  while (consumed_ < h_.layerCount) {
    if (lanes_.isDone(consumed_)) {
      if (int r = consume(slot(consumed_)); r != kNext) return r;
    } else if (mayRead()) {
      readNext();
    } else if (!lanes_.runOne()) {
      lanes_.waitFor(consumed_);
    }
  }
  return finishRead(document_, h_, kReadOk);
}

void LayerLoader::readNext() {
  LoadSlot& s = slot(read_);
  s.recordRead = s.sizeRead = s.inflated = false;
  s.span = {};   // the slot's image is kept: the next layer inflates into the same memory
  s.transparent.clear();
  if (file_.readAll(s.record, sizeof s.record)) {
    s.recordRead = true;
    if (file_.skip(recordHeader_ - kNativeRecordHeader) && file_.readU32LE(s.compressed)) {
      s.dataStart = file_.position();
      // Past the end is fine: the next header read then fails, as it would.
      s.sizeRead = s.dataStart >= 0 && file_.seek(s.dataStart + s.compressed);
    }
  }
  if (!s.sizeRead) reading_ = false;   // nothing after a cut header can be found
  lanes_.publish(read_++);
}

// Runs on either lane: touches only its slot and reads the file by position.
// The image's pages are first written here, so both lanes share that cost.
void LayerLoader::inflateJob(LoadSlot& s) {
  const bool reusable = s.image.valid() && s.image.width() == h_.width && s.image.height() == h_.height;
  if (!reusable && !s.image.create(h_.width, h_.height)) return;
  if (s.sizeRead)
    s.inflated =
        inflateLayerAt(file_, s.dataStart, s.compressed, s.image.bits(), s.image.byteSize(), s.span, &s.transparent);
  // What the stream did not fill stays transparent, as in a freshly added layer.
  fillTransparentFrom(s.image, s.span.produced);
}

// A layer that found no memory while the layers after it were being made
// gets a second try with those dropped, as the one-thread reader would give it.
void LayerLoader::retryAlone(LoadSlot& s) {
  lanes_.rewind(consumed_ + 1);
  for (LoadSlot& other : slots_)
    if (&other != &s) other.image.destroy();
  inflateJob(s);
  read_ = consumed_ + 1;
  reading_ = true;
  if (s.sizeRead) file_.seek(s.dataStart + s.compressed);
}

int LayerLoader::consume(LoadSlot& s) {
  if (!s.image.valid()) retryAlone(s);
  Layer* layer = s.image.valid() ? document_.layers().add(1, 1, false) : nullptr;
  if (!layer) {
    lanes_.rewind(consumed_);   // no lane reads the file any more
    file_.close();
    fallBackToBlank(document_);
    return kReadOutOfMemory;
  }
  // The layer keeps tiles of what was painted; the slot's memory serves the next layer.
  if (!layer->parkFrom(s.image, s.transparent)) {
    for (const ByteRange& r : s.transparent)
      for (size_t i = r.begin; i < r.end; i += 4) std::memcpy(s.image.bits() + i, &kTransparent, 4);
    layer->image() = std::move(s.image);
  }
  if (s.recordRead) applyRecordFields(s.record, *layer);
  layer->park();   // idle layers keep only their painted tiles
  if (!s.sizeRead || !s.inflated) return finishRead(document_, h_, kReadDecompressFailed);
  ++consumed_;
  if (s.span.consumed != s.compressed) {
    // The next record begins where this stream ended: drop what was found after it.
    lanes_.rewind(consumed_);
    read_ = consumed_;
    reading_ = true;
    if (!file_.seek(s.dataStart + int64_t(s.span.consumed))) return finishRead(document_, h_, kReadDecompressFailed);
  }
  if (progress_) progress_->step();
  return kNext;
}

// One layer deflated into memory by a lane, for the calling thread to write.
struct SaveSlot {
  const Layer* layer = nullptr;
  std::unique_ptr<uint8_t[]> data;   // null: the calling thread streams this layer itself
  size_t capacity = 0, size = 0;
  uint32_t compressed = 0;           // 0: deflate failed
  bool overflow = false;             // the buffer was too small: streamed instead
};

// Deflates the layers on both lanes, bottom first, and writes the records in
// order. The bytes are those of the one-thread writer: the same deflate call
// sequence, only collected in memory before they go to the file.
class LayerSaver {
 public:
  explicit LayerSaver(Document& document)
      : document_(document), lanes_([this](int job) { deflateJob(slot(job)); }) {}

  bool start() { return lanes_.start(); }
  // Lets the lanes begin while the calling thread writes the header and preview.
  void publishAhead() {
    while (published_ < document_.layerCount() && published_ < written_ + JobLanes::kSlots) publishNext();
  }
  bool writeRecords(File& file, Progress* progress);

 private:
  SaveSlot& slot(int job) { return slots_[size_t(job % JobLanes::kSlots)]; }
  void publishNext();
  void deflateJob(SaveSlot& s);

  Document& document_;
  int published_ = 0, written_ = 0;
  std::array<SaveSlot, JobLanes::kSlots> slots_;
  JobLanes lanes_;   // declared last: its helper stops before the slots go
};

void LayerSaver::publishNext() {
  SaveSlot& s = slot(published_);
  s.layer = document_.layers().atIndex(document_.layerCount() - 1 - published_);
  s.size = 0;
  s.compressed = 0;
  s.overflow = false;
  // A stream may come out slightly larger than its input.
  // Tiles compress in proportion to what is painted; a stream that outgrows
  // the buffer is written straight to the file instead.
  const TiledImage* tiles = s.layer->tiles();
  const size_t flatBytes = size_t(s.layer->width()) * size_t(s.layer->height()) * 4;
  size_t bound = tiles ? compressBound(uLong(tiles->paintedBytes())) + flatBytes / 512 + 4096
                       : compressBound(uLong(flatBytes));
  if (bound > s.capacity) {
    s.data.reset(new (std::nothrow) uint8_t[bound]);
    s.capacity = s.data ? bound : 0;
  }
  lanes_.publish(published_++);
}

void LayerSaver::deflateJob(SaveSlot& s) {
  if (!s.data) return;
  const auto sink = [&](const uint8_t* bytes, size_t n) {
    if (n > s.capacity - s.size) {
      s.overflow = true;
      return false;
    }
    std::memcpy(s.data.get() + s.size, bytes, n);
    s.size += n;
    return true;
  };
  if (const TiledImage* tiles = s.layer->tiles()) {
    uint64_t n = deflateTiles(*tiles, kLayerLevel, sink);
    s.compressed = n <= UINT32_MAX ? uint32_t(n) : 0;
    return;
  }
  const Image32& image = s.layer->image();
  s.compressed = deflateToSink(image.bits(), image.byteSize(), kLayerLevel, nullptr, sink);
}

bool writeRecordHead(File& file, const Layer& layer) {
  return file.writeAll(layer.name, kLayerNameBytes) && file.writeU8(layer.blendMode) &&
         file.writeU8(layer.opacity) && file.writeU8(packLayerFlags(layer.flags, layer.maskMode));
}

// Deflates straight into the file and patches the size field afterwards.
bool streamLayer(File& file, const Layer& layer) {
  int64_t sizeField = file.position();
  if (sizeField < 0 || !file.writeU32LE(0)) return false;
  uint32_t compressed = 0;
  if (const TiledImage* tiles = layer.tiles()) {
    uint64_t n = deflateTiles(*tiles, kLayerLevel, [&](const uint8_t* b, size_t k) { return file.writeAll(b, k); });
    compressed = n <= UINT32_MAX ? uint32_t(n) : 0;
  } else {
    compressed = deflateToFile(file, layer.image().bits(), layer.image().byteSize(), kLayerLevel, nullptr);
  }
  return compressed != 0 && file.seek(sizeField) && file.writeU32LE(compressed) && file.seekToEnd();
}

bool LayerSaver::writeRecords(File& file, Progress* progress) {
  const int count = document_.layerCount();
  while (written_ < count) {
    if (lanes_.isDone(written_)) {
      SaveSlot& s = slot(written_);
      if (!writeRecordHead(file, *s.layer)) return false;
      // A layer whose memory buffer was missing or too small is deflated here instead.
      bool ok = (!s.data || s.overflow)
                    ? streamLayer(file, *s.layer)
                    : s.compressed != 0 && file.writeU32LE(s.compressed) && file.writeAll(s.data.get(), s.size);
      if (!ok) return false;
      ++written_;
      if (progress) progress->step();
    } else if (published_ < count && published_ < written_ + JobLanes::kSlots) {
      publishNext();
    } else if (!lanes_.runOne()) {
      lanes_.waitFor(written_);
    }
  }
  return true;
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

namespace {

// Records come bottom first; the list is read from the top, as the document's.
int finishSummary(DocumentSummary& summary, const NativeHeader& h, int result) {
  std::reverse(summary.layers.begin(), summary.layers.end());
  summary.current = h.current < summary.layers.size() ? h.current : 0;
  return result;
}

// The fields of one record as the reader leaves them in a freshly added layer.
LayerSummary& addSummaryLayer(DocumentSummary& summary, const uint8_t* record) {
  Layer fields;
  fields.setNameBytes("Layer0");   // what an added layer is called while the counter is 0
  if (record) applyRecordFields(record, fields);
  LayerSummary& l = summary.layers.emplace_back();
  std::memcpy(l.name, fields.name, sizeof l.name);
  l.blendMode = fields.blendMode, l.opacity = fields.opacity;
  l.maskMode = fields.maskMode, l.flags = fields.flags;
  return l;
}

bool zlibHeaderValid(uint8_t cmf, uint8_t flg) {
  return (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && (cmf * 256 + flg) % 31 == 0 && !(flg & 0x20);
}

// Steps from record to record by the stored stream sizes without inflating.
// True only when that walk adds up: every stream starts like one and the
// last ends where the file does; anything else needs the exact walk.
bool summaryFromSizes(File& file, const NativeHeader& h, uint32_t recordHeader, DocumentSummary& summary) {
  if (h.layerCount > kMaxLayers) return false;
  for (int i = 0; i < h.layerCount; ++i) {
    uint8_t record[kNativeRecordHeader], head[2];
    uint32_t compressed = 0;
    if (!file.readAll(record, sizeof record) || !file.skip(recordHeader - kNativeRecordHeader) ||
        !file.readU32LE(compressed) || compressed < 6 || !file.readAll(head, 2) ||
        !zlibHeaderValid(head[0], head[1]) || file.position() + compressed - 2 > file.size() ||
        !file.skip(compressed - 2))
      return false;
    addSummaryLayer(summary, record);
  }
  return file.position() == file.size();
}

// Inflates every stream through a small window, as Open would read it.
int summaryByInflating(File& file, const NativeHeader& h, uint32_t recordHeader, DocumentSummary& summary) {
  const size_t pixelBytes = size_t(h.width) * h.height * 4;
  for (int i = 0; i < h.layerCount; ++i) {
    if (i == kMaxLayers) return kReadOutOfMemory;   // the reader stops at the list's limit
    uint8_t record[kNativeRecordHeader];
    uint32_t compressed = 0;
    bool headed = file.readAll(record, sizeof record);
    // As the reader, a layer whose record breaks stays listed with what was read of it.
    addSummaryLayer(summary, headed ? record : nullptr);
    if (!headed || !file.skip(recordHeader - kNativeRecordHeader) || !file.readU32LE(compressed) ||
        !inflateFromFileDiscarding(file, pixelBytes, compressed))
      return finishSummary(summary, h, kReadDecompressFailed);
  }
  return finishSummary(summary, h, kReadOk);
}

}  // namespace

int readDocumentSummary(const std::string& path, DocumentSummary& summary, bool checkStreams) {
  summary = {};
  File file;
  if (!file.openRead(path)) return kReadCannotOpen;
  NativeHeader h;
  if (int r = readNativeHeader(file, h); r != kReadOk) return r;
  uint32_t previewBytes = 0, recordHeader = 0;
  if (!file.skip(4) || !file.readU32LE(previewBytes) || !file.skip(previewBytes)) return kReadFormatError;
  if (!file.readU32LE(recordHeader) || recordHeader < kNativeRecordHeader) return kReadFormatError;
  summary.width = h.width;
  summary.height = h.height;
  summary.nameCounter = h.nameCounter;
  const int64_t firstRecord = file.position();
  if (!checkStreams && summaryFromSizes(file, h, recordHeader, summary)) return finishSummary(summary, h, kReadOk);
  summary.layers.clear();
  if (!file.seek(firstRecord)) return kReadCannotOpen;
  return summaryByInflating(file, h, recordHeader, summary);
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
  if (gTwoLanes && h.layerCount >= 2) {
    LayerLoader loader(file, document, h, recordHeader, progress);
    if (loader.start()) return loader.run();
  }
  if (!document.newImage(h.width, h.height, false)) return kReadOutOfMemory;
  return readLayersFrom(file, document, h, recordHeader, 0, progress);
}

// Header, preview and the record header size.
static bool writeHeadAndPreview(File& file, Document& document, Progress* progress) {
  bool ok = file.writeAll(kNativeMagic, sizeof kNativeMagic) && file.writeU8(0) &&
            file.writeU32LE(kNativeHeaderBody) && file.writeU16LE(uint16_t(document.width())) &&
            file.writeU16LE(uint16_t(document.height())) && file.writeU16LE(uint16_t(document.layerCount())) &&
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
  return file.writeU32LE(kNativeRecordHeader);
}

bool writeDocumentTo(File& file, Document& document, Progress* progress) {
  const int count = document.layerCount();
  if (count < 1) return false;
  // The lanes only read layer pixels, as the flattening for the preview does.
  LayerSaver saver(document);
  const bool lanes = gTwoLanes && count >= 2 && saver.start();
  if (lanes) saver.publishAhead();
  if (!writeHeadAndPreview(file, document, progress)) return false;
  if (lanes) return saver.writeRecords(file, progress);
  for (int i = count - 1; i >= 0; --i) {
    const Layer& layer = *document.layers().atIndex(i);
    if (!writeRecordHead(file, layer) || !streamLayer(file, layer)) return false;
    if (progress) progress->step();
  }
  return true;
}

void setNativeDocumentLanes(bool enabled) { gTwoLanes = enabled; }

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
