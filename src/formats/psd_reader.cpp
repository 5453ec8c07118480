#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "document/document.h"
#include "io/file.h"
#include "formats/native_document.h"
#include "formats/psd_document.h"
#include "formats/psd_file.h"
#include "formats/psd_layer_stack.h"
#include "formats/psd_planes.h"
#include "formats/psd_records.h"
#include "formats/reader_limits.h"
#include "image/size_limits.h"

namespace tessel {

namespace {


// Decoded channels of one record, each over its own rectangle.
struct RecordPlanes {
  PsdPlane colour[4];
  bool hasColour[4] = {};
  PsdPlane alpha, mask;
  bool hasAlpha = false;
  const PsdMask* maskInfo = nullptr;
};

int planeSlot(int id, int colours) { return id >= 0 && id < colours ? id : -1; }

// Reads one channel's data and decodes what this program uses of it.
int readChannel(File& file, const PsdChannel& c, const PsdRecord& r, const PsdHeader& h, int colours,
                RecordPlanes& planes, std::vector<uint8_t>& buffer) {
  if (int64_t(c.length) > psdRemaining(file)) return kReadPsdLayout;
  const bool isMask = (c.id == -2 && r.mask.present) || (c.id == -3 && r.realMask.present);
  const int slot = planeSlot(c.id, colours);
  if (c.length < 2 || (slot < 0 && c.id != -1 && !isMask)) return file.skip(c.length) ? kReadOk : kReadPsdLayout;
  uint16_t compression = 0;
  if (!file.readU16BE(compression)) return kReadPsdLayout;
  if (compression > kPsdZipPredicted) return kReadPsdLayout;
  try {
    buffer.resize(c.length - 2);
  } catch (const std::bad_alloc&) {
    return kReadFailed;
  }
  if (!file.readAll(buffer.data(), buffer.size())) return kReadPsdLayout;
  const PsdMask* m = c.id == -2 ? &r.mask : c.id == -3 ? &r.realMask : nullptr;
  // A user mask gives way to the real mask when the file has both.
  if (m && planes.maskInfo == &r.realMask) return kReadOk;
  PsdPlane& plane = slot >= 0 ? planes.colour[slot] : m ? planes.mask : planes.alpha;
  plane.width = m ? int64_t(m->right) - m->left : int64_t(r.right) - r.left;
  plane.height = m ? int64_t(m->bottom) - m->top : int64_t(r.bottom) - r.top;
  // A plane far larger than the canvas is not read: it could only cost memory.
  const int64_t limit = std::max<int64_t>(int64_t(4) * h.width * h.height, int64_t(1) << 20);
  if (plane.width <= 0 || plane.height <= 0 || plane.width > kMaxPsdSide || plane.height > kMaxPsdSide ||
      plane.width * plane.height > limit) {
    plane.width = plane.height = 0;
    return kReadOk;
  }
  const bool colour = slot >= 0 && h.mode != kPsdLab && h.mode != kPsdCmyk;
  PsdSampleFormat format{h.depth, colour};
  if (!decodePsdPlane(buffer.data(), buffer.size(), compression, format, 2, plane)) {
    return compression >= kPsdZip ? kReadPsdLayout : kReadFailed;
  }
  if (slot >= 0) planes.hasColour[slot] = true;
  else if (m) planes.maskInfo = m;
  else planes.hasAlpha = true;
  return kReadOk;
}

// The layer's pixels on a canvas-sized image: colour, alpha (opaque where the
// record has no transparency channel) and the mask multiplied in. Only the
// record's rectangle is written; the rest of image is listed in `outside` as
// transparent, so that its memory is never touched.
bool buildImage(const PsdRecord& r, const RecordPlanes& planes, const PsdColour& colour, int width, int height,
                Image32& image, Rect& painted, std::vector<ByteRange>& outside) {
  if ((image.width() != width || image.height() != height) && !image.create(width, height)) return false;
  const int colours = colour.channels();
  int64_t x0 = std::max<int64_t>(r.left, 0), x1 = std::min<int64_t>(r.right, width);
  int64_t y0 = std::max<int64_t>(r.top, 0), y1 = std::min<int64_t>(r.bottom, height);
  const int64_t rw = int64_t(r.right) - r.left;
  if (x1 <= x0 || y1 <= y0) x0 = x1 = y0 = y1 = 0;   // nothing on the canvas
  painted = {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
  if (!rangesOutside(image, painted, outside)) return false;
  if (x1 <= x0) return true;
  static const uint8_t kZero[1] = {0};
  std::vector<uint8_t> zeros(size_t(std::max<int64_t>(x1 - x0, 1)), 0);
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t* p[4] = {kZero, kZero, kZero, kZero};
    const int64_t at = (y - r.top) * rw + (x0 - r.left);
    for (int c = 0; c < colours; ++c)
      p[c] = planes.hasColour[c] && !planes.colour[c].samples.empty() ? planes.colour[c].samples.data() + at
                                                                      : zeros.data();
    Pixel* out = image.row(int(y)) + x0;
    colour.convert(p, size_t(x1 - x0), out);
    uint8_t* o = reinterpret_cast<uint8_t*>(out);
    const bool alpha = planes.hasAlpha && !planes.alpha.samples.empty();
    for (int64_t x = 0; x < x1 - x0; ++x) o[4 * x + 3] = alpha ? planes.alpha.samples[size_t(at + x)] : 255;
  }
  const PsdMask* m = planes.maskInfo;
  if (m && !(m->flags & kPsdMaskDisabled)) {
    const bool invert = (m->flags & kPsdMaskInverted) != 0;
    const PsdPlane& mp = planes.mask;
    for (int64_t y = y0; y < y1; ++y) {
      uint8_t* o = reinterpret_cast<uint8_t*>(image.row(int(y)));
      for (int64_t x = x0; x < x1; ++x) {
        const int64_t mx = x - m->left, my = y - m->top;
        int v = (mx >= 0 && my >= 0 && mx < mp.width && my < mp.height) ? mp.samples[size_t(my * mp.width + mx)]
                                                                      : m->defaultColour;
        if (invert) v = 255 - v;
        o[4 * x + 3] = uint8_t((o[4 * x + 3] * v + 127) / 255);
      }
    }
  }
  for (int64_t y = y0; y < y1; ++y) {
    Pixel* p = image.row(int(y));
    for (int64_t x = x0; x < x1; ++x)
      if ((p[x] >> 24) == 0) p[x] = kTransparent;
  }
  return true;
}

void fallBackToBlank(Document& document) {
  if (document.layerCount() > 0) return;
  if (!document.newImage(blankCanvasSide, blankCanvasSide, true) && document.layerCount() == 0)
    document.layers().add(document.width(), document.height(), true);
  document.selectLayer(0);
}

PsdLayerItem itemOf(const PsdRecord& r) {
  PsdLayerItem item;
  std::memcpy(item.name, r.name, kLayerNameBytes);
  item.blendMode = blendModeFromPsdKey(r.key);
  item.opacity = r.opacity / 255.0 * (r.fillOpacity / 255.0);
  item.visible = (r.flags & 2) == 0;
  return item;
}

// Pixels of every record in file order, handed to the stack.
int readRecordPixels(File& file, const std::vector<PsdRecord>& records, const PsdHeader& h, const PsdColour& colour,
                     PsdLayerStack& stack, Progress* progress) {
  std::vector<uint8_t> buffer;
  // One canvas for every record: only the records' rectangles are ever written.
  Image32 canvas;
  Rect painted;
  std::vector<ByteRange> outside;
  for (const PsdRecord& r : records) {
    RecordPlanes planes;
    for (const PsdChannel& c : r.channels)
      if (int result = readChannel(file, c, r, h, colour.channels(), planes, buffer); result != kReadOk)
        return result;
    if (progress) progress->step();
    PsdLayerItem item = itemOf(r);
    if (r.section == kPsdSectionDivider) {
      stack.openGroup();
    } else if (r.section == kPsdSectionOpen || r.section == kPsdSectionClosed) {
      if (!stack.closeGroup(std::move(item), r.passThrough(), r.clipping != 0, int(h.width), int(h.height)))
        return kReadFailed;
    } else if (!r.dropped()) {
      if (!buildImage(r, planes, colour, int(h.width), int(h.height), canvas, painted, outside) ||
          !stack.add(std::move(item), r.clipping != 0, canvas, painted, outside))
        return kReadFailed;
    }
  }
  return kReadOk;
}

int addToDocument(std::vector<PsdLayerItem>& items, Document& document) {
  for (PsdLayerItem& item : items) {
    // A 1 x 1 layer takes the item's pixels: no canvas is made only to be dropped.
    Layer* layer = document.layers().add(1, 1, false);
    if (!layer) return kReadFailed;
    if (!layer->copyPixelsFrom(item.pixels)) return kReadFailed;   // shares the tiles
    std::memcpy(layer->name, item.name, kLayerNameBytes);
    layer->blendMode = item.blendMode;
    layer->opacity = layerOpacityFromFraction(item.opacity);
    layer->maskMode = 0;
    layer->flags = item.visible ? kLayerVisible : 0;
  }
  return kReadOk;
}

// A file without layer records: one layer holding the merged image.
int readCompositeAsLayer(File& file, const PsdHeader& h, const PsdColour& colour, int64_t imageData,
                         Document& document) {
  Image32 merged;
  if (!file.seek(imageData) || !readPsdMergedImage(file, h, colour, true, merged)) return kReadPsdLayout;
  if (!document.newImage(int(h.width), int(h.height), true)) return kReadFailed;
  if (!document.currentLayer()->parkFrom(merged)) document.currentLayer()->image().copyFrom(merged);
  document.selectLayer(0);
  return kReadOk;
}

int readLayers(File& file, const PsdHeader& h, const PsdColour& colour, Document& document, Progress* progress,
               PsdLeftOut& leftOut) {
  uint32_t sectionLength = 0;
  if (!file.readU32BE(sectionLength) || int64_t(sectionLength) > psdRemaining(file)) return kReadPsdLayout;
  const int64_t imageData = file.position() + sectionLength;
  PsdLayerInfo info;
  if (!findPsdLayerInfo(file, imageData, h.depth, info) || info.count == 0)
    return readCompositeAsLayer(file, h, colour, imageData, document);
  std::vector<PsdRecord> records;
  if (int result = readPsdRecords(file, info, records); result != kReadOk) return result;
  if (!document.newImage(int(h.width), int(h.height), false)) return kReadFailed;
  if (progress) progress->setRange(int(records.size()));
  PsdLayerStack stack;
  if (int result = readRecordPixels(file, records, h, colour, stack, progress); result != kReadOk) return result;
  std::vector<PsdLayerItem>& items = stack.finish();
  if (items.empty()) return readCompositeAsLayer(file, h, colour, imageData, document);
  if (int result = addToDocument(items, document); result != kReadOk) return result;
  for (const PsdRecord& r : records) leftOut.count(r);
  document.layers().setNameCounter(document.layerCount());
  document.selectLayer(0);
  return kReadOk;
}

int readPsd(const std::string& path, Document& document, Progress* progress, std::string* notice) {
  File file;
  if (!file.openRead(path)) return kReadFailed;
  PsdHeader h;
  if (int result = readPsdHeader(file, h); result != kReadOk) return result;
  PsdColour colour;
  std::string refusal;
  if (!colour.init(h.mode, h.depth, h.modeData, h.iccProfile, refusal)) {
    if (notice) *notice = refusal;
    return kReadPsdNot8BitRgb;
  }
  if (h.width > uint32_t(kMaxCanvasSize) || h.height > uint32_t(kMaxCanvasSize)) return kReadTooLarge;
  if (h.width == 0 || h.height == 0) return kReadPsdLayout;
  PsdLeftOut leftOut;
  int result = readLayers(file, h, colour, document, progress, leftOut);
  if (result != kReadOk) fallBackToBlank(document);
  else if (notice) *notice = leftOut.message();
  return result;
}

}  // namespace

const char* psdKeyFromBlendMode(int mode) {
  static const char* const kKeys[21] = {"norm", "mul ", "lddg", "fsub", "scrn", "over", "sLit",
                                        "hLit", "div ", "idiv", "lbrn", "vLit", "lLit", "pLit",
                                        "diff", "lite", "dark", "hue ", "sat ", "colr", "lum "};
  return (mode >= 0 && mode <= 20) ? kKeys[mode] : "norm";
}

uint8_t blendModeFromPsdKey(const char key[4]) {
  static const struct {
    char key[5];
    uint8_t mode;
  } kTable[] = {{"norm", 0},  {"dark", 16}, {"lite", 15}, {"mul ", 1},  {"scrn", 4},  {"over", 5},
                {"hLit", 7},  {"sLit", 6},  {"diff", 14}, {"div ", 8},  {"idiv", 9},  {"hue ", 17},
                {"sat ", 18}, {"colr", 19}, {"diss", 0},  {"smud", 0},  {"lum ", 20}, {"lddg", 2},
                {"fsub", 3},  {"lbrn", 10}, {"vLit", 11}, {"lLit", 12}, {"pLit", 13}};
  for (const auto& entry : kTable)
    if (std::memcmp(entry.key, key, 4) == 0) return entry.mode;
  return 0;
}

uint8_t psdOpacityFromLayer(uint8_t opacity) {
  return uint8_t(std::min(int(float(opacity) * 1.9921875f + 0.5f), 255));
}

uint8_t layerOpacityFromPsd(uint8_t opacity) { return uint8_t((opacity * 256 + 255) / 510); }

int readPsdLayers(const std::string& path, Document& document, Progress* progress, std::string* notice) {
  try {
    return readPsd(path, document, progress, notice);
  } catch (const std::bad_alloc&) {
    fallBackToBlank(document);
    return kReadFailed;
  }
}

}  // namespace tessel
