#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "io/file.h"
#include "image/image32.h"
#include "image/progress.h"

namespace tessel {

class Document;

// Result codes of the document readers; the open flow turns them into messages.
enum ReadResult : int {
  kReadOk = 0,
  kReadTooLarge = 1,         // canvas wider or higher than 4500
  kReadCannotOpen = 2,
  kReadFormatError = 3,      // wrong magic or version, or a header that cannot be trusted
  kReadOutOfMemory = 4,      // document or layer not created (also the 100-layer limit)
  kReadDecompressFailed = 5, // layer pixels did not decompress; the layers read so far stay
  kReadPsdLayout = -2,
  kReadPsdNot8BitRgb = -3,
  kReadFailed = -1,          // any other failure
};

constexpr char kNativeMagic[7] = {'T', 'S', 'L', 'D', 'A', 'T', 'A'};
constexpr uint32_t kNativeHeaderBody = 10;
constexpr uint32_t kNativeRecordHeader = 35;
constexpr int kPreviewBox = 90;

struct PreviewSize {
  int width = 0, height = 0;
};
// Fits a canvas into the 90 x 90 preview box without enlarging it; no side is 0.
PreviewSize fitPreview(int width, int height);
// Area-average downscale of src into dst (dst already sized, both valid).
void downscaleAreaAverage(const Image32& src, Image32& dst);

// Layer flag byte: bit 0 visible, bits 1-2 mask mode 0-2, bit 3 mask mode 3,
// bit 4 fill reference.
uint8_t packLayerFlags(uint8_t flags, uint8_t maskMode);
void unpackLayerFlags(uint8_t packed, uint8_t& flags, uint8_t& maskMode);

// Replaces the document's content with the file's; see ReadResult. Codes 1-3
// leave the document untouched; 4 leaves a blank 400 x 400 one-layer image;
// the document always keeps a current layer.
int readDocument(const std::string& path, Document& document, Progress* progress);
// The whole document; an earlier file of that name survives a failed save.
bool writeDocument(const std::string& path, Document& document, Progress* progress);
// The same into an open file at its position (the save path wraps it).
bool writeDocumentTo(File& file, Document& document, Progress* progress);
// Documents of two or more layers are read and written on two threads (the
// caller's and one helper) with the same bytes and results as on one; tests
// switch that off to compare.
void setNativeDocumentLanes(bool enabled);
// What a document's headers say, without its pixels.
struct LayerSummary {
  char name[32] = {};
  uint8_t blendMode = 0, opacity = 0, maskMode = 0, flags = 0;
};
struct DocumentSummary {
  int width = 0, height = 0, current = 0, nameCounter = 0;
  std::vector<LayerSummary> layers;
};
// The header and the layer records with readDocument's codes and layers,
// never holding pixels. The stored stream sizes lead from record to record
// when they add up to the file; otherwise, or with checkStreams, every stream
// is inflated through a small window to find where it ends and whether it is
// whole (on code 5 the layers up to the broken one are listed, as Open keeps them).
int readDocumentSummary(const std::string& path, DocumentSummary& summary, bool checkStreams = false);

// The preview image only; false unless the file is native with a non-empty preview.
bool readPreview(const std::string& path, Image32& image);

}  // namespace tessel
